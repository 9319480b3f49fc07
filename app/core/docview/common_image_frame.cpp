#include "app/core/docview/common_image_frame.h"

#include <algorithm>

#include "app/core/docview/image_display_view.h"
#include "app/core/record/image_record.h"
#include "app/core/shooting/shooting_seams.h"
#include "app/core/view_model/document_titles.h"
#include "clx/app.h"
#include "clx/document.h"
#include "clx/msgmap.h"
#include "clx/resources.h"
#include "clx/view.h"

IMPLEMENT_DYNCREATE(CCommonImageFrame, CMDIChildWnd)

BEGIN_MESSAGE_MAP(CCommonImageFrame, CMDIChildWnd)
    ON_WM_MDIACTIVATE()
    ON_WM_SIZING()
    ON_WM_HELPINFO()
    ON_MESSAGE(WM_COMMANDHELP, OnCommandHelp)
    ON_MESSAGE(WM_HELPHITTEST, OnHelpHitTest)
    ON_COMMAND(kCmdToggleShootingData, OnToggleShootingData)
    ON_UPDATE_COMMAND_UI(kCmdToggleShootingData, OnUpdateToggleShootingData)
    ON_MESSAGE(kWmResetViewSections, OnResetViewSections)
END_MESSAGE_MAP()

namespace {

bool frameSizing = false;

// The pane's font: the interface font.
HGDIOBJ PaneFont()
{
    return ::GetStockObject(DEFAULT_GUI_FONT);
}

struct PaneMetrics {
    int32_t lineHeight;
    int32_t charWidth;
};

PaneMetrics MeasurePaneFont(HDC dc)
{
    TEXTMETRICA metrics{};
    ::GetTextMetricsA(dc, &metrics);
    return {metrics.tmHeight, metrics.tmAveCharWidth};
}

}  // namespace

CCommonImageFrame::~CCommonImageFrame()
{
    // The scroll bar is the section's child; the frame's own window is gone by now.
    if (scrollBar_ && ::IsWindow(scrollBar_))
        ::DestroyWindow(scrollBar_);
    if (section_.m_hWnd)
        section_.DestroyWindow();
}

bool CCommonImageFrame::IsFrameSizing()
{
    return frameSizing;
}

void CCommonImageFrame::SetFrameSizing(bool sizing)
{
    frameSizing = sizing;
}

void CCommonImageFrame::OnUpdateFrameTitle(BOOL addToTitle)
{
    CDocument* doc = GetActiveDocument();
    CView* view = GetActiveView();
    if (addToTitle && AddsToTitle() && doc && view) {
        const auto* source = dynamic_cast<const IFrameTitleText*>(view);
        const std::string title = qz::FormatFrameTitle(static_cast<const char*>(doc->GetTitle()), m_nWindow,
                                                       source ? source->GetFrameTitleText() : std::string(),
                                                       doc->IsModified() != FALSE);
        if (std::string(static_cast<const char*>(GetWindowText())) != title)
            SetWindowText(title.c_str());
    }
    if (CMDIFrameWnd* frame = GetMDIFrame())
        frame->OnUpdateFrameTitle(addToTitle);
}

void CCommonImageFrame::InitialUpdateFrame(CDocument* doc, BOOL visible)
{
    CMDIChildWnd::InitialUpdateFrame(doc, visible);
    UpdateInfoPane();
}

void CCommonImageFrame::UpdateInfoPane()
{
    measured_ = false;
    if (section_.m_hWnd)
        ::RedrawWindow(section_.m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
}

const CShootingInfoTable* CCommonImageFrame::GetShootingInfo()
{
    auto* view = dynamic_cast<CImageDisplayView*>(GetActiveView());
    CImageRecord* record = view ? view->GetRecord() : nullptr;
    return record ? &record->shooting : nullptr;
}

int32_t CCommonImageFrame::GetInfoPaneHeight()
{
    HDC dc = ::GetDC(nullptr);
    HGDIOBJ old = ::SelectObject(dc, PaneFont());
    const PaneMetrics metrics = MeasurePaneFont(dc);
    ::SelectObject(dc, old);
    ::ReleaseDC(nullptr, dc);
    return qz::GetInfoPaneHeight(metrics.lineHeight, ::GetSystemMetrics(SM_CYHSCROLL));
}

RECT CCommonImageFrame::GetInfoPaneRect() const
{
    if (!section_.m_hWnd)
        return {};
    const CRect client = section_.GetClientRect();
    return {0, section_.GetHeaderHeight(), client.right, std::max(section_.GetHeaderHeight(), section_.GetOpenHeight())};
}

void CCommonImageFrame::CreateInfoPaneScrollBar(UINT id)
{
    scrollBar_ = ::CreateWindowExA(0, "SCROLLBAR", "", WS_CHILD | SBS_HORZ, 0, 0, 0, 0, section_.m_hWnd,
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), ::GetModuleHandleA(nullptr),
                                   nullptr);
    section_.AddItem(id);
    SCROLLINFO info{sizeof info, SIF_RANGE | SIF_PAGE | SIF_POS, 0, 0, 0, 0, 0};
    ::SetScrollInfo(scrollBar_, SB_CTL, &info, FALSE);
    PlaceInfoPaneScrollBar();
    UpdateInfoPaneScrollBar();
}

void CCommonImageFrame::PlaceInfoPaneScrollBar()
{
    if (!scrollBar_)
        return;
    const RECT pane = GetInfoPaneRect();
    const int32_t height = ::GetSystemMetrics(SM_CYHSCROLL);
    ::SetWindowPos(scrollBar_, nullptr, pane.left, pane.bottom - height, std::max<int32_t>(0, pane.right - 2),
                   height, SWP_NOZORDER | SWP_NOACTIVATE);
    const int32_t old = GetInfoPaneScrollPosition();
    SCROLLINFO info{sizeof info, SIF_PAGE, 0, 0, 0, 0, 0};
    info.nPage = static_cast<UINT>(std::max<LONG>(0, pane.right - pane.left));
    ::SetScrollInfo(scrollBar_, SB_CTL, &info, TRUE);
    // A wider page can pull the position back: the pane is drawn again from there.
    if (GetInfoPaneScrollPosition() != old)
        section_.Invalidate(FALSE);
}

void CCommonImageFrame::UpdateInfoPaneScrollBar()
{
    if (!scrollBar_)
        return;
    SCROLLINFO info{sizeof info, SIF_RANGE | SIF_PAGE, 0, 0, 0, 0, 0};
    ::GetScrollInfo(scrollBar_, SB_CTL, &info);
    const bool needed = info.nMax - info.nMin + 1 > static_cast<int>(info.nPage);
    const bool open = section_.GetMode() == CViewSection::kOpen && (section_.GetStyle() & WS_VISIBLE);
    ::ShowWindow(scrollBar_, needed && open ? SW_SHOWNA : SW_HIDE);
}

int32_t CCommonImageFrame::GetInfoPaneScrollPosition() const
{
    return scrollBar_ ? ::GetScrollPos(scrollBar_, SB_CTL) : 0;
}

void CCommonImageFrame::LayoutInfoPane(HDC dc)
{
    measured_ = true;
    const CString title = clx::LoadStr(kInfoPaneTitleId);
    const PaneMetrics metrics = MeasurePaneFont(dc);
    layout_ = qz::LayoutInfoPane(GetShootingInfo(), CQzGdiTextMeasure(dc), static_cast<const char*>(title),
                                 metrics.lineHeight, metrics.charWidth);
    if (!scrollBar_)
        return;
    // Range and page together: the control cuts a page to a smaller range.
    const RECT pane = GetInfoPaneRect();
    SCROLLINFO info{sizeof info, SIF_RANGE | SIF_PAGE, 0, std::max(0, layout_.contentWidth - 1),
                    static_cast<UINT>(std::max<LONG>(0, pane.right - pane.left)), 0, 0};
    ::SetScrollInfo(scrollBar_, SB_CTL, &info, TRUE);
    UpdateInfoPaneScrollBar();
}

void CCommonImageFrame::DrawInfoPane(HDC dc, const RECT& pane)
{
    if (pane.right <= pane.left || pane.bottom <= pane.top)
        return;
    HGDIOBJ oldFont = ::SelectObject(dc, PaneFont());
    if (!measured_)
        LayoutInfoPane(dc);
    const int32_t shift = GetInfoPaneScrollPosition();
    const int saved = ::SaveDC(dc);
    ::IntersectClipRect(dc, pane.left, pane.top, pane.right, pane.bottom);
    ::FillRect(dc, &pane, ::GetSysColorBrush(COLOR_3DFACE));
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, ::GetSysColor(COLOR_BTNTEXT));
    // Single lines: a cell's text is never wrapped or read for prefixes.
    for (const qz::InfoPaneText& text : layout_.texts) {
        ::ExtTextOutA(dc, pane.left + text.x - shift, pane.top + text.y, 0, nullptr, text.text.c_str(),
                      static_cast<UINT>(text.text.size()), nullptr);
    }
    ::RestoreDC(dc, saved);
    ::SelectObject(dc, oldFont);
}

void CCommonImageFrame::ScrollInfoPane(UINT code)
{
    if (!scrollBar_)
        return;
    SCROLLINFO info{sizeof info, SIF_ALL, 0, 0, 0, 0, 0};
    ::GetScrollInfo(scrollBar_, SB_CTL, &info);
    const int32_t limit = std::max(0, info.nMax - std::max(static_cast<int>(info.nPage), 1) + 1);
    const int32_t position = qz::ScrollInfoPanePosition(static_cast<int32_t>(code), info.nPos, info.nTrackPos,
                                                        static_cast<int32_t>(info.nPage), limit);
    const int32_t old = info.nPos;
    if (position == old)
        return;
    info.fMask = SIF_POS;
    info.nPos = position;
    ::SetScrollInfo(scrollBar_, SB_CTL, &info, TRUE);
    // Only the pane above the scroll bar moves; what comes into view is painted.
    RECT pane = GetInfoPaneRect();
    pane.bottom -= ::GetSystemMetrics(SM_CYHSCROLL);
    ::ScrollWindowEx(section_.m_hWnd, old - position, 0, &pane, &pane, nullptr, nullptr, SW_INVALIDATE);
    section_.UpdateWindow();
}

void CCommonImageFrame::OnMDIActivate(BOOL activate, CWindow activated, CWindow deactivated)
{
    CMDIChildWnd::OnMDIActivate(activate, activated, deactivated);
    // Its view is active again: the caption and the pane follow the document,
    // whose record may have been loaded again meanwhile.
    if (activate) {
        OnUpdateFrameTitle(TRUE);
        UpdateInfoPane();
    }
}

void CCommonImageFrame::OnSizing(UINT, RECT*)
{
    frameSizing = true;
    Default();
}

BOOL CCommonImageFrame::OnHelpInfo(HELPINFO*)
{
    // Help comes through WM_COMMANDHELP and the help mode, not WM_HELP.
    return TRUE;
}

LRESULT CCommonImageFrame::OnCommandHelp(WPARAM, LPARAM given)
{
    uint32_t context = static_cast<uint32_t>(given);
    if (context == 0) {
        // The menus are the MDI frame's; between menus it tracks "ready" or nothing.
        CMDIFrameWnd* main = GetMDIFrame();
        const UINT tracked = main ? main->m_nIDTracking : 0;
        const bool menuTracked = tracked != 0 && tracked != IDS_CLX_READY && tracked != IDS_CLX_MDI_CHILD;
        // The frame's last command is the one it was made for: its own help id.
        context = qz::GetCommandHelpContext(menuTracked, tracked, m_nIDHelp);
    }
    if (context == 0)
        return FALSE;
    if (CWinApp* app = AfxGetApp())
        app->WinHelp(context, HELP_CONTEXT);
    return TRUE;
}

LRESULT CCommonImageFrame::OnHelpHitTest(WPARAM, LPARAM point)
{
    const POINT client{static_cast<short>(LOWORD(point)), static_cast<short>(HIWORD(point))};
    const HWND child = ::ChildWindowFromPointEx(m_hWnd, client, CWP_SKIPINVISIBLE);
    uint32_t controlId = 0xFFFF;
    if (child && child != m_hWnd)
        controlId = static_cast<uint32_t>(::GetDlgCtrlID(child)) & 0xFFFF;
    return static_cast<LRESULT>(qz::GetHitTestHelpContext(m_nIDHelp, controlId));
}

void CCommonImageFrame::OnToggleShootingData()
{
    SetSectionState(GetSectionState() == 0 ? 1 : 0);
}

void CCommonImageFrame::OnUpdateToggleShootingData(CCmdUI* cmdUI)
{
    cmdUI->Enable(HasInfoPane());
    cmdUI->SetCheck(GetSectionState() != 0);
}

LRESULT CCommonImageFrame::OnResetViewSections(WPARAM w, LPARAM)
{
    if (w & 1)
        SetSectionState(0);
    return 1;
}
