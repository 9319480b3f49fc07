// The two end nodes of a filter chain.
#include <cstddef>
#include <new>

#include "Vorlat/VorlatConnection.h"
#include "Vorlat/VorlatFilterChain_impl.h"
#include "Vorlat/VorlatModules_impl.h"

namespace {

int32_t NextTerminusId()
{
    static int32_t next = 1;
    return next++;
}

IVorlatError* NoSource(int32_t line)
{
    return IVorlatError::Add(nullptr, kModuleTerminus, line, kVorlatFromSystem, kVorlatErrNoSingleSource);
}

} // namespace

CVorlatTerminus::CVorlatTerminus(IVorlatManager* manager, bool input)
    : id_(NextTerminusId()), manager_(manager), input_(input)
{
}

CVorlatTerminus::~CVorlatTerminus() = default;

// ---- Cached links -----------------------------------------------------------

IVorlatError* CVorlatTerminus::VorlatAddedDataSource(const IVorlatDataSource*)
{
    IVorlatError* err = nullptr;
    int32_t count = 0;
    if (VorlatFailed(&err, kModuleTerminus, __LINE__, VorlatGetDataSourceCount(this, &count)))
        return err;
    try {
        sources_.resize(static_cast<size_t>(count));
    } catch (const std::bad_alloc&) {
        return IVorlatError::Add(nullptr, kModuleTerminus, __LINE__, kVorlatFromSystem, kVorlatErrAllocation);
    }
    VorlatFailed(&err, kModuleTerminus, __LINE__, VorlatGetDataSources(this, sources_.data(), count));
    return err;
}

IVorlatError* CVorlatTerminus::VorlatRemovedDataSource(const IVorlatDataSource* source)
{
    return VorlatAddedDataSource(source);
}

IVorlatError* CVorlatTerminus::VorlatAddedDataDestination(const IVorlatDataDestination*)
{
    IVorlatError* err = nullptr;
    int32_t count = 0;
    if (VorlatFailed(&err, kModuleTerminus, __LINE__, VorlatGetDataDestinationCount(this, &count)))
        return err;
    try {
        destinations_.resize(static_cast<size_t>(count));
    } catch (const std::bad_alloc&) {
        return IVorlatError::Add(nullptr, kModuleTerminus, __LINE__, kVorlatFromSystem, kVorlatErrAllocation);
    }
    VorlatFailed(&err, kModuleTerminus, __LINE__, VorlatGetDataDestinations(this, destinations_.data(), count));
    return err;
}

IVorlatError* CVorlatTerminus::VorlatRemovedDataDestination(const IVorlatDataDestination* destination)
{
    return VorlatAddedDataDestination(destination);
}

IVorlatError* CVorlatTerminus::VorlatNotify(const IVorlatDataSource*, int32_t code, void* param)
{
    // Newest link first, as the registry sends; the terminus names itself as the source.
    IVorlatError* err = nullptr;
    VorlatFailed(&err, kModuleTerminus, __LINE__, VorlatSendDataNotification(this, code, param));
    return err;
}

// ---- Queries ----------------------------------------------------------------

#define TERMINUS_FORWARD(call, fallback)                                      \
    {                                                                         \
        IVorlatError* err = nullptr;                                          \
        const IVorlatDataSource* source = First();                            \
        if (!source) {                                                        \
            fallback;                                                         \
        }                                                                     \
        VorlatFailed(&err, kModuleTerminus, __LINE__, source->call);          \
        return err;                                                           \
    }

IVorlatError* CVorlatTerminus::GetWidth(int32_t* width) const
    TERMINUS_FORWARD(GetWidth(width), *width = 0; return nullptr)
IVorlatError* CVorlatTerminus::GetHeight(int32_t* height) const
    TERMINUS_FORWARD(GetHeight(height), *height = 0; return nullptr)
IVorlatError* CVorlatTerminus::GetColorSpace(int32_t* colorSpace) const
    TERMINUS_FORWARD(GetColorSpace(colorSpace), *colorSpace = 0; return nullptr)
IVorlatError* CVorlatTerminus::GetResolution(double* resolution) const
    TERMINUS_FORWARD(GetResolution(resolution), *resolution = 72.0; return nullptr)
IVorlatError* CVorlatTerminus::GetFlip(bool* flip) const
    TERMINUS_FORWARD(GetFlip(flip), *flip = false; return nullptr)
IVorlatError* CVorlatTerminus::GetRotation(double* rotation) const
    TERMINUS_FORWARD(GetRotation(rotation), *rotation = 0.0; return nullptr)
IVorlatError* CVorlatTerminus::GetPalette(VorlatPalette* palette) const
    TERMINUS_FORWARD(GetPalette(palette), return nullptr)
IVorlatError* CVorlatTerminus::GetTileSize(int32_t* tileSize) const
    TERMINUS_FORWARD(GetTileSize(tileSize), return NoSource(__LINE__))
IVorlatError* CVorlatTerminus::TileExists(bool* exists, const IVorlatTileID& id) const
    TERMINUS_FORWARD(TileExists(exists, id), return NoSource(__LINE__))
IVorlatError* CVorlatTerminus::TileExists(bool* exists, int32_t column, int32_t row) const
    TERMINUS_FORWARD(TileExists(exists, column, row), return NoSource(__LINE__))
IVorlatError* CVorlatTerminus::GetTile(IVorlatTile** tile, const IVorlatTileID& id) const
    TERMINUS_FORWARD(GetTile(tile, id), return NoSource(__LINE__))
IVorlatError* CVorlatTerminus::GetTile(IVorlatTile** tile, int32_t column, int32_t row) const
    TERMINUS_FORWARD(GetTile(tile, column, row), return NoSource(__LINE__))
IVorlatError* CVorlatTerminus::LockTile(void** pixels, RECT* tileRect, RECT* usedRect, int32_t* rowBytes,
                                        const IVorlatTileGrid& grid, int32_t column, int32_t row,
                                        BITMAPINFOHEADER** header) const
    TERMINUS_FORWARD(LockTile(pixels, tileRect, usedRect, rowBytes, grid, column, row, header),
                     return NoSource(__LINE__))
IVorlatError* CVorlatTerminus::LockTile(void** pixels, const IVorlatTileID& id, BITMAPINFOHEADER** header) const
    TERMINUS_FORWARD(LockTile(pixels, id, header), return NoSource(__LINE__))
IVorlatError* CVorlatTerminus::LockTile(void** pixels, int32_t column, int32_t row, BITMAPINFOHEADER** header) const
    TERMINUS_FORWARD(LockTile(pixels, column, row, header), return NoSource(__LINE__))
IVorlatError* CVorlatTerminus::UnlockTile(const IVorlatTileGrid& grid, int32_t column, int32_t row) const
    TERMINUS_FORWARD(UnlockTile(grid, column, row), return NoSource(__LINE__))
IVorlatError* CVorlatTerminus::UnlockTile(const IVorlatTileID& id) const
    TERMINUS_FORWARD(UnlockTile(id), return NoSource(__LINE__))
IVorlatError* CVorlatTerminus::UnlockTile(int32_t column, int32_t row) const
    TERMINUS_FORWARD(UnlockTile(column, row), return NoSource(__LINE__))
IVorlatError* CVorlatTerminus::MapRect(IVorlatTileGrid** grid, const RECT& rect) const
    TERMINUS_FORWARD(MapRect(grid, rect), *grid = nullptr; return NoSource(__LINE__))

#undef TERMINUS_FORWARD

// ---- Filter -----------------------------------------------------------------

IVorlatError* CVorlatTerminus::Enable(bool enable, bool notify)
{
    IVorlatError* err = nullptr;
    enabled_ = enable;
    if (notify)
        VorlatFailed(&err, kModuleTerminus, __LINE__, VorlatSendDataNotification(this, kVorlatNotifyUpdateAll, nullptr));
    return err;
}

bool CVorlatTerminus::IsEnabled() const { return enabled_; }
IVorlatManager* CVorlatTerminus::GetManager() const { return manager_; }
int32_t CVorlatTerminus::GetFilterID() const { return id_; }
int32_t CVorlatTerminus::GetFilterCode() const { return VorlatFourCC("term"); }
const char* CVorlatTerminus::GetFilterDescription() const { return "Filter Chain Terminus"; }

// A terminus passes data through unchanged.
IVorlatError* CVorlatTerminus::FilterPoint(double*, double*, const IVorlatDataSource**, int32_t) const { return nullptr; }
IVorlatError* CVorlatTerminus::FilterPoint(int32_t*, int32_t*, const IVorlatDataSource**, int32_t) const { return nullptr; }
IVorlatError* CVorlatTerminus::FilterRect(VorlatDblRect*, const IVorlatDataSource**, int32_t) const { return nullptr; }
IVorlatError* CVorlatTerminus::FilterRect(RECT*, const IVorlatDataSource**, int32_t) const { return nullptr; }
IVorlatError* CVorlatTerminus::DefilterPoint(double*, double*, const IVorlatDataSource**, int32_t) const { return nullptr; }
IVorlatError* CVorlatTerminus::DefilterPoint(int32_t*, int32_t*, const IVorlatDataSource**, int32_t) const { return nullptr; }
IVorlatError* CVorlatTerminus::DefilterRect(VorlatDblRect*, const IVorlatDataSource**, int32_t) const { return nullptr; }
IVorlatError* CVorlatTerminus::DefilterRect(RECT*, const IVorlatDataSource**, int32_t) const { return nullptr; }
IVorlatError* CVorlatTerminus::GenerateTile(IVorlatTile*, const IVorlatDataSource**, int32_t) { return nullptr; }
IVorlatError* CVorlatTerminus::Process(const IVorlatDataSource**, int32_t, IVorlatImage*) { return nullptr; }
IVorlatError* CVorlatTerminus::BeginProcess(int32_t*, const IVorlatDataSource**, int32_t, IVorlatImage*) { return nullptr; }
IVorlatError* CVorlatTerminus::ExecuteProcess(int32_t, int32_t*, int32_t*) { return nullptr; }
IVorlatError* CVorlatTerminus::GetProcessInfo(int32_t, const IVorlatDataSource***, int32_t*, IVorlatImage**) { return nullptr; }
IVorlatError* CVorlatTerminus::EndProcess(int32_t) { return nullptr; }
