#include "fileio/meta/film_scanner_ifd.h"

#include <cstring>

#include "fileio/quarnite_error.h"
#include "fileio/tiff/ifd_plan.h"

namespace quarnite {
namespace {
constexpr int32_t kSourceId = kSrcMakerNote;
constexpr TagId kFilmNs = 0x90000;
constexpr uint32_t kUnknownGroup = 5;
constexpr uint32_t kCalibrationFile = 56;
constexpr uint32_t kCalibrationStore = 64;

// The ids of the directory, in the order they are written.
constexpr uint16_t kFilmScannerTags[] = {0x0002, 0x0040, 0x0041, 0x0050, 0x0051, 0x0100, 0x0110, 0x0120};

// Longer words first where one begins with another.
struct FilmWord {
    const char* word;
    uint32_t code;
};
constexpr FilmWord kReadWords[] = {
    {"POSITIVE", 3}, {"NEGATIVE(COLOR)", 258}, {"NEGATIVE(MONO)", 257}, {"NEGATIVE", 256}, {"KODACHROME", 0x8003},
};
constexpr FilmWord kWriteWords[] = {
    {"POSITIVE       ", 3}, {"NEGATIVE       ", 256}, {"NEGATIVE(MONO) ", 257}, {"NEGATIVE(COLOR)", 258},
    {"KODACHROME     ", 0x8003},
};

uint32_t Load32(const uint8_t* p) { uint32_t v; std::memcpy(&v, p, 4); return v; }
void Store32(uint8_t* p, uint32_t v) { std::memcpy(p, &v, 4); }
} // namespace

void FilmScannerIfd::TranslateOffset(uint32_t* offset)
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

IVorlatError* FilmScannerIfd::ReadFilmType(const IfdEntry& entry)
{
    if (entry.type != kTiffAscii && entry.type != kTiffUndefined)
        return QZ_FAIL(kErrWrongEntryType);
    std::vector<uint8_t> bytes;
    if (IVorlatError* err = ReadValueBytes(entry, entry.count, true, &bytes))
        return err;
    for (const FilmWord& word : kReadWords) {
        const size_t length = std::strlen(word.word);
        if (bytes.size() >= length && std::memcmp(bytes.data(), word.word, length) == 0) {
            const TagId id = kFilmNs | 0x0002;
            if (IVorlatError* err = tags_->AddTag(id))
                return QZ_WRAP(err);
            return QZ_WRAP(tags_->SetTagValue(id, kTagTypeLongs, 4, &word.code, 0));
        }
    }
    return nullptr;
}

// 56 bytes at the entry's offset: rationals r0..r2, r3, r4, then words a, b, c, e.
// Stored: r0..r2 as doubles, a, b, c, 4 zero bytes, r3, r4, e, 4 zero bytes.
IVorlatError* FilmScannerIfd::ReadCalibration(const IfdEntry& entry, TagId id)
{
    if (entry.type != kTiffUndefined || entry.count != kCalibrationFile)
        return nullptr;
    std::vector<uint8_t> file;
    if (IVorlatError* err = ReadValueBytes(entry, kCalibrationFile, true, &file))
        return err;
    auto rational = [&](uint32_t at) {
        const int32_t num = static_cast<int32_t>(cursor.Order32(Load32(&file[at])));
        const int32_t den = static_cast<int32_t>(cursor.Order32(Load32(&file[at + 4])));
        return den == 0 ? 0.0 : static_cast<double>(num) / den;
    };
    uint8_t record[kCalibrationStore] = {};
    for (int i = 0; i < 3; ++i) {
        const double v = rational(8 * i);
        std::memcpy(record + 8 * i, &v, 8);
    }
    for (int i = 0; i < 3; ++i)
        Store32(record + 24 + 4 * i, cursor.Order32(Load32(&file[40 + 4 * i])));
    for (int i = 0; i < 2; ++i) {
        const double v = rational(24 + 8 * i);
        std::memcpy(record + 40 + 8 * i, &v, 8);
    }
    Store32(record + 56, cursor.Order32(Load32(&file[52])));
    if (IVorlatError* err = tags_->AddTag(id))
        return QZ_WRAP(err);
    return QZ_WRAP(tags_->SetTagValue(id, kTagTypeFilmRecord, kCalibrationStore, record, 0));
}

IVorlatError* FilmScannerIfd::ReadFilmScannerIfd()
{
    if (ifdOffset == 0)
        return nullptr;
    if (IVorlatError* err = cursor.Seek(ifdOffset, false))
        return QZ_WRAP(err);
    uint16_t count = 0;
    if (IVorlatError* err = cursor.ReadU16(&count))
        return QZ_WRAP(err);
    if (count == 0)
        return nullptr;
    if (!cursor.Fits(ifdOffset + 2ull, 12ull * count))
        return QZ_FAIL(kErrReadPastEnd);
    ifdEnd = ifdOffset + 12 * count + 6;
    for (uint32_t i = 0; i < count; ++i) {
        if (IVorlatError* err = cursor.Seek(ifdOffset + 2 + 12 * i, false))
            return QZ_WRAP(err);
        uint16_t tag = 0;
        if (IVorlatError* err = cursor.ReadU16(&tag))
            return QZ_WRAP(err);
        const TagId id = kFilmNs | tag;
        IfdEntry entry;
        IVorlatError* err = nullptr;
        switch (tag) {
        case 0x0002: case 0x0040: case 0x0041: case 0x0050: case 0x0051: case 0x0100: case 0x0110: case 0x0120:
            if ((err = ReadEntry(tag, &entry)))
                break;
            if (tag == 0x0002)
                err = ReadFilmType(entry);
            else if (tag == 0x0110 || tag == 0x0120)
                err = ReadCalibration(entry, id);
            else
                // Out-of-line values count from the same base as the records'.
                err = StoreEntry(id, tag == 0x0041 ? kTagTypeLongs : (tag == 0x0050 || tag == 0x0051) ? kTagTypeDoubles : kTagTypeText,
                                 entry, true, true);
            break;
        default:
            err = ReadUnknownEntryToStore(tag, kUnknownGroup);
            break;
        }
        if (err)
            return QZ_WRAP(err);
    }
    return nullptr;
}

void FilmScannerIfd::ClearFilmScannerTags()
{
    if (!tags_)
        return;
    for (uint16_t tag : kFilmScannerTags)
        if (IVorlatError* err = tags_->RemoveTag(kFilmNs | tag, 0))
            err->Destroy();
    const uint32_t count = tags_->GetTagCount(kUnknownGroup);
    std::vector<tagStrTagInfo> infos;
    if (!count || !TryResize(infos, count))
        return;
    if (IVorlatError* err = tags_->GetTagInfo(infos.data(), count, kUnknownGroup)) {
        err->Destroy();
        return;
    }
    for (const tagStrTagInfo& info : infos)
        if (IVorlatError* err = tags_->RemoveTag(info.tag, kUnknownGroup))
            err->Destroy();
}

IVorlatError* FilmScannerIfd::WriteCalibration(TagId id)
{
    uint8_t record[kCalibrationStore];
    if (IVorlatError* err = tags_->GetTagValue(id, kTagTypeFilmRecord, kCalibrationStore, record, 0))
        return QZ_WRAP(err);
    double values[5];
    std::memcpy(values, record, 24);
    std::memcpy(values + 3, record + 40, 16);
    uint32_t pairs[10];
    DoublesToRationals(values, pairs, 5, true);
    // Everything in the directory's byte order, as the reader takes it.
    uint8_t file[kCalibrationFile];
    for (int i = 0; i < 10; ++i)
        Store32(file + 4 * i, cursor.Order32(pairs[i]));
    for (int i = 0; i < 3; ++i)
        Store32(file + 40 + 4 * i, cursor.Order32(Load32(record + 24 + 4 * i)));
    Store32(file + 52, cursor.Order32(Load32(record + 56)));
    return WriteRawEntry(static_cast<uint16_t>(id), kTiffUndefined, kCalibrationFile, file, kCalibrationFile);
}

IVorlatError* FilmScannerIfd::WriteFilmScannerIfd()
{
    if (!tags_ || ifdOffset == 0)
        return nullptr;
    if (IVorlatError* err = cursor.Sync())
        return QZ_WRAP(err);
    const uint32_t place = cursor.position;

    IfdPlan plan;
    for (uint16_t tag : kFilmScannerTags) {
        const TagId id = kFilmNs | tag;
        if (!tags_->IsExist(id, 0))
            continue;
        switch (tag) {
        case 0x0002:
            plan.Add(tag, [this, id]() -> IVorlatError* {
                uint32_t code = 0;
                if (tags_->GetTagSize(id, 0) == 4)
                    if (IVorlatError* e = tags_->GetTagValue(id, kTagTypeLongs, 4, &code, 0))
                        return QZ_WRAP(e);
                char word[16] = "               ";
                for (const FilmWord& w : kWriteWords)
                    if (w.code == code)
                        std::memcpy(word, w.word, 16);
                return WriteEntry(0x0002, kTiffAscii, 16, word);
            });
            break;
        case 0x0040: case 0x0100: plan.Add(tag, [this, id]() { return WriteTagEntry(id, kTiffAscii); }); break;
        case 0x0041: plan.Add(tag, [this, id]() { return WriteTagEntry(id, kTiffShort); }); break;
        case 0x0050: case 0x0051: plan.Add(tag, [this, id]() { return WriteTagEntry(id, kTiffSRational); }); break;
        default:
            // Only a record of the calibration layout is written (and counted).
            if (tags_->GetTagType(id, 0) == kTagTypeFilmRecord && tags_->GetTagSize(id, 0) == kCalibrationStore)
                plan.Add(tag, [this, id]() { return WriteCalibration(id); });
            break;
        }
    }
    IVorlatError* err = plan.MergeUnknown(*this, kUnknownGroup);
    if (err)
        return QZ_WRAP(err);
    const uint32_t count = static_cast<uint32_t>(plan.Count());
    // No directory without entries: the maker note's pointer stays 0 (none).
    if (count == 0)
        return nullptr;
    err = cursor.Seek(ifdOffset, false);
    if (!err)
        err = cursor.WriteU32(place - offsetBase);
    if (!err)
        err = cursor.Seek(place, false);
    if (err)
        return QZ_WRAP(err);
    if ((err = cursor.WriteU16(static_cast<uint16_t>(count))))
        return QZ_WRAP(err);
    nextDataOffset = cursor.position - offsetBase + 12 * count + 4;
    if ((err = plan.WriteAll()))
        return QZ_WRAP(err);
    if ((err = cursor.WriteU32(0)))
        return QZ_WRAP(err);
    return QZ_WRAP(FlushData());
}

} // namespace quarnite
