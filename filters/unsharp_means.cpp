// The local means of the unsharp mask: the box sum four adjacent columns at a
// time, and the weighted masks' row sums and means of the plain path (32-bit
// row sums, their total in double, a 48-bit fixed-point reciprocal) and the MMX
// path (halved samples in signed 16 x 16 products, a 64-bit total, the
// reciprocal applied to its upper half).
// Kernels whose total is 65536 or less have no 32-bit reciprocal; they divide
// exactly in 64 bits instead.
#include <algorithm>
#include <cmath>

#include "filters/unsharp_kernels_impl.h"

namespace unsharp {

namespace {

int32_t Side(const Params& p) { return 2 * p.reach + 1; }

// S: the weighted sum brought to 16 fractional bits of the mean, plain path.
uint32_t NormalisePlain(const Params& p, double sum)
{
    if (p.kernelTotal <= 65536)
        return static_cast<uint32_t>((static_cast<uint64_t>(sum) << 16) / static_cast<uint64_t>(p.kernelTotal));
    return static_cast<uint32_t>(
        static_cast<uint64_t>(std::trunc(static_cast<double>(p.reciprocal) * sum * (1.0 / 4294967296.0))));
}

// S of the MMX path, from the sum of halved samples.
uint32_t NormaliseMmx(const Params& p, uint64_t sum)
{
    if (p.kernelTotal <= 65536)
        return 2 * static_cast<uint32_t>((sum << 16) / static_cast<uint64_t>(p.kernelTotal));
    return 2 * static_cast<uint32_t>((sum * p.reciprocal) >> 32);
}

} // namespace

void MeansBox(const Params& p, const uint16_t* const* rows, double mean[4])
{
    const int32_t n = Side(p);
    uint64_t sum[4] = {0, 0, 0, 0};
    for (int32_t i = 0; i < n; ++i) {
        const uint16_t* s = rows[i];
        uint64_t run = 0;
        for (int32_t j = 0; j < n; ++j)
            run += s[j];
        // Slide the window by one column for each lane.
        for (int k = 0; k < 4; ++k) {
            sum[k] += run;
            if (k < 3)
                run = run + s[k + n] - s[k];
        }
    }
    for (int k = 0; k < 4; ++k)
        mean[k] = static_cast<double>(sum[k]) * p.kernelScale;
}

void RowSums(const Params& p, const uint16_t* weights, bool symmetric, const uint16_t* samples, int32_t count,
             uint32_t* sums, uint32_t* scratch)
{
    const int32_t n = Side(p), r = p.reach;
    // Both paths' row sums are sums of 32-bit products kept modulo 2^32, so
    // they may be formed in any order: the MMX path's signed 16-bit weight is
    // its two's complement, its sample halved.
    const int32_t span = count + n - 1;
    const int shift = p.mmxWeights ? 1 : 0;
    for (int32_t x = 0; x < span; ++x)
        scratch[x] = static_cast<uint32_t>(samples[x]) >> shift;
    const auto weight = [&](int32_t j) {
        return p.mmxWeights ? static_cast<uint32_t>(static_cast<int32_t>(static_cast<int16_t>(weights[j])))
                            : static_cast<uint32_t>(weights[j]);
    };
    std::fill(sums, sums + count, 0u);
    const int32_t last = symmetric ? r : n - 1;
    for (int32_t j = 0; j <= last; ++j) {
        const uint32_t w = weight(j);
        if (w == 0)
            continue;
        const uint32_t* a = scratch + j;
        if (symmetric && j < r) {
            // A radial row weighs columns j and n - 1 - j alike.
            const uint32_t* b = scratch + (n - 1 - j);
            for (int32_t x = 0; x < count; ++x)
                sums[x] += w * (a[x] + b[x]);
        } else {
            for (int32_t x = 0; x < count; ++x)
                sums[x] += w * a[x];
        }
    }
}

double MeanOfTotal(const Params& p, uint64_t total)
{
    if (p.mmxWeights)
        return NormaliseMmx(p, total) / 65536.0;
    // The row sums are below 2^32 and there are at most a few hundred: exact in a double.
    return NormalisePlain(p, static_cast<double>(total)) * p.kernelScale;
}

} // namespace unsharp
