#include "fileio/meta/maker_note.h"

#include <cstring>

#include "fileio/meta/iptc_codec.h"
#include "fileio/meta/legacy_maker_note.h"
#include "fileio/quarnite_error.h"
#include "fileio/tiff/ifd_plan.h"

namespace quarnite {
namespace {
constexpr int32_t kSourceId = kSrcMakerNote;
constexpr TagId kMakerNs = 0x80000;
constexpr TagId kTagMakerNote = 0x927C;

// The ids the codec knows, in the order they are written.
constexpr uint16_t kMakerNoteTags[] = {
    0x0002, 0x0003, 0x0004, 0x0005, 0x0006, 0x0007, 0x0008, 0x0009, 0x000A, 0x000B, 0x000C, 0x000D,
    0x000E, 0x000F, 0x0011, 0x0012, 0x0013, 0x0014, 0x0080, 0x0081, 0x0082, 0x0083, 0x0084, 0x0085,
    0x0086, 0x0087, 0x0088, 0x0089, 0x008A, 0x008B, 0x008C, 0x008D, 0x008E, 0x008F, 0x0090, 0x0092,
    0x0093, 0x0094, 0x0095, 0x0096, 0x0097, 0x0098, 0x0E00, 0x0E01, 0x0E02, 0x0E10,
};
static_assert(std::size(kMakerNoteTags) == 46, "the maker note knows 46 ids");
} // namespace

void MakerNoteCodec::TranslateOffset(uint32_t* offset)
{
    if (calibrationPending) {
        calibrationPending = false;
        if (kind == kMakerNoteTiff || kind == kMakerNoteUnknownVersion)
            offsetDelta = static_cast<int32_t>(makerNotePosition + 10);
        else if (*offset != ifdEnd)
            // The first out-of-line value is expected right behind the IFD.
            offsetDelta = static_cast<int32_t>(ifdEnd - *offset);
    }
    *offset = static_cast<uint32_t>(static_cast<int64_t>(*offset) + offsetDelta);
}

uint32_t MakerNoteCodec::MakerNoteOffsetBase(bool which) const
{
    if (!which)
        return ifdEnd;
    return kind == kMakerNoteTiff || kind == kMakerNoteUnknownVersion ? makerNotePosition + 10 : 0;
}

IVorlatError* MakerNoteCodec::ReadHeader(TiffImageRecord* next)
{
    if (IVorlatError* err = cursor.Seek(makerNotePosition, false))
        return QZ_WRAP(err);
    char magic[6] = {};
    if (!cursor.Fits(makerNotePosition, 6)) {
        kind = kMakerNoteBare;
        return nullptr;
    }
    if (IVorlatError* err = cursor.ReadBytes(magic, 6))
        return QZ_WRAP(err);
    if (std::memcmp(magic, "Korva", 6) != 0) {
        kind = kMakerNoteBare;
        return nullptr;
    }
    uint8_t version[2] = {};
    if (IVorlatError* err = cursor.ReadBytes(version, 2))
        return QZ_WRAP(err);
    if (version[0] == 2)
        kind = version[1] == 0 ? kMakerNoteTiff : kMakerNoteUnknownVersion;
    else if (version[0] == 1) {
        kind = kMakerNoteLegacy;
        // Its two bytes are the first thing the legacy reader reads.
        if (IVorlatError* err = cursor.Seek(-2, true))
            return QZ_WRAP(err);
        return QZ_WRAP(ReadLegacyMakerNote(*this, next));
    } else
        kind = kMakerNoteUnknownVersion;
    return nullptr;
}

IVorlatError* MakerNoteCodec::ReadMakerNote(TiffImageRecord* main, TiffImageRecord* next)
{
    if (makerNotePosition == 0)
        return nullptr;
    if (IVorlatError* err = ReadHeader(next))
        return QZ_WRAP(err);
    if (kind == kMakerNoteUnreadable || kind == kMakerNoteLegacy)
        return nullptr;

    const bool fileSwap = cursor.swap;
    uint32_t ifdStart = makerNotePosition;
    if (kind == kMakerNoteBare) {
        if (IVorlatError* err = cursor.Seek(makerNotePosition, false))
            return QZ_WRAP(err);
    } else {
        uint16_t mark = 0;
        IVorlatError* err = cursor.Seek(2, true);
        if (!err)
            err = cursor.ReadBytes(&mark, 2);
        if (!err)
            err = cursor.Seek(6, true);
        if (err)
            return QZ_WRAP(err);
        cursor.swap = std::memcmp(&mark, "II", 2) != 0;
        ifdStart = makerNotePosition + 18;
    }

    uint16_t count = 0;
    IVorlatError* err = cursor.ReadU16(&count);
    if (!err && count > 255) {
        cursor.swap = !cursor.swap;
        count = static_cast<uint16_t>(count << 8 | count >> 8);
        if (count > 255) {
            kind = kMakerNoteUnreadable;
            count = 0;
        }
    }
    if (!err && kind == kMakerNoteBare)
        ifdEnd = makerNotePosition + 12 * count + 6;
    if (!err && count && !cursor.Fits(ifdStart + 2ull, 12ull * count))
        err = QZ_FAIL(kErrReadPastEnd);
    for (uint32_t i = 0; !err && i < count; ++i) {
        err = cursor.Seek(ifdStart + 2 + 12 * i, false);
        uint16_t tag = 0;
        if (!err)
            err = cursor.ReadU16(&tag);
        IfdEntry entry;
        if (!err)
            err = ReadEntry(tag, &entry);
        if (!err)
            err = ReadTag(entry, main);
    }
    cursor.swap = fileSwap;
    return QZ_WRAP(err);
}

IVorlatError* MakerNoteCodec::ReadTag(const IfdEntry& entry, TiffImageRecord* main)
{
    const uint16_t tag = entry.tag;
    const TagId id = kMakerNs | tag;
    switch (tag) {
    case 0x0001: {
        if (IVorlatError* err = StoreEntry(id, kTagTypeBytes, entry, true, false))
            return err;
        if (entry.count == 4 && (entry.type == kTiffByte || entry.type == kTiffAscii || entry.type == kTiffUndefined))
            std::memcpy(version, entry.field, 4);
        return nullptr;
    }
    case 0x0002: case 0x0013: return ReadIsoPair(entry);
    case 0x0003: case 0x0004: case 0x0005: case 0x0006: case 0x0007: case 0x0008: case 0x0009: case 0x000F:
    case 0x0080: case 0x0081: case 0x0082: case 0x008D: case 0x008F: case 0x0090: case 0x0095:
        return ReadWord(entry);
    case 0x000A: case 0x000C: case 0x0086: case 0x008E: return StoreEntry(id, kTagTypeDoubles, entry, true, true);
    case 0x000B: case 0x008A: return StoreEntry(id, kTagTypeLongs, entry, true, true);
    case 0x000D: case 0x000E: case 0x0012: case 0x008B: return ReadTriple(entry);
    case 0x0011: {
        if (entry.type != kTiffShort && entry.type != kTiffLong)
            return QZ_FAIL(kErrWrongEntryType);
        previewPointer = entry.type == kTiffShort ? FieldU16(entry, 0) : FieldU32(entry);
        TranslateOffset(&previewPointer);
        return nullptr;
    }
    case 0x0014: return ReadWordBlock(entry);
    case 0x0083: case 0x0087: case 0x0089: return ReadFlagByte(entry);
    case 0x0084: return ReadLensRange(entry);
    case 0x0085: return ReadDistance(entry);
    case 0x0088: return ReadFocusPosition(entry);
    case 0x008C: return ReadCurve(entry, main);
    case 0x0092: return ReadHue(entry);
    case 0x0093: {
        uint32_t mode = FieldU16(entry, 0);
        if (main)
            main->rawPackingMode = mode;
        if (IVorlatError* err = tags_->AddTag(id))
            return QZ_WRAP(err);
        return QZ_WRAP(tags_->SetTagValue(id, kTagTypeLongs, 4, &mode, 0));
    }
    case 0x0094: {
        uint32_t code = 0;
        if (Fetch(0x80003, 4, &code) && code == 2)
            return nullptr;
        return StoreEntry(id, kTagTypeLongs, entry, true, true);
    }
    case 0x0096: return ReadCompressedRaw(entry, main);
    case 0x0097: return ReadColorBalance(entry);
    case 0x0098: return ReadWhole(entry, id, kTagTypeLensData);
    case 0x0100: return nullptr;
    case 0x0E00: {
        if (entry.count <= 4)
            return nullptr;
        uint32_t offset = FieldU32(entry);
        TranslateOffset(&offset);
        return QZ_WRAP(ReadPrintImBlock(*this, offset, entry.count));
    }
    case 0x0E01: case 0x0E02: return StoreEntry(id, kTagTypeBytes, entry, true, false);
    case 0x0E10:
        if (entry.type != kTiffLong && entry.type != kTiffUndefined)
            return QZ_FAIL(kErrWrongEntryType);
        filmPointer = FieldU32(entry);
        // 0 names no film-scanner IFD (a note written without one).
        if (filmPointer)
            TranslateOffset(&filmPointer);
        return nullptr;
    default:
        // Back to the type field: the unknown-tag reader takes the whole entry.
        if (IVorlatError* err = cursor.Seek(entry.end - 10, false))
            return QZ_WRAP(err);
        return QZ_WRAP(ReadUnknownEntryToStore(tag, 3));
    }
}

IVorlatError* MakerNoteCodec::ClearMakerNoteTags()
{
    for (uint16_t tag : kMakerNoteTags)
        if (tags_->IsExist(kMakerNs | tag, 0))
            if (IVorlatError* err = tags_->RemoveTag(kMakerNs | tag, 0))
                return QZ_WRAP(err);
    tags_->RemoveTag(kMakerNs | 0x0001, 0);
    const uint32_t count = tags_->GetTagCount(3);
    if (count) {
        std::vector<tagStrTagInfo> infos;
        if (!TryResize(infos, count))
            return QZ_FAIL(kErrAllocation);
        if (IVorlatError* err = tags_->GetTagInfo(infos.data(), count, 3))
            return QZ_WRAP(err);
        for (const tagStrTagInfo& info : infos)
            if (IVorlatError* err = tags_->RemoveTag(info.tag, 3))
                return QZ_WRAP(err);
    }
    previewPointer = 0;
    filmPointer = 0;
    return nullptr;
}

IVorlatError* ReadMakerNoteForImage(MakerNoteCodec& codec, uint32_t count, TiffImageRecord* main,
                                    TiffImageRecord* next)
{
    IVorlatError* err = codec.ReadMakerNote(main, next);
    if (!err)
        return nullptr;
    err->Destroy();
    if (IVorlatError* clear = codec.ClearMakerNoteTags())
        return QZ_WRAP(clear);
    if (main)
        main->compressedRaw.reset();
    if (codec.kind != kMakerNoteUnknownVersion || count == 0)
        return nullptr;
    // An unknown version is kept whole, so that a writer gives it back unchanged.
    IfdCursor& cursor = codec.cursor;
    if (!cursor.Fits(codec.makerNotePosition, count))
        return nullptr;
    std::vector<uint8_t> bytes;
    if (!TryResize(bytes, count))
        return QZ_FAIL(kErrAllocation);
    if (IVorlatError* e = cursor.Seek(codec.makerNotePosition, false))
        return QZ_WRAP(e);
    if (IVorlatError* e = cursor.ReadBytes(bytes.data(), count))
        return QZ_WRAP(e);
    IVorlatTagControl* tags = codec.Tags();
    if (IVorlatError* e = tags->AddTag(kTagMakerNote))
        return QZ_WRAP(e);
    return QZ_WRAP(tags->SetTagValue(kTagMakerNote, kTagTypeBytes, count, bytes.data(), 0));
}

IVorlatError* MakerNoteCodec::WriteRaw()
{
    const uint32_t size = tags_->GetTagSize(kTagMakerNote, 0);
    const uint32_t even = size + (size & 1);
    std::vector<uint8_t> bytes;
    if (!TryResize(bytes, even + 1ull))
        return QZ_FAIL(kErrAllocation);
    if (IVorlatError* err = tags_->GetTagValue(kTagMakerNote, kTagTypeBytes, size, bytes.data(), 0))
        return QZ_WRAP(err);
    const uint32_t start = cursor.position;
    IVorlatError* err = cursor.Seek(makerNotePosition, false);
    if (!err)
        err = cursor.WriteU32(even);
    if (!err)
        err = cursor.WriteU32(start);
    if (!err)
        err = cursor.Seek(start, false);
    if (!err)
        err = cursor.WriteBytes(bytes.data(), even);
    return QZ_WRAP(err);
}

IVorlatError* MakerNoteCodec::WriteMakerNote(bool writePreviewPointer, const TiffImageRecord* record)
{
    if (!tags_)
        return nullptr;
    if (IVorlatError* err = cursor.Sync())
        return QZ_WRAP(err);
    const uint32_t start = cursor.position;
    ifdEnd = start + 10;  // the offset base of everything written below
    if (tags_->IsExist(kTagMakerNote, 0))
        return WriteRaw();

    uint8_t header[18] = {'K', 'o', 'r', 'v', 'a', 0, 2, 0, 0, 0};
    std::memcpy(header + 10, cursor.swap ? "MM" : "II", 2);
    const uint16_t magic = cursor.Order16(42);
    const uint32_t first = cursor.Order32(8);
    std::memcpy(header + 12, &magic, 2);
    std::memcpy(header + 14, &first, 4);
    if (IVorlatError* err = cursor.WriteBytes(header, sizeof header))
        return QZ_WRAP(err);

    IfdPlan plan;
    plan.Add(0x0001, [this]() {
        std::memcpy(version, "0200", 4);
        return WriteEntry(0x0001, kTiffUndefined, 4, "0200");
    });
    size_t placeholders = 0;
    for (uint16_t tag : kMakerNoteTags) {
        bool placeholder = false;
        if (auto writer = PlanTag(kMakerNs | tag, writePreviewPointer, record, &placeholder)) {
            plan.Add(tag, std::move(writer));
            placeholders += placeholder ? 1 : 0;
        }
    }
    if (IVorlatError* err = plan.MergeUnknown(*this, 3))
        return QZ_WRAP(err);
    // The version and the placeholders alone are not worth a directory.
    uint32_t entries = plan.Count() - placeholders - 1 == 0 ? 0 : static_cast<uint32_t>(plan.Count());
    if (IVorlatError* err = cursor.WriteU16(static_cast<uint16_t>(entries)))
        return QZ_WRAP(err);
    uint32_t length = 20;
    if (entries) {
        nextDataOffset = 12 * entries + 14;
        IVorlatError* err = plan.WriteAll();
        if (!err)
            err = cursor.WriteU32(0);
        length = 24 + 12 * entries + static_cast<uint32_t>(data_.size());
        if (!err)
            err = FlushData();
        data_.clear();
        if (err)
            return QZ_WRAP(err);
    }
    const uint32_t end = cursor.position;
    IVorlatError* err = cursor.Seek(makerNotePosition, false);
    if (!err)
        err = cursor.WriteU32(length);
    if (!err)
        err = cursor.WriteU32(start);
    if (!err)
        err = cursor.Seek(end, false);
    return QZ_WRAP(err);
}

std::function<IVorlatError*()> MakerNoteCodec::PlanTag(TagId id, bool writePreviewPointer,
                                                       const TiffImageRecord* record, bool* placeholder)
{
    const uint16_t tag = static_cast<uint16_t>(id);
    const bool present = tags_->IsExist(id, 0);
    const uint32_t size = present ? tags_->GetTagSize(id, 0) : 0;
    using Writer = std::function<IVorlatError*()>;
    auto generic = [this, id](uint16_t type) -> Writer { return [this, id, type]() { return WriteTagEntry(id, type); }; };
    auto pointer = [this, tag](uint32_t* at) {
        return [this, tag, at]() -> IVorlatError* {
            *at = cursor.position + 8;
            uint32_t zero = 0;
            return WriteEntry(tag, kTiffLong, 1, &zero);
        };
    };
    switch (tag) {
    case 0x0011:
        if (!writePreviewPointer)
            return nullptr;
        *placeholder = true;
        return pointer(&previewPointer);
    case 0x0E10:
        *placeholder = true;
        return pointer(&filmPointer);
    case 0x0096:
        if (!record || !record->compressedRaw)
            return nullptr;
        // Real content, never a placeholder: a note holding only the decoding
        // parameters must still be written, or the raw data cannot be decoded.
        return [this, record]() { return WriteCompressedRaw(*record->compressedRaw); };
    default:
        break;
    }
    if (!present)
        return nullptr;
    switch (tag) {
    case 0x0002: case 0x0013:
        if (size != 4)
            return nullptr;
        return [this, id, tag]() -> IVorlatError* {
            uint16_t pair[2] = {};
            Fetch(id, 4, pair);
            uint32_t values[2] = {pair[0], pair[1]};
            if (pair[0] == 0x8009)
                values[0] = values[1] = 0;
            return WriteEntry(tag, kTiffShort, 2, values);
        };
    case 0x0003: case 0x0004: case 0x0005: case 0x0006: case 0x0007: case 0x0008: case 0x0009: case 0x000F:
    case 0x0080: case 0x0081: case 0x0082: case 0x008D: case 0x008F: case 0x0090: case 0x0095:
        return size == 4 ? std::function<IVorlatError*()>([this, id]() { return WriteWord(id); }) : nullptr;
    case 0x000A: case 0x000C: case 0x0086: return generic(kTiffRational);
    case 0x008E: return generic(kTiffSRational);
    case 0x000B: case 0x0092: case 0x0094: return size ? generic(kTiffSShort) : Writer();
    case 0x008A: return size ? generic(kTiffShort) : Writer();
    case 0x0093:
        if (record && !record->compressedRaw && record->rawPackingMode == 1)
            return nullptr;
        return size ? generic(kTiffShort) : Writer();
    case 0x000D: case 0x000E: case 0x0012: case 0x008B:
        if (size != 6)
            return nullptr;
        return [this, id, tag]() {
            int16_t w[3] = {};
            Fetch(id, 6, w);
            const uint8_t bytes[4] = {static_cast<uint8_t>(w[0]), static_cast<uint8_t>(w[1]), static_cast<uint8_t>(w[2]), 0};
            return WriteEntry(tag, kTiffUndefined, 4, bytes);
        };
    case 0x0014: return size && size % 4 == 0 ? std::function<IVorlatError*()>([this]() { return WriteWordBlock(); }) : nullptr;
    case 0x0083: case 0x0087: case 0x0089:
        return size == 8 ? std::function<IVorlatError*()>([this, id]() { return WriteFlagByte(id); }) : nullptr;
    case 0x0084:
        if (size != 32)
            return nullptr;
        return [this]() {
            double range[4] = {};
            Fetch(0x80084, 32, range);
            uint32_t pairs[8];
            DoublesToRationals(range, pairs, 4, false);
            return WriteEntry(0x0084, kTiffRational, 4, pairs);
        };
    case 0x0085: return size == 8 ? std::function<IVorlatError*()>([this]() { return WriteDistance(); }) : nullptr;
    case 0x0088:
        if (size != 20)
            return nullptr;
        return [this]() {
            uint8_t stored[20] = {};
            Fetch(0x80088, 20, stored);
            uint8_t flags = 0;
            for (int i = 0; i < 5; ++i)
                flags |= static_cast<uint8_t>((stored[12 + i] ? 1 : 0) << i);
            const uint8_t bytes[4] = {stored[0], stored[4], flags, 0};
            return WriteEntry(0x0088, kTiffUndefined, 4, bytes);
        };
    case 0x008C: return size >= 2 ? std::function<IVorlatError*()>([this]() { return WriteCurve(); }) : nullptr;
    case 0x0097: {
        char stored[4] = {};
        if (size != 296 || tags_->GetTagType(id, 0) != kTagTypeColorBalance)
            return nullptr;
        std::vector<uint8_t> record296(296);
        if (!Fetch(id, 296, record296.data()))
            return nullptr;
        std::memcpy(stored, record296.data(), 4);
        // Only the version this codec decodes can be built again.
        if (std::memcmp(stored, "0100", 4) != 0)
            return nullptr;
        return [this]() { return WriteColorBalance(); };
    }
    case 0x0098: return generic(kTiffUndefined);
    case 0x0E00: {
        if (tags_->GetTagType(id, 0) != kTagTypeBlock)
            return nullptr;
        TagItemRequest request{1, 0, nullptr};
        IVorlatError* err = tags_->GetTagValue(id, kTagTypeBlock, sizeof request, &request, 0);
        if (err)
            err->Destroy();
        if (err || request.size != kPrintImRecordSize)
            return nullptr;
        return [this]() -> IVorlatError* {
            std::vector<uint8_t> block;
            if (IVorlatError* e = BuildPrintImBlock(tags_, cursor.swap, &block))
                return QZ_WRAP(e);
            return WriteRawEntry(0x0E00, kTiffUndefined, kPrintImBlockSize, block.data(), kPrintImBlockSize);
        };
    }
    case 0x0E01: case 0x0E02:
        if (tags_->GetTagType(id, 0) != kTagTypeBytes)
            return nullptr;
        return generic(kTiffUndefined);
    default:
        return nullptr;
    }
}

} // namespace quarnite
