// The capability access of every camera object: queries of the map, typed
// reads and writes through the module, lists, arrays, groups and the reset
// to defaults.
#include <algorithm>
#include <cstring>

#include "app/camera/caps/kavo_list_decode.h"
#include "app/camera/tree/kavo_base.h"

namespace {

// The data type a capability type t from 1 to 9 is read and written with.
constexpr uint32_t kValueDataTypeOffset = 3;

}  // namespace

// ---- Queries of the map ---------------------------------------------------------

uint32_t CKavoBase::Attributes(uint32_t cap) const
{
    auto it = capabilities_.find(cap);
    return it == capabilities_.end() ? 0 : it->second.attributes;
}

uint32_t CKavoBase::Operations(uint32_t cap) const
{
    auto it = capabilities_.find(cap);
    return it == capabilities_.end() ? 0 : it->second.operations;
}

uint32_t CKavoBase::GetCapabilityType(uint32_t cap) const
{
    auto it = capabilities_.find(cap);
    return it == capabilities_.end() ? 0 : it->second.type;
}

CQzString CKavoBase::GetCapabilityDescription(uint32_t cap) const
{
    auto it = capabilities_.find(cap);
    return it == capabilities_.end() ? CQzString("") : KavoText(it->second.description);
}

void CKavoBase::GetAllCapabilities(std::vector<CQzKAVOCapInfo>& out) const
{
    out.clear();
    for (const auto& [id, info] : capabilities_)
        out.emplace_back(info);
}

void CKavoBase::GetFlaggedCapabilities(std::vector<CQzKAVOCapInfo>& out) const
{
    out.clear();
    for (const auto& [id, info] : capabilities_)
        if (info.attributes & kKavoAttrSelected)
            out.emplace_back(info);
}

void CKavoBase::GetFlaggedGroupCapabilities(std::vector<CQzKAVOCapInfo>& out) const
{
    out.clear();
    for (const auto& [id, info] : capabilities_)
        if ((info.attributes & (kKavoAttrSelected | kKavoAttrGroup)) == (kKavoAttrSelected | kKavoAttrGroup))
            out.emplace_back(info);
}

// ---- Cached reads ---------------------------------------------------------------

int32_t CKavoBase::ReadArrayValue(uint32_t cap, KavoArrayRecord* record, uint32_t* valid)
{
    Enter();
    int32_t result = kKavoOk;
    if (!*valid) {
        if (CanGet(cap)) {
            result = CallModule(this, kKavoGet, cap, kKavoDataArray, record, nullptr, nullptr);
            *valid = result == kKavoOk;
        } else {
            result = kKavoNotAllowed;
        }
    }
    Leave();
    return result;
}

int32_t CKavoBase::ReadRangeValue(uint32_t cap, KavoRangeRecord* record, uint32_t* valid)
{
    Enter();
    int32_t result = kKavoOk;
    if (!*valid) {
        if (CanGet(cap)) {
            result = CallModule(this, kKavoGet, cap, kKavoDataRange, record, nullptr, nullptr);
            *valid = result == kKavoOk;
        } else {
            result = kKavoNotAllowed;
        }
    }
    Leave();
    return result;
}

int32_t CKavoBase::ReadListValue(uint32_t cap, KavoListRecord* record, uint32_t* valid)
{
    Enter();
    int32_t result = kKavoOk;
    if (!*valid) {
        if (CanGet(cap)) {
            result = CallModule(this, kKavoGet, cap, kKavoDataList, record, nullptr, nullptr);
            // The header only: the record never keeps a data pointer of ours.
            record->data = nullptr;
            *valid = result == kKavoOk;
        } else {
            result = kKavoNotAllowed;
        }
    }
    Leave();
    return result;
}

// ---- Lists ----------------------------------------------------------------------

int32_t CKavoBase::ReadListBlock(uint32_t cap, KavoListRecord* list, uint32_t* valid, KavoListRecord* header,
                                 std::vector<uint8_t>* block)
{
    KavoListRecord temporary = {};
    KavoListRecord* record = list ? list : &temporary;
    int32_t result;
    do {
        block->clear();
        if (valid)
            result = ReadListValue(cap, record, valid);
        else
            result = CallModule(this, kKavoGet, cap, kKavoDataList, record, nullptr, nullptr);
        if (result == kKavoOk) {
            size_t bytes = 0;
            if (record->elementCount > kKavoMaxListElements ||
                !KavoBlockBytes(record->elementCount, record->bytesPerElement, &bytes)) {
                result = kKavoOutOfMemory;
            } else {
                block->assign(bytes, 0);
                record->data = block->empty() ? nullptr : block->data();
                result = CallModule(this, kKavoGetArray, cap, kKavoDataList, record, nullptr, nullptr);
                record->data = nullptr;
            }
        }
        // A repeat reads the whole list again, its count included.
        if (result != kKavoOk && valid)
            *valid = 0;
    } while (result == kKavoRepeat);
    *header = *record;
    return result;
}

int32_t CKavoBase::GetListValues(std::vector<uint32_t>& out, uint32_t cap, KavoListRecord* list, uint32_t* valid)
{
    out.clear();
    if (!HasCapability(cap))
        return kKavoNotAllowed;
    Enter();
    KavoListRecord header = {};
    std::vector<uint8_t> block;
    int32_t result = ReadListBlock(cap, list, valid, &header, &block);
    if (result == kKavoOk && !DecodeKavoListValues(header, block, &out))
        result = kKavoNotAList;
    Leave();
    return result;
}

int32_t CKavoBase::GetListStrings(std::vector<CQzString>& out, uint32_t cap, KavoListRecord* list, uint32_t* valid,
                                  bool fixedLength)
{
    out.clear();
    if (!HasCapability(cap))
        return kKavoNotAllowed;
    Enter();
    KavoListRecord header = {};
    std::vector<uint8_t> block;
    const int32_t result = ReadListBlock(cap, list, valid, &header, &block);
    if (result == kKavoOk)
        DecodeKavoListStrings(header, block, fixedLength, &out);
    Leave();
    return result;
}

int32_t CKavoBase::GetListStringCount(uint32_t* out, uint32_t cap, KavoListRecord* list)
{
    if (!HasCapability(cap))
        return kKavoNotAllowed;
    Enter();
    KavoListRecord header = {};
    std::vector<uint8_t> block;
    const int32_t result = ReadListBlock(cap, list, nullptr, &header, &block);
    if (result == kKavoOk)
        CountKavoListStrings(header, block, out);
    Leave();
    return result;
}

int32_t CKavoBase::SetListValue(uint32_t cap, uint32_t value, const std::vector<uint32_t>* values)
{
    if (GetCapabilityType(cap) != kKavoCapList)
        return kKavoNotAList;
    Enter();
    std::vector<uint32_t> read;
    int32_t result = kKavoOk;
    if (!values) {
        result = GetListValues(read, cap);
        values = &read;
    }
    if (result == kKavoOk) {
        auto it = std::find(values->begin(), values->end(), value);
        if (it == values->end()) {
            result = kKavoValueNotOffered;
        } else {
            const uintptr_t index = static_cast<uintptr_t>(it - values->begin());
            result =
                CallModule(this, kKavoSet, cap, kKavoDataUintValue, reinterpret_cast<void*>(index), nullptr, nullptr);
        }
    }
    Leave();
    return result;
}

// ---- Texts, the byte array, start 52 ------------------------------------------------

int32_t CKavoBase::GetCap9String(CQzString* out)
{
    Enter();
    char text[256] = {};
    const int32_t result = CallModule(this, kKavoGet, kKavoCapName, kKavoDataString, text, nullptr, nullptr);
    *out = KavoText(text);
    Leave();
    return result;
}

int32_t CKavoBase::GetCap10String(CQzString* out)
{
    Enter();
    char text[256] = {};
    const int32_t result = CallModule(this, kKavoGet, kKavoCapText, kKavoDataString, text, nullptr, nullptr);
    *out = KavoText(text);
    Leave();
    return result;
}

int32_t CKavoBase::SetCap10String(const char* value)
{
    if (!CanSetCap10())
        return kKavoNotAllowed;
    Enter();
    char text[256] = {};
    std::strncpy(text, value ? value : "", sizeof(text) - 1);
    const int32_t result = CallModule(this, kKavoSet, kKavoCapText, kKavoDataString, text, nullptr, nullptr);
    Leave();
    return result;
}

int32_t CKavoBase::GetCap8Array(uint8_t* buffer, uint32_t* size)
{
    if (!CanSetCap8Array())
        return kKavoNotAllowed;
    Enter();
    int32_t result;
    do {
        KavoArrayRecord array = {};
        uint32_t valid = 0;
        result = ReadArrayValue(kKavoCapByteArray, &array, &valid);
        if (result != kKavoOk)
            continue;
        size_t needed = 0;
        if (!KavoBlockBytes(array.elementCount, array.bytesPerElement, &needed)) {
            result = kKavoOutOfMemory;
        } else if (needed > *size) {
            *size = static_cast<uint32_t>(needed);
            result = kKavoBufferTooSmall;
        } else {
            array.data = buffer;
            result = CallModule(this, kKavoGetArray, kKavoCapByteArray, kKavoDataArray, &array, nullptr, nullptr);
            if (result == kKavoOk)
                *size = static_cast<uint32_t>(needed);
            else if (result != kKavoRepeat)
                *size = 0;
        }
    } while (result == kKavoRepeat);
    Leave();
    return result;
}

int32_t CKavoBase::SetCap8Array(const uint8_t* bytes, uint32_t count)
{
    if (!CanSetCap8Array())
        return kKavoNotAllowed;
    Enter();
    KavoArrayRecord array = {2, count, {count, 0, 0}, 1, 8, const_cast<uint8_t*>(bytes)};
    const int32_t result = CallModule(this, kKavoSet, kKavoCapByteArray, kKavoDataArray, &array, nullptr, nullptr);
    if (result == kKavoOk)
        OnEvent(kKavoEventCapabilityListChanged, 0);
    Leave();
    return result;
}

int32_t CKavoBase::StartCap52()
{
    if (!CanStartCap52())
        return kKavoNotAllowed;
    Enter();
    const int32_t result = CallModule(this, kKavoStart, 52, kKavoDataNone, nullptr, nullptr, nullptr);
    Leave();
    return result;
}

// ---- Groups -----------------------------------------------------------------------

int32_t CKavoBase::GetGroupMembers(uint32_t group, std::vector<CQzKAVOCapInfo>& out)
{
    out.clear();
    auto it = capabilities_.find(group);
    if (it == capabilities_.end())
        return kKavoNoSuchChild;
    if (!(it->second.attributes & kKavoAttrGroup))
        return kKavoNotAllowed;
    if (it->second.type != kKavoCapGroup)
        return kKavoWrongGroupType;
    int32_t result;
    do {
        out.clear();
        KavoArrayRecord array = {};
        result = CallModule(this, kKavoGet, group, kKavoDataArray, &array, nullptr, nullptr);
        if (result != kKavoOk)
            continue;
        if (array.elementCount == 0)
            return kKavoOk;
        // Member ids are 32-bit; the module fills count x its own width.
        size_t bytes = 0;
        if (array.bytesPerElement < 4) {
            result = kKavoWrongGroupType;
            break;
        }
        if (!KavoBlockBytes(array.elementCount, array.bytesPerElement, &bytes)) {
            result = kKavoOutOfMemory;
            break;
        }
        std::vector<uint8_t> block(bytes);
        array.data = block.data();
        result = CallModule(this, kKavoGetArray, group, kKavoDataArray, &array, nullptr, nullptr);
        if (result != kKavoOk)
            continue;
        for (size_t at = 0; at + array.bytesPerElement <= block.size(); at += array.bytesPerElement) {
            uint32_t id;
            std::memcpy(&id, block.data() + at, 4);
            auto member = capabilities_.find(id);
            if (member == capabilities_.end())
                result = kKavoWrongGroupType;
            else
                out.emplace_back(member->second);
        }
    } while (result == kKavoRepeat);
    return result;
}

// ---- Reset to defaults -------------------------------------------------------------

void CKavoBase::ResetToDefaults()
{
    if (CallModule(this, kKavoReset, 0, kKavoDataNone, nullptr, nullptr, nullptr) == kKavoOk)
        return;
    // The module refused: each settable capability is put back by hand, and
    // what the module answers is not examined.
    std::vector<CQzKAVOCapInfo> all;
    GetAllCapabilities(all);
    for (const CQzKAVOCapInfo& capability : all) {
        const tagQzKAVOCapInfo& info = capability.Get();
        if (!(info.operations & kKavoOpSet))
            continue;
        bool reset = false;
        if (!(info.operations & kKavoOpGetDefault)) {
            if (info.type == kKavoCapList) {
                KavoListRecord list = {};
                CallModule(this, kKavoGet, info.id, kKavoDataList, &list, nullptr, nullptr);
                list.currentIndex = list.defaultIndex;
                list.data = nullptr;
                CallModule(this, kKavoSet, info.id, kKavoDataList, &list, nullptr, nullptr);
                reset = true;
            } else if (info.type == kKavoCapRange) {
                KavoRangeRecord range = {};
                CallModule(this, kKavoGet, info.id, kKavoDataRange, &range, nullptr, nullptr);
                range.value = range.defaultValue;
                range.valueIndex = range.defaultIndex;
                CallModule(this, kKavoSet, info.id, kKavoDataRange, &range, nullptr, nullptr);
                reset = true;
            }
        } else if (info.type >= kKavoCapBool && info.type <= kKavoCapDateTime) {
            // Large enough for every value type (a 256-byte text the largest).
            alignas(8) uint8_t value[256] = {};
            const uint32_t dataType = info.type + kValueDataTypeOffset;
            CallModule(this, kKavoGetDefault, info.id, dataType, value, nullptr, nullptr);
            value[sizeof(value) - 1] = 0;
            CallModule(this, kKavoSet, info.id, dataType, value, nullptr, nullptr);
            reset = true;
        }
        if (reset)
            OnCapabilityChanged(info.id, 0);
    }
}
