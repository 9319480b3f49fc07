#include <cmath>
#include <vector>

#include "app/core/curves/lut_group.h"
#include "app/core/demosaic/debayer_single.h"
#include "app/core/engine/sample_color.h"
#include "app/core/engine/tests/engine_test_util.h"
#include "app/core/engine/tone_tables.h"
#include "filters/VorlatFilterLut.h"
#include "filters/VorlatFilterQRV.h"

using namespace engine_test;

namespace {

// Packed RGB rows of 8 or 16 bits per channel from (r, g, b) triples.
std::vector<uint8_t> Pixels(int32_t colorSpace, const std::vector<int32_t>& triples)
{
    std::vector<uint8_t> bytes;
    for (int32_t v : triples) {
        bytes.push_back(static_cast<uint8_t>(v));
        if (colorSpace == 33)
            bytes.push_back(static_cast<uint8_t>(v >> 8));
    }
    return bytes;
}

}  // namespace

// A chain of two pass-through filters before a colour filter: stage 1 reads
// what the colour filter receives.
class SampleColor : public EngineFixture {
protected:
    void Build(int32_t colorSpace, int32_t width, int32_t height, const std::vector<int32_t>& triples)
    {
        image = MakeImage(manager, colorSpace, width, height, Pixels(colorSpace, triples));
        ENGINE_OK(manager->CreateFilterChain(&chain));
        IVorlatDataSource* previous = nullptr;
        ENGINE_OK(chain->UseSource(image, &previous));
        first = new CVorlatFilterLut(manager);
        second = new CVorlatFilterLut(manager);
        colour = new CVorlatFilterQRV(manager);
        ENGINE_OK(first->Enable(false, false));
        ENGINE_OK(second->Enable(false, false));
        ENGINE_OK(colour->Enable(false, false));
        ENGINE_OK(chain->AddFilter(first, -1));
        ENGINE_OK(chain->AddFilter(second, -1));
        ENGINE_OK(chain->AddFilter(colour, -1));
        params.source = image;
    }
    void TearDown() override
    {
        if (chain)
            chain->Destroy();
        delete first;
        delete second;
        delete colour;
        if (image)
            image->Destroy();
        EngineFixture::TearDown();
    }

    IVorlatImage* image = nullptr;
    IVorlatFilterChain* chain = nullptr;
    CVorlatFilterLut* first = nullptr;
    CVorlatFilterLut* second = nullptr;
    CVorlatFilterQRV* colour = nullptr;
    CDevelopParams params;
};

TEST_F(SampleColor, ACornerSquareAveragesWhatLiesInsideAndTruncates)
{
    std::vector<int32_t> triples;
    for (int32_t y = 0; y < 6; ++y)
        for (int32_t x = 0; x < 6; ++x)
            triples.insert(triples.end(), {10 * y + x, 11 - (x + y) % 2, 200});
    Build(32, 6, 6, triples);
    VorlatPixel result{};
    ASSERT_EQ(1, SampleImageColor(0, 0, &result, 5, chain, 1, nullptr, nullptr, nullptr));
    EXPECT_EQ(32, result.colorSpace);
    // Rows and columns 0 to 2: red sums to 3 * (0 + 10 + 20) + 3 * (0 + 1 + 2) = 99 over 9.
    EXPECT_EQ(11, result.bytes[0]);
    // Five 11s and four 10s: 10.56 truncates to 10.
    EXPECT_EQ(10, result.bytes[1]);
    EXPECT_EQ(200, result.bytes[2]);

    ASSERT_EQ(1, SampleImageColor(3, 4, &result, 1, chain, 1, nullptr, nullptr, nullptr));
    EXPECT_EQ(43, result.bytes[0]);
    ASSERT_EQ(1, SampleImageColor(5, 5, &result, 3, chain, 3, nullptr, nullptr, nullptr));
    EXPECT_EQ((44 + 45 + 54 + 55) / 4, result.bytes[0]);
}

TEST_F(SampleColor, StagesThatNameNothingFail)
{
    Build(32, 4, 4, std::vector<int32_t>(48, 5));
    VorlatPixel result{};
    int32_t flag = 7;
    VorlatPixel curve{};
    EXPECT_EQ(0, SampleImageColor(1, 1, &result, 1, chain, 4, nullptr, &curve, &flag));
    EXPECT_EQ(0, SampleImageColor(1, 1, &result, 1, chain, -1, nullptr, &curve, &flag));
    // Stage 2 without a demosaic filter needs the parameters' source.
    EXPECT_EQ(0, SampleImageColor(1, 1, &result, 1, chain, 2, nullptr, &curve, &flag));
    EXPECT_EQ(7, flag);  // failed before the walk: the flag is left alone
    // A square wholly outside the source reads nothing.
    EXPECT_EQ(0, SampleImageColor(10, 10, &result, 5, chain, 1, nullptr, &curve, &flag));
    EXPECT_EQ(0, flag);
    // The colour filter last in the chain has no filter after it to map through.
    EXPECT_EQ(0, SampleImageColor(1, 1, &result, 1, chain, 0, nullptr, nullptr, nullptr));
    // Without a colour filter, stages 0 and 1 have nothing to sample.
    IVorlatFilter* removed = nullptr;
    ENGINE_OK(chain->ExtractFilter(2, &removed));
    EXPECT_EQ(0, SampleImageColor(1, 1, &result, 1, chain, 1, nullptr, nullptr, nullptr));
    ENGINE_OK(chain->AddFilter(colour, 0));
    EXPECT_EQ(0, SampleImageColor(1, 1, &result, 1, chain, 1, nullptr, nullptr, nullptr));
}

TEST_F(SampleColor, StageTwoReadsThroughTheDefaultToneTable)
{
    Build(32, 2, 1, {255, 0, 16, 1, 2, 3});
    VorlatPixel result{};
    ASSERT_EQ(1, SampleImageColor(0, 0, &result, 1, chain, 2, &params, nullptr, nullptr));
    const uint16_t* tone = GetToneTable();
    EXPECT_EQ(tone[4080] >> 8, result.bytes[0]);
    EXPECT_EQ(tone[0] >> 8, result.bytes[1]);
    EXPECT_EQ(tone[256] >> 8, result.bytes[2]);
}

TEST_F(SampleColor, SixteenBitStageTwoUsesTheTopTwelveBits)
{
    Build(33, 1, 1, {65535, 16, 4096});
    VorlatPixel result{};
    ASSERT_EQ(1, SampleImageColor(0, 0, &result, 1, chain, 2, &params, nullptr, nullptr));
    EXPECT_EQ(33, result.colorSpace);
    const uint16_t* tone = GetToneTable();
    EXPECT_EQ(tone[4095], result.words[0]);
    EXPECT_EQ(tone[1], result.words[1]);
    EXPECT_EQ(tone[256], result.words[2]);
}

TEST_F(SampleColor, AsShotMultipliersDivideRedAndBlueWithinRange)
{
    const struct {
        int32_t colorSpace;
        std::vector<int32_t> pixel;
        double red, blue;
        std::vector<int32_t> expected;
    } cases[] = {
        {32, {200, 100, 90}, 2.0, 1.5, {100, 100, 60}},
        {33, {60000, 100, 90}, 0.5, 1.0, {65535, 100, 90}},
        {32, {200, 100, 90}, 0.25, 0.5, {255, 100, 180}},
        {32, {200, 100, 90}, NAN, -3.0, {200, 100, 90}},
        {33, {60000, 100, 90}, INFINITY, 1e-300, {60000, 100, 65535}},
        {32, {200, 100, 90}, 0.0, 2.0, {200, 100, 90}},  // a zero multiplier: no division at all
    };
    for (const auto& c : cases) {
        Build(c.colorSpace, 1, 1, c.pixel);
        params.asShotRed = c.red;
        params.asShotBlue = c.blue;
        VorlatPixel result{};
        ASSERT_EQ(1, SampleImageColor(0, 0, &result, 1, chain, 1, &params, nullptr, nullptr));
        for (int ch = 0; ch < 3; ++ch) {
            const int32_t got = c.colorSpace == 32 ? result.bytes[ch] : result.words[ch];
            EXPECT_EQ(c.expected[ch], got) << c.red << " " << c.blue << " channel " << ch;
        }
        // Stage 3 never divides.
        ASSERT_EQ(1, SampleImageColor(0, 0, &result, 1, chain, 3, &params, nullptr, nullptr));
        EXPECT_EQ(c.pixel[0], c.colorSpace == 32 ? result.bytes[0] : result.words[0]);
        chain->Destroy();
        chain = nullptr;
        delete first;
        delete second;
        delete colour;
        first = second = nullptr;
        colour = nullptr;
        image->Destroy();
        image = nullptr;
    }
}

TEST_F(SampleColor, TheCurvePixelFollowsTheActiveCurves)
{
    Build(33, 2, 1, {65535, 65535, 65535, 65535, 65535, 65535});
    CQzLutGroup curves;
    params.curves1 = &curves;
    params.curves1On = 1;
    VorlatPixel result{}, curve{};
    int32_t flag = 7;
    // A group that changes nothing leaves the curve pixel at zeros.
    ASSERT_EQ(1, SampleImageColor(0, 0, &result, 3, chain, 3, &params, &curve, &flag));
    EXPECT_EQ(0, flag);
    EXPECT_EQ(33, curve.colorSpace);
    EXPECT_EQ(0, curve.words[0]);
    // Halve the master's output: 256 and 255 both limit to full scale, then 128 x 256.
    CQzLutChannel* master = curves.GetToneChannelById(0);
    ASSERT_NE(nullptr, master);
    master->EditWorkingSet().outputWhite = 0.5;
    master->Commit();
    ASSERT_EQ(1, SampleImageColor(0, 0, &result, 3, chain, 3, &params, &curve, &flag));
    EXPECT_EQ(1, flag);
    EXPECT_EQ(65535, result.words[0]);
    for (int ch = 0; ch < 3; ++ch)
        EXPECT_EQ(128 * 256, curve.words[ch]) << ch;
    // The first curves on but unchanged: the second curves do not stand in.
    master->EditWorkingSet().outputWhite = 1.0;
    master->Commit();
    CQzLutGroup balance;
    balance.GetToneChannelById(0)->EditWorkingSet().outputWhite = 0.5;
    params.curves2 = &balance;
    params.curves2On = 1;
    ASSERT_EQ(1, SampleImageColor(0, 0, &result, 1, chain, 3, &params, &curve, &flag));
    EXPECT_EQ(0, flag);
    params.curves1On = 0;
    ASSERT_EQ(1, SampleImageColor(0, 0, &result, 1, chain, 3, &params, &curve, &flag));
    EXPECT_EQ(1, flag);
}

TEST(SampleSide, FollowsTheDropperSetting)
{
    EXPECT_EQ(3, SampleSideFromSetting(1));
    EXPECT_EQ(5, SampleSideFromSetting(2));
    EXPECT_EQ(1, SampleSideFromSetting(0));
    EXPECT_EQ(1, SampleSideFromSetting(3));
}

TEST_F(EngineFixture, StageTwoSamplesTheEnabledDemosaicFilter)
{
    std::vector<uint8_t> mosaic(40 * 30 * 2);
    for (size_t i = 0; i < mosaic.size(); i += 2) {
        const uint16_t v = static_cast<uint16_t>((i * 53) % 4096);
        mosaic[i] = static_cast<uint8_t>(v);
        mosaic[i + 1] = static_cast<uint8_t>(v >> 8);
    }
    IVorlatImage* raw = MakeImage(manager, 64, 40, 30, mosaic);
    {
        CDeBayerSingleFilter demosaic(manager);
        CVorlatFilterLut after(manager);
        CVorlatFilterQRV colour(manager);
        ENGINE_OK(after.Enable(false, false));
        ENGINE_OK(colour.Enable(false, false));
        IVorlatFilterChain* chain = nullptr;
        ENGINE_OK(manager->CreateFilterChain(&chain));
        IVorlatDataSource* previous = nullptr;
        ENGINE_OK(chain->UseSource(raw, &previous));
        ENGINE_OK(chain->AddFilter(&demosaic, -1));
        ENGINE_OK(chain->AddFilter(&after, -1));
        ENGINE_OK(chain->AddFilter(&colour, -1));

        VorlatPixel direct{}, sampled{};
        ENGINE_OK(demosaic.GetPixel(&direct, 5, 7));
        ASSERT_EQ(33, direct.colorSpace);
        ASSERT_EQ(1, SampleImageColor(5, 7, &sampled, 1, chain, 2, nullptr, nullptr, nullptr));
        const uint16_t* tone = GetToneTable();
        for (int c = 0; c < 3; ++c)
            EXPECT_EQ(tone[direct.words[c] / 16], sampled.words[c]) << c;

        // Disabled, it gives way to the parameters' source, read as it is.
        ENGINE_OK(demosaic.Enable(false, false));
        EXPECT_EQ(0, SampleImageColor(5, 7, &sampled, 1, chain, 2, nullptr, nullptr, nullptr));
        CDevelopParams params;
        params.source = raw;
        ASSERT_EQ(1, SampleImageColor(5, 7, &sampled, 1, chain, 2, &params, nullptr, nullptr));
        EXPECT_EQ(64, sampled.colorSpace);
        chain->Destroy();
    }
    raw->Destroy();
}
