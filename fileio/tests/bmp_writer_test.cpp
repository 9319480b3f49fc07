// The BMP writer: the exact layout of 24-bit and 8-bit grey files, bands
// from the bottom up, and files that read back to the same pixels.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "fileio/bmp_layout.h"
#include "fileio/bmp_writer.h"
#include "fileio/tests/bmp_test_util.h"

using namespace bmp_test;

namespace {

void Append16(std::vector<uint8_t>& b, uint32_t v)
{
    b.push_back(static_cast<uint8_t>(v));
    b.push_back(static_cast<uint8_t>(v >> 8));
}

void Append32(std::vector<uint8_t>& b, uint32_t v)
{
    Append16(b, v & 0xFFFF);
    Append16(b, v >> 16);
}

// The two headers as the writer fills them in.
std::vector<uint8_t> Headers(uint32_t fileSize, uint32_t dataOffset, int32_t width, int32_t height, uint32_t bits,
                             uint32_t pelsPerMeter)
{
    std::vector<uint8_t> b{'B', 'M'};
    Append32(b, fileSize);
    Append32(b, 0);
    Append32(b, dataOffset);
    Append32(b, 40);
    Append32(b, static_cast<uint32_t>(width));
    Append32(b, static_cast<uint32_t>(height));
    Append16(b, 1);
    Append16(b, bits);
    Append32(b, 0);
    Append32(b, 0);
    Append32(b, pelsPerMeter);
    Append32(b, pelsPerMeter);
    Append32(b, 0);
    Append32(b, 0);
    return b;
}

} // namespace

TEST(BmpWriter, WritesA24BitFileBottomRowFirstWithPaddedRows)
{
    Images images("bmp_writer");
    Pixels p{3, 2, 3, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18}};
    IVorlatImage* image = images.Of(p, 96.0);
    int32_t error = -1;
    const std::vector<uint8_t> file = SaveThroughSaver(image, &error);
    image->Destroy();
    ASSERT_EQ(0, error);
    // Rows of 9 bytes and 3 zero bytes; blue, green, red.
    std::vector<uint8_t> expected = Headers(54 + 12 * 2, 54, 3, 2, 24, 3778);
    const std::vector<uint8_t> rows = {12, 11, 10, 15, 14, 13, 18, 17, 16, 0, 0, 0,
                                       3,  2,  1,  6,  5,  4,  9,  8,  7,  0, 0, 0};
    expected.insert(expected.end(), rows.begin(), rows.end());
    EXPECT_EQ(expected, file);
}

TEST(BmpWriter, WritesGreyWithTheGreyPalette)
{
    Images images("bmp_writer_grey");
    Pixels p{5, 2, 1, {10, 20, 30, 40, 50, 60, 70, 80, 90, 100}};
    IVorlatImage* image = images.Of(p, 300.0);
    int32_t error = -1;
    const std::vector<uint8_t> file = SaveThroughSaver(image, &error);
    image->Destroy();
    ASSERT_EQ(0, error);
    std::vector<uint8_t> expected = Headers(1078 + 8 * 2, 1078, 5, 2, 8, 11808);
    for (uint32_t i = 0; i < 256; ++i)
        for (uint8_t v : {uint8_t(i), uint8_t(i), uint8_t(i), uint8_t(0)})
            expected.push_back(v);
    const std::vector<uint8_t> rows = {60, 70, 80, 90, 100, 0, 0, 0, 10, 20, 30, 40, 50, 0, 0, 0};
    expected.insert(expected.end(), rows.begin(), rows.end());
    EXPECT_EQ(expected, file);
}

TEST(BmpWriter, FilesReadBackToTheSamePixelsAcrossBands)
{
    // 3072-byte tiles make bands of 32 RGB rows.
    Images images("bmp_writer_bands", 3072);
    struct Case {
        int32_t width, height, channels;
    } cases[] = {{1, 1, 3}, {3, 100, 3}, {70, 33, 3}, {1, 1, 1}, {7, 120, 1}, {64, 56, 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << "x" << c.height << "x" << c.channels);
        const Pixels p = Pattern(c.width, c.height, c.channels);
        IVorlatImage* image = images.Of(p);
        int32_t error = -1;
        const std::vector<uint8_t> file = SaveThroughSaver(image, &error);
        image->Destroy();
        ASSERT_EQ(0, error);
        const Loaded loaded = LoadThroughLoader(images, file);
        ASSERT_EQ(0, loaded.error);
        Pixels rgb = p;
        if (c.channels == 1) {
            rgb = Pixels{c.width, c.height, 3, {}};
            for (uint8_t v : p.data)
                rgb.data.insert(rgb.data.end(), {v, v, v});
        }
        EXPECT_TRUE(loaded.pixels == rgb);
    }
}

TEST(BmpWriter, StepsFromTheBottomBandWithTheRemainderFirst)
{
    Images images("bmp_writer_steps", 3072);
    const Pixels p = Pattern(10, 100, 3);
    IVorlatImage* image = images.Of(p);
    MemoryStream out(std::vector<uint8_t>(1 << 16, 0), false);
    quarnite::CBmpWriter writer(out.stream, nullptr, 0);
    EXPECT_TRUE(writer.IsFinished());
    ASSERT_EQ(0, Cause(writer.BeginSave(image, nullptr, 0)));
    EXPECT_EQ(32, writer.BandRows());
    std::vector<int32_t> progress;
    while (!writer.IsFinished()) {
        ASSERT_EQ(0, Cause(writer.Execute()));
        int32_t done = -1, total = -1;
        writer.GetProgress(&done, &total);
        progress.push_back(done);
    }
    EXPECT_EQ((std::vector<int32_t>{4, 36, 68, 0}), progress);  // 0 and 0 once finished
    image->Destroy();
}

TEST(BmpWriter, RefusesSourcesItCannotWriteBeforeWritingAnything)
{
    Images images("bmp_writer_refuse");
    IVorlatImage* deep = images.New();
    ASSERT_EQ(0, Cause(deep->SetColorSpace(33)));
    ASSERT_EQ(0, Cause(deep->SetSize(4, 4)));
    IVorlatImage* empty = images.New();
    ASSERT_EQ(0, Cause(empty->SetColorSpace(32)));
    struct Case {
        const char* name;
        IVorlatDataSource* source;
        int32_t error;
    } cases[] = {{"48-bit RGB", deep, 1010}, {"no source", nullptr, 1014}, {"no pixels", empty, 1014}};
    for (const Case& c : cases) {
        MemoryStream out(std::vector<uint8_t>(4096, 0), false);
        quarnite::CBmpWriter writer(out.stream, nullptr, 0);
        EXPECT_EQ(c.error, Cause(writer.BeginSave(c.source, nullptr, 0))) << c.name;
        EXPECT_TRUE(writer.IsFinished()) << c.name;
        EXPECT_TRUE(out.Written().empty()) << c.name;
    }
    deep->Destroy();
    empty->Destroy();
}

TEST(BmpWriter, PixelsPerMetreFromDotsPerInch)
{
    struct Case {
        double dpi;
        int32_t pelsPerMeter;
    } cases[] = {
        {96, 3778}, {72, 2833}, {300, 11808}, {0, 0}, {-20, 0},
        {std::numeric_limits<double>::quiet_NaN(), 0}, {1e12, 2147483647},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.pelsPerMeter, quarnite::BmpPelsPerMeterFromDpi(c.dpi)) << c.dpi;
}
