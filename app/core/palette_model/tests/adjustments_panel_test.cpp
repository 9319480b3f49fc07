#include <gtest/gtest.h>

#include "app/core/palette_model/adjustments_panel.h"
#include "app/core/procset/record_settings.h"

using namespace panel;

namespace {

TEST(AdjustmentsPanel, RowsTopToBottom)
{
    const struct {
        uint32_t text, link, check, hint;
    } rows[kRowCount] = {{10227, 1200, 1201, 256}, {10209, 1201, 1202, 512}, {9216, 1202, 1203, 1},
                         {9264, 1203, 1204, 2},    {9232, 1204, 1205, 4},    {9280, 1205, 1206, 0}};
    for (int32_t row = 0; row < kRowCount; ++row) {
        SCOPED_TRACE(row);
        EXPECT_EQ(RowOf(row).linkText, rows[row].text);
        EXPECT_EQ(RowOf(row).linkId, rows[row].link);
        EXPECT_EQ(RowOf(row).checkId, rows[row].check);
        EXPECT_EQ(RowOf(row).hint, rows[row].hint);
        EXPECT_EQ(RowOfLink(rows[row].link), row);
        EXPECT_EQ(RowOfCheck(rows[row].check), row);
    }
    EXPECT_EQ(RowOfLink(1199), -1);
    EXPECT_EQ(RowOfLink(1206), -1);
    EXPECT_EQ(RowOfCheck(1200), -1);
}

TEST(AdjustmentsPanel, CheckBoxesFollowTheCountAndTheImageKind)
{
    const struct {
        const char* name;
        int32_t count;
        bool record;
        int32_t kind;
        bool wb, raw, curves, sizeRes;
    } cases[] = {
        {"no image", 0, false, 0, true, true, true, false},
        {"JPEG image", 1, true, 17, false, false, true, false},
        {"raw image", 1, true, 32, true, true, true, false},
        {"other raw kind", 1, true, 33, true, true, true, false},
        {"several thumbnails", 3, false, 0, false, false, false, false},
        {"one image without its record", 1, false, 17, true, true, true, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(CheckEnabled(kWhiteBalance, c.count, c.record, c.kind), c.wb);
        EXPECT_EQ(CheckEnabled(kAdvancedRaw, c.count, c.record, c.kind), c.raw);
        EXPECT_EQ(CheckEnabled(kCurves, c.count, c.record, c.kind), c.curves);
        EXPECT_EQ(CheckEnabled(kColourBalance, c.count, c.record, c.kind), c.curves);
        EXPECT_EQ(CheckEnabled(kUnsharpMask, c.count, c.record, c.kind), c.curves);
        EXPECT_EQ(CheckEnabled(kSizeRes, c.count, c.record, c.kind), c.sizeRes);
    }
}

TEST(AdjustmentsPanel, NeutralAdjustmentsDoNotShowOnTheImage)
{
    CQzRecordSettings neutral;
    for (int32_t row = 0; row < kRowCount; ++row)
        EXPECT_FALSE(ShowsOnImage(row, neutral)) << row;

    CQzRecordSettings edited;
    edited.whiteBalance.mode = 1;
    edited.exposure.exposureCompensation = 30;
    static_cast<CQzLutChannel*>(edited.curves.GetChannel(2))->SetGamma(1.4);
    edited.colourBalance.SetContrast(0.2);
    edited.usm.Insert(0, 1, CQzUSM{});
    for (int32_t row = 0; row < kSizeRes; ++row)
        EXPECT_TRUE(ShowsOnImage(row, edited)) << row;
}

TEST(AdjustmentsPanel, ClickDecidesFlagExclusionAndRedraw)
{
    const struct {
        const char* name;
        int32_t row;
        bool wasOn, checked, otherOn, shows;
        bool flag;
        int32_t excluded;
        bool update;
    } cases[] = {
        {"curves on while colour balance on", kCurves, false, true, true, false, true, kColourBalance, true},
        {"colour balance on while curves on", kColourBalance, false, true, true, false, true, kCurves, true},
        {"empty mask list switched on", kUnsharpMask, false, true, false, false, true, -1, false},
        {"edited curve switched on", kCurves, false, true, false, true, true, -1, true},
        {"edited curve switched off", kCurves, true, false, false, true, false, -1, true},
        {"neutral curve switched off", kCurves, true, false, false, false, false, -1, false},
        {"a re-click of a box that is on", kWhiteBalance, true, true, false, false, true, -1, true},
        {"off stays off", kAdvancedRaw, false, false, false, true, false, -1, false},
        {"unsharp mask has no partner", kUnsharpMask, false, true, true, true, true, -1, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const CheckClick click = DecideCheckClick(c.row, c.wasOn, c.checked, c.otherOn, c.shows);
        EXPECT_EQ(click.flag, c.flag);
        EXPECT_EQ(click.excluded, c.excluded);
        EXPECT_EQ(click.update, c.update);
    }
}

}  // namespace
