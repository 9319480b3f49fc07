// The unsharp mask kernels: every layout bit for bit against a slow scalar
// reference written from the rules (edge-repeated neighbourhoods, the plain and
// the MMX arithmetic, threshold, tone and hue ranges) on random images, planes,
// ranges and hues, through small and large tiles; the MMX intrinsics against
// their plain-code arithmetic; the worked examples of the sample formula; and
// the sharpening against a vips Gaussian blur within a documented tolerance.
#include <array>
#include <cmath>
#include <random>

#include "filters/UnsharpMaskFilter.h"
#include "filters/unsharp_kernels_impl.h"
#include "resample_test_util.h"

using namespace kolvex_test;
using unsharp::Params;

namespace {

class UsmProbe : public CUnsharpMaskFilter {
public:
    using CUnsharpMaskFilter::CUnsharpMaskFilter;
    const CKernelParams& KernelParams() const { return params_; }
};

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

struct Layout {
    int32_t colorSpace;
    int32_t channels;
    bool wide;
    uint32_t planes;  // channels the kernel may sharpen
    bool hue;
};

const Layout kLayouts[] = {{2, 1, false, 1, false}, {3, 1, true, 1, false},   {32, 3, false, 7, false},
                           {33, 3, true, 7, false}, {34, 4, false, 15, false}, {35, 3, true, 1, true},
                           {36, 3, true, 1, false}, {37, 3, true, 1, false}};

// The source as 16-bit samples, edges repeated.
struct Source {
    int32_t width, height, channels;
    std::vector<int32_t> v;
    int32_t At(int32_t x, int32_t y, int32_t c) const
    {
        x = std::clamp(x, 0, width - 1);
        y = std::clamp(y, 0, height - 1);
        return v[(static_cast<size_t>(y) * width + x) * channels + c];
    }
};

Source ToSource(const std::vector<uint8_t>& packed, int32_t width, int32_t height, const Layout& l)
{
    Source s{width, height, l.channels, {}};
    s.v.resize(static_cast<size_t>(width) * height * l.channels);
    for (size_t i = 0; i < s.v.size(); ++i)
        s.v[i] = static_cast<int32_t>(l.wide ? SampleAt(packed, true, i) : SampleAt(packed, false, i) * 257);
    return s;
}

// ---- The reference, written from the rules ----------------------------------------------

uint16_t W(const Params& p, int32_t i, int32_t j)
{
    const int32_t n = 2 * p.reach + 1;
    return p.kernel[static_cast<size_t>(i) * ((((n + 6) / 4) * 4) + 4) + 4 + j];
}

double RefMean(const Params& p, const Source& s, int32_t x, int32_t y, int32_t c, bool mmx)
{
    const int32_t r = p.reach, n = 2 * r + 1;
    if (p.maskMethod == 1) {
        uint64_t sum = 0;
        for (int32_t i = 0; i < n; ++i)
            for (int32_t j = 0; j < n; ++j)
                sum += static_cast<uint64_t>(s.At(x - r + j, y - r + i, c));
        return static_cast<double>(sum) * p.kernelScale;
    }
    if (!mmx) {
        double a = 0;
        for (int32_t i = 0; i < n; ++i) {
            uint32_t row = 0;
            for (int32_t j = 0; j < n; ++j)
                row += W(p, i, j) * static_cast<uint32_t>(s.At(x - r + j, y - r + i, c));
            a += row;
        }
        const uint32_t sum = p.kernelTotal <= 65536
                                 ? static_cast<uint32_t>((static_cast<uint64_t>(a) * 65536) / p.kernelTotal)
                                 : static_cast<uint32_t>(std::trunc(p.reciprocal * a / 4294967296.0));
        return sum / 65536.0;
    }
    uint64_t a = 0;
    for (int32_t i = 0; i < n; ++i) {
        uint32_t row = 0;
        for (int32_t j = 0; j < n; ++j)
            row += static_cast<uint32_t>(W(p, i, j) * (s.At(x - r + j, y - r + i, c) / 2));
        a += row;
    }
    const uint64_t half = p.kernelTotal <= 65536 ? (a * 65536) / p.kernelTotal
                                                 : static_cast<uint32_t>((a * p.reciprocal) / 4294967296ull);
    return static_cast<double>(2 * half) / 65536.0;
}

bool RefArc(int32_t x, int32_t lo, int32_t hi)
{
    if (lo > x)
        x += 65536;
    if (lo > hi)
        hi += 65536;
    return lo < x && x <= hi;
}

double RefHueWeight(const Params& p, int32_t h, int32_t chroma)
{
    if (p.fullRange || (p.coreOn && RefArc(h, p.coreLow, p.coreHigh)))
        return 1.0;
    const double f = chroma < 16384 ? chroma / 16384.0 : 1.0;
    const bool inLow = RefArc(h, p.cyclicLowStart, p.cyclicLowFull);
    const bool inHigh = RefArc(h, p.cyclicHighFull, p.cyclicHighEnd);
    const double low = ((p.cyclicLowStart > h ? h + 65536 : h) - p.cyclicLowStart) * p.lowSlope;
    const double high = (p.cyclicHighEnd + (h > p.cyclicHighEnd ? 65536 : 0) - h) * p.highSlope;
    if (inLow && inHigh)
        return f * (low == high ? high : (p.overlapTakesMax ? std::max(low, high) : std::min(low, high)));
    return inLow ? f * low : (inHigh ? f * high : 0.0);
}

// The 16-bit output of one sample.
int32_t RefSample(const Params& p, const Source& src, int32_t x, int32_t y, int32_t c, bool mmx, bool hue)
{
    const int32_t s = src.At(x, y, c);
    if (p.degenerate)
        return s;
    double weight = 1.0;
    if (!p.fullRange) {
        if (hue) {
            const int32_t h = src.At(x, y, 2);
            if (p.hueGate && !RefArc(h, p.gateLow, p.gateHigh))
                return s;
            weight = RefHueWeight(p, h, src.At(x, y, 1));
        } else {
            if (s < p.linearLowStart || s > p.linearHighEnd)
                return s;
            if (s < p.linearLowFull && s > p.linearHighFull)
                weight = std::min((s - p.linearLowStart) * p.lowSlope, (p.linearHighEnd - s) * p.highSlope);
            else if (s < p.linearLowFull)
                weight = (s - p.linearLowStart) * p.lowSlope;
            else if (s > p.linearHighFull)
                weight = (p.linearHighEnd - s) * p.highSlope;
        }
    }
    const double d = s - RefMean(p, src, x, y, c, mmx);
    const double t = p.threshold16;
    double power = p.power, moved = d;
    if (t > 0) {
        const double e = d < 0 ? d + t : d - t;
        const bool inside = d < 0 ? e > 0 : e < 0;
        if (p.affectNoise && inside)
            power = p.cappedPower;
        const double limit = p.affectNoise ? -d : 0.0;
        moved = d < 0 ? std::min(e, limit) : std::max(e, limit);
    }
    const double delta = moved * weight * power;
    const int32_t step = static_cast<int32_t>(delta >= 0 ? delta + 0.5 : delta - 0.5);
    return std::clamp(s + step, 0, 65535);
}

std::vector<uint8_t> RefImage(const Params& p, const Source& src, const Layout& l, bool mmx, uint32_t planeMask)
{
    std::vector<uint8_t> out(src.v.size() * (l.wide ? 2 : 1));
    for (int32_t y = 0; y < src.height; ++y) {
        for (int32_t x = 0; x < src.width; ++x) {
            for (int32_t c = 0; c < l.channels; ++c) {
                const bool sharpen = ((planeMask & l.planes) >> c) & 1;
                const int32_t v = sharpen ? RefSample(p, src, x, y, c, mmx, l.hue) : src.At(x, y, c);
                const size_t at = (static_cast<size_t>(y) * src.width + x) * l.channels + c;
                if (l.wide) {
                    const uint16_t w = static_cast<uint16_t>(v);
                    std::memcpy(&out[2 * at], &w, 2);
                } else {
                    out[at] = static_cast<uint8_t>(v >> 8);
                }
            }
        }
    }
    return out;
}

// ---- Running the filter ------------------------------------------------------------------

struct Settings {
    int32_t method = 0;
    double radius = 1.0;
    double power = 1.0;
    double threshold = 0.0;
    bool affectNoise = true;
    int32_t planeMask = -1;
    double range[4] = {0.0, 0.0, 1.0, 0.0};
    double parabolic = 2.0;
};

struct Result {
    std::vector<uint8_t> pixels;
    Params params;
    std::vector<uint16_t> weights;  // a copy: the filter owns its table
};

Result Sharpened(const Layout& l, int32_t width, int32_t height, const std::vector<uint8_t>& pixels, const Settings& s,
                 int32_t tileBytes, bool wholeRun)
{
    IVorlatManager* manager = MakeManager(tileBytes);
    IVorlatImage* image = MakeImage(manager, l.colorSpace, width, height, pixels);
    auto* usm = new UsmProbe(manager);
    EXPECT_EQ(Deepest(VorlatDataConnect(image, usm)), 0);
    EXPECT_EQ(Deepest(usm->SetMaskMethod(s.method, false)), 0);
    EXPECT_EQ(Deepest(usm->SetParabolicPower(s.parabolic, false)), 0);
    EXPECT_EQ(Deepest(usm->SetRadius(s.radius, false)), 0);
    EXPECT_EQ(Deepest(usm->SetPower(s.power, false)), 0);
    EXPECT_EQ(Deepest(usm->SetThreshold(s.threshold, false)), 0);
    EXPECT_EQ(Deepest(usm->SetAffectNoise(s.affectNoise, false)), 0);
    EXPECT_EQ(Deepest(usm->SetPlaneMask(s.planeMask, false)), 0);
    EXPECT_EQ(Deepest(usm->SetRange(s.range[0], s.range[1], s.range[2], s.range[3], false)), 0);
    Result out;
    out.pixels = wholeRun ? RunWhole(usm, manager, image) : ReadAll(usm);
    out.params = usm->KernelParams();
    if (out.params.kernel && out.params.maskMethod != 1) {
        const int32_t n = 2 * out.params.reach + 1;
        out.weights.assign(out.params.kernel, out.params.kernel + static_cast<size_t>(n) * unsharp::KernelStride(out.params.reach));
        out.params.kernel = out.weights.data();
    }
    delete usm;
    image->Destroy();
    manager->Destroy();
    return out;
}

std::vector<uint8_t> RandomImage(std::mt19937& rng, const Layout& l, int32_t width, int32_t height)
{
    std::vector<uint8_t> out(static_cast<size_t>(width) * height * l.channels * (l.wide ? 2 : 1));
    // Smooth areas, edges and noise: a gradient, a step and random texture.
    std::uniform_int_distribution<int> noise(-40, 40);
    for (int32_t y = 0; y < height; ++y) {
        for (int32_t x = 0; x < width; ++x) {
            for (int32_t c = 0; c < l.channels; ++c) {
                const double base = (x * 9 + y * 5 + c * 60) % 256 + (x > width / 2 ? 60 : 0) + noise(rng);
                const double v = std::clamp(base, 0.0, 255.0) / 255.0;
                const size_t at = (static_cast<size_t>(y) * width + x) * l.channels + c;
                if (l.wide) {
                    uint16_t w = static_cast<uint16_t>(v * 65535 + (rng() & 255));
                    if (l.hue && c == 1 && (x + y) % 5 == 0)
                        w = static_cast<uint16_t>(rng() % 3 == 0 ? 0 : rng() % 16384);  // grey and weak colours
                    std::memcpy(&out[2 * at], &w, 2);
                } else {
                    out[at] = static_cast<uint8_t>(v * 255);
                }
            }
        }
    }
    return out;
}

// Random settings over every layout, through small and large tiles and both
// ways of making tiles, on both paths: equal to the reference bit for bit.
TEST(UnsharpKernels, EveryLayoutMatchesTheReferenceBitForBit)
{
    std::mt19937 rng(20240611);
    const double ranges[][4] = {{0.0, 0.0, 1.0, 0.0},   {0.25, 0.1, 0.75, 0.1}, {0.1, 0.1, 1.05, 0.1},
                                {0.5, 0.2, 0.55, 0.2},  {0.9, 0.1, 1.1, 0.1},   {0.3, 0.0, 0.6, 0.05}};
    const struct {
        int32_t width, height;
    } sizes[] = {{33, 21}, {1, 19}, {14, 3}};
    int cases = 0, changedCases = 0;
    for (bool mmx : {false, true}) {
        MmxSwitch path(mmx);
        for (const Layout& l : kLayouts) {
            for (int round = 0; round < 6; ++round, ++cases) {
                Settings s;
                s.method = static_cast<int32_t>(rng() % 8) - 1;  // -1 to 6
                s.radius = std::array<double, 4>{0.6, 1.0, 1.7, 2.5}[rng() % 4];
                s.power = std::array<double, 4>{0.6, 1.0, 1.8, 3.0}[rng() % 4];
                s.threshold = std::array<double, 3>{0.0, 4.0, 12.0}[rng() % 3];
                s.affectNoise = (rng() & 1) != 0;
                s.planeMask = std::array<int32_t, 4>{-1, 2, 5, 6}[rng() % 4];
                const auto& range = ranges[rng() % 6];
                std::copy(std::begin(range), std::end(range), s.range);
                s.parabolic = std::array<double, 2>{2.0, 0.5}[rng() % 2];
                const auto& size = sizes[round % 3];
                const std::vector<uint8_t> pixels = RandomImage(rng, l, size.width, size.height);
                const Source src = ToSource(pixels, size.width, size.height, l);
                const int32_t tileBytes = round % 2 ? 600 : 16384;
                const Result got = Sharpened(l, size.width, size.height, pixels, s, tileBytes, round % 3 == 1);
                ASSERT_EQ(got.params.mmxWeights, mmx);
                changedCases += got.pixels != pixels;
                ASSERT_EQ(got.pixels, RefImage(got.params, src, l, mmx, static_cast<uint32_t>(s.planeMask)))
                    << "space " << l.colorSpace << " mmx " << mmx << " method " << s.method << " radius " << s.radius
                    << " power " << s.power << " threshold " << s.threshold << " noise " << s.affectNoise << " planes "
                    << s.planeMask << " range " << s.range[0] << "," << s.range[1] << "," << s.range[2] << ","
                    << s.range[3] << " " << size.width << "x" << size.height << " tiles " << tileBytes;
            }
        }
    }
    EXPECT_EQ(cases, 96);
    EXPECT_GT(changedCases, cases / 2);  // most settings do sharpen
}

// The row sums, folded for symmetric rows, fast and plain-code twins alike,
// equal each column's direct sum of products modulo 2^32 on both paths, with the largest weights and samples,
// with weights that the MMX path reads as negative, and with rows that are zero towards their ends (as a
// round mask's are) or zero between non-zero weights, which the fast form leaves out.
TEST(UnsharpKernels, RowSumsEqualTheDirectSumOfProducts)
{
    std::mt19937 rng(7);
    for (int32_t reach : {0, 1, 3, 8}) {
        const int32_t n = 2 * reach + 1, count = 37;
        for (bool mmx : {false, true}) {
            Params p{};
            p.reach = reach;
            p.mmxWeights = mmx;
            for (int round = 0; round < 40; ++round) {
                std::vector<uint16_t> w(static_cast<size_t>(n));
                for (int32_t j = 0; j <= reach; ++j) {
                    const uint16_t v = static_cast<uint16_t>(round == 0 ? 65535 : round == 1 ? 32768 : rng());
                    w[static_cast<size_t>(j)] = v;
                    w[static_cast<size_t>(n - 1 - j)] = round % 3 == 2 ? static_cast<uint16_t>(rng()) : v;
                }
                // Zero runs: the outer half of the weights, or every other one (the odd ones kept).
                for (int32_t j = 0; j < n; ++j) {
                    const int32_t fromCentre = j < reach ? reach - j : j - reach;
                    if ((round % 4 == 3 && 2 * fromCentre > reach) || (round % 8 == 5 && j % 2 == 0) ||
                        (round % 8 == 7 && j != reach))
                        w[static_cast<size_t>(j)] = 0;
                }
                bool symmetric = true;
                for (int32_t j = 0; j < n; ++j)
                    symmetric = symmetric && w[static_cast<size_t>(j)] == w[static_cast<size_t>(n - 1 - j)];
                // The fast form reads and writes whole groups of eight columns.
                std::vector<uint16_t> samples(static_cast<size_t>(count + n + 7));
                for (auto& v : samples)
                    v = static_cast<uint16_t>(round < 2 ? 65535 : rng());
                std::vector<uint32_t> sums(count + 8), plain(count), scratch(static_cast<size_t>(count + n + 8));
                unsharp::RowSums(p, w.data(), symmetric, samples.data(), count, sums.data(), scratch.data());
                unsharp::RowSumsPortable(p, w.data(), symmetric, samples.data(), count, plain.data(), scratch.data());
                for (int32_t x = 0; x < count; ++x) {
                    ASSERT_EQ(sums[static_cast<size_t>(x)], plain[static_cast<size_t>(x)]) << "column " << x;
                    uint32_t want = 0;
                    for (int32_t j = 0; j < n; ++j) {
                        const uint16_t s = samples[static_cast<size_t>(x + j)];
                        want += mmx ? static_cast<uint32_t>(static_cast<int16_t>(w[static_cast<size_t>(j)]) *
                                                            static_cast<int32_t>(s >> 1))
                                    : static_cast<uint32_t>(w[static_cast<size_t>(j)]) * s;
                    }
                    ASSERT_EQ(sums[static_cast<size_t>(x)], want)
                        << "reach " << reach << " mmx " << mmx << " round " << round << " column " << x;
                }
            }
        }
    }
}

// The two paths build different weights and the MMX one halves its samples:
// they may differ by a rounding step, and no more.
TEST(UnsharpKernels, ThePathsDifferByAtMostARoundingStep)
{
    std::mt19937 rng(3);
    for (const Layout& l : {kLayouts[2], kLayouts[3]}) {
        const std::vector<uint8_t> pixels = RandomImage(rng, l, 40, 30);
        for (int32_t method : {0, 3}) {
            Settings s;
            s.method = method;
            s.radius = 1.5;
            std::vector<uint8_t> outs[2];
            for (bool mmx : {false, true}) {
                MmxSwitch path(mmx);
                outs[mmx] = Sharpened(l, 40, 30, pixels, s, 16384, false).pixels;
            }
            EXPECT_LE(MaxDifference(outs[0], outs[1], l.wide), l.wide ? 40u : 1u) << l.colorSpace << " " << method;
        }
    }
}

// ---- Worked examples of the formula -------------------------------------------------------

Params FormulaParams(double threshold, bool affectNoise, double power = 1.0)
{
    Params p{};
    p.power = power;
    p.cappedPower = std::min(power, 1.0);
    p.threshold16 = threshold * 257.0;
    p.affectNoise = affectNoise;
    p.fullRange = true;
    return p;
}

TEST(UnsharpFormula, ThresholdAndAffectNoise)
{
    const int32_t s = 200 * 257;
    const struct {
        double threshold;
        bool affectNoise;
        double power;
        double difference;  // s - mean
        int32_t out;
    } cases[] = {
        {0, true, 1.0, 2570, (51400 + 2570)},       // (51400 + 2570) >> 8 = 210
        {10, false, 1.0, 2000, s},                   // inside the threshold: no change
        {10, false, 1.0, -2000, s},
        {10, false, 1.0, 3000, s + 430},             // beyond: shrinks by the threshold
        {10, true, 1.0, 1000, s - 1000},             // onto the mean
        {10, true, 1.0, -1000, s + 1000},
        {10, true, 1.0, 2000, s - 570},              // D - T
        {10, true, 0.5, 1000, s - 500},              // the power inside is capped... at 0.5 here
        {10, true, 3.0, 1000, s - 1000},             // ...and at 1 for a larger power
        {10, true, 3.0, 3000, s + 1290},             // beyond the threshold the full power applies
        {0, true, 2.0, 0.25, s + 1},                 // half away from zero
        {0, true, 2.0, -0.25, s - 1},
        {0, true, 100.0, 30000, 65535},              // clamped
    };
    for (const auto& c : cases) {
        const Params p = FormulaParams(c.threshold, c.affectNoise, c.power);
        EXPECT_EQ(unsharp::SharpenSample(p, s, s - c.difference, 1.0), c.out)
            << c.threshold << " " << c.affectNoise << " " << c.power << " " << c.difference;
    }
    EXPECT_EQ(unsharp::SharpenSample(FormulaParams(0, true), s, 190 * 257, 1.0) >> 8, 210);
}

TEST(UnsharpFormula, ToneShouldersAndHueWeights)
{
    Params p{};
    p.fullRange = false;
    p.linearLowStart = 13107;
    p.linearLowFull = 19661;
    p.linearHighEnd = 52429;
    p.linearHighFull = 45875;
    p.lowSlope = p.highSlope = 1.0 / 6554;
    EXPECT_DOUBLE_EQ(unsharp::LinearWeight(p, 16384), 0.5);
    EXPECT_DOUBLE_EQ(unsharp::LinearWeight(p, 30000), 1.0);
    EXPECT_DOUBLE_EQ(unsharp::LinearWeight(p, 49152), 0.5);

    p.cyclicLowStart = 13107;
    p.cyclicLowFull = 19661;
    p.cyclicHighEnd = 52429;
    p.cyclicHighFull = 45875;
    p.coreOn = true;
    p.coreLow = 19661;
    p.coreHigh = 45875;
    // A grey pixel has no hue worth sharpening: weight 0, unless its hue lies in the core.
    EXPECT_EQ(unsharp::GetHueWeight(p, 16384, 0), 0.0);
    EXPECT_EQ(unsharp::GetHueWeight(p, 30000, 0), 1.0);
    p.coreOn = false;
    EXPECT_EQ(unsharp::GetHueWeight(p, 30000, 0), 0.0);
    EXPECT_DOUBLE_EQ(unsharp::GetHueWeight(p, 16384, 8192), 0.25);  // half chroma, shoulder centre
    EXPECT_DOUBLE_EQ(unsharp::GetHueWeight(p, 16384, 40000), 0.5);
    EXPECT_TRUE(unsharp::InHueArc(100, 60000, 200));    // across the seam
    EXPECT_FALSE(unsharp::InHueArc(60000, 60000, 200)); // the arc is open at its start
    EXPECT_TRUE(unsharp::InHueArc(200, 60000, 200));
}

// ---- Whole images ---------------------------------------------------------------------------

TEST(UnsharpImages, PlaneMasksChooseTheChannels)
{
    std::mt19937 rng(11);
    const Layout grey = kLayouts[0], rgb = kLayouts[2];
    const std::vector<uint8_t> g = RandomImage(rng, grey, 30, 20);
    Settings s;
    s.power = 2.0;
    s.planeMask = 6;  // no bit 0
    EXPECT_EQ(Sharpened(grey, 30, 20, g, s, 16384, false).pixels, g);
    const std::vector<uint8_t> c = RandomImage(rng, rgb, 30, 20);
    s.planeMask = 2;
    const std::vector<uint8_t> out = Sharpened(rgb, 30, 20, c, s, 16384, false).pixels;
    size_t changed = 0;
    for (size_t i = 0; i < c.size(); ++i) {
        if (i % 3 != 1) {
            ASSERT_EQ(out[i], c[i]) << i;
        } else {
            changed += out[i] != c[i];
        }
    }
    EXPECT_GT(changed, 0u);
    // Channels 1 and 2 of the first-channel layouts are always copied.
    for (const Layout& l : {kLayouts[5], kLayouts[6], kLayouts[7]}) {
        const std::vector<uint8_t> in = RandomImage(rng, l, 30, 20);
        s.planeMask = -1;
        const std::vector<uint8_t> first = Sharpened(l, 30, 20, in, s, 16384, false).pixels;
        for (size_t i = 0; i < in.size() / 2; ++i) {
            if (i % 3 != 0) {
                ASSERT_EQ(SampleAt(first, true, i), SampleAt(in, true, i)) << l.colorSpace << " " << i;
            }
        }
    }
}

TEST(UnsharpImages, AFlatAreaStaysFlatOnBothPaths)
{
    const Layout rgb = kLayouts[2];
    const std::vector<uint8_t> flat(24 * 18 * 3, 137);
    for (bool mmx : {false, true}) {
        MmxSwitch path(mmx);
        for (int32_t method : {0, 1, 2, 5}) {
            Settings s;
            s.method = method;
            s.radius = 2.0;
            EXPECT_EQ(Sharpened(rgb, 24, 18, flat, s, 16384, false).pixels, flat) << mmx << " " << method;
        }
    }
}

// vips sharpens with a Gaussian blur of the same sigma; the filter's mean uses
// integer weights truncated from the same profile and a mask cut at three
// sigma. On a smooth image with an edge: mean difference at most 1 level, no
// sample more than 6 levels apart.
TEST(UnsharpImages, AgreesWithAVipsGaussianSharpening)
{
    if (!HaveTool("vips"))
        GTEST_SKIP() << "vips not installed";
    const int32_t width = 120, height = 80;
    std::vector<uint8_t> grey(static_cast<size_t>(width) * height);
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x)
            grey[static_cast<size_t>(y) * width + x] =
                static_cast<uint8_t>(60 + (x > 57 ? 90 : 0) + 40 * std::sin(x / 7.0) * std::cos(y / 11.0));
    const std::string in = ScratchPath("usm_in") + ".pgm", blur = ScratchPath("usm_blur") + ".v",
                      difference = ScratchPath("usm_difference") + ".v", sum = ScratchPath("usm_sum") + ".v",
                      out = ScratchPath("usm_out") + ".pgm";
    WritePnm(in, width, height, 1, false, grey);
    // in + (in - gaussblur(in)), cast back to bytes
    ASSERT_TRUE(RunTool("vips gaussblur " + in + " " + blur + " 2 --precision float && vips subtract " + in + " " +
                        blur + " " + difference + " && vips add " + in + " " + difference + " " + sum +
                        " && vips cast " + sum + " " + out + " uchar"));
    int32_t w = 0, h = 0;
    const std::vector<uint8_t> theirs = ReadPnm(out, &w, &h, 1, false);
    ASSERT_EQ(w, width);
    Settings s;
    s.radius = 2.0;
    const std::vector<uint8_t> ours = Sharpened(kLayouts[0], width, height, grey, s, 16384, false).pixels;
    EXPECT_LE(MeanDifference(ours, theirs, false), 1.0);
    EXPECT_LE(MaxDifference(ours, theirs, false), 6u);
    for (const std::string& file : {in, blur, difference, sum, out})
        std::remove(file.c_str());
}

} // namespace
