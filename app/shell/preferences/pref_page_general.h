// CPrefPageGeneral ("General"): shooting data in image windows, the
// settings a newly received camera image gets, the default save format and
// keeping the camera awake. Its store hands the keep-awake choice to the
// camera at once.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "app/shell/controls/qz_combo_box.h"
#include "app/shell/preferences/tab_page_base.h"

class CPrefPageGeneral : public CTabPageBase {
public:
    static constexpr UINT kDisplaySectionId = 1096;
    static constexpr UINT kAutoOpenSectionId = 1097;
    static constexpr UINT kUseCurrentId = 1098;
    static constexpr UINT kAwakeTimeId = 1100;
    static constexpr UINT kUseFileId = 1101;
    static constexpr UINT kCopyShootingDataId = 1212;
    static constexpr UINT kSaveFormatId = 1221;
    static constexpr UINT kBrowseId = 1230;

    // `setCameraKeepAwake` reaches the camera (see PreferencesHost).
    explicit CPrefPageGeneral(std::function<void(uint16_t)> setCameraKeepAwake)
        : m_setCameraKeepAwake(std::move(setCameraKeepAwake))
    {
    }

    UINT GetTitleId() const override { return 8193; }
    SIZE GetLayoutSize(HDC dc) override;
    void LoadFromSettings() override;
    void StoreToSettings() override;
    // The settings file is not tested (start-up does that); its path must fit.
    BOOL Validate() override;

protected:
    int OnCreate(CREATESTRUCT* cs);
    void OnDisplaySection();
    void OnNextImageChoice();
    void OnBrowse();
    DECLARE_MESSAGE_MAP()

private:
    SIZE Measure(HDC dc);

    std::function<void(uint16_t)> m_setCameraKeepAwake;
    bool m_loaded = false;
    std::string m_settingsFile;
    HWND m_pathField = nullptr;
    CQzComboBox m_saveFormat;
    CQzComboBox m_awakeTime;
    int m_checkWidth = 0;
    int m_radioWidth = 0;
    int m_pathWidth = 0;
    int m_buttonWidth = 0;
    int m_groupWidth = 0;
    int m_labelWidth = 0;
    int m_formatWidth = 0;
    int m_awakeWidth = 0;
};
