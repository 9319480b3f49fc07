#include "app/core/docview/image_frame.h"

#include <algorithm>

#include "app/core/docview/image_display_view.h"
#include "app/core/view_model/frame_layout.h"
#include "clx/msgmap.h"

IMPLEMENT_DYNCREATE(CImageFrame, CMDIChildWnd)

BEGIN_MESSAGE_MAP(CImageFrame, CMDIChildWnd)
    ON_WM_CREATE()
    ON_WM_SIZE()
    ON_WM_GETMINMAXINFO()
    ON_MESSAGE(kWmPreferencesChanged, OnPreferencesChanged)
END_MESSAGE_MAP()

namespace {

// Six lines of the interface font, the horizontal scroll bar and a margin.
int32_t InfoPaneHeight(HWND wnd)
{
    HDC dc = ::GetDC(wnd);
    HGDIOBJ old = ::SelectObject(dc, ::GetStockObject(DEFAULT_GUI_FONT));
    TEXTMETRICA metrics{};
    ::GetTextMetricsA(dc, &metrics);
    ::SelectObject(dc, old);
    ::ReleaseDC(wnd, dc);
    return qz::GetInfoPaneHeight(metrics.tmHeight, ::GetSystemMetrics(SM_CYHSCROLL));
}

}  // namespace

int CImageFrame::OnCreate(CREATESTRUCT* cs)
{
    if (CMDIChildWnd::OnCreate(cs) == -1)
        return -1;
    const IImageViewHost& host = GetImageViewHost();
    const bool shown = host.GetIntSetting(kSettingDisplaySettingsSection, 1) != 0;
    const CRect client = GetClientRect();
    const RECT place = {0, 0, client.Width(), InfoPaneHeight(m_hWnd)};
    if (!section_.Create("Shooting Data", shown ? WS_VISIBLE : 0, place, this, kSectionBarId))
        return -1;
    section_.SetOwner(this);
    section_.SetCurrent(shown ? 1 : 0);
    if (host.GetIntSetting(kSettingAutoOpenSettingsSection, 0) != 0)
        section_.SetMode(CViewSection::kOpen, false);
    extraHeight_ = shown ? section_.GetModeHeight() : 0;

    scrollBar_ = ::CreateWindowExA(0, "SCROLLBAR", "", WS_CHILD | SBS_VERT, 0, 0, 0, 0, section_.m_hWnd,
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(kSectionScrollBarId)),
                                   ::GetModuleHandleA(nullptr), nullptr);
    section_.AddItem(kSectionScrollBarId);
    SCROLLINFO info{sizeof info, SIF_RANGE | SIF_PAGE | SIF_POS, 0, 0, 0, 0, 0};
    info.nPage = static_cast<UINT>(section_.GetOpenHeight());
    ::SetScrollInfo(scrollBar_, SB_CTL, &info, FALSE);
    PlaceScrollBar();
    UpdateScrollBar();
    RecalcLayout();
    return 0;
}

void CImageFrame::PlaceScrollBar()
{
    if (!scrollBar_)
        return;
    const CRect bar = section_.GetClientRect();
    const int32_t width = ::GetSystemMetrics(SM_CXVSCROLL);
    const int32_t top = section_.GetHeaderHeight();
    ::SetWindowPos(scrollBar_, nullptr, bar.right - 2 - width, top, width,
                   std::max(0, section_.GetOpenHeight() - top), SWP_NOZORDER | SWP_NOACTIVATE);
}

void CImageFrame::UpdateScrollBar()
{
    if (!scrollBar_)
        return;
    SCROLLINFO info{sizeof info, SIF_RANGE | SIF_PAGE, 0, 0, 0, 0, 0};
    ::GetScrollInfo(scrollBar_, SB_CTL, &info);
    const bool needed = info.nMax - info.nMin + 1 > static_cast<int>(info.nPage);
    ::ShowWindow(scrollBar_, needed && section_.GetMode() == CViewSection::kOpen ? SW_SHOWNA : SW_HIDE);
}

void CImageFrame::SetInfoPaneHeight(int32_t height)
{
    // The page again with the range: the control cuts a page to a smaller range.
    SCROLLINFO info{sizeof info, SIF_RANGE | SIF_PAGE, 0, std::max(0, height - 1),
                    static_cast<UINT>(section_.GetOpenHeight()), 0, 0};
    ::SetScrollInfo(scrollBar_, SB_CTL, &info, TRUE);
    UpdateScrollBar();
}

void CImageFrame::OnSize(UINT type, int cx, int cy)
{
    CMDIChildWnd::OnSize(type, cx, cy);
    if (!section_.m_hWnd)
        return;
    // Heights are kept; the page stays the open height the pane is shown in.
    ::SetWindowPos(section_.m_hWnd, nullptr, 0, 0, std::max(0, cx), section_.GetModeHeight(),
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    PlaceScrollBar();
    UpdateScrollBar();
}

void CImageFrame::OnGetMinMaxInfo(MINMAXINFO* info)
{
    CMDIChildWnd::OnGetMinMaxInfo(info);
    info->ptMinTrackSize.y += extraHeight_;
}

void CImageFrame::OnSectionModeChanged(CViewSection*, int32_t)
{
    extraHeight_ = section_.GetStyle() & WS_VISIBLE ? section_.GetModeHeight() : 0;
    RecalcLayout();
    UpdateScrollBar();
    // Too low to show the open section: the frame grows by what is missing.
    const CRect client = GetClientRect();
    if (section_.GetMode() == CViewSection::kOpen && client.Height() < section_.GetOpenHeight()) {
        CRect outer;
        ::GetWindowRect(m_hWnd, &outer);
        ::SetWindowPos(m_hWnd, nullptr, 0, 0, outer.Width(),
                       outer.Height() + section_.GetOpenHeight() - client.Height(),
                       SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

void CImageFrame::DrawSection(CViewSection*, HDC, const RECT&, const RECT&)
{
    // The shooting-information table is drawn by the information pane;
    // the bar's face colour stands in until it has content.
}

void CImageFrame::OnSectionVScroll(CViewSection* section, UINT code, UINT, HWND control)
{
    if (control != scrollBar_)
        return;
    SCROLLINFO info{sizeof info, SIF_ALL, 0, 0, 0, 0, 0};
    ::GetScrollInfo(scrollBar_, SB_CTL, &info);
    const int32_t limit = std::max(0, info.nMax - std::max(static_cast<int>(info.nPage), 1) + 1);
    int32_t position = info.nPos;
    switch (code) {
    case SB_LINEUP: position -= 10; break;
    case SB_LINEDOWN: position += 10; break;
    case SB_PAGEUP: position -= static_cast<int32_t>(info.nPage); break;
    case SB_PAGEDOWN: position += static_cast<int32_t>(info.nPage); break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: position = info.nTrackPos; break;
    case SB_TOP: position = 0; break;
    case SB_BOTTOM: position = limit; break;
    default: return;
    }
    info.fMask = SIF_POS;
    info.nPos = std::clamp(position, 0, limit);
    ::SetScrollInfo(scrollBar_, SB_CTL, &info, TRUE);
    section->Invalidate(FALSE);
}

LRESULT CImageFrame::OnPreferencesChanged(WPARAM, LPARAM)
{
    const bool wanted = GetImageViewHost().GetIntSetting(kSettingDisplaySettingsSection, 1) != 0;
    const bool shown = (section_.GetStyle() & WS_VISIBLE) != 0;
    if (wanted && !shown) {
        section_.ShowWindow(SW_SHOWNA);
        section_.SetCurrent(1);
        OnSectionModeChanged(&section_, section_.GetMode());
    } else if (!wanted && shown) {
        section_.ShowWindow(SW_HIDE);
        section_.SetCurrent(0);
        extraHeight_ = 0;
        RecalcLayout();
    }
    return 0;
}
