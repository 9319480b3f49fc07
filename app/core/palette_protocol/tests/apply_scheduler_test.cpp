#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/core/palette_protocol/apply_scheduler.h"

namespace {

// A palette with a fake clock and timer; the view logs each apply with its time.
struct FakePalette {
    uint32_t now = 0;
    bool timerCanStart = true;
    bool timerRunning = false;
    uint32_t period = 0;
    int view = 1;  // the target whose view the apply reaches
    struct Apply {
        int view;
        uint32_t at;
    };
    std::vector<Apply> applies;
    CApplyScheduler scheduler;

    explicit FakePalette(PaletteKind kind)
        : scheduler(ApplyRuleOf(kind), {[this] { return now; },
                                        [this](uint32_t p) {
                                            period = p;
                                            timerRunning = timerCanStart;
                                            return timerCanStart;
                                        },
                                        [this] { timerRunning = false; },
                                        [this] { applies.push_back({view, now}); }})
    {
    }

    // Runs the clock, ticking the timer each period.
    void RunUntil(uint32_t end)
    {
        while (now != end) {
            now += 1;
            if (timerRunning && period && (now % period) == 0)
                scheduler.OnTimer();
        }
    }
};

TEST(ApplyScheduler, ManyEditsApplyOnceAfterTheQuietTime)
{
    struct Case {
        PaletteKind kind;
        uint32_t period, quiet;
    } cases[] = {{PaletteKind::Curves, 100, 333}, {PaletteKind::ColourBalance, 250, 500},
                 {PaletteKind::WhiteBalance, 250, 500}, {PaletteKind::AdvancedRaw, 250, 500},
                 {PaletteKind::UnsharpMask, 250, 500}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.quiet);
        FakePalette palette(c.kind);
        palette.now = 1000;
        for (int edit = 0; edit < 10; ++edit) {
            palette.scheduler.Request(true);
            palette.RunUntil(palette.now + 30);
        }
        const uint32_t lastEdit = palette.now - 30;
        EXPECT_EQ(palette.period, c.period);
        EXPECT_TRUE(palette.applies.empty());
        palette.RunUntil(lastEdit + c.quiet + c.period + 1);
        ASSERT_EQ(palette.applies.size(), 1u);
        EXPECT_GE(palette.applies[0].at - lastEdit, c.quiet);
        EXPECT_LT(palette.applies[0].at - lastEdit, c.quiet + c.period);
        EXPECT_FALSE(palette.timerRunning);
    }
}

TEST(ApplyScheduler, AppliesAtOnceWithoutATimer)
{
    // A palette without a deferred apply, and a timer that cannot start.
    FakePalette noise(PaletteKind::NoiseReduction);
    noise.scheduler.Request(true);
    EXPECT_EQ(noise.applies.size(), 1u);
    FakePalette sizeRes(PaletteKind::SizeRes);
    sizeRes.scheduler.Request(true);
    EXPECT_EQ(sizeRes.applies.size(), 1u);

    FakePalette curves(PaletteKind::Curves);
    curves.timerCanStart = false;
    curves.scheduler.Request(true);
    EXPECT_EQ(curves.applies.size(), 1u);
    EXPECT_FALSE(curves.scheduler.Pending());
}

TEST(ApplyScheduler, TickCountWrapNeitherStallsNorHurries)
{
    FakePalette palette(PaletteKind::Curves);
    palette.now = 0xFFFFFFF0u;
    palette.scheduler.Request(true);
    palette.RunUntil(0xFFFFFFF0u + 332);  // wraps past 0
    EXPECT_TRUE(palette.applies.empty());
    palette.RunUntil(0xFFFFFFF0u + 333 + 100);
    ASSERT_EQ(palette.applies.size(), 1u);
    EXPECT_GE(palette.applies[0].at - 0xFFFFFFF0u, 333u);
}

TEST(ApplyScheduler, FlushAppliesThePendingChangeToTheOldTarget)
{
    // Destroying the window and switching the target both flush first.
    FakePalette palette(PaletteKind::ColourBalance);
    palette.scheduler.Request(true);
    palette.RunUntil(40);
    palette.scheduler.Flush();
    palette.view = 2;
    ASSERT_EQ(palette.applies.size(), 1u);
    EXPECT_EQ(palette.applies[0].view, 1);
    EXPECT_FALSE(palette.timerRunning);
    palette.RunUntil(2000);
    EXPECT_EQ(palette.applies.size(), 1u);
    // Nothing pending: a flush applies nothing.
    palette.scheduler.Flush();
    EXPECT_EQ(palette.applies.size(), 1u);
}

TEST(ApplyRules, HintsPeriodsAndRawRules)
{
    struct Case {
        PaletteKind kind;
        uint32_t hint, period, quiet;
        RawRule raw;
    } cases[] = {
        {PaletteKind::Curves, 1, 100, 333, RawRule::AnyImage},
        {PaletteKind::ColourBalance, 2, 250, 500, RawRule::AnyImage},
        {PaletteKind::UnsharpMask, 4, 250, 500, RawRule::AnyImage},
        {PaletteKind::SizeRes, 32, 0, 0, RawRule::AnyImage},
        {PaletteKind::WhiteBalance, 256, 250, 500, RawRule::ResetToNeutral},
        {PaletteKind::AdvancedRaw, 512, 250, 500, RawRule::ResetToNeutral},
        {PaletteKind::NoiseReduction, 1024, 0, 0, RawRule::LeaveAlone},
    };
    for (const Case& c : cases) {
        const PaletteApplyRule& rule = ApplyRuleOf(c.kind);
        EXPECT_EQ(rule.updateHint, c.hint);
        EXPECT_EQ(rule.periodMs, c.period);
        EXPECT_EQ(rule.quietMs, c.quiet);
        EXPECT_EQ(rule.raw, c.raw);
    }
}

TEST(PaletteTarget, StatesFromCountImageKindAndPalette)
{
    using S = PaletteTargetState;
    struct Case {
        const char* name;
        PaletteKind kind;
        int32_t count, imageKind;
        S state;
        bool keepsRecord, editsRecord, editsOwn, takesFlag, clearsFlag, resets, check;
    } cases[] = {
        {"no image", PaletteKind::Curves, 0, 0, S::Own, false, false, true, false, false, false, true},
        {"one image", PaletteKind::Curves, 1, 1, S::Single, true, true, false, true, false, false, true},
        {"several", PaletteKind::Curves, 3, 32, S::Several, false, false, false, false, false, false, false},
        {"size has no flag", PaletteKind::SizeRes, 1, 1, S::Single, true, true, false, false, false, false, true},
        {"wb raw", PaletteKind::WhiteBalance, 1, 32, S::Single, true, true, false, true, false, false, true},
        {"wb not raw", PaletteKind::WhiteBalance, 1, 1, S::Single, false, true, false, false, true, true, true},
        {"araw kind 33", PaletteKind::AdvancedRaw, 1, 33, S::Single, false, true, false, false, true, true, true},
        {"nr kind 33", PaletteKind::NoiseReduction, 1, 33, S::Single, true, true, false, true, false, false, true},
        {"nr not raw", PaletteKind::NoiseReduction, 1, 1, S::Single, false, false, false, false, true, false, true},
        {"nr several", PaletteKind::NoiseReduction, 2, 1, S::Several, false, false, false, false, false, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const PaletteTargetDecision d = DecideTarget(c.kind, c.count, c.imageKind);
        EXPECT_EQ(d.state, c.state);
        EXPECT_EQ(d.keepsRecord, c.keepsRecord);
        EXPECT_EQ(d.editsRecord, c.editsRecord);
        EXPECT_EQ(d.editsOwn, c.editsOwn);
        EXPECT_EQ(d.takesRecordFlag, c.takesFlag);
        EXPECT_EQ(d.clearsFlag, c.clearsFlag);
        EXPECT_EQ(d.resetsRecord, c.resets);
        EXPECT_EQ(d.checkEnabled, c.check);
        EXPECT_FALSE(ControlsEnabled(d, false));
        EXPECT_EQ(ControlsEnabled(d, true), c.check);
    }
}

}  // namespace
