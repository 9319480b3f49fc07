// CPrefPageCurves ("Advanced Color"): the tone tools' settings of the
// adjustment palettes: the auto-contrast clip, the black and white dropper
// targets, the droppers' sample size and white balance in degrees Kelvin.
#pragma once

#include "app/shell/controls/qz_combo_box.h"
#include "app/shell/controls/qz_edit.h"
#include "app/shell/preferences/tab_page_base.h"

class CPrefPageCurves : public CTabPageBase {
public:
    static constexpr UINT kClipId = 1009;
    static constexpr UINT kResetId = 1013;
    static constexpr UINT kSampleSizeId = 1099;
    static constexpr UINT kBlackFirstId = 1115;  // red, green, blue
    static constexpr UINT kWhiteFirstId = 1118;
    static constexpr UINT kKelvinId = 1229;

    UINT GetTitleId() const override { return 8272; }
    SIZE GetLayoutSize(HDC dc) override;
    void LoadFromSettings() override;
    void StoreToSettings() override;
    // Each black dropper value below its white one.
    BOOL Validate() override;

protected:
    int OnCreate(CREATESTRUCT* cs);
    void OnReset();
    DECLARE_MESSAGE_MAP()

private:
    SIZE Measure(HDC dc);
    int32_t ReadWhole(UINT id) const;
    int32_t ReadPacked(UINT firstId) const;

    bool m_loaded = false;
    CQzEdit m_clip;
    CQzEdit m_black[3];
    CQzEdit m_white[3];
    CQzComboBox m_sampleSize;
    int m_labelWidth = 0;
    int m_clipWidth = 0;
    int m_channelLabelWidth = 0;
    int m_channelWidth = 0;
    int m_listWidth = 0;
    int m_checkWidth = 0;
    int m_buttonWidth = 0;
};
