#include <gtest/gtest.h>

#include <string>

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include "app/shell/format/date_time.h"

namespace {

std::string LocaleText(LCTYPE type)
{
    char text[16] = "";
    GetLocaleInfoA(LOCALE_USER_DEFAULT, type, text, sizeof text);
    return text;
}

std::string TimeSeconds(bool picture, const shell::QzDateTime* record)
{
    CQzString out;
    shell::FormatTimeSeconds(out, picture, record);
    return static_cast<const char*>(out);
}

TEST(FormatTimeSeconds, PutsTenthsBehindTheSeconds)
{
    const std::string sep = LocaleText(LOCALE_STIME);
    struct Case {
        shell::QzDateTime record;
        std::string text;
    } cases[] = {
        {{0, 0, 0, 14, 5, 7, 0}, "14" + sep + "05" + sep + "07"},
        {{0, 0, 0, 14, 5, 7, 300}, "14" + sep + "05" + sep + "07.3"},
        {{0, 0, 0, 10, 59, 7, 400}, "10" + sep + "59" + sep + "07.4"},
        {{0, 0, 0, 9, 5, 5, 960}, "09" + sep + "05" + sep + "05.9"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(TimeSeconds(true, &c.record), c.text);
    // The current time carries no tenths.
    const std::string now = TimeSeconds(true, nullptr);
    EXPECT_EQ(now.size(), 6 + 2 * sep.size());
    EXPECT_EQ(now.find('.'), std::string::npos);
    // The locale's own format with a record the platform refuses gives "".
    const shell::QzDateTime invalid{0, 0, 0, 25, 0, 0, 0};
    EXPECT_EQ(TimeSeconds(false, &invalid), "");
}

TEST(FormatDate, NumericOrderFollowsTheLocale)
{
    const std::string order = LocaleText(LOCALE_IDATE);
    const std::string sep = LocaleText(LOCALE_SDATE);
    const shell::QzDateTime record{2003, 0, 15, 0, 0, 0, 0};
    CQzString out;
    shell::FormatDate(out, true, &record);
    const std::string expected = order == "0"   ? "01" + sep + "15" + sep + "2003"
                                 : order == "1" ? "15" + sep + "01" + sep + "2003"
                                                : "2003" + sep + "01" + sep + "15";
    EXPECT_STREQ(out, expected.c_str());
    // Month 0 and day 0 of an all-zero record cannot be formatted.
    const shell::QzDateTime zero{};
    shell::FormatDate(out, false, &zero);
    EXPECT_STREQ(out, "");
}

TEST(FormatTime, PictureHasHoursAndMinutesOnly)
{
    const std::string sep = LocaleText(LOCALE_STIME);
    const shell::QzDateTime record{0, 0, 0, 21, 7, 30, 0};
    CQzString out;
    shell::FormatTime(out, true, &record);
    EXPECT_EQ(std::string(out), "21" + sep + "07");
}

TEST(LocaleShootingDateTimeText, GivesTheShortDateAndTheLocaleTimeWithTenths)
{
    // 3 December 1998, 14:24:00.5; the record counts months from 0.
    const QzShootingTime shot = {1998, 11, 3, 14, 24, 0, 500};
    SYSTEMTIME when{};
    when.wYear = 1998;
    when.wMonth = 12;
    when.wDay = 3;
    char date[64] = "";
    ASSERT_GT(GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &when, nullptr, date, sizeof date), 0);
    const shell::QzDateTime record = {1998, 11, 3, 14, 24, 0, 500};
    CQzString time;
    shell::FormatTimeSeconds(time, false, &record);

    const IQzDateTimeText& text = shell::GetLocaleShootingDateTimeText();
    CQzString out;
    text.FormatDate(out, shot);
    EXPECT_EQ(std::string(date), static_cast<const char*>(out));
    text.FormatTimeSeconds(out, shot);
    EXPECT_EQ(std::string(time), static_cast<const char*>(out));
    EXPECT_NE(std::string::npos, std::string(out).find("00.5")) << static_cast<const char*>(out);
}

}  // namespace

