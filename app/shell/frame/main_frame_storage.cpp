// The storage watch of the main frame: the folder-watch thread over the
// volumes of the thumbnail and the temporary folders, the disk-space check
// behind the DISK pane, and the warning that the temporary disk is full.
#include <atomic>
#include <string>

#include "app/shell/dialogs/dlg_optional_message_box.h"
#include "app/shell/frame/frame_ids.h"
#include "app/shell/frame/main_frame.h"
#include "app/shell/received/disk_state.h"
#include "app/shell/received/received_names.h"
#include "app/shell/settings/settings.h"

namespace {

constexpr shell::SettingId kThumbnailFolder = 1046;
constexpr shell::SettingId kTempFolder = 1051;
constexpr DWORD kWatchTimeoutMs = 30000;
constexpr DWORD kWatchedChanges = FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_SIZE;

bool SystemDiskFree(const char* root, double* freeBytes)
{
    DWORD sectorsPerCluster = 0, bytesPerSector = 0, freeClusters = 0, clusters = 0;
    if (!::GetDiskFreeSpaceA(root, &sectorsPerCluster, &bytesPerSector, &freeClusters, &clusters))
        return false;
    *freeBytes = shell::FreeDiskBytes(sectorsPerCluster, bytesPerSector, freeClusters);
    return true;
}

CMainFrame::DiskFreeQuery g_diskFree = SystemDiskFree;

uint32_t SystemTickCount()
{
    return ::GetTickCount();
}

CMainFrame::TickSource g_tickCount = SystemTickCount;

std::string WatchedRoot(shell::SettingId folder)
{
    CQzString path;
    shell::GetStringSetting(folder, path);
    return shell::WatchedVolumeRoot(static_cast<const char*>(path));
}

}  // namespace

// Written before the thread starts and read-only for it, but the pending
// mark, which the frame clears when it runs the check.
struct CMainFrame::FolderWatch {
    std::string roots[2];
    HWND frame = nullptr;
    HANDLE terminate = nullptr;
    std::atomic<bool> checkPending{false};

    void PostCheck()
    {
        if (!checkPending.exchange(true))
            ::PostMessageA(frame, WM_CHECK_DISK_SPACE, 0, 0);
    }
};

namespace {

DWORD WINAPI FolderWatchThread(void* parameter)
{
    auto* watch = static_cast<CMainFrame::FolderWatch*>(parameter);
    if (!watch->terminate || !::IsWindow(watch->frame))
        return 1;
    watch->PostCheck();
    HANDLE first = ::FindFirstChangeNotificationA(watch->roots[0].c_str(), TRUE, kWatchedChanges);
    if (first == INVALID_HANDLE_VALUE)
        return 0;
    HANDLE second = ::FindFirstChangeNotificationA(watch->roots[1].c_str(), TRUE, kWatchedChanges);
    if (second == INVALID_HANDLE_VALUE) {
        ::FindCloseChangeNotification(first);
        return 0;
    }
    const HANDLE waits[3] = {first, second, watch->terminate};
    for (;;) {
        const DWORD woke = ::WaitForMultipleObjects(3, waits, FALSE, kWatchTimeoutMs);
        if (woke == WAIT_OBJECT_0 + 2 || woke == WAIT_FAILED)
            break;
        watch->PostCheck();
        if (woke == WAIT_OBJECT_0)
            ::FindNextChangeNotification(first);
        else if (woke == WAIT_OBJECT_0 + 1)
            ::FindNextChangeNotification(second);
    }
    ::FindCloseChangeNotification(first);
    ::FindCloseChangeNotification(second);
    return 0;
}

}  // namespace

void CMainFrame::SetDiskFreeQuery(DiskFreeQuery query)
{
    g_diskFree = query ? query : SystemDiskFree;
}

void CMainFrame::SetTickSource(TickSource source)
{
    g_tickCount = source ? source : SystemTickCount;
}

void CMainFrame::StartFolderWatch()
{
    if (m_hFolderWatch || !m_hWnd)
        return;
    auto* watch = new FolderWatch;
    watch->roots[0] = WatchedRoot(kThumbnailFolder);
    watch->roots[1] = WatchedRoot(kTempFolder);
    watch->frame = m_hWnd;
    watch->terminate = ::CreateEventA(nullptr, FALSE, FALSE, "TSFileWatchTerminate");
    HANDLE thread = watch->terminate ? ::CreateThread(nullptr, 0, FolderWatchThread, watch, CREATE_SUSPENDED, nullptr)
                                     : nullptr;
    if (!thread) {
        if (watch->terminate)
            ::CloseHandle(watch->terminate);
        delete watch;
        return;
    }
    ::SetThreadPriority(thread, THREAD_PRIORITY_IDLE);
    m_pFolderWatch = watch;
    m_hFolderWatch = thread;
    ::ResumeThread(thread);
}

void CMainFrame::StopFolderWatch()
{
    if (!m_hFolderWatch)
        return;
    // The event stays the frame's until the thread has ended: a thread that
    // ended early never leaves a closed handle to signal.
    ::SetEvent(m_pFolderWatch->terminate);
    ::WaitForSingleObject(m_hFolderWatch, INFINITE);
    ::CloseHandle(m_hFolderWatch);
    ::CloseHandle(m_pFolderWatch->terminate);
    delete m_pFolderWatch;
    m_hFolderWatch = nullptr;
    m_pFolderWatch = nullptr;
}

LRESULT CMainFrame::OnCheckDiskSpace(WPARAM, LPARAM)
{
    std::string roots[2];
    if (m_pFolderWatch) {
        m_pFolderWatch->checkPending = false;
        roots[0] = m_pFolderWatch->roots[0];
        roots[1] = m_pFolderWatch->roots[1];
    } else {
        roots[0] = WatchedRoot(kThumbnailFolder);
        roots[1] = WatchedRoot(kTempFolder);
    }
    double bytes[2];
    for (int i = 0; i < 2; ++i)
        if (!g_diskFree(roots[i].c_str(), &bytes[i]))
            bytes[i] = shell::kDiskUnknownBytes;
    SetDiskState(shell::DiskStateFor(bytes[0], bytes[1]));
    return 0;
}

LRESULT CMainFrame::OnTempDiskFull(WPARAM, LPARAM)
{
    if (!m_tempWarningEnabled || m_tempWarningBusy)
        return 0;
    if (shell::TickDistance(g_tickCount(), m_lastTempWarning) <= shell::kTempDiskWarningSpacingMs)
        return 0;
    m_tempWarningBusy = true;
    CDlgOptionalMessageBox box(this);
    box.SetStrings(IDS_TEMP_DISK_FULL, IDS_TEMP_DISK_FULL_HIDE, 0);
    box.SetStyle(CDlgOptionalMessageBox::kOkOnly);
    box.SetDoNotShowAgain(false);
    box.DoModal();
    if (box.IsDoNotShowAgainChecked())
        m_tempWarningEnabled = false;
    m_lastTempWarning = g_tickCount();
    m_tempWarningBusy = false;
    return 0;
}
