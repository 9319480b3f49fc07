// Where the curve editor puts its parts in a client area: the square plot,
// the tone gradient under it, the row of input level handles and the column
// of output level handles.
#pragma once

#include <cstdint>

#include "app/core/curves/lut_viewer.h"

namespace qz {

// The editor's static layout table, in pixels.
struct LutEditMetrics {
    int32_t gap = 1;
    int32_t gradientHeight = 3;
    int32_t inputHandleWidth = 11;
    int32_t inputHandleHeight = 6;
    int32_t outputHandleWidth = 6;
    int32_t outputHandleHeight = 11;
    int32_t handleHitRadius = 11;
};

const LutEditMetrics& GetLutEditMetrics();

struct LutEditLayout {
    int32_t marginLeft = 0, marginRight = 0, marginTop = 0, marginBottom = 0;
    int32_t side = 0;  // 0 when the client leaves no plot of at least 2 pixels
    LutRect plot;
    LutRect gradient;
    LutRect inputHandles;
    LutRect outputHandles;
};

// Below a side of 2 every rectangle stays empty, so nothing is drawn or hit.
LutEditLayout LayOutLutEdit(int32_t clientWidth, int32_t clientHeight, const LutEditMetrics& metrics);

}  // namespace qz
