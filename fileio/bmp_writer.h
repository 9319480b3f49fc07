// The BMP format writer behind the saver: 8-bit grey sources as files with
// the grey palette, 24-bit RGB sources as 24-bit files, written band by band
// from the bottom of the image, as the file stores its rows.
#pragma once

#include <cstdint>
#include <vector>

#include "fileio/VorlatFormat.h"
#include "fileio/bmp_layout.h"

namespace quarnite {

IVorlatFormatWriter* CreateBmpWriter(IVorlatStream* stream, IVorlatTagControl* tags, int32_t format, int32_t option);

class CBmpWriter : public IVorlatFormatWriter {
public:
    // The tag store and the option are not used.
    CBmpWriter(IVorlatStream* stream, IVorlatTagControl* tags, int32_t option);

    IVorlatError* Execute() override;
    bool IsFinished() override { return source_ == nullptr; }
    void GetProgress(int32_t* done, int32_t* total) override;
    IVorlatError* BeginSave(IVorlatDataSource* source, IVorlatDataSource** sources, uint32_t n) override;

    int32_t BandRows() const { return bandHeight_; }

private:
    IVorlatError* FetchBand(int32_t first, int32_t last);
    void Finish();

    IVorlatStream* stream_;
    BmpFileHeader file_;
    BmpInfoHeader info_;
    IVorlatDataSource* source_ = nullptr;
    int32_t bandHeight_ = 0;
    std::vector<uint8_t> band_;  // top-down rows as the source gives them
    int32_t rowBytes_ = 0;       // unpadded
    int32_t paddedRowBytes_ = 0;
    int32_t remaining_ = 0;      // image rows still to write, counted from the top
};

} // namespace quarnite
