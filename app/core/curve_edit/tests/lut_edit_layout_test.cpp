#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

#include "app/core/curve_edit/lut_edit_layout.h"

using namespace qz;

namespace {

bool Empty(const LutRect& r)
{
    return r.left == 0 && r.top == 0 && r.right == 0 && r.bottom == 0;
}

TEST(LutEditLayout, MarginsComeFromTheHandleSizes)
{
    const LutEditLayout layout = LayOutLutEdit(200, 200, GetLutEditMetrics());
    EXPECT_EQ(layout.marginLeft, 7);
    EXPECT_EQ(layout.marginRight, 5);
    EXPECT_EQ(layout.marginTop, 5);
    EXPECT_EQ(layout.marginBottom, 11);
    EXPECT_EQ(GetLutEditMetrics().handleHitRadius, 11);
}

TEST(LutEditLayout, PlacesThePlotStripsAndHandleRows)
{
    struct Case {
        int32_t width, height;
        int32_t side;
        LutRect plot, gradient, inputHandles, outputHandles;
    };
    const Case cases[] = {
        // Exactly fitting: the plot fills the margins' inside.
        {212, 216, 200, {7, 5, 207, 205}, {7, 206, 207, 209}, {2, 210, 212, 216}, {0, 0, 6, 210}},
        // Wider than tall: centred across.
        {312, 216, 200, {57, 5, 257, 205}, {57, 206, 257, 209}, {52, 210, 262, 216}, {50, 0, 56, 210}},
        // Taller than wide: centred down, odd spare pixels to the far side.
        {112, 217, 100, {7, 55, 107, 155}, {7, 156, 107, 159}, {2, 160, 112, 166}, {0, 50, 6, 160}},
        // The smallest plot.
        {14, 18, 2, {7, 5, 9, 7}, {7, 8, 9, 11}, {2, 12, 14, 18}, {0, 0, 6, 12}},
    };
    for (const Case& c : cases) {
        const LutEditLayout layout = LayOutLutEdit(c.width, c.height, GetLutEditMetrics());
        const auto same = [](const LutRect& a, const LutRect& b) {
            return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
        };
        EXPECT_EQ(layout.side, c.side) << c.width << "x" << c.height;
        EXPECT_TRUE(same(layout.plot, c.plot)) << c.width << "x" << c.height;
        EXPECT_TRUE(same(layout.gradient, c.gradient)) << c.width << "x" << c.height;
        EXPECT_TRUE(same(layout.inputHandles, c.inputHandles)) << c.width << "x" << c.height;
        EXPECT_TRUE(same(layout.outputHandles, c.outputHandles)) << c.width << "x" << c.height;
    }
}

TEST(LutEditLayout, NoPlotBelowASideOfTwo)
{
    struct Case {
        int32_t width, height;
    };
    const Case cases[] = {{13, 200}, {200, 17}, {0, 0}, {-50, 300}, {std::numeric_limits<int32_t>::min(), 10}};
    for (const Case& c : cases) {
        const LutEditLayout layout = LayOutLutEdit(c.width, c.height, GetLutEditMetrics());
        EXPECT_EQ(layout.side, 0) << c.width << "x" << c.height;
        EXPECT_TRUE(Empty(layout.plot) && Empty(layout.gradient) && Empty(layout.inputHandles) &&
                    Empty(layout.outputHandles))
            << c.width << "x" << c.height;
    }
}

TEST(LutEditLayout, HugeClientsDoNotWrap)
{
    constexpr int32_t kMax = std::numeric_limits<int32_t>::max();
    const LutEditLayout layout = LayOutLutEdit(kMax, 1000, GetLutEditMetrics());
    EXPECT_EQ(layout.side, 1000 - 16);
    EXPECT_GT(layout.plot.left, 0);
    EXPECT_EQ(layout.plot.Width(), layout.side);
}

}  // namespace
