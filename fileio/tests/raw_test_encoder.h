// A test-only encoder of the maker's compressed raw form, written from the
// form's description and apart from the decoder, so that the decoder is checked
// against an independent reading of the same rules: canonical codes from the
// counts per length, difference bits behind each code, and the predictors
// (two rows up for the first two samples of a row, two columns left after).
#pragma once

#include <cstdint>
#include <cstdlib>
#include <vector>

#include "fileio/tiff/tiff_image_record.h"

namespace fileio_test {

struct RawCodeTable {
    uint8_t counts[10] = {};        // codes of each length 1..10
    std::vector<uint8_t> symbols;   // difference lengths in code order
};

// 13 codes covering difference lengths 0..12, a complete code.
inline RawCodeTable DefaultRawCodes()
{
    RawCodeTable table;
    const uint8_t counts[10] = {0, 2, 3, 1, 1, 1, 1, 1, 1, 2};
    for (int i = 0; i < 10; ++i)
        table.counts[i] = counts[i];
    table.symbols = {4, 5, 3, 6, 2, 7, 1, 8, 0, 9, 10, 11, 12};
    return table;
}

// The 32 stored bytes: counts of lengths 1..16 at 3..18, symbols from 19.
inline std::vector<uint8_t> StoredRawTable(const RawCodeTable& table)
{
    std::vector<uint8_t> bytes(32, 0);
    for (int i = 0; i < 10; ++i)
        bytes[3 + i] = table.counts[i];
    for (size_t i = 0; i < table.symbols.size() && 19 + i < 32; ++i)
        bytes[19 + i] = table.symbols[i];
    return bytes;
}

class RawBitWriter {
public:
    void Put(uint32_t value, uint32_t bits)
    {
        for (uint32_t i = bits; i-- > 0;) {
            current_ = static_cast<uint8_t>(current_ << 1 | ((value >> i) & 1));
            if (++filled_ == 8) {
                bytes_.push_back(current_);
                current_ = 0;
                filled_ = 0;
            }
        }
    }
    // The last byte is filled with zero bits.
    std::vector<uint8_t> Finish()
    {
        if (filled_)
            bytes_.push_back(static_cast<uint8_t>(current_ << (8 - filled_)));
        filled_ = 0;
        return bytes_;
    }

private:
    std::vector<uint8_t> bytes_;
    uint8_t current_ = 0;
    uint32_t filled_ = 0;
};

// `values` are curve indices (0..4095), row by row.
inline std::vector<uint8_t> EncodeCompressedRaw(const std::vector<uint16_t>& values, uint32_t width, uint32_t height,
                                                const uint16_t predictors[4], const RawCodeTable& table = DefaultRawCodes())
{
    // Canonical codes of the table, by symbol.
    uint32_t codeOf[17] = {}, lengthOf[17] = {};
    uint32_t code = 0;
    size_t next = 0;
    for (uint32_t length = 1; length <= 10; ++length) {
        for (uint32_t k = 0; k < table.counts[length - 1]; ++k, ++code) {
            const uint8_t symbol = table.symbols[next++];
            codeOf[symbol] = code;
            lengthOf[symbol] = length;
        }
        code <<= 1;
    }
    int32_t above[2][2] = {{predictors[0], predictors[1]}, {predictors[2], predictors[3]}};
    RawBitWriter out;
    for (uint32_t y = 0; y < height; ++y) {
        int32_t left[2] = {};
        for (uint32_t x = 0; x < width; ++x) {
            const int32_t value = values[static_cast<size_t>(y) * width + x];
            const int32_t predicted = x < 2 ? above[y & 1][x] : left[x & 1];
            const int32_t difference = value - predicted;
            uint32_t n = 0;
            while ((std::abs(difference) >> n) != 0)
                ++n;
            // Negative differences are stored as difference + 2^n - 1 (top bit clear).
            const uint32_t bits = difference >= 0 ? static_cast<uint32_t>(difference)
                                                  : static_cast<uint32_t>(difference + (1 << n) - 1);
            out.Put(codeOf[n], lengthOf[n]);
            out.Put(bits, n);
            if (x < 2)
                above[y & 1][x] = value;
            left[x & 1] = value;
        }
    }
    return out.Finish();
}

// A smooth mosaic with a little noise and a different level per colour, so
// that differences of many lengths occur; values below `limit`.
inline std::vector<uint16_t> SyntheticMosaic(uint32_t width, uint32_t height, uint32_t limit = 4096, uint32_t seed = 1)
{
    std::vector<uint16_t> values(static_cast<size_t>(width) * height);
    uint32_t state = seed;
    for (uint32_t y = 0; y < height; ++y)
        for (uint32_t x = 0; x < width; ++x) {
            state = state * 1664525u + 1013904223u;
            const uint32_t base = (x * 7 + y * 3 + ((x & 1) + 2 * (y & 1)) * 300) % limit;
            const uint32_t noise = (state >> 24) & 31;
            values[static_cast<size_t>(y) * width + x] = static_cast<uint16_t>((base + noise) % limit);
        }
    return values;
}

// Parameters with an identity curve of `curveSize` entries.
inline quarnite::CompressedRawParameters RawParameters(uint32_t curveSize = 4096, const uint16_t predictors[4] = nullptr)
{
    quarnite::CompressedRawParameters parameters;
    for (int i = 0; i < 4; ++i)
        parameters.predictors[i] = predictors ? predictors[i] : static_cast<uint16_t>(1000 + 100 * i);
    parameters.curve.resize(curveSize);
    for (uint32_t i = 0; i < curveSize; ++i)
        parameters.curve[i] = static_cast<uint16_t>(i);
    parameters.table = StoredRawTable(DefaultRawCodes());
    return parameters;
}

} // namespace fileio_test
