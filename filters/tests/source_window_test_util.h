// Helpers of the tests of the source window and of the filters that read
// through it: a source that counts and can fail its tile calls, and the pixel
// of a packed buffer.
#pragma once

#include <cstring>

#include "kolvex_test_util.h"

namespace kolvex_test {

// Forwards to an image, counting tile lookups and locks; failLockAt > 0 makes
// that lock (counted from 1) fail.
class CountingSource : public IVorlatDataSource {
public:
    explicit CountingSource(const IVorlatDataSource* inner) : inner_(inner) {}
    ~CountingSource() override = default;

    int32_t tileLookups = 0;
    int32_t locks = 0;
    int32_t failLockAt = 0;

    IVorlatError* GetWidth(int32_t* v) const override { return inner_->GetWidth(v); }
    IVorlatError* GetHeight(int32_t* v) const override { return inner_->GetHeight(v); }
    IVorlatError* GetColorSpace(int32_t* v) const override { return inner_->GetColorSpace(v); }
    IVorlatError* GetResolution(double* v) const override { return inner_->GetResolution(v); }
    IVorlatError* GetFlip(bool* v) const override { return inner_->GetFlip(v); }
    IVorlatError* GetRotation(double* v) const override { return inner_->GetRotation(v); }
    IVorlatError* GetTileSize(int32_t* v) const override { return inner_->GetTileSize(v); }
    IVorlatError* GetPalette(VorlatPalette* v) const override { return inner_->GetPalette(v); }
    IVorlatError* TileExists(bool* e, const IVorlatTileID& id) const override { return inner_->TileExists(e, id); }
    IVorlatError* TileExists(bool* e, int32_t c, int32_t r) const override { return inner_->TileExists(e, c, r); }
    IVorlatError* GetTile(IVorlatTile** t, const IVorlatTileID& id) const override { return inner_->GetTile(t, id); }
    IVorlatError* GetTile(IVorlatTile** t, int32_t c, int32_t r) const override
    {
        ++const_cast<CountingSource*>(this)->tileLookups;
        return inner_->GetTile(t, c, r);
    }
    IVorlatError* LockTile(void** p, RECT* a, RECT* b, int32_t* rb, const IVorlatTileGrid& g, int32_t c, int32_t r,
                           BITMAPINFOHEADER** h) const override
    {
        if (Fails())
            return IVorlatError::Add(nullptr, 77, __LINE__, 0, 4242);
        return inner_->LockTile(p, a, b, rb, g, c, r, h);
    }
    IVorlatError* LockTile(void** p, const IVorlatTileID& id, BITMAPINFOHEADER** h) const override
    {
        return inner_->LockTile(p, id, h);
    }
    IVorlatError* LockTile(void** p, int32_t c, int32_t r, BITMAPINFOHEADER** h) const override
    {
        if (Fails())
            return IVorlatError::Add(nullptr, 77, __LINE__, 0, 4242);
        return inner_->LockTile(p, c, r, h);
    }
    IVorlatError* UnlockTile(const IVorlatTileGrid& g, int32_t c, int32_t r) const override
    {
        return inner_->UnlockTile(g, c, r);
    }
    IVorlatError* UnlockTile(const IVorlatTileID& id) const override { return inner_->UnlockTile(id); }
    IVorlatError* UnlockTile(int32_t c, int32_t r) const override { return inner_->UnlockTile(c, r); }
    IVorlatError* MapRect(IVorlatTileGrid** g, const RECT& r) const override { return inner_->MapRect(g, r); }

private:
    bool Fails() const
    {
        auto* self = const_cast<CountingSource*>(this);
        return ++self->locks == failLockAt;
    }

    const IVorlatDataSource* inner_;
};

// A grey 8-bit image whose pixel (x, y) is (x + 3 y) mod 251: every pixel of
// a small image tells where it came from.
inline std::vector<uint8_t> PositionPattern(int32_t width, int32_t height)
{
    std::vector<uint8_t> out(static_cast<size_t>(width) * height);
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x)
            out[static_cast<size_t>(y) * width + x] = static_cast<uint8_t>((x + 3 * y) % 251);
    return out;
}

// Whether a tile of a source is locked now.
inline bool IsTileLocked(const IVorlatDataSource* source, int32_t column, int32_t row)
{
    IVorlatTile* tile = nullptr;
    EXPECT_EQ(Deepest(source->GetTile(&tile, column, row)), 0);
    return tile && tile->IsLocked();
}

} // namespace kolvex_test
