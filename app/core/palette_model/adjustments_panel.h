// The Image Adjustments panel's six rows: their strings, ids, flags and
// hints, which check boxes may be used, whether an adjustment shows on the
// image at all, and what a click on a check box does.
#pragma once

#include <cstdint>

struct CQzRecordSettings;

namespace panel {

enum Row : int32_t { kWhiteBalance, kAdvancedRaw, kCurves, kColourBalance, kUnsharpMask, kSizeRes, kRowCount };

struct RowInfo {
    uint32_t linkText;  // string id
    uint32_t linkId;
    uint32_t checkId;
    uint32_t hint;      // 0: no apply flag (always ticked, disabled)
};
const RowInfo& RowOf(int32_t row);
// The row of a link id (1200..1205) or a check box id (1201..1206, by
// checkBox); -1 for any other id.
int32_t RowOfLink(uint32_t id);
int32_t RowOfCheck(uint32_t id);

inline constexpr uint32_t kCaptionString = 10259;  // "Applied"

// Rows 0 to 4 for one or no image; White Balance and Advanced RAW only for a
// raw image (kind 32 or 33) when there is a target record. Row 5 never.
bool CheckEnabled(int32_t row, int32_t count, bool hasRecord, int32_t imageKind);

// Whether switching the adjustment on or off changes the image: White
// Balance off its recorded-value mode, Advanced RAW off its defaults, a curve
// group with a channel off neutral, a mask list with an entry.
bool ShowsOnImage(int32_t row, const CQzRecordSettings& settings);

struct CheckClick {
    bool flag = false;       // the row's new flag
    int32_t excluded = -1;   // the row whose flag goes off (Curves and Color Balance)
    bool update = false;     // the view's UpdateAdjustments with the row's hint
};
// A check box of rows 0 to 4 clicked: `wasOn` the flag before, `checked`
// the box's new state, `otherOn` the excluded row's flag (Curves and Color
// Balance only), `shows` ShowsOnImage of the target record.
CheckClick DecideCheckClick(int32_t row, bool wasOn, bool checked, bool otherOn, bool shows);

}  // namespace panel
