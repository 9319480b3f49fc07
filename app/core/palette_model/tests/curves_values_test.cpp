#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "app/core/curves/lut_group.h"
#include "app/core/palette_model/curves_values.h"
#include "app/core/procset/record_settings.h"

using namespace curves;

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

// A Curves group as a new image record holds it: master and red, green, blue.
// A channel takes the gamma range when it is made: the range first, as the palette does.
struct CurvesGroup {
    bool rangeSet = (UseGammaFieldRange(), true);
    CQzRecordSettings record;
    CQzLutGroup& group = record.curves;
    CQzLutChannel& Channel(int32_t index) { return *static_cast<CQzLutChannel*>(group.GetChannel(index)); }
};

TEST(CurvesValues, ShownLevelRoundsFractionTimes255)
{
    const struct {
        double fraction, neutral;
        int32_t shown;
    } cases[] = {
        {0.0, 0.0, 0},      {1.0, 1.0, 255},   {0.5, 0.0, 128},  {127.4 / 255, 0.0, 127}, {0.01, 0.0, 3},
        {kNaN, 0.0, 0},     {kNaN, 1.0, 255},  {1.7, 0.0, 255},  {-0.3, 1.0, 0},          {kInf, 0.0, 255},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.fraction);
        EXPECT_EQ(ShownLevel(c.fraction, c.neutral), c.shown);
    }
}

TEST(CurvesValues, GammaShownAndTypedWithTwoDecimals)
{
    const struct {
        double stored, shown;
    } shownCases[] = {{1.0, 1.0}, {0.01, 0.05}, {7.5, 6.0}, {kNaN, 1.0}, {-kInf, 0.05}, {2.345, 2.345}};
    for (const auto& c : shownCases)
        EXPECT_DOUBLE_EQ(ShownGamma(c.stored), c.shown) << c.stored;

    // Cut, not rounded; the nudge keeps a number that is a hair below its
    // two decimals in binary (0.29 x 100 = 28.999...) at those decimals.
    const struct {
        double typed, kept;
    } typedCases[] = {{0.29, 0.29}, {1.005, 1.0}, {2.999, 2.99}, {0.57, 0.57}, {-0.29, -0.29}, {6.0, 6.0}};
    for (const auto& c : typedCases)
        EXPECT_DOUBLE_EQ(TypedGamma(c.typed), c.kept) << c.typed;
}

TEST(CurvesValues, PointReadoutIsRoundedSixteenBitsOver256)
{
    const struct {
        double value;
        int32_t shown;
    } cases[] = {{0.0, 0}, {1.0, 255}, {0.5, 128}, {0.25, 64}, {0.001, 0}, {0.004, 1}, {-0.1, -1}, {kNaN, -1}};
    for (const auto& c : cases)
        EXPECT_EQ(PointReadout(c.value), c.shown) << c.value;
}

TEST(CurvesValues, TypedFieldsStoreClampedValuesAndSayWhenClamped)
{
    // Each case starts from a neutral channel with the listed partner level set first.
    const struct {
        const char* name;
        uint32_t partnerField;
        double partner;  // typed into the partner field first (255 scale); < 0: none
        uint32_t field;
        double typed;
        double stored;
        bool clamped, changed;
    } cases[] = {
        {"white 300 stores 1.0", 0, -1, kFieldInputWhite, 300, 1.0, true, false},
        {"white 200", 0, -1, kFieldInputWhite, 200, 200 / 255.0, false, true},
        {"black equal to white", kFieldInputWhite, 200, kFieldInputBlack, 200, 200 / 255.0 - 0.01, true, true},
        {"white equal to black", kFieldInputBlack, 100, kFieldInputWhite, 100, 100 / 255.0 + 0.01, true, true},
        {"output black above white", kFieldOutputWhite, 50, kFieldOutputBlack, 80, 50 / 255.0 - 0.01, true, true},
        {"output white below black", kFieldOutputBlack, 60, kFieldOutputWhite, 10, 60 / 255.0 + 0.01, true, true},
        {"negative black", 0, -1, kFieldInputBlack, -5, 0.0, true, false},
        {"gamma in range", 0, -1, kFieldGamma, 1.5, 1.5, false, true},
        {"gamma above 6", 0, -1, kFieldGamma, 10, 6.0, true, true},
        {"gamma below 0.05", 0, -1, kFieldGamma, 0.01, 0.05, true, true},
        {"gamma cut to two decimals", 0, -1, kFieldGamma, 0.29, 0.29, false, true},
        {"same value", 0, -1, kFieldOutputWhite, 255, 1.0, false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CurvesGroup curves;
        CQzLutChannel& red = curves.Channel(1);
        if (c.partner >= 0)
            StoreTypedField(red, c.partnerField, c.partner);
        const FieldEdit edit = StoreTypedField(red, c.field, c.typed);
        EXPECT_TRUE(edit.stored);
        EXPECT_NEAR(FieldValue(red, c.field), c.stored, 1e-12);
        EXPECT_EQ(edit.clamped, c.clamped);
        EXPECT_EQ(edit.changed, c.changed);
        // Only the typed channel moved.
        EXPECT_EQ(curves.group.GetChannel(2)->GetModifiedFlags(~0u), 0u);
    }
}

TEST(CurvesValues, OtherIdsAreNoField)
{
    CurvesGroup curves;
    EXPECT_FALSE(StoreTypedField(curves.Channel(0), 1007, 12).stored);
    EXPECT_EQ(curves.group.GetModifiedFlags(~0u), 0u);
}

TEST(CurvesValues, SamplesBecomeFractionsByTheirDepth)
{
    VorlatPixel eight{};
    eight.colorSpace = 32;
    eight.bytes[0] = 255;
    eight.bytes[1] = 51;
    eight.bytes[2] = 0;
    Rgb rgb;
    ASSERT_TRUE(SampleFractions(eight, &rgb));
    EXPECT_DOUBLE_EQ(rgb.red, 1.0);
    EXPECT_DOUBLE_EQ(rgb.green, 0.2);
    EXPECT_DOUBLE_EQ(rgb.blue, 0.0);

    VorlatPixel sixteen{};
    sixteen.colorSpace = 33;
    sixteen.words[0] = 65535;
    sixteen.words[1] = 13107;
    sixteen.words[2] = 0;
    ASSERT_TRUE(SampleFractions(sixteen, &rgb));
    EXPECT_DOUBLE_EQ(rgb.red, 1.0);
    EXPECT_DOUBLE_EQ(rgb.green, 0.2);

    VorlatPixel gray{};
    gray.colorSpace = 16;
    EXPECT_FALSE(SampleFractions(gray, &rgb));

    const Rgb packed = PackedColourFractions(0x00FF3300);  // red in the low byte
    EXPECT_DOUBLE_EQ(packed.red, 0.0);
    EXPECT_DOUBLE_EQ(packed.green, 0.2);
    EXPECT_DOUBLE_EQ(packed.blue, 1.0);
}

TEST(CurvesValues, BlackPointOnAllChannelsSetsEachColourChannel)
{
    CurvesGroup curves;
    ASSERT_TRUE(ApplyDropper(curves.group, Dropper::Black, {0.1, 0.2, 0.3}, {0.0, 0.05, 0.5}, false));
    for (int32_t index = 1; index <= 3; ++index) {
        const LutParameterSet& set = curves.Channel(index).GetWorkingSet();
        EXPECT_DOUBLE_EQ(set.inputBlack, 0.1 * index);
        EXPECT_GE(set.outputBlack, 0.0);
    }
    EXPECT_DOUBLE_EQ(curves.Channel(2).GetWorkingSet().outputBlack, 0.05);
    EXPECT_EQ(curves.Channel(0).GetModifiedFlags(~0u), 0u);
}

TEST(CurvesValues, DropperLevelsKeepTheirGap)
{
    CurvesGroup curves;
    // A white sample darker than the black point, a white target below the output black.
    StoreTypedField(curves.Channel(1), kFieldInputBlack, 102);
    StoreTypedField(curves.Channel(1), kFieldOutputBlack, 51);
    ApplyDropper(curves.group, Dropper::White, {0.1, 0.9, 0.9}, {0.1, 1.0, 1.0}, false);
    const LutParameterSet& red = curves.Channel(1).GetWorkingSet();
    EXPECT_DOUBLE_EQ(red.inputWhite, 0.4 + 0.01);
    EXPECT_DOUBLE_EQ(red.outputWhite, 0.2 + 0.01);
}

TEST(CurvesValues, WhitePointWithShiftOnRedChangesOnlyRed)
{
    CurvesGroup curves;
    curves.group.SelectChannel(1);
    ASSERT_TRUE(ApplyDropper(curves.group, Dropper::White, {0.8, 0.7, 0.6}, {0.9, 0.95, 1.0}, true));
    const LutParameterSet& red = curves.Channel(1).GetWorkingSet();
    EXPECT_DOUBLE_EQ(red.inputWhite, 0.8);
    EXPECT_DOUBLE_EQ(red.outputWhite, 0.9);
    for (int32_t index : {0, 2, 3})
        EXPECT_EQ(curves.Channel(index).GetModifiedFlags(~0u), 0u) << index;
}

TEST(CurvesValues, OneChannelDropperOnTheMasterTakesTheMeans)
{
    CurvesGroup curves;
    curves.group.SelectChannel(0);
    ApplyDropper(curves.group, Dropper::Black, {0.1, 0.2, 0.3}, {0.0, 0.1, 0.2}, true);
    const LutParameterSet& master = curves.Channel(0).GetWorkingSet();
    EXPECT_NEAR(master.inputBlack, 0.2, 1e-12);
    EXPECT_NEAR(master.outputBlack, 0.1, 1e-12);
    EXPECT_EQ(curves.Channel(1).GetModifiedFlags(~0u), 0u);
}

TEST(CurvesValues, GrayPointSetsTheColourChannelsGammas)
{
    CurvesGroup curves;
    ApplyDropper(curves.group, Dropper::Gray, {0.6, 0.5, 0.4}, {}, false);
    EXPECT_LT(curves.Channel(1).GetWorkingSet().gamma, 1.0);
    EXPECT_GT(curves.Channel(3).GetWorkingSet().gamma, 1.0);
    EXPECT_DOUBLE_EQ(curves.Channel(0).GetWorkingSet().gamma, 1.0);
}

TEST(CurvesValues, AutoLevelsClipFromTheSettingAndChannelChoice)
{
    EXPECT_DOUBLE_EQ(AutoLevelsClip(50), 0.005);
    EXPECT_DOUBLE_EQ(AutoLevelsClip(999), 0.0999);

    // A histogram with its tones between 64 and 191 in every colour channel.
    std::vector<uint32_t> histogram(256, 0);
    for (int32_t i = 64; i < 192; ++i)
        histogram[i] = 100;
    for (bool oneChannel : {false, true}) {
        SCOPED_TRACE(oneChannel);
        CurvesGroup curves;
        for (int32_t index = 1; index <= 3; ++index)
            curves.Channel(index).SetHistogram(histogram.data(), 256);
        curves.group.SelectChannel(2);
        ASSERT_TRUE(ApplyAutoLevels(curves.group, AutoLevelsClip(50), oneChannel));
        EXPECT_GT(curves.Channel(2).GetWorkingSet().inputBlack, 0.2);
        EXPECT_LT(curves.Channel(2).GetWorkingSet().inputWhite, 0.8);
        const bool othersMoved = curves.Channel(1).GetWorkingSet().inputBlack > 0.0;
        EXPECT_EQ(othersMoved, !oneChannel);
    }
}

TEST(CurvesValues, GroupsOfAnotherShapeAreNormalisedOrRefused)
{
    // Two channels: cut to the master and given fresh colour channels; a
    // Curves group is reset too, a Color Balance group keeps its master.
    for (int32_t kind : {1, 2}) {
        SCOPED_TRACE(kind);
        CQzLutGroup group;
        group.SetKind(kind);
        group.AddChannel(7, {}, {}, {});
        auto* master = static_cast<CQzLutChannel*>(group.GetChannel(0));
        master->EditWorkingSet().brightness = 0.5;
        master->EditWorkingSet().inputBlack = 0.2;
        ASSERT_TRUE(NormaliseGroupShape(group, kind));
        ASSERT_EQ(group.GetChannelCount(), 4);
        for (uint32_t id = 0; id < 4; ++id)
            EXPECT_EQ(group.GetChannel(static_cast<int32_t>(id))->GetChannelId(), id);
        EXPECT_EQ(static_cast<CQzLutChannel*>(group.GetChannel(0))->GetWorkingSet().inputBlack,
                  kind == 1 ? 0.0 : 0.2);
        EXPECT_EQ(static_cast<CQzLutChannel*>(group.GetChannel(0))->GetWorkingSet().brightness, 0.5);
    }
    // The first channel is no master: refused, nothing changed.
    CQzLutGroup group;
    group.GetChannel(0)->SetChannelId(2);
    group.AddChannel(1, {}, {}, {});
    EXPECT_FALSE(NormaliseGroupShape(group, 1));
    EXPECT_EQ(group.GetChannelCount(), 2);
    // Four channels stay as they are.
    CurvesGroup curves;
    curves.Channel(3).EditWorkingSet().gamma = 2.0;
    EXPECT_TRUE(NormaliseGroupShape(curves.group, 1));
    EXPECT_EQ(curves.Channel(3).GetWorkingSet().gamma, 2.0);
}

}  // namespace
