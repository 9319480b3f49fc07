#include <algorithm>
#include <cstring>

#include "fileio/quarnite_error.h"
#include "fileio/tiff/mosaic_rows.h"
#include "fileio/tiff/tiff_writer.h"

namespace quarnite {
namespace {
constexpr int32_t kSourceId = kSrcTiffWriter;
constexpr uint32_t kCopyChunk = 1048576;
constexpr uint64_t kSizeLimit = 0x80000000ull;
} // namespace

CTiffUpdateWriter::CTiffUpdateWriter(IVorlatStream* source, IVorlatStream* target, IVorlatTagControl* tags,
                                     int32_t format, bool swap)
    : CTiffWriterBase(target, tags, format, 0, swap), from_(source)
{
    if (IVorlatError* err = from_->GetSize(&fromSize_))
        err->Destroy();
    for (TiffImageRecord*& r : thumbnails_)
        r = nullptr;
}

IVorlatError* CTiffUpdateWriter::BeginSave(IVorlatDataSource*, IVorlatDataSource**, uint32_t)
{
    return QZ_FAIL(kErrNotSupported);  // an update writes what was read, not a source
}

IVorlatError* CTiffUpdateWriter::SetThumbnailSources(IVorlatDataSource** sources, uint32_t n)
{
    newSources_ = true;
    for (uint32_t i = 0; i < 3; ++i) {
        thumbnailSources_[i] = sources && i < n ? sources[i] : nullptr;
        ownNew_[i].Reset();
        ownNew_[i].compression = format_ == kFormatJpeg || format_ == kFormatExifJpeg ? 6 : 1;
        thumbnails_[i] = &ownNew_[i];
        if (thumbnailSources_[i])
            if (IVorlatError* err = PrepareRecord(thumbnailSources_[i], &ownNew_[i]))
                return QZ_WRAP(err);
    }
    return nullptr;
}

IVorlatError* CTiffUpdateWriter::BeginUpdate(TiffImageRecord* main, TiffImageRecord* thumbnails, uint32_t count)
{
    if (!main || !stream_ || !from_)
        return QZ_FAIL(kErrBadArgument);
    main_ = main;
    uint32_t taken = 0;
    if (!newSources_) {
        for (uint32_t i = 0; thumbnails && i < count && i < 3; ++i) {
            TiffImageRecord* r = &thumbnails[i];
            if (format_ == kFormatRawTiff)
                thumbnails_[taken++] = r;
            else if (taken < 2 && r->colorSpace != 0 && r->colorSpace != 66)
                thumbnails_[taken++] = r;
        }
        // Positions of an earlier write must not be patched again.
        for (TiffImageRecord* r : thumbnails_)
            if (r)
                r->stripOffsetPosition = r->stripByteCountPosition = 0;
    }
    main_->stripOffsetPosition = main_->stripByteCountPosition = 0;
    if (IVorlatError* err = WriteHeader())
        return QZ_WRAP(err);
    if (IVorlatError* err = WriteTags())
        return QZ_WRAP(err);
    IVorlatError* err = !newSources_ && taken > 0 ? WriteThumbnailData() : WriteNewThumbnailData();
    if (err)
        return QZ_WRAP(err);
    if (format_ == kFormatJpeg || format_ == kFormatExifJpeg) {
        finished_ = true;
        return nullptr;
    }
    height_ = main_->height;
    return QZ_WRAP(BeginCopy(main_));
}

IVorlatError* CTiffUpdateWriter::BeginCopy(TiffImageRecord* record)
{
    finished_ = true;
    pieces_.clear();
    piece_ = 0;
    pieceDone_ = 0;
    rowsDone_ = 0;
    if (!record->stripOffsetPosition || !record->stripByteCountPosition)
        return nullptr;  // no IFD describes it
    uint64_t total = 0;
    try {
        if (!record->stripOffsets.empty()) {
            const size_t strips = std::min(record->stripOffsets.size(), record->stripByteCounts.size());
            for (size_t i = 0; i < strips; ++i) {
                const uint64_t offset = record->stripOffsets[i], length = record->stripByteCounts[i];
                if (offset + length > fromSize_)
                    return QZ_FAIL(kErrReadPastEnd);
                if (length)
                    pieces_.push_back({static_cast<uint32_t>(offset), static_cast<uint32_t>(length)});
                total += length;
            }
            // No byte counts: the strip runs from its offset to the file's end.
            if (total == 0 && record->stripOffsets[0] < fromSize_) {
                total = fromSize_ - record->stripOffsets[0];
                pieces_.push_back({record->stripOffsets[0], static_cast<uint32_t>(total)});
            }
        } else if (record->jpegOffset && record->jpegLength) {
            if (static_cast<uint64_t>(record->jpegOffset) + record->jpegLength > fromSize_)
                return QZ_FAIL(kErrReadPastEnd);
            pieces_.push_back({record->jpegOffset, record->jpegLength});
            total = record->jpegLength;
        }
    } catch (const std::bad_alloc&) {
        return QZ_FAIL(kErrAllocation);
    }
    if (total >= kSizeLimit)
        return QZ_FAIL(kErrBadArgument);
    if (IVorlatError* err = mainIfd_.cursor.Sync())
        return QZ_WRAP(err);
    const uint32_t at = mainIfd_.cursor.position;
    if (IVorlatError* err = PatchStrip(record, at, static_cast<uint32_t>(total)))
        return QZ_WRAP(err);
    if (!TryResize(copyBuffer_, kCopyChunk))
        return QZ_FAIL(kErrAllocation);
    finished_ = pieces_.empty();
    return nullptr;
}

IVorlatError* CTiffUpdateWriter::Execute()
{
    if (finished_)
        return nullptr;
    const Piece& piece = pieces_[piece_];
    const uint32_t n = std::min(kCopyChunk, piece.length - pieceDone_);
    IVorlatError* err = from_->Seek(static_cast<int32_t>(piece.offset + pieceDone_), 0);
    if (!err)
        err = from_->LoadToMemory(copyBuffer_.data(), n);
    if (!err)
        err = stream_->SaveFromMemory(copyBuffer_.data(), n);
    if (err) {
        finished_ = true;
        return QZ_WRAP(err);
    }
    pieceDone_ += n;
    if (pieceDone_ == piece.length) {
        ++piece_;
        pieceDone_ = 0;
    }
    finished_ = piece_ >= pieces_.size();
    return nullptr;
}

IVorlatError* CTiffUpdateWriter::CopyAll(TiffImageRecord* record)
{
    if (IVorlatError* err = BeginCopy(record))
        return err;
    while (!finished_)
        if (IVorlatError* err = Execute())
            return err;
    return nullptr;
}

IVorlatError* CTiffUpdateWriter::WriteThumbnailData()
{
    for (TiffImageRecord* r : thumbnails_) {
        if (!r || r->width == 0)
            break;
        if (IVorlatError* err = CopyAll(r))
            return QZ_WRAP(err);
    }
    return nullptr;
}

IVorlatError* CTiffUpdateWriter::WriteNewThumbnailData()
{
    bool firstRgb = true;
    for (uint32_t i = 0; i < 3; ++i) {
        IVorlatDataSource* source = thumbnailSources_[i];
        if (!source)
            break;
        TiffImageRecord* record = thumbnails_[i];
        if (record->colorSpace != 32) {
            if (IVorlatError* err = WriteMosaicThumbnail(source, record))
                return QZ_WRAP(err);
            continue;
        }
        const bool jpegBlock = format_ == kFormatJpeg || format_ == kFormatExifJpeg;
        if (!firstRgb || jpegBlock) {
            const uint32_t base = firstRgb ? 0 : record->offsetBase;
            firstRgb = false;
            if (record->stripOffsetPosition)
                if (IVorlatError* err = WriteJpegThumbnail(source, record, base))
                    return QZ_WRAP(err);
            continue;
        }
        firstRgb = false;
        if (format_ != kFormatTiff && format_ != kFormatTiffSave && format_ != kFormatRawTiff)
            continue;
        if (!record->stripOffsetPosition)
            continue;
        // The whole small image in one piece.
        const uint64_t size = 3ull * record->width * record->height;
        std::vector<uint8_t> pixels;
        if (size >= kSizeLimit || !TryResize(pixels, size))
            return QZ_FAIL(kErrAllocation);
        if (IVorlatError* err = FetchRect(source, 32, pixels.data(), 0, 0, static_cast<int32_t>(record->width),
                                          static_cast<int32_t>(record->height)))
            return QZ_WRAP(err);
        if (IVorlatError* err = mainIfd_.cursor.Sync())
            return QZ_WRAP(err);
        const uint32_t at = mainIfd_.cursor.position;
        if (IVorlatError* err = Patch(record->stripOffsetPosition, at - record->offsetBase))
            return QZ_WRAP(err);
        if (IVorlatError* err = Patch(record->stripByteCountPosition, static_cast<uint32_t>(size)))
            return QZ_WRAP(err);
        if (IVorlatError* err = stream_->SaveFromMemory(pixels.data(), static_cast<uint32_t>(size)))
            return QZ_WRAP(err);
    }
    return nullptr;
}

IVorlatError* CTiffUpdateWriter::WriteMosaicThumbnail(IVorlatDataSource* source, TiffImageRecord* record)
{
    if (!source)
        return nullptr;
    if (record->colorSpace != 66)
        return QZ_FAIL(kErrState);
    if (!record->stripOffsetPosition || !record->stripByteCountPosition)
        return nullptr;  // no sub-IFD describes it
    const uint32_t w = record->width, h = record->height;
    const uint64_t packed = PackedRowBytes(w);
    const uint64_t size = PackedRunBytes(static_cast<uint64_t>(w) * h);
    if (packed * h >= kSizeLimit)
        return QZ_FAIL(kErrBadArgument);
    if (IVorlatError* err = mainIfd_.cursor.Sync())
        return QZ_WRAP(err);
    const uint32_t at = mainIfd_.cursor.position;
    if (IVorlatError* err = Patch(record->stripOffsetPosition, at - record->offsetBase))
        return QZ_WRAP(err);
    if (IVorlatError* err = Patch(record->stripByteCountPosition, static_cast<uint32_t>(size)))
        return QZ_WRAP(err);
    // The kept odd rows, packed, then one fetched row and its packed bytes.
    // Each field is one run of samples; when the first ends half-way in a
    // byte, the second field's first sample completes it.
    std::vector<uint8_t> buffer;
    const uint64_t keptRoom = packed * (h / 2) + 4;
    if (!TryResize(buffer, keptRoom + 2ull * w + packed + 4))
        return QZ_FAIL(kErrAllocation);
    uint8_t* row = buffer.data() + keptRoom;
    uint8_t* out = row + 2ull * w;
    MosaicRunPacker evenRun, oddRun;
    if ((static_cast<uint64_t>(w) * ((h + 1ull) / 2) & 1) && h > 1)
        oddRun.HoldFirst();
    uint32_t kept = 0;
    for (uint32_t r = 0; r < h; ++r) {
        if (IVorlatError* err = FetchRect(source, 66, row, 0, static_cast<int32_t>(r), static_cast<int32_t>(w),
                                          static_cast<int32_t>(r + 1)))
            return QZ_WRAP(err);
        const auto* samples = reinterpret_cast<const uint16_t*>(row);
        if (r & 1) {
            kept += oddRun.Pack(samples, w, buffer.data() + kept);
        } else {
            const uint32_t bytes = evenRun.Pack(samples, w, out);
            if (IVorlatError* err = stream_->SaveFromMemory(out, bytes))
                return QZ_WRAP(err);
        }
    }
    uint16_t next = 0;
    const uint32_t closing = evenRun.Finish(out, oddRun.TakeFirst(&next) ? &next : nullptr);
    if (closing)
        if (IVorlatError* err = stream_->SaveFromMemory(out, closing))
            return QZ_WRAP(err);
    kept += oddRun.Finish(buffer.data() + kept);
    return QZ_WRAP(stream_->SaveFromMemory(buffer.data(), kept));
}

} // namespace quarnite
