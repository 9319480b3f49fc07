// The BMP format reader behind the loader: uncompressed 4-, 8- and 24-bit
// files into a 24-bit RGB image, bottom band first as the file stores them,
// and the rewrite of a file with a new resolution.
#pragma once

#include <cstdint>
#include <vector>

#include "fileio/VorlatFormat.h"
#include "fileio/bmp_layout.h"

namespace quarnite {

// 0x100 for a file that starts with "BM".
IVorlatError* ProbeBmp(IVorlatStream* stream, int32_t* format);
IVorlatFormatReader* CreateBmpReader(IVorlatStream* stream, IVorlatTagControl* tags, int32_t format);

class CBmpReader : public IVorlatFormatReader {
public:
    CBmpReader(IVorlatStream* stream, IVorlatTagControl* tags) : stream_(stream), tags_(tags) {}

    IVorlatError* Execute() override;
    bool IsFinished() override { return image_ == nullptr; }
    void GetProgress(int32_t* done, int32_t* total) override;
    IVorlatError* LoadTags() override;
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

    int32_t BandRows() const { return bandHeight_; }

private:
    IVorlatError* ReadHeaders();
    IVorlatError* ReadPalette();
    void ConvertRow(const uint8_t* src, uint8_t* dst) const;
    void Finish();

    IVorlatStream* stream_;
    IVorlatTagControl* tags_;
    BmpFileHeader file_;
    BmpInfoHeader info_;
    bool headersRead_ = false;
    bool tagsLoaded_ = false;
    std::vector<uint8_t> palette_;  // 16 or 256 entries of blue, green, red, reserved
    uint64_t stride_ = 0;           // bytes of one stored row
    int32_t bandHeight_ = 0;
    std::vector<uint8_t> band_;     // top-down RGB rows of the band being converted
    int32_t outRowBytes_ = 0;
    IVorlatImage* image_ = nullptr;
    int32_t remaining_ = 0;         // image rows still to load, counted from the top
};

} // namespace quarnite
