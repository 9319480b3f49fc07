#include "app/shell/frame/my_status_bar.h"

#include "app/shell/frame/frame_ids.h"
#include "app/shell/frame/main_frame.h"
#include "app/shell/frame/main_frame_host.h"
#include "clx/messages.h"
#include "clx/resources.h"

namespace {

constexpr LRESULT kHelpCamPane = 0x2000E707;
constexpr LRESULT kHelpDiskPane = 0x2000E708;
constexpr LRESULT kHelpStatusBar = 0x20000301;

}  // namespace

BEGIN_MESSAGE_MAP(CMyStatusBar, CStatusBar)
    ON_WM_LBUTTONDOWN()
    ON_MESSAGE(WM_HELPHITTEST, OnHelpHitTest)
END_MESSAGE_MAP()

UINT CMyStatusBar::PaneAt(CPoint client) const
{
    for (int i = 0; i < GetCount(); ++i) {
        CRect pane;
        GetItemRect(i, &pane);
        if (pane.PtInRect(client))
            return GetItemID(i);
    }
    return 0;
}

void CMyStatusBar::OnLButtonDown(UINT flags, CPoint point)
{
    const UINT pane = PaneAt(point);
    if (pane == ID_INDICATOR_CAM)
        ShowCameraStatus();
    else if (pane == ID_INDICATOR_DISK)
        if (CMainFrame* frame = CMainFrame::Get())
            frame->PostMessage(WM_SHOW_DISK_STATUS, 0, 0);
    CStatusBar::OnLButtonDown(flags, point);
}

void CMyStatusBar::ShowCameraStatus()
{
    CMainFrame* frame = CMainFrame::Get();
    const CString caption = clx::LoadStr(IDS_CAMERA_STATUS);
    CString text;
    UINT icon = 0;
    if (frame && frame->GetCameraState() == kCameraConnected) {
        text = clx::LoadStr(IDS_CAMERA_CONNECTED);
        IMainFrameHost* host = GetMainFrameHost();
        CQzString name;
        if (host && host->HasKavoSource(false) && host->GetCameraName(name) && name.GetLength() > 0)
            AfxFormatString1(text, IDS_NAMED_CAMERA_CONNECTED, static_cast<const char*>(name));
        icon = MB_ICONINFORMATION;
    } else {
        text = clx::LoadStr(IDS_CAMERA_NOT_FOUND);
    }
    // A plain box: the application's own would add an icon to the "not found" text.
    ::MessageBoxA(frame ? frame->m_hWnd : nullptr, text, caption, MB_OK | icon);
}

LRESULT CMyStatusBar::OnHelpHitTest(WPARAM, LPARAM lParam)
{
    switch (PaneAt(CPoint(lParam))) {
    case ID_INDICATOR_CAM: return kHelpCamPane;
    case ID_INDICATOR_DISK: return kHelpDiskPane;
    default: return kHelpStatusBar;
    }
}
