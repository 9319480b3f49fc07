#include "app/camera/tree/kavo_data.h"

#include "app/camera/queue/command_queue.h"
#include "app/camera/queue/queue_manager.h"

int32_t CKavoBaseData::ReadCapabilities()
{
    int32_t result = CKavoBase::ReadCapabilities();
    if (result == kKavoOk && HasCapability(kKavoCapDataProc))
        result = SetProcedure(kKavoCapDataProc, reinterpret_cast<void*>(&DataProc));
    return result;
}

CKavoBase* CKavoBaseData::CreateChildObject(uint32_t)
{
    return nullptr;
}

void CKavoBaseData::OnCapabilityChanged(uint32_t cap, uint32_t kind)
{
    if (cap == 0 || cap == kKavoCapDataFormat)
        formatsValid_ = 0;
    CKavoBase::OnCapabilityChanged(cap, kind);
}

int32_t CKavoBaseData::GetCap14Value(uint32_t* out)
{
    if (!HasCapability(kKavoCapDataSize))
        return kKavoNotAllowed;
    return GetUlong(kKavoCapDataSize, out);
}

int32_t CKavoBaseData::GetCap19Strings(std::vector<CQzString>& out)
{
    return GetListStrings(out, kKavoCapDataFormat, &formats_, &formatsValid_, false);
}

int32_t CKavoBaseData::GetCap19Index(uint32_t* out)
{
    const int32_t result = ReadListValue(kKavoCapDataFormat, &formats_, &formatsValid_);
    if (result == kKavoOk)
        *out = formats_.currentIndex;
    return result;
}

int32_t CKavoBaseData::GetCap19DefaultIndex(uint32_t* out)
{
    const int32_t result = ReadListValue(kKavoCapDataFormat, &formats_, &formatsValid_);
    if (result == kKavoOk)
        *out = formats_.defaultIndex;
    return result;
}

int32_t CKavoBaseData::SetCap19Index(uint32_t index)
{
    return CallModule(this, kKavoSet, kKavoCapDataFormat, kKavoDataUintValue,
                      reinterpret_cast<void*>(static_cast<uintptr_t>(index)), nullptr, nullptr);
}

int32_t CKavoBaseData::QueueAcquire(CCommandQueue* queue, uint32_t flag)
{
    if (HasCapability(kKavoCapDeliverFlag))
        queue->AddCommand(this, kKavoSet, kKavoCapDeliverFlag, kKavoDataBoolValue,
                          reinterpret_cast<void*>(static_cast<uintptr_t>(flag)));
    queue->AddCommand(this, kKavoStart, kKavoCapDeliver, kKavoDataNone, nullptr);
    return kKavoOk;
}

int32_t CKavoBaseData::OnData(KavoDataInfo*, void*)
{
    return kKavoOk;
}

int32_t KAVO_CALL CKavoBaseData::DataProc(void* reference, KavoDataInfo* info, void* data)
{
    if (!IsLiveKavoObject(reference) || !info)
        return kKavoNotAllowed;
    auto* object = dynamic_cast<CKavoBaseData*>(static_cast<CKavoBase*>(reference));
    if (!object)
        return kKavoNotAllowed;
    CCommandQueueManager::GetInstance().NoteProgress();
    return object->OnData(info, data);
}
