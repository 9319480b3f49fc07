#include "fileio/tiff/tiff_reader.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "fileio/jpeg_reader.h"
#include "fileio/quarnite_error.h"
#include "fileio/stream_impl.h"
#include "fileio/tiff/mosaic_rows.h"
#include "fileio/tiff/tiff_writer.h"

namespace quarnite {
namespace {
constexpr int32_t kSourceId = kSrcTiffReader;
constexpr uint32_t kBandLimit = 1048576;  // bytes of one band, and of one compressed chunk
constexpr uint64_t kSizeLimit = 0x80000000ull;
constexpr uint32_t kCompressionNone = 1;
constexpr uint32_t kCompressionLzw = 5;
constexpr uint32_t kCompressionRaw = 34713;
constexpr int32_t kPhotometricYCbCr = 6;
constexpr int32_t kPhotometricCfa = 32803;

void Drop(IVorlatError* err)
{
    if (err)
        err->Destroy();
}

// Fields the maker note sets in the main record before the sub-IFD that
// describes the main image is read into it.
struct RawFields {
    uint32_t packingMode = 0;
    std::unique_ptr<CompressedRawParameters> parameters;
    void Take(TiffImageRecord& record)
    {
        packingMode = record.rawPackingMode;
        parameters = std::move(record.compressedRaw);
    }
    void Give(TiffImageRecord& record)
    {
        record.rawPackingMode = packingMode;
        record.compressedRaw = std::move(parameters);
    }
};

// True when the store's group-1 YCbCrSubSampling says 2 x 1, the one layout loaded.
bool HorizontalHalfChroma(IVorlatTagControl* tags)
{
    const TagId kSubSampling = 530;
    if (!tags->IsExist(kSubSampling, 1) || tags->GetTagType(kSubSampling, 1) != kTiffShort ||
        tags->GetTagSize(kSubSampling, 1) != 4)
        return false;
    uint16_t sampling[2] = {};
    IVorlatError* err = tags->GetTagValue(kSubSampling, kTiffShort, 4, sampling, 1);
    if (err) {
        err->Destroy();
        return false;
    }
    return sampling[0] == 2 && sampling[1] == 1;
}

uint8_t Clamp255(double v) { return static_cast<uint8_t>(v < 0.0 ? 0.0 : v > 255.0 ? 255.0 : v); }
} // namespace

IVorlatError* ProbeTiff(IVorlatStream* stream, int32_t* format)
{
    if (!stream || !format)
        return QZ_FAIL(kErrBadArgument);
    if (IVorlatError* err = stream->Seek(0, 0))
        return QZ_WRAP(err);
    uint8_t head[4];
    if (IVorlatError* err = stream->LoadToMemory(head, 4)) {
        err->Destroy();  // too short to be a TIFF
        return nullptr;
    }
    if ((head[0] == 'I' && head[1] == 'I' && head[2] == 42 && head[3] == 0) ||
        (head[0] == 'M' && head[1] == 'M' && head[2] == 0 && head[3] == 42))
        *format = kFormatTiff;
    return nullptr;
}

IVorlatFormatReader* CreateTiffReader(IVorlatStream* stream, IVorlatTagControl* tags, int32_t)
{
    return new (std::nothrow) CTiffReader(stream, tags);
}

void CTiffReader::EmbeddedJpeg::Release()
{
    delete reader;
    if (tags)
        tags->Destroy();
    if (window)
        window->Destroy();
    reader = nullptr;
    tags = nullptr;
    window = nullptr;
}

CTiffReader::CTiffReader(IVorlatStream* stream, IVorlatTagControl* tags) : stream_(stream), tags_(tags) {}

CTiffReader::~CTiffReader()
{
    mainJpeg_.Release();
    for (EmbeddedJpeg& jpeg : thumbnailJpeg_)
        jpeg.Release();
    if (ownTags_)
        ownTags_->Destroy();
}

// ---- Tags ---------------------------------------------------------------------------

IVorlatError* CTiffReader::LoadTags()
{
    if (tagsRead_)
        return nullptr;
    if (tagsError_)
        return QZ_FAIL(tagsError_);
    IVorlatError* err = ReadTags();
    if (err) {
        tagsError_ = err->GetDeepestValue();
        if (tagsError_ == 0)
            tagsError_ = kErrState;
        return QZ_WRAP(err);
    }
    tagsRead_ = true;
    return nullptr;
}

IVorlatError* CTiffReader::ReadTags()
{
    if (!stream_)
        return QZ_FAIL(kErrBadArgument);
    if (!tags_) {
        if (IVorlatError* err = IVorlatTagControl::CreateTagControl(&ownTags_))
            return QZ_WRAP(err);
        tags_ = ownTags_;
    }
    if (IVorlatError* err = stream_->GetSize(&fileSize_))
        return QZ_WRAP(err);
    if (IVorlatError* err = stream_->Seek(0, 0))
        return QZ_WRAP(err);
    char order[2] = {};
    if (IVorlatError* err = stream_->LoadToMemory(order, 2))
        return QZ_WRAP(err);
    swap_ = !(order[0] == 'I' && order[1] == 'I');
    mainIfd_.Attach(tags_, stream_, swap_);
    exif_.Attach(tags_, stream_, swap_);
    gps_.Attach(tags_, stream_, swap_);
    makerNote_.Attach(tags_, stream_, swap_);
    preview_.Attach(tags_, stream_, swap_);
    film_.Attach(tags_, stream_, swap_);
    uint32_t first = 0;
    if (IVorlatError* err = mainIfd_.cursor.Seek(4, false))
        return QZ_WRAP(err);
    if (IVorlatError* err = mainIfd_.cursor.ReadU32(&first))
        return QZ_WRAP(err);
    if (first == 0)
        return QZ_FAIL(kErrFirstIfdZero);
    if (IVorlatError* err = WalkIfds(first))
        return QZ_WRAP(err);

    if (main_.jpegOffset)
        if (IVorlatError* err = ReadEmbeddedJpeg(main_, mainJpeg_))
            return QZ_WRAP(err);
    for (int i = 0; i < 3; ++i) {
        if (!thumbnails_[i].jpegOffset)
            continue;
        // A thumbnail that cannot be read is left out, never the file.
        if (IVorlatError* err = ReadEmbeddedJpeg(thumbnails_[i], thumbnailJpeg_[i])) {
            err->Destroy();
            thumbnailJpeg_[i].Release();
            thumbnails_[i].Reset();
        }
    }
    return QZ_WRAP(PublishFileInformation());
}

bool CTiffReader::HasImage(const TiffImageRecord& r) const
{
    const bool strips = r.width && r.height && r.stripCount && !r.stripOffsets.empty() && !r.stripByteCounts.empty();
    const bool jpeg = r.jpegOffset && r.jpegLength && r.compression != kCompressionNone;
    return strips || jpeg;
}

IVorlatError* CTiffReader::WalkIfds(uint32_t first)
{
    if (IVorlatError* err = mainIfd_.ReadIfd(first, &main_, 1))
        return QZ_WRAP(err);
    const uint32_t next = mainIfd_.nextIfdOffset;
    const uint32_t subCount = mainIfd_.subIfdCount;
    const uint32_t sub[2] = {mainIfd_.subIfdOffsets[0], mainIfd_.subIfdOffsets[1]};

    // The optional directories never fail the file.
    exif_.exifIfdOffset = mainIfd_.exifOffset;
    uint32_t exifWidth = 0, exifHeight = 0;
    Drop(exif_.ReadIfd(&exifWidth, &exifHeight));
    gps_.gpsIfdOffset = mainIfd_.gpsOffset;
    Drop(gps_.ReadIfd());

    int free = 0;
    TiffImageRecord spare;  // for a fourth image, which has no slot
    auto slot = [&]() -> TiffImageRecord* { return free < 3 ? &thumbnails_[free] : &spare; };
    auto keep = [&]() {
        if (free < 3 && HasImage(thumbnails_[free]))
            ++free;
        else if (free < 3)
            thumbnails_[free].Reset();
    };
    if (subCount) {
        thumbnails_[0] = std::move(main_);
        main_.Reset();
        free = 1;
    }

    makerNote_.makerNotePosition = exif_.makerNoteOffset;
    if (IVorlatError* err = ReadMakerNoteForImage(makerNote_, exif_.makerNoteCount, &main_, slot()))
        return QZ_WRAP(err);
    keep();

    film_.ifdOffset = makerNote_.filmPointer;
    film_.offsetBase = makerNote_.MakerNoteOffsetBase(true);
    if (IVorlatError* err = film_.ReadFilmScannerIfd()) {
        err->Destroy();
        film_.ClearFilmScannerTags();
    }

    if (next && free < 3) {
        if (IVorlatError* err = mainIfd_.ReadIfd(next, slot(), 7)) {
            err->Destroy();
            slot()->Reset();
        }
        keep();
    }

    if (makerNote_.previewPointer && free < 3) {
        preview_.ifdOffset = makerNote_.previewPointer;
        preview_.offsetBase = makerNote_.MakerNoteOffsetBase(true);
        if (IVorlatError* err = preview_.ReadPreviewIfd(slot())) {
            err->Destroy();
            slot()->Reset();
        }
        keep();
    }

    if (subCount) {
        if (subCount == 2) {
            if (IVorlatError* err = mainIfd_.ReadIfd(sub[0], slot(), 9)) {
                err->Destroy();
                slot()->Reset();
            }
            keep();
        }
        RawFields raw;
        raw.Take(main_);
        IVorlatError* err = mainIfd_.ReadIfd(sub[subCount == 2 ? 1 : 0], &main_, 8);
        raw.Give(main_);
        if (err)
            return QZ_WRAP(err);
        format_ = kFormatRawTiff;
        return nullptr;
    }
    const bool strips = main_.stripCount && !main_.stripOffsets.empty();
    if (strips && !main_.jpegOffset) {
        if (main_.compression == kCompressionLzw)
            return QZ_FAIL(kErrUnknownFormat);
        format_ = kFormatTiff;
    } else if (main_.jpegOffset && main_.jpegLength) {
        format_ = kFormatExifJpeg;
    } else {
        format_ = kFormatUnknown;  // tags only: nothing to load
    }
    return nullptr;
}

IVorlatError* CTiffReader::ReadEmbeddedJpeg(TiffImageRecord& record, EmbeddedJpeg& jpeg)
{
    if (record.jpegOffset >= fileSize_)
        return QZ_FAIL(kErrReadPastEnd);
    jpeg.window = new (std::nothrow) CVorlatWindowStream(stream_, record.jpegOffset);
    if (!jpeg.window)
        return QZ_FAIL(kErrAllocation);
    if (IVorlatError* err = IVorlatTagControl::CreateTagControl(&jpeg.tags))
        return QZ_WRAP(err);
    jpeg.reader = new (std::nothrow) CJpegReader(jpeg.window, jpeg.tags, true);
    if (!jpeg.reader)
        return QZ_FAIL(kErrAllocation);
    if (IVorlatError* err = jpeg.reader->LoadTags())
        return QZ_WRAP(err);
    // ReadEmbeddedJpegInformation: what the stream's own frame says.
    auto get = [&](TagId id, uint32_t type, uint32_t bytes, void* out) {
        if (!jpeg.tags->IsExist(id, 0) || jpeg.tags->GetTagSize(id, 0) != bytes)
            return;
        Drop(jpeg.tags->GetTagValue(id, type, bytes, out, 0));
    };
    uint32_t width = 0, height = 0, colorSpace = 0, mirrored = 0;
    get(0x10000, kTagTypeLongs, 4, &width);
    get(0x10001, kTagTypeLongs, 4, &height);
    get(0x10002, kTagTypeLongs, 4, &colorSpace);
    get(0x10004, kTagTypeLongs, 4, &mirrored);
    get(0x10005, kTagTypeDoubles, 8, &record.rotation);
    get(0x10003, kTagTypeDoubles, 8, &record.resolution);
    record.width = width;
    record.height = height;
    record.colorSpace = static_cast<int32_t>(colorSpace);
    record.mirrored = mirrored != 0;
    return nullptr;
}

IVorlatError* CTiffReader::PublishFileInformation()
{
    auto set = [this](TagId id, uint32_t type, uint32_t bytes, const void* value) -> IVorlatError* {
        if (IVorlatError* err = tags_->AddTag(id))
            return QZ_WRAP(err);
        return QZ_WRAP(tags_->SetTagValue(id, type, bytes, value, 0));
    };
    const uint32_t colorSpace = static_cast<uint32_t>(main_.colorSpace);
    const uint32_t mirrored = main_.mirrored ? 1 : 0;
    IVorlatError* err = set(0x10000, kTagTypeLongs, 4, &main_.width);
    if (!err) err = set(0x10001, kTagTypeLongs, 4, &main_.height);
    if (!err) err = set(0x10004, kTagTypeLongs, 4, &mirrored);
    if (!err) err = set(0x10005, kTagTypeDoubles, 8, &main_.rotation);
    if (!err) err = set(0x10002, kTagTypeLongs, 4, &colorSpace);
    if (!err) err = set(0x10003, kTagTypeDoubles, 8, &main_.resolution);
    if (!err) err = set(258, kTagTypeLongs, 16, main_.bitsPerSample);
    const int32_t p = main_.photometric;
    if (!err && (p == 0 || p == 1 || p == 2 || p == 5 || p == 6 || p == 8 || p == kPhotometricCfa)) {
        const uint32_t photometric = static_cast<uint32_t>(p);
        err = set(262, kTagTypeLongs, 4, &photometric);
    }
    return err;
}

// ---- Thumbnails -----------------------------------------------------------------------

int32_t CTiffReader::GetThumbnailCount()
{
    if (IVorlatError* err = LoadTags()) {
        err->Destroy();
        return 0;
    }
    int32_t count = 0;
    for (const TiffImageRecord& r : thumbnails_)
        if (r.jpegOffset || !r.stripOffsets.empty())
            ++count;
    return count;
}

IVorlatError* CTiffReader::Thumbnail(int32_t index, const TiffImageRecord** record)
{
    if (index <= 0 || index > 3)
        return QZ_FAIL(kErrBadArgument);
    if (IVorlatError* err = LoadTags())
        return QZ_WRAP(err);
    const TiffImageRecord& r = thumbnails_[index - 1];
    if (!r.jpegOffset && r.stripOffsets.empty())
        return QZ_FAIL(kErrNotSupported);
    *record = &r;
    return nullptr;
}

IVorlatError* CTiffReader::GetThumbnailColorSpace(int32_t index, int32_t* code)
{
    const TiffImageRecord* r = nullptr;
    if (!code)
        return QZ_FAIL(kErrBadArgument);
    if (IVorlatError* err = Thumbnail(index, &r))
        return err;
    *code = r->colorSpace;
    return nullptr;
}

IVorlatError* CTiffReader::GetThumbnailWidth(int32_t index, int32_t* width)
{
    const TiffImageRecord* r = nullptr;
    if (!width)
        return QZ_FAIL(kErrBadArgument);
    if (IVorlatError* err = Thumbnail(index, &r))
        return err;
    *width = static_cast<int32_t>(r->width);
    return nullptr;
}

IVorlatError* CTiffReader::GetThumbnailHeight(int32_t index, int32_t* height)
{
    const TiffImageRecord* r = nullptr;
    if (!height)
        return QZ_FAIL(kErrBadArgument);
    if (IVorlatError* err = Thumbnail(index, &r))
        return err;
    *height = static_cast<int32_t>(r->height);
    return nullptr;
}

IVorlatError* CTiffReader::LoadThumbnail(int32_t index, IVorlatImage* image)
{
    if (!image || index < 0 || index > 3)
        return QZ_FAIL(kErrBadArgument);
    if (IVorlatError* err = LoadTags())
        return QZ_WRAP(err);
    TiffImageRecord& r = index == 0 ? main_ : thumbnails_[index - 1];
    EmbeddedJpeg& jpeg = index == 0 ? mainJpeg_ : thumbnailJpeg_[index - 1];
    if (jpeg.reader) {
        if (IVorlatError* err = jpeg.reader->BeginLoadImage(image))
            return QZ_WRAP(err);
        while (!jpeg.reader->IsFinished())
            if (IVorlatError* err = jpeg.reader->Execute())
                return QZ_WRAP(err);
        return nullptr;
    }
    if (r.stripOffsets.empty())
        return QZ_FAIL(kErrNotSupported);
    if (IVorlatError* err = BeginImageLoad(image, &r, 1))
        return QZ_WRAP(err);
    while (!finished_)
        if (IVorlatError* err = Execute())
            return QZ_WRAP(err);
    return nullptr;
}

// ---- Loading --------------------------------------------------------------------------

IVorlatError* CTiffReader::BeginLoadImage(IVorlatImage* image, uint32_t n)
{
    if (!image)
        return QZ_FAIL(kErrBadArgument);
    if (IVorlatError* err = LoadTags())
        return QZ_WRAP(err);
    if (mainJpeg_.reader) {
        mode_ = Mode::kJpeg;
        jpeg_ = &mainJpeg_;
        finished_ = false;
        return QZ_WRAP(mainJpeg_.reader->BeginLoadImage(image, n));
    }
    // The compressed form decodes whole rows only.
    if (main_.compression == kCompressionRaw && main_.rawPackingMode != 2)
        n = 1;
    return QZ_WRAP(BeginImageLoad(image, &main_, n));
}

IVorlatError* CTiffReader::BeginLoadImage(IVorlatImage* image) { return BeginLoadImage(image, n_); }

IVorlatError* CTiffReader::CheckLoadable(const TiffImageRecord& r) const
{
    if (r.width == 0 || r.height == 0)
        return QZ_FAIL(kErrUnknownFormat);
    if (r.colorSpace == 0)
        return QZ_FAIL(kErrNoColorSpace);
    if (r.stripOffsets.empty() || r.stripByteCounts.size() != r.stripOffsets.size())
        return QZ_FAIL(kErrUnknownFormat);
    // Layouts that are not decoded here are refused rather than loaded as garbage.
    if (r.planarConfiguration != 1 || r.predictor != 1)
        return QZ_FAIL(kErrUnknownFormat);
    const bool cfa = r.photometric == kPhotometricCfa && r.samplesPerPixel == 1;
    if (r.compression != kCompressionNone && !(cfa && r.compression == kCompressionRaw))
        return QZ_FAIL(kErrUnknownFormat);
    const uint32_t bits = r.bitsPerSample[0];
    for (uint32_t i = 1; i < r.samplesPerPixel && i < 4; ++i)
        if (r.bitsPerSample[i] != 0 && r.bitsPerSample[i] != bits)
            return QZ_FAIL(kErrUnknownFormat);
    if (cfa)
        return bits >= 1 && bits <= 16 ? nullptr : QZ_FAIL(kErrUnknownFormat);
    if (bits != 8 && bits != 16)
        return QZ_FAIL(kErrUnknownFormat);
    if (r.samplesPerPixel != 1 && r.samplesPerPixel != 3 && r.samplesPerPixel != 4)
        return QZ_FAIL(kErrUnknownFormat);
    if (r.photometric == kPhotometricYCbCr && (bits != 8 || !HorizontalHalfChroma(tags_)))
        return QZ_FAIL(kErrUnknownFormat);
    return nullptr;
}

IVorlatError* CTiffReader::BeginImageLoad(IVorlatImage* image, TiffImageRecord* record, uint32_t n)
{
    finished_ = true;
    mode_ = Mode::kNone;
    TiffImageRecord& r = *record;
    if (r.colorSpace == 0)
        return QZ_FAIL(kErrNoColorSpace);
    if (IVorlatError* err = CheckLoadable(r))
        return err;
    cfa_ = r.photometric == kPhotometricCfa && r.samplesPerPixel == 1;
    const bool compressed = cfa_ && r.compression == kCompressionRaw && r.rawPackingMode != 2;
    if (compressed && !r.compressedRaw)
        return QZ_FAIL(kErrUnknownFormat);

    // The factor keeps at least one pixel, and whole colour pairs of a mosaic.
    if (n == 0)
        n = 1;
    while (n > 1 && (r.width / n == 0 || r.height / n == 0))
        --n;
    n_ = n;
    outWidth_ = r.width / n;
    outHeight_ = r.height / n;
    const uint32_t bits = r.bitsPerSample[0];
    bytesPerPixel_ = r.samplesPerPixel * (bits > 8 ? 2 : 1);
    if (r.photometric == kPhotometricYCbCr)
        bytesPerPixel_ = 3;
    if (cfa_)
        bytesPerPixel_ = 2;  // one 16-bit sample, whatever the file stored
    const uint64_t rowBytes = static_cast<uint64_t>(bytesPerPixel_) * r.width;
    uint64_t fileRowBytes = rowBytes;
    packed_ = padded_ = run_ = false;
    if (r.photometric == kPhotometricYCbCr) {
        fileRowBytes = 4ull * ((r.width + 1ull) / 2);
    } else if (cfa_ && r.compression == kCompressionRaw && r.rawPackingMode == 2) {
        packed_ = padded_ = true;
        fileRowBytes = PaddedPackedRowBytes(r.width);
    } else if (cfa_ && !compressed) {
        // 16-bit samples when the first strip holds two bytes a sample, else packed 12-bit.
        const uint64_t rows = std::min<uint64_t>(r.rowsPerStrip ? r.rowsPerStrip : r.height, r.height);
        const uint64_t firstStrip = r.stripByteCounts[0];
        packed_ = firstStrip / rows != 2ull * r.width;
        fileRowBytes = packed_ ? PackedRowBytes(r.width) : 2ull * r.width;
        // Odd rows: a strip too short for rows rounded up to whole pairs runs them on.
        if (packed_ && (r.width & 1) && firstStrip < rows * fileRowBytes) {
            run_ = true;
            fileRowBytes = PackedRunRowBytes(r.width);
        }
    }
    const uint64_t slot = std::max(rowBytes, fileRowBytes);
    if (slot >= kSizeLimit)
        return QZ_FAIL(kErrUnknownFormat);
    rowBytes_ = static_cast<uint32_t>(rowBytes);
    fileRowBytes_ = static_cast<uint32_t>(fileRowBytes);
    slotBytes_ = static_cast<uint32_t>(slot);
    outRowBytes_ = bytesPerPixel_ * outWidth_;
    cfaBits_ = bits;
    fields_ = cfa_ && r.cfaPattern[0] == 5 && r.cfaPattern[1] == 3 && r.cfaPattern[2] == 1 && r.cfaPattern[3] == 4;
    inPlace_ = !cfa_ && n_ == 1 && r.photometric != kPhotometricYCbCr && fileRowBytes_ == rowBytes_ &&
               outRowBytes_ == rowBytes_;
    asStored_ = inPlace_ && !(bits > 8 && swap_);
    record_ = record;

    // Nothing is sized on what the file merely claims: the rows must be in the
    // file (every compressed sample takes at least one bit).
    if (compressed) {
        const uint64_t data = r.stripOffsets[0] < fileSize_ ? fileSize_ - r.stripOffsets[0] : 0;
        if (static_cast<uint64_t>(r.width) * r.height > 8 * data)
            return QZ_FAIL(kErrCompressedEnd);
    } else {
        if (IVorlatError* err = PlanStrips())
            return err;
        if (stripFirstRow_.back() < r.height)
            return QZ_FAIL(kErrCountMismatch);
    }

    if (IVorlatError* err = image->SetColorSpace(r.colorSpace))
        return QZ_WRAP(err);
    if (IVorlatError* err = image->SetSize(static_cast<int32_t>(outWidth_), static_cast<int32_t>(outHeight_)))
        return QZ_WRAP(err);
    if (IVorlatError* err = image->SetTransform(r.mirrored, r.rotation, false))
        return QZ_WRAP(err);
    if (IVorlatError* err = image->SetResolution(r.resolution))
        return QZ_WRAP(err);

    int32_t tile = 0;
    if (IVorlatError* err = image->GetTileSize(&tile))
        return QZ_WRAP(err);
    uint32_t rows = tile > 0 ? static_cast<uint32_t>(tile) : 1;
    if (slot < kBandLimit) {
        while (rows > 1 && static_cast<uint64_t>(rows) * slot > kBandLimit)
            rows /= 2;
    } else {
        rows = 1;
    }
    rowsPerBand_ = rows;
    if (!TryResize(band_, static_cast<uint64_t>(rows) * slot))
        return QZ_FAIL(kErrAllocation);

    image_ = image;
    rowsDone_ = 0;
    if (compressed) {
        if (!TryResize(input_, kBandLimit))
            return QZ_FAIL(kErrAllocation);
        if (!decoder_)
            decoder_.reset(new (std::nothrow) CompressedRawDecoder);
        if (!decoder_)
            return QZ_FAIL(kErrAllocation);
        if (IVorlatError* err = RestartDecoder())
            return err;
        mode_ = Mode::kCompressed;
    } else {
        mode_ = Mode::kStrips;
    }
    finished_ = false;
    return nullptr;
}

IVorlatError* CTiffReader::RestartDecoder()
{
    const TiffImageRecord& r = *record_;
    if (!decoder_->Init(r.width, r.height, *r.compressedRaw))
        return QZ_FAIL(kErrState);
    inputPosition_ = r.stripOffsets[0];
    return nullptr;
}

IVorlatError* CTiffReader::PlanStrips()
{
    // A strip holds as many whole rows as its bytes give; one of 0 rows is passed over.
    const TiffImageRecord& r = *record_;
    const size_t count = r.stripOffsets.size();
    if (!TryResize(stripFirstRow_, count + 1))
        return QZ_FAIL(kErrAllocation);
    uint64_t row = 0;
    for (size_t i = 0; i < count; ++i) {
        stripFirstRow_[i] = static_cast<uint32_t>(std::min<uint64_t>(row, r.height));
        // Only the bytes that are in the file hold rows.
        const uint64_t inFile = r.stripOffsets[i] < fileSize_ ? fileSize_ - r.stripOffsets[i] : 0;
        row += RowsIn(std::min<uint64_t>(r.stripByteCounts[i], inFile));
    }
    stripFirstRow_[count] = static_cast<uint32_t>(std::min<uint64_t>(row, r.height));
    return nullptr;
}

uint32_t CTiffReader::FileRow(uint32_t r) const
{
    // Subsampled mosaics keep their rows in colour pairs.
    uint32_t row = cfa_ && n_ > 1 ? (r / 2) * 2 * n_ + (r & 1) : r * n_;
    if (fields_) {
        // Even rows first, then the odd rows.
        const uint32_t even = (record_->height + 1) / 2;
        row = (row & 1) ? even + row / 2 : row / 2;
    }
    return row;
}

uint64_t CTiffReader::RowStart(uint32_t row) const
{
    return run_ ? 3ull * record_->width * row / 2 : static_cast<uint64_t>(row) * fileRowBytes_;
}

uint64_t CTiffReader::RowsIn(uint64_t bytes) const
{
    return run_ ? 2 * bytes / (3ull * record_->width) : bytes / fileRowBytes_;
}

IVorlatError* CTiffReader::ReadFileRow(uint32_t fileRow, uint8_t* into)
{
    const TiffImageRecord& r = *record_;
    if (fileRow >= stripFirstRow_.back())
        return QZ_FAIL(kErrCountMismatch);
    // The strip that holds the row: the last whose first row is not behind it.
    const auto it = std::upper_bound(stripFirstRow_.begin(), stripFirstRow_.end() - 1, fileRow);
    const size_t strip = static_cast<size_t>(it - stripFirstRow_.begin()) - 1;
    const uint32_t inStrip = fileRow - stripFirstRow_[strip];
    const uint64_t offset = r.stripOffsets[strip] + RowStart(inStrip);
    if (offset + fileRowBytes_ > fileSize_)
        return QZ_FAIL(kErrReadPastEnd);
    if (IVorlatError* err = stream_->Seek(static_cast<int32_t>(offset), 0))
        return QZ_WRAP(err);
    if (IVorlatError* err = stream_->LoadToMemory(into, fileRowBytes_))
        return QZ_WRAP(err);
    // A row that follows one of odd width begins half-way in its first byte.
    if (run_ && (static_cast<uint64_t>(inStrip) * r.width & 1))
        AlignHalfByteRow(into, fileRowBytes_);
    return nullptr;
}

void CTiffReader::ConvertRow(uint8_t* row) const
{
    const TiffImageRecord& r = *record_;
    const uint32_t width = r.width;
    const uint32_t n = n_;
    if (cfa_) {
        auto* samples = reinterpret_cast<uint16_t*>(row);
        if (packed_)
            UnpackMosaicRow(row, width, padded_);
        else
            ScaleMosaicRow(samples, width, cfaBits_, swap_);
        SubsampleMosaicRow(samples, width, n);
        return;
    }
    if (r.photometric == kPhotometricYCbCr) {
        // Y0 Y1 Cb Cr give two pixels; from the row's end, so that no pixel
        // overwrites a group not yet converted.
        for (uint32_t g = (width + 1) / 2; g-- > 0;) {
            const uint8_t* in = row + 4ull * g;
            const double cb = in[2] - 128.0, cr = in[3] - 128.0;
            uint8_t pixels[6];
            for (int k = 0; k < 2; ++k) {
                const double y = in[k];
                pixels[3 * k] = Clamp255(y + 1.403 * cr);
                pixels[3 * k + 1] = Clamp255(y - 0.344 * cb - 0.715 * cr);
                pixels[3 * k + 2] = Clamp255(y + 1.773 * cb);
            }
            std::memcpy(row + 6ull * g, pixels, 2 * g + 1 < width ? 6 : 3);
        }
    } else if (r.bitsPerSample[0] > 8 && swap_) {
        for (uint64_t i = 0; i + 1 < rowBytes_; i += 2)
            std::swap(row[i], row[i + 1]);
    }
    if (n <= 1)
        return;
    // Each output pixel the mean of n pixels, per channel.
    const uint32_t channels = bytesPerPixel_ / (r.bitsPerSample[0] > 8 && r.photometric != kPhotometricYCbCr ? 2 : 1);
    const bool wide = bytesPerPixel_ != channels;
    for (uint32_t j = 0; j < outWidth_; ++j)
        for (uint32_t c = 0; c < channels; ++c) {
            uint32_t sum = 0;
            for (uint32_t k = 0; k < n; ++k) {
                const uint64_t i = (static_cast<uint64_t>(j) * n + k) * channels + c;
                if (wide) {
                    uint16_t v;
                    std::memcpy(&v, row + 2 * i, 2);
                    sum += v;
                } else {
                    sum += row[i];
                }
            }
            const uint64_t o = static_cast<uint64_t>(j) * channels + c;
            if (wide) {
                const uint16_t v = static_cast<uint16_t>(sum / n);
                std::memcpy(row + 2 * o, &v, 2);
            } else {
                row[o] = static_cast<uint8_t>(sum / n);
            }
        }
}

IVorlatError* CTiffReader::LoadStripRows(uint32_t first, uint32_t count, uint8_t* buffer)
{
    for (uint32_t i = 0; i < count; ++i) {
        uint8_t* row = buffer + static_cast<uint64_t>(i) * outRowBytes_;
        // Each row is read at its place and converted there; the slot behind it
        // is free, since rows that follow are read later.
        if (IVorlatError* err = ReadFileRow(FileRow(first + i), row))
            return err;
        ConvertRow(row);
    }
    return nullptr;
}

IVorlatError* CTiffReader::DecodeRows(uint32_t first, uint32_t count, uint8_t* buffer)
{
    if (decoder_->RowsDone() > first)
        if (IVorlatError* err = RestartDecoder())
            return err;
    // Rows before the first wanted one are decoded into the buffer and dropped.
    while (decoder_->RowsDone() < first + count) {
        const uint32_t at = decoder_->RowsDone();
        const uint32_t skip = at < first ? std::min(first - at, count) : 0;
        const uint32_t rows = skip ? skip : first + count - at;
        uint8_t* out = skip ? buffer : buffer + static_cast<uint64_t>(at - first) * rowBytes_;
        decoder_->SetOutput(reinterpret_cast<uint16_t*>(out), rows * rowBytes_);
        for (;;) {
            const CompressedRawDecoder::Result result = decoder_->Decode();
            if (result == CompressedRawDecoder::kCorrupt)
                return QZ_FAIL(kErrReadPastEnd);
            if (result == CompressedRawDecoder::kStopped)
                break;
            if (inputPosition_ >= fileSize_)
                return QZ_FAIL(kErrCompressedEnd);
            const uint32_t chunk = std::min(kBandLimit, fileSize_ - inputPosition_);
            if (IVorlatError* err = stream_->Seek(static_cast<int32_t>(inputPosition_), 0))
                return QZ_WRAP(err);
            if (IVorlatError* err = stream_->LoadToMemory(input_.data(), chunk))
                return QZ_WRAP(err);
            inputPosition_ += chunk;
            decoder_->SetInput(input_.data(), chunk, inputPosition_ >= fileSize_);
        }
        if (decoder_->RowsDone() == at)
            return QZ_FAIL(kErrCompressedEnd);
    }
    return nullptr;
}

IVorlatError* CTiffReader::HandOver(const uint8_t* buffer, uint32_t first, uint32_t count)
{
    RECT rect = {0, static_cast<int32_t>(first), static_cast<int32_t>(outWidth_), static_cast<int32_t>(first + count)};
    return QZ_WRAP(image_->SetData(const_cast<uint8_t*>(buffer), static_cast<int32_t>(outRowBytes_), rect));
}

bool CTiffReader::RowsTogether(uint32_t first, uint32_t count, uint64_t* offset) const
{
    if (!inPlace_ || count == 0 || first + count > stripFirstRow_.back())
        return false;
    // All rows in one strip, or in strips that follow each other in the file.
    const auto it = std::upper_bound(stripFirstRow_.begin(), stripFirstRow_.end() - 1, first);
    const size_t strip = static_cast<size_t>(it - stripFirstRow_.begin()) - 1;
    for (size_t s = strip; first + count > stripFirstRow_[s + 1]; ++s) {
        const uint64_t end = record_->stripOffsets[s] + static_cast<uint64_t>(stripFirstRow_[s + 1] - stripFirstRow_[s]) * fileRowBytes_;
        if (s + 1 >= record_->stripOffsets.size() || record_->stripOffsets[s + 1] != end)
            return false;
    }
    *offset = record_->stripOffsets[strip] + static_cast<uint64_t>(first - stripFirstRow_[strip]) * fileRowBytes_;
    return *offset + static_cast<uint64_t>(count) * fileRowBytes_ <= fileSize_;
}

IVorlatError* CTiffReader::ReadRows(uint32_t first, uint32_t count, uint8_t* buffer)
{
    // Rows that lie together in the file come in one read, which takes a large
    // band from the file itself rather than touching every page of the
    // mapped view (the stream decides); anything else goes row by row.
    uint64_t offset = 0;
    if (!RowsTogether(first, count, &offset))
        return LoadStripRows(first, count, buffer);
    if (IVorlatError* err = stream_->Seek(static_cast<int32_t>(offset), 0))
        return QZ_WRAP(err);
    if (IVorlatError* err = stream_->LoadToMemory(buffer, count * fileRowBytes_))
        return QZ_WRAP(err);
    if (!asStored_)
        for (uint32_t i = 0; i < count; ++i)
            ConvertRow(buffer + static_cast<uint64_t>(i) * rowBytes_);
    return nullptr;
}

IVorlatError* CTiffReader::LoadBand(uint32_t first, uint32_t count)
{
    IVorlatError* err = mode_ == Mode::kCompressed ? DecodeRows(first, count, band_.data())
                                                   : ReadRows(first, count, band_.data());
    return err ? err : HandOver(band_.data(), first, count);
}

IVorlatError* CTiffReader::Execute()
{
    if (finished_)
        return nullptr;
    if (mode_ == Mode::kJpeg) {
        IVorlatError* err = jpeg_->reader->Execute();
        finished_ = jpeg_->reader->IsFinished();
        return QZ_WRAP(err);
    }
    const uint32_t count = std::min(rowsPerBand_, outHeight_ - rowsDone_);
    if (IVorlatError* err = LoadBand(rowsDone_, count)) {
        finished_ = true;  // a failed load does not go on
        return err;
    }
    rowsDone_ += count;
    finished_ = rowsDone_ >= outHeight_;
    return nullptr;
}

bool CTiffReader::IsFinished() { return finished_; }

void CTiffReader::GetProgress(int32_t* done, int32_t* total)
{
    if (mode_ == Mode::kJpeg && jpeg_ && !finished_) {
        jpeg_->reader->GetProgress(done, total);
        return;
    }
    if (done)
        *done = finished_ ? 0 : static_cast<int32_t>(rowsDone_ * n_);
    if (total)
        *total = finished_ || !record_ ? 0 : static_cast<int32_t>(record_->height);
}

IVorlatError* CTiffReader::LoadTileRow(int32_t row)
{
    if (mode_ == Mode::kJpeg)
        return QZ_WRAP(jpeg_->reader->LoadTileRow(row));
    if (mode_ == Mode::kNone || !image_)
        return QZ_FAIL(kErrState);
    int32_t tile = 0;
    if (IVorlatError* err = image_->GetTileSize(&tile))
        return QZ_WRAP(err);
    if (row < 0 || tile <= 0)
        return QZ_FAIL(kErrBadArgument);
    const uint64_t first = static_cast<uint64_t>(row) * static_cast<uint32_t>(tile);
    if (first >= outHeight_)
        return nullptr;
    const uint32_t end = static_cast<uint32_t>(std::min<uint64_t>(first + static_cast<uint32_t>(tile), outHeight_));
    // In bands, so that a tile row of a wide image stays within the band buffer.
    for (uint32_t at = static_cast<uint32_t>(first); at < end;) {
        const uint32_t count = std::min(rowsPerBand_, end - at);
        if (IVorlatError* err = LoadBand(at, count))
            return err;
        at += count;
    }
    return nullptr;
}

// ---- Update ---------------------------------------------------------------------------

IVorlatError* CTiffReader::CheckUpdate()
{
    if (IVorlatError* err = LoadTags())
        return QZ_WRAP(err);
    return tags_ && tags_ != ownTags_ ? nullptr : QZ_FAIL(kErrState);
}

IVorlatError* CTiffReader::Update(IVorlatStream* target, IVorlatDataSource** sources, uint32_t n)
{
    if (!target)
        return QZ_FAIL(kErrBadArgument);
    if (!tagsRead_ || !tags_ || tags_ == ownTags_)
        return nullptr;
    // New sources replace the thumbnails only; the main image is copied as stored.
    CTiffUpdateWriter writer(stream_, target, tags_, format_, swap_);
    IVorlatError* err = sources && n ? writer.SetThumbnailSources(sources, n) : nullptr;
    if (!err)
        err = writer.BeginUpdate(&main_, sources && n ? nullptr : thumbnails_, sources && n ? 0 : 3);
    while (!err && !writer.IsFinished())
        err = writer.Execute();
    return QZ_WRAP(err);
}

IVorlatError* CTiffReader::Update(IVorlatStream* target) { return Update(target, nullptr, 0); }

} // namespace quarnite
