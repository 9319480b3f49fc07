// CPrefPageCMS ("CMS"): the monitor profile, the working RGB colour space
// and the CMYK separation profile. They are read at start-up, so a change
// takes effect at the next start, and the page says so.
#pragma once

#include <string>

#include "app/shell/controls/qz_combo_box.h"
#include "app/shell/preferences/tab_page_base.h"

class CPrefPageCMS : public CTabPageBase {
public:
    static constexpr UINT kMonitorBrowseId = 1127;
    static constexpr UINT kWorkingSpaceId = 1128;
    static constexpr UINT kCmykBrowseId = 1129;
    static constexpr UINT kMonitorPathId = 1130;
    static constexpr UINT kCmykPathId = 1131;

    // `profileFolder`: the maker's profile folder, ending with a backslash.
    explicit CPrefPageCMS(std::string profileFolder) : m_profileFolder(std::move(profileFolder)) {}

    UINT GetTitleId() const override { return 8320; }
    SIZE GetLayoutSize(HDC dc) override;
    void LoadFromSettings() override;
    void StoreToSettings() override;
    // The chosen profiles' paths must fit.
    BOOL Validate() override;

protected:
    int OnCreate(CREATESTRUCT* cs);
    void OnSelChangeWorkingSpace();
    void OnBrowseMonitor();
    void OnBrowseCmyk();
    DECLARE_MESSAGE_MAP()

private:
    SIZE Measure(HDC dc);
    void Browse(int kind, std::string& path, UINT fieldId);

    std::string m_profileFolder;
    bool m_loaded = false;
    std::string m_monitorPath;
    std::string m_cmykPath;
    int m_lastWorkingSpace = -1;
    CQzComboBox m_workingSpace;
    int m_pathWidth = 0;
    int m_buttonWidth = 0;
    int m_listWidth = 0;
    int m_captionWidth = 0;
    static constexpr int kIndent = 20;
};
