#include "app/shell/frame/my_tool_bar.h"

#include "app/shell/frame/frame_ids.h"
#include "app/shell/frame/main_frame.h"
#include "clx/document.h"
#include "clx/messages.h"
#include "clx/view.h"

namespace {

constexpr unsigned kAllUpdateHints = 32767;
// View update hints of the cursor buttons' double clicks.
constexpr LPARAM kHintZoom = 8;
constexpr LPARAM kHintZoomAutoFit = 10;
constexpr LPARAM kHintGrab = 1;
constexpr LRESULT kHelpToolBar = 0x20000300;
constexpr LRESULT kHelpButtonBase = static_cast<LRESULT>(0x80000000u);

CView* ActiveView()
{
    CMainFrame* frame = CMainFrame::Get();
    CMDIChildWnd* child = frame ? frame->MDIGetActive() : nullptr;
    return child ? child->GetActiveView() : nullptr;
}

void ShowOriginal(bool on)
{
    if (auto* target = dynamic_cast<IShowOriginalTarget*>(ActiveView()))
        target->UpdateAdjustments(kAllUpdateHints, on);
}

}  // namespace

BEGIN_MESSAGE_MAP(CMyToolBar, CToolBar)
    ON_WM_LBUTTONDOWN()
    ON_WM_LBUTTONUP()
    ON_WM_LBUTTONDBLCLK()
    ON_MESSAGE(WM_HELPHITTEST, OnHelpHitTest)
END_MESSAGE_MAP()

BOOL CMyToolBar::LoadToolBar(UINT id)
{
    if (!CToolBar::LoadToolBar(id))
        return FALSE;
    m_nShowOriginalIndex = CommandToIndex(ID_SHOW_ORIGINAL);
    m_nZoomCursorIndex = CommandToIndex(ID_VIEW_ZOOM_CURSOR);
    m_nGrabCursorIndex = CommandToIndex(ID_VIEW_GRAB_CURSOR);
    return TRUE;
}

UINT CMyToolBar::CommandAt(CPoint client) const
{
    for (int i = 0; i < GetCount(); ++i) {
        const UINT id = GetItemID(i);
        if (id == 0)
            continue;
        CRect button;
        GetItemRect(i, &button);
        if (button.PtInRect(client))
            return id;
    }
    return 0;
}

bool CMyToolBar::OnEnabledShowOriginal(CPoint point) const
{
    if (m_nShowOriginalIndex < 0)
        return false;
    CRect button;
    GetItemRect(m_nShowOriginalIndex, &button);
    return button.PtInRect(point) && GetToolBarCtrl().IsButtonEnabled(ID_SHOW_ORIGINAL);
}

void CMyToolBar::OnLButtonDown(UINT flags, CPoint point)
{
    CToolBar::OnLButtonDown(flags, point);
    if (OnEnabledShowOriginal(point))
        ShowOriginal(true);
}

void CMyToolBar::OnLButtonUp(UINT flags, CPoint point)
{
    CToolBar::OnLButtonUp(flags, point);
    if (!OnEnabledShowOriginal(point))
        return;
    CRect button;
    GetItemRect(m_nShowOriginalIndex, &button);
    RedrawWindow(&button, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    ShowOriginal(false);
}

void CMyToolBar::OnLButtonDblClk(UINT flags, CPoint point)
{
    const UINT command = CommandAt(point);
    CView* view = ActiveView();
    CDocument* doc = view ? view->GetDocument() : nullptr;
    if (doc && command == ID_VIEW_ZOOM_CURSOR) {
        const auto* target = dynamic_cast<IShowOriginalTarget*>(view);
        doc->UpdateAllViews(nullptr, target && target->IsAutoFit() ? kHintZoomAutoFit : kHintZoom);
    } else if (doc && command == ID_VIEW_GRAB_CURSOR) {
        doc->UpdateAllViews(nullptr, kHintGrab);
    }
    CToolBar::OnLButtonDblClk(flags, point);
}

LRESULT CMyToolBar::OnHelpHitTest(WPARAM, LPARAM lParam)
{
    const UINT command = CommandAt(CPoint(lParam));
    return command ? kHelpButtonBase + static_cast<LRESULT>(command) : kHelpToolBar;
}
