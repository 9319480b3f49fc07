// A producer of image data: tiled images, filters, filter chains, loaders.
// Sources are linked to destinations only through the connection registry
// (VorlatConnection.h).
#pragma once

#include <cstdint>

#include "Vorlat/VorlatError.h"
#include "Vorlat/VorlatExport.h"
#include "Vorlat/VorlatTypes.h"

class IVorlatDataDestination;
class IVorlatTile;
class IVorlatTileGrid;
class IVorlatTileID;

class VORLAT_API IVorlatDataSource {
protected:
    // Removes every link of this source from the registry.
    virtual ~IVorlatDataSource();

public:
    // Asked before a link is made; may refuse, or write a substitute source.
    virtual IVorlatError* VorlatAddDataDestinationCheck(IVorlatDataSource** substitute,
                                                        const IVorlatDataDestination* destination) const;
    virtual IVorlatError* VorlatRemoveDataDestinationCheck(const IVorlatDataDestination* destination) const;
    virtual IVorlatError* VorlatAddedDataDestination(const IVorlatDataDestination* destination);
    virtual IVorlatError* VorlatRemovedDataDestination(const IVorlatDataDestination* destination);

    virtual IVorlatError* GetWidth(int32_t* width) const = 0;
    virtual IVorlatError* GetHeight(int32_t* height) const = 0;
    virtual IVorlatError* GetColorSpace(int32_t* colorSpace) const = 0;
    virtual IVorlatError* GetResolution(double* resolution) const = 0;  // pixels per inch
    virtual IVorlatError* GetFlip(bool* flip) const = 0;
    virtual IVorlatError* GetRotation(double* rotation) const = 0;      // degrees
    virtual IVorlatError* GetTileSize(int32_t* tileSize) const = 0;     // side of the square tiles
    virtual IVorlatError* GetPalette(VorlatPalette* palette) const = 0;
    virtual IVorlatError* TileExists(bool* exists, const IVorlatTileID& id) const = 0;
    virtual IVorlatError* TileExists(bool* exists, int32_t column, int32_t row) const = 0;
    virtual IVorlatError* GetTile(IVorlatTile** tile, const IVorlatTileID& id) const = 0;
    virtual IVorlatError* GetTile(IVorlatTile** tile, int32_t column, int32_t row) const = 0;
    virtual IVorlatError* LockTile(void** pixels, RECT* tileRect, RECT* usedRect, int32_t* rowBytes,
                                   const IVorlatTileGrid& grid, int32_t column, int32_t row,
                                   BITMAPINFOHEADER** header) const = 0;
    virtual IVorlatError* LockTile(void** pixels, const IVorlatTileID& id, BITMAPINFOHEADER** header) const = 0;
    virtual IVorlatError* LockTile(void** pixels, int32_t column, int32_t row, BITMAPINFOHEADER** header) const = 0;
    virtual IVorlatError* UnlockTile(const IVorlatTileGrid& grid, int32_t column, int32_t row) const = 0;
    virtual IVorlatError* UnlockTile(const IVorlatTileID& id) const = 0;
    virtual IVorlatError* UnlockTile(int32_t column, int32_t row) const = 0;
    // Default: locks the tile that holds (x, y) and decodes the pixel by colour space.
    virtual IVorlatError* GetPixel(VorlatPixel* pixel, int32_t x, int32_t y) const;
    // The grid of tiles that covers rect; null (and success) for an empty rect.
    virtual IVorlatError* MapRect(IVorlatTileGrid** grid, const RECT& rect) const = 0;

    IVorlatError* GetSize(int32_t* width, int32_t* height) const;
    IVorlatError* GetTransform(bool* flip, double* rotation) const;
    // Bytes of one tile row, padded to 4 bytes.
    IVorlatError* GetRowBytes(int32_t* rowBytes) const;

    // Bits per pixel of a colour-space code; 0 for "none" and for unknown codes.
    static int32_t GetBitsPerPixel(int32_t colorSpace);
};
