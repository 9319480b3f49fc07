// The JPEG format reader behind the loader: the probe, the marker parser with
// the application segments that reach the tag store, the JFIF and JFXX
// thumbnails, the band-by-band and on-demand decoding, and the update that
// copies the coded image with new metadata.
#pragma once

#include <cstdint>
#include <vector>

#include "fileio/VorlatFormat.h"
#include "fileio/jpeg_decoder.h"

namespace quarnite {

class CTiffReader;

// 0x10 when EOI, SOS or APP0 comes first after SOI, 0x20 for APP1; leaves the
// format alone for a file that does not start with SOI.
IVorlatError* ProbeJpeg(IVorlatStream* stream, int32_t* format);
IVorlatFormatReader* CreateJpegReader(IVorlatStream* stream, IVorlatTagControl* tags, int32_t format);

enum ThumbnailKind : int32_t {
    kThumbnailNone = 0,
    kThumbnailJpeg = 16,
    kThumbnailPalette = 17,
    kThumbnailRgb = 18,
};

class CJpegReader : public CJpegDecoder, public IVorlatFormatReader {
public:
    // tags may be null. A reader made for a thumbnail reads no thumbnail of its own.
    CJpegReader(IVorlatStream* stream, IVorlatTagControl* tags, bool forThumbnail = false);
    ~CJpegReader() override;

    IVorlatError* Execute() override;
    bool IsFinished() override { return CJpegDecoder::IsFinished(); }
    void GetProgress(int32_t* done, int32_t* total) override { CJpegDecoder::GetProgress(done, total); }
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

    struct Thumbnail {
        int32_t width = 0;
        int32_t height = 0;
        uint32_t offset = 0;     // stream offset of the thumbnail data
        uint32_t end = 0;        // end of its segment
        int32_t pixelType = 0;
        double resolution = 0;
        int32_t kind = kThumbnailNone;
    };
    const Thumbnail& GetThumbnail() const { return thumbnail_; }
    double Resolution() const { return resolution_; }

protected:
    IVorlatError* ReadApplicationSegment(uint32_t marker) override;
    IVorlatError* OnFrameSize() override;
    IVorlatError* OnFrameEnd() override;
    IVorlatError* OnParsed() override;

private:
    IVorlatError* ReadJfifSegment();
    IVorlatError* ReadExifSegment();
    IVorlatError* ReadIccSegments();
    IVorlatError* ReadPhotoshopSegment();
    IVorlatError* WriteFileInformationTags();
    void ReleaseExifReader();
    IVorlatError* CheckThumbnail(int32_t index, const void* out) const;
    IVorlatError* LoadPixelThumbnail(IVorlatImage* image);
    IVorlatError* UpdateFile(IVorlatStream* target, IVorlatDataSource* thumbnailSource,
                             IVorlatDataSource** sources = nullptr, uint32_t n = 0);
    IVorlatError* WriteExifSegment(IVorlatStream* out, IVorlatDataSource** sources, uint32_t n);
    IVorlatError* RewritePhotoshopSegment(IVorlatStream* out, const uint8_t* body, uint32_t size);

    IVorlatTagControl* tags_;
    bool forThumbnail_;
    Thumbnail thumbnail_;
    // The TIFF reader of the Exif segment and the window it reads through;
    // both absent when the file has no readable Exif segment.
    IVorlatStream* exifWindow_ = nullptr;
    CTiffReader* exifReader_ = nullptr;
};

} // namespace quarnite
