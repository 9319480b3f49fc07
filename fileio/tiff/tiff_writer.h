// The TIFF writers: every TIFF-structured output of the library. CTiffWriter
// writes TIFF files (formats 1 and 2), the maker's raw files (0x100000) and the
// Exif block of a JPEG file (0x10, 0x20) from pixel sources, band by band
// within 1 MiB; CTiffUpdateWriter writes a file the TIFF reader has read again
// with the current tags, copying its stored image data.
#pragma once

#include <cstdint>
#include <vector>

#include "fileio/VorlatFormat.h"
#include "fileio/meta/exif_ifd.h"
#include "fileio/meta/film_scanner_ifd.h"
#include "fileio/meta/gps_ifd.h"
#include "fileio/meta/maker_note.h"
#include "fileio/meta/maker_preview_ifd.h"
#include "fileio/tiff/main_ifd.h"
#include "fileio/tiff/mosaic_rows.h"
#include "fileio/tiff/tiff_image_record.h"

namespace quarnite {

IVorlatFormatWriter* CreateTiffWriter(IVorlatStream* stream, IVorlatTagControl* tags, int32_t format, int32_t option);

class CTiffWriterBase : public IVorlatFormatWriter {
public:
    CTiffWriterBase(IVorlatStream* stream, IVorlatTagControl* tags, int32_t format, int32_t option, bool swap);
    ~CTiffWriterBase() override = default;
    CTiffWriterBase(const CTiffWriterBase&) = delete;
    CTiffWriterBase& operator=(const CTiffWriterBase&) = delete;

    bool IsFinished() override { return finished_; }
    void GetProgress(int32_t* done, int32_t* total) override;

protected:
    IVorlatError* WriteHeader();
    IVorlatError* WriteTags();
    IVorlatError* PrepareRecord(IVorlatDataSource* source, TiffImageRecord* record);
    // Copies rows [top, bottom) of the source into `buffer`, rows packed.
    IVorlatError* FetchRect(IVorlatDataSource* source, int32_t colorSpace, uint8_t* buffer, int32_t left, int32_t top,
                            int32_t right, int32_t bottom);
    // Writes `value` at `position` in the file's byte order and returns to where the stream stood.
    IVorlatError* Patch(uint32_t position, uint32_t value);
    // Points the record's IFD (and for the main image of a raw file IFD 0 as
    // well) at `size` bytes of image data at stream position `at`.
    IVorlatError* PatchStrip(TiffImageRecord* record, uint32_t at, uint32_t size);
    // A complete JPEG stream of the source at the stream position; its offset
    // (less `base`) and length go to the record's recorded positions.
    IVorlatError* WriteJpegThumbnail(IVorlatDataSource* source, TiffImageRecord* record, uint32_t base);
    // Thumbnail records in use, and how many of them are neither empty nor mosaics.
    int PreviewCount() const;

    IVorlatStream* stream_;
    bool swap_;
    IVorlatTagControl* tags_;
    int32_t format_;
    int32_t option_;
    MainIfdCodec mainIfd_;
    IfdCodec subIfd_;
    ExifIfdCodec exif_;
    GpsIfdCodec gps_;
    MakerNoteCodec makerNote_;
    FilmScannerIfd film_;
    MakerPreviewIfd preview_;
    TiffImageRecord ownMain_;
    TiffImageRecord ownThumbnails_[3];
    TiffImageRecord* main_ = &ownMain_;
    TiffImageRecord* thumbnails_[3] = {&ownThumbnails_[0], &ownThumbnails_[1], &ownThumbnails_[2]};
    IVorlatDataSource* source_ = nullptr;
    IVorlatDataSource* thumbnailSources_[3] = {};
    bool finished_ = true;
    uint32_t rowsDone_ = 0;
    uint32_t height_ = 0;
    // IFD 0 of a raw file describes the main image beside its sub-IFD: the
    // value positions of its StripOffsets and StripByteCounts (0: none apart).
    uint32_t ifd0StripOffsetPosition_ = 0;
    uint32_t ifd0StripByteCountPosition_ = 0;
};

class CTiffWriter : public CTiffWriterBase {
public:
    // The saver's writer takes the file's byte order as little-endian.
    CTiffWriter(IVorlatStream* stream, IVorlatTagControl* tags, int32_t format, int32_t option, bool swap = false);

    IVorlatError* Execute() override;
    IVorlatError* BeginSave(IVorlatDataSource* source, IVorlatDataSource** sources, uint32_t n) override;

private:
    IVorlatError* WriteThumbnailData();
    IVorlatError* BeginImageData(IVorlatDataSource* source, TiffImageRecord* record);
    IVorlatError* WriteImageData();

    // The image being written.
    IVorlatDataSource* dataSource_ = nullptr;
    TiffImageRecord* dataRecord_ = nullptr;
    int32_t colorSpace_ = 0;
    uint32_t width_ = 0;
    uint32_t rowBytes_ = 0;
    uint32_t rowsPerBand_ = 0;
    std::vector<uint8_t> band_;
    bool fieldOutput_ = false;
    uint32_t evenPosition_ = 0;  // where the next even row (first field) goes
    uint32_t oddPosition_ = 0;   // where the next odd row (second field) goes
    // Rows of odd width run on within a byte: packed through these.
    bool run_ = false;
    MosaicRunPacker evenRun_;    // every row, or the first field's
    MosaicRunPacker oddRun_;     // the second field's
    std::vector<uint8_t> packed_;
};

class CTiffUpdateWriter : public CTiffWriterBase {
public:
    // `source` is the file that was read, `target` the one written.
    CTiffUpdateWriter(IVorlatStream* source, IVorlatStream* target, IVorlatTagControl* tags, int32_t format, bool swap);

    IVorlatError* Execute() override;
    IVorlatError* BeginSave(IVorlatDataSource*, IVorlatDataSource**, uint32_t) override;
    // New thumbnail sources, the first three as given.
    IVorlatError* SetThumbnailSources(IVorlatDataSource** sources, uint32_t n);
    // The reader's main record and its thumbnail records (count 0 with new
    // sources): writes the structure and the thumbnails, then starts copying
    // the stored main image data.
    IVorlatError* BeginUpdate(TiffImageRecord* main, TiffImageRecord* thumbnails, uint32_t count);

private:
    IVorlatError* WriteThumbnailData();
    IVorlatError* WriteNewThumbnailData();
    IVorlatError* WriteMosaicThumbnail(IVorlatDataSource* source, TiffImageRecord* record);
    // Points the record's IFD at the stored data that goes to the stream position.
    IVorlatError* BeginCopy(TiffImageRecord* record);
    IVorlatError* CopyAll(TiffImageRecord* record);

    IVorlatStream* from_;
    uint32_t fromSize_ = 0;
    bool newSources_ = false;
    TiffImageRecord ownNew_[3];
    // The copy in progress: pieces of the source file, in order.
    struct Piece {
        uint32_t offset, length;
    };
    std::vector<Piece> pieces_;
    size_t piece_ = 0;
    uint32_t pieceDone_ = 0;
    std::vector<uint8_t> copyBuffer_;
};

} // namespace quarnite
