#include "app/camera/tree/kavo_source.h"

#include <new>

#include "app/camera/caps/kavo_list_decode.h"
#include "app/camera/queue/command_queue.h"
#include "app/camera/tree/kavo_item.h"

CKavoBase* CKavoSource::CreateChildObject(uint32_t)
{
    return new (std::nothrow) CKavoItem();
}

void CKavoSource::OnCapabilityChanged(uint32_t cap, uint32_t kind)
{
    if (cap == 0 || cap == kKavoCapDataKinds)
        dataKindsValid_ = 0;
    CKavoBase::OnCapabilityChanged(cap, kind);
}

uint32_t CKavoSource::GetDataKinds()
{
    if (!dataKindsValid_ && HasCapability(kKavoCapDataKinds)) {
        uint32_t kinds = 0;
        if (GetUlong(kKavoCapDataKinds, &kinds) == kKavoOk) {
            dataKinds_ = kinds;
            dataKindsValid_ = 1;
        }
    }
    return dataKindsValid_ ? dataKinds_ : 0;
}

CQzString CKavoSource::GetText(uint32_t cap)
{
    if (!HasCapability(cap))
        return CQzString("");
    char text[256] = {};
    CallModule(this, kKavoGet, cap, kKavoDataString, text, nullptr, nullptr);
    return KavoText(text);
}

CQzString CKavoSource::GetCap11String()
{
    return GetText(11);
}

CQzString CKavoSource::GetCap46String()
{
    return GetText(46);
}

int32_t CKavoSource::GetCap49Value()
{
    if (!HasCapability(49))
        return -1;
    int32_t value = 0;
    CallModule(this, kKavoGet, 49, kKavoDataInt, &value, nullptr, nullptr);
    return static_cast<int16_t>(value & 0xFFFF);
}

double CKavoSource::GetCap50Value()
{
    if (!HasCapability(50))
        return 0.0;
    double value = 0.0;
    CallModule(this, kKavoGet, 50, kKavoDataDouble, &value, nullptr, nullptr);
    return value;
}

uint32_t CKavoSource::GetCap51Value()
{
    uint32_t value = 0;
    if (HasCapability(51))
        GetUlong(51, &value);
    return value;
}

int32_t CKavoSource::QueueStart(CCommandQueue* queue, uint32_t cap)
{
    if (!HasCapability(cap))
        return kKavoNotAllowed;
    queue->AddCommand(this, kKavoStart, cap, kKavoDataNone, nullptr);
    return kKavoOk;
}

int32_t CKavoSource::QueueStartCap15(CCommandQueue* queue)
{
    return QueueStart(queue, 15);
}

int32_t CKavoSource::QueueStartCap16(CCommandQueue* queue)
{
    return QueueStart(queue, 16);
}

int32_t CKavoSource::QueueCapture(CCommandQueue* queue)
{
    return QueueStart(queue, kKavoCapCapture);
}

int32_t CKavoSource::GetCap45Value(uint32_t* out)
{
    if (!HasCapability(45))
        return kKavoNotAllowed;
    return GetUlong(45, out);
}

int32_t CKavoSource::SetCap45Value(uint32_t* in)
{
    if (!HasCapability(45))
        return kKavoNotAllowed;
    return CallModule(this, kKavoSet, 45, kKavoDataUint, in, nullptr, nullptr);
}
