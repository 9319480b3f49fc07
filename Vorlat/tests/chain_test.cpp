#include "vorlat_test_filters.h"

using namespace vorlat_test;

namespace {

const IVorlatDataSource* SourceOf(const IVorlatDataDestination* destination)
{
    const IVorlatDataSource* source = nullptr;
    EXPECT_EQ(Deepest(VorlatGetDataSource(destination, &source)), 0);
    return source;
}

// A filter whose check hooks refuse on demand.
class GateFilter : public AddFilter {
public:
    GateFilter(IVorlatManager* manager, int32_t code) : AddFilter(manager, code, code, 0, 0) {}

    int32_t refuseSource = 0;                       // refuses a new source (only sourceToRefuse when set)
    const IVorlatDataSource* sourceToRefuse = nullptr;
    int32_t refuseDestination = 0;                  // refuses to feed a new destination
    int32_t refuseSourceRemoval = 0;                // refuses to lose a source (only sourceToKeep when set)
    const IVorlatDataSource* sourceToKeep = nullptr;

    IVorlatError* VorlatAddDataSourceCheck(const IVorlatDataSource* source, IVorlatDataDestination**) const override
    {
        return Refusal(refuseSource, sourceToRefuse, source);
    }
    IVorlatError* VorlatRemoveDataSourceCheck(const IVorlatDataSource* source) const override
    {
        return Refusal(refuseSourceRemoval, sourceToKeep, source);
    }
    IVorlatError* VorlatAddDataDestinationCheck(IVorlatDataSource**, const IVorlatDataDestination*) const override
    {
        return Refusal(refuseDestination, nullptr, nullptr);
    }

private:
    static IVorlatError* Refusal(int32_t value, const IVorlatDataSource* only, const IVorlatDataSource* source)
    {
        if (!value || (only && only != source))
            return nullptr;
        return IVorlatError::Add(nullptr, 99, 1, 0, value);
    }
};

int32_t SourceCount(const IVorlatDataDestination* destination)
{
    int32_t count = -1;
    EXPECT_EQ(Deepest(VorlatGetDataSourceCount(destination, &count)), 0);
    return count;
}

int32_t DestinationCount(const IVorlatDataSource* source)
{
    int32_t count = -1;
    EXPECT_EQ(Deepest(VorlatGetDataDestinationCount(source, &count)), 0);
    return count;
}

class ChainTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        manager = MakeManager(1 << 22, 16384);
        VORLAT_OK(manager->CreateFilterChain(&chain));
    }
    void TearDown() override
    {
        chain->Destroy();
        manager->Destroy();
    }
    AddFilter* Make(int32_t code, int32_t id, int32_t shift = 0)
    {
        filters.push_back(std::make_unique<AddFilter>(manager, code, id, 1, shift));
        return filters.back().get();
    }
    GateFilter* Gate(int32_t code)
    {
        filters.push_back(std::make_unique<GateFilter>(manager, code));
        return static_cast<GateFilter*>(filters.back().get());
    }
    CVorlatManager* manager = nullptr;
    IVorlatFilterChain* chain = nullptr;
    std::vector<std::unique_ptr<AddFilter>> filters;
};

TEST_F(ChainTest, AnswersItsSourceOnlyOnceItHasOne)
{
    int32_t w = -1, cs = -1;
    double res = 0, rot = -1;
    bool flip = true;
    VORLAT_OK(chain->GetWidth(&w));
    VORLAT_OK(chain->GetColorSpace(&cs));
    VORLAT_OK(chain->GetResolution(&res));
    VORLAT_OK(chain->GetFlip(&flip));
    VORLAT_OK(chain->GetRotation(&rot));
    EXPECT_EQ(w, 0);
    EXPECT_EQ(cs, 0);
    EXPECT_EQ(res, 72.0);
    EXPECT_FALSE(flip);
    EXPECT_EQ(rot, 0.0);

    StubSource source;
    IVorlatDataSource* previous = &source;
    VORLAT_OK(chain->UseSource(&source, &previous));
    EXPECT_EQ(previous, nullptr);
    VORLAT_OK(chain->GetWidth(&w));
    VORLAT_OK(chain->GetResolution(&res));
    EXPECT_EQ(w, 10);
    EXPECT_EQ(res, 300.0);

    StubSource other;
    VORLAT_OK(chain->UseSource(&other, &previous));
    EXPECT_EQ(previous, &source);
    int32_t count = 0;
    VORLAT_OK(VorlatGetDataSourceCount(chain, &count));
    EXPECT_EQ(count, 1);
}

TEST_F(ChainTest, TopologyAfterAddExtractRemove)
{
    AddFilter* a = Make(VorlatFourCC("aaaa"), 1);
    AddFilter* f = Make(VorlatFourCC("ffff"), 2);
    VORLAT_OK(chain->AddFilter(a, -1));
    VORLAT_OK(chain->AddFilter(f, 0));
    ASSERT_EQ(chain->GetFilterCount(), 2);
    EXPECT_EQ(chain->GetFilter(0), f);
    EXPECT_EQ(chain->GetFilter(1), a);
    // input terminus -> F -> A -> output terminus
    EXPECT_EQ(SourceOf(a), f);
    const IVorlatDataSource* first = SourceOf(f);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(dynamic_cast<const IVorlatFilter*>(first)->GetFilterCode(), VorlatFourCC("term"));
    IVorlatDataDestination* after[2] = {};
    VORLAT_OK(VorlatGetDataDestinations(a, after, 2));
    EXPECT_EQ(dynamic_cast<IVorlatFilter*>(after[0])->GetFilterCode(), VorlatFourCC("term"));

    EXPECT_EQ(chain->FindFilterCode(VorlatFourCC("aaaa"), 0), 1);
    EXPECT_EQ(chain->FindFilterCode(VorlatFourCC("zzzz"), 0), -1);
    EXPECT_EQ(chain->FindFilter(VorlatFourCC("ffff"), 2), 0);
    EXPECT_EQ(chain->FindFilter(a), 1);
    EXPECT_EQ(chain->GetFilterCode(), VorlatFourCC("fchn"));

    IVorlatFilter* taken = nullptr;
    VORLAT_OK(chain->ExtractFilter(0, &taken));
    EXPECT_EQ(taken, f);
    EXPECT_EQ(chain->GetFilterCount(), 1);
    int32_t count = -1;
    VORLAT_OK(VorlatGetDataSourceCount(f, &count));
    EXPECT_EQ(count, 0);
    VORLAT_OK(VorlatGetDataDestinationCount(f, &count));
    EXPECT_EQ(count, 0);
    EXPECT_EQ(SourceOf(a), first);  // the gap is closed

    VORLAT_OK(chain->RemoveFilter(0));
    EXPECT_EQ(chain->GetFilterCount(), 0);
    VORLAT_OK(VorlatGetDataSourceCount(a, &count));
    EXPECT_EQ(count, 0);
}

int gDeleted = 0;
void CountingDeleter(IVorlatFilter* filter)
{
    ++gDeleted;
    delete static_cast<AddFilter*>(filter);
}

TEST_F(ChainTest, DeleterRunsOnceOnRemoveAndOnDestroy)
{
    gDeleted = 0;
    VORLAT_OK(chain->AddFilterAutoDelete(new AddFilter(manager, 1, 1, 0, 0), CountingDeleter, -1));
    VORLAT_OK(chain->AddFilterAutoDelete(new AddFilter(manager, 2, 2, 0, 0), CountingDeleter, -1));
    VORLAT_OK(chain->RemoveFilter(0));
    EXPECT_EQ(gDeleted, 1);
    IVorlatFilterChain* other = nullptr;
    VORLAT_OK(manager->CreateFilterChain(&other));
    VORLAT_OK(other->AddFilterAutoDelete(new AddFilter(manager, 3, 3, 0, 0), CountingDeleter, -1));
    other->Destroy();
    EXPECT_EQ(gDeleted, 2);
}

TEST_F(ChainTest, ConvertsPointsThroughTheFilters)
{
    for (int i = 0; i < 3; ++i)
        VORLAT_OK(chain->AddFilter(Make(1, i, 1 << i), -1));
    const struct {
        int32_t from, to, x;
    } cases[] = {{2, 0, 100 - 7}, {0, 2, 100 + 7}, {1, 1, 100}, {1, 2, 100 + 6}, {2, 1, 100 - 6}};
    for (const auto& c : cases) {
        int32_t x = 100, y = 100;
        VORLAT_OK(chain->ConvertPoint(&x, &y, c.from, c.to));
        EXPECT_EQ(x, c.x) << c.from << "->" << c.to;
    }
    int32_t x = 0, y = 0;
    EXPECT_EQ(Failure(chain->ConvertPoint(&x, &y, 0, 3)), kVorlatErrNoSuchId);
    double dx = 0, dy = 0;
    VORLAT_OK(chain->FilterPoint(&dx, &dy, nullptr, 0));
    EXPECT_EQ(dx, 7.0);
    VORLAT_OK(chain->DefilterPoint(&dx, &dy, nullptr, 0));
    EXPECT_EQ(dx, 0.0);
}

TEST_F(ChainTest, DestinationsLinkToTheOutputAndHearNotifications)
{
    StubSource source;
    VORLAT_OK(chain->UseSource(&source, nullptr));
    VORLAT_OK(chain->AddFilter(Make(1, 1), -1));
    Recorder view;
    VORLAT_OK(VorlatDataConnect(chain, &view));
    IVorlatDataDestination* out[2] = {};
    VORLAT_OK(VorlatGetDataDestinations(chain, out, 2));
    EXPECT_EQ(out[0], &view);
    VORLAT_OK(VorlatSendDataNotification(&source, kVorlatNotifyResolution, nullptr));
    ASSERT_EQ(view.heard.size(), 1u);
    EXPECT_EQ(view.heard[0].code, kVorlatNotifyResolution);
    VORLAT_OK(chain->Enable(false, true));
    EXPECT_EQ(view.heard.back().code, kVorlatNotifyUpdateAll);
    VORLAT_OK(VorlatDataDisconnect(chain, &view));
    int32_t count = -1;
    VORLAT_OK(VorlatGetDataDestinationCount(chain, &count));
    EXPECT_EQ(count, 0);
}

// A refused link leaves the chain's list and links as they were before the call.
TEST_F(ChainTest, RefusedAddLeavesTheChainAsItWas)
{
    const struct {
        const char* what;
        int32_t GateFilter::*refusal;
        bool onB;  // the refusal is B's, not the new filter's
    } cases[] = {
        {"the new filter refuses its source", &GateFilter::refuseSource, false},
        {"the new filter refuses its destination", &GateFilter::refuseDestination, false},
        {"B refuses to lose A", &GateFilter::refuseSourceRemoval, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        IVorlatFilterChain* local = nullptr;
        VORLAT_OK(manager->CreateFilterChain(&local));
        GateFilter* a = Gate(1);
        GateFilter* b = Gate(2);
        GateFilter* f = Gate(3);
        VORLAT_OK(local->AddFilter(a, -1));
        VORLAT_OK(local->AddFilter(b, -1));
        (c.onB ? b : f)->*c.refusal = 701;

        EXPECT_EQ(Deepest(local->AddFilter(f, 1)), 701);
        ASSERT_EQ(local->GetFilterCount(), 2);
        EXPECT_EQ(local->GetFilter(1), b);
        EXPECT_EQ(SourceOf(b), a);
        EXPECT_EQ(DestinationCount(a), 1);
        EXPECT_EQ(SourceCount(f), 0);
        EXPECT_EQ(DestinationCount(f), 0);
        local->Destroy();
    }
}

TEST_F(ChainTest, RefusedExtractLeavesTheChainAsItWas)
{
    const struct {
        const char* what;
        int which;  // 0: F refuses to lose A; 1: B refuses to lose F; 2: B refuses A as its new source
    } cases[] = {{"first unlink refused", 0}, {"second unlink refused", 1}, {"closing the gap refused", 2}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        IVorlatFilterChain* local = nullptr;
        VORLAT_OK(manager->CreateFilterChain(&local));
        GateFilter* a = Gate(1);
        GateFilter* f = Gate(2);
        GateFilter* b = Gate(3);
        for (GateFilter* g : {a, f, b})
            VORLAT_OK(local->AddFilter(g, -1));
        if (c.which == 0) {
            f->refuseSourceRemoval = 702;
        } else if (c.which == 1) {
            b->refuseSourceRemoval = 702;
            b->sourceToKeep = f;
        } else {
            b->refuseSource = 702;
            b->sourceToRefuse = a;
        }

        IVorlatFilter* taken = nullptr;
        EXPECT_EQ(Deepest(local->ExtractFilter(1, &taken)), 702);
        EXPECT_EQ(taken, nullptr);
        ASSERT_EQ(local->GetFilterCount(), 3);
        EXPECT_EQ(local->GetFilter(1), f);
        EXPECT_EQ(SourceOf(f), a);
        EXPECT_EQ(SourceOf(b), f);
        EXPECT_EQ(DestinationCount(a), 1);
        EXPECT_EQ(DestinationCount(f), 1);
        EXPECT_EQ(SourceCount(b), 1);
        local->Destroy();
    }
}

} // namespace
