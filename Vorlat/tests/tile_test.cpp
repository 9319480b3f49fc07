#include "vorlat_test_util.h"

#include "Vorlat/VorlatTileGrid_impl.h"

using namespace vorlat_test;

namespace {

TEST(TileID, OrdersByImageThenTile)
{
    const CVorlatTileID a(1, 9), b(2, 1), c(2, 3), c2(2, 3);
    EXPECT_TRUE(a < b);
    EXPECT_TRUE(b > a);
    EXPECT_TRUE(b < c);
    EXPECT_FALSE(c < c2);
    EXPECT_FALSE(c > c2);
    EXPECT_TRUE(c == c2);
    EXPECT_TRUE(a != b);
    const CVorlatTileID none;
    EXPECT_EQ(none.GetImageID(), 0);
    EXPECT_EQ(none.GetTileID(), 0);

    IVorlatTileID* copy = nullptr;
    VORLAT_OK(c.MakeCopy(&copy));
    EXPECT_TRUE(*copy == c);
    copy->Destroy();
}

class TileGridTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        manager = MakeManager(1 << 20, 16384);
        // Grey 8 bits: tile side 128.
        image = MakeImage(manager, 0, 2, 300, 200);
    }
    void TearDown() override
    {
        image->Destroy();
        manager->Destroy();
    }
    CVorlatManager* manager = nullptr;
    IVorlatImage* image = nullptr;
};

TEST_F(TileGridTest, MapsRectanglesToTilesAndMargins)
{
    const struct {
        RECT rect;
        int32_t columns, rows, left, right, top, bottom;
        int32_t firstTileId;
    } cases[] = {
        {{30, 0, 300, 200}, 3, 2, 30, 0, 0, 0, 1},
        {{30, 0, 170, 100}, 2, 1, 30, 256 - 170, 0, 28, 1},
        {{130, 130, 140, 150}, 1, 1, 2, 116, 2, 50, 5},
    };
    for (const auto& c : cases) {
        IVorlatTileGrid* grid = nullptr;
        VORLAT_OK(image->MapRect(&grid, c.rect));
        ASSERT_NE(grid, nullptr);
        EXPECT_EQ(grid->GetColumns(), c.columns);
        EXPECT_EQ(grid->GetRows(), c.rows);
        EXPECT_EQ(grid->GetLeftMargin(), c.left);
        EXPECT_EQ(grid->GetRightMargin(), c.right);
        EXPECT_EQ(grid->GetTopMargin(), c.top);
        EXPECT_EQ(grid->GetBottomMargin(), c.bottom);
        EXPECT_EQ(static_cast<CVorlatTileGrid*>(grid)->At(0, 0)->GetTileID(), c.firstTileId);
        grid->Destroy();
    }
}

TEST_F(TileGridTest, UsedRectOfOneTileIsTheRectangle)
{
    IVorlatTileGrid* grid = nullptr;
    VORLAT_OK(image->MapRect(&grid, RECT{130, 130, 140, 150}));
    bool exists = true;
    VORLAT_OK(grid->TileExists(&exists, 0, 0));
    EXPECT_FALSE(exists);
    RECT used{};
    VORLAT_OK(grid->GetTileUsed(&used, 0, 0));  // creates the tile
    EXPECT_EQ(used.left, 130);
    EXPECT_EQ(used.top, 130);
    EXPECT_EQ(used.right, 140);
    EXPECT_EQ(used.bottom, 150);
    VORLAT_OK(grid->TileExists(&exists, 0, 0));
    EXPECT_TRUE(exists);
    EXPECT_EQ(Failure(grid->GetTileRect(&used, 1, 0)), kVorlatErrNoSuchId);
    grid->Destroy();
}

TEST_F(TileGridTest, EmptyRectGivesNoGridAndOutsideRectFails)
{
    IVorlatTileGrid* grid = reinterpret_cast<IVorlatTileGrid*>(1);
    VORLAT_OK(image->MapRect(&grid, RECT{10, 10, 10, 50}));
    EXPECT_EQ(grid, nullptr);
    const RECT outside[] = {{-1, 0, 10, 10}, {0, 0, 301, 10}, {0, 0, 10, 201}, {20, 0, 10, 10}};
    for (const RECT& r : outside)
        EXPECT_EQ(Failure(image->MapRect(&grid, r)), kVorlatErrState);
}

TEST_F(TileGridTest, LastColumnTileEndsAtImageEdge)
{
    IVorlatTileGrid* grid = nullptr;
    VORLAT_OK(image->MapRect(&grid, RECT{30, 0, 300, 200}));
    RECT rect{};
    VORLAT_OK(grid->GetTileRect(&rect, 2, 1));
    EXPECT_EQ(rect.left, 256);
    EXPECT_EQ(rect.right, 300);
    EXPECT_EQ(rect.top, 128);
    EXPECT_EQ(rect.bottom, 200);
    grid->Destroy();
}

TEST_F(TileGridTest, NewTileStateAndInvalidRect)
{
    IVorlatTile* tile = nullptr;
    VORLAT_OK(image->GetTile(&tile, 1, 1));
    EXPECT_TRUE(tile->IsDiscarded());
    EXPECT_FALSE(tile->InMemory());
    EXPECT_FALSE(tile->IsPaged());
    EXPECT_FALSE(tile->IsLocked());
    RECT invalid{};
    EXPECT_TRUE(tile->GetInvalidRect(&invalid));
    EXPECT_EQ(invalid.left, 128);
    EXPECT_EQ(invalid.bottom, 200);

    tile->Validate();
    EXPECT_FALSE(tile->GetInvalidRect(&invalid));
    EXPECT_EQ(invalid.right, 0);
    tile->InvalidateRect(RECT{130, 140, 150, 150});
    tile->InvalidateRect(RECT{200, 130, 210, 135});
    EXPECT_TRUE(tile->GetInvalidRect(&invalid));
    EXPECT_EQ(invalid.left, 130);
    EXPECT_EQ(invalid.top, 130);
    EXPECT_EQ(invalid.right, 210);
    EXPECT_EQ(invalid.bottom, 150);
    tile->InvalidateRect(RECT{0, 0, 1000, 1000});
    tile->GetInvalidRect(&invalid);
    EXPECT_EQ(invalid.left, 128);
    EXPECT_EQ(invalid.right, 256);
}

TEST_F(TileGridTest, LocksNestAndNewBufferIsZero)
{
    IVorlatTile* tile = nullptr;
    VORLAT_OK(image->GetTile(&tile, 0, 0));
    void* bits = nullptr;
    VORLAT_OK(tile->Lock(&bits, nullptr));
    const auto* bytes = static_cast<const uint8_t*>(bits);
    for (int i = 0; i < 16384; ++i)
        ASSERT_EQ(bytes[i], 0) << i;
    void* again = nullptr;
    VORLAT_OK(tile->Lock(&again, nullptr));
    EXPECT_EQ(again, bits);
    VORLAT_OK(tile->Unlock());
    EXPECT_TRUE(tile->IsLocked());
    VORLAT_OK(tile->Unlock());
    EXPECT_FALSE(tile->IsLocked());
    EXPECT_EQ(Failure(tile->Unlock()), kVorlatErrState);
    EXPECT_EQ(tile->GetRowBytes(), 128);
    EXPECT_EQ(tile->GetImage(), image);
}

} // namespace
