// The TIFF format reader behind the loader: TIFF files and the maker's raw
// files built on TIFF. It walks the IFDs into one main image record and up to
// three thumbnail records, leaves every tag in the tag store, and loads an
// image band by band (at most 1 MiB per band), including raw mosaics stored as
// 16-bit or packed 12-bit samples or in the maker's compressed form.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "fileio/VorlatFormat.h"
#include "fileio/meta/exif_ifd.h"
#include "fileio/meta/film_scanner_ifd.h"
#include "fileio/meta/gps_ifd.h"
#include "fileio/meta/maker_note.h"
#include "fileio/meta/maker_preview_ifd.h"
#include "fileio/tiff/main_ifd.h"
#include "fileio/tiff/raw_decoder.h"
#include "fileio/tiff/tiff_image_record.h"

namespace quarnite {

// "II" or "MM" with the magic 42 in that byte order: format 1.
IVorlatError* ProbeTiff(IVorlatStream* stream, int32_t* format);
IVorlatFormatReader* CreateTiffReader(IVorlatStream* stream, IVorlatTagControl* tags, int32_t format);

class CTiffReader : public IVorlatFormatReader {
public:
    // tags may be null: the reader then keeps the file's tags in a store of its own.
    CTiffReader(IVorlatStream* stream, IVorlatTagControl* tags);
    ~CTiffReader() override;
    CTiffReader(const CTiffReader&) = delete;
    CTiffReader& operator=(const CTiffReader&) = delete;

    IVorlatError* Execute() override;
    bool IsFinished() override;
    void GetProgress(int32_t* done, int32_t* total) override;
    IVorlatError* LoadTags() override;
    int32_t GetThumbnailCount() override;
    IVorlatError* GetThumbnailColorSpace(int32_t index, int32_t* code) override;
    IVorlatError* GetThumbnailWidth(int32_t index, int32_t* width) override;
    IVorlatError* GetThumbnailHeight(int32_t index, int32_t* height) override;
    IVorlatError* LoadThumbnail(int32_t index, IVorlatImage* image) override;
    IVorlatError* BeginLoadImage(IVorlatImage* image, uint32_t n) override;
    IVorlatError* BeginLoadImage(IVorlatImage* image) override;
    IVorlatError* Update(IVorlatStream* target, IVorlatDataSource** sources, uint32_t n) override;
    IVorlatError* Update(IVorlatStream* target) override;
    IVorlatError* LoadTileRow(int32_t row) override;
    IVorlatError* CheckUpdate() override;

    // After LoadTags: the format code (1, 0x20 or 0x100000), the byte order
    // and the records, for the readers and writers built on this one.
    int32_t Format() const { return format_; }
    // The Exif block of a JPEG file holds no image of its own: the JPEG reader
    // sets 0x20 after LoadTags, so that an update writes it as such.
    void SetFormat(int32_t format) { format_ = format; }
    bool Swap() const { return swap_; }
    const TiffImageRecord& MainRecord() const { return main_; }
    const TiffImageRecord& ThumbnailRecord(int index) const { return thumbnails_[index]; }

private:
    // The reader of a record whose image is an embedded JPEG stream.
    struct EmbeddedJpeg {
        IVorlatStream* window = nullptr;
        IVorlatTagControl* tags = nullptr;
        IVorlatFormatReader* reader = nullptr;
        void Release();
    };
    enum class Mode { kNone, kStrips, kCompressed, kJpeg };

    IVorlatError* ReadTags();
    IVorlatError* WalkIfds(uint32_t first);
    IVorlatError* ReadEmbeddedJpeg(TiffImageRecord& record, EmbeddedJpeg& jpeg);
    IVorlatError* PublishFileInformation();
    // The record of a thumbnail index (1 to 3), or an error.
    IVorlatError* Thumbnail(int32_t index, const TiffImageRecord** record);
    bool HasImage(const TiffImageRecord& record) const;
    int RecordIndex(const TiffImageRecord* record) const;

    IVorlatError* BeginImageLoad(IVorlatImage* image, TiffImageRecord* record, uint32_t n);
    IVorlatError* CheckLoadable(const TiffImageRecord& record) const;
    IVorlatError* PlanStrips();
    // File row of output row r (subsampling and the two-field layout).
    uint32_t FileRow(uint32_t r) const;
    IVorlatError* ReadFileRow(uint32_t fileRow, uint8_t* into);
    void ConvertRow(uint8_t* row) const;
    IVorlatError* LoadStripRows(uint32_t first, uint32_t count, uint8_t* buffer);
    // Decodes output rows [first, first + count) of the compressed image into
    // the buffer, restarting from the first strip when they lie behind.
    IVorlatError* DecodeRows(uint32_t first, uint32_t count, uint8_t* buffer);
    IVorlatError* RestartDecoder();
    IVorlatError* HandOver(const uint8_t* buffer, uint32_t first, uint32_t count);
    // Loads and hands over output rows [first, first + count), at most one band.
    IVorlatError* LoadBand(uint32_t first, uint32_t count);
    // Where the rows start in the file, when they need at most their samples'
    // bytes swapped and lie together there.
    bool RowsTogether(uint32_t first, uint32_t count, uint64_t* offset) const;
    // Output rows [first, first + count) of the strips into the buffer.
    IVorlatError* ReadRows(uint32_t first, uint32_t count, uint8_t* buffer);
    // Where row `row` of a strip begins in it, and how many whole rows `bytes` hold.
    uint64_t RowStart(uint32_t row) const;
    uint64_t RowsIn(uint64_t bytes) const;

    IVorlatStream* stream_;
    IVorlatTagControl* tags_;
    IVorlatTagControl* ownTags_ = nullptr;
    bool swap_ = false;
    MainIfdCodec mainIfd_;
    ExifIfdCodec exif_;
    GpsIfdCodec gps_;
    MakerNoteCodec makerNote_;
    MakerPreviewIfd preview_;
    FilmScannerIfd film_;
    TiffImageRecord main_;
    TiffImageRecord thumbnails_[3];
    EmbeddedJpeg mainJpeg_;
    EmbeddedJpeg thumbnailJpeg_[3];
    int32_t format_ = kFormatTiff;
    bool tagsRead_ = false;
    int32_t tagsError_ = 0;  // the value LoadTags failed with, once it did
    bool finished_ = true;

    // The load in progress.
    Mode mode_ = Mode::kNone;
    TiffImageRecord* record_ = nullptr;
    EmbeddedJpeg* jpeg_ = nullptr;
    IVorlatImage* image_ = nullptr;
    uint32_t n_ = 1;
    uint32_t outWidth_ = 0, outHeight_ = 0;
    uint32_t bytesPerPixel_ = 0;
    uint32_t rowBytes_ = 0;     // one full-width row in the pipeline's form
    uint32_t outRowBytes_ = 0;  // one output row (after subsampling)
    uint32_t fileRowBytes_ = 0;
    uint32_t slotBytes_ = 0;    // room for one row in either form
    uint32_t rowsPerBand_ = 0;
    uint32_t rowsDone_ = 0;
    bool cfa_ = false, packed_ = false, padded_ = false, fields_ = false;
    // Packed rows of odd width running on within a byte (else each row
    // rounded up to a whole pair, as older files have them).
    bool run_ = false;
    // Each pixel stays where it is in the row: at most its samples' bytes swap.
    bool inPlace_ = false;
    bool asStored_ = false;  // file rows are already in the pipeline's form
    uint32_t cfaBits_ = 16;
    std::vector<uint32_t> stripFirstRow_;  // file row where each strip begins; one more for the end
    std::vector<uint8_t> band_;
    std::vector<uint8_t> input_;           // compressed input, 1 MiB
    std::unique_ptr<CompressedRawDecoder> decoder_;
    uint32_t inputPosition_ = 0;           // next compressed byte in the file
    uint32_t fileSize_ = 0;
};

} // namespace quarnite
