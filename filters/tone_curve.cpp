// A tone table from a histogram: the curve rises one level each time the
// running count passes a fraction of the highest bin.
#include <algorithm>
#include <new>

#include "filters/BGRizeFilter.h"

bool BuildHistogramToneCurve(uint32_t percent, uint32_t* histogram, uint32_t histogramBits, uint16_t* lut,
                             int32_t lutBits, int32_t outputBits, uint32_t* workX, uint32_t* workY)
{
    if (histogramBits > 24 || lutBits < 0 || lutBits > 16 || outputBits < 0 || outputBits > 16)
        return true;
    const uint32_t n = 1u << histogramBits;
    // Each bin may record a point when the state flips, and the end point follows: n + 1.
    uint32_t* ownX = workX ? nullptr : new (std::nothrow) uint32_t[n + 1];
    uint32_t* ownY = workY ? nullptr : new (std::nothrow) uint32_t[n + 1];
    if ((!workX && !ownX) || (!workY && !ownY)) {
        delete[] ownX;
        delete[] ownY;
        return true;
    }
    uint32_t* xs = workX ? workX : ownX;
    uint32_t* ys = workY ? workY : ownY;

    uint32_t highest = 0;
    for (uint32_t i = 0; i < n; ++i)
        highest = std::max(highest, histogram[i]);
    const uint64_t threshold = static_cast<uint64_t>(highest) * percent / 100u;

    uint64_t sum = 0;
    uint32_t level = 0;
    uint32_t m = 0;
    bool below = true;
    for (uint32_t i = 0; i < n; ++i) {
        sum += histogram[i];
        if (sum > threshold) {
            ++level;
            sum = 0;
        }
        if (below ? histogram[i] > threshold : histogram[i] < threshold) {
            xs[m] = i;
            ys[m] = level;
            ++m;
            below = !below;
        }
    }
    // A count that never passes the threshold has no levels: the curve is then
    // the straight line to full output.
    if (level == 0)
        m = 0;
    xs[m] = n;
    ys[m] = level;
    const uint32_t points = m + 1;
    for (uint32_t p = 0; p < points; ++p) {
        xs[p] = static_cast<uint32_t>((static_cast<uint64_t>(xs[p]) << lutBits) >> histogramBits);
        ys[p] = level ? static_cast<uint32_t>((static_cast<uint64_t>(ys[p]) << outputBits) / level) : 1u << outputBits;
    }

    uint64_t x0 = 0, y0 = 0;
    for (uint32_t p = 0; p < points; ++p) {
        const uint64_t x1 = xs[p], y1 = ys[p];
        for (uint64_t x = x0; x < x1; ++x) {
            const uint64_t value = (x - x0) * (y1 - y0) / (x1 - x0) + y0;
            lut[x] = static_cast<uint16_t>(std::min<uint64_t>(value, 0xFFFF));
        }
        x0 = x1;
        y0 = y1;
    }
    delete[] ownX;
    delete[] ownY;
    return false;
}
