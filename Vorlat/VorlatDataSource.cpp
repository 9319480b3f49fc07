#include "Vorlat/VorlatDataSource.h"

#include <cstring>

#include "Vorlat/VorlatConnection.h"
#include "Vorlat/VorlatModules_impl.h"

IVorlatDataSource::~IVorlatDataSource()
{
    if (IVorlatError* error = VorlatForgetDataSource(this))
        error->Destroy();
}

IVorlatError* IVorlatDataSource::VorlatAddDataDestinationCheck(IVorlatDataSource**,
                                                               const IVorlatDataDestination*) const
{
    return nullptr;
}

IVorlatError* IVorlatDataSource::VorlatRemoveDataDestinationCheck(const IVorlatDataDestination*) const
{
    return nullptr;
}

IVorlatError* IVorlatDataSource::VorlatAddedDataDestination(const IVorlatDataDestination*) { return nullptr; }

IVorlatError* IVorlatDataSource::VorlatRemovedDataDestination(const IVorlatDataDestination*) { return nullptr; }

int32_t IVorlatDataSource::GetBitsPerPixel(int32_t colorSpace)
{
    if (colorSpace & kVorlatColorSpaceBytes)
        return 8 * (colorSpace & 0xFFFF);
    switch (colorSpace) {
    case 1:
    case 16:
        return 1;
    case 17:
        return 2;
    case 18:
        return 4;
    case 2:
    case 19:
        return 8;
    case 3:
    case 64:
    case 65:
    case 66:
        return 16;
    case 32:
    case 38:
    case 39:
    case 40:
        return 24;
    case 34:
        return 32;
    case 33:
    case 35:
    case 36:
    case 37:
        return 48;
    default:
        return 0;
    }
}

IVorlatError* IVorlatDataSource::GetSize(int32_t* width, int32_t* height) const
{
    IVorlatError* err = nullptr;
    int32_t w = 0, h = 0;
    if (VorlatFailed(&err, kModuleSource, __LINE__, GetWidth(&w)))
        return err;
    if (VorlatFailed(&err, kModuleSource, __LINE__, GetHeight(&h)))
        return err;
    *width = w;
    *height = h;
    return nullptr;
}

IVorlatError* IVorlatDataSource::GetTransform(bool* flip, double* rotation) const
{
    IVorlatError* err = nullptr;
    bool f = false;
    double r = 0.0;
    if (VorlatFailed(&err, kModuleSource, __LINE__, GetFlip(&f)))
        return err;
    if (VorlatFailed(&err, kModuleSource, __LINE__, GetRotation(&r)))
        return err;
    *flip = f;
    *rotation = r;
    return nullptr;
}

IVorlatError* IVorlatDataSource::GetRowBytes(int32_t* rowBytes) const
{
    IVorlatError* err = nullptr;
    int32_t tileSize = 0, colorSpace = 0;
    if (VorlatFailed(&err, kModuleSource, __LINE__, GetTileSize(&tileSize)))
        return err;
    if (VorlatFailed(&err, kModuleSource, __LINE__, GetColorSpace(&colorSpace)))
        return err;
    *rowBytes = ((tileSize * GetBitsPerPixel(colorSpace) + 31) / 32) * 4;
    return nullptr;
}

IVorlatError* IVorlatDataSource::GetPixel(VorlatPixel* pixel, int32_t x, int32_t y) const
{
    IVorlatError* err = nullptr;
    int32_t tileSize = 0, colorSpace = 0;
    if (VorlatFailed(&err, kModuleSource, __LINE__, GetTileSize(&tileSize)))
        return err;
    if (VorlatFailed(&err, kModuleSource, __LINE__, GetColorSpace(&colorSpace)))
        return err;
    const int32_t bits = GetBitsPerPixel(colorSpace);
    // No tiles exist before a colour space with pixels is set.
    if (tileSize <= 0 || bits == 0)
        return IVorlatError::Add(nullptr, kModuleSource, __LINE__, kVorlatFromSystem, kVorlatErrState);
    int32_t width = 0, height = 0;
    if (VorlatFailed(&err, kModuleSource, __LINE__, GetWidth(&width)) ||
        VorlatFailed(&err, kModuleSource, __LINE__, GetHeight(&height)))
        return err;
    // Truncating division puts a negative position in tile 0, before its buffer.
    if (x < 0 || y < 0 || x >= width || y >= height)
        return IVorlatError::Add(nullptr, kModuleSource, __LINE__, kVorlatFromSystem, kVorlatErrState);
    const int32_t rowBytes = ((tileSize * bits + 31) / 32) * 4;

    void* data = nullptr;
    if (VorlatFailed(&err, kModuleSource, __LINE__, LockTile(&data, x / tileSize, y / tileSize, nullptr)))
        return err;

    const int32_t bitOffset = (x % tileSize) * bits;
    const uint8_t* p = static_cast<const uint8_t*>(data) + (y % tileSize) * rowBytes + bitOffset / 8;
    const int32_t bitInByte = bitOffset % 8;
    pixel->colorSpace = colorSpace;
    switch (colorSpace) {
    case 1:
    case 16:
    case 17:
    case 18:
        // The leftmost pixel lies in the most significant bits.
        pixel->bytes[0] = static_cast<uint8_t>((p[0] >> (8 - bitInByte - bits)) & ((1 << bits) - 1));
        break;
    case 2:
    case 19:
        pixel->bytes[0] = p[0];
        break;
    case 3:
    case 64:
    case 65:
        std::memcpy(&pixel->words[0], p, 2);
        break;
    case 32:
    case 39:
        std::memcpy(pixel->bytes, p, 3);
        break;
    case 38:
        std::memcpy(pixel->bytes, p, 3);
        pixel->bytes[3] = 0;
        break;
    case 34:
        std::memcpy(pixel->bytes, p, 4);
        break;
    case 33:
    case 35:
    case 36:
    case 37:
        std::memcpy(pixel->words, p, 6);
        break;
    default:
        break;
    }

    if (VorlatFailed(&err, kModuleSource, __LINE__, UnlockTile(x / tileSize, y / tileSize)))
        return err;
    return nullptr;
}
