#include "app/core/clipboard/adjustment_block.h"

#include <algorithm>
#include <limits>

#include "app/core/procset/record_settings.h"

namespace qz {

namespace {

constexpr int64_t kMaxBlockSize = std::numeric_limits<int32_t>::max();

// The object behind a section and its on/off flag (null for size and resolution).
struct SectionSource {
    const IQzState* object;
    const uint32_t* flag;
};

SectionSource Source(const CQzRecordSettings& record, int32_t index)
{
    switch (index) {
    case kSectionCurves:
        return {&record.curves, &record.curvesOn};
    case kSectionColourBalance:
        return {&record.colourBalance, &record.colourBalanceOn};
    case kSectionSizeRes:
        return {&record.sizeRes, nullptr};
    case kSectionUsm:
        return {&record.usm, &record.usmOn};
    case kSectionExposure:
        return {&record.exposure, &record.exposureOn};
    case kSectionWhiteBalance:
        return {&record.whiteBalance, &record.whiteBalanceOn};
    default:
        return {&record.noiseReduction, &record.noiseReductionOn};
    }
}

void PutU32(uint8_t* at, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        at[i] = static_cast<uint8_t>(value >> (8 * i));
}

uint32_t GetU32(const uint8_t* at)
{
    return at[0] | static_cast<uint32_t>(at[1]) << 8 | static_cast<uint32_t>(at[2]) << 16 |
           static_cast<uint32_t>(at[3]) << 24;
}

// Each selected section's size, 0 for the others; false when a blob cannot be measured.
bool SectionSizes(const CQzRecordSettings& record, uint32_t mask, int64_t sizes[kSectionCount])
{
    for (int32_t i = 0; i < kSectionCount; ++i) {
        sizes[i] = 0;
        if (!(mask & kSectionBits[i]))
            continue;
        const SectionSource source = Source(record, i);
        const int32_t blob = source.object->GetSize();
        if (blob < 0)
            return false;
        sizes[i] = static_cast<int64_t>(blob) + (source.flag ? 1 : 0);
    }
    return true;
}

}  // namespace

int64_t MeasureAdjustmentBlock(const CQzRecordSettings& record, uint32_t mask)
{
    int64_t sizes[kSectionCount];
    if (!(mask & kAdjustAll) || !SectionSizes(record, mask, sizes))
        return 0;
    int64_t total = kAdjustmentHeaderSize;
    for (int64_t size : sizes)
        total += size;
    return total <= kMaxBlockSize ? total : 0;
}

bool WriteAdjustmentBlock(const CQzRecordSettings& record, uint32_t mask, uint8_t* block, int64_t size)
{
    const int64_t needed = MeasureAdjustmentBlock(record, mask);
    if (!block || needed == 0 || size < needed)
        return false;
    int64_t sizes[kSectionCount];
    SectionSizes(record, mask, sizes);
    for (int32_t i = 0; i < kSectionCount; ++i)
        PutU32(block + 4 * i, static_cast<uint32_t>(sizes[i]));
    int64_t at = kAdjustmentHeaderSize;
    for (int32_t i = 0; i < kSectionCount; ++i) {
        if (!sizes[i])
            continue;
        const SectionSource source = Source(record, i);
        int64_t blobAt = at;
        if (source.flag)
            block[blobAt++] = static_cast<uint8_t>(*source.flag);
        // A blob that came out other than measured would leave the header wrong.
        const int32_t blobSize = static_cast<int32_t>(at + sizes[i] - blobAt);
        const int32_t room = static_cast<int32_t>(std::min<int64_t>(size - blobAt, kMaxBlockSize));
        if (source.object->GetData(block + blobAt, room) != blobSize)
            return false;
        at += sizes[i];
    }
    return true;
}

bool ReadAdjustmentBlock(const uint8_t* block, uint64_t size, AdjustmentBlock& out)
{
    out = AdjustmentBlock();
    if (!block || size < static_cast<uint64_t>(kAdjustmentHeaderSize))
        return false;
    uint64_t sizes[kSectionCount];
    uint64_t total = 0;
    for (int32_t i = 0; i < kSectionCount; ++i) {
        sizes[i] = GetU32(block + 4 * i);
        total += sizes[i];
    }
    if (total > size - kAdjustmentHeaderSize)
        return false;
    AdjustmentBlock read;
    uint64_t at = kAdjustmentHeaderSize;
    for (int32_t i = 0; i < kSectionCount; ++i) {
        if (!sizes[i])
            continue;
        const bool flagged = i != kSectionSizeRes;
        const uint64_t blobSize = sizes[i] - (flagged ? 1 : 0);
        if (blobSize > static_cast<uint64_t>(std::numeric_limits<int32_t>::max()))
            return false;
        AdjustmentSection& section = read.sections[i];
        section.present = true;
        section.flag = flagged ? block[at] : 0;
        section.blob = block + at + (flagged ? 1 : 0);
        section.blobSize = static_cast<int32_t>(blobSize);
        at += sizes[i];
    }
    out = read;
    return true;
}

uint32_t ApplyAdjustmentBlock(const AdjustmentBlock& block, CQzRecordSettings& record,
                              const AdjustmentPasteTarget& target)
{
    uint32_t applied = 0;
    auto apply = [&](int32_t index, uint32_t& flag, IQzState& object) {
        const AdjustmentSection& section = block.sections[index];
        if (!section.present)
            return;
        flag = section.flag;
        object.SetData(section.blob, section.blobSize);
        applied |= kSectionBits[index];
    };
    apply(kSectionCurves, record.curvesOn, record.curves);
    apply(kSectionColourBalance, record.colourBalanceOn, record.colourBalance);
    const AdjustmentSection& sizeRes = block.sections[kSectionSizeRes];
    if (sizeRes.present) {
        record.sizeRes.SetDataForImage(sizeRes.blob, sizeRes.blobSize, target.width, target.height);
        applied |= kAdjustSizeRes;
    }
    apply(kSectionUsm, record.usmOn, record.usm);
    if (target.takesRawSettings) {
        apply(kSectionExposure, record.exposureOn, record.exposure);
        apply(kSectionWhiteBalance, record.whiteBalanceOn, record.whiteBalance);
    }
    return applied;
}

}  // namespace qz
