// The tiled image: the framework's only store of pixels, owned by a tile
// manager (IVorlatManager::CreateImage) and freed with Destroy.
#pragma once

#include <cstdint>

#include "Vorlat/VorlatDataSource.h"
#include "Vorlat/VorlatError.h"
#include "Vorlat/VorlatExport.h"
#include "Vorlat/VorlatTypes.h"

class IVorlatManager;

class VORLAT_API IVorlatImage : public IVorlatDataSource {
public:
    virtual void Destroy() = 0;
    virtual IVorlatManager* GetManager() const = 0;
    virtual int32_t GetID() const = 0;
    virtual int32_t GetUsage() const = 0;
    virtual IVorlatError* SetUsage(int32_t usage) = 0;
    virtual IVorlatError* SetSize(int32_t width, int32_t height) = 0;
    virtual IVorlatError* SetColorSpace(int32_t colorSpace) = 0;
    virtual IVorlatError* SetResolution(double resolution) = 0;
    virtual IVorlatError* SetTransform(bool flip, double rotation, bool third) = 0;
    virtual IVorlatError* SetPalette(const VorlatPalette& palette) = 0;
    // Bytes of a width x height block in this colour space; *rowBytes gets one padded row.
    virtual int32_t GetDataSize(int32_t width, int32_t height, int32_t* rowBytes) = 0;
    // Copy rect out of / into a caller buffer: rows top first, rowBytes apart,
    // pixels packed at whole bytes each.
    virtual IVorlatError* GetData(void* bits, int32_t rowBytes, const RECT& rect) = 0;
    virtual IVorlatError* SetPixel(const VorlatPixel& pixel, int32_t x, int32_t y) = 0;
    virtual IVorlatError* SetData(void* bits, int32_t rowBytes, bool flip, double rotation, const RECT& rect) = 0;
    virtual IVorlatError* SetData(void* bits, int32_t rowBytes, const RECT& rect) = 0;
};
