// A camera object tree over the simulated module's core, in the test's own
// time: the queue manager's clock is a counter that sleeping advances.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "fileio/tests/scratch_file.h"

#include "app/camera/queue/queue_manager.h"
#include "app/camera/simulated/sim_module.h"
#include "app/camera/tests/sim_host.h"
#include "app/camera/tree/kavo_base.h"
#include "app/camera/tree/kavo_data.h"
#include "app/camera/tree/kavo_item.h"
#include "app/camera/tree/kavo_module.h"
#include "app/camera/tree/kavo_source.h"

namespace camera_test {

class FakeClock : public ICameraClock {
public:
    uint32_t Now() override { return now; }
    // A waiter's sleep moves time on by a tenth of a second, so that a
    // minute passes in a few hundred steps.
    void Sleep(uint32_t) override { now += 100; }
    uint32_t now = 1000;
};

inline kavosim::CSimModule*& CurrentSim()
{
    static kavosim::CSimModule* sim = nullptr;
    return sim;
}

inline int32_t KAVO_CALL SimEntryPoint(KavoObjectRecord* object, uint32_t command, uint32_t param, uint32_t dataType,
                                       void* data, KavoCompletionProc completion, void* reference)
{
    return CurrentSim()->Call(object, command, param, dataType, data, completion, reference);
}

// The lines of the trace that contain every piece.
inline size_t TraceCount(const kavosim::CSimModule& sim, std::initializer_list<const char*> pieces)
{
    return CountLines(sim.Trace(), pieces);
}

// The index of the first trace line with every piece after `from`; -1 when none.
inline int TraceIndex(const kavosim::CSimModule& sim, std::initializer_list<const char*> pieces, int from = -1)
{
    const auto& lines = sim.Trace();
    for (size_t i = static_cast<size_t>(from + 1); i < lines.size(); ++i) {
        bool all = true;
        for (const char* piece : pieces)
            all = all && lines[i].find(piece) != std::string::npos;
        if (all)
            return static_cast<int>(i);
    }
    return -1;
}

// A module object of class M opened over a fresh simulated module with the
// scenario; the fixture checks at the end that the module saw no protocol
// error and that nothing is left behind in the queue manager.
template <typename M = CKavoModule>
struct SimTree {
    kavosim::CSimModule sim;
    FakeClock clock;
    std::unique_ptr<M> module;

    explicit SimTree(const std::string& scenario, std::unique_ptr<M> made = std::make_unique<M>())
        : module(std::move(made)),
          previousSim(CurrentSim()),
          previousClock(&CCommandQueueManager::GetInstance().Clock())
    {
        CurrentSim() = &sim;
        CCommandQueueManager::GetInstance().SetClock(&clock);
        static int fixtures = 0;
        inbox = fileio_test::ScratchPageFile("camera_tree_inbox" + std::to_string(++fixtures));
        WriteText(inbox, "");
        sim.SetScenarioText("inbox " + inbox + "\n" + scenario);
        openResult = module->OpenWithEntryPoint(&SimEntryPoint);
        EXPECT_TRUE(sim.ScenarioErrors().empty());
    }
    ~SimTree()
    {
        CurrentSim() = &sim;
        CCommandQueueManager::GetInstance().SetClock(&clock);
        module->Close();
        module.reset();
        EXPECT_EQ(0u, TraceCount(sim, {"VIOLATION"})) << Violations();
        EXPECT_EQ(0u, CCommandQueueManager::GetInstance().QueueCount());
        EXPECT_TRUE(KavoPendingRemovals().empty());
        EXPECT_TRUE(CCommandQueueManager::GetInstance().Timers().empty());
        CCommandQueueManager::GetInstance().SetClock(previousClock);
        CurrentSim() = previousSim;
    }
    std::string Violations() const
    {
        std::string text;
        for (const std::string& line : sim.Trace())
            if (line.find("VIOLATION") != std::string::npos)
                text += line + "\n";
        return text;
    }

    // Enumerates the cameras through a queue, as start-up does, and returns
    // the first (null when none answered).
    CKavoSource* OpenSource()
    {
        CCommandQueue queue;
        EXPECT_EQ(0, module->QueueChildEnumeration(&queue));
        EXPECT_EQ(0, WaitForCommandQueue(&queue));
        return FirstChild<CKavoSource>(module.get());
    }
    template <typename T>
    static T* FirstChild(CKavoBase* parent)
    {
        for (const CKavoBasePtrWrapper& holder : parent->GetChildren())
            if (auto* child = dynamic_cast<T*>(holder.Get()))
                return child;
        return nullptr;
    }
    static CKavoBase* ChildWithId(CKavoBase* parent, uint32_t id)
    {
        for (const CKavoBasePtrWrapper& holder : parent->GetChildren())
            if (holder.Get()->GetId() == id)
                return holder.Get();
        return nullptr;
    }
    // Runs idle steps until there is nothing left to do (at most `limit`).
    int RunIdle(int limit = 1000)
    {
        int steps = 0;
        while (steps < limit && CCommandQueueManager::GetInstance().HasWork() && RunCommandQueues())
            ++steps;
        return steps;
    }

    // Hands the camera an action and polls the module, which carries it out
    // inside that call.
    void Act(const std::string& line)
    {
        WriteText(inbox, line + "\n");
        module->CallModule(module.get(), kKavoPoll, 0, kKavoDataNone, nullptr, nullptr, nullptr);
    }

    int32_t openResult = 0;
    std::string inbox;
    kavosim::CSimModule* previousSim;
    ICameraClock* previousClock;
};

}  // namespace camera_test
