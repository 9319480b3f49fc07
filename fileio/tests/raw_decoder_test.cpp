// The compressed raw decoder against the test encoder, byte-exact examples,
// chunked input and banded output, and the tables it must refuse.
#include <gtest/gtest.h>

#include <vector>

#include "fileio/tests/raw_test_encoder.h"
#include "fileio/tiff/raw_decoder.h"

using fileio_test::EncodeCompressedRaw;
using fileio_test::RawParameters;
using fileio_test::SyntheticMosaic;
using quarnite::CompressedRawDecoder;

namespace {

// Decodes with input in chunks of `chunk` bytes and bands of `bandRows` rows.
std::vector<uint16_t> DecodeAll(const std::vector<uint8_t>& data, uint32_t width, uint32_t height,
                                const quarnite::CompressedRawParameters& parameters, size_t chunk, uint32_t bandRows,
                                CompressedRawDecoder::Result* last = nullptr)
{
    CompressedRawDecoder decoder;
    EXPECT_TRUE(decoder.Init(width, height, parameters));
    std::vector<uint16_t> out;
    std::vector<uint16_t> band(static_cast<size_t>(width) * bandRows);
    size_t fed = 0;
    CompressedRawDecoder::Result result = CompressedRawDecoder::kStopped;
    while (!decoder.Finished()) {
        decoder.SetOutput(band.data(), static_cast<uint32_t>(band.size() * 2));
        const uint32_t before = decoder.RowsDone();
        for (;;) {
            result = decoder.Decode();
            if (result != CompressedRawDecoder::kNeedInput)
                break;
            if (fed >= data.size())
                break;
            const size_t n = std::min(chunk, data.size() - fed);
            decoder.SetInput(data.data() + fed, static_cast<uint32_t>(n), fed + n == data.size());
            fed += n;
        }
        const uint32_t rows = decoder.RowsDone() - before;
        out.insert(out.end(), band.begin(), band.begin() + static_cast<ptrdiff_t>(rows) * width);
        if (result != CompressedRawDecoder::kStopped || rows == 0)
            break;
    }
    if (last)
        *last = result;
    return out;
}

TEST(CompressedRawDecoder, DecodesAHandEncodedRowWithTheEndPaddedByZeroBits)
{
    // Two codes of length 1: "0" -> difference length 0, "1" -> length 2.
    // Column 0: "0" (difference 0); column 1: "1" then "00" (-3 as 0 + 4 - 1).
    // The four bits 0100 and four zero bits: one byte, shorter than a peek.
    quarnite::CompressedRawParameters parameters = RawParameters(4096);
    parameters.predictors[0] = 100;
    parameters.predictors[1] = 200;
    parameters.table.assign(32, 0);
    parameters.table[3] = 2;
    parameters.table[19] = 0;
    parameters.table[20] = 2;
    const std::vector<uint8_t> data = {0x40};
    EXPECT_EQ((std::vector<uint16_t>{100, 197}), DecodeAll(data, 2, 1, parameters, 1, 1));
}

TEST(CompressedRawDecoder, ClampsPredictedValuesToTheCurve)
{
    // Difference lengths 0 and 4: "1" "1010" is +10, "1" "0101" is -10.
    quarnite::CompressedRawParameters parameters = RawParameters(4096);
    parameters.predictors[0] = 4090;
    parameters.predictors[1] = 5;
    parameters.table.assign(32, 0);
    parameters.table[3] = 2;
    parameters.table[19] = 0;
    parameters.table[20] = 4;
    // 1 1010 1 0101 -> 1101 0101 01(00 0000)
    const std::vector<uint8_t> data = {0xD5, 0x40};
    EXPECT_EQ((std::vector<uint16_t>{4095, 0}), DecodeAll(data, 2, 1, parameters, 2, 1));
}

TEST(CompressedRawDecoder, MatchesTheEncoderForSizesAndSplits)
{
    struct Case {
        uint32_t width, height;
        size_t chunk;
        uint32_t bandRows;
    };
    const Case cases[] = {
        {2, 1, 1 << 20, 1}, {3, 2, 1, 1},   {17, 5, 3, 2},     {64, 9, 7, 4},
        {200, 6, 1 << 20, 6}, {33, 4, 5, 3}, {1000, 3, 4096, 1},
    };
    const uint16_t predictors[4] = {2000, 2100, 2200, 2300};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << "x" << c.height << " chunk " << c.chunk << " band " << c.bandRows);
        const std::vector<uint16_t> values = SyntheticMosaic(c.width, c.height, 4096, c.width);
        const std::vector<uint8_t> data = EncodeCompressedRaw(values, c.width, c.height, predictors);
        const quarnite::CompressedRawParameters parameters = RawParameters(4096, predictors);
        EXPECT_EQ(values, DecodeAll(data, c.width, c.height, parameters, c.chunk, c.bandRows));
    }
}

TEST(CompressedRawDecoder, InputSplitAtAnyByteDecodesLikeWholeInput)
{
    const uint32_t width = 12, height = 4;
    const uint16_t predictors[4] = {500, 600, 700, 800};
    const std::vector<uint16_t> values = SyntheticMosaic(width, height, 4096, 7);
    const std::vector<uint8_t> data = EncodeCompressedRaw(values, width, height, predictors);
    const quarnite::CompressedRawParameters parameters = RawParameters(4096, predictors);
    std::vector<uint16_t> whole(values.size());
    for (size_t split = 1; split < data.size(); ++split) {
        CompressedRawDecoder decoder;
        ASSERT_TRUE(decoder.Init(width, height, parameters));
        decoder.SetOutput(whole.data(), static_cast<uint32_t>(whole.size() * 2));
        decoder.SetInput(data.data(), static_cast<uint32_t>(split));
        ASSERT_EQ(CompressedRawDecoder::kNeedInput, decoder.Decode()) << split;
        decoder.SetInput(data.data() + split, static_cast<uint32_t>(data.size() - split), true);
        ASSERT_EQ(CompressedRawDecoder::kStopped, decoder.Decode()) << split;
        ASSERT_TRUE(decoder.Finished());
        ASSERT_EQ(values, whole) << "split at " << split;
    }
}

TEST(CompressedRawDecoder, ExtendsAShortCurveWithItsLastEntryAndClampsItsValues)
{
    const uint32_t width = 8, height = 2;
    const uint16_t predictors[4] = {600, 700, 680, 690};
    std::vector<uint16_t> values = {0, 681, 682, 683, 700, 4095, 1000, 682, 5, 6, 7, 8, 9, 10, 11, 12};
    quarnite::CompressedRawParameters parameters = RawParameters(683, predictors);
    for (uint32_t i = 0; i < 683; ++i)
        parameters.curve[i] = static_cast<uint16_t>(3 * i + 1);
    parameters.curve[1] = 60000;  // beyond 12 bits
    const std::vector<uint8_t> data = EncodeCompressedRaw(values, width, height, predictors);
    std::vector<uint16_t> expected;
    for (uint16_t v : values)
        expected.push_back(v == 1 ? 4095 : static_cast<uint16_t>(3 * (v < 683 ? v : 682) + 1));
    EXPECT_EQ(expected, DecodeAll(data, width, height, parameters, 1 << 20, 2));
}

TEST(CompressedRawDecoder, RefusesTablesThatCannotDecode)
{
    struct Case {
        const char* what;
        void (*spoil)(quarnite::CompressedRawParameters&);
    };
    const Case cases[] = {
        {"no curve", [](quarnite::CompressedRawParameters& p) { p.curve.clear(); }},
        {"table shorter than 32 bytes", [](quarnite::CompressedRawParameters& p) { p.table.resize(31); }},
        {"over-subscribed", [](quarnite::CompressedRawParameters& p) { p.table[3] = 3; }},
        {"more than 13 codes", [](quarnite::CompressedRawParameters& p) { p.table[12] = 3; }},
        {"symbol above 16", [](quarnite::CompressedRawParameters& p) { p.table[19] = 17; }},
        {"code longer than 10 bits", [](quarnite::CompressedRawParameters& p) { p.table[13] = 1; }},
    };
    for (const Case& c : cases) {
        quarnite::CompressedRawParameters parameters = RawParameters(4096);
        c.spoil(parameters);
        CompressedRawDecoder decoder;
        EXPECT_FALSE(decoder.Init(4, 4, parameters)) << c.what;
    }
    CompressedRawDecoder decoder;
    EXPECT_TRUE(decoder.Init(4, 4, RawParameters(1))) << "one curve entry is enough";
}

TEST(CompressedRawDecoder, ReportsBitsThatStartNoCodeAsCorrupt)
{
    // One code "0"; a 1 bit starts nothing.
    quarnite::CompressedRawParameters parameters = RawParameters(4096);
    parameters.table.assign(32, 0);
    parameters.table[3] = 1;
    const std::vector<uint8_t> data = {0x0F, 0xFF};
    CompressedRawDecoder::Result result;
    const std::vector<uint16_t> out = DecodeAll(data, 8, 2, parameters, 16, 2, &result);
    EXPECT_EQ(CompressedRawDecoder::kCorrupt, result);
}

TEST(CompressedRawDecoder, StopsForInputWhenTheDataEndsEarly)
{
    const uint16_t predictors[4] = {1, 2, 3, 4};
    const std::vector<uint16_t> values = SyntheticMosaic(16, 4);
    std::vector<uint8_t> data = EncodeCompressedRaw(values, 16, 4, predictors);
    data.resize(data.size() / 2);
    CompressedRawDecoder::Result result;
    const std::vector<uint16_t> out = DecodeAll(data, 16, 4, RawParameters(4096, predictors), 1 << 20, 4, &result);
    EXPECT_EQ(CompressedRawDecoder::kNeedInput, result);
}

TEST(CompressedRawDecoder, WritesOnlyWholeRowsIntoABand)
{
    const uint16_t predictors[4] = {1, 2, 3, 4};
    const std::vector<uint16_t> values = SyntheticMosaic(10, 3);
    const std::vector<uint8_t> data = EncodeCompressedRaw(values, 10, 3, predictors);
    CompressedRawDecoder decoder;
    ASSERT_TRUE(decoder.Init(10, 3, RawParameters(4096, predictors)));
    std::vector<uint16_t> band(25, 0xBEEF);  // two and a half rows
    decoder.SetOutput(band.data(), 50);
    decoder.SetInput(data.data(), static_cast<uint32_t>(data.size()), true);
    EXPECT_EQ(CompressedRawDecoder::kStopped, decoder.Decode());
    EXPECT_EQ(2u, decoder.RowsDone());
    EXPECT_TRUE(decoder.OutputFull());
    EXPECT_EQ(0xBEEF, band[20]);
    EXPECT_EQ(std::vector<uint16_t>(values.begin(), values.begin() + 20), std::vector<uint16_t>(band.begin(), band.begin() + 20));
}

TEST(CompressedRawDecoder, RewindDecodesTheSameChunkAgain)
{
    const uint16_t predictors[4] = {10, 20, 30, 40};
    const std::vector<uint16_t> values = SyntheticMosaic(6, 1);  // one row: vertical predictors unchanged for row 0 only
    const std::vector<uint8_t> data = EncodeCompressedRaw(values, 6, 1, predictors);
    CompressedRawDecoder decoder;
    ASSERT_TRUE(decoder.Init(6, 1, RawParameters(4096, predictors)));
    std::vector<uint16_t> out(6);
    decoder.SetInput(data.data(), static_cast<uint32_t>(data.size()), true);
    decoder.SetOutput(out.data(), 12);
    EXPECT_EQ(CompressedRawDecoder::kStopped, decoder.Decode());
    EXPECT_TRUE(decoder.Finished());
    decoder.Rewind();
    EXPECT_FALSE(decoder.Finished());
    std::vector<uint16_t> again(6);
    decoder.SetOutput(again.data(), 12);
    decoder.Decode();
    // The vertical predictors kept the first pass's values, so every sample
    // moves by what its column parity's first sample moved.
    std::vector<uint16_t> expected(6);
    for (int x = 0; x < 6; ++x)
        expected[x] = static_cast<uint16_t>(values[x] + values[x & 1] - predictors[x & 1]);
    EXPECT_EQ(expected, again);
}

} // namespace
