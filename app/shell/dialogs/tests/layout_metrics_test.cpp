#include <gtest/gtest.h>

#include "app/shell/dialogs/layout_metrics.h"

namespace {

TEST(LayoutMetrics, FollowTheFontHeightWithIntegerDivisions)
{
    struct Case {
        int32_t height, edit, lineSpacing, gapLarge, gapSmall, comboExtra;
    } cases[] = {
        // height 13 with a 16-pixel scroll bar: 182/8, 91/8 and 39/8 truncate.
        {13, 17, 22, 11, 4, 50},
        {16, 20, 28, 14, 6, 56},
        {1, 5, 1, 0, 0, 26},
        {0, 4, 0, 0, 0, 24},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.height);
        EXPECT_EQ(shell::LayoutEditHeightFor(c.height), c.edit);
        EXPECT_EQ(shell::LayoutLineSpacingFor(c.height), c.lineSpacing);
        EXPECT_EQ(shell::LayoutGapLargeFor(c.height), c.gapLarge);
        EXPECT_EQ(shell::LayoutGapSmallFor(c.height), c.gapSmall);
        EXPECT_EQ(shell::LayoutComboExtraWidthFor(c.height, 16), c.comboExtra);
    }
    EXPECT_EQ(shell::kLayoutCheckPadding, 24);
    EXPECT_EQ(shell::kLayoutMargin, 8);
}

TEST(LayoutMetrics, MinimumSizeIsTwentyUpToTwentyOne)
{
    const int32_t cases[][2] = {{-5, 20}, {0, 20}, {20, 20}, {21, 20}, {22, 22}, {300, 300}};
    for (const auto& c : cases)
        EXPECT_EQ(shell::LayoutMinSize(c[0]), c[1]) << c[0];
    EXPECT_EQ(shell::g_layoutMinimum, 20);
}

TEST(LayoutMetrics, ControlStylesAddToTheChildStyle)
{
    EXPECT_EQ(shell::kChildWindowStyle, 0x54000000u);
    EXPECT_EQ(shell::kEditStyle, 0x54030080u);
    EXPECT_EQ(shell::kCheckBoxStyle, 0x54030003u);
    EXPECT_EQ(shell::kRadioButtonStyle, 0x54010009u);
    EXPECT_EQ(shell::kLabelStyle, 0x5402028Cu);
    EXPECT_EQ(shell::kCenteredLabelStyle, 0x54020281u);
    EXPECT_EQ(shell::kRightLabelStyle, 0x54020282u);
    EXPECT_EQ(shell::kPushButtonStyle, 0x54030000u);
    EXPECT_EQ(shell::kListBoxStyle, 0x54230101u);
    EXPECT_EQ(shell::kDropListStyle, 0x54230003u);
    EXPECT_EQ(shell::kGroupBoxStyle, 0x54030007u);
    EXPECT_EQ(shell::kPathDisplayStyle, 0x5402128Cu);
    EXPECT_EQ(shell::kOwnerDrawDisplayStyle, 0x5400100Du);
}

TEST(HelpTopics, DialogAndControlTopicsOfAHelpId)
{
    // The copy settings dialog (262) and its Curves box (1222).
    EXPECT_EQ(shell::DialogHelpTopic(262), 0x20000106u);
    EXPECT_EQ(shell::ControlHelpTopic(262, 1222), 0x310604C6u);
    EXPECT_EQ(shell::ControlHelpTopic(0, 1), 0x30000001u);
    EXPECT_EQ(shell::DialogHelpTopic(0), 0x20000000u);
}

}  // namespace
