// CPrefPageGrid ("Grid Lines"): the colour, spacing and subdivisions of the
// grid that image views lay over an image.
#pragma once

#include "app/shell/controls/qz_combo_box.h"
#include "app/shell/controls/qz_edit.h"
#include "app/shell/preferences/tab_page_base.h"

class CPrefPageGrid : public CTabPageBase {
public:
    static constexpr UINT kColourId = 1123;
    static constexpr UINT kSpacingId = 1124;
    static constexpr UINT kUnitsId = 1125;
    static constexpr UINT kDivisionsId = 1126;

    UINT GetTitleId() const override { return 8288; }
    SIZE GetLayoutSize(HDC dc) override;
    void LoadFromSettings() override;
    void StoreToSettings() override;

protected:
    int OnCreate(CREATESTRUCT* cs);
    // The spacing field follows the unit: whole pixels, or hundredths of a
    // length unit. The number is not converted.
    void OnSelChangeUnits();
    DECLARE_MESSAGE_MAP()

private:
    SIZE Measure(HDC dc);

    bool m_loaded = false;
    CQzComboBox m_colour;
    CQzEdit m_spacing;
    CQzComboBox m_units;
    CQzEdit m_divisions;
    int m_labelWidth = 0;
    int m_colourWidth = 0;
    int m_spacingWidth = 0;
    int m_unitsWidth = 0;
    int m_divisionsWidth = 0;
    int m_trailerWidth = 0;
};
