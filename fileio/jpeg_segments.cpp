// The application segments that the JPEG reader hands on: JFIF and JFXX
// (density and thumbnail), Exif, ICC profile chunks and the Photoshop
// resource with the IPTC block. Each reader starts right after the marker
// and leaves the stream at the end of its segment.
#include <cstring>
#include <new>

#include "fileio/VorlatTagControl.h"
#include "fileio/jpeg_error.h"
#include "fileio/jpeg_reader.h"
#include "fileio/jpeg_segment_stream.h"
#include "fileio/meta/iptc_codec.h"
#include "fileio/tiff/tiff_reader.h"

namespace quarnite {
namespace {
constexpr int32_t kSourceId = kSrcJpegReader;
constexpr TagId kTagIccProfile = 0x8773;
} // namespace

namespace {
// The segment's start (its length field) and end, with the length read.
struct Segment {
    uint32_t start = 0;
    uint32_t length = 0;
    uint32_t End() const { return start + length; }
};

IVorlatError* BeginSegment(IVorlatStream* stream, Segment* segment)
{
    int32_t at = 0;
    if (IVorlatError* err = stream->Tell(&at))
        return QZ_WRAP(err);
    uint8_t bytes[2];
    if (IVorlatError* err = stream->LoadToMemory(bytes, 2))
        return QZ_WRAP(err);
    segment->start = static_cast<uint32_t>(at);
    segment->length = static_cast<uint32_t>(bytes[0]) << 8 | bytes[1];
    return nullptr;
}

IVorlatError* SeekTo(IVorlatStream* stream, uint32_t offset)
{
    return QZ_WRAP(stream->Seek(static_cast<int32_t>(offset), 0));
}

IVorlatError* Position(IVorlatStream* stream, uint32_t* at)
{
    int32_t position = 0;
    if (IVorlatError* err = stream->Tell(&position))
        return QZ_WRAP(err);
    *at = static_cast<uint32_t>(position);
    return nullptr;
}
} // namespace

IVorlatError* CJpegReader::ReadJfifSegment()
{
    Segment segment;
    if (IVorlatError* err = BeginSegment(stream_, &segment))
        return err;
    if (segment.length < 2 + 5)
        return QZ_FAIL(kErrJpegSegment);
    uint8_t id[5];
    if (IVorlatError* err = stream_->LoadToMemory(id, 5))
        return QZ_WRAP(err);
    uint32_t left = segment.length - 7;

    if (std::memcmp(id, "JFIF", 5) == 0) {
        uint8_t head[9];
        if (left < 7)
            return QZ_FAIL(kErrJpegSegment);
        if (IVorlatError* err = stream_->LoadToMemory(head, 7))
            return QZ_WRAP(err);
        left -= 7;
        const uint32_t density = static_cast<uint32_t>(head[3]) << 8 | head[4];
        if (head[2] == 1)
            resolution_ = density;
        else if (head[2] == 2)
            resolution_ = (density * 100000u + 19680u) / 39361u;  // dots per centimetre to per inch, rounded
        if (left < 2)
            return QZ_FAIL(kErrJpegSegment);
        if (IVorlatError* err = stream_->LoadToMemory(head + 7, 2))
            return QZ_WRAP(err);
        left -= 2;
        const int32_t width = head[7], height = head[8];
        thumbnail_.resolution = resolution_;
        if (width == 0 && height == 0) {
            thumbnail_.kind = kThumbnailNone;
            return SeekTo(stream_, segment.End());
        }
        // The pixels must be exactly what is left: a thumbnail never reads past its segment.
        if (width == 0 || height == 0 || left != static_cast<uint32_t>(width * height * 3))
            return QZ_FAIL(kErrJpegSegment);
        if (IVorlatError* err = Position(stream_, &thumbnail_.offset))
            return err;
        thumbnail_ = {width, height, thumbnail_.offset, segment.End(), 32, resolution_, kThumbnailRgb};
        return SeekTo(stream_, segment.End());
    }

    if (std::memcmp(id, "JFXX", 5) != 0)
        return QZ_FAIL(kErrJpegSegment);
    uint8_t code = 0;
    if (left < 1)
        return QZ_FAIL(kErrJpegSegment);
    if (IVorlatError* err = stream_->LoadToMemory(&code, 1))
        return QZ_WRAP(err);
    left -= 1;
    uint32_t offset = 0;
    if (code == 0x10) {
        if (IVorlatError* err = Position(stream_, &offset))
            return err;
        // A reader made for a thumbnail looks at no thumbnail of its own.
        if (forThumbnail_)
            return SeekTo(stream_, segment.End());
        Thumbnail found = {0, 0, offset, segment.End(), 0, resolution_, kThumbnailJpeg};
        CJpegSegmentStream* window = new (std::nothrow) CJpegSegmentStream(stream_, offset, left);
        CJpegReader* inner = window ? new (std::nothrow) CJpegReader(window, nullptr, true) : nullptr;
        if (!inner) {
            if (window)
                window->Destroy();
            return QZ_FAIL(kErrAllocation);
        }
        if (IVorlatError* err = inner->LoadTags()) {
            err->Destroy();  // an unreadable thumbnail keeps a size of 0
        } else {
            found.width = inner->Width();
            found.height = inner->Height();
            found.pixelType = inner->PixelType();
        }
        delete inner;
        window->Destroy();
        thumbnail_ = found;
        return SeekTo(stream_, segment.End());
    }
    if (code != 0x11 && code != 0x12)
        return QZ_FAIL(kErrJpegSegment);
    uint8_t size[2];
    if (left < 2)
        return QZ_FAIL(kErrJpegSegment);
    if (IVorlatError* err = stream_->LoadToMemory(size, 2))
        return QZ_WRAP(err);
    left -= 2;
    const uint32_t pixels = static_cast<uint32_t>(size[0]) * size[1];
    if (left != (code == 0x11 ? pixels + 768 : pixels * 3))
        return QZ_FAIL(kErrJpegSegment);
    if (IVorlatError* err = Position(stream_, &offset))
        return err;
    thumbnail_ = {size[0], size[1], offset, segment.End(), 32, resolution_,
                  code == 0x11 ? kThumbnailPalette : kThumbnailRgb};
    return SeekTo(stream_, segment.End());
}

IVorlatError* CJpegReader::ReadExifSegment()
{
    Segment segment;
    if (IVorlatError* err = BeginSegment(stream_, &segment))
        return err;
    if (segment.length < 2 + 6)
        return QZ_FAIL(kErrJpegSegment);
    uint8_t id[6];
    if (IVorlatError* err = stream_->LoadToMemory(id, 6))
        return QZ_WRAP(err);
    const uint32_t end = segment.End();
    // Not Exif (XMP, for one): nothing is kept. Only the first Exif segment
    // is read, the one an update replaces; a reader made for a thumbnail
    // reads none, so readers never nest without bound.
    if (std::memcmp(id, "Exif", 5) != 0 || forThumbnail_ || exifReader_)
        return SeekTo(stream_, end);
    uint32_t base = 0;
    if (IVorlatError* err = Position(stream_, &base))
        return err;
    CJpegSegmentStream* window = new (std::nothrow) CJpegSegmentStream(stream_, base, end - base);
    CTiffReader* reader = window ? new (std::nothrow) CTiffReader(window, tags_) : nullptr;
    if (!reader) {
        if (window)
            window->Destroy();
        return QZ_FAIL(kErrAllocation);
    }
    if (IVorlatError* err = reader->LoadTags()) {
        // A broken Exif block costs its tags, never the image.
        err->Destroy();
        delete reader;
        window->Destroy();
    } else {
        reader->SetFormat(kFormatExifJpeg);
        exifWindow_ = window;
        exifReader_ = reader;
    }
    return SeekTo(stream_, end);
}

IVorlatError* CJpegReader::ReadIccSegments()
{
    if (!tags_)
        return SkipSegment();
    std::vector<uint8_t> profile;
    for (uint32_t expected = 1;; ++expected) {
        Segment segment;
        if (IVorlatError* err = BeginSegment(stream_, &segment))
            return err;
        // Shorter than its own header: skipped, and the chunks so far are dropped.
        if (segment.length < 16) {
            if (segment.length < 2)
                return QZ_FAIL(kErrJpegSegment);
            return SeekTo(stream_, segment.End());
        }
        uint8_t head[14];
        if (IVorlatError* err = stream_->LoadToMemory(head, 14))
            return QZ_WRAP(err);
        const uint32_t sequence = head[12], count = head[13];
        if (std::memcmp(head, "ICC_PROFILE", 12) != 0 || sequence != expected || sequence > count)
            return SeekTo(stream_, segment.End());
        const size_t have = profile.size();
        if (!TryResize(profile, have + segment.length - 16))
            return QZ_FAIL(kErrAllocation);
        if (IVorlatError* err = stream_->LoadToMemory(profile.data() + have, segment.length - 16))
            return QZ_WRAP(err);
        if (sequence == count) {
            if (IVorlatError* err = tags_->AddTag(kTagIccProfile))
                return QZ_WRAP(err);
            return QZ_WRAP(tags_->SetTagValue(kTagIccProfile, kTagTypeBytes, static_cast<uint32_t>(profile.size()),
                                              profile.data(), 0));
        }
        uint32_t marker = 0;
        if (IVorlatError* err = ReadU16(&marker))
            return err;
        if (marker != 0xFFE2)
            return QZ_WRAP(stream_->Seek(-2, 1));  // the parser reads that marker again
    }
}

IVorlatError* CJpegReader::ReadPhotoshopSegment()
{
    if (!tags_)
        return SkipSegment();
    Segment segment;
    if (IVorlatError* err = BeginSegment(stream_, &segment))
        return err;
    if (segment.length < 2)
        return QZ_FAIL(kErrJpegSegment);
    const uint32_t end = segment.End();
    if (segment.length - 2 < 26)
        return SeekTo(stream_, end);
    uint8_t head[14];
    if (IVorlatError* err = stream_->LoadToMemory(head, 14))
        return QZ_WRAP(err);
    if (std::memcmp(head, "Photoshop 3.0", 14) != 0)
        return SeekTo(stream_, end);
    // The IPTC block may stand behind other resources; the walk ends at the
    // first one that is not whole.
    std::vector<uint8_t> body;
    if (!TryResize(body, end - segment.start - 16))
        return QZ_FAIL(kErrAllocation);
    if (IVorlatError* err = stream_->LoadToMemory(body.data(), static_cast<uint32_t>(body.size())))
        return QZ_WRAP(err);
    const uint32_t size = static_cast<uint32_t>(body.size());
    PhotoshopResource resource;
    for (uint32_t at = 0; ReadPhotoshopResource(body.data(), size, at, &resource); at = resource.end) {
        if (resource.id != kPhotoshopIptcResource)
            continue;
        if (IVorlatError* err = tags_->AddTag(kTagIptc))
            return QZ_WRAP(err);
        TagItemRequest request = {1, resource.dataSize, body.data() + resource.sizeAt + 4};
        return QZ_WRAP(tags_->SetTagValue(kTagIptc, kTagTypeIptc, sizeof request, &request, 0));
    }
    return nullptr;
}

} // namespace quarnite
