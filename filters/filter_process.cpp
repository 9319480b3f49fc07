// Filter base: tiles made on demand in the cache image, and the
// begin/execute/end process protocol over a destination image.
#include <new>

#include "filters/VorlatFilterBase.h"

namespace {

constexpr int32_t kFile = kKolvexModuleBase;

} // namespace

// ---- Run record -----------------------------------------------------------------

CVorlatFilterBase::CProcessInfo::CProcessInfo()
    : sources(nullptr), sourceCount(0), destination(nullptr), grid(nullptr), row(0), column(0)
{
}

CVorlatFilterBase::CProcessInfo::CProcessInfo(const IVorlatDataSource** sources_, int32_t count,
                                              IVorlatImage* destination_)
    : sources(sources_), sourceCount(count), destination(destination_), grid(nullptr), row(0), column(0)
{
}

CVorlatFilterBase::CProcessInfo::~CProcessInfo()
{
    if (grid)
        grid->Destroy();
}

void CVorlatFilterBase::CProcessInfo::Destroy() { delete this; }

CVorlatFilterBase::CProcessInfo* CVorlatFilterBase::AllocateProcessInfo(int32_t, const IVorlatDataSource** sources,
                                                                        int32_t count, IVorlatImage* destination)
{
    return new (std::nothrow) CProcessInfo(sources, count, destination);
}

// ---- Tiles on demand ----------------------------------------------------------

IVorlatError* CVorlatFilterBase::GenerateTile(IVorlatTile* tile, const IVorlatDataSource** sources, int32_t count)
{
    IVorlatError* err = nullptr;
    CProcessInfo record(sources, count, nullptr);
    // A nested lock keeps the tile alive while upstream locks look for buffers.
    void* bits = nullptr;
    if (VorlatFailed(&err, kFile, __LINE__, tile->Lock(&bits, nullptr)))
        return err;
    VorlatFailed(&err, kFile, __LINE__, ProcessTile(tile, sources && count ? &record : nullptr));
    tile->SetDirty(true);
    VorlatFailed(&err, kFile, __LINE__, tile->Unlock());
    return err;
}

IVorlatError* CVorlatFilterBase::LockAndGenerate(void** data, IVorlatTile* tile, BITMAPINFOHEADER** header)
{
    IVorlatError* err = nullptr;
    if (VorlatFailed(&err, kFile, __LINE__, CheckCache()))
        return err;
    const bool discarded = tile->IsDiscarded();
    if (VorlatFailed(&err, kFile, __LINE__, cacheImage_->LockTile(data, tile->GetID(), header)))
        return err;
    RECT invalid;
    if (!discarded && !tile->GetInvalidRect(&invalid))
        return nullptr;
    // A discarded tile lost its pixels: all of it is made again.
    if (discarded) {
        RECT whole;
        tile->GetCoordinates(&whole);
        tile->InvalidateRect(whole);
    }
    if (VorlatFailed(&err, kFile, __LINE__, GenerateTile(tile, nullptr, 0)))
        VorlatFailed(&err, kFile, __LINE__, cacheImage_->UnlockTile(tile->GetID()));
    return err;
}

IVorlatError* CVorlatFilterBase::LockTile(void** pixels, int32_t column, int32_t row, BITMAPINFOHEADER** header) const
{
    IVorlatError* err = nullptr;
    if (AnswersFromSource()) {
        const IVorlatDataSource* source = FirstSource();
        if (!source)
            return NoSource(kFile, __LINE__);
        VorlatFailed(&err, kFile, __LINE__, source->LockTile(pixels, column, row, header));
        return err;
    }
    CVorlatFilterBase* self = const_cast<CVorlatFilterBase*>(this);
    IVorlatTile* tile = nullptr;
    if (VorlatFailed(&err, kFile, __LINE__, self->CheckCache()) ||
        VorlatFailed(&err, kFile, __LINE__, cacheImage_->GetTile(&tile, column, row)))
        return err;
    VorlatFailed(&err, kFile, __LINE__, self->LockAndGenerate(pixels, tile, header));
    return err;
}

IVorlatError* CVorlatFilterBase::LockTile(void** pixels, const IVorlatTileID& id, BITMAPINFOHEADER** header) const
{
    IVorlatError* err = nullptr;
    if (AnswersFromSource()) {
        const IVorlatDataSource* source = FirstSource();
        if (!source)
            return NoSource(kFile, __LINE__);
        VorlatFailed(&err, kFile, __LINE__, source->LockTile(pixels, id, header));
        return err;
    }
    CVorlatFilterBase* self = const_cast<CVorlatFilterBase*>(this);
    IVorlatTile* tile = nullptr;
    if (VorlatFailed(&err, kFile, __LINE__, self->CheckCache()) ||
        VorlatFailed(&err, kFile, __LINE__, cacheImage_->GetTile(&tile, id)))
        return err;
    VorlatFailed(&err, kFile, __LINE__, self->LockAndGenerate(pixels, tile, header));
    return err;
}

IVorlatError* CVorlatFilterBase::LockTile(void** pixels, RECT* tileRect, RECT* usedRect, int32_t* rowBytes,
                                          const IVorlatTileGrid& grid, int32_t column, int32_t row,
                                          BITMAPINFOHEADER** header) const
{
    IVorlatError* err = nullptr;
    if (AnswersFromSource()) {
        const IVorlatDataSource* source = FirstSource();
        if (!source)
            return NoSource(kFile, __LINE__);
        VorlatFailed(&err, kFile, __LINE__,
                     source->LockTile(pixels, tileRect, usedRect, rowBytes, grid, column, row, header));
        return err;
    }
    CVorlatFilterBase* self = const_cast<CVorlatFilterBase*>(this);
    IVorlatTile* tile = nullptr;
    if (VorlatFailed(&err, kFile, __LINE__, self->CheckCache()) ||
        VorlatFailed(&err, kFile, __LINE__, grid.GetTile(&tile, column, row)))
        return err;
    tile->GetCoordinates(tileRect);
    if (VorlatFailed(&err, kFile, __LINE__, grid.GetTileUsed(usedRect, column, row)))
        return err;
    if (rowBytes)
        *rowBytes = tile->GetRowBytes();
    VorlatFailed(&err, kFile, __LINE__, self->LockAndGenerate(pixels, tile, header));
    return err;
}

// ---- Process protocol -------------------------------------------------------------

namespace {

// What the destination of a run takes from the filter before any tile is made.
struct OutputGeometry {
    int32_t width = 0, height = 0, colorSpace = 0;
    double resolution = 0.0, rotation = 0.0;
    bool flip = false;
    VorlatPalette palette{};
};

} // namespace

IVorlatError* CVorlatFilterBase::SetUpDestination(const IVorlatDataSource** sources, int32_t count,
                                                  IVorlatImage* destination, RECT* whole)
{
    IVorlatError* err = nullptr;
    OutputGeometry g;
    if (VorlatFailed(&err, kFile, __LINE__, GetFilteredSize(sources, count, &g.width, &g.height)) ||
        VorlatFailed(&err, kFile, __LINE__, GetFilteredColorSpace(sources, count, &g.colorSpace)) ||
        VorlatFailed(&err, kFile, __LINE__, GetFilteredResolution(sources, count, &g.resolution)) ||
        VorlatFailed(&err, kFile, __LINE__, GetFilteredTransform(sources, count, &g.flip, &g.rotation)) ||
        VorlatFailed(&err, kFile, __LINE__, GetFilteredPalette(sources, count, &g.palette)))
        return err;
    if (GetBitsPerPixel(g.colorSpace) == 0)
        return IVorlatError::Add(nullptr, kFile, __LINE__, kKolvexBadDestinationSpace);
    if (VorlatFailed(&err, kFile, __LINE__, destination->SetSize(g.width, g.height)) ||
        VorlatFailed(&err, kFile, __LINE__, destination->SetColorSpace(g.colorSpace)) ||
        VorlatFailed(&err, kFile, __LINE__, destination->SetResolution(g.resolution)) ||
        VorlatFailed(&err, kFile, __LINE__, destination->SetTransform(g.flip, g.rotation, false)) ||
        VorlatFailed(&err, kFile, __LINE__, destination->SetPalette(g.palette)))
        return err;
    *whole = RECT{0, 0, g.width, g.height};
    return nullptr;
}

IVorlatError* CVorlatFilterBase::BeginProcess(int32_t* id, const IVorlatDataSource** sources, int32_t count,
                                              IVorlatImage* destination)
{
    IVorlatError* err = nullptr;
    RECT whole;
    if (IVorlatError* setUp = SetUpDestination(sources, count, destination, &whole))
        return setUp;
    IVorlatTileGrid* grid = nullptr;
    if (VorlatFailed(&err, kFile, __LINE__, destination->MapRect(&grid, whole)))
        return err;
    CProcessInfo* record = AllocateProcessInfo(nextProcessId_, sources, count, destination);
    if (!record) {
        if (grid)
            grid->Destroy();
        return IVorlatError::Add(nullptr, kFile, __LINE__, kVorlatFromSystem, kVorlatErrAllocation);
    }
    try {
        processes_[nextProcessId_] = record;
    } catch (const std::bad_alloc&) {
        record->Destroy();
        if (grid)
            grid->Destroy();
        return IVorlatError::Add(nullptr, kFile, __LINE__, kVorlatFromSystem, kVorlatErrAllocation);
    }
    record->grid = grid;
    *id = nextProcessId_++;
    return nullptr;
}

IVorlatError* CVorlatFilterBase::ExecuteProcess(int32_t id, int32_t* done, int32_t* total)
{
    IVorlatError* err = nullptr;
    auto found = processes_.find(id);
    if (found == processes_.end())
        return IVorlatError::Add(nullptr, kFile, __LINE__, kVorlatFromSystem, kVorlatErrNoSuchId);
    CProcessInfo* record = found->second;
    auto report = [&](int32_t d, int32_t t) {
        if (done)
            *done = d;
        if (total)
            *total = t;
    };
    if (!record->grid) {
        report(0, 0);
        return nullptr;
    }
    const int32_t columns = record->grid->GetColumns();
    const int32_t rows = record->grid->GetRows();
    if (record->column == columns) {
        record->column = 0;
        record->row += 1;
    }
    if (record->row >= rows) {
        record->grid->Destroy();
        record->grid = nullptr;
        report(0, 0);
        return nullptr;
    }
    IVorlatTile* tile = nullptr;
    if (VorlatFailed(&err, kFile, __LINE__, record->grid->GetTile(&tile, record->column, record->row)))
        return err;
    void* bits = nullptr;
    if (VorlatFailed(&err, kFile, __LINE__, tile->Lock(&bits, nullptr)))
        return err;
    if (VorlatFailed(&err, kFile, __LINE__, ProcessTile(tile, record))) {
        IVorlatError* unlock = tile->Unlock();
        if (unlock)
            unlock->Destroy();
        return err;
    }
    tile->SetDirty(true);
    if (VorlatFailed(&err, kFile, __LINE__, tile->Unlock()))
        return err;
    record->column += 1;
    report(columns * record->row + record->column, rows * columns);
    return nullptr;
}

IVorlatError* CVorlatFilterBase::GetProcessInfo(int32_t id, const IVorlatDataSource*** sources, int32_t* count,
                                                IVorlatImage** destination)
{
    auto found = processes_.find(id);
    if (found == processes_.end())
        return IVorlatError::Add(nullptr, kFile, __LINE__, kVorlatFromSystem, kVorlatErrNoSuchId);
    *sources = found->second->sources;
    *count = found->second->sourceCount;
    *destination = found->second->destination;
    return nullptr;
}

IVorlatError* CVorlatFilterBase::EndProcess(int32_t id)
{
    auto found = processes_.find(id);
    if (found == processes_.end())
        return IVorlatError::Add(nullptr, kFile, __LINE__, kVorlatFromSystem, kVorlatErrNoSuchId);
    found->second->Destroy();
    processes_.erase(found);
    return nullptr;
}

IVorlatError* CVorlatFilterBase::Process(const IVorlatDataSource** sources, int32_t count,
                                         IVorlatImage* destination)
{
    IVorlatError* err = nullptr;
    RECT whole;
    if (IVorlatError* setUp = SetUpDestination(sources, count, destination, &whole))
        return setUp;
    IVorlatTileGrid* grid = nullptr;
    VorlatFailed(&err, kFile, __LINE__, destination->MapRect(&grid, whole));
    if (!grid)
        return err;
    for (int32_t row = 0; row < grid->GetRows() && !err; ++row) {
        for (int32_t column = 0; column < grid->GetColumns() && !err; ++column) {
            IVorlatTile* tile = nullptr;
            if (VorlatFailed(&err, kFile, __LINE__, grid->GetTile(&tile, column, row)))
                break;
            VorlatFailed(&err, kFile, __LINE__, GenerateTile(tile, sources, count));
        }
    }
    grid->Destroy();
    return err;
}
