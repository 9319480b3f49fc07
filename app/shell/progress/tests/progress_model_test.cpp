// The progress window's run counters, stored fraction and bar geometry, and
// the set-fraction value senders compute, apart from any window.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

#include "app/shell/progress/progress_model.h"
#include "app/shell/progress/progress_protocol.h"

namespace shell {
namespace {

using Change = CProgressModel::Change;

TEST(ProgressProtocol, FractionParamIsDoneOverTotalPlusOneTruncatedAndBounded) {
  struct Case {
    double done, total;
    int32_t expected;
  } cases[] = {
      {50, 99, 5000},
      {0, 0, 0},
      {1, 2, 3333},
      {99, 99, 9900},
      {4294967295.0, 4294967295.0, 9999},  // a 32-bit total + 1 would wrap to 0
      {4294967295.0, 0, 10000},            // more than the whole is the whole
      {-5, 10, 0},
      {5, -1, 0},                          // no division by zero
      {5, -7, 0},
  };
  for (const Case& c : cases)
    EXPECT_EQ(ProgressFractionParam(c.done, c.total), c.expected) << c.done << " of " << c.total;
}

TEST(ProgressProtocol, BeginParamHoldsStepsLowAndCaptionHigh) {
  EXPECT_EQ(MakeProgressBegin(2, 10016), 0x27200002u);
  EXPECT_EQ(MakeProgressBegin(0, 0), 0u);
}

TEST(ProgressGeometry, StepShareIsClampedAndTruncatedToWholePercent) {
  struct Case {
    int32_t tenThousandths;
    double share;
  } cases[] = {{9999, 0.99}, {10000, 1.0}, {12345, 1.0}, {-5, 0.0}, {0, 0.0},
               {2900, 0.29}, {99, 0.0},    {5050, 0.50}, {std::numeric_limits<int32_t>::min(), 0.0}};
  for (const Case& c : cases) EXPECT_DOUBLE_EQ(ProgressStepShare(c.tenThousandths), c.share) << c.tenThousandths;
}

TEST(ProgressGeometry, BarWidthIsCaptionPlusTwentyAtLeastHundred) {
  struct Case {
    int32_t caption, bar;
  } cases[] = {{0, 100}, {79, 100}, {80, 100}, {81, 101}, {200, 220},
               {std::numeric_limits<int32_t>::max(), std::numeric_limits<int32_t>::max()}};
  for (const Case& c : cases) EXPECT_EQ(ProgressBarWidth(c.caption), c.bar) << c.caption;
}

TEST(ProgressGeometry, WindowSitsOnePixelInAndTwentyOneShortOfThePane) {
  ProgressPlacement at = PlaceOverPane({100, 4, 400, 24});
  EXPECT_EQ(at.x, 101);
  EXPECT_EQ(at.y, 4);
  EXPECT_EQ(at.width, 279);
  EXPECT_EQ(at.height, 20);
  // A pane narrower than the grip, or a hostile one, gives no negative size.
  at = PlaceOverPane({10, 0, 20, -5});
  EXPECT_EQ(at.width, 0);
  EXPECT_EQ(at.height, 0);
  at = PlaceOverPane({std::numeric_limits<int32_t>::min(), 0, std::numeric_limits<int32_t>::max(), 1});
  EXPECT_EQ(at.width, std::numeric_limits<int32_t>::max());
}

TEST(ProgressGeometry, DoneWidthCountsCompletedStepsAndTheCurrentShare) {
  EXPECT_EQ(ProgressDoneWidth(200, 1, 0.5, 4), 75);
  EXPECT_EQ(ProgressDoneWidth(200, 0, 0.0, 4), 0);
  EXPECT_EQ(ProgressDoneWidth(101, 2, 1.0, 3), 101);
  EXPECT_EQ(ProgressDoneWidth(100, 0, 0.99, 3), 33);
  EXPECT_EQ(ProgressDoneWidth(100, 0, 0.5, 0), 0);
}

TEST(ProgressModel, ThreeStepRunShowsOnBeginAndHidesAfterTheThirdStep) {
  CProgressModel m;
  ASSERT_EQ(m.Begin(3, "Loading image"), Change::Show);
  m.Shown(120);
  EXPECT_EQ(m.Step(), Change::None);
  EXPECT_EQ(m.Step(), Change::None);
  EXPECT_EQ(m.CurrentStep(), 2);
  EXPECT_EQ(m.Step(), Change::Hide);
  EXPECT_FALSE(m.Running());
  EXPECT_FALSE(m.IsShown());
  EXPECT_EQ(m.BarWidth(), 0);
  EXPECT_EQ(m.Caption(), "");
}

TEST(ProgressModel, NestedBeginAddsStepsAndKeepsTheFirstCaptionAndFraction) {
  CProgressModel m;
  m.Begin(2, "outer");
  m.Shown(100);
  m.SetFraction(4567);
  EXPECT_EQ(m.Begin(2, "inner"), Change::None);
  EXPECT_EQ(m.TotalSteps(), 4);
  EXPECT_EQ(m.Caption(), "outer");
  EXPECT_DOUBLE_EQ(m.Fraction(), 0.45);
  EXPECT_EQ(m.CurrentStep(), 0);
}

TEST(ProgressModel, BeginWithNoStepsWhileIdleChangesNothingVisible) {
  CProgressModel m;
  EXPECT_EQ(m.Begin(0, "ignored"), Change::None);
  EXPECT_FALSE(m.Running());
  EXPECT_FALSE(m.IsShown());
}

TEST(ProgressModel, StepsBeyondTheTotalNeverOverfillTheBar) {
  CProgressModel m;
  m.Begin(1, "x");
  m.Shown(100);
  EXPECT_EQ(m.Step(), Change::Hide);
  EXPECT_EQ(m.Step(), Change::None);  // no run: still nothing
  EXPECT_EQ(m.DoneWidth(), 0);
  EXPECT_EQ(m.TotalSteps(), 0);
}

TEST(ProgressModel, FractionFillsOnlyTheCurrentStep) {
  CProgressModel m;
  m.Begin(2, "x");
  m.Shown(200);
  m.SetFraction(12345);
  EXPECT_EQ(m.DoneWidth(), 100);
  m.SetFraction(-5);
  EXPECT_EQ(m.DoneWidth(), 0);
  m.Step();
  m.SetFraction(5000);
  EXPECT_EQ(m.DoneWidth(), 150);
}

TEST(ProgressModel, HiddenStatusBarHidesTheRunAndTheNextPaneShowsItAgain) {
  CProgressModel m;
  m.Place({0, 0, 300, 20});
  m.Begin(3, "x");
  m.Shown(110);
  m.Unplace();
  EXPECT_FALSE(m.Enabled());
  EXPECT_FALSE(m.IsShown());
  EXPECT_EQ(m.BarWidth(), 110) << "a hide by the pane keeps the width until the next showing";
  EXPECT_EQ(m.CurrentStep(), 0);
  m.Place({0, 0, 400, 20});
  EXPECT_TRUE(m.Enabled());
  EXPECT_EQ(m.Pane().right, 400);
  // The run is still on: the next command shows the window again.
  EXPECT_EQ(m.SetFraction(0), Change::Show);
}

TEST(ProgressModel, TotalSaturatesInsteadOfWrapping) {
  CProgressModel m;
  m.Begin(1, "x");
  for (int i = 0; i < 40000; ++i) m.Begin(65535, "y");
  EXPECT_EQ(m.TotalSteps(), std::numeric_limits<int32_t>::max());
}

}  // namespace
}  // namespace shell
