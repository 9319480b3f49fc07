#include "fileio/wav_reader.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <vector>

#include "fileio/quarnite_error.h"

namespace {
constexpr int32_t kSourceId = quarnite::kSrcWav;
using namespace quarnite;

constexpr uint32_t kChunkHeader = 8;  // id and size
constexpr int64_t kMaxPosition = 0x7FFFFFFF;

constexpr uint32_t FourCc(const char (&id)[5])
{
    return static_cast<uint32_t>(static_cast<uint8_t>(id[0])) | static_cast<uint32_t>(static_cast<uint8_t>(id[1])) << 8 |
           static_cast<uint32_t>(static_cast<uint8_t>(id[2])) << 16 |
           static_cast<uint32_t>(static_cast<uint8_t>(id[3])) << 24;
}

uint32_t Le32(const uint8_t* p)
{
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
           static_cast<uint32_t>(p[3]) << 24;
}

struct TextItem {
    uint32_t list;
    uint32_t id;
    TagId tag;
};

const TextItem kTextItems[] = {
    {FourCc("INFO"), FourCc("INAM"), 0x40001},  // title
    {FourCc("INFO"), FourCc("IGNR"), 0x40002},  // genre
    {FourCc("INFO"), FourCc("ICRD"), 0x40003},  // creation date
    {FourCc("INFO"), FourCc("ICMT"), 0x40004},  // comment
    {FourCc("INFO"), FourCc("IART"), 0x13B},    // Artist
    {FourCc("INFO"), FourCc("ICOP"), 0x8298},   // Copyright
    {FourCc("exif"), FourCc("erel"), 0x41002},  // related image file
    {FourCc("exif"), FourCc("etim"), 0x41003},  // creation time
    {FourCc("exif"), FourCc("ecor"), 0x10F},    // Make
    {FourCc("exif"), FourCc("emdl"), 0x110},    // Model
};

const TextItem* FindTextItem(uint32_t list, uint32_t id)
{
    for (const TextItem& item : kTextItems)
        if (item.list == list && item.id == id)
            return &item;
    return nullptr;
}
} // namespace

namespace quarnite {

IVorlatError* ProbeWav(IVorlatStream* stream, int32_t* format)
{
    if (!stream || !format)
        return QZ_FAIL(kErrBadArgument);
    if (IVorlatError* err = stream->Seek(0, 0))
        return QZ_WRAP(err);
    uint8_t head[12];
    if (IVorlatError* err = stream->LoadToMemory(head, sizeof head)) {
        err->Destroy();  // too short to be a RIFF form
        return nullptr;
    }
    if (Le32(head) == FourCc("RIFF") && Le32(head + 8) == FourCc("WAVE"))
        *format = kFormatWav;
    return nullptr;
}

IVorlatFormatReader* CreateWavReader(IVorlatStream* stream, IVorlatTagControl* tags, int32_t)
{
    return new (std::nothrow) CWavReader(stream, tags);
}

IVorlatError* CWavReader::Execute() { return QZ_FAIL(kErrNoImage); }
IVorlatError* CWavReader::BeginLoadImage(IVorlatImage*, uint32_t) { return QZ_FAIL(kErrNoImage); }
IVorlatError* CWavReader::BeginLoadImage(IVorlatImage*) { return QZ_FAIL(kErrNoImage); }
IVorlatError* CWavReader::Update(IVorlatStream*, IVorlatDataSource**, uint32_t) { return QZ_FAIL(kErrNoImage); }
IVorlatError* CWavReader::Update(IVorlatStream*) { return QZ_FAIL(kErrNoImage); }
IVorlatError* CWavReader::LoadTileRow(int32_t) { return QZ_FAIL(kErrNoImage); }

// Nothing is ever loaded, so there is never progress to show.
void CWavReader::GetProgress(int32_t* done, int32_t* total)
{
    if (done)
        *done = 0;
    if (total)
        *total = 0;
}

IVorlatError* CWavReader::Read(void* buffer, uint32_t bytes)
{
    if (IVorlatError* err = stream_->LoadToMemory(buffer, bytes))
        return QZ_WRAP(err);
    position_ += bytes;
    return nullptr;
}

IVorlatError* CWavReader::Skip(uint64_t bytes)
{
    const uint64_t target = position_ + bytes;
    if (target > static_cast<uint64_t>(kMaxPosition))
        return QZ_FAIL(kErrSeek);
    if (IVorlatError* err = stream_->Seek(static_cast<int32_t>(target), 0))
        return QZ_WRAP(err);
    position_ = target;
    return nullptr;
}

IVorlatError* CWavReader::SkipPad(uint64_t end)
{
    if (position_ >= end)
        return nullptr;
    uint8_t pad = 0;
    if (IVorlatError* err = Read(&pad, 1))
        return err;
    if (pad == 0)
        return nullptr;
    // A writer that leaves the pad out starts the next chunk here.
    position_ -= 1;
    return QZ_WRAP(stream_->Seek(static_cast<int32_t>(position_), 0));
}

IVorlatError* CWavReader::ReadList(uint32_t type, uint64_t end)
{
    std::vector<uint8_t> body;
    // Fewer bytes than an item header at the end of a list are slack.
    while (end - position_ >= kChunkHeader) {
        uint8_t header[kChunkHeader];
        if (IVorlatError* err = Read(header, kChunkHeader))
            return err;
        const uint32_t id = Le32(header);
        const uint32_t size = Le32(header + 4);
        if (size > end - position_)
            return QZ_FAIL(kErrReadPastEnd);
        const TextItem* item = FindTextItem(type, id);
        if (item || (type == FourCc("exif") && id == FourCc("ever"))) {
            if (!TryResize(body, size))
                return QZ_FAIL(kErrAllocation);
            if (IVorlatError* err = Read(body.data(), size))
                return err;
            if (item) {
                if (IVorlatError* err = tags_->AddTag(item->tag))
                    return QZ_WRAP(err);
                if (IVorlatError* err = tags_->SetTagValue(item->tag, kTagTypeText, size, body.data(), 0))
                    return QZ_WRAP(err);
            } else {
                std::memset(version_, 0, sizeof version_);
                if (size)
                    std::memcpy(version_, body.data(), std::min<size_t>(size, sizeof version_));
                if (size < 4 || std::memcmp(version_, "0210", 4) != 0)
                    return QZ_FAIL(kErrUnknownFormat);
            }
        } else if (IVorlatError* err = Skip(size)) {
            return err;
        }
        if (size & 1)
            if (IVorlatError* err = SkipPad(end))
                return err;
    }
    return Skip(end - position_);
}

IVorlatError* CWavReader::LoadTags()
{
    if (!stream_ || !tags_)
        return QZ_FAIL(kErrBadArgument);
    if (IVorlatError* err = stream_->Seek(0, 0))
        return QZ_WRAP(err);
    position_ = 0;
    uint8_t head[12];
    if (IVorlatError* err = Read(head, 4))
        return err;
    if (Le32(head) != FourCc("RIFF"))
        return QZ_FAIL(kErrUnknownFormat);
    if (IVorlatError* err = Read(head + 4, 8))
        return err;
    if (Le32(head + 8) != FourCc("WAVE"))
        return QZ_FAIL(kErrUnknownFormat);
    // The form ends where its size says, or at the stream's real end when
    // that comes first (a writer that never went back to fill the size in).
    uint32_t streamSize = 0;
    if (IVorlatError* err = stream_->GetSize(&streamSize))
        return QZ_WRAP(err);
    const uint32_t formSize = Le32(head + 4);
    formEnd_ = std::min<uint64_t>(8ull + formSize, streamSize);
    if (formEnd_ < position_)
        formEnd_ = position_;

    // Fewer bytes than a chunk header at the end of the form are slack.
    while (formEnd_ - position_ >= kChunkHeader) {
        uint8_t header[kChunkHeader];
        if (IVorlatError* err = Read(header, kChunkHeader))
            return err;
        const uint32_t id = Le32(header);
        const uint32_t size = Le32(header + 4);
        if (size > formEnd_ - position_)
            return QZ_FAIL(kErrReadPastEnd);
        if (id == FourCc("LIST")) {
            if (size < 4)
                return QZ_FAIL(kErrReadPastEnd);
            uint8_t type[4];
            if (IVorlatError* err = Read(type, 4))
                return err;
            const uint64_t end = position_ + (size - 4);
            const uint32_t listType = Le32(type);
            IVorlatError* err = listType == FourCc("INFO") || listType == FourCc("exif") ? ReadList(listType, end)
                                                                                          : Skip(end - position_);
            if (err)
                return err;
        } else if (IVorlatError* err = Skip(size)) {
            return err;
        }
        if (size & 1)
            if (IVorlatError* err = SkipPad(formEnd_))
                return err;
    }
    return nullptr;
}

} // namespace quarnite
