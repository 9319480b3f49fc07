#include "kolvex_test_util.h"

using namespace kolvex_test;

namespace {

// RGB in 16384-byte tiles: side 73, so 200 x 100 is 3 x 2 tiles.
class FilterBaseTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        manager = MakeManager(16384);
        pixels = Pattern(200 * 100 * 3);
        source = MakeImage(manager, 32, 200, 100, pixels);
        filter = new CopyFilter(manager);
        KOLVEX_OK(VorlatDataConnect(source, filter));
        KOLVEX_OK(VorlatDataConnect(filter, &recorder));
    }
    void TearDown() override
    {
        delete filter;
        source->Destroy();
        manager->Destroy();
    }
    void* Lock(int32_t column, int32_t row)
    {
        void* data = nullptr;
        EXPECT_EQ(Deepest(filter->LockTile(&data, column, row, nullptr)), 0);
        return data;
    }
    void Unlock(int32_t column, int32_t row) { EXPECT_EQ(Deepest(filter->UnlockTile(column, row)), 0); }

    IVorlatManager* manager = nullptr;
    std::vector<uint8_t> pixels;
    IVorlatImage* source = nullptr;
    CopyFilter* filter = nullptr;
    Recorder recorder;
};

TEST_F(FilterBaseTest, FilterIdsCountUpByOne)
{
    CopyFilter second(manager);
    CopyFilter third(manager);
    EXPECT_EQ(second.GetFilterID(), filter->GetFilterID() + 1);
    EXPECT_EQ(third.GetFilterID(), filter->GetFilterID() + 2);
}

TEST_F(FilterBaseTest, EnableSendsUpdateAllOnlyOnAChangeWithNotify)
{
    struct Case {
        bool enable, notify;
        size_t sent;
    } cases[] = {{true, true, 0}, {false, false, 0}, {true, true, 1}, {false, true, 1}, {false, true, 0}};
    for (const Case& c : cases) {
        recorder.heard.clear();
        KOLVEX_OK(filter->Enable(c.enable, c.notify));
        EXPECT_EQ(recorder.heard.size(), c.sent) << c.enable << c.notify;
        for (const auto& h : recorder.heard)
            EXPECT_EQ(h.code, kVorlatNotifyUpdateAll);
    }
}

TEST_F(FilterBaseTest, DisabledOrPassThroughAnswersFromSourceWithoutACache)
{
    for (int mode = 0; mode < 2; ++mode) {
        CopyFilter other(manager);
        KOLVEX_OK(VorlatDataConnect(source, &other));
        if (mode == 0)
            KOLVEX_OK(other.Enable(false, false));
        else
            other.SetPassThrough(true);
        int32_t width = 0;
        KOLVEX_OK(other.GetWidth(&width));
        EXPECT_EQ(width, 200);
        void* data = nullptr;
        KOLVEX_OK(other.LockTile(&data, 0, 0, nullptr));
        KOLVEX_OK(other.UnlockTile(0, 0));
        EXPECT_EQ(other.Cache(), nullptr);
        EXPECT_EQ(other.processed, 0);
    }
}

TEST_F(FilterBaseTest, FirstQueryMakesTheCacheAndASecondDropsNothing)
{
    int32_t width = 0;
    KOLVEX_OK(filter->GetWidth(&width));
    ASSERT_NE(filter->Cache(), nullptr);
    EXPECT_EQ(filter->Cache()->GetUsage(), kVorlatUsageDiscardable);
    Lock(0, 0);
    Unlock(0, 0);
    bool exists = false;
    KOLVEX_OK(filter->TileExists(&exists, 0, 0));
    EXPECT_TRUE(exists);
    IVorlatImage* cache = filter->Cache();
    KOLVEX_OK(filter->GetHeight(&width));
    EXPECT_EQ(filter->Cache(), cache);
    KOLVEX_OK(filter->TileExists(&exists, 0, 0));
    EXPECT_TRUE(exists);
}

TEST_F(FilterBaseTest, OutputWithoutPixelLayoutFailsInsteadOfFillingAnotherLayout)
{
    for (int32_t space : {0, 20}) {
        CopyFilter other(manager);
        other.filteredSpace = space;
        KOLVEX_OK(VorlatDataConnect(source, &other));
        int32_t width = 0;
        EXPECT_EQ(DeepestText(other.GetWidth(&width)), kKolvexBadDestinationSpace);
        void* data = nullptr;
        EXPECT_EQ(DeepestText(other.LockTile(&data, 0, 0, nullptr)), kKolvexBadDestinationSpace);
        IVorlatImage* target = nullptr;
        KOLVEX_OK(manager->CreateImage(&target, 0));
        const IVorlatDataSource* sources[] = {source};
        int32_t id = 0;
        EXPECT_EQ(DeepestText(other.BeginProcess(&id, sources, 1, target)), kKolvexBadDestinationSpace);
        int32_t targetSpace = -1;
        KOLVEX_OK(target->GetColorSpace(&targetSpace));
        EXPECT_EQ(targetSpace, 0);
        target->Destroy();
    }
}

TEST_F(FilterBaseTest, DataNotificationsAreClampedToTheOutput)
{
    struct Case {
        RECT in, out;
    } cases[] = {
        {{10, 10, 20, 30}, {10, 10, 20, 30}},
        {{300, 5, 400, 6}, {199, 5, 200, 6}},   // wholly to the right: the last column
        {{50, 50, 40, 60}, {50, 50, 51, 60}},   // right < left: one pixel wide
        {{5, 60, 9, 50}, {5, 60, 9, 61}},       // bottom < top: one pixel high
        {{-5, -5, 500, 500}, {0, 0, 200, 100}},
    };
    for (const Case& c : cases) {
        recorder.heard.clear();
        RECT changed = c.in;
        KOLVEX_OK(VorlatSendDataNotification(source, kVorlatNotifyDataChanged, &changed));
        ASSERT_EQ(recorder.heard.size(), 1u);
        const RECT& got = recorder.heard[0].rect;
        EXPECT_EQ(std::vector<int32_t>({got.left, got.top, got.right, got.bottom}),
                  std::vector<int32_t>({c.out.left, c.out.top, c.out.right, c.out.bottom}));
    }
}

TEST_F(FilterBaseTest, OtherNotificationsTravelOnWithTheSameRecord)
{
    IVorlatDataDestination::ChangeSize record{1, 2, 3, 4};
    struct Case {
        int32_t code;
        bool passed;
    } cases[] = {{1, true}, {2, true}, {3, true}, {4, true}, {5, true}, {6, false}, {7, true}, {8, false}, {-2099, true}};
    for (const Case& c : cases) {
        recorder.heard.clear();
        KOLVEX_OK(VorlatSendDataNotification(source, c.code, c.code == 7 || c.code == 6 ? nullptr : &record));
        ASSERT_EQ(recorder.heard.size(), c.passed ? 1u : 0u) << c.code;
        if (c.passed) {
            EXPECT_EQ(recorder.heard[0].code, c.code);
            EXPECT_EQ(recorder.heard[0].param, c.code == 7 ? nullptr : &record);
        }
    }
}

TEST_F(FilterBaseTest, SetterIdiomNotifiesOnlyRealChangesWhenAsked)
{
    int32_t width = 0;
    KOLVEX_OK(filter->GetWidth(&width));
    KOLVEX_OK(filter->SetLevel(0, true));
    EXPECT_FALSE(filter->CacheDirty());
    EXPECT_TRUE(recorder.heard.empty());
    KOLVEX_OK(filter->SetLevel(1, false));
    EXPECT_TRUE(filter->CacheDirty());
    EXPECT_TRUE(recorder.heard.empty());
    KOLVEX_OK(filter->SetLevel(2, true));
    ASSERT_EQ(recorder.heard.size(), 1u);
    EXPECT_EQ(recorder.heard[0].rect.right, 200);
    EXPECT_EQ(recorder.heard[0].rect.bottom, 100);
}

TEST_F(FilterBaseTest, TilesAreMadeOnceAndAgainOnlyWhereInvalidated)
{
    Lock(0, 0);
    Unlock(0, 0);
    Lock(0, 0);
    Unlock(0, 0);
    EXPECT_EQ(filter->processed, 1);
    // A part of the tile: the next lock makes only that part.
    KOLVEX_OK(filter->Invalidate(RECT{10, 10, 20, 20}));
    Lock(0, 0);
    Unlock(0, 0);
    ASSERT_EQ(filter->processed, 2);
    EXPECT_EQ(filter->worked.back().left, 10);
    EXPECT_EQ(filter->worked.back().right, 20);
    // The whole tile: it is dropped and made anew.
    KOLVEX_OK(filter->Invalidate(RECT{0, 0, 73, 73}));
    bool exists = true;
    KOLVEX_OK(filter->TileExists(&exists, 0, 0));
    EXPECT_FALSE(exists);
    uint8_t* data = static_cast<uint8_t*>(Lock(0, 0));
    EXPECT_EQ(filter->processed, 3);
    EXPECT_EQ(data[0], pixels[0]);
    Unlock(0, 0);
    // An invalidation past the image is clipped to it and changes nothing.
    KOLVEX_OK(filter->Invalidate(RECT{500, 500, 600, 600}));
}

TEST_F(FilterBaseTest, LockedTileSurvivesASettingsChangeAndIsMadeAgain)
{
    uint8_t* held = static_cast<uint8_t*>(Lock(0, 0));
    KOLVEX_OK(filter->SetLevel(5, false));
    KOLVEX_OK(filter->Check());
    // The holder's buffer is still there; the next lock makes the tile anew.
    EXPECT_EQ(held[0], pixels[0]);
    uint8_t* again = static_cast<uint8_t*>(Lock(0, 0));
    EXPECT_EQ(again[0], static_cast<uint8_t>(pixels[0] + 5));
    EXPECT_EQ(filter->processed, 2);
    Unlock(0, 0);
    Unlock(0, 0);
}

TEST_F(FilterBaseTest, ReenabledFilterRebuildsItsCache)
{
    Lock(0, 0);
    Unlock(0, 0);
    KOLVEX_OK(filter->Enable(false, false));
    EXPECT_TRUE(filter->CacheDirty());
    KOLVEX_OK(filter->Enable(true, false));
    Lock(0, 0);
    Unlock(0, 0);
    EXPECT_EQ(filter->processed, 2);
}

TEST_F(FilterBaseTest, DiscardedTileIsMadeAgainWhole)
{
    Lock(0, 0);
    Unlock(0, 0);
    IVorlatTile* tile = nullptr;
    KOLVEX_OK(filter->GetTile(&tile, 0, 0));
    KOLVEX_OK(tile->Discard());
    uint8_t* data = static_cast<uint8_t*>(Lock(0, 0));
    EXPECT_EQ(filter->processed, 2);
    EXPECT_EQ(data[0], pixels[0]);
    EXPECT_EQ(data[72 * 3 + 2], pixels[72 * 3 + 2]);
    Unlock(0, 0);
}

TEST_F(FilterBaseTest, FailedGenerationLeavesTheTileUnlockedAndInvalid)
{
    filter->failValue = 4242;
    void* data = nullptr;
    IVorlatError* err = filter->LockTile(&data, 1, 1, nullptr);
    EXPECT_EQ(Deepest(err), 4242);
    IVorlatTile* tile = nullptr;
    KOLVEX_OK(filter->GetTile(&tile, 1, 1));
    EXPECT_FALSE(tile->IsLocked());
    RECT invalid;
    EXPECT_TRUE(tile->GetInvalidRect(&invalid));
    EXPECT_EQ(Module(filter->LockTile(&data, 1, 1, nullptr)), kKolvexModuleBase);
}

TEST_F(FilterBaseTest, GenerateTileWithoutSourcesPassesNoRecordAndMarksDirtyEvenOnFailure)
{
    IVorlatTile* tile = nullptr;
    KOLVEX_OK(source->GetTile(&tile, 0, 0));
    filter->failValue = 7;
    tile->SetDirty(false);
    EXPECT_EQ(Deepest(filter->GenerateTile(tile, nullptr, 0)), 7);
    EXPECT_TRUE(tile->IsDirty());
    const IVorlatDataSource* sources[] = {source};
    EXPECT_EQ(Deepest(filter->GenerateTile(tile, sources, 1)), 7);
    EXPECT_EQ(filter->hadRecord, std::vector<bool>({false, true}));
}

TEST_F(FilterBaseTest, RunReportsEveryTileInRowOrderThenZero)
{
    IVorlatImage* target = nullptr;
    KOLVEX_OK(manager->CreateImage(&target, 0));
    const IVorlatDataSource* sources[] = {source};
    int32_t first = 0, second = 0;
    KOLVEX_OK(filter->BeginProcess(&first, sources, 1, target));
    KOLVEX_OK(filter->BeginProcess(&second, sources, 1, target));
    EXPECT_EQ(first, 1);
    EXPECT_EQ(second, 2);
    std::vector<std::pair<int32_t, int32_t>> steps;
    for (int i = 0; i < 8; ++i) {
        int32_t done = -1, total = -1;
        KOLVEX_OK(filter->ExecuteProcess(first, &done, &total));
        steps.emplace_back(done, total);
    }
    const std::vector<std::pair<int32_t, int32_t>> expected = {{1, 6}, {2, 6}, {3, 6}, {4, 6},
                                                               {5, 6}, {6, 6}, {0, 0}, {0, 0}};
    EXPECT_EQ(steps, expected);
    int32_t done = -1, total = -1;
    KOLVEX_OK(filter->ExecuteProcess(second, &done, &total));
    EXPECT_EQ(done, 1);
    const IVorlatDataSource** infoSources = nullptr;
    int32_t count = 0;
    IVorlatImage* infoTarget = nullptr;
    KOLVEX_OK(filter->GetProcessInfo(first, &infoSources, &count, &infoTarget));
    EXPECT_EQ(infoSources[0], source);
    EXPECT_EQ(count, 1);
    EXPECT_EQ(infoTarget, target);
    EXPECT_EQ(ReadImage(target), pixels);
    KOLVEX_OK(filter->EndProcess(first));
    EXPECT_EQ(Deepest(filter->EndProcess(first)), kVorlatErrNoSuchId);
    EXPECT_EQ(Deepest(filter->ExecuteProcess(first, nullptr, nullptr)), kVorlatErrNoSuchId);
    // The second run is never ended: the filter frees its record.
    delete filter;
    filter = nullptr;
    target->Destroy();
}

TEST_F(FilterBaseTest, FailedTileIsRetriedByTheNextStep)
{
    IVorlatImage* target = nullptr;
    KOLVEX_OK(manager->CreateImage(&target, 0));
    const IVorlatDataSource* sources[] = {source};
    int32_t id = 0, done = 0, total = 0;
    KOLVEX_OK(filter->BeginProcess(&id, sources, 1, target));
    filter->failValue = 9;
    EXPECT_EQ(Deepest(filter->ExecuteProcess(id, &done, &total)), 9);
    filter->failValue = 0;
    KOLVEX_OK(filter->ExecuteProcess(id, &done, &total));
    EXPECT_EQ(done, 1);
    KOLVEX_OK(filter->EndProcess(id));
    target->Destroy();
}

class CountingWatcher : public CVorlatFilterWatcher {
public:
    IVorlatError* VorlatFilterNotify(CVorlatFilterBase*, int32_t code, void* data) override
    {
        codes.push_back(code);
        if (code == 0)
            sets.push_back(static_cast<WatcherChange*>(data)->count);
        return failValue ? IVorlatError::Add(nullptr, 1, 1, 0, failValue) : nullptr;
    }
    std::vector<int32_t> codes;
    std::vector<int32_t> sets;
    int32_t failValue = 0;
};

TEST_F(FilterBaseTest, WatchersHearTheirAdditionOnceAndTheFirstErrorStops)
{
    CountingWatcher a, b;
    KOLVEX_OK(filter->AddWatcher(&a));
    KOLVEX_OK(filter->AddWatcher(&a));
    EXPECT_EQ(a.codes, std::vector<int32_t>({0}));
    KOLVEX_OK(filter->RemoveWatcher(&a));
    EXPECT_EQ(a.codes.size(), 1u);
    KOLVEX_OK(filter->AddWatcher(&b));
    EXPECT_EQ(b.sets, std::vector<int32_t>({2}));
    KOLVEX_OK(filter->RemoveWatcher(&a));
    EXPECT_EQ(a.codes.size(), 2u);  // told of b only, not of its own removal
    EXPECT_EQ(b.sets, std::vector<int32_t>({2, 1}));
    KOLVEX_OK(filter->RemoveWatcher(&a));
    KOLVEX_OK(filter->AddWatcher(&a));
    // Map order is by address: make whichever comes first fail.
    CountingWatcher* firstCalled = &a < &b ? &a : &b;
    CountingWatcher* secondCalled = &a < &b ? &b : &a;
    firstCalled->failValue = 77;
    const size_t before = secondCalled->codes.size();
    EXPECT_EQ(Deepest(filter->Watchers(5)), 77);
    EXPECT_EQ(secondCalled->codes.size(), before);

    CountingWatcher w;
    w.VorlatFilterStopWatching(filter);
    w.VorlatFilterStartWatching(filter);
    w.VorlatFilterStopWatching(filter);
}

} // namespace
