// Forward DCTs of the encoder. Every shift is arithmetic and without a rounding term.
#include <cmath>
#include <cstdint>

#include "fileio/jpeg_encoder.h"

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
