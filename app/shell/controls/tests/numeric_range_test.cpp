#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "app/shell/controls/numeric_range.h"

namespace {

using shell::NumberSeparators;
using shell::NumericMode;
using shell::NumericRange;

NumberSeparators Notation(const char* decimal, const char* thousands)
{
    NumberSeparators notation;
    std::strcpy(notation.decimal, decimal);
    std::strcpy(notation.thousands, thousands);
    return notation;
}

NumericRange IntRange(int32_t min, int32_t max)
{
    NumericRange range;
    range.mode = NumericMode::Integer;
    range.intMin = min;
    range.intMax = max;
    return range;
}

NumericRange RealRange(double min, double max, int32_t decimals)
{
    NumericRange range;
    range.mode = NumericMode::Real;
    range.realMin = min;
    range.realMax = max;
    range.decimals = decimals;
    return range;
}

std::string Rewrite(const NumericRange& range, const char* text, const NumberSeparators& notation)
{
    CQzString out;
    EXPECT_TRUE(shell::RewriteNumberText(range, text, notation, out));
    return static_cast<const char*>(out);
}

TEST(NumericTypingLimit, CountsTheDigitsAndSignOfTheBounds)
{
    struct Case {
        int32_t min, max, limit;
    } cases[] = {
        {0, 100, 3},   {0, 999, 3},          {-50, 50, 3},   {0, 9, 1},         {0, 1000, 4},
        {-5, -1, 2},   {-100, -50, 4},       {0, 0x7FFFFFFF, 10},
        {INT32_MIN, 0, 11},  // -INT32_MIN computed without overflow
    };
    for (const Case& c : cases)
        EXPECT_EQ(shell::IntegerTypingLimit(c.min, c.max), c.limit) << c.min << ".." << c.max;

    struct RealCase {
        double min, max;
        int32_t decimals, limit;
    } realCases[] = {
        {-2, 2, 2, 5},       // D = 1 from the minimum's sign and digit: "-2.00"
        {0, 0.5, 2, 5},      // whole part 0 counts as 1
        {0, 100, 1, 5},      // floor(log10 100) = 2
        {-1000.5, 10.7, 3, 9},
        {0, 1e300, 0, 302},
    };
    for (const RealCase& c : realCases)
        EXPECT_EQ(shell::RealTypingLimit(c.min, c.max, c.decimals), c.limit) << c.min << ".." << c.max;
}

TEST(NumericTypingFilter, TakesDigitsSignsAndSeparatorsTheDecimalOnlyForReals)
{
    const NumberSeparators point = Notation(".", ",");
    const NumberSeparators comma = Notation(",", ".");
    struct Case {
        NumericMode mode;
        const NumberSeparators* notation;
        char ch;
        bool accepted;
    } cases[] = {
        {NumericMode::Integer, &point, '7', true},  {NumericMode::Integer, &point, '-', true},
        {NumericMode::Integer, &point, '+', true},  {NumericMode::Integer, &point, '\b', true},
        {NumericMode::Integer, &point, ',', true},  {NumericMode::Integer, &point, '.', false},
        {NumericMode::Integer, &point, 'a', false}, {NumericMode::Integer, &point, ' ', false},
        {NumericMode::Real, &point, '.', true},     {NumericMode::Real, &point, 'e', false},
        {NumericMode::Integer, &comma, ',', false}, {NumericMode::Integer, &comma, '.', true},
        {NumericMode::Real, &comma, ',', true},     {NumericMode::None, &point, 'q', true},
    };
    for (const Case& c : cases) {
        NumericRange range;
        range.mode = c.mode;
        EXPECT_EQ(shell::AcceptsTypedCharacter(range, c.ch, *c.notation), c.accepted)
            << "mode " << static_cast<int>(c.mode) << " '" << c.ch << "'";
    }
}

TEST(NumericLiveCheck, MarksTextsOutsideTheRangeOrNotNumbers)
{
    const NumberSeparators point = Notation(".", ",");
    struct Case {
        NumericRange range;
        const char* text;
        bool valid;
    } cases[] = {
        {IntRange(0, 100), "150", false},  {IntRange(0, 100), "100", true},   {IntRange(0, 100), "", false},
        {IntRange(0, 100), "abc", false},  {IntRange(0, 100), "1,0", true},   {IntRange(-50, 50), "-50", true},
        {IntRange(-50, 50), "-51", false}, {RealRange(-2, 2, 2), "1.50", true}, {RealRange(-2, 2, 2), "2.01", false},
        {RealRange(-2, 2, 2), "1.5x", false},  // parses, but holds a letter
        {RealRange(-2, 2, 2), "+1.5", true}, {NumericRange{}, "anything", true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(shell::IsValidNumberText(c.range, c.text, point), c.valid) << c.text;
}

TEST(NumericRewrite, ClampsIntoTheRangeAndFormatsWithTheRangesFlags)
{
    const NumberSeparators point = Notation(".", ",");
    const NumberSeparators comma = Notation(",", ".");
    NumericRange noGrouping = IntRange(0, 100000);
    noGrouping.grouping = false;
    NumericRange keepZeros = RealRange(0, 10, 2);
    keepZeros.trimZeros = false;
    struct Case {
        NumericRange range;
        const NumberSeparators* notation;
        const char* text;
        const char* rewritten;
    } cases[] = {
        {IntRange(0, 100), &point, "150", "100"},
        {IntRange(0, 100), &point, "-3", "0"},
        {IntRange(0, 100), &point, "abc", "0"},  // the value ParseNumber gives, clamped
        {IntRange(-50, 50), &point, "7", "+7"},  // a signed range shows the plus
        {IntRange(-50, 50), &point, "0", "0"},
        {IntRange(0, 100000), &point, "12345", "12,345"},
        {noGrouping, &point, "12345", "12345"},
        {IntRange(INT32_MIN, INT32_MAX), &point, "99999999999", "+2,147,483,647"},  // clamped, never wrapped
        {RealRange(-2, 2, 2), &point, "1.50", "+1.5"},
        {RealRange(-2, 2, 2), &point, "5", "+2"},
        {RealRange(-2, 2, 2), &comma, "1,25", "+1,25"},
        {keepZeros, &point, "3", "3.00"},
        {RealRange(0, 5000, 1), &comma, "1.234,56", "1.234,6"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Rewrite(c.range, c.text, *c.notation), c.rewritten) << c.text;

    CQzString out;
    EXPECT_FALSE(shell::RewriteNumberText(NumericRange{}, "12", point, out));
}

}  // namespace
