#include "fileio/meta/exif_ifd.h"

#include <cstring>

#include "fileio/quarnite_error.h"
#include "fileio/tiff/ifd_plan.h"

namespace quarnite {
namespace {
constexpr int32_t kSourceId = kSrcExifIfd;
constexpr uint32_t kRawFormat = 0x100000;
constexpr uint16_t kMakerNote = 0x927C;
constexpr uint16_t kUserComment = 0x9286;

struct ExifTag {
    uint16_t tag;
    uint16_t written;   // TIFF field type
    uint32_t stored;    // store type code; 0: not stored
};

// Ascending: the order in which the IFD is written.
constexpr ExifTag kExifTable[] = {
    {0x829A, kTiffRational, 0x8},   {0x829D, kTiffRational, 0x8},   {0x8822, kTiffShort, 0x4},
    {0x8824, kTiffAscii, 0x2},      {0x8827, kTiffShort, 0x4},      {0x8828, kTiffUndefined, 0x1},
    {0x9000, kTiffUndefined, 0x1},  {0x9003, kTiffAscii, 0x2},      {0x9004, kTiffAscii, 0x2},
    {0x9101, kTiffUndefined, 0},    {0x9102, kTiffRational, 0},     {0x9201, kTiffSRational, 0x200},
    {0x9202, kTiffRational, 0x8},   {0x9203, kTiffSRational, 0x8},  {0x9204, kTiffSRational, 0x200},
    {0x9205, kTiffRational, 0x8},   {0x9206, kTiffRational, 0x8},   {0x9207, kTiffShort, 0x4},
    {0x9208, kTiffShort, 0x4},      {0x9209, kTiffShort, 0x4},      {0x920A, kTiffRational, 0x8},
    {0x927C, kTiffUndefined, 0x1},  {0x9286, kTiffUndefined, 0x1},  {0x9290, kTiffAscii, 0x2},
    {0x9291, kTiffAscii, 0x2},      {0x9292, kTiffAscii, 0x2},      {0xA000, kTiffUndefined, 0x1},
    {0xA001, kTiffShort, 0x4},      {0xA002, kTiffLong, 0},         {0xA003, kTiffLong, 0},
    {0xA004, kTiffAscii, 0x2},      {0xA005, 0, 0},                 {0xA20B, kTiffRational, 0x8},
    {0xA20C, kTiffUndefined, 0x1},  {0xA20E, kTiffRational, 0x8},   {0xA20F, kTiffRational, 0x8},
    {0xA210, kTiffShort, 0x4},      {0xA214, kTiffShort, 0x4},      {0xA215, kTiffRational, 0x8},
    {0xA217, kTiffShort, 0x4},      {0xA300, kTiffUndefined, 0x1},  {0xA301, kTiffUndefined, 0x1},
    {0xA302, kTiffUndefined, 0x1},
};
static_assert(std::size(kExifTable) == 43, "the Exif table has 43 tags");

const ExifTag* FindExifTag(uint32_t tag)
{
    for (const ExifTag& e : kExifTable)
        if (e.tag == tag)
            return &e;
    return nullptr;
}

// The 8-byte character code in front of a UserComment, by the stored value's type.
struct CommentCode {
    uint32_t type;
    char code[8];
};
constexpr CommentCode kCommentCodes[] = {
    {kTagTypeBytes, {0, 0, 0, 0, 0, 0, 0, 0}},
    {kTagTypeText, {'A', 'S', 'C', 'I', 'I', 0, 0, 0}},
    {kTagTypeJisText, {'J', 'I', 'S', 0, 0, 0, 0, 0}},
    {kTagTypeUnicodeText, {'U', 'n', 'i', 'c', 'o', 'd', 'e', 0}},
};

bool JpegFormat(uint32_t format) { return format == 4 || format == 0x10 || format == 0x20; }

// The maker's own maker note is read by its own codec; any other is kept whole.
bool MakeIsMaker(const IVorlatTagControl* tags)
{
    const TagId kMake = 0x10F;
    if (!tags->IsExist(kMake, 0))
        return false;
    uint32_t size = tags->GetTagSize(kMake, 0);
    std::vector<char> make(size + 1, 0);
    IVorlatError* err = tags->GetTagValue(kMake, tags->GetTagType(kMake, 0), size, make.data(), 0);
    if (err) {
        err->Destroy();
        return false;
    }
    const char* maker = "KORVA";
    for (int i = 0; i < 5; ++i) {
        char c = make[i];
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 32);
        if (c != maker[i])
            return false;
    }
    return true;
}
} // namespace

uint16_t ExifTagType(uint32_t tag)
{
    const ExifTag* e = FindExifTag(tag);
    return e ? e->written : 0;
}

IVorlatError* ExifIfdCodec::WriteIfd(uint32_t width, uint32_t height)
{
    // No pointer was written: nothing may be patched (offset 0 is the TIFF header).
    if (!tags_ || exifIfdOffset == 0)
        return nullptr;
    if (IVorlatError* err = cursor.Sync())
        return QZ_WRAP(err);
    const uint32_t start = cursor.position;
    if (IVorlatError* err = cursor.Seek(exifIfdOffset, false))
        return QZ_WRAP(err);
    if (IVorlatError* err = cursor.WriteU32(start))
        return QZ_WRAP(err);
    if (IVorlatError* err = cursor.Seek(start, false))
        return QZ_WRAP(err);

    IfdPlan plan;
    for (const ExifTag& e : kExifTable) {
        const uint16_t tag = e.tag;
        const uint16_t type = e.written;
        const bool present = tags_->IsExist(tag, 0);
        switch (tag) {
        case 0x9000:
        case 0xA000:
            if (format == kRawFormat)
                break;
            plan.Add(tag, [this, tag, present]() -> IVorlatError* {
                if (present)
                    return WriteTagEntry(tag, kTiffUndefined);
                return WriteEntry(tag, kTiffUndefined, 4, tag == 0x9000 ? "0210" : "0100");
            });
            break;
        case 0x9101:
            if (JpegFormat(format))
                plan.Add(tag, [this]() {
                    const uint8_t components[4] = {1, 2, 3, 0};
                    return WriteEntry(0x9101, kTiffUndefined, 4, components);
                });
            break;
        case kMakerNote:
            plan.Add(tag, [this]() {
                makerNoteEntryPosition = cursor.position + 4;
                const uint8_t zero[4] = {};
                return WriteEntry(kMakerNote, kTiffUndefined, 1, zero);
            });
            break;
        case kUserComment:
            if (present)
                plan.Add(tag, [this]() -> IVorlatError* {
                    uint32_t size = tags_->GetTagSize(kUserComment, 0);
                    uint32_t stored = tags_->GetTagType(kUserComment, 0);
                    std::vector<uint8_t> field;
                    if (!TryResize(field, size + 8ull))
                        return QZ_FAIL(kErrAllocation);
                    std::memcpy(field.data(), kCommentCodes[0].code, 8);
                    for (const CommentCode& c : kCommentCodes)
                        if (c.type == stored)
                            std::memcpy(field.data(), c.code, 8);
                    if (IVorlatError* err = tags_->GetTagValue(kUserComment, stored, size, field.data() + 8, 0))
                        return QZ_WRAP(err);
                    return WriteEntry(kUserComment, kTiffUndefined, size + 8, field.data());
                });
            break;
        case 0xA001:
            plan.Add(tag, [this, present]() -> IVorlatError* {
                if (present)
                    return WriteTagEntry(0xA001, kTiffShort);
                uint32_t one = 1;
                return WriteEntry(0xA001, kTiffShort, 1, &one);
            });
            break;
        case 0xA002:
        case 0xA003:
            if (JpegFormat(format)) {
                // An update has no image of its own (0): the size read from the file stays.
                uint32_t value = tag == 0xA002 ? width : height;
                if (value == 0 && present && tags_->GetTagSize(tag, 0) == 4)
                    if (IVorlatError* err = tags_->GetTagValue(tag, kTagTypeLongs, 4, &value, 0))
                        return QZ_WRAP(err);
                plan.Add(tag, [this, tag, value]() { return WriteEntry(tag, kTiffLong, 1, &value); });
            }
            break;
        case 0xA005:
            break;
        default:
            if (present)
                plan.Add(tag, [this, tag, type]() { return WriteTagEntry(tag, type); });
            break;
        }
    }
    if (IVorlatError* err = plan.MergeUnknown(*this, 2))
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

IVorlatError* ExifIfdCodec::ReadIfd(uint32_t* width, uint32_t* height)
{
    if (exifIfdOffset == 0)
        return nullptr;
    if (IVorlatError* err = cursor.Seek(exifIfdOffset, false))
        return QZ_WRAP(err);
    uint16_t entries = 0;
    if (IVorlatError* err = cursor.ReadU16(&entries))
        return QZ_WRAP(err);
    if (entries == 0)
        return nullptr;
    if (!cursor.Fits(exifIfdOffset + 2ull, 12ull * entries))
        return QZ_FAIL(kErrReadPastEnd);

    for (uint32_t i = 0; i < entries; ++i) {
        const uint32_t entryStart = exifIfdOffset + 2 + 12 * i;
        if (IVorlatError* err = cursor.Seek(entryStart, false))
            return QZ_WRAP(err);
        uint16_t tag = 0;
        if (IVorlatError* err = cursor.ReadU16(&tag))
            return QZ_WRAP(err);
        const ExifTag* known = FindExifTag(tag);
        IVorlatError* err = nullptr;
        if (!known) {
            err = ReadUnknownEntryToStore(tag, 2);
        } else if (tag == 0x9101 || tag == 0x9102) {
            continue;
        } else if (tag == kMakerNote) {
            IfdEntry entry;
            if (!(err = ReadEntry(tag, &entry))) {
                if (MakeIsMaker(tags_)) {
                    if (entry.type == kTiffUndefined) {
                        makerNoteCount = entry.count;
                        makerNoteOffset = FieldU32(entry);
                    }
                } else {
                    err = StoreEntry(kMakerNote, kTagTypeBytes, entry, false, false);
                }
            }
        } else if (tag == kUserComment) {
            IfdEntry entry;
            if (!(err = ReadEntry(tag, &entry)) && entry.type == kTiffUndefined && entry.count >= 8) {
                std::vector<uint8_t> field;
                err = ReadValueBytes(entry, entry.count, false, &field);
                if (err && ChainHas(err, kErrReadPastEnd)) {
                    err->Destroy();
                    err = nullptr;
                    continue;
                }
                for (const CommentCode& c : kCommentCodes) {
                    if (err || std::memcmp(field.data(), c.code, 8) != 0)
                        continue;
                    if (!(err = tags_->AddTag(kUserComment)))
                        err = tags_->SetTagValue(kUserComment, c.type, entry.count - 8, field.data() + 8, 0);
                    if (!err && entry.count == 8)
                        tags_->RemoveTag(kUserComment, 0);  // an empty comment is no value
                    break;
                }
            }
        } else if (tag == 0xA002 || tag == 0xA003) {
            uint32_t value = 0, n = 0;
            err = ReadIntegerArray(&value, 1, &n);
            if (!err && n == 1) {
                *(tag == 0xA002 ? width : height) = value;
                // Kept in the store for an update, which writes the Exif IFD again without the image.
                if (!(err = tags_->AddTag(tag)))
                    err = tags_->SetTagValue(tag, kTagTypeLongs, 4, &value, 0);
            }
        } else if (tag == 0xA005) {
            uint32_t n = 0;
            err = ReadIntegerArray(&interopOffset, 1, &n);
        } else {
            err = ReadEntryToStore(tag, known->stored);
        }
        if (err)
            return QZ_WRAP(err);
    }
    return nullptr;
}

} // namespace quarnite
