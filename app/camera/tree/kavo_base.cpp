#include "app/camera/tree/kavo_base.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <set>

#include "app/camera/caps/kavo_list_decode.h"
#include "app/camera/queue/command_queue.h"
#include "app/camera/queue/queue_manager.h"
#include "app/camera/tree/kavo_data.h"
#include "app/camera/tree/kavo_tree_impl.h"

namespace {

uint32_t gModuleCallDepth = 0;

std::set<const void*>& LiveObjects()
{
    static std::set<const void*> live;
    return live;
}

// What a queued call of the tree does when it completes.
enum CompletionKind : uint32_t {
    kStoreChildCount = 1,
    kAllocateChildIds = 2,
    kOpenChildren = 3,
    kMarkOpen = 4,
};

void DropPending(const CKavoBase* object)
{
    auto& list = KavoPendingRemovals();
    list.erase(std::remove_if(list.begin(), list.end(),
                              [object](const CKavoBasePtrWrapper& holder) { return holder.Get() == object; }),
               list.end());
}

}  // namespace

struct CKavoBase::CompletionContext {
    CKavoBase* object;
    void* target;
    uint32_t kind;
};

CKavoModuleCallScope::CKavoModuleCallScope()
{
    ++gModuleCallDepth;
}
CKavoModuleCallScope::~CKavoModuleCallScope()
{
    --gModuleCallDepth;
}

uint32_t KavoModuleCallDepth()
{
    return gModuleCallDepth;
}

std::vector<CKavoBasePtrWrapper>& KavoPendingRemovals()
{
    static std::vector<CKavoBasePtrWrapper> list;
    return list;
}

bool IsPendingRemoval(const CKavoBase* object)
{
    const auto& list = KavoPendingRemovals();
    return std::any_of(list.begin(), list.end(),
                       [object](const CKavoBasePtrWrapper& holder) { return holder.Get() == object; });
}

bool IsLiveKavoObject(const void* reference)
{
    return reference && LiveObjects().count(reference) != 0;
}

CKavoBase::CKavoBase()
{
    record_.clientReference = this;
    LiveObjects().insert(this);
}

CKavoBase::~CKavoBase()
{
    // Subclasses close first; this catches the base's own share.
    if (open_)
        CKavoBase::Close();
    while (!children_.empty())
        RemoveChildNow(children_.back().Get());
    CCommandQueueManager::GetInstance().DropObject(this);
    LiveObjects().erase(this);
    DropPending(this);
    auto& timers = CCommandQueueManager::GetInstance().Timers();
    timers.erase(std::remove_if(timers.begin(), timers.end(),
                                [this](const CommandQueueTimer& timer) { return timer.object == this; }),
                 timers.end());
}

// ---- Opening and the capability read ----------------------------------------

int32_t CKavoBase::Open(uint32_t id, CCommandQueue* queue)
{
    if (capabilitiesRead_)
        return kKavoAlreadyRead;
    if (queue) {
        if (open_)
            return kKavoOk;
        auto* context = new (std::nothrow) CompletionContext{this, &open_, kMarkOpen};
        if (!context)
            return kKavoOutOfMemory;
        queue->AddCommand(parent_, kKavoOpen, id, kKavoDataObject, &record_, &TreeCompletion, context);
        return kKavoOk;
    }
    Enter();
    int32_t result = kKavoOk;
    if (!open_)
        result = parent_ ? parent_->CallModule(parent_, kKavoOpen, id, kKavoDataObject, &record_, nullptr, nullptr)
                         : CallModule(nullptr, kKavoOpen, 0, kKavoDataObject, &record_, nullptr, nullptr);
    if (result == kKavoOk) {
        open_ = 1;
        result = ReadCapabilities();
    }
    Leave();
    return result;
}

int32_t CKavoBase::ReadCapabilities()
{
    capabilitiesRead_ = 1;
    Enter();
    int32_t result = kKavoNotOpen;
    if (open_) {
        capabilities_.clear();
        if (polled_) {
            RemoveCommandTimer(this);
            polled_ = 0;
        }
        do {
            uint32_t count = 0;
            CallModule(this, kKavoCapabilityCount, 0, kKavoDataUint, &count, nullptr, nullptr);
            size_t bytes = 0;
            if (!KavoBlockBytes(count, sizeof(tagQzKAVOCapInfo), &bytes)) {
                result = kKavoOutOfMemory;
                break;
            }
            std::vector<tagQzKAVOCapInfo> records(count);
            result = CallModule(this, kKavoCapabilityInfo, count, kKavoDataCapInfo,
                                records.empty() ? nullptr : records.data(), nullptr, nullptr);
            if (result == kKavoOk)
                for (tagQzKAVOCapInfo& info : records) {
                    info.description[sizeof(info.description) - 1] = '\0';
                    capabilities_[info.id] = info;
                }
        } while (result == kKavoRepeat);
        if (result == kKavoOk) {
            const std::pair<uint32_t, void*> procedures[] = {
                {kKavoCapProgressProc, reinterpret_cast<void*>(&ProgressProc)},
                {kKavoCapEventProc, reinterpret_cast<void*>(&EventProc)},
                {kKavoCapUserRequestProc, reinterpret_cast<void*>(&UserRequestProc)},
            };
            for (const auto& [cap, procedure] : procedures)
                if (result == kKavoOk && HasCapability(cap))
                    result = SetProcedure(cap, procedure);
        }
        if (result == kKavoOk && HasCapability(kKavoCapPollInterval)) {
            uint32_t interval = 0;
            if (GetUlong(kKavoCapPollInterval, &interval) == kKavoOk && interval) {
                AddCommandTimer(this, interval);
                polled_ = 1;
            }
        }
    }
    capabilitiesRead_ = result == kKavoOk;
    Leave();
    return result;
}

int32_t CKavoBase::SetProcedure(uint32_t cap, void* procedure)
{
    KavoCallbackRecord callback = {procedure, this};
    const int32_t result = CallModule(this, kKavoSet, cap, kKavoDataCallback, &callback, nullptr, nullptr);
    const uint32_t bit = 1u << cap;
    if (!procedure)
        procedures_ &= ~bit;
    else if (result == kKavoOk)
        procedures_ |= bit;
    return result;
}

int32_t CKavoBase::GetUlong(uint32_t cap, uint32_t* value)
{
    return CallModule(this, kKavoGet, cap, kKavoDataUint, value, nullptr, nullptr);
}

int32_t KAVO_CALL CKavoBase::TreeCompletion(KavoObjectRecord*, uint32_t, uint32_t, uint32_t, void*, void* reference,
                                            int32_t result)
{
    auto* context = static_cast<CompletionContext*>(reference);
    CKavoBase* object = context->object;
    if (result == kKavoOk && IsLiveKavoObject(object)) {
        switch (context->kind) {
            case kStoreChildCount:
                *static_cast<uint32_t*>(context->target) = object->childList_.elementCount;
                break;
            case kAllocateChildIds: {
                // The module fills count x its element width; a count that
                // cannot be held leaves nothing to fill.
                size_t bytes = 0;
                if (KavoBlockBytes(object->childList_.elementCount, object->childList_.bytesPerElement, &bytes)) {
                    object->childIds_.assign(bytes, 0);
                } else {
                    object->childIds_.clear();
                    object->childList_.elementCount = 0;
                }
                object->childList_.data = object->childIds_.empty() ? nullptr : object->childIds_.data();
                break;
            }
            case kOpenChildren: {
                auto* queue = static_cast<CCommandQueue*>(context->target);
                const size_t stride = object->childList_.bytesPerElement;
                std::vector<uint32_t> ids;
                if (stride >= 4)
                    for (size_t at = 0; at + stride <= object->childIds_.size(); at += stride) {
                        uint32_t id;
                        std::memcpy(&id, object->childIds_.data() + at, 4);
                        ids.push_back(id);
                    }
                object->childIds_.clear();
                object->childList_.data = nullptr;
                for (uint32_t id : ids) {
                    // A child already in the tree is not opened twice.
                    const bool known = std::any_of(
                        object->children_.begin(), object->children_.end(), [id](const CKavoBasePtrWrapper& holder) {
                            return holder.Get()->GetId() == id && holder.Get()->open_ && !holder.Get()->removed_;
                        });
                    if (known)
                        continue;
                    CKavoBase* child = object->CreateChildObject(id);
                    if (!child)
                        continue;
                    object->AdoptChild(child);
                    child->Open(id, queue);
                }
                break;
            }
            case kMarkOpen:
                *static_cast<uint32_t*>(context->target) = 1;
                object->ReadCapabilities();
                break;
            default:
                break;
        }
    }
    delete context;
    return 0;
}

// ---- Closing and the children ---------------------------------------------

int32_t CKavoBase::Close()
{
    if (!open_)
        return kKavoNotOpen;
    RemoveAllChildren();
    for (uint32_t cap : {kKavoCapProgressProc, kKavoCapEventProc, kKavoCapUserRequestProc, kKavoCapDataProc})
        if (procedures_ & (1u << cap))
            SetProcedure(cap, nullptr);
    const int32_t result = CallModule(this, kKavoClose, 0, kKavoDataNone, nullptr, nullptr, nullptr);
    open_ = 0;
    capabilitiesRead_ = 0;
    capabilities_.clear();
    procedures_ = 0;
    // A closed object is not polled.
    if (polled_) {
        RemoveCommandTimer(this);
        polled_ = 0;
    }
    return result;
}

void CKavoBase::AdoptChild(CKavoBase* child)
{
    child->parent_ = this;
    children_.push_back(CKavoBasePtrWrapper(child));
}

void CKavoBase::DiscardChild(CKavoBase* child)
{
    auto it = std::find(children_.begin(), children_.end(), CKavoBasePtrWrapper(child));
    if (it != children_.end())
        children_.erase(it);
    delete child;
}

int32_t CKavoBase::CreateChild(uint32_t id, CKavoBase** out)
{
    Enter();
    CKavoBase* child = CreateChildObject(id);
    int32_t result = kKavoNoChildMade;
    if (child) {
        AdoptChild(child);
        result = child->Open(id, nullptr);
        if (result != kKavoOk) {
            DiscardChild(child);
            child = nullptr;
        }
    }
    if (out)
        *out = child;
    Leave();
    return result;
}

int32_t CKavoBase::RemoveChild(CKavoBase* child)
{
    if (std::find(children_.begin(), children_.end(), CKavoBasePtrWrapper(child)) == children_.end())
        return kKavoNoSuchChild;
    if (child->removing_)
        return kKavoOk;
    // Not while the module is inside a call (it may still use the object),
    // nor while anything below is in use: the idle step removes it later.
    if (KavoModuleCallDepth() > 0 || child->IsBusy()) {
        child->removalRequested_ = true;
        if (!IsPendingRemoval(child))
            KavoPendingRemovals().push_back(CKavoBasePtrWrapper(child));
        return kKavoOk;
    }
    return RemoveChildNow(child);
}

int32_t CKavoBase::RemoveChildNow(CKavoBase* child)
{
    child->removing_ = true;
    CCommandQueueManager::GetInstance().DropObject(child);
    const int32_t result = child->Close();
    auto it = std::find(children_.begin(), children_.end(), CKavoBasePtrWrapper(child));
    if (it == children_.end())
        return kKavoNoSuchChild;
    DropPending(child);
    children_.erase(it);
    delete child;
    return result;
}

int32_t CKavoBase::RemoveChildById(uint32_t id)
{
    for (const CKavoBasePtrWrapper& holder : children_)
        if (holder.Get()->GetId() == id)
            return RemoveChild(holder.Get());
    return kKavoNoSuchChild;
}

void CKavoBase::RemoveAllChildren()
{
    while (!children_.empty())
        RemoveChildNow(children_.back().Get());
}

int32_t CKavoBase::CallModule(CKavoBase* target, uint32_t command, uint32_t param, uint32_t dataType, void* data,
                              KavoCompletionProc completion, void* reference)
{
    if (!parent_)
        return kKavoNotOpen;
    return parent_->CallModule(target, command, param, dataType, data, completion, reference);
}

bool CKavoBase::IsBusy() const
{
    if (busy_ > 0)
        return true;
    return std::any_of(children_.begin(), children_.end(),
                       [](const CKavoBasePtrWrapper& holder) { return holder.Get()->IsBusy(); });
}

// ---- Notifications ----------------------------------------------------------

uint32_t CKavoBase::OnUserRequest(KavoUserRequest* request)
{
    if (!parent_)
        return kKavoAnswerNone;
    Enter();
    const uint32_t answer = parent_->OnUserRequest(request);
    Leave();
    return answer;
}

void CKavoBase::OnEvent(uint32_t event, uint32_t data)
{
    for (CKavoBase* at = this; at; at = at->parent_)
        if (at->polled_) {
            ExpireCommandTimer(at);
            break;
        }
    switch (event) {
        case kKavoEventChildAdded: {
            // A child the tree already holds is not made again.
            const bool known = std::any_of(children_.begin(), children_.end(), [data](const CKavoBasePtrWrapper& h) {
                return h.Get()->GetId() == data && !h.Get()->removed_ && !IsPendingRemoval(h.Get());
            });
            CKavoBase* child = nullptr;
            if (!known && CreateChild(data, &child) == kKavoOk)
                OnChildAdded(child);
            break;
        }
        case kKavoEventChildRemoved:
            if (record_.type == 3)
                RemoveDataChildren(data);
            else
                for (const CKavoBasePtrWrapper& holder : children_) {
                    CKavoBase* child = holder.Get();
                    if (child->GetId() != data || child->removed_ || IsPendingRemoval(child))
                        continue;
                    if (child->IsBusy()) {
                        child->reportedRemoved_ = true;
                        KavoPendingRemovals().push_back(CKavoBasePtrWrapper(child));
                    } else {
                        child->removed_ = 1;
                        child->OnRemoved();
                    }
                    break;
                }
            break;
        case kKavoEventCapabilityListChanged:
            ReadCapabilities();
            OnCapabilityChanged(data, 0);
            break;
        case kKavoEventValueChanged:
            OnCapabilityChanged(data, 1);
            break;
        default:
            break;
    }
}

void CKavoBase::RemoveDataChildren(uint32_t dataKind)
{
    for (size_t i = 0; i < children_.size(); ++i) {
        CKavoBase* child = children_[i].Get();
        auto* dataObject = dynamic_cast<CKavoBaseData*>(child);
        if (!dataObject || child->removed_ || dataObject->GetDataKind() != dataKind || IsPendingRemoval(child))
            continue;
        if (child->IsBusy()) {
            child->reportedRemoved_ = true;
            KavoPendingRemovals().push_back(CKavoBasePtrWrapper(child));
            continue;
        }
        child->OnRemoved();
        if (std::find(children_.begin(), children_.end(), CKavoBasePtrWrapper(child)) != children_.end())
            child->removed_ = 1;
        i = static_cast<size_t>(-1);  // the children may have changed: from the first again
    }
}

void CKavoBase::OnProgress(uint32_t, uint32_t, uint32_t, uint32_t) {}

void CKavoBase::OnChildAdded(CKavoBase*) {}

void CKavoBase::OnRemoved()
{
    if (parent_)
        parent_->RemoveChild(this);
}

void CKavoBase::OnCapabilityChanged(uint32_t, uint32_t) {}

uint32_t CKavoBase::ProcessPendingRemoval()
{
    if (IsBusy() || KavoModuleCallDepth() > 0)
        return 0;
    DropPending(this);
    if (removalRequested_ && !reportedRemoved_ && parent_) {
        parent_->RemoveChild(this);
        return 1;
    }
    removed_ = 1;
    OnRemoved();
    return 1;
}

// ---- Queued reads of the children --------------------------------------------

int32_t CKavoBase::QueueChildCountRead(uint32_t* out, CCommandQueue* queue)
{
    if (!HasCapability(kKavoCapChildren))
        return kKavoNotAllowed;
    auto* context = new (std::nothrow) CompletionContext{this, out, kStoreChildCount};
    if (!context)
        return kKavoOutOfMemory;
    queue->AddCommand(this, kKavoGet, kKavoCapChildren, kKavoDataList, &childList_, &TreeCompletion, context);
    return kKavoOk;
}

int32_t CKavoBase::QueueChildEnumeration(CCommandQueue* queue)
{
    if (!HasCapability(kKavoCapChildren))
        return kKavoNotAllowed;
    auto* allocate = new (std::nothrow) CompletionContext{this, &childIds_, kAllocateChildIds};
    auto* open = new (std::nothrow) CompletionContext{this, queue, kOpenChildren};
    if (!allocate || !open) {
        delete allocate;
        delete open;
        return kKavoOutOfMemory;
    }
    queue->AddCommand(this, kKavoGet, kKavoCapChildren, kKavoDataList, &childList_, &TreeCompletion, allocate);
    queue->AddCommand(this, kKavoGetArray, kKavoCapChildren, kKavoDataList, &childList_, &TreeCompletion, open);
    return kKavoOk;
}

int32_t CKavoBase::QueueEnumerateCommand(CCommandQueue* queue)
{
    queue->AddCommand(this, kKavoEnumerate, 0, kKavoDataNone, nullptr);
    return kKavoOk;
}

// ---- The procedures the module calls ------------------------------------------

int32_t KAVO_CALL CKavoBase::ProgressProc(uint32_t command, uint32_t param, void* reference, uint32_t done,
                                          uint32_t total)
{
    if (!IsLiveKavoObject(reference))
        return 0;
    CCommandQueueManager::GetInstance().NoteProgress();
    static_cast<CKavoBase*>(reference)->OnProgress(command, param, done, total);
    return 0;
}

int32_t KAVO_CALL CKavoBase::EventProc(void* reference, uint32_t event, uint32_t data)
{
    if (!IsLiveKavoObject(reference))
        return 0;
    CCommandQueueManager::GetInstance().NoteProgress();
    static_cast<CKavoBase*>(reference)->OnEvent(event, data);
    return 0;
}

int32_t KAVO_CALL CKavoBase::UserRequestProc(void* reference, KavoUserRequest* request)
{
    if (!IsLiveKavoObject(reference) || !request)
        return kKavoAnswerNone;
    return static_cast<int32_t>(static_cast<CKavoBase*>(reference)->OnUserRequest(request));
}
