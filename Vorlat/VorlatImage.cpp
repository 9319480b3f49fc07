#include "Vorlat/VorlatImage_impl.h"

#include <cmath>
#include <cstring>
#include <new>

#include "Vorlat/VorlatConnection.h"
#include "Vorlat/VorlatManager_impl.h"
#include "Vorlat/VorlatModules_impl.h"
#include "Vorlat/VorlatTileGrid_impl.h"
#include "Vorlat/VorlatTile_impl.h"

namespace {

IVorlatError* Fail(int32_t line, int32_t value)
{
    return IVorlatError::Add(nullptr, kModuleImage, line, kVorlatFromSystem, value);
}

int32_t RowBytesOf(int32_t pixels, int32_t bits)
{
    return static_cast<int32_t>(((static_cast<int64_t>(pixels) * bits + 31) / 32) * 4);
}

int32_t CeilDiv(int32_t a, int32_t b) { return static_cast<int32_t>((static_cast<int64_t>(a) + b - 1) / b); }

// The part of a tile that the grid's rectangle covers: its margins trim the
// tiles on the grid's border.
RECT UsedPart(const IVorlatTileGrid& grid, int32_t column, int32_t row, RECT tileRect)
{
    if (column == 0)
        tileRect.left += grid.GetLeftMargin();
    if (column == grid.GetColumns() - 1)
        tileRect.right -= grid.GetRightMargin();
    if (row == 0)
        tileRect.top += grid.GetTopMargin();
    if (row == grid.GetRows() - 1)
        tileRect.bottom -= grid.GetBottomMargin();
    return tileRect;
}

} // namespace

CVorlatImage::CVorlatImage(CVorlatManager* manager, int32_t id, int32_t usage)
    : manager_(manager), id_(id), usage_(usage)
{
    std::memset(&palette_, 0, sizeof palette_);
}

CVorlatImage::~CVorlatImage() = default;

void CVorlatImage::Destroy()
{
    if (IVorlatError* error = VorlatSendDataNotification(this, kVorlatNotifyDestroyed, nullptr))
        error->Destroy();
    for (size_t i = 0; i < tiles_.size(); ++i) {
        if (tiles_[i])
            tiles_[i]->Destroy();
    }
    if (IVorlatError* error = manager_->ForgetImage(id_))
        error->Destroy();
    delete this;
}

int32_t CVorlatImage::ComputeTileSize(int32_t tileBytes, int32_t colorSpace)
{
    const int64_t bits = GetBitsPerPixel(colorSpace);
    if (bits == 0)
        return 0;
    // Code 38 keeps room for a bitmap header at the end of each buffer.
    const int64_t room = tileBytes - (colorSpace == 38 ? 40 : 0);
    if (room <= 0)
        return 0;
    // The largest square whose rows, padded to 4 bytes, fit in the room.
    int64_t side = static_cast<int64_t>(std::floor(std::sqrt(static_cast<double>(room * 8 / bits))));
    while (side > 0 && side * (((side * bits + 31) / 32) * 4) > room)
        --side;
    return static_cast<int32_t>(side);
}

// ---- Queries ----------------------------------------------------------------

IVorlatError* CVorlatImage::GetWidth(int32_t* width) const { *width = width_; return nullptr; }
IVorlatError* CVorlatImage::GetHeight(int32_t* height) const { *height = height_; return nullptr; }
IVorlatError* CVorlatImage::GetColorSpace(int32_t* colorSpace) const { *colorSpace = colorSpace_; return nullptr; }
IVorlatError* CVorlatImage::GetResolution(double* resolution) const { *resolution = resolution_; return nullptr; }
IVorlatError* CVorlatImage::GetFlip(bool* flip) const { *flip = flip_; return nullptr; }
IVorlatError* CVorlatImage::GetRotation(double* rotation) const { *rotation = rotation_; return nullptr; }
IVorlatError* CVorlatImage::GetTileSize(int32_t* tileSize) const { *tileSize = tileSize_; return nullptr; }
IVorlatError* CVorlatImage::GetPalette(VorlatPalette* palette) const { *palette = palette_; return nullptr; }
IVorlatManager* CVorlatImage::GetManager() const { return manager_; }
int32_t CVorlatImage::GetID() const { return id_; }
int32_t CVorlatImage::GetUsage() const { return usage_; }

// ---- Tiles ------------------------------------------------------------------

IVorlatError* CVorlatImage::IndexOf(int32_t column, int32_t row, int32_t* index) const
{
    if (tileSize_ <= 0 || column < 0 || row < 0 || column >= tilesPerRow_)
        return Fail(__LINE__, kVorlatErrNoSuchId);
    const int64_t at = static_cast<int64_t>(row) * tilesPerRow_ + column;
    if (at >= static_cast<int64_t>(tiles_.size()))
        return Fail(__LINE__, kVorlatErrNoSuchId);
    *index = static_cast<int32_t>(at);
    return nullptr;
}

IVorlatError* CVorlatImage::TileAt(int32_t index, CVorlatTile** tile) const
{
    IVorlatError* err = nullptr;
    if (index < 0 || index >= static_cast<int32_t>(tiles_.size()))
        return Fail(__LINE__, kVorlatErrNoSuchId);
    if (!tiles_[static_cast<size_t>(index)]) {
        CVorlatTile* made = nullptr;
        IVorlatError* error = manager_->CreateTile(const_cast<CVorlatImage*>(this), index + 1, usage_, &made);
        if (made)
            tiles_[static_cast<size_t>(index)] = made;
        if (VorlatFailed(&err, kModuleImage, __LINE__, error))
            return err;
    }
    *tile = tiles_[static_cast<size_t>(index)];
    return nullptr;
}

void CVorlatImage::ForgetTile(int32_t tileId)
{
    if (tileId >= 1 && tileId <= static_cast<int32_t>(tiles_.size()))
        tiles_[static_cast<size_t>(tileId - 1)] = nullptr;
}

IVorlatError* CVorlatImage::TileExists(bool* exists, const IVorlatTileID& id) const
{
    const int32_t index = id.GetTileID() - 1;
    *exists = index >= 0 && index < static_cast<int32_t>(tiles_.size()) && tiles_[static_cast<size_t>(index)];
    return nullptr;
}

IVorlatError* CVorlatImage::TileExists(bool* exists, int32_t column, int32_t row) const
{
    IVorlatError* err = nullptr;
    int32_t index = 0;
    if (VorlatFailed(&err, kModuleImage, __LINE__, IndexOf(column, row, &index)))
        return err;
    *exists = tiles_[static_cast<size_t>(index)] != nullptr;
    return nullptr;
}

IVorlatError* CVorlatImage::GetTile(IVorlatTile** tile, const IVorlatTileID& id) const
{
    IVorlatError* err = nullptr;
    CVorlatTile* found = nullptr;
    if (VorlatFailed(&err, kModuleImage, __LINE__, TileAt(id.GetTileID() - 1, &found)))
        return err;
    *tile = found;
    return nullptr;
}

IVorlatError* CVorlatImage::GetTile(IVorlatTile** tile, int32_t column, int32_t row) const
{
    IVorlatError* err = nullptr;
    int32_t index = 0;
    CVorlatTile* found = nullptr;
    if (VorlatFailed(&err, kModuleImage, __LINE__, IndexOf(column, row, &index)) ||
        VorlatFailed(&err, kModuleImage, __LINE__, TileAt(index, &found)))
        return err;
    *tile = found;
    return nullptr;
}

IVorlatError* CVorlatImage::LockTile(void** pixels, int32_t column, int32_t row, BITMAPINFOHEADER** header) const
{
    IVorlatError* err = nullptr;
    IVorlatTile* tile = nullptr;
    *pixels = nullptr;
    if (VorlatFailed(&err, kModuleImage, __LINE__, GetTile(&tile, column, row)) ||
        VorlatFailed(&err, kModuleImage, __LINE__, tile->Lock(pixels, colorSpace_ == 38 ? header : nullptr)))
        return err;
    return nullptr;
}

IVorlatError* CVorlatImage::LockTile(void** pixels, const IVorlatTileID& id, BITMAPINFOHEADER** header) const
{
    IVorlatError* err = nullptr;
    IVorlatTile* tile = nullptr;
    *pixels = nullptr;
    if (VorlatFailed(&err, kModuleImage, __LINE__, GetTile(&tile, id)) ||
        VorlatFailed(&err, kModuleImage, __LINE__, tile->Lock(pixels, colorSpace_ == 38 ? header : nullptr)))
        return err;
    return nullptr;
}

IVorlatError* CVorlatImage::LockTile(void** pixels, RECT* tileRect, RECT* usedRect, int32_t* rowBytes,
                                     const IVorlatTileGrid& grid, int32_t column, int32_t row,
                                     BITMAPINFOHEADER** header) const
{
    IVorlatError* err = nullptr;
    IVorlatTile* tile = nullptr;
    *pixels = nullptr;
    if (VorlatFailed(&err, kModuleImage, __LINE__, grid.GetTile(&tile, column, row)) ||
        VorlatFailed(&err, kModuleImage, __LINE__, tile->Lock(pixels, header)))
        return err;
    if (rowBytes)
        *rowBytes = RowBytesOf(tileSize_, GetBitsPerPixel(colorSpace_));
    RECT rect;
    tile->GetCoordinates(&rect);
    if (tileRect)
        *tileRect = rect;
    if (usedRect)
        *usedRect = UsedPart(grid, column, row, rect);
    return nullptr;
}

IVorlatError* CVorlatImage::UnlockTile(const IVorlatTileGrid& grid, int32_t column, int32_t row) const
{
    IVorlatError* err = nullptr;
    IVorlatTile* tile = nullptr;
    if (VorlatFailed(&err, kModuleImage, __LINE__, grid.GetTile(&tile, column, row)))
        return err;
    if (IVorlatError* error = tile->Unlock())
        error->Destroy();
    return nullptr;
}

IVorlatError* CVorlatImage::UnlockTile(const IVorlatTileID& id) const
{
    IVorlatError* err = nullptr;
    IVorlatTile* tile = nullptr;
    if (VorlatFailed(&err, kModuleImage, __LINE__, GetTile(&tile, id)) ||
        VorlatFailed(&err, kModuleImage, __LINE__, tile->Unlock()))
        return err;
    return nullptr;
}

IVorlatError* CVorlatImage::UnlockTile(int32_t column, int32_t row) const
{
    IVorlatError* err = nullptr;
    IVorlatTile* tile = nullptr;
    if (VorlatFailed(&err, kModuleImage, __LINE__, GetTile(&tile, column, row)) ||
        VorlatFailed(&err, kModuleImage, __LINE__, tile->Unlock()))
        return err;
    return nullptr;
}

IVorlatError* CVorlatImage::MapRect(IVorlatTileGrid** grid, const RECT& rect) const
{
    *grid = nullptr;
    if (rect.right == rect.left || rect.bottom == rect.top)
        return nullptr;
    // The grid is not clipped to the image, so a rectangle outside it would name foreign tiles.
    if (tileSize_ <= 0 || rect.left < 0 || rect.top < 0 || rect.right <= rect.left || rect.bottom <= rect.top ||
        rect.right > width_ || rect.bottom > height_)
        return Fail(__LINE__, kVorlatErrState);
    const int32_t s = tileSize_;
    const int32_t firstColumn = rect.left / s;
    const int32_t lastColumn = (rect.right - 1) / s;
    const int32_t firstRow = rect.top / s;
    const int32_t lastRow = (rect.bottom - 1) / s;
    const int32_t columns = lastColumn - firstColumn + 1;
    const int32_t rows = lastRow - firstRow + 1;
    const int32_t rightMargin = std::min<int64_t>(width_, static_cast<int64_t>(lastColumn + 1) * s) - rect.right;
    const int32_t bottomMargin = std::min<int64_t>(height_, static_cast<int64_t>(lastRow + 1) * s) - rect.bottom;
    CVorlatTileGrid* made = new (std::nothrow)
        CVorlatTileGrid(this, columns, rows, rect.left % s, rightMargin, rect.top % s, bottomMargin);
    if (!made)
        return Fail(__LINE__, kVorlatErrAllocation);
    try {
        std::vector<CVorlatTileID>& ids = made->Identities();
        ids.reserve(static_cast<size_t>(columns) * static_cast<size_t>(rows));
        for (int32_t r = firstRow; r <= lastRow; ++r) {
            for (int32_t c = firstColumn; c <= lastColumn; ++c)
                ids.emplace_back(id_, r * tilesPerRow_ + c + 1);
        }
    } catch (const std::bad_alloc&) {
        made->Destroy();
        return Fail(__LINE__, kVorlatErrAllocation);
    }
    *grid = made;
    return nullptr;
}

// ---- Settings ---------------------------------------------------------------

IVorlatError* CVorlatImage::SetUsage(int32_t usage)
{
    if (usage != usage_) {
        for (CVorlatTile* tile : tiles_) {
            if (tile)
                tile->SetUsage(usage);
        }
    }
    usage_ = usage;
    return nullptr;
}

void CVorlatImage::Reshape()
{
    if (tileSize_ <= 0) {
        // No tile can be reached without a tile size; none is kept.
        for (size_t i = 0; i < tiles_.size(); ++i) {
            if (tiles_[i])
                tiles_[i]->Destroy();
        }
        tiles_.clear();
        tilesPerRow_ = 0;
        return;
    }
    tilesPerRow_ = CeilDiv(width_, tileSize_);
    const size_t count = static_cast<size_t>(tilesPerRow_) * static_cast<size_t>(CeilDiv(height_, tileSize_));
    for (size_t i = count; i < tiles_.size(); ++i) {
        if (tiles_[i])
            tiles_[i]->Destroy();
    }
    tiles_.resize(count, nullptr);
    const RECT whole{0, 0, width_, height_};
    for (CVorlatTile* tile : tiles_) {
        if (tile) {
            tile->Validate();
            tile->InvalidateRect(whole);
        }
    }
}

// Tile ids, and the edges of the last tile of a row or column, must stay 32-bit.
static bool TileGridFits(int32_t width, int32_t height, int32_t tileSize)
{
    if (tileSize <= 0)
        return true;
    const int64_t columns = CeilDiv(width, tileSize), rows = CeilDiv(height, tileSize);
    return columns * rows <= INT32_MAX && columns * tileSize <= INT32_MAX && rows * tileSize <= INT32_MAX;
}

IVorlatError* CVorlatImage::SetSize(int32_t width, int32_t height)
{
    IVorlatError* err = nullptr;
    if (width < 0 || height < 0 || !TileGridFits(width, height, tileSize_))
        return Fail(__LINE__, kVorlatErrState);
    IVorlatDataDestination::ChangeSize change{width_, height_, width, height};
    width_ = width;
    height_ = height;
    try {
        Reshape();
    } catch (const std::bad_alloc&) {
        return Fail(__LINE__, kVorlatErrAllocation);
    }
    VorlatFailed(&err, kModuleImage, __LINE__, VorlatSendDataNotification(this, kVorlatNotifySize, &change));
    return err;
}

IVorlatError* CVorlatImage::SetColorSpace(int32_t colorSpace)
{
    IVorlatError* err = nullptr;
    if (colorSpace != 0 && GetBitsPerPixel(colorSpace) == 0)
        return Fail(__LINE__, kVorlatErrColorSpace);
    const int32_t tileSize = ComputeTileSize(manager_->TileBytes(), colorSpace);
    if (colorSpace != 0 && tileSize <= 0)
        return Fail(__LINE__, kVorlatErrColorSpace);
    if (!TileGridFits(width_, height_, tileSize))
        return Fail(__LINE__, kVorlatErrState);
    IVorlatDataDestination::ChangeColorSpace change{colorSpace_, colorSpace};
    palette_.count = 0;
    palette_.colorSpace = 0;
    colorSpace_ = colorSpace;
    tileSize_ = tileSize;
    try {
        Reshape();
    } catch (const std::bad_alloc&) {
        return Fail(__LINE__, kVorlatErrAllocation);
    }
    VorlatFailed(&err, kModuleImage, __LINE__, VorlatSendDataNotification(this, kVorlatNotifyColorSpace, &change));
    return err;
}

IVorlatError* CVorlatImage::SetResolution(double resolution)
{
    IVorlatError* err = nullptr;
    IVorlatDataDestination::ChangeResolution change{resolution_, resolution};
    resolution_ = resolution;
    VorlatFailed(&err, kModuleImage, __LINE__, VorlatSendDataNotification(this, kVorlatNotifyResolution, &change));
    return err;
}

IVorlatError* CVorlatImage::SetTransform(bool flip, double rotation, bool third)
{
    IVorlatError* err = nullptr;
    // Flip and rotation are only recorded; the image's size does not change.
    IVorlatDataDestination::ChangeTransform change{flip_, rotation_, flip, rotation, third, width_, height_, width_, height_};
    flip_ = flip;
    rotation_ = rotation;
    VorlatFailed(&err, kModuleImage, __LINE__, VorlatSendDataNotification(this, kVorlatNotifyTransform, &change));
    return err;
}

IVorlatError* CVorlatImage::SetPalette(const VorlatPalette& palette)
{
    IVorlatError* err = nullptr;
    IVorlatDataDestination::ChangePalette* change = new (std::nothrow) IVorlatDataDestination::ChangePalette{palette_, palette};
    if (!change)
        return Fail(__LINE__, kVorlatErrAllocation);
    palette_ = palette;
    VorlatFailed(&err, kModuleImage, __LINE__, VorlatSendDataNotification(this, kVorlatNotifyPalette, change));
    delete change;
    return err;
}

// ---- Pixels -----------------------------------------------------------------

int32_t CVorlatImage::GetDataSize(int32_t width, int32_t height, int32_t* rowBytes)
{
    const int32_t row = RowBytesOf(width, GetBitsPerPixel(colorSpace_));
    if (rowBytes)
        *rowBytes = row;
    return row * height;
}

IVorlatError* CVorlatImage::CopyRect(void* bits, int32_t rowBytes, const RECT& rect, bool write)
{
    IVorlatError* err = nullptr;
    if (rect.right == rect.left || rect.bottom == rect.top)
        return nullptr;
    IVorlatTileGrid* grid = nullptr;
    if (VorlatFailed(&err, kModuleImage, __LINE__, MapRect(&grid, rect)))
        return err;
    // Codes below 8 bits per pixel copy nothing.
    const int64_t bytesPerPixel = GetBitsPerPixel(colorSpace_) / 8;
    const int32_t tileRowBytes = RowBytesOf(tileSize_, GetBitsPerPixel(colorSpace_));
    uint8_t* rowStart = static_cast<uint8_t*>(bits);
    for (int32_t gridRow = 0; gridRow < grid->GetRows() && !err; ++gridRow) {
        int64_t columnOffset = 0;
        int32_t usedHeight = 0;
        for (int32_t gridColumn = 0; gridColumn < grid->GetColumns() && !err; ++gridColumn) {
            IVorlatTile* found = nullptr;
            if (VorlatFailed(&err, kModuleImage, __LINE__, grid->GetTile(&found, gridColumn, gridRow)))
                break;
            // The grid was made by this image, whose tiles are all its own kind.
            CVorlatTile* tile = static_cast<CVorlatTile*>(found);
            if (write)
                tile->SetDirty(true);
            RECT tileRect;
            tile->GetCoordinates(&tileRect);
            const RECT used = UsedPart(*grid, gridColumn, gridRow, tileRect);
            const int64_t width = static_cast<int64_t>(used.right - used.left) * bytesPerPixel;
            // A new tile needs zeros only where this write does not reach:
            // clearing a whole tile that a band then covers would touch it twice.
            const VorlatTileSpan span{used.top - tileRect.top, used.bottom - used.top, tileRowBytes,
                                      static_cast<int32_t>((used.left - tileRect.left) * bytesPerPixel),
                                      static_cast<int32_t>(width)};
            void* data = nullptr;
            IVorlatError* locked = write && bytesPerPixel >= 1 ? tile->LockToWrite(&data, span)
                                                               : tile->Lock(&data, nullptr);
            if (VorlatFailed(&err, kModuleImage, __LINE__, locked))
                break;
            if (bytesPerPixel >= 1) {
                uint8_t* tileBytes = static_cast<uint8_t*>(data) + (used.left - tileRect.left) * bytesPerPixel;
                for (int32_t y = used.top; y < used.bottom; ++y) {
                    uint8_t* inTile = tileBytes + static_cast<int64_t>(y - tileRect.top) * tileRowBytes;
                    uint8_t* inCaller = rowStart + static_cast<int64_t>(y - used.top) * rowBytes + columnOffset;
                    if (write)
                        std::memcpy(inTile, inCaller, static_cast<size_t>(width));
                    else
                        std::memcpy(inCaller, inTile, static_cast<size_t>(width));
                }
            }
            columnOffset += width;
            usedHeight = used.bottom - used.top;
            VorlatFailed(&err, kModuleImage, __LINE__, UnlockTile(*grid, gridColumn, gridRow));
        }
        rowStart += static_cast<int64_t>(rowBytes) * usedHeight;
    }
    grid->Destroy();
    if (write && !err) {
        RECT changed = rect;
        VorlatFailed(&err, kModuleImage, __LINE__, VorlatSendDataNotification(this, kVorlatNotifyDataChanged, &changed));
    }
    return err;
}

IVorlatError* CVorlatImage::GetData(void* bits, int32_t rowBytes, const RECT& rect)
{
    return CopyRect(bits, rowBytes, rect, false);
}

IVorlatError* CVorlatImage::SetData(void* bits, int32_t rowBytes, bool, double, const RECT& rect)
{
    return CopyRect(bits, rowBytes, rect, true);
}

IVorlatError* CVorlatImage::SetData(void* bits, int32_t rowBytes, const RECT& rect)
{
    return SetData(bits, rowBytes, flip_, rotation_, rect);
}

IVorlatError* CVorlatImage::GetPixel(VorlatPixel* pixel, int32_t x, int32_t y) const
{
    IVorlatError* err = nullptr;
    // The common reader finds the tile by truncating division: a negative position
    // would land in tile 0 and read before its buffer.
    if (tileSize_ <= 0 || x < 0 || y < 0 || x >= width_ || y >= height_)
        return Fail(__LINE__, kVorlatErrState);
    VorlatFailed(&err, kModuleImage, __LINE__, IVorlatDataSource::GetPixel(pixel, x, y));
    return err;
}

IVorlatError* CVorlatImage::SetPixel(const VorlatPixel& pixel, int32_t x, int32_t y)
{
    IVorlatError* err = nullptr;
    if (tileSize_ <= 0 || x < 0 || y < 0 || x >= width_ || y >= height_)
        return Fail(__LINE__, kVorlatErrState);
    const int32_t bits = GetBitsPerPixel(colorSpace_);
    const int32_t rowBytes = RowBytesOf(tileSize_, bits);
    const int32_t column = x / tileSize_, row = y / tileSize_;
    IVorlatTile* tile = nullptr;
    void* data = nullptr;
    if (VorlatFailed(&err, kModuleImage, __LINE__, GetTile(&tile, column, row)) ||
        VorlatFailed(&err, kModuleImage, __LINE__, LockTile(&data, column, row, nullptr)))
        return err;
    // Without the mark, a pixel written into a tile that has a page copy would be lost at eviction.
    tile->SetDirty(true);

    const int32_t bitOffset = (x % tileSize_) * bits;
    uint8_t* p = static_cast<uint8_t*>(data) + bitOffset / 8 + static_cast<int64_t>(y % tileSize_) * rowBytes;
    switch (colorSpace_) {
    case 1:
    case 16:
    case 17:
    case 18: {
        // Counted from the most significant bit; the byte's other pixels stay.
        const int32_t shift = 8 - bitOffset % 8 - bits;
        const uint8_t mask = static_cast<uint8_t>(((1 << bits) - 1) << shift);
        p[0] = static_cast<uint8_t>((p[0] & ~mask) | ((pixel.bytes[0] << shift) & mask));
        break;
    }
    case 2:
    case 19:
        p[0] = pixel.bytes[0];
        break;
    case 3:
    case 64:
    case 65:
    case 66:
        std::memcpy(p, &pixel.words[0], 2);
        break;
    case 32:
    case 38:
    case 39:
    case 40:
        std::memcpy(p, pixel.bytes, 3);
        break;
    case 34:
        std::memcpy(p, pixel.bytes, 4);
        break;
    case 33:
    case 35:
    case 36:
    case 37:
        std::memcpy(p, pixel.words, 6);
        break;
    default:
        break;
    }
    VorlatFailed(&err, kModuleImage, __LINE__, UnlockTile(column, row));
    return err;
}
