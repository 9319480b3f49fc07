// The main frame's help: every help request ends in WinHelp, which hands it
// to the help topic map; F1 and the help mode ask the frame for the id of
// what is under the menu, the prompt or the pointer.
#include "app/shell/frame/main_frame.h"
#include "app/shell/help/help_entry.h"
#include "app/shell/help/help_topics.h"
#include "clx/app.h"

void CMainFrame::WinHelp(DWORD_PTR data, UINT cmd)
{
    shell::ShowHelp(*this, data, cmd);
}

void CMainFrame::OnHelpFinder()
{
    WinHelp(0, HELP_FINDER);
}

LRESULT CMainFrame::OnCommandHelp(WPARAM, LPARAM helpId)
{
    const uint32_t id =
        shell::FrameCommandHelpId(static_cast<uint32_t>(helpId), m_nIDTracking, m_nIDLastMessage);
    if (id == 0)
        return FALSE;
    AfxGetApp()->WinHelp(id, shell::kHelpContext);
    return TRUE;
}

LRESULT CMainFrame::OnHelpHitTest(WPARAM, LPARAM point)
{
    const POINT client{static_cast<short>(LOWORD(point)), static_cast<short>(HIWORD(point))};
    const HWND child = ::ChildWindowFromPointEx(m_hWnd, client, CWP_SKIPINVISIBLE);
    uint32_t controlId = shell::kNoControlId;
    if (child && child != m_hWnd)
        controlId = static_cast<uint32_t>(::GetDlgCtrlID(child)) & 0xFFFF;
    return static_cast<LRESULT>(shell::FrameHitTestHelpId(m_nIDLastMessage, controlId));
}
