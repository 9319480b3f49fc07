// The BGR ordering filter.
#include <algorithm>

#include "filters/BGRizeFilter.h"
#include "filters/source_tiles_impl.h"

namespace {

constexpr int32_t kFile = VorlatFourCC("BGRz");

bool Convertible(int32_t colorSpace) { return colorSpace == 2 || colorSpace == 3 || colorSpace == 32 || colorSpace == 33; }

// One row of the span into B, G, R bytes; 16-bit samples give their high byte.
void ConvertRow(unsigned char* dst, const unsigned char* src, int32_t colorSpace, int32_t n)
{
    switch (colorSpace) {
    case 2:
        for (int32_t i = 0; i < n; ++i, dst += 3)
            dst[0] = dst[1] = dst[2] = src[i];
        break;
    case 3: {
        const uint16_t* w = reinterpret_cast<const uint16_t*>(src);
        for (int32_t i = 0; i < n; ++i, dst += 3)
            dst[0] = dst[1] = dst[2] = static_cast<unsigned char>(w[i] >> 8);
        break;
    }
    case 32:
        for (int32_t i = 0; i < n; ++i, dst += 3, src += 3) {
            dst[0] = src[2];
            dst[1] = src[1];
            dst[2] = src[0];
        }
        break;
    case 33: {
        const uint16_t* w = reinterpret_cast<const uint16_t*>(src);
        for (int32_t i = 0; i < n; ++i, dst += 3, w += 3) {
            dst[0] = static_cast<unsigned char>(w[2] >> 8);
            dst[1] = static_cast<unsigned char>(w[1] >> 8);
            dst[2] = static_cast<unsigned char>(w[0] >> 8);
        }
        break;
    }
    default:
        break;
    }
}

} // namespace

CBGRizeFilter::CBGRizeFilter(IVorlatManager* manager) : CVorlatFilterBase(manager, kVorlatUsageDiscardable) {}

int32_t CBGRizeFilter::GetFilterCode() const { return VorlatFourCC("BGRz"); }

const char* CBGRizeFilter::GetFilterDescription() const
{
    return "Filter to convert images to Windows native BGR format";
}

IVorlatError* CBGRizeFilter::GetFilteredColorSpace(const IVorlatDataSource** sources, int32_t count,
                                                   int32_t* colorSpace)
{
    IVorlatError* err = nullptr;
    const IVorlatDataSource* source = ChosenSource(sources, count);
    if (!source)
        return NoSource(kFile, __LINE__);
    int32_t in = 0;
    if (VorlatFailed(&err, kFile, __LINE__, source->GetColorSpace(&in)))
        return err;
    if (!Convertible(in))
        return IVorlatError::Add(nullptr, kFile, __LINE__, kKolvexBadSourceSpace);
    *colorSpace = 38;
    return nullptr;
}

IVorlatError* CBGRizeFilter::FilterColorSpace(const IVorlatDataSource*, IVorlatDataDestination::ChangeColorSpace*)
{
    cacheDirty_ = true;
    return nullptr;
}

IVorlatError* CBGRizeFilter::ProcessTile(IVorlatTile* tile, CProcessInfo* info)
{
    IVorlatError* err = nullptr;
    const IVorlatDataSource* source = ChosenSource(info);
    if (!source)
        return NoSource(kFile, __LINE__);
    RECT r, t;
    if (!tile->GetInvalidRect(&r))
        return nullptr;
    tile->GetCoordinates(&t);
    int32_t colorSpace = 0, tileSize = 0;
    IVorlatImage* image = tile->GetImage();
    if (VorlatFailed(&err, kFile, __LINE__, source->GetColorSpace(&colorSpace)))
        return err;
    if (!Convertible(colorSpace))
        return IVorlatError::Add(nullptr, kFile, __LINE__, kKolvexBadSourceSpace);
    if (!image)
        return IVorlatError::Add(nullptr, kFile, __LINE__, kVorlatFromSystem, kVorlatErrNoSuchId);
    if (VorlatFailed(&err, kFile, __LINE__, image->GetTileSize(&tileSize)))
        return err;
    void* data = nullptr;
    BITMAPINFOHEADER* header = nullptr;
    if (VorlatFailed(&err, kFile, __LINE__, tile->Lock(&data, &header)))
        return err;
    const int32_t rowBytes = tile->GetRowBytes();
    header->biSize = 40;
    header->biWidth = tileSize;
    header->biHeight = -tileSize;  // rows top-down
    header->biPlanes = 1;
    header->biBitCount = 24;
    header->biCompression = 0;
    header->biSizeImage = static_cast<uint32_t>(rowBytes) * static_cast<uint32_t>(tileSize);
    header->biXPelsPerMeter = 3880;
    header->biYPelsPerMeter = 3880;
    header->biClrUsed = 0;
    header->biClrImportant = 0;

    const int32_t inBytes = GetBitsPerPixel(colorSpace) / 8;
    unsigned char* out = static_cast<unsigned char*>(data);
    IVorlatTileGrid* grid = nullptr;
    VorlatFailed(&err, kFile, __LINE__, source->MapRect(&grid, r));
    source_tiles::ForEachCell(source, grid, &err, kFile, __LINE__, [&](const source_tiles::Cell& c) {
        const RECT& b = c.used;
        for (int32_t y = b.top; y < b.bottom; ++y)
            ConvertRow(out + static_cast<intptr_t>(y - t.top) * rowBytes + static_cast<intptr_t>(b.left - t.left) * 3,
                       c.Row(y, inBytes), colorSpace, b.right - b.left);
    });
    if (grid)
        grid->Destroy();
    VorlatFailed(&err, kFile, __LINE__, tile->Unlock());
    if (!err)
        tile->Validate();
    return err;
}
