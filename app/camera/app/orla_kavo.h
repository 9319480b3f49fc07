// The application's camera objects: they make the application's classes as
// children, pass the tree's notifications to their listeners, and answer
// the module's user requests.
#pragma once

#include "app/camera/app/kavo_user.h"
#include "app/camera/tree/kavo_item.h"
#include "app/camera/tree/kavo_module.h"
#include "app/camera/tree/kavo_source.h"

class COrlaKavoModule : public CKavoModule, public IKavoListenerChain {
public:
    // prompt: the box that asks the user (null: requests are answered as
    // with no-prompt set).
    explicit COrlaKavoModule(IKavoPrompt* prompt = nullptr) : prompt_(prompt) {}

    CKavoBase* CreateChildObject(uint32_t id) override;
    uint32_t OnUserRequest(KavoUserRequest* request) override;
    void OnProgress(uint32_t command, uint32_t param, uint32_t done, uint32_t total) override;
    void OnChildAdded(CKavoBase* child) override;
    void OnCapabilityChanged(uint32_t cap, uint32_t kind) override;

    IQzKavoUser* GetNextListener(IQzKavoUser* previous) override;
    IQzKavoUser* GetOwnListener() const override { return listener_; }
    virtual void SetListener(IQzKavoUser* listener) { listener_ = listener; }
    virtual void SetNoPrompt(uint32_t noPrompt) { noPrompt_ = noPrompt; }
    // Sets module capability 0x8101 to 1 or 0: 1 on success, else 0.
    virtual uint32_t EnableCap8101(uint32_t on);

private:
    IQzKavoUser* listener_ = nullptr;
    uint32_t noPrompt_ = 0;
    IKavoPrompt* prompt_;
};

class COrlaKavoSource : public CKavoSource, public IKavoListenerChain {
public:
    CKavoBase* CreateChildObject(uint32_t id) override;
    void OnProgress(uint32_t command, uint32_t param, uint32_t done, uint32_t total) override;
    void OnChildAdded(CKavoBase* child) override;
    void OnRemoved() override;
    void OnCapabilityChanged(uint32_t cap, uint32_t kind) override;

    IQzKavoUser* GetNextListener(IQzKavoUser* previous) override;
    IQzKavoUser* GetOwnListener() const override { return listener_; }
    virtual void SetListener(IQzKavoUser* listener) { listener_ = listener; }

private:
    IQzKavoUser* listener_ = nullptr;
};

class COrlaKavoItem : public CKavoItem, public IKavoListenerChain {
public:
    void OnProgress(uint32_t command, uint32_t param, uint32_t done, uint32_t total) override;
    void OnRemoved() override;
    void OnCapabilityChanged(uint32_t cap, uint32_t kind) override;

    virtual void SetListener(IQzKavoUser* listener) { listener_ = listener; }
    IQzKavoUser* GetNextListener(IQzKavoUser* previous) override;
    IQzKavoUser* GetOwnListener() const override { return listener_; }

private:
    IQzKavoUser* listener_ = nullptr;
};

// The module's answer to a request of the kind without asking: No for
// Yes/No, Cancel for Yes/No/Cancel, else OK.
uint32_t KavoUnpromptedAnswer(uint32_t kind);
