#include "app/camera/tests/tree_fixture.h"

namespace {

using camera_test::SimTree;
using camera_test::TraceCount;
using camera_test::TraceIndex;

// What the callers' own completion procedures saw: reference, result.
std::vector<std::pair<int, int32_t>>& Completed()
{
    static std::vector<std::pair<int, int32_t>> completed;
    return completed;
}

int32_t KAVO_CALL RecordCompletion(KavoObjectRecord*, uint32_t, uint32_t, uint32_t, void*, void* reference,
                                   int32_t result)
{
    Completed().push_back({static_cast<int>(reinterpret_cast<intptr_t>(reference)), result});
    return 0;
}

void* Tag(int tag)
{
    return reinterpret_cast<void*>(static_cast<intptr_t>(tag));
}

// A read of capability 51 into the value, completing with the tag.
void AddRead(CCommandQueue* queue, CKavoBase* target, uint32_t* value, int tag, uint32_t cap = 51,
             uint32_t command = kKavoGet)
{
    queue->AddCommand(target, command, cap, kKavoDataUint, value, &RecordCompletion, Tag(tag));
}

TEST(CommandQueue, WaitingQueuesGainATenthOfTheirPriorityEachSecond)
{
    camera_test::FakeClock clock;
    CCommandQueueManager::GetInstance().SetClock(&clock);
    struct Case {
        uint32_t priority, waited, effective;
    } cases[] = {
        {5, 10000, 10}, {8, 0, 8}, {0, 100000, 0}, {10, 3500, 13}, {3, 9999, 5}, {1, 60000, 7}, {5, 999, 5},
    };
    for (const Case& c : cases) {
        CCommandQueue queue;
        queue.SetPriority(c.priority);
        queue.AddCommand(nullptr, kKavoPoll, 0, kKavoDataNone, nullptr);
        queue.Submit();
        EXPECT_EQ(c.effective, queue.EffectivePriority(clock.now + c.waited)) << c.priority << " " << c.waited;
        queue.Withdraw();
        EXPECT_TRUE(queue.IsIdle());
    }
    CCommandQueue queue;
    queue.SetPriority(10);
    EXPECT_EQ(10u, queue.RaisePriority());
    queue.SetPriority(0);
    EXPECT_EQ(0u, queue.LowerPriority());
    EXPECT_EQ(1u, queue.RaisePriority());
    EXPECT_EQ(0u, CCommandQueueManager::GetInstance().QueueCount());
    CCommandQueueManager::GetInstance().SetClock(nullptr);
}

TEST(CommandQueue, AnAgedQueueIsServedBeforeAFresherOneOfHigherPriority)
{
    SimTree<> t("");
    CKavoSource* source = t.OpenSource();
    ASSERT_NE(nullptr, source);
    Completed().clear();
    uint32_t values[3] = {};
    CCommandQueue aged, fresh, never;
    AddRead(&aged, source, &values[0], 5);
    AddRead(&never, source, &values[2], 0);
    aged.Submit();
    never.SetPriority(0);
    never.Submit();
    t.clock.now += 10000;
    fresh.SetPriority(8);
    AddRead(&fresh, source, &values[1], 8);
    fresh.Submit();
    while (RunCommandQueues()) {
    }
    EXPECT_EQ((std::vector<std::pair<int, int32_t>>{{5, 0}, {8, 0}, {0, 0}}), Completed());
    EXPECT_EQ(3u, values[0]);
}

TEST(CommandQueue, ManyQueuesAreServedInAStableOrderOfPriorityThenRegistration)
{
    SimTree<> t("");
    CKavoSource* source = t.OpenSource();
    ASSERT_NE(nullptr, source);
    Completed().clear();
    constexpr int kQueues = 24;
    std::vector<std::unique_ptr<CCommandQueue>> queues;
    uint32_t values[kQueues] = {};
    for (int i = 0; i < kQueues; ++i) {
        queues.push_back(std::make_unique<CCommandQueue>());
        queues.back()->SetPriority(i == 3 ? 7 : i == 10 ? 6 : 5);
        AddRead(queues.back().get(), source, &values[i], i);
        queues.back()->Submit();
    }
    while (RunCommandQueues()) {
    }
    std::vector<int> expected = {3, 10};
    for (int i = kQueues - 1; i >= 0; --i)
        if (i != 3 && i != 10)
            expected.push_back(i);
    std::vector<int> served;
    for (const auto& [tag, result] : Completed()) {
        served.push_back(tag);
        EXPECT_EQ(0, result);
    }
    EXPECT_EQ(expected, served);
}

TEST(CommandQueue, AQueueUnderWayIsServedBeforeQueuesThatWaitToStart)
{
    SimTree<> t("complete get after 2\n");
    CKavoSource* source = t.OpenSource();
    ASSERT_NE(nullptr, source);
    Completed().clear();
    uint32_t values[3] = {};
    CCommandQueue running, waiting;
    AddRead(&running, source, &values[0], 1);
    AddRead(&running, source, &values[1], 2, 45);
    running.Submit();
    EXPECT_EQ(1u, RunCommandQueues());
    waiting.SetPriority(10);
    AddRead(&waiting, source, &values[2], 3);
    waiting.Submit();
    while (RunCommandQueues()) {
    }
    EXPECT_EQ((std::vector<std::pair<int, int32_t>>{{1, 0}, {2, 0}, {3, 0}}), Completed());
}

TEST(CommandQueue, ACommandCompletedInItsCallEndingTheQueueGetsNoFollowUp)
{
    SimTree<> t("");
    CKavoSource* source = t.OpenSource();
    ASSERT_NE(nullptr, source);
    const size_t before = TraceCount(t.sim, {"call src1 after"});
    CCommandQueue queue;
    uint32_t value = 0;
    AddRead(&queue, source, &value, 1);
    EXPECT_EQ(0, WaitForCommandQueue(&queue));
    EXPECT_EQ(before, TraceCount(t.sim, {"call src1 after"}));
    // Two commands: the first is followed up, the last ends the queue.
    uint32_t other = 0;
    AddRead(&queue, source, &value, 1);
    AddRead(&queue, source, &other, 2, 45);
    EXPECT_EQ(0, WaitForCommandQueue(&queue));
    EXPECT_EQ(before + 1, TraceCount(t.sim, {"call src1 after"}));
    const int second = TraceIndex(t.sim, {"call src1 get 0x33 6"}, TraceIndex(t.sim, {"call src1 get 0x33 6"}));
    EXPECT_LT(second, TraceIndex(t.sim, {"call src1 after"}));
    EXPECT_LT(TraceIndex(t.sim, {"call src1 after"}), TraceIndex(t.sim, {"call src1 get 0x2d 6"}));
}

TEST(CommandQueue, AStartedCommandIsPolledUntilItCompletes)
{
    SimTree<> t("complete get after 3\n");
    CKavoSource* source = t.OpenSource();
    ASSERT_NE(nullptr, source);
    Completed().clear();
    const size_t polls = TraceCount(t.sim, {"call src1 poll"});
    CCommandQueue queue;
    uint32_t value = 0;
    AddRead(&queue, source, &value, 1);
    EXPECT_EQ(0, WaitForCommandQueue(&queue));
    EXPECT_EQ(polls + 3, TraceCount(t.sim, {"call src1 poll"}));
    EXPECT_EQ(1u, TraceCount(t.sim, {"call src1 after"}));
    EXPECT_EQ((std::vector<std::pair<int, int32_t>>{{1, 0}}), Completed());
    EXPECT_EQ(3u, value);
}

TEST(CommandQueue, WithdrawingCancelsWaitingCommandsAndAbortsTheSentOne)
{
    SimTree<> t("complete get after 3\n");
    CKavoSource* source = t.OpenSource();
    ASSERT_NE(nullptr, source);
    Completed().clear();
    CCommandQueue queue;
    uint32_t values[2] = {};
    AddRead(&queue, source, &values[0], 1);
    AddRead(&queue, source, &values[1], 2, 45);
    queue.Submit();
    EXPECT_EQ(1u, RunCommandQueues());
    queue.Withdraw();
    EXPECT_TRUE(queue.IsIdle());
    // In order: the sent one is aborted (the module ends it at once), the
    // waiting one completes cancelled.
    EXPECT_EQ((std::vector<std::pair<int, int32_t>>{{1, kavosim::kSimAborted}, {2, kKavoCancelled}}), Completed());
    EXPECT_EQ(1u, TraceCount(t.sim, {"call src1 abort"}));
    EXPECT_EQ(0u, TraceCount(t.sim, {"call src1 get 0x2d"}));
}

TEST(CommandQueue, AFailedCommandWithdrawsTheRestOfItsQueue)
{
    SimTree<> t("fail busy source get 0x33 1\n");
    CKavoSource* source = t.OpenSource();
    ASSERT_NE(nullptr, source);
    Completed().clear();
    CCommandQueue queue;
    uint32_t values[3] = {};
    AddRead(&queue, source, &values[0], 1);
    AddRead(&queue, source, &values[1], 2, 45);
    AddRead(&queue, source, &values[2], 3, 45);
    EXPECT_EQ(0, WaitForCommandQueue(&queue));
    EXPECT_EQ((std::vector<std::pair<int, int32_t>>{{2, kKavoCancelled}, {3, kKavoCancelled}, {1, kavosim::kSimBusy}}),
              Completed());
    EXPECT_EQ(0u, TraceCount(t.sim, {"call src1 get 0x2d"}));
}

TEST(CommandQueue, RemovingAnObjectCancelsItsCommandsThatTheModuleWillNeverComplete)
{
    SimTree<> t("items 1\ncomplete default never\n");
    CKavoSource* source = t.OpenSource();
    ASSERT_NE(nullptr, source);
    CKavoBase* item = nullptr;
    ASSERT_EQ(0, source->CreateChild(1, &item));
    Completed().clear();
    CCommandQueue queue;
    uint32_t values[2] = {};
    AddRead(&queue, item, &values[0], 1, kKavoCapDataSize, kKavoGetDefault);
    AddRead(&queue, source, &values[1], 2);
    queue.Submit();
    EXPECT_EQ(1u, RunCommandQueues());
    EXPECT_EQ(0, source->RemoveChild(item));
    EXPECT_TRUE(source->GetChildren().empty());
    EXPECT_TRUE(queue.IsIdle());
    EXPECT_EQ((std::vector<std::pair<int, int32_t>>{{2, kKavoCancelled}, {1, kKavoCancelled}}), Completed());
    const int abort = TraceIndex(t.sim, {"call src1/item1 abort"});
    ASSERT_GE(abort, 0);
    EXPECT_GT(TraceIndex(t.sim, {"call src1/item1 close"}), abort);
}

TEST(CommandQueue, AQueueNotYetSubmittedLosesTheCommandsForARemovedObject)
{
    SimTree<> t("items 1\n");
    CKavoSource* source = t.OpenSource();
    ASSERT_NE(nullptr, source);
    CKavoBase* item = nullptr;
    ASSERT_EQ(0, source->CreateChild(1, &item));
    Completed().clear();
    CCommandQueue mixed, only;
    uint32_t values[3] = {};
    AddRead(&mixed, item, &values[0], 1, kKavoCapDataSize);
    AddRead(&mixed, source, &values[1], 2);
    AddRead(&only, item, &values[2], 3, kKavoCapDataSize);
    EXPECT_EQ(0, source->RemoveChild(item));
    EXPECT_EQ((std::vector<std::pair<int, int32_t>>{{1, kKavoCancelled}, {3, kKavoCancelled}}), Completed());
    EXPECT_TRUE(only.IsIdle());
    EXPECT_EQ(0, WaitForCommandQueue(&only));
    EXPECT_EQ(0, WaitForCommandQueue(&mixed));
    EXPECT_EQ(3u, values[1]);
    EXPECT_EQ(0u, TraceCount(t.sim, {"call src1/item1 get"}));
}

TEST(CommandQueue, AWaiterGivesUpOnAModuleThatStopsAnsweringAfterAMinute)
{
    SimTree<> t("complete default never\n");
    CKavoSource* source = t.OpenSource();
    ASSERT_NE(nullptr, source);
    Completed().clear();
    CCommandQueue queue;
    uint32_t value = 0;
    AddRead(&queue, source, &value, 1, 51, kKavoGetDefault);
    const uint32_t start = t.clock.now;
    EXPECT_EQ(kKavoNoResponse, WaitForCommandQueue(&queue));
    EXPECT_GE(t.clock.now - start, kQueueWaitTimeout);
    EXPECT_LT(t.clock.now - start, kQueueWaitTimeout + 1000);
    EXPECT_TRUE(queue.IsIdle());
    EXPECT_EQ((std::vector<std::pair<int, int32_t>>{{1, kKavoCancelled}}), Completed());
    EXPECT_EQ(1u, TraceCount(t.sim, {"call src1 abort"}));
}

TEST(CommandQueue, CompletionsForQueuesOrCommandsThatAreGoneAreIgnored)
{
    SimTree<> t("complete get after 5\n");
    CKavoSource* source = t.OpenSource();
    ASSERT_NE(nullptr, source);
    Completed().clear();
    uint32_t value = 0;
    uint32_t serial = 0;
    {
        CCommandQueue queue;
        serial = queue.GetSerial();
        AddRead(&queue, source, &value, 1);
        queue.Submit();
        EXPECT_EQ(1u, RunCommandQueues());
        // Destroyed under way: the module's abort completes it, too late.
    }
    EXPECT_EQ((std::vector<std::pair<int, int32_t>>{{1, kKavoCancelled}}), Completed());
    EXPECT_EQ(1u, TraceCount(t.sim, {"callback completion src1 get 0x33 152"}));
    // Stray completions: an unknown serial, and a command the queue never had.
    CCommandQueue queue;
    AddRead(&queue, source, &value, 2);
    queue.Submit();
    EXPECT_EQ(1u, RunCommandQueues());
    CCommandQueueManager::QueueCompletion(source->GetObjectRecord(), kKavoGet, 51, kKavoDataUint, &value,
                                          CCommandQueueManager::SerialReference(serial), 0);
    CCommandQueueManager::QueueCompletion(source->GetObjectRecord(), kKavoGet, 45, kKavoDataUint, &value,
                                          CCommandQueueManager::SerialReference(queue.GetSerial()), 0);
    EXPECT_EQ(1u, Completed().size());
    EXPECT_EQ(0, WaitForCommandQueue(&queue));
    EXPECT_EQ((std::vector<std::pair<int, int32_t>>{{1, kKavoCancelled}, {2, 0}}), Completed());
    // The module's own answer for it, once more: nothing happens.
    CCommandQueueManager::QueueCompletion(source->GetObjectRecord(), kKavoGet, 51, kKavoDataUint, &value,
                                          CCommandQueueManager::SerialReference(queue.GetSerial()), 0);
    EXPECT_EQ(2u, Completed().size());
}

TEST(CommandQueue, AnEmptyQueueOrACaptureWithoutTheCapabilityStaysIdle)
{
    SimTree<> t("");
    CKavoSource* source = t.OpenSource();
    ASSERT_NE(nullptr, source);
    CCommandQueue queue;
    queue.Submit();
    EXPECT_TRUE(queue.IsIdle());
    EXPECT_EQ(0u, CCommandQueueManager::GetInstance().QueueCount());
    EXPECT_EQ(0, WaitForCommandQueue(&queue));
    t.Act("caplist 17");
    ASSERT_FALSE(source->CanCapture());
    EXPECT_EQ(kKavoNotAllowed, source->QueueCapture(&queue));
    EXPECT_EQ(0, WaitForCommandQueue(&queue));
    EXPECT_EQ(0u, TraceCount(t.sim, {"call src1 start"}));
}

TEST(CommandQueue, NoTimerOrPendingRemovalRunsWhileAQueueIsRegistered)
{
    SimTree<> t("items 1\npoll-interval 1000\ncomplete get after 4\n");
    CKavoSource* source = t.OpenSource();
    ASSERT_NE(nullptr, source);
    CKavoBase* item = nullptr;
    ASSERT_EQ(0, source->CreateChild(1, &item));
    item->Enter();
    t.Act("remove 1");
    item->Leave();
    ASSERT_TRUE(IsPendingRemoval(item));
    t.clock.now += 10000;
    const size_t modulePolls = TraceCount(t.sim, {"call module poll"});
    CCommandQueue queue;
    uint32_t value = 0;
    AddRead(&queue, source, &value, 1);
    queue.Submit();
    while (!queue.IsIdle())
        ASSERT_EQ(1u, RunCommandQueues());
    EXPECT_EQ(modulePolls, TraceCount(t.sim, {"call module poll"}));
    EXPECT_EQ(item, SimTree<>::ChildWithId(source, 1));
    // Then the removal, then a timer.
    const size_t polls = TraceCount(t.sim, {" poll 0x0 0 - -> 0"});
    EXPECT_EQ(1u, RunCommandQueues());
    EXPECT_TRUE(source->GetChildren().empty());
    EXPECT_EQ(polls, TraceCount(t.sim, {" poll 0x0 0 - -> 0"}));
    EXPECT_EQ(1u, RunCommandQueues());
    EXPECT_EQ(polls + 1, TraceCount(t.sim, {" poll 0x0 0 - -> 0"}));
}

struct NestedStep {
    CKavoSource* source;
    CKavoBase* item;
    uint32_t value = 0;
    int32_t waited = -1;
    int32_t removed = -1;
    bool itemAliveAfterRemoval = false;
};

int32_t KAVO_CALL WaitInsideCompletion(KavoObjectRecord*, uint32_t, uint32_t, uint32_t, void*, void* reference, int32_t)
{
    auto* nested = static_cast<NestedStep*>(reference);
    CCommandQueue inner;
    AddRead(&inner, nested->source, &nested->value, 7);
    nested->waited = WaitForCommandQueue(&inner);
    nested->removed = nested->source->RemoveChild(nested->item);
    nested->itemAliveAfterRemoval = IsLiveKavoObject(nested->item);
    return 0;
}

TEST(CommandQueue, AStepRunFromInsideACompletionServesOtherQueuesAndDefersRemovals)
{
    SimTree<> t("items 1\n");
    CKavoSource* source = t.OpenSource();
    ASSERT_NE(nullptr, source);
    CKavoBase* item = nullptr;
    ASSERT_EQ(0, source->CreateChild(1, &item));
    Completed().clear();
    NestedStep nested{source, item};
    CCommandQueue outer;
    uint32_t size = 0;
    outer.AddCommand(item, kKavoGet, kKavoCapDataSize, kKavoDataUint, &size, &WaitInsideCompletion, &nested);
    EXPECT_EQ(0, WaitForCommandQueue(&outer));
    EXPECT_EQ(0, nested.waited);
    EXPECT_EQ(3u, nested.value);
    EXPECT_EQ((std::vector<std::pair<int, int32_t>>{{7, 0}}), Completed());
    EXPECT_EQ(0, nested.removed);
    EXPECT_TRUE(nested.itemAliveAfterRemoval);
    EXPECT_EQ(item, SimTree<>::ChildWithId(source, 1));
    t.RunIdle();
    EXPECT_TRUE(source->GetChildren().empty());
}

}  // namespace
