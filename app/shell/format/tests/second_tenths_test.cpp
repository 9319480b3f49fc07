#include <gtest/gtest.h>

#include <string>

#include "app/shell/format/second_tenths.h"

namespace {

TEST(SecondTenths, GoBehindOneOrTwoDigitsOfSeconds)
{
    struct Case {
        const char* text;
        const char* probe;
        uint16_t minute;
        uint16_t milliseconds;
        const char* result;
    } cases[] = {
        {"14:05:07", "14:05:59", 5, 300, "14:05:07.3"},
        {"10:59:07", "10:59:58", 59, 400, "10:59:07.4"},  // the probe keeps clear of the minute
        {"2:05:07 PM", "2:05:59 PM", 5, 300, "2:05:07.3 PM"},
        {"9:05:5", "9:05:59", 5, 200, "9:05:5.2"},
        {"14:05:07", "14:05:59", 5, 250, "14:05:07.3"},  // an exact half rounds up
        {"14:05:07", "14:05:59", 5, 150, "14:05:07.1"},  // 0.15 lies below the half in binary
        {"14:05:07", "14:05:59", 5, 1, "14:05:07.0"},
        {"14:05:07", "14:05:59", 5, 950, "14:05:07.9"},
        {"14:05:07", "14:05:59", 5, 960, "14:05:07.9"},  // nothing carries into the seconds
        {"14:05:07", "14:05:59", 5, 999, "14:05:07.9"},
        {"14:05", "14:05", 5, 300, "14:05"},             // the probe shows no seconds
        {"", "14:05:59", 5, 300, ""},
    };
    for (const Case& c : cases) {
        std::string text = c.text;
        shell::InsertSecondTenths(text, c.probe, c.minute, c.milliseconds);
        EXPECT_EQ(text, c.result) << c.text << " + " << c.milliseconds << " ms";
    }
    EXPECT_EQ(shell::TenthsProbeSeconds(59), 58);
    EXPECT_EQ(shell::TenthsProbeSeconds(0), 59);
}

}  // namespace
