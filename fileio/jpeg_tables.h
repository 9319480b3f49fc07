// Fixed tables of baseline JPEG shared by the decoder, the encoder and the tests.
#pragma once

#include <cstdint>

namespace quarnite {

// Zigzag index -> natural (row-major) position, padded with 64 entries of 63 so
// that a run in corrupt data that passes the end stays inside the block.
inline constexpr uint8_t NaturalOrderTable[128] = {
    0,  1,  8,  16, 9,  2,  3,  10, 17, 24, 32, 25, 18, 11, 4,  5,  12, 19, 26, 33, 40, 48,
    41, 34, 27, 20, 13, 6,  7,  14, 21, 28, 35, 42, 49, 56, 57, 50, 43, 36, 29, 22, 15, 23,
    30, 37, 44, 51, 58, 59, 52, 45, 38, 31, 39, 46, 53, 60, 61, 54, 47, 55, 62, 63,
    63, 63, 63, 63, 63, 63, 63, 63, 63, 63, 63, 63, 63, 63, 63, 63, 63, 63, 63, 63, 63, 63,
    63, 63, 63, 63, 63, 63, 63, 63, 63, 63, 63, 63, 63, 63, 63, 63, 63, 63, 63, 63, 63, 63,
    63, 63, 63, 63, 63, 63, 63, 63, 63, 63, 63, 63, 63, 63, 63, 63, 63, 63, 63, 63,
};

namespace detail {
struct RangeLimitData {
    uint8_t values[1024];
    constexpr RangeLimitData() : values()
    {
        for (int i = 0; i < 1024; ++i)
            values[i] = static_cast<uint8_t>(i < 256 ? i : (i < 512 ? 255 : 0));
    }
};
inline constexpr RangeLimitData kRangeLimitData{};
} // namespace detail

// table[x & 1023]: 0-255 as is, 256-511 give 255, 512-1023 (negative values) give 0.
inline constexpr const uint8_t (&RangeLimitTable)[1024] = detail::kRangeLimitData.values;

// One Huffman table as stored in a DHT segment: code counts per length 1-16, then the symbols.
struct JpegStandardHuffman {
    uint8_t counts[16];
    const uint8_t* symbols;
    uint32_t symbolCount;
};

// The four tables of the JPEG standard, Annex K.3.
extern const JpegStandardHuffman kLuminanceDcTable;
extern const JpegStandardHuffman kChrominanceDcTable;
extern const JpegStandardHuffman kLuminanceAcTable;
extern const JpegStandardHuffman kChrominanceAcTable;

} // namespace quarnite
