// The curve editor's histogram: any number of entries grouped into the 256
// bars drawn across the plot, the count that fills the plot's height, and
// each bar's height. Counts are 64-bit: a column sums many 32-bit entries.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace qz {

inline constexpr int32_t kLutHistogramColumns = 256;
using LutHistogramColumns = std::array<uint64_t, kLutHistogramColumns>;

// Entries are summed into columns when there are more than 256 and spread
// over them when there are fewer.
LutHistogramColumns GroupLutHistogram(const uint32_t* counts, size_t count);

// The largest column, but at most 4 times the mean of the non-empty columns,
// so that one spike does not flatten the rest; at least 1.
uint64_t LutHistogramScale(const LutHistogramColumns& columns);

// count * height / scale rounded up, at most height; exact for any 64-bit count.
int32_t LutHistogramBarHeight(uint64_t count, uint64_t scale, int32_t height);

}  // namespace qz
