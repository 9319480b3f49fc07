#include "app/camera/queue/queue_manager.h"

#include <algorithm>

#include "app/camera/tree/kavo_base.h"

namespace {

// The record names the object, or one below it, or opens it.
bool RecordConcerns(const CommandQueueRecord& record, CKavoBase* object)
{
    if (record.dataType == kKavoDataObject && record.data == object->GetObjectRecord())
        return true;
    for (CKavoBase* at = record.target; at; at = at->GetParent())
        if (at == object)
            return true;
    return false;
}

bool IsUnfinished(const CommandQueueRecord& record)
{
    return record.state == kRecordWaiting || record.state == kRecordSent;
}

}  // namespace

CCommandQueueManager& CCommandQueueManager::GetInstance()
{
    static CCommandQueueManager instance;
    return instance;
}

CCommandQueueManager::~CCommandQueueManager() = default;

std::vector<CCommandQueue*>& CCommandQueueManager::AllQueues()
{
    static std::vector<CCommandQueue*> queues;
    return queues;
}

void CCommandQueueManager::Add(CCommandQueue* queue)
{
    if (queue->state_ != kQueueFilled)
        return;
    queue->registration_ = ++registrations_;
    queues_.push_back(CCommandQueuePtrWrapper(queue));
}

void CCommandQueueManager::Remove(CCommandQueue* queue)
{
    const uint32_t serial = queue->serial_;
    queues_.erase(std::remove_if(queues_.begin(), queues_.end(),
                                 [serial](const CCommandQueuePtrWrapper& h) { return h.Get()->serial_ == serial; }),
                  queues_.end());
}

void CCommandQueueManager::Forget(CCommandQueue* queue)
{
    queues_.erase(std::remove_if(queues_.begin(), queues_.end(),
                                 [queue](const CCommandQueuePtrWrapper& h) { return h.Get() == queue; }),
                  queues_.end());
}

CCommandQueue* CCommandQueueManager::FindQueue(uint32_t serial) const
{
    for (const CCommandQueuePtrWrapper& holder : queues_)
        if (holder.Get()->serial_ == serial)
            return holder.Get();
    return nullptr;
}

// ---- Completion -------------------------------------------------------------------

int32_t KAVO_CALL CCommandQueueManager::QueueCompletion(KavoObjectRecord* object, uint32_t command, uint32_t param,
                                                        uint32_t dataType, void* data, void* reference, int32_t result)
{
    CCommandQueueManager& manager = GetInstance();
    CCommandQueue* queue = manager.FindQueue(static_cast<uint32_t>(reinterpret_cast<uintptr_t>(reference)));
    if (!queue)
        return 0;
    for (size_t i = 0; i < queue->records_.size(); ++i) {
        const CommandQueueRecord& record = queue->records_[i];
        // The target of a finished command may be gone: never touched.
        if (!IsUnfinished(record))
            continue;
        const KavoObjectRecord* targetRecord = record.target ? record.target->GetObjectRecord() : nullptr;
        if (targetRecord == object && record.command == command && record.param == param &&
            record.dataType == dataType && record.data == data) {
            manager.CompleteRecord(queue, i, result);
            return 0;
        }
    }
    // A second completion of the same command, or one never sent: ignored.
    return 0;
}

void CCommandQueueManager::CompleteRecord(CCommandQueue* queue, size_t index, int32_t result)
{
    const uint32_t serial = queue->serial_;
    const CommandQueueRecord record = queue->records_[index];
    queue->records_[index].state = kRecordCompleting;
    if (result != kKavoOk)
        queue->OnCommandCompleted(record.target, record.command, record.param, result);
    else
        queue->OnCommandSucceeded(record.target, record.command, record.param, kKavoOk);
    --queue->count_;
    queue->records_[index].state = kRecordCompleted;
    NoteProgress();
    if (record.completion)
        record.completion(record.target ? record.target->GetObjectRecord() : nullptr, record.command, record.param,
                          record.dataType, record.data, record.reference, result);
    // The caller's procedure may have ended the queue already.
    if (FindQueue(serial) != queue || queue->count_ != 0)
        return;
    queue->withdrawing_ = false;
    queue->Finish();
    queue->OnQueueDone(result == kKavoOk);
}

void CCommandQueueManager::CompleteSentLocally(CCommandQueue* queue, CKavoBase* object)
{
    const uint32_t serial = queue->serial_;
    for (size_t i = 0; FindQueue(serial) == queue && i < queue->records_.size(); ++i) {
        const CommandQueueRecord& record = queue->records_[i];
        if (record.state == kRecordSent && (!object || RecordConcerns(record, object)))
            CompleteRecord(queue, i, kKavoCancelled);
    }
}

// ---- Withdrawal ---------------------------------------------------------------------

void CCommandQueueManager::Withdraw(CCommandQueue* queue)
{
    // An abort that fails in its call withdraws again; once is enough.
    if (queue->withdrawing_)
        return;
    const uint32_t serial = queue->serial_;
    queue->withdrawing_ = true;
    for (size_t i = 0; FindQueue(serial) == queue && i < queue->records_.size(); ++i) {
        const CommandQueueRecord record = queue->records_[i];
        if (record.state == kRecordWaiting)
            CompleteRecord(queue, i, kKavoCancelled);
        else if (record.state == kRecordSent && record.target)
            record.target->CallModule(record.target, kKavoAbort, 0, kKavoDataNone, nullptr, nullptr, nullptr);
    }
    if (FindQueue(serial) == queue)
        queue->withdrawing_ = false;
}

void CCommandQueueManager::DropObject(CKavoBase* object)
{
    std::vector<uint32_t> serials;
    for (const CCommandQueuePtrWrapper& holder : queues_)
        for (const CommandQueueRecord& record : holder.Get()->records_)
            if (IsUnfinished(record) && RecordConcerns(record, object)) {
                serials.push_back(holder.Get()->serial_);
                break;
            }
    for (uint32_t serial : serials) {
        if (CCommandQueue* queue = FindQueue(serial))
            queue->Withdraw();
        // The object is about to close: what it still owes will never come.
        if (CCommandQueue* queue = FindQueue(serial))
            CompleteSentLocally(queue, object);
    }
    // A queue filled but not submitted must not send to the object later.
    const std::vector<CCommandQueue*> all = AllQueues();
    for (CCommandQueue* queue : all)
        if (std::find(AllQueues().begin(), AllQueues().end(), queue) != AllQueues().end() &&
            queue->state_ == kQueueFilled)
            CancelUnsubmitted(queue, object);
}

void CCommandQueueManager::CancelUnsubmitted(CCommandQueue* queue, CKavoBase* object)
{
    for (size_t i = 0; i < queue->records_.size(); ++i) {
        const CommandQueueRecord record = queue->records_[i];
        if (record.state != kRecordWaiting || !RecordConcerns(record, object))
            continue;
        queue->records_[i].state = kRecordCompleted;
        --queue->count_;
        if (record.completion)
            record.completion(record.target ? record.target->GetObjectRecord() : nullptr, record.command, record.param,
                              record.dataType, record.data, record.reference, kKavoCancelled);
        // The caller's procedure may have destroyed or refilled the queue.
        if (std::find(AllQueues().begin(), AllQueues().end(), queue) == AllQueues().end() ||
            queue->state_ != kQueueFilled)
            return;
    }
    if (queue->count_ == 0) {
        queue->records_.clear();
        queue->state_ = kQueueIdle;
    }
}

// ---- The step -----------------------------------------------------------------------

uint32_t CCommandQueueManager::RunStep()
{
    if (!queues_.empty()) {
        stepTick_ = clock_->Now();
        const uint32_t now = stepTick_;
        // A strict order: running before waiting, then the aged priority,
        // then the order of registration; the last is served.
        std::stable_sort(queues_.begin(), queues_.end(),
                         [now](const CCommandQueuePtrWrapper& a, const CCommandQueuePtrWrapper& b) {
                             const CommandQueueOrderKey ka = a.Get()->GetOrderKey(now);
                             const CommandQueueOrderKey kb = b.Get()->GetOrderKey(now);
                             if (ka.rank != kb.rank)
                                 return ka.rank < kb.rank;
                             if (ka.effectivePriority != kb.effectivePriority)
                                 return ka.effectivePriority < kb.effectivePriority;
                             return a.Get()->registration_ < b.Get()->registration_;
                         });
        // The last queue with a command not yet completed is served; one
        // whose last command is completing (a step run from inside its
        // completion) has nothing to send.
        CCommandQueue* queue = nullptr;
        size_t index = 0;
        for (size_t q = queues_.size(); q-- > 0 && !queue;)
            for (size_t i = 0; i < queues_[q].Get()->records_.size(); ++i)
                if (IsUnfinished(queues_[q].Get()->records_[i])) {
                    queue = queues_[q].Get();
                    index = i;
                    break;
                }
        if (!queue)
            return 0;
        const uint32_t serial = queue->serial_;
        const CommandQueueRecord record = queue->records_[index];
        CKavoBase* target = record.target;
        if (record.state == kRecordSent) {
            // The first unfinished command is under way: poll it.
            target->CallModule(target, kKavoPoll, 0, kKavoDataNone, nullptr, nullptr, nullptr);
            return 1;
        }
        queue->records_[index].state = kRecordSent;
        queue->OnBeforeSend(target, record.command, record.param, record.dataType, record.data);
        queue->state_ = kQueueRunning;
        queue->tick_ = clock_->Now();
        queue->lastTarget_ = target;
        NoteProgress();
        target->CallModule(target, record.command, record.param, record.dataType, record.data, &QueueCompletion,
                           SerialReference(serial));
        CCommandQueue* after = FindQueue(serial);
        if (after && std::any_of(after->records_.begin(), after->records_.end(),
                                 [&record](const CommandQueueRecord& r) { return r.IsSameCommand(record); }))
            target->CallModule(target, kKavoAfterQueued, 0, kKavoDataNone, nullptr, nullptr, nullptr);
        return 1;
    }
    // Nothing can be removed while a module call is under way (a step run
    // from inside a completion).
    if (KavoModuleCallDepth() == 0) {
        const std::vector<CKavoBasePtrWrapper> pending = KavoPendingRemovals();
        for (const CKavoBasePtrWrapper& holder : pending)
            if (IsPendingRemoval(holder.Get()) && holder.Get()->ProcessPendingRemoval())
                return 1;
    }
    if (!timers_.empty()) {
        const uint32_t now = clock_->Now();
        timerTick_ = now;
        std::stable_sort(timers_.begin(), timers_.end(), [now](const CommandQueueTimer& a, const CommandQueueTimer& b) {
            return static_cast<int32_t>(now - a.start - a.interval) < static_cast<int32_t>(now - b.start - b.interval);
        });
        CommandQueueTimer& last = timers_.back();
        if (static_cast<int32_t>(now - last.start - last.interval) >= 0) {
            last.start = clock_->Now();
            CKavoBase* object = last.object;
            object->CallModule(object, kKavoPoll, 0, kKavoDataNone, nullptr, nullptr, nullptr);
            return 1;
        }
    }
    return 0;
}

uint32_t CCommandQueueManager::HasWork()
{
    for (const CCommandQueuePtrWrapper& holder : queues_)
        if (holder.Get()->state_ == kQueueSubmitted || holder.Get()->state_ == kQueueRunning)
            return 1;
    if (!KavoPendingRemovals().empty())
        return 1;
    const uint32_t now = clock_->Now();
    for (const CommandQueueTimer& timer : timers_)
        if (static_cast<int32_t>(now - timer.start - timer.interval) >= 0)
            return 1;
    return 0;
}

// ---- Timers and waiting -----------------------------------------------------------

void AddCommandTimer(CKavoBase* object, uint32_t interval)
{
    CCommandQueueManager& manager = CCommandQueueManager::GetInstance();
    manager.Timers().push_back({object, interval, manager.Clock().Now()});
}

void RemoveCommandTimer(CKavoBase* object)
{
    auto& timers = CCommandQueueManager::GetInstance().Timers();
    auto it =
        std::find_if(timers.begin(), timers.end(), [object](const CommandQueueTimer& t) { return t.object == object; });
    if (it != timers.end())
        timers.erase(it);
}

void ExpireCommandTimer(CKavoBase* object)
{
    CCommandQueueManager& manager = CCommandQueueManager::GetInstance();
    auto& timers = manager.Timers();
    auto it =
        std::find_if(timers.begin(), timers.end(), [object](const CommandQueueTimer& t) { return t.object == object; });
    if (it != timers.end())
        it->start = manager.Clock().Now() - it->interval - 1;
}

uint32_t RunCommandQueues()
{
    return CCommandQueueManager::GetInstance().RunStep();
}

int32_t WaitForCommandQueue(CCommandQueue* queue)
{
    CCommandQueueManager& manager = CCommandQueueManager::GetInstance();
    ICameraClock& clock = manager.Clock();
    queue->Submit();
    uint32_t progress = manager.Progress();
    uint32_t since = clock.Now();
    while (!queue->IsIdle()) {
        RunCommandQueues();
        if (queue->IsIdle())
            break;
        clock.Sleep(1);
        if (manager.Progress() != progress) {
            progress = manager.Progress();
            since = clock.Now();
        } else if (clock.Now() - since >= kQueueWaitTimeout) {
            const uint32_t serial = queue->GetSerial();
            queue->Withdraw();
            if (manager.FindQueue(serial) == queue)
                manager.CompleteSentLocally(queue, nullptr);
            return kKavoNoResponse;
        }
    }
    return kKavoOk;
}
