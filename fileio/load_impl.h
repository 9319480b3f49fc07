// The concrete loader and saver.
#pragma once

#include "fileio/VorlatFormat.h"
#include "fileio/VorlatLoad.h"

class CVorlatLoad : public IVorlatLoad, public IVorlatDataSource {
public:
    explicit CVorlatLoad(const quarnite::FormatTable& formats = quarnite::LibraryFormats());

    // IVorlatStorage (the two numbers are not used by the loader)
    IVorlatError* AttachStream(IVorlatStream* stream, IVorlatTagControl* tags, int32_t, int32_t) override;
    void DetachStream() override;

    // IVorlatLoad
    void Destroy() override;
    IVorlatError* LoadTags() override;
    IVorlatError* GetFormats(int32_t* code) const override;
    IVorlatError* GetFileInformation(tagStrFileInfo* info) override;
    IVorlatError* LoadThumbnail(int32_t index, IVorlatImage* image) override;
    IVorlatError* BeginLoadImage(IVorlatImage* image, uint32_t n) override;
    IVorlatError* BeginLoadImage(IVorlatImage* image) override;
    IVorlatError* Update(IVorlatStream* target, IVorlatDataSource** sources, uint32_t n) override;
    IVorlatError* Update(IVorlatStream* target) override;
    IVorlatError* PrepareToLoad(IVorlatManager* manager) override;
    IVorlatError* SetUsage(int32_t usage) override;
    IVorlatError* GetThumbnailColorSpace(int32_t index, int32_t* code) override;
    IVorlatError* GetThumbnailWidth(int32_t index, int32_t* width) override;
    IVorlatError* GetThumbnailHeight(int32_t index, int32_t* height) override;

    // IVorlatTask
    IVorlatError* Execute() override;
    bool IsFinished() override;
    void GetProgress(int32_t* done, int32_t* total) override;

    // IVorlatDataSource: the prepared image; tiles are read on first lock.
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

protected:
    ~CVorlatLoad() override;

private:
    // Reads the tile's row from the file unless the tile holds data already.
    IVorlatError* LoadIfUnwritten(IVorlatTile* tile) const;
    IVorlatError* CheckUpdateTarget(IVorlatStream* target);
    IVorlatError* FinishUpdate(IVorlatStream* target, IVorlatError* err);
    void Release();

    const quarnite::FormatTable& formats_;
    IVorlatStream* stream_ = nullptr;
    IVorlatTagControl* tags_ = nullptr;
    IVorlatFormatReader* reader_ = nullptr;
    int32_t format_ = kFormatUnknown;
    IVorlatManager* manager_ = nullptr;
    IVorlatImage* image_ = nullptr;
    int32_t usage_ = kVorlatUsageReusable;
};

class CVorlatSave : public IVorlatSave {
public:
    explicit CVorlatSave(const quarnite::FormatTable& formats = quarnite::LibraryFormats());

    IVorlatError* AttachStream(IVorlatStream* stream, IVorlatTagControl* tags, int32_t format,
                               int32_t option) override;
    void DetachStream() override;
    void Destroy() override;
    IVorlatError* BeginSave(IVorlatDataSource* source, IVorlatDataSource** sources, uint32_t n) override;
    IVorlatError* Execute() override;
    bool IsFinished() override;
    void GetProgress(int32_t* done, int32_t* total) override;

    static IVorlatError* GetSupportedFormats(IVorlatDataSource* source, int32_t* mask);

protected:
    ~CVorlatSave() override;

private:
    const quarnite::FormatTable& formats_;
    IVorlatStream* stream_ = nullptr;
    IVorlatFormatWriter* writer_ = nullptr;
    int32_t format_ = 0;
};
