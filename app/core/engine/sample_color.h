// The colour of an image around a point, at a chosen stage of a filter
// chain, for the read-outs of the view, the palettes and the camera curve
// window.
#pragma once

#include <cstdint>

#include "Vorlat/Vorlat.h"

struct CDevelopParams;

// Stages: 0 the first colour filter of the chain, 1 the filter before it,
// 2 the enabled demosaic filter (else the parameters' source image), 3 the
// filter before the last colour filter. (x, y) is in the chain's output; side is 1, 3 or 5. The
// mean of the samples inside the source goes to result (8-bit or 16-bit
// RGB); the curve pixel gets the mean after the active curves, and the flag
// tells whether a curve applied (a group without a colour channel gives its
// master curve for that channel). 1 on success; 0 on any failure, also when
// no position of the square lies inside the source.
int32_t SampleImageColor(int32_t x, int32_t y, VorlatPixel* result, int32_t side, IVorlatFilterChain* chain,
                         int32_t stage, const CDevelopParams* params, VorlatPixel* curvePixel, int32_t* curvesFlag);

// The side of the square for the "DropperSampleSize" setting: 1 gives 3, 2 gives 5, others 1.
int32_t SampleSideFromSetting(int32_t setting);
