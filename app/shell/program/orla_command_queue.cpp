#include "app/shell/program/orla_command_queue.h"

#include "app/camera/kavo_records.h"

void COrlaCommandQueue::Submit()
{
    m_pFailedObject = nullptr;
    m_nCommand = 0;
    m_nParam = 0;
    m_nError = 0;
    CCommandQueue::Submit();
}

uint32_t COrlaCommandQueue::ComparePriority(CCommandQueue* other)
{
    if (GetState() == kQueueSubmitted)
        return 1;
    return CCommandQueue::ComparePriority(other);
}

CommandQueueOrderKey COrlaCommandQueue::GetOrderKey(uint32_t now) const
{
    // The manager sorts by these keys: rank 0 puts a queue that waits to
    // start before the base queues that wait or run.
    CommandQueueOrderKey key = CCommandQueue::GetOrderKey(now);
    if (GetState() == kQueueSubmitted)
        key.rank = 0;
    return key;
}

void COrlaCommandQueue::OnCommandCompleted(CKavoBase* object, uint32_t command, uint32_t param, int32_t result)
{
    // A failure withdraws the queue, and the commands still waiting then
    // complete cancelled: they must not hide the failure that caused it.
    if (!(result == kKavoCancelled && m_nError != 0)) {
        m_pFailedObject = object;
        m_nCommand = command;
        m_nParam = param;
        m_nError = result;
    }
    CCommandQueue::OnCommandCompleted(object, command, param, result);
}

void COrlaCommandQueue::OnQueueDone(uint32_t success)
{
    if (m_bOwned && m_pOwner)
        m_pOwner->OnOwnedQueueDone(this, GetError());
    CCommandQueue::OnQueueDone(success);
}
