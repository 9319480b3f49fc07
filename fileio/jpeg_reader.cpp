#include "fileio/jpeg_reader.h"

#include <algorithm>
#include <new>

#include "fileio/VorlatLoad.h"
#include "fileio/jpeg_error.h"
#include "fileio/jpeg_segment_stream.h"
#include "fileio/tiff/tiff_reader.h"

namespace quarnite {
namespace {
constexpr int32_t kSourceId = kSrcJpegReader;

IVorlatError* ReadMarker(IVorlatStream* stream, uint32_t* marker)
{
    uint8_t bytes[2];
    if (IVorlatError* err = stream->LoadToMemory(bytes, 2))
        return QZ_WRAP(err);
    *marker = static_cast<uint32_t>(bytes[0]) << 8 | bytes[1];
    return nullptr;
}
} // namespace

IVorlatError* ProbeJpeg(IVorlatStream* stream, int32_t* format)
{
    if (!stream || !format)
        return QZ_FAIL(kErrBadArgument);
    if (IVorlatError* err = stream->Seek(0, 0))
        return QZ_WRAP(err);
    uint8_t start[2] = {};
    if (IVorlatError* err = stream->LoadToMemory(start, 2)) {
        err->Destroy();  // shorter than a marker: not a JPEG file
        return nullptr;
    }
    if (start[0] != 0xFF || start[1] != 0xD8)
        return nullptr;
    for (;;) {
        uint32_t marker = 0;
        if (IVorlatError* err = ReadMarker(stream, &marker))
            return err;
        if (marker == 0xFFD8)
            continue;
        if (marker == 0xFFD9 || marker == 0xFFDA || marker == 0xFFE0) {
            *format = kFormatJpeg;
            return nullptr;
        }
        if (marker == 0xFFE1) {
            *format = kFormatExifJpeg;
            return nullptr;
        }
        uint32_t length = 0;
        if (IVorlatError* err = ReadMarker(stream, &length))
            return err;
        if (length < 2)
            return QZ_FAIL(kErrJpegSegment);
        if (IVorlatError* err = stream->Seek(static_cast<int32_t>(length - 2), 1))
            return QZ_WRAP(err);
    }
}

IVorlatFormatReader* CreateJpegReader(IVorlatStream* stream, IVorlatTagControl* tags, int32_t)
{
    return new (std::nothrow) CJpegReader(stream, tags);
}

CJpegReader::CJpegReader(IVorlatStream* stream, IVorlatTagControl* tags, bool forThumbnail)
    : CJpegDecoder(stream), tags_(tags), forThumbnail_(forThumbnail)
{
}

CJpegReader::~CJpegReader() { ReleaseExifReader(); }

void CJpegReader::ReleaseExifReader()
{
    delete exifReader_;  // before the window it reads through
    exifReader_ = nullptr;
    if (exifWindow_)
        exifWindow_->Destroy();
    exifWindow_ = nullptr;
}

IVorlatError* CJpegReader::LoadTags()
{
    if (parseFlags_)
        return nullptr;
    thumbnail_ = Thumbnail();
    ReleaseExifReader();
    return ParseMarkers();
}

IVorlatError* CJpegReader::Execute() { return CJpegDecoder::Execute(); }

IVorlatError* CJpegReader::LoadTileRow(int32_t row) { return CJpegDecoder::LoadTileRow(row); }

IVorlatError* CJpegReader::BeginLoadImage(IVorlatImage* image, uint32_t n)
{
    if (n != 1 && n != 2 && n != 4 && n != 8)
        return QZ_FAIL(kErrBadArgument);
    return BeginDecode(image, static_cast<int32_t>(n));
}

IVorlatError* CJpegReader::BeginLoadImage(IVorlatImage* image) { return BeginDecode(image); }

// ---- Tags ---------------------------------------------------------------------

namespace {
IVorlatError* SetLong(IVorlatTagControl* tags, TagId tag, uint32_t value)
{
    if (IVorlatError* err = tags->AddTag(tag))
        return QZ_WRAP(err);
    return QZ_WRAP(tags->SetTagValue(tag, kTagTypeLongs, 4, &value, 0));
}

IVorlatError* SetDouble(IVorlatTagControl* tags, TagId tag, double value)
{
    if (IVorlatError* err = tags->AddTag(tag))
        return QZ_WRAP(err);
    return QZ_WRAP(tags->SetTagValue(tag, kTagTypeDoubles, 8, &value, 0));
}
} // namespace

IVorlatError* CJpegReader::OnFrameSize()
{
    if (!tags_)
        return nullptr;
    if (IVorlatError* err = SetLong(tags_, kTagImageWidth, static_cast<uint32_t>(width_)))
        return err;
    return SetLong(tags_, kTagImageHeight, static_cast<uint32_t>(height_));
}

IVorlatError* CJpegReader::OnFrameEnd()
{
    if (!tags_ || !tags_->IsExist(kTagResolution, 0))
        return nullptr;
    return QZ_WRAP(tags_->GetTagValue(kTagResolution, kTagTypeDoubles, 8, &resolution_, 0));
}

IVorlatError* CJpegReader::OnParsed() { return WriteFileInformationTags(); }

IVorlatError* CJpegReader::WriteFileInformationTags()
{
    if (!tags_)
        return nullptr;
    // The Exif reader has written these tags itself, but its main directory
    // describes no pixels: what the decoder delivers is the frame's pixel type.
    if (exifReader_)
        return SetLong(tags_, kTagColorSpace, static_cast<uint32_t>(pixelType_));
    IVorlatError* err = nullptr;
    (err = SetLong(tags_, kTagImageWidth, static_cast<uint32_t>(width_))) ||
        (err = SetLong(tags_, kTagImageHeight, static_cast<uint32_t>(height_))) ||
        (err = SetLong(tags_, kTagFlip, flip_ ? 1 : 0)) || (err = SetDouble(tags_, kTagRotation, rotation_)) ||
        (err = SetLong(tags_, kTagColorSpace, static_cast<uint32_t>(pixelType_))) ||
        (err = SetDouble(tags_, kTagResolution, resolution_));
    return err;
}

IVorlatError* CJpegReader::ReadApplicationSegment(uint32_t marker)
{
    switch (marker) {
    case 0xFFE0: return ReadJfifSegment();
    case 0xFFE1: return ReadExifSegment();
    case 0xFFE2: return ReadIccSegments();
    case 0xFFED: return ReadPhotoshopSegment();
    default: return SkipSegment();
    }
}

// ---- Thumbnails ---------------------------------------------------------------

int32_t CJpegReader::GetThumbnailCount()
{
    if (IVorlatError* err = LoadTags()) {
        err->Destroy();
        return 0;
    }
    if (exifReader_)
        return exifReader_->GetThumbnailCount();
    return thumbnail_.kind != kThumbnailNone ? 1 : 0;
}

IVorlatError* CJpegReader::CheckThumbnail(int32_t index, const void* out) const
{
    if (index < 1 || !out)
        return QZ_FAIL(kErrBadArgument);
    if (thumbnail_.kind == kThumbnailNone)
        return QZ_FAIL(kErrNotSupported);
    return nullptr;
}

IVorlatError* CJpegReader::GetThumbnailColorSpace(int32_t index, int32_t* code)
{
    if (IVorlatError* err = LoadTags())
        return QZ_WRAP(err);
    if (exifReader_)
        return QZ_WRAP(exifReader_->GetThumbnailColorSpace(index, code));
    if (IVorlatError* err = CheckThumbnail(index, code))
        return err;
    *code = thumbnail_.pixelType;
    return nullptr;
}

IVorlatError* CJpegReader::GetThumbnailWidth(int32_t index, int32_t* width)
{
    if (IVorlatError* err = LoadTags())
        return QZ_WRAP(err);
    if (exifReader_)
        return QZ_WRAP(exifReader_->GetThumbnailWidth(index, width));
    if (IVorlatError* err = CheckThumbnail(index, width))
        return err;
    *width = thumbnail_.width;
    return nullptr;
}

IVorlatError* CJpegReader::GetThumbnailHeight(int32_t index, int32_t* height)
{
    if (IVorlatError* err = LoadTags())
        return QZ_WRAP(err);
    if (exifReader_)
        return QZ_WRAP(exifReader_->GetThumbnailHeight(index, height));
    if (IVorlatError* err = CheckThumbnail(index, height))
        return err;
    *height = thumbnail_.height;
    return nullptr;
}

IVorlatError* CJpegReader::LoadThumbnail(int32_t index, IVorlatImage* image)
{
    if (!image)
        return QZ_FAIL(kErrBadArgument);
    if (IVorlatError* err = LoadTags())
        return QZ_WRAP(err);
    if (exifReader_)
        return QZ_WRAP(exifReader_->LoadThumbnail(index, image));
    if (IVorlatError* err = CheckThumbnail(index, image))
        return err;
    if (IVorlatError* err = stream_->Seek(static_cast<int32_t>(thumbnail_.offset), 0))
        return QZ_WRAP(err);
    if (thumbnail_.kind != kThumbnailJpeg)
        return LoadPixelThumbnail(image);

    // The embedded JPEG stream decodes with a reader of its own that sees only its segment.
    CJpegSegmentStream* window =
        new (std::nothrow) CJpegSegmentStream(stream_, thumbnail_.offset, thumbnail_.end - thumbnail_.offset);
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

// Thumbnails of one byte per pixel with a palette, or three bytes per pixel,
// written to the image a band of rows at a time.
IVorlatError* CJpegReader::LoadPixelThumbnail(IVorlatImage* image)
{
    const int32_t width = thumbnail_.width;
    const int32_t height = thumbnail_.height;
    if (IVorlatError* err = image->SetColorSpace(32))
        return QZ_WRAP(err);
    if (IVorlatError* err = image->SetSize(width, height))
        return QZ_WRAP(err);
    if (IVorlatError* err = image->SetResolution(thumbnail_.resolution))
        return QZ_WRAP(err);
    uint8_t palette[768];
    const bool indexed = thumbnail_.kind == kThumbnailPalette;
    if (indexed)
        if (IVorlatError* err = stream_->LoadToMemory(palette, sizeof palette))
            return QZ_WRAP(err);
    const int32_t band = BandHeight() > 0 ? BandHeight() : 16;
    std::vector<uint8_t> rows;
    std::vector<uint8_t> read;
    if (!TryResize(rows, static_cast<uint64_t>(width) * 3 * band) ||
        (indexed && !TryResize(read, static_cast<uint64_t>(width) * band)))
        return QZ_FAIL(kErrAllocation);
    for (int32_t top = 0; top < height; top += band) {
        const int32_t count = std::min(band, height - top);
        if (indexed) {
            if (IVorlatError* err = stream_->LoadToMemory(read.data(), static_cast<uint32_t>(width * count)))
                return QZ_WRAP(err);
            for (int32_t i = 0; i < width * count; ++i)
                for (int c = 0; c < 3; ++c)
                    rows[3 * i + c] = palette[3 * read[i] + c];
        } else if (IVorlatError* err = stream_->LoadToMemory(rows.data(), static_cast<uint32_t>(width * 3 * count))) {
            return QZ_WRAP(err);
        }
        const RECT rect = {0, top, width, top + count};
        if (IVorlatError* err = image->SetData(rows.data(), width * 3, rect))
            return QZ_WRAP(err);
    }
    return nullptr;
}

} // namespace quarnite
