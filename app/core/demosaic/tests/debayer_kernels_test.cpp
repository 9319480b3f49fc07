// What the two filters make of mosaics whose answer is known: flat fields,
// uniform colour, step edges; and the high-quality filter's classification.
#include <functional>
#include <memory>

#include "app/core/demosaic/debayer_hq.h"
#include "app/core/demosaic/debayer_hq_impl.h"
#include "app/core/demosaic/debayer_single.h"
#include "app/core/demosaic/tests/demosaic_test_util.h"

using namespace demosaic_test;

namespace {

class DeBayerKernelTest : public ::testing::Test {
protected:
    void SetUp() override { manager = MakeManager(16384); }
    void TearDown() override { manager->Destroy(); }
    std::unique_ptr<CDeBayerBase> Make(bool highQuality, bool resample)
    {
        std::unique_ptr<CDeBayerBase> filter;
        if (highQuality)
            filter.reset(new CDeBayerSingleHQ4Filter(manager));
        else
            filter.reset(new CDeBayerSingleFilter(manager));
        EXPECT_EQ(Deepest(filter->SetResample(resample, nullptr, false)), 0);
        return filter;
    }
    IVorlatManager* manager = nullptr;
};

// A mosaic whose red, green and blue sites hold one value each.
Mosaic Uniform(int32_t width, int32_t height, uint16_t red, uint16_t green, uint16_t blue)
{
    Mosaic m;
    m.width = width;
    m.height = height;
    m.samples.resize(static_cast<size_t>(width) * height);
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x)
            m.at(x, y) = ((x + y) & 1) ? green : ((y & 1) ? red : blue);
    return m;
}

TEST_F(DeBayerKernelTest, UniformFieldsComeOutExact)
{
    const uint32_t* tone = CDeBayerBase::GetToneTable();
    struct Case {
        uint16_t red, green, blue;
    } cases[] = {{0, 0, 0}, {1000, 1000, 1000}, {4095, 4095, 4095}, {2500, 800, 3900}, {4095, 0, 2000}, {10, 4000, 300}};
    for (bool highQuality : {false, true}) {
        for (bool resample : {false, true}) {
            for (const Case& c : cases) {
                auto filter = Make(highQuality, resample);
                const Mosaic m = Uniform(41, 37, c.red, c.green, c.blue);
                int32_t width = 0, height = 0;
                const std::vector<uint16_t> out = Reference(*filter, m, &width, &height);
                const uint16_t want[3] = {static_cast<uint16_t>(tone[c.red] >> 2), static_cast<uint16_t>(tone[c.green] >> 2),
                                          static_cast<uint16_t>(tone[c.blue] >> 2)};
                for (size_t i = 0; i < out.size(); ++i)
                    ASSERT_EQ(out[i], want[i % 3]) << (highQuality ? "high quality" : "single pass")
                                                   << (resample ? " resampled" : "") << " pixel " << i / 3 << " of "
                                                   << width << "x" << height << " " << c.red << "/" << c.green << "/"
                                                   << c.blue;
            }
        }
    }
}

TEST_F(DeBayerKernelTest, SinglePassFollowsStepEdgesWithoutBleeding)
{
    // A strong grey step across the rows and one across the columns: green
    // takes the estimate along the edge, so every pixel keeps its side's level.
    const uint32_t* tone = CDeBayerBase::GetToneTable();
    for (bool horizontal : {true, false}) {
        Mosaic m = Uniform(40, 40, 300, 300, 300);
        for (int32_t y = 0; y < 40; ++y)
            for (int32_t x = 0; x < 40; ++x)
                if ((horizontal ? y : x) >= 21)
                    m.at(x, y) = 3800;
        auto filter = Make(false, false);
        int32_t width = 0, height = 0;
        const std::vector<uint16_t> out = Reference(*filter, m, &width, &height);
        for (int32_t y = 0; y < height; ++y) {
            for (int32_t x = 0; x < width; ++x) {
                const uint16_t level = static_cast<uint16_t>(tone[((horizontal ? y : x) + 6 >= 21) ? 3800 : 300] >> 2);
                for (int32_t c = 0; c < 3; ++c)
                    ASSERT_EQ(out[3 * (static_cast<size_t>(y) * width + x) + c], level)
                        << (horizontal ? "horizontal" : "vertical") << " edge at " << x << "," << y;
            }
        }
    }
}

// Runs the high-quality kernel over a mosaic through a linear table (coded =
// 64 x sample) and hands each row's stage results to look once they are made.
void RunKernel(demosaic::CHighQualityKernel& kernel, const Mosaic& m, int32_t p0, int32_t p1, int32_t p2,
               const std::function<void(int32_t row, const demosaic::CHighQualityKernel&)>& look)
{
    static std::vector<uint32_t> linear = [] {
        std::vector<uint32_t> t(4096);
        for (uint32_t i = 0; i < 4096; ++i)
            t[i] = 64 * i;
        return t;
    }();
    const uint32_t* tables[3] = {linear.data(), linear.data(), linear.data()};
    const int32_t reach = kernel.Reach();
    const int32_t colours = m.width - 2 * reach;
    ASSERT_TRUE(kernel.Reserve(colours));
    kernel.SetThresholds(p0, p1, p2);
    kernel.Start(reach, tables);
    demosaic::CBufferRows rows(m.samples.data(), m.width, m.height, m.width);
    std::vector<uint16_t> raw(static_cast<size_t>(kernel.Columns(colours)));
    for (int32_t y = 0; y < m.height; ++y) {
        ASSERT_EQ(rows.Read(y, 0, kernel.Columns(colours), raw.data()), nullptr);
        kernel.Advance(y, raw.data());
        // Only rows all of whose inputs lie inside the mosaic.
        if (y >= 2 * reach)
            look(y, kernel);
    }
}

TEST(DeBayerHighQuality, GreenSiteAfterAClassZeroSiteUsesTheLeftDiagonalsAtHalfWeight)
{
    // Flat grey with one raised sample near a green site; the rise is small
    // enough to leave every class at 0.
    demosaic::CHighQualityKernel kernel;
    const int32_t r = 20, c = 21;  // (21 + 20) odd: green, with the blue site (20, 20) before it
    std::vector<int32_t> luma;
    for (int32_t dx : {0, 1, -1}) {
        Mosaic m = Uniform(48, 48, 2000, 2000, 2000);
        if (dx != 0)
            m.at(c + dx, r - 1) += 10;
        int32_t l = 0;
        uint8_t before = 255;
        RunKernel(kernel, m, 3, 3, 3, [&](int32_t y, const demosaic::CHighQualityKernel& k) {
            if (y - demosaic::CHighQualityKernel::kFlagLag != r)
                return;
            l = k.LumaRow(r)[c];
            before = k.RefinedRow(r)[c - 1];
        });
        EXPECT_EQ(before, 0) << dx;
        luma.push_back(l);
    }
    EXPECT_EQ(luma[0], 16 * 64 * 2000);
    EXPECT_EQ(luma[1], luma[0]);            // (r-1, c+1) is not used
    EXPECT_EQ(luma[2], luma[0] + 64 * 10 / 2);  // (r-1, c-1) counts one half
}

// Grey stripes on the left (directions without colour), strong colour
// texture on the right (colour flags).
Mosaic Textured()
{
    Mosaic m = Scene(64, 64, 3);
    for (int32_t y = 0; y < 64; ++y) {
        for (int32_t x = 0; x < 64; ++x) {
            if (x < 32)
                m.at(x, y) = (2 * x + y) % 20 < 10 ? 1000 : 2500;
            else if (((x + y) & 1) == 0 && (y & 1) && (x / 8 + y / 8) % 2)
                m.at(x, y) = static_cast<uint16_t>(4095 - m.at(x, y) / 4);
        }
    }
    return m;
}

TEST(DeBayerHighQuality, RefinedClassKeepsTheDirectionClassWhereColourIsWeak)
{
    const Mosaic m = Textured();
    demosaic::CHighQualityKernel kernel;
    for (int32_t p1 : {0, 1000000}) {
        int32_t weak = 0, flagged = 0, changed = 0;
        RunKernel(kernel, m, 3, p1, 3, [&](int32_t y, const demosaic::CHighQualityKernel& k) {
            const int32_t r = y - demosaic::CHighQualityKernel::kFlagLag;
            const uint8_t* cls = k.ClassRow(r);
            const uint8_t* flag = k.FlagRow(r);
            const uint8_t* refined = k.RefinedRow(r);
            for (int32_t c = 12; c < m.width - 12; ++c) {
                if (((c + r) & 1) != 0)
                    continue;
                if (flag[c] == 0) {
                    ++weak;
                    ASSERT_EQ(refined[c], cls[c]) << r << "," << c;
                    continue;
                }
                ++flagged;
                // The diagonal part always stays; a threshold nothing reaches clears the rest.
                ASSERT_EQ(refined[c] & 3, cls[c] & 3);
                if (p1 == 1000000) {
                    ASSERT_EQ(refined[c] >> 2, 0);
                }
                changed += refined[c] != cls[c];
            }
        });
        EXPECT_GT(weak, 0);
        EXPECT_GT(flagged, 0);
        if (p1 == 0) {
            EXPECT_GT(changed, 0);
        }
    }
}

TEST(DeBayerHighQuality, RaisingTheDirectionThresholdLeavesFewerDirectionalSites)
{
    const Mosaic m = Scene(64, 64, 5);
    demosaic::CHighQualityKernel kernel;
    std::vector<int32_t> directional;
    for (int32_t p0 : {3, 30}) {
        int32_t count = 0;
        RunKernel(kernel, m, p0, 3, 3, [&](int32_t y, const demosaic::CHighQualityKernel& k) {
            const int32_t r = y - demosaic::CHighQualityKernel::kClassLag;
            for (int32_t c = 12; c < m.width - 12; ++c)
                if (((c + r) & 1) == 0 && (k.ClassRow(r)[c] >> 2) != 0)
                    ++count;
        });
        directional.push_back(count);
    }
    EXPECT_GT(directional[0], 0);
    EXPECT_LT(directional[1], directional[0]);
}

TEST(DeBayerHighQuality, SensitivityKeysSetTheThreeThresholds)
{
    IVorlatManager* manager = MakeManager(16384);
    {
        CDeBayerSingleHQ4Filter filter(manager);
        int32_t p[9];
        filter.GetHQParameters(p);
        EXPECT_EQ(std::vector<int32_t>(p, p + 9), (std::vector<int32_t>{3, 3, 3, 6, 15, 1, 14, 1, 1}));
        struct Case {
            int32_t key, value;
        } cases[] = {{570, 6}, {123, 6}, {1600, 7}, {-2, 30}, {0, 30}, {280, 4}};
        for (const Case& c : cases) {
            filter.SetHQDefaults(c.key);
            filter.GetHQParameters(p);
            EXPECT_EQ(std::vector<int32_t>(p, p + 9),
                      (std::vector<int32_t>{c.value, c.value, c.value, 6, 15, 1, 14, 1, 1}))
                << c.key;
        }
        // Thresholds far beyond any activity: no site directional, and no overflow.
        const int32_t huge[9] = {INT32_MAX, INT32_MIN, INT32_MAX, 0, 0, 0, 0, 0, 0};
        filter.SetHQParameters(huge);
        const Mosaic m = Uniform(30, 30, 100, 2000, 4000);
        const std::vector<uint16_t> out = Reference(filter, m);
        EXPECT_FALSE(out.empty());
    }
    manager->Destroy();
}

} // namespace
