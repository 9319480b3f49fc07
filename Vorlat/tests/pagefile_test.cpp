#include "vorlat_test_util.h"

#include <algorithm>
#include <filesystem>

#if !defined(_WIN32)
#include <csignal>
#include <sys/resource.h>
#endif

using namespace vorlat_test;

namespace {

constexpr int32_t kTile = 16384;  // a 128 x 128 grey tile fills it exactly

// What a failure chain says: its values without location frames, and the C
// run-time error number of its errno frame (0 when it has none).
struct Failed {
    std::vector<int32_t> values;
    int32_t errnoValue = 0;
    bool Has(int32_t value) const { return std::find(values.begin(), values.end(), value) != values.end(); }
};

Failed Inspect(IVorlatError* err)
{
    Failed failed;
    for (IVorlatError* f = err; f; f = f->Next()) {
        if (f->From() == kVorlatFromErrno && failed.errnoValue == 0)
            failed.errnoValue = f->GetValue();
    }
    failed.values = Values(err);
    return failed;
}

IVorlatTile* TileOf(IVorlatImage* image, int32_t column)
{
    IVorlatTile* tile = nullptr;
    EXPECT_EQ(Deepest(image->GetTile(&tile, column, 0)), 0);
    return tile;
}

CVorlatManager* MakeManagerAt(const std::string& path, int32_t memoryBytes)
{
    IVorlatManager* manager = nullptr;
    EXPECT_EQ(Deepest(IVorlatManager::CreateManager(&manager, FileName(path), memoryBytes, kTile, 0)), 0);
    return static_cast<CVorlatManager*>(manager);
}

TEST(PageFile, AppendLimit)
{
    const struct {
        size_t slots;
        int32_t tileBytes;
        bool append;
    } cases[] = {
        {0, 65536, true},
        {28671, 65536, true},
        {28672, 65536, true},  // 28672 x 65536 = 0x70000000: the last slot is number 28672
        {28673, 65536, false},
        {114688, 16384, true},
        {114689, 16384, false},
        {0x7FFFFFFF, 65536, false},  // no 32-bit wrap makes a full file look empty
    };
    for (const auto& c : cases)
        EXPECT_EQ(VorlatPageFileMayAppend(c.slots, c.tileBytes), c.append) << c.slots << " x " << c.tileBytes;
}

TEST(PageFile, FullFileRollsOverToTheNextNumberedFile)
{
    CVorlatManager* manager = MakeManager(1 * kTile, kTile, "roll");
    // File 0 takes slots while slots x tile bytes <= 2 tiles: slots 0, 1 and 2.
    manager->SetPageFileLimit(2 * kTile);
    IVorlatImage* image = MakeImage(manager, 0, 2, 6 * 128, 128);
    for (int c = 0; c < 6; ++c)
        Touch(image, c, 10 + c);  // tiles 0..4 are paged out in turn

    ASSERT_EQ(manager->PageFiles().size(), 2u);
    const std::string first = manager->PageFiles()[0].path;
    const std::string second = manager->PageFiles()[1].path;
    EXPECT_EQ(second, VorlatPageFileName(first, 1));
    EXPECT_EQ(FileLength(first), 3 * kTile);
    EXPECT_EQ(FileLength(second), 2 * kTile);
    EXPECT_EQ(manager->PageFiles()[1].slots[0], TileOf(image, 3));
    EXPECT_EQ(manager->PageFiles()[1].slots[1], TileOf(image, 4));
    for (int c = 0; c < 6; ++c)
        EXPECT_EQ(FirstByte(image, c), 10 + c) << "tile " << c;
    EXPECT_EQ(manager->CheckInvariants(), "");

    image->Destroy();
    DrainIdle(manager);
    EXPECT_EQ(FileLength(first), 0);
    EXPECT_EQ(FileLength(second), 0);
    manager->Destroy();
    EXPECT_EQ(FileLength(first), -1);
    EXPECT_EQ(FileLength(second), -1);
}

TEST(PageFile, FailedOpenIsNeverRetried)
{
    const std::string folder = ScratchPath("gone");
    std::filesystem::create_directory(folder);
    CVorlatManager* manager = MakeManagerAt(folder + "/page.tmp", 1 * kTile);
    // The page file was proved and closed; now its folder goes away.
    std::filesystem::remove_all(folder);
    IVorlatImage* image = MakeImage(manager, 0, 2, 2 * 128, 128);
    Touch(image, 0, 7);

    const int32_t expectedErrno[] = {ENOENT, EBADF};
    for (int attempt = 0; attempt < 2; ++attempt) {
        void* bits = nullptr;
        const Failed failed = Inspect(image->LockTile(&bits, 1, 0, nullptr));  // must page tile 0 out
        EXPECT_TRUE(failed.Has(kVorlatErrPageFile)) << "attempt " << attempt;
        EXPECT_EQ(failed.errnoValue, expectedErrno[attempt]) << "attempt " << attempt;
        EXPECT_EQ(bits, nullptr);
        EXPECT_TRUE(TileOf(image, 0)->InMemory());
        EXPECT_FALSE(TileOf(image, 1)->InMemory());
        EXPECT_EQ(manager->CheckInvariants(), "");
        // The folder is back, but a failed page file is not opened again.
        std::filesystem::create_directory(folder);
    }
    EXPECT_TRUE(std::filesystem::is_empty(folder));
    EXPECT_EQ(FirstByte(image, 0), 7);
    image->Destroy();
    manager->Destroy();
    std::filesystem::remove_all(folder);
}

TEST(PageFile, ShortReadFailsTheLockAndLeavesTheTilePaged)
{
    CVorlatManager* manager = MakeManager(1 * kTile, kTile, "shortread");
    IVorlatImage* kept = MakeImage(manager, 0, 2, 128, 128);
    IVorlatImage* dropped = MakeImage(manager, 1, 2, 128, 128);
    Touch(kept, 0, 7);
    Touch(dropped, 0);  // pages the kept tile into slot 0
    const std::string path = manager->PageFiles()[0].path;
    ASSERT_EQ(FileLength(path), kTile);
    std::filesystem::resize_file(path, 100);

    void* bits = nullptr;
    const Failed failed = Inspect(kept->LockTile(&bits, 0, 0, nullptr));
    EXPECT_NE(failed.errnoValue, 0);
    EXPECT_EQ(bits, nullptr);
    IVorlatTile* tile = TileOf(kept, 0);
    EXPECT_FALSE(tile->InMemory());
    EXPECT_FALSE(tile->IsLocked());
    EXPECT_TRUE(tile->IsPaged());
    EXPECT_EQ(manager->FreeCount(), 1);  // the buffer went back
    EXPECT_EQ(manager->CheckInvariants(), "");
    kept->Destroy();
    dropped->Destroy();
    manager->Destroy();
}

#if !defined(_WIN32)
// The file-size limit of the process makes the page file refuse the second
// slot outright (EFBIG) or take only part of it (a short write).
TEST(PageFile, RefusedOrShortWriteKeepsTheTileInMemory)
{
    std::signal(SIGXFSZ, SIG_IGN);
    for (const rlim_t room : {static_cast<rlim_t>(kTile), static_cast<rlim_t>(kTile + 100)}) {
        CVorlatManager* manager = MakeManager(1 * kTile, kTile, "shortwrite");
        IVorlatImage* image = MakeImage(manager, 0, 2, 3 * 128, 128);
        Touch(image, 0, 1);
        Touch(image, 1, 2);  // tile 0 into slot 0

        rlimit saved{};
        ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
        rlimit low = saved;
        low.rlim_cur = room;
        ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &low), 0);
        void* bits = nullptr;
        const Failed failed = Inspect(image->LockTile(&bits, 2, 0, nullptr));  // tile 1 must go to slot 1
        setrlimit(RLIMIT_FSIZE, &saved);

        EXPECT_TRUE(failed.Has(kVorlatErrPageFile)) << "room " << room;
        EXPECT_EQ(failed.errnoValue, room == kTile ? EFBIG : EIO) << "room " << room;
        EXPECT_TRUE(TileOf(image, 1)->InMemory());
        EXPECT_FALSE(TileOf(image, 1)->IsPaged());
        EXPECT_EQ(manager->PageFiles()[0].slots.size(), 1u);
        EXPECT_EQ(manager->CheckInvariants(), "");
        // With room again the same eviction goes through and nothing was lost.
        Touch(image, 2, 3);
        EXPECT_EQ(FirstByte(image, 0), 1);
        EXPECT_EQ(FirstByte(image, 1), 2);
        EXPECT_EQ(FirstByte(image, 2), 3);
        image->Destroy();
        manager->Destroy();
    }
    std::signal(SIGXFSZ, SIG_DFL);
}
#endif

TEST(PageFile, NamesThatDoNotFitFailToOpen)
{
    // Absolute, so that the length checked is the length the system sees.
    const std::string folder = std::filesystem::absolute(TESS_SCRATCH_DIR).string() + "/";
    if (folder.size() + 4 >= 250)
        GTEST_SKIP() << "the scratch folder's path leaves no room for the long names";
    // 259 characters: the longest path the record holds with its terminator.
    const std::string longest = folder + std::string(259 - folder.size() - 4, 'p') + ".tmp";
    ASSERT_EQ(longest.size(), 259u);
    ASSERT_EQ(VorlatPageFileName(longest, 1).size(), 260u);

    // 260 characters fill the record with no terminator: refused at creation.
    const std::string tooLong = folder + std::string(260 - folder.size() - 4, 'p') + ".tmp";
    _VorlatFile record{};
    std::memcpy(record.path, tooLong.data(), sizeof record.path);
    IVorlatManager* refused = nullptr;
    const Failed failed = Inspect(IVorlatManager::CreateManager(&refused, record, kTile, kTile, 0));
    EXPECT_TRUE(failed.Has(kVorlatErrPageFile));
    EXPECT_EQ(failed.errnoValue, ENAMETOOLONG);
    ASSERT_NE(refused, nullptr);
    refused->Destroy();

    // File 0 works; file 1's numbered name is one character too long.
    CVorlatManager* manager = MakeManagerAt(longest, 1 * kTile);
    manager->SetPageFileLimit(0);  // file 0 takes slot 0 only
    IVorlatImage* image = MakeImage(manager, 0, 2, 3 * 128, 128);
    Touch(image, 0, 1);
    Touch(image, 1, 2);
    EXPECT_EQ(FileLength(longest), kTile);
    void* bits = nullptr;
    const Failed second = Inspect(image->LockTile(&bits, 2, 0, nullptr));
    EXPECT_TRUE(second.Has(kVorlatErrPageFile));
    EXPECT_EQ(second.errnoValue, ENAMETOOLONG);
    EXPECT_TRUE(TileOf(image, 1)->InMemory());
    EXPECT_EQ(manager->CheckInvariants(), "");
    image->Destroy();
    manager->Destroy();
    EXPECT_EQ(FileLength(longest), -1);
}

// One idle step of slot release after every tile was touched once and then
// the listed ones again (each lock pages the least recently used tile out). A
// budget of b keeps b - 1 tiles in memory: the tile being locked counts too.
TEST(PageFile, IdleSlotReleaseScoresAgeAndSlot)
{
    std::vector<int> firstHundredTen(110);
    for (int i = 0; i < 110; ++i)
        firstHundredTen[static_cast<size_t>(i)] = i;
    const struct {
        const char* what;
        int budget;
        int tiles;
        std::vector<int> touches;
        std::vector<size_t> freed;  // slots empty after the step
        size_t slots;               // slot count after the step
    } cases[] = {
        // Ranks 2, 1, 0 for slots 0, 1, 2: score rank + 2 x slot order favours slot 0.
        {"a low slot goes before an older tile", 4, 6, {2, 1, 0}, {0}, 6},
        // Slots 0 and 1 both score 2; the one met first (the later slot) stays retained.
        {"a tie keeps the later slot", 4, 6, {1, 2, 0}, {1}, 6},
        // Every copy in memory sits in the last n slots: the last slot goes and the file is cut.
        {"at the end the last slot goes", 4, 6, {0, 1, 2, 3, 4, 5}, {}, 5},
        // n = 110 recorded tiles: n / 100 + 1 = 2 slots per step, the two lowest scores.
        {"two per step from a hundred", 111, 220, firstHundredTen, {0, 1}, 220},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        CVorlatManager* manager = MakeManager(c.budget * kTile, kTile, "release");
        IVorlatImage* image = MakeImage(manager, 0, 2, c.tiles * 128, 128);
        for (int t = 0; t < c.tiles; ++t)
            Touch(image, t, t + 1);
        for (int t : c.touches)
            Touch(image, t);
        const std::vector<CVorlatTile*> before = manager->PageFiles()[0].slots;

        bool more = false;
        VORLAT_OK(manager->Async(&more));
        EXPECT_TRUE(more);
        const std::vector<CVorlatTile*>& after = manager->PageFiles()[0].slots;
        ASSERT_EQ(after.size(), c.slots);
        for (size_t slot = 0; slot < after.size(); ++slot) {
            const bool freed = std::find(c.freed.begin(), c.freed.end(), slot) != c.freed.end();
            EXPECT_EQ(after[slot], freed ? nullptr : before[slot]) << "slot " << slot;
        }
        EXPECT_EQ(FileLength(manager->PageFiles()[0].path), static_cast<int64_t>(c.slots) * kTile);
        EXPECT_EQ(manager->CheckInvariants(), "");

        // The released copies were in memory: nothing is lost once idle work ends.
        DrainIdle(manager);
        for (int t = 0; t < c.tiles; ++t)
            ASSERT_EQ(FirstByte(image, t), t + 1) << "tile " << t;
        image->Destroy();
        manager->Destroy();
    }
}

} // namespace
