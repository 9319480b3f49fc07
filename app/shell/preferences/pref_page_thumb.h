// CPrefPageThumb ("Thumbnails"): how the camera image window treats its
// thumbnails, and the number the next received image gets.
#pragma once

#include "app/shell/preferences/tab_page_base.h"

class CPrefPageThumb : public CTabPageBase {
public:
    static constexpr UINT kClearOnExitId = 1110;
    static constexpr UINT kAutoRemoveId = 1111;
    static constexpr UINT kConfirmDeleteId = 1112;
    static constexpr UINT kNextIdFieldId = 1113;
    static constexpr UINT kResetIdButtonId = 1114;

    UINT GetTitleId() const override { return 8256; }
    SIZE GetLayoutSize(HDC dc) override;
    void LoadFromSettings() override;
    void StoreToSettings() override;

protected:
    int OnCreate(CREATESTRUCT* cs);
    void OnResetId();
    DECLARE_MESSAGE_MAP()

private:
    SIZE Measure(HDC dc);

    bool m_loaded = false;
    int m_checkWidth = 0;
    int m_labelWidth = 0;
    int m_numberWidth = 0;
    int m_buttonWidth = 0;
};
