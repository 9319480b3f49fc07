// The weighted local means of the unsharp mask, four adjacent columns at a
// time: the box sum, the plain path (32-bit row sums, their total in double,
// a 48-bit fixed-point reciprocal) and the MMX path (halved samples in signed
// 16 x 16 products, a 64-bit total, the reciprocal applied to its upper half).
// Kernels whose total is 65536 or less have no 32-bit reciprocal; they divide
// exactly in 64 bits instead.
#include <cmath>
#include <cstring>

#include "filters/unsharp_kernels_impl.h"

#if defined(__i386__) || defined(__x86_64__)
#include <mmintrin.h>
#define KOLVEX_HAVE_MMX 1
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

void MeansPlain(const Params& p, const uint16_t* const* rows, double mean[4])
{
    const int32_t n = Side(p), stride = KernelStride(p.reach);
    double total[4] = {0, 0, 0, 0};
    for (int32_t i = 0; i < n; ++i) {
        const uint16_t* w = p.kernel + static_cast<size_t>(i) * stride + 4;
        const uint16_t* s = rows[i];
        for (int k = 0; k < 4; ++k) {
            uint32_t row = 0;
            for (int32_t j = 0; j < n; ++j)
                row += static_cast<uint32_t>(w[j]) * s[k + j];
            total[k] += row;
        }
    }
    for (int k = 0; k < 4; ++k)
        mean[k] = NormalisePlain(p, total[k]) * p.kernelScale;
}

void MeansMmxPortable(const Params& p, const uint16_t* const* rows, double mean[4])
{
    const int32_t n = Side(p), stride = KernelStride(p.reach);
    uint64_t total[4] = {0, 0, 0, 0};
    for (int32_t i = 0; i < n; ++i) {
        const uint16_t* w = p.kernel + static_cast<size_t>(i) * stride + 4;
        const uint16_t* s = rows[i];
        for (int k = 0; k < 4; ++k) {
            uint32_t row = 0;
            for (int32_t j = 0; j < n; ++j)
                row += static_cast<uint32_t>(static_cast<int16_t>(w[j]) * static_cast<int32_t>(s[k + j] >> 1));
            total[k] += row;
        }
    }
    for (int k = 0; k < 4; ++k)
        mean[k] = NormaliseMmx(p, total[k]) / 65536.0;
}

#if defined(KOLVEX_HAVE_MMX)

namespace {

inline __m64 Load(const uint16_t* at)
{
    __m64 v;
    std::memcpy(&v, at, sizeof v);
    return v;
}

inline uint32_t Halves(__m64 v)
{
    return static_cast<uint32_t>(_mm_cvtsi64_si32(v)) + static_cast<uint32_t>(_mm_cvtsi64_si32(_mm_srli_si64(v, 32)));
}

} // namespace

void MeansMmx(const Params& p, const uint16_t* const* rows, double mean[4])
{
    const int32_t n = Side(p), stride = KernelStride(p.reach);
    // Lane k multiplies sample m by weight m - k: four weights at offset 4 - k
    // of the row (its four leading zeros make the offset safe) against four
    // samples shared by every lane.
    const int32_t groups = (n + 6) / 4;
    uint64_t total[4] = {0, 0, 0, 0};
    for (int32_t i = 0; i < n; ++i) {
        const uint16_t* w = p.kernel + static_cast<size_t>(i) * stride;
        const uint16_t* s = rows[i];
        __m64 acc0 = _mm_setzero_si64(), acc1 = acc0, acc2 = acc0, acc3 = acc0;
        for (int32_t g = 0; g < groups; ++g) {
            const __m64 half = _mm_srli_pi16(Load(s + 4 * g), 1);
            acc0 = _mm_add_pi32(acc0, _mm_madd_pi16(Load(w + 4 * g + 4), half));
            acc1 = _mm_add_pi32(acc1, _mm_madd_pi16(Load(w + 4 * g + 3), half));
            acc2 = _mm_add_pi32(acc2, _mm_madd_pi16(Load(w + 4 * g + 2), half));
            acc3 = _mm_add_pi32(acc3, _mm_madd_pi16(Load(w + 4 * g + 1), half));
        }
        total[0] += Halves(acc0);
        total[1] += Halves(acc1);
        total[2] += Halves(acc2);
        total[3] += Halves(acc3);
    }
    _mm_empty();
    for (int k = 0; k < 4; ++k)
        mean[k] = NormaliseMmx(p, total[k]) / 65536.0;
}

#else

void MeansMmx(const Params& p, const uint16_t* const* rows, double mean[4]) { MeansMmxPortable(p, rows, mean); }

#endif

} // namespace unsharp
