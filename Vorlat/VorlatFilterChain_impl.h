#pragma once

#include <map>
#include <vector>

#include "Vorlat/VorlatFilterChain.h"
#include "Vorlat/VorlatImage.h"

class CVorlatManager;

// One end node of a filter chain: the input terminus receives the chain's
// source, the output terminus feeds the chain's destinations.
class CVorlatTerminus : public IVorlatFilter {
public:
    CVorlatTerminus(IVorlatManager* manager, bool input);
    ~CVorlatTerminus() override;

    // Data source: answered by the first source.
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
    IVorlatError* VorlatAddedDataDestination(const IVorlatDataDestination* destination) override;
    IVorlatError* VorlatRemovedDataDestination(const IVorlatDataDestination* destination) override;

    // Data destination
    IVorlatError* VorlatNotify(const IVorlatDataSource* source, int32_t code, void* param) override;
    IVorlatError* VorlatAddedDataSource(const IVorlatDataSource* source) override;
    IVorlatError* VorlatRemovedDataSource(const IVorlatDataSource* source) override;

    // Filter
    IVorlatError* Enable(bool enable, bool notify) override;
    bool IsEnabled() const override;
    IVorlatManager* GetManager() const override;
    int32_t GetFilterID() const override;
    int32_t GetFilterCode() const override;
    const char* GetFilterDescription() const override;
    IVorlatError* FilterPoint(double*, double*, const IVorlatDataSource**, int32_t) const override;
    IVorlatError* FilterPoint(int32_t*, int32_t*, const IVorlatDataSource**, int32_t) const override;
    IVorlatError* FilterRect(VorlatDblRect*, const IVorlatDataSource**, int32_t) const override;
    IVorlatError* FilterRect(RECT*, const IVorlatDataSource**, int32_t) const override;
    IVorlatError* DefilterPoint(double*, double*, const IVorlatDataSource**, int32_t) const override;
    IVorlatError* DefilterPoint(int32_t*, int32_t*, const IVorlatDataSource**, int32_t) const override;
    IVorlatError* DefilterRect(VorlatDblRect*, const IVorlatDataSource**, int32_t) const override;
    IVorlatError* DefilterRect(RECT*, const IVorlatDataSource**, int32_t) const override;
    IVorlatError* GenerateTile(IVorlatTile*, const IVorlatDataSource**, int32_t) override;
    IVorlatError* Process(const IVorlatDataSource**, int32_t, IVorlatImage*) override;
    IVorlatError* BeginProcess(int32_t*, const IVorlatDataSource**, int32_t, IVorlatImage*) override;
    IVorlatError* ExecuteProcess(int32_t, int32_t*, int32_t*) override;
    IVorlatError* GetProcessInfo(int32_t, const IVorlatDataSource***, int32_t*, IVorlatImage**) override;
    IVorlatError* EndProcess(int32_t) override;

private:
    // The first cached source, or null; tile operations require one.
    const IVorlatDataSource* First() const { return sources_.empty() ? nullptr : sources_[0]; }

    int32_t id_;
    IVorlatManager* manager_;
    bool enabled_ = true;
    bool input_;
    std::vector<const IVorlatDataSource*> sources_;
    std::vector<IVorlatDataDestination*> destinations_;
};

class CVorlatFilterChain : public IVorlatFilterChain {
public:
    explicit CVorlatFilterChain(CVorlatManager* manager);

    // Data source: answered by the output terminus.
    IVorlatError* VorlatAddDataDestinationCheck(IVorlatDataSource** substitute,
                                                const IVorlatDataDestination* destination) const override;
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

    // Data destination
    IVorlatError* VorlatNotify(const IVorlatDataSource* source, int32_t code, void* param) override;
    IVorlatError* VorlatAddDataSourceCheck(const IVorlatDataSource* source,
                                           IVorlatDataDestination** substitute) const override;

    // Filter
    IVorlatError* Enable(bool enable, bool notify) override;
    bool IsEnabled() const override;
    IVorlatManager* GetManager() const override;
    int32_t GetFilterID() const override;
    int32_t GetFilterCode() const override;
    const char* GetFilterDescription() const override;
    IVorlatError* FilterPoint(double* x, double* y, const IVorlatDataSource** sources, int32_t count) const override;
    IVorlatError* FilterPoint(int32_t* x, int32_t* y, const IVorlatDataSource** sources, int32_t count) const override;
    IVorlatError* FilterRect(VorlatDblRect* rect, const IVorlatDataSource** sources, int32_t count) const override;
    IVorlatError* FilterRect(RECT* rect, const IVorlatDataSource** sources, int32_t count) const override;
    IVorlatError* DefilterPoint(double* x, double* y, const IVorlatDataSource** sources, int32_t count) const override;
    IVorlatError* DefilterPoint(int32_t* x, int32_t* y, const IVorlatDataSource** sources,
                                int32_t count) const override;
    IVorlatError* DefilterRect(VorlatDblRect* rect, const IVorlatDataSource** sources, int32_t count) const override;
    IVorlatError* DefilterRect(RECT* rect, const IVorlatDataSource** sources, int32_t count) const override;
    IVorlatError* GenerateTile(IVorlatTile* tile, const IVorlatDataSource** sources, int32_t count) override;
    IVorlatError* Process(const IVorlatDataSource** sources, int32_t count, IVorlatImage* target) override;
    IVorlatError* BeginProcess(int32_t* id, const IVorlatDataSource** sources, int32_t count,
                               IVorlatImage* target) override;
    IVorlatError* ExecuteProcess(int32_t id, int32_t* done, int32_t* total) override;
    IVorlatError* GetProcessInfo(int32_t id, const IVorlatDataSource*** sources, int32_t* count,
                                 IVorlatImage** target) override;
    IVorlatError* EndProcess(int32_t id) override;

    // Chain
    void Destroy() override;
    IVorlatError* UseSource(IVorlatDataSource* source, IVorlatDataSource** previous) override;
    IVorlatError* AddFilter(IVorlatFilter* filter, int32_t position) override;
    IVorlatError* AddFilterAutoDelete(IVorlatFilter* filter, Deleter deleter, int32_t position) override;
    IVorlatError* ExtractFilter(int32_t position, IVorlatFilter** filter) override;
    IVorlatError* RemoveFilter(int32_t position) override;
    int32_t GetFilterCount() const override;
    IVorlatFilter* GetFilter(int32_t position) const override;
    int32_t FindFilterCode(int32_t code, int32_t start) const override;
    int32_t FindFilter(const IVorlatFilter* filter) const override;
    int32_t FindFilter(int32_t code, int32_t id) const override;
    IVorlatDataSource* GetSourceAt(int32_t position) override;
    IVorlatDataDestination* GetDestinationAt(int32_t position) override;
    IVorlatError* ConvertPoint(double* x, double* y, int32_t from, int32_t to) const override;
    IVorlatError* ConvertPoint(int32_t* x, int32_t* y, int32_t from, int32_t to) const override;
    IVorlatError* ConvertRect(VorlatDblRect* rect, int32_t from, int32_t to) const override;
    IVorlatError* ConvertRect(RECT* rect, int32_t from, int32_t to) const override;

    // The record of one step-by-step run.
    struct CProcessInfo {
        const IVorlatDataSource* firstSource;
        const IVorlatDataSource* currentSource;
        IVorlatImage* target;
        IVorlatImage* intermediate;  // owned
        IVorlatImage* currentDestination;
        bool parity;
        std::vector<IVorlatFilter*> filters;  // enabled at BeginProcess, in chain order
        int32_t filterRunId;
        int32_t filterIndex;
    };

private:
    ~CVorlatFilterChain() override;

    IVorlatError* Insert(IVorlatFilter* filter, Deleter deleter, int32_t position);
    IVorlatDataSource* SourceBefore(int32_t position);
    IVorlatDataDestination* DestinationAfter(int32_t position);
    void EndAllRuns();
    template <typename Map>
    IVorlatError* MapThrough(Map map, bool forward) const;

    CVorlatManager* manager_;
    std::vector<IVorlatFilter*> filters_;
    std::vector<Deleter> deleters_;
    CVorlatTerminus* input_;
    CVorlatTerminus* output_;
    bool enabled_ = true;
    std::map<int32_t, CProcessInfo*> runs_;
};
