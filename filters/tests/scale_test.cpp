// The scale filter's settings, output size, mappings and notifications, and the
// exact integer arithmetic of its resampling set-ups.
#include <cmath>

#include "filters/VorlatFilterScale.h"
#include "filters/scale_resample_impl.h"
#include "resample_test_util.h"

using namespace kolvex_test;
using namespace scale_resample;

namespace {

TEST(ScaleArithmetic, ReducesRatiosByTrialDivision)
{
    const struct {
        int32_t s, d, rs, rd;
    } cases[] = {{1280, 640, 2, 1}, {640, 1280, 1, 2}, {1009, 317, 1009, 317}, {6, 4, 3, 2},
                 {1, 5, 1, 5},      {27, 9, 3, 1},     {6000, 2220, 100, 37}, {101, 51, 101, 51},
                 {49, 35, 7, 5},    {121, 77, 11, 7},  {5, 5, 1, 1}};
    for (const auto& c : cases) {
        int32_t s = c.s, d = c.d;
        ReduceRatio(&s, &d);
        EXPECT_EQ(s, c.rs) << c.s << "/" << c.d;
        EXPECT_EQ(d, c.rd) << c.s << "/" << c.d;
    }
}

TEST(ScaleArithmetic, DividesByTheUpperBitsOfAReciprocalProductNotByTrueDivision)
{
    const struct {
        int64_t d;
        uint32_t n, quotient;
    } cases[] = {
        {3, 9, 3},
        {4, 7, 1},
        {7, 20, 2},
        {3, 2147483648u, 715827883},  // true quotient 715827882
        {257, 16777216, 65281},       // true quotient 65280
        {255, 16909559, 66312},       // true quotient 66311
        {100003, 100002, 1},          // true quotient 0
    };
    for (const auto& c : cases)
        EXPECT_EQ(DivideBy(c.n, Reciprocal(c.d)), c.quotient) << c.n << " / " << c.d;
    EXPECT_EQ(Reciprocal(3), 1431655766u);
    EXPECT_EQ(Reciprocal(2), 2147483648u);
}

TEST(ScaleArithmetic, CubicWeightsSumToOneAtEveryFraction)
{
    const struct {
        double t;
        int16_t w[4];
    } cases[] = {{0.0, {0, 16384, 0, 0}}, {0.5, {-1024, 9216, 9216, -1024}}, {0.25, {-1152, 14208, 3712, -384}}};
    for (const auto& c : cases) {
        int16_t w[4];
        CubicWeights(c.t, w);
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ(w[i], c.w[i]) << c.t << " weight " << i;
    }
}

TEST(ScaleArithmetic, LinearSetUpOfTwoToFourRepeatsTheEdges)
{
    WeightRecord table[4];
    EXPECT_EQ(SetupLinear(table, 0, 4, 1, 2), -1);
    const struct {
        uint16_t left, right;
        uint8_t advance;
    } expected[] = {{1, 3, 0}, {3, 1, 1}, {1, 3, 0}, {3, 1, 1}};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(table[i].w[0], expected[i].left) << i;
        EXPECT_EQ(table[i].w[1], expected[i].right) << i;
        EXPECT_EQ(table[i].advance, expected[i].advance) << i;
    }
}

// Each area record covers exactly s units of 1/d, and consecutive records tile
// the source without gap or overlap.
TEST(ScaleArithmetic, AreaRecordsTileTheSourceForOddRatios)
{
    const struct {
        int32_t sw, fw, left, right;
    } cases[] = {{4, 2, 0, 2}, {1009, 317, 0, 317}, {1009, 317, 100, 140}, {6000, 2220, 1000, 1064}, {3, 2, 0, 2}};
    for (const auto& c : cases) {
        int32_t s = c.sw, d = c.fw;
        ReduceRatio(&s, &d);
        std::vector<WeightRecord> table(static_cast<size_t>(c.right - c.left));
        int64_t column = SetupArea(table.data(), c.left, c.right, s, d);
        EXPECT_EQ(column, static_cast<int64_t>(c.left) * s / d);
        int64_t units = static_cast<int64_t>(c.left) * s;
        for (const WeightRecord& w : table) {
            ASSERT_EQ(w.w[0] + w.w[2] * d + w.w[1], s);
            ASSERT_GE(w.w[0], 1);
            ASSERT_LE(w.w[0], d);
            ASSERT_LT(w.w[1], d);
            // The first weight starts where the previous pixel's coverage ended.
            ASSERT_EQ(units / d, column);
            ASSERT_EQ(d - units % d, w.w[0]);
            units += s;
            column = units / d;
        }
    }
}

class ScaleFilterTest : public ::testing::Test {
protected:
    void SetUp() override { manager = MakeManager(16384); }
    void TearDown() override
    {
        delete scale;
        if (source)
            source->Destroy();
        manager->Destroy();
    }
    void Make(int32_t width, int32_t height, int32_t method = 1)
    {
        source = MakeImage(manager, 32, width, height, Pattern(static_cast<size_t>(width) * height * 3, 9));
        scale = new CVorlatFilterScale(manager, method);
        KOLVEX_OK(VorlatDataConnect(source, scale));
        KOLVEX_OK(VorlatDataConnect(scale, &recorder));
    }
    int32_t Width() { int32_t w = 0; EXPECT_EQ(Deepest(scale->GetWidth(&w)), 0); return w; }
    int32_t Height() { int32_t h = 0; EXPECT_EQ(Deepest(scale->GetHeight(&h)), 0); return h; }

    IVorlatManager* manager = nullptr;
    IVorlatImage* source = nullptr;
    CVorlatFilterScale* scale = nullptr;
    Recorder recorder;
};

TEST_F(ScaleFilterTest, PassesThroughNearFactorOneOnly)
{
    Make(100, 80);
    EXPECT_EQ(scale->GetFilterCode(), VorlatFourCC("scal"));
    EXPECT_STREQ(scale->GetFilterDescription(), "Scale");
    // From factors 1.0 a change within 1e-10 changes nothing.
    KOLVEX_OK(scale->SetScale(1.00000000005, 0.99999999995, true));
    EXPECT_TRUE(recorder.heard.empty());
    KOLVEX_OK(scale->SetScale(2.0, false));
    EXPECT_EQ(Width(), 200);
    KOLVEX_OK(scale->SetScale(1.00000000005, 0.99999999995, false));
    EXPECT_EQ(Width(), 100);
    int32_t x = 40, y = 30;
    KOLVEX_OK(scale->FilterPoint(&x, &y, nullptr, 0));
    EXPECT_EQ(x, 40);  // pass-through maps nothing
    KOLVEX_OK(scale->SetScale(1.0000001, 1.0, false));
    x = 40;
    KOLVEX_OK(scale->FilterPoint(&x, &y, nullptr, 0));
    EXPECT_EQ(x, 40);  // trunc(40.000004)
    double dx = 1000000, dy = 0;
    KOLVEX_OK(scale->FilterPoint(&dx, &dy, nullptr, 0));
    EXPECT_NE(dx, 1000000.0);  // not pass-through: the factor applies
}

TEST_F(ScaleFilterTest, SizeModeMapsByTheSizes)
{
    Make(1280, 960);
    KOLVEX_OK(scale->SetSize(640, 480, false));
    int32_t x = 3, y = 5;
    KOLVEX_OK(scale->FilterPoint(&x, &y, nullptr, 0));
    EXPECT_EQ(x, 1);
    EXPECT_EQ(y, 2);
    RECT r{3, 5, 7, 9};
    KOLVEX_OK(scale->FilterRect(&r, nullptr, 0));
    EXPECT_EQ(r.left, 1);
    EXPECT_EQ(r.top, 2);
    EXPECT_EQ(r.right, 4);
    EXPECT_EQ(r.bottom, 5);
    x = 1;
    y = 2;
    KOLVEX_OK(scale->DefilterPoint(&x, &y, nullptr, 0));
    EXPECT_EQ(x, 2);
    EXPECT_EQ(y, 4);
    RECT back{1, 2, 4, 5};
    KOLVEX_OK(scale->DefilterRect(&back, nullptr, 0));
    EXPECT_EQ(back.left, 2);
    EXPECT_EQ(back.bottom, 10);
    VorlatDblRect d;
    d.left = 3;
    d.top = 5;
    d.right = 7;
    d.bottom = 9;
    KOLVEX_OK(scale->FilterRect(&d, nullptr, 0));
    EXPECT_DOUBLE_EQ(d.left, 1.5);
    EXPECT_DOUBLE_EQ(d.bottom, 4.5);
    EXPECT_EQ(Width(), 640);
    EXPECT_EQ(Height(), 480);
}

TEST_F(ScaleFilterTest, FactorModeRoundsHalvesUp)
{
    Make(101, 51);
    KOLVEX_OK(scale->SetScale(0.5, true));
    EXPECT_EQ(Width(), 51);
    EXPECT_EQ(Height(), 26);
    ASSERT_EQ(recorder.Codes(), std::vector<int32_t>{kVorlatNotifySize});
    EXPECT_EQ(recorder.heard[0].size.oldWidth, 101);
    EXPECT_EQ(recorder.heard[0].size.newWidth, 51);
    EXPECT_EQ(recorder.heard[0].size.newHeight, 26);
    double sx = 0, sy = 0;
    scale->GetScale(&sx, nullptr);
    scale->GetScale(nullptr, &sy);
    EXPECT_EQ(sx, 0.5);
    EXPECT_EQ(sy, 0.5);
    RECT r{1, 1, 3, 3};
    KOLVEX_OK(scale->FilterRect(&r, nullptr, 0));
    EXPECT_EQ(r.left, 0);
    EXPECT_EQ(r.right, 2);
    KOLVEX_OK(scale->DefilterRect(&r, nullptr, 0));
    EXPECT_EQ(r.right, 4);
}

TEST_F(ScaleFilterTest, SizeModeNotifiesOnlyRealChanges)
{
    Make(200, 100);
    KOLVEX_OK(scale->SetSize(200, 100, true));  // factor mode: always proceeds
    ASSERT_EQ(recorder.Codes(), std::vector<int32_t>{kVorlatNotifySize});
    EXPECT_EQ(recorder.heard[0].size.oldWidth, 200);
    EXPECT_EQ(recorder.heard[0].size.newWidth, 200);
    EXPECT_EQ(scale->GetScale(), 0.0);
    recorder.heard.clear();
    KOLVEX_OK(scale->SetSize(200, 100, true));
    EXPECT_TRUE(recorder.heard.empty());
    KOLVEX_OK(scale->SetSize(50, 40, true));
    ASSERT_EQ(recorder.Codes(), std::vector<int32_t>{kVorlatNotifySize});
    EXPECT_EQ(recorder.heard[0].size.oldWidth, 200);
    EXPECT_EQ(recorder.heard[0].size.newHeight, 40);
    recorder.heard.clear();
    KOLVEX_OK(scale->SetMethod(1, true));
    EXPECT_TRUE(recorder.heard.empty());
    KOLVEX_OK(scale->SetMethod(7, true));
    ASSERT_EQ(recorder.Codes(), std::vector<int32_t>{kVorlatNotifyDataChanged});
    EXPECT_EQ(recorder.heard[0].rect.right, 50);
    EXPECT_EQ(recorder.heard[0].rect.bottom, 40);
    EXPECT_EQ(scale->GetMethod(), 7);
}

TEST_F(ScaleFilterTest, ASourceSizeChangeInSizeModeIsAWholeDataChange)
{
    Make(200, 100);
    KOLVEX_OK(scale->SetSize(50, 40, false));
    ReadAll(scale);  // the cache exists before the change
    KOLVEX_OK(source->SetSize(400, 300));
    ASSERT_FALSE(recorder.heard.empty());
    EXPECT_EQ(recorder.heard.back().code, kVorlatNotifyDataChanged);
    EXPECT_EQ(recorder.heard.back().rect.left, 0);
    EXPECT_EQ(recorder.heard.back().rect.top, 0);
    EXPECT_EQ(recorder.heard.back().rect.right, 50);
    EXPECT_EQ(recorder.heard.back().rect.bottom, 40);
    EXPECT_EQ(Width(), 50);
}

TEST_F(ScaleFilterTest, ASourceSizeChangeInFactorModeIsMapped)
{
    Make(200, 100);
    KOLVEX_OK(scale->SetScale(0.25, false));
    KOLVEX_OK(source->SetSize(402, 302));
    ASSERT_FALSE(recorder.heard.empty());
    const Recorder::Heard& h = recorder.heard.back();
    EXPECT_EQ(h.code, kVorlatNotifySize);
    EXPECT_EQ(h.size.oldWidth, 50);
    EXPECT_EQ(h.size.oldHeight, 25);
    EXPECT_EQ(h.size.newWidth, 101);   // trunc(100.5 + 0.5)
    EXPECT_EQ(h.size.newHeight, 76);   // trunc(75.5 + 0.5)
}

TEST_F(ScaleFilterTest, ADisabledFilterReportsAndMapsLikeItsSource)
{
    Make(120, 90);
    KOLVEX_OK(scale->SetScale(3.0, false));
    KOLVEX_OK(scale->Enable(false, false));
    EXPECT_EQ(Width(), 120);
    int32_t x = 10, y = 10;
    KOLVEX_OK(scale->FilterPoint(&x, &y, nullptr, 0));
    EXPECT_EQ(x, 10);
}

TEST_F(ScaleFilterTest, RefusesSettingsWithoutAResult)
{
    Make(120, 90);
    for (double bad : {0.0, -1.0, std::nan(""), static_cast<double>(INFINITY)}) {
        EXPECT_EQ(Deepest(scale->SetScale(bad, 1.0, true)), kKolvexErrBadSetting) << bad;
        EXPECT_EQ(Deepest(scale->SetScale(bad, true)), kKolvexErrBadSetting) << bad;
    }
    EXPECT_EQ(Deepest(scale->SetSize(-1, 10, true)), kKolvexErrBadSetting);
    EXPECT_TRUE(recorder.heard.empty());
    EXPECT_EQ(scale->GetScale(), 1.0);
}

// Targets up to the last tile that 32-bit coordinates can hold, along either
// axis and for every method, from a source whose extent has no common factor
// with them: the far tiles are made and hold the source's value. A target one
// pixel past that has no tiles: asking for one fails with an error chain.
TEST(ScaleExtremeTargets, FarTilesOfTheLargestTargetAndNoTilesPastIt)
{
    constexpr int32_t kSourceExtent = 4099;
    IVorlatManager* manager = MakeManager(1 << 22);
    const std::vector<uint8_t> pixels(kSourceExtent, 30);
    for (bool vertical : {false, true}) {
        IVorlatImage* image = vertical ? MakeImage(manager, 2, 1, kSourceExtent, pixels)
                                       : MakeImage(manager, 2, kSourceExtent, 1, pixels);
        int32_t side = 0, rowBytes = 0;
        KOLVEX_OK(image->GetTileSize(&side));
        KOLVEX_OK(image->GetRowBytes(&rowBytes));
        const int32_t largest = INT32_MAX / side * side;
        for (int method : {0, 1, 2}) {
            auto* scale = new CVorlatFilterScale(manager, method);
            KOLVEX_OK(VorlatDataConnect(image, scale));
            for (int32_t extent : {largest, largest + 1, INT32_MAX}) {
                KOLVEX_OK(vertical ? scale->SetSize(1, extent, false) : scale->SetSize(extent, 1, false));
                const int32_t last = (extent - 1) / side;
                void* data = nullptr;
                IVorlatError* err =
                    vertical ? scale->LockTile(&data, 0, last, nullptr) : scale->LockTile(&data, last, 0, nullptr);
                if (extent > largest) {
                    EXPECT_NE(Deepest(err), 0) << "method " << method << " extent " << extent;
                    continue;
                }
                ASSERT_EQ(Deepest(err), 0) << "method " << method << " vertical " << vertical;
                const int32_t at = extent - 1 - last * side;
                // Cubic weights are truncated and may lose a level on a flat source.
                EXPECT_NEAR(static_cast<uint8_t*>(data)[vertical ? at * rowBytes : at], 30, method == 2 ? 1 : 0)
                    << "method " << method << " vertical " << vertical;
                KOLVEX_OK(vertical ? scale->UnlockTile(0, last) : scale->UnlockTile(last, 0));
            }
            delete scale;
        }
        image->Destroy();
    }
    manager->Destroy();
}

TEST(ScaleStaticMappings, DegenerateSizesAndFactorsLeaveDefinedValues)
{
    int32_t x = 7, y = 9;
    CVorlatFilterScale::FilterPoint(&x, &y, 0, 0, 10, 10);
    EXPECT_EQ(x, 7);
    RECT r{1, 2, 3, 4};
    CVorlatFilterScale::DefilterRect(&r, 10, 10, 0, 0);
    EXPECT_EQ(r.right, 3);
    CVorlatFilterScale::DefilterPoint(&x, &y, 0.0, 0.0);
    EXPECT_EQ(x, INT32_MAX);
    // Large images map without 32-bit overflow.
    x = 60000;
    y = 40000;
    CVorlatFilterScale::FilterPoint(&x, &y, 60000, 40000, 50000, 50000);
    EXPECT_EQ(x, 50000);
    EXPECT_EQ(y, 50000);
}

} // namespace
