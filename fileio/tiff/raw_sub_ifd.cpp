#include "fileio/tiff/raw_sub_ifd.h"

#include <vector>

#include "fileio/quarnite_error.h"
#include "fileio/tiff/ifd_plan.h"

namespace quarnite {
namespace {
constexpr int32_t kSourceId = kSrcExifIfd;
} // namespace

IVorlatError* WriteRawSubIfd(IfdCodec& codec, TiffImageRecord* record, uint32_t group, uint32_t subIfdPosition)
{
    if (!subIfdPosition)
        return nullptr;
    IfdCursor& cursor = codec.cursor;
    if (IVorlatError* err = cursor.Sync())
        return Wrap(kSourceId, __LINE__, err);
    const uint32_t start = cursor.position;
    IVorlatError* err = cursor.Seek(subIfdPosition, false);
    if (!err)
        err = cursor.WriteU32(start);
    if (!err)
        err = cursor.Seek(start, false);
    if (err)
        return Wrap(kSourceId, __LINE__, err);

    // The CFA entries of a mosaic: from the store's Exif CFAPattern, or fixed for 65.
    const int32_t type = record->colorSpace;
    const bool mosaic = type == 64 || type == 65 || type == 66;
    uint32_t repeat[2] = {2, 2};
    std::vector<uint8_t> pattern;
    if (type == 65) {
        repeat[1] = 4;
        pattern = {2, 2, 1, 1, 1, 1, 0, 0};
    } else if (mosaic) {
        IVorlatTagControl* tags = codec.Tags();
        const TagId kCfaPattern = 0xA302;
        if (!tags || !tags->IsExist(kCfaPattern, 0))
            return Fail(kSourceId, __LINE__, kErrNoSuchTag);
        const uint32_t size = tags->GetTagSize(kCfaPattern, 0);
        std::vector<uint8_t> stored;
        if (size < 8 || !TryResize(stored, size))
            return Fail(kSourceId, __LINE__, size < 8 ? kErrBadArgument : kErrAllocation);
        if (IVorlatError* e = tags->GetTagValue(kCfaPattern, tags->GetTagType(kCfaPattern, 0), size, stored.data(), 0))
            return Wrap(kSourceId, __LINE__, e);
        repeat[0] = static_cast<uint32_t>(stored[0] << 8 | stored[1]);
        repeat[1] = static_cast<uint32_t>(stored[2] << 8 | stored[3]);
        pattern.assign(stored.begin() + 4, stored.begin() + 8);
    }

    auto value = [&codec](uint16_t tag, uint16_t type, uint32_t v) {
        return [&codec, tag, type, v]() { return codec.WriteEntry(tag, type, 1, &v); };
    };
    auto placeholder = [&codec](uint16_t tag, uint32_t* position) {
        return [&codec, tag, position]() {
            *position = codec.cursor.position + 8;
            const uint32_t zero = 0;
            return codec.WriteEntry(tag, kTiffLong, 1, &zero);
        };
    };
    auto resolution = [&codec, record](uint16_t tag) {
        return [&codec, record, tag]() {
            uint32_t pair[2];
            DoublesToRationals(&record->resolution, pair, 1, false);
            return codec.WriteEntry(tag, kTiffRational, 1, pair);
        };
    };
    IfdPlan plan;
    plan.Add(254, value(254, kTiffLong, 0));
    plan.Add(256, value(256, kTiffLong, record->width));
    plan.Add(257, value(257, kTiffLong, record->height));
    plan.Add(258, [&codec, record]() {
        const uint32_t n = record->samplesPerPixel > 4 ? 4 : record->samplesPerPixel;
        return codec.WriteEntry(258, kTiffShort, n, record->bitsPerSample);
    });
    plan.Add(259, value(259, kTiffShort, record->compression));
    plan.Add(262, value(262, kTiffShort, static_cast<uint32_t>(record->photometric)));
    plan.Add(273, placeholder(273, &record->stripOffsetPosition));
    plan.Add(274, value(274, kTiffShort, static_cast<uint32_t>(OrientationFromAngle(record->mirrored, record->rotation))));
    plan.Add(277, value(277, kTiffShort, record->samplesPerPixel));
    plan.Add(278, value(278, kTiffLong, record->height));
    plan.Add(279, placeholder(279, &record->stripByteCountPosition));
    plan.Add(282, resolution(282));
    plan.Add(283, resolution(283));
    plan.Add(284, value(284, kTiffShort, 1));
    plan.Add(296, value(296, kTiffShort, 2));
    if (mosaic) {
        plan.Add(33421, [&codec, repeat]() { return codec.WriteEntry(33421, kTiffShort, 2, repeat); });
        plan.Add(33422, [&codec, pattern]() {
            return codec.WriteEntry(33422, kTiffByte, static_cast<uint32_t>(pattern.size()), pattern.data());
        });
    }
    if ((err = plan.MergeUnknown(codec, group)))
        return Wrap(kSourceId, __LINE__, err);
    const uint32_t count = static_cast<uint32_t>(plan.Count());
    if ((err = cursor.WriteU16(static_cast<uint16_t>(count))))
        return Wrap(kSourceId, __LINE__, err);
    codec.nextDataOffset = start + 2 + 12 * count + 4;
    if ((err = plan.WriteAll()))
        return Wrap(kSourceId, __LINE__, err);
    if ((err = cursor.WriteU32(0)))
        return Wrap(kSourceId, __LINE__, err);
    return Wrap(kSourceId, __LINE__, codec.FlushData());
}

} // namespace quarnite
