#include "app/camera/tree/kavo_item.h"

#include <new>

#include "app/camera/tree/kavo_image_data.h"

CKavoBase* CKavoItem::CreateChildObject(uint32_t id)
{
    if (id == kKavoDataKindImage)
        return new (std::nothrow) CKavoImageData();
    if (id == kKavoDataKindThumbnail)
        return new (std::nothrow) CKavoThumbnailData();
    return nullptr;
}

void CKavoItem::OnCapabilityChanged(uint32_t cap, uint32_t kind)
{
    if (cap == 0 || cap == kKavoCapDataKinds)
        dataKindsValid_ = 0;
    CKavoBase::OnCapabilityChanged(cap, kind);
}

uint32_t CKavoItem::GetDataKinds()
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

int32_t CKavoItem::GetCap13DateTime(KavoDateTime* out)
{
    if (!HasCapability(kKavoCapItemDate))
        return kKavoNotAllowed;
    return CallModule(this, kKavoGet, kKavoCapItemDate, kKavoDataDateTime, out, nullptr, nullptr);
}

int32_t CKavoItem::GetCap14Value(uint32_t* out)
{
    if (!HasCapability(kKavoCapDataSize))
        return kKavoNotAllowed;
    return GetUlong(kKavoCapDataSize, out);
}
