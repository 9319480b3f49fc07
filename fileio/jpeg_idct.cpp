// Integer inverse DCTs of the baseline decoder. The plain arithmetic is done
// in 64 bits so that no coefficient of a corrupt file can overflow it; each
// result is cut to its low 18 bits, all that the range limiting and the colour
// conversion ever look at, so every file decodes as with unbounded integers.
// The SSE2 transform takes the blocks whose sums provably fit 32 bits (every
// block of a file made from 8-bit samples) and gives the same values.
#include <cstdint>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "fileio/jpeg_decoder.h"

namespace quarnite {
namespace {

// 13-bit fixed-point constants of the Loeffler-Ligtenberg-Moschytz transform.
constexpr int64_t k0_298631336 = 2446;
constexpr int64_t k0_390180644 = 3196;
constexpr int64_t k0_541196100 = 4433;
constexpr int64_t k0_765366865 = 6270;
constexpr int64_t k0_899976223 = 7373;
constexpr int64_t k1_175875602 = 9633;
constexpr int64_t k1_501321110 = 12299;
constexpr int64_t k1_847759065 = 15137;
constexpr int64_t k1_961570560 = 16069;
constexpr int64_t k2_053119869 = 16819;
constexpr int64_t k2_562915447 = 20995;
constexpr int64_t k3_072711026 = 25172;

// The 2x2 reduced transform's constants.
constexpr int64_t k0_720959822 = 5906;
constexpr int64_t k0_850430095 = 6967;
constexpr int64_t k1_272758580 = 10426;
constexpr int64_t k3_624509785 = 29692;

inline int32_t Low18(int64_t value)
{
    return static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(value)) << 14) >> 14;
}

// The sample of a block of its DC term alone, as both passes give it.
inline int32_t FlatBlockValue(int32_t dc, uint32_t quant)
{
    return Low18((static_cast<int64_t>(dc) * quant * 4 * 8192 + 0x20000) >> 18);
}

// One 8-point butterfly; out gets the eight sums before descaling.
inline void Butterfly(const int64_t* in, int64_t* out)
{
    int64_t z2 = in[2];
    int64_t z3 = in[6];
    int64_t z1 = (z2 + z3) * k0_541196100;
    int64_t tmp2 = z1 - z3 * k1_847759065;
    int64_t tmp3 = z1 + z2 * k0_765366865;
    int64_t tmp0 = (in[0] + in[4]) * 8192;
    int64_t tmp1 = (in[0] - in[4]) * 8192;
    const int64_t tmp10 = tmp0 + tmp3;
    const int64_t tmp13 = tmp0 - tmp3;
    const int64_t tmp11 = tmp1 + tmp2;
    const int64_t tmp12 = tmp1 - tmp2;

    tmp0 = in[7];
    tmp1 = in[5];
    tmp2 = in[3];
    tmp3 = in[1];
    z1 = tmp0 + tmp3;
    z2 = tmp1 + tmp2;
    z3 = tmp0 + tmp2;
    int64_t z4 = tmp1 + tmp3;
    const int64_t z5 = (z3 + z4) * k1_175875602;
    tmp0 *= k0_298631336;
    tmp1 *= k2_053119869;
    tmp2 *= k3_072711026;
    tmp3 *= k1_501321110;
    z1 *= -k0_899976223;
    z2 *= -k2_562915447;
    z3 = z3 * -k1_961570560 + z5;
    z4 = z4 * -k0_390180644 + z5;
    tmp0 += z1 + z3;
    tmp1 += z2 + z4;
    tmp2 += z2 + z3;
    tmp3 += z1 + z4;

    out[0] = tmp10 + tmp3;
    out[7] = tmp10 - tmp3;
    out[1] = tmp11 + tmp2;
    out[6] = tmp11 - tmp2;
    out[2] = tmp12 + tmp1;
    out[5] = tmp12 - tmp1;
    out[3] = tmp13 + tmp0;
    out[4] = tmp13 - tmp0;
}

} // namespace

namespace {

// Scale 2 transforms the low-frequency quarter only: columns 0-3, rows 0-3
// of the coefficients, then rows 0, 2, 4, 6 of the result. A template so
// that each scale's loops are unrolled.
template <int kScale>
void InverseDct8x8Scaled(int32_t* block, const uint32_t* quant)
{
    constexpr int columns = kScale == 2 ? 4 : 8;
    constexpr int rowsUsed = kScale == 2 ? 4 : 8;
    constexpr int rowStep = kScale == 2 ? 2 : 1;

    // A block of its DC term alone (common in smooth areas and chroma) is flat:
    // the value that both passes below give for it.
    int32_t ac = 0;
    for (int i = 1; i < 64; ++i)
        ac |= block[i];
    if (ac == 0) {
        const int32_t value = FlatBlockValue(block[0], quant[0]);
        for (int r = 0; r < 8 / rowStep; ++r)
            for (int c = 0; c < 8 / rowStep; ++c)
                block[r * 8 + c] = value;
        return;
    }

    int64_t workspace[64];
    if constexpr (columns < 8)
        for (int r = 0; r < 8; ++r)
            for (int c = columns; c < 8; ++c)
                workspace[r * 8 + c] = 0;
    int64_t in[8];
    int64_t out[8];

    // Pass 1: columns, dequantised on the way in, two extra bits kept.
    for (int c = 0; c < columns; ++c) {
        bool acZero = true;
        for (int r = 1; r < rowsUsed; ++r)
            acZero &= block[r * 8 + c] == 0;
        const int64_t dc = static_cast<int64_t>(block[c]) * quant[c];
        if (acZero) {
            for (int r = 0; r < 8; ++r)
                workspace[r * 8 + c] = dc * 4;
            continue;
        }
        for (int r = 0; r < 8; ++r)
            in[r] = r < rowsUsed ? static_cast<int64_t>(block[r * 8 + c]) * quant[r * 8 + c] : 0;
        Butterfly(in, out);
        for (int r = 0; r < 8; ++r)
            workspace[r * 8 + c] = (out[r] + 1024) >> 11;
    }

    // Pass 2: rows, descaled by 2^18 (13 constant bits, 2 pass bits, 3 for the 8-point scale).
    for (int r = 0, target = 0; r < 8; r += rowStep, ++target) {
        const int64_t* row = workspace + r * 8;
        int32_t* dst = block + target * 8;
        bool acZero = true;
        for (int c = 1; c < 8; ++c)
            acZero &= row[c] == 0;
        if (acZero) {
            // What the butterfly gives for a row of its DC term alone.
            const int32_t value = Low18((row[0] * 8192 + 0x20000) >> 18);
            for (int c = 0; c < 8 / rowStep; ++c)
                dst[c] = value;
            continue;
        }
        Butterfly(row, out);
        for (int c = 0; c < 8 / rowStep; ++c)
            dst[c] = Low18((out[c * rowStep] + 0x20000) >> 18);
    }
}

} // namespace

void InverseDct8x8Portable(int32_t* block, const uint32_t* quant, int32_t scale)
{
    if (scale == 2)
        InverseDct8x8Scaled<2>(block, quant);
    else
        InverseDct8x8Scaled<1>(block, quant);
}

void InverseDctReduced(int32_t* block, const uint32_t* quant, int32_t scale)
{
    // Only rows and columns 0, 1, 3, 5 and 7 of the coefficients take part.
    static const int kUsed[5] = {0, 1, 3, 5, 7};
    const bool single = scale == 8;
    int64_t workspace[2][8] = {};

    for (int c : kUsed) {
        auto q = [&](int r) { return static_cast<int64_t>(block[r * 8 + c]) * quant[r * 8 + c]; };
        if (block[8 + c] == 0 && block[24 + c] == 0 && block[40 + c] == 0 && block[56 + c] == 0) {
            workspace[0][c] = workspace[1][c] = q(0) * 4;
            continue;
        }
        const int64_t even = q(0) * 32768;
        const int64_t odd = q(7) * -k0_720959822 + q(5) * k0_850430095 + q(3) * -k1_272758580 + q(1) * k3_624509785;
        workspace[0][c] = (even + odd + 4096) >> 13;
        workspace[1][c] = single ? 0 : (even - odd + 4096) >> 13;
    }

    for (int r = 0; r < (single ? 1 : 2); ++r) {
        const int64_t* w = workspace[r];
        const int64_t even = w[0] * 32768;
        const int64_t odd = w[7] * -k0_720959822 + w[5] * k0_850430095 + w[3] * -k1_272758580 + w[1] * k3_624509785;
        block[r * 8] = Low18((even + odd + 0x80000) >> 20);
        if (!single)
            block[r * 8 + 1] = Low18((even - odd + 0x80000) >> 20);
    }
}

#if defined(__SSE2__)
namespace {

// The 8 x 8 transpose of 16-bit lanes.
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

inline __m128i Pair(int16_t a, int16_t b) { return _mm_set_epi16(b, a, b, a, b, a, b, a); }

// The butterfly of Butterfly() multiplied out per input, on four lanes of
// 32-bit sums: a linear map is exact in 32 bits when its results fit, however
// its partial sums wrap. p04, p26, p17 and p35 interleave inputs (0, 4),
// (2, 6), (1, 7) and (3, 5); round is added to every result before the shift.
template <int kShift>
inline void ButterflyHalf(__m128i p04, __m128i p26, __m128i p17, __m128i p35, __m128i round, __m128i* out)
{
    constexpr int16_t kOdd0 = -7373 + 9633, kOdd1 = -3196 + 9633, kOdd2 = -16069 + 9633, kOdd3 = -20995 + 9633;
    const __m128i tmp0 = _mm_add_epi32(_mm_madd_epi16(p04, Pair(8192, 8192)), round);
    const __m128i tmp1 = _mm_add_epi32(_mm_madd_epi16(p04, Pair(8192, -8192)), round);
    const __m128i tmp3 = _mm_madd_epi16(p26, Pair(4433 + 6270, 4433));
    const __m128i tmp2 = _mm_madd_epi16(p26, Pair(4433, 4433 - 15137));
    const __m128i tmp10 = _mm_add_epi32(tmp0, tmp3), tmp13 = _mm_sub_epi32(tmp0, tmp3);
    const __m128i tmp11 = _mm_add_epi32(tmp1, tmp2), tmp12 = _mm_sub_epi32(tmp1, tmp2);

    // Odd part: in7 2446 + z1 (-7373) + z3 (-16069) + z5 and so on, with
    // z1 = in7 + in1, z2 = in5 + in3, z3 = in7 + in3, z4 = in5 + in1, z5 = 9633 (z3 + z4).
    const __m128i odd0 = _mm_add_epi32(_mm_madd_epi16(p17, Pair(kOdd0, 2446 - 7373 - 16069 + 9633)),
                                       _mm_madd_epi16(p35, Pair(kOdd2, 9633)));
    const __m128i odd1 = _mm_add_epi32(_mm_madd_epi16(p17, Pair(kOdd1, 9633)),
                                       _mm_madd_epi16(p35, Pair(kOdd3, 16819 - 20995 - 3196 + 9633)));
    const __m128i odd2 = _mm_add_epi32(_mm_madd_epi16(p17, Pair(9633, kOdd2)),
                                       _mm_madd_epi16(p35, Pair(25172 - 20995 - 16069 + 9633, kOdd3)));
    const __m128i odd3 = _mm_add_epi32(_mm_madd_epi16(p17, Pair(12299 - 7373 - 3196 + 9633, kOdd0)),
                                       _mm_madd_epi16(p35, Pair(9633, kOdd1)));

    out[0] = _mm_srai_epi32(_mm_add_epi32(tmp10, odd3), kShift);
    out[7] = _mm_srai_epi32(_mm_sub_epi32(tmp10, odd3), kShift);
    out[1] = _mm_srai_epi32(_mm_add_epi32(tmp11, odd2), kShift);
    out[6] = _mm_srai_epi32(_mm_sub_epi32(tmp11, odd2), kShift);
    out[2] = _mm_srai_epi32(_mm_add_epi32(tmp12, odd1), kShift);
    out[5] = _mm_srai_epi32(_mm_sub_epi32(tmp12, odd1), kShift);
    out[3] = _mm_srai_epi32(_mm_add_epi32(tmp13, odd0), kShift);
    out[4] = _mm_srai_epi32(_mm_sub_epi32(tmp13, odd0), kShift);
}

// The butterfly down the eight 16-bit lanes of v[0..7] (v[k] holds input k of
// every lane): lo and hi get the results of lanes 0-3 and 4-7.
template <int kShift>
inline void ButterflyLanes(const __m128i* v, __m128i round, __m128i* lo, __m128i* hi)
{
    ButterflyHalf<kShift>(_mm_unpacklo_epi16(v[0], v[4]), _mm_unpacklo_epi16(v[2], v[6]),
                          _mm_unpacklo_epi16(v[1], v[7]), _mm_unpacklo_epi16(v[3], v[5]), round, lo);
    ButterflyHalf<kShift>(_mm_unpackhi_epi16(v[0], v[4]), _mm_unpackhi_epi16(v[2], v[6]),
                          _mm_unpackhi_epi16(v[1], v[7]), _mm_unpackhi_epi16(v[3], v[5]), round, hi);
}

} // namespace

bool InverseDct8x8Sse2(int32_t* block, const uint32_t* quant, int32_t scale)
{
    // Coefficients and quantisers in 16-bit lanes, rows in v[0..7]; values that
    // do not fit saturate, which only makes the bound below fail. Scale 2 is
    // the full transform of the low-frequency quarter, every other sample kept.
    const bool half = scale == 2;
    __m128i c[8], q[8];
    __m128i sum = _mm_setzero_si128(), ac = _mm_setzero_si128();
    const __m128i zero = _mm_setzero_si128();
    const __m128i quarter = _mm_set_epi32(0, 0, -1, -1);
    for (int r = 0; r < 8; ++r) {
        c[r] = _mm_packs_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(block + 8 * r)),
                               _mm_loadu_si128(reinterpret_cast<const __m128i*>(block + 8 * r + 4)));
        if (half)
            c[r] = r < 4 ? _mm_and_si128(c[r], quarter) : zero;
        q[r] = _mm_packs_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(quant + 8 * r)),
                               _mm_loadu_si128(reinterpret_cast<const __m128i*>(quant + 8 * r + 4)));
        // |c| q, unsigned, saturated at 65535 when it needs more than 16 bits.
        const __m128i sign = _mm_srai_epi16(c[r], 15);
        const __m128i magnitude = _mm_sub_epi16(_mm_xor_si128(c[r], sign), sign);
        const __m128i product = _mm_or_si128(_mm_mullo_epi16(magnitude, q[r]),
                                             _mm_xor_si128(_mm_cmpeq_epi16(_mm_mulhi_epu16(magnitude, q[r]), zero),
                                                           _mm_set1_epi16(-1)));
        sum = _mm_adds_epu16(sum, product);
        ac = _mm_or_si128(ac, r == 0 ? _mm_srli_si128(c[r], 2) : c[r]);
    }
    if (_mm_movemask_epi8(_mm_cmpeq_epi8(ac, zero)) == 0xFFFF) {
        const int32_t value = FlatBlockValue(block[0], quant[0]);
        for (int r = 0; r < (half ? 4 : 8); ++r)
            for (int col = 0; col < (half ? 4 : 8); ++col)
                block[8 * r + col] = value;
        return true;
    }

    // S = sum of |c q| below 32767 bounds the largest dequantised coefficient,
    // so each fits 16 bits, and the sums of both passes: with 11363 the largest
    // butterfly constant, a pass-1 result x of a column satisfies
    // |x| <= 11363 S_column, the pass-2 input |(x + 1024) >> 11| <= 11363 S_column / 2048 + 1.5,
    // and a pass-2 sum at most 11363 (11363 S / 2048 + 12) < 2^31 - 2^17.
    // The per-lane column sums saturate, so S is at least min(true sum, 65535).
    sum = _mm_add_epi32(_mm_and_si128(sum, _mm_set1_epi32(0xFFFF)), _mm_srli_epi32(sum, 16));
    sum = _mm_add_epi32(sum, _mm_srli_si128(sum, 8));
    sum = _mm_add_epi32(sum, _mm_srli_si128(sum, 4));
    if (_mm_cvtsi128_si32(sum) >= 32767)
        return false;

    __m128i v[8];
    for (int r = 0; r < 8; ++r)
        v[r] = _mm_mullo_epi16(c[r], q[r]);

    // Pass 1 down the columns (the lanes), two extra bits kept.
    __m128i lo[8], hi[8];
    ButterflyLanes<11>(v, _mm_set1_epi32(1024), lo, hi);
    // Pass 2 takes 16-bit inputs: a result outside them (possible only for
    // coefficients that no 8-bit picture gives) goes the plain way.
    __m128i wide = _mm_setzero_si128();
    const __m128i bias16 = _mm_set1_epi32(0x8000);
    for (int r = 0; r < 8; ++r) {
        wide = _mm_or_si128(wide, _mm_or_si128(_mm_add_epi32(lo[r], bias16), _mm_add_epi32(hi[r], bias16)));
        v[r] = _mm_packs_epi32(lo[r], hi[r]);
    }
    if (_mm_movemask_epi8(_mm_cmpeq_epi16(_mm_srli_epi32(wide, 16), zero)) != 0xFFFF)
        return false;

    // Pass 2 along the rows: transposed, a row runs down the lanes.
    Transpose(v);
    ButterflyLanes<18>(v, _mm_set1_epi32(0x20000), lo, hi);
    // |result| <= 8192 + 1, so 16 bits hold it; back to rows, then 32 bits.
    for (int column = 0; column < 8; ++column)
        v[column] = _mm_packs_epi32(lo[column], hi[column]);
    Transpose(v);
    if (half) {
        // Rows and columns 0, 2, 4, 6 into the top-left 4 x 4.
        for (int r = 0; r < 4; ++r)
            _mm_storeu_si128(reinterpret_cast<__m128i*>(block + 8 * r), _mm_srai_epi32(_mm_slli_epi32(v[2 * r], 16), 16));
        return true;
    }
    for (int r = 0; r < 8; ++r) {
        _mm_storeu_si128(reinterpret_cast<__m128i*>(block + 8 * r), _mm_srai_epi32(_mm_unpacklo_epi16(v[r], v[r]), 16));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(block + 8 * r + 4), _mm_srai_epi32(_mm_unpackhi_epi16(v[r], v[r]), 16));
    }
    return true;
}
#endif

void InverseDct8x8(int32_t* block, const uint32_t* quant, int32_t scale)
{
#if defined(__SSE2__)
    if (InverseDct8x8Sse2(block, quant, scale))
        return;
#endif
    InverseDct8x8Portable(block, quant, scale);
}

} // namespace quarnite
