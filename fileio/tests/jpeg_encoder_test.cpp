#include <gtest/gtest.h>

#include "fileio/jpeg_error.h"
#include "fileio/jpeg_tables.h"
#include "fileio/tests/jpeg_test_util.h"

using namespace jpeg_test;
using namespace quarnite;

TEST(JpegEncoder, MultiplierOfTheFirstLevelOneEntry)
{
    EXPECT_EQ(QuantMultiplier(18, 0, 0), 455u);
}

TEST(JpegEncoder, RoundTripsThroughOurDecoder)
{
    Pipeline pipeline;
    for (int level = 1; level <= 5; ++level)
        for (int channels : {1, 3}) {
            SCOPED_TRACE(testing::Message() << "level " << level << " channels " << channels);
            const Pixels source = MakePicture(45, 37, channels, 3, 0);
            int32_t error = -1;
            const std::vector<uint8_t> file = Encode(pipeline, source, level, &error);
            ASSERT_EQ(0, error);
            const Decoded back = Decode(pipeline, file);
            ASSERT_EQ(0, back.error);
            EXPECT_GE(Psnr(source, back.pixels), 30.0);
        }
}

namespace {

// Offsets of the segments up to SOS, and where the entropy-coded data starts.
struct Layout {
    std::vector<std::pair<uint32_t, size_t>> segments;  // marker, offset of the marker
    size_t scanData = 0;
};

Layout LayoutOf(const std::vector<uint8_t>& file)
{
    Layout layout;
    size_t at = 2;
    while (at + 4 <= file.size()) {
        const uint32_t marker = file[at] << 8 | file[at + 1];
        layout.segments.push_back({marker, at});
        at += 2 + (file[at + 2] << 8 | file[at + 3]);
        if (marker == 0xFFDA)
            break;
    }
    layout.scanData = at;
    return layout;
}

} // namespace

TEST(JpegEncoder, HeadersOfColourAndGreyAndTheLevelFiveTables)
{
    Pipeline pipeline;
    const std::vector<uint8_t> color = Encode(pipeline, MakePhoto(20, 20, 3, 1), 5);
    const std::vector<uint8_t> grey = Encode(pipeline, MakePhoto(20, 20, 1, 1), 5);
    EXPECT_EQ(2u + 587, LayoutOf(color).scanData);
    EXPECT_EQ(2u + 304, LayoutOf(grey).scanData);
    // DQT: both tables of level 5 are all ones.
    for (size_t i = 0; i < 64; ++i) {
        EXPECT_EQ(1, color[2 + 5 + i]);
        EXPECT_EQ(1, color[2 + 5 + 65 + i]);
    }
    // SOF0 sampling of the luminance component per level.
    const uint8_t sampling[5] = {0x22, 0x21, 0x21, 0x11, 0x11};
    for (int level = 1; level <= 5; ++level) {
        const std::vector<uint8_t> file = Encode(pipeline, MakePhoto(17, 9, 3, 1), level);
        const Layout layout = LayoutOf(file);
        ASSERT_EQ(0xFFC0u, layout.segments[1].first);
        EXPECT_EQ(sampling[level - 1], file[layout.segments[1].second + 11]) << level;
    }
}

TEST(JpegEncoder, RefusesWhatItCannotEncode)
{
    Pipeline pipeline;
    struct Case {
        const char* name;
        int32_t colorSpace, width, height, level;
    } cases[] = {
        {"16-bit RGB", 33, 8, 8, 3}, {"level 0", 32, 8, 8, 0}, {"level 6", 32, 8, 8, 6},
        {"width 0", 32, 0, 8, 3},    {"too wide", 2, 65536, 1, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        IVorlatImage* image = pipeline.NewImage();
        ASSERT_EQ(0, Cause(image->SetColorSpace(c.colorSpace)));
        ASSERT_EQ(0, Cause(image->SetSize(c.width, c.height)));
        Memory out(std::vector<uint8_t>(4096, 0), false);
        CJpegEncoder encoder(out.get());
        EXPECT_EQ(kErrBadArgument, Cause(encoder.Begin(image, c.level)));
        image->Destroy();
    }
}

TEST(JpegEncoder, BandsOf128RowsAndTheEdgesOfTheImage)
{
    Pipeline pipeline;
    const Pixels source = MakePhoto(17, 300, 3, 4);
    IVorlatImage* image = pipeline.ImageOf(source);
    Memory out(std::vector<uint8_t>(1 << 20, 0), false);
    CJpegEncoder encoder(out.get());
    ASSERT_EQ(0, Cause(encoder.WriteStartOfImage()));
    ASSERT_EQ(0, Cause(encoder.Begin(image, 2)));
    std::vector<int32_t> done;
    while (!encoder.IsFinished()) {
        ASSERT_EQ(0, Cause(encoder.Execute()));
        int32_t rows = 0, total = 0;
        encoder.GetProgress(&rows, &total);
        EXPECT_EQ(300, total);
        done.push_back(rows);
    }
    EXPECT_EQ((std::vector<int32_t>{128, 256, 300}), done);
    image->Destroy();
    const std::vector<uint8_t> file = out.Written();
    EXPECT_EQ(0xFF, file[file.size() - 2]);
    EXPECT_EQ(0xD9, file[file.size() - 1]);
    const Decoded back = Decode(pipeline, file);
    ASSERT_EQ(0, back.error);
    // The second MCU of each row repeats column 16, so the last real column comes back well.
    double error = 0;
    for (int32_t y = 0; y < 300; ++y)
        error += std::abs(static_cast<int32_t>(source.At(16, y, 1)) - back.pixels.At(16, y, 1));
    EXPECT_LT(error / 300, 4.0);

    // One pixel at level 1: four luminance and two chroma blocks all from it.
    Pixels dot{1, 1, 3, {200, 40, 90}};
    const Decoded one = Decode(pipeline, Encode(pipeline, dot, 1));
    ASSERT_EQ(0, one.error);
    for (int c = 0; c < 3; ++c)
        EXPECT_NEAR(dot.data[static_cast<size_t>(c)], one.pixels.data[static_cast<size_t>(c)], 6);
}

TEST(JpegEncoder, EveryFFInTheScanIsStuffedEvenOnNoiseAtLevelFive)
{
    Pipeline pipeline;
    // Noise at level 5 needs more than 1.5 bytes per sample: the buffer is flushed as it fills.
    Pixels noise{160, 150, 1, std::vector<uint8_t>(160 * 150)};
    uint32_t state = 99;
    for (uint8_t& v : noise.data)
        v = static_cast<uint8_t>((state = state * 1664525u + 1013904223u) >> 24);
    int32_t error = -1;
    const std::vector<uint8_t> file = Encode(pipeline, noise, 5, &error);
    ASSERT_EQ(0, error);
    EXPECT_GT(file.size(), noise.data.size() * 3 / 2);
    const Layout layout = LayoutOf(file);
    for (size_t i = layout.scanData; i + 2 < file.size(); ++i) {
        if (file[i] == 0xFF) {
            ASSERT_EQ(0, file[i + 1]) << "at " << i;
        }
    }
    const Decoded back = Decode(pipeline, file);
    ASSERT_EQ(0, back.error);
    EXPECT_GE(Psnr(noise, back.pixels), 38.0);
}
