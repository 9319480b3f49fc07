#include <algorithm>

#include "kolvex_test_util.h"

using namespace kolvex_test;

namespace {

class CropTest : public ::testing::Test {
protected:
    void SetUp() override { manager = MakeManager(16384); }
    void TearDown() override
    {
        delete crop;
        if (source)
            source->Destroy();
        manager->Destroy();
    }
    void Make(int32_t colorSpace, int32_t width, int32_t height)
    {
        pixels = Pattern(static_cast<size_t>(PackedRowBytes(colorSpace, width)) * height, 5);
        source = MakeImage(manager, colorSpace, width, height, pixels);
        crop = new CCropFilter(manager);
        KOLVEX_OK(VorlatDataConnect(source, crop));
        KOLVEX_OK(VorlatDataConnect(crop, &recorder));
    }
    // The expected output: the crop of the packed source, cut at the source's edges, black beyond.
    std::vector<uint8_t> Expected(int32_t colorSpace, int32_t width, const RECT& c, int32_t outWidth,
                                  int32_t outHeight)
    {
        const int32_t inRow = PackedRowBytes(colorSpace, width);
        const int32_t outRow = PackedRowBytes(colorSpace, outWidth);
        std::vector<uint8_t> out(static_cast<size_t>(outRow) * outHeight, 0);
        const int32_t height = static_cast<int32_t>(pixels.size() / inRow);
        for (int32_t y = 0; y < outHeight; ++y) {
            for (int32_t x = 0; x < outWidth; ++x) {
                const int32_t sx = x + c.left, sy = y + c.top;
                if (sx < 0 || sy < 0 || sx >= width || sy >= height)
                    continue;
                CVorlatFilterBase::CPixelBitPtr from(pixels.data(), 0, colorSpace, inRow);
                from.Move(sx, sy);
                CVorlatFilterBase::CPixelBitPtr to(out.data(), 0, colorSpace, outRow);
                to.Move(x, y);
                from.CopyPixelsTo(to, 1);
            }
        }
        return out;
    }

    IVorlatManager* manager = nullptr;
    IVorlatImage* source = nullptr;
    CCropFilter* crop = nullptr;
    std::vector<uint8_t> pixels;
    Recorder recorder;
};

TEST_F(CropTest, AllZeroOrWholeCropPassesTheSourceThrough)
{
    Make(32, 640, 480);
    for (RECT r : {RECT{0, 0, 0, 0}, RECT{0, 0, 640, 480}}) {
        KOLVEX_OK(crop->SetCrop(r, false));
        EXPECT_EQ(crop->GetCrop().right, 640);
        EXPECT_EQ(crop->GetCrop().bottom, 480);
        int32_t x = 10, y = 20;
        KOLVEX_OK(crop->FilterPoint(&x, &y, nullptr, 0));
        EXPECT_EQ(x, 10);
        EXPECT_EQ(y, 20);
    }
}

TEST_F(CropTest, SettingTheSameCropStillNotifiesEachTime)
{
    Make(32, 640, 480);
    KOLVEX_OK(crop->SetCrop(RECT{10, 20, 110, 70}, true));
    KOLVEX_OK(crop->SetCrop(RECT{10, 20, 110, 70}, true));
    ASSERT_EQ(recorder.heard.size(), 2u);
    EXPECT_EQ(recorder.heard[1].code, kVorlatNotifySize);
    EXPECT_EQ(recorder.heard[1].size.oldWidth, 100);
    EXPECT_EQ(recorder.heard[1].size.newHeight, 50);
    VorlatDblRect r(RECT{10, 20, 30, 40});
    KOLVEX_OK(crop->FilterRect(&r, nullptr, 0));
    EXPECT_EQ(r.left, 0.0);
    EXPECT_EQ(r.bottom, 20.0);
    KOLVEX_OK(crop->DefilterRect(&r, nullptr, 0));
    EXPECT_EQ(r.right, 30.0);
}

TEST_F(CropTest, InvertedCropIsRefusedAndNothingChanges)
{
    Make(32, 64, 64);
    KOLVEX_OK(crop->SetCrop(RECT{1, 2, 30, 40}, false));
    EXPECT_EQ(Deepest(crop->SetCrop(RECT{30, 2, 1, 40}, true)), kKolvexErrBadSetting);
    EXPECT_EQ(crop->GetCrop().left, 1);
    EXPECT_TRUE(recorder.heard.empty());
}

// Widths and heights past 32 bits have no output size; crops that reach far
// outside the source but keep a 32-bit size are kept, and map without wrapping.
TEST_F(CropTest, CropsWiderOrTallerThan32BitsAreRefusedAndFarCropsMapWithoutWrapping)
{
    Make(32, 64, 64);
    KOLVEX_OK(crop->SetCrop(RECT{1, 2, 30, 40}, false));
    for (const RECT& r : {RECT{INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX}, RECT{-1, 0, INT32_MAX, 10},
                          RECT{0, INT32_MIN, 10, 1}}) {
        EXPECT_EQ(Deepest(crop->SetCrop(r, true)), kKolvexErrBadSetting) << r.left << "," << r.top;
        EXPECT_EQ(crop->GetCrop().left, 1);
    }
    EXPECT_TRUE(recorder.heard.empty());

    KOLVEX_OK(crop->SetCrop(RECT{INT32_MIN, -2000000000, -1, 100000000}, true));
    int32_t width = 0, height = 0;
    KOLVEX_OK(crop->GetSize(&width, &height));
    EXPECT_EQ(width, 64);
    EXPECT_EQ(height, 64);
    const std::vector<uint8_t> out = ReadAll(crop);
    EXPECT_EQ(std::count(out.begin(), out.end(), 0), static_cast<std::ptrdiff_t>(out.size()));
    // Source pixels past the crop's right edge lie beyond the last 32-bit column of the output.
    int32_t x = 60, y = 60;
    KOLVEX_OK(crop->FilterPoint(&x, &y, nullptr, 0));
    EXPECT_EQ(x, INT32_MAX);
    EXPECT_EQ(y, 2000000060);
    RECT whole{0, 0, 64, 64};
    KOLVEX_OK(crop->FilterRect(&whole, nullptr, 0));
    EXPECT_EQ(whole.left, INT32_MAX);
    EXPECT_EQ(whole.bottom, 2000000064);
    x = -10;
    y = INT32_MIN;
    KOLVEX_OK(crop->DefilterPoint(&x, &y, nullptr, 0));
    EXPECT_EQ(x, INT32_MIN);
    EXPECT_EQ(y, INT32_MIN);
}

TEST_F(CropTest, ShrinkingSourceSlidesTheCropBeforeItShrinks)
{
    Make(32, 640, 480);
    KOLVEX_OK(crop->SetCrop(RECT{500, 10, 600, 60}, false));
    KOLVEX_OK(source->SetSize(80, 480));
    ASSERT_FALSE(recorder.heard.empty());
    const auto& heard = recorder.heard.back();
    EXPECT_EQ(heard.code, kVorlatNotifySize);
    EXPECT_EQ(heard.size.oldWidth, 100);
    EXPECT_EQ(heard.size.newWidth, 80);
    EXPECT_EQ(crop->GetCrop().left, 0);
    EXPECT_EQ(crop->GetCrop().right, 80);
}

TEST_F(CropTest, CopiesEveryDepthPixelExactly)
{
    struct Case {
        int32_t colorSpace;
        RECT crop;
    } cases[] = {
        {32, {37, 11, 237, 151}},
        {33, {3, 60, 150, 100}},
        {2, {1, 1, 300, 200}},
        {1, {3, 5, 200, 160}},   // one bit per pixel: the left edge inside a byte
        {18, {5, 0, 131, 90}},
        {32, {300, 100, 420, 160}},           // past the source's right edge: black there
    };
    for (const Case& c : cases) {
        TearDown();
        SetUp();
        crop = nullptr;
        source = nullptr;
        Make(c.colorSpace, 351, 170);
        KOLVEX_OK(crop->SetCrop(c.crop, false));
        int32_t width = 0, height = 0;
        const std::vector<uint8_t> got = ReadAll(crop, &width, &height);
        EXPECT_EQ(width, std::min<int32_t>(351, c.crop.right - c.crop.left));
        EXPECT_EQ(got, Expected(c.colorSpace, 351, c.crop, width, height)) << c.colorSpace;
    }
}

} // namespace
