// The demosaic base: output geometry, crop, curves and tone tables, the fold
// of the source reader, the coordinate mapping and the refusals.
#include <cmath>

#include "app/core/demosaic/debayer_single.h"
#include "app/core/demosaic/demosaic_kernel_impl.h"
#include "app/core/demosaic/tests/demosaic_test_util.h"

using namespace demosaic_test;

namespace {

class DeBayerBaseTest : public ::testing::Test {
protected:
    void SetUp() override { manager = MakeManager(16384); }
    void TearDown() override { manager->Destroy(); }
    IVorlatManager* manager = nullptr;
};

TEST_F(DeBayerBaseTest, OutputSizeFollowsMarginsResamplingAndCrop)
{
    struct Case {
        int32_t width, height;
        bool resample;
        RECT crop;
        int32_t outWidth, outHeight;
        RECT stored;
    } cases[] = {
        {2012, 1324, false, {0, 0, 0, 0}, 2000, 1312, {0, 0, 2000, 1312}},
        {4028, 1324, true, {0, 0, 0, 0}, 3012, 1968, {0, 0, 3012, 1968}},
        {13, 13, false, {0, 0, 0, 0}, 1, 1, {0, 0, 1, 1}},
        // Larger than the output: clipped to it.
        {2012, 1324, false, {-50, -40, 3000, 2000}, 2000, 1312, {0, 0, 2000, 1312}},
        // Sticking out on the right and below: moved back inside, size kept.
        {2012, 1324, false, {1900, 1250, 2100, 1350}, 200, 100, {1800, 1212, 2000, 1312}},
        {4028, 1324, true, {100, 200, 400, 300}, 300, 100, {100, 200, 400, 300}},
        // Not a rectangle: the whole output.
        {2012, 1324, false, {50, 50, 50, 80}, 2000, 1312, {0, 0, 2000, 1312}},
    };
    for (const Case& c : cases) {
        CDeBayerSingleFilter filter(manager);
        const RECT source{0, 0, c.width, c.height};
        DEMOSAIC_OK(filter.SetResample(c.resample, &source, false));
        DEMOSAIC_OK(filter.SetCropRect(c.crop, &source, false));
        int32_t w = 0, h = 0;
        DEMOSAIC_OK(filter.GetOutputSize(c.width, c.height, &w, &h));
        EXPECT_EQ(w, c.outWidth) << c.width << "x" << c.height;
        EXPECT_EQ(h, c.outHeight) << c.width << "x" << c.height;
        const RECT& stored = filter.GetCropRect();
        EXPECT_EQ(stored.left, c.stored.left);
        EXPECT_EQ(stored.top, c.stored.top);
        EXPECT_EQ(stored.right, c.stored.right);
        EXPECT_EQ(stored.bottom, c.stored.bottom);
    }
}

TEST_F(DeBayerBaseTest, ResamplingResetsTheCrop)
{
    CDeBayerSingleFilter filter(manager);
    const RECT source{0, 0, 2012, 1324};
    DEMOSAIC_OK(filter.SetCropRect(RECT{10, 10, 110, 60}, &source, false));
    DEMOSAIC_OK(filter.SetResample(true, &source, false));
    EXPECT_EQ(filter.GetCropRect().right, 1500);
    EXPECT_EQ(filter.GetCropRect().bottom, 1968);
}

TEST_F(DeBayerBaseTest, MosaicsWithoutOutputAreRefused)
{
    struct Case {
        int32_t width, height;
        bool resample;
    } cases[] = {{12, 100, false}, {100, 12, false}, {0, 0, false}, {-5, 40, false}, {13, 13, true}, {100, 1, true}};
    for (const Case& c : cases) {
        CDeBayerSingleFilter filter(manager);
        DEMOSAIC_OK(filter.SetResample(c.resample, nullptr, false));
        int32_t w = -1, h = -1;
        EXPECT_EQ(Deepest(filter.GetOutputSize(c.width, c.height, &w, &h)), kVorlatErrArrayTooSmall)
            << c.width << "x" << c.height;
    }
    // Buffers that do not hold the rows they are said to.
    {
        CDeBayerSingleFilter filter(manager);
        std::vector<uint16_t> in(40 * 30), out(28 * 18 * 3);
        EXPECT_EQ(Deepest(filter.DemosaicBuffer(in.data(), 40, 30, 39, out.data(), 28 * 6)), kVorlatErrArrayTooSmall);
        EXPECT_EQ(Deepest(filter.DemosaicBuffer(in.data(), 40, 30, 40, out.data(), 27 * 6)), kVorlatErrArrayTooSmall);
        EXPECT_EQ(Deepest(filter.DemosaicBuffer(nullptr, 40, 30, 40, out.data(), 28 * 6)), kVorlatErrArrayTooSmall);
        DEMOSAIC_OK(filter.DemosaicBuffer(in.data(), 40, 30, 40, out.data(), 28 * 6));
    }
    // Connected to a 12 x 12 mosaic: no size, no process run.
    Mosaic small;
    small.width = small.height = 12;
    small.samples.assign(144, 100);
    IVorlatImage* image = MakeImage(manager, small);
    IVorlatImage* target = nullptr;
    DEMOSAIC_OK(manager->CreateImage(&target, kVorlatUsageKeep));
    {
        CDeBayerSingleFilter filter(manager);
        DEMOSAIC_OK(VorlatDataConnect(image, &filter));
        int32_t width = 0;
        EXPECT_EQ(Deepest(filter.GetWidth(&width)), kVorlatErrArrayTooSmall);
        const IVorlatDataSource* sources[] = {image};
        EXPECT_EQ(Deepest(filter.Process(sources, 1, target)), kVorlatErrArrayTooSmall);
        DEMOSAIC_OK(VorlatDataDisconnect(image, &filter));
    }
    target->Destroy();
    image->Destroy();
}

TEST_F(DeBayerBaseTest, SourceOfAnotherColourSpaceIsRefused)
{
    Mosaic m = Scene(40, 40);
    IVorlatImage* image = MakeImage(manager, m, 3);
    {
        CDeBayerSingleFilter filter(manager);
        DEMOSAIC_OK(VorlatDataConnect(image, &filter));
        int32_t space = 0;
        EXPECT_EQ(DeepestText(filter.GetColorSpace(&space)), kKolvexBadSourceSpace);
        DEMOSAIC_OK(VorlatDataDisconnect(image, &filter));
    }
    image->Destroy();
}

// Records the notifications that reach it.
class Recorder : public IVorlatDataDestination {
public:
    ~Recorder() override = default;
    IVorlatError* VorlatNotify(const IVorlatDataSource*, int32_t code, void* param) override
    {
        codes.push_back(code);
        if (code == kVorlatNotifySize)
            sizes.push_back(*static_cast<IVorlatDataDestination::ChangeSize*>(param));
        if (code == kVorlatNotifyColorSpace)
            spaces.push_back(*static_cast<IVorlatDataDestination::ChangeColorSpace*>(param));
        return nullptr;
    }
    std::vector<int32_t> codes;
    std::vector<IVorlatDataDestination::ChangeSize> sizes;
    std::vector<IVorlatDataDestination::ChangeColorSpace> spaces;
};

TEST_F(DeBayerBaseTest, NotificationsCarryTheOutputsSizesAndColourSpace)
{
    Mosaic m = Scene(112, 72);
    IVorlatImage* image = MakeImage(manager, m);
    {
        CDeBayerSingleFilter filter(manager);
        Recorder recorder;
        DEMOSAIC_OK(VorlatDataConnect(image, &filter));
        DEMOSAIC_OK(VorlatDataConnect(&filter, &recorder));
        auto size = [&](size_t i) {
            const auto& s = recorder.sizes.at(i);
            return std::vector<int32_t>{s.oldWidth, s.oldHeight, s.newWidth, s.newHeight};
        };
        // The source grows: the destinations hear the output's sizes.
        DEMOSAIC_OK(image->SetSize(212, 72));
        EXPECT_EQ(size(0), (std::vector<int32_t>{100, 60, 200, 60}));
        DEMOSAIC_OK(filter.SetResample(true, nullptr, true));
        EXPECT_EQ(size(1), (std::vector<int32_t>{200, 60, 150, 90}));
        // Within a crop (resampling set the crop to the whole output of then).
        DEMOSAIC_OK(filter.SetCropRect(RECT{10, 10, 60, 50}, nullptr, true));
        EXPECT_EQ(recorder.codes.back(), kVorlatNotifyUpdateAll);
        DEMOSAIC_OK(image->SetSize(112, 72));
        EXPECT_EQ(size(2), (std::vector<int32_t>{50, 40, 50, 40}));
        const uint16_t curve[2] = {0, 4095};
        DEMOSAIC_OK(filter.SetCurves(1, 12, curve, curve, curve, true));
        EXPECT_EQ(recorder.codes.back(), kVorlatNotifyDataChanged);
        DEMOSAIC_OK(image->SetColorSpace(3));
        ASSERT_EQ(recorder.spaces.size(), 1u);
        EXPECT_EQ(recorder.spaces[0].oldColorSpace, kDeBayerOutputColorSpace);
        EXPECT_EQ(recorder.spaces[0].newColorSpace, 3);
        // Disabled, the filter passes its source's notifications on as they are.
        DEMOSAIC_OK(filter.Enable(false, false));
        DEMOSAIC_OK(image->SetColorSpace(64));
        EXPECT_EQ(recorder.spaces.at(1).newColorSpace, 64);
        DEMOSAIC_OK(VorlatDataDisconnect(&filter, &recorder));
        DEMOSAIC_OK(VorlatDataDisconnect(image, &filter));
    }
    image->Destroy();
}

TEST(DeBayerToneTable, IsMonotonicFromZeroToTheTopCodedValue)
{
    const uint32_t* tone = CDeBayerBase::GetToneTable();
    EXPECT_EQ(tone[0], 0u);
    EXPECT_EQ(tone[4095], 262143u);
    for (int32_t i = 1; i < 4096; ++i)
        ASSERT_GT(tone[i], tone[i - 1]) << i;
    // The linear foot and the joins of the three pieces.
    const double k = 1.01293447811977 * std::pow(1.9850875759661308, 0.251208307518091);
    EXPECT_EQ(tone[79], static_cast<uint32_t>(79 / 720.0 * 262143 / k));
    EXPECT_EQ(tone[80], static_cast<uint32_t>((1.1574731385332 * std::sqrt(80 / 1800.0) - 0.133974462796743) * 262143 / k));
    EXPECT_EQ(tone[900], static_cast<uint32_t>(1.01293447811977 * std::pow(0.5 - 0.289912424033869, 0.251208307518091) *
                                               262143 / k));
}

TEST_F(DeBayerBaseTest, ChannelTablesFoldTheCurveInFrontOfTheToneCurve)
{
    const uint32_t* tone = CDeBayerBase::GetToneTable();
    std::vector<uint16_t> identity(4096), half(4096), high(4096, 65535);
    for (int32_t i = 0; i < 4096; ++i) {
        identity[i] = static_cast<uint16_t>(i);
        half[i] = static_cast<uint16_t>(i / 2);
    }
    CDeBayerSingleFilter filter(manager);
    // Values of 16 bits under an 8-bit output range go to the top of the table, not past it.
    DEMOSAIC_OK(filter.SetCurves(12, 12, identity.data(), half.data(), nullptr, false));
    for (int32_t i = 0; i < 4096; i += 5) {
        ASSERT_EQ(filter.GetChannelTable(0)[i], tone[i]) << i;
        ASSERT_EQ(filter.GetChannelTable(1)[i], tone[i / 2]) << i;
        ASSERT_EQ(filter.GetChannelTable(2)[i], tone[i]) << i;
    }
    DEMOSAIC_OK(filter.SetCurves(12, 8, nullptr, nullptr, high.data(), false));
    EXPECT_EQ(filter.GetChannelTable(0), tone);
    EXPECT_EQ(filter.GetChannelTable(2)[0], 262143u);
    EXPECT_EQ(filter.GetChannelTable(2)[4095], 262143u);
    // A 1-bit curve interpolates across the whole range.
    const uint16_t ramp[2] = {0, 4095};
    DEMOSAIC_OK(filter.SetCurves(1, 12, nullptr, ramp, nullptr, false));
    EXPECT_EQ(filter.GetChannelTable(1)[4095], 262143u);
    EXPECT_EQ(filter.GetChannelTable(1)[2047], tone[2047]);
    // All null: every channel back on the shared tone table.
    DEMOSAIC_OK(filter.SetCurves(12, 12, nullptr, nullptr, nullptr, false));
    for (int32_t c = 0; c < 3; ++c)
        EXPECT_EQ(filter.GetChannelTable(c), tone);
}

TEST_F(DeBayerBaseTest, MalformedCurveBitSizesAreRefusedAndChangeNothing)
{
    std::vector<uint16_t> curve(1 << 16, 7);
    CDeBayerSingleFilter filter(manager);
    DEMOSAIC_OK(filter.SetCurves(12, 12, curve.data(), nullptr, nullptr, false));
    const uint32_t before = filter.GetChannelTable(0)[100];
    struct Case {
        int32_t inBits, outBits;
    } cases[] = {{17, 12}, {12, 17}, {-1, 12}, {12, -3}, {0, 12}, {12, 0}, {0, 0}};
    for (const Case& c : cases) {
        EXPECT_EQ(Deepest(filter.SetCurves(c.inBits, c.outBits, curve.data(), curve.data(), nullptr, false)),
                  kDeBayerErrBadBits)
            << c.inBits << " " << c.outBits;
        EXPECT_EQ(filter.GetChannelTable(0)[100], before);
        EXPECT_EQ(filter.GetChannelTable(1), CDeBayerBase::GetToneTable());
    }
    // Without curves the bit sizes do not matter as long as they are in range.
    DEMOSAIC_OK(filter.SetCurves(0, 0, nullptr, nullptr, nullptr, false));
    DEMOSAIC_OK(filter.SetCurves(16, 16, curve.data(), nullptr, nullptr, false));
}

TEST(DeBayerFold, RepeatsTheEdgeSampleOfTheSameColour)
{
    struct Case {
        int32_t v, size, folded;
    } cases[] = {{-1, 20, 1}, {-2, 20, 0}, {-3, 20, 1}, {-12, 20, 0}, {20, 20, 18}, {21, 20, 19},
                 {22, 20, 18}, {33, 20, 19}, {0, 20, 0}, {19, 20, 19}, {-1, 13, 1}, {13, 13, 11},
                 {INT32_MIN, 20, 0}, {INT32_MAX, 20, 19}};
    for (const Case& c : cases)
        EXPECT_EQ(demosaic::FoldMosaic(c.v, c.size), c.folded) << c.v;
}

TEST_F(DeBayerBaseTest, TileReaderFoldsLikeTheBufferReaderAcrossTiles)
{
    // 200 samples across: more than two source tiles of 16384 bytes.
    Mosaic m = Scene(200, 190);
    IVorlatImage* image = MakeImage(manager, m);
    demosaic::CBufferRows buffer(m.samples.data(), m.width, m.height, m.width);
    std::vector<uint16_t> a(260), b(260);
    {
        demosaic::CTileRows tiles(image);
        for (int32_t y : {-5, -1, 0, 1, 89, 90, 91, 188, 189, 190, 194}) {
            for (int32_t x : {-30, -1, 0, 50, 85}) {
                const int32_t count = (y & 1) ? 260 : 150 - x;
                DEMOSAIC_OK(buffer.Read(y, x, count, a.data()));
                DEMOSAIC_OK(tiles.Read(y, x, count, b.data()));
                for (int32_t i = 0; i < count; ++i)
                    ASSERT_EQ(a[i], b[i]) << "row " << y << " column " << x + i;
            }
        }
        EXPECT_EQ(buffer.Read(-1, -1, 1, a.data()), nullptr);
        EXPECT_EQ(a[0], m.at(1, 1));
        DEMOSAIC_OK(buffer.Read(0, m.width, 1, a.data()));
        EXPECT_EQ(a[0], m.at(m.width - 2, 0));
        DEMOSAIC_OK(tiles.Release());
    }
    image->Destroy();
}

TEST_F(DeBayerBaseTest, PointsMapOutAndBackUpToRounding)
{
    for (bool resample : {false, true}) {
        for (bool crop : {false, true}) {
            CDeBayerSingleFilter filter(manager);
            const RECT source{0, 0, 2012, 1324};
            DEMOSAIC_OK(filter.SetResample(resample, &source, false));
            if (crop) {
                DEMOSAIC_OK(filter.SetCropRect(RECT{37, 101, 900, 700}, &source, false));
            }
            for (int32_t x : {6, 7, 8, 100, 1001, 2005}) {
                for (int32_t y : {6, 9, 500, 1317}) {
                    double dx = x, dy = y;
                    DEMOSAIC_OK(filter.FilterPoint(&dx, &dy, nullptr, 0));
                    DEMOSAIC_OK(filter.DefilterPoint(&dx, &dy, nullptr, 0));
                    EXPECT_NEAR(dx, x, 1e-9);
                    EXPECT_NEAR(dy, y, 1e-9);
                    int32_t ix = x, iy = y;
                    DEMOSAIC_OK(filter.FilterPoint(&ix, &iy, nullptr, 0));
                    DEMOSAIC_OK(filter.DefilterPoint(&ix, &iy, nullptr, 0));
                    EXPECT_LE(std::abs(ix - x), 1) << x << "," << y;
                    EXPECT_LE(std::abs(iy - y), 1) << x << "," << y;
                }
            }
            int32_t ix = 100, iy = 200;
            DEMOSAIC_OK(filter.DefilterPoint(&ix, &iy, nullptr, 0));
            EXPECT_EQ(ix, (resample ? static_cast<int32_t>((100 + (crop ? 37 : 0)) / 0.75) : 100 + (crop ? 37 : 0)) + 6);
            EXPECT_EQ(iy, (resample ? static_cast<int32_t>((200 + (crop ? 101 : 0)) / 1.5) : 200 + (crop ? 101 : 0)) + 6);
        }
    }
    // A disabled filter passes its source through, and so do its mappings;
    // positions near the ends of the range stop there.
    CDeBayerSingleFilter filter(manager);
    DEMOSAIC_OK(filter.SetResample(true, nullptr, false));
    int32_t x = INT32_MAX, y = INT32_MIN;
    DEMOSAIC_OK(filter.DefilterPoint(&x, &y, nullptr, 0));
    EXPECT_EQ(x, INT32_MAX);
    EXPECT_EQ(y, static_cast<int32_t>(INT32_MIN / 1.5) + 6);
    DEMOSAIC_OK(filter.Enable(false, false));
    x = 50;
    y = 60;
    DEMOSAIC_OK(filter.DefilterPoint(&x, &y, nullptr, 0));
    DEMOSAIC_OK(filter.FilterPoint(&x, &y, nullptr, 0));
    EXPECT_EQ(x, 50);
    EXPECT_EQ(y, 60);
}

TEST(DeBayerOutput, CodedValuesAreClampedAndBroughtToSixteenBits)
{
    struct Case {
        int32_t coded;
        uint16_t out;
    } cases[] = {{-300000, 0}, {-1, 0}, {0, 0}, {3, 0}, {4, 1}, {262143, 65535}, {262144, 65535}, {INT32_MAX, 65535}};
    for (const Case& c : cases)
        EXPECT_EQ(demosaic::ToOutput(c.coded), c.out) << c.coded;
}

} // namespace
