#include "fileio/meta/gps_ifd.h"

#include <cmath>
#include <cstring>

#include "fileio/quarnite_error.h"
#include "fileio/tiff/ifd_plan.h"

namespace quarnite {
namespace {
constexpr int32_t kSourceId = kSrcGpsIfd;
constexpr TagId kGps = 0x30000;
constexpr uint32_t kUnknownGroup = 6;

// Written type and stored type of GPS tags 0..26.
constexpr struct { uint16_t written; uint32_t stored; } kGpsTable[27] = {
    {kTiffByte, 0x2},     {kTiffAscii, 0x4},    {kTiffRational, 0x8}, {kTiffAscii, 0x4},    {kTiffRational, 0x8},
    {kTiffByte, 0x2},     {kTiffRational, 0x8}, {kTiffRational, 0x8}, {kTiffAscii, 0x2},    {kTiffAscii, 0x2},
    {kTiffAscii, 0x2},    {kTiffRational, 0x8}, {kTiffAscii, 0x2},    {kTiffRational, 0x8}, {kTiffAscii, 0x2},
    {kTiffRational, 0x8}, {kTiffAscii, 0x2},    {kTiffRational, 0x8}, {kTiffAscii, 0x2},    {kTiffAscii, 0x2},
    {kTiffRational, 0x8}, {kTiffAscii, 0x2},    {kTiffRational, 0x8}, {kTiffAscii, 0x2},    {kTiffRational, 0x8},
    {kTiffAscii, 0x2},    {kTiffRational, 0x8},
};

constexpr char kHemispheres[] = "NSEW";

bool IsReference(uint32_t number) { return number == 1 || number == 3; }
bool IsCoordinate(uint32_t number) { return number == 2 || number == 4; }
} // namespace

uint16_t GpsTagType(TagId tag)
{
    return tag >= kGps && tag <= kGps + 26 ? kGpsTable[tag - kGps].written : 0;
}

bool HasGpsEntries(const IVorlatTagControl* tags)
{
    if (!tags)
        return false;
    for (uint32_t number = 0; number <= 26; ++number)
        if (tags->IsExist(kGps + number, 0))
            return true;
    // Unknown GPS tags are written when their number fits an entry.
    const uint32_t count = tags->GetTagCount(kUnknownGroup);
    if (count == 0)
        return false;
    std::vector<tagStrTagInfo> infos;
    if (!TryResize(infos, count))
        return true;  // let the writer report the allocation failure
    IVorlatError* err = tags->GetTagInfo(infos.data(), count, kUnknownGroup);
    if (err) {
        err->Destroy();
        return true;
    }
    for (const tagStrTagInfo& info : infos)
        if (info.tag <= 0xFFFF)
            return true;
    return false;
}

IVorlatError* GpsIfdCodec::WriteIfd()
{
    if (!tags_ || gpsIfdOffset == 0)
        return nullptr;
    IfdPlan plan;
    for (uint32_t number = 0; number <= 26; ++number) {
        const TagId id = kGps + number;
        if (!tags_->IsExist(id, 0))
            continue;
        if (IsReference(number)) {
            plan.Add(number, [this, id]() {
                // A code that cannot be read writes the zero code rather than fail the save.
                char letter[2] = {0, 0};
                uint32_t code = 0xFFFFFFFFu;
                if (tags_->GetTagSize(id, 0) == 4) {
                    IVorlatError* err = tags_->GetTagValue(id, tags_->GetTagType(id, 0), 4, &code, 0);
                    if (err) {
                        err->Destroy();
                        code = 0xFFFFFFFFu;
                    }
                }
                if (code < 4)
                    letter[0] = kHemispheres[code];
                return WriteEntry(static_cast<uint16_t>(id), kTiffAscii, 2, letter);
            });
        } else {
            const uint16_t type = kGpsTable[number].written;
            plan.Add(number, [this, id, type]() { return WriteTagEntry(id, type); });
        }
    }
    if (IVorlatError* err = plan.MergeUnknown(*this, kUnknownGroup))
        return QZ_WRAP(err);
    // An IFD of no entries is no IFD; the pointer is left as it is.
    if (plan.Count() == 0)
        return nullptr;

    if (IVorlatError* err = cursor.Sync())
        return QZ_WRAP(err);
    const uint32_t start = cursor.position;
    if (IVorlatError* err = cursor.Seek(gpsIfdOffset, false))
        return QZ_WRAP(err);
    if (IVorlatError* err = cursor.WriteU32(start))
        return QZ_WRAP(err);
    if (IVorlatError* err = cursor.Seek(start, false))
        return QZ_WRAP(err);
    const uint32_t entries = static_cast<uint32_t>(plan.Count());
    if (IVorlatError* err = cursor.WriteU16(static_cast<uint16_t>(entries)))
        return QZ_WRAP(err);
    nextDataOffset = start + 2 + 12 * entries + 4;
    IVorlatError* err = plan.WriteAll();
    if (!err)
        err = cursor.WriteU32(0);
    if (!err)
        err = FlushData();
    data_.clear();
    return QZ_WRAP(err);
}

IVorlatError* GpsIfdCodec::ReadIfd()
{
    if (!tags_ || gpsIfdOffset == 0)
        return nullptr;
    if (IVorlatError* err = cursor.Seek(gpsIfdOffset, false))
        return QZ_WRAP(err);
    uint16_t entries = 0;
    if (IVorlatError* err = cursor.ReadU16(&entries))
        return QZ_WRAP(err);
    if (entries == 0)
        return nullptr;
    if (!cursor.Fits(gpsIfdOffset + 2ull, 12ull * entries))
        return QZ_FAIL(kErrReadPastEnd);

    for (uint32_t i = 0; i < entries; ++i) {
        if (IVorlatError* err = cursor.Seek(gpsIfdOffset + 2 + 12 * i, false))
            return QZ_WRAP(err);
        uint16_t number = 0;
        if (IVorlatError* err = cursor.ReadU16(&number))
            return QZ_WRAP(err);
        const TagId id = kGps + number;
        IVorlatError* err = nullptr;
        if (number > 26) {
            err = ReadUnknownEntryToStore(number, kUnknownGroup);
        } else if (IsReference(number) || IsCoordinate(number)) {
            IfdEntry entry;
            if ((err = ReadEntry(number, &entry)))
                return QZ_WRAP(err);
            if ((err = tags_->AddTag(id))) {
                if (!ChainHas(err, kErrUnknownTag))
                    return QZ_WRAP(err);
                err->Destroy();
                continue;
            }
            if (IsReference(number)) {
                const char* at = std::strchr(kHemispheres, entry.field[0] & ~0x20);
                if (entry.field[0] && at) {
                    uint32_t code = static_cast<uint32_t>(at - kHemispheres);
                    err = tags_->SetTagValue(id, kTagTypeLongs, 4, &code, 0);
                }
            } else if (entry.type == kTiffRational || entry.type == kTiffSRational) {
                std::vector<uint8_t> bytes;
                if ((err = ReadValueBytes(entry, entry.ByteSize(), false, &bytes))) {
                    if (!ChainHas(err, kErrReadPastEnd))
                        return QZ_WRAP(err);
                    err->Destroy();
                    err = nullptr;
                    continue;
                }
                std::vector<double> values(entry.count);
                bool complete = true;
                for (uint32_t k = 0; k < entry.count && complete; ++k) {
                    uint32_t num, den;
                    std::memcpy(&num, &bytes[8 * k], 4);
                    std::memcpy(&den, &bytes[8 * k + 4], 4);
                    num = cursor.Order32(num);
                    den = cursor.Order32(den);
                    complete = den != 0;
                    if (complete)
                        values[k] = entry.type == kTiffRational
                                        ? static_cast<double>(num) / den
                                        : static_cast<double>(static_cast<int32_t>(num)) / static_cast<int32_t>(den);
                }
                if (!complete)
                    continue;  // the tag stays, without a value
                // Degrees and decimal minutes: the fraction of the minutes becomes seconds.
                if (entry.count == 3 && values[2] == 0.0) {
                    double whole = std::trunc(values[1]);
                    values[2] = (values[1] - whole) * 60.0;
                    values[1] = whole;
                }
                err = tags_->SetTagValue(id, kTagTypeDoubles, 8 * entry.count, values.data(), 0);
            }
        } else {
            err = ReadEntryToStore(id, kGpsTable[number].stored);
        }
        if (err)
            return QZ_WRAP(err);
    }
    return nullptr;
}

} // namespace quarnite
