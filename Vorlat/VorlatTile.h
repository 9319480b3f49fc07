// One square block of an image's pixels, the unit that the tile manager keeps
// in memory or in a page file. Locks nest and are balanced by unlocks.
#pragma once

#include <cstdint>

#include "Vorlat/VorlatError.h"
#include "Vorlat/VorlatExport.h"
#include "Vorlat/VorlatTypes.h"

class IVorlatImage;
class IVorlatTileID;

class VORLAT_API IVorlatTile {
protected:
    virtual ~IVorlatTile();

public:
    virtual void Destroy() = 0;
    virtual const IVorlatTileID& GetID() const = 0;
    // The tile's rectangle in image pixels, cut at the image's right and bottom edges.
    virtual void GetCoordinates(RECT* rect) const = 0;
    virtual int32_t GetRowBytes() const = 0;
    virtual IVorlatImage* GetImage() const = 0;
    // True when the invalid rectangle (the part still to be produced) is not empty.
    virtual bool GetInvalidRect(RECT* rect) const = 0;
    virtual void InvalidateRect(const RECT& rect) = 0;
    virtual void Validate() = 0;
    virtual int32_t GetUsage() const = 0;
    virtual bool IsReusable() const = 0;
    virtual bool IsDiscardable() const = 0;
    // Neither a buffer nor a page copy.
    virtual bool IsDiscarded() const = 0;
    // Drops the buffer without writing it; the page copy, if any, stays.
    virtual IVorlatError* Discard() = 0;
    virtual bool InMemory() const = 0;
    virtual bool IsPaged() const = 0;
    // header, when not null, receives the 40 bytes of bitmap header room at the end of the buffer.
    virtual IVorlatError* Lock(void** bits, BITMAPINFOHEADER** header) = 0;
    virtual bool IsLocked() const = 0;
    virtual IVorlatError* Unlock() = 0;
    // Dirty: the pixels changed since they were last written to a page file.
    virtual bool IsDirty() const = 0;
    virtual void SetDirty(bool dirty) = 0;
};
