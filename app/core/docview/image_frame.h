// CImageFrame: the MDI child frame of an image document. Above the view it
// carries the "Shooting Data" section bar, whose open part is the
// shooting-data pane with its scroll bar; the preferences decide whether the
// bar is shown (1041) and whether it opens at once (1042), and the frame
// follows a change of them on WM_PREFERENCES_CHANGED.
#pragma once

#include "app/core/docview/common_image_frame.h"
#include "app/core/docview/view_section.h"

inline constexpr UINT kWmPreferencesChanged = 0x8002;
inline constexpr uint32_t kSettingDisplaySettingsSection = 1041;
inline constexpr uint32_t kSettingAutoOpenSettingsSection = 1042;
inline constexpr UINT kSectionBarId = 1091;
inline constexpr UINT kSectionScrollBarId = 1092;
// The section's caption.
inline constexpr uint32_t kSectionCaptionId = qz::StringId(9488);

class CImageFrame : public CCommonImageFrame, private CViewSectionContainer {
    DECLARE_DYNCREATE(CImageFrame)
public:
    HWND GetSectionScrollBar() const { return GetInfoPaneScrollBar(); }
    // The room the section takes above the view: 0 while it is hidden.
    int32_t GetExtraHeight() const { return extraHeight_; }

protected:
    int OnCreate(CREATESTRUCT* cs);
    void OnSize(UINT type, int cx, int cy);
    void OnGetMinMaxInfo(MINMAXINFO* info);
    LRESULT OnPreferencesChanged(WPARAM w, LPARAM l);
    DECLARE_MESSAGE_MAP()

private:
    // CViewSectionContainer
    void OnSectionModeChanged(CViewSection* section, int32_t mode) override;
    void DrawSection(CViewSection* section, HDC dc, const RECT& client, const RECT& header) override;
    void OnSectionNext(CViewSection*) override {}
    void OnSectionPrevious(CViewSection*) override {}
    void OnSectionDelete(CViewSection*) override {}
    bool OnSectionCommand(CViewSection*, UINT, HWND) override { return false; }
    void OnSectionScroll(CViewSection* section, UINT code, UINT position, HWND control) override;
    void OnSectionContextMenu(CViewSection*, HWND, POINT) override {}

    int32_t extraHeight_ = 0;
};
