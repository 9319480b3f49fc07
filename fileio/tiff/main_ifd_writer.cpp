#include <cstring>

#include "fileio/meta/gps_ifd.h"
#include "fileio/meta/iptc_codec.h"
#include "fileio/quarnite_error.h"
#include "fileio/stream_impl.h"
#include "fileio/tiff/ifd_plan.h"
#include "fileio/tiff/main_ifd.h"

namespace quarnite {
namespace {
constexpr int32_t kSourceId = kSrcExifIfd;

enum Flags : uint32_t { kStrips = 1, kYCbCr = 2, kJpeg = 4, kRaw = 8, kJpegThumbnail = 16 };

// The profile file named by a path value, read whole.
IVorlatError* ReadProfileFile(const IVorlatTagControl* tags, std::vector<uint8_t>* bytes)
{
    _VorlatFile file{};
    uint32_t size = tags->GetTagSize(0x8773, 0);
    if (IVorlatError* err = tags->GetTagValue(0x8773, kTagTypeProfilePath, size, file.path, 0))
        return QZ_WRAP(err);
    IVorlatFileStream* stream = nullptr;
    if (IVorlatError* err = IVorlatFileStream::CreateFileStream(&stream))
        return QZ_WRAP(err);
    IVorlatError* err = stream->SetFile(file);
    if (!err)
        err = stream->OpenStream(true);
    uint32_t length = 0;
    if (!err)
        err = stream->GetSize(&length);
    if (!err && !TryResize(*bytes, length))
        err = QZ_FAIL(kErrAllocation);
    if (!err)
        err = stream->LoadToMemory(bytes->data(), length);
    stream->CloseStream();
    stream->Destroy();
    return QZ_WRAP(err);
}
} // namespace

IVorlatError* MainIfdCodec::WriteIfd(int index, uint32_t group, TiffImageRecord* record)
{
    uint32_t flags = 0;
    if (index == 0) {
        if (format == 0x1)
            flags = record->photometric == 6 ? (kStrips | kYCbCr) : kStrips;
        else if (format == 0x10 || format == 0x20)
            flags = kYCbCr | kJpeg;
        else if (format == 0x100000)
            flags = kStrips | kRaw;
        else
            return QZ_FAIL(kErrUnknownFormat);
    } else {
        if (format == 0x100000)
            return nullptr;
        flags = record->compression == 6 ? kJpegThumbnail : kStrips;
    }

    // A pointer of an earlier write must not be taken for one of this IFD.
    if (index == 0)
        exifPointerPosition = gpsPointerPosition = 0;

    if (IVorlatError* err = cursor.Sync())
        return QZ_WRAP(err);
    const uint32_t start = cursor.position;
    if (linkPosition) {
        if (IVorlatError* err = cursor.Seek(linkPosition, false))
            return QZ_WRAP(err);
        if (IVorlatError* err = cursor.WriteU32(start))
            return QZ_WRAP(err);
        if (IVorlatError* err = cursor.Seek(start, false))
            return QZ_WRAP(err);
    }

    IVorlatTagControl* tags = tags_;
    auto present = [tags](TagId tag) { return tags && tags->IsExist(tag, 0); };
    const bool strips = flags & kStrips;
    // Value fields of placeholders lie 8 bytes into their entry.
    auto placeholder = [this](uint16_t tag, uint32_t* position) {
        return [this, tag, position]() -> IVorlatError* {
            *position = cursor.position + 8;
            uint32_t zero = 0;
            return WriteEntry(tag, kTiffLong, 1, &zero);
        };
    };
    auto longValue = [this](uint16_t tag, uint16_t type, uint32_t value) {
        return [this, tag, type, value]() -> IVorlatError* { return WriteEntry(tag, type, 1, &value); };
    };
    auto text = [this](uint16_t tag) { return [this, tag]() { return WriteTagEntry(tag, kTiffAscii); }; };
    auto resolution = [this, record](uint16_t tag) {
        return [this, record, tag]() -> IVorlatError* {
            uint32_t pair[2];
            DoublesToRationals(&record->resolution, pair, 1, false);
            return WriteEntry(tag, kTiffRational, 1, pair);
        };
    };

    IfdPlan plan;
    // Reduced resolution: the preview in front of a raw image, or a stripped
    // thumbnail. The main image of a plain TIFF is a full-resolution image.
    if ((flags & kRaw) || (index == 1 && strips))
        plan.Add(254, longValue(254, kTiffLong, 1));
    if (strips) {
        plan.Add(256, longValue(256, kTiffLong, record->width));
        plan.Add(257, longValue(257, kTiffLong, record->height));
        plan.Add(258, [this, record]() {
            uint32_t n = record->samplesPerPixel > 4 ? 4 : record->samplesPerPixel;
            return WriteEntry(258, kTiffShort, n, record->bitsPerSample);
        });
    }
    if (strips || index == 1)
        plan.Add(259, longValue(259, kTiffShort, record->compression));
    if (strips)
        plan.Add(262, longValue(262, kTiffShort, static_cast<uint32_t>(record->photometric)));
    if (index == 0) {
        if (present(270)) plan.Add(270, text(270));
        if (present(271)) plan.Add(271, text(271));
        if (present(272)) plan.Add(272, text(272));
    }
    if (strips)
        plan.Add(273, placeholder(273, &record->stripOffsetPosition));
    // A JPEG's coded image stays as stored: its Exif IFD 0 is where the orientation lives.
    if (strips || (index == 0 && (flags & kJpeg)))
        plan.Add(274, longValue(274, kTiffShort, static_cast<uint32_t>(OrientationFromAngle(record->mirrored, record->rotation))));
    if (strips) {
        plan.Add(277, longValue(277, kTiffShort, record->samplesPerPixel));
        plan.Add(278, longValue(278, kTiffLong, record->height));
        plan.Add(279, placeholder(279, &record->stripByteCountPosition));
    }
    plan.Add(282, resolution(282));
    plan.Add(283, resolution(283));
    if (strips)
        plan.Add(284, longValue(284, kTiffShort, 1));
    plan.Add(296, longValue(296, kTiffShort, 2));
    if (index == 0) {
        if (present(305)) plan.Add(305, text(305));
        if (present(306)) plan.Add(306, text(306));
        if (present(315)) plan.Add(315, text(315));
    }
    if (flags & kRaw) {
        plan.Add(330, [this, record]() -> IVorlatError* {
            uint32_t zeros[2] = {};
            if (record->colorSpace == 66) {
                subIfdPositions[0] = nextDataOffset;
                subIfdPositions[1] = nextDataOffset + 4;
                return WriteEntry(330, kTiffLong, 2, zeros);
            }
            subIfdPositions[0] = cursor.position + 8;
            subIfdPositions[1] = 0;
            return WriteEntry(330, kTiffLong, 1, zeros);
        });
    }
    if (flags & kJpegThumbnail) {
        plan.Add(513, placeholder(513, &record->stripOffsetPosition));
        plan.Add(514, placeholder(514, &record->stripByteCountPosition));
    }
    if (index == 0 && (flags & kYCbCr) && !(flags & kJpeg)) {
        plan.Add(530, [this]() {
            uint32_t sampling[2] = {2, 1};
            return WriteEntry(530, kTiffShort, 2, sampling);
        });
    }
    if (index == 0 && (flags & kYCbCr))
        plan.Add(531, longValue(531, kTiffShort, (flags & kJpeg) ? 1 : 2));
    if (index == 0) {
        if (present(532)) plan.Add(532, [this]() { return WriteTagEntry(532, kTiffLong); });
        if (present(33432)) plan.Add(33432, text(33432));
        if (!(flags & kJpeg) && present(kTagIptc)) plan.Add(kTagIptc, [this]() { return WriteIptcEntry(*this); });
        if (tags) plan.Add(34665, placeholder(34665, &exifPointerPosition));
        if (!(flags & kJpeg) && present(0x8773)) {
            plan.Add(0x8773, [this, tags]() -> IVorlatError* {
                if (tags->GetTagType(0x8773, 0) != kTagTypeProfilePath)
                    return WriteTagEntry(0x8773, kTiffUndefined);
                std::vector<uint8_t> profile;
                if (IVorlatError* err = ReadProfileFile(tags, &profile))
                    return QZ_WRAP(err);
                return WriteEntry(0x8773, kTiffUndefined, static_cast<uint32_t>(profile.size()), profile.data());
            });
        }
        if (HasGpsEntries(tags)) plan.Add(34853, placeholder(34853, &gpsPointerPosition));
    }
    if (flags & kRaw) {
        plan.Add(37398, [this]() {
            const uint8_t id[4] = {1, 0, 0, 0};
            return WriteEntry(37398, kTiffByte, 4, id);
        });
    }
    if (IVorlatError* err = plan.MergeUnknown(*this, group))
        return QZ_WRAP(err);
    if (plan.Count() > 0xFFFF)
        return QZ_FAIL(kErrBadArgument);

    const uint32_t entries = static_cast<uint32_t>(plan.Count());
    if (IVorlatError* err = cursor.WriteU16(static_cast<uint16_t>(entries)))
        return QZ_WRAP(err);
    nextDataOffset = start + 2 + 12 * entries + 4;
    if (IVorlatError* err = plan.WriteAll())
        return QZ_WRAP(err);
    linkPosition = cursor.position;
    if (IVorlatError* err = cursor.WriteU32(0))
        return QZ_WRAP(err);
    return QZ_WRAP(FlushData());
}

} // namespace quarnite
