// The value rules of the maker note: fixed-width words, flag bytes and packed
// records of the file, and the numeric codes and plain records of the store.
#include <cmath>
#include <cstring>

#include "fileio/meta/maker_note.h"
#include "fileio/quarnite_error.h"

namespace quarnite {
namespace {
constexpr int32_t kSourceId = kSrcMakerNote;
constexpr TagId kMakerNs = 0x80000;

// ---- Word tables --------------------------------------------------------------

struct ReadWordRule {
    const char* word;
    uint32_t code;
    uint8_t compare;  // characters compared; 0: the whole word; 0xFF: the whole value must equal it
};
struct WriteWordRule {
    uint32_t code;
    const char* word;  // padded with blanks to the table's width (or its own `width`)
    uint8_t width;
};
struct WordTable {
    uint16_t tag;
    const ReadWordRule* read;
    size_t readCount;
    const WriteWordRule* write;
    size_t writeCount;
    uint8_t width;
};

constexpr uint8_t kWhole = 0xFF;

#define RULES(name, ...) constexpr ReadWordRule name[] = {__VA_ARGS__}
#define WORDS(name, ...) constexpr WriteWordRule name[] = {__VA_ARGS__}

RULES(kRead03, {"COLOR", 0, 0}, {"B & W", 1, 0}, {"SEPIA", 2, 0}, {"B&W", 1, 0}, {"MONOCHROME", 1, kWhole});
WORDS(kWrite03, {0, "COLOR", 0}, {1, "B & W", 0}, {2, "SEPIA", 0});
RULES(kRead04, {"BASIC", 0, 0}, {"NORMAL", 1, 0}, {"FINE", 2, 0}, {"YCBCR", 16, 0}, {"RGB", 17, 0},
      {"RAW2.7M", 32, 0}, {"RAW    ", 32, 0}, {"RAW", 32, 0});
WORDS(kWrite04, {0, "BASIC", 0}, {1, "NORMAL", 0}, {2, "FINE", 0}, {16, "YCBCR", 0}, {17, "RGB", 0},
      {32, "RAW", 0}, {33, "RAW5.4M", 0});
RULES(kRead05, {"AUTO", 0, 0}, {"INCANDESCENT", 1, 0}, {"FLUORESCENT", 2, 0}, {"SUNNY", 3, 0}, {"FLASH", 4, 0},
      {"SHADE", 5, 0}, {"CLOUDY", 6, 0}, {"WHITE PRESET", 7, 0}, {"PRESET1", 23, 0}, {"PRESET2", 39, 0},
      {"PRESET3", 55, 0}, {"PRESET 1", 23, 0}, {"PRESET 2", 39, 0}, {"PRESET 3", 55, 0}, {"PRESET", 7, 0});
WORDS(kWrite05, {0, "AUTO", 0}, {1, "INCANDESCENT", 0}, {2, "FLUORESCENT", 0}, {3, "SUNNY", 0}, {4, "FLASH", 0},
      {5, "SHADE", 0}, {6, "CLOUDY", 0}, {7, "PRESET", 0}, {23, "PRESET1", 0}, {39, "PRESET2", 0}, {55, "PRESET3", 0});
RULES(kRead06, {"NONE", 0, 0}, {"LOW", 1, 0}, {"NORMAL", 2, 0}, {"HIGH", 3, 0}, {"AUTO", 9, 0});
WORDS(kWrite06, {0, "NONE", 0}, {1, "LOW", 0}, {2, "NORMAL", 0}, {3, "HIGH", 0}, {9, "AUTO", 0});
RULES(kRead07, {"MANUAL", 0, 0}, {"AF-S", 16, 0}, {"AF-C", 17, 0});
WORDS(kWrite07, {0, "MANUAL", 0}, {16, "AF-S", 0}, {17, "AF-C", 0});
RULES(kRead08, {"NORMAL", 0, 5}, {"SLOW", 1, 0}, {"REAR SLOW   ", 3, kWhole}, {"REAR", 2, 0},
      {"RED-EYE     ", 16, kWhole}, {"RED-EYE SLOW", 17, kWhole}, {"RED-EYE", 16, kWhole});
WORDS(kWrite08, {0, "NORMAL", 0}, {1, "SLOW", 0}, {2, "REAR", 0}, {18, "REAR", 0}, {16, "RED-EYE", 0},
      {17, "RED-EYE SLOW", 0});
RULES(kRead09, {"EXTERNAL", 0, 0}, {"MANUAL", 1, 0}, {"FP", 2, 0}, {"NEW_TTL", 3, 0}, {"AA", 4, 0}, {"        ", 5, 0});
WORDS(kWrite09, {0, "EXTERNAL", 0}, {1, "MANUAL", 0}, {2, "FP", 0}, {3, "NEW_TTL", 0}, {4, "AA", 0});
RULES(kRead0F, {"MANUAL", 0x8001, 0}, {"AUTO", 0x8009, 0}, {"DEFAULT", 0x8008, 0});
WORDS(kWrite0F, {0x8001, "MANUAL", 0}, {0x8008, "DEFAULT", 7}, {0x8009, "AUTO", 0});
RULES(kRead80, {"NORMAL", 1, 0}, {"AUTO", 2, 0}, {"BRIGHTNESS(+)", 257, 0}, {"BRIGHTNESS(-)", 258, 0},
      {"CONTRAST(+)", 260, 0}, {"CONTRAST(-)", 264, 0}, {"B & W", 266, 0});
WORDS(kWrite80, {1, "NORMAL", 0}, {2, "AUTO", 0}, {257, "BRIGHTNESS(+)", 0}, {258, "BRIGHTNESS(-)", 0},
      {260, "CONTRAST(+)", 0}, {264, "CONTRAST(-)", 0}, {266, "B & W", 0});
RULES(kRead81, {"NORMAL", 0, 0}, {"LOW", 1, 0}, {"HIGH", 2, 0}, {"B & W", 3, 0}, {"CS", 16, 0}, {"B&W", 3, 0},
      {"AUTO", 4, 0}, {"Manual1", 1, 0}, {"Manual2", 2, 0}, {"Manual3", 3, 0}, {"DOWNLOAD", 16, 0});
WORDS(kWrite81, {0, "NORMAL", 0}, {1, "LOW", 0}, {2, "HIGH", 0}, {3, "B & W", 0}, {4, "AUTO", 0}, {16, "CS", 0});
RULES(kRead82, {"OFF", 0, 0}, {"FISHEYE 1", 0x1001, 0}, {"FISHEYE 2", 0x1002, 0}, {"WIDE ADAPTER", 0x2001, 0},
      {"TELEPHOTO 1", 0x3001, 0}, {"TELEPHOTO 2", 0x3002, 0}, {"SLIDE", 0x4001, 0});
WORDS(kWrite82, {0, "OFF", 0}, {0x1001, "FISHEYE 1", 0}, {0x1002, "FISHEYE 2", 0}, {0x2001, "WIDE ADAPTER", 0},
      {0x3001, "TELEPHOTO 1", 0}, {0x3002, "TELEPHOTO 2", 0}, {0x4001, "SLIDE", 0});
RULES(kRead8D, {"MODE1", 1, 0}, {"MODE2", 2, 0}, {"MODE3", 3, 0}, {"sRGB", 1, 0}, {"AdobeRGB", 2, 0},
      {"MODE-1", 1, 0}, {"MODE-2", 2, 0});
WORDS(kWrite8D, {1, "MODE1", 0}, {2, "MODE2", 0}, {3, "MODE3", 0});
RULES(kRead8F, {"     ", 0, 0}, {"PORTRAIT", 1, 0}, {"PARTY/INDOOR", 2, 0}, {"NIGHT PORTRAIT", 3, 0},
      {"BEACH/SNOW", 4, 0}, {"LAND SCAPE", 5, 0}, {"SUNSET", 6, 0}, {"NIGHT SCENE", 7, 0}, {"FIREWORKS", 8, 0},
      {"SPARKLER", 9, 0}, {"CLOSE UP", 10, 0}, {"COPY", 11, 0}, {"BACK LIGHT", 12, 0}, {"MUSEUM", 13, 0});
WORDS(kWrite8F, {1, "PORTRAIT", 0}, {2, "PARTY/INDOOR", 0}, {3, "NIGHT PORTRAIT", 0}, {4, "BEACH/SNOW", 0},
      {5, "LAND SCAPE", 0}, {6, "SUNSET", 0}, {7, "NIGHT SCENE", 0}, {8, "FIREWORKS", 0}, {9, "SPARKLER", 0},
      {10, "CLOSE UP", 0}, {11, "COPY", 0}, {12, "BACK LIGHT", 0}, {13, "MUSEUM", 0});
RULES(kRead90, {"NATURAL", 0, 0}, {"NORMAL", 1, 0}, {"COLORED", 2, 0}, {"SPEEDLIGHT", 3, 0}, {"MIXED", 4, 0});
WORDS(kWrite90, {0, "NATURAL", 0}, {1, "NORMAL", 0}, {2, "COLORED", 0}, {3, "SPEEDLIGHT", 0}, {4, "MIXED", 0});
RULES(kRead95, {"FPNR", 1, 0}, {"OFF", 0, 0});
WORDS(kWrite95, {0, "OFF", 0}, {1, "FPNR", 0});

#define TABLE(tag, r, w, width) {tag, r, std::size(r), w, std::size(w), width}
constexpr WordTable kWordTables[] = {
    TABLE(0x0003, kRead03, kWrite03, 5),   TABLE(0x0004, kRead04, kWrite04, 7),
    TABLE(0x0005, kRead05, kWrite05, 12),  TABLE(0x0006, kRead06, kWrite06, 6),
    TABLE(0x0007, kRead07, kWrite07, 6),   TABLE(0x0008, kRead08, kWrite08, 12),
    TABLE(0x0009, kRead09, kWrite09, 8),   TABLE(0x000F, kRead0F, kWrite0F, 6),
    TABLE(0x0080, kRead80, kWrite80, 13),  TABLE(0x0081, kRead81, kWrite81, 6),
    TABLE(0x0082, kRead82, kWrite82, 12),  TABLE(0x008D, kRead8D, kWrite8D, 8),
    TABLE(0x008F, kRead8F, kWrite8F, 16),  TABLE(0x0090, kRead90, kWrite90, 11),
    TABLE(0x0095, kRead95, kWrite95, 4),
};

const WordTable* FindWordTable(uint16_t tag)
{
    for (const WordTable& table : kWordTables)
        if (table.tag == tag)
            return &table;
    return nullptr;
}

uint16_t Get16(const uint8_t* p, bool swap)
{
    uint16_t v;
    std::memcpy(&v, p, 2);
    return swap ? static_cast<uint16_t>(v << 8 | v >> 8) : v;
}

void Put16(uint8_t* p, uint16_t v, bool swap)
{
    if (swap)
        v = static_cast<uint16_t>(v << 8 | v >> 8);
    std::memcpy(p, &v, 2);
}

uint32_t BigEndian32(const uint8_t* p)
{
    return static_cast<uint32_t>(p[0]) << 24 | static_cast<uint32_t>(p[1]) << 16 | static_cast<uint32_t>(p[2]) << 8 | p[3];
}
} // namespace

bool MakerNoteCodec::Fetch(TagId id, uint32_t size, void* out) const
{
    if (!tags_->IsExist(id, 0) || tags_->GetTagSize(id, 0) != size)
        return false;
    IVorlatError* err = tags_->GetTagValue(id, tags_->GetTagType(id, 0), size, out, 0);
    if (err)
        err->Destroy();
    return !err;
}

// The entry's value bytes. A value running past the end of the note skips the
// entry: the cursor moves on to the next one and *skipped is set.
IVorlatError* MakerNoteCodec::ReadValueOrSkip(const IfdEntry& entry, uint32_t size, std::vector<uint8_t>* bytes,
                                              bool* skipped)
{
    *skipped = false;
    IVorlatError* err = ReadValueBytes(entry, size, true, bytes);
    if (!err || !ChainHas(err, kErrReadPastEnd))
        return err;
    err->Destroy();
    *skipped = true;
    return QZ_WRAP(cursor.Seek(entry.end, false));
}

IVorlatError* MakerNoteCodec::ReadWhole(const IfdEntry& entry, TagId id, uint32_t type)
{
    std::vector<uint8_t> bytes;
    bool skipped = false;
    if (IVorlatError* err = ReadValueOrSkip(entry, entry.count, &bytes, &skipped); err || skipped)
        return err;
    if (IVorlatError* err = tags_->AddTag(id))
        return QZ_WRAP(err);
    return QZ_WRAP(tags_->SetTagValue(id, type, static_cast<uint32_t>(bytes.size()), bytes.data(), 0));
}

// ---- Words --------------------------------------------------------------------

IVorlatError* MakerNoteCodec::ReadWord(const IfdEntry& entry)
{
    if (entry.type != kTiffAscii && entry.type != kTiffUndefined)
        return QZ_FAIL(kErrWrongEntryType);
    std::vector<uint8_t> bytes;
    bool skipped = false;
    if (IVorlatError* err = ReadValueOrSkip(entry, entry.count, &bytes, &skipped); err || skipped)
        return err;
    const WordTable* table = FindWordTable(entry.tag);
    const char* value = bytes.empty() ? "" : reinterpret_cast<const char*>(bytes.data());
    const size_t valueLength = strnlen(value, bytes.size());
    for (size_t i = 0; i < table->readCount; ++i) {
        const ReadWordRule& rule = table->read[i];
        const size_t wordLength = std::strlen(rule.word);
        bool match;
        if (rule.compare == kWhole)
            match = valueLength == wordLength && std::memcmp(value, rule.word, wordLength) == 0;
        else {
            size_t n = rule.compare ? rule.compare : wordLength;
            match = bytes.size() >= n && std::memcmp(value, rule.word, n) == 0;
        }
        if (!match)
            continue;
        if (entry.tag == 0x0007)
            manualFocus = rule.code == 0;
        const TagId id = kMakerNs | entry.tag;
        uint32_t code = rule.code;
        if (IVorlatError* err = tags_->AddTag(id))
            return QZ_WRAP(err);
        return QZ_WRAP(tags_->SetTagValue(id, kTagTypeLongs, 4, &code, 0));
    }
    return nullptr;
}

IVorlatError* MakerNoteCodec::WriteWord(TagId id)
{
    const uint16_t tag = static_cast<uint16_t>(id);
    const WordTable* table = FindWordTable(tag);
    uint32_t code = 0xFFFFFFFFu;
    Fetch(id, 4, &code);
    uint8_t width = table->width;
    const char* word = "";
    for (size_t i = 0; i < table->writeCount; ++i) {
        if (table->write[i].code == code) {
            word = table->write[i].word;
            if (table->write[i].width)
                width = table->write[i].width;
        }
    }
    char text[32];
    std::memset(text, ' ', sizeof text);
    std::memcpy(text, word, std::strlen(word));
    text[width] = '\0';
    return WriteEntry(tag, kTiffAscii, width + 1u, text);
}

// ---- ISO pair, triples, flags, focus --------------------------------------------

IVorlatError* MakerNoteCodec::ReadIsoPair(const IfdEntry& entry)
{
    if (entry.type != kTiffShort || entry.count == 0)
        return nullptr;
    const uint16_t a = FieldU16(entry, 0);
    const uint16_t b = FieldU16(entry, 1);
    uint16_t mode, iso;
    if (entry.count == 1) {
        iso = a;
        mode = a > 1600 ? 1 : 0;
    } else {
        mode = a;
        iso = b;
        if (iso != 0)
            mode = mode == 1 ? 1 : 0;
        else if (mode == 0)
            mode = 0x8009;
    }
    const uint16_t pair[2] = {mode, iso};
    const TagId id = kMakerNs | entry.tag;
    if (IVorlatError* err = tags_->AddTag(id))
        return QZ_WRAP(err);
    return QZ_WRAP(tags_->SetTagValue(id, kTagTypeIsoPair, 4, pair, 0));
}

IVorlatError* MakerNoteCodec::ReadTriple(const IfdEntry& entry)
{
    if (entry.type != kTiffUndefined || entry.count > 4)
        return nullptr;
    const int16_t triple[3] = {static_cast<int8_t>(entry.field[0]), entry.field[1], entry.field[2]};
    const TagId id = kMakerNs | entry.tag;
    if (IVorlatError* err = tags_->AddTag(id))
        return QZ_WRAP(err);
    return QZ_WRAP(tags_->SetTagValue(id, kTagTypeTriples, 6, triple, 0));
}

IVorlatError* MakerNoteCodec::ReadFlagByte(const IfdEntry& entry)
{
    if (entry.type != kTiffByte || entry.count != 1)
        return nullptr;
    const uint8_t byte = entry.field[0];
    uint8_t flags[8] = {};
    uint32_t type = 0;
    if (entry.tag == 0x0083) {
        type = kTagTypeFlags83;
        flags[0] = (byte & 1) ? 0 : 1;
        if (flags[0] && std::memcmp(version, "0100", 4) != 0) {
            flags[1] = 1;
            flags[2] = (byte >> 1) & 1;
            flags[3] = (byte >> 2) & 1;
            flags[4] = (byte >> 3) & 1;
        }
    } else if (entry.tag == 0x0087) {
        type = kTagTypeFlags87;
        for (int i = 0; i < 4; ++i)
            flags[i] = (byte >> i) & 1;
        // Tags 0x0008, 0x0009 and 0x0012 stand before 0x0087 in the IFD.
        if (!flags[1] && !flags[3]) {
            tags_->RemoveTag(0x80008, 0);
            tags_->RemoveTag(0x80009, 0);
            tags_->RemoveTag(0x80012, 0);
        } else {
            uint32_t code = 0;
            bool held = tags_->IsExist(0x80009, 0) && (!Fetch(0x80009, 4, &code) || code == 3 || code == 4);
            if (!held)
                tags_->RemoveTag(0x80012, 0);
        }
    } else {
        type = kTagTypeFlags89;
        for (int i = 0; i < 7; ++i)
            flags[i] = (byte >> i) & 1;
    }
    const TagId id = kMakerNs | entry.tag;
    if (IVorlatError* err = tags_->AddTag(id))
        return QZ_WRAP(err);
    return QZ_WRAP(tags_->SetTagValue(id, type, 8, flags, 0));
}

IVorlatError* MakerNoteCodec::WriteFlagByte(TagId id)
{
    uint8_t flags[8] = {};
    Fetch(id, 8, flags);
    uint8_t byte = 0;
    if (id == 0x80083) {
        byte = static_cast<uint8_t>((flags[0] ? 0 : 1) | ((flags[1] && flags[2]) ? 2 : 0) | (flags[3] ? 4 : 0) |
                                    (flags[4] ? 8 : 0));
    } else {
        const int count = id == 0x80087 ? 4 : 7;
        for (int i = 0; i < count; ++i)
            byte |= static_cast<uint8_t>((flags[i] ? 1 : 0) << i);
    }
    return WriteEntry(static_cast<uint16_t>(id), kTiffByte, 1, &byte);
}

IVorlatError* MakerNoteCodec::ReadFocusPosition(const IfdEntry& entry)
{
    if (manualFocus || entry.type != kTiffUndefined || entry.count != 4)
        return nullptr;
    uint8_t record[20] = {};
    const uint32_t fields[3] = {entry.field[0], entry.field[1], 5};
    std::memcpy(record, fields, 12);
    for (int i = 0; i < 5; ++i)
        record[12 + i] = (entry.field[2] >> i) & 1;
    if (IVorlatError* err = tags_->AddTag(0x80088))
        return QZ_WRAP(err);
    return QZ_WRAP(tags_->SetTagValue(0x80088, kTagTypeFocusPosition, 20, record, 0));
}

// ---- Rationals ------------------------------------------------------------------

IVorlatError* MakerNoteCodec::ReadLensRange(const IfdEntry& entry)
{
    if (entry.type != kTiffRational || entry.count != 4)
        return nullptr;
    std::vector<uint8_t> bytes;
    bool skipped = false;
    if (IVorlatError* err = ReadValueOrSkip(entry, 32, &bytes, &skipped); err || skipped)
        return err;
    double range[4];
    for (int i = 0; i < 4; ++i) {
        uint32_t num, den;
        std::memcpy(&num, &bytes[8 * i], 4);
        std::memcpy(&den, &bytes[8 * i + 4], 4);
        num = cursor.Order32(num);
        den = cursor.Order32(den);
        if (num == 0 || den == 0)
            return nullptr;
        range[i] = static_cast<double>(num) / den;
    }
    if (IVorlatError* err = tags_->AddTag(0x80084))
        return QZ_WRAP(err);
    return QZ_WRAP(tags_->SetTagValue(0x80084, kTagTypeLensRange, 32, range, 0));
}

IVorlatError* MakerNoteCodec::ReadDistance(const IfdEntry& entry)
{
    if (entry.type != kTiffRational || entry.count != 1)
        return nullptr;
    std::vector<uint8_t> bytes;
    bool skipped = false;
    if (IVorlatError* err = ReadValueOrSkip(entry, 8, &bytes, &skipped); err || skipped)
        return err;
    uint32_t num, den;
    std::memcpy(&num, &bytes[0], 4);
    std::memcpy(&den, &bytes[4], 4);
    num = cursor.Order32(num);
    den = cursor.Order32(den);
    // n/0 is "infinitely far", kept as -1.
    double distance = den ? static_cast<double>(num) / den : (num ? -1.0 : 0.0);
    if (IVorlatError* err = tags_->AddTag(0x80085))
        return QZ_WRAP(err);
    return QZ_WRAP(tags_->SetTagValue(0x80085, kTagTypeDoubles, 8, &distance, 0));
}

IVorlatError* MakerNoteCodec::WriteDistance()
{
    double distance = 0;
    Fetch(0x80085, 8, &distance);
    uint32_t pair[2] = {0, 0};
    if (distance == -1.0)
        pair[0] = 1;
    else if (distance != 0.0)
        DoublesToRationals(&distance, pair, 1, false);
    return WriteEntry(0x0085, kTiffRational, 1, pair);
}

IVorlatError* MakerNoteCodec::ReadHue(const IfdEntry& entry)
{
    IVorlatError* modelError = nullptr;
    const bool legacy = IsLegacyHueModel(tags_, &modelError);
    if (modelError)
        return QZ_WRAP(modelError);
    if (!legacy)
        return StoreEntry(0x80092, kTagTypeLongs, entry, true, true);
    const int32_t value = 3 * static_cast<int32_t>(FieldU16(entry, 0)) - 9;
    if (IVorlatError* err = tags_->AddTag(0x80092))
        return QZ_WRAP(err);
    return QZ_WRAP(tags_->SetTagValue(0x80092, kTagTypeLongs, 4, &value, 0));
}

// ---- Blocks ---------------------------------------------------------------------

IVorlatError* MakerNoteCodec::ReadWordBlock(const IfdEntry& entry)
{
    const uint32_t size = entry.count / 4 * 4;
    std::vector<uint8_t> bytes;
    bool skipped = false;
    if (IVorlatError* err = ReadValueOrSkip(entry, size, &bytes, &skipped); err || skipped)
        return err;
    if (size == 0)
        return nullptr;
    // Only a block that reaches them holds the two colour-balance words.
    if (size >= 300) {
        const double balance[4] = {static_cast<int16_t>(bytes[296] << 8 | bytes[297]) / 128.0,
                                   static_cast<int16_t>(bytes[298] << 8 | bytes[299]) / 128.0, 0.0, 0.0};
        if (IVorlatError* err = tags_->AddTag(0x8000C))
            return QZ_WRAP(err);
        if (IVorlatError* err = tags_->SetTagValue(0x8000C, kTagTypeDoubles, 32, balance, 0))
            return QZ_WRAP(err);
    }
    for (uint32_t i = 0; i < size; i += 4) {
        const uint32_t word = BigEndian32(&bytes[i]);
        std::memcpy(&bytes[i], &word, 4);
    }
    if (IVorlatError* err = tags_->AddTag(0x80014))
        return QZ_WRAP(err);
    return QZ_WRAP(tags_->SetTagValue(0x80014, kTagTypeLongs, size, bytes.data(), 0));
}

IVorlatError* MakerNoteCodec::WriteWordBlock()
{
    const uint32_t size = tags_->GetTagSize(0x80014, 0);
    std::vector<uint8_t> bytes(size);
    if (!Fetch(0x80014, size, bytes.data()))
        return QZ_FAIL(kErrNoSuchTag);
    for (uint32_t i = 0; i < size; i += 4) {
        uint32_t word;
        std::memcpy(&word, &bytes[i], 4);
        const uint8_t big[4] = {static_cast<uint8_t>(word >> 24), static_cast<uint8_t>(word >> 16),
                                static_cast<uint8_t>(word >> 8), static_cast<uint8_t>(word)};
        std::memcpy(&bytes[i], big, 4);
    }
    return WriteEntry(0x0014, kTiffUndefined, size, bytes.data());
}

IVorlatError* MakerNoteCodec::ReadCurve(const IfdEntry& entry, TiffImageRecord* main)
{
    if (entry.type != kTiffUndefined || (entry.count != 2112 && entry.count != 3290 && entry.count != 4160))
        return nullptr;
    std::vector<uint8_t> bytes;
    bool skipped = false;
    if (IVorlatError* err = ReadValueOrSkip(entry, entry.count, &bytes, &skipped); err || skipped)
        return err;
    uint32_t stored = entry.count;
    if (entry.count == 3290) {
        // A curve of 2112 bytes followed by the compressed-raw parameters.
        stored = 2112;
        bytes[0] = 'I';
        bytes[1] = '_';
        auto parameters = std::unique_ptr<CompressedRawParameters>(new (std::nothrow) CompressedRawParameters);
        if (!parameters)
            return QZ_FAIL(kErrAllocation);
        if (main && ParseCompressedRaw(bytes.data() + 2112, 1178, cursor.swap, parameters.get()))
            main->compressedRaw = std::move(parameters);
    }
    if (IVorlatError* err = tags_->AddTag(0x8008C))
        return QZ_WRAP(err);
    return QZ_WRAP(tags_->SetTagValue(0x8008C, kTagTypeCurve, stored, bytes.data(), 0));
}

IVorlatError* MakerNoteCodec::WriteCurve()
{
    const uint32_t size = tags_->GetTagSize(0x8008C, 0);
    std::vector<uint8_t> bytes(size);
    if (!Fetch(0x8008C, size, bytes.data()))
        return QZ_FAIL(kErrNoSuchTag);
    bytes[0] = 'I';
    bytes[1] = '_';
    return WriteEntry(0x008C, kTiffUndefined, size, bytes.data());
}

bool ParseCompressedRaw(const uint8_t* bytes, size_t size, bool swap, CompressedRawParameters* out)
{
    if (size < 10)
        return false;
    for (int i = 0; i < 4; ++i)
        out->predictors[i] = Get16(bytes + 2 * i, swap);
    const size_t curveCount = Get16(bytes + 8, swap);
    size_t at = 10;
    if (2 * curveCount + 2 > size - at)
        return false;
    if (!TryResize(out->curve, curveCount))
        return false;
    for (size_t i = 0; i < curveCount; ++i, at += 2)
        out->curve[i] = Get16(bytes + at, swap);
    const size_t tableLength = Get16(bytes + at, swap);
    at += 2;
    if (tableLength > size - at || !TryResize(out->table, tableLength))
        return false;
    if (tableLength)
        std::memcpy(out->table.data(), bytes + at, tableLength);
    return true;
}

IVorlatError* MakerNoteCodec::ReadCompressedRaw(const IfdEntry& entry, TiffImageRecord* main)
{
    uint32_t offset = FieldU32(entry);
    TranslateOffset(&offset);
    // The layout sizes itself: read what the file holds, at most the written entry's size.
    const uint32_t available = offset < cursor.streamSize ? cursor.streamSize - offset : 0;
    const uint32_t size = available < 1180 ? available : 1180;
    if (size < 12 || !main)
        return nullptr;
    std::vector<uint8_t> bytes(size);
    IVorlatError* err = cursor.Seek(offset, false);
    if (!err)
        err = cursor.ReadBytes(bytes.data(), size);
    if (!err)
        err = cursor.Seek(entry.end, false);
    if (err)
        return QZ_WRAP(err);
    auto parameters = std::unique_ptr<CompressedRawParameters>(new (std::nothrow) CompressedRawParameters);
    if (!parameters)
        return QZ_FAIL(kErrAllocation);
    if (ParseCompressedRaw(bytes.data() + 2, size - 2, cursor.swap, parameters.get()))
        main->compressedRaw = std::move(parameters);
    return nullptr;
}

IVorlatError* MakerNoteCodec::WriteCompressedRaw(const CompressedRawParameters& parameters)
{
    const size_t content = 14 + 2 * parameters.curve.size() + parameters.table.size();
    // The entry has a fixed size; parameters that do not fit cannot be written truthfully.
    if (content > 1180 || parameters.curve.size() > 0xFFFF || parameters.table.size() > 0xFFFF)
        return QZ_FAIL(kErrBadArgument);
    std::vector<uint8_t> bytes(1180, 0);
    bytes[0] = 0x44;
    bytes[1] = 0x10;
    const bool swap = cursor.swap;
    for (int i = 0; i < 4; ++i)
        Put16(&bytes[2 + 2 * i], parameters.predictors[i], swap);
    Put16(&bytes[10], static_cast<uint16_t>(parameters.curve.size()), swap);
    size_t at = 12;
    for (uint16_t v : parameters.curve) {
        Put16(&bytes[at], v, swap);
        at += 2;
    }
    Put16(&bytes[at], static_cast<uint16_t>(parameters.table.size()), swap);
    at += 2;
    if (!parameters.table.empty())
        std::memcpy(&bytes[at], parameters.table.data(), parameters.table.size());
    return WriteRawEntry(0x0096, kTiffUndefined, 1180, bytes.data(), 1180);
}

// ---- Colour balance ---------------------------------------------------------------

namespace {
constexpr uint32_t kBalanceBlock = 156;
constexpr uint32_t kBalanceRecord = 296;

double PutDouble(uint8_t* record, uint32_t at, double v)
{
    std::memcpy(record + at, &v, 8);
    return v;
}

double GetDouble(const uint8_t* record, uint32_t at)
{
    double v;
    std::memcpy(&v, record + at, 8);
    return v;
}
} // namespace

IVorlatError* MakerNoteCodec::ReadColorBalance(const IfdEntry& entry)
{
    uint32_t offset = FieldU32(entry);
    TranslateOffset(&offset);
    if (!cursor.Fits(offset, 4))
        return nullptr;
    std::vector<uint8_t> block(kBalanceBlock, 0);
    const bool decoded = cursor.Fits(offset, kBalanceBlock);
    IVorlatError* err = cursor.Seek(offset, false);
    if (!err)
        err = cursor.ReadBytes(block.data(), decoded ? kBalanceBlock : 4);
    if (!err)
        err = cursor.Seek(entry.end, false);
    if (err)
        return QZ_WRAP(err);

    std::vector<uint8_t> record(kBalanceRecord, 0);
    std::memcpy(record.data(), block.data(), 4);
    if (decoded && std::memcmp(block.data(), "0100", 4) == 0) {
        const bool swap = cursor.swap;
        const uint8_t* b = block.data();
        uint8_t* r = record.data();
        std::memcpy(r + 8, b + 4, 4);
        Put16(r + 12, Get16(b + 8, swap), false);
        std::memcpy(r + 14, b + 10, 4);
        std::memcpy(r + 18, b + 14, 4);
        r[22] = b[18] >> 4;
        r[23] = b[18] & 15;
        r[27] = b[19];
        const uint16_t nibbles = Get16(b + 20, swap);
        r[24] = (nibbles >> 8) & 15;
        r[25] = (nibbles >> 4) & 15;
        r[26] = nibbles & 15;
        std::memcpy(r + 29, b + 22, 42);
        for (int i = 0; i < 4; ++i) {
            const uint16_t v = Get16(b + 64 + 2 * i, swap);
            int16_t s = static_cast<int16_t>(v & 0xFF);
            if ((v & 0x100) && (v & 0xFF))
                s = static_cast<int16_t>(s - 256);
            std::memcpy(r + 72 + 2 * i, &s, 2);
        }
        double balance[2] = {};
        for (int i = 0; i < 4; ++i) {
            const uint16_t v = Get16(b + 72 + 2 * i, swap);
            const double d = PutDouble(r, 80 + 8 * i, ((v >> 8) & 7) + (v & 0xFF) / 255.0);
            if (i < 2)
                balance[i] = d;
        }
        for (int i = 0; i < 9; ++i) {
            uint16_t v = Get16(b + 80 + 2 * i, swap);
            const bool negative = v & 0x200;
            if (negative)
                v = static_cast<uint16_t>(-v);
            // The sign covers the whole value, so that a written value reads back.
            const double magnitude = (v & 0xFF) / 255.0 + ((v & 0x100) ? 1.0 : 0.0);
            PutDouble(r, 112 + 8 * i, negative ? -magnitude : magnitude);
        }
        for (int i = 0; i < 9; ++i) {
            uint16_t v = Get16(b + 98 + 2 * i, swap);
            const bool negative = v & 0x100;
            if (negative)
                v = static_cast<uint16_t>(-v);
            PutDouble(r, 184 + 8 * i, (negative ? -1.0 : 1.0) * ((v & 0xFF) / 255.0));
        }
        std::memcpy(r + 256, b + 116, 40);
        const double four[4] = {balance[0], balance[1], 0.0, 0.0};
        if (IVorlatError* e = tags_->AddTag(0x8000C))
            return QZ_WRAP(e);
        if (IVorlatError* e = tags_->SetTagValue(0x8000C, kTagTypeDoubles, 32, four, 0))
            return QZ_WRAP(e);
    }
    if (IVorlatError* e = tags_->AddTag(0x80097))
        return QZ_WRAP(e);
    return QZ_WRAP(tags_->SetTagValue(0x80097, kTagTypeColorBalance, kBalanceRecord, record.data(), 0));
}

IVorlatError* MakerNoteCodec::WriteColorBalance()
{
    std::vector<uint8_t> record(kBalanceRecord, 0);
    if (!Fetch(0x80097, kBalanceRecord, record.data()))
        return QZ_FAIL(kErrNoSuchTag);
    const bool swap = cursor.swap;
    const uint8_t* r = record.data();
    std::vector<uint8_t> block(kBalanceBlock, 0);
    uint8_t* b = block.data();
    std::memcpy(b, r, 4);
    std::memcpy(b + 4, r + 8, 4);
    Put16(b + 8, Get16(r + 12, false), swap);
    std::memcpy(b + 10, r + 14, 4);
    std::memcpy(b + 14, r + 18, 4);
    b[18] = static_cast<uint8_t>((r[22] & 15) << 4 | (r[23] & 15));
    b[19] = r[27];
    Put16(b + 20, static_cast<uint16_t>((r[24] & 15) << 8 | (r[25] & 15) << 4 | (r[26] & 15)), swap);
    std::memcpy(b + 22, r + 29, 42);
    for (int i = 0; i < 4; ++i) {
        int16_t s;
        std::memcpy(&s, r + 72 + 2 * i, 2);
        Put16(b + 64 + 2 * i, static_cast<uint16_t>(s) & 0x1FF, swap);
    }
    for (int i = 0; i < 4; ++i) {
        const double d = GetDouble(r, 80 + 8 * i);
        const double whole = std::trunc(d);
        Put16(b + 72 + 2 * i, static_cast<uint16_t>((static_cast<int>(whole) & 7) << 8 | static_cast<int>((d - whole) * 256.0)), swap);
    }
    for (int i = 0; i < 9; ++i) {
        const double d = GetDouble(r, 112 + 8 * i);
        const double magnitude = std::fabs(d);
        const double whole = std::trunc(magnitude);
        uint16_t v = static_cast<uint16_t>((static_cast<int>(whole) & 1) << 8 | (static_cast<int>((magnitude - whole) * 256.0) & 0xFF));
        if (d < 0)
            v = static_cast<uint16_t>(static_cast<uint16_t>(-v) | 0x200);
        Put16(b + 80 + 2 * i, v, swap);
    }
    for (int i = 0; i < 9; ++i) {
        const double d = GetDouble(r, 184 + 8 * i);
        uint16_t v = static_cast<uint16_t>(static_cast<int>(std::fabs(d) * 256.0) & 0xFF);
        if (d < 0)
            v = static_cast<uint16_t>(static_cast<uint16_t>(-v) | 0x100);
        Put16(b + 98 + 2 * i, v, swap);
    }
    std::memcpy(b + 116, r + 256, 40);
    return WriteRawEntry(0x0097, kTiffUndefined, kBalanceBlock, block.data(), kBalanceBlock);
}

} // namespace quarnite
