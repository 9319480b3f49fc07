#include "app/camera/tests/tree_fixture.h"

namespace {

using camera_test::SimTree;
using camera_test::TraceCount;
using camera_test::TraceIndex;

TEST(KavoTree, OpensTheModuleAndEnumeratesItsCameraThroughAQueue)
{
    SimTree<> t("");
    ASSERT_EQ(0, t.openResult);
    EXPECT_TRUE(t.module->IsUsable());
    EXPECT_TRUE(t.module->HasCapability(kKavoCapChildren));
    EXPECT_EQ(1u, TraceCount(t.sim, {"call module set 0x2 13 {procedure} -> 0"}));
    EXPECT_EQ(1u, TraceCount(t.sim, {"call module set 0x3 13 {procedure} -> 0"}));
    EXPECT_EQ(1u, TraceCount(t.sim, {"call module set 0x5 13 {procedure} -> 0"}));

    CKavoSource* source = t.OpenSource();
    ASSERT_NE(nullptr, source);
    EXPECT_EQ(1u, t.module->GetChildren().size());
    EXPECT_TRUE(source->IsUsable());
    EXPECT_EQ(t.module.get(), source->GetParent());
    EXPECT_EQ(1u, source->GetId());
    CQzString name;
    EXPECT_EQ(0, source->GetCap9String(&name));
    EXPECT_STREQ("M4", name);
    // The module object's own answers.
    EXPECT_EQ(1u, t.module->GetCap54Value());
    EXPECT_EQ(12288u, t.module->GetCap58Value());
    // A second enumeration opens nothing twice.
    EXPECT_EQ(source, t.OpenSource());
    EXPECT_EQ(1u, t.module->GetChildren().size());
}

TEST(KavoTree, OpeningAReadObjectAnswersAlreadyReadUntilItIsClosed)
{
    SimTree<> t("");
    CKavoSource* source = t.OpenSource();
    ASSERT_NE(nullptr, source);
    EXPECT_EQ(kKavoAlreadyRead, source->Open(1, nullptr));
    EXPECT_EQ(0, source->Close());
    EXPECT_FALSE(source->IsOpen());
    EXPECT_FALSE(source->HasCapability(kKavoCapChildren));
    EXPECT_EQ(0, source->Open(1, nullptr));
    EXPECT_TRUE(source->IsUsable());
}

TEST(KavoTree, ClosingClearsEveryProcedureBeforeTheCloseCommand)
{
    SimTree<> t("items 1");
    CKavoSource* source = t.OpenSource();
    ASSERT_NE(nullptr, source);
    CKavoBase* item = nullptr;
    ASSERT_EQ(0, source->CreateChild(1, &item));
    CKavoBase* image = nullptr;
    ASSERT_EQ(0, item->CreateChild(1, &image));
    EXPECT_EQ(1u, TraceCount(t.sim, {"call src1/item1/data1 set 0x4 13 {procedure} -> 0"}));
    EXPECT_EQ(0, source->Close());
    // Depth first: the data object, its item, then the camera; each clears
    // its procedures and then closes.
    int at = -1;
    for (const char* object : {"src1/item1/data1 ", "src1/item1 ", "src1 "}) {
        for (const char* cap : {"0x2", "0x3", "0x5"}) {
            const int cleared =
                TraceIndex(t.sim, {"call ", object, std::string("set ").append(cap).c_str(), "{null}"}, at);
            ASSERT_GT(cleared, at) << object << cap;
        }
        const int closed = TraceIndex(t.sim, {"call ", object, "close"}, at);
        ASSERT_GT(closed, at) << object;
        at = closed;
    }
    EXPECT_EQ(1u, TraceCount(t.sim, {"call src1/item1/data1 set 0x4 13 {null}"}));
    EXPECT_TRUE(source->GetChildren().empty());
}

TEST(KavoTree, ClosingAnObjectThatIsNotOpenLeavesItsChildrenAlone)
{
    SimTree<> t("items 1");
    CKavoSource* source = t.OpenSource();
    ASSERT_NE(nullptr, source);
    CKavoBase* item = nullptr;
    ASSERT_EQ(0, source->CreateChild(1, &item));
    ASSERT_EQ(0, source->Close());
    EXPECT_EQ(kKavoNotOpen, source->Close());
    EXPECT_EQ(0, source->Open(1, nullptr));
    ASSERT_EQ(0, source->CreateChild(1, &item));
    EXPECT_EQ(0, item->Close());
    EXPECT_EQ(kKavoNotOpen, item->Close());
    EXPECT_EQ(1u, source->GetChildren().size());
}

TEST(KavoTree, AFailedChildOpenLeavesNoChildBehind)
{
    SimTree<> t("fail busy item info *\n");
    CKavoSource* source = t.OpenSource();
    ASSERT_NE(nullptr, source);
    CKavoBase* child = reinterpret_cast<CKavoBase*>(1);
    EXPECT_EQ(kavosim::kSimNotFound, source->CreateChild(7, &child));
    EXPECT_EQ(nullptr, child);
    EXPECT_TRUE(source->GetChildren().empty());
    // Opened by the module but its capability read failed: closed again.
    t.Act("shutter");
    EXPECT_TRUE(source->GetChildren().empty());
    EXPECT_EQ(1u, TraceCount(t.sim, {"call src1/item1 close"}));
    // An item makes data objects only for ids 1 and 8.
    CKavoItem item;
    EXPECT_EQ(nullptr, item.CreateChildObject(2));
}

TEST(KavoTree, RepeatedAnswersAreReadAgainUntilTheModuleGivesThem)
{
    SimTree<> t("repeat 3 source info *\nrepeat 2 source count *\n");
    CKavoSource* source = t.OpenSource();
    ASSERT_NE(nullptr, source);
    EXPECT_TRUE(source->IsUsable());
    EXPECT_EQ(4u, TraceCount(t.sim, {"call src1 info "}));
    EXPECT_EQ(4u, TraceCount(t.sim, {"call src1 count "}));
    EXPECT_TRUE(source->HasCapability(0x8112));
}

TEST(KavoTree, AFailedCapabilityReadLeavesTheMapEmptyAndTheObjectUnusable)
{
    SimTree<> t("fail busy source info * 1\n");
    CKavoSource* source = t.OpenSource();
    ASSERT_NE(nullptr, source);
    EXPECT_TRUE(source->IsOpen());
    EXPECT_FALSE(source->IsUsable());
    EXPECT_FALSE(source->HasCapability(kKavoCapChildren));
    // An event that the capability list changed reads it again.
    t.Act("caplist 0x8112");
    EXPECT_FALSE(source->IsUsable());  // the event went to nobody: no procedure was set
}

TEST(KavoTree, ProceduresSetBeforeAFailedReadAreStillClearedAtClose)
{
    SimTree<> t("fail busy source set 0x5\n");
    CKavoSource* source = t.OpenSource();
    ASSERT_NE(nullptr, source);
    EXPECT_FALSE(source->IsUsable());
    EXPECT_EQ(0, source->Close());
    EXPECT_EQ(1u, TraceCount(t.sim, {"call src1 set 0x2 13 {null}"}));
    EXPECT_EQ(1u, TraceCount(t.sim, {"call src1 set 0x3 13 {null}"}));
}

TEST(KavoTree, ACaptureAddsTheNewPictureFromInsideTheModuleCall)
{
    struct Source : CKavoSource {
        std::vector<CKavoBase*> added;
        void OnChildAdded(CKavoBase* child) override { added.push_back(child); }
    };
    struct Module : CKavoModule {
        CKavoBase* CreateChildObject(uint32_t) override { return new Source(); }
    };
    SimTree<Module> t("");
    auto* source = dynamic_cast<Source*>(t.OpenSource());
    ASSERT_NE(nullptr, source);
    CCommandQueue queue;
    ASSERT_EQ(0, source->QueueCapture(&queue));
    EXPECT_EQ(0, WaitForCommandQueue(&queue));
    ASSERT_EQ(1u, source->added.size());
    EXPECT_EQ(3u, source->added[0]->GetObjectRecord()->type);
    EXPECT_TRUE(source->added[0]->IsUsable());
    // The same event again does not make the picture twice.
    t.Act("event 0 1");
    EXPECT_EQ(1u, source->added.size());
}

TEST(KavoTree, ARemovalWhileTheChildIsBusyWaitsForAnIdleStepAfterItsLeave)
{
    SimTree<> t("items 1\n");
    CKavoSource* source = t.OpenSource();
    ASSERT_NE(nullptr, source);
    CKavoBase* item = nullptr;
    ASSERT_EQ(0, source->CreateChild(1, &item));
    item->Enter();
    t.Act("remove 1");
    EXPECT_EQ(item, SimTree<>::ChildWithId(source, 1));
    EXPECT_TRUE(IsPendingRemoval(item));
    t.RunIdle();
    EXPECT_EQ(item, SimTree<>::ChildWithId(source, 1));
    item->Leave();
    EXPECT_EQ(1u, CCommandQueueManager::GetInstance().HasWork());
    EXPECT_EQ(1u, RunCommandQueues());
    EXPECT_TRUE(source->GetChildren().empty());
    EXPECT_TRUE(KavoPendingRemovals().empty());
}

TEST(KavoTree, ACameraWithABusyDataObjectIsRemovedOnlyWhenNothingBelowIsBusy)
{
    SimTree<> t("items 1\n");
    CKavoSource* source = t.OpenSource();
    ASSERT_NE(nullptr, source);
    CKavoBase* item = nullptr;
    CKavoBase* image = nullptr;
    ASSERT_EQ(0, source->CreateChild(1, &item));
    ASSERT_EQ(0, item->CreateChild(1, &image));
    image->Enter();
    t.Act("disconnect");
    ASSERT_EQ(1u, t.module->GetChildren().size());
    EXPECT_TRUE(IsPendingRemoval(source));
    EXPECT_EQ(0, t.RunIdle());
    EXPECT_EQ(image, SimTree<>::ChildWithId(item, 1));
    image->Leave();
    t.RunIdle();
    EXPECT_TRUE(t.module->GetChildren().empty());
}

TEST(KavoTree, ADisconnectDuringATransferRemovesTheCameraAfterTheTransferEnds)
{
    struct Image : CKavoBaseData {
        Image() : CKavoBaseData(kKavoDataKindImage) {}
        int32_t OnData(KavoDataInfo* info, void*) override
        {
            ++blocks;
            // The tree is intact under the call that delivers.
            EXPECT_TRUE(IsLiveKavoObject(GetParent()));
            return info ? 0 : 1;
        }
        int blocks = 0;
    };
    struct Item : CKavoItem {
        CKavoBase* CreateChildObject(uint32_t id) override { return id == 1 ? new Image() : nullptr; }
    };
    struct Source : CKavoSource {
        CKavoBase* CreateChildObject(uint32_t) override { return new Item(); }
    };
    struct Module : CKavoModule {
        CKavoBase* CreateChildObject(uint32_t) override { return new Source(); }
    };
    const std::string picture = fileio_test::ScratchPageFile("camera_tree_transfer");
    camera_test::WriteText(picture, std::string(10000, 'p'));
    SimTree<Module> t("items 1\nblock 1000\nfault disconnect-after 3\npicture jpeg " + picture + "\n");
    CKavoSource* source = t.OpenSource();
    ASSERT_NE(nullptr, source);
    CKavoBase* item = nullptr;
    CKavoBase* made = nullptr;
    ASSERT_EQ(0, source->CreateChild(1, &item));
    ASSERT_EQ(0, item->CreateChild(1, &made));
    auto* image = dynamic_cast<Image*>(made);
    ASSERT_NE(nullptr, image);
    CCommandQueue queue;
    ASSERT_EQ(0, image->QueueAcquire(&queue, 1));
    EXPECT_EQ(0, WaitForCommandQueue(&queue));
    EXPECT_EQ(3, image->blocks);
    EXPECT_TRUE(IsPendingRemoval(source));
    t.RunIdle();
    EXPECT_TRUE(t.module->GetChildren().empty());
    EXPECT_EQ(0u, TraceCount(t.sim, {"call ? "}));
}

TEST(KavoTree, BrokenDeliveriesEndTheirQueueWithoutAProtocolError)
{
    const std::string picture = fileio_test::ScratchPageFile("camera_tree_faults");
    camera_test::WriteText(picture, std::string(5000, 'p'));
    for (const char* fault : {"duplicate-first", "past-total", "out-of-order", "total-zero", "ignored-first"}) {
        SCOPED_TRACE(fault);
        SimTree<> t(std::string("items 1\nblock 1000\ndelivery poll\nfault ") + fault + "\npicture jpeg " + picture +
                    "\n");
        CKavoSource* source = t.OpenSource();
        ASSERT_NE(nullptr, source);
        CKavoBase* item = nullptr;
        CKavoBase* image = nullptr;
        ASSERT_EQ(0, source->CreateChild(1, &item));
        ASSERT_EQ(0, item->CreateChild(1, &image));
        CCommandQueue queue;
        ASSERT_EQ(0, dynamic_cast<CKavoBaseData*>(image)->QueueAcquire(&queue, 0));
        EXPECT_EQ(0, WaitForCommandQueue(&queue));
        EXPECT_EQ(1u, TraceCount(t.sim, {"callback completion src1/item1/data1 start 0x14"}));
    }
}

TEST(KavoTree, AnItemsRemovalOfOneDataKindRemovesOnlyThoseDataObjects)
{
    SimTree<> t("items 1\n");
    CKavoSource* source = t.OpenSource();
    ASSERT_NE(nullptr, source);
    CKavoBase* item = nullptr;
    CKavoBase* image = nullptr;
    CKavoBase* thumbnail = nullptr;
    ASSERT_EQ(0, source->CreateChild(1, &item));
    ASSERT_EQ(0, item->CreateChild(1, &image));
    ASSERT_EQ(0, item->CreateChild(8, &thumbnail));
    ASSERT_EQ(8u, dynamic_cast<CKavoBaseData*>(thumbnail)->GetDataKind());
    t.Act("remove 1 8");
    EXPECT_TRUE(thumbnail->IsRemoved());
    t.RunIdle();
    ASSERT_EQ(1u, item->GetChildren().size());
    EXPECT_EQ(image, item->GetChildren()[0].Get());
    EXPECT_FALSE(image->IsRemoved());
}

TEST(KavoTree, RemovingChildrenByIdOrThatAreNotChildrenAnswersNoSuchChild)
{
    SimTree<> t("items 2\n");
    CKavoSource* source = t.OpenSource();
    ASSERT_NE(nullptr, source);
    CKavoBase* first = nullptr;
    CKavoBase* second = nullptr;
    ASSERT_EQ(0, source->CreateChild(1, &first));
    ASSERT_EQ(0, source->CreateChild(2, &second));
    CKavoBase* none = first;
    EXPECT_EQ(kKavoNoChildMade, first->CreateChild(2, &none));
    EXPECT_EQ(nullptr, none);
    EXPECT_TRUE(first->GetChildren().empty());
    EXPECT_EQ(kKavoNoSuchChild, source->RemoveChildById(9));
    EXPECT_EQ(kKavoNoSuchChild, t.module->RemoveChild(first));
    EXPECT_TRUE(first->IsOpen());
    EXPECT_EQ(0, source->RemoveChildById(2));
    ASSERT_EQ(1u, source->GetChildren().size());
    EXPECT_EQ(first, source->GetChildren()[0].Get());
}

TEST(KavoTree, PollTimersAreDueAtTheirIntervalAndAnEventMakesThemDueAtOnce)
{
    SimTree<> t("poll-interval 2000\n");
    CKavoSource* source = t.OpenSource();
    ASSERT_NE(nullptr, source);
    auto& manager = CCommandQueueManager::GetInstance();
    ASSERT_EQ(2u, manager.Timers().size());
    EXPECT_EQ(0u, manager.HasWork());
    EXPECT_EQ(0u, RunCommandQueues());
    // Both due: the most overdue (the module's, started first) is polled first.
    t.clock.now += 5000;
    EXPECT_EQ(1u, manager.HasWork());
    EXPECT_EQ(1u, RunCommandQueues());
    EXPECT_EQ(1u, RunCommandQueues());
    EXPECT_EQ(0u, RunCommandQueues());
    const int module = TraceIndex(t.sim, {"call module poll"});
    const int camera = TraceIndex(t.sim, {"call src1 poll"});
    ASSERT_GE(module, 0);
    EXPECT_GT(camera, module);
    // The camera's event makes its own timer due at once.
    t.Act("dial 0x8111 2");
    EXPECT_EQ(1u, manager.HasWork());
    EXPECT_EQ(1u, RunCommandQueues());
    EXPECT_EQ(2u, TraceCount(t.sim, {"call src1 poll"}));
    EXPECT_EQ(0u, manager.HasWork());
    EXPECT_EQ(0, source->Close());
    EXPECT_EQ(1u, manager.Timers().size());
}

TEST(KavoTree, CallsWithoutAnOpenModuleAnswerNotOpen)
{
    CKavoModule module;
    EXPECT_EQ(kKavoNotOpen, module.CallModule(&module, kKavoPoll, 0, kKavoDataNone, nullptr, nullptr, nullptr));
    EXPECT_EQ(kKavoNotOpen, module.Close());
    EXPECT_EQ(kKavoLoadFailed, module.Open("no such module file.kv3"));
    EXPECT_FALSE(module.IsModuleOpen());
}

TEST(KavoTree, MalformedAnswersAreRefusedWithAClearErrorAndNoProtocolError)
{
    {
        SimTree<> t("malform capcount 268435456 source\n");
        CKavoSource* source = t.OpenSource();
        ASSERT_NE(nullptr, source);
        EXPECT_FALSE(source->IsUsable());
        CKavoBase* other = nullptr;
        EXPECT_EQ(0, t.module->Close());
        EXPECT_EQ(kKavoNotOpen, t.module->CreateChild(1, &other));
    }
    {
        SimTree<> t("malform unterminated 9\nmalform unterminated 0x8112\n");
        CKavoSource* source = t.OpenSource();
        ASSERT_NE(nullptr, source);
        CQzString name;
        EXPECT_EQ(0, source->GetCap9String(&name));
        EXPECT_EQ(255, name.GetLength());
        EXPECT_EQ(255, source->GetCapabilityDescription(9).GetLength());
    }
    {
        // The camera's list of children claims more than memory holds, then
        // elements of the wrong width.
        SimTree<> t("malform listcount 7 1073741824\n");
        EXPECT_EQ(nullptr, t.OpenSource());
    }
    {
        SimTree<> t("malform elemsize 7 2\n");
        EXPECT_EQ(nullptr, t.OpenSource());
    }
    {
        SimTree<> t("malform elemsize 7 8\n");
        CKavoSource* source = t.OpenSource();
        ASSERT_NE(nullptr, source);
        EXPECT_EQ(1u, source->GetId());
    }
}

}  // namespace
