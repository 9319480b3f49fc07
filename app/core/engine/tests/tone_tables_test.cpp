#include <cmath>
#include <vector>

#include "app/core/curves/lut_group.h"
#include "app/core/curves/tone_table.h"
#include "app/core/engine/seams/camera_curve.h"
#include "app/core/engine/image_open.h"
#include "app/core/engine/seams/lut_resources.h"
#include "app/core/engine/tests/engine_test_util.h"
#include "app/core/engine/tone_tables.h"
#include "app/core/settings/exposure_adjustment.h"
#include "app/core/settings/wb_adjustment.h"
#include "filters/VorlatFilterHistogram.h"
#include "filters/VorlatFilterQRV.h"

using namespace engine_test;

namespace {

using Table = std::vector<uint16_t>;

Table Stored(int32_t mode, int32_t colour)
{
    Table table(4096);
    EXPECT_EQ(0, BuildToneTable(mode, table.data(), 0, colour));
    return table;
}

// out[i] = curve(table[i]), as the input tables compose them.
Table Composed(const Table& table, const Table& curve)
{
    Table out(4096);
    ComposeLutTables(table.data(), 2, 4096, 65536, curve.data(), 2, 4096, 65536, out.data(), 2, 4096, 65536);
    return out;
}

Table InputTable(CVorlatFilterQRV& filter, int32_t channel)
{
    Table tables[3] = {Table(4096), Table(4096), Table(4096)};
    uint16_t* const out[3] = {tables[0].data(), tables[1].data(), tables[2].data()};
    EXPECT_EQ(0, Deepest(filter.GetLUT(false, out, 12, 0, 3)));
    return tables[channel];
}

// Records the table ids asked for.
class CRecordingTables : public ILutResources {
public:
    bool Load(int32_t id, uint16_t* out) const override
    {
        asked.push_back(id);
        for (int32_t i = 0; i < kLutTableEntries; ++i)
            out[i] = static_cast<uint16_t>(id);
        return true;
    }
    mutable std::vector<int32_t> asked;
};

}  // namespace

TEST_F(EngineFixture, DefaultToneTableFollowsTheFormulaAndIsBuiltOnce)
{
    EXPECT_EQ(65535, GetDefaultToneTableStorage()[0]);
    const uint16_t* table = GetToneTable();
    ASSERT_EQ(GetDefaultToneTableStorage(), table);
    const struct {
        int32_t index;
        uint16_t value;
    } cases[] = {{0, 0}, {373, 1262}, {374, 1278}, {2328, 14385}, {2329, 14396}, {4095, 65517}};
    for (const auto& c : cases)
        EXPECT_EQ(c.value, table[c.index]) << c.index;
    Table copy(4096);
    EXPECT_EQ(0, BuildToneTable(0, copy.data(), 0, 0));
    EXPECT_EQ(Table(table, table + 4096), copy);
    for (int32_t i = 1; i < 4096; ++i)
        ASSERT_LE(table[i - 1], table[i]) << i;
}

TEST(ToneTables, ModeAndColourChooseTheStoredTable)
{
    const struct {
        int32_t mode, colour, id;
    } cases[] = {
        {1, 0, 299}, {2, 0, 299}, {2, 1, 316}, {2, 2, 317}, {2, 5, 299}, {3, 0, 300}, {3, 1, 315},
        {3, 2, 315}, {4, 0, 301}, {4, 2, 314}, {9, 0, 299}, {-1, 2, 317},
    };
    CRecordingTables recording;
    SetLutResources(&recording);
    for (const auto& c : cases) {
        Table table(4096);
        recording.asked.clear();
        EXPECT_EQ(0, BuildToneTable(c.mode, table.data(), 3, c.colour));
        EXPECT_EQ(std::vector<int32_t>{c.id}, recording.asked) << c.mode << " " << c.colour;
        EXPECT_EQ(c.id, table[4095]);
    }
    SetLutResources(nullptr);
}

TEST(ToneTables, ThePlatformsTablesAreRisingToneCurvesEachOfItsOwn)
{
    const int32_t ids[] = {299, 300, 301, 314, 315, 316, 317};
    std::vector<Table> seen;
    for (int32_t id : ids) {
        Table table(4096);
        ASSERT_TRUE(GetLutResources().Load(id, table.data())) << id;
        EXPECT_EQ(0, table[0]) << id;
        EXPECT_GT(table[4095], 65000) << id;
        for (int32_t i = 1; i < 4096; ++i)
            ASSERT_LE(table[i - 1], table[i]) << id << " at " << i;
        for (const Table& other : seen)
            EXPECT_NE(other, table) << id;
        seen.push_back(table);
    }
    Table table(4096);
    EXPECT_FALSE(GetLutResources().Load(294, table.data()));
}

TEST(ToneTables, WithoutTheResourcesTheIdentityStandsIn)
{
    CAbsentLutResources absent;
    SetLutResources(&absent);
    for (int32_t mode : {2, 3, 4}) {
        Table table(4096, 7);
        EXPECT_EQ(4096, BuildToneTable(mode, table.data(), 1, 2));
        for (int32_t i = 0; i < 4096; ++i)
            ASSERT_EQ(16 * i, table[i]) << mode << " at " << i;
    }
    SetLutResources(nullptr);
}

class InputTables : public EngineFixture {
protected:
    void SetUp() override
    {
        EngineFixture::SetUp();
        tags.SetLong(kTagFileKind, kFileKindRaw);
        params.tags = tags.tags;
        params.asShotRed = 2.0;
        params.asShotBlue = 1.5;
        wb.mode = 1;
        wb.gain1 = 2.0;
        wb.gain2 = 1.5;
        params.wb = &wb;
        params.wbOn = 1;
        params.exposure = &exposure;
        params.exposureOn = 1;
        base.assign(GetToneTable(), GetToneTable() + 4096);
        neutral = Composed(base, Stored(2, 0));
    }

    Tags tags;
    CDevelopParams params;
    CQzWBAdjustment wb;
    CQzExposureAdjustment exposure;
    Table base, neutral;
};

TEST_F(InputTables, NeutralSettingsGiveTheToneCurveOverTheDefaultTable)
{
    CVorlatFilterQRV filter(manager);
    ENGINE_OK(ComposeInputTables(&params, &filter, false));
    for (int c = 0; c < 3; ++c)
        EXPECT_EQ(neutral, InputTable(filter, c)) << c;
}

TEST_F(InputTables, OneStopMoreDoublesEveryEntryBeforeTheCurveClampedAtTheTop)
{
    exposure.exposureCompensation = 100;
    CVorlatFilterQRV filter(manager);
    ENGINE_OK(ComposeInputTables(&params, &filter, false));
    Table doubled(4096);
    for (int32_t i = 0; i < 4096; ++i)
        doubled[i] = static_cast<uint16_t>(std::min(65535, 2 * base[i]));
    EXPECT_EQ(65535, doubled[4095]);
    for (int c = 0; c < 3; ++c)
        EXPECT_EQ(Composed(doubled, Stored(2, 0)), InputTable(filter, c)) << c;
}

TEST_F(InputTables, PlainSkipsGainsAndTheDebugOptionSkipsEverything)
{
    exposure.exposureCompensation = 100;
    wb.gain1 = 3.0;
    {
        CVorlatFilterQRV filter(manager);
        ENGINE_OK(ComposeInputTables(&params, &filter, true));
        for (int c = 0; c < 3; ++c)
            EXPECT_EQ(neutral, InputTable(filter, c)) << c;
    }
    {
        params.option4Equals1 = 1;
        CVorlatFilterQRV filter(manager);
        ENGINE_OK(ComposeInputTables(&params, &filter, false));
        for (int c = 0; c < 3; ++c)
            EXPECT_EQ(base, InputTable(filter, c)) << c;
    }
}

TEST_F(InputTables, ToneSettingsChooseTheCurve)
{
    const struct {
        int32_t tag, exposureTone, mode;
    } cases[] = {{1, 0, 3}, {2, 0, 4}, {0, 3, 4}, {2, 2, 3}, {5, 0, 2}, {0, 4, 2}};
    for (const auto& c : cases) {
        tags.SetLong(kTagToneSetting, c.tag);
        exposure.toneCompensation = static_cast<uint32_t>(c.exposureTone);
        CVorlatFilterQRV filter(manager);
        ENGINE_OK(ComposeInputTables(&params, &filter, false));
        // A custom curve (16) without a camera curve falls back to mode 2.
        EXPECT_EQ(Composed(base, Stored(c.mode, 0)), InputTable(filter, 1)) << c.tag << " " << c.exposureTone;
    }
}

TEST_F(InputTables, HostileMultipliersCountAsOne)
{
    const double hostile[] = {0.0, -2.0, NAN, INFINITY, -INFINITY};
    for (double value : hostile) {
        params.asShotRed = value;
        params.asShotBlue = 1.0;
        wb.gain1 = value;
        wb.gain2 = value;
        CVorlatFilterQRV filter(manager);
        ENGINE_OK(ComposeInputTables(&params, &filter, false));
        EXPECT_EQ(neutral, InputTable(filter, 0)) << value;
        EXPECT_EQ(neutral, InputTable(filter, 2)) << value;
    }
    // Huge gains and the largest exposure clamp instead of overflowing.
    params.asShotRed = 1e-300;
    wb.gain1 = 1e300;
    exposure.exposureCompensation = 32767;
    CVorlatFilterQRV filter(manager);
    ENGINE_OK(ComposeInputTables(&params, &filter, false));
    const Table red = InputTable(filter, 0);
    EXPECT_EQ(Composed(Table(4096, 65535), Stored(2, 0))[1], red[1]);
}

TEST_F(InputTables, OnlyRawFilesGetInputTables)
{
    tags.SetLong(kTagFileKind, 1);
    CVorlatFilterQRV filter(manager);
    ENGINE_OK(ComposeInputTables(&params, &filter, false));
    int32_t count = -1;
    ENGINE_OK(filter.GetLUTInfo(false, nullptr, nullptr, nullptr, &count));
    EXPECT_EQ(0, count);
}

namespace {

// Stands for camera control's conversion: a master curve that keeps every value.
int32_t IdentityCurve(CQzLutGroup* group, const uint8_t* block, uint32_t length)
{
    return length == kCameraCurveBytes && block[0] == 1 && group->GetToneChannelById(0) ? 0 : -242;
}

}  // namespace

TEST_F(InputTables, TheCameraCurveRunsOverTheModeTwoTable)
{
    Table mode2 = Stored(2, 0);
    Table out(4096);
    BuildCameraToneTable(&params, out.data());  // no curve tag
    EXPECT_EQ(mode2, out);

    std::vector<uint8_t> block(4160, 0);
    block[0] = 1;
    tags.Set(kTagCameraCurve, kTagTypeCurve, block.data(), static_cast<uint32_t>(block.size()));
    BuildCameraToneTable(&params, out.data());  // no conversion installed yet
    EXPECT_EQ(mode2, out);

    SetCameraCurveConverter(IdentityCurve);
    BuildCameraToneTable(&params, out.data());
    SetCameraCurveConverter(nullptr);
    for (int32_t i = 0; i < 4096; i += 15)
        EXPECT_NEAR(mode2[i], out[i], 2) << i;
}

TEST_F(EngineFixture, HistogramsGoToTheGroupsColourChannels)
{
    std::vector<uint8_t> pixels;
    for (int i = 0; i < 64; ++i)
        pixels.insert(pixels.end(), {static_cast<uint8_t>(i), static_cast<uint8_t>(2 * i), 7});
    IVorlatImage* image = MakeImage(manager, 32, 64, 1, pixels);
    {
        CVorlatFilterHistogram histogram(manager);
        ENGINE_OK(VorlatDataConnect(image, &histogram));
        ENGINE_OK(histogram.ForceCompletion());
        CQzLutGroup group;
        CQzLutChannel* red = group.AddChannel(1, {}, {}, {});
        CQzLutChannel* blue = group.AddChannel(3, {}, {}, {});
        HandOverHistograms(&group, &histogram);  // no green channel: skipped
        std::vector<uint32_t> expected(256);
        histogram.GetHistogram(1, expected.data(), 8);
        EXPECT_EQ(expected, red->GetOwnHistogram());
        histogram.GetHistogram(3, expected.data(), 8);
        EXPECT_EQ(expected, blue->GetOwnHistogram());
        EXPECT_EQ(64u, blue->GetOwnHistogram()[7]);
        EXPECT_TRUE(group.GetToneChannelById(0)->GetOwnHistogram().empty());
        ENGINE_OK(VorlatDataDisconnect(image, &histogram));
    }
    image->Destroy();
}
