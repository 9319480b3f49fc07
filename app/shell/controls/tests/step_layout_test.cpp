#include <gtest/gtest.h>

#include "app/shell/controls/step_layout.h"

namespace {

TEST(StepSlider, ButtonsAtTheEndsTrackBetween)
{
    const shell::StepLayout layout = shell::LayOutStepSlider(200, 24, 24, 16, 20);
    EXPECT_EQ(layout.track.right - layout.track.left, 168);
    EXPECT_EQ(layout.track.left, 16);
    EXPECT_EQ(layout.track.bottom, 24);
    EXPECT_EQ(layout.leftButton.left, 0);
    EXPECT_EQ(layout.leftButton.top, 2);
    EXPECT_EQ(layout.leftButton.bottom, 22);
    EXPECT_EQ(layout.rightButton.left, 184);
    EXPECT_EQ(layout.rightButton.right, 200);
}

}  // namespace
