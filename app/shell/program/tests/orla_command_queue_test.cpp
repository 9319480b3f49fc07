// The application's command queue over the simulated module: the failure it
// keeps for the waiting code, its owner, and its place among other queues.
#include <gtest/gtest.h>

#include <vector>

#include "app/camera/tests/tree_fixture.h"
#include "app/shell/program/orla_command_queue.h"

namespace {

using camera_test::SimTree;

std::vector<int>& Served()
{
    static std::vector<int> served;
    return served;
}

int32_t KAVO_CALL NoteServed(KavoObjectRecord*, uint32_t, uint32_t, uint32_t, void*, void* reference, int32_t)
{
    Served().push_back(static_cast<int>(reinterpret_cast<intptr_t>(reference)));
    return 0;
}

void AddRead(CCommandQueue* queue, CKavoBase* target, uint32_t* value, uint32_t cap, int tag = 0)
{
    queue->AddCommand(target, kKavoGet, cap, kKavoDataUint, value, &NoteServed,
                      reinterpret_cast<void*>(static_cast<intptr_t>(tag)));
}

struct Owner : IOrlaQueueOwner {
    void OnOwnedQueueDone(COrlaCommandQueue* queue, int32_t error) override
    {
        calls.push_back({queue, error, queue->GetCount()});
    }
    struct Call {
        COrlaCommandQueue* queue;
        int32_t error;
        uint32_t outstanding;
    };
    std::vector<Call> calls;
};

TEST(OrlaCommandQueue, KeepsTheFailureThatWithdrewItNotTheCancellationsThatFollowed)
{
    SimTree<> t("fail card source get 0x33 1\n");
    CKavoSource* source = t.OpenSource();
    ASSERT_NE(nullptr, source);
    COrlaCommandQueue queue;
    uint32_t values[3] = {};
    AddRead(&queue, source, &values[0], 0x33);
    AddRead(&queue, source, &values[1], 0x2d);
    AddRead(&queue, source, &values[2], 0x2d);
    EXPECT_EQ(0, WaitForCommandQueue(&queue));
    EXPECT_TRUE(queue.HasError());
    EXPECT_EQ(kavosim::kSimCardError, queue.GetError());
    EXPECT_EQ(0x33u, queue.GetResult());
    EXPECT_EQ(static_cast<uint32_t>(kKavoGet), queue.GetFailedCommand());
    EXPECT_EQ(source, queue.GetFailedObject());

    // Submitted again, the queue starts without the old failure; the module
    // now answers.
    AddRead(&queue, source, &values[0], 0x33);
    EXPECT_EQ(0, WaitForCommandQueue(&queue));
    EXPECT_FALSE(queue.HasError());
    EXPECT_EQ(0, queue.GetError());
    EXPECT_EQ(nullptr, queue.GetFailedObject());
}

TEST(OrlaCommandQueue, AWithdrawnQueueReportsItsCancellation)
{
    SimTree<> t("complete get after 3\n");
    CKavoSource* source = t.OpenSource();
    ASSERT_NE(nullptr, source);
    COrlaCommandQueue queue;
    uint32_t values[2] = {};
    AddRead(&queue, source, &values[0], 0x33);
    AddRead(&queue, source, &values[1], 0x2d);
    queue.Submit();
    EXPECT_EQ(1u, RunCommandQueues());
    queue.Withdraw();
    EXPECT_TRUE(queue.IsIdle());
    EXPECT_TRUE(queue.HasError());
    // The sent command was aborted by the module: that is what ended the queue.
    EXPECT_EQ(kavosim::kSimAborted, queue.GetError());
}

TEST(OrlaCommandQueue, AnOwnedQueueTellsItsOwnerWhenDoneAndAnUnownedOneDoesNot)
{
    SimTree<> t("fail battery source get 0x2d 1\n");
    CKavoSource* source = t.OpenSource();
    ASSERT_NE(nullptr, source);
    Owner owner;
    uint32_t value = 0;
    {
        COrlaCommandQueue queue;
        EXPECT_FALSE(queue.IsOwned());
        AddRead(&queue, source, &value, 0x33);
        EXPECT_EQ(0, WaitForCommandQueue(&queue));
    }
    EXPECT_TRUE(owner.calls.empty());

    struct Case {
        uint32_t cap;
        int32_t error;
    } cases[] = {{0x33, 0}, {0x2d, kavosim::kSimBattery}};
    for (const Case& c : cases) {
        owner.calls.clear();
        COrlaCommandQueue queue;
        queue.SetOwner(&owner);
        EXPECT_TRUE(queue.IsOwned());
        AddRead(&queue, source, &value, c.cap);
        EXPECT_EQ(0, WaitForCommandQueue(&queue));
        ASSERT_EQ(1u, owner.calls.size()) << c.cap;
        EXPECT_EQ(&queue, owner.calls[0].queue);
        EXPECT_EQ(c.error, owner.calls[0].error);
        EXPECT_EQ(0u, owner.calls[0].outstanding);
        EXPECT_TRUE(queue.IsIdle());
    }
}

TEST(OrlaCommandQueue, WaitsBehindOtherQueuesUntilItHasStarted)
{
    SimTree<> t("");
    CKavoSource* source = t.OpenSource();
    ASSERT_NE(nullptr, source);
    uint32_t values[5] = {};

    // Submitted and not started, it stands before every other queue whatever
    // its priority: the base queue of priority 1 goes first.
    Served().clear();
    COrlaCommandQueue urgent;
    CCommandQueue plain;
    urgent.SetPriority(10);
    plain.SetPriority(1);
    AddRead(&urgent, source, &values[0], 0x33, 1);
    AddRead(&plain, source, &values[1], 0x33, 2);
    urgent.Submit();
    plain.Submit();
    EXPECT_EQ(1u, urgent.ComparePriority(&plain));
    while (RunCommandQueues()) {
    }
    EXPECT_EQ((std::vector<int>{2, 1}), Served());

    // Once under way it keeps the camera until its last command is done.
    Served().clear();
    COrlaCommandQueue running;
    CCommandQueue waiting;
    AddRead(&running, source, &values[2], 0x33, 1);
    AddRead(&running, source, &values[3], 0x2d, 2);
    running.Submit();
    EXPECT_EQ(1u, RunCommandQueues());
    waiting.SetPriority(10);
    AddRead(&waiting, source, &values[4], 0x33, 3);
    waiting.Submit();
    EXPECT_EQ(0u, running.ComparePriority(&waiting));
    while (RunCommandQueues()) {
    }
    EXPECT_EQ((std::vector<int>{1, 2, 3}), Served());
}

}  // namespace
