#include "fileio/jpeg_encoder.h"

#include <algorithm>
#include <bit>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "fileio/source_rows.h"
#include "fileio/jpeg_error.h"
#include "fileio/jpeg_tables.h"

namespace quarnite {
namespace {
constexpr int32_t kSourceId = kSrcJpegEncoder;
constexpr int32_t kBandRows = 128;
// Written out whenever it fills: large enough for few writes, small enough to stay in the cache.
constexpr int64_t kOutputBytes = 256 << 10;

// Quantiser tables, row-major; level 5 uses 1 everywhere.
const uint8_t kLum[4][64] = {
    {18, 14, 14, 21, 30, 35, 34, 17, 14, 16, 16, 19, 26, 23, 12, 12, 14, 16, 17, 21, 23, 12,
     12, 12, 21, 19, 21, 23, 12, 12, 12, 12, 30, 26, 23, 12, 12, 12, 12, 12, 35, 23, 12, 12,
     12, 12, 12, 12, 34, 12, 12, 12, 12, 12, 12, 12, 17, 12, 12, 12, 12, 12, 12, 12},
    {7,  5,  4,  7,  10, 17, 22, 26, 5,  5,  6,  8,  11, 24, 25, 23, 6,  5,  7,  10, 17, 24,
     29, 24, 6,  7,  9,  12, 22, 37, 34, 26, 8,  9,  16, 24, 29, 46, 43, 32, 10, 15, 23, 27,
     34, 44, 48, 39, 21, 27, 33, 37, 43, 51, 51, 43, 30, 39, 40, 41, 47, 42, 43, 42},
    {3,  2,  2,  3,  4,  6,  8,  10, 2,  2,  2,  3,  4,  9,  9,  9,  2,  2,  3,  4,  6,  9,
     11, 9,  2,  3,  3,  5,  8,  14, 13, 10, 3,  3,  6,  9,  11, 17, 16, 12, 4,  5,  9,  10,
     13, 16, 18, 14, 8,  10, 12, 14, 16, 19, 19, 16, 11, 14, 15, 15, 18, 16, 16, 15},
    {2, 2, 2, 2, 3, 4,  5,  6,  2,  2,  2,  2,  3,  4,  5,  6,  2,  2,  2,  2,  4,  5,
     7, 9, 2, 2, 2, 4,  5,  7,  9,  12, 3,  3,  4,  5,  8,  10, 12, 12, 4,  4,  5,  7,
     10, 12, 12, 12, 5, 5, 7, 9, 12, 12, 12, 12, 6, 6, 9, 12, 12, 12, 12, 12},
};
const uint8_t kChrom[4][64] = {
    {20, 19, 22, 27, 20, 20, 17, 17, 19, 25, 23, 14, 14, 12, 12, 12, 22, 23, 14, 14, 12, 12,
     12, 12, 27, 14, 14, 12, 12, 12, 12, 12, 20, 14, 12, 12, 12, 12, 12, 12, 20, 12, 12, 12,
     12, 12, 12, 12, 17, 12, 12, 12, 12, 12, 12, 12, 17, 12, 12, 12, 12, 12, 12, 12},
    {7,  8,  10, 20, 42, 42, 42, 42, 8,  9,  11, 28, 42, 42, 42, 42, 10, 11, 24, 42, 42, 42,
     42, 42, 20, 28, 42, 42, 42, 42, 42, 42, 42, 42, 42, 42, 42, 42, 42, 42, 42, 42, 42, 42,
     42, 42, 42, 42, 42, 42, 42, 42, 42, 42, 42, 42, 42, 42, 42, 42, 42, 42, 42, 42},
    {3,  3,  4,  7,  15, 15, 15, 15, 3,  3,  4,  10, 15, 15, 15, 15, 4,  4,  9,  15, 15, 15,
     15, 15, 7,  10, 15, 15, 15, 15, 15, 15, 15, 15, 15, 15, 15, 15, 15, 15, 15, 15, 15, 15,
     15, 15, 15, 15, 15, 15, 15, 15, 15, 15, 15, 15, 15, 15, 15, 15, 15, 15, 15, 15},
    {3,  3,  5,  9,  13, 15, 15, 15, 3,  4,  6,  10, 14, 12, 12, 12, 5,  6,  9,  14, 12, 12,
     12, 12, 9,  10, 14, 12, 12, 12, 12, 12, 13, 14, 12, 12, 12, 12, 12, 12, 15, 12, 12, 12,
     12, 12, 12, 12, 15, 12, 12, 12, 12, 12, 12, 12, 15, 12, 12, 12, 12, 12, 12, 12},
};
const uint8_t kOnes[64] = {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1,
                           1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1,
                           1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1};

// Canonical codes of a table given as counts and symbols (T.81 Annex C), each
// as code << 8 | length.
void MakeCodes(const JpegStandardHuffman& table, uint32_t* codeAndSize)
{
    uint32_t code = 0;
    uint32_t k = 0;
    for (uint32_t length = 1; length <= 16; ++length) {
        for (uint32_t i = 0; i < table.counts[length - 1]; ++i, ++k)
            codeAndSize[table.symbols[k]] = code++ << 8 | length;
        code <<= 1;
    }
}

void PutTable(std::vector<uint8_t>& out, uint8_t id, const JpegStandardHuffman& table)
{
    out.push_back(id);
    out.insert(out.end(), table.counts, table.counts + 16);
    out.insert(out.end(), table.symbols, table.symbols + table.symbolCount);
}

// Every value from -2047 to 2047 (the DC differences; AC values stay within
// 1023) as its category in the low 4 bits and its value bits above them: its
// low `category` bits, less one when negative. One load instead of finding both.
struct ValueCodes {
    static constexpr int32_t kLimit = 2047;
    uint16_t entry[2 * kLimit + 1];
    constexpr ValueCodes() : entry()
    {
        for (int32_t v = -kLimit; v <= kLimit; ++v) {
            const uint32_t size = static_cast<uint32_t>(std::bit_width(static_cast<uint32_t>(v < 0 ? -v : v)));
            const uint32_t bits = static_cast<uint32_t>(v < 0 ? v - 1 : v) & ((1u << size) - 1);
            entry[v + kLimit] = static_cast<uint16_t>(bits << 4 | size);
        }
    }
    uint32_t operator[](int32_t v) const { return entry[v + kLimit]; }
};
constexpr ValueCodes kValueCodes{};

// Y, Cb and Cr from R, G, B in 8-bit fixed point: k x v tables for k = 77, 150, 29, 43, 85, 128, 107, 21.
struct ColorTables {
    int32_t r77[256], g150[256], b29[256], r43[256], g85[256], x128[256], g107[256], b21[256];
    ColorTables()
    {
        for (int v = 0; v < 256; ++v) {
            r77[v] = 77 * v;
            g150[v] = 150 * v;
            b29[v] = 29 * v;
            r43[v] = 43 * v;
            g85[v] = 85 * v;
            x128[v] = 128 * v;
            g107[v] = 107 * v;
            b21[v] = 21 * v;
        }
    }
};
const ColorTables kColor;

inline int16_t ToY(const uint8_t* p)
{
    return static_cast<int16_t>(((kColor.r77[p[0]] + kColor.g150[p[1]] + kColor.b29[p[2]] + 128) >> 8) - 128);
}
inline int16_t ToCb(const uint8_t* p)
{
    return static_cast<int16_t>((kColor.x128[p[2]] - kColor.r43[p[0]] - kColor.g85[p[1]] + 128) >> 8);
}
inline int16_t ToCr(const uint8_t* p)
{
    return static_cast<int16_t>((kColor.x128[p[0]] - kColor.g107[p[1]] - kColor.b21[p[2]] + 128) >> 8);
}


#if defined(__SSE2__)
// Eight pixels' R, G and B in 16-bit lanes; reads 28 bytes.
inline void LoadRgb8(const uint8_t* p, __m128i& r, __m128i& g, __m128i& b)
{
    // Pixel i of the first four moves from byte 3i to byte 4i, one lane each.
    const __m128i m0 = _mm_set_epi32(0, 0, 0, 0x00FFFFFF), m1 = _mm_set_epi32(0, 0, 0x00FFFFFF, 0);
    const __m128i m2 = _mm_set_epi32(0, 0x00FFFFFF, 0, 0), m3 = _mm_set_epi32(0x00FFFFFF, 0, 0, 0);
    auto spread = [&](__m128i v) {
        return _mm_or_si128(_mm_or_si128(_mm_and_si128(v, m0), _mm_and_si128(_mm_slli_si128(v, 1), m1)),
                            _mm_or_si128(_mm_and_si128(_mm_slli_si128(v, 2), m2), _mm_and_si128(_mm_slli_si128(v, 3), m3)));
    };
    const __m128i lo = spread(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)));
    const __m128i hi = spread(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 12)));
    const __m128i byte = _mm_set1_epi32(0xFF);
    r = _mm_packs_epi32(_mm_and_si128(lo, byte), _mm_and_si128(hi, byte));
    g = _mm_packs_epi32(_mm_and_si128(_mm_srli_epi32(lo, 8), byte), _mm_and_si128(_mm_srli_epi32(hi, 8), byte));
    b = _mm_packs_epi32(_mm_srli_epi32(lo, 16), _mm_srli_epi32(hi, 16));
}

// The sum of Y is below 65536, so it is exact in unsigned 16-bit lanes.
inline __m128i LumaOf(__m128i r, __m128i g, __m128i b)
{
    __m128i sum = _mm_add_epi16(_mm_mullo_epi16(r, _mm_set1_epi16(77)), _mm_mullo_epi16(g, _mm_set1_epi16(150)));
    sum = _mm_add_epi16(_mm_add_epi16(sum, _mm_mullo_epi16(b, _mm_set1_epi16(29))), _mm_set1_epi16(128));
    return _mm_sub_epi16(_mm_srli_epi16(sum, 8), _mm_set1_epi16(128));
}

// (x + 128) >> 8 for x = 128 p - u q - v s, which fits 16 bits while x + 128
// may not: ((x >> 1) + 64) >> 7 is the same floor.
inline __m128i ChromaOf(__m128i p, __m128i q, __m128i s, int16_t u, int16_t v)
{
    const __m128i x = _mm_sub_epi16(_mm_sub_epi16(_mm_slli_epi16(p, 7), _mm_mullo_epi16(q, _mm_set1_epi16(u))),
                                    _mm_mullo_epi16(s, _mm_set1_epi16(v)));
    return _mm_srai_epi16(_mm_add_epi16(_mm_srai_epi16(x, 1), _mm_set1_epi16(64)), 7);
}

// Lanes 0, 2, 4, 6 of a and then of b.
inline __m128i EvenLanes(__m128i a, __m128i b)
{
    return _mm_packs_epi32(_mm_srai_epi32(_mm_slli_epi32(a, 16), 16), _mm_srai_epi32(_mm_slli_epi32(b, 16), 16));
}
#endif
// Grey samples less 128, sixteen at a time where SSE2 is there.
void ConvertGreyRow(const uint8_t* grey, int32_t count, int16_t* luma)
{
    int32_t x = 0;
#if defined(__SSE2__)
    const __m128i zero = _mm_setzero_si128(), bias = _mm_set1_epi16(128);
    for (; x + 16 <= count; x += 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(grey + x));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(luma + x), _mm_sub_epi16(_mm_unpacklo_epi8(v, zero), bias));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(luma + x + 8), _mm_sub_epi16(_mm_unpackhi_epi8(v, zero), bias));
    }
#endif
    for (; x < count; ++x)
        luma[x] = static_cast<int16_t>(grey[x] - 128);
}

} // namespace

void ConvertLumaRowPortable(const uint8_t* rgb, int32_t count, int16_t* luma)
{
    for (int32_t x = 0; x < count; ++x)
        luma[x] = ToY(rgb + 3 * x);
}

void ConvertChromaRowPortable(const uint8_t* rgb, int32_t count, int32_t step, int16_t* cb, int16_t* cr)
{
    for (int32_t i = 0; i < count; ++i) {
        const uint8_t* p = rgb + 3 * i * step;
        cb[i] = ToCb(p);
        cr[i] = ToCr(p);
    }
}

void ConvertRowPortable(const uint8_t* rgb, int32_t count, int32_t step, int16_t* luma, int16_t* cb, int16_t* cr)
{
    ConvertLumaRowPortable(rgb, count, luma);
    ConvertChromaRowPortable(rgb, (count + step - 1) / step, step, cb, cr);
}

#if defined(__SSE2__)
// Eight pixels at a time while the 28 bytes read stay inside the row.
void ConvertLumaRowSse2(const uint8_t* rgb, int32_t count, int16_t* luma)
{
    int32_t x = 0;
    for (; x + 10 <= count; x += 8) {
        __m128i r, g, b;
        LoadRgb8(rgb + 3 * x, r, g, b);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(luma + x), LumaOf(r, g, b));
    }
    ConvertLumaRowPortable(rgb + 3 * x, count - x, luma + x);
}

void ConvertChromaRowSse2(const uint8_t* rgb, int32_t count, int32_t step, int16_t* cb, int16_t* cr)
{
    int32_t i = 0;
    if (step == 1) {
        for (; i + 10 <= count; i += 8) {
            __m128i r, g, b;
            LoadRgb8(rgb + 3 * i, r, g, b);
            _mm_storeu_si128(reinterpret_cast<__m128i*>(cb + i), ChromaOf(b, r, g, 43, 85));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(cr + i), ChromaOf(r, g, b, 107, 21));
        }
    } else {
        for (; i + 10 <= count; i += 8) {
            __m128i r0, g0, b0, r1, g1, b1;
            LoadRgb8(rgb + 6 * i, r0, g0, b0);
            LoadRgb8(rgb + 6 * i + 24, r1, g1, b1);
            const __m128i r = EvenLanes(r0, r1), g = EvenLanes(g0, g1), b = EvenLanes(b0, b1);
            _mm_storeu_si128(reinterpret_cast<__m128i*>(cb + i), ChromaOf(b, r, g, 43, 85));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(cr + i), ChromaOf(r, g, b, 107, 21));
        }
    }
    ConvertChromaRowPortable(rgb + 3 * i * step, count - i, step, cb + i, cr + i);
}

// Sixteen pixels at a time (eight for step 1) while the bytes read stay inside the row.
void ConvertRowSse2(const uint8_t* rgb, int32_t count, int32_t step, int16_t* luma, int16_t* cb, int16_t* cr)
{
    int32_t x = 0;
    if (step == 1) {
        for (; x + 10 <= count; x += 8) {
            __m128i r, g, b;
            LoadRgb8(rgb + 3 * x, r, g, b);
            _mm_storeu_si128(reinterpret_cast<__m128i*>(luma + x), LumaOf(r, g, b));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(cb + x), ChromaOf(b, r, g, 43, 85));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(cr + x), ChromaOf(r, g, b, 107, 21));
        }
    } else {
        for (; x + 18 <= count; x += 16) {
            __m128i r0, g0, b0, r1, g1, b1;
            LoadRgb8(rgb + 3 * x, r0, g0, b0);
            LoadRgb8(rgb + 3 * x + 24, r1, g1, b1);
            _mm_storeu_si128(reinterpret_cast<__m128i*>(luma + x), LumaOf(r0, g0, b0));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(luma + x + 8), LumaOf(r1, g1, b1));
            const __m128i r = EvenLanes(r0, r1), g = EvenLanes(g0, g1), b = EvenLanes(b0, b1);
            _mm_storeu_si128(reinterpret_cast<__m128i*>(cb + x / 2), ChromaOf(b, r, g, 43, 85));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(cr + x / 2), ChromaOf(r, g, b, 107, 21));
        }
    }
    ConvertLumaRowSse2(rgb + 3 * x, count - x, luma + x);
    ConvertChromaRowSse2(rgb + 3 * x, (count - x + step - 1) / step, step, cb + x / step, cr + x / step);
}
#endif

const uint8_t* CJpegEncoder::LuminanceTable(int32_t level)
{
    return level >= 1 && level <= 4 ? kLum[level - 1] : (level == 5 ? kOnes : nullptr);
}

const uint8_t* CJpegEncoder::ChrominanceTable(int32_t level)
{
    return level >= 1 && level <= 4 ? kChrom[level - 1] : (level == 5 ? kOnes : nullptr);
}

CJpegEncoder::CJpegEncoder(IVorlatStream* stream) : stream_(stream)
{
    MakeCodes(kLuminanceDcTable, lumDc_.codeAndSize);
    MakeCodes(kLuminanceAcTable, lumAc_.codeAndSize);
    MakeCodes(kChrominanceDcTable, chromDc_.codeAndSize);
    MakeCodes(kChrominanceAcTable, chromAc_.codeAndSize);
}

CJpegEncoder::~CJpegEncoder() = default;

IVorlatError* CJpegEncoder::WriteStartOfImage()
{
    static const uint8_t kSoi[2] = {0xFF, 0xD8};
    return QZ_WRAP(stream_->SaveFromMemory(kSoi, 2));
}

IVorlatError* CJpegEncoder::Begin(IVorlatDataSource* source, int32_t quality)
{
    if (!source)
        return QZ_FAIL(kErrBadArgument);
    source_ = source;
    int32_t type = 0;
    if (IVorlatError* err = source->GetSize(&width_, &height_))
        return QZ_WRAP(err);
    if (IVorlatError* err = source->GetColorSpace(&type))
        return QZ_WRAP(err);
    if (type == 2) {
        bitsPerPixel_ = 8, components_ = 1, grey_ = true;
    } else if (type == 32) {
        bitsPerPixel_ = 24, components_ = 3, grey_ = false;
    } else {
        return QZ_FAIL(kErrBadArgument);
    }
    // The frame header holds 16-bit sizes, and a scan needs at least one sample.
    if (width_ <= 0 || height_ <= 0 || width_ > 65535 || height_ > 65535)
        return QZ_FAIL(kErrBadArgument);

    const int32_t level = quality & 15;
    switch (level) {
    case 1: samplingCode_ = 0x41; break;
    case 2:
    case 3: samplingCode_ = 0x21; break;
    case 4:
    case 5: samplingCode_ = 0x11; break;
    default: return QZ_FAIL(kErrBadArgument);
    }
    if (grey_)
        samplingCode_ = 0x11;
    unitWidth_ = samplingCode_ == 0x11 ? 8 : 16;
    unitHeight_ = samplingCode_ == 0x41 ? 16 : 8;
    accurate_ = level == 5;
    const uint8_t* lum = LuminanceTable(level);
    const uint8_t* chrom = ChrominanceTable(level);
    // Level 5's (x + 4) >> 3 is (x 8192 + 32768) >> 16.
    uint32_t lumMultipliers[64], chromMultipliers[64];
    for (int i = 0; i < 64; ++i) {
        lumMultipliers[i] = accurate_ ? 8192 : QuantMultiplier(lum[i], i / 8, i % 8);
        chromMultipliers[i] = accurate_ ? 8192 : QuantMultiplier(chrom[i], i / 8, i % 8);
    }
    lumQuantizer_.Set(lumMultipliers);
    chromQuantizer_.Set(chromMultipliers);

    // Worst case of one MCU: 6 blocks of a 22-bit DC and 63 26-bit AC codes, every byte stuffed;
    // 8 more for the bit writer's whole-word stores.
    const int32_t blocks = grey_ ? 1 : (samplingCode_ == 0x41 ? 6 : (samplingCode_ == 0x21 ? 4 : 3));
    worstMcu_ = static_cast<size_t>(blocks) * 2 * ((22 + 63 * 26) / 8 + 2) + 8;
    const int64_t rowBytes = static_cast<int64_t>(width_) * bitsPerPixel_ / 8;
    planeWidth_ = (width_ + unitWidth_ - 1) / unitWidth_ * unitWidth_;
    chromaWidth_ = samplingCode_ == 0x11 ? planeWidth_ : planeWidth_ / 2;
    const int64_t outputBytes = std::max<int64_t>(kOutputBytes, static_cast<int64_t>(worstMcu_) * 4);
    if (!TryResize(output_, static_cast<uint64_t>(outputBytes)) ||
        !TryResize(rows_, static_cast<uint64_t>(rowBytes) * kBandRows) ||
        !TryResize(luma_, static_cast<uint64_t>(planeWidth_) * unitHeight_) ||
        (!grey_ && (!TryResize(cb_, static_cast<uint64_t>(chromaWidth_) * 8) ||
                    !TryResize(cr_, static_cast<uint64_t>(chromaWidth_) * 8))))
        return QZ_FAIL(kErrAllocation);
    bitBuffer_ = 0;
    bitCount_ = 0;

    // DQT, SOF0, DHT, SOS.
    std::vector<uint8_t> header;
    auto put16 = [&](uint32_t v) {
        header.push_back(static_cast<uint8_t>(v >> 8));
        header.push_back(static_cast<uint8_t>(v));
    };
    put16(0xFFDB);
    put16(grey_ ? 67 : 132);
    header.push_back(0);
    for (int i = 0; i < 64; ++i)
        header.push_back(lum[NaturalOrderTable[i]]);
    if (!grey_) {
        header.push_back(1);
        for (int i = 0; i < 64; ++i)
            header.push_back(chrom[NaturalOrderTable[i]]);
    }
    put16(0xFFC0);
    put16(grey_ ? 11 : 17);
    header.push_back(8);
    put16(static_cast<uint32_t>(height_));
    put16(static_cast<uint32_t>(width_));
    header.push_back(static_cast<uint8_t>(components_));
    header.push_back(1);
    header.push_back(samplingCode_ == 0x41 ? 0x22 : (samplingCode_ == 0x21 ? 0x21 : 0x11));
    header.push_back(0);
    if (!grey_) {
        const uint8_t rest[6] = {2, 0x11, 1, 3, 0x11, 1};
        header.insert(header.end(), rest, rest + 6);
    }
    put16(0xFFC4);
    put16(grey_ ? 210 : 418);
    PutTable(header, 0x00, kLuminanceDcTable);
    if (!grey_)
        PutTable(header, 0x01, kChrominanceDcTable);
    PutTable(header, 0x10, kLuminanceAcTable);
    if (!grey_)
        PutTable(header, 0x11, kChrominanceAcTable);
    put16(0xFFDA);
    put16(grey_ ? 8 : 12);
    header.push_back(static_cast<uint8_t>(components_));
    header.push_back(1);
    header.push_back(0x00);
    if (!grey_) {
        const uint8_t rest[4] = {2, 0x11, 3, 0x11};
        header.insert(header.end(), rest, rest + 4);
    }
    header.push_back(0);
    header.push_back(63);
    header.push_back(0);
    if (IVorlatError* err = stream_->SaveFromMemory(header.data(), static_cast<uint32_t>(header.size())))
        return QZ_WRAP(err);

    rowsDone_ = 0;
    coders_[0] = {&lumDc_, &lumAc_, &lumQuantizer_, 0};
    coders_[1] = {&chromDc_, &chromAc_, &chromQuantizer_, 0};
    coders_[2] = {&chromDc_, &chromAc_, &chromQuantizer_, 0};
    return nullptr;
}

void CJpegEncoder::GetProgress(int32_t* done, int32_t* total) const
{
    if (done)
        *done = rowsDone_;
    if (total)
        *total = height_;
}

IVorlatError* CJpegEncoder::FetchBand(int32_t top, int32_t rows)
{
    const int64_t bytesPerPixel = IVorlatDataSource::GetBitsPerPixel(grey_ ? 2 : 32) / 8;
    return FetchSourceRows(source_, RECT{0, top, width_, top + rows}, bytesPerPixel, rows_.data(),
                           static_cast<int64_t>(width_) * bytesPerPixel, kSrcJpegBandFetch);
}

// One row of MCUs, band rows `top` on, as planes padded to whole MCUs:
// missing columns repeat the last real sample of their row, missing rows the
// last real row of the band (`rows` of them). The planes hold one MCU row, so
// they stay in the cache between the conversion and the transform.
void CJpegEncoder::ConvertUnitRow(int32_t top, int32_t rows)
{
    const int32_t bytesPerPixel = bitsPerPixel_ / 8;
    const int64_t rowBytes = static_cast<int64_t>(width_) * bytesPerPixel;
    const int32_t stepX = samplingCode_ == 0x11 ? 1 : 2;
    const int32_t stepY = samplingCode_ == 0x41 ? 2 : 1;
    const int32_t realColumns = (width_ + stepX - 1) / stepX;
    // A unit row starts on a real row, so a missing row always has one above it.
    for (int32_t y = 0; y < unitHeight_; ++y) {
        int16_t* dst = luma_.data() + static_cast<int64_t>(y) * planeWidth_;
        if (top + y >= rows) {
            std::memcpy(dst, dst - planeWidth_, static_cast<size_t>(planeWidth_) * sizeof(int16_t));
            continue;
        }
        const uint8_t* src = rows_.data() + (top + y) * rowBytes;
        if (grey_) {
            ConvertGreyRow(src, width_, dst);
        } else if (y % stepY == 0) {
            // Chroma takes the pixel of every even column (and row, for 2x2), without averaging.
            const int64_t at = static_cast<int64_t>(y / stepY) * chromaWidth_;
            ConvertRow(src, width_, stepX, dst, cb_.data() + at, cr_.data() + at);
        } else {
            ConvertLumaRow(src, width_, dst);
        }
        for (int32_t x = width_; x < planeWidth_; ++x)
            dst[x] = dst[width_ - 1];
    }
    if (grey_)
        return;
    for (int32_t j = 0; j < 8; ++j) {
        int16_t* cb = cb_.data() + static_cast<int64_t>(j) * chromaWidth_;
        int16_t* cr = cr_.data() + static_cast<int64_t>(j) * chromaWidth_;
        if (top + j * stepY >= rows) {
            std::memcpy(cb, cb - chromaWidth_, static_cast<size_t>(chromaWidth_) * sizeof(int16_t));
            std::memcpy(cr, cr - chromaWidth_, static_cast<size_t>(chromaWidth_) * sizeof(int16_t));
            continue;
        }
        for (int32_t i = realColumns; i < chromaWidth_; ++i) {
            cb[i] = cb[realColumns - 1];
            cr[i] = cr[realColumns - 1];
        }
    }
}

// The whole bytes of a buffer that holds a 0xFF byte: one by one, each 0xFF followed by a 0.
uint8_t* CJpegEncoder::BitWriter::StuffBytes(uint8_t* out, uint64_t buffer, int whole)
{
    for (int i = 0; i < whole; ++i) {
        const uint8_t byte = static_cast<uint8_t>(buffer >> (56 - 8 * i));
        *out++ = byte;
        if (byte == 0xFF)
            *out++ = 0;
    }
    return out;
}

IVorlatError* CJpegEncoder::Flush(uint8_t* end)
{
    const size_t bytes = static_cast<size_t>(end - output_.data());
    if (bytes == 0)
        return nullptr;
    return QZ_WRAP(stream_->SaveFromMemory(output_.data(), static_cast<uint32_t>(bytes)));
}

void CJpegEncoder::EncodeBlock(const int16_t* samples, ptrdiff_t stride, BlockCoder& coder, BitWriter& writer)
{
    alignas(16) int16_t coefficients[64];
    uint64_t nonzero = TransformBlock(samples, stride, accurate_, *coder.quantizer, coefficients);

    // The writer's state stays in registers for the block.
    BitWriter bits = writer;
    const int32_t diff = std::clamp(coefficients[0] - coder.previousDc, -2047, 2047);
    coder.previousDc += diff;  // what the decoder will hold
    uint32_t value = kValueCodes[diff];
    uint32_t size = value & 15;
    uint32_t code = coder.dc->codeAndSize[size];
    bits.Put((code >> 8 << size) | value >> 4, static_cast<int>((code & 0xFF) + size));

    // The AC values are found by their bits in the mask, the zeros between them skipped at once.
    const HuffmanCodes& ac = *coder.ac;
    nonzero &= ~uint64_t{1};
    int last = 0;
    while (nonzero) {
        const int k = std::countr_zero(nonzero);
        nonzero &= nonzero - 1;
        int run = k - last - 1;
        last = k;
        for (; run >= 16; run -= 16)
            bits.Put(ac.codeAndSize[0xF0] >> 8, static_cast<int>(ac.codeAndSize[0xF0] & 0xFF));
        value = kValueCodes[coefficients[NaturalOrderTable[k]]];
        size = value & 15;
        code = ac.codeAndSize[static_cast<uint32_t>(run << 4) | size];
        bits.Put((code >> 8 << size) | value >> 4, static_cast<int>((code & 0xFF) + size));
    }
    if (last != 63)
        bits.Put(ac.codeAndSize[0] >> 8, static_cast<int>(ac.codeAndSize[0] & 0xFF));
    writer = bits;
}

IVorlatError* CJpegEncoder::Execute()
{
    if (!source_ || output_.empty())
        return QZ_FAIL(kErrState);
    if (IsFinished())
        return nullptr;
    const int32_t rows = std::min(kBandRows, height_ - rowsDone_);
    if (IVorlatError* err = FetchBand(rowsDone_, rows))
        return QZ_WRAP(err);

    const int32_t paddedRows = (rows + unitHeight_ - 1) / unitHeight_ * unitHeight_;
    BitWriter bits = {bitBuffer_, bitCount_, output_.data()};
    uint8_t* const flushAt = output_.data() + output_.size() - worstMcu_;
    for (int32_t y = 0; y < paddedRows; y += unitHeight_) {
        ConvertUnitRow(y, rows);
        for (int32_t x = 0; x < planeWidth_; x += unitWidth_) {
            if (bits.out > flushAt) {
                if (IVorlatError* err = Flush(bits.out))
                    return err;
                bits.out = output_.data();
            }
            for (int32_t by = 0; by < unitHeight_; by += 8)
                for (int32_t bx = 0; bx < unitWidth_; bx += 8)
                    EncodeBlock(luma_.data() + static_cast<int64_t>(by) * planeWidth_ + x + bx, planeWidth_,
                                coders_[0], bits);
            if (!grey_) {
                const int32_t cx = samplingCode_ == 0x11 ? x : x / 2;
                EncodeBlock(cb_.data() + cx, chromaWidth_, coders_[1], bits);
                EncodeBlock(cr_.data() + cx, chromaWidth_, coders_[2], bits);
            }
        }
    }
    rowsDone_ += rows;
    if (IsFinished()) {
        // The last byte is filled with 1 bits; then the end of image.
        if (bits.count > 0)
            bits.Put((1u << (8 - bits.count)) - 1, 8 - bits.count);
        *bits.out++ = 0xFF;
        *bits.out++ = 0xD9;
    }
    bitBuffer_ = bits.buffer;
    bitCount_ = bits.count;
    return Flush(bits.out);
}

} // namespace quarnite
