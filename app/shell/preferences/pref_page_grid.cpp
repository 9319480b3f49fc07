#include "app/shell/preferences/pref_page_grid.h"

#include <algorithm>
#include <cstdio>

#include "app/shell/format/number_text.h"
#include "app/shell/preferences/hundredths.h"
#include "app/shell/preferences/page_metrics.h"
#include "app/shell/preferences/preference_lists.h"
#include "app/shell/settings/settings.h"

namespace {

constexpr shell::SettingId kGridColour = 1060;     // COLORREF
constexpr shell::SettingId kGridSpacing = 1061;    // pixels, else hundredths of the unit
constexpr shell::SettingId kGridUnits = 1062;      // 0 pixels
constexpr shell::SettingId kGridDivisions = 1063;  // 1 to 100

constexpr UINT kColourText = 8289;
constexpr UINT kSpacingText = 8290;
constexpr UINT kDisplayText = 8291;
constexpr UINT kSubdivisionsText = 8303;
constexpr int kPixels = 0;
constexpr int kBlack = 0;

void ShowWhole(CQzEdit& field, long value)
{
    char text[16];
    std::snprintf(text, sizeof text, "%ld", value);
    field.SetWindowText(text);
}

}  // namespace

BEGIN_MESSAGE_MAP(CPrefPageGrid, CTabPageBase)
    ON_WM_CREATE()
    ON_CBN_SELCHANGE(CPrefPageGrid::kUnitsId, OnSelChangeUnits)
END_MESSAGE_MAP()

SIZE CPrefPageGrid::GetLayoutSize(HDC dc)
{
    return CachedLayoutSize(dc, [this](HDC d) { return Measure(d); });
}

SIZE CPrefPageGrid::Measure(HDC dc)
{
    const PageMetrics m;
    m_labelWidth =
        std::max({TextWidth(dc, kColourText), TextWidth(dc, kSpacingText), TextWidth(dc, kDisplayText)}) + m.gap;
    int widest = 0;
    for (const shell::ListEntry& entry : shell::kGridColourList)
        widest = std::max(widest, TextWidth(dc, entry.caption));
    m_colourWidth = widest + m.comboExtra;
    widest = 0;
    for (const shell::ListEntry& entry : shell::kGridUnitList)
        widest = std::max(widest, TextWidth(dc, entry.caption));
    m_unitsWidth = widest + m.comboExtra;
    // Room for the grouped form "5,000.00".
    m_spacingWidth = TextWidth(dc, "5000.00") + 4 * m.charWidth;
    m_divisionsWidth = TextWidth(dc, "100") + 3 * m.charWidth;
    m_trailerWidth = TextWidth(dc, kSubdivisionsText) + m.gap;
    const int rows = std::max({m_colourWidth, m_spacingWidth + m.gap + m_unitsWidth,
                               m_divisionsWidth + m.gap + m_trailerWidth});
    return SIZE{2 * m.margin + m_labelWidth + rows, 2 * m.margin + 2 * m.rowStep + m.rowHeight};
}

int CPrefPageGrid::OnCreate(CREATESTRUCT*)
{
    if (Default() == -1)
        return -1;
    GetLayoutSize(nullptr);
    const PageMetrics m;
    const int fieldX = m.margin + m_labelWidth;
    int y = m.margin;
    bool made = AddControl("STATIC", kColourText, shell::kLabelStyle, m.margin, y + m.labelOffset, m_labelWidth,
                           m.rowHeight) &&
                AddDropList(m_colour, fieldX, y, m_colourWidth, 10, kColourId);
    y += m.rowStep;
    made = made &&
           AddControl("STATIC", kSpacingText, shell::kLabelStyle, m.margin, y + m.labelOffset, m_labelWidth,
                      m.rowHeight) &&
           AddNumberField(m_spacing, fieldX, y, m_spacingWidth, kSpacingId) &&
           AddDropList(m_units, fieldX + m_spacingWidth + m.gap, y, m_unitsWidth, 6, kUnitsId);
    y += m.rowStep;
    made = made &&
           AddControl("STATIC", kDisplayText, shell::kLabelStyle, m.margin, y + m.labelOffset, m_labelWidth,
                      m.rowHeight) &&
           AddNumberField(m_divisions, fieldX, y, m_divisionsWidth, kDivisionsId) &&
           AddControl("STATIC", kSubdivisionsText, shell::kLabelStyle, fieldX + m_divisionsWidth + m.gap,
                      y + m.labelOffset, m_trailerWidth, m.rowHeight);
    if (!made)
        return -1;
    for (const shell::ListEntry& entry : shell::kGridColourList)
        m_colour.AddStringId(entry.caption, entry.data);
    for (const shell::ListEntry& entry : shell::kGridUnitList)
        m_units.AddStringId(entry.caption, entry.data);
    m_spacing.SetFloatRange(0.01, 5000.0, 2, true);
    m_divisions.SetIntRange(1, 100, true);
    return 0;
}

void CPrefPageGrid::OnSelChangeUnits()
{
    if (m_units.GetSelectedData() != kPixels) {
        m_spacing.SetFloatRange(0.01, 5000.0, 2, true);
        return;
    }
    const CString text = m_spacing.GetWindowText();
    ShowWhole(m_spacing, static_cast<long>(shell::ParseNumber(text, nullptr, true)));
    m_spacing.SetIntRange(1, 5000, true);
}

void CPrefPageGrid::LoadFromSettings()
{
    m_loaded = true;
    int32_t colour = 0;
    shell::GetIntSetting(kGridColour, &colour);
    if (!m_colour.SelectByData(colour))
        m_colour.SelectByData(kBlack);
    int32_t unit = 0;
    shell::GetIntSetting(kGridUnits, &unit);
    if (!m_units.SelectByData(unit))
        m_units.SelectByData(kPixels);
    int32_t spacing = 0;
    shell::GetIntSetting(kGridSpacing, &spacing);
    if (m_units.GetSelectedData() != kPixels) {
        CQzString text;
        m_spacing.SetWindowText(shell::FormatNumber(text, spacing * 0.01, 2, shell::kGroup));
    } else {
        ShowWhole(m_spacing, spacing);
    }
    OnSelChangeUnits();
    int32_t divisions = 0;
    shell::GetIntSetting(kGridDivisions, &divisions);
    ShowWhole(m_divisions, divisions);
}

void CPrefPageGrid::StoreToSettings()
{
    if (!m_loaded)
        return;
    shell::SetIntSetting(kGridColour, m_colour.GetSelectedData());
    const int unit = m_units.GetSelectedData();
    shell::SetIntSetting(kGridUnits, unit);
    const double spacing = shell::ParseNumber(m_spacing.GetWindowText(), nullptr, true);
    shell::SetIntSetting(kGridSpacing, unit != kPixels ? shell::ToHundredths(spacing) : static_cast<int32_t>(spacing));
    shell::SetIntSetting(kGridDivisions,
                         static_cast<int32_t>(shell::ParseNumber(m_divisions.GetWindowText(), nullptr, false)));
}
