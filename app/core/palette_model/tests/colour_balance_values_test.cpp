#include <gtest/gtest.h>

#include <limits>

#include "app/core/curves/lut_group.h"
#include "app/core/palette_model/colour_balance_values.h"
#include "app/core/procset/record_settings.h"

using namespace balance;

namespace {

TEST(ColourBalanceValues, SliderGivesValueFieldAndText)
{
    const struct {
        int32_t slider;
        double value;
        int32_t field;
        const char* text;
    } cases[] = {
        {0, -1.0, -50, "-50"}, {50, 0.0, 0, "0"},   {100, 1.0, 50, "+50"}, {57, 0.14, 7, "+7"},
        {43, -0.14, -7, "-7"}, {51, 0.02, 1, "+1"}, {49, -0.02, -1, "-1"}, {85, 0.7, 35, "+35"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.slider);
        const double value = ValueFromSlider(c.slider);
        EXPECT_NEAR(value, c.value, 1e-12);
        EXPECT_EQ(FieldFromValue(value), c.field);
        EXPECT_EQ(FieldText(FieldFromValue(value)), c.text);
        EXPECT_EQ(SliderFromField(FieldFromValue(value)), c.slider);
    }
}

TEST(ColourBalanceValues, FieldFromValueTruncatesWithItsTenth)
{
    constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
    constexpr double kInf = std::numeric_limits<double>::infinity();
    const struct {
        double value;
        int32_t field;
    } cases[] = {
        {0.29, 14},  {-0.29, -14}, {0.0199, 1}, {-0.0199, -1}, {0.017, 0}, {0.9999, 50},
        {kNaN, 0},   {kInf, 50},   {-kInf, -50}, {3.0, 50},    {-1.5, -50},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FieldFromValue(c.value), c.field) << c.value;
}

TEST(ColourBalanceValues, TypedTextReadsAsLimitedInteger)
{
    const struct {
        const char* text;
        int32_t field;
    } cases[] = {
        {"70", 50},  {"abc", 0}, {"", 0},    {"-12", -12}, {"+5", 5},
        {"-80", -50}, {"-", 0},  {"7x", 7},  {"99999999999999999999", 50}, {"-99999999999999999999", -50},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const int32_t field = FieldFromText(c.text);
        EXPECT_EQ(field, c.field);
    }
    // "70": the slider at its end, the value 1.0.
    EXPECT_EQ(SliderFromField(FieldFromText("70")), 100);
    EXPECT_DOUBLE_EQ(ValueFromField(FieldFromText("70")), 1.0);
    EXPECT_EQ(FieldFromText(nullptr), 0);
}

TEST(ColourBalanceValues, RowsEditMasterContrastAndColourChannels)
{
    CQzRecordSettings record;
    CQzLutGroup& group = record.colourBalance;
    const double values[kRowCount] = {0.1, -0.2, 0.3, -0.4, 0.5};
    for (int32_t row = 0; row < kRowCount; ++row)
        SetRowValue(group, row, values[row]);
    EXPECT_DOUBLE_EQ(static_cast<CQzLutChannel*>(group.GetChannel(0))->GetWorkingSet().brightness, 0.1);
    EXPECT_DOUBLE_EQ(group.GetContrast(), -0.2);
    for (uint32_t id = 1; id <= 3; ++id)
        EXPECT_DOUBLE_EQ(group.GetToneChannelById(id)->GetWorkingSet().brightness, values[id + 1]);
    for (int32_t row = 0; row < kRowCount; ++row)
        EXPECT_DOUBLE_EQ(RowValue(group, row), values[row]);
    EXPECT_NE(group.GetModifiedFlags(~0u), 0u);

    // A group with only its master: the colour rows read 0 and take nothing.
    CQzLutGroup bare;
    SetRowValue(bare, 3, 0.6);
    EXPECT_EQ(RowValue(bare, 3), 0.0);
    EXPECT_EQ(bare.GetModifiedFlags(~0u), 0u);
}

TEST(ColourBalanceValues, ControlIdsMapToRows)
{
    const struct {
        uint32_t id;
        int32_t row;
    } cases[] = {{1016, 0}, {1017, 0}, {1019, 1}, {1021, 2}, {1023, 3}, {1024, 4}, {1025, 4}, {1015, -1}, {1026, -1}};
    for (const auto& c : cases)
        EXPECT_EQ(RowOfControl(c.id), c.row) << c.id;
    EXPECT_EQ(FieldId(4), 1025u);
}

}  // namespace
