// Writing an attached JPEG file again with the current metadata: the coded
// image and every other segment are copied byte for byte; the ICC profile and
// the IPTC block come from the tag store, and a JFXX thumbnail can be made anew.
#include <algorithm>
#include <cstring>
#include <new>

#include "fileio/VorlatTagControl.h"
#include "fileio/jpeg_encoder.h"
#include "fileio/jpeg_error.h"
#include "fileio/jpeg_reader.h"
#include "fileio/jpeg_writer.h"
#include "fileio/meta/iptc_codec.h"
#include "fileio/stream_impl.h"
#include "fileio/tiff/tiff_reader.h"
#include "fileio/tiff/tiff_writer.h"

namespace quarnite {
namespace {
constexpr int32_t kSourceId = kSrcJpegReader;
constexpr uint32_t kCopyPiece = 65535;
constexpr TagId kTagIccProfile = 0x8773;

IVorlatError* Put(IVorlatStream* out, const void* bytes, size_t count)
{
    return QZ_WRAP(out->SaveFromMemory(bytes, static_cast<uint32_t>(count)));
}

IVorlatError* PutMarkerAndLength(IVorlatStream* out, uint32_t marker, size_t length)
{
    // No length is ever wrapped: a segment that does not fit 16 bits fails the write.
    if (length > 0xFFFF)
        return QZ_FAIL(kErrJpegBlockTooLarge);
    const uint8_t head[4] = {static_cast<uint8_t>(marker >> 8), static_cast<uint8_t>(marker),
                             static_cast<uint8_t>(length >> 8), static_cast<uint8_t>(length)};
    return Put(out, head, 4);
}

IVorlatError* Tell(IVorlatStream* stream, uint32_t* at)
{
    int32_t position = 0;
    if (IVorlatError* err = stream->Tell(&position))
        return QZ_WRAP(err);
    *at = static_cast<uint32_t>(position);
    return nullptr;
}

// Whether the store holds tags that only an Exif block carries: TIFF, Exif,
// GPS and maker-note tags, or unknown tags of their directories. The profile,
// the IPTC block and the pixel layout the TIFF reader publishes travel elsewhere.
IVorlatError* HasExifTags(const IVorlatTagControl* tags, bool* has)
{
    *has = false;
    for (uint32_t group = 1; group < 10 && !*has; ++group)
        *has = tags->GetTagCount(group) != 0;
    const uint32_t count = tags->GetTagCount(0);
    if (*has || count == 0)
        return nullptr;
    std::vector<tagStrTagInfo> infos;
    if (!TryResize(infos, count))
        return QZ_FAIL(kErrAllocation);
    if (IVorlatError* err = tags->GetTagInfo(infos.data(), count, 0))
        return QZ_WRAP(err);
    for (const tagStrTagInfo& info : infos) {
        const uint32_t space = info.tag >> 16;
        if (info.tag == kTagIccProfile || info.tag == kTagIptc || info.tag == 258 || info.tag == 262)
            continue;
        if (space == kTagNsTiff || space == kTagNsGps || space == kTagNsMakerNote || space == kTagNsFilmScanner) {
            *has = true;
            break;
        }
    }
    return nullptr;
}

// Whether the segments before the scan hold an Exif APP1 segment; the stream
// is left somewhere in the file.
IVorlatError* HasExifSegment(IVorlatStream* in, bool* has)
{
    *has = false;
    if (IVorlatError* err = in->Seek(2, 0))
        return QZ_WRAP(err);
    for (;;) {
        uint8_t head[4];
        if (IVorlatError* err = in->LoadToMemory(head, 2))
            return QZ_WRAP(err);
        const uint32_t marker = static_cast<uint32_t>(head[0]) << 8 | head[1];
        if (marker == 0xFFD8)
            continue;
        if (marker == 0xFFD9 || marker == 0xFFDA)
            return nullptr;
        if (IVorlatError* err = in->LoadToMemory(head + 2, 2))
            return QZ_WRAP(err);
        const uint32_t length = static_cast<uint32_t>(head[2]) << 8 | head[3];
        if (length < 2)
            return QZ_FAIL(kErrJpegSegment);
        uint32_t left = length - 2;
        if (marker == 0xFFE1 && left >= 6) {
            uint8_t id[6];
            if (IVorlatError* err = in->LoadToMemory(id, 6))
                return QZ_WRAP(err);
            if (std::memcmp(id, "Exif", 5) == 0) {
                *has = true;
                return nullptr;
            }
            left -= 6;
        }
        if (IVorlatError* err = in->Seek(static_cast<int32_t>(left), 1))
            return QZ_WRAP(err);
    }
}

// The value of a file-information tag of the store, when it holds one of that form.
template <typename T>
void CurrentValue(const IVorlatTagControl* tags, TagId id, uint32_t type, T* value)
{
    T stored{};
    if (tags->GetTagType(id, 0) != type || tags->GetTagSize(id, 0) != sizeof stored)
        return;
    if (IVorlatError* err = tags->GetTagValue(id, type, sizeof stored, &stored, 0))
        err->Destroy();
    else
        *value = stored;
}

// The Exif block of a file that had none: the TIFF structure of an Exif JPEG
// save, written for the coded image as it stands and the current tags.
IVorlatError* WriteNewExifBlock(IVorlatStream* in, IVorlatStream* window, IVorlatTagControl* tags,
                                TiffImageRecord* main, IVorlatDataSource** sources, uint32_t n)
{
    CTiffUpdateWriter writer(in, window, tags, kFormatExifJpeg, false);
    IVorlatError* err = sources && n ? writer.SetThumbnailSources(sources, n) : nullptr;
    if (!err)
        err = writer.BeginUpdate(main, nullptr, 0);
    while (!err && !writer.IsFinished())
        err = writer.Execute();
    return QZ_WRAP(err);
}

} // namespace

IVorlatError* CJpegReader::CheckUpdate()
{
    // Nothing may be reported as written over a target that an update cannot fill.
    if (!tags_)
        return QZ_FAIL(kErrState);
    return QZ_WRAP(LoadTags());
}

IVorlatError* CJpegReader::Update(IVorlatStream* target) { return UpdateFile(target, nullptr); }

IVorlatError* CJpegReader::Update(IVorlatStream* target, IVorlatDataSource** sources, uint32_t n)
{
    // The first source that is not raw mosaic data makes the JFXX thumbnail anew.
    IVorlatDataSource* thumbnail = nullptr;
    for (uint32_t i = 0; sources && i < n && !thumbnail; ++i) {
        int32_t space = 0;
        if (sources[i] && !sources[i]->GetColorSpace(&space) && space != 66)
            thumbnail = sources[i];
    }
    return UpdateFile(target, thumbnail, sources, n);
}

// The Exif reader writes the current tags as a TIFF structure through a window
// after the segment's header (without one, a new block is made); the header
// is filled in last.
IVorlatError* CJpegReader::WriteExifSegment(IVorlatStream* out, IVorlatDataSource** sources, uint32_t n)
{
    uint32_t start = 0, resume = 0;
    if (IVorlatError* err = Tell(out, &start))
        return err;
    if (IVorlatError* err = Tell(stream_, &resume))
        return err;
    if (IVorlatError* err = out->Seek(static_cast<int32_t>(start + 10), 0))
        return QZ_WRAP(err);
    CVorlatWindowStream* window = new (std::nothrow) CVorlatWindowStream(out, start + 10);
    if (!window)
        return QZ_FAIL(kErrAllocation);
    IVorlatError* err = nullptr;
    if (exifReader_) {
        err = sources && n ? exifReader_->Update(window, sources, n) : exifReader_->Update(window);
    } else {
        TiffImageRecord main;
        main.width = static_cast<uint32_t>(width_);
        main.height = static_cast<uint32_t>(height_);
        main.colorSpace = pixelType_;
        main.compression = 6;
        main.resolution = resolution_;
        main.rotation = rotation_;
        uint32_t flip = flip_ ? 1 : 0;
        CurrentValue(tags_, kTagResolution, kTagTypeDoubles, &main.resolution);
        CurrentValue(tags_, kTagRotation, kTagTypeDoubles, &main.rotation);
        CurrentValue(tags_, kTagFlip, kTagTypeLongs, &flip);
        main.mirrored = flip != 0;
        err = WriteNewExifBlock(stream_, window, tags_, &main, sources, n);
    }
    window->Destroy();
    if (err)
        return QZ_WRAP(err);
    // The Exif reader reads the input through its own window, and so may the new block's writer.
    if (IVorlatError* e = stream_->Seek(static_cast<int32_t>(resume), 0))
        return QZ_WRAP(e);
    uint32_t end = 0;
    if (IVorlatError* e = Tell(out, &end))
        return e;
    if (end - start - 2 > 0xFFFF)
        return QZ_FAIL(kErrJpegBlockTooLarge);
    const uint32_t length = end - start - 2;
    const uint8_t head[10] = {0xFF, 0xE1, static_cast<uint8_t>(length >> 8), static_cast<uint8_t>(length),
                              'E', 'x', 'i', 'f', 0, 0};
    if (IVorlatError* e = out->Seek(static_cast<int32_t>(start), 0))
        return QZ_WRAP(e);
    if (IVorlatError* e = Put(out, head, sizeof head))
        return e;
    return QZ_WRAP(out->Seek(static_cast<int32_t>(end), 0));
}

IVorlatError* CJpegReader::UpdateFile(IVorlatStream* out, IVorlatDataSource* thumbnailSource,
                                      IVorlatDataSource** sources, uint32_t n)
{
    if (!out)
        return QZ_FAIL(kErrBadArgument);
    if (IVorlatError* err = CheckUpdate())
        return err;
    std::vector<uint8_t> copy;
    if (!TryResize(copy, kCopyPiece))
        return QZ_FAIL(kErrAllocation);
    // A file without an Exif segment gets one when the store holds tags for it.
    bool exifToMake = false;
    if (!exifReader_) {
        if (IVorlatError* err = HasExifTags(tags_, &exifToMake))
            return err;
        bool found = false;
        if (exifToMake)
            if (IVorlatError* err = HasExifSegment(stream_, &found))
                return err;
        exifToMake = exifToMake && !found;
    }
    static const uint8_t kSoi[2] = {0xFF, 0xD8};
    if (IVorlatError* err = Put(out, kSoi, 2))
        return err;
    if (IVorlatError* err = stream_->Seek(2, 0))
        return QZ_WRAP(err);

    bool iccWritten = false, photoshopSeen = false, exifWritten = false;
    for (bool done = false; !done;) {
        uint32_t marker = 0;
        if (IVorlatError* err = ReadU16(&marker))
            return err;
        const uint8_t markerBytes[2] = {static_cast<uint8_t>(marker >> 8), static_cast<uint8_t>(marker)};
        // The new Exif segment follows the APP0 segments that must lead the file.
        if (exifToMake && marker != 0xFFD8 && marker != 0xFFE0) {
            exifToMake = false;
            if (IVorlatError* err = WriteExifSegment(out, sources, n))
                return err;
        }
        if (marker == 0xFFD8) {
            if (IVorlatError* err = Put(out, markerBytes, 2))
                return err;
            continue;
        }
        if (marker == 0xFFD9 || marker == 0xFFDA) {
            if (!iccWritten)
                if (IVorlatError* err = WriteIccSegments(out, tags_))
                    return QZ_WRAP(err);
            iccWritten = true;
            if (!photoshopSeen)
                if (IVorlatError* err = WritePhotoshopSegment(out, tags_))
                    return QZ_WRAP(err);
            photoshopSeen = true;
            if (marker == 0xFFD9) {
                if (IVorlatError* err = Put(out, markerBytes, 2))
                    return err;
                break;
            }
            done = true;  // the scan header is copied below, then the rest of the file
        }
        uint32_t length = 0;
        if (IVorlatError* err = ReadU16(&length))
            return err;
        if (length < 2)
            return QZ_FAIL(kErrJpegSegment);
        if (IVorlatError* err = stream_->LoadToMemory(copy.data(), length - 2))
            return QZ_WRAP(err);
        // The current profile once, in place of the first of the old profile's
        // chunks, which are all dropped; any other APP2 (MPF, for one) is copied.
        if (marker == 0xFFE2 && length - 2 >= 12 && std::memcmp(copy.data(), "ICC_PROFILE", 12) == 0) {
            if (!iccWritten)
                if (IVorlatError* err = WriteIccSegments(out, tags_))
                    return QZ_WRAP(err);
            iccWritten = true;
            continue;
        }
        // Only the first Exif segment, the one the Exif reader read, is written anew.
        if (marker == 0xFFE1 && exifReader_ && !exifWritten && length - 2 >= 6 &&
            std::memcmp(copy.data(), "Exif", 5) == 0) {
            exifWritten = true;
            if (IVorlatError* err = WriteExifSegment(out, sources, n))
                return err;
            continue;
        }
        if (marker == 0xFFED) {
            photoshopSeen = true;
            if (IVorlatError* err = RewritePhotoshopSegment(out, copy.data(), length - 2))
                return err;
            continue;
        }
        if (marker == 0xFFE0 && thumbnailSource && length - 2 >= 5 && std::memcmp(copy.data(), "JFXX", 5) == 0) {
            if (IVorlatError* err = WriteJfxxSegment(out, thumbnailSource, kJfxxThumbnailLevel))
                return QZ_WRAP(err);
            continue;
        }
        // Every other segment, any other APP1 (XMP) among them, goes over unchanged.
        if (IVorlatError* err = PutMarkerAndLength(out, marker, length))
            return err;
        if (IVorlatError* err = Put(out, copy.data(), length - 2))
            return err;
    }
    uint32_t size = 0, at = 0;
    if (IVorlatError* err = stream_->GetSize(&size))
        return QZ_WRAP(err);
    if (IVorlatError* err = Tell(stream_, &at))
        return err;
    while (at < size) {
        const uint32_t piece = std::min(kCopyPiece, size - at);
        if (IVorlatError* err = stream_->LoadToMemory(copy.data(), piece))
            return QZ_WRAP(err);
        if (IVorlatError* err = Put(out, copy.data(), piece))
            return err;
        at += piece;
    }
    return nullptr;
}

// The input's Photoshop segment written anew: its IPTC resource, wherever it
// stands, takes the current block in place (or is left out without one);
// every other resource is copied as it is; a segment without IPTC data gets
// it at the end.
IVorlatError* CJpegReader::RewritePhotoshopSegment(IVorlatStream* out, const uint8_t* body, uint32_t size)
{
    std::vector<uint8_t> iptc;
    if (IVorlatError* err = GetIptcBlock(tags_, &iptc))
        return QZ_WRAP(err);
    static const char kHead[] = "Photoshop 3.0";
    if (size < 14 || std::memcmp(body, kHead, 14) != 0) {
        if (IVorlatError* err = PutMarkerAndLength(out, 0xFFED, size + 2))
            return err;
        return Put(out, body, size);
    }
    std::vector<uint8_t> result(body, body + 14);
    // The resource's own head (signature, id and name) comes from `head`.
    auto appendIptc = [&](const uint8_t* head, size_t headSize) {
        result.insert(result.end(), head, head + headSize);
        for (int shift : {24, 16, 8, 0})
            result.push_back(static_cast<uint8_t>(iptc.size() >> shift));
        result.insert(result.end(), iptc.begin(), iptc.end());
        if (iptc.size() % 2)
            result.push_back(0);
    };
    bool replaced = false;
    uint32_t at = 14;
    PhotoshopResource resource;
    for (; ReadPhotoshopResource(body, size, at, &resource); at = resource.end) {
        if (resource.id == kPhotoshopIptcResource && !replaced) {
            replaced = true;
            if (!iptc.empty())
                appendIptc(body + at, resource.sizeAt - at);
            continue;
        }
        result.insert(result.end(), body + at, body + resource.end);
    }
    // What follows a broken resource goes over as it is.
    result.insert(result.end(), body + at, body + size);
    if (!replaced && !iptc.empty()) {
        static const uint8_t kIptcHead[] = {'8', 'B', 'I', 'M', 0x04, 0x04, 0, 0};
        appendIptc(kIptcHead, sizeof kIptcHead);
    }
    if (IVorlatError* err = PutMarkerAndLength(out, 0xFFED, result.size() + 2))
        return err;
    return Put(out, result.data(), result.size());
}

} // namespace quarnite
