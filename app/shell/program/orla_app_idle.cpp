// The application object while the program runs: idle work, the key filter
// and the camera listener.
#include <cstring>
#include <vector>

#include "app/camera/app/orla_kavo.h"
#include "app/camera/queue/queue_manager.h"
#include "app/shell/frame/frame_ids.h"
#include "app/shell/frame/main_frame.h"
#include "app/shell/program/camera_source_setup.h"
#include "app/shell/program/orla_app.h"
#include "app/shell/progress/progress_protocol.h"
#include "app/shell/settings/settings.h"
#include "clx/view.h"

namespace {

constexpr shell::SettingId kCameraAwakeTime = 1066;
constexpr UINT kCameraPollMs = 2000;
constexpr UINT_PTR kCameraTimer = 1004;
constexpr UINT kTransferRequest = 0x8007;
constexpr UINT kIdleDone = 0x8018;

// Tab hides the open palettes, the next Tab shows them again.
bool g_showPalettesNext = false;

// The camera dialogs that the camera control palette has open are the
// dialogs it owns: each is cancelled with its own Cancel button, so that it
// ends as the user would end it.
BOOL CALLBACK CollectOwnedDialog(HWND window, LPARAM found)
{
    auto& list = *reinterpret_cast<std::vector<HWND>*>(found);
    char name[16] = "";
    ::GetClassNameA(window, name, sizeof name);
    if (std::strcmp(name, "#32770") == 0 && ::GetWindow(window, GW_OWNER) == list.front())
        list.push_back(window);
    return TRUE;
}

void CancelCameraDialogs(HWND palette)
{
    // The palette first, then the dialogs it owns.
    std::vector<HWND> windows{palette};
    ::EnumThreadWindows(::GetCurrentThreadId(), CollectOwnedDialog, reinterpret_cast<LPARAM>(&windows));
    for (size_t i = 1; i < windows.size(); ++i)
        if (::IsWindow(windows[i]))
            if (HWND cancel = ::GetDlgItem(windows[i], IDCANCEL))
                ::SendMessageA(cancel, BM_CLICK, 0, 0);
}

}  // namespace

BOOL COrlaApp::OnIdle(LONG count)
{
    if (CWinApp::OnIdle(count))
        return TRUE;
    return DoIdleWork(count, false) ? TRUE : FALSE;
}

BOOL COrlaApp::IsIdleMessage(MSG* msg)
{
    // Timer messages never restart idle processing.
    return CWinApp::IsIdleMessage(msg) && msg->message != WM_TIMER;
}

bool COrlaApp::DoIdleWork(long, bool cameraOnly)
{
    return m_idle.Run(cameraOnly);
}

bool COrlaApp::HasMainWindow()
{
    return m_pMainWnd && m_pMainWnd->m_hWnd;
}

void COrlaApp::PostIdleDone()
{
    CMainFrame* frame = CMainFrame::Get();
    CView* view = frame ? frame->GetCameraImageView() : nullptr;
    if (view && view->m_hWnd)
        view->PostMessage(kIdleDone, 0, 0);
}

void COrlaApp::ExpireCameraTimer()
{
    if (m_pKavoModule)
        ::ExpireCommandTimer(m_pKavoModule);
}

BOOL COrlaApp::PreTranslateMessage(MSG* msg)
{
    // Ctrl + the key left of "1" (two keys of the Japanese keyboard) selects
    // the master channel of the curves palette.
    static UINT keys[2] = {0, 0};
    if (!keys[0]) {
        const bool japanese = GetKeyboardType(0) == 7;
        keys[0] = japanese ? 243 : 192;
        keys[1] = japanese ? 244 : 192;
    }
    if (msg->message == WM_KEYDOWN && (msg->wParam == keys[0] || msg->wParam == keys[1]) &&
        (GetKeyState(VK_CONTROL) & 0x8000) && !(GetKeyState(VK_SHIFT) & 0x8000) && HasMainWindow()) {
        m_pMainWnd->PostMessage(WM_COMMAND, MAKEWPARAM(ID_CURVES_CHANNEL_RGB, 1), 0);
        return TRUE;
    }
    const BOOL handled = CWinApp::PreTranslateMessage(msg);
    if (!handled && msg->message == WM_KEYDOWN && msg->wParam == VK_TAB && HasMainWindow()) {
        if (CMainFrame* frame = CMainFrame::Get()) {
            frame->ShowHidePalettes(g_showPalettesNext);
            g_showPalettesNext = !g_showPalettesNext;
        }
    }
    return handled;
}

// ---- the camera listener

uint32_t COrlaApp::OnKavoProgress(uint32_t level, CKavoBase*, uint32_t, uint32_t, uint32_t done, uint32_t total)
{
    if (level == kKavoLevelData && m_hProgressWnd)
        ::SendMessageA(m_hProgressWnd, shell::kProgressMessage, shell::kProgressSetFraction,
                       shell::ProgressFractionParam(done, total));
    return 1;
}

uint32_t COrlaApp::OnKavoChildAdded(uint32_t level, CKavoBase* child)
{
    if (level == kKavoLevelSource) {
        auto* source = dynamic_cast<COrlaKavoSource*>(child);
        if (m_pKavoSource || !source)
            return 1;
        m_pKavoSource = source;
        shell::SetSourceCapability8146(source, 1);
        shell::SetSourceCapability810C(source, 1);
        int32_t awake = 0;
        shell::GetIntSetting(kCameraAwakeTime, &awake);
        shell::SetSourceKeepAwake(source, awake == 0 ? 1 : 2);
        if (m_pKavoModule && m_pKavoModule->HasCapability(kKavoCapPollInterval)) {
            uint32_t interval = 0;
            m_pKavoModule->CallModule(m_pKavoModule, kKavoGet, kKavoCapPollInterval, kKavoDataUint, &interval,
                                      nullptr, nullptr);
            if (interval) {
                KillCameraTimer();
                StartCameraTimer(interval);
            }
        }
        if (CMainFrame* frame = CMainFrame::Get())
            frame->SetCameraState(kCameraConnected);
    } else if (level == kKavoLevelItem) {
        ++m_idle.cameraImageCount;
        if (HasMainWindow()) {
            // The receiving dialog takes the pictures of a transfer run itself.
            if (!m_bReceiving)
                m_pMainWnd->PostMessage(kTransferRequest, reinterpret_cast<WPARAM>(child), 0);
        }
    }
    return 1;
}

uint32_t COrlaApp::OnKavoRemoved(uint32_t level, CKavoBase* object)
{
    if (level != kKavoLevelSource || !object || object != m_pKavoSource)
        return 1;
    m_pKavoSource = nullptr;
    if (!HasMainWindow())
        return 1;
    if (CMainFrame* frame = CMainFrame::Get()) {
        frame->SetCameraState(kCameraNone);
        if (frame->m_wndCameraControl.IsOpen()) {
            CancelCameraDialogs(frame->m_wndCameraControl.m_hWnd);
            frame->m_wndCameraControl.DestroyWindow();
        }
    }
    KillCameraTimer();
    m_nCameraInterval = 0;
    StartCameraTimer(kCameraPollMs);
    return 1;
}

uint32_t COrlaApp::OnKavoCapabilityChanged(uint32_t, CKavoBase*, uint32_t, uint32_t)
{
    // The camera control palette takes capability changes once it exists.
    return 1;
}
