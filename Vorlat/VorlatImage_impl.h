#pragma once

#include <vector>

#include "Vorlat/VorlatImage.h"

class CVorlatManager;
class CVorlatTile;

class CVorlatImage : public IVorlatImage {
public:
    CVorlatImage(CVorlatManager* manager, int32_t id, int32_t usage);

    // Data source
    IVorlatError* GetWidth(int32_t* width) const override;
    IVorlatError* GetHeight(int32_t* height) const override;
    IVorlatError* GetColorSpace(int32_t* colorSpace) const override;
    IVorlatError* GetResolution(double* resolution) const override;
    IVorlatError* GetFlip(bool* flip) const override;
    IVorlatError* GetRotation(double* rotation) const override;
    IVorlatError* GetTileSize(int32_t* tileSize) const override;
    IVorlatError* GetPalette(VorlatPalette* palette) const override;
    IVorlatError* TileExists(bool* exists, const IVorlatTileID& id) const override;
    IVorlatError* TileExists(bool* exists, int32_t column, int32_t row) const override;
    IVorlatError* GetTile(IVorlatTile** tile, const IVorlatTileID& id) const override;
    IVorlatError* GetTile(IVorlatTile** tile, int32_t column, int32_t row) const override;
    IVorlatError* LockTile(void** pixels, RECT* tileRect, RECT* usedRect, int32_t* rowBytes,
                           const IVorlatTileGrid& grid, int32_t column, int32_t row,
                           BITMAPINFOHEADER** header) const override;
    IVorlatError* LockTile(void** pixels, const IVorlatTileID& id, BITMAPINFOHEADER** header) const override;
    IVorlatError* LockTile(void** pixels, int32_t column, int32_t row, BITMAPINFOHEADER** header) const override;
    IVorlatError* UnlockTile(const IVorlatTileGrid& grid, int32_t column, int32_t row) const override;
    IVorlatError* UnlockTile(const IVorlatTileID& id) const override;
    IVorlatError* UnlockTile(int32_t column, int32_t row) const override;
    IVorlatError* MapRect(IVorlatTileGrid** grid, const RECT& rect) const override;
    IVorlatError* GetPixel(VorlatPixel* pixel, int32_t x, int32_t y) const override;

    // Image
    void Destroy() override;
    IVorlatManager* GetManager() const override;
    int32_t GetID() const override;
    int32_t GetUsage() const override;
    IVorlatError* SetUsage(int32_t usage) override;
    IVorlatError* SetSize(int32_t width, int32_t height) override;
    IVorlatError* SetColorSpace(int32_t colorSpace) override;
    IVorlatError* SetResolution(double resolution) override;
    IVorlatError* SetTransform(bool flip, double rotation, bool third) override;
    IVorlatError* SetPalette(const VorlatPalette& palette) override;
    int32_t GetDataSize(int32_t width, int32_t height, int32_t* rowBytes) override;
    IVorlatError* GetData(void* bits, int32_t rowBytes, const RECT& rect) override;
    IVorlatError* SetPixel(const VorlatPixel& pixel, int32_t x, int32_t y) override;
    IVorlatError* SetData(void* bits, int32_t rowBytes, bool flip, double rotation, const RECT& rect) override;
    IVorlatError* SetData(void* bits, int32_t rowBytes, const RECT& rect) override;

    // For tiles.
    int32_t TileSide() const { return tileSize_; }
    int32_t TilesPerRow() const { return tilesPerRow_; }
    int32_t Width() const { return width_; }
    int32_t Height() const { return height_; }
    void ForgetTile(int32_t tileId);

    // The tile side for a colour space in a manager of tileBytes; 0 for codes without pixels.
    static int32_t ComputeTileSize(int32_t tileBytes, int32_t colorSpace);

private:
    ~CVorlatImage() override;

    IVorlatError* TileAt(int32_t index, CVorlatTile** tile) const;
    IVorlatError* IndexOf(int32_t column, int32_t row, int32_t* index) const;
    void Reshape();
    IVorlatError* CopyRect(void* bits, int32_t rowBytes, const RECT& rect, bool write);

    // Tiles are made on first use, also through the const data-source queries.
    mutable std::vector<CVorlatTile*> tiles_;
    CVorlatManager* manager_;
    VorlatPalette palette_;
    int32_t id_;
    int32_t colorSpace_ = 0;
    int32_t width_ = 0;
    int32_t height_ = 0;
    double resolution_ = 0.0;
    bool flip_ = false;
    double rotation_ = 0.0;
    int32_t tileSize_ = 0;
    int32_t tilesPerRow_ = 0;
    int32_t usage_;
};
