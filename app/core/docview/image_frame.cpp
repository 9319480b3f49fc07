#include "app/core/docview/image_frame.h"

#include <algorithm>

#include "app/core/docview/image_display_view.h"
#include "clx/msgmap.h"
#include "clx/resources.h"

IMPLEMENT_DYNCREATE(CImageFrame, CCommonImageFrame)

BEGIN_MESSAGE_MAP(CImageFrame, CCommonImageFrame)
    ON_WM_CREATE()
    ON_WM_SIZE()
    ON_WM_GETMINMAXINFO()
    ON_MESSAGE(kWmPreferencesChanged, OnPreferencesChanged)
END_MESSAGE_MAP()

int CImageFrame::OnCreate(CREATESTRUCT* cs)
{
    if (CCommonImageFrame::OnCreate(cs) == -1)
        return -1;
    const IImageViewHost& host = GetImageViewHost();
    const bool shown = host.GetIntSetting(kSettingDisplaySettingsSection, 1) != 0;
    const CString caption = clx::LoadStr(kSectionCaptionId);
    // Open, the bar is its header above the whole pane.
    const CRect client = GetClientRect();
    const RECT place = {0, 0, client.Width(), CViewSection::LoadHeaderHeight() + GetInfoPaneHeight()};
    if (!section_.Create(false, static_cast<const char*>(caption), shown ? WS_VISIBLE : 0, place, this, kSectionBarId))
        return -1;
    section_.SetOwner(this);
    section_.SetCurrent(shown ? 1 : 0);
    if (host.GetIntSetting(kSettingAutoOpenSettingsSection, 0) != 0)
        section_.SetMode(CViewSection::kOpen, false);
    extraHeight_ = shown ? section_.GetModeHeight() : 0;
    CreateInfoPaneScrollBar(kSectionScrollBarId);
    RecalcLayout();
    return 0;
}

void CImageFrame::OnSize(UINT type, int cx, int cy)
{
    CCommonImageFrame::OnSize(type, cx, cy);
    if (!section_.m_hWnd)
        return;
    // Heights are kept; the scroll bar's page becomes the new width.
    ::SetWindowPos(section_.m_hWnd, nullptr, 0, 0, std::max(0, cx), section_.GetModeHeight(),
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    PlaceInfoPaneScrollBar();
    UpdateInfoPaneScrollBar();
}

void CImageFrame::OnGetMinMaxInfo(MINMAXINFO* info)
{
    CCommonImageFrame::OnGetMinMaxInfo(info);
    info->ptMinTrackSize.y += extraHeight_;
}

void CImageFrame::OnSectionModeChanged(CViewSection*, int32_t)
{
    extraHeight_ = section_.GetStyle() & WS_VISIBLE ? section_.GetModeHeight() : 0;
    RecalcLayout();
    PlaceInfoPaneScrollBar();
    UpdateInfoPaneScrollBar();
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

void CImageFrame::DrawSection(CViewSection*, HDC dc, const RECT&, const RECT&)
{
    if (section_.GetMode() == CViewSection::kOpen)
        DrawInfoPane(dc, GetInfoPaneRect());
}

void CImageFrame::OnSectionScroll(CViewSection*, UINT code, UINT, HWND control)
{
    if (control == GetInfoPaneScrollBar())
        ScrollInfoPane(code);
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
        UpdateInfoPaneScrollBar();
    }
    return 0;
}
