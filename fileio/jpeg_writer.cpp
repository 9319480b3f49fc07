#include "fileio/jpeg_writer.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <vector>

#include "fileio/VorlatLoad.h"
#include "fileio/VorlatTagControl.h"
#include "fileio/jpeg_error.h"
#include "fileio/meta/iptc_codec.h"
#include "fileio/stream_impl.h"
#include "fileio/tiff/tiff_writer.h"

namespace quarnite {
namespace {
constexpr int32_t kSourceId = kSrcJpegWriter;
constexpr TagId kTagIccProfile = 0x8773;
constexpr uint32_t kIccChunk = 65517;

IVorlatError* Tell(IVorlatStream* stream, uint32_t* at)
{
    int32_t position = 0;
    if (IVorlatError* err = stream->Tell(&position))
        return QZ_WRAP(err);
    *at = static_cast<uint32_t>(position);
    return nullptr;
}

IVorlatError* ReadProfile(IVorlatTagControl* tags, std::vector<uint8_t>* profile)
{
    const uint32_t type = tags->GetTagType(kTagIccProfile, 0);
    const uint32_t size = tags->GetTagSize(kTagIccProfile, 0);
    if (type == kTagTypeBytes) {
        if (!TryResize(*profile, size))
            return QZ_FAIL(kErrAllocation);
        return QZ_WRAP(tags->GetTagValue(kTagIccProfile, type, size, profile->data(), 0));
    }
    if (type != kTagTypeProfilePath)
        return QZ_FAIL(kErrState);
    _VorlatFile file = {};
    if (IVorlatError* err = tags->GetTagValue(kTagIccProfile, type, size, file.path, 0))
        return QZ_WRAP(err);
    IVorlatFileStream* stream = nullptr;
    if (IVorlatError* err = IVorlatFileStream::CreateFileStream(&stream))
        return QZ_WRAP(err);
    uint32_t bytes = 0;
    IVorlatError* err = stream->SetFile(file);
    if (!err)
        err = stream->OpenStream(true);
    if (!err)
        err = stream->GetSize(&bytes);
    if (!err && !TryResize(*profile, bytes))
        err = QZ_FAIL(kErrAllocation);
    if (!err)
        err = stream->LoadToMemory(profile->data(), bytes);
    stream->CloseStream();
    stream->Destroy();
    return QZ_WRAP(err);
}
} // namespace

IVorlatError* WriteIccSegments(IVorlatStream* out, IVorlatTagControl* tags)
{
    if (!tags || !tags->IsExist(kTagIccProfile, 0))
        return nullptr;
    std::vector<uint8_t> profile;
    if (IVorlatError* err = ReadProfile(tags, &profile))
        return err;
    const size_t count = (profile.size() + kIccChunk - 1) / kIccChunk;
    if (count > 255)
        return QZ_FAIL(kErrJpegBlockTooLarge);
    for (size_t i = 0; i < count; ++i) {
        const size_t bytes = std::min<size_t>(kIccChunk, profile.size() - i * kIccChunk);
        const size_t length = bytes + 16;
        uint8_t head[18] = {0xFF, 0xE2, static_cast<uint8_t>(length >> 8), static_cast<uint8_t>(length)};
        std::memcpy(head + 4, "ICC_PROFILE", 12);
        head[16] = static_cast<uint8_t>(i + 1);
        head[17] = static_cast<uint8_t>(count);
        if (IVorlatError* err = out->SaveFromMemory(head, sizeof head))
            return QZ_WRAP(err);
        if (IVorlatError* err = out->SaveFromMemory(profile.data() + i * kIccChunk, static_cast<uint32_t>(bytes)))
            return QZ_WRAP(err);
    }
    return nullptr;
}

IVorlatError* WriteJfxxSegment(IVorlatStream* out, IVorlatDataSource* source, int32_t level)
{
    uint32_t start = 0, end = 0;
    if (IVorlatError* err = Tell(out, &start))
        return err;
    if (IVorlatError* err = out->Seek(10, 1))
        return QZ_WRAP(err);
    CJpegEncoder* encoder = new (std::nothrow) CJpegEncoder(out);
    if (!encoder)
        return QZ_FAIL(kErrAllocation);
    IVorlatError* err = encoder->WriteStartOfImage();
    if (!err)
        err = encoder->Begin(source, level);
    while (!err && !encoder->IsFinished())
        err = encoder->Execute();
    delete encoder;
    if (err)
        return QZ_WRAP(err);
    if ((err = Tell(out, &end)))
        return err;
    if (end - start - 2 > 0xFFFF)
        return QZ_FAIL(kErrJpegBlockTooLarge);
    const uint32_t length = end - start - 2;
    const uint8_t head[10] = {0xFF, 0xE0, static_cast<uint8_t>(length >> 8), static_cast<uint8_t>(length),
                              'J', 'F', 'X', 'X', 0, 0x10};
    if ((err = out->Seek(static_cast<int32_t>(start), 0)) || (err = out->SaveFromMemory(head, 10)) ||
        (err = out->Seek(static_cast<int32_t>(end), 0)))
        return QZ_WRAP(err);
    return nullptr;
}

IVorlatFormatWriter* CreateJpegWriter(IVorlatStream* stream, IVorlatTagControl* tags, int32_t format, int32_t option)
{
    return new (std::nothrow) CJpegWriter(stream, tags, format, option);
}

CJpegWriter::CJpegWriter(IVorlatStream* stream, IVorlatTagControl* tags, int32_t format, int32_t option)
    : stream_(stream), tags_(tags), format_(format), option_(option)
{
}

CJpegWriter::~CJpegWriter() { delete encoder_; }

void CJpegWriter::GetProgress(int32_t* done, int32_t* total)
{
    if (encoder_) {
        encoder_->GetProgress(done, total);
        return;
    }
    if (done)
        *done = 0;
    if (total)
        *total = 0;
}

IVorlatError* CJpegWriter::Execute()
{
    if (!encoder_)
        return nullptr;
    if (IVorlatError* err = encoder_->Execute())
        return QZ_WRAP(err);
    if (encoder_->IsFinished()) {
        delete encoder_;
        encoder_ = nullptr;
    }
    return nullptr;
}

IVorlatError* CJpegWriter::WriteJfifSegment(IVorlatDataSource* source)
{
    double resolution = 0;
    if (IVorlatError* err = source->GetResolution(&resolution))
        return QZ_WRAP(err);
    const uint32_t density = resolution > 0 && resolution < 65536 ? static_cast<uint32_t>(resolution) : 0;
    const uint8_t segment[18] = {0xFF, 0xE0, 0, 16, 'J', 'F', 'I', 'F', 0, 1, 2, 1,
                                 static_cast<uint8_t>(density >> 8), static_cast<uint8_t>(density),
                                 static_cast<uint8_t>(density >> 8), static_cast<uint8_t>(density), 0, 0};
    return QZ_WRAP(stream_->SaveFromMemory(segment, sizeof segment));
}

// The TIFF structure of the Exif block, written by the TIFF writer through a
// window whose offsets count from the byte after the segment's header.
IVorlatError* CJpegWriter::WriteExifSegment(IVorlatDataSource* source)
{
    uint32_t start = 0;
    if (IVorlatError* err = Tell(stream_, &start))
        return err;
    if (IVorlatError* err = stream_->Seek(static_cast<int32_t>(start + 10), 0))
        return QZ_WRAP(err);
    IVorlatTagControl* ownTags = nullptr;
    if (!tags_)
        if (IVorlatError* err = IVorlatTagControl::CreateTagControl(&ownTags))
            return QZ_WRAP(err);
    CVorlatWindowStream* window = new (std::nothrow) CVorlatWindowStream(stream_, start + 10);
    IVorlatError* err = window ? nullptr : QZ_FAIL(kErrAllocation);
    if (!err) {
        CTiffWriter writer(window, tags_ ? tags_ : ownTags, kFormatExifJpeg, option_);
        IVorlatDataSource* thumbnails[2] = {thumbnails_[0], thumbnails_[1]};
        const uint32_t count = thumbnails[1] ? 2 : (thumbnails[0] ? 1 : 0);
        err = QZ_WRAP(writer.BeginSave(source, thumbnails, count));
        while (!err && !writer.IsFinished())
            err = QZ_WRAP(writer.Execute());
        window->Destroy();
    }
    if (ownTags)
        ownTags->Destroy();
    if (err)
        return err;
    uint32_t end = 0;
    if (IVorlatError* e = Tell(stream_, &end))
        return e;
    if (end - start > 65536)
        return QZ_FAIL(kErrJpegBlockTooLarge);
    const uint32_t length = end - start - 2;
    const uint8_t head[10] = {0xFF, 0xE1, static_cast<uint8_t>(length >> 8), static_cast<uint8_t>(length),
                              'E', 'x', 'i', 'f', 0, 0};
    if (IVorlatError* e = stream_->Seek(static_cast<int32_t>(start), 0))
        return QZ_WRAP(e);
    if (IVorlatError* e = stream_->SaveFromMemory(head, sizeof head))
        return QZ_WRAP(e);
    return QZ_WRAP(stream_->Seek(static_cast<int32_t>(end), 0));
}

IVorlatError* CJpegWriter::BeginSave(IVorlatDataSource* source, IVorlatDataSource** sources, uint32_t n)
{
    if (!source)
        return QZ_FAIL(kErrBadArgument);
    if (IVorlatError* err = Tell(stream_, &start_))
        return err;
    uint32_t kept = 0;
    for (uint32_t i = 0; sources && i < n && kept < 2; ++i) {
        int32_t space = 0;
        if (sources[i] && !sources[i]->GetColorSpace(&space) && space != 66)
            thumbnails_[kept++] = sources[i];
    }
    encoder_ = new (std::nothrow) CJpegEncoder(stream_);
    if (!encoder_)
        return QZ_FAIL(kErrAllocation);
    if (IVorlatError* err = encoder_->WriteStartOfImage())
        return QZ_WRAP(err);
    int32_t type = 0;
    if (IVorlatError* err = source->GetColorSpace(&type))
        return QZ_WRAP(err);
    if (format_ == kFormatJpeg) {
        if (type != 2 && type != 32)
            return QZ_FAIL(kErrBadArgument);
        if (IVorlatError* err = WriteJfifSegment(source))
            return err;
        if (thumbnails_[0])
            if (IVorlatError* err = WriteJfxxSegment(stream_, thumbnails_[0], option_ & 15))
                return QZ_WRAP(err);
    } else if (format_ == kFormatExifJpeg) {
        if (type != 32)
            return QZ_FAIL(kErrBadArgument);
    } else {
        return QZ_FAIL(kErrBadArgument);
    }
    // Both forms carry the Exif block; in a JFIF file it follows the APP0 segments.
    if (IVorlatError* err = WriteExifSegment(source)) {
        if (err->GetDeepestValue() != kErrJpegBlockTooLarge)
            return err;
        // Too large for one segment: the stream goes back to where the file began.
        if (IVorlatError* seek = stream_->Seek(static_cast<int32_t>(start_), 0)) {
            seek->Destroy();
            err->Destroy();
            return QZ_FAIL(kErrSeek);
        }
        return err;
    }
    if (IVorlatError* err = WriteIccSegments(stream_, tags_))
        return QZ_WRAP(err);
    if (tags_)
        if (IVorlatError* err = WritePhotoshopSegment(stream_, tags_))
            return QZ_WRAP(err);
    return QZ_WRAP(encoder_->Begin(source, option_));
}

} // namespace quarnite
