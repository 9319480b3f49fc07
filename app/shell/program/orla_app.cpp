#include "app/shell/program/orla_app.h"

#include "app/camera/app/orla_kavo.h"
#include "app/core/document/doc_manager_new.h"
#include "app/shell/frame/frame_ids.h"
#include "app/shell/frame/main_frame.h"
#include "app/shell/program/about_box.h"
#include "app/shell/program/hand_over.h"
#include "app/shell/program/image_hooks.h"
#include "app/shell/program/program_ids.h"
#include "app/shell/progress/progress_thread.h"
#include "app/shell/program_folder.h"
#include "clx/docmanager.h"
#include "clx/doctemplate.h"
#include "clx/resource.h"

COrlaApp::COrlaApp() : m_idle(*this) {}

COrlaApp::~COrlaApp() = default;

uint32_t COrlaApp::KavoPrompt::Ask(const char* text, uint32_t style)
{
    return static_cast<uint32_t>(AfxMessageBox(text, style));
}

BEGIN_MESSAGE_MAP(COrlaApp, CWinApp)
    ON_COMMAND(ID_VIEW_AUTO_FIT, OnToggleAutoFit)
    ON_UPDATE_COMMAND_UI(ID_VIEW_AUTO_FIT, OnUpdateAutoFit)
    ON_COMMAND(ID_FILE_NEW, OnAppFileNew)
    ON_COMMAND(ID_VIEW_SELECTION_CURSOR, OnSelectionCursor)
    ON_UPDATE_COMMAND_UI(ID_VIEW_SELECTION_CURSOR, OnUpdateCursor)
    ON_COMMAND(ID_VIEW_ZOOM_CURSOR, OnZoomCursor)
    ON_UPDATE_COMMAND_UI(ID_VIEW_ZOOM_CURSOR, OnUpdateCursor)
    ON_COMMAND(ID_VIEW_GRAB_CURSOR, OnGrabCursor)
    ON_UPDATE_COMMAND_UI(ID_VIEW_GRAB_CURSOR, OnUpdateCursor)
    ON_COMMAND(ID_APP_ABOUT, OnAppAbout)
    ON_COMMAND_RANGE(ID_FILE_PREFERENCES, ID_PREFERENCES_PAGE_LAST, OnPreferences)
    ON_COMMAND(ID_FILE_OPEN, CWinApp::OnFileOpen)
    ON_COMMAND(ID_FILE_PRINT_SETUP, CWinApp::OnFilePrintSetup)
    ON_COMMAND_EX_RANGE(ID_FILE_MRU_FILE1, ID_FILE_MRU_LAST, CWinApp::OnOpenRecentFile)
    ON_UPDATE_COMMAND_UI(ID_FILE_MRU_FILE1, CWinApp::OnUpdateRecentFileMenu)
    ON_COMMAND(ID_APP_EXIT, CWinApp::OnAppExit)
END_MESSAGE_MAP()

const std::string& COrlaApp::GetProgramFolder()
{
    if (m_strProgramFolder.empty())
        m_strProgramFolder = shell::GetProgramFolder();
    return m_strProgramFolder;
}

void COrlaApp::SetReceiving(bool receiving, CWnd* dialog)
{
    m_bReceiving = receiving;
    m_pReceivingDialog = receiving ? dialog : nullptr;
}

bool COrlaApp::SetModal(bool modal)
{
    const bool previous = m_idle.modal;
    m_idle.modal = modal;
    return previous;
}

bool COrlaApp::SetPagingSuspended(bool suspended)
{
    const bool previous = m_idle.pagingSuspended;
    m_idle.pagingSuspended = suspended;
    return previous;
}

bool COrlaApp::SetSynchronousPainting(bool on)
{
    const bool previous = m_nSynchronousPainting != 0;
    m_nSynchronousPainting = on ? 1 : 0;
    return previous;
}

CWinThread* COrlaApp::TakeProgressThread()
{
    CWinThread* thread = m_pProgressThread;
    m_pProgressThread = nullptr;
    m_hProgressWnd = nullptr;
    return thread;
}

bool COrlaApp::GetCameraName(CQzString& name)
{
    COrlaKavoSource* source = GetKavoSource(false);
    return source && source->GetCap9String(&name) == 0 && name.GetLength() > 0;
}

int COrlaApp::DoMessageBox(const char* prompt, UINT type, UINT helpId)
{
    // A box that names no icon gets the exclamation mark, whatever its buttons.
    const UINT buttons = type & MB_TYPEMASK;
    if (!(type & MB_ICONMASK) &&
        (buttons == MB_OK || buttons == MB_OKCANCEL || buttons == MB_YESNOCANCEL || buttons == MB_YESNO))
        type |= MB_ICONEXCLAMATION;
    // No camera command may go out while the box waits for the user.
    const bool previous = SetModal(true);
    // The splash goes by itself at any moment: the main window owns the box
    // instead, and the splash comes to the front again after it.
    HWND splash = CDlgAbout::GetSplashWindow();
    const bool splashActive = splash && ::GetActiveWindow() == splash && HasMainWindow();
    if (splashActive)
        ::SetActiveWindow(m_pMainWnd->m_hWnd);
    const int answer = CWinApp::DoMessageBox(prompt, type, helpId);
    if (splashActive && CDlgAbout::GetSplashWindow() == splash)
        ::SetActiveWindow(splash);
    SetModal(previous);
    return answer;
}

void COrlaApp::AddDocTemplate(CDocTemplate* tmpl)
{
    if (!m_pDocManager)
        m_pDocManager = new CDocManagerNew;
    CWinApp::AddDocTemplate(tmpl);
}

// ---- commands

void COrlaApp::OnToggleAutoFit()
{
    m_bAutoFitToWindow = !m_bAutoFitToWindow;
}

void COrlaApp::OnUpdateAutoFit(CCmdUI* ui)
{
    ui->SetCheck(m_bAutoFitToWindow ? 1 : 0);
}

void COrlaApp::OnAppFileNew()
{
    if (m_pImageTemplate)
        m_pImageTemplate->OpenDocumentFile(nullptr, TRUE);
}

void COrlaApp::ReceiveHandOver(ULONG_PTR id, const void* data, size_t size)
{
    if (id != shell::kHandOverDataId)
        return;
    const auto record = shell::ReadHandOverRecord(data, size);
    if (!record)
        return;
    // The record is ours now: the second start may end (and release the
    // start-up semaphore) while the open asks its questions.
    if (::InSendMessage())
        ::ReplyMessage(FALSE);
    if (record->import == 0) {
        OpenDocumentFile(record->path);
        return;
    }
    // Imports go to the camera image window, which cannot take them yet; the
    // second start has ended, so the user must hear that the file was not taken.
    std::string text = record->path;
    text += " was not imported: importing handed-over files into the camera image window is not available in "
            "this version.";
    AfxMessageBox(text.c_str(), MB_OK | MB_ICONEXCLAMATION);
}

void COrlaApp::OnSelectionCursor() { m_nCursorMode = 2; }
void COrlaApp::OnZoomCursor() { m_nCursorMode = 1; }
void COrlaApp::OnGrabCursor() { m_nCursorMode = 3; }

void COrlaApp::OnUpdateCursor(CCmdUI* ui)
{
    const int32_t mode = ui->m_nID == ID_VIEW_SELECTION_CURSOR ? 2 : ui->m_nID == ID_VIEW_ZOOM_CURSOR ? 1 : 3;
    ui->SetCheck(m_nCursorMode == mode ? 1 : 0);
}

void COrlaApp::BroadcastPreferencesChanged()
{
    CWnd* main = m_pMainWnd;
    if (!main || !main->m_hWnd)
        return;
    constexpr UINT kPreferencesChanged = 0x8002;
    main->SendMessage(kPreferencesChanged, 0, 0);
    main->SendMessageToDescendants(kPreferencesChanged, 0, 0, true);
    if (CMainFrame* frame = CMainFrame::Get()) {
        CWnd* palettes[] = {&frame->m_wndUnsharpMask,  &frame->m_wndCurves,          &frame->m_wndColorAdjust,
                            &frame->m_wndSizeRes,      &frame->m_wndBirdsEye,        &frame->m_wndInformation,
                            &frame->m_wndImageEnhancements, &frame->m_wndExposureAdjust, &frame->m_wndWBAdjust,
                            &frame->m_wndNoiseReduction};
        for (CWnd* palette : palettes)
            if (palette->m_hWnd)
                ::SendMessageA(palette->m_hWnd, kPreferencesChanged, 0, 0);
    }
}
