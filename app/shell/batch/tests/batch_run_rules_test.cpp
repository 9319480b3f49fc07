#include <gtest/gtest.h>

#include "app/shell/batch/batch_run_rules.h"

namespace {

TEST(BatchRunRules, EndTest)
{
    struct Case {
        int32_t mode;
        bool force;
        int32_t shots;
        int32_t failed;
        int32_t saved;
        bool ends;
    } cases[] = {
        {0, false, 0, 5, 5, false},  {0, true, 0, 0, 0, true},    {1, false, 3, 1, 1, false},
        {1, false, 3, 1, 2, true},   {2, false, 3, 0, 3, true},   {2, false, 3, 3, 0, true},
        {1, false, 0, 100, 100, false}, {1, false, -1, 9, 9, false}, {2, true, 0, 0, 0, true},
        {1, false, 3, 0, 4, true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(shell::RunShouldEnd(c.mode, c.force, c.shots, c.failed, c.saved), c.ends)
            << c.mode << c.force << c.shots << "/" << c.failed << "/" << c.saved;
}

TEST(BatchRunRules, CountdownNeverGoesBelowZero)
{
    struct Case {
        int32_t interval;
        uint32_t elapsed;
        int32_t left;
        const char* text;
    } cases[] = {
        {65, 0, 65, "00:01:05"},   {65, 999, 65, "00:01:05"}, {65, 1000, 64, "00:01:04"},
        {10, 10000, 0, "00:00:00"}, {10, 50000, 0, "00:00:00"}, {359999, 0, 359999, "99:59:59"},
        {3600, 0, 3600, "01:00:00"}, {1, 4294967295u, 0, "00:00:00"},
    };
    for (const Case& c : cases) {
        const int32_t left = shell::SecondsToNextShot(c.interval, c.elapsed);
        EXPECT_EQ(left, c.left) << c.interval << "/" << c.elapsed;
        EXPECT_EQ(shell::FormatCountdown(left, ":"), c.text);
    }
    EXPECT_EQ(shell::FormatCountdown(3725, "."), "01.02.05");
    EXPECT_EQ(shell::FormatCountdown(-5, ":"), "00:00:00");
}

TEST(BatchRunRules, CountShowsTheTotalOnlyWhenKnown)
{
    EXPECT_EQ(shell::FormatCountOf(0, 12, "%1 of %2"), "0 of 12");
    EXPECT_EQ(shell::FormatCountOf(3, 0, "%1 of %2"), "3");
    EXPECT_EQ(shell::FormatCountOf(7, -1, "%1 of %2"), "7");
    EXPECT_EQ(shell::FormatCountOf(2, 5, "%2: %1%"), "5: 2%");
}

}  // namespace
