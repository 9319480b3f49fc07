// An image of a filter's own whose tiles a derived class makes on demand.
#include "filters/VorlatFilterBase.h"

namespace {

constexpr int32_t kFile = kKolvexModuleBase;

} // namespace

using Cache = CVorlatFilterBase::CIntermediateCache;

Cache::CIntermediateCache(CVorlatFilterBase* filter, CProcessInfo* info)
    : filter_(filter), info_(info), image_(nullptr)
{
}

Cache::~CIntermediateCache()
{
    if (image_)
        image_->Destroy();
}

IVorlatError* Cache::CreateImage()
{
    IVorlatError* err = nullptr;
    if (image_)
        return nullptr;
    VorlatFailed(&err, kFile, __LINE__, filter_->GetManager()->CreateImage(&image_, kVorlatUsageDiscardable));
    return err;
}

IVorlatError* Cache::Invalidate()
{
    IVorlatError* err = nullptr;
    int32_t width = 0, height = 0;
    if (VorlatFailed(&err, kFile, __LINE__, image_->GetSize(&width, &height)))
        return err;
    VorlatFailed(&err, kFile, __LINE__, InvalidateRect(RECT{0, 0, width, height}));
    return err;
}

IVorlatError* Cache::InvalidateRect(const RECT& rect) { return CVorlatFilterBase::InvalidateImageRect(image_, rect); }

IVorlatError* Cache::LockAndGenerate(void** data, IVorlatTile* tile, BITMAPINFOHEADER** header) const
{
    IVorlatError* err = nullptr;
    const bool discarded = tile->IsDiscarded();
    if (VorlatFailed(&err, kFile, __LINE__, image_->LockTile(data, tile->GetID(), header)))
        return err;
    RECT invalid;
    if (!discarded && !tile->GetInvalidRect(&invalid))
        return nullptr;
    if (discarded) {
        RECT whole;
        tile->GetCoordinates(&whole);
        tile->InvalidateRect(whole);
    }
    if (VorlatFailed(&err, kFile, __LINE__, GenerateCacheTile(tile))) {
        VorlatFailed(&err, kFile, __LINE__, image_->UnlockTile(tile->GetID()));
        return err;
    }
    tile->SetDirty(true);
    return nullptr;
}

IVorlatError* Cache::LockTile(void** pixels, int32_t column, int32_t row, BITMAPINFOHEADER** header) const
{
    IVorlatError* err = nullptr;
    IVorlatTile* tile = nullptr;
    if (VorlatFailed(&err, kFile, __LINE__, image_->GetTile(&tile, column, row)))
        return err;
    VorlatFailed(&err, kFile, __LINE__, LockAndGenerate(pixels, tile, header));
    return err;
}

IVorlatError* Cache::LockTile(void** pixels, const IVorlatTileID& id, BITMAPINFOHEADER** header) const
{
    IVorlatError* err = nullptr;
    IVorlatTile* tile = nullptr;
    if (VorlatFailed(&err, kFile, __LINE__, image_->GetTile(&tile, id)))
        return err;
    VorlatFailed(&err, kFile, __LINE__, LockAndGenerate(pixels, tile, header));
    return err;
}

IVorlatError* Cache::LockTile(void** pixels, RECT* tileRect, RECT* usedRect, int32_t* rowBytes,
                              const IVorlatTileGrid& grid, int32_t column, int32_t row,
                              BITMAPINFOHEADER** header) const
{
    IVorlatError* err = nullptr;
    IVorlatTile* tile = nullptr;
    if (VorlatFailed(&err, kFile, __LINE__, grid.GetTile(&tile, column, row)))
        return err;
    tile->GetCoordinates(tileRect);
    if (VorlatFailed(&err, kFile, __LINE__, grid.GetTileUsed(usedRect, column, row)))
        return err;
    if (rowBytes)
        *rowBytes = tile->GetRowBytes();
    VorlatFailed(&err, kFile, __LINE__, LockAndGenerate(pixels, tile, header));
    return err;
}

// ---- Forwarded --------------------------------------------------------------------

#define KOLVEX_FORWARD(call)                                    \
    do {                                                        \
        IVorlatError* err = nullptr;                            \
        VorlatFailed(&err, kFile, __LINE__, image_->call);      \
        return err;                                             \
    } while (0)

IVorlatError* Cache::GetWidth(int32_t* width) const { KOLVEX_FORWARD(GetWidth(width)); }
IVorlatError* Cache::GetHeight(int32_t* height) const { KOLVEX_FORWARD(GetHeight(height)); }
IVorlatError* Cache::GetColorSpace(int32_t* colorSpace) const { KOLVEX_FORWARD(GetColorSpace(colorSpace)); }
IVorlatError* Cache::GetResolution(double* resolution) const { KOLVEX_FORWARD(GetResolution(resolution)); }
IVorlatError* Cache::GetFlip(bool* flip) const { KOLVEX_FORWARD(GetFlip(flip)); }
IVorlatError* Cache::GetRotation(double* rotation) const { KOLVEX_FORWARD(GetRotation(rotation)); }
IVorlatError* Cache::GetTileSize(int32_t* tileSize) const { KOLVEX_FORWARD(GetTileSize(tileSize)); }
IVorlatError* Cache::GetPalette(VorlatPalette* palette) const { KOLVEX_FORWARD(GetPalette(palette)); }
IVorlatError* Cache::TileExists(bool* exists, const IVorlatTileID& id) const
{
    KOLVEX_FORWARD(TileExists(exists, id));
}
IVorlatError* Cache::TileExists(bool* exists, int32_t column, int32_t row) const
{
    KOLVEX_FORWARD(TileExists(exists, column, row));
}
IVorlatError* Cache::GetTile(IVorlatTile** tile, const IVorlatTileID& id) const { KOLVEX_FORWARD(GetTile(tile, id)); }
IVorlatError* Cache::GetTile(IVorlatTile** tile, int32_t column, int32_t row) const
{
    KOLVEX_FORWARD(GetTile(tile, column, row));
}
IVorlatError* Cache::UnlockTile(const IVorlatTileGrid& grid, int32_t column, int32_t row) const
{
    KOLVEX_FORWARD(UnlockTile(grid, column, row));
}
IVorlatError* Cache::UnlockTile(const IVorlatTileID& id) const { KOLVEX_FORWARD(UnlockTile(id)); }
IVorlatError* Cache::UnlockTile(int32_t column, int32_t row) const { KOLVEX_FORWARD(UnlockTile(column, row)); }
IVorlatError* Cache::MapRect(IVorlatTileGrid** grid, const RECT& rect) const { KOLVEX_FORWARD(MapRect(grid, rect)); }
IVorlatError* Cache::SetUsage(int32_t usage) { KOLVEX_FORWARD(SetUsage(usage)); }
IVorlatError* Cache::SetSize(int32_t width, int32_t height) { KOLVEX_FORWARD(SetSize(width, height)); }
IVorlatError* Cache::SetColorSpace(int32_t colorSpace) { KOLVEX_FORWARD(SetColorSpace(colorSpace)); }
IVorlatError* Cache::SetResolution(double resolution) { KOLVEX_FORWARD(SetResolution(resolution)); }
IVorlatError* Cache::SetTransform(bool flip, double rotation, bool third)
{
    KOLVEX_FORWARD(SetTransform(flip, rotation, third));
}
IVorlatError* Cache::SetPalette(const VorlatPalette& palette) { KOLVEX_FORWARD(SetPalette(palette)); }
IVorlatError* Cache::GetData(void* bits, int32_t rowBytes, const RECT& rect)
{
    KOLVEX_FORWARD(GetData(bits, rowBytes, rect));
}
IVorlatError* Cache::SetPixel(const VorlatPixel& pixel, int32_t x, int32_t y) { KOLVEX_FORWARD(SetPixel(pixel, x, y)); }
IVorlatError* Cache::SetData(void* bits, int32_t rowBytes, bool flip, double rotation, const RECT& rect)
{
    KOLVEX_FORWARD(SetData(bits, rowBytes, flip, rotation, rect));
}
IVorlatError* Cache::SetData(void* bits, int32_t rowBytes, const RECT& rect)
{
    KOLVEX_FORWARD(SetData(bits, rowBytes, rect));
}

#undef KOLVEX_FORWARD

IVorlatManager* Cache::GetManager() const { return image_->GetManager(); }
int32_t Cache::GetID() const { return image_->GetID(); }
int32_t Cache::GetUsage() const { return image_->GetUsage(); }
int32_t Cache::GetDataSize(int32_t width, int32_t height, int32_t* rowBytes)
{
    return image_->GetDataSize(width, height, rowBytes);
}
