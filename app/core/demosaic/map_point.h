// Mapping a point of a filter chain's output back toward its source, filter
// by filter, as far as the input of one filter of the chain.
#pragma once

#include <cstdint>

#include "Vorlat/Vorlat.h"

// Maps (x, y) from the chain's output to the input of target. *index gives
// the filter to start below (out of range: the chain's end) and receives the
// index of target, or -1 when the walk ran past the first filter.
IVorlatError* MapPointToFilter(const IVorlatFilterChain* chain, int32_t* x, int32_t* y, const IVorlatFilter* target,
                               int32_t* index);

// The walk itself: stops after the first filter, going back from *index - 1,
// whose code is code and, unless id is 0, whose id is id. x, y and *index are
// written only when no filter failed.
IVorlatError* MapPointThroughChain(const IVorlatFilterChain* chain, int32_t* x, int32_t* y, int32_t code, int32_t id,
                                   int32_t* index);
