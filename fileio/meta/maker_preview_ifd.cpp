#include "fileio/meta/maker_preview_ifd.h"

#include "fileio/quarnite_error.h"
#include "fileio/tiff/ifd_plan.h"

namespace quarnite {
namespace {
constexpr int32_t kSourceId = kSrcMakerNote;
constexpr uint32_t kUnknownGroup = 4;
} // namespace

void MakerPreviewIfd::TranslateOffset(uint32_t* offset)
{
    if (calibrationPending) {
        calibrationPending = false;
        if (offsetBase != 0)
            offsetDelta = static_cast<int32_t>(offsetBase);
        else if (*offset != ifdEnd)
            offsetDelta = static_cast<int32_t>(ifdEnd - *offset);
    }
    *offset = static_cast<uint32_t>(static_cast<int64_t>(*offset) + offsetDelta);
}

IVorlatError* MakerPreviewIfd::ReadPreviewIfd(TiffImageRecord* record)
{
    if (ifdOffset == 0)
        return nullptr;
    if (IVorlatError* err = cursor.Seek(ifdOffset, false))
        return QZ_WRAP(err);
    uint16_t count = 0;
    if (IVorlatError* err = cursor.ReadU16(&count))
        return QZ_WRAP(err);
    if (count == 0)
        return QZ_FAIL(kErrEmptyIfd);
    const bool fileSwap = cursor.swap;
    if (count > 50) {
        // Written in the other byte order.
        cursor.swap = !cursor.swap;
        count = static_cast<uint16_t>(count << 8 | count >> 8);
    }
    struct Restore {
        IfdCursor& cursor;
        bool swap;
        ~Restore() { cursor.swap = swap; }
    } restore{cursor, fileSwap};
    if (!cursor.Fits(ifdOffset + 2ull, 12ull * count))
        return QZ_FAIL(kErrReadPastEnd);
    ifdEnd = ifdOffset + 12 * count + 6;
    uint16_t unit = 2;
    uint16_t positioning = 0;

    for (uint32_t i = 0; i < count; ++i) {
        const uint32_t entryStart = ifdOffset + 2 + 12 * i;
        if (IVorlatError* err = cursor.Seek(entryStart, false))
            return QZ_WRAP(err);
        uint16_t tag = 0;
        if (IVorlatError* err = cursor.ReadU16(&tag))
            return QZ_WRAP(err);
        IVorlatError* err = nullptr;
        uint32_t value = 0;
        switch (tag) {
        case 259:
            if (!(err = ReadIntegerArray(&value, 1, nullptr)))
                record->compression = value;
            break;
        case 282: {
            double resolution = 0.0;
            uint32_t n = 0;
            if (!(err = ReadRationalArray(&resolution, 1, &n)) && n == 1)
                record->resolution = resolution;
            break;
        }
        case 283: break;
        case 296: err = ReadShortArray(&unit, 1, nullptr); break;
        case 513:
            if (!(err = ReadIntegerArray(&value, 1, nullptr))) {
                TranslateOffset(&value);
                record->jpegOffset = value;
            }
            break;
        case 514:
            if (!(err = ReadIntegerArray(&value, 1, nullptr)))
                record->jpegLength = value;
            break;
        case 531: err = ReadShortArray(&positioning, 1, nullptr); break;
        default: err = ReadUnknownEntryToStore(tag, kUnknownGroup); break;
        }
        if (err)
            return QZ_WRAP(err);
    }
    if ((record->jpegOffset == 0 || record->jpegLength == 0) && positioning == 0) {
        record->Reset();
        return nullptr;
    }
    if (unit == 3)
        record->resolution = (record->resolution * 100000.0 + 19680.0) * 2.540585859099108e-5;
    return nullptr;
}

IVorlatError* MakerPreviewIfd::WritePreviewIfd(TiffImageRecord* record)
{
    // Without the maker note's pointer there is nowhere to link the IFD from.
    if (ifdOffset == 0 || !record)
        return nullptr;
    if (IVorlatError* err = cursor.Sync())
        return QZ_WRAP(err);
    const uint32_t place = cursor.position;
    const uint32_t base = record->offsetBase;
    IVorlatError* err = cursor.Seek(ifdOffset, false);
    if (!err)
        err = cursor.WriteU32(place - base);
    if (!err)
        err = cursor.Seek(place, false);
    if (err)
        return QZ_WRAP(err);

    auto value = [this](uint16_t tag, uint16_t type, uint32_t v) {
        return [this, tag, type, v]() { return WriteEntry(tag, type, 1, &v); };
    };
    auto resolution = [this, record](uint16_t tag) {
        return [this, record, tag]() {
            uint32_t pair[2];
            DoublesToRationals(&record->resolution, pair, 1, false);
            return WriteEntry(tag, kTiffRational, 1, pair);
        };
    };
    auto placeholder = [this](uint16_t tag, uint32_t* position) {
        return [this, tag, position]() {
            *position = cursor.position + 8;
            const uint32_t zero = 0;
            return WriteEntry(tag, kTiffLong, 1, &zero);
        };
    };
    IfdPlan plan;
    plan.Add(259, value(259, kTiffShort, record->compression));
    plan.Add(282, resolution(282));
    plan.Add(283, resolution(283));
    plan.Add(296, value(296, kTiffShort, 2));
    plan.Add(513, placeholder(513, &record->stripOffsetPosition));
    plan.Add(514, placeholder(514, &record->stripByteCountPosition));
    if (IVorlatError* e = plan.MergeUnknown(*this, kUnknownGroup))
        return QZ_WRAP(e);
    const uint32_t count = static_cast<uint32_t>(plan.Count());
    if ((err = cursor.WriteU16(static_cast<uint16_t>(count))))
        return QZ_WRAP(err);
    nextDataOffset = cursor.position + 12 * count + 4 - base;
    if ((err = plan.WriteAll()))
        return QZ_WRAP(err);
    if ((err = cursor.WriteU32(0)))
        return QZ_WRAP(err);
    return QZ_WRAP(FlushData());
}

} // namespace quarnite
