// A picture or file on a camera.
#pragma once

#include "app/camera/tree/kavo_base.h"

class CKavoItem : public CKavoBase {
public:
    CKavoItem() = default;

    // Id 1: the image data, id 8: the thumbnail data; nothing for other ids.
    CKavoBase* CreateChildObject(uint32_t id) override;
    void OnCapabilityChanged(uint32_t cap, uint32_t kind) override;

    virtual bool HasImageData() { return GetDataKinds() & 0x1; }
    virtual bool HasDataKind2() { return GetDataKinds() & 0x2; }
    virtual bool HasThumbnailData() { return GetDataKinds() & 0x8; }
    virtual bool HasDataKind4() { return GetDataKinds() & 0x4; }
    virtual bool HasCap13() const { return HasCapability(kKavoCapItemDate); }
    virtual bool HasCap14() const { return HasCapability(kKavoCapDataSize); }
    virtual int32_t GetCap13DateTime(KavoDateTime* out);
    virtual int32_t GetCap14Value(uint32_t* out);
    virtual uint32_t GetDataKinds();

private:
    uint32_t dataKinds_ = 0;
    uint32_t dataKindsValid_ = 0;
};
