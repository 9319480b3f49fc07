#include "app/core/procset/image_proc_set.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include "app/core/curves/lut_group.h"
#include "app/core/heuristics/size_res.h"
#include "app/core/procset/record_settings.h"
#include "app/core/settings/blob_cursor.h"
#include "app/core/settings/exposure_adjustment.h"
#include "app/core/settings/usm.h"
#include "app/core/settings/wb_adjustment.h"

namespace {

using qz::ClassId;

constexpr ClassId kContainerId = {
    {0x40, 0xa9, 0x86, 0x7a, 0x1b, 0xe9, 0xd2, 0x11, 0xa9, 0x0a, 0x00, 0xaa, 0x00, 0xb1, 0xc1, 0xb7}};
constexpr ClassId OnOffId(uint8_t first)
{
    return {{first, 0x32, 0xa4, 0x76, 0xa2, 0x17, 0xd4, 0x11, 0xa9, 0x0a, 0x00, 0xaa, 0x00, 0xb1, 0xc1, 0xb7}};
}
constexpr ClassId kUsmOnId = OnOffId(0x00);
constexpr ClassId kCurvesOnId = OnOffId(0x01);
constexpr ClassId kColourBalanceOnId = OnOffId(0x02);
constexpr ClassId kExposureOnId = OnOffId(0x03);
constexpr ClassId kWhiteBalanceOnId = OnOffId(0x04);
constexpr ClassId kFlipId = OnOffId(0x06);
constexpr ClassId kRotationId = OnOffId(0x07);
constexpr ClassId kThirdCurvesOnId = {
    {0x5e, 0xe8, 0x8a, 0x00, 0x36, 0x18, 0x11, 0xd4, 0xb6, 0x6d, 0x00, 0x50, 0xda, 0x5a, 0x1d, 0x0d}};
constexpr ClassId kNameId = {
    {0x40, 0x29, 0x46, 0x24, 0x1e, 0xe7, 0xd4, 0x11, 0xbf, 0xf7, 0x00, 0x01, 0x03, 0x20, 0x81, 0x45}};

constexpr int64_t kHeader = 22;
constexpr int64_t kOnOffSize = 23;
constexpr int64_t kRotationSize = 24;

void PutLE(uint8_t* at, uint64_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        at[i] = static_cast<uint8_t>(value >> (8 * i));
}

uint64_t GetLE(const uint8_t* at, int bytes)
{
    uint64_t value = 0;
    for (int i = 0; i < bytes; ++i)
        value |= static_cast<uint64_t>(at[i]) << (8 * i);
    return value;
}

// Appends records while they fit: the first record that does not fit ends
// the writing, while the size keeps counting every record offered.
class RecordWriter {
public:
    RecordWriter(uint8_t* buffer, int32_t length)
        : buffer_(buffer), length_(buffer && length > 0 ? length : 0)
    {
    }

    // Room for a record of `size` bytes, or null when it is not written.
    uint8_t* Next(int64_t size)
    {
        uint8_t* target = nullptr;
        if (!stopped_ && size_ + size <= length_) {
            target = buffer_ + size_;
            written_ = size_ + size;
        } else {
            stopped_ = true;
        }
        size_ += size;
        return target;
    }

    bool Small(const ClassId& id, uint16_t fieldSize, uint64_t value)
    {
        uint8_t* target = Next(22 + fieldSize);
        if (!target)
            return false;
        std::memcpy(target, id.bytes, 16);
        PutLE(target + 16, 1, 2);
        PutLE(target + 18, 4u + fieldSize, 4);
        PutLE(target + 22, value, fieldSize);
        return true;
    }

    bool Component(const IQzState& state)
    {
        const int64_t size = state.GetSize();
        if (size <= 0 || size >= CQzImageProcSet::kMaxRecordSize)
            return false;
        uint8_t* target = Next(size);
        if (!target)
            return false;
        state.GetData(target, static_cast<int32_t>(size));
        return true;
    }

    int64_t Size() const { return size_; }
    int64_t Written() const { return written_; }
    int64_t Length() const { return length_; }
    void Start(int64_t header) { size_ = header; written_ = std::min<int64_t>(header, length_); }

private:
    uint8_t* buffer_;
    int64_t length_;
    int64_t size_ = 0;
    int64_t written_ = 0;
    bool stopped_ = false;
};

}  // namespace

int32_t CQzImageProcSet::GetData(uint8_t* buffer, int32_t length) const
{
    RecordWriter out(buffer, length);
    const int64_t capacity = out.Length();
    if (capacity >= 16)
        std::memcpy(buffer, kContainerId.bytes, 16);
    if (capacity >= 18)
        PutLE(buffer + 16, 2, 2);
    out.Start(kHeader);

    uint32_t components = 0;
    uint32_t enables = 0;
    const auto onOff = [&](const ClassId& id, uint32_t bit, uint8_t flag) {
        if (out.Small(id, 1, flag))
            enables |= bit;
    };
    const auto component = [&](const IQzState* state, uint32_t bit) {
        if (state && Selected(bit) && out.Component(*state))
            components |= bit;
    };
    // An on/off record goes with an attached object unless the enable mask names it.
    const auto wanted = [&](uint32_t bit, const void* object) {
        return enableMask ? (enableMask & bit) != 0 : object != nullptr;
    };

    if (wanted(kProcUsm, usm))
        onOff(kUsmOnId, kProcUsm, usmOn);
    component(usm, kProcUsm);
    if (wanted(kProcCurves, curves))
        onOff(kCurvesOnId, kProcCurves, curvesOn);
    if (curves && Selected(kProcCurves)) {
        curves->SetKind(1);
        component(curves, kProcCurves);
    }
    if (wanted(kProcColourBalance, colourBalance))
        onOff(kColourBalanceOnId, kProcColourBalance, colourBalanceOn);
    if (colourBalance && Selected(kProcColourBalance)) {
        colourBalance->SetKind(2);
        component(colourBalance, kProcColourBalance);
    }
    if (Selected(kProcFlip) && out.Small(kFlipId, 1, flip))
        components |= kProcFlip;
    if (Selected(kProcRotation) && out.Small(kRotationId, 2, static_cast<uint16_t>(rotation)))
        components |= kProcRotation;
    component(sizeRes, kProcSizeRes);
    if (Enabled(kProcExposure))
        onOff(kExposureOnId, kProcExposure, exposureOn);
    component(exposure, kProcExposure);
    if (Enabled(kProcWhiteBalance))
        onOff(kWhiteBalanceOnId, kProcWhiteBalance, whiteBalanceOn);
    component(whiteBalance, kProcWhiteBalance);

    const int64_t nameLength = name.IsEmpty() ? 0 : name.GetLength();
    if (nameLength > 0 && Selected(kProcName) && 23 + nameLength < kMaxRecordSize) {
        if (uint8_t* target = out.Next(23 + nameLength)) {
            std::memcpy(target, kNameId.bytes, 16);
            PutLE(target + 16, 1, 2);
            PutLE(target + 18, static_cast<uint64_t>(nameLength + 5), 4);
            std::memcpy(target + 22, static_cast<const char*>(name), static_cast<size_t>(nameLength));
            target[22 + nameLength] = 0;
            components |= kProcName;
        }
    }

    if (capacity >= kHeader && out.Written() > kHeader)
        PutLE(buffer + 18, static_cast<uint64_t>(out.Written() - 18), 4);
    componentsDone = components;
    enablesDone = enables;
    return static_cast<int32_t>(out.Size());
}

int32_t CQzImageProcSet::SetDataMasked(const uint8_t* buffer, int32_t length, int32_t width, int32_t height)
{
    componentsDone = 0;
    enablesDone = 0;
    if (!qz::StartsWith(buffer, length, kContainerId))
        return 0;
    if (length < 18)
        return 16;
    const uint16_t version = static_cast<uint16_t>(GetLE(buffer + 16, 2));
    if (version == 1)
        return ReadVersion1(buffer, length, width, height);
    if (version == 2)
        return ReadVersion2(buffer, length, width, height);
    return version > 2 && length >= kHeader ? static_cast<int32_t>(kHeader) : 18;
}

void CQzImageProcSet::ApplySizeRes(const uint8_t* blob, int32_t size, int32_t width, int32_t height)
{
    if (!blob || !sizeRes || !Selected(kProcSizeRes))
        return;
    if (rotation % 180 != 0)
        sizeRes->SetDataForImage(blob, size, height, width);
    else
        sizeRes->SetDataForImage(blob, size, width, height);
    componentsDone |= kProcSizeRes;
}

int32_t CQzImageProcSet::ReadVersion1(const uint8_t* buffer, int32_t length, int32_t width, int32_t height)
{
    qz::BlobReader in(buffer, length);
    in.Skip(18);
    const auto section = [&](uint8_t& on, uint32_t bit, IQzState* state) {
        uint8_t flag = 0;
        if (in.Get(flag) && Enabled(bit)) {
            on = flag;
            enablesDone |= bit;
        }
        uint32_t n = 0;
        in.Get(n);
        n &= 0xFFFF;
        const uint8_t* blob = in.Take(n);
        if (blob && state && Selected(bit)) {
            state->SetData(blob, static_cast<int32_t>(n));
            componentsDone |= bit;
        }
    };
    section(usmOn, kProcUsm, usm);
    section(curvesOn, kProcCurves, curves);
    section(colourBalanceOn, kProcColourBalance, colourBalance);
    uint32_t n = 0;
    in.Get(n);
    n &= 0xFFFF;
    const uint8_t* sizeBlob = in.Take(n);
    uint8_t storedFlip = 0;
    if (in.Get(storedFlip) && Selected(kProcFlip)) {
        flip = storedFlip;
        componentsDone |= kProcFlip;
    }
    int16_t storedRotation = 0;
    if (in.Get(storedRotation) && Selected(kProcRotation)) {
        rotation = storedRotation;
        componentsDone |= kProcRotation;
    }
    ApplySizeRes(sizeBlob, static_cast<int32_t>(n), width, height);

    const bool wbSelected = whiteBalance && Selected(kProcWhiteBalance);
    if (in.Covers(0) && wbSelected) {
        whiteBalance->mode = 2;
        whiteBalance->gain1 = 1.0;
        whiteBalance->gain2 = 1.0;
    }
    // The version 1 gains are relative to the camera's recorded ones.
    double gains[2] = {0.0, 0.0};
    const bool read[2] = {in.Get(gains[0]), in.Get(gains[1])};
    const double scales[2] = {legacyGainScale1, legacyGainScale2};
    for (int i = 0; i < 2; ++i) {
        if (!read[i] || scales[i] == 0.0 || !wbSelected)
            continue;
        whiteBalance->mode = 1;
        (i == 0 ? whiteBalance->gain1 : whiteBalance->gain2) = gains[i] * scales[i];
        componentsDone |= kProcWhiteBalance;
        if (Enabled(kProcWhiteBalance)) {
            whiteBalanceOn = 1;
            enablesDone |= kProcWhiteBalance;
        }
    }
    return static_cast<int32_t>(std::min<uint64_t>(in.Position(), static_cast<uint64_t>(length)));
}

int32_t CQzImageProcSet::ReadVersion2(const uint8_t* buffer, int32_t length, int32_t width, int32_t height)
{
    for (CQzLutGroup* group : {Selected(kProcCurves) ? curves : nullptr,
                               Selected(kProcColourBalance) ? colourBalance : nullptr}) {
        if (group)
            group->Reset(true);
    }
    if (length < kHeader)
        return 18;
    const int64_t declared = static_cast<int64_t>(GetLE(buffer + 18, 4));
    const int64_t end = declared + 18;
    const int64_t available = length;
    const uint8_t* sizeBlob = nullptr;
    int32_t sizeBlobLength = 0;
    bool readCurves = false;
    bool readColourBalance = false;

    const struct {
        const ClassId& id;
        uint32_t bit;
        uint8_t* flag;
    } onOffs[] = {
        {kUsmOnId, kProcUsm, &usmOn},
        {kCurvesOnId, kProcCurves, &curvesOn},
        {kColourBalanceOnId, kProcColourBalance, &colourBalanceOn},
        {kThirdCurvesOnId, kProcThirdCurves, &thirdCurvesOn},
        {kExposureOnId, kProcExposure, &exposureOn},
        {kWhiteBalanceOnId, kProcWhiteBalance, &whiteBalanceOn},
    };

    int64_t position = kHeader;
    // Each record needs its id and length; one that counts fewer bytes than
    // that could never move the reading on.
    while (position + kHeader <= end && position + kHeader <= available) {
        const uint8_t* record = buffer + position;
        const uint64_t declaredLength = GetLE(record + 18, 4);
        int64_t counted = static_cast<int64_t>((declaredLength + 18) & 0xFFFF);
        bool onOff = false;
        for (const auto& entry : onOffs)
            onOff |= entry.id.Matches(record);
        if (onOff || kFlipId.Matches(record))
            counted = kOnOffSize;
        else if (kRotationId.Matches(record))
            counted = kRotationSize;
        if (counted < kHeader)
            break;
        const bool whole = position + counted <= available;
        if (whole) {
            const int32_t size = static_cast<int32_t>(counted);
            for (const auto& entry : onOffs) {
                if (entry.id.Matches(record) && Enabled(entry.bit)) {
                    *entry.flag = record[22];
                    enablesDone |= entry.bit;
                }
            }
            if (kFlipId.Matches(record) && Selected(kProcFlip)) {
                flip = record[22];
                componentsDone |= kProcFlip;
            } else if (kRotationId.Matches(record) && Selected(kProcRotation)) {
                rotation = static_cast<int16_t>(GetLE(record + 22, 2));
                componentsDone |= kProcRotation;
            } else if (qz::kUsmListId.Matches(record) || qz::kExposureAdjustmentId.Matches(record) ||
                       qz::kWBAdjustmentId.Matches(record)) {
                IQzState* state = nullptr;
                uint32_t bit = 0;
                if (qz::kUsmListId.Matches(record)) {
                    state = usm;
                    bit = kProcUsm;
                } else if (qz::kExposureAdjustmentId.Matches(record)) {
                    state = exposure;
                    bit = kProcExposure;
                } else {
                    state = whiteBalance;
                    bit = kProcWhiteBalance;
                }
                if (state && Selected(bit)) {
                    state->SetData(record, size);
                    componentsDone |= bit;
                }
            } else if (qz::kLutGroupId.Matches(record)) {
                const auto probe = std::make_unique<CQzLutGroup>();
                if (probe->SetData(record, size) > 0) {
                    CQzLutGroup* target = nullptr;
                    uint32_t bit = 0;
                    if (probe->GetKind() == 1) {
                        target = curves;
                        bit = kProcCurves;
                    } else if (probe->GetKind() == 2) {
                        target = colourBalance;
                        bit = kProcColourBalance;
                    } else if (probe->GetKind() == 3) {
                        target = thirdCurves;
                        bit = kProcThirdCurves;
                    }
                    if (target && Selected(bit)) {
                        target->SetData(record, size);
                        componentsDone |= bit;
                        readCurves |= bit == kProcCurves;
                        readColourBalance |= bit == kProcColourBalance;
                    }
                }
            } else if (qz::kSizeResId.Matches(record)) {
                sizeBlob = record;
                sizeBlobLength = size;
            } else if (kNameId.Matches(record) && Enabled(kProcName)) {
                // Terminated within the record, whatever the record holds.
                const char* text = reinterpret_cast<const char*>(record + 22);
                const void* zero = std::memchr(text, 0, static_cast<size_t>(size - 22));
                const int32_t count = zero ? static_cast<int32_t>(static_cast<const char*>(zero) - text) : size - 22;
                name = CQzString(text, count);
                componentsDone |= kProcName;
            }
        }
        position += counted;
    }

    ApplySizeRes(sizeBlob, sizeBlobLength, width, height);

    curvesConverted = 0;
    const struct {
        CQzLutGroup* group;
        bool read;
        bool isCurves;
        uint32_t bit;
    } groups[] = {{curves, readCurves, true, kProcCurves}, {colourBalance, readColourBalance, false, kProcColourBalance}};
    for (const auto& g : groups) {
        if (!g.group || !Selected(g.bit) || g.group->GetChannelCount() == 4)
            continue;
        if (g.read)
            curvesConverted = 1;
        g.group->RemoveExtraChannels();
        if (g.isCurves) {
            if (auto* master = dynamic_cast<CQzLutChannel*>(g.group->GetChannel(0)))
                master->SetColours(master->GetCurveColour(), {0, 0, 0}, {255, 255, 255});
            AddRecordCurveChannels(*g.group);
            g.group->Reset(false);
        } else {
            AddRecordColourBalanceChannels(*g.group);
        }
    }
    if (whiteBalance && Selected(kProcWhiteBalance) && (whiteBalance->gain1 == 0.0 || whiteBalance->gain2 == 0.0)) {
        whiteBalance->mode = 2;
        whiteBalance->gain1 = 1.0;
        whiteBalance->gain2 = 1.0;
    }
    return static_cast<int32_t>(std::min<int64_t>(position, available));
}
