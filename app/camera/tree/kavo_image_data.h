// The image data of one camera item, and its thumbnail: typed accessors over
// the capabilities the module offers at this level, with the enumerations and
// ranges kept until the module reports them changed, and the actions that
// start on the camera directly or through a command queue.
#pragma once

#include <vector>

#include "app/camera/tree/kavo_data.h"

class CKavoImageData : public CKavoBaseData {
public:
    explicit CKavoImageData(uint32_t dataKind = kKavoDataKindImage) : CKavoBaseData(dataKind) {}
    ~CKavoImageData() override;

    // Clears the cached records; the array's and the base's format list stay.
    void OnCapabilityChanged(uint32_t cap, uint32_t kind) override;

    virtual bool HasCapability1B() const { return HasCapability(0x1b); }
    virtual bool HasCapability1C() const { return HasCapability(0x1c); }
    virtual bool HasCapability1E() const { return HasCapability(0x1e); }
    virtual bool CanGetCapability20() const { return HasCapability(0x20) && CanGet(0x20); }
    virtual bool CanSetCapability20() const { return HasCapability(0x20) && CanSet(0x20); }
    virtual bool HasCapability25() const { return HasCapability(0x25); }
    virtual bool HasCapability24() const { return HasCapability(0x24); }
    virtual bool CanSetCapability27() const { return HasCapability(0x27) && CanSet(0x27); }
    virtual bool CanGetCapability28() const { return HasCapability(0x28) && CanGet(0x28); }
    virtual bool CanSetCapability28() const { return HasCapability(0x28) && CanSet(0x28); }
    virtual bool CanGetCapability2A() const { return HasCapability(0x2a) && CanGet(0x2a); }
    virtual bool CanSetCapability2A() const { return HasCapability(0x2a) && CanSet(0x2a); }
    virtual bool HasCapability2B() const { return HasCapability(0x2b); }
    virtual bool HasCapability29() const { return HasCapability(0x29); }

    virtual int32_t GetEnum1BList(std::vector<uint32_t>& out);
    virtual int32_t GetEnum1B(uint32_t* out);
    virtual int32_t GetEnum1BDefault(uint32_t* out);
    virtual int32_t SetEnum1B(uint32_t value);
    // Capability 0x23 is an enumeration or a range of doubles; isRange says
    // which record was filled.
    virtual int32_t GetValue23Info(uint32_t* isRange, KavoRangeRecord* range, KavoListRecord* list);
    virtual int32_t GetValue23(double* out);
    virtual int32_t GetValue23Default(double* out);
    // nearest: a value between the offered ones takes the next one up.
    virtual int32_t SetValue23(double value, bool nearest);
    virtual int32_t GetRange2B(KavoRangeRecord* out);
    virtual int32_t GetRange2BValue(double* out);
    virtual int32_t GetRange2BDefault(double* out);
    virtual int32_t SetRange2BValue(double value);
    virtual int32_t GetEnum26List(std::vector<uint32_t>& out);
    virtual int32_t GetEnum26(uint32_t* out);
    virtual int32_t GetEnum26Default(uint32_t* out);
    virtual int32_t SetEnum26(uint32_t value);
    virtual int32_t GetRect22(KavoRect* out);
    virtual int32_t GetRect22Default(KavoRect* out);
    virtual int32_t SetRect22(const KavoRect* rect);
    virtual int32_t GetSize2C(KavoRect* out);
    virtual int32_t GetBool25(uint32_t* out);
    virtual int32_t SetBool25(bool value);
    virtual int32_t GetBool24(uint32_t* out);
    virtual int32_t SetBool24(bool value);
    // Without capability 0x27 the data has 8 bits a sample and nothing else.
    virtual int32_t GetEnum27List(std::vector<uint32_t>& out);
    virtual int32_t GetEnum27(uint32_t* out);
    virtual int32_t GetEnum27Default(uint32_t* out);
    virtual int32_t SetEnum27(uint32_t value);
    virtual int32_t GetBool28(uint32_t* out);
    virtual int32_t SetBool28(bool value);
    virtual int32_t GetBool2A(uint32_t* out);
    virtual int32_t GetArray29Info(KavoArrayRecord* out);
    // size: in, the buffer's bytes; out, the bytes needed (-249 when short).
    virtual int32_t ReadArray29(void* buffer, uint32_t* size);
    virtual int32_t WriteArray29(const KavoArrayRecord* record);
    // With a queue the commands are appended to it (result 0); without one
    // they are sent at once and the last result is returned.
    virtual int32_t SetBool2A(bool value, CCommandQueue* queue);
    virtual int32_t Start1C(bool value, CCommandQueue* queue);
    // A point with a negative coordinate stands for the module's default.
    virtual int32_t Start1E(const KavoPoint* point, CCommandQueue* queue, bool value);
    virtual uint32_t ChannelCountForType(uint32_t type);

private:
    struct CachedList {
        KavoListRecord record{};
        uint32_t valid = 0;
        std::vector<uint32_t> values;
    };
    // The point of a queued set, owned by its command until it completes.
    struct QueuedPoint {
        CKavoImageData* object;
        KavoPoint* point;
        uint32_t owned;
    };
    static int32_t KAVO_CALL ReleaseQueuedPoint(KavoObjectRecord* object, uint32_t command, uint32_t param,
                                                uint32_t dataType, void* data, void* reference, int32_t result);

    int32_t ReadList(uint32_t cap, CachedList& list);
    int32_t GetListCurrent(uint32_t cap, CachedList& list, uint32_t* out);
    int32_t GetListDefault(uint32_t cap, CachedList& list, uint32_t* out);
    int32_t SetListEntry(uint32_t cap, CachedList& list, uint32_t value);
    int32_t Read23();
    int32_t GetBoolByte(uint32_t cap, uint32_t* out);
    int32_t SetBoolValue(uint32_t cap, bool value);
    // Appends to the queue, or sends at once.
    int32_t Send(CCommandQueue* queue, uint32_t command, uint32_t cap, uint32_t dataType, void* data);

    CachedList list1B_;
    CachedList list26_;
    CachedList list27_;
    KavoRangeRecord range23_{};
    KavoListRecord list23_{};
    std::vector<double> values23_;
    uint32_t valid23_ = 0;
    uint32_t isRange23_ = 0;
    KavoRangeRecord range2B_{};
    uint32_t valid2B_ = 0;
    KavoArrayRecord array29_{};
    uint32_t valid29_ = 0;
};

// An item's thumbnail: the same accessors over data kind 8.
class CKavoThumbnailData : public CKavoImageData {
public:
    CKavoThumbnailData() : CKavoImageData(kKavoDataKindThumbnail) {}
};
