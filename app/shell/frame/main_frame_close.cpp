// Closing the main frame: the palette layout is stored, the camera image
// list is cleared when the preference asks for it, and on destruction the
// frame's position is stored and the progress thread ended.
#include <string>
#include <vector>

#include "app/shell/frame/frame_ids.h"
#include "app/shell/frame/image_list_file.h"
#include "app/shell/frame/main_frame.h"
#include "app/shell/frame/main_frame_host.h"
#include "app/shell/program_folder.h"
#include "app/shell/settings/settings.h"
#include "clx/app.h"
#include "clx/thread.h"

namespace {

constexpr shell::SettingId kPosMain = 1121;
constexpr shell::SettingId kClearThumbnailsOnExit = 1050;

void StoreVisible(shell::SettingId id, bool open)
{
    shell::SetIntSetting(id, open ? 1 : 0);
}

void DeleteListedImages(const std::vector<std::string>& lines, const std::string& listPath)
{
    for (const std::string& line : lines) {
        const std::string path = frame::ImageListEntryPath(line);
        ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        ::DeleteFileA(path.c_str());
        ::DeleteFileA(frame::SidecarPath(path).c_str());
    }
    ::DeleteFileA(listPath.c_str());
}

}  // namespace

void CMainFrame::OnClose()
{
    StoreVisible(1131, m_wndCurves.IsOpen());
    StoreVisible(1132, m_wndUnsharpMask.IsOpen());
    StoreVisible(1133, m_wndColorAdjust.IsOpen());
    StoreVisible(1134, m_wndSizeRes.IsOpen());
    StoreVisible(1136, m_wndBirdsEye.IsOpen());
    StoreVisible(1135, m_wndInformation.IsOpen());
    StoreVisible(1137, m_wndCameraControl.IsOpen());
    StoreVisible(1130, GetCameraImageView() != nullptr);
    StoreVisible(1148, m_wndWBAdjust.IsOpen());
    StoreVisible(1147, m_wndExposureAdjust.IsOpen());
    StoreVisible(1146, m_wndNoiseReduction.IsOpen());
    StoreVisible(1149, m_wndImageEnhancements.IsOpen());

    std::vector<std::string> lines;
    const std::string listPath = shell::GetProgramFolder() + "Image.lst";
    int32_t clear = 0;
    if (shell::GetIntSetting(kClearThumbnailsOnExit, &clear) && clear != 0) {
        frame::ReadImageList(listPath, &lines);
        if (!lines.empty() && AfxMessageBox(IDS_CLEAR_THUMBNAILS_ON_EXIT, MB_OKCANCEL | MB_ICONQUESTION) == IDCANCEL)
            return;
    }

    // A frame that closes deletes itself: only locals from here on.
    const HWND self = m_hWnd;
    CMDIFrameWnd::OnClose();
    if (::IsWindow(self))
        return;
    if (!lines.empty())
        DeleteListedImages(lines, listPath);
}

void CMainFrame::OnDestroy()
{
    StopFolderWatch();
    IMainFrameHost* host = GetMainFrameHost();
    if (host) {
        if (const UINT_PTR timer = host->GetCameraTimerId())
            KillTimer(timer);
        host->ForgetCameraTimer();
    }
    shell::SaveWindowPosition(kPosMain, this);
    if (host) {
        const HWND progress = host->GetProgressWindow();
        if (CWinThread* thread = host->TakeProgressThread()) {
            if (progress)
                ::SendMessageA(progress, WM_CLOSE, 0, 0);
            // The progress thread may be sending to this one meanwhile.
            if (thread->m_hThread)
                clx::WaitServicingSent(thread->m_hThread);
            delete thread;
        }
    }
    CMDIFrameWnd::OnDestroy();
}
