#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "app/shell/format/byte_size.h"

namespace {

std::string Size(double count, bool exact, bool longUnits, const shell::ByteSizeNotation& notation)
{
    CQzString out;
    shell::FormatByteSize(out, count, exact, longUnits, notation);
    return static_cast<const char*>(out);
}

TEST(FormatByteSize, PicksTheUnitAndItsDecimals)
{
    const shell::ByteSizeNotation notation;
    const double kib = 1024.0;
    const double mib = kib * kib;
    const double gib = mib * kib;
    struct Case {
        double count;
        bool longUnits;
        const char* text;
    } cases[] = {
        {0, false, "0 Bytes"},
        {1023, false, "1023 Bytes"},
        {1023.9, false, "1023 Bytes"},
        {1024, false, "1.00KB"},
        {1536, false, "1.50KB"},
        {1536, true, "1.50KBytes"},
        {10234, false, "9.99KB"},
        {10235, false, "10.0KB"},
        {15 * mib, false, "15.0MB"},
        {99.94 * mib, false, "99.9MB"},
        {99.96 * mib, false, "100MB"},
        {1048575, false, "1024KB"},
        {1048576, false, "1.00MB"},
        {500 * gib, false, "500GB"},
        {500 * gib, true, "500GBytes"},
        {3 * gib * kib, false, "3.00TB"},
        {1e30, false, "2147483647TB"},   // no unit beyond TB; the count saturates
        {NAN, false, "0 Bytes"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Size(c.count, false, c.longUnits, notation), c.text) << c.count;
}

TEST(FormatByteSize, ExactCountIsGroupedByTheLocale)
{
    shell::ByteSizeNotation notation;
    EXPECT_EQ(Size(1536, true, false, notation), "1.50KB (1,536 ");
    EXPECT_EQ(Size(1023, true, false, notation), "1023 Bytes (1,023 ");
    EXPECT_EQ(Size(123, true, false, notation), "123 Bytes (123 ");
    // Every digit of a count beyond 15 of them.
    EXPECT_EQ(Size(1e18, true, false, notation), "909495TB (1,000,000,000,000,000,000 ");
    notation.decimal.assign(1, ',');
    notation.thousands.assign(1, '.');
    notation.grouping = 4;
    EXPECT_EQ(Size(123456789, true, false, notation), "118MB (1.2345.6789 ");
    EXPECT_EQ(Size(1536, false, false, notation), "1,50KB");
    notation.grouping = 0;
    EXPECT_EQ(Size(123456789, true, false, notation), "118MB (123456789 ");
    notation.grouping = 3;
    notation.decimal.clear();
    notation.thousands.clear();
    EXPECT_EQ(Size(1536, true, false, notation), "1.50KB (1536 ");
}

}  // namespace
