// The block of tiles that covers a rectangle of an image, with the margins by
// which the rectangle falls short of the block's outer edges. Made by MapRect,
// freed with Destroy. Positions are inside the grid, from 0.
#pragma once

#include <cstdint>

#include "Vorlat/VorlatError.h"
#include "Vorlat/VorlatExport.h"
#include "Vorlat/VorlatTypes.h"

class IVorlatTile;

class VORLAT_API IVorlatTileGrid {
protected:
    virtual ~IVorlatTileGrid();

public:
    virtual void Destroy() = 0;
    virtual IVorlatError* TileExists(bool* exists, int32_t column, int32_t row) const = 0;
    // Creates the tile when it does not exist yet.
    virtual IVorlatError* GetTile(IVorlatTile** tile, int32_t column, int32_t row) const = 0;
    // The tile's rectangle in image pixels.
    virtual IVorlatError* GetTileRect(RECT* rect, int32_t column, int32_t row) const = 0;
    // The part of the tile that the mapped rectangle covers.
    virtual IVorlatError* GetTileUsed(RECT* rect, int32_t column, int32_t row) const = 0;
    virtual int32_t GetColumns() const = 0;
    virtual int32_t GetRows() const = 0;
    virtual int32_t GetLeftMargin() const = 0;
    virtual int32_t GetRightMargin() const = 0;
    virtual int32_t GetTopMargin() const = 0;
    virtual int32_t GetBottomMargin() const = 0;
};
