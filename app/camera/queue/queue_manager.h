// The one command queue manager of the process: registered queues, the poll
// timers of polled objects, and the step that the idle pass runs.
#pragma once

#include <cstdint>
#include <vector>

#include "app/camera/queue/camera_clock.h"
#include "app/camera/queue/command_queue.h"

class CKavoBase;

// A waiter saw no progress for this long and gave up (the program's code; the
// camera error message of any other code is shown for it).
constexpr int32_t kKavoNoResponse = -241;
constexpr uint32_t kQueueWaitTimeout = 60000;

struct CommandQueueTimer {
    CKavoBase* object;
    uint32_t interval;  // milliseconds
    uint32_t start;     // tick
};

class CCommandQueueManager {
public:
    static CCommandQueueManager& GetInstance();
    virtual ~CCommandQueueManager();

    // Registers the queue when it holds commands (state filled).
    virtual void Add(CCommandQueue* queue);
    // Unregisters every holder of a queue with the same serial.
    virtual void Remove(CCommandQueue* queue);
    // Unregisters the holders of this very queue (one being destroyed).
    void Forget(CCommandQueue* queue);
    // Withdraws each queue with an unfinished command for the object or one
    // below it, once; its sent commands for those objects then complete with
    // -123 here, after the abort, since the objects are about to close.
    virtual void DropObject(CKavoBase* object);
    // Waiting commands complete with -123 at once; sent ones get command 11.
    virtual void Withdraw(CCommandQueue* queue);
    // One step: sends or polls one command, or removes one object waiting
    // for removal, or polls the most overdue polled object. 1 when it did.
    virtual uint32_t RunStep();
    virtual uint32_t HasWork();

    // The registered queue with the serial, or null.
    CCommandQueue* FindQueue(uint32_t serial) const;
    size_t QueueCount() const { return queues_.size(); }
    // The tick taken at the start of the current step.
    uint32_t StepTick() const { return stepTick_; }

    // Null restores the system's clock.
    void SetClock(ICameraClock* clock) { clock_ = clock ? clock : &SystemCameraClock(); }
    ICameraClock& Clock() { return *clock_; }

    // Counts sends, completions and the module's progress and data, so that
    // a waiter can tell a slow camera from one that has stopped answering.
    void NoteProgress() { ++progress_; }
    uint32_t Progress() const { return progress_; }

    std::vector<CommandQueueTimer>& Timers() { return timers_; }

    // The completion procedure given with every command a step sends; its
    // reference is the queue's serial, looked up here. Completions for queues
    // or commands that are gone are ignored.
    static int32_t KAVO_CALL QueueCompletion(KavoObjectRecord* object, uint32_t command, uint32_t param,
                                             uint32_t dataType, void* data, void* reference, int32_t result);
    static void* SerialReference(uint32_t serial) { return reinterpret_cast<void*>(static_cast<uintptr_t>(serial)); }

    // Completes the queue's record with the result, as the module would.
    void CompleteRecord(CCommandQueue* queue, size_t index, int32_t result);
    // Every command of the queue still sent to one of the objects completes
    // with -123 (all of them with a null object).
    void CompleteSentLocally(CCommandQueue* queue, CKavoBase* object);

    // Every queue of the process, submitted or not.
    static std::vector<CCommandQueue*>& AllQueues();

private:
    CCommandQueueManager() = default;
    // A filled queue not yet submitted loses the commands for the object.
    void CancelUnsubmitted(CCommandQueue* queue, CKavoBase* object);

    std::vector<CCommandQueuePtrWrapper> queues_;
    std::vector<CommandQueueTimer> timers_;
    uint32_t stepTick_ = 0;
    uint32_t timerTick_ = 0;
    uint32_t registrations_ = 0;
    uint32_t progress_ = 0;
    ICameraClock* clock_ = &SystemCameraClock();
};

void AddCommandTimer(CKavoBase* object, uint32_t interval);
void RemoveCommandTimer(CKavoBase* object);
void ExpireCommandTimer(CKavoBase* object);
uint32_t RunCommandQueues();

// Submits the caller's queue (owner id 0) and runs steps with a 1-millisecond
// sleep until it is idle: 0, or kKavoNoResponse when nothing moved for a
// minute (the queue is then withdrawn and its sent commands complete with
// -123). The queue's own results are the caller's to check.
int32_t WaitForCommandQueue(CCommandQueue* queue);
