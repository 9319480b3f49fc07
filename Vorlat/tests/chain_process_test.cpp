#include "vorlat_test_filters.h"

using namespace vorlat_test;

namespace {

class ChainProcessTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        manager = MakeManager(1 << 22, 16384);
        VORLAT_OK(manager->CreateFilterChain(&chain));
        // RGB: tile side 73, so 146 x 146 is 2 x 2 = 4 tiles.
        source = MakeImage(manager, 0, 32, 146, 146);
        target = MakeImage(manager, 0, 32, 1, 1);
        std::vector<uint8_t> pixels(146 * 146 * 3, 10);
        VORLAT_OK(source->SetData(pixels.data(), 146 * 3, RECT{0, 0, 146, 146}));
    }
    void TearDown() override
    {
        chain->Destroy();
        filters.clear();
        source->Destroy();
        target->Destroy();
        manager->Destroy();
    }
    AddFilter* Add(bool enabled = true)
    {
        filters.push_back(std::make_unique<AddFilter>(manager, 1, static_cast<int32_t>(filters.size()), 1, 0));
        filters.back()->enabled = enabled;
        EXPECT_EQ(Deepest(chain->AddFilter(filters.back().get(), -1)), 0);
        return filters.back().get();
    }
    uint8_t TargetByte()
    {
        VorlatPixel pixel{};
        EXPECT_EQ(Deepest(target->GetPixel(&pixel, 100, 100)), 0);
        return pixel.bytes[0];
    }
    CVorlatManager* manager = nullptr;
    IVorlatFilterChain* chain = nullptr;
    IVorlatImage* source = nullptr;
    IVorlatImage* target = nullptr;
    std::vector<std::unique_ptr<AddFilter>> filters;
};

TEST_F(ChainProcessTest, TwoFiltersReportEighthsAndWriteIntermediateThenTarget)
{
    AddFilter* first = Add();
    AddFilter* second = Add();
    const IVorlatDataSource* sources[] = {source};
    int32_t id = 0;
    VORLAT_OK(chain->BeginProcess(&id, sources, 1, target));
    std::vector<std::pair<int32_t, int32_t>> steps;
    for (int i = 0; i < 20; ++i) {
        int32_t done = -1, total = -1;
        VORLAT_OK(chain->ExecuteProcess(id, &done, &total));
        steps.emplace_back(done, total);
        if (done == 0 && total == 0)
            break;
    }
    const std::vector<std::pair<int32_t, int32_t>> expected = {{1, 8}, {2, 8}, {3, 8}, {4, 8}, {5, 8},
                                                               {6, 8}, {7, 8}, {8, 8}, {0, 0}};
    EXPECT_EQ(steps, expected);
    ASSERT_EQ(first->written.size(), 1u);
    EXPECT_NE(first->written[0], target);
    EXPECT_EQ(second->written[0], target);
    EXPECT_EQ(TargetByte(), 12);
    const IVorlatDataSource** info = nullptr;
    int32_t count = 0;
    IVorlatImage* infoTarget = nullptr;
    VORLAT_OK(chain->GetProcessInfo(id, &info, &count, &infoTarget));
    EXPECT_EQ(info[0], source);
    EXPECT_EQ(infoTarget, target);
    VORLAT_OK(chain->EndProcess(id));
    EXPECT_EQ(Failure(chain->EndProcess(id)), kVorlatErrNoSuchId);
    EXPECT_EQ(Failure(chain->ExecuteProcess(id, nullptr, nullptr)), kVorlatErrNoSuchId);
}

TEST_F(ChainProcessTest, ThreeFiltersAlternateAndTheLastWritesTheTarget)
{
    AddFilter* a = Add();
    AddFilter* b = Add();
    AddFilter* c = Add();
    const IVorlatDataSource* sources[] = {source};
    int32_t id = 0, done = 1, total = 1;
    VORLAT_OK(chain->BeginProcess(&id, sources, 1, target));
    while (done || total)
        VORLAT_OK(chain->ExecuteProcess(id, &done, &total));
    VORLAT_OK(chain->EndProcess(id));
    EXPECT_EQ(a->written[0], target);
    EXPECT_NE(b->written[0], target);
    EXPECT_EQ(c->written[0], target);
    EXPECT_EQ(TargetByte(), 13);

    VORLAT_OK(chain->Process(sources, 1, target));
    EXPECT_EQ(TargetByte(), 13);
    EXPECT_EQ(a->written.back(), target);
    EXPECT_EQ(c->written.back(), target);
}

TEST_F(ChainProcessTest, AllDisabledDoesNothingAndRunIdsGrow)
{
    Add(false);
    Add(false);
    const IVorlatDataSource* sources[] = {source};
    int32_t first = 0, second = 0, done = -1, total = -1;
    VORLAT_OK(chain->BeginProcess(&first, sources, 1, target));
    VORLAT_OK(chain->ExecuteProcess(first, &done, &total));
    EXPECT_EQ(done, 0);
    EXPECT_EQ(total, 0);
    int32_t w = 0;
    target->GetWidth(&w);
    EXPECT_EQ(w, 1);  // not written
    VORLAT_OK(chain->BeginProcess(&second, sources, 1, target));
    EXPECT_EQ(second, first + 1);
    VORLAT_OK(chain->EndProcess(first));
    // The second run is still open: Destroy ends it (TearDown).
}

TEST_F(ChainProcessTest, DestroyEndsTheFilterRunStillOpen)
{
    AddFilter* a = Add();
    Add();
    const IVorlatDataSource* sources[] = {source};
    int32_t id = 0, done = 0, total = 0;
    VORLAT_OK(chain->BeginProcess(&id, sources, 1, target));
    VORLAT_OK(chain->ExecuteProcess(id, &done, &total));
    EXPECT_EQ(a->ended, 0);
    chain->Destroy();
    EXPECT_EQ(a->ended, 1);
    VORLAT_OK(manager->CreateFilterChain(&chain));
}

} // namespace
