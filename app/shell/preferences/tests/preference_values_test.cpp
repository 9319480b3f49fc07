// The preference pages' pure values: two-decimal fields kept as hundredths
// through the program's own number texts, and the save format list against
// the batch record's file types.
#include <gtest/gtest.h>

#include "app/shell/batch/auto_save_settings.h"
#include "app/shell/format/number_text.h"
#include "app/shell/preferences/hundredths.h"
#include "app/shell/preferences/preference_lists.h"

namespace {

// Shown with two decimals, read back and stored: the stored value is the shown one.
int32_t RoundTrip(int32_t hundredths, uint32_t flags)
{
    const shell::NumberSeparators notation;
    CQzString text;
    shell::FormatNumber(text, hundredths * 0.01, 2, flags, notation);
    return shell::ToHundredths(shell::ParseNumber(text, nullptr, true, notation));
}

TEST(PreferenceValues, EveryClipValueIsStoredAsShown)
{
    for (int32_t h = 1; h <= 999; ++h)
        ASSERT_EQ(RoundTrip(h, 0), h) << h;
}

TEST(PreferenceValues, GridSpacingsAreStoredAsShownWithThousandsSeparators)
{
    for (int32_t h = 1; h <= 500000; h += 37)
        ASSERT_EQ(RoundTrip(h, shell::kGroup), h) << h;
    EXPECT_EQ(RoundTrip(500000, shell::kGroup), 500000);
}

TEST(PreferenceValues, HundredthsOfTypedTexts)
{
    const shell::NumberSeparators notation;
    struct Case {
        const char* text;
        int32_t hundredths;
    } cases[] = {
        {"2.01", 201}, {"2.30", 230}, {"2.5", 250}, {"0.50", 50}, {"100", 10000}, {"9.99", 999},
        {"0.01", 1},   {"4,999.99", 499999},        {"5,000.00", 500000},          {"", 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(shell::ToHundredths(shell::ParseNumber(c.text, nullptr, true, notation)), c.hundredths) << c.text;
    EXPECT_EQ(shell::ToHundredths(1e12), INT32_MAX);
    EXPECT_EQ(shell::ToHundredths(-1e12), INT32_MIN);
}

// An entry's index in the list is the batch record's file type of the
// same format; its data is the setting's own code.
TEST(PreferenceValues, SaveFormatListFollowsTheBatchFileTypes)
{
    struct Expected {
        uint32_t caption;
        int32_t settingCode;
        int32_t writerFormat;
    } expected[] = {
        {8208, 0, shell::kFormatUnknown},   {8209, 1, shell::kFormatRaw},  {8214, 6, shell::kFormatBmp},
        {8210, 2, shell::kFormatExifJpeg}, {8211, 3, shell::kFormatJpeg}, {8212, 4, shell::kFormatTiff},
        {8213, 5, shell::kFormatTiff},
    };
    ASSERT_EQ(std::size(shell::kSaveFormatList), std::size(expected));
    for (size_t i = 0; i < std::size(expected); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(shell::kSaveFormatList[i].caption, expected[i].caption);
        EXPECT_EQ(shell::kSaveFormatList[i].data, expected[i].settingCode);
        EXPECT_EQ(shell::FileTypeToFormatCode(static_cast<int32_t>(i)), expected[i].writerFormat);
    }
}

TEST(PreferenceValues, StepsOverTheWorkingSpaceSeparator)
{
    constexpr int32_t kSeparator = 6;
    constexpr int32_t kCount = 9;
    struct Case {
        int32_t previous;
        int32_t selected;
    } cases[] = {{5, 7}, {0, 7}, {-1, 7}, {6, 7}, {7, 5}, {8, 5}};
    for (const Case& c : cases)
        EXPECT_EQ(shell::StepOverSeparator(kSeparator, c.previous, kCount), c.selected) << c.previous;
    EXPECT_EQ(shell::StepOverSeparator(8, 2, 9), -1);  // a separator at the end: nothing below it
}

}  // namespace
