// A camera of the module.
#pragma once

#include "app/camera/tree/kavo_base.h"

class CKavoSource : public CKavoBase {
public:
    CKavoSource() = default;

    CKavoBase* CreateChildObject(uint32_t id) override;
    void OnCapabilityChanged(uint32_t cap, uint32_t kind) override;

    // Data kinds: bits 0x1 image, 0x2, 0x8 thumbnail, 0x4.
    virtual bool HasImageData() { return GetDataKinds() & 0x1; }
    virtual bool HasDataKind2() { return GetDataKinds() & 0x2; }
    virtual bool HasThumbnailData() { return GetDataKinds() & 0x8; }
    virtual bool HasDataKind4() { return GetDataKinds() & 0x4; }
    virtual bool HasCap15() const { return HasCapability(15); }
    virtual bool HasCap16() const { return HasCapability(16); }
    virtual bool CanCapture() const { return HasCapability(kKavoCapCapture); }
    virtual bool HasCap45() const { return HasCapability(45); }
    virtual bool HasCap49() const { return HasCapability(49); }
    virtual bool HasCap50() const { return HasCapability(50); }
    virtual bool HasCap51() const { return HasCapability(51); }
    virtual CQzString GetCap11String();
    virtual CQzString GetCap46String();
    // The low 16 bits as a signed value; -1 when absent.
    virtual int32_t GetCap49Value();
    virtual double GetCap50Value();
    virtual uint32_t GetCap51Value();
    virtual int32_t QueueStartCap15(CCommandQueue* queue);
    virtual int32_t QueueStartCap16(CCommandQueue* queue);
    // Takes a picture; -251 when the camera cannot.
    virtual int32_t QueueCapture(CCommandQueue* queue);
    virtual int32_t GetCap45Value(uint32_t* out);
    virtual int32_t SetCap45Value(uint32_t* in);
    // Capability 12, read once and kept until it is reported changed.
    virtual uint32_t GetDataKinds();

private:
    CQzString GetText(uint32_t cap);
    int32_t QueueStart(CCommandQueue* queue, uint32_t cap);

    uint32_t dataKinds_ = 0;
    uint32_t dataKindsValid_ = 0;
};
