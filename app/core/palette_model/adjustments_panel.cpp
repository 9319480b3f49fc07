#include "app/core/palette_model/adjustments_panel.h"

#include "app/core/procset/record_settings.h"

namespace panel {

namespace {

constexpr RowInfo kRows[kRowCount] = {
    {10227, 1200, 1201, 256}, {10209, 1201, 1202, 512}, {9216, 1202, 1203, 1},
    {9264, 1203, 1204, 2},    {9232, 1204, 1205, 4},    {9280, 1205, 1206, 0},
};

constexpr int32_t kRawKind = 32;
constexpr int32_t kRawKindAlt = 33;

}  // namespace

const RowInfo& RowOf(int32_t row)
{
    return kRows[row];
}

int32_t RowOfLink(uint32_t id)
{
    return id >= 1200 && id <= 1205 ? static_cast<int32_t>(id - 1200) : -1;
}

int32_t RowOfCheck(uint32_t id)
{
    return id >= 1201 && id <= 1206 ? static_cast<int32_t>(id - 1201) : -1;
}

bool CheckEnabled(int32_t row, int32_t count, bool hasRecord, int32_t imageKind)
{
    if (row < 0 || row >= kSizeRes || count < 0 || count > 1)
        return false;
    if ((row == kWhiteBalance || row == kAdvancedRaw) && hasRecord)
        return imageKind == kRawKind || imageKind == kRawKindAlt;
    return true;
}

bool ShowsOnImage(int32_t row, const CQzRecordSettings& settings)
{
    switch (row) {
    case kWhiteBalance: return settings.whiteBalance.mode != 2;
    case kAdvancedRaw: return !settings.exposure.IsDefault();
    case kCurves: return settings.curves.GetModifiedFlags(~0u) != 0;
    case kColourBalance: return settings.colourBalance.GetModifiedFlags(~0u) != 0;
    case kUnsharpMask: return settings.usm.GetCount() > 0;
    default: return false;
    }
}

CheckClick DecideCheckClick(int32_t row, bool wasOn, bool checked, bool otherOn, bool shows)
{
    CheckClick click;
    click.flag = checked;
    if (checked && otherOn && (row == kCurves || row == kColourBalance)) {
        click.excluded = row == kCurves ? kColourBalance : kCurves;
        click.update = true;
        return click;
    }
    if (wasOn && checked)
        click.update = true;  // a click on a box that was on already redraws
    else if (wasOn != checked)
        click.update = shows;
    return click;
}

}  // namespace panel
