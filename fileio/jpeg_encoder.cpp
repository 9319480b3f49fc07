#include "fileio/jpeg_encoder.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "Vorlat/VorlatTileGrid.h"
#include "fileio/jpeg_error.h"
#include "fileio/jpeg_tables.h"

namespace quarnite {
namespace {
constexpr int32_t kSourceId = kSrcJpegEncoder;
constexpr int32_t kBandRows = 128;

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

// Canonical codes of a table given as counts and symbols (T.81 Annex C).
void MakeCodes(const JpegStandardHuffman& table, uint16_t* codes, uint8_t* sizes)
{
    uint32_t code = 0;
    uint32_t k = 0;
    for (int length = 1; length <= 16; ++length) {
        for (uint32_t i = 0; i < table.counts[length - 1]; ++i, ++k) {
            codes[table.symbols[k]] = static_cast<uint16_t>(code++);
            sizes[table.symbols[k]] = static_cast<uint8_t>(length);
        }
        code <<= 1;
    }
}

void PutTable(std::vector<uint8_t>& out, uint8_t id, const JpegStandardHuffman& table)
{
    out.push_back(id);
    out.insert(out.end(), table.counts, table.counts + 16);
    out.insert(out.end(), table.symbols, table.symbols + table.symbolCount);
}

inline uint32_t Category(uint32_t magnitude) { return static_cast<uint32_t>(std::bit_width(magnitude)); }

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

} // namespace

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
    MakeCodes(kLuminanceDcTable, lumDc_.code, lumDc_.size);
    MakeCodes(kLuminanceAcTable, lumAc_.code, lumAc_.size);
    MakeCodes(kChrominanceDcTable, chromDc_.code, chromDc_.size);
    MakeCodes(kChrominanceAcTable, chromAc_.code, chromAc_.size);
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
    for (int i = 0; i < 64; ++i) {
        lumMultipliers_[i] = QuantMultiplier(lum[i], i / 8, i % 8);
        chromMultipliers_[i] = QuantMultiplier(chrom[i], i / 8, i % 8);
    }

    // Worst case of one MCU: 6 blocks of a 20-bit DC and 63 26-bit AC codes, every byte stuffed.
    const int32_t blocks = grey_ ? 1 : (samplingCode_ == 0x41 ? 6 : (samplingCode_ == 0x21 ? 4 : 3));
    worstMcu_ = static_cast<size_t>(blocks) * 2 * ((20 + 63 * 26) / 8 + 2) + 8;
    const int64_t rowBytes = static_cast<int64_t>(width_) * bitsPerPixel_ / 8;
    planeWidth_ = (width_ + unitWidth_ - 1) / unitWidth_ * unitWidth_;
    chromaWidth_ = samplingCode_ == 0x11 ? planeWidth_ : planeWidth_ / 2;
    const int64_t outputBytes = std::max<int64_t>(rowBytes * 192, static_cast<int64_t>(worstMcu_) * 4);
    if (!TryResize(output_, static_cast<uint64_t>(outputBytes)) ||
        !TryResize(rows_, static_cast<uint64_t>(rowBytes) * kBandRows) ||
        !TryResize(luma_, static_cast<uint64_t>(planeWidth_) * kBandRows) ||
        (!grey_ && (!TryResize(cb_, static_cast<uint64_t>(chromaWidth_) * kBandRows) ||
                    !TryResize(cr_, static_cast<uint64_t>(chromaWidth_) * kBandRows))))
        return QZ_FAIL(kErrAllocation);
    outputFill_ = 0;
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
    coders_[0] = {&lumDc_, &lumAc_, lumMultipliers_, 0};
    coders_[1] = {&chromDc_, &chromAc_, chromMultipliers_, 0};
    coders_[2] = {&chromDc_, &chromAc_, chromMultipliers_, 0};
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
    constexpr int32_t kFetchSource = kSrcJpegBandFetch;
    const int32_t bytesPerPixel = IVorlatDataSource::GetBitsPerPixel(grey_ ? 2 : 32) / 8;
    const int64_t rowBytes = static_cast<int64_t>(width_) * bytesPerPixel;
    const RECT rect = {0, top, width_, top + rows};
    IVorlatTileGrid* grid = nullptr;
    if (IVorlatError* err = source_->MapRect(&grid, rect))
        return Wrap(kFetchSource, __LINE__, err);
    if (!grid)
        return Fail(kFetchSource, __LINE__, kErrState);
    IVorlatError* err = nullptr;
    for (int32_t row = 0; row < grid->GetRows() && !err; ++row)
        for (int32_t column = 0; column < grid->GetColumns() && !err; ++column) {
            void* pixels = nullptr;
            RECT tileRect, used;
            int32_t tileRowBytes = 0;
            if ((err = source_->LockTile(&pixels, &tileRect, &used, &tileRowBytes, *grid, column, row, nullptr))) {
                err = Wrap(kFetchSource, __LINE__, err);
                break;
            }
            const int64_t bytes = static_cast<int64_t>(used.right - used.left) * bytesPerPixel;
            for (int32_t y = used.top; y < used.bottom; ++y)
                std::memcpy(rows_.data() + (y - top) * rowBytes + static_cast<int64_t>(used.left) * bytesPerPixel,
                            static_cast<const uint8_t*>(pixels) + static_cast<int64_t>(y - tileRect.top) * tileRowBytes +
                                static_cast<int64_t>(used.left - tileRect.left) * bytesPerPixel,
                            static_cast<size_t>(bytes));
            if (IVorlatError* unlock = source_->UnlockTile(*grid, column, row))
                err = Wrap(kFetchSource, __LINE__, unlock);
        }
    grid->Destroy();
    return err;
}

// The band's samples as planes padded to whole MCUs: missing columns repeat
// the last real sample of their row, missing rows the last real row.
void CJpegEncoder::ConvertBand(int32_t rows)
{
    const int32_t paddedRows = (rows + unitHeight_ - 1) / unitHeight_ * unitHeight_;
    const int32_t bytesPerPixel = bitsPerPixel_ / 8;
    const int64_t rowBytes = static_cast<int64_t>(width_) * bytesPerPixel;
    for (int32_t y = 0; y < paddedRows; ++y) {
        const uint8_t* src = rows_.data() + std::min(y, rows - 1) * rowBytes;
        int16_t* dst = luma_.data() + static_cast<int64_t>(y) * planeWidth_;
        if (grey_) {
            for (int32_t x = 0; x < width_; ++x)
                dst[x] = static_cast<int16_t>(src[x] - 128);
        } else {
            for (int32_t x = 0; x < width_; ++x)
                dst[x] = ToY(src + 3 * x);
        }
        for (int32_t x = width_; x < planeWidth_; ++x)
            dst[x] = dst[width_ - 1];
    }
    if (grey_)
        return;
    // Chroma takes the pixel of every even column (and row, for 2x2), without averaging.
    const int32_t stepX = samplingCode_ == 0x11 ? 1 : 2;
    const int32_t stepY = samplingCode_ == 0x41 ? 2 : 1;
    const int32_t realColumns = (width_ + stepX - 1) / stepX;
    const int32_t realRows = (rows + stepY - 1) / stepY;
    for (int32_t j = 0; j < paddedRows / stepY; ++j) {
        const uint8_t* src = rows_.data() + std::min(j, realRows - 1) * stepY * rowBytes;
        int16_t* cb = cb_.data() + static_cast<int64_t>(j) * chromaWidth_;
        int16_t* cr = cr_.data() + static_cast<int64_t>(j) * chromaWidth_;
        for (int32_t i = 0; i < realColumns; ++i) {
            const uint8_t* p = src + 3 * i * stepX;
            cb[i] = ToCb(p);
            cr[i] = ToCr(p);
        }
        for (int32_t i = realColumns; i < chromaWidth_; ++i) {
            cb[i] = cb[realColumns - 1];
            cr[i] = cr[realColumns - 1];
        }
    }
}

void CJpegEncoder::EmitBytes()
{
    // Four bytes at once when none of them is 0xFF and needs a stuffed 0.
    while (bitCount_ >= 32) {
        const uint32_t word = static_cast<uint32_t>(bitBuffer_ >> (bitCount_ - 32));
        const uint32_t inverted = ~word;
        if (((inverted - 0x01010101u) & ~inverted & 0x80808080u) != 0)
            break;
        uint8_t* out = output_.data() + outputFill_;
        out[0] = static_cast<uint8_t>(word >> 24);
        out[1] = static_cast<uint8_t>(word >> 16);
        out[2] = static_cast<uint8_t>(word >> 8);
        out[3] = static_cast<uint8_t>(word);
        outputFill_ += 4;
        bitCount_ -= 32;
    }
    while (bitCount_ >= 8) {
        bitCount_ -= 8;
        const uint8_t byte = static_cast<uint8_t>(bitBuffer_ >> bitCount_);
        output_[outputFill_++] = byte;
        if (byte == 0xFF)
            output_[outputFill_++] = 0;
    }
}

IVorlatError* CJpegEncoder::Flush()
{
    if (outputFill_ == 0)
        return nullptr;
    IVorlatError* err = stream_->SaveFromMemory(output_.data(), static_cast<uint32_t>(outputFill_));
    outputFill_ = 0;
    return QZ_WRAP(err);
}

void CJpegEncoder::EncodeBlock(int32_t* block, BlockCoder& coder)
{
    if (accurate_)
        ForwardDctAccurate(block);
    else
        ForwardDctFast(block);

    // Quantised straight into zigzag order; the rounding is symmetric, so the
    // magnitude is quantised and the sign put back.
    int32_t zigzag[64];
    for (int k = 0; k < 64; ++k) {
        const int i = NaturalOrderTable[k];
        const int32_t x = block[i];
        const int64_t magnitude = x < 0 ? -static_cast<int64_t>(x) : x;
        int64_t q = accurate_ ? (magnitude + 4) >> 3 : (magnitude * coder.multipliers[i] + 32768) >> 16;
        // Categories past the standard tables (11 for DC differences, 10 for AC) have no code.
        q = std::min<int64_t>(q, k == 0 ? 2047 : 1023);
        zigzag[k] = x < 0 ? -static_cast<int32_t>(q) : static_cast<int32_t>(q);
    }

    const int32_t diff = std::clamp(zigzag[0] - coder.previousDc, -2047, 2047);
    coder.previousDc += diff;  // what the decoder will hold
    uint32_t magnitude = static_cast<uint32_t>(diff < 0 ? -diff : diff);
    uint32_t size = Category(magnitude);
    PutBits((static_cast<uint32_t>(coder.dc->code[size]) << size) |
                (static_cast<uint32_t>(diff < 0 ? diff - 1 : diff) & ((1u << size) - 1)),
            coder.dc->size[size] + static_cast<int>(size));

    const HuffmanCodes& ac = *coder.ac;
    int run = 0;
    for (int k = 1; k < 64; ++k) {
        const int32_t v = zigzag[k];
        if (v == 0) {
            ++run;
            continue;
        }
        for (; run >= 16; run -= 16)
            PutBits(ac.code[0xF0], ac.size[0xF0]);
        magnitude = static_cast<uint32_t>(v < 0 ? -v : v);
        size = Category(magnitude);
        const uint32_t symbol = static_cast<uint32_t>(run << 4) | size;
        PutBits((static_cast<uint32_t>(ac.code[symbol]) << size) |
                    (static_cast<uint32_t>(v < 0 ? v - 1 : v) & ((1u << size) - 1)),
                ac.size[symbol] + static_cast<int>(size));
        run = 0;
    }
    if (run > 0)
        PutBits(ac.code[0], ac.size[0]);
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
    ConvertBand(rows);

    const int32_t paddedRows = (rows + unitHeight_ - 1) / unitHeight_ * unitHeight_;
    int32_t block[64];
    auto load = [&](const int16_t* plane, int32_t stride, int32_t x, int32_t y) {
        for (int r = 0; r < 8; ++r) {
            const int16_t* src = plane + static_cast<int64_t>(y + r) * stride + x;
            for (int c = 0; c < 8; ++c)
                block[r * 8 + c] = src[c];
        }
    };
    for (int32_t y = 0; y < paddedRows; y += unitHeight_)
        for (int32_t x = 0; x < planeWidth_; x += unitWidth_) {
            if (output_.size() - outputFill_ < worstMcu_)
                if (IVorlatError* err = Flush())
                    return err;
            for (int32_t by = 0; by < unitHeight_; by += 8)
                for (int32_t bx = 0; bx < unitWidth_; bx += 8) {
                    load(luma_.data(), planeWidth_, x + bx, y + by);
                    EncodeBlock(block, coders_[0]);
                }
            if (!grey_) {
                const int32_t cx = samplingCode_ == 0x11 ? x : x / 2;
                const int32_t cy = samplingCode_ == 0x41 ? y / 2 : y;
                load(cb_.data(), chromaWidth_, cx, cy);
                EncodeBlock(block, coders_[1]);
                load(cr_.data(), chromaWidth_, cx, cy);
                EncodeBlock(block, coders_[2]);
            }
        }
    EmitBytes();
    rowsDone_ += rows;
    if (IsFinished()) {
        // The last byte is filled with 1 bits; then the end of image.
        if (bitCount_ > 0)
            PutBits((1u << (8 - bitCount_)) - 1, 8 - bitCount_);
        EmitBytes();
        output_[outputFill_++] = 0xFF;
        output_[outputFill_++] = 0xD9;
    }
    return Flush();
}

} // namespace quarnite
