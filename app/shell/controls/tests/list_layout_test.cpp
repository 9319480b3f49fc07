#include <gtest/gtest.h>

#include "app/shell/controls/list_layout.h"

namespace {

constexpr uint32_t kSpace = 0x20, kPrior = 0x21, kNext = 0x22, kEnd = 0x23, kHome = 0x24, kLeft = 0x25,
                   kDown = 0x28;

TEST(ListLayout, LastFirstLineLeavesTheLastPageFull)
{
    struct Case {
        int32_t lines, lineSize, extent, lastFirst;
    } cases[] = {
        {10, 100, 350, 7}, {10, 100, 300, 8}, {10, 100, 100, 9}, {10, 100, 1000, 1}, {10, 100, 1100, 0},
        {0, 100, 350, 0},  {1, 100, 50, 0},   {3, 100, 10000, 0}, {10, 1, 0x7FFFFFFF, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(shell::LastFirstLine(c.lines, c.lineSize, c.extent), c.lastFirst)
            << c.lines << " x " << c.lineSize << " in " << c.extent;
}

TEST(ListLayout, ScrollersShowFromAnExactFill)
{
    EXPECT_TRUE(shell::ScrollersNeeded(3, 100, 300));
    EXPECT_TRUE(shell::ScrollersNeeded(4, 100, 300));
    EXPECT_FALSE(shell::ScrollersNeeded(2, 100, 300));
    EXPECT_FALSE(shell::ScrollersNeeded(0, 100, 300));
    EXPECT_TRUE(shell::ScrollersNeeded(0x7FFFFFFF, 0x7FFFFFFF, 0x7FFFFFFF));  // no overflow
}

TEST(ListLayout, PageSizesNeverDivideByZero)
{
    EXPECT_EQ(shell::PageLines(350, 100), 3);
    EXPECT_EQ(shell::PageLines(350, 0), 0);
    EXPECT_EQ(shell::PageKeyLines(350, 100), 2);
    EXPECT_EQ(shell::PageKeyLines(300, 100), 1);
    EXPECT_EQ(shell::PageKeyLines(150, 100), 1);  // a view under two lines still pages by one
    EXPECT_EQ(shell::PageKeyLines(350, 0), 1);
}

TEST(ListLayout, ScrollCodesMoveTheFirstLineAndPosition)
{
    // Ten lines of 100 in 350 pixels: last first line 7, page 3, range 0..9.
    const shell::ScrollState at{4, 4};
    struct Case {
        uint32_t code;
        int32_t track;
        shell::ScrollState from;
        int32_t first, position;
    } cases[] = {
        {0, 0, at, 3, 3},      {0, 0, {0, 0}, 0, 0}, {1, 0, at, 5, 5}, {1, 0, {7, 7}, 7, 7},
        {2, 0, at, 1, 1},      {2, 0, {1, 1}, 0, 0}, {3, 0, at, 7, 7}, {3, 0, {6, 6}, 7, 9},
        {4, 0, at, 0, 0},      {5, 6, at, 6, 6},     {6, 0, at, 0, 0}, {7, 0, at, 7, 9},
        {8, 0, at, 4, 4},  // SB_ENDSCROLL changes nothing
    };
    for (const Case& c : cases) {
        const shell::ScrollState next = shell::ApplyScrollCode(c.code, c.track, c.from, 0, 9, 7, 3);
        EXPECT_EQ(next.firstLine, c.first) << "code " << c.code;
        EXPECT_EQ(next.position, c.position) << "code " << c.code;
    }
}

TEST(ListLayout, NavigationKeysMoveTheFocus)
{
    // Ten lines of 100 in a 350-pixel view.
    struct Case {
        uint32_t key;
        int32_t index, firstLine, target;
    } cases[] = {
        {kLeft, 0, 0, 0},  {kLeft, 5, 3, 4},   {kDown, 9, 7, 9},  {kDown, 3, 0, 4},  {kHome, 6, 3, 0},
        {kEnd, 2, 0, 9},   {kSpace, 4, 2, 4},
        {kPrior, 0, 0, 0},   // nothing before the first item
        {kPrior, 5, 3, 3},   // to the first visible line
        {kPrior, 3, 3, 1},   // already there: two lines back
        {kPrior, 1, 1, 0},   // not below 0
        {kNext, 9, 7, 9},    // nothing at the last line
        {kNext, 0, 0, 2},    // to the last line shown whole
        {kNext, 2, 0, 4},    // at the view's end: two lines on
        {kNext, 8, 7, 9},    // not beyond the last
    };
    for (const Case& c : cases)
        EXPECT_EQ(shell::NavigationTarget(c.key, c.index, 10, c.firstLine, 100, 350), c.target)
            << "key " << c.key << " from " << c.index;
    EXPECT_EQ(shell::NavigationTarget(kNext, 0, 0, 0, 100, 350), 0);
}

TEST(ListLayout, FirstLineShowingMovesAsLittleAsPossible)
{
    struct Case {
        int32_t index, firstLine;
        bool partly;
        int32_t first;
    } cases[] = {
        {2, 0, false, 0}, {3, 0, false, 1}, {3, 0, true, 0}, {9, 0, false, 7},
        {1, 4, false, 1}, {5, 4, false, 4},
    };
    for (const Case& c : cases)
        EXPECT_EQ(shell::FirstLineShowing(c.index, c.firstLine, 7, 100, 350, c.partly), c.first) << c.index;
}

}  // namespace
