#include "app/camera/queue/command_queue.h"

#include <algorithm>

#include "app/camera/queue/queue_manager.h"
#include "app/camera/tree/kavo_base.h"

namespace {

uint32_t gQueueSerials = 0;

}  // namespace

CCommandQueue::CCommandQueue(uint32_t ownerId) : ownerId_(ownerId), serial_(++gQueueSerials)
{
    CCommandQueueManager::AllQueues().push_back(this);
}

CCommandQueue::~CCommandQueue()
{
    // Nothing may find the queue any more; what the module still owes it is
    // then ignored.
    CCommandQueueManager::GetInstance().Forget(this);
    auto& all = CCommandQueueManager::AllQueues();
    all.erase(std::remove(all.begin(), all.end(), this), all.end());
    if (count_ == 0)
        return;
    for (const CommandQueueRecord& record : records_)
        if (record.state == kRecordSent && record.target)
            record.target->CallModule(record.target, kKavoAbort, 0, kKavoDataNone, nullptr, nullptr, nullptr);
    // Each caller's own procedure still sees its command end, cancelled.
    for (size_t i = 0; i < records_.size(); ++i) {
        CommandQueueRecord record = records_[i];
        if (record.state != kRecordWaiting && record.state != kRecordSent)
            continue;
        records_[i].state = kRecordCompleted;
        if (record.completion)
            record.completion(record.target ? record.target->GetObjectRecord() : nullptr, record.command, record.param,
                              record.dataType, record.data, record.reference, kKavoCancelled);
    }
}

uint32_t CCommandQueue::AddCommand(CKavoBase* target, uint32_t command, uint32_t param, uint32_t dataType, void* data,
                                   KavoCompletionProc completion, void* reference)
{
    records_.push_back({target, command, param, dataType, data, kRecordWaiting, completion, reference});
    // A command added to a queue under way (the children an enumeration
    // opens) joins it; only an idle queue becomes filled.
    if (state_ == kQueueIdle || state_ == kQueueFilled)
        state_ = kQueueFilled;
    return ++count_;
}

void CCommandQueue::Submit()
{
    // A queue without commands stays idle: nothing would ever finish it.
    if (state_ == kQueueIdle || state_ == kQueueSubmitted || state_ == kQueueRunning)
        return;
    CCommandQueueManager& manager = CCommandQueueManager::GetInstance();
    tick_ = manager.Clock().Now();
    withdrawing_ = false;
    manager.Add(this);
    state_ = kQueueSubmitted;
}

void CCommandQueue::Withdraw()
{
    if (state_ == kQueueSubmitted || state_ == kQueueRunning)
        CCommandQueueManager::GetInstance().Withdraw(this);
}

uint32_t CCommandQueue::RaisePriority()
{
    if (priority_ < 10)
        ++priority_;
    return priority_;
}

uint32_t CCommandQueue::LowerPriority()
{
    if (priority_ > 0)
        --priority_;
    return priority_;
}

CCommandQueue& CCommandQueue::operator=(const CCommandQueue& other)
{
    if (this != &other) {
        serial_ = other.serial_;
        mixedTargets_ = other.mixedTargets_;
        priority_ = other.priority_;
        state_ = other.state_;
        count_ = other.count_;
        tick_ = other.tick_;
        lastTarget_ = other.lastTarget_;
        records_ = other.records_;
    }
    return *this;
}

uint32_t CCommandQueue::EffectivePriority(uint32_t now) const
{
    const uint32_t p = priority_;
    return p + ((now - tick_) / 1000u) * p / 10u;
}

CommandQueueOrderKey CCommandQueue::GetOrderKey(uint32_t now) const
{
    const uint32_t rank = state_ == kQueueRunning ? 2 : state_ == kQueueSubmitted ? 1 : 0;
    return {rank, EffectivePriority(now)};
}

uint32_t CCommandQueue::ComparePriority(CCommandQueue* other)
{
    const uint32_t now = CCommandQueueManager::GetInstance().StepTick();
    const CommandQueueOrderKey mine = GetOrderKey(now);
    const CommandQueueOrderKey theirs = other->GetOrderKey(now);
    if (mine.rank != theirs.rank)
        return mine.rank < theirs.rank;
    return mine.effectivePriority < theirs.effectivePriority;
}

void CCommandQueue::Finish()
{
    state_ = kQueueIdle;
    CCommandQueueManager::GetInstance().Remove(this);
}

void CCommandQueue::OnQueueDone(uint32_t)
{
    records_.clear();
    count_ = 0;
    if (ownerId_ != 0)
        delete this;
}

void CCommandQueue::OnCommandCompleted(CKavoBase*, uint32_t, uint32_t, int32_t result)
{
    if (result != kKavoCancelled)
        Withdraw();
}

void CCommandQueue::OnCommandSucceeded(CKavoBase*, uint32_t, uint32_t, int32_t) {}

void CCommandQueue::OnBeforeSend(CKavoBase*, uint32_t, uint32_t, uint32_t, void*) {}
