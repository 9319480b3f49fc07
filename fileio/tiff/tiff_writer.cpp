#include "fileio/tiff/tiff_writer.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "fileio/jpeg_encoder.h"
#include "fileio/quarnite_error.h"
#include "fileio/source_rows.h"
#include "fileio/stream_impl.h"
#include "fileio/tiff/mosaic_rows.h"
#include "fileio/tiff/raw_sub_ifd.h"

namespace quarnite {
namespace {
constexpr int32_t kSourceId = kSrcTiffWriter;
constexpr uint32_t kBandLimit = 1048576;
constexpr uint64_t kSizeLimit = 0x80000000ull;
constexpr int32_t kThumbnailQuality = 1;

bool IsMosaic(int32_t colorSpace) { return colorSpace == 64 || colorSpace == 65 || colorSpace == 66; }
bool IsJpegFormat(int32_t format) { return format == kFormatJpeg || format == kFormatExifJpeg; }

// Bytes of one source row of the colour space; 0 for one that is not written.
uint64_t SourceRowBytes(int32_t colorSpace, uint32_t width)
{
    if (colorSpace & kVorlatColorSpaceBytes)
        return static_cast<uint64_t>(colorSpace & 0xFFFF) * width;
    switch (colorSpace) {
    case 2: return width;
    case 3: case 64: case 65: case 66: return 2ull * width;
    case 32: return 3ull * width;
    case 33: case 36: return 6ull * width;
    case 34: return 4ull * width;
    default: return 0;
    }
}

bool HasSixteenBitSamples(int32_t colorSpace)
{
    return colorSpace == 3 || colorSpace == 33 || colorSpace == 35 || colorSpace == 36 || colorSpace == 37;
}

// Packs each of `rows` rows of 16-bit mosaic samples to 12 bits, the packed rows closing up.
void PackRows(uint8_t* band, uint32_t rows, uint32_t width)
{
    const uint64_t packed = PackedRowBytes(width);
    for (uint32_t r = 0; r < rows; ++r) {
        uint8_t* row = band + 2ull * width * r;
        PackMosaicRow(row, width);
        std::memmove(band + packed * r, row, static_cast<size_t>(packed));
    }
}
} // namespace

IVorlatFormatWriter* CreateTiffWriter(IVorlatStream* stream, IVorlatTagControl* tags, int32_t format, int32_t option)
{
    return new (std::nothrow) CTiffWriter(stream, tags, format, option, false);
}

// ---- Base -----------------------------------------------------------------------------

CTiffWriterBase::CTiffWriterBase(IVorlatStream* stream, IVorlatTagControl* tags, int32_t format, int32_t option, bool swap)
    : stream_(stream), swap_(swap), tags_(tags), format_(format), option_(option)
{
    for (IfdCodec* codec : {static_cast<IfdCodec*>(&mainIfd_), &subIfd_, static_cast<IfdCodec*>(&exif_),
                            static_cast<IfdCodec*>(&gps_), static_cast<IfdCodec*>(&makerNote_),
                            static_cast<IfdCodec*>(&film_), static_cast<IfdCodec*>(&preview_)})
        codec->Attach(tags, stream, swap);
    // TIFF-structured writes carry tag 0x80093 (the raw packing mode) only where it is true.
    const uint32_t compression = IsJpegFormat(format) ? 6 : 1;
    ownMain_.compression = compression;
    for (TiffImageRecord& r : ownThumbnails_)
        r.compression = compression;
    mainIfd_.format = static_cast<uint32_t>(format == kFormatTiffSave ? kFormatTiff : format);
    exif_.format = mainIfd_.format;
}

void CTiffWriterBase::GetProgress(int32_t* done, int32_t* total)
{
    if (done)
        *done = finished_ ? 0 : static_cast<int32_t>(rowsDone_);
    if (total)
        *total = finished_ ? 0 : static_cast<int32_t>(height_);
}

IVorlatError* CTiffWriterBase::Patch(uint32_t position, uint32_t value)
{
    IfdCursor& cursor = mainIfd_.cursor;
    if (IVorlatError* err = cursor.Sync())
        return QZ_WRAP(err);
    const uint32_t back = cursor.position;
    IVorlatError* err = cursor.Seek(position, false);
    if (!err)
        err = cursor.WriteU32(value);
    if (!err)
        err = cursor.Seek(back, false);
    return QZ_WRAP(err);
}

IVorlatError* CTiffWriterBase::PatchStrip(TiffImageRecord* record, uint32_t at, uint32_t size)
{
    if (IVorlatError* err = Patch(record->stripOffsetPosition, at - record->offsetBase))
        return QZ_WRAP(err);
    if (IVorlatError* err = Patch(record->stripByteCountPosition, size))
        return QZ_WRAP(err);
    if (record != main_ || !ifd0StripOffsetPosition_ || !ifd0StripByteCountPosition_)
        return nullptr;
    if (IVorlatError* err = Patch(ifd0StripOffsetPosition_, at))
        return QZ_WRAP(err);
    return QZ_WRAP(Patch(ifd0StripByteCountPosition_, size));
}

IVorlatError* CTiffWriterBase::WriteHeader()
{
    IfdCursor& cursor = mainIfd_.cursor;
    if (IVorlatError* err = cursor.Seek(0, false))
        return QZ_WRAP(err);
    IVorlatError* err = cursor.WriteBytes(swap_ ? "MM" : "II", 2);
    if (!err)
        err = cursor.WriteU16(42);
    if (!err)
        err = cursor.WriteU32(8);
    return QZ_WRAP(err);
}

IVorlatError* CTiffWriterBase::PrepareRecord(IVorlatDataSource* source, TiffImageRecord* record)
{
    int32_t width = 0, height = 0, colorSpace = 0;
    double resolution = 72.0;
    if (IVorlatError* err = source->GetSize(&width, &height))
        return QZ_WRAP(err);
    if (IVorlatError* err = source->GetResolution(&resolution))
        return QZ_WRAP(err);
    if (IVorlatError* err = source->GetColorSpace(&colorSpace))
        return QZ_WRAP(err);
    if (width <= 0 || height <= 0)
        return QZ_FAIL(kErrBadArgument);
    record->width = static_cast<uint32_t>(width);
    record->height = static_cast<uint32_t>(height);
    record->resolution = resolution;
    record->colorSpace = colorSpace;
    record->mirrored = false;
    record->rotation = 0.0;
    // The orientation of the image, as the tag store holds it.
    auto fetch = [this](TagId id, uint32_t type, uint32_t bytes, void* out) {
        if (!tags_ || tags_->GetTagSize(id, 0) != bytes || tags_->GetTagType(id, 0) != type)
            return false;
        IVorlatError* err = tags_->GetTagValue(id, type, bytes, out, 0);
        if (err)
            err->Destroy();
        return err == nullptr;
    };
    uint32_t mirrored = 0;
    double rotation = 0.0;
    if (fetch(0x10004, kTagTypeLongs, 4, &mirrored))
        record->mirrored = mirrored != 0;
    if (fetch(0x10005, kTagTypeDoubles, 8, &rotation))
        record->rotation = rotation;
    struct Layout {
        int32_t photometric;
        uint32_t samples, bits;
    };
    Layout layout;
    if (colorSpace & kVorlatColorSpaceBytes) {
        layout = {1, 1, static_cast<uint32_t>(colorSpace & 0xFFFF) * 8};
    } else {
        switch (colorSpace) {
        case 2: layout = {1, 1, 8}; break;
        case 3: layout = {1, 1, 16}; break;
        case 32: layout = {2, 3, 8}; break;
        case 33: layout = {2, 3, 16}; break;
        case 34: layout = {5, 4, 8}; break;
        case 36: layout = {8, 3, 16}; break;
        case 64: case 65: case 66: layout = {32803, 1, 12}; break;
        default: return QZ_FAIL(kErrBadArgument);
        }
    }
    record->photometric = layout.photometric;
    record->samplesPerPixel = layout.samples;
    for (uint32_t i = 0; i < 4; ++i)
        record->bitsPerSample[i] = i < layout.samples ? layout.bits : 0;
    return nullptr;
}

int CTiffWriterBase::PreviewCount() const
{
    int n = 0;
    for (const TiffImageRecord* r : thumbnails_)
        if (r && r->colorSpace != 0 && r->colorSpace != 66)
            ++n;
    return n;
}

IVorlatError* CTiffWriterBase::WriteTags()
{
    if (IVorlatError* err = mainIfd_.cursor.Sync())
        return QZ_WRAP(err);
    if (IVorlatError* err = mainIfd_.WriteIfd(0, 1, main_))
        return QZ_WRAP(err);
    const uint32_t ifd0Offset = main_->stripOffsetPosition, ifd0Count = main_->stripByteCountPosition;
    ifd0StripOffsetPosition_ = ifd0StripByteCountPosition_ = 0;

    exif_.exifIfdOffset = mainIfd_.exifPointerPosition;
    if (exif_.exifIfdOffset)
        if (IVorlatError* err = exif_.WriteIfd(main_->width, main_->height))
            return QZ_WRAP(err);
    gps_.gpsIfdOffset = mainIfd_.gpsPointerPosition;
    if (gps_.gpsIfdOffset)
        if (IVorlatError* err = gps_.WriteIfd())
            return QZ_WRAP(err);

    // The sub-IFDs: a mosaic thumbnail first when the main image is one too.
    TiffImageRecord* mosaicThumbnail = nullptr;
    if (main_->colorSpace == 66)
        for (TiffImageRecord* r : thumbnails_)
            if (r && r->colorSpace == 66)
                mosaicThumbnail = r;
    const uint32_t* positions = mainIfd_.subIfdPositions;
    if (mosaicThumbnail) {
        if (IVorlatError* err = WriteRawSubIfd(subIfd_, mosaicThumbnail, 9, positions[0]))
            return QZ_WRAP(err);
        if (IVorlatError* err = WriteRawSubIfd(subIfd_, main_, 8, positions[1]))
            return QZ_WRAP(err);
    } else if (positions[0]) {
        if (IVorlatError* err = mainIfd_.cursor.Sync())
            return QZ_WRAP(err);
        const uint32_t at = mainIfd_.cursor.position;
        if (IVorlatError* err = WriteRawSubIfd(subIfd_, main_, 8, positions[0]))
            return QZ_WRAP(err);
        // Two values were reserved but there is one image: both name it, so
        // that no SubIFDs value is left pointing at the file's start.
        if (positions[1])
            if (IVorlatError* err = Patch(positions[1], at))
                return QZ_WRAP(err);
    }

    // The sub-IFD took the main record's positions over; IFD 0 is pointed at
    // the same data later rather than left pointing at the file's start.
    if (main_->stripOffsetPosition != ifd0Offset) {
        ifd0StripOffsetPosition_ = ifd0Offset;
        ifd0StripByteCountPosition_ = ifd0Count;
    }

    const int previews = PreviewCount();
    if (exif_.makerNoteEntryPosition) {
        if (IVorlatError* err = mainIfd_.cursor.Sync())
            return QZ_WRAP(err);
        makerNote_.makerNotePosition = exif_.makerNoteEntryPosition;
        if (IVorlatError* err = makerNote_.WriteMakerNote(previews > 1, main_))
            return QZ_WRAP(err);
        if (previews > 1) {
            TiffImageRecord* preview = thumbnails_[previews - 1];
            preview->offsetBase = makerNote_.MakerNoteOffsetBase(false);
            // The preview IFD describes a JPEG stream, whatever the file's own compression.
            preview->compression = 6;
            preview_.ifdOffset = makerNote_.previewPointer;
            if (IVorlatError* err = preview_.WritePreviewIfd(preview))
                return QZ_WRAP(err);
        }
        film_.ifdOffset = makerNote_.filmPointer;
        film_.offsetBase = makerNote_.MakerNoteOffsetBase(false);
        if (IVorlatError* err = film_.WriteFilmScannerIfd())
            return QZ_WRAP(err);
    }
    if (thumbnails_[0] && thumbnails_[0]->width)
        if (IVorlatError* err = mainIfd_.WriteIfd(1, 7, thumbnails_[0]))
            return QZ_WRAP(err);
    return QZ_WRAP(mainIfd_.cursor.Sync());
}

IVorlatError* CTiffWriterBase::FetchRect(IVorlatDataSource* source, int32_t colorSpace, uint8_t* buffer, int32_t left,
                                         int32_t top, int32_t right, int32_t bottom)
{
    if (!source || !buffer || right <= left || bottom <= top)
        return nullptr;
    const int64_t bytesPerPixel = IVorlatDataSource::GetBitsPerPixel(colorSpace) / 8;
    return FetchSourceRows(source, RECT{left, top, right, bottom}, bytesPerPixel, buffer, (right - left) * bytesPerPixel,
                           kSourceId);
}

IVorlatError* CTiffWriterBase::WriteJpegThumbnail(IVorlatDataSource* source, TiffImageRecord* record, uint32_t base)
{
    IfdCursor& cursor = mainIfd_.cursor;
    if (IVorlatError* err = cursor.Sync())
        return QZ_WRAP(err);
    const uint32_t start = cursor.position;
    CVorlatWindowStream* window = new (std::nothrow) CVorlatWindowStream(stream_, start);
    if (!window)
        return QZ_FAIL(kErrAllocation);
    CJpegEncoder* encoder = new (std::nothrow) CJpegEncoder(window);
    IVorlatError* err = encoder ? encoder->WriteStartOfImage() : QZ_FAIL(kErrAllocation);
    if (!err)
        err = encoder->Begin(source, kThumbnailQuality);
    while (!err && !encoder->IsFinished())
        err = encoder->Execute();
    delete encoder;
    window->Destroy();
    if (!err)
        err = cursor.Sync();
    if (err)
        return QZ_WRAP(err);
    const uint32_t end = cursor.position;
    if (IVorlatError* e = Patch(record->stripOffsetPosition, start - base))
        return QZ_WRAP(e);
    return QZ_WRAP(Patch(record->stripByteCountPosition, end - start));
}

// ---- CTiffWriter --------------------------------------------------------------------

CTiffWriter::CTiffWriter(IVorlatStream* stream, IVorlatTagControl* tags, int32_t format, int32_t option, bool swap)
    : CTiffWriterBase(stream, tags, format, option, swap)
{
    if (tags && tags->IsExist(0x80093, 0))
        if (IVorlatError* err = tags->RemoveTag(0x80093, 0))
            err->Destroy();
}

IVorlatError* CTiffWriter::BeginSave(IVorlatDataSource* source, IVorlatDataSource** sources, uint32_t n)
{
    if (!source || !stream_)
        return QZ_FAIL(kErrBadArgument);
    source_ = source;
    // A raw file keeps its thumbnails as given; elsewhere mosaics are left out, two at most.
    uint32_t taken = 0;
    for (uint32_t i = 0; sources && i < n && taken < (format_ == kFormatRawTiff ? 3u : 2u); ++i) {
        IVorlatDataSource* s = sources[i];
        if (format_ != kFormatRawTiff) {
            int32_t colorSpace = 0;
            if (!s)
                continue;
            if (IVorlatError* err = s->GetColorSpace(&colorSpace))
                return QZ_WRAP(err);
            if (colorSpace == 66)
                continue;
        }
        thumbnailSources_[taken++] = s;
    }
    if (IVorlatError* err = PrepareRecord(source, main_))
        return QZ_WRAP(err);
    for (uint32_t i = 0; i < 3; ++i)
        if (thumbnailSources_[i])
            if (IVorlatError* err = PrepareRecord(thumbnailSources_[i], thumbnails_[i]))
                return QZ_WRAP(err);
    if (IVorlatError* err = WriteHeader())
        return QZ_WRAP(err);
    if (IVorlatError* err = WriteTags())
        return QZ_WRAP(err);
    if (IVorlatError* err = WriteThumbnailData())
        return QZ_WRAP(err);
    if (IsJpegFormat(format_)) {
        finished_ = true;  // the Exif block carries no main image data
        return nullptr;
    }
    return QZ_WRAP(BeginImageData(source, main_));
}

IVorlatError* CTiffWriter::WriteThumbnailData()
{
    bool firstRgb = true;
    for (uint32_t i = 0; i < 3; ++i) {
        IVorlatDataSource* source = thumbnailSources_[i];
        if (!source)
            break;
        TiffImageRecord* record = thumbnails_[i];
        int32_t colorSpace = 0;
        if (IVorlatError* err = source->GetColorSpace(&colorSpace))
            return QZ_WRAP(err);
        const bool rgb = colorSpace == 32;
        if (rgb && !firstRgb) {
            // Only a preview IFD describes a later one; without it nothing is written.
            if (record->stripOffsetPosition)
                if (IVorlatError* err = WriteJpegThumbnail(source, record, record->offsetBase))
                    return QZ_WRAP(err);
            continue;
        }
        if (rgb && IsJpegFormat(format_)) {
            firstRgb = false;
            if (record->stripOffsetPosition)
                if (IVorlatError* err = WriteJpegThumbnail(source, record, 0))
                    return QZ_WRAP(err);
            continue;
        }
        if (rgb && format_ != kFormatTiff && format_ != kFormatTiffSave && format_ != kFormatRawTiff) {
            firstRgb = false;
            continue;
        }
        firstRgb = firstRgb && !rgb;
        if (IVorlatError* err = BeginImageData(source, record))
            return QZ_WRAP(err);
        while (!finished_)
            if (IVorlatError* err = WriteImageData())
                return QZ_WRAP(err);
    }
    return nullptr;
}

IVorlatError* CTiffWriter::BeginImageData(IVorlatDataSource* source, TiffImageRecord* record)
{
    finished_ = true;
    const int32_t colorSpace = record->colorSpace;
    const uint64_t rowBytes = SourceRowBytes(colorSpace, record->width);
    if (rowBytes == 0)
        return QZ_FAIL(kErrState);
    const bool mosaic = IsMosaic(colorSpace);
    const uint64_t fileRow = mosaic ? PackedRowBytes(record->width) : rowBytes;
    const uint64_t size = mosaic ? PackedRunBytes(static_cast<uint64_t>(record->width) * record->height)
                                 : fileRow * record->height;
    if (rowBytes >= kSizeLimit || size >= kSizeLimit)
        return QZ_FAIL(kErrBadArgument);
    // Data no IFD describes would have nowhere to be pointed at from.
    if (!record->stripOffsetPosition || !record->stripByteCountPosition)
        return nullptr;

    int32_t tile = 0;
    if (IVorlatError* err = source->GetTileSize(&tile))
        return QZ_WRAP(err);
    uint64_t rows = tile > 0 ? static_cast<uint64_t>(tile) : 1;
    if (rowBytes < kBandLimit) {
        if (rows * rowBytes > kBandLimit)
            rows = kBandLimit / rowBytes;
    } else {
        rows = 1;
    }
    rowsPerBand_ = static_cast<uint32_t>(rows);
    fieldOutput_ = colorSpace == 66 && format_ == kFormatRawTiff;
    // Field output reorders a band's rows through a second band.
    if (!TryResize(band_, rows * rowBytes * (fieldOutput_ ? 2 : 1)))
        return QZ_FAIL(kErrAllocation);

    IfdCursor& cursor = mainIfd_.cursor;
    if (IVorlatError* err = cursor.Sync())
        return QZ_WRAP(err);
    const uint32_t offset = cursor.position;
    if (IVorlatError* err = PatchStrip(record, offset, static_cast<uint32_t>(size)))
        return QZ_WRAP(err);
    evenPosition_ = offset;
    // The second field follows the first field's run; when that run ends
    // half-way in a byte, the second field's first sample completes it.
    const uint64_t evenSamples = static_cast<uint64_t>(record->width) * ((record->height + 1ull) / 2);
    oddPosition_ = static_cast<uint32_t>(offset + 3 * ((evenSamples + 1) / 2));
    run_ = mosaic && (record->width & 1);
    evenRun_ = MosaicRunPacker();
    oddRun_ = MosaicRunPacker();
    if (run_ && fieldOutput_ && (evenSamples & 1) && record->height > 1)
        oddRun_.HoldFirst();
    if (run_ && !TryResize(packed_, 2 * (rows * fileRow + 4)))
        return QZ_FAIL(kErrAllocation);

    dataSource_ = source;
    dataRecord_ = record;
    colorSpace_ = colorSpace;
    width_ = record->width;
    rowBytes_ = static_cast<uint32_t>(rowBytes);
    height_ = record->height;
    rowsDone_ = 0;
    finished_ = false;
    return WriteImageData();
}

IVorlatError* CTiffWriter::WriteImageData()
{
    if (finished_)
        return nullptr;
    const uint32_t rows = std::min(rowsPerBand_, height_ - rowsDone_);
    const int32_t top = static_cast<int32_t>(rowsDone_);
    uint8_t* band = band_.data();
    if (IVorlatError* err = FetchRect(dataSource_, colorSpace_, band, 0, top, static_cast<int32_t>(width_), top + static_cast<int32_t>(rows)))
        return QZ_WRAP(err);
    IfdCursor& cursor = mainIfd_.cursor;
    uint64_t bytes = static_cast<uint64_t>(rows) * rowBytes_;
    if (HasSixteenBitSamples(colorSpace_) && swap_) {
        for (uint64_t i = 0; i + 1 < bytes; i += 2)
            std::swap(band[i], band[i + 1]);
    } else if (IsMosaic(colorSpace_) && !run_) {
        PackRows(band, rows, width_);
        bytes = PackedRowBytes(width_) * rows;
    }
    IVorlatError* err = nullptr;
    if (run_) {
        // Each field one run of samples; the image's last band closes them.
        const bool last = rowsDone_ + rows >= height_;
        uint8_t* even = packed_.data();
        uint8_t* odd = even + packed_.size() / 2;
        uint32_t evenBytes = 0, oddBytes = 0;
        for (uint32_t r = 0; r < rows; ++r) {
            const auto* samples = reinterpret_cast<const uint16_t*>(band + static_cast<uint64_t>(r) * rowBytes_);
            if (fieldOutput_ && ((rowsDone_ + r) & 1))
                oddBytes += oddRun_.Pack(samples, width_, odd + oddBytes);
            else
                evenBytes += evenRun_.Pack(samples, width_, even + evenBytes);
        }
        if (last) {
            uint16_t next = 0;
            evenBytes += evenRun_.Finish(even + evenBytes, oddRun_.TakeFirst(&next) ? &next : nullptr);
            oddBytes += oddRun_.Finish(odd + oddBytes);
        }
        err = cursor.Seek(evenPosition_, false);
        if (!err)
            err = cursor.WriteBytes(even, evenBytes);
        evenPosition_ += evenBytes;
        if (fieldOutput_ && oddBytes) {
            if (!err)
                err = cursor.Seek(oddPosition_, false);
            if (!err)
                err = cursor.WriteBytes(odd, oddBytes);
            oddPosition_ += oddBytes;
        }
        rowsDone_ += rows;
        // The stream ends behind the second field.
        if (!err && last && fieldOutput_ && height_ > 1)
            err = cursor.Seek(oddPosition_, false);
    } else if (fieldOutput_) {
        // Even rows to the first field, odd rows to the second.
        const uint64_t packed = PackedRowBytes(width_);
        uint8_t* even = band + static_cast<uint64_t>(rowsPerBand_) * rowBytes_;
        uint32_t evens = 0, odds = 0;
        for (uint32_t r = 0; r < rows; ++r)
            if (((rowsDone_ + r) & 1) == 0)
                std::memmove(even + packed * evens++, band + packed * r, static_cast<size_t>(packed));
        for (uint32_t r = 0; r < rows; ++r)
            if ((rowsDone_ + r) & 1)
                std::memmove(band + packed * odds++, band + packed * r, static_cast<size_t>(packed));
        err = cursor.Seek(evenPosition_, false);
        if (!err)
            err = cursor.WriteBytes(even, static_cast<uint32_t>(packed * evens));
        if (!err)
            err = cursor.Seek(oddPosition_, false);
        if (!err)
            err = cursor.WriteBytes(band, static_cast<uint32_t>(packed * odds));
        evenPosition_ += static_cast<uint32_t>(packed * evens);
        oddPosition_ += static_cast<uint32_t>(packed * odds);
        rowsDone_ += rows;
        // The stream ends behind the second field.
        if (!err && rowsDone_ >= height_)
            err = cursor.Seek(oddPosition_, false);
    } else {
        err = cursor.WriteBytes(band, static_cast<uint32_t>(bytes));
        rowsDone_ += rows;
    }
    if (err) {
        finished_ = true;
        return QZ_WRAP(err);
    }
    finished_ = rowsDone_ >= height_;
    return nullptr;
}

IVorlatError* CTiffWriter::Execute() { return WriteImageData(); }

} // namespace quarnite
