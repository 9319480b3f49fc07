#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "Vorlat/Vorlat.h"

namespace {

TEST(ColorSpace, BitsPerPixelOfEveryCode)
{
    const struct {
        int32_t code;
        int32_t bits;
    } cases[] = {
        {0, 0},   {1, 1},   {2, 8},   {3, 16},  {16, 1},  {17, 2},  {18, 4},       {19, 8},       {32, 24},
        {33, 48}, {34, 32}, {35, 48}, {36, 48}, {37, 48}, {38, 24}, {39, 24},      {40, 24},      {64, 16},
        {65, 16}, {66, 16}, {20, 0},  {41, 0},  {67, 0},  {0x10003, 24}, {0x10001, 8},  {0x10000, 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(IVorlatDataSource::GetBitsPerPixel(c.code), c.bits) << "code " << c.code;
}

TEST(DblRect, RoundsHalfAwayFromZero)
{
    VorlatDblRect r;
    r.left = -0.5;
    r.top = 0.5;
    r.right = 1.49;
    r.bottom = -1.5;
    const RECT rect = r;
    EXPECT_EQ(rect.left, -1);
    EXPECT_EQ(rect.top, 1);
    EXPECT_EQ(rect.right, 1);
    EXPECT_EQ(rect.bottom, -2);

    const RECT source{3, -4, 5, 6};
    const VorlatDblRect copy(source);
    EXPECT_EQ(copy.left, 3.0);
    EXPECT_EQ(copy.top, -4.0);
}

// Coordinates past the 32-bit range (a far mapping, a huge factor) stop at its
// ends, halves that would round past them too; NaN has no side and becomes 0.
TEST(DblRect, CoordinatesBeyond32BitsStopAtTheEnds)
{
    const struct {
        double v;
        int32_t rounded;
    } cases[] = {{1e10, INT32_MAX},       {-1e10, INT32_MIN},     {2147483647.4, INT32_MAX},
                 {2147483647.5, INT32_MAX}, {-2147483648.5, INT32_MIN}, {-2147483647.6, INT32_MIN},
                 {2147483646.5, INT32_MAX}, {std::nan(""), 0}};
    for (const auto& c : cases) {
        VorlatDblRect r;
        r.left = r.top = r.right = r.bottom = c.v;
        const RECT rect = r;
        EXPECT_EQ(rect.left, c.rounded) << c.v;
        EXPECT_EQ(rect.bottom, c.rounded) << c.v;
    }
}

TEST(DblRect, EqualWithinOneTenBillionth)
{
    const RECT base{1, 2, 3, 4};
    const VorlatDblRect a(base);
    const struct {
        double delta;
        int equal;
    } cases[] = {{0.0, 1}, {0.5e-10, 1}, {1e-9, 0}, {-1e-9, 0}};
    for (const auto& c : cases) {
        VorlatDblRect b(base);
        b.bottom += c.delta;
        EXPECT_EQ(a == b, c.equal) << c.delta;
        EXPECT_EQ(a != b, !c.equal) << c.delta;
    }
}

TEST(Palette, ComparesOnlyTheChannelsOfItsColourSpace)
{
    VorlatPalette a;
    std::memset(&a, 0, sizeof a);
    a.count = 2;
    a.colorSpace = 38;
    VorlatPalette b = a;
    b.entries[1].bytes[0] = 9;
    EXPECT_TRUE(a == b);  // code 38 entries are not compared

    a.colorSpace = b.colorSpace = 32;
    EXPECT_FALSE(a == b);
    b.entries[1].bytes[0] = 0;
    b.entries[1].bytes[3] = 9;  // not a channel of code 32
    EXPECT_TRUE(a == b);
    a.colorSpace = b.colorSpace = 34;
    EXPECT_FALSE(a == b);

    b = a;
    b.entries[5].bytes[0] = 1;  // beyond count
    EXPECT_TRUE(a == b);
    b.count = 3;
    EXPECT_FALSE(a == b);
}

TEST(ClassID, ComparesAllSixteenBytes)
{
    VorlatClassID a{}, b{};
    EXPECT_TRUE(a == b);
    b.bytes[15] = 1;
    EXPECT_TRUE(a != b);
}

} // namespace
