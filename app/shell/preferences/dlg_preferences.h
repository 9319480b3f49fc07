// CDlgPreferences ("Preferences"): the program-wide settings on six tab
// pages. A page reads the settings when it is first shown; OK stores the
// pages that were shown, and only when every one of them accepts its
// values. The caller broadcasts the change after IDOK.
#pragma once

#include "app/shell/dialogs/dlg_base.h"
#include "app/shell/preferences/pref_page_cms.h"
#include "app/shell/preferences/pref_page_curves.h"
#include "app/shell/preferences/pref_page_files.h"
#include "app/shell/preferences/pref_page_general.h"
#include "app/shell/preferences/pref_page_grid.h"
#include "app/shell/preferences/pref_page_thumb.h"
#include "app/shell/preferences/preferences_host.h"
#include "clx/controls.h"

class CDlgPreferences : public CDlgBase {
public:
    static constexpr int kPageCount = 6;
    // Tab order.
    enum Page { kGeneral, kFiles, kThumbnails, kAdvancedColor, kGridLines, kCms };
    static constexpr UINT kTabId = 1095;

    CDlgPreferences(CWnd* parent, const PreferencesHost& host);

    // The page shown first (0 to 5).
    void SetStartPage(int index);

    CTabPageBase* GetPage(int index) const { return index >= 0 && index < kPageCount ? m_pages[index] : nullptr; }
    int GetShownPage() const { return m_shownPage; }

protected:
    int OnCreate(CREATESTRUCT* cs);
    void OnSelChangeTab(NMHDR*, LRESULT* result);
    void OnOK() override;
    DECLARE_MESSAGE_MAP()

private:
    bool CreateControls(HDC dc);
    void ShowSelectedPage();

    CPrefPageGeneral m_pageGeneral;
    CPrefPageFiles m_pageFiles;
    CPrefPageThumb m_pageThumb;
    CPrefPageCurves m_pageCurves;
    CPrefPageGrid m_pageGrid;
    CPrefPageCMS m_pageCms;
    CTabCtrl m_tab;
    CTabPageBase* m_pages[kPageCount];
    RECT m_pageRect{};  // the tab control's display area, dialog client coordinates
    int m_shownPage = -1;
    int m_startPage = 0;
};
