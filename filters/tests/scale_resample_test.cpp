// The scale filter's pixels: the worked examples, every method against a slow
// whole-image reference written from the resampling rules (global positions
// and coverages, no incremental state, no tiles), through several tile sizes
// and both ways of making tiles, and independent checks against libvips.
#include <cmath>
#include <numeric>

#include "filters/VorlatFilterScale.h"
#include "filters/scale_resample_impl.h"
#include "resample_test_util.h"

using namespace kolvex_test;
using namespace scale_resample;

namespace {

struct Layout {
    int32_t colorSpace;
    int32_t channels;
    bool wide;
};

const Layout kLayouts[] = {{2, 1, false}, {3, 1, true}, {32, 3, false}, {33, 3, true}, {34, 4, false}, {38, 3, false}};

// Packed samples as numbers, one per channel, row by row.
struct Plane {
    int32_t width = 0, height = 0, channels = 0;
    std::vector<int64_t> v;
    int64_t At(int32_t x, int32_t y, int32_t c) const
    {
        x = std::clamp(x, 0, width - 1);
        y = std::clamp(y, 0, height - 1);
        return v[(static_cast<size_t>(y) * width + x) * channels + c];
    }
};

Plane ToPlane(const std::vector<uint8_t>& packed, int32_t width, int32_t height, const Layout& l)
{
    Plane p{width, height, l.channels, {}};
    p.v.resize(static_cast<size_t>(width) * height * l.channels);
    for (size_t i = 0; i < p.v.size(); ++i)
        p.v[i] = SampleAt(packed, l.wide, i);
    return p;
}

std::vector<uint8_t> ToPacked(const Plane& p, bool wide)
{
    std::vector<uint8_t> out(p.v.size() * (wide ? 2 : 1));
    for (size_t i = 0; i < p.v.size(); ++i) {
        if (wide) {
            const uint16_t w = static_cast<uint16_t>(p.v[i]);
            std::memcpy(out.data() + 2 * i, &w, 2);
        } else {
            out[i] = static_cast<uint8_t>(p.v[i]);
        }
    }
    return out;
}

int64_t Floor(int64_t a, int64_t b) { return a >= 0 ? a / b : -((-a + b - 1) / b); }

// A weighted sum over its divisor: by the reciprocal while every sum of the
// ratio fits 32 bits, exactly where the largest one would not.
int64_t Divide(uint64_t sum, int64_t divisor, int64_t maxSample)
{
    if (static_cast<uint64_t>(divisor) * static_cast<uint64_t>(maxSample) > UINT32_MAX)
        return static_cast<int64_t>(sum / static_cast<uint64_t>(divisor));
    return DivideBy(static_cast<uint32_t>(sum), Reciprocal(divisor));
}

// One output sample of one axis from the line `at(k)` of n source samples.
template <typename At>
int64_t Resample1D(int method, int32_t n, int32_t out, int32_t x, bool horizontal, int64_t maxSample, At at)
{
    const int64_t g = std::gcd(n, out);
    const int64_t s = n / g, d = out / g;
    if (n == out)
        return at(x);
    if (n > out) {
        // Area: each source pixel weighs its overlap with [x s, (x + 1) s) in units of 1/d.
        uint64_t sum = 0;
        const int64_t from = x * s, to = from + s;
        for (int64_t k = from / d; k * d < to; ++k) {
            const int64_t overlap = std::min(to, (k + 1) * d) - std::max(from, k * d);
            sum += static_cast<uint64_t>(overlap) * static_cast<uint64_t>(at(static_cast<int32_t>(k)));
        }
        return Divide(sum, s, maxSample);
    }
    const int64_t a = 2 * s * x + s - d, q = Floor(a, 2 * d), r = a - 2 * d * q;
    if (method == 1)
        return Divide(static_cast<uint64_t>((2 * d - r) * at(static_cast<int32_t>(q)) + r * at(static_cast<int32_t>(q + 1))),
                      2 * d, maxSample);
    int16_t w[4];
    CubicWeights(horizontal ? static_cast<double>(a) / static_cast<double>(2 * d) - static_cast<double>(q)
                            : static_cast<double>(r) / (2.0 * static_cast<double>(d)),
                 w);
    int64_t sum = 0;
    for (int i = 0; i < 4; ++i)
        sum += w[i] * at(static_cast<int32_t>(q - 1 + i));
    return std::clamp<int64_t>(sum / 16384, 0, maxSample);
}

Plane Reference(const Plane& src, int method, int32_t fw, int32_t fh, bool wide)
{
    const int64_t maxSample = wide ? 65535 : 255;
    Plane out{fw, fh, src.channels, std::vector<int64_t>(static_cast<size_t>(fw) * fh * src.channels)};
    if (method == 0) {
        for (int32_t y = 0; y < fh; ++y) {
            const int32_t v = static_cast<int32_t>(((2 * static_cast<int64_t>(y) + 1) * src.height - 1) / (2 * fh));
            for (int32_t x = 0; x < fw; ++x) {
                const int32_t u = static_cast<int32_t>(((2 * static_cast<int64_t>(x) + 1) * src.width - 1) / (2 * fw));
                for (int32_t c = 0; c < src.channels; ++c)
                    out.v[(static_cast<size_t>(y) * fw + x) * src.channels + c] = src.At(u, v, c);
            }
        }
        return out;
    }
    Plane across{fw, src.height, src.channels, std::vector<int64_t>(static_cast<size_t>(fw) * src.height * src.channels)};
    for (int32_t y = 0; y < src.height; ++y)
        for (int32_t x = 0; x < fw; ++x)
            for (int32_t c = 0; c < src.channels; ++c)
                across.v[(static_cast<size_t>(y) * fw + x) * src.channels + c] = Resample1D(
                    method, src.width, fw, x, true, maxSample, [&](int32_t k) { return src.At(k, y, c); });
    for (int32_t y = 0; y < fh; ++y)
        for (int32_t x = 0; x < fw; ++x)
            for (int32_t c = 0; c < src.channels; ++c)
                out.v[(static_cast<size_t>(y) * fw + x) * src.channels + c] = Resample1D(
                    method, src.height, fh, y, false, maxSample, [&](int32_t k) { return across.At(x, k, c); });
    return out;
}

// Scales an image through a filter of a manager with the given tile bytes.
std::vector<uint8_t> Scaled(const Layout& l, int32_t width, int32_t height, const std::vector<uint8_t>& pixels,
                            int method, int32_t fw, int32_t fh, int32_t tileBytes, bool wholeRun)
{
    IVorlatManager* manager = MakeManager(tileBytes);
    IVorlatImage* image = MakeImage(manager, l.colorSpace, width, height, pixels);
    auto* scale = new CVorlatFilterScale(manager, method);
    EXPECT_EQ(Deepest(VorlatDataConnect(image, scale)), 0);
    EXPECT_EQ(Deepest(scale->SetSize(fw, fh, false)), 0);
    std::vector<uint8_t> out = wholeRun ? RunWhole(scale, manager, image) : ReadAll(scale);
    delete scale;
    image->Destroy();
    manager->Destroy();
    return out;
}

std::vector<uint8_t> Grey(std::initializer_list<uint8_t> v) { return std::vector<uint8_t>(v); }

TEST(ScaleResample, WorkedExamples)
{
    const struct {
        const char* name;
        int method;
        std::vector<uint8_t> in;
        int32_t outWidth;
        std::vector<uint8_t> expected;
    } cases[] = {
        // 2 -> 4 linear: weights 1:3 against the repeated edge, 3:1, 1:3, 3:1 against the other edge.
        {"two to four, linear", 1, Grey({10, 50}), 4, Grey({10, 20, 40, 50})},
        {"halving, nearest takes columns 0 and 2", 0, Grey({11, 20, 30, 41}), 2, Grey({11, 30})},
        {"halving, linear averages", 1, Grey({11, 20, 30, 41}), 2, Grey({15, 35})},
        {"halving, cubic averages", 2, Grey({11, 20, 30, 41}), 2, Grey({15, 35})},
        {"thirds, area weights", 1, Grey({0, 30, 60, 90, 120, 150}), 4, Grey({10, 50, 100, 140})},
        {"doubling, nearest", 0, Grey({5, 9, 200}), 6, Grey({5, 5, 9, 9, 200, 200})},
    };
    for (const auto& c : cases) {
        const int32_t width = static_cast<int32_t>(c.in.size());
        EXPECT_EQ(Scaled(kLayouts[0], width, 1, c.in, c.method, c.outWidth, 1, 16384, false), c.expected) << c.name;
        // The same along the vertical axis.
        EXPECT_EQ(Scaled(kLayouts[0], 1, width, c.in, c.method, 1, c.outWidth, 16384, false), c.expected) << c.name;
    }
}

TEST(ScaleResample, CubicOvershootIsClampedNotWrapped)
{
    for (const Layout& l : {kLayouts[0], kLayouts[1]}) {
        const uint32_t top = l.wide ? 65535 : 255;
        Plane step{8, 1, 1, {0, 0, 0, 0, top, top, top, top}};
        const std::vector<uint8_t> out = Scaled(l, 8, 1, ToPacked(step, l.wide), 2, 16, 1, 16384, false);
        ASSERT_EQ(out.size(), 16u * (l.wide ? 2 : 1));
        for (size_t i = 1; i < 16; ++i)
            EXPECT_LE(SampleAt(out, l.wide, i - 1), SampleAt(out, l.wide, i)) << i;
        EXPECT_EQ(SampleAt(out, l.wide, 0), 0u);
        EXPECT_EQ(SampleAt(out, l.wide, 15), top);
    }
}

TEST(ScaleResample, RefusesLayoutsOfLessThanAByte)
{
    IVorlatManager* manager = MakeManager(4096);
    IVorlatImage* image = MakeImage(manager, 1, 40, 20, Pattern(5 * 20));
    auto* scale = new CVorlatFilterScale(manager, 1);
    KOLVEX_OK(VorlatDataConnect(image, scale));
    KOLVEX_OK(scale->SetSize(20, 10, false));
    void* data = nullptr;
    EXPECT_EQ(DeepestText(scale->LockTile(&data, 0, 0, nullptr)), kKolvexBadSourceSpace);
    delete scale;
    image->Destroy();
    manager->Destroy();
}

// Every method, enlarging, reducing and keeping each axis, every depth and
// channel count, two tile sizes, tiles on demand and in a run: all equal the
// whole-image reference.
TEST(ScaleResample, EveryCaseMatchesTheReferenceThroughEveryTileGeometry)
{
    const struct {
        int32_t width, height, fw, fh;
    } sizes[] = {
        {17, 13, 40, 29},   // enlarge both
        {61, 47, 23, 17},   // reduce both
        {37, 20, 37, 43},   // keep width, enlarge height
        {50, 33, 19, 33},   // reduce width, keep height
        {29, 40, 71, 15},   // enlarge width, reduce height
        {1009, 5, 317, 3},  // odd ratios
        {317, 3, 1009, 7},
    };
    for (const Layout& l : kLayouts) {
        for (const auto& z : sizes) {
            const std::vector<uint8_t> pixels =
                Pattern(static_cast<size_t>(z.width) * z.height * l.channels * (l.wide ? 2 : 1), z.width + l.colorSpace);
            const Plane src = ToPlane(pixels, z.width, z.height, l);
            for (int method : {0, 1, 2}) {
                const std::vector<uint8_t> expected = ToPacked(Reference(src, method, z.fw, z.fh, l.wide), l.wide);
                int run = 0;
                for (int32_t tileBytes : {700, 16384}) {
                    const std::vector<uint8_t> got =
                        Scaled(l, z.width, z.height, pixels, method, z.fw, z.fh, tileBytes, (run++ & 1) != 0);
                    ASSERT_EQ(got, expected) << "space " << l.colorSpace << " method " << method << " " << z.width
                                             << "x" << z.height << " -> " << z.fw << "x" << z.fh << " tiles "
                                             << tileBytes;
                }
            }
        }
    }
}

// Ratios whose weights pass 16 bits or whose sums pass 32 bits, along either
// axis, on images one pixel thick: a constant stays that constant and a pattern
// equals the reference.
TEST(ScaleResample, ExtremeRatiosKeepConstantsAndMatchTheReference)
{
    const struct {
        Layout layout;
        int32_t width, height, fw, fh;
    } cases[] = {
        {kLayouts[2], 3001, 1, 40001, 1},   // linear, 8-bit, weights up to 80002
        {kLayouts[1], 3001, 1, 40001, 1},   // linear, 16-bit, sums up to 80002 x 65535
        {kLayouts[3], 70001, 1, 1000, 1},   // area, 16-bit, sums up to 70001 x 65535
        {kLayouts[0], 1, 3001, 1, 40001},
        {kLayouts[1], 1, 3001, 1, 40001},
        {kLayouts[1], 1, 70001, 1, 1000},
    };
    for (const auto& c : cases) {
        const Layout& l = c.layout;
        const size_t samples = static_cast<size_t>(c.width) * c.height * l.channels;
        const size_t outSamples = static_cast<size_t>(c.fw) * c.fh * l.channels;
        // Counted, not compared whole: a failure prints a number, not 120003 samples.
        const auto wrongSamples = [&](const std::vector<uint8_t>& got, const std::vector<uint8_t>& want) {
            size_t wrong = 0;
            for (size_t i = 0; i < outSamples; ++i)
                wrong += SampleAt(got, l.wide, i) != SampleAt(want, l.wide, i);
            return wrong;
        };
        const uint32_t constant = l.wide ? 65535 : 200;
        const std::vector<uint8_t> flat =
            ToPacked(Plane{c.width, c.height, l.channels, std::vector<int64_t>(samples, constant)}, l.wide);
        const std::vector<uint8_t> flatOut =
            ToPacked(Plane{c.fw, c.fh, l.channels, std::vector<int64_t>(outSamples, constant)}, l.wide);
        const std::vector<uint8_t> pixels = Pattern(samples * (l.wide ? 2 : 1), c.width + c.height);
        const std::vector<uint8_t> expected =
            ToPacked(Reference(ToPlane(pixels, c.width, c.height, l), 1, c.fw, c.fh, l.wide), l.wide);
        for (const auto& [in, want] : {std::pair(&flat, &flatOut), std::pair(&pixels, &expected)}) {
            const std::vector<uint8_t> got = Scaled(l, c.width, c.height, *in, 1, c.fw, c.fh, 16384, false);
            ASSERT_EQ(got.size(), want->size());
            EXPECT_EQ(wrongSamples(got, *want), 0u) << (in == &flat ? "constant" : "pattern") << ", space "
                                                    << l.colorSpace << " " << c.width << "x" << c.height << " -> "
                                                    << c.fw << "x" << c.fh;
        }
    }
}

// A smooth image, so that different kernels agree closely.
std::vector<uint8_t> SmoothRgb(int32_t width, int32_t height)
{
    std::vector<uint8_t> out(static_cast<size_t>(width) * height * 3);
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x)
            for (int32_t c = 0; c < 3; ++c)
                out[(static_cast<size_t>(y) * width + x) * 3 + c] = static_cast<uint8_t>(
                    127.5 + 100 * std::sin((x + 7 * c) / 9.0) * std::cos((y - 5 * c) / 13.0) + 20 * std::sin(x / 41.0));
    return out;
}

class ScaleAgainstVips : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!HaveTool("vips"))
            GTEST_SKIP() << "vips not installed";
        pixels = SmoothRgb(kWidth, kHeight);
        in = ScratchPath("vips_in") + ".ppm";
        WritePnm(in, kWidth, kHeight, 3, false, pixels);
    }
    // vips's answer for `operation in out arguments`.
    std::vector<uint8_t> Vips(const std::string& operation, const std::string& arguments, int32_t* w, int32_t* h)
    {
        const std::string out = ScratchPath("vips_out") + ".ppm";
        EXPECT_TRUE(RunTool("vips " + operation + " " + in + " " + out + " " + arguments)) << operation;
        std::vector<uint8_t> result = ReadPnm(out, w, h, 3, false);
        std::remove(out.c_str());
        return result;
    }
    std::vector<uint8_t> Ours(int method, int32_t fw, int32_t fh)
    {
        return Scaled(kLayouts[2], kWidth, kHeight, pixels, method, fw, fh, 16384, false);
    }

    void TearDown() override { std::remove(in.c_str()); }

    static constexpr int32_t kWidth = 240, kHeight = 160;
    std::vector<uint8_t> pixels;
    std::string in;
};

// On a smooth image. Nearest neighbour picks the same pixels as vips; the
// integer halving differs only by the filter truncating each pass where vips
// rounds once (at most 2 levels); the other kernels are different filters of the
// same idea (area against a triangle, linear and cubic with vips's own rounding
// and edge handling): a mean difference of at most 2.5 levels and no single
// sample more than 10 levels apart.
TEST_F(ScaleAgainstVips, AgreesWithinTheDocumentedTolerance)
{
    const struct {
        const char* operation;
        const char* arguments;
        int method;
        uint32_t maxDifference;
        double meanDifference;
    } cases[] = {
        {"subsample", "2 2", 0, 0, 0.0},
        {"resize", "2 --kernel nearest", 0, 0, 0.0},
        {"shrink", "2 2", 1, 2, 1.2},
        {"reduce", "2.7 2.7 --kernel linear", 1, 10, 2.5},
        {"resize", "0.37 --kernel linear", 2, 10, 2.5},
        {"resize", "1.6 --kernel linear", 1, 10, 2.5},
        {"resize", "1.6 --kernel cubic", 2, 10, 2.5},
        {"resize", "2 --kernel linear", 1, 10, 2.5},
    };
    for (const auto& c : cases) {
        int32_t w = 0, h = 0;
        const std::vector<uint8_t> theirs = Vips(c.operation, c.arguments, &w, &h);
        ASSERT_FALSE(theirs.empty()) << c.operation << " " << c.arguments;
        const std::vector<uint8_t> ours = Ours(c.method, w, h);
        EXPECT_LE(MaxDifference(ours, theirs, false), c.maxDifference) << c.operation << " " << c.arguments;
        EXPECT_LE(MeanDifference(ours, theirs, false), c.meanDifference) << c.operation << " " << c.arguments;
    }
}

} // namespace
