#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <string>

#include "app/shell/format/number_text.h"

namespace {

using shell::NumberSeparators;

NumberSeparators Notation(const char* decimal, const char* thousands, int32_t leadingZero = 1, int32_t digits = 2)
{
    NumberSeparators notation;
    std::strcpy(notation.decimal, decimal);
    std::strcpy(notation.thousands, thousands);
    notation.leadingZero = leadingZero;
    notation.digits = digits;
    return notation;
}

std::string Format(double value, int32_t decimals, uint32_t flags, const NumberSeparators& notation)
{
    CQzString out;
    shell::FormatNumber(out, value, decimals, flags, notation);
    return static_cast<const char*>(out);
}

// The text in a heap block of exactly its size, so that a read past its end
// is caught by the address sanitizer.
std::unique_ptr<char[]> Exact(const std::string& text)
{
    auto block = std::make_unique<char[]>(text.size() + 1);
    std::memcpy(block.get(), text.c_str(), text.size() + 1);
    return block;
}

TEST(FormatNumber, WritesTheUsersNotation)
{
    const NumberSeparators us = Notation(".", ",");
    const NumberSeparators noLeadingZero = Notation(".", ",", 0);
    const NumberSeparators german = Notation(",", ".");
    const NumberSeparators locale4 = Notation(".", ",", 1, 4);
    struct Case {
        double value;
        int32_t decimals;
        uint32_t flags;
        const NumberSeparators* notation;
        const char* text;
    } cases[] = {
        {1234567.891, 2, shell::kGroup, &us, "1,234,567.89"},
        {1234567.891, 2, shell::kGroup, &german, "1.234.567,89"},
        {1234567.891, 2, 0, &us, "1234567.89"},
        {123456, 0, shell::kGroup, &us, "123,456"},
        {0.25, 2, 0, &us, "0.25"},
        {0.25, 2, 0, &noLeadingZero, ".25"},
        {0.2, 0, 0, &noLeadingZero, "0"},  // nothing written becomes "0"
        {0.125, 2, 0, &us, "0.13"},        // an exact half away from zero
        {-0.125, 2, 0, &us, "-0.13"},
        {2.675, 2, 0, &us, "2.67"},        // just below the half in binary
        {0.999, 2, 0, &us, "1.00"},
        {99.5, 0, shell::kGroup, &us, "100"},
        {999999.5, 0, shell::kGroup, &us, "1,000,000"},
        {2.5, 3, shell::kTrimZeros, &us, "2.5"},
        {3, 2, shell::kTrimZeros, &us, "3"},
        {100, 0, shell::kTrimZeros, &us, "100"},
        {0.001, 2, shell::kPlusSign, &us, "+0.00"},
        {0, 2, shell::kPlusSign, &us, "0.00"},
        {5, 2, shell::kAlwaysSign, &us, "+5.00"},
        {0, 2, shell::kAlwaysSign, &us, "+0.00"},
        {-0.001, 2, 0, &us, "-0.00"},
        {0.6, -3, 0, &us, "0.600"},         // beyond 0.5: fixed decimals
        {0.001234, -3, 0, &us, "0.00123"},  // near 0: significant digits
        {0.25, -3, 0, &us, "0.250"},
        {-0.25, -2, 0, &us, "-0.25"},
        {1.5, shell::kDecimalsSignificant13, 0, &us, "1.500000000000"},
        {1.5, shell::kDecimalsSignificant13, shell::kTrimZeros, &us, "1.5"},
        {12345678901234567.0, shell::kDecimalsSignificant13, shell::kGroup, &us, "12,345,678,901,230,000"},
        {0, shell::kDecimalsSignificant13, shell::kTrimZeros, &us, "0"},
        {1.23456, shell::kDecimalsLocale, 0, &locale4, "1.2346"},
        {1.23456, shell::kDecimalsLocaleNegated, 0, &locale4, "1.2346"},
        {0.0123456, shell::kDecimalsLocaleNegated, 0, &locale4, "0.01235"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Format(c.value, c.decimals, c.flags, *c.notation), c.text)
            << c.value << " with " << c.decimals << " decimals, flags " << c.flags;
}

TEST(FormatNumber, EmptySeparatorsMeanAFullStopAndNoGrouping)
{
    const NumberSeparators empty = Notation("", "");
    EXPECT_EQ(Format(1234567.891, 2, shell::kGroup, empty), "1234567.89");
    EXPECT_EQ(Format(2.5, 3, shell::kTrimZeros, empty), "2.5");
}

TEST(FormatNumber, AbsurdDecimalsStayBounded)
{
    const NumberSeparators us = Notation(".", ",");
    const std::string text = Format(1, INT32_MIN + 3, 0, us);
    EXPECT_LE(text.size(), 1110u);
    EXPECT_EQ(text.substr(0, 4), "1.00");
    EXPECT_EQ(Format(1e308, 2, 0, us).size(), 312u);
}

TEST(ParseNumber, ReadsTheUsersNotation)
{
    const NumberSeparators us = Notation(".", ",");
    const NumberSeparators german = Notation(",", ".");
    const std::string nines308(308, '9');
    const std::string nines309(309, '9');
    struct Case {
        std::string text;
        bool decimals;
        const NumberSeparators* notation;
        double value;
        int32_t ok;
    } cases[] = {
        {"  -1,234.5", true, &us, -1234.5, 1},
        {"  -1,234.5", false, &us, -1234, 1},
        {"\t\n+7", true, &us, 7, 1},
        {"12abc", true, &us, 12, 1},
        {"abc", true, &us, 0, 0},
        {"", true, &us, 0, 0},
        {"-", true, &us, 0, 0},
        {".5", true, &us, 0.5, 1},
        {".5", false, &us, 0, 0},
        {"1,2,3", true, &us, 123, 1},
        {"1,,2", true, &us, 1, 1},
        {"1.234,5", true, &german, 1234.5, 1},
        {"1e5", true, &us, 1, 1},
        {nines308, true, &us, 1e308, 1},
        {nines309, true, &us, 0, 0},
        {"-" + nines309, true, &us, 0, 0},
    };
    for (const Case& c : cases) {
        int32_t ok = -1;
        const double value = shell::ParseNumber(c.text.c_str(), &ok, c.decimals, *c.notation);
        // 308 digits gather a little rounding on the way.
        EXPECT_NEAR(value, c.value, 1e-12 * std::fabs(c.value)) << '"' << c.text << '"';
        EXPECT_EQ(ok, c.ok) << '"' << c.text << '"';
    }
    EXPECT_DOUBLE_EQ(shell::ParseNumber("3.25", nullptr, true, us), 3.25);
    EXPECT_EQ(shell::ParseNumber(nullptr, nullptr, true, us), 0);
}

TEST(ParseNumber, EmptySeparatorsNeverReadPastTheText)
{
    const NumberSeparators empty = Notation("", "");
    struct Case {
        const char* text;
        double value;
    } cases[] = {{"12", 12}, {"1,234", 1}, {"2.5", 2.5}, {"7", 7}};
    for (const Case& c : cases) {
        const auto text = Exact(c.text);
        int32_t ok = 0;
        EXPECT_DOUBLE_EQ(shell::ParseNumber(text.get(), &ok, true, empty), c.value) << c.text;
        EXPECT_EQ(ok, 1) << c.text;
    }
}

TEST(NumberSeparators, AreCopiedOutAsReadOnce)
{
    char decimal[4] = "x";
    char thousands[4] = "x";
    int32_t leadingZero = -1;
    int32_t digits = -1;
    shell::GetNumberSeparators(decimal, thousands, &leadingZero, &digits);
    const NumberSeparators& notation = shell::UserNumberSeparators();
    EXPECT_STREQ(decimal, notation.decimal);
    EXPECT_STREQ(thousands, notation.thousands);
    EXPECT_EQ(leadingZero, notation.leadingZero);
    EXPECT_EQ(digits, notation.digits);
    shell::GetNumberSeparators(decimal, thousands, nullptr, nullptr);
}

}  // namespace
