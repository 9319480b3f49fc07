#include "kolvex_test_util.h"

using namespace kolvex_test;

namespace {

class BGRizeTest : public ::testing::Test {
protected:
    void SetUp() override { manager = MakeManager(16384); }
    void TearDown() override { manager->Destroy(); }
    IVorlatManager* manager = nullptr;
};

TEST_F(BGRizeTest, ConvertsEachLayoutToBlueGreenRed)
{
    struct Case {
        int32_t colorSpace;
        std::vector<uint8_t> pixel;
        std::vector<uint8_t> bgr;
    } cases[] = {
        {32, {10, 20, 30}, {30, 20, 10}},
        {33, {0x34, 0x12, 0x78, 0x56, 0xBC, 0x9A}, {0x9A, 0x56, 0x12}},
        {3, {0x00, 0xFF}, {0xFF, 0xFF, 0xFF}},
        {2, {77}, {77, 77, 77}},
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> packed;
        for (int i = 0; i < 80 * 3; ++i)
            packed.insert(packed.end(), c.pixel.begin(), c.pixel.end());
        IVorlatImage* source = MakeImage(manager, c.colorSpace, 80, 3, packed);
        CBGRizeFilter filter(manager);
        KOLVEX_OK(VorlatDataConnect(source, &filter));
        int32_t space = 0;
        const std::vector<uint8_t> out = ReadAll(&filter, nullptr, nullptr, &space);
        EXPECT_EQ(space, 38);
        EXPECT_EQ(std::vector<uint8_t>(out.end() - 3, out.end()), c.bgr) << c.colorSpace;
        source->Destroy();
    }
}

TEST_F(BGRizeTest, EveryTileCarriesATopDownBitmapHeader)
{
    IVorlatImage* source = MakeImage(manager, 32, 100, 100, Pattern(100 * 100 * 3));
    CBGRizeFilter filter(manager);
    KOLVEX_OK(VorlatDataConnect(source, &filter));
    for (int32_t tile = 0; tile < 4; ++tile) {
        void* data = nullptr;
        BITMAPINFOHEADER* header = nullptr;
        KOLVEX_OK(filter.LockTile(&data, tile % 2, tile / 2, &header));
        ASSERT_NE(header, nullptr);
        EXPECT_EQ(header->biSize, 40u);
        EXPECT_EQ(header->biBitCount, 24);
        EXPECT_EQ(header->biWidth, 73);
        EXPECT_EQ(header->biHeight, -73);
        EXPECT_EQ(header->biSizeImage, 220u * 73u);
        EXPECT_EQ(header->biXPelsPerMeter, 3880);
        KOLVEX_OK(filter.UnlockTile(tile % 2, tile / 2));
    }
    source->Destroy();
}

TEST_F(BGRizeTest, SourceLayoutChangeIsNotPassedOnAndOthersFail)
{
    IVorlatImage* source = MakeImage(manager, 32, 10, 10, Pattern(300));
    CBGRizeFilter filter(manager);
    Recorder recorder;
    KOLVEX_OK(VorlatDataConnect(source, &filter));
    KOLVEX_OK(VorlatDataConnect(&filter, &recorder));
    KOLVEX_OK(source->SetColorSpace(2));
    EXPECT_TRUE(recorder.heard.empty());
    KOLVEX_OK(source->SetColorSpace(34));
    int32_t space = 0;
    EXPECT_EQ(DeepestText(filter.GetColorSpace(&space)), kKolvexBadSourceSpace);
    source->Destroy();
}

TEST(HistogramToneCurve, EndsAtFullScaleAndRisesByLevels)
{
    std::vector<uint32_t> histogram(256, 10);
    std::vector<uint16_t> lut(256);
    EXPECT_FALSE(BuildHistogramToneCurve(50, histogram.data(), 8, lut.data(), 8, 8, nullptr, nullptr));
    // Every bin is above the threshold from bin 0 on: the first point is (0, 1), and
    // the line rises from there to full scale.
    EXPECT_EQ(lut[0], 1);
    EXPECT_EQ(lut[255], 255);
    EXPECT_TRUE(std::is_sorted(lut.begin(), lut.end()));

    // Caller buffers hold n + 1 points; an alternating histogram records a point at every bin.
    std::vector<uint32_t> alternating(16);
    for (size_t i = 0; i < alternating.size(); ++i)
        alternating[i] = i % 2 ? 0 : 100;
    std::vector<uint32_t> xs(17, 0xDEAD), ys(17, 0xDEAD);
    std::vector<uint16_t> small(64);
    EXPECT_FALSE(BuildHistogramToneCurve(50, alternating.data(), 4, small.data(), 6, 16, xs.data(), ys.data()));
    EXPECT_EQ(xs[16], 64u);
    EXPECT_EQ(ys[16], 65536u);
    EXPECT_LE(small[63], 65535);
}

TEST(HistogramToneCurve, EmptyHistogramGivesTheStraightLine)
{
    std::vector<uint32_t> histogram(256, 0);
    std::vector<uint16_t> lut(256, 0xFFFF);
    EXPECT_FALSE(BuildHistogramToneCurve(10, histogram.data(), 8, lut.data(), 8, 8, nullptr, nullptr));
    for (int i = 0; i < 256; ++i)
        EXPECT_EQ(lut[i], i);
}

} // namespace
