#include "vorlat_test_util.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "Vorlat/VorlatImage_impl.h"
#include "port/port.h"

using namespace vorlat_test;

namespace {

TEST(Manager, BudgetFromMemoryBytes)
{
    CVorlatManager* manager = MakeManager(1000000, 16384);
    EXPECT_EQ(manager->Budget(), 61);
    EXPECT_EQ(manager->MaxAdjustment(), 59);
    EXPECT_EQ(manager->GetTileSize(), 16384);
    manager->Destroy();
}

TEST(Manager, RefusesAPageFileThatCannotBeMade)
{
    IVorlatManager* manager = nullptr;
    IVorlatError* err = IVorlatManager::CreateManager(
        &manager, FileName(std::string(TESS_SCRATCH_DIR) + "/no such folder/x.tmp"), 1 << 20, 16384, 0);
    ASSERT_NE(err, nullptr);
    EXPECT_EQ(err->GetValue(), kVorlatErrPageFile);
    ASSERT_NE(err->Next(), nullptr);
    EXPECT_EQ(err->Next()->From(), kVorlatFromErrno);
    err->Destroy();
    ASSERT_NE(manager, nullptr);  // the caller owns it with the error
    manager->Destroy();
}

TEST(Manager, PagesLeastRecentlyUsedTileAndReadsItBack)
{
    CVorlatManager* manager = MakeManager(2 * 16384, 16384);
    IVorlatImage* image = MakeImage(manager, 0, 2, 3 * 128, 128);
    for (int c = 0; c < 3; ++c)
        Touch(image, c, 10 + c);
    // Every new tile counts against the budget, so each lock took the least recently used buffer.
    IVorlatTile* tile = nullptr;
    VORLAT_OK(image->GetTile(&tile, 0, 0));
    EXPECT_FALSE(tile->InMemory());
    EXPECT_TRUE(tile->IsPaged());
    EXPECT_EQ(tile->IsDiscarded(), false);
    const std::string path = manager->PageFiles()[0].path;
    EXPECT_EQ(FileLength(path), 2 * 16384);
    EXPECT_EQ(manager->PageFiles()[0].slots[0], tile);
    EXPECT_EQ(FirstByte(image, 0), 10);
    EXPECT_EQ(FirstByte(image, 1), 11);
    EXPECT_EQ(FirstByte(image, 2), 12);
    EXPECT_EQ(manager->CheckInvariants(), "");
    image->Destroy();
    manager->Destroy();
    EXPECT_EQ(FileLength(path), -1);  // deleted with the manager
}

TEST(Manager, RewrittenTileKeepsItsSlot)
{
    CVorlatManager* manager = MakeManager(1 * 16384, 16384);
    IVorlatImage* image = MakeImage(manager, 0, 2, 2 * 128, 128);
    Touch(image, 0, 1);
    Touch(image, 1, 2);  // evicts tile 0 into slot 0
    Touch(image, 0, 3);  // evicts tile 1 into slot 1; tile 0 changed in memory
    Touch(image, 1);     // evicts tile 0 again: dirty, written into its own slot
    IVorlatTile* tile = nullptr;
    VORLAT_OK(image->GetTile(&tile, 0, 0));
    EXPECT_EQ(manager->PageFiles()[0].slots.size(), 2u);
    EXPECT_EQ(manager->PageFiles()[0].slots[0], tile);
    EXPECT_EQ(FirstByte(image, 0), 3);
    image->Destroy();
    manager->Destroy();
}

TEST(Manager, DiscardableTilesAreDroppedAndReusableTakenFirst)
{
    CVorlatManager* manager = MakeManager(3 * 16384, 16384);
    IVorlatImage* keep = MakeImage(manager, 0, 2, 128, 128);
    IVorlatImage* reuse = MakeImage(manager, 2, 2, 128, 128);
    IVorlatImage* drop = MakeImage(manager, 1, 2, 128, 128);
    IVorlatImage* drop2 = MakeImage(manager, 1, 2, 128, 128);
    Touch(keep, 0, 2);
    Touch(reuse, 0, 1);
    // The kept tile is the least recently used, but the reusable one is taken first.
    Touch(drop, 0, 3);
    bool exists = true;
    VORLAT_OK(reuse->TileExists(&exists, 0, 0));
    EXPECT_FALSE(exists);
    VORLAT_OK(keep->TileExists(&exists, 0, 0));
    EXPECT_TRUE(exists);
    EXPECT_TRUE(manager->PageFiles()[0].slots.empty());

    // Without a reusable tile the least recently used goes: the kept one is written...
    Touch(drop2, 0, 4);
    EXPECT_EQ(manager->PageFiles()[0].slots.size(), 1u);
    // ...and a discardable one is destroyed.
    EXPECT_EQ(FirstByte(keep, 0), 2);
    VORLAT_OK(drop->TileExists(&exists, 0, 0));
    EXPECT_FALSE(exists);
    EXPECT_EQ(manager->CheckInvariants(), "");
    for (IVorlatImage* i : {keep, reuse, drop, drop2})
        i->Destroy();
    manager->Destroy();
}

TEST(Manager, TileMadeReusableInMemoryIsTakenFirst)
{
    CVorlatManager* manager = MakeManager(3 * 16384, 16384);
    IVorlatImage* older = MakeImage(manager, 0, 2, 128, 128);
    IVorlatImage* newer = MakeImage(manager, 0, 2, 128, 128);
    IVorlatImage* third = MakeImage(manager, 1, 2, 128, 128);
    Touch(older, 0, 1);
    Touch(newer, 0, 2);
    VORLAT_OK(newer->SetUsage(2));  // after its tile went into memory
    Touch(third, 0);
    bool exists = true;
    VORLAT_OK(newer->TileExists(&exists, 0, 0));
    EXPECT_FALSE(exists);
    IVorlatTile* tile = nullptr;
    VORLAT_OK(older->GetTile(&tile, 0, 0));
    EXPECT_TRUE(tile->InMemory());
    EXPECT_TRUE(manager->PageFiles()[0].slots.empty());
    EXPECT_EQ(manager->CheckInvariants(), "");
    for (IVorlatImage* i : {older, newer, third})
        i->Destroy();
    manager->Destroy();
}

TEST(Manager, OneMoreLockThanTheBudgetRaisesTheFloor)
{
    CVorlatManager* manager = MakeManager(3 * 16384, 16384);
    IVorlatImage* image = MakeImage(manager, 0, 2, 4 * 128, 128);
    VORLAT_OK(manager->SetAdjustment(1));
    void* bits = nullptr;
    for (int c = 0; c < 3; ++c)
        VORLAT_OK(image->LockTile(&bits, c, 0, nullptr));
    EXPECT_EQ(manager->GetAdjustment(), 0);  // third lock found the effective budget all locked
    VORLAT_OK(image->LockTile(&bits, 3, 0, nullptr));
    EXPECT_EQ(manager->Budget(), 4);  // floor 4 now exceeds the budget of 3
    EXPECT_EQ(manager->MaxAdjustment(), 0);
    for (int c = 0; c < 4; ++c)
        VORLAT_OK(image->UnlockTile(c, 0));
    image->Destroy();
    manager->Destroy();
}

TEST(Manager, AdjustmentFreesExcessBuffersAtOnce)
{
    CVorlatManager* manager = MakeManager(7 * 16384, 16384);
    IVorlatImage* image = MakeImage(manager, 1, 2, 6 * 128, 128);
    for (int c = 0; c < 6; ++c)
        Touch(image, c);
    EXPECT_EQ(manager->UnlockedInMemory(), 6);
    VORLAT_OK(manager->SetAdjustment(3));
    EXPECT_EQ(manager->UnlockedInMemory(), 7 - 3);
    EXPECT_EQ(manager->FreeCount(), 0);
    EXPECT_EQ(manager->Slabs().Capacity(), 7 - 3);  // the memory went back too
    EXPECT_EQ(manager->CheckInvariants(), "");
    image->Destroy();
    manager->Destroy();
}

// The buffers of one image serve the next after idle work: no new memory is
// taken from the system within the budget, and more than the budget never is.
// DumpTiles gives all spare memory back.
TEST(Manager, ImagesComeAndGoInTheSameSlabs)
{
    CVorlatManager* manager = MakeManager(1000000, 16384);  // 61 tiles
    const int32_t width = 128 * 8, height = 128 * 4;
    std::vector<uint8_t> pixels(static_cast<size_t>(width) * height, 0x5A);
    auto fill = [&] {
        IVorlatImage* image = MakeImage(manager, 0, 2, width, height);
        EXPECT_EQ(Deepest(image->SetData(pixels.data(), width, RECT{0, 0, width, height})), 0);
        return image;
    };
    IVorlatImage* first = fill();
    const int64_t capacity = manager->Slabs().Capacity();
    const size_t slabs = manager->Slabs().SlabCount();
    EXPECT_LE(capacity, manager->Budget());
    first->Destroy();
    DrainIdle(manager);
    EXPECT_EQ(manager->FreeCount(), 0);
    EXPECT_EQ(manager->Slabs().Capacity(), capacity);

    IVorlatImage* second = fill();
    EXPECT_EQ(manager->Slabs().Capacity(), capacity);
    EXPECT_EQ(manager->Slabs().SlabCount(), slabs);
    second->Destroy();

    // Seven times the budget pages out and stays within it.
    IVorlatImage* big = MakeImage(manager, 0, 2, width * 7, height * 2);
    for (int32_t part = 0; part < 7; ++part)
        VORLAT_OK(big->SetData(pixels.data(), width, RECT{part * width, height, (part + 1) * width, 2 * height}));
    EXPECT_LE(manager->Slabs().Capacity(), manager->Budget());
    big->Destroy();

    int32_t count = 1000;
    VORLAT_OK(manager->DumpTiles(&count));
    EXPECT_EQ(manager->Slabs().Capacity(), 0);
    EXPECT_EQ(manager->Slabs().SlabCount(), 0u);
    EXPECT_EQ(manager->CheckInvariants(), "");
    manager->Destroy();
}

// A new tile reads as zeros wherever its buffer comes from: memory new from
// the system (which is not written again), a buffer another image left on the
// free list, one given back to the slabs, and one whose pages went back to the
// system and were taken again (buffers of whole pages only).
TEST(Manager, NewTilesReadAsZerosWhereverTheirBufferComesFrom)
{
    for (const int32_t tileBytes : {16384, 1000}) {
        SCOPED_TRACE(tileBytes);
        CVorlatManager* manager = MakeManager(16 * tileBytes, tileBytes);
        const int32_t side = CVorlatImage::ComputeTileSize(tileBytes, 2);
        auto eachTile = [&](IVorlatImage* image, auto&& use) {
            for (int32_t column = 0; column < 8; ++column) {
                void* bits = nullptr;
                VORLAT_OK(image->LockTile(&bits, column, 0, nullptr));
                use(static_cast<uint8_t*>(bits), column);
                VORLAT_OK(image->UnlockTile(column, 0));
            }
        };
        auto allZero = [&](uint8_t* bits, int32_t column) {
            EXPECT_TRUE(std::all_of(bits, bits + tileBytes, [](uint8_t b) { return b == 0; })) << "tile " << column;
        };
        IVorlatImage* old = MakeImage(manager, 1, 2, 8 * side, side);
        eachTile(old, allZero);
        eachTile(old, [&](uint8_t* bits, int32_t) { std::memset(bits, 0xAB, static_cast<size_t>(tileBytes)); });
        old->Destroy();
        ASSERT_EQ(manager->FreeCount(), 8);
        int32_t count = 3;
        VORLAT_OK(manager->DumpTiles(&count));
        ASSERT_EQ(count, 3);

        IVorlatImage* image = MakeImage(manager, 1, 2, 8 * side, side);
        eachTile(image, allZero);
        EXPECT_EQ(manager->CheckInvariants(), "");
        image->Destroy();
        manager->Destroy();
    }
}

uint32_t gNow = 1000;
uint32_t FakeTicks() { return gNow; }

TEST(Manager, IdleWorkWaitsForTheDelayThenEndsWithNothingHeld)
{
    port::SetTickSource(FakeTicks);
    IVorlatManager* made = nullptr;
    VORLAT_OK(IVorlatManager::CreateManager(&made, FileName(ScratchPath("idle")), 4 * 16384, 16384, 500));
    CVorlatManager* manager = static_cast<CVorlatManager*>(made);
    IVorlatImage* image = MakeImage(manager, 0, 2, 2 * 128, 128);
    Touch(image, 0, 5);
    bool more = false;
    gNow = 1200;
    VORLAT_OK(manager->Async(&more));
    EXPECT_TRUE(more);
    EXPECT_EQ(manager->UnlockedInMemory(), 1);
    gNow = 1600;
    DrainIdle(manager);
    EXPECT_EQ(manager->FreeCount(), 0);
    EXPECT_EQ(FirstByte(image, 0), 5);
    image->Destroy();
    manager->Destroy();
    port::SetTickSource(nullptr);
}

TEST(Manager, IdleCompactionMovesTheLastCopyIntoTheGap)
{
    CVorlatManager* manager = MakeManager(1 * 16384, 16384);
    IVorlatImage* image = MakeImage(manager, 0, 2, 4 * 128, 128);
    for (int c = 0; c < 4; ++c)
        Touch(image, c, 20 + c);  // tiles 0..2 land in slots 0..2
    const std::string path = manager->PageFiles()[0].path;
    ASSERT_EQ(manager->PageFiles()[0].slots.size(), 3u);
    IVorlatTile* middle = nullptr;
    VORLAT_OK(image->GetTile(&middle, 1, 0));
    ASSERT_EQ(manager->PageFiles()[0].slots[1], middle);
    // Destroying the image's middle tile leaves a gap at slot 1.
    VORLAT_OK(image->SetSize(4 * 128, 128));
    middle->Destroy();
    EXPECT_EQ(manager->PageFiles()[0].slots[1], nullptr);
    DrainIdle(manager);
    EXPECT_EQ(FileLength(path), 16384LL * static_cast<int64_t>(manager->PageFiles()[0].slots.size()));
    EXPECT_EQ(FirstByte(image, 0), 20);
    EXPECT_EQ(FirstByte(image, 2), 22);
    EXPECT_EQ(FirstByte(image, 3), 23);
    EXPECT_EQ(manager->CheckInvariants(), "");
    image->Destroy();
    manager->Destroy();
}

TEST(Manager, TrimmingCutsTheFileToNothing)
{
    CVorlatManager* manager = MakeManager(1 * 16384, 16384);
    IVorlatImage* image = MakeImage(manager, 0, 2, 2 * 128, 128);
    Touch(image, 0, 1);
    Touch(image, 1, 2);
    const std::string path = manager->PageFiles()[0].path;
    EXPECT_EQ(FileLength(path), 16384);
    image->Destroy();  // the only paged tile goes
    DrainIdle(manager);
    EXPECT_EQ(FileLength(path), 0);
    EXPECT_TRUE(manager->PageFiles()[0].slots.empty());
    manager->Destroy();
}

TEST(Manager, DiscardDropsChangesBackToThePageCopy)
{
    CVorlatManager* manager = MakeManager(1 * 16384, 16384);
    IVorlatImage* image = MakeImage(manager, 0, 2, 2 * 128, 128);
    Touch(image, 0, 7);
    Touch(image, 1);     // tile 0 paged with 7
    Touch(image, 0, 9);  // changed in memory, page copy still 7
    IVorlatTile* tile = nullptr;
    VORLAT_OK(image->GetTile(&tile, 0, 0));
    VORLAT_OK(tile->Discard());
    EXPECT_EQ(FirstByte(image, 0), 7);
    void* bits = nullptr;
    VORLAT_OK(tile->Lock(&bits, nullptr));
    EXPECT_EQ(Failure(tile->Discard()), kVorlatErrState);  // a locked tile stays
    VORLAT_OK(tile->Unlock());
    EXPECT_EQ(manager->CheckInvariants(), "");
    image->Destroy();

    // A tile that never had a page copy reads as zeros after a discard.
    IVorlatImage* other = MakeImage(manager, 0, 2, 128, 128);
    Touch(other, 0, 5);
    VORLAT_OK(other->GetTile(&tile, 0, 0));
    VORLAT_OK(tile->Discard());
    EXPECT_TRUE(tile->IsDiscarded());
    EXPECT_EQ(FirstByte(other, 0), 0);
    other->Destroy();
    manager->Destroy();
}

TEST(PageFile, NumberedNames)
{
    const struct {
        const char* first;
        size_t index;
        const char* name;
    } cases[] = {
        {"C:\\Temp\\Work1.tmp", 1, "C:\\Temp\\Work11.tmp"},
        {"C:\\Temp\\Work1.tmp", 2, "C:\\Temp\\Work12.tmp"},
        {"C:\\Temp\\Work", 1, "C:\\Temp\\Work1"},
        {"C:\\Temp.x\\Work", 3, "C:\\Temp.x\\Work3"},
        {"/tmp/dir.d/Work", 1, "/tmp/dir.d/Work1"},
        {"/tmp/dir/Tessali1.tmp", 1, "/tmp/dir/Tessali11.tmp"},
        {"Work.a.b", 4, "Work.a4.b"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(VorlatPageFileName(c.first, c.index), c.name);
}

} // namespace
