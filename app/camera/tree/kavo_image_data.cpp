#include "app/camera/tree/kavo_image_data.h"

#include <cmath>
#include <cstring>
#include <new>

#include "app/camera/caps/kavo_list_decode.h"
#include "app/camera/queue/command_queue.h"

namespace {

constexpr uint32_t kCap1B = 0x1b;
constexpr uint32_t kCap1C = 0x1c;
constexpr uint32_t kCap1D = 0x1d;
constexpr uint32_t kCap1E = 0x1e;
constexpr uint32_t kCap1F = 0x1f;
constexpr uint32_t kCap20 = 0x20;
constexpr uint32_t kCap22 = 0x22;
constexpr uint32_t kCap23 = 0x23;
constexpr uint32_t kCap24 = 0x24;
constexpr uint32_t kCap25 = 0x25;
constexpr uint32_t kCap26 = 0x26;
constexpr uint32_t kCap27 = 0x27;
constexpr uint32_t kCap28 = 0x28;
constexpr uint32_t kCap29 = 0x29;
constexpr uint32_t kCap2A = 0x2a;
constexpr uint32_t kCap2B = 0x2b;
constexpr uint32_t kCap2C = 0x2c;

// Without capability 0x27 the data is 8 bits a sample.
constexpr uint32_t kPlainBits = 8;

void* AsValue(uint32_t value)
{
    return reinterpret_cast<void*>(static_cast<uintptr_t>(value));
}

// The list's element at an index the module gave; false when it lies outside.
bool ElementAt(const std::vector<uint32_t>& values, uint32_t index, uint32_t* out)
{
    if (index >= values.size())
        return false;
    *out = values[index];
    return true;
}

}  // namespace

CKavoImageData::~CKavoImageData()
{
    values23_.clear();
    if (IsOpen())
        Close();
}

void CKavoImageData::OnCapabilityChanged(uint32_t cap, uint32_t)
{
    if (cap == 0 || cap == kCap1B)
        list1B_.valid = 0;
    if (cap == 0 || cap == kCap26)
        list26_.valid = 0;
    if (cap == 0 || cap == kCap27)
        list27_.valid = 0;
    if (cap == 0 || cap == kCap23) {
        valid23_ = 0;
        isRange23_ = 0;
        values23_.clear();
        values23_.shrink_to_fit();
    }
    if (cap == 0 || cap == kCap2B)
        valid2B_ = 0;
}

// ---- Enumerations of unsigned values ---------------------------------------------------

int32_t CKavoImageData::ReadList(uint32_t cap, CachedList& list)
{
    if (list.valid)
        return kKavoOk;
    const int32_t result = GetListValues(list.values, cap, &list.record, &list.valid);
    if (result != kKavoOk) {
        list.valid = 0;
        list.values.clear();
    }
    return result;
}

int32_t CKavoImageData::GetListCurrent(uint32_t cap, CachedList& list, uint32_t* out)
{
    *out = 0;
    int32_t result;
    if (list.valid) {
        // Only the header again: it carries the current index.
        KavoListRecord header = list.record;
        header.data = nullptr;
        result = CallModule(this, kKavoGet, cap, kKavoDataList, &header, nullptr, nullptr);
        if (result == kKavoOk)
            list.record.currentIndex = header.currentIndex;
    } else {
        result = ReadList(cap, list);
    }
    if (result == kKavoOk && !ElementAt(list.values, list.record.currentIndex, out))
        result = kKavoValueNotOffered;
    return result;
}

int32_t CKavoImageData::GetListDefault(uint32_t cap, CachedList& list, uint32_t* out)
{
    *out = 0;
    int32_t result = ReadList(cap, list);
    if (result == kKavoOk && !ElementAt(list.values, list.record.defaultIndex, out))
        result = kKavoValueNotOffered;
    return result;
}

int32_t CKavoImageData::SetListEntry(uint32_t cap, CachedList& list, uint32_t value)
{
    Enter();
    int32_t result = ReadList(cap, list);
    if (result == kKavoOk) {
        result = kKavoValueNotOffered;
        for (size_t i = 0; i < list.values.size(); ++i)
            if (list.values[i] == value) {
                result = CallModule(this, kKavoSet, cap, kKavoDataUintValue, AsValue(static_cast<uint32_t>(i)),
                                    nullptr, nullptr);
                break;
            }
    }
    Leave();
    // Whatever happened, the next read asks the module again.
    list.valid = 0;
    return result;
}

int32_t CKavoImageData::GetEnum1BList(std::vector<uint32_t>& out)
{
    out.clear();
    if (!HasCapability1B())
        return kKavoNotAllowed;
    const int32_t result = ReadList(kCap1B, list1B_);
    if (result == kKavoOk)
        out = list1B_.values;
    return result;
}

int32_t CKavoImageData::GetEnum1B(uint32_t* out)
{
    *out = 0;
    return HasCapability1B() ? GetListCurrent(kCap1B, list1B_, out) : kKavoNotAllowed;
}

int32_t CKavoImageData::GetEnum1BDefault(uint32_t* out)
{
    *out = 0;
    return HasCapability1B() ? GetListDefault(kCap1B, list1B_, out) : kKavoNotAllowed;
}

int32_t CKavoImageData::SetEnum1B(uint32_t value)
{
    return HasCapability1B() ? SetListEntry(kCap1B, list1B_, value) : kKavoNotAllowed;
}

int32_t CKavoImageData::GetEnum26List(std::vector<uint32_t>& out)
{
    out.clear();
    const int32_t result = ReadList(kCap26, list26_);
    if (result == kKavoOk)
        out = list26_.values;
    return result;
}

int32_t CKavoImageData::GetEnum26(uint32_t* out)
{
    return GetListCurrent(kCap26, list26_, out);
}

int32_t CKavoImageData::GetEnum26Default(uint32_t* out)
{
    return GetListDefault(kCap26, list26_, out);
}

int32_t CKavoImageData::SetEnum26(uint32_t value)
{
    return SetListEntry(kCap26, list26_, value);
}

int32_t CKavoImageData::GetEnum27List(std::vector<uint32_t>& out)
{
    out.clear();
    if (!HasCapability(kCap27)) {
        out.push_back(kPlainBits);
        return kKavoOk;
    }
    const int32_t result = ReadList(kCap27, list27_);
    if (result == kKavoOk)
        out = list27_.values;
    return result;
}

int32_t CKavoImageData::GetEnum27(uint32_t* out)
{
    if (!HasCapability(kCap27)) {
        *out = kPlainBits;
        return kKavoOk;
    }
    return GetListCurrent(kCap27, list27_, out);
}

int32_t CKavoImageData::GetEnum27Default(uint32_t* out)
{
    if (!HasCapability(kCap27)) {
        *out = kPlainBits;
        return kKavoOk;
    }
    return GetListDefault(kCap27, list27_, out);
}

int32_t CKavoImageData::SetEnum27(uint32_t value)
{
    return CanSetCapability27() ? SetListEntry(kCap27, list27_, value) : kKavoNotAllowed;
}

// ---- Capability 0x23: an enumeration or a range of doubles -----------------------------

int32_t CKavoImageData::Read23()
{
    const uint32_t type = GetCapabilityType(kCap23);
    if (type == kKavoCapRange) {
        isRange23_ = 1;
        return ReadRangeValue(kCap23, &range23_, &valid23_);
    }
    if (type != kKavoCapList)
        return kKavoWrongGroupType;
    isRange23_ = 0;
    if (valid23_ && !values23_.empty())
        return kKavoOk;
    valid23_ = 0;
    int32_t result;
    do {
        uint32_t headerValid = 0;
        result = ReadListValue(kCap23, &list23_, &headerValid);
        if (result != kKavoOk)
            continue;
        // The module's widths are its own: only 8-byte elements are doubles.
        size_t bytes = 0;
        if (!KavoBlockBytes(list23_.elementCount, list23_.bytesPerElement, &bytes)) {
            result = kKavoOutOfMemory;
            continue;
        }
        if (list23_.bytesPerElement != sizeof(double)) {
            result = kKavoWrongGroupType;
            continue;
        }
        std::vector<double> values;
        try {
            values.assign(list23_.elementCount, 0.0);
        } catch (const std::bad_alloc&) {
            result = kKavoOutOfMemory;
            continue;
        }
        list23_.data = values.empty() ? nullptr : values.data();
        result = CallModule(this, kKavoGetArray, kCap23, kKavoDataList, &list23_, nullptr, nullptr);
        list23_.data = nullptr;
        if (result == kKavoOk)
            values23_ = std::move(values);
    } while (result == kKavoRepeat);
    valid23_ = result == kKavoOk;
    if (!valid23_)
        values23_.clear();
    return result;
}

int32_t CKavoImageData::GetValue23Info(uint32_t* isRange, KavoRangeRecord* range, KavoListRecord* list)
{
    *isRange = 0;
    if (range)
        *range = KavoRangeRecord{};
    if (list)
        *list = KavoListRecord{};
    if (!HasCapability(kCap23))
        return kKavoNotAllowed;
    Enter();
    const int32_t result = Read23();
    if (result == kKavoOk) {
        *isRange = isRange23_;
        if (isRange23_ && range)
            *range = range23_;
        if (!isRange23_ && list) {
            *list = list23_;
            list->data = values23_.empty() ? nullptr : values23_.data();
        }
    }
    Leave();
    return result;
}

int32_t CKavoImageData::GetValue23(double* out)
{
    *out = 0.0;
    if (!HasCapability(kCap23))
        return kKavoNotAllowed;
    Enter();
    int32_t result;
    if (!valid23_) {
        result = Read23();
    } else if (isRange23_) {
        KavoRangeRecord range = range23_;
        result = CallModule(this, kKavoGet, kCap23, kKavoDataRange, &range, nullptr, nullptr);
        if (result == kKavoOk)
            range23_ = range;
    } else {
        // The elements stay ours: only the current index is taken.
        KavoListRecord header = list23_;
        header.data = nullptr;
        result = CallModule(this, kKavoGet, kCap23, kKavoDataList, &header, nullptr, nullptr);
        if (result == kKavoOk)
            list23_.currentIndex = header.currentIndex;
    }
    if (result == kKavoOk) {
        if (isRange23_)
            *out = range23_.value;
        else if (list23_.currentIndex < values23_.size())
            *out = values23_[list23_.currentIndex];
        else
            result = kKavoValueNotOffered;
    }
    Leave();
    return result;
}

int32_t CKavoImageData::GetValue23Default(double* out)
{
    *out = 0.0;
    if (!HasCapability(kCap23))
        return kKavoNotAllowed;
    Enter();
    int32_t result = valid23_ ? kKavoOk : Read23();
    if (result == kKavoOk) {
        if (isRange23_)
            *out = range23_.defaultValue;
        else if (list23_.defaultIndex < values23_.size())
            *out = values23_[list23_.defaultIndex];
        else
            result = kKavoValueNotOffered;
    }
    Leave();
    return result;
}

int32_t CKavoImageData::SetValue23(double value, bool nearest)
{
    if (!HasCapability(kCap23))
        return kKavoNotAllowed;
    Enter();
    int32_t result = kKavoOk;
    if (!valid23_ || (!isRange23_ && values23_.empty()))
        result = Read23();
    if (result == kKavoOk && std::isnan(value))
        result = kKavoValueNotOffered;
    if (result == kKavoOk && !isRange23_) {
        size_t chosen = values23_.size();
        for (size_t i = 0; i < values23_.size() && chosen == values23_.size(); ++i)
            if (values23_[i] == value)
                chosen = i;
        if (chosen == values23_.size() && nearest) {
            // The smallest element above the value.
            for (size_t i = 0; i < values23_.size(); ++i)
                if (values23_[i] > value && (chosen == values23_.size() || values23_[i] < values23_[chosen]))
                    chosen = i;
        }
        result = chosen == values23_.size()
                     ? kKavoValueNotOffered
                     : CallModule(this, kKavoSet, kCap23, kKavoDataUintValue, AsValue(static_cast<uint32_t>(chosen)),
                                  nullptr, nullptr);
    } else if (result == kKavoOk) {
        KavoRangeRecord range = range23_;
        if (range.stepCount == 0) {
            range.value = value;
        } else {
            const double step = static_cast<double>(range.stepCount);
            if (value < range.lower && nearest)
                value = range.lower;
            if (value < range.lower || value > range.upper) {
                result = kKavoValueNotOffered;
            } else {
                const double q = (value - range.lower) / step;
                const double whole = std::floor(q);
                if (!(q <= 4294967294.0))
                    result = kKavoValueNotOffered;
                else if (whole == q)
                    range.valueIndex = static_cast<uint32_t>(q);
                else if (nearest)
                    range.valueIndex = static_cast<uint32_t>(whole) + 1;
                else
                    result = kKavoValueNotOffered;
            }
        }
        if (result == kKavoOk)
            result = CallModule(this, kKavoSet, kCap23, kKavoDataRange, &range, nullptr, nullptr);
    }
    Leave();
    return result;
}

// ---- Range 0x2b --------------------------------------------------------------------------

int32_t CKavoImageData::GetRange2B(KavoRangeRecord* out)
{
    *out = KavoRangeRecord{};
    if (!HasCapability2B())
        return kKavoNotAllowed;
    if (!valid2B_) {
        KavoRangeRecord range = {};
        const int32_t result = CallModule(this, kKavoGet, kCap2B, kKavoDataRange, &range, nullptr, nullptr);
        if (result != kKavoOk)
            return result;
        range2B_ = range;
    }
    *out = range2B_;
    valid2B_ = 1;
    return kKavoOk;
}

int32_t CKavoImageData::GetRange2BValue(double* out)
{
    *out = 0.0;
    const int32_t result = ReadRangeValue(kCap2B, &range2B_, &valid2B_);
    if (result == kKavoOk)
        *out = range2B_.value;
    return result;
}

int32_t CKavoImageData::GetRange2BDefault(double* out)
{
    *out = 0.0;
    const int32_t result = ReadRangeValue(kCap2B, &range2B_, &valid2B_);
    if (result == kKavoOk)
        *out = range2B_.defaultValue;
    return result;
}

int32_t CKavoImageData::SetRange2BValue(double value)
{
    if (!CanSet(kCap2B))
        return kKavoNotAllowed;
    range2B_.value = value;
    const int32_t result = CallModule(this, kKavoSet, kCap2B, kKavoDataRange, &range2B_, nullptr, nullptr);
    valid2B_ = 0;
    return result;
}

// ---- Rectangles, size, booleans ----------------------------------------------------------

int32_t CKavoImageData::GetRect22(KavoRect* out)
{
    *out = KavoRect{};
    if (!CanGet(kCap22))
        return kKavoNotAllowed;
    KavoRect rect = {};
    const int32_t result = CallModule(this, kKavoGet, kCap22, kKavoDataRect, &rect, nullptr, nullptr);
    if (result == kKavoOk)
        *out = rect;
    return result;
}

int32_t CKavoImageData::GetRect22Default(KavoRect* out)
{
    *out = KavoRect{};
    if (!CanGetDefault(kCap22))
        return kKavoNotAllowed;
    KavoRect rect = {};
    const int32_t result = CallModule(this, kKavoGetDefault, kCap22, kKavoDataRect, &rect, nullptr, nullptr);
    if (result == kKavoOk)
        *out = rect;
    return result;
}

int32_t CKavoImageData::SetRect22(const KavoRect* rect)
{
    if (!CanSet(kCap22) || !rect)
        return kKavoNotAllowed;
    KavoRect copy = *rect;
    return CallModule(this, kKavoSet, kCap22, kKavoDataRect, &copy, nullptr, nullptr);
}

int32_t CKavoImageData::GetSize2C(KavoRect* out)
{
    *out = KavoRect{};
    KavoSize size = {};
    const int32_t result = CallModule(this, kKavoGet, kCap2C, kKavoDataSize, &size, nullptr, nullptr);
    if (result == kKavoOk)
        *out = KavoRect{0, 0, size.width, size.height};
    return result;
}

int32_t CKavoImageData::GetBoolByte(uint32_t cap, uint32_t* out)
{
    uint8_t byte = 0;
    const int32_t result = CallModule(this, kKavoGet, cap, kKavoDataBool, &byte, nullptr, nullptr);
    *out = result == kKavoOk && byte ? 1 : 0;
    return result;
}

int32_t CKavoImageData::SetBoolValue(uint32_t cap, bool value)
{
    return CallModule(this, kKavoSet, cap, kKavoDataBoolValue, AsValue(value ? 1 : 0), nullptr, nullptr);
}

int32_t CKavoImageData::GetBool25(uint32_t* out)
{
    *out = 0;
    return HasCapability25() ? GetBoolByte(kCap25, out) : kKavoNotAllowed;
}

int32_t CKavoImageData::SetBool25(bool value)
{
    return HasCapability25() ? SetBoolValue(kCap25, value) : kKavoNotAllowed;
}

int32_t CKavoImageData::GetBool24(uint32_t* out)
{
    *out = 0;
    return HasCapability24() ? GetBoolByte(kCap24, out) : kKavoNotAllowed;
}

int32_t CKavoImageData::SetBool24(bool value)
{
    return HasCapability24() ? SetBoolValue(kCap24, value) : kKavoNotAllowed;
}

int32_t CKavoImageData::GetBool28(uint32_t* out)
{
    *out = 0;
    return CanGetCapability28() ? GetBoolByte(kCap28, out) : kKavoNotAllowed;
}

int32_t CKavoImageData::SetBool28(bool value)
{
    return CanSetCapability28() ? SetBoolValue(kCap28, value) : kKavoNotAllowed;
}

int32_t CKavoImageData::GetBool2A(uint32_t* out)
{
    *out = 0;
    return CanGetCapability2A() ? GetBoolByte(kCap2A, out) : kKavoNotAllowed;
}

// ---- Array 0x29 --------------------------------------------------------------------------

int32_t CKavoImageData::GetArray29Info(KavoArrayRecord* out)
{
    *out = KavoArrayRecord{};
    if (!HasCapability29())
        return kKavoNotAllowed;
    Enter();
    const int32_t result = ReadArrayValue(kCap29, &array29_, &valid29_);
    if (result == kKavoOk) {
        *out = array29_;
        out->data = nullptr;
    }
    Leave();
    return result;
}

int32_t CKavoImageData::ReadArray29(void* buffer, uint32_t* size)
{
    if (!HasCapability29())
        return kKavoNotAllowed;
    Enter();
    int32_t result;
    do {
        // Always a fresh header: the elements must match what it announces.
        valid29_ = 0;
        result = ReadArrayValue(kCap29, &array29_, &valid29_);
        if (result != kKavoOk) {
            if (result != kKavoRepeat)
                *size = 0;
            continue;
        }
        size_t needed = 0;
        if (!KavoBlockBytes(array29_.elementCount, array29_.bytesPerElement, &needed)) {
            result = kKavoOutOfMemory;
            *size = 0;
        } else if (needed > *size || (needed && !buffer)) {
            *size = static_cast<uint32_t>(needed);
            result = kKavoBufferTooSmall;
        } else {
            array29_.data = buffer;
            result = CallModule(this, kKavoGetArray, kCap29, kKavoDataArray, &array29_, nullptr, nullptr);
            array29_.data = nullptr;
            if (result == kKavoOk)
                *size = static_cast<uint32_t>(needed);
            else if (result != kKavoRepeat)
                *size = 0;
        }
    } while (result == kKavoRepeat);
    Leave();
    return result;
}

int32_t CKavoImageData::WriteArray29(const KavoArrayRecord* record)
{
    if (!HasCapability29())
        return kKavoNotAllowed;
    Enter();
    uint32_t type = 0;
    int32_t result = record ? GetEnum26(&type) : kKavoValueNotOffered;
    if (result == kKavoOk) {
        const uint32_t channels = ChannelCountForType(type);
        const uint32_t given = record->dimensions[1];
        if (channels == given || (channels == 1 && given == 0)) {
            KavoArrayRecord copy = *record;
            result = CallModule(this, kKavoSet, kCap29, kKavoDataArray, &copy, nullptr, nullptr);
        } else {
            result = kKavoValueNotOffered;
        }
    }
    valid29_ = 0;
    Leave();
    return result;
}

uint32_t CKavoImageData::ChannelCountForType(uint32_t type)
{
    if (type <= 1)
        return 1;
    if (type == 4)
        return 4;
    if (type <= 14)
        return 3;
    return 0;
}

// ---- Actions -----------------------------------------------------------------------------

int32_t CKavoImageData::Send(CCommandQueue* queue, uint32_t command, uint32_t cap, uint32_t dataType, void* data)
{
    if (queue) {
        queue->AddCommand(this, command, cap, dataType, data);
        return kKavoOk;
    }
    return CallModule(this, command, cap, dataType, data, nullptr, nullptr);
}

int32_t CKavoImageData::SetBool2A(bool value, CCommandQueue* queue)
{
    if (!CanSetCapability2A())
        return kKavoNotAllowed;
    return Send(queue, kKavoSet, kCap2A, kKavoDataBoolValue, AsValue(value ? 1 : 0));
}

int32_t CKavoImageData::Start1C(bool value, CCommandQueue* queue)
{
    if (!HasCapability1C())
        return kKavoNotAllowed;
    Enter();
    int32_t result = kKavoOk;
    if (HasCapability(kCap1D))
        result = Send(queue, kKavoSet, kCap1D, kKavoDataBoolValue, AsValue(value ? 1 : 0));
    result = Send(queue, kKavoStart, kCap1C, kKavoDataNone, nullptr);
    Leave();
    return queue ? kKavoOk : result;
}

int32_t CKavoImageData::Start1E(const KavoPoint* given, CCommandQueue* queue, bool value)
{
    if (!HasCapability1E())
        return kKavoNotAllowed;
    Enter();
    int32_t result = kKavoOk;
    KavoPoint point = given ? *given : KavoPoint{-1, -1};
    const bool setPoint = CanSetCapability20();
    if (setPoint && (point.x < 0 || point.y < 0)) {
        KavoPoint fallback = {};
        result = CallModule(this, kKavoGetDefault, kCap20, kKavoDataPoint, &fallback, nullptr, nullptr);
        if (result == kKavoOk)
            point = fallback;
    }
    if (result == kKavoOk && HasCapability(kCap1F))
        result = Send(queue, kKavoSet, kCap1F, kKavoDataBoolValue, AsValue(value ? 1 : 0));
    if (result == kKavoOk && setPoint) {
        if (!queue) {
            result = CallModule(this, kKavoSet, kCap20, kKavoDataPoint, &point, nullptr, nullptr);
        } else {
            // The command owns its copy of the point until it completes (or is withdrawn).
            auto* copy = new (std::nothrow) KavoPoint(point);
            auto* owner = copy ? new (std::nothrow) QueuedPoint{this, copy, 1} : nullptr;
            if (!owner) {
                delete copy;
                result = kKavoOutOfMemory;
            } else {
                queue->AddCommand(this, kKavoSet, kCap20, kKavoDataPoint, copy, &ReleaseQueuedPoint, owner);
            }
        }
    }
    // Without a queue an error ends it; a queue still gets its start.
    if (result == kKavoOk || (queue && result == kKavoOutOfMemory)) {
        const int32_t started = Send(queue, kKavoStart, kCap1E, kKavoDataNone, nullptr);
        if (result == kKavoOk)
            result = started;
    }
    Leave();
    return result;
}

int32_t KAVO_CALL CKavoImageData::ReleaseQueuedPoint(KavoObjectRecord*, uint32_t, uint32_t, uint32_t, void*,
                                                     void* reference, int32_t)
{
    auto* owner = static_cast<QueuedPoint*>(reference);
    if (owner && owner->owned)
        delete owner->point;
    delete owner;
    return 0;
}
