#include <cmath>
#include <vector>

#include "app/core/demosaic/debayer_hq.h"
#include "app/core/demosaic/debayer_single.h"
#include "app/core/engine/develop_setup.h"
#include "app/core/engine/image_open.h"
#include "app/core/engine/seams/progress_sink.h"
#include "app/core/engine/tests/engine_test_util.h"
#include "app/core/settings/exposure_adjustment.h"
#include "app/core/settings/usm.h"
#include "filters/UnsharpMaskFilter.h"
#include "filters/VorlatFilterQRV.h"

using namespace engine_test;

namespace {

std::vector<uint8_t> Mosaic(int32_t width, int32_t height)
{
    std::vector<uint8_t> bytes(static_cast<size_t>(width) * height * 2);
    for (size_t i = 0; i < bytes.size() / 2; ++i) {
        const uint16_t v = static_cast<uint16_t>((i * 37) % 4096);
        bytes[2 * i] = static_cast<uint8_t>(v);
        bytes[2 * i + 1] = static_cast<uint8_t>(v >> 8);
    }
    return bytes;
}

}  // namespace

class DevelopSetup : public EngineFixture {
protected:
    void SetUp() override
    {
        EngineFixture::SetUp();
        tags.SetLong(kTagFileKind, kFileKindRaw);
        params.tags = tags.tags;
        params.exposure = &exposure;
    }
    void TearDown() override
    {
        for (IVorlatImage* image : images)
            image->Destroy();
        EngineFixture::TearDown();
    }
    IVorlatImage* Keep(IVorlatImage* image)
    {
        images.push_back(image);
        return image;
    }

    Tags tags;
    CDevelopParams params;
    CQzExposureAdjustment exposure;
    std::vector<IVorlatImage*> images;
};

TEST_F(DevelopSetup, RawWidthChoosesTheOutputGeometry)
{
    const struct {
        int32_t width;
        bool resample;
        int32_t right, bottom;
    } cases[] = {{2012, false, 2000, 1312}, {4028, true, 3008, 1960}};
    for (const auto& c : cases) {
        params.source = Keep(MakeImage(manager, 64, c.width, 1324));
        CDeBayerSingleFilter filter(manager);
        ASSERT_EQ(1, ConfigureDemosaic(&filter, &params)) << c.width;
        EXPECT_EQ(c.resample, filter.GetResample()) << c.width;
        EXPECT_EQ(0, filter.GetCropRect().left);
        EXPECT_EQ(0, filter.GetCropRect().top);
        EXPECT_EQ(c.right, filter.GetCropRect().right) << c.width;
        EXPECT_EQ(c.bottom, filter.GetCropRect().bottom) << c.width;
        EXPECT_TRUE(filter.IsEnabled());
    }
    // Any other source leaves the filter disabled; no filter is made for it.
    params.source = Keep(MakeImage(manager, 32, 20, 20));
    CDeBayerSingleFilter filter(manager);
    ENGINE_OK(filter.Enable(true, false));
    EXPECT_EQ(1, ConfigureDemosaic(&filter, &params));
    EXPECT_FALSE(filter.IsEnabled());
    CDeBayerBase* made = reinterpret_cast<CDeBayerBase*>(&params);
    EXPECT_EQ(1, MakeDemosaicFilter(&made, &params, true));
    EXPECT_EQ(nullptr, made);
}

TEST_F(DevelopSetup, PreGainTablesForEveryModelButTheFirst)
{
    params.source = Keep(MakeImage(manager, 64, 2012, 1324));
    params.asShotRed = 2.0;
    params.asShotBlue = NAN;  // counts as 1.0
    for (int16_t model : {1, 2, 3}) {
        params.cameraModel = model;
        CDeBayerSingleFilter filter(manager);
        ASSERT_EQ(1, ConfigureDemosaic(&filter, &params));
        const uint32_t* red = filter.GetChannelTable(0);
        const uint32_t* green = filter.GetChannelTable(1);
        const uint32_t* blue = filter.GetChannelTable(2);
        const uint32_t* tone = CDeBayerBase::GetToneTable();
        ASSERT_TRUE(red && green && blue && tone);
        for (int32_t i = 0; i < 4096; i += 5) {
            // Model 1 has no pre-gains; the others double red up to the 12-bit top.
            const int32_t gained = model == 1 ? i : std::min(4095, 2 * i);
            ASSERT_EQ(tone[gained], red[i]) << model << " at " << i;
            ASSERT_EQ(tone[i], green[i]) << model << " at " << i;
            ASSERT_EQ(tone[i], blue[i]) << model << " at " << i;
        }
    }
}

TEST_F(DevelopSetup, HighQualityNoiseLevelFollowsTheSensitivity)
{
    params.source = Keep(MakeImage(manager, 64, 2012, 1324));
    params.cameraModel = 3;
    tags.SetText(kTagModel, "KORVA M4X");
    const struct {
        uint16_t first, second;
        int32_t level;
    } cases[] = {{0, 800, 7}, {1, 3200, 30}, {1, 1600, 15}, {0, 125, 3}};
    for (const auto& c : cases) {
        const uint16_t pair[2] = {c.first, c.second};
        tags.Set(kTagSensitivity, kTagTypeIsoPair, pair, sizeof pair);
        CDeBayerBase* filter = nullptr;
        ASSERT_EQ(1, MakeDemosaicFilter(&filter, &params, true));
        ASSERT_NE(nullptr, filter);
        EXPECT_EQ(VorlatFourCC("db1g"), filter->GetFilterCode());
        int32_t parameters[9] = {};
        static_cast<CDeBayerSingleHQ4Filter*>(filter)->GetHQParameters(parameters);
        const int32_t expected[9] = {c.level, c.level, c.level, 6, 15, 1, 14, 1, 1};
        EXPECT_EQ(std::vector<int32_t>(expected, expected + 9), std::vector<int32_t>(parameters, parameters + 9))
            << c.second;
        delete filter;
    }
    CDeBayerBase* single = nullptr;
    ASSERT_EQ(1, MakeDemosaicFilter(&single, &params, false));
    ASSERT_NE(nullptr, single);
    EXPECT_EQ(VorlatFourCC("db1s"), single->GetFilterCode());
    delete single;
}

TEST_F(DevelopSetup, DemosaicImageReplacesTheSourceOnlyOnSuccess)
{
    IVorlatImage* raw = MakeImage(manager, 64, 40, 30, Mosaic(40, 30));
    AddRefImageData(raw);
    params.source = raw;
    CRecordingProgress progress;
    SetEngineProgress(&progress);
    ASSERT_TRUE(DemosaicImage(params));
    SetEngineProgress(nullptr);
    EXPECT_EQ(raw, params.raw);
    ASSERT_NE(raw, params.source);
    int32_t colorSpace = 0, width = 0, height = 0;
    ENGINE_OK(params.source->GetColorSpace(&colorSpace));
    ENGINE_OK(params.source->GetSize(&width, &height));
    EXPECT_EQ(33, colorSpace);
    EXPECT_EQ(28, width);
    EXPECT_EQ(18, height);
    EXPECT_EQ(1, GetImageDataRefCount(params.source));
    EXPECT_EQ(1, GetImageDataRefCount(raw));
    // Only the bar moves: the run belongs to the document that opened the file.
    ASSERT_GE(progress.calls.size(), 1u);
    for (const CRecordingProgress::Call& call : progress.calls)
        EXPECT_EQ(CRecordingProgress::kFraction, call.wParam);
    EXPECT_GT(progress.calls.back().lParam, 0);
    EXPECT_LT(progress.calls.back().lParam, 10000);
    ReleaseImageData(params.source);
    ReleaseImageData(raw);

    // A mosaic too small to demosaic, and a file that is not raw, keep their source.
    IVorlatImage* tiny = Keep(MakeImage(manager, 64, 10, 10, Mosaic(10, 10)));
    params.source = tiny;
    params.raw = nullptr;
    EXPECT_FALSE(DemosaicImage(params));
    EXPECT_EQ(tiny, params.source);
    EXPECT_EQ(nullptr, params.raw);
    params.source = Keep(MakeImage(manager, 64, 40, 30, Mosaic(40, 30)));
    tags.SetLong(kTagFileKind, 1);
    EXPECT_FALSE(DemosaicImage(params));
    EXPECT_EQ(nullptr, params.raw);
}

TEST(UnsharpMaskSetup, ColourRangesAreSetOnlyWhenTheyChange)
{
    IVorlatManager* manager = MakeManager();
    {
        CUnsharpMaskFilter filter(manager);
        const struct {
            int32_t n;
            double start, width, end, endWidth;
        } cases[] = {
            {1, 5 / 360.0, 1 / 12.0, 65 / 360.0, 1 / 12.0},    {2, 125 / 360.0, 1 / 12.0, 185 / 360.0, 1 / 12.0},
            {5, 305 / 360.0, 1 / 12.0, 5 / 360.0, 1 / 12.0},   {6, 185 / 360.0, 1 / 12.0, 245 / 360.0, 1 / 12.0},
            {0, 0.0, 0.0, 1.0, 0.0},                           {7, 0.0, 0.0, 1.0, 0.0},
        };
        for (const auto& c : cases) {
            SetUnsharpMaskRange(&filter, 3);
            EXPECT_EQ(1, SetUnsharpMaskRange(&filter, c.n)) << c.n;
            EXPECT_EQ(0, SetUnsharpMaskRange(&filter, c.n)) << c.n;
            double range[4];
            filter.GetRange(&range[0], &range[1], &range[2], &range[3]);
            EXPECT_DOUBLE_EQ(c.start, range[0]) << c.n;
            EXPECT_DOUBLE_EQ(c.width, range[1]) << c.n;
            EXPECT_DOUBLE_EQ(c.end, range[2]) << c.n;
            EXPECT_DOUBLE_EQ(c.endWidth, range[3]) << c.n;
        }
    }
    manager->Destroy();
}

TEST(UnsharpMaskSetup, EntryRadiusAndPowerFollowTheScale)
{
    IVorlatManager* manager = MakeManager();
    {
        const struct {
            uint16_t radius, amount;
            uint8_t threshold;
            double scale, wantRadius, wantPower;
        } cases[] = {
            {5, 100, 10, 1.0, 1.0, 100 * 1.0 * 0.05},  // r = 1.0
            {5, 100, 10, 0.2, 1.0, 100 * 0.2 * 0.05},  // r = 0.2: one pixel, power scaled down
            {50, 40, 0, 0.5, 5.0, 40 * 0.05},
        };
        for (const auto& c : cases) {
            CUnsharpMaskFilter filter(manager);
            CQzUSM entry;
            entry.colour = 2;
            entry.haloWidth = c.radius;
            entry.intensity = c.amount;
            entry.threshold = c.threshold;
            ENGINE_OK(ConfigureUnsharpMaskEntry(&filter, entry, c.scale));
            EXPECT_DOUBLE_EQ(c.wantRadius, filter.GetRadius());
            EXPECT_DOUBLE_EQ(c.wantPower, filter.GetPower());
            EXPECT_DOUBLE_EQ(c.threshold * 0.2, filter.GetThreshold());
            EXPECT_EQ(3, filter.GetMaskMethod());
            EXPECT_FALSE(filter.GetAffectNoise());
            double start = 0, width = 0, end = 0, endWidth = 0;
            filter.GetRange(&start, &width, &end, &endWidth);
            EXPECT_DOUBLE_EQ(125 / 360.0, start);
        }
    }
    manager->Destroy();
}

TEST_F(DevelopSetup, CameraSharpeningByLevelAndScale)
{
    const struct {
        int32_t tag;            // -1: no tag
        uint32_t fromExposure;  // 0: the camera's
        double scale;
        bool enabled;
        double radius, power;
    } cases[] = {
        {3, 0, 0.1, true, 1.0, 34 * 0.28 * 0.05},
        {1, 0, 2.0, true, 2.8, 11 * 0.05},
        {2, 0, 0.5, true, 1.4, 22 * 0.05},
        {0, 0, 1.0, false, 0, 0},
        {-1, 0, 1.0, false, 0, 0},
        {0, 4, 1.0, true, 2.8, 34 * 0.05},
        {3, 1, 1.0, false, 0, 0},
    };
    params.exposureOn = 1;
    for (const auto& c : cases) {
        Tags own;
        own.SetLong(kTagFileKind, kFileKindRaw);
        if (c.tag >= 0)
            own.SetLong(kTagSharpening, c.tag);
        params.tags = own.tags;
        exposure.sharpening = c.fromExposure;
        CUnsharpMaskFilter filter(manager);
        ENGINE_OK(filter.Enable(true, false));
        SetUpCameraSharpening(&params, &filter, c.scale);
        EXPECT_EQ(c.enabled, filter.IsEnabled()) << c.tag << " " << c.fromExposure;
        if (!c.enabled)
            continue;
        EXPECT_DOUBLE_EQ(c.radius, filter.GetRadius());
        EXPECT_DOUBLE_EQ(c.power, filter.GetPower());
        EXPECT_EQ(0.0, filter.GetThreshold());
        EXPECT_EQ(3, filter.GetMaskMethod());
    }
    params.tags = tags.tags;
    tags.SetLong(kTagFileKind, 1);
    exposure.sharpening = 4;
    EXPECT_FALSE(GetSharpeningLevel(&params, nullptr));
}

TEST_F(DevelopSetup, HueTurnsOnlyTheHueChannel)
{
    EXPECT_EQ(-1638, HueShift(0));
    EXPECT_EQ(0, HueShift(3));
    EXPECT_EQ(1638, HueShift(6));
    EXPECT_EQ(-546, HueShift(2));

    const struct {
        int32_t tag;  // -1: no tag
        uint8_t exposureOn;
        uint32_t level;
        int32_t hue;
    } cases[] = {{-9, 0, 3, 0}, {9, 0, 3, 6}, {-1, 0, 3, 3}, {2, 0, 3, 3}, {-9, 1, 5, 5}};
    params.exposureOn = 1;
    for (const auto& c : cases) {
        Tags own;
        own.SetLong(kTagFileKind, kFileKindRaw);
        if (c.tag != -1)
            own.SetLong(kTagHueSetting, c.tag);
        params.tags = own.tags;
        exposure.hueAdjustmentOn = c.exposureOn;
        exposure.hueLevel = c.level;
        int32_t hue = -100;
        EXPECT_EQ(c.hue != 3, GetHueSetting(&params, &hue)) << c.tag;
        EXPECT_EQ(c.hue, hue) << c.tag;

        CVorlatFilterQRV filter(manager);
        EXPECT_EQ(c.hue != 3, ApplyHueTable(&params, &filter));
        int32_t count = -1;
        ENGINE_OK(filter.GetLUTInfo(true, nullptr, nullptr, nullptr, &count));
        if (c.hue == 3) {
            EXPECT_EQ(0, count);
            continue;
        }
        ASSERT_EQ(3, count);
        std::vector<uint16_t> tables[3] = {std::vector<uint16_t>(65536), std::vector<uint16_t>(65536),
                                           std::vector<uint16_t>(65536)};
        uint16_t* const out[3] = {tables[0].data(), tables[1].data(), tables[2].data()};
        ENGINE_OK(filter.GetLUT(true, out, 16, 0, 3));
        const int32_t d = HueShift(c.hue);
        for (int32_t i = 0; i < 65536; i += 97) {
            ASSERT_EQ(i, tables[0][i]);
            ASSERT_EQ(i, tables[1][i]);
            ASSERT_EQ(((i + d) % 65536 + 65536) % 65536, tables[2][i]) << i;
        }
        if (c.hue == 0) {
            EXPECT_EQ(63898, tables[2][0]);
        }
    }
}
