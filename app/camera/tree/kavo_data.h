// The base of an item's data objects (the image data, kind 1, and the
// thumbnail data, kind 8): the capabilities of the delivered picture and the
// data procedure through which its blocks arrive.
#pragma once

#include "app/camera/tree/kavo_base.h"

enum KavoDataKind : uint32_t {
    kKavoDataKindImage = 1,
    kKavoDataKindThumbnail = 8,
};

class CKavoBaseData : public CKavoBase {
public:
    explicit CKavoBaseData(uint32_t dataKind) : dataKind_(dataKind) {}

    // Registers the data procedure too.
    int32_t ReadCapabilities() override;
    CKavoBase* CreateChildObject(uint32_t id) override;
    void OnCapabilityChanged(uint32_t cap, uint32_t kind) override;

    virtual uint32_t GetDataKind() const { return dataKind_; }
    virtual bool HasCap14() const { return HasCapability(kKavoCapDataSize); }
    virtual bool HasCap19() const { return HasCapability(kKavoCapDataFormat); }
    virtual int32_t GetCap14Value(uint32_t* out);
    virtual int32_t GetCap19Strings(std::vector<CQzString>& out);
    virtual int32_t GetCap19Index(uint32_t* out);
    virtual int32_t GetCap19DefaultIndex(uint32_t* out);
    virtual int32_t SetCap19Index(uint32_t index);
    // Queues the delivery of the data (capability 21 set to flag first when
    // the object has it); the blocks then arrive through OnData.
    virtual int32_t QueueAcquire(CCommandQueue* queue, uint32_t flag);
    // Called for every block with the module's record and the block's bytes;
    // its result goes back to the module.
    virtual int32_t OnData(KavoDataInfo* info, void* data);

private:
    static int32_t KAVO_CALL DataProc(void* reference, KavoDataInfo* info, void* data);

    KavoListRecord formats_{};
    uint32_t formatsValid_ = 0;
    uint32_t dataKind_;
};
