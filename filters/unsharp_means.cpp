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

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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

void RowSumsPortable(const Params& p, const uint16_t* weights, bool symmetric, const uint16_t* samples, int32_t count,
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

#if defined(__SSE2__)

namespace {

constexpr int32_t kSse2Taps = 64;

inline __m128i Load8(const uint16_t* at) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(at)); }

inline __m128i Pair(uint16_t a, uint16_t b)
{
    return _mm_set1_epi32(static_cast<int32_t>(static_cast<uint32_t>(a) | static_cast<uint32_t>(b) << 16));
}

// The MMX path's sums eight columns at a time: pmaddwd forms two signed 16 x 16
// products of halved samples and adds them, never beyond 32 bits (the samples
// are below 2^15), then the lanes add modulo 2^32 as the plain code does.
void RowSumsHalvedSse2(const Params& p, const uint16_t* w, bool symmetric, const uint16_t* samples, int32_t count,
                       uint32_t* sums, uint16_t* halved, const int32_t taps)
{
    const int32_t n = 2 * p.reach + 1, r = p.reach;
    for (int32_t x = 0; x < ((count + 7) & ~7) + n - 1; ++x)
        halved[x] = static_cast<uint16_t>(samples[x] >> 1);
    // Symmetric rows pair columns j and n - 1 - j under one weight; others pair
    // neighbours. The rows of a round mask are zero towards their ends: a pair
    // of zero weights adds nothing to any sum, so it is left out.
    __m128i pairs[kSse2Taps];
    int32_t firstAt[kSse2Taps], secondAt[kSse2Taps];
    int32_t used = 0;
    for (int32_t k = 0; k + 1 < taps; ++k) {
        const uint16_t a = symmetric ? w[k] : w[2 * k], b = symmetric ? w[k] : w[2 * k + 1];
        if (a == 0 && b == 0)
            continue;
        pairs[used] = Pair(a, b);
        firstAt[used] = symmetric ? k : 2 * k;
        secondAt[used] = symmetric ? n - 1 - k : 2 * k + 1;
        ++used;
    }
    // The last pair's second sample is zero: the centre of a symmetric row,
    // the odd last weight of another.
    const __m128i last = Pair(symmetric ? w[r] : w[2 * (taps - 1)], 0);
    const int32_t lastAt = symmetric ? r : 2 * (taps - 1);
    const __m128i zero = _mm_setzero_si128();
    const uint16_t* s = halved;
    for (int32_t x = 0; x < count; x += 8, s += 8) {
        __m128i lo = zero, hi = zero;
        for (int32_t k = 0; k < used; ++k) {
            const __m128i a = Load8(s + firstAt[k]), b = Load8(s + secondAt[k]);
            lo = _mm_add_epi32(lo, _mm_madd_epi16(_mm_unpacklo_epi16(a, b), pairs[k]));
            hi = _mm_add_epi32(hi, _mm_madd_epi16(_mm_unpackhi_epi16(a, b), pairs[k]));
        }
        const __m128i a = Load8(s + lastAt);
        lo = _mm_add_epi32(lo, _mm_madd_epi16(_mm_unpacklo_epi16(a, zero), last));
        hi = _mm_add_epi32(hi, _mm_madd_epi16(_mm_unpackhi_epi16(a, zero), last));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(sums + x), lo);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(sums + x + 4), hi);
    }
}

} // namespace

#endif

void RowSums(const Params& p, const uint16_t* weights, bool symmetric, const uint16_t* samples, int32_t count,
             uint32_t* sums, uint32_t* scratch)
{
#if defined(__SSE2__)
    // Wider tables than the weight pairs held in registers take the plain code.
    const int32_t taps = p.reach + 1;
    if (p.mmxWeights && taps <= kSse2Taps) {
        RowSumsHalvedSse2(p, weights, symmetric, samples, count, sums, reinterpret_cast<uint16_t*>(scratch), taps);
        return;
    }
#endif
    RowSumsPortable(p, weights, symmetric, samples, count, sums, scratch);
}

double MeanOfTotal(const Params& p, uint64_t total)
{
    if (p.mmxWeights)
        return NormaliseMmx(p, total) / 65536.0;
    // The row sums are below 2^32 and there are at most a few hundred: exact in a double.
    return NormalisePlain(p, static_cast<double>(total)) * p.kernelScale;
}

} // namespace unsharp
