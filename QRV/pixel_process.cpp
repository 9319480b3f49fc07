#include <emmintrin.h>

#include <cmath>
#include <cstring>

#include "QRV/multi_lut.h"
#include "QRV/numeric.h"
#include "QRV/transform.h"

// Each line passes five stages: unpack through the input tables into a 16-bit
// scratch line, the 'Lch ' input conversion, the core, the 'Lch ' output
// conversion, and pack through the output tables.

namespace qrv {

namespace {

enum class Core { PassThrough, Table, Matrix };

struct LineContext {
    const QZCMTransform& t;
    Core core;
    uint32_t inChannels, outChannels;
    uint32_t stride1, stride2;  // scratch values per pixel
    uint32_t inBytes, outBytes;  // bytes per sample
    uint16_t inMask;             // the range of 9- to 15-bit samples
    bool inCopy, outCopy;        // whole channel groups copied without lookups
};

template <uint32_t Bytes>
inline uint32_t ReadSample(const uint8_t* p, uint16_t mask)
{
    if constexpr (Bytes == 1)
        return *p;
    uint16_t v;
    std::memcpy(&v, p, 2);
    return v & mask;
}

template <uint32_t Bytes>
inline void WriteSample(uint8_t* p, uint16_t v)
{
    if constexpr (Bytes == 1)
        *p = static_cast<uint8_t>(v);
    else
        std::memcpy(p, &v, 2);
}

// Unpack one line. sampleAt(c, x) gives the address of channel c of pixel x.
template <uint32_t Bytes, class SampleAt>
void Unpack(const LineContext& lc, uint32_t pixels, uint16_t* s1, SampleAt sampleAt)
{
    const uint16_t* table = CbAs<uint16_t>(lc.t.inputTable);
    const uint32_t n = 1u << lc.t.inputBits;
    if (lc.core == Core::Table) {
        for (uint32_t x = 0; x < pixels; ++x, s1 += lc.stride1)
            for (uint32_t c = 0; c < lc.inChannels; ++c) {
                uint32_t v = ReadSample<Bytes>(sampleAt(c, x), lc.inMask);
                s1[c] = lc.inCopy ? static_cast<uint16_t>(v) : table[c * n + v];
            }
        return;
    }
    for (uint32_t x = 0; x < pixels; ++x, s1 += 4) {
        if (lc.inChannels == 1) {
            uint32_t v = ReadSample<Bytes>(sampleAt(0, x), lc.inMask);
            s1[0] = s1[1] = s1[2] = lc.inCopy ? static_cast<uint16_t>(v) : table[v];
            s1[3] = 0;
            continue;
        }
        for (uint32_t c = 0; c < 4; ++c) {
            if (c >= lc.inChannels) {
                s1[c] = 0;
                continue;
            }
            uint32_t v = ReadSample<Bytes>(sampleAt(c, x), lc.inMask);
            s1[c] = lc.inCopy ? static_cast<uint16_t>(v) : table[c * n + v];
        }
    }
}

void LchIn(const LineContext& lc, uint32_t pixels, uint16_t* s1)
{
    const int16_t* sc = SinCosTable();
    const uint16_t* scale = ChromaScaleTable();
    for (uint32_t x = 0; x < pixels; ++x, s1 += lc.stride1) {
        const uint32_t h = s1[2];
        const int32_t c = s1[1] < scale[h] ? s1[1] : scale[h];
        s1[1] = static_cast<uint16_t>(c * sc[2 * h + 1] / 32768 + 32768);
        s1[2] = static_cast<uint16_t>(c * sc[2 * h] / 32768 + 32768);
    }
}

void MatrixPortable(const int16_t* m, uint32_t pixels, const uint16_t* s1, uint16_t* s2)
{
    for (uint32_t x = 0; x < pixels; ++x, s1 += 4, s2 += 4) {
        for (int r = 0; r < 3; ++r) {
            int64_t sum = int64_t{m[4 * r]} * s1[0] + int64_t{m[4 * r + 1]} * s1[1] + int64_t{m[4 * r + 2]} * s1[2];
            sum = sum < 0 ? 0 : sum >> 13;
            s2[r] = static_cast<uint16_t>(sum > 65535 ? 65535 : sum);
        }
    }
}

// The four-lane multiply-add form: halved inputs, sums shifted by 12.
void MatrixMmx(const int16_t* m, uint32_t pixels, const uint16_t* s1, uint16_t* s2)
{
    const __m128i rows01 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(m));
    const __m128i rows2 = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(m + 8));
    const __m128i zero = _mm_setzero_si128();
    const __m128i top = _mm_set1_epi32(65535);
    for (uint32_t x = 0; x < pixels; ++x, s1 += 4, s2 += 4) {
        __m128i v = _mm_srli_epi16(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(s1)), 1);
        v = _mm_unpacklo_epi64(v, v);
        __m128i p01 = _mm_madd_epi16(v, rows01);  // r0a r0b r1a r1b
        __m128i p2 = _mm_madd_epi16(v, rows2);    // r2a r2b 0 0
        // Pair the partial sums of each row: [r0a r1a r2a 0] + [r0b r1b r2b 0].
        __m128i a = _mm_castps_si128(
            _mm_shuffle_ps(_mm_castsi128_ps(p01), _mm_castsi128_ps(p2), _MM_SHUFFLE(2, 0, 2, 0)));
        __m128i b = _mm_castps_si128(
            _mm_shuffle_ps(_mm_castsi128_ps(p01), _mm_castsi128_ps(p2), _MM_SHUFFLE(3, 1, 3, 1)));
        __m128i sums = _mm_add_epi32(a, b);
        __m128i r = _mm_srai_epi32(sums, 12);
        r = _mm_andnot_si128(_mm_cmpgt_epi32(zero, r), r);
        __m128i over = _mm_cmpgt_epi32(r, top);
        r = _mm_or_si128(_mm_and_si128(over, top), _mm_andnot_si128(over, r));
        // 0 .. 65535 into unsigned words by way of a signed pack.
        const __m128i bias = _mm_set1_epi32(32768);
        r = _mm_packs_epi32(_mm_sub_epi32(r, bias), _mm_sub_epi32(r, bias));
        _mm_storel_epi64(reinterpret_cast<__m128i*>(s2), _mm_xor_si128(r, _mm_set1_epi16(-32768)));
    }
}

inline uint32_t IntSqrt(uint32_t v)
{
    uint32_t r = static_cast<uint32_t>(std::sqrt(static_cast<double>(v)));
    while (uint64_t{r} * r > v)
        --r;
    while (uint64_t{r + 1} * (r + 1) <= v)
        ++r;
    return r;
}

// Back from the stored node value (8192 .. 57343) to 0 .. 65535, rounded:
// (a - 8192) * 65535 / 49151 by the reciprocal 87384 / 2^32. Values below
// 8192 come out negative rather than wrapping.
inline int32_t FromNodeScale(int32_t a)
{
    const int64_t t = static_cast<int64_t>(a - 8192) * 65535 * 87384;
    return static_cast<int32_t>((t + (int64_t{1} << 31)) >> 32);
}

uint16_t Hue(int32_t a, int32_t b)
{
    const uint16_t* t = AtanTable();
    if (a == 0 && b == 0)
        return 0;
    if (a == 0)
        return b > 0 ? 16384 : 49152;
    if (b == 0)
        return a > 0 ? 0 : 32768;
    const int64_t ua = a < 0 ? -int64_t{a} : a, ub = b < 0 ? -int64_t{b} : b;
    uint32_t h;
    if (ub < ua) {
        const uint32_t u = t[ub * 8192 / ua];
        h = a > 0 ? (b > 0 ? u : 65536 - u) : (b > 0 ? 32768 - u : 32768 + u);
    } else {
        const uint32_t u = t[ua * 8192 / ub];
        h = a > 0 ? (b > 0 ? 16384 - u : 49152 + u) : (b > 0 ? 16384 + u : 49152 - u);
    }
    return static_cast<uint16_t>(h & 0xFFFF);
}

void LchOut(const LineContext& lc, uint32_t pixels, uint16_t* s2)
{
    const bool pass = lc.core == Core::PassThrough;
    for (uint32_t x = 0; x < pixels; ++x, s2 += lc.stride2) {
        const int32_t a = (pass ? s2[1] : FromNodeScale(s2[1])) - 32768;
        const int32_t b = (pass ? s2[2] : FromNodeScale(s2[2])) - 32768;
        const uint64_t sum = uint64_t(int64_t{a} * a) + uint64_t(int64_t{b} * b);
        s2[1] = static_cast<uint16_t>(sum > 0xFFFFFFFFull ? 65535 : IntSqrt(static_cast<uint32_t>(sum)));
        s2[2] = Hue(a, b);
    }
}

template <uint32_t Bytes, class SampleAt>
void Pack(const LineContext& lc, uint32_t pixels, const uint16_t* s2, SampleAt sampleAt)
{
    const uint16_t* table = CbAs<uint16_t>(lc.t.outputTable);
    if (lc.outChannels == 1) {
        const uint32_t pick = lc.core == Core::Matrix ? 1 : 0;
        for (uint32_t x = 0; x < pixels; ++x, s2 += lc.stride2) {
            const uint16_t v = s2[pick];
            WriteSample<Bytes>(sampleAt(0, x), lc.outCopy ? v : table[v]);
        }
        return;
    }
    for (uint32_t x = 0; x < pixels; ++x, s2 += lc.stride2)
        for (uint32_t c = 0; c < lc.outChannels; ++c) {
            const uint16_t v = s2[c];
            WriteSample<Bytes>(sampleAt(c, x), lc.outCopy ? v : table[c * 65536 + v]);
        }
}

bool GroupSet(uint32_t mask, uint32_t channels)
{
    const uint32_t group = channels >= 4 ? 0xF : (1u << channels) - 1;
    return channels > 0 && (mask & group) == group;
}

}  // namespace

int ProcessPixels(QZCMTransform& t, int32_t pixels, int32_t lines, const PixelLayout& layout)
{
    Core core;
    if (t.passThrough)
        core = Core::PassThrough;
    else if (CbHasData(t.matrix))
        core = Core::Matrix;
    else if (t.lut)
        core = Core::Table;
    else
        return 9;

    LineContext lc{t, core, t.inputChannels, t.outputChannels, 4, 4, 0, 0, 0xFFFF, false, false};
    if (core == Core::Table) {
        lc.stride1 = t.inputChannels;
        lc.stride2 = t.outputChannels == 1 ? 1 : 4;
    }
    lc.inBytes = (t.inputBits + 7) / 8;
    lc.outBytes = (t.outputBits + 7) / 8;
    lc.inMask = static_cast<uint16_t>((1u << t.inputBits) - 1);
    lc.inCopy = GroupSet(t.inputIdentityMask, t.inputChannels);
    lc.outCopy = !layout.planar && GroupSet(t.outputIdentityMask, t.outputChannels);

    // The one-output kernels work in whole groups of four pixels.
    const uint64_t rounded = (static_cast<uint64_t>(pixels) + 3) & ~uint64_t{3};
    const uint64_t need1 = core == Core::Table ? rounded * lc.stride1 : rounded * 4 + 16;
    const uint64_t need2 = rounded * lc.stride2 + 16;
    if (CbSetLength(t.scratch[0], need1, sizeof(uint16_t), core == Core::Table ? 1 : 8) != 0 ||
        CbSetLength(t.scratch[1], need2, sizeof(uint16_t), 8) != 0)
        return 2;
    uint16_t* s1 = CbAs<uint16_t>(t.scratch[0]);
    uint16_t* s2 = CbAs<uint16_t>(t.scratch[1]);

    const int64_t inPixelBytes = int64_t{lc.inBytes} * (layout.planar ? 1 : t.inputChannels);
    const int64_t outPixelBytes = int64_t{lc.outBytes} * (layout.planar ? 1 : t.outputChannels);
    const int64_t inLine = layout.inLineBytes ? layout.inLineBytes : int64_t{lc.inBytes} * t.inputChannels * pixels;
    const int64_t outLine =
        layout.outLineBytes ? layout.outLineBytes : int64_t{lc.outBytes} * t.outputChannels * pixels;
    const int64_t inPlane = layout.inPlaneBytes ? layout.inPlaneBytes : int64_t{lc.inBytes} * pixels;
    const int64_t outPlane = layout.outPlaneBytes ? layout.outPlaneBytes : int64_t{lc.outBytes} * pixels;
    const int64_t inChannelStep = layout.planar ? inPlane : lc.inBytes;
    const int64_t outChannelStep = layout.planar ? outPlane : lc.outBytes;
    const bool mmx = UseMmx();
    const int16_t* matrix = CbAs<int16_t>(t.matrix);

    for (int32_t y = 0; y < lines; ++y) {
        const uint8_t* inLineStart = layout.in + y * inLine;
        uint8_t* outLineStart = layout.out + y * outLine;
        auto inAt = [&](uint32_t c, uint32_t x) { return inLineStart + c * inChannelStep + x * inPixelBytes; };
        if (lc.inBytes == 1)
            Unpack<1>(lc, pixels, s1, inAt);
        else
            Unpack<2>(lc, pixels, s1, inAt);
        if (t.inputSpace == kSigLch && lc.inChannels >= 3)
            LchIn(lc, pixels, s1);
        switch (core) {
        case Core::PassThrough:
            std::memcpy(s2, s1, size_t{4} * pixels * sizeof(uint16_t));
            break;
        case Core::Table:
            t.lut->Interpolate(s1, s2, pixels);
            break;
        case Core::Matrix:
            (mmx ? MatrixMmx : MatrixPortable)(matrix, pixels, s1, s2);
            break;
        }
        if (t.outputSpace == kSigLch && lc.stride2 == 4)
            LchOut(lc, pixels, s2);
        auto outAt = [&](uint32_t c, uint32_t x) { return outLineStart + c * outChannelStep + x * outPixelBytes; };
        if (lc.outBytes == 1)
            Pack<1>(lc, pixels, s2, outAt);
        else
            Pack<2>(lc, pixels, s2, outAt);
    }
    return 0;
}

}  // namespace qrv
