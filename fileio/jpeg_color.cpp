// Colour conversion of the baseline decoder: R = Y + 1.402 Cr,
// G = Y - 0.344 Cb - 0.714 Cr, B = Y + 1.772 Cb in 8-bit fixed point, each
// clamped through RangeLimitTable. The SSE2 twins give the same bytes for
// every sample: products are exact in 32-bit lanes, and the table reads only
// the low 10 bits of a sum, which 16-bit lanes keep.
#include <cstdint>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "fileio/jpeg_decoder.h"
#include "fileio/jpeg_tables.h"

namespace quarnite {
namespace {
inline uint8_t Limit(int32_t value) { return RangeLimitTable[value & 1023]; }
} // namespace

// (256 (Y + 128) + t) >> 8 = Y + 128 + (t >> 8), since the first part is a
// whole multiple of 256: each term is kept shifted. Only its low 10 bits
// reach the table, so 16 bits of it are plenty.
void ChromaTermsPortable(const int32_t* cb, const int32_t* cr, int32_t count, int16_t* red, int16_t* green,
                         int16_t* blue)
{
    for (int32_t i = 0; i < count; ++i) {
        red[i] = static_cast<int16_t>((359 * cr[i] + 128) >> 8);
        green[i] = static_cast<int16_t>((-88 * cb[i] - 183 * cr[i] + 128) >> 8);
        blue[i] = static_cast<int16_t>((454 * cb[i] + 128) >> 8);
    }
}

void ColorRowPortable(const int32_t* luma, const int16_t* red, const int16_t* green, const int16_t* blue,
                      int32_t count, int32_t step, uint8_t* rgb)
{
    for (int32_t x = 0; x < count; ++x) {
        const int32_t c = x / step;
        const int32_t y = luma[x] + 128;
        rgb[3 * x] = Limit(y + red[c]);
        rgb[3 * x + 1] = Limit(y + green[c]);
        rgb[3 * x + 2] = Limit(y + blue[c]);
    }
}

void GreyRowPortable(const int32_t* samples, int32_t count, uint8_t* grey)
{
    for (int32_t x = 0; x < count; ++x)
        grey[x] = Limit(samples[x] + 128);
}

#if defined(__SSE2__)
namespace {

// v k in each 32-bit lane, modulo 2^32: the low half of v times k plus the
// high half's product moved up (k below 65536).
inline __m128i MultiplyLanes(__m128i v, uint16_t k)
{
    const __m128i kk = _mm_set1_epi16(static_cast<int16_t>(k));
    return _mm_add_epi32(_mm_mullo_epi16(v, kk), _mm_slli_epi32(_mm_mulhi_epu16(v, kk), 16));
}

// The low 16 bits of eight 32-bit values (a truncation, where packs would saturate).
inline __m128i Low16(__m128i lo, __m128i hi)
{
    return _mm_packs_epi32(_mm_srai_epi32(_mm_slli_epi32(lo, 16), 16), _mm_srai_epi32(_mm_slli_epi32(hi, 16), 16));
}

// RangeLimitTable[v & 1023] in 16-bit lanes: 256-511 give 255, 512-1023 give 0.
inline __m128i LimitLanes(__m128i v)
{
    v = _mm_and_si128(v, _mm_set1_epi16(1023));
    return _mm_andnot_si128(_mm_cmpgt_epi16(v, _mm_set1_epi16(511)), _mm_min_epi16(v, _mm_set1_epi16(255)));
}

// The terms of pixels x .. x + 7: their own, or with step 2 each of four terms twice.
inline __m128i Terms(const int16_t* terms, int32_t x, int32_t step)
{
    if (step == 1)
        return _mm_loadu_si128(reinterpret_cast<const __m128i*>(terms + x));
    const __m128i four = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(terms + x / 2));
    return _mm_unpacklo_epi16(four, four);
}

// Four pixels R G B 0 in 32-bit lanes to twelve bytes at the bottom.
inline __m128i Pack24(__m128i p)
{
    const __m128i q = _mm_or_si128(_mm_and_si128(p, _mm_set_epi32(0, 0x00FFFFFF, 0, 0x00FFFFFF)),
                                   _mm_srli_epi64(_mm_and_si128(p, _mm_set_epi32(0x00FFFFFF, 0, 0x00FFFFFF, 0)), 8));
    return _mm_or_si128(_mm_and_si128(q, _mm_set_epi32(0, 0, 0x0000FFFF, -1)),
                        _mm_and_si128(_mm_srli_si128(q, 2), _mm_set_epi32(0, -1, static_cast<int32_t>(0xFFFF0000u), 0)));
}

} // namespace

void ChromaTermsSse2(const int32_t* cb, const int32_t* cr, int32_t count, int16_t* red, int16_t* green, int16_t* blue)
{
    const __m128i round = _mm_set1_epi32(128);
    int32_t i = 0;
    for (; i + 8 <= count; i += 8) {
        __m128i r[2], g[2], b[2];
        for (int h = 0; h < 2; ++h) {
            const __m128i vb = _mm_loadu_si128(reinterpret_cast<const __m128i*>(cb + i + 4 * h));
            const __m128i vr = _mm_loadu_si128(reinterpret_cast<const __m128i*>(cr + i + 4 * h));
            r[h] = _mm_srai_epi32(_mm_add_epi32(MultiplyLanes(vr, 359), round), 8);
            g[h] = _mm_srai_epi32(_mm_sub_epi32(round, _mm_add_epi32(MultiplyLanes(vb, 88), MultiplyLanes(vr, 183))), 8);
            b[h] = _mm_srai_epi32(_mm_add_epi32(MultiplyLanes(vb, 454), round), 8);
        }
        _mm_storeu_si128(reinterpret_cast<__m128i*>(red + i), Low16(r[0], r[1]));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(green + i), Low16(g[0], g[1]));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(blue + i), Low16(b[0], b[1]));
    }
    ChromaTermsPortable(cb + i, cr + i, count - i, red + i, green + i, blue + i);
}

void ColorRowSse2(const int32_t* luma, const int16_t* red, const int16_t* green, const int16_t* blue, int32_t count,
                  int32_t step, uint8_t* rgb)
{
    const __m128i bias = _mm_set1_epi16(128);
    int32_t x = 0;
    for (; x + 8 <= count; x += 8) {
        // Sums wrap at 16 bits, which leaves the low 10 bits that the table reads exact.
        const __m128i y = _mm_add_epi16(Low16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(luma + x)),
                                              _mm_loadu_si128(reinterpret_cast<const __m128i*>(luma + x + 4))),
                                        bias);
        const __m128i r = LimitLanes(_mm_add_epi16(y, Terms(red, x, step)));
        const __m128i g = LimitLanes(_mm_add_epi16(y, Terms(green, x, step)));
        const __m128i b = LimitLanes(_mm_add_epi16(y, Terms(blue, x, step)));
        // R G B 0 per 32-bit lane, then 24 bytes stored exactly.
        const __m128i rg = _mm_or_si128(r, _mm_slli_epi16(g, 8));
        const __m128i p0 = Pack24(_mm_unpacklo_epi16(rg, b));
        const __m128i p1 = Pack24(_mm_unpackhi_epi16(rg, b));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(rgb + 3 * x), _mm_or_si128(p0, _mm_slli_si128(p1, 12)));
        _mm_storel_epi64(reinterpret_cast<__m128i*>(rgb + 3 * x + 16), _mm_srli_si128(p1, 4));
    }
    // The rest: with step 2 the tail starts at an even pixel, so its terms line up.
    ColorRowPortable(luma + x, red + x / step, green + x / step, blue + x / step, count - x, step, rgb + 3 * x);
}

void GreyRowSse2(const int32_t* samples, int32_t count, uint8_t* grey)
{
    const __m128i bias = _mm_set1_epi16(128);
    int32_t x = 0;
    for (; x + 8 <= count; x += 8) {
        const __m128i v = LimitLanes(_mm_add_epi16(Low16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(samples + x)),
                                                         _mm_loadu_si128(reinterpret_cast<const __m128i*>(samples + x + 4))),
                                                   bias));
        _mm_storel_epi64(reinterpret_cast<__m128i*>(grey + x), _mm_packus_epi16(v, v));
    }
    GreyRowPortable(samples + x, count - x, grey + x);
}
#endif

} // namespace quarnite
