#include "vorlat_test_filters.h"

using namespace vorlat_test;

namespace {

int32_t DestinationCount(const IVorlatDataSource* source)
{
    int32_t count = -1;
    EXPECT_EQ(Deepest(VorlatGetDataDestinationCount(source, &count)), 0);
    return count;
}

// Counts the hooks that a destination hears.
class HookCounter : public Recorder {
public:
    IVorlatError* VorlatAddedDataSource(const IVorlatDataSource*) override { ++added; return nullptr; }
    IVorlatError* VorlatRemovedDataSource(const IVorlatDataSource*) override { ++removed; return nullptr; }
    IVorlatError* VorlatAddDataSourceCheck(const IVorlatDataSource*, IVorlatDataDestination** s) const override
    {
        if (substitute)
            *s = substitute;
        return refuseAdd ? IVorlatError::Add(nullptr, 99, 1, 0, refuseAdd) : nullptr;
    }
    int added = 0, removed = 0;
    int32_t refuseAdd = 0;
    IVorlatDataDestination* substitute = nullptr;
};

TEST(Registry, UseCountsAndHooks)
{
    StubSource source;
    HookCounter destination;
    VORLAT_OK(VorlatDataConnect(&source, &destination));
    VORLAT_OK(VorlatDataConnect(&source, &destination));
    EXPECT_EQ(DestinationCount(&source), 1);  // links, not uses
    EXPECT_EQ(destination.added, 2);
    VORLAT_OK(VorlatDataDisconnect(&source, &destination));
    EXPECT_EQ(DestinationCount(&source), 1);
    VORLAT_OK(VorlatDataDisconnect(&source, &destination));
    EXPECT_EQ(DestinationCount(&source), 0);
    EXPECT_EQ(destination.removed, 2);
    VORLAT_OK(VorlatDataDisconnect(&source, &destination));  // not linked: nothing, no hook
    EXPECT_EQ(destination.removed, 2);
}

TEST(Registry, RefusalsLeaveTheRegistryAsItWas)
{
    StubSource source;
    HookCounter destination;
    destination.refuseAdd = 4242;
    EXPECT_EQ(Deepest(VorlatDataConnect(&source, &destination)), 4242);
    EXPECT_EQ(DestinationCount(&source), 0);
    EXPECT_EQ(destination.added, 0);

    destination.refuseAdd = 0;
    VORLAT_OK(VorlatDataConnect(&source, &destination));
    source.refuseRemoval = 77;
    EXPECT_EQ(Deepest(VorlatDataDisconnect(&source, &destination)), 77);
    EXPECT_EQ(DestinationCount(&source), 1);
    source.refuseRemoval = 0;
    VORLAT_OK(VorlatDataDisconnect(&source, &destination));
}

TEST(Registry, SubstituteIsRecordedWithAnAlias)
{
    StubSource source;
    HookCounter named, real;
    named.substitute = &real;
    VORLAT_OK(VorlatDataConnect(&source, &named));
    IVorlatDataDestination* out[4] = {};
    VORLAT_OK(VorlatGetDataDestinations(&source, out, 4));
    EXPECT_EQ(out[0], &real);
    const IVorlatDataSource* found = nullptr;
    VORLAT_OK(VorlatGetDataSource(&named, &found));  // the alias finds the link
    EXPECT_EQ(found, &source);
    EXPECT_EQ(real.added, 1);
    EXPECT_EQ(named.added, 0);
    VORLAT_OK(VorlatDataDisconnect(&source, &named));
    EXPECT_EQ(DestinationCount(&source), 0);
    EXPECT_EQ(real.removed, 1);
}

TEST(Registry, SubstitutionThatNeverSettlesFails)
{
    // Two sources that keep naming each other.
    StubSource a, b;
    a.substitute = &b;
    b.substitute = &a;
    HookCounter destination;
    IVorlatError* err = VorlatDataConnect(&a, &destination);
    ASSERT_NE(err, nullptr);
    EXPECT_EQ(err->GetDeepestValue(), kVorlatErrText);
    err->Destroy();
    EXPECT_EQ(DestinationCount(&a), 0);
    EXPECT_EQ(DestinationCount(&b), 0);
}

TEST(Registry, NotifiesNewestLinkFirstAndStopsAtAnError)
{
    StubSource source;
    std::vector<std::string> log;
    Recorder a(&log, "A"), b(&log, "B"), c(&log, "C");
    for (Recorder* r : {&a, &b, &c})
        VORLAT_OK(VorlatDataConnect(&source, r));
    VORLAT_OK(VorlatDataConnect(&source, &a));  // linking again does not move the link
    VORLAT_OK(VorlatSendDataNotification(&source, 3, nullptr));
    EXPECT_EQ(log, (std::vector<std::string>{"C", "B", "A"}));

    log.clear();
    c.onNotify = [&] { EXPECT_EQ(Deepest(VorlatDataDisconnect(&source, &a)), 0); };
    VORLAT_OK(VorlatSendDataNotification(&source, 3, nullptr));
    EXPECT_EQ(log, (std::vector<std::string>{"C", "B"}));  // disconnected mid-pass: not told
    log.clear();
    c.onNotify = nullptr;
    VORLAT_OK(VorlatSendDataNotification(&source, 3, nullptr));
    EXPECT_EQ(log, (std::vector<std::string>{"C", "B", "A"}));  // A kept its second use

    log.clear();
    b.failValue = 555;
    EXPECT_EQ(Deepest(VorlatSendDataNotification(&source, 3, nullptr)), 555);
    EXPECT_EQ(log, (std::vector<std::string>{"C", "B"}));
}

TEST(Registry, DestroyedDestinationLeavesEveryPassAndLink)
{
    StubSource source;
    std::vector<std::string> log;
    Recorder first(&log, "first");
    auto* doomed = new Recorder(&log, "doomed");
    Recorder last(&log, "last");
    VORLAT_OK(VorlatDataConnect(&source, &first));
    VORLAT_OK(VorlatDataConnect(&source, doomed));
    VORLAT_OK(VorlatDataConnect(&source, &last));
    last.onNotify = [&] { delete doomed; };
    VORLAT_OK(VorlatSendDataNotification(&source, 0, nullptr));
    EXPECT_EQ(log, (std::vector<std::string>{"last", "first"}));
    EXPECT_EQ(DestinationCount(&source), 2);
}

TEST(Registry, ForgettingRemovesLinksEvenWhenRefused)
{
    auto* source = new StubSource;
    HookCounter destination;
    VORLAT_OK(VorlatDataConnect(source, &destination));
    VORLAT_OK(VorlatDataConnect(source, &destination));
    source->refuseRemoval = 1;
    delete source;
    int32_t count = -1;
    VORLAT_OK(VorlatGetDataSourceCount(&destination, &count));
    EXPECT_EQ(count, 0);
    EXPECT_EQ(destination.removed, 2);
}

TEST(Registry, ReplaceMovesEveryLink)
{
    StubSource old, replacement;
    HookCounter d1, d2;
    VORLAT_OK(VorlatDataConnect(&old, &d1));
    VORLAT_OK(VorlatDataConnect(&old, &d2));
    VORLAT_OK(VorlatDataConnect(&old, &d2));
    VORLAT_OK(VorlatReplaceDataSource(&old, &replacement));
    EXPECT_EQ(DestinationCount(&old), 0);
    EXPECT_EQ(DestinationCount(&replacement), 2);
    VORLAT_OK(VorlatDataDisconnect(&replacement, &d2));
    EXPECT_EQ(DestinationCount(&replacement), 2);  // d2 had two uses
}

TEST(Registry, ReplaceDestinationMovesDirectAndSubstitutedLinks)
{
    StubSource image;
    HookCounter oldView, newView;
    VORLAT_OK(VorlatDataConnect(&image, &oldView));
    VORLAT_OK(VorlatDataConnect(&image, &oldView));
    VORLAT_OK(VorlatReplaceDataDestination(&oldView, &newView));
    EXPECT_EQ(newView.added, 2);
    EXPECT_EQ(oldView.removed, 2);
    int32_t count = -1;
    VORLAT_OK(VorlatGetDataSourceCount(&oldView, &count));
    EXPECT_EQ(count, 0);
    VORLAT_OK(VorlatDataDisconnect(&image, &newView));
    EXPECT_EQ(DestinationCount(&image), 1);  // both uses moved

    // A link made through a substitute (a chain's input terminus) is made
    // again through the replacement's own substitute.
    CVorlatManager* manager = MakeManager(1 << 20, 16384);
    IVorlatFilterChain* first = nullptr;
    IVorlatFilterChain* second = nullptr;
    VORLAT_OK(manager->CreateFilterChain(&first));
    VORLAT_OK(manager->CreateFilterChain(&second));
    VORLAT_OK(VorlatDataConnect(&image, first));
    VORLAT_OK(VorlatReplaceDataDestination(first, second));
    VORLAT_OK(VorlatGetDataSourceCount(first, &count));
    EXPECT_EQ(count, 0);
    const IVorlatDataSource* source = nullptr;
    VORLAT_OK(VorlatGetDataSource(second, &source));
    EXPECT_EQ(source, &image);
    int32_t width = 0;
    VORLAT_OK(second->GetWidth(&width));
    EXPECT_EQ(width, 10);

    // A refused link stops the move and the old destination keeps its links.
    HookCounter refusing;
    refusing.refuseAdd = 703;
    EXPECT_EQ(Deepest(VorlatReplaceDataDestination(&newView, &refusing)), 703);
    source = nullptr;
    VORLAT_OK(VorlatGetDataSource(&newView, &source));
    EXPECT_EQ(source, &image);
    first->Destroy();
    second->Destroy();
    manager->Destroy();
}

TEST(Registry, QueriesReportTooSmallArrays)
{
    StubSource s1, s2;
    HookCounter destination;
    const IVorlatDataSource* none = &s1;
    VORLAT_OK(VorlatGetDataSource(&destination, &none));
    EXPECT_EQ(none, nullptr);
    VORLAT_OK(VorlatDataConnect(&s1, &destination));
    VORLAT_OK(VorlatDataConnect(&s2, &destination));
    const IVorlatDataSource* out[1] = {};
    EXPECT_EQ(Failure(VorlatGetDataSources(&destination, out, 1)), kVorlatErrArrayTooSmall);
    EXPECT_EQ(out[0], &s1);
}

} // namespace
