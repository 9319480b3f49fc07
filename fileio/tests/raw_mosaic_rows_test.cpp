// Mosaic rows between the file's packed 12-bit and 16-bit forms and the
// pipeline's 16-bit samples of 12 significant bits.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "fileio/tiff/mosaic_rows.h"

using namespace quarnite;

namespace {

std::vector<uint8_t> AsBytes(const std::vector<uint16_t>& samples, size_t room)
{
    std::vector<uint8_t> bytes(room, 0xEE);
    std::memcpy(bytes.data(), samples.data(), samples.size() * 2);
    return bytes;
}

std::vector<uint16_t> AsSamples(const std::vector<uint8_t>& bytes, uint32_t count)
{
    std::vector<uint16_t> samples(count);
    std::memcpy(samples.data(), bytes.data(), count * 2ull);
    return samples;
}

TEST(MosaicRows, PacksTwoSamplesIntoThreeBytesHighNibbleFirst)
{
    std::vector<uint8_t> row = AsBytes({0xABC, 0x123, 0xFFF, 0x001}, 8);
    EXPECT_EQ(6u, PackMosaicRow(row.data(), 4));
    EXPECT_EQ((std::vector<uint8_t>{0xAB, 0xC1, 0x23, 0xFF, 0xF0, 0x01}), std::vector<uint8_t>(row.begin(), row.begin() + 6));
    // A width of 8 packs into 12 bytes.
    std::vector<uint8_t> eight(16, 0);
    EXPECT_EQ(12u, PackMosaicRow(eight.data(), 8));
    EXPECT_EQ(12u, PackedRowBytes(8));
}

TEST(MosaicRows, ClampsToTwelveBitsAndPadsOddWidthsWithZero)
{
    std::vector<uint8_t> row = AsBytes({0xFFFF, 0x1000, 0x0ABC}, 8);
    EXPECT_EQ(6u, PackMosaicRow(row.data(), 3));
    EXPECT_EQ((std::vector<uint8_t>{0xFF, 0xFF, 0xFF, 0xAB, 0xC0, 0x00}), std::vector<uint8_t>(row.begin(), row.begin() + 6));
    EXPECT_EQ(6u, PackedRowBytes(3));
}

TEST(MosaicRows, UnpacksExactlyWidthSamplesInPlaceForEveryWidth)
{
    for (uint32_t width = 1; width <= 23; ++width) {
        for (bool padded : {false, true}) {
            std::vector<uint16_t> samples(width);
            for (uint32_t i = 0; i < width; ++i)
                samples[i] = static_cast<uint16_t>((i * 977 + 13) & 0xFFF);
            // Pack, then put a pad byte behind every 15 for the padded form.
            std::vector<uint8_t> packed = AsBytes(samples, 2 * width + 4);
            const uint32_t size = PackMosaicRow(packed.data(), width);
            std::vector<uint8_t> file;
            for (uint32_t i = 0; i < size; ++i) {
                file.push_back(packed[i]);
                if (padded && i % 15 == 14)
                    file.push_back(0x77);
            }
            const size_t room = std::max<size_t>(2ull * width, PaddedPackedRowBytes(width));
            file.resize(room, 0x55);
            UnpackMosaicRow(file.data(), width, padded);
            EXPECT_EQ(samples, AsSamples(file, width)) << "width " << width << (padded ? " padded" : "");
        }
    }
    EXPECT_EQ(16u, PaddedPackedRowBytes(10));
    EXPECT_EQ(32u, PaddedPackedRowBytes(11));
}

TEST(MosaicRows, ScalesStoredSamplesToTwelveBits)
{
    struct Case {
        uint32_t bits;
        bool swap;
        uint16_t stored, expected;
    };
    const Case cases[] = {
        {12, false, 0x0ABC, 0x0ABC}, {16, false, 0xABCD, 0x0ABC}, {14, false, 0x3FFF, 0x0FFF},
        {10, false, 0x03FF, 0x0FFC}, {12, true, 0xBC0A, 0x0ABC},  {12, false, 0x1234, 0x0FFF},
    };
    for (const Case& c : cases) {
        uint16_t v = c.stored;
        ScaleMosaicRow(&v, 1, c.bits, c.swap);
        EXPECT_EQ(c.expected, v) << c.bits << " bits, stored " << c.stored;
    }
}

TEST(MosaicRows, SubsamplingAveragesSamplesOfTheSameColour)
{
    // Colour phases alternate; factor 2 averages two samples of each phase.
    std::vector<uint16_t> row = {10, 100, 20, 200, 30, 300, 40, 400, 50};
    SubsampleMosaicRow(row.data(), 9, 2);
    EXPECT_EQ(15, row[0]);
    EXPECT_EQ(150, row[1]);
    EXPECT_EQ(35, row[2]);
    EXPECT_EQ(350, row[3]);
}

} // namespace
