// The tile manager: makes images, filter chains and histograms, owns every
// tile, and keeps the tile buffers within a memory budget that overflows into
// page files. Single-threaded: callers serialise all use.
#pragma once

#include <cstdint>

#include "Vorlat/VorlatError.h"
#include "Vorlat/VorlatExport.h"
#include "Vorlat/VorlatTypes.h"

class IVorlatFilterChain;
class IVorlatHistogram;
class IVorlatImage;

class VORLAT_API IVorlatManager {
protected:
    virtual ~IVorlatManager();

public:
    // Bytes of every tile buffer.
    virtual int32_t GetTileSize() = 0;
    virtual void Destroy() = 0;
    virtual IVorlatError* CreateImage(IVorlatImage** image, int32_t usage) = 0;
    virtual IVorlatError* CreateFilterChain(IVorlatFilterChain** chain) = 0;
    virtual IVorlatError* CreateHistogram(IVorlatHistogram** histogram) = 0;
    virtual IVorlatError* FindImage(int32_t id, IVorlatImage** image) = 0;
    // One unit of idle work; *more is false once nothing is left.
    virtual IVorlatError* Async(bool* more) = 0;
    virtual void StartIdle() = 0;
    virtual int32_t MaxAdjustment() const = 0;
    virtual int32_t GetAdjustment() const = 0;
    // Lowers the budget by adjustment tiles, freeing excess buffers at once.
    virtual IVorlatError* SetAdjustment(int32_t adjustment) = 0;
    // Frees up to *count buffers to the heap; *count receives the number freed.
    virtual IVorlatError* DumpTiles(int32_t* count) = 0;

    // Makes a manager whose page files are named after pageFile. When the page
    // file cannot be created, *manager still holds the new manager.
    static IVorlatError* CreateManager(IVorlatManager** manager, const _VorlatFile& pageFile,
                                       int32_t memoryBytes, int32_t tileBytes, int32_t idleMilliseconds);
};
