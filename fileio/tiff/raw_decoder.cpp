#include "fileio/tiff/raw_decoder.h"

#include <cstring>

namespace quarnite {
namespace {
constexpr uint32_t kPeekBits = 10;
constexpr uint32_t kPlainSize = 32;
constexpr uint32_t kCountsAt = 3;    // codes of lengths 1..16 at bytes 3..18
constexpr uint32_t kSymbolsAt = 19;  // then the symbols in code order
constexpr uint32_t kMaxSymbol = 16;

// Canonical codes: from 0 at length 1, each code of a length the next value,
// doubled after each length. False for a table that is not a prefix code of
// at most 10 bits with difference lengths of at most 16.
bool BuildLookup(const uint8_t plain[kPlainSize], uint16_t lookup[1 << kPeekBits])
{
    std::memset(lookup, 0, sizeof(uint16_t) << kPeekBits);
    for (uint32_t length = kPeekBits + 1; length <= 16; ++length)
        if (plain[kCountsAt + length - 1])
            return false;
    uint32_t code = 0;
    uint32_t next = kSymbolsAt;
    for (uint32_t length = 1; length <= kPeekBits; ++length) {
        for (uint32_t k = 0; k < plain[kCountsAt + length - 1]; ++k) {
            if (next >= kPlainSize || code >= (1u << length))
                return false;
            const uint32_t symbol = plain[next++];
            if (symbol > kMaxSymbol)
                return false;
            const uint32_t shift = kPeekBits - length;
            for (uint32_t i = 0; i < (1u << shift); ++i)
                lookup[(code << shift) + i] = static_cast<uint16_t>(length << 8 | symbol);
            ++code;
        }
        code <<= 1;
    }
    return true;
}
} // namespace

void DescrambleRawTable(const uint8_t stored[32], uint8_t plain[32]) { std::memcpy(plain, stored, 32); }

bool CompressedRawDecoder::Init(uint32_t width, uint32_t height, const CompressedRawParameters& parameters)
{
    if (parameters.curve.empty() || parameters.table.size() < kPlainSize)
        return false;
    uint8_t plain[kPlainSize];
    DescrambleRawTable(parameters.table.data(), plain);
    if (!BuildLookup(plain, lookup_))
        return false;

    width_ = width;
    height_ = height;
    rowsRemaining_ = height;
    input_ = inputStart_ = nullptr;
    inputRemaining_ = inputLength_ = 0;
    lastChunk_ = false;
    output_ = nullptr;
    outputRemaining_ = 0;
    vertical_[0][0] = parameters.predictors[0];
    vertical_[0][1] = parameters.predictors[1];
    vertical_[1][0] = parameters.predictors[2];
    vertical_[1][1] = parameters.predictors[3];
    horizontal_[0] = horizontal_[1] = 0;
    // A longer curve is cut; a shorter one repeats its last entry. Entries
    // above the mosaic's 12 bits are clamped so that every sample keeps the
    // mosaic's scale.
    const size_t given = parameters.curve.size() < 4096 ? parameters.curve.size() : 4096;
    for (size_t i = 0; i < 4096; ++i) {
        const uint16_t v = parameters.curve[i < given ? i : given - 1];
        curve_[i] = v > kMosaicMax ? kMosaicMax : v;
    }
    rowParity_ = 0;
    bits_ = 0;
    bitCount_ = 0;
    column_ = 0;
    return true;
}

void CompressedRawDecoder::SetInput(const uint8_t* bytes, uint32_t length, bool last)
{
    input_ = inputStart_ = bytes;
    inputRemaining_ = inputLength_ = bytes ? length : 0;
    lastChunk_ = last;
}

void CompressedRawDecoder::SetOutput(uint16_t* buffer, uint32_t bytes)
{
    output_ = buffer;
    outputRemaining_ = buffer ? bytes : 0;
}

void CompressedRawDecoder::Rewind()
{
    input_ = inputStart_;
    inputRemaining_ = inputLength_;
    rowsRemaining_ = height_;
    outputRemaining_ = 0;
    rowParity_ = 0;
    bits_ = 0;
    bitCount_ = 0;
    column_ = 0;
}

CompressedRawDecoder::Result CompressedRawDecoder::Decode()
{
    uint64_t bits = bits_;
    uint32_t count = bitCount_;
    const uint8_t* in = input_;
    uint32_t inLeft = inputRemaining_;
    uint16_t* out = output_;
    uint64_t outLeft = outputRemaining_;
    const uint32_t width = width_;
    Result result = kStopped;

    while (rowsRemaining_) {
        // Only whole rows go into a band.
        const uint64_t rowRest = 2ull * (width - column_);
        if (outLeft < rowRest || !out)
            break;
        uint32_t column = column_;
        for (; column < width; ++column) {
            if (count < 26) {
                if (inLeft >= 8) {
                    // At most eight bytes fill the buffer from empty.
                    while (count <= 56) {
                        bits = bits << 8 | *in++;
                        count += 8;
                        --inLeft;
                    }
                } else {
                    while (count <= 56 && inLeft) {
                        bits = bits << 8 | *in++;
                        count += 8;
                        --inLeft;
                    }
                }
            }
            uint32_t peek;
            if (count >= kPeekBits)
                peek = static_cast<uint32_t>(bits >> (count - kPeekBits)) & 0x3FF;
            else if (lastChunk_ && inLeft == 0)
                peek = static_cast<uint32_t>(bits << (kPeekBits - count)) & 0x3FF;  // the data's true end
            else {
                result = kNeedInput;
                break;
            }
            const uint32_t entry = lookup_[peek];
            if (entry == 0) {
                result = kCorrupt;
                break;
            }
            const uint32_t n = entry & 0xFF;
            const uint32_t total = (entry >> 8) + n;
            if (count < total) {
                result = kNeedInput;
                break;
            }
            count -= total;
            int32_t difference = 0;
            if (n) {
                const int32_t v = static_cast<int32_t>(bits >> count) & ((1 << n) - 1);
                difference = (v & (1 << (n - 1))) ? v : v - (1 << n) + 1;
            }
            int32_t value;
            if (column < 2) {
                value = vertical_[rowParity_][column] + difference;
                value = value < 0 ? 0 : value > 4095 ? 4095 : value;
                vertical_[rowParity_][column] = value;
                horizontal_[column] = value;
            } else {
                value = horizontal_[column & 1] + difference;
                value = value < 0 ? 0 : value > 4095 ? 4095 : value;
                horizontal_[column & 1] = value;
            }
            *out++ = curve_[value];
        }
        outLeft -= 2ull * (column - column_);
        column_ = column;
        if (result != kStopped)
            break;
        --rowsRemaining_;
        rowParity_ ^= 1;
        column_ = 0;
    }
    bits_ = bits;
    bitCount_ = count;
    input_ = in;
    inputRemaining_ = inLeft;
    output_ = out;
    outputRemaining_ = outLeft;
    return result;
}

} // namespace quarnite
