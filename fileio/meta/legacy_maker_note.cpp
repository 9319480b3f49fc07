#include "fileio/meta/legacy_maker_note.h"

#include <cstdlib>
#include <cstring>
#include <string>

#include "fileio/quarnite_error.h"

namespace quarnite {
namespace {
constexpr int32_t kSourceId = kSrcMakerNote;

struct CodeMap {
    uint32_t from, to;
};

uint32_t MapCode(uint32_t v, const CodeMap* map, size_t count)
{
    for (size_t i = 0; i < count; ++i)
        if (map[i].from == v)
            return map[i].to;
    return v;
}

IVorlatError* StoreLongs(IVorlatTagControl* tags, TagId id, const void* values, uint32_t bytes, uint32_t type)
{
    if (IVorlatError* err = tags->AddTag(id))
        return QZ_WRAP(err);
    return QZ_WRAP(tags->SetTagValue(id, type, bytes, values, 0));
}

// One integer of the entry mapped through `map` and stored under `id`.
IVorlatError* ReadMappedInteger(MakerNoteCodec& codec, TagId id, const CodeMap* map, size_t count)
{
    uint32_t v = 0;
    if (IVorlatError* err = codec.ReadIntegerArray(&v, 1, nullptr))
        return QZ_WRAP(err);
    v = MapCode(v, map, count);
    return StoreLongs(codec.Tags(), id, &v, 4, kTagTypeLongs);
}

// The ISO code of the old cameras as the main maker note's (mode, ISO) pair.
IVorlatError* ReadIso(MakerNoteCodec& codec, bool legacyModel, bool q330)
{
    uint16_t v = 0;
    if (IVorlatError* err = codec.ReadShortArray(&v, 1, nullptr))
        return QZ_WRAP(err);
    uint16_t pair[2] = {0, 0};
    uint32_t selection = 0;  // 0x8000F, when set
    switch (v) {
    case 0:
        if (legacyModel && !q330) {
            pair[0] = 0x8009;
        } else {
            pair[0] = 0x8008;
            selection = 0x8008;
        }
        break;
    case 1: case 5: pair[1] = 100; break;
    case 2:
        if (legacyModel) {
            pair[0] = 0x8010;
            selection = 0x8010;
        } else {
            pair[1] = 200;
        }
        break;
    case 3: case 7: pair[1] = 400; break;
    case 4:
        if (legacyModel) {
            pair[0] = 0x8011;
            selection = 0x8011;
        } else {
            pair[0] = 0x8009;
        }
        break;
    case 6: pair[1] = 200; break;
    default: break;
    }
    if (IVorlatError* err = StoreLongs(codec.Tags(), 0x80002, pair, 4, kTagTypeIsoPair))
        return err;
    if (selection)
        return StoreLongs(codec.Tags(), 0x8000F, &selection, 4, kTagTypeLongs);
    return nullptr;
}

// The quality text holds a decimal number.
IVorlatError* ReadQuality(MakerNoteCodec& codec)
{
    std::vector<uint8_t> bytes;
    if (IVorlatError* err = codec.ReadByteBlock(&bytes))
        return QZ_WRAP(err);
    std::string text(bytes.begin(), bytes.end());
    const double value = std::strtod(text.c_str(), nullptr);
    return StoreLongs(codec.Tags(), 0x8000A, &value, 8, kTagTypeDoubles);
}

// The embedded JPEG thumbnail: the entry's count is its length, its value
// field its offset, both as they stand.
IVorlatError* ReadThumbnail(MakerNoteCodec& codec, TiffImageRecord* next)
{
    IfdEntry entry;
    if (IVorlatError* err = codec.ReadEntry(256, &entry))
        return QZ_WRAP(err);
    if (entry.type != kTiffUndefined || !next)
        return nullptr;
    next->compression = 6;
    next->jpegLength = entry.count;
    next->jpegOffset = codec.FieldU32(entry);
    return nullptr;
}
} // namespace

IVorlatError* ReadLegacyMakerNote(MakerNoteCodec& codec, TiffImageRecord* next)
{
    IfdCursor& cursor = codec.cursor;
    IVorlatTagControl* tags = codec.Tags();
    const bool fileSwap = cursor.swap;
    cursor.swap = false;  // always little-endian
    struct Restore {
        IfdCursor& cursor;
        bool swap;
        ~Restore() { cursor.swap = swap; }
    } restore{cursor, fileSwap};

    uint16_t one = 0, count = 0;
    if (IVorlatError* err = cursor.ReadU16(&one))
        return QZ_WRAP(err);
    if (IVorlatError* err = cursor.ReadU16(&count))
        return QZ_WRAP(err);
    if (count == 0)
        return nullptr;

    // The models whose ISO codes differ; no Model (or a longer one) is none of them.
    bool legacyModel = false, q330 = false;
    char model[5] = {};
    if (IVorlatError* err = tags->GetTagValue(0x110, kTagTypeText, sizeof model, model, 0)) {
        err->Destroy();
    } else {
        model[4] = 0;
        q330 = std::strcmp(model, "Q330") == 0;
        legacyModel = q330 || std::strcmp(model, "Q320") == 0 || std::strcmp(model, "Q310") == 0;
    }

    if (count > 255) {
        cursor.swap = !cursor.swap;
        count = static_cast<uint16_t>(count << 8 | count >> 8);
    }
    const uint32_t first = codec.makerNotePosition + 10;  // behind magic, value 1 and count
    codec.ifdEnd = codec.makerNotePosition + 12 * count + 14;
    if (!cursor.Fits(first, 12ull * count))
        return QZ_FAIL(kErrReadPastEnd);

    static const CodeMap kQuality[] = {{1, 0}, {4, 0}, {7, 0}, {10, 0}, {2, 1}, {5, 1}, {8, 1}, {11, 1},
                                       {3, 2}, {6, 2}, {9, 2}, {12, 2}, {17, 17}, {18, 17}, {19, 17}, {20, 17}};
    static const CodeMap kColor[] = {{1, 0}, {2, 1}};
    static const CodeMap kContrast[] = {{0, 1}, {1, 257}, {2, 258}, {3, 260}, {4, 264}};
    static const CodeMap kWhiteBalance[] = {{0, 0}, {1, 7}, {2, 3}, {3, 1}, {4, 2}, {5, 6}, {6, 4}};
    static const CodeMap kConverter[] = {{0, 0}, {1, 1}, {2, 0x3001}};

    for (uint32_t i = 0; i < count; ++i) {
        const uint32_t entryStart = first + 12 * i;
        if (IVorlatError* err = cursor.Seek(entryStart, false))
            return QZ_WRAP(err);
        uint16_t tag = 0;
        if (IVorlatError* err = cursor.ReadU16(&tag))
            return QZ_WRAP(err);
        IVorlatError* err = nullptr;
        switch (tag) {
        case 2: err = ReadQuality(codec); break;
        case 3: err = ReadMappedInteger(codec, 0x80004, kQuality, std::size(kQuality)); break;
        case 4: err = ReadMappedInteger(codec, 0x80003, kColor, std::size(kColor)); break;
        case 5: err = ReadMappedInteger(codec, 0x80080, kContrast, std::size(kContrast)); break;
        case 6: err = ReadIso(codec, legacyModel, q330); break;
        case 7: err = ReadMappedInteger(codec, 0x80005, kWhiteBalance, std::size(kWhiteBalance)); break;
        case 8: case 10: {
            IfdEntry entry;
            if (!(err = codec.ReadEntry(tag, &entry)))
                err = codec.StoreEntry(tag == 8 ? 0x80085 : 0x80086, kTagTypeDoubles, entry, true, true);
            break;
        }
        case 11: err = ReadMappedInteger(codec, 0x80082, kConverter, std::size(kConverter)); break;
        case 256: err = ReadThumbnail(codec, next); break;
        default: break;  // tags 9 and 12 to 255, and those outside 2..256
        }
        if (err)
            return QZ_WRAP(err);
    }
    return nullptr;
}

} // namespace quarnite
