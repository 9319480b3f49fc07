// COrlaCommandQueue: the application's camera command queue. It keeps the
// object, command, parameter and result of the command that failed, so that
// the code waiting for the queue can tell the user what went wrong, and it
// may hand its outcome to an owner (the receiving dialog's received-image
// step) when it is done.
#pragma once

#include <cstdint>

#include "app/camera/queue/command_queue.h"

class COrlaCommandQueue;

// Told when an owned queue has finished, before the queue's own completion.
class IOrlaQueueOwner {
public:
    virtual void OnOwnedQueueDone(COrlaCommandQueue* queue, int32_t error) = 0;

protected:
    ~IOrlaQueueOwner() = default;
};

class COrlaCommandQueue : public CCommandQueue {
public:
    COrlaCommandQueue() : CCommandQueue(0) {}
    ~COrlaCommandQueue() override = default;

    // Clears the failure words, then submits as the base does.
    void Submit() override;
    // A submitted queue that has not started yet stands before every other
    // queue (served later); otherwise the aged priorities decide.
    uint32_t ComparePriority(CCommandQueue* other) override;
    CommandQueueOrderKey GetOrderKey(uint32_t now) const override;
    void OnQueueDone(uint32_t success) override;
    void OnCommandCompleted(CKavoBase* object, uint32_t command, uint32_t param, int32_t result) override;

    bool HasError() const { return m_nError != 0; }
    // The word before the error: the failed command's parameter.
    uint32_t GetResult() const { return m_nParam; }
    int32_t GetError() const { return m_nError; }
    CKavoBase* GetFailedObject() const { return m_pFailedObject; }
    uint32_t GetFailedCommand() const { return m_nCommand; }

    void SetOwner(IOrlaQueueOwner* owner)
    {
        m_pOwner = owner;
        m_bOwned = true;
    }
    bool IsOwned() const { return m_bOwned; }

private:
    // The failed command: its object, command, parameter and result.
    CKavoBase* m_pFailedObject = nullptr;
    uint32_t m_nCommand = 0;
    uint32_t m_nParam = 0;
    int32_t m_nError = 0;
    bool m_bOwned = false;
    IOrlaQueueOwner* m_pOwner = nullptr;
};
