#include <cstring>

#include "fileio/meta/iptc_codec.h"
#include "fileio/quarnite_error.h"
#include "fileio/tiff/main_ifd.h"

namespace quarnite {
namespace {
constexpr int32_t kSourceId = kSrcExifIfd;
constexpr TagId kTagCfaPatternExif = 0xA302;

// The entry's integers (SHORT or LONG); nothing for another type or a value
// that is not inside the stream.
IVorlatError* ReadInts(IfdCodec& codec, const IfdEntry& entry, uint32_t capacity, uint32_t* values, uint32_t* count)
{
    *count = 0;
    if (entry.type != kTiffShort && entry.type != kTiffLong)
        return nullptr;
    uint32_t n = entry.count < capacity ? entry.count : capacity;
    std::vector<uint8_t> bytes;
    if (IVorlatError* err = codec.ReadValueBytes(entry, entry.ByteSize() <= 4 ? entry.ByteSize() : uint64_t(n) * TiffTypeSize(entry.type), true, &bytes)) {
        if (!ChainHas(err, kErrReadPastEnd))
            return err;
        err->Destroy();
        return QZ_WRAP(codec.cursor.Seek(entry.end, false));
    }
    for (uint32_t i = 0; i < n; ++i) {
        if (entry.type == kTiffShort) {
            uint16_t v;
            std::memcpy(&v, &bytes[2 * i], 2);
            values[i] = codec.cursor.Order16(v);
        } else {
            uint32_t v;
            std::memcpy(&v, &bytes[4 * i], 4);
            values[i] = codec.cursor.Order32(v);
        }
    }
    *count = n;
    return nullptr;
}
} // namespace

IVorlatError* MainIfdCodec::ReadStripTable(const IfdEntry& entry, std::vector<uint32_t>* table, uint32_t* count)
{
    if (entry.type != kTiffShort && entry.type != kTiffLong)
        return QZ_FAIL(kErrWrongEntryType);
    // The table is structure: one that does not lie inside the file fails the IFD.
    const uint64_t size = entry.ByteSize();
    if (size > 4 && !cursor.Fits(FieldU32(entry), size))
        return QZ_FAIL(kErrReadPastEnd);
    if (!TryResize(*table, entry.count))
        return QZ_FAIL(kErrAllocation);
    uint32_t n = 0;
    if (IVorlatError* err = ReadInts(*this, entry, entry.count, table->data(), &n))
        return err;
    *count = n;
    return nullptr;
}

IVorlatError* MainIfdCodec::ReadCfaPattern(const IfdEntry& entry, TiffImageRecord* record)
{
    std::vector<uint8_t> pattern;
    if (IVorlatError* err = ReadValueBytes(entry, entry.count, true, &pattern)) {
        if (!ChainHas(err, kErrReadPastEnd))
            return err;
        err->Destroy();
        return QZ_WRAP(cursor.Seek(entry.end, false));
    }
    if (!pattern.empty())
        std::memcpy(record->cfaPattern, pattern.data(), pattern.size() < 4 ? pattern.size() : 4);

    const uint32_t count = entry.count;
    if (tags_->IsExist(kTagCfaPatternExif, 0)) {
        const uint32_t type = tags_->GetTagType(kTagCfaPatternExif, 0);
        const uint32_t size = tags_->GetTagSize(kTagCfaPatternExif, 0);
        if (size < 4 || size - 4 != count)
            return QZ_FAIL(kErrCountMismatch);
        std::vector<uint8_t> stored;
        if (!TryResize(stored, size))
            return QZ_FAIL(kErrAllocation);
        if (IVorlatError* err = tags_->GetTagValue(kTagCfaPatternExif, type, size, stored.data(), 0))
            return QZ_WRAP(err);
        if (count && std::memcmp(stored.data() + 4, pattern.data(), count) == 0)
            return nullptr;
        if (count)
            std::memcpy(stored.data() + 4, pattern.data(), count);
        return QZ_WRAP(tags_->SetTagValue(kTagCfaPatternExif, type, size, stored.data(), 0));
    }
    if (IVorlatError* err = tags_->AddTag(kTagCfaPatternExif))
        return QZ_WRAP(err);
    std::vector<uint8_t> value;
    if (count == 4) {
        // Exif's form: the repeat dimensions 2 and 2, most significant byte first.
        value = {0, 2, 0, 2};
        value.insert(value.end(), pattern.begin(), pattern.end());
    } else {
        value.swap(pattern);
    }
    return QZ_WRAP(tags_->SetTagValue(kTagCfaPatternExif, kTagTypeBytes, static_cast<uint32_t>(value.size()), value.data(), 0));
}

IVorlatError* MainIfdCodec::ReadIfd(uint32_t offset, TiffImageRecord* record, uint32_t group)
{
    if (offset == 0)
        return nullptr;
    record->Reset();
    exifOffset = gpsOffset = nextIfdOffset = 0;
    subIfdCount = 0;
    if (IVorlatError* err = cursor.Seek(offset, false))
        return QZ_WRAP(err);
    uint16_t entries = 0;
    if (IVorlatError* err = cursor.ReadU16(&entries))
        return QZ_WRAP(err);
    if (entries == 0)
        return QZ_FAIL(kErrEmptyIfd);
    if (!cursor.Fits(offset + 2ull, 12ull * entries + 4))
        return QZ_FAIL(kErrReadPastEnd);

    for (uint32_t i = 0; i < entries; ++i) {
        const uint32_t entryStart = offset + 2 + 12 * i;
        if (IVorlatError* err = cursor.Seek(entryStart, false))
            return QZ_WRAP(err);
        uint16_t tag = 0;
        if (IVorlatError* err = cursor.ReadU16(&tag))
            return QZ_WRAP(err);
        IVorlatError* err = nullptr;
        switch (tag) {
        case 270: case 271: case 272: case 305: case 306: case 315: case 33432:
            err = ReadEntryToStore(tag, kTagTypeText);
            break;
        case 34675: case 37398:
            err = ReadEntryToStore(tag, kTagTypeBytes);
            break;
        default: {
            IfdEntry entry;
            if ((err = ReadEntry(tag, &entry)))
                break;
            uint32_t v[4] = {};
            uint32_t n = 0;
            auto ints = [&](uint32_t capacity) { return ReadInts(*this, entry, capacity, v, &n); };
            switch (tag) {
            case 256: if (!(err = ints(1)) && n) record->width = v[0]; break;
            case 257: if (!(err = ints(1)) && n) record->height = v[0]; break;
            case 258:
                if (!(err = ints(4)))
                    for (uint32_t k = 0; k < n; ++k)
                        record->bitsPerSample[k] = v[k];
                break;
            case 259: if (!(err = ints(1)) && n) record->compression = v[0]; break;
            case 262: if (!(err = ints(1)) && n) record->photometric = static_cast<int32_t>(v[0]); break;
            case 273: err = ReadStripTable(entry, &record->stripOffsets, &record->stripCount); break;
            case 279: err = ReadStripTable(entry, &record->stripByteCounts, &record->stripCount); break;
            case 274: if (!(err = ints(1)) && n) AngleFromOrientation(v[0], &record->mirrored, &record->rotation); break;
            case 277: if (!(err = ints(1)) && n) record->samplesPerPixel = v[0]; break;
            case 278: if (!(err = ints(1)) && n) record->rowsPerStrip = v[0]; break;
            case 282: {
                if (entry.type != kTiffRational || entry.count < 1)
                    break;
                std::vector<uint8_t> bytes;
                if ((err = ReadValueBytes(entry, 8, true, &bytes))) {
                    if (ChainHas(err, kErrReadPastEnd)) {
                        err->Destroy();
                        err = cursor.Seek(entry.end, false);
                    }
                    break;
                }
                uint32_t num, den;
                std::memcpy(&num, &bytes[0], 4);
                std::memcpy(&den, &bytes[4], 4);
                if (cursor.Order32(den) != 0)
                    record->resolution = static_cast<double>(cursor.Order32(num)) / cursor.Order32(den);
                break;
            }
            case 283: break;
            case 284: if (!(err = ints(1)) && n) record->planarConfiguration = static_cast<uint16_t>(v[0]); break;
            case 296: if (!(err = ints(1)) && n) record->resolutionUnit = v[0]; break;
            case 317: if (!(err = ints(1)) && n) record->predictor = static_cast<uint16_t>(v[0]); break;
            case 330: {
                if (entry.type == 0) {
                    err = QZ_FAIL(kErrState);
                    break;
                }
                // Offsets of 32 bits, whatever type (LONG or IFD) the writer chose.
                IfdEntry longs = entry;
                longs.type = kTiffLong;
                uint32_t k = 0;
                if (!(err = ReadInts(*this, longs, 2, subIfdOffsets, &k)))
                    subIfdCount = k;
                break;
            }
            case 513: if (!(err = ints(1)) && n) record->jpegOffset = v[0]; break;
            case 514: if (!(err = ints(1)) && n) record->jpegLength = v[0]; break;
            case 531: if (!(err = ints(1)) && n) record->ycbcrPositioning = v[0]; break;
            case 33421:
                if (!(err = ints(2)) && n == 2) {
                    record->cfaRepeat[0] = static_cast<uint16_t>(v[0]);
                    record->cfaRepeat[1] = static_cast<uint16_t>(v[1]);
                }
                break;
            case 33422: err = ReadCfaPattern(entry, record); break;
            case 33723: err = ReadIptcEntry(*this, entry); break;
            case 34665: if (!(err = ints(1)) && n) exifOffset = v[0]; break;
            case 34853: if (!(err = ints(1)) && n) gpsOffset = v[0]; break;
            default:
                // Back to the type field: the unknown-tag reader takes the whole entry.
                if (!(err = cursor.Seek(entryStart + 2, false)))
                    err = ReadUnknownEntryToStore(tag, group);
                break;
            }
        }
        }
        if (err)
            return QZ_WRAP(err);
    }
    if (IVorlatError* err = cursor.Seek(offset + 2 + 12ull * entries, false))
        return QZ_WRAP(err);
    if (IVorlatError* err = cursor.ReadU32(&nextIfdOffset))
        return QZ_WRAP(err);

    const bool strips = record->width && record->height && record->stripCount && !record->stripOffsets.empty() &&
                        !record->stripByteCounts.empty();
    const bool jpeg = record->jpegOffset && record->jpegLength;
    if (record->resolutionUnit == 3)
        record->resolution = (record->resolution * 100000.0 + 19680.0) * 2.540585859099108e-5;
    if (!strips && !jpeg && !record->ycbcrPositioning) {
        // The IFD describes no image; its orientation and resolution still
        // belong to the image, as in the IFD 0 of a JPEG's Exif block.
        TiffImageRecord kept;
        kept.mirrored = record->mirrored;
        kept.rotation = record->rotation;
        kept.resolution = record->resolution;
        *record = std::move(kept);
        return nullptr;
    }
    // Without RowsPerStrip the image is one strip.
    if (record->rowsPerStrip == 0)
        record->rowsPerStrip = record->height;
    return QZ_WRAP(DerivePixelType(record));
}

IVorlatError* DerivePixelType(TiffImageRecord* record)
{
    const uint32_t bits = record->bitsPerSample[0];
    const int32_t photometric = record->photometric;
    int32_t type = 0;
    switch (record->samplesPerPixel) {
    case 1:
        if (photometric == 32803)
            type = record->cfaPattern[0] == 5 ? 66 : 64;
        else if (bits == 8)
            type = 2;
        else if (bits == 16)
            type = 3;
        else
            type = static_cast<int32_t>((bits + 7) / 8) | 0x10000;
        break;
    case 3:
        if (photometric == 2 || photometric == 6)
            type = bits == 8 ? 32 : 33;
        else if (bits != 8)
            type = 36;
        else
            return QZ_FAIL(kErrUnknownFormat);
        break;
    case 4:
        if (bits != 8)
            return QZ_FAIL(kErrNoSuchItem);
        type = 34;
        break;
    default:
        break;
    }
    record->colorSpace = type;
    if (record->compression == 32773)
        return QZ_FAIL(kErrUnknownFormat);
    return nullptr;
}

} // namespace quarnite
