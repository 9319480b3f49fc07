#include "fileio/quicktime_reader.h"

#include <new>
#include <vector>

#include "fileio/jpeg_reader.h"
#include "fileio/jpeg_segment_stream.h"
#include "fileio/quarnite_error.h"

namespace {
constexpr int32_t kSourceId = quarnite::kSrcQuickTime;
using namespace quarnite;

constexpr int64_t kMaxPosition = 0x7FFFFFFF;
// Offsets into the preview picture atom.
constexpr uint32_t kPreviewBottom = 14;
constexpr uint32_t kPreviewRight = 16;
constexpr uint32_t kPreviewJpeg = 230;
// Bytes of the sample description read, from the end of the "stsd" header.
constexpr uint32_t kSampleDescriptionBytes = 92;

constexpr uint32_t FourCc(const char (&id)[5])
{
    return static_cast<uint32_t>(static_cast<uint8_t>(id[0])) << 24 |
           static_cast<uint32_t>(static_cast<uint8_t>(id[1])) << 16 |
           static_cast<uint32_t>(static_cast<uint8_t>(id[2])) << 8 | static_cast<uint32_t>(static_cast<uint8_t>(id[3]));
}

uint16_t Be16(const uint8_t* p) { return static_cast<uint16_t>(p[0] << 8 | p[1]); }

uint32_t Be32(const uint8_t* p)
{
    return static_cast<uint32_t>(p[0]) << 24 | static_cast<uint32_t>(p[1]) << 16 | static_cast<uint32_t>(p[2]) << 8 |
           static_cast<uint32_t>(p[3]);
}

IVorlatError* StoreLongs(IVorlatTagControl* tags, TagId id, const uint32_t* values, uint32_t count)
{
    if (IVorlatError* err = tags->AddTag(id))
        return QZ_WRAP(err);
    return QZ_WRAP(tags->SetTagValue(id, kTagTypeLongs, 4 * count, values, 0));
}

// The spatial quality of the sample description as the maker note codes it;
// 0 for a quality of none of the six levels.
uint32_t QualityCode(uint32_t quality)
{
    switch (quality) {
    case 0x000: return 0x40;
    case 0x100: return 0x41;
    case 0x200: return 0x42;
    case 0x300: return 0x43;
    case 0x3FF: return 0x44;
    case 0x400: return 0x45;
    default: return 0;
    }
}
} // namespace

namespace quarnite {

IVorlatError* ProbeQuickTime(IVorlatStream* stream, int32_t* format)
{
    if (!stream || !format)
        return QZ_FAIL(kErrBadArgument);
    if (IVorlatError* err = stream->Seek(4, 0)) {
        err->Destroy();  // shorter than an atom header
        return nullptr;
    }
    uint8_t type[4];
    if (IVorlatError* err = stream->LoadToMemory(type, 4)) {
        err->Destroy();
        return nullptr;
    }
    if (Be32(type) == FourCc("pnot"))
        *format = kFormatQuickTime;
    return nullptr;
}

IVorlatFormatReader* CreateQuickTimeReader(IVorlatStream* stream, IVorlatTagControl* tags, int32_t)
{
    return new (std::nothrow) CQuickTimeReader(stream, tags);
}

void QuickTimeDateText(uint32_t movieTime, char text[20])
{
    // Seconds from 1904 to 1970.
    const int64_t seconds = static_cast<int64_t>(movieTime) - 2082844800;
    int64_t year = 1970, month = 1, day = 1, hour = 0, minute = 0, second = 0;
    if (seconds >= 0) {
        // The UTC calendar date of a day count (proleptic Gregorian, eras of 400 years).
        const int64_t z = seconds / 86400 + 719468;
        const int64_t era = z / 146097;
        const int64_t dayOfEra = z - era * 146097;
        const int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
        const int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
        const int64_t shifted = (5 * dayOfYear + 2) / 153;  // months from March
        day = dayOfYear - (153 * shifted + 2) / 5 + 1;
        month = shifted < 10 ? shifted + 3 : shifted - 9;
        year = yearOfEra + era * 400 + (month <= 2 ? 1 : 0);
        const int64_t time = seconds % 86400;
        hour = time / 3600;
        minute = time / 60 % 60;
        second = time % 60;
    }
    const int64_t fields[6] = {year, month, day, hour, minute, second};
    const int widths[6] = {4, 2, 2, 2, 2, 2};
    const char separators[6] = {':', ':', ' ', ':', ':', '\0'};
    char* p = text;
    for (int i = 0; i < 6; ++i) {
        int64_t value = fields[i];
        for (int digit = widths[i] - 1; digit >= 0; --digit, value /= 10)
            p[digit] = static_cast<char>('0' + value % 10);
        p += widths[i];
        *p++ = separators[i];
    }
}

// ---- Atoms ----------------------------------------------------------------------

IVorlatError* CQuickTimeReader::ReadAt(uint64_t at, void* buffer, uint32_t bytes)
{
    if (at > static_cast<uint64_t>(kMaxPosition))
        return QZ_FAIL(kErrSeek);
    if (IVorlatError* err = stream_->Seek(static_cast<int32_t>(at), 0))
        return QZ_WRAP(err);
    return QZ_WRAP(stream_->LoadToMemory(buffer, bytes));
}

IVorlatError* CQuickTimeReader::ReadAtom(uint64_t at, uint64_t parentEnd, QuickTimeAtom* atom)
{
    if (at + 8 > parentEnd)
        return QZ_FAIL(kErrReadPastEnd);
    uint8_t header[16];
    if (IVorlatError* err = ReadAt(at, header, 8))
        return err;
    atom->offset = at;
    atom->type = Be32(header + 4);
    atom->header = 8;
    const uint32_t size = Be32(header);
    if (size == 1) {
        // A 64-bit size follows the type.
        if (at + 16 > parentEnd)
            return QZ_FAIL(kErrReadPastEnd);
        if (IVorlatError* err = QZ_WRAP(stream_->LoadToMemory(header + 8, 8)))
            return err;
        atom->header = 16;
        atom->size = static_cast<uint64_t>(Be32(header + 8)) << 32 | Be32(header + 12);
        if (atom->size < 16)
            return QZ_FAIL(kErrUnknownFormat);
    } else if (size == 0) {
        atom->size = parentEnd - at;  // runs to its parent's end
    } else if (size < 8) {
        return QZ_FAIL(kErrUnknownFormat);
    } else {
        atom->size = size;
    }
    if (atom->size > parentEnd - at)
        return QZ_FAIL(kErrReadPastEnd);
    return nullptr;
}

IVorlatError* CQuickTimeReader::ReadLayout()
{
    if (layoutRead_)
        return nullptr;
    uint32_t size = 0;
    if (IVorlatError* err = stream_->GetSize(&size))
        return QZ_WRAP(err);
    QuickTimeAtom reference;
    IVorlatError* err = nullptr;
    if ((err = ReadAtom(0, size, &reference)) || (err = ReadAtom(reference.End(), size, &preview_)) ||
        (err = ReadAtom(preview_.End(), size, &third_)) || (err = ReadAtom(third_.End(), size, &movie_)))
        return err;
    layoutRead_ = true;
    return nullptr;
}

// ---- Preview ----------------------------------------------------------------------

IVorlatError* CQuickTimeReader::ReadPreviewSize(uint32_t offset, int32_t* value)
{
    if (IVorlatError* err = ReadLayout())
        return err;
    if (preview_.offset + offset + 2 > preview_.End())
        return QZ_FAIL(kErrReadPastEnd);
    uint8_t bytes[2];
    if (IVorlatError* err = ReadAt(preview_.offset + offset, bytes, 2))
        return err;
    *value = Be16(bytes);
    return nullptr;
}

IVorlatError* CQuickTimeReader::GetThumbnailColorSpace(int32_t index, int32_t* code)
{
    if (index != 1 || !code)
        return QZ_FAIL(kErrBadArgument);
    *code = 32;
    return nullptr;
}

IVorlatError* CQuickTimeReader::GetThumbnailWidth(int32_t index, int32_t* width)
{
    if (index != 1 || !width)
        return QZ_FAIL(kErrBadArgument);
    return ReadPreviewSize(kPreviewRight, width);
}

IVorlatError* CQuickTimeReader::GetThumbnailHeight(int32_t index, int32_t* height)
{
    if (index != 1 || !height)
        return QZ_FAIL(kErrBadArgument);
    return ReadPreviewSize(kPreviewBottom, height);
}

// The preview's JPEG stream starts at a fixed offset of its atom and is read
// through a window that ends with the atom.
IVorlatError* CQuickTimeReader::LoadPreview(IVorlatImage* image)
{
    if (IVorlatError* err = ReadLayout())
        return err;
    const uint64_t start = preview_.offset + kPreviewJpeg;
    if (start > preview_.End())
        return QZ_FAIL(kErrReadPastEnd);
    if (IVorlatError* err = stream_->Seek(0, 0))
        return QZ_WRAP(err);
    CJpegSegmentStream* window = new (std::nothrow)
        CJpegSegmentStream(stream_, static_cast<uint32_t>(start), static_cast<uint32_t>(preview_.End() - start));
    if (!window)
        return QZ_FAIL(kErrAllocation);
    CJpegReader* reader = new (std::nothrow) CJpegReader(window, nullptr, true);
    IVorlatError* err = reader ? reader->BeginLoadImage(image) : QZ_FAIL(kErrAllocation);
    while (!err && !reader->IsFinished())
        err = reader->Execute();
    delete reader;
    window->Destroy();
    return QZ_WRAP(err);
}

IVorlatError* CQuickTimeReader::LoadThumbnail(int32_t index, IVorlatImage* image)
{
    if (index != 1)
        return QZ_FAIL(kErrNotSupported);
    if (!image)
        return QZ_FAIL(kErrBadArgument);
    return LoadPreview(image);
}

IVorlatError* CQuickTimeReader::BeginLoadImage(IVorlatImage* image)
{
    if (!image)
        return QZ_FAIL(kErrBadArgument);
    image_ = image;
    imageLoaded_ = false;
    return LoadTags();
}

IVorlatError* CQuickTimeReader::BeginLoadImage(IVorlatImage* image, uint32_t) { return BeginLoadImage(image); }

IVorlatError* CQuickTimeReader::Execute()
{
    if (imageLoaded_)
        return nullptr;
    if (!image_)
        return QZ_FAIL(kErrState);
    if (IVorlatError* err = LoadPreview(image_))
        return err;
    imageLoaded_ = true;
    return nullptr;
}

void CQuickTimeReader::GetProgress(int32_t* done, int32_t* total)
{
    // One step loads everything; there is nothing in between to show.
    if (done)
        *done = 0;
    if (total)
        *total = 0;
}

IVorlatError* CQuickTimeReader::LoadTileRow(int32_t) { return nullptr; }

// ---- Tags ---------------------------------------------------------------------------

IVorlatError* CQuickTimeReader::LoadTags()
{
    if (tagsLoaded_)
        return nullptr;
    if (!tags_)
        return QZ_FAIL(kErrBadArgument);
    if (IVorlatError* err = ReadLayout())
        return err;
    if (IVorlatError* err = ReadMovieInformation())
        return err;
    // The user data is a child of the movie.
    for (uint64_t at = movie_.Body(); movie_.End() - at >= 8;) {
        QuickTimeAtom child;
        if (IVorlatError* err = ReadAtom(at, movie_.End(), &child))
            return err;
        if (child.type == FourCc("udta")) {
            if (IVorlatError* err = ReadUserData(child))
                return err;
            break;
        }
        at = child.End();
    }
    tagsLoaded_ = true;
    return nullptr;
}

IVorlatError* CQuickTimeReader::ReadMovieInformation()
{
    // The movie header comes first: its time after version, flags and creation time.
    QuickTimeAtom header;
    if (IVorlatError* err = ReadAtom(movie_.Body(), movie_.End(), &header))
        return err;
    if (header.Body() + 12 > header.End())
        return QZ_FAIL(kErrReadPastEnd);
    uint8_t time[4];
    if (IVorlatError* err = ReadAt(header.Body() + 8, time, 4))
        return err;
    char date[20];
    QuickTimeDateText(Be32(time), date);
    if (IVorlatError* err = tags_->AddTag(0x132))
        return QZ_WRAP(err);
    if (IVorlatError* err = tags_->SetTagValue(0x132, kTagTypeText, sizeof date, date, 0))
        return QZ_WRAP(err);

    // The first sample description, found through the track, media,
    // media information and sample table atoms; every walk stays inside the
    // atom it walks.
    std::vector<uint64_t> ends{movie_.End()};
    uint64_t at = movie_.Body();
    while (!ends.empty()) {
        // Fewer bytes than an atom header at the end of a container are slack;
        // the walk goes on after the container.
        if (ends.back() - at < 8) {
            at = ends.back();
            ends.pop_back();
            continue;
        }
        QuickTimeAtom atom;
        if (IVorlatError* err = ReadAtom(at, ends.back(), &atom))
            return err;
        if (atom.type == FourCc("stsd"))
            return ReadSampleDescription(atom);
        if (atom.type == FourCc("trak") || atom.type == FourCc("mdia") || atom.type == FourCc("minf") ||
            atom.type == FourCc("stbl")) {
            ends.push_back(atom.End());
            at = atom.Body();
        } else {
            at = atom.End();
        }
    }
    return nullptr;  // a movie without a sample description has none of its tags
}

IVorlatError* CQuickTimeReader::ReadSampleDescription(const QuickTimeAtom& stsd)
{
    if (stsd.Body() + kSampleDescriptionBytes > stsd.End())
        return QZ_FAIL(kErrReadPastEnd);
    uint8_t d[kSampleDescriptionBytes];
    if (IVorlatError* err = ReadAt(stsd.Body(), d, kSampleDescriptionBytes))
        return err;
    // After the table's version, flags and count, the first entry's size,
    // format, reference index, version, vendor and temporal quality.
    const uint32_t quality = QualityCode(Be32(d + 36));
    if (quality)
        if (IVorlatError* err = StoreLongs(tags_, 0x80004, &quality, 1))
            return err;
    const uint32_t width = Be16(d + 40);
    const uint32_t height = Be16(d + 42);
    if (IVorlatError* err = StoreLongs(tags_, kTagImageWidth, &width, 1))
        return err;
    if (IVorlatError* err = StoreLongs(tags_, kTagImageHeight, &height, 1))
        return err;
    if (image_)
        if (IVorlatError* err = image_->SetSize(static_cast<int32_t>(width), static_cast<int32_t>(height)))
            return QZ_WRAP(err);
    // 16.16 fixed point, pixels per inch.
    const double resolution = Be32(d + 44) / 65536.0;
    if (IVorlatError* err = tags_->AddTag(kTagResolution))
        return QZ_WRAP(err);
    if (IVorlatError* err = tags_->SetTagValue(kTagResolution, kTagTypeDoubles, 8, &resolution, 0))
        return QZ_WRAP(err);
    // After the vertical resolution, data size, frame count and the 32-byte compressor name.
    const uint32_t depth = Be16(d + 90);
    uint32_t bits[4];
    if (depth < 32)
        bits[0] = bits[1] = bits[2] = depth / 3, bits[3] = 0;
    else if (depth == 32)
        bits[0] = bits[1] = bits[2] = bits[3] = 8;
    else
        bits[0] = bits[1] = bits[2] = bits[3] = depth - 32;
    return StoreLongs(tags_, 0x102, bits, 4);
}

IVorlatError* CQuickTimeReader::ReadUserData(const QuickTimeAtom& udta)
{
    // Another maker's movie has no such record; it simply gives none of its tags.
    if (udta.offset + kUserDataRecordEnd > udta.End())
        return nullptr;
    uint8_t record[kUserDataRecordEnd];
    if (IVorlatError* err = ReadAt(udta.offset, record, kUserDataRecordEnd))
        return err;
    return QZ_WRAP(StoreQuickTimeUserData(record, tags_, image_));
}

} // namespace quarnite
