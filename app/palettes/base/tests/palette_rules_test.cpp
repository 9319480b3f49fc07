#include <gtest/gtest.h>

#include "app/core/procset/record_settings.h"
#include "app/palettes/base/apply_flags.h"
#include "app/palettes/base/label_format.h"
#include "app/palettes/base/palette_help.h"
#include "app/palettes/base/palette_table.h"

namespace {

TEST(PaletteTable, EachPaletteCarriesItsSettingCommandTitleAndHelp)
{
    struct Case {
        PaletteId id;
        PaletteInfo info;
    } cases[] = {
        {PaletteId::CameraControl, {1129, 32818, 9344, 512, false}},
        {PaletteId::Curves, {1123, 32821, 9216, 513, true}},
        {PaletteId::ColorAdjust, {1125, 32849, 9264, 514, false}},
        {PaletteId::UnsharpMask, {1124, 32829, 9232, 515, false}},
        {PaletteId::SizeRes, {1126, 32833, 9280, 516, false}},
        {PaletteId::Information, {1127, 0, 9328, 517, false}},
        {PaletteId::BirdsEye, {1128, 0, 9312, 518, true}},
        {PaletteId::NoiseReduction, {1141, 32924, 10192, 520, false}},
        {PaletteId::ExposureAdjust, {1142, 32867, 10208, 521, false}},
        {PaletteId::WBAdjust, {1143, 32861, 10226, 522, false}},
        {PaletteId::ImageEnhancements, {1144, 32922, 10258, 523, false}},
    };
    for (const Case& c : cases) {
        const PaletteInfo& info = PaletteInfoOf(c.id);
        SCOPED_TRACE(c.info.titleStringId);
        EXPECT_EQ(c.info.positionSettingId, info.positionSettingId);
        EXPECT_EQ(c.info.loadCommandId, info.loadCommandId);
        EXPECT_EQ(c.info.titleStringId, info.titleStringId);
        EXPECT_EQ(c.info.helpId, info.helpId);
        EXPECT_EQ(c.info.resizable, info.resizable);
    }
}

TEST(PaletteHelp, TopicsOfThePaletteItsControlsAndMenuItems)
{
    EXPECT_EQ(0x320103EDu, PaletteHelpTopic(513, 1005));
    EXPECT_EQ(0x20000201u, PaletteHelpTopic(513, 0));
    EXPECT_EQ(0x10000000u + 32821, PaletteMenuHelpTopic(32821));

    struct Case {
        uint32_t helpId;
        bool overChild;
        uint32_t childId;
        uint32_t topic;
    } cases[] = {
        {0, true, 1005, 0},                      // no help id: nothing
        {513, false, 0, 0x20000201},              // the palette itself
        {513, true, 0xFFFF, 0x20000201},          // a child without an id
        {513, true, 1005, 0x320103ED},            // a control
        {522, true, 1000, ((522u + 0x3000) << 16) + 1000},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.topic, PaletteHitTestTopic(c.helpId, c.overChild, c.childId)) << c.helpId << " " << c.childId;
}

TEST(LabelFormat, AlignmentOnlyForExactLowBits)
{
    constexpr uint32_t kSingle = 0x20, kCenter = 0x1, kRight = 0x2, kVCenter = 0x4, kNoPrefix = 0x800;
    struct Case {
        uint32_t style;
        uint32_t format;
    } cases[] = {
        {0x10000000, kSingle},
        {0x10000001, kSingle | kCenter},
        {0x10000002, kSingle | kRight},
        {0x10000003, kSingle},              // neither centre nor right: left
        {0x10000041, kSingle | kCenter},    // bits above the low five do not count
        {0x10000011, kSingle},              // 17: not exactly 1
        {0x10000080, kSingle | kNoPrefix},
        {0x10000201, kSingle | kCenter | kVCenter},
        {0x00000282, kSingle | kRight | kVCenter | kNoPrefix},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.format, LabelDrawFormat(c.style)) << std::hex << c.style;
}

TEST(ApplyFlags, EachAdjustmentHasItsGlobalAndRecordFlag)
{
    CQzRecordSettings record;
    struct Case {
        PaletteKind kind;
        bool* global;
        uint32_t* onRecord;
    } cases[] = {
        {PaletteKind::Curves, &CurvesApplyFlag, &record.curvesOn},
        {PaletteKind::ColourBalance, &ColorBalanceApplyFlag, &record.colourBalanceOn},
        {PaletteKind::UnsharpMask, &UnsharpMaskApplyFlag, &record.usmOn},
        {PaletteKind::AdvancedRaw, &AdvancedRawApplyFlag, &record.exposureOn},
        {PaletteKind::WhiteBalance, &WhiteBalanceApplyFlag, &record.whiteBalanceOn},
        {PaletteKind::NoiseReduction, &NoiseReductionApplyFlag, &record.noiseReductionOn},
        {PaletteKind::SizeRes, nullptr, nullptr},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.global, GlobalApplyFlag(c.kind));
        EXPECT_EQ(c.onRecord, RecordApplyFlag(c.kind, record));
    }
}

TEST(ApplyFlags, OnlyCurvesAndColorBalanceExcludeEachOther)
{
    PaletteKind other{};
    ASSERT_TRUE(ExcludedPalette(PaletteKind::Curves, &other));
    EXPECT_EQ(PaletteKind::ColourBalance, other);
    ASSERT_TRUE(ExcludedPalette(PaletteKind::ColourBalance, &other));
    EXPECT_EQ(PaletteKind::Curves, other);
    for (PaletteKind kind : {PaletteKind::UnsharpMask, PaletteKind::SizeRes, PaletteKind::WhiteBalance,
                             PaletteKind::AdvancedRaw, PaletteKind::NoiseReduction})
        EXPECT_FALSE(ExcludedPalette(kind, &other));
}

}  // namespace
