#include "fileio/bmp_writer.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "fileio/source_rows.h"

namespace {
constexpr int32_t kSourceId = quarnite::kSrcBmpWriter;
using namespace quarnite;

constexpr uint32_t kGreyPaletteBytes = 1024;
} // namespace

namespace quarnite {

IVorlatFormatWriter* CreateBmpWriter(IVorlatStream* stream, IVorlatTagControl* tags, int32_t, int32_t option)
{
    return new (std::nothrow) CBmpWriter(stream, tags, option);
}

CBmpWriter::CBmpWriter(IVorlatStream* stream, IVorlatTagControl*, int32_t) : stream_(stream) {}

IVorlatError* CBmpWriter::BeginSave(IVorlatDataSource* source, IVorlatDataSource**, uint32_t)
{
    if (!source)
        return QZ_FAIL(kErrBadArgument);
    int32_t width = 0, height = 0, colorSpace = 0, tileSize = 0;
    double resolution = 0;
    IVorlatError* err = nullptr;
    if ((err = source->GetSize(&width, &height)) || (err = source->GetResolution(&resolution)) ||
        (err = source->GetColorSpace(&colorSpace)) || (err = source->GetTileSize(&tileSize)))
        return QZ_WRAP(err);
    if (colorSpace != 2 && colorSpace != 32)
        return QZ_FAIL(kErrNoColorSpace);
    const uint32_t bits = colorSpace == 2 ? 8 : 24;
    const uint32_t dataOffset = kBmpHeadersSize + (bits == 8 ? kGreyPaletteBytes : 0);
    const uint64_t padded = BmpRowStride(width, bits);
    const uint64_t fileSize = dataOffset + padded * static_cast<uint64_t>(height > 0 ? height : 0);
    // The header cannot state a larger file.
    if (width <= 0 || height <= 0 || fileSize > 0xFFFFFFFFull)
        return QZ_FAIL(kErrBadArgument);

    file_ = BmpFileHeader{};
    file_.fileSize = static_cast<uint32_t>(fileSize);
    file_.dataOffset = dataOffset;
    info_ = BmpInfoHeader{};
    info_.width = width;
    info_.height = height;
    info_.bitCount = static_cast<uint16_t>(bits);
    info_.xPelsPerMeter = info_.yPelsPerMeter = BmpPelsPerMeterFromDpi(resolution);
    rowBytes_ = static_cast<int32_t>(static_cast<uint64_t>(width) * (bits / 8));
    paddedRowBytes_ = static_cast<int32_t>(padded);
    bandHeight_ = BandHeight(tileSize, static_cast<uint64_t>(rowBytes_));
    // Rows are kept padded and bottom-up, so that a band is written in one piece.
    if (!TryResize(band_, padded * static_cast<uint64_t>(bandHeight_)))
        return QZ_FAIL(kErrAllocation);
    std::fill(band_.begin(), band_.end(), 0);

    uint8_t headers[kBmpHeadersSize];
    EncodeBmpHeaders(file_, info_, headers);
    if ((err = stream_->SaveFromMemory(headers, kBmpHeadersSize)))
        return QZ_WRAP(err);
    if (bits == 8) {
        uint8_t palette[kGreyPaletteBytes];
        for (uint32_t i = 0; i < 256; ++i) {
            palette[4 * i] = palette[4 * i + 1] = palette[4 * i + 2] = static_cast<uint8_t>(i);
            palette[4 * i + 3] = 0;
        }
        if ((err = stream_->SaveFromMemory(palette, kGreyPaletteBytes)))
            return QZ_WRAP(err);
    }
    source_ = source;
    remaining_ = height;
    return nullptr;
}

// Copies image rows [first, last) of the source into the band, row y at band
// row last - 1 - y.
IVorlatError* CBmpWriter::FetchBand(int32_t first, int32_t last)
{
    const RECT rect{0, first, info_.width, last};
    const int64_t bytesPerPixel = info_.bitCount / 8;
    return FetchSourceRows(source_, rect, bytesPerPixel, band_.data() + static_cast<int64_t>(last - 1 - first) * paddedRowBytes_,
                           -static_cast<int64_t>(paddedRowBytes_), kSourceId);
}

IVorlatError* CBmpWriter::Execute()
{
    if (!source_)
        return nullptr;
    const int32_t rows = NextBandRows(info_.height, remaining_, bandHeight_);
    const int32_t last = remaining_;
    const int32_t first = last - rows;
    if (IVorlatError* err = FetchBand(first, last))
        return err;
    if (info_.bitCount == 24)
        for (int32_t k = 0; k < rows; ++k) {
            uint8_t* p = band_.data() + static_cast<int64_t>(k) * paddedRowBytes_;
            for (int32_t x = 0; x < info_.width; ++x, p += 3)
                std::swap(p[0], p[2]);
        }
    if (IVorlatError* err =
            stream_->SaveFromMemory(band_.data(), static_cast<uint32_t>(static_cast<int64_t>(rows) * paddedRowBytes_)))
        return QZ_WRAP(err);
    remaining_ = first;
    if (remaining_ == 0)
        Finish();
    return nullptr;
}

void CBmpWriter::Finish()
{
    std::vector<uint8_t>().swap(band_);
    source_ = nullptr;
}

void CBmpWriter::GetProgress(int32_t* done, int32_t* total)
{
    const bool writing = source_ != nullptr;
    if (done)
        *done = writing ? info_.height - remaining_ : 0;
    if (total)
        *total = writing ? info_.height : 0;
}

} // namespace quarnite
