// Integer inverse DCTs of the baseline decoder. The arithmetic is done in 64
// bits so that no coefficient of a corrupt file can overflow it; each result
// is cut to its low 18 bits, all that the range limiting and the colour
// conversion ever look at, so every file decodes as with unbounded integers.
#include <cstdint>

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
        const int64_t dc = static_cast<int64_t>(block[0]) * quant[0] * 4;
        const int32_t value = Low18((dc * 8192 + 0x20000) >> 18);
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

void InverseDct8x8(int32_t* block, const uint32_t* quant, int32_t scale)
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

} // namespace quarnite
