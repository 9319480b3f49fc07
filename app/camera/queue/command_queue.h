// A command queue: the module calls of one task (open a child, enumerate
// children, take a picture, transfer an image), sent one a step by the queue
// manager from the application's idle pass.
#pragma once

#include <cstdint>
#include <vector>

#include "app/camera/kavo_records.h"

class CKavoBase;

enum CommandRecordState : uint32_t {
    kRecordWaiting = 0,
    kRecordSent = 1,
    kRecordCompleting = 2,
    kRecordCompleted = 3,
};

enum CommandQueueState : uint32_t {
    kQueueIdle = 0,
    kQueueFilled = 1,
    kQueueSubmitted = 2,
    kQueueRunning = 3,
};

// The arguments of one CallModule call plus its state.
struct CommandQueueRecord {
    CKavoBase* target;
    uint32_t command;
    uint32_t param;
    uint32_t dataType;
    void* data;
    uint32_t state;
    KavoCompletionProc completion;
    void* reference;

    bool IsSameCommand(const CommandQueueRecord& other) const
    {
        return target == other.target && command == other.command && param == other.param &&
               dataType == other.dataType && data == other.data;
    }
};

// How the manager orders queues: ascending, the last one is served.
struct CommandQueueOrderKey {
    uint32_t rank;  // 0 neither submitted nor running, 1 submitted, 2 running
    uint32_t effectivePriority;
};

class CCommandQueue {
public:
    // ownerId non-zero: the queue is on the heap and destroys itself when done.
    explicit CCommandQueue(uint32_t ownerId = 0);
    CCommandQueue(const CCommandQueue&) = delete;
    virtual ~CCommandQueue();

    virtual uint32_t HasMixedTargets() const { return mixedTargets_; }
    // The new count of commands not yet completed.
    virtual uint32_t AddCommand(CKavoBase* target, uint32_t command, uint32_t param, uint32_t dataType, void* data,
                                KavoCompletionProc completion = nullptr, void* reference = nullptr);
    virtual void Submit();
    virtual void Withdraw();
    virtual uint32_t GetState() const { return state_; }
    virtual uint32_t IsIdle() const { return state_ == kQueueIdle; }
    virtual void SetPriority(uint32_t priority) { priority_ = priority; }
    virtual uint32_t GetPriority() const { return priority_; }
    virtual uint32_t RaisePriority();
    virtual uint32_t LowerPriority();
    // Copies everything but the owner id, the records included.
    CCommandQueue& operator=(const CCommandQueue& other);
    // True when this queue is ordered before the other (and so served later),
    // at the tick the current step took.
    virtual uint32_t ComparePriority(CCommandQueue* other);
    virtual uint32_t IsSameQueue(const CCommandQueue* other) const { return other && other->serial_ == serial_; }
    virtual void Finish();
    virtual void OnQueueDone(uint32_t success);
    virtual void OnCommandCompleted(CKavoBase* object, uint32_t command, uint32_t param, int32_t result);
    virtual void OnCommandSucceeded(CKavoBase* object, uint32_t command, uint32_t param, int32_t result);
    virtual void OnBeforeSend(CKavoBase* target, uint32_t command, uint32_t param, uint32_t dataType, void* data);

    // p + ((now - tick) / 1000) x p / 10, unsigned 32-bit: a waiting queue
    // gains a tenth of its priority each second; priority 0 never ages.
    uint32_t EffectivePriority(uint32_t now) const;
    virtual CommandQueueOrderKey GetOrderKey(uint32_t now) const;
    uint32_t GetSerial() const { return serial_; }
    uint32_t GetCount() const { return count_; }
    const std::vector<CommandQueueRecord>& GetRecords() const { return records_; }

private:
    friend class CCommandQueueManager;

    uint32_t ownerId_;
    uint32_t serial_;
    uint32_t mixedTargets_ = 1;
    uint32_t priority_ = 5;
    uint32_t state_ = kQueueIdle;
    uint32_t count_ = 0;
    uint32_t tick_ = 0;
    CKavoBase* lastTarget_ = nullptr;
    std::vector<CommandQueueRecord> records_;
    // Beyond the state: the order of registration, and a withdrawal under way
    // (an abort that completes in its call must not start another).
    uint32_t registration_ = 0;
    bool withdrawing_ = false;
};

// 8 bytes in the shipped build; destroying a holder leaves the queue alone.
class CCommandQueuePtrWrapper {
public:
    explicit CCommandQueuePtrWrapper(CCommandQueue* queue = nullptr) : queue_(queue) {}
    virtual ~CCommandQueuePtrWrapper() = default;
    CCommandQueue* Get() const { return queue_; }

private:
    CCommandQueue* queue_;
};
