// The camera object tree: one node per object of the camera module (the
// module, its sources, their items, the items' data objects). A node holds
// the record that names it to the module, its capability map, its children
// and a busy count that defers its removal while it is in use.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <vector>

#include "app/camera/caps/kavo_cap_info.h"
#include "app/camera/kavo_records.h"
#include "app/core/text/qz_string.h"

class CKavoBase;
class CCommandQueue;

// 8 bytes in the shipped build, compared by the pointer it holds; destroying
// a holder leaves the object alone.
class CKavoBasePtrWrapper {
public:
    explicit CKavoBasePtrWrapper(CKavoBase* object = nullptr) : object_(object) {}
    virtual ~CKavoBasePtrWrapper() = default;
    CKavoBase* Get() const { return object_; }
    bool operator==(const CKavoBasePtrWrapper& other) const { return object_ == other.object_; }

private:
    CKavoBase* object_;
};

// Objects whose removal waits until nothing below them is busy.
std::vector<CKavoBasePtrWrapper>& KavoPendingRemovals();
bool IsPendingRemoval(const CKavoBase* object);
// Nesting of calls into the module's entry point now under way.
uint32_t KavoModuleCallDepth();

class CKavoBase {
public:
    CKavoBase();
    CKavoBase(const CKavoBase&) = delete;
    CKavoBase& operator=(const CKavoBase&) = delete;

    // With a queue the open is queued (the object opens when it completes).
    virtual int32_t Open(uint32_t id, CCommandQueue* queue);
    virtual ~CKavoBase();
    virtual int32_t ReadCapabilities();
    virtual CKavoBase* CreateChildObject(uint32_t id) = 0;
    // Cached reads: with *valid set nothing is asked.
    virtual int32_t ReadArrayValue(uint32_t cap, KavoArrayRecord* record, uint32_t* valid);
    virtual int32_t ReadRangeValue(uint32_t cap, KavoRangeRecord* record, uint32_t* valid);
    virtual int32_t ReadListValue(uint32_t cap, KavoListRecord* record, uint32_t* valid);
    virtual uint32_t OnUserRequest(KavoUserRequest* request);
    virtual void OnEvent(uint32_t event, uint32_t data);
    virtual void OnProgress(uint32_t command, uint32_t param, uint32_t done, uint32_t total);
    virtual void OnChildAdded(CKavoBase* child);
    virtual void OnRemoved();
    // kind: 0 the list or a value was reset, 1 a value changed.
    virtual void OnCapabilityChanged(uint32_t cap, uint32_t kind);
    virtual int32_t GetListValues(std::vector<uint32_t>& out, uint32_t cap, KavoListRecord* list = nullptr,
                                  uint32_t* valid = nullptr);
    virtual int32_t GetListStrings(std::vector<CQzString>& out, uint32_t cap, KavoListRecord* list = nullptr,
                                   uint32_t* valid = nullptr, bool fixedLength = false);
    virtual int32_t GetListStringCount(uint32_t* out, uint32_t cap, KavoListRecord* list = nullptr);
    virtual int32_t SetListValue(uint32_t cap, uint32_t value, const std::vector<uint32_t>* values = nullptr);
    virtual int32_t Close();
    virtual int32_t RemoveChild(CKavoBase* child);
    virtual int32_t RemoveChildById(uint32_t id);
    virtual void RemoveAllChildren();
    virtual int32_t CallModule(CKavoBase* target, uint32_t command, uint32_t param, uint32_t dataType, void* data,
                               KavoCompletionProc completion, void* reference);
    const std::vector<CKavoBasePtrWrapper>& GetChildren() const { return children_; }
    CKavoBase* GetParent() const { return parent_; }
    KavoObjectRecord* GetObjectRecord() { return &record_; }
    uint32_t GetId() const { return record_.id; }
    virtual void ResetToDefaults();
    virtual uint32_t ProcessPendingRemoval();
    void Enter() { ++busy_; }
    void Leave()
    {
        if (busy_ > 0)
            --busy_;
    }
    uint32_t IsRemoved() const { return removed_; }
    uint32_t IsUsable() const { return open_ && capabilitiesRead_ && !removed_; }
    uint32_t IsOpen() const { return open_; }
    // This object or one below it is between Enter and Leave.
    bool IsBusy() const;
    int32_t GetBusyCount() const { return busy_; }
    bool CanSetCap10() const { return CanSet(kKavoCapText); }
    bool CanSetCap8Array() const { return HasCapability(kKavoCapByteArray) && CanSet(kKavoCapByteArray); }
    bool CanStartCap52() const { return HasCapability(52) && CanStart(52); }
    int32_t CreateChild(uint32_t id, CKavoBase** out);
    int32_t GetCap9String(CQzString* out);
    int32_t GetCap10String(CQzString* out);
    int32_t SetCap10String(const char* text);
    int32_t GetCap8Array(uint8_t* buffer, uint32_t* size);
    int32_t SetCap8Array(const uint8_t* bytes, uint32_t count);
    int32_t StartCap52();
    int32_t QueueChildCountRead(uint32_t* out, CCommandQueue* queue);
    int32_t QueueChildEnumeration(CCommandQueue* queue);
    int32_t QueueEnumerateCommand(CCommandQueue* queue);

    // Queries of the capability map; no module call.
    bool HasCapability(uint32_t cap) const { return capabilities_.count(cap) != 0; }
    uint32_t GetCapabilityType(uint32_t cap) const;
    CQzString GetCapabilityDescription(uint32_t cap) const;
    void GetAllCapabilities(std::vector<CQzKAVOCapInfo>& out) const;
    void GetFlaggedCapabilities(std::vector<CQzKAVOCapInfo>& out) const;
    void GetFlaggedGroupCapabilities(std::vector<CQzKAVOCapInfo>& out) const;
    bool HasAttribute1(uint32_t cap) const { return Attributes(cap) & 0x1; }
    bool HasAttribute2(uint32_t cap) const { return Attributes(cap) & 0x2; }
    bool HasNeitherAttribute1Nor2(uint32_t cap) const { return HasCapability(cap) && !(Attributes(cap) & 0x3); }
    bool HasAttribute4(uint32_t cap) const { return Attributes(cap) & 0x4; }
    bool HasAttribute8(uint32_t cap) const { return Attributes(cap) & 0x8; }
    bool HasAttribute10(uint32_t cap) const { return Attributes(cap) & 0x10; }
    bool HasAttribute20(uint32_t cap) const { return Attributes(cap) & 0x20; }
    bool CanStart(uint32_t cap) const { return Operations(cap) & kKavoOpStart; }
    bool CanGet(uint32_t cap) const { return Operations(cap) & kKavoOpGet; }
    bool CanSet(uint32_t cap) const { return Operations(cap) & kKavoOpSet; }
    bool CanGetArray(uint32_t cap) const { return Operations(cap) & kKavoOpGetArray; }
    bool CanGetDefault(uint32_t cap) const { return Operations(cap) & kKavoOpGetDefault; }
    int32_t GetGroupMembers(uint32_t group, std::vector<CQzKAVOCapInfo>& out);

protected:
    // Registers (or with a null procedure clears) a procedure the module calls.
    int32_t SetProcedure(uint32_t cap, void* procedure);
    // Reads a ULONG capability (data type 6).
    int32_t GetUlong(uint32_t cap, uint32_t* value);
    uint32_t Attributes(uint32_t cap) const;
    uint32_t Operations(uint32_t cap) const;

private:
    struct CompletionContext;
    static int32_t KAVO_CALL TreeCompletion(KavoObjectRecord* object, uint32_t command, uint32_t param,
                                            uint32_t dataType, void* data, void* reference, int32_t result);
    static int32_t KAVO_CALL ProgressProc(uint32_t command, uint32_t param, void* reference, uint32_t done,
                                          uint32_t total);
    static int32_t KAVO_CALL EventProc(void* reference, uint32_t event, uint32_t data);
    static int32_t KAVO_CALL UserRequestProc(void* reference, KavoUserRequest* request);
    void AdoptChild(CKavoBase* child);
    // Drops the last child made by CreateChild when its open failed.
    void DiscardChild(CKavoBase* child);
    int32_t RemoveChildNow(CKavoBase* child);
    // An item's event 1: its data objects of that kind go.
    void RemoveDataChildren(uint32_t dataKind);
    // The list's header and its elements' bytes, read until the module stops
    // asking to repeat.
    int32_t ReadListBlock(uint32_t cap, KavoListRecord* list, uint32_t* valid, KavoListRecord* header,
                          std::vector<uint8_t>* block);

    uint32_t open_ = 0;
    uint32_t capabilitiesRead_ = 0;
    uint32_t removed_ = 0;
    KavoObjectRecord record_{};
    CKavoBase* parent_ = nullptr;
    std::map<uint32_t, tagQzKAVOCapInfo> capabilities_;
    std::vector<CKavoBasePtrWrapper> children_;
    KavoListRecord childList_{};
    std::vector<uint8_t> childIds_;
    int32_t busy_ = 0;
    uint32_t polled_ = 0;
    // Beyond the Part's fields: the procedures set on the module (cleared
    // before close whatever became of the capability read), and a removal
    // asked for while it could not run.
    uint32_t procedures_ = 0;
    bool removalRequested_ = false;
    bool reportedRemoved_ = false;  // the module reported it gone while it was busy
    bool removing_ = false;
};

// Live objects, so that a callback naming an object that is gone is ignored.
bool IsLiveKavoObject(const void* reference);
