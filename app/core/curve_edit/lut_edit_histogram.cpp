#include "app/core/curve_edit/lut_edit_histogram.h"

#include <algorithm>
#include <limits>

namespace qz {

LutHistogramColumns GroupLutHistogram(const uint32_t* counts, size_t count)
{
    LutHistogramColumns columns{};
    if (!counts || count == 0)
        return columns;
    const uint64_t n = count;
    for (uint64_t k = 0; k < kLutHistogramColumns; ++k) {
        if (n <= kLutHistogramColumns) {
            columns[k] = counts[k * n / kLutHistogramColumns];
            continue;
        }
        const uint64_t first = k * n / kLutHistogramColumns;
        const uint64_t end = (k + 1) * n / kLutHistogramColumns;
        uint64_t sum = 0;
        for (uint64_t i = first; i < end; ++i)
            sum += counts[i];
        columns[k] = sum;
    }
    return columns;
}

uint64_t LutHistogramScale(const LutHistogramColumns& columns)
{
    uint64_t largest = 0, sum = 0, filled = 0;
    for (uint64_t c : columns) {
        largest = std::max(largest, c);
        if (c) {
            // Saturates: only a cap far above every column could be lost.
            sum = c > std::numeric_limits<uint64_t>::max() - sum ? std::numeric_limits<uint64_t>::max() : sum + c;
            ++filled;
        }
    }
    if (!filled)
        return 1;
    const uint64_t mean = sum / filled;
    const uint64_t cap = mean > std::numeric_limits<uint64_t>::max() / 4
                             ? std::numeric_limits<uint64_t>::max()
                             : mean * 4 + (sum % filled) * 4 / filled;
    return std::max<uint64_t>(1, std::min(largest, cap));
}

int32_t LutHistogramBarHeight(uint64_t count, uint64_t scale, int32_t height)
{
    if (height <= 0 || count == 0)
        return 0;
    if (scale == 0 || count >= scale)
        return height;
    // Long division of count * height by scale, one bit of height at a time,
    // so that nothing overflows even with counts near 2^64 (count < scale).
    const uint32_t h = static_cast<uint32_t>(height);
    uint64_t quotient = 0, rest = 0;
    for (int bit = 31; bit >= 0; --bit) {
        quotient *= 2;
        if (rest >= scale - rest) {
            rest -= scale - rest;
            ++quotient;
        } else {
            rest *= 2;
        }
        if (h >> bit & 1) {
            if (rest >= scale - count) {
                rest -= scale - count;
                ++quotient;
            } else {
                rest += count;
            }
        }
    }
    if (rest)
        ++quotient;
    return static_cast<int32_t>(std::min<uint64_t>(quotient, h));
}

}  // namespace qz
