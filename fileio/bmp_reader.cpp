#include "fileio/bmp_reader.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace {
constexpr int32_t kSourceId = quarnite::kSrcBmpReader;
using namespace quarnite;

constexpr uint32_t kCopyChunk = 102400;
constexpr int64_t kMaxPosition = 0x7FFFFFFF;  // streams address 32-bit signed positions

IVorlatError* StoreLong(IVorlatTagControl* tags, TagId id, uint32_t value)
{
    if (IVorlatError* err = tags->AddTag(id))
        return QZ_WRAP(err);
    return QZ_WRAP(tags->SetTagValue(id, kTagTypeLongs, 4, &value, 0));
}

IVorlatError* StoreDouble(IVorlatTagControl* tags, TagId id, double value)
{
    if (IVorlatError* err = tags->AddTag(id))
        return QZ_WRAP(err);
    return QZ_WRAP(tags->SetTagValue(id, kTagTypeDoubles, 8, &value, 0));
}

uint32_t ColorSpaceOfDepth(uint32_t bits)
{
    switch (bits) {
    case 1: return 0x10;
    case 2: return 0x11;
    case 4: return 0x12;
    case 8: return 0x13;
    default: return 0x20;
    }
}
} // namespace

namespace quarnite {

IVorlatError* ProbeBmp(IVorlatStream* stream, int32_t* format)
{
    if (!stream || !format)
        return QZ_FAIL(kErrBadArgument);
    if (IVorlatError* err = stream->Seek(0, 0))
        return QZ_WRAP(err);
    uint8_t type[2];
    if (IVorlatError* err = stream->LoadToMemory(type, 2)) {
        err->Destroy();  // too short to be a bitmap
        return nullptr;
    }
    if (type[0] == 'B' && type[1] == 'M')
        *format = kFormatBmp;
    return nullptr;
}

IVorlatFormatReader* CreateBmpReader(IVorlatStream* stream, IVorlatTagControl* tags, int32_t)
{
    return new (std::nothrow) CBmpReader(stream, tags);
}

IVorlatError* CBmpReader::ReadHeaders()
{
    if (headersRead_)
        return nullptr;
    uint8_t bytes[kBmpHeadersSize];
    if (IVorlatError* err = stream_->Seek(0, 0))
        return QZ_WRAP(err);
    if (IVorlatError* err = stream_->LoadToMemory(bytes, kBmpHeadersSize))
        return QZ_WRAP(err);
    DecodeBmpHeaders(bytes, &file_, &info_);
    if (info_.compression != 0)
        return QZ_FAIL(kErrUnknownFormat);
    // The 12-byte core header has another layout; top-down files (negative
    // height) and empty ones are not read.
    if (info_.size < kBmpInfoHeaderSize || info_.width <= 0 || info_.height <= 0)
        return QZ_FAIL(kErrUnknownFormat);
    headersRead_ = true;
    return nullptr;
}

IVorlatError* CBmpReader::LoadTags()
{
    if (tagsLoaded_)
        return nullptr;
    if (IVorlatError* err = ReadHeaders())
        return err;
    if (tags_) {
        IVorlatError* err = nullptr;
        if ((err = StoreLong(tags_, kTagImageWidth, static_cast<uint32_t>(info_.width))) ||
            (err = StoreLong(tags_, kTagImageHeight, static_cast<uint32_t>(info_.height))) ||
            (err = StoreLong(tags_, kTagColorSpace, ColorSpaceOfDepth(info_.bitCount))) ||
            (err = StoreDouble(tags_, kTagResolution, BmpDpiFromPelsPerMeter(info_.xPelsPerMeter))))
            return QZ_WRAP(err);
    }
    tagsLoaded_ = true;
    return nullptr;
}

// The palette follows the info header, whatever its length; the header's
// colour count says how many entries are stored (0: all), and an entry that
// is not stored stays black.
IVorlatError* CBmpReader::ReadPalette()
{
    const uint32_t entries = 1u << info_.bitCount;
    const uint32_t stored = info_.colorsUsed == 0 ? entries : std::min(info_.colorsUsed, entries);
    const uint64_t at = static_cast<uint64_t>(kBmpFileHeaderSize) + info_.size;
    if (at > static_cast<uint64_t>(kMaxPosition))
        return QZ_FAIL(kErrReadPastEnd);
    if (!TryResize(palette_, 4ull * entries))
        return QZ_FAIL(kErrAllocation);
    std::fill(palette_.begin(), palette_.end(), 0);
    if (IVorlatError* err = stream_->Seek(static_cast<int32_t>(at), 0))
        return QZ_WRAP(err);
    return QZ_WRAP(stream_->LoadToMemory(palette_.data(), 4 * stored));
}

IVorlatError* CBmpReader::BeginLoadImage(IVorlatImage* image)
{
    if (!image)
        return QZ_FAIL(kErrBadArgument);
    if (IVorlatError* err = LoadTags())
        return QZ_WRAP(err);
    const uint32_t bits = info_.bitCount;
    if (bits != 4 && bits != 8 && bits != 24)
        return QZ_FAIL(kErrBmpDepth);
    if (bits != 24)
        if (IVorlatError* err = ReadPalette())
            return err;
    stride_ = BmpRowStride(info_.width, bits);
    // The rows are taken in place from the mapped file, so all of them must be there.
    uint32_t size = 0;
    if (IVorlatError* err = stream_->GetSize(&size))
        return QZ_WRAP(err);
    const uint64_t end = file_.dataOffset + stride_ * static_cast<uint64_t>(info_.height);
    if (end > size || end > static_cast<uint64_t>(kMaxPosition))
        return QZ_FAIL(kErrReadPastEnd);
    const uint64_t rowBytes = static_cast<uint64_t>(info_.width) * 3;
    if (rowBytes > static_cast<uint64_t>(kMaxPosition))
        return QZ_FAIL(kErrAllocation);
    outRowBytes_ = static_cast<int32_t>(rowBytes);

    IVorlatError* err = nullptr;
    int32_t tileSize = 0;
    if ((err = image->SetColorSpace(32)) || (err = image->SetSize(info_.width, info_.height)) ||
        (err = image->SetResolution(72.0)) || (err = image->GetTileSize(&tileSize)))
        return QZ_WRAP(err);
    bandHeight_ = BandHeight(tileSize, rowBytes);
    if (!TryResize(band_, rowBytes * static_cast<uint64_t>(bandHeight_)))
        return QZ_FAIL(kErrAllocation);
    if ((err = stream_->Seek(static_cast<int32_t>(file_.dataOffset), 0)))
        return QZ_WRAP(err);
    image_ = image;
    remaining_ = info_.height;
    return nullptr;
}

IVorlatError* CBmpReader::BeginLoadImage(IVorlatImage*, uint32_t) { return nullptr; }

IVorlatError* CBmpReader::LoadTileRow(int32_t) { return nullptr; }

void CBmpReader::ConvertRow(const uint8_t* src, uint8_t* dst) const
{
    const int32_t width = info_.width;
    switch (info_.bitCount) {
    case 4:
        for (int32_t x = 0; x < width; ++x, dst += 3) {
            const uint32_t index = (x & 1) ? src[x >> 1] & 0x0F : src[x >> 1] >> 4;
            const uint8_t* entry = &palette_[4 * index];
            dst[0] = entry[2];
            dst[1] = entry[1];
            dst[2] = entry[0];
        }
        break;
    case 8:
        for (int32_t x = 0; x < width; ++x, dst += 3) {
            const uint8_t* entry = &palette_[4 * static_cast<uint32_t>(src[x])];
            dst[0] = entry[2];
            dst[1] = entry[1];
            dst[2] = entry[0];
        }
        break;
    default:
        for (int32_t x = 0; x < width; ++x, src += 3, dst += 3) {
            dst[0] = src[2];
            dst[1] = src[1];
            dst[2] = src[0];
        }
        break;
    }
}

IVorlatError* CBmpReader::Execute()
{
    if (!image_)
        return nullptr;
    const int32_t rows = NextBandRows(info_.height, remaining_, bandHeight_);
    const int32_t last = remaining_;
    const int32_t first = last - rows;
    int32_t position = 0;
    uint32_t size = 0;
    if (IVorlatError* err = stream_->Tell(&position))
        return QZ_WRAP(err);
    if (IVorlatError* err = stream_->GetSize(&size))
        return QZ_WRAP(err);
    const uint64_t bandEnd = static_cast<uint64_t>(position) + stride_ * static_cast<uint64_t>(rows);
    if (position < 0 || bandEnd > size)
        return QZ_FAIL(kErrReadPastEnd);
    const uint8_t* data = static_cast<const uint8_t*>(stream_->GetMappedMemory());
    if (!data)
        return QZ_FAIL(kErrState);
    // The file's first row of the band is its bottom one; the buffer is top-down.
    for (int32_t k = 0; k < rows; ++k)
        ConvertRow(data + stride_ * static_cast<uint64_t>(k),
                   band_.data() + static_cast<uint64_t>(rows - 1 - k) * static_cast<uint64_t>(outRowBytes_));
    const RECT rect{0, first, info_.width, last};
    if (IVorlatError* err = image_->SetData(band_.data(), outRowBytes_, rect))
        return QZ_WRAP(err);
    if (IVorlatError* err = stream_->Seek(static_cast<int32_t>(bandEnd), 0))
        return QZ_WRAP(err);
    remaining_ = first;
    if (remaining_ == 0)
        Finish();
    return nullptr;
}

void CBmpReader::Finish()
{
    std::vector<uint8_t>().swap(palette_);
    std::vector<uint8_t>().swap(band_);
    image_ = nullptr;
}

void CBmpReader::GetProgress(int32_t* done, int32_t* total)
{
    const bool loading = image_ != nullptr;
    if (done)
        *done = loading ? info_.height - remaining_ : 0;
    if (total)
        *total = loading ? info_.height : 0;
}

IVorlatError* CBmpReader::GetThumbnailColorSpace(int32_t, int32_t*) { return QZ_FAIL(kErrNotSupported); }
IVorlatError* CBmpReader::GetThumbnailWidth(int32_t, int32_t*) { return QZ_FAIL(kErrNotSupported); }
IVorlatError* CBmpReader::GetThumbnailHeight(int32_t, int32_t*) { return QZ_FAIL(kErrNotSupported); }
IVorlatError* CBmpReader::LoadThumbnail(int32_t, IVorlatImage*) { return QZ_FAIL(kErrNotSupported); }

// The rewrite needs nothing but readable headers, so it is refused before the
// target is opened (and emptied) when they are not.
IVorlatError* CBmpReader::CheckUpdate() { return QZ_WRAP(LoadTags()); }

// A bitmap cannot take new pixels in place of its own; writing its tags again
// keeps the target a complete copy instead of leaving it empty.
IVorlatError* CBmpReader::Update(IVorlatStream* target, IVorlatDataSource**, uint32_t)
{
    return QZ_WRAP(Update(target));
}

IVorlatError* CBmpReader::Update(IVorlatStream* target)
{
    if (!target)
        return QZ_FAIL(kErrBadArgument);
    if (IVorlatError* err = LoadTags())
        return QZ_WRAP(err);
    if (!tags_)
        return nullptr;
    BmpInfoHeader info = info_;
    // Without a resolution in the store the file keeps its own.
    if (tags_->GetTagType(kTagResolution, 0) == kTagTypeDoubles && tags_->GetTagSize(kTagResolution, 0) == 8) {
        double dpi = 0;
        if (IVorlatError* err = tags_->GetTagValue(kTagResolution, kTagTypeDoubles, 8, &dpi, 0))
            return QZ_WRAP(err);
        info.xPelsPerMeter = info.yPelsPerMeter = BmpPelsPerMeterFromDpi(dpi);
    }
    uint8_t headers[kBmpHeadersSize];
    EncodeBmpHeaders(file_, info, headers);
    if (IVorlatError* err = target->SaveFromMemory(headers, kBmpHeadersSize))
        return QZ_WRAP(err);

    uint32_t size = 0;
    if (IVorlatError* err = stream_->GetSize(&size))
        return QZ_WRAP(err);
    if (IVorlatError* err = stream_->Seek(static_cast<int32_t>(kBmpHeadersSize), 0))
        return QZ_WRAP(err);
    std::vector<uint8_t> chunk;
    if (!TryResize(chunk, kCopyChunk))
        return QZ_FAIL(kErrAllocation);
    for (uint32_t left = size > kBmpHeadersSize ? size - kBmpHeadersSize : 0; left > 0;) {
        const uint32_t bytes = std::min(left, kCopyChunk);
        if (IVorlatError* err = stream_->LoadToMemory(chunk.data(), bytes))
            return QZ_WRAP(err);
        if (IVorlatError* err = target->SaveFromMemory(chunk.data(), bytes))
            return QZ_WRAP(err);
        left -= bytes;
    }
    return nullptr;
}

} // namespace quarnite
