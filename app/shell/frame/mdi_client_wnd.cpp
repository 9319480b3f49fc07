#include "app/shell/frame/mdi_client_wnd.h"

#include "app/shell/frame/main_frame.h"

BEGIN_MESSAGE_MAP(CMDIClientWnd, CWnd)
    ON_WM_MOUSEMOVE()
END_MESSAGE_MAP()

void CMDIClientWnd::OnMouseMove(UINT flags, CPoint point)
{
    if (CMainFrame* frame = CMainFrame::Get())
        frame->m_wndInformation.ClearValues();
    CWnd::OnMouseMove(flags, point);
}
