// The tone curve of the demosaic filters and the per-channel tables that fold
// an input curve in front of it.
#pragma once

#include <cstdint>

namespace demosaic {

// 4096 entries: a 12-bit linear sample to an 18-bit coded value (0 to 262143).
const uint32_t* ForwardToneTable();

// table[i] for i = 0..4095: the sample through curve (2^inBits entries, values
// below 2^outBits), then through the tone table, both interpolated linearly.
// inBits and outBits lie in 1 to 16.
void BuildChannelTable(uint32_t* table, const uint16_t* curve, int32_t inBits, int32_t outBits);

} // namespace demosaic
