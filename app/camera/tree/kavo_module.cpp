#include "app/camera/tree/kavo_module.h"

#include <new>

#include "app/camera/tree/kavo_source.h"
#include "app/camera/tree/kavo_tree_impl.h"

CKavoModule::~CKavoModule()
{
    Close();
}

int32_t CKavoModule::Open(const char* path)
{
    const int32_t loaded = library_.Load(path);
    if (loaded != kKavoOk)
        return loaded;
    path_ = path;
    return OpenWithEntryPoint(library_.EntryPoint());
}

int32_t CKavoModule::OpenWithEntryPoint(KavoEntryPointProc entry)
{
    if (moduleOpen_)
        return kKavoAlreadyLoaded;
    entry_ = entry;
    moduleOpen_ = 1;
    return CKavoBase::Open(0, nullptr);
}

int32_t CKavoModule::Close()
{
    if (!moduleOpen_) {
        entry_ = nullptr;
        return kKavoNotOpen;
    }
    const int32_t result = CKavoBase::Close();
    library_.Free();
    moduleOpen_ = 0;
    entry_ = nullptr;
    return result;
}

int32_t CKavoModule::CallModule(CKavoBase* target, uint32_t command, uint32_t param, uint32_t dataType, void* data,
                                KavoCompletionProc completion, void* reference)
{
    if (!moduleOpen_ || !entry_)
        return kKavoNotOpen;
    // The target counts as busy for the length of the call, so that nothing
    // the module reports meanwhile removes it under the call.
    CKavoModuleCallScope scope;
    if (target)
        target->Enter();
    const int32_t result =
        entry_(target ? target->GetObjectRecord() : nullptr, command, param, dataType, data, completion, reference);
    if (target)
        target->Leave();
    return result;
}

uint32_t CKavoModule::OnUserRequest(KavoUserRequest*)
{
    return kKavoAnswerNone;
}

CKavoBase* CKavoModule::CreateChildObject(uint32_t)
{
    return new (std::nothrow) CKavoSource();
}

uint32_t CKavoModule::GetCap54Value()
{
    uint32_t value = 0;
    return GetUlong(54, &value) == kKavoOk ? value : 0;
}

uint32_t CKavoModule::GetCap58Value()
{
    uint32_t value = 0;
    return GetUlong(58, &value) == kKavoOk ? value : 12288;
}
