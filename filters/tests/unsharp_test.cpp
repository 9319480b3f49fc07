// The unsharp mask filter's settings, range limits, mask profiles, weight
// tables, changed rectangles and refusals.
#include <cmath>

#include "filters/UnsharpMaskFilter.h"
#include "filters/unsharp_kernels_impl.h"
#include "resample_test_util.h"

using namespace kolvex_test;

namespace {

// Opens the filter's protected parts to the tests.
class UsmProbe : public CUnsharpMaskFilter {
public:
    using CUnsharpMaskFilter::CUnsharpMaskFilter;
    const CKernelParams& Params() const { return params_; }
    IVorlatError* Generate() { return GenerateKernel(); }
    double Value(double distance) const { return GetValue(distance); }
    bool PassesThrough() const { return passThrough_; }
    bool CacheDirty() const { return cacheDirty_; }
    uint16_t Weight(int32_t i, int32_t j) const
    {
        return params_.kernel[static_cast<size_t>(i) * unsharp::KernelStride(params_.reach) + 4 + j];
    }
};

// Restores the processor's MMX answer when a test has forced a path.
class MmxSwitch {
public:
    // The processor test runs first, or the next filter made would overwrite the switch.
    explicit MmxSwitch(bool on) : saved_((unsharp::TestProcessor(), unsharp::Features().mmx))
    {
        unsharp::Features().mmx = on;
    }
    ~MmxSwitch() { unsharp::Features().mmx = saved_; }

private:
    bool saved_;
};

class UnsharpTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        manager = MakeManager(16384);
        source = MakeImage(manager, 32, 100, 80, Pattern(100 * 80 * 3, 2));
        usm = new UsmProbe(manager);
        KOLVEX_OK(VorlatDataConnect(source, usm));
        KOLVEX_OK(VorlatDataConnect(usm, &recorder));
    }
    void TearDown() override
    {
        delete usm;
        source->Destroy();
        manager->Destroy();
    }

    IVorlatManager* manager = nullptr;
    IVorlatImage* source = nullptr;
    UsmProbe* usm = nullptr;
    Recorder recorder;
};

TEST_F(UnsharpTest, StartsWithTheDocumentedDefaultsAndASevenBySevenTable)
{
    EXPECT_EQ(usm->GetFilterCode(), VorlatFourCC("usm "));
    EXPECT_STREQ(usm->GetFilterDescription(), "Unsharp Mask");
    EXPECT_TRUE(usm->Params().fullRange);
    EXPECT_EQ(usm->GetRadius(), 1.0);
    EXPECT_EQ(usm->GetMaskMethod(), 0);
    EXPECT_EQ(usm->GetPower(), 1.0);
    EXPECT_EQ(usm->GetThreshold(), 0.0);
    EXPECT_TRUE(usm->GetAffectNoise());
    EXPECT_EQ(usm->GetPlaneMask(), -1);
    EXPECT_EQ(usm->GetParabolicPower(), 2.0);
    EXPECT_FALSE(usm->PassesThrough());
    KOLVEX_OK(usm->Generate());
    EXPECT_EQ(usm->Params().reach, 3);
    EXPECT_EQ(unsharp::KernelStride(3), 16);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(usm->Params().kernel) % 8, 0u);
    double lc = -1, lw = -1, hc = -1, hw = -1;
    usm->GetRange(&lc, &lw, &hc, &hw);
    EXPECT_EQ(lc, 0.0);
    EXPECT_EQ(lw, 0.0);
    EXPECT_EQ(hc, 1.0);
    EXPECT_EQ(hw, 0.0);
}

TEST_F(UnsharpTest, RangeLimitsInSixteenBitSteps)
{
    KOLVEX_OK(usm->SetRange(0.25, 0.1, 0.75, 0.1, false));
    const auto& p = usm->Params();
    EXPECT_FALSE(p.fullRange);
    EXPECT_EQ(p.linearLowStart, 13107);
    EXPECT_EQ(p.linearLowFull, 19661);
    EXPECT_EQ(p.linearHighEnd, 52429);
    EXPECT_EQ(p.linearHighFull, 45875);
    EXPECT_DOUBLE_EQ(p.lowSlope, 1.0 / 6554);
    EXPECT_DOUBLE_EQ(p.highSlope, 1.0 / 6554);
    // A band inside the circle: the gate and the core both stand.
    EXPECT_TRUE(p.hueGate);
    EXPECT_TRUE(p.coreOn);
    EXPECT_EQ(p.gateLow, 13107);
    EXPECT_EQ(p.gateHigh, 52429);
    EXPECT_EQ(p.coreLow, 19661);
    EXPECT_EQ(p.coreHigh, 45875);
    // Only the exact default is full range, even where a range covers every value.
    KOLVEX_OK(usm->SetRange(0.0, 0.0, 1.0, 0.0, false));
    EXPECT_TRUE(usm->Params().fullRange);
    KOLVEX_OK(usm->SetRange(-0.5, 0.0, 1.5, 0.0, false));
    EXPECT_FALSE(usm->Params().fullRange);
}

// Where the shoulders meet across the circle's seam, the rules pick the gate,
// the core and which weight overlapping shoulders take.
TEST_F(UnsharpTest, HueArcsAcrossTheSeam)
{
    const struct {
        double lc, lw, hc, hw;
        bool gate, core;
        int takesMax;  // -1: never consulted
    } cases[] = {
        // The high end wraps past the low start: the low shoulder's start lies in the high one.
        {0.1, 0.1, 1.05, 0.1, false, true, 1},
        // Overlapping shoulders: the low one's full end lies in the high one.
        {0.5, 0.2, 0.55, 0.2, true, false, 0},
        // A band across the seam whose shoulders stay apart.
        {0.9, 0.1, 1.1, 0.1, true, true, -1},
    };
    for (const auto& c : cases) {
        KOLVEX_OK(usm->SetRange(c.lc, c.lw, c.hc, c.hw, false));
        const auto& p = usm->Params();
        EXPECT_EQ(p.hueGate, c.gate) << c.lc << " " << c.hc;
        EXPECT_EQ(p.coreOn, c.core) << c.lc << " " << c.hc;
        if (c.takesMax >= 0) {
            EXPECT_EQ(p.overlapTakesMax, c.takesMax == 1) << c.lc << " " << c.hc;
        }
    }
}

TEST_F(UnsharpTest, PowerAndPlaneMaskDecidePassThrough)
{
    KOLVEX_OK(usm->SetPower(0.0, false));
    EXPECT_TRUE(usm->PassesThrough());
    KOLVEX_OK(usm->SetPower(2.0, false));
    EXPECT_FALSE(usm->PassesThrough());
    EXPECT_EQ(usm->Params().cappedPower, 1.0);
    KOLVEX_OK(usm->SetPower(0.4, false));
    EXPECT_EQ(usm->Params().cappedPower, 0.4);
    KOLVEX_OK(usm->SetPlaneMask(0, false));
    EXPECT_TRUE(usm->PassesThrough());
    KOLVEX_OK(usm->SetPlaneMask(2, false));
    EXPECT_FALSE(usm->PassesThrough());
    KOLVEX_OK(usm->SetThreshold(10.0, false));
    EXPECT_EQ(usm->Params().threshold16, 2570.0);
    EXPECT_EQ(usm->GetThreshold(), 10.0);
}

TEST_F(UnsharpTest, SettersFollowTheIdiomAndTheParabolicPowerWaitsForItsMethod)
{
    KOLVEX_OK(usm->Generate());
    KOLVEX_OK(usm->SetRadius(1.0, true));  // equal: nothing
    EXPECT_TRUE(recorder.heard.empty());
    KOLVEX_OK(usm->SetRadius(2.0, true));
    ASSERT_EQ(recorder.Codes(), std::vector<int32_t>{kVorlatNotifyDataChanged});
    EXPECT_EQ(recorder.heard[0].rect.right, 100);
    EXPECT_EQ(recorder.heard[0].rect.bottom, 80);
    EXPECT_TRUE(usm->Params().kernelDirty);
    KOLVEX_OK(usm->Generate());
    recorder.heard.clear();
    KOLVEX_OK(usm->SetThreshold(3.0, true));
    KOLVEX_OK(usm->SetAffectNoise(false, true));
    KOLVEX_OK(usm->SetRange(0.1, 0.1, 0.9, 0.1, true));
    EXPECT_EQ(recorder.heard.size(), 3u);
    EXPECT_FALSE(usm->Params().kernelDirty);

    recorder.heard.clear();
    KOLVEX_OK(usm->SetParabolicPower(3.0, true));
    EXPECT_EQ(usm->GetParabolicPower(), 3.0);
    EXPECT_TRUE(recorder.heard.empty());
    EXPECT_FALSE(usm->Params().kernelDirty);
    KOLVEX_OK(usm->SetMaskMethod(5, false));
    KOLVEX_OK(usm->Generate());
    // The stored exponent shapes the new kernel: 1 - t^3 at t = 1/3.
    EXPECT_NEAR(usm->Value(1.0), 1.0 - std::pow(1.0 / 3.0, 3.0), 1e-12);
    KOLVEX_OK(usm->SetParabolicPower(2.0, true));
    EXPECT_EQ(recorder.heard.size(), 1u);
    EXPECT_TRUE(usm->Params().kernelDirty);
}

TEST_F(UnsharpTest, MaskProfiles)
{
    constexpr double kPi = 3.14159265358979323846;
    KOLVEX_OK(usm->SetRadius(2.0, false));
    const struct {
        int32_t method;
        double distance, value;
    } cases[] = {
        {0, 0.0, 1.0},  {0, 2.0, std::exp(-0.5)}, {1, 7.0, 1.0},  {2, 1.5, 0.5},
        {2, 3.5, 0.0},  {3, 1.5, 0.5},            {3, 0.75, 0.5 * (std::cos(kPi * 0.25) + 1)},
        {4, 3.0, 0.0},  {4, 0.0, 1.0},            {4, 1.5, std::sin(kPi * 0.75)}, {5, 1.5, 0.75},
        {6, 2.9, 1.0},  {6, 3.1, 0.0},            {-2, 1.0, 1.0},
    };
    for (const auto& c : cases) {
        KOLVEX_OK(usm->SetMaskMethod(c.method, false));
        EXPECT_NEAR(usm->Value(c.distance), c.value, 1e-12) << c.method << " at " << c.distance;
    }
}

// The table written out from the profile: the scale from the centre row's sum
// and the path's limit, its three low bits cleared, each weight truncated.
TEST_F(UnsharpTest, WeightTablesFollowThePathsLimits)
{
    for (bool mmx : {false, true}) {
        MmxSwitch path(mmx);
        for (int32_t method : {0, 2, 3, 4, 5, 7}) {
            for (double radius : {0.7, 1.0, 2.5}) {
                KOLVEX_OK(usm->SetMaskMethod(method, false));
                KOLVEX_OK(usm->SetRadius(radius, false));
                KOLVEX_OK(usm->Generate());
                const auto& p = usm->Params();
                const int32_t r = p.reach, n = 2 * r + 1;
                EXPECT_EQ(r, static_cast<int32_t>(method == 0 ? std::ceil(radius * 3) : std::ceil(radius)));
                double rowSum = 0;
                for (int32_t j = 0; j < n; ++j)
                    rowSum += usm->Value(std::sqrt(static_cast<double>((j - r) * (j - r))));
                const int32_t scale = static_cast<int32_t>((mmx ? 131071.0 : 65535.0) / std::max(rowSum, mmx ? 4.0 : 1.0)) & ~7;
                int64_t total = 0;
                for (int32_t i = 0; i < n; ++i) {
                    for (int32_t j = 0; j < n; ++j) {
                        const double v = usm->Value(std::sqrt(static_cast<double>((i - r) * (i - r) + (j - r) * (j - r))));
                        ASSERT_EQ(usm->Weight(i, j), static_cast<uint16_t>(static_cast<int32_t>(scale * v)));
                        total += usm->Weight(i, j);
                    }
                }
                EXPECT_EQ(p.kernelTotal, total);
                EXPECT_EQ(usm->Weight(r, r), scale);
                EXPECT_LE(scale, mmx ? 32760 : 65528);
                // The padding around each row is zero.
                const int32_t stride = unsharp::KernelStride(r);
                for (int32_t i = 0; i < n; ++i) {
                    for (int32_t e = 0; e < 4; ++e)
                        EXPECT_EQ(p.kernel[static_cast<size_t>(i) * stride + e], 0);
                    for (int32_t e = 4 + n; e < stride; ++e)
                        EXPECT_EQ(p.kernel[static_cast<size_t>(i) * stride + e], 0);
                }
                if (total > 65536) {
                    EXPECT_EQ(p.reciprocal, static_cast<uint32_t>(std::ceil(281474976710656.0 / total)));
                }
                EXPECT_TRUE(p.mmxWeights == mmx);
            }
        }
    }
}

TEST_F(UnsharpTest, ABoxBuildsNoWeights)
{
    KOLVEX_OK(usm->SetMaskMethod(1, false));
    KOLVEX_OK(usm->SetRadius(2.0, false));
    KOLVEX_OK(usm->Generate());
    EXPECT_EQ(usm->Params().reach, 2);
    EXPECT_DOUBLE_EQ(usm->Params().kernelScale, 1.0 / 25);
}

TEST_F(UnsharpTest, DegenerateMasksCopy)
{
    KOLVEX_OK(usm->SetRadius(0.0, false));
    KOLVEX_OK(usm->Generate());
    EXPECT_TRUE(usm->Params().degenerate);
    KOLVEX_OK(usm->SetRadius(1.0, false));
    KOLVEX_OK(usm->SetMaskMethod(5, false));
    KOLVEX_OK(usm->SetParabolicPower(-1.0, false));
    KOLVEX_OK(usm->Generate());
    EXPECT_TRUE(usm->Params().degenerate);
    KOLVEX_OK(usm->SetPower(3.0, false));
    EXPECT_EQ(ReadAll(usm), ReadAll(source));
}

TEST_F(UnsharpTest, ChangedRectanglesGrowByTheReach)
{
    const struct {
        int32_t method;
        double radius;
        RECT in, out;
    } cases[] = {
        {0, 3.0, {20, 30, 25, 35}, {8, 18, 37, 47}},
        {0, 3.0, {5, 2, 96, 79}, {0, 0, 100, 80}},
        {2, 3.0, {20, 30, 25, 35}, {17, 27, 28, 38}},
        {1, 0.5, {0, 0, 1, 1}, {0, 0, 2, 2}},
    };
    for (const auto& c : cases) {
        KOLVEX_OK(usm->SetMaskMethod(c.method, false));
        KOLVEX_OK(usm->SetRadius(c.radius, false));
        recorder.heard.clear();
        KOLVEX_OK(VorlatSendDataNotification(source, kVorlatNotifyDataChanged, const_cast<RECT*>(&c.in)));
        ASSERT_EQ(recorder.Codes(), std::vector<int32_t>{kVorlatNotifyDataChanged});
        const RECT& got = recorder.heard[0].rect;
        EXPECT_EQ(got.left, c.out.left);
        EXPECT_EQ(got.top, c.out.top);
        EXPECT_EQ(got.right, c.out.right);
        EXPECT_EQ(got.bottom, c.out.bottom);
    }
    // A disabled filter passes the rectangle on unchanged.
    KOLVEX_OK(usm->Enable(false, false));
    recorder.heard.clear();
    RECT r{20, 30, 25, 35};
    KOLVEX_OK(VorlatSendDataNotification(source, kVorlatNotifyDataChanged, &r));
    ASSERT_EQ(recorder.heard.size(), 1u);
    EXPECT_EQ(recorder.heard[0].rect.left, 20);
}

TEST_F(UnsharpTest, RefusesSettingsWithoutAResult)
{
    EXPECT_EQ(Deepest(usm->SetRadius(-1.0, true)), kKolvexErrBadSetting);
    EXPECT_EQ(Deepest(usm->SetRadius(std::nan(""), true)), kKolvexErrBadSetting);
    EXPECT_EQ(Deepest(usm->SetRadius(1e6, true)), kKolvexErrBadSetting);
    EXPECT_EQ(Deepest(usm->SetPower(static_cast<double>(INFINITY), true)), kKolvexErrBadSetting);
    EXPECT_EQ(Deepest(usm->SetThreshold(std::nan(""), true)), kKolvexErrBadSetting);
    EXPECT_EQ(Deepest(usm->SetParabolicPower(std::nan(""), true)), kKolvexErrBadSetting);
    EXPECT_EQ(Deepest(usm->SetRange(0.1, std::nan(""), 0.9, 0.1, true)), kKolvexErrBadSetting);
    EXPECT_TRUE(recorder.heard.empty());
    EXPECT_EQ(usm->GetRadius(), 1.0);
    EXPECT_TRUE(usm->Params().fullRange);
}

TEST(UnsharpLayouts, RawMosaicAndOneBitHaveNoKernel)
{
    IVorlatManager* manager = MakeManager(4096);
    for (int32_t colorSpace : {64, 1}) {
        const int32_t bits = IVorlatDataSource::GetBitsPerPixel(colorSpace);
        IVorlatImage* image = MakeImage(manager, colorSpace, 16, 16, Pattern(16 * 16 * bits / 8));
        auto* usm = new CUnsharpMaskFilter(manager);
        KOLVEX_OK(VorlatDataConnect(image, usm));
        void* data = nullptr;
        EXPECT_EQ(DeepestText(usm->LockTile(&data, 0, 0, nullptr)), kKolvexBadSourceSpace) << colorSpace;
        // Still invalid: a second request tries again and fails again.
        EXPECT_EQ(DeepestText(usm->LockTile(&data, 0, 0, nullptr)), kKolvexBadSourceSpace) << colorSpace;
        delete usm;
        image->Destroy();
    }
    manager->Destroy();
}

TEST(UnsharpProcessor, TheMmxFlagFollowsCpuid)
{
    unsharp::TestProcessor();
    EXPECT_TRUE(unsharp::Features().tested);
#if defined(__i386__) || defined(__x86_64__)
    EXPECT_TRUE(unsharp::Features().mmx);  // every processor these builds run on
#endif
}

} // namespace
