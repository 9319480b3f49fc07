// The histogram filter: passes its single source through unchanged and counts
// per-channel histograms of a crop of it, a tile at a time, whenever a tile
// passes through it or when asked to spend time on the rest.
#pragma once

#include <vector>

#include "filters/VorlatFilterBase.h"

class KOLVEX_API CVorlatFilterHistogram : public CVorlatFilterBase {
public:
    explicit CVorlatFilterHistogram(IVorlatManager* manager);
    ~CVorlatFilterHistogram() override;

    // The counts of one channel in 2^bits bins (fewer bits add adjacent bins);
    // returns the bits delivered, 0 when there is nothing.
    int32_t GetHistogram(int32_t channel, uint32_t* out, int32_t bits) const;
    int32_t GetNativeBits() const;
    bool IsComplete() const;
    // All zero is the whole source. A new crop counts again from zero; nothing is sent.
    IVorlatError* SetCrop(const RECT& crop);
    const RECT& GetCrop() const;
    // Counts tiles until the milliseconds are spent or every tile is counted.
    IVorlatError* SpendTime(uint32_t milliseconds);
    IVorlatError* ForceCompletion();

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
    IVorlatError* Enable(bool enable, bool notify) override;
    int32_t GetFilterCode() const override;
    const char* GetFilterDescription() const override;
    IVorlatError* GenerateTile(IVorlatTile* tile, const IVorlatDataSource** sources, int32_t count) override;
    IVorlatError* Process(const IVorlatDataSource** sources, int32_t count, IVorlatImage* destination) override;
    // One run at a time; its id is always 1.
    IVorlatError* BeginProcess(int32_t* id, const IVorlatDataSource** sources, int32_t count,
                               IVorlatImage* destination) override;
    IVorlatError* ExecuteProcess(int32_t id, int32_t* done, int32_t* total) override;
    IVorlatError* GetProcessInfo(int32_t id, const IVorlatDataSource*** sources, int32_t* count,
                                 IVorlatImage** destination) override;
    IVorlatError* EndProcess(int32_t id) override;

    IVorlatError* VorlatNotify(const IVorlatDataSource* source, int32_t code, void* param) override;
    IVorlatError* VorlatAddedDataSource(const IVorlatDataSource* source) override;
    IVorlatError* VorlatRemovedDataSource(const IVorlatDataSource* source) override;

protected:
    IVorlatError* ProcessTile(IVorlatTile* tile, CProcessInfo* info) override;
    virtual IVorlatError* AllocateHistogram(uint32_t entries);
    virtual void FreeHistogram();

    IVorlatError* GetSource() const;
    IVorlatError* Initialize();
    IVorlatError* CalculateTile(uint32_t index);
    IVorlatError* DoHistogram(void* data, const RECT& tileRect, int32_t rowBytes);

    uint32_t* counts_;
    uint32_t countLength_;

private:
    template <typename Call>
    IVorlatError* Forward(int32_t line, Call call) const;
    IVorlatError* CountLocked(void* data, const RECT& tileRect, int32_t rowBytes, int32_t line) const;
    IVorlatError* CopyToDestination(const void* data, const RECT& tileRect, const RECT& used, int32_t rowBytes);
    IVorlatError* LockAndRelease(uint32_t index);
    void ForgetSource() { source_ = nullptr; }

    mutable const IVorlatDataSource* source_;
    RECT crop_;
    RECT work_;
    mutable std::vector<uint8_t> flags_;
    mutable int32_t columns_;
    mutable int32_t firstColumn_;
    mutable int32_t firstRow_;
    int32_t tileSize_;
    int32_t colorSpace_;
    int32_t width_;
    int32_t height_;
    int32_t bits_;
    int32_t channels_;
    int32_t firstChannel_;
    bool runActive_;
    IVorlatTileGrid* runGrid_;
    int32_t runColumn_;
    int32_t runRow_;
    IVorlatImage* runDestination_;
    const IVorlatDataSource* runSource_;
};
