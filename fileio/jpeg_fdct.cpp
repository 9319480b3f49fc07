// Forward DCTs and the quantiser of the encoder. Every shift is arithmetic and
// without a rounding term. The SSE2 path gives the same values as the plain one:
// the encoder's samples lie in [-128, 128], and for those every value that the
// plain code keeps in 32 bits fits the 16-bit lanes where the SSE2 code keeps it.
#include <algorithm>
#include <cmath>
#include <cstdint>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "fileio/jpeg_encoder.h"
#include "fileio/jpeg_tables.h"

// The quantiser's tables are read with aligned loads; the coefficients, which
// any caller's buffer receives, are stored unaligned.
static_assert(alignof(quarnite::JpegQuantizer) >= 16);
#if defined(_WIN32) && !defined(_WIN64)
static_assert(__STDCPP_DEFAULT_NEW_ALIGNMENT__ <= 8, "32-bit Windows: build with -faligned-new=8, malloc gives 8");
#endif

namespace quarnite {
namespace {

// 8-bit constants of the AAN transform; each product is shifted and kept to 16 bits.
inline int32_t FastMultiply(int32_t value, int32_t constant)
{
    return static_cast<int16_t>((value * constant) >> 8);
}

inline void FastPass(int32_t* d, int stride)
{
    const int32_t tmp0 = d[0] + d[7 * stride], tmp7 = d[0] - d[7 * stride];
    const int32_t tmp1 = d[stride] + d[6 * stride], tmp6 = d[stride] - d[6 * stride];
    const int32_t tmp2 = d[2 * stride] + d[5 * stride], tmp5 = d[2 * stride] - d[5 * stride];
    const int32_t tmp3 = d[3 * stride] + d[4 * stride], tmp4 = d[3 * stride] - d[4 * stride];

    int32_t tmp10 = tmp0 + tmp3, tmp13 = tmp0 - tmp3;
    int32_t tmp11 = tmp1 + tmp2, tmp12 = tmp1 - tmp2;
    d[0] = tmp10 + tmp11;
    d[4 * stride] = tmp10 - tmp11;
    const int32_t z1 = FastMultiply(tmp12 + tmp13, 181);
    d[2 * stride] = tmp13 + z1;
    d[6 * stride] = tmp13 - z1;

    tmp10 = tmp4 + tmp5;
    tmp11 = tmp5 + tmp6;
    tmp12 = tmp6 + tmp7;
    const int32_t z5 = FastMultiply(tmp10 - tmp12, 98);
    const int32_t z2 = FastMultiply(tmp10, 139) + z5;
    const int32_t z4 = FastMultiply(tmp12, 334) + z5;
    const int32_t z3 = FastMultiply(tmp11, 181);
    const int32_t z11 = tmp7 + z3, z13 = tmp7 - z3;
    d[5 * stride] = z13 + z2;
    d[3 * stride] = z13 - z2;
    d[stride] = z11 + z4;
    d[7 * stride] = z11 - z4;
}

// One pass of the LLM transform; the first keeps two fraction bits
// (shift 11, DC times 4), the second removes them (shift 15, DC shift 2).
inline void AccuratePass(int32_t* d, int stride, bool first)
{
    const int dcShift = 2;
    const int shift = first ? 11 : 15;
    const int32_t tmp0 = d[0] + d[7 * stride], tmp7 = d[0] - d[7 * stride];
    const int32_t tmp1 = d[stride] + d[6 * stride], tmp6 = d[stride] - d[6 * stride];
    const int32_t tmp2 = d[2 * stride] + d[5 * stride], tmp5 = d[2 * stride] - d[5 * stride];
    const int32_t tmp3 = d[3 * stride] + d[4 * stride], tmp4 = d[3 * stride] - d[4 * stride];

    const int32_t tmp10 = tmp0 + tmp3, tmp13 = tmp0 - tmp3;
    const int32_t tmp11 = tmp1 + tmp2, tmp12 = tmp1 - tmp2;
    d[0] = first ? (tmp10 + tmp11) * 4 : (tmp10 + tmp11) >> dcShift;
    d[4 * stride] = first ? (tmp10 - tmp11) * 4 : (tmp10 - tmp11) >> dcShift;
    const int32_t z1 = (tmp12 + tmp13) * 4433;
    d[2 * stride] = (z1 + tmp13 * 6270) >> shift;
    d[6 * stride] = (z1 - tmp12 * 15137) >> shift;

    int32_t a = tmp4 + tmp7, b = tmp5 + tmp6, c = tmp4 + tmp6, e = tmp5 + tmp7;
    const int32_t z5 = (c + e) * 9633;
    const int32_t t4 = tmp4 * 2446, t5 = tmp5 * 16819, t6 = tmp6 * 25172, t7 = tmp7 * 12299;
    a *= -7373;
    b *= -20995;
    c = c * -16069 + z5;
    e = e * -3196 + z5;
    d[7 * stride] = (t4 + a + c) >> shift;
    d[5 * stride] = (t5 + b + e) >> shift;
    d[3 * stride] = (t6 + b + c) >> shift;
    d[stride] = (t7 + a + e) >> shift;
}

} // namespace

void ForwardDctFast(int32_t* block)
{
    for (int r = 0; r < 8; ++r)
        FastPass(block + r * 8, 1);
    for (int c = 0; c < 8; ++c)
        FastPass(block + c, 8);
}

void ForwardDctAccurate(int32_t* block)
{
    for (int r = 0; r < 8; ++r)
        AccuratePass(block + r * 8, 1, true);
    for (int c = 0; c < 8; ++c)
        AccuratePass(block + c, 8, false);
}

void JpegQuantizer::Set(const uint32_t* multipliers)
{
    for (int i = 0; i < 64; ++i) {
        multiplier[i] = multipliers[i];
        low[i] = static_cast<uint16_t>(multipliers[i]);
        high[i] = multipliers[i] > 0xFFFF ? 0xFFFF : 0;
        limit[i] = i == 0 ? 2047 : 1023;
    }
}

uint64_t TransformBlockPortable(const int16_t* samples, ptrdiff_t stride, bool accurate,
                                const JpegQuantizer& quantizer, int16_t* coefficients)
{
    int32_t block[64];
    for (int r = 0; r < 8; ++r)
        for (int c = 0; c < 8; ++c)
            block[r * 8 + c] = samples[r * stride + c];
    if (accurate)
        ForwardDctAccurate(block);
    else
        ForwardDctFast(block);
    uint64_t nonzero = 0;
    for (int k = 0; k < 64; ++k) {
        const int i = NaturalOrderTable[k];
        const int32_t x = block[i];
        // |x| < 32768 and m <= 65536, so the product stays within 32 bits.
        const uint32_t magnitude = static_cast<uint32_t>(x < 0 ? -x : x);
        const uint32_t q = std::min<uint32_t>((magnitude * quantizer.multiplier[i] + 32768) >> 16,
                                              static_cast<uint32_t>(quantizer.limit[i]));
        coefficients[i] = static_cast<int16_t>(x < 0 ? -static_cast<int32_t>(q) : static_cast<int32_t>(q));
        nonzero |= static_cast<uint64_t>(q != 0) << k;
    }
    return nonzero;
}

#if defined(__SSE2__)
namespace {

// bits[j][b]: byte b of a natural-order mask at natural positions 8j to 8j + 7, as zigzag-order bits.
struct ZigzagBits {
    uint64_t bits[8][256];
    constexpr ZigzagBits() : bits()
    {
        int zigzagOf[64] = {};
        for (int k = 0; k < 64; ++k)
            zigzagOf[NaturalOrderTable[k]] = k;
        for (int j = 0; j < 8; ++j)
            for (int b = 0; b < 256; ++b)
                for (int i = 0; i < 8; ++i)
                    if (b >> i & 1)
                        bits[j][b] |= uint64_t{1} << zigzagOf[8 * j + i];
    }
};
constexpr ZigzagBits kZigzagBits{};

inline void Transpose(__m128i* v)
{
    const __m128i a0 = _mm_unpacklo_epi16(v[0], v[1]), a1 = _mm_unpackhi_epi16(v[0], v[1]);
    const __m128i a2 = _mm_unpacklo_epi16(v[2], v[3]), a3 = _mm_unpackhi_epi16(v[2], v[3]);
    const __m128i a4 = _mm_unpacklo_epi16(v[4], v[5]), a5 = _mm_unpackhi_epi16(v[4], v[5]);
    const __m128i a6 = _mm_unpacklo_epi16(v[6], v[7]), a7 = _mm_unpackhi_epi16(v[6], v[7]);
    const __m128i b0 = _mm_unpacklo_epi32(a0, a2), b1 = _mm_unpackhi_epi32(a0, a2);
    const __m128i b2 = _mm_unpacklo_epi32(a1, a3), b3 = _mm_unpackhi_epi32(a1, a3);
    const __m128i b4 = _mm_unpacklo_epi32(a4, a6), b5 = _mm_unpackhi_epi32(a4, a6);
    const __m128i b6 = _mm_unpacklo_epi32(a5, a7), b7 = _mm_unpackhi_epi32(a5, a7);
    v[0] = _mm_unpacklo_epi64(b0, b4);
    v[1] = _mm_unpackhi_epi64(b0, b4);
    v[2] = _mm_unpacklo_epi64(b1, b5);
    v[3] = _mm_unpackhi_epi64(b1, b5);
    v[4] = _mm_unpacklo_epi64(b2, b6);
    v[5] = _mm_unpackhi_epi64(b2, b6);
    v[6] = _mm_unpacklo_epi64(b3, b7);
    v[7] = _mm_unpackhi_epi64(b3, b7);
}

// Bits 8 to 23 of the 32-bit product: int16((v * c) >> 8), as FastMultiply.
inline __m128i FastMultiply16(__m128i v, int16_t constant)
{
    const __m128i c = _mm_set1_epi16(constant);
    return _mm_or_si128(_mm_srli_epi16(_mm_mullo_epi16(v, c), 8), _mm_slli_epi16(_mm_mulhi_epi16(v, c), 8));
}

// FastPass on eight lanes at once: v[k] holds input k of every lane.
inline void FastPass16(__m128i* v)
{
    const __m128i tmp0 = _mm_add_epi16(v[0], v[7]), tmp7 = _mm_sub_epi16(v[0], v[7]);
    const __m128i tmp1 = _mm_add_epi16(v[1], v[6]), tmp6 = _mm_sub_epi16(v[1], v[6]);
    const __m128i tmp2 = _mm_add_epi16(v[2], v[5]), tmp5 = _mm_sub_epi16(v[2], v[5]);
    const __m128i tmp3 = _mm_add_epi16(v[3], v[4]), tmp4 = _mm_sub_epi16(v[3], v[4]);

    __m128i tmp10 = _mm_add_epi16(tmp0, tmp3), tmp13 = _mm_sub_epi16(tmp0, tmp3);
    __m128i tmp11 = _mm_add_epi16(tmp1, tmp2), tmp12 = _mm_sub_epi16(tmp1, tmp2);
    v[0] = _mm_add_epi16(tmp10, tmp11);
    v[4] = _mm_sub_epi16(tmp10, tmp11);
    const __m128i z1 = FastMultiply16(_mm_add_epi16(tmp12, tmp13), 181);
    v[2] = _mm_add_epi16(tmp13, z1);
    v[6] = _mm_sub_epi16(tmp13, z1);

    tmp10 = _mm_add_epi16(tmp4, tmp5);
    tmp11 = _mm_add_epi16(tmp5, tmp6);
    tmp12 = _mm_add_epi16(tmp6, tmp7);
    const __m128i z5 = FastMultiply16(_mm_sub_epi16(tmp10, tmp12), 98);
    const __m128i z2 = _mm_add_epi16(FastMultiply16(tmp10, 139), z5);
    const __m128i z4 = _mm_add_epi16(FastMultiply16(tmp12, 334), z5);
    const __m128i z3 = FastMultiply16(tmp11, 181);
    const __m128i z11 = _mm_add_epi16(tmp7, z3), z13 = _mm_sub_epi16(tmp7, z3);
    v[5] = _mm_add_epi16(z13, z2);
    v[3] = _mm_sub_epi16(z13, z2);
    v[1] = _mm_add_epi16(z11, z4);
    v[7] = _mm_sub_epi16(z11, z4);
}

// (a * ca + b * cb) >> shift in 32 bits per lane, packed back to 16 bits.
template <int kShift>
inline __m128i Combine(__m128i a, __m128i b, int16_t ca, int16_t cb)
{
    const __m128i c = _mm_set_epi16(cb, ca, cb, ca, cb, ca, cb, ca);
    const __m128i lo = _mm_srai_epi32(_mm_madd_epi16(_mm_unpacklo_epi16(a, b), c), kShift);
    const __m128i hi = _mm_srai_epi32(_mm_madd_epi16(_mm_unpackhi_epi16(a, b), c), kShift);
    return _mm_packs_epi32(lo, hi);
}

// (a ca + b cb + c cc + d cd) >> shift, likewise.
template <int kShift>
inline __m128i Combine4(__m128i a, __m128i b, __m128i c, __m128i d, int16_t ca, int16_t cb, int16_t cc, int16_t cd)
{
    const __m128i k0 = _mm_set_epi16(cb, ca, cb, ca, cb, ca, cb, ca);
    const __m128i k1 = _mm_set_epi16(cd, cc, cd, cc, cd, cc, cd, cc);
    const __m128i lo = _mm_add_epi32(_mm_madd_epi16(_mm_unpacklo_epi16(a, b), k0),
                                     _mm_madd_epi16(_mm_unpacklo_epi16(c, d), k1));
    const __m128i hi = _mm_add_epi32(_mm_madd_epi16(_mm_unpackhi_epi16(a, b), k0),
                                     _mm_madd_epi16(_mm_unpackhi_epi16(c, d), k1));
    return _mm_packs_epi32(_mm_srai_epi32(lo, kShift), _mm_srai_epi32(hi, kShift));
}

// AccuratePass on eight lanes. The products are AccuratePass's, multiplied
// out per input (exact in 32 bits): out7 = t4 2446 + (t4 + t7)(-7373) +
// (t4 + t6)(-16069) + (t4 + t5 + t6 + t7) 9633 = t4 (-11363) + t5 9633 +
// t6 (-6436) + t7 2260, and so on. The second pass's DC sums need 17 bits.
template <bool kFirst>
inline void AccuratePass16(__m128i* v)
{
    constexpr int kShift = kFirst ? 11 : 15;
    const __m128i tmp0 = _mm_add_epi16(v[0], v[7]), tmp7 = _mm_sub_epi16(v[0], v[7]);
    const __m128i tmp1 = _mm_add_epi16(v[1], v[6]), tmp6 = _mm_sub_epi16(v[1], v[6]);
    const __m128i tmp2 = _mm_add_epi16(v[2], v[5]), tmp5 = _mm_sub_epi16(v[2], v[5]);
    const __m128i tmp3 = _mm_add_epi16(v[3], v[4]), tmp4 = _mm_sub_epi16(v[3], v[4]);

    const __m128i tmp10 = _mm_add_epi16(tmp0, tmp3), tmp13 = _mm_sub_epi16(tmp0, tmp3);
    const __m128i tmp11 = _mm_add_epi16(tmp1, tmp2), tmp12 = _mm_sub_epi16(tmp1, tmp2);
    if (kFirst) {
        v[0] = _mm_slli_epi16(_mm_add_epi16(tmp10, tmp11), 2);
        v[4] = _mm_slli_epi16(_mm_sub_epi16(tmp10, tmp11), 2);
    } else {
        v[0] = Combine<2>(tmp10, tmp11, 1, 1);
        v[4] = Combine<2>(tmp10, tmp11, 1, -1);
    }
    v[2] = Combine<kShift>(tmp12, tmp13, 4433, 4433 + 6270);
    v[6] = Combine<kShift>(tmp12, tmp13, 4433 - 15137, 4433);

    v[7] = Combine4<kShift>(tmp4, tmp5, tmp6, tmp7, 2446 - 7373 - 16069 + 9633, 9633, -16069 + 9633, -7373 + 9633);
    v[5] = Combine4<kShift>(tmp4, tmp5, tmp6, tmp7, 9633, 16819 - 20995 - 3196 + 9633, -20995 + 9633, -3196 + 9633);
    v[3] = Combine4<kShift>(tmp4, tmp5, tmp6, tmp7, -16069 + 9633, -20995 + 9633, 25172 - 20995 - 16069 + 9633, 9633);
    v[1] = Combine4<kShift>(tmp4, tmp5, tmp6, tmp7, -7373 + 9633, -3196 + 9633, 9633, 12299 - 7373 - 3196 + 9633);
}

} // namespace

uint64_t TransformBlockSse2(const int16_t* samples, ptrdiff_t stride, bool accurate, const JpegQuantizer& quantizer,
                            int16_t* coefficients)
{
    // Rows first: transposed, the row pass runs down the lanes; transposed back, the column pass.
    __m128i v[8];
    for (int r = 0; r < 8; ++r)
        v[r] = _mm_loadu_si128(reinterpret_cast<const __m128i*>(samples + r * stride));
    Transpose(v);
    if (accurate)
        AccuratePass16<true>(v);
    else
        FastPass16(v);
    Transpose(v);
    if (accurate)
        AccuratePass16<false>(v);
    else
        FastPass16(v);

    // (|x| m + 32768) >> 16 with m = high 65536 + low: high |x| plus the high
    // half of |x| low, plus one when the low half of |x| low reaches 32768.
    const __m128i zero = _mm_setzero_si128();
    uint64_t isZero = 0;
    for (int r = 0; r < 8; r += 2) {
        __m128i q2[2];
        for (int h = 0; h < 2; ++h) {
            const __m128i x = v[r + h];
            const int at = 8 * (r + h);
            const __m128i sign = _mm_srai_epi16(x, 15);
            const __m128i magnitude = _mm_sub_epi16(_mm_xor_si128(x, sign), sign);
            const __m128i low = _mm_load_si128(reinterpret_cast<const __m128i*>(quantizer.low + at));
            const __m128i high = _mm_load_si128(reinterpret_cast<const __m128i*>(quantizer.high + at));
            __m128i q = _mm_add_epi16(_mm_and_si128(magnitude, high), _mm_mulhi_epu16(magnitude, low));
            q = _mm_add_epi16(q, _mm_srli_epi16(_mm_mullo_epi16(magnitude, low), 15));
            q = _mm_min_epi16(q, _mm_load_si128(reinterpret_cast<const __m128i*>(quantizer.limit + at)));
            q2[h] = q;
            _mm_storeu_si128(reinterpret_cast<__m128i*>(coefficients + at), _mm_sub_epi16(_mm_xor_si128(q, sign), sign));
        }
        // Zero lanes compare to all ones; packed to bytes, one mask bit each.
        const __m128i zeros = _mm_packs_epi16(_mm_cmpeq_epi16(q2[0], zero), _mm_cmpeq_epi16(q2[1], zero));
        isZero |= static_cast<uint64_t>(static_cast<uint32_t>(_mm_movemask_epi8(zeros))) << (8 * r);
    }
    const uint64_t nonzero = ~isZero;
    uint64_t zigzag = 0;
    for (int j = 0; j < 8; ++j)
        zigzag |= kZigzagBits.bits[j][(nonzero >> (8 * j)) & 255];
    return zigzag;
}
#endif

uint32_t QuantMultiplier(uint32_t quant, int row, int column)
{
    // S(r, c) = round(16384 a(r) a(c)), a(0) = 1, a(k) = sqrt(2) cos(k pi / 16):
    // the factors of the AAN outputs; the divisor keeps the transform's factor 8.
    const double pi = 3.14159265358979323846;
    auto a = [&](int k) { return k == 0 ? 1.0 : std::sqrt(2.0) * std::cos(k * pi / 16.0); };
    const uint32_t scale = static_cast<uint32_t>(std::lround(16384.0 * a(row) * a(column)));
    uint32_t divisor = quant * scale / 2048;
    if (divisor == 0)
        divisor = 1;
    return 65536 / divisor;
}

} // namespace quarnite
