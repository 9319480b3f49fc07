#include "QRV/multi_lut_asm.h"

#include <emmintrin.h>

#include <cstring>

// SSE2 gives the same lane results as the MMX instructions the kernels were
// designed for, and leaves no multimedia state to clear afterwards.

namespace qrv {

namespace {

inline __m128i Halve(__m128i v)
{
    return _mm_srli_epi16(v, 1);
}

// a + floor((b - a) * f / 32768) on halved lanes: bits 15..30 of the 32-bit
// product, put together from its high and low halves.
inline __m128i Lerp(__m128i a, __m128i b, __m128i f)
{
    __m128i d = _mm_sub_epi16(b, a);
    __m128i lo = _mm_mullo_epi16(d, f);
    __m128i hi = _mm_mulhi_epi16(d, f);
    return _mm_add_epi16(a, _mm_or_si128(_mm_slli_epi16(hi, 1), _mm_srli_epi16(lo, 15)));
}

inline __m128i Splat(uint32_t f)
{
    return _mm_set1_epi16(static_cast<short>(f));
}

inline __m128i Load4(const uint16_t* p)
{
    return _mm_loadl_epi64(reinterpret_cast<const __m128i*>(p));
}

inline __m128i Load8(const uint16_t* p)
{
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
}

inline void Store4(uint16_t* p, __m128i v)
{
    _mm_storel_epi64(reinterpret_cast<__m128i*>(p), v);
}

inline __m128i HighToLow(__m128i v)
{
    return _mm_unpackhi_epi64(v, v);
}

// Kernel 0: one input, one output, four pixels per step.
void Kernel0(const uint16_t* in, uint16_t* out, const uint16_t* nodes, uint32_t count)
{
    for (uint32_t p = 0; p < count; p += 4, in += 4, out += 4) {
        alignas(16) uint16_t a[4], b[4], f[4];
        for (int i = 0; i < 4; ++i) {
            uint32_t cell, frac;
            AsmCellFraction(in[i], 256, cell, frac);
            a[i] = nodes[cell];
            b[i] = nodes[cell + 1];
            f[i] = static_cast<uint16_t>(frac);
        }
        __m128i r = Lerp(Halve(Load4(a)), Halve(Load4(b)), Load4(f));
        Store4(out, _mm_slli_epi16(r, 1));
    }
}

// Kernel 1: one input, four node words, one pixel per step; a fraction of 0
// copies the node unchanged.
void Kernel1(const uint16_t* in, uint16_t* out, const uint16_t* nodes, uint32_t count)
{
    for (uint32_t p = 0; p < count; ++p, ++in, out += 4) {
        uint32_t cell, frac;
        AsmCellFraction(in[0], 256, cell, frac);
        const uint16_t* c = nodes + cell * 4;
        if (frac == 0) {
            std::memcpy(out, c, 8);
            continue;
        }
        __m128i pair = Halve(Load8(c));
        __m128i r = Lerp(pair, HighToLow(pair), Splat(frac));
        Store4(out, _mm_slli_epi16(r, 1));
    }
}

// Kernel 2: three inputs, one output, four pixels per step; axes 0, 1, 2.
void Kernel2(const uint16_t* in, uint16_t* out, const uint16_t* nodes, uint32_t count)
{
    constexpr uint32_t A0 = 1024, A1 = 32, A2 = 1;
    for (uint32_t p = 0; p < count; p += 4, in += 12, out += 4) {
        alignas(16) uint16_t lower[4][4], upper[4][4], f[3][4];
        for (int i = 0; i < 4; ++i) {
            uint32_t c0, c1, c2, f0, f1, f2;
            AsmCellFraction(in[3 * i], 32, c0, f0);
            AsmCellFraction(in[3 * i + 1], 32, c1, f1);
            AsmCellFraction(in[3 * i + 2], 32, c2, f2);
            const uint16_t* c = nodes + c0 * A0 + c1 * A1 + c2 * A2;
            const uint32_t off[4] = {0, A2, A1, A1 + A2};
            for (int k = 0; k < 4; ++k) {
                lower[k][i] = c[off[k]];
                upper[k][i] = f0 != 0 ? c[A0 + off[k]] : 0;
            }
            f[0][i] = static_cast<uint16_t>(f0);
            f[1][i] = static_cast<uint16_t>(f1);
            f[2][i] = static_cast<uint16_t>(f2);
        }
        __m128i f0 = Load4(f[0]), f1 = Load4(f[1]), f2 = Load4(f[2]);
        __m128i v[4];
        for (int k = 0; k < 4; ++k)
            v[k] = Lerp(Halve(Load4(lower[k])), Halve(Load4(upper[k])), f0);
        __m128i t = Lerp(v[0], v[2], f1);
        __m128i u = Lerp(v[1], v[3], f1);
        Store4(out, _mm_slli_epi16(Lerp(t, u, f2), 1));
    }
}

// Kernel 3: three inputs, four node words, one pixel per step. Each register
// holds a corner pair along axis 2, which lies side by side in the table.
void Kernel3(const uint16_t* in, uint16_t* out, const uint16_t* nodes, uint32_t count)
{
    constexpr uint32_t A0 = 4096, A1 = 128, A2 = 4;
    for (uint32_t p = 0; p < count; ++p, in += 3, out += 4) {
        uint32_t c0, c1, c2, f0, f1, f2;
        AsmCellFraction(in[0], 32, c0, f0);
        AsmCellFraction(in[1], 32, c1, f1);
        AsmCellFraction(in[2], 32, c2, f2);
        const uint16_t* c = nodes + c0 * A0 + c1 * A1 + c2 * A2;
        __m128i lo = Halve(Load8(c));       // (0,0,0) (0,0,1)
        __m128i hi = Halve(Load8(c + A1));  // (0,1,0) (0,1,1)
        if (f0 != 0) {
            __m128i w = Splat(f0);
            lo = Lerp(lo, Halve(Load8(c + A0)), w);
            hi = Lerp(hi, Halve(Load8(c + A0 + A1)), w);
        }
        __m128i tu = Lerp(lo, hi, Splat(f1));
        __m128i r = Lerp(tu, HighToLow(tu), Splat(f2));
        Store4(out, _mm_slli_epi16(r, 1));
    }
}

// Kernel 4: four inputs, one output, four pixels per step; axes 1, 2, 3 on
// the slab of axis 0, the same on the next slab, then axis 0.
void Kernel4(const uint16_t* in, uint16_t* out, const uint16_t* nodes, uint32_t count)
{
    constexpr uint32_t A0 = 4096, A1 = 256, A2 = 16, A3 = 1;
    for (uint32_t p = 0; p < count; p += 4, in += 16, out += 4) {
        alignas(16) uint16_t slab[2][8][4], f[4][4];
        for (int i = 0; i < 4; ++i) {
            uint32_t c[4], fr[4];
            for (int k = 0; k < 4; ++k) {
                AsmCellFraction(in[4 * i + k], 16, c[k], fr[k]);
                f[k][i] = static_cast<uint16_t>(fr[k]);
            }
            const uint16_t* base = nodes + c[0] * A0 + c[1] * A1 + c[2] * A2 + c[3] * A3;
            for (int m = 0; m < 8; ++m) {
                uint32_t off = (m >> 2 & 1) * A1 + (m >> 1 & 1) * A2 + (m & 1) * A3;
                slab[0][m][i] = base[off];
                slab[1][m][i] = fr[0] != 0 ? base[A0 + off] : 0;
            }
        }
        __m128i f0 = Load4(f[0]), f1 = Load4(f[1]), f2 = Load4(f[2]), f3 = Load4(f[3]);
        __m128i s[2];
        for (int sl = 0; sl < 2; ++sl) {
            __m128i v[8];
            for (int m = 0; m < 8; ++m)
                v[m] = Halve(Load4(slab[sl][m]));
            for (int m = 0; m < 4; ++m)
                v[m] = Lerp(v[m], v[m + 4], f1);
            for (int m = 0; m < 2; ++m)
                v[m] = Lerp(v[m], v[m + 2], f2);
            s[sl] = Lerp(v[0], v[1], f3);
        }
        Store4(out, _mm_slli_epi16(Lerp(s[0], s[1], f0), 1));
    }
}

// Kernel 5: four inputs, four node words, one pixel per step; axes 0, 2, 3 on
// the slab of axis 1, the same on the next slab when its fraction is not 0,
// then axis 1. Registers hold corner pairs along axis 3.
void Kernel5(const uint16_t* in, uint16_t* out, const uint16_t* nodes, uint32_t count)
{
    constexpr uint32_t A0 = 16384, A1 = 1024, A2 = 64, A3 = 4;
    for (uint32_t p = 0; p < count; ++p, in += 4, out += 4) {
        uint32_t c[4], f[4];
        for (int k = 0; k < 4; ++k)
            AsmCellFraction(in[k], 16, c[k], f[k]);
        const uint16_t* base = nodes + c[0] * A0 + c[1] * A1 + c[2] * A2 + c[3] * A3;
        __m128i w0 = Splat(f[0]), w2 = Splat(f[2]), w3 = Splat(f[3]);
        auto slab = [&](const uint16_t* s) {
            __m128i lo = Halve(Load8(s));
            __m128i hi = Halve(Load8(s + A2));
            if (f[0] != 0) {
                lo = Lerp(lo, Halve(Load8(s + A0)), w0);
                hi = Lerp(hi, Halve(Load8(s + A0 + A2)), w0);
            }
            __m128i pair = Lerp(lo, hi, w2);
            return Lerp(pair, HighToLow(pair), w3);
        };
        __m128i r = slab(base);
        if (f[1] != 0)
            r = Lerp(r, slab(base + A1), Splat(f[1]));
        Store4(out, _mm_slli_epi16(r, 1));
    }
}

}  // namespace

CMultiLutAsm::CMultiLutAsm(uint32_t grid, uint32_t inputs, uint32_t outputs, int family)
    : CMultiLutWorkBase(grid, inputs, outputs)
{
    static const Kernel kFamily0[6] = {Kernel0, Kernel1, Kernel2, Kernel3, Kernel4, Kernel5};
    int inKind = inputs == 1 ? 0 : inputs == 3 ? 1 : inputs == 4 ? 2 : -1;
    int outKind = outputs == 1 ? 0 : outputs == 3 || outputs == 4 ? 1 : -1;
    if (family == 0 && inKind >= 0 && outKind >= 0 && grid == GridForInputs(inputs))
        kernel_ = kFamily0[inKind * 2 + outKind];
}

void CMultiLutAsm::Interpolate(const uint16_t* in, uint16_t* out, uint32_t count)
{
    const uint16_t* nodes = Nodes();
    if (count == 0 || !kernel_ || !nodes)
        return;
    kernel_(in, out, nodes, count);
}

}  // namespace qrv
