// The source window: folding at the edges, the most-recently-used tile table,
// eviction, and failures that leave the window usable.
#include "filters/SourceWindow.h"
#include "resample_test_util.h"

using namespace kolvex_test;

namespace {

class SourceWindowTest : public ::testing::Test {
protected:
    // Grey 8-bit, 32 x 32 tiles.
    void Make(int32_t width, int32_t height)
    {
        manager = MakeManager(1024);
        image = MakeImage(manager, 2, width, height, PositionPattern(width, height));
        w = width;
        h = height;
    }
    void TearDown() override
    {
        if (image)
            image->Destroy();
        if (manager)
            manager->Destroy();
    }
    int Value(int32_t x, int32_t y) const { return (x + 3 * y) % 251; }

    IVorlatManager* manager = nullptr;
    IVorlatImage* image = nullptr;
    int32_t w = 0, h = 0;
};

TEST_F(SourceWindowTest, FoldsOutsidePositionsOntoTheEdgeAndRelocatesUntilInside)
{
    Make(100, 80);
    CSourceWindow window(image, 2, 1, 1);
    KOLVEX_OK(window.Relocate(-3, 5));
    EXPECT_EQ(window.x, -3);
    EXPECT_EQ(*window.pixel.GetPtr(), Value(0, 5));
    while (window.x < 0) {
        // Folded: no span, so every step relocates.
        EXPECT_EQ(window.right, 0);
        EXPECT_TRUE(window.xFolded);
        KOLVEX_OK(window.StepRight());
        EXPECT_EQ(*window.pixel.GetPtr(), Value(0, 5));
    }
    EXPECT_FALSE(window.xFolded);
    EXPECT_EQ(window.right, 31);
    for (int32_t x = 1; x < 40; ++x) {
        KOLVEX_OK(window.StepRight());
        ASSERT_EQ(*window.pixel.GetPtr(), Value(x, 5)) << x;
    }
    // The vertical axis was never folded, so its spans hold.
    EXPECT_EQ(window.up, 5);
    EXPECT_EQ(window.down, 26);
}

TEST_F(SourceWindowTest, FoldsByWholePeriods)
{
    Make(10, 4);
    const struct {
        int32_t x, column;
    } cases[] = {{10, 8}, {11, 9}, {12, 8}, {-1, 1}, {-2, 0}, {-3, 1}, {4, 4}, {INT32_MAX, 9}, {INT32_MIN, 0}};
    for (const auto& c : cases) {
        CSourceWindow window(image, 2, 2, 1);
        KOLVEX_OK(window.Relocate(c.x, 2));
        EXPECT_EQ(*window.pixel.GetPtr(), Value(c.column, 2)) << c.x;
        EXPECT_EQ(window.x, c.x);
    }
}

TEST_F(SourceWindowTest, PeriodZeroGivesANullPointerThatTakesASlot)
{
    Make(40, 40);
    CountingSource counted(image);
    CSourceWindow window(&counted, 2, 0, 0);
    KOLVEX_OK(window.Relocate(3, 3));
    EXPECT_EQ(*window.pixel.GetPtr(), Value(3, 3));
    KOLVEX_OK(window.Relocate(-1, 3));
    EXPECT_EQ(window.pixel.GetPtr(), nullptr);
    EXPECT_EQ(window.count, 2);
    EXPECT_FALSE(window.xFolded);
    // Outside again: a new outside entry pushes the tile out of the full table.
    KOLVEX_OK(window.MoveTo(-2, 3));
    EXPECT_EQ(window.pixel.GetPtr(), nullptr);
    EXPECT_FALSE(IsTileLocked(image, 0, 0));
    const int32_t lookups = counted.tileLookups;
    KOLVEX_OK(window.MoveTo(4, 3));
    EXPECT_EQ(*window.pixel.GetPtr(), Value(4, 3));
    EXPECT_EQ(counted.tileLookups, lookups + 1);
}

TEST_F(SourceWindowTest, EvictsTheLeastRecentlyUsedTile)
{
    Make(100, 40);
    CountingSource counted(image);
    {
        CSourceWindow window(&counted, 2, 1, 1);
        KOLVEX_OK(window.MoveTo(0, 1));
        for (int32_t x = 1; x < 64; ++x)
            KOLVEX_OK(window.StepRight());
        EXPECT_TRUE(IsTileLocked(image, 0, 0));
        EXPECT_TRUE(IsTileLocked(image, 1, 0));
        KOLVEX_OK(window.StepRight());  // x = 64: the third tile
        EXPECT_EQ(*window.pixel.GetPtr(), Value(64, 1));
        EXPECT_FALSE(IsTileLocked(image, 0, 0));
        EXPECT_TRUE(IsTileLocked(image, 1, 0));
        EXPECT_TRUE(IsTileLocked(image, 2, 0));
        EXPECT_EQ(counted.tileLookups, 3);
        // Back into a held tile: found in the table, no lookup.
        KOLVEX_OK(window.MoveTo(40, 2));
        EXPECT_EQ(*window.pixel.GetPtr(), Value(40, 2));
        EXPECT_EQ(counted.tileLookups, 3);
        EXPECT_EQ(window.held[0].area.left, 32);
    }
    // The destructor unlocks what it held.
    EXPECT_FALSE(IsTileLocked(image, 1, 0));
    EXPECT_FALSE(IsTileLocked(image, 2, 0));
}

TEST_F(SourceWindowTest, StepsInEveryDirectionAcrossTileBorders)
{
    Make(70, 70);
    CSourceWindow window(image, 2, 1, 1);
    KOLVEX_OK(window.MoveTo(33, 33));
    for (int32_t i = 0; i < 3; ++i)
        KOLVEX_OK(window.StepLeft());
    EXPECT_EQ(*window.pixel.GetPtr(), Value(30, 33));
    for (int32_t i = 0; i < 4; ++i)
        KOLVEX_OK(window.StepUp());
    EXPECT_EQ(*window.pixel.GetPtr(), Value(30, 29));
    for (int32_t i = 0; i < 40; ++i)
        KOLVEX_OK(window.StepDown());
    EXPECT_EQ(*window.pixel.GetPtr(), Value(30, 69));
    KOLVEX_OK(window.StepDown());  // beyond the bottom: the last row again
    EXPECT_EQ(*window.pixel.GetPtr(), Value(30, 69));
    EXPECT_EQ(window.y, 70);
}

TEST_F(SourceWindowTest, MoveToAfterAFoldedRelocationRelocates)
{
    Make(40, 40);
    CSourceWindow window(image, 2, 1, 1);
    KOLVEX_OK(window.Relocate(-5, 3));
    ASSERT_TRUE(window.xFolded);
    KOLVEX_OK(window.MoveTo(6, 3));
    EXPECT_FALSE(window.xFolded);
    EXPECT_EQ(*window.pixel.GetPtr(), Value(6, 3));
    EXPECT_EQ(window.left, 6);
    EXPECT_EQ(window.right, 25);
    // From here the cheap path keeps the spans right.
    KOLVEX_OK(window.MoveTo(9, 7));
    EXPECT_EQ(*window.pixel.GetPtr(), Value(9, 7));
    EXPECT_EQ(window.left, 9);
    EXPECT_EQ(window.up, 7);
}

TEST_F(SourceWindowTest, AFailedLockLeavesTheTableAsItWas)
{
    Make(100, 40);
    CountingSource counted(image);
    counted.failLockAt = 2;
    CSourceWindow window(&counted, 2, 1, 1);
    KOLVEX_OK(window.MoveTo(5, 5));
    EXPECT_EQ(Deepest(window.MoveTo(50, 5)), 4242);
    EXPECT_EQ(window.count, 1);
    EXPECT_EQ(window.x, 5);
    KOLVEX_OK(window.MoveTo(6, 5));
    EXPECT_EQ(*window.pixel.GetPtr(), Value(6, 5));
}

} // namespace
