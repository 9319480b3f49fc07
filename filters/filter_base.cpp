// Filter base: state, source queries, the cache image and the reaction to the
// sources' notifications.
#include <algorithm>
#include <new>

#include "filters/VorlatFilterBase.h"

namespace {

constexpr int32_t kFile = kKolvexModuleBase;

// Filter ids are process-wide and never reused.
int32_t g_nextFilterId = 1;

bool SameRect(const RECT& a, const RECT& b)
{
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

} // namespace

CVorlatFilterBase::CVorlatFilterBase(IVorlatManager* manager, int32_t cacheUsage)
    : filterId_(g_nextFilterId++),
      manager_(manager),
      cacheImage_(nullptr),
      cacheDirty_(true),
      cacheUsage_(cacheUsage),
      passThrough_(false),
      sources_(nullptr),
      sourceCount_(0),
      sourceCapacity_(0),
      destinations_(nullptr),
      destinationCount_(0),
      destinationCapacity_(0),
      enabled_(true),
      nextProcessId_(1)
{
}

CVorlatFilterBase::~CVorlatFilterBase()
{
    if (cacheImage_)
        cacheImage_->Destroy();
    delete[] sources_;
    delete[] destinations_;
    // Runs that were never ended would otherwise leak their records and grids.
    for (auto& entry : processes_)
        entry.second->Destroy();
    processes_.clear();
    watchers_.clear();
}

// ---- Helpers ----------------------------------------------------------------

const IVorlatDataSource* CVorlatFilterBase::FirstSource() const
{
    return sourceCount_ > 0 && sources_ ? sources_[0] : nullptr;
}

const IVorlatDataSource* CVorlatFilterBase::ChosenSource(const IVorlatDataSource** sources, int32_t count) const
{
    if (sources && count > 0)
        return sources[0];
    return FirstSource();
}

const IVorlatDataSource* CVorlatFilterBase::ChosenSource(const CProcessInfo* info) const
{
    return info ? ChosenSource(info->sources, info->sourceCount) : FirstSource();
}

IVorlatError* CVorlatFilterBase::NoSource(int32_t module, int32_t line)
{
    return IVorlatError::Add(nullptr, module, line, kVorlatFromSystem, kVorlatErrNoSingleSource);
}

IVorlatError* CVorlatFilterBase::NotifyWholeSource(bool notify, int32_t module)
{
    IVorlatError* err = nullptr;
    const IVorlatDataSource* source = FirstSource();
    if (!notify || !enabled_ || !source)
        return nullptr;
    int32_t width = 0, height = 0;
    if (VorlatFailed(&err, module, __LINE__, source->GetSize(&width, &height)))
        return err;
    RECT whole{0, 0, width, height};
    VorlatFailed(&err, module, __LINE__, VorlatSendDataNotification(this, kVorlatNotifyDataChanged, &whole));
    return err;
}

void CVorlatFilterBase::GetSources(const IVorlatDataSource*** sources, int32_t* count) const
{
    *sources = sources_;
    *count = sourceCount_;
}

// ---- Queries ----------------------------------------------------------------

template <typename Call>
IVorlatError* CVorlatFilterBase::Query(int32_t line, Call call) const
{
    IVorlatError* err = nullptr;
    if (AnswersFromSource()) {
        const IVorlatDataSource* source = FirstSource();
        if (!source)
            return NoSource(kFile, line);
        VorlatFailed(&err, kFile, line, call(*source));
        return err;
    }
    if (VorlatFailed(&err, kFile, line, const_cast<CVorlatFilterBase*>(this)->CheckCache()))
        return err;
    VorlatFailed(&err, kFile, line, call(*static_cast<const IVorlatDataSource*>(cacheImage_)));
    return err;
}

IVorlatError* CVorlatFilterBase::GetWidth(int32_t* width) const
{
    return Query(__LINE__, [&](const IVorlatDataSource& s) { return s.GetWidth(width); });
}

IVorlatError* CVorlatFilterBase::GetHeight(int32_t* height) const
{
    return Query(__LINE__, [&](const IVorlatDataSource& s) { return s.GetHeight(height); });
}

IVorlatError* CVorlatFilterBase::GetColorSpace(int32_t* colorSpace) const
{
    return Query(__LINE__, [&](const IVorlatDataSource& s) { return s.GetColorSpace(colorSpace); });
}

IVorlatError* CVorlatFilterBase::GetResolution(double* resolution) const
{
    return Query(__LINE__, [&](const IVorlatDataSource& s) { return s.GetResolution(resolution); });
}

IVorlatError* CVorlatFilterBase::GetFlip(bool* flip) const
{
    return Query(__LINE__, [&](const IVorlatDataSource& s) { return s.GetFlip(flip); });
}

IVorlatError* CVorlatFilterBase::GetRotation(double* rotation) const
{
    return Query(__LINE__, [&](const IVorlatDataSource& s) { return s.GetRotation(rotation); });
}

IVorlatError* CVorlatFilterBase::GetTileSize(int32_t* tileSize) const
{
    return Query(__LINE__, [&](const IVorlatDataSource& s) { return s.GetTileSize(tileSize); });
}

IVorlatError* CVorlatFilterBase::GetPalette(VorlatPalette* palette) const
{
    return Query(__LINE__, [&](const IVorlatDataSource& s) { return s.GetPalette(palette); });
}

IVorlatError* CVorlatFilterBase::TileExists(bool* exists, const IVorlatTileID& id) const
{
    return Query(__LINE__, [&](const IVorlatDataSource& s) { return s.TileExists(exists, id); });
}

IVorlatError* CVorlatFilterBase::TileExists(bool* exists, int32_t column, int32_t row) const
{
    return Query(__LINE__, [&](const IVorlatDataSource& s) { return s.TileExists(exists, column, row); });
}

IVorlatError* CVorlatFilterBase::GetTile(IVorlatTile** tile, const IVorlatTileID& id) const
{
    return Query(__LINE__, [&](const IVorlatDataSource& s) { return s.GetTile(tile, id); });
}

IVorlatError* CVorlatFilterBase::GetTile(IVorlatTile** tile, int32_t column, int32_t row) const
{
    return Query(__LINE__, [&](const IVorlatDataSource& s) { return s.GetTile(tile, column, row); });
}

IVorlatError* CVorlatFilterBase::UnlockTile(const IVorlatTileGrid& grid, int32_t column, int32_t row) const
{
    return Query(__LINE__, [&](const IVorlatDataSource& s) { return s.UnlockTile(grid, column, row); });
}

IVorlatError* CVorlatFilterBase::UnlockTile(const IVorlatTileID& id) const
{
    return Query(__LINE__, [&](const IVorlatDataSource& s) { return s.UnlockTile(id); });
}

IVorlatError* CVorlatFilterBase::UnlockTile(int32_t column, int32_t row) const
{
    return Query(__LINE__, [&](const IVorlatDataSource& s) { return s.UnlockTile(column, row); });
}

IVorlatError* CVorlatFilterBase::MapRect(IVorlatTileGrid** grid, const RECT& rect) const
{
    return Query(__LINE__, [&](const IVorlatDataSource& s) { return s.MapRect(grid, rect); });
}

// ---- Filter state -----------------------------------------------------------

IVorlatError* CVorlatFilterBase::Enable(bool enable, bool notify)
{
    IVorlatError* err = nullptr;
    if (enabled_ == enable)
        return nullptr;
    enabled_ = enable;
    // While disabled the cache followed none of the source's changes.
    cacheDirty_ = true;
    if (notify)
        VorlatFailed(&err, kFile, __LINE__, VorlatSendDataNotification(this, kVorlatNotifyUpdateAll, nullptr));
    return err;
}

bool CVorlatFilterBase::IsEnabled() const { return enabled_; }

IVorlatManager* CVorlatFilterBase::GetManager() const { return manager_; }

int32_t CVorlatFilterBase::GetFilterID() const { return filterId_; }

int32_t CVorlatFilterBase::GetCacheUsage() const { return cacheUsage_; }

IVorlatError* CVorlatFilterBase::SetCacheUsage(int32_t usage)
{
    IVorlatError* err = nullptr;
    if (usage == cacheUsage_)
        return nullptr;
    cacheDirty_ = true;
    cacheUsage_ = usage;
    if (cacheImage_)
        VorlatFailed(&err, kFile, __LINE__, cacheImage_->SetUsage(usage));
    return err;
}

// ---- Identity mapping ---------------------------------------------------------

IVorlatError* CVorlatFilterBase::FilterPoint(double*, double*, const IVorlatDataSource**, int32_t) const
{
    return nullptr;
}

IVorlatError* CVorlatFilterBase::FilterPoint(int32_t*, int32_t*, const IVorlatDataSource**, int32_t) const
{
    return nullptr;
}

IVorlatError* CVorlatFilterBase::FilterRect(VorlatDblRect*, const IVorlatDataSource**, int32_t) const
{
    return nullptr;
}

IVorlatError* CVorlatFilterBase::FilterRect(RECT*, const IVorlatDataSource**, int32_t) const { return nullptr; }

IVorlatError* CVorlatFilterBase::DefilterPoint(double*, double*, const IVorlatDataSource**, int32_t) const
{
    return nullptr;
}

IVorlatError* CVorlatFilterBase::DefilterPoint(int32_t*, int32_t*, const IVorlatDataSource**, int32_t) const
{
    return nullptr;
}

IVorlatError* CVorlatFilterBase::DefilterRect(VorlatDblRect*, const IVorlatDataSource**, int32_t) const
{
    return nullptr;
}

IVorlatError* CVorlatFilterBase::DefilterRect(RECT*, const IVorlatDataSource**, int32_t) const { return nullptr; }

// ---- Connections ------------------------------------------------------------

IVorlatError* CVorlatFilterBase::VorlatAddedDataSource(const IVorlatDataSource*)
{
    IVorlatError* err = nullptr;
    int32_t count = 0;
    if (VorlatFailed(&err, kFile, __LINE__, VorlatGetDataSourceCount(this, &count)))
        return err;
    if (count > sourceCapacity_) {
        const IVorlatDataSource** grown = new (std::nothrow) const IVorlatDataSource*[count];
        if (!grown)
            return IVorlatError::Add(nullptr, kFile, __LINE__, kVorlatFromSystem, kVorlatErrAllocation);
        delete[] sources_;
        sources_ = grown;
        sourceCapacity_ = count;
    }
    sourceCount_ = count;
    if (VorlatFailed(&err, kFile, __LINE__, VorlatGetDataSources(this, sources_, sourceCount_)))
        return err;
    cacheDirty_ = true;
    return nullptr;
}

IVorlatError* CVorlatFilterBase::VorlatRemovedDataSource(const IVorlatDataSource*)
{
    IVorlatError* err = nullptr;
    int32_t count = 0;
    if (VorlatFailed(&err, kFile, __LINE__, VorlatGetDataSourceCount(this, &count)))
        return err;
    // The array keeps its capacity; a count above it cannot come from a removal.
    sourceCount_ = std::min(count, sourceCapacity_);
    if (sourceCount_ > 0 && VorlatFailed(&err, kFile, __LINE__, VorlatGetDataSources(this, sources_, sourceCount_)))
        return err;
    cacheDirty_ = true;
    return nullptr;
}

IVorlatError* CVorlatFilterBase::VorlatAddedDataDestination(const IVorlatDataDestination*)
{
    IVorlatError* err = nullptr;
    int32_t count = 0;
    if (VorlatFailed(&err, kFile, __LINE__, VorlatGetDataDestinationCount(this, &count)))
        return err;
    if (count > destinationCapacity_) {
        IVorlatDataDestination** grown = new (std::nothrow) IVorlatDataDestination*[count];
        if (!grown)
            return IVorlatError::Add(nullptr, kFile, __LINE__, kVorlatFromSystem, kVorlatErrAllocation);
        delete[] destinations_;
        destinations_ = grown;
        destinationCapacity_ = count;
    }
    destinationCount_ = count;
    VorlatFailed(&err, kFile, __LINE__, VorlatGetDataDestinations(this, destinations_, destinationCount_));
    return err;
}

IVorlatError* CVorlatFilterBase::VorlatRemovedDataDestination(const IVorlatDataDestination*)
{
    IVorlatError* err = nullptr;
    int32_t count = 0;
    if (VorlatFailed(&err, kFile, __LINE__, VorlatGetDataDestinationCount(this, &count)))
        return err;
    destinationCount_ = std::min(count, destinationCapacity_);
    if (destinationCount_ > 0)
        VorlatFailed(&err, kFile, __LINE__, VorlatGetDataDestinations(this, destinations_, destinationCount_));
    return err;
}

// ---- Notifications ----------------------------------------------------------

IVorlatError* CVorlatFilterBase::VorlatNotify(const IVorlatDataSource* source, int32_t code, void* param)
{
    IVorlatError* err = nullptr;
    IVorlatError* result = nullptr;
    if (code < 0)
        result = FilterUser(source, code, param);
    else if (code == kVorlatNotifyDataChanged)
        result = FilterData(source, static_cast<RECT*>(param));
    else if (code == kVorlatNotifySize)
        result = FilterSize(source, static_cast<IVorlatDataDestination::ChangeSize*>(param));
    else if (code == kVorlatNotifyColorSpace)
        result = FilterColorSpace(source, static_cast<IVorlatDataDestination::ChangeColorSpace*>(param));
    else if (code == kVorlatNotifyResolution)
        result = FilterResolution(source, static_cast<IVorlatDataDestination::ChangeResolution*>(param));
    else if (code == kVorlatNotifyTransform)
        result = FilterTransform(source, static_cast<IVorlatDataDestination::ChangeTransform*>(param));
    else if (code == kVorlatNotifyPalette)
        result = FilterPalette(source, static_cast<IVorlatDataDestination::ChangePalette*>(param));
    else if (code == kVorlatNotifyDestroyed)
        result = FilterDestroy(source);
    else if (code == kVorlatNotifyUpdateAll)
        result = FilterUpdateAll(source);
    VorlatFailed(&err, kFile, __LINE__, result);
    return err;
}

IVorlatError* CVorlatFilterBase::FilterUser(const IVorlatDataSource*, int32_t code, void* data)
{
    IVorlatError* err = nullptr;
    VorlatFailed(&err, kFile, __LINE__, VorlatSendDataNotification(this, code, data));
    return err;
}

IVorlatError* CVorlatFilterBase::FilterData(const IVorlatDataSource* source, RECT* rect)
{
    IVorlatError* err = nullptr;
    RECT changed = rect ? *rect : RECT{0, 0, 0, 0};
    const IVorlatDataSource* notifying[] = {source};
    if (VorlatFailed(&err, kFile, __LINE__, FilterRect(&changed, notifying, 1)))
        return err;
    int32_t width = 0, height = 0;
    if (VorlatFailed(&err, kFile, __LINE__, GetSize(&width, &height)))
        return err;
    changed.left = std::max<int32_t>(0, std::min<int32_t>(changed.left, width - 1));
    changed.top = std::max<int32_t>(0, std::min<int32_t>(changed.top, height - 1));
    if (changed.right <= changed.left)
        changed.right = changed.left + 1;
    else if (changed.right > width)
        changed.right = width;
    if (changed.bottom <= changed.top)
        changed.bottom = changed.top + 1;
    else if (changed.bottom > height)
        changed.bottom = height;
    if (VorlatFailed(&err, kFile, __LINE__, InvalidateCache(changed)))
        return err;
    VorlatFailed(&err, kFile, __LINE__, VorlatSendDataNotification(this, kVorlatNotifyDataChanged, &changed));
    return err;
}

IVorlatError* CVorlatFilterBase::FilterSize(const IVorlatDataSource*, IVorlatDataDestination::ChangeSize* change)
{
    IVorlatError* err = nullptr;
    cacheDirty_ = true;
    VorlatFailed(&err, kFile, __LINE__, VorlatSendDataNotification(this, kVorlatNotifySize, change));
    return err;
}

IVorlatError* CVorlatFilterBase::FilterColorSpace(const IVorlatDataSource*,
                                                  IVorlatDataDestination::ChangeColorSpace* change)
{
    IVorlatError* err = nullptr;
    cacheDirty_ = true;
    VorlatFailed(&err, kFile, __LINE__, VorlatSendDataNotification(this, kVorlatNotifyColorSpace, change));
    return err;
}

IVorlatError* CVorlatFilterBase::FilterResolution(const IVorlatDataSource*,
                                                  IVorlatDataDestination::ChangeResolution* change)
{
    IVorlatError* err = nullptr;
    cacheDirty_ = true;
    VorlatFailed(&err, kFile, __LINE__, VorlatSendDataNotification(this, kVorlatNotifyResolution, change));
    return err;
}

IVorlatError* CVorlatFilterBase::FilterTransform(const IVorlatDataSource*,
                                                 IVorlatDataDestination::ChangeTransform* change)
{
    IVorlatError* err = nullptr;
    cacheDirty_ = true;
    VorlatFailed(&err, kFile, __LINE__, VorlatSendDataNotification(this, kVorlatNotifyTransform, change));
    return err;
}

IVorlatError* CVorlatFilterBase::FilterPalette(const IVorlatDataSource*,
                                               IVorlatDataDestination::ChangePalette* change)
{
    IVorlatError* err = nullptr;
    cacheDirty_ = true;
    VorlatFailed(&err, kFile, __LINE__, VorlatSendDataNotification(this, kVorlatNotifyPalette, change));
    return err;
}

IVorlatError* CVorlatFilterBase::FilterDestroy(const IVorlatDataSource*)
{
    cacheDirty_ = true;
    return nullptr;
}

IVorlatError* CVorlatFilterBase::FilterUpdateAll(const IVorlatDataSource*)
{
    IVorlatError* err = nullptr;
    cacheDirty_ = true;
    VorlatFailed(&err, kFile, __LINE__, VorlatSendDataNotification(this, kVorlatNotifyUpdateAll, nullptr));
    return err;
}

// ---- Geometry of the output ---------------------------------------------------

IVorlatError* CVorlatFilterBase::GetFilteredSize(const IVorlatDataSource** sources, int32_t, int32_t* width,
                                                 int32_t* height)
{
    IVorlatError* err = nullptr;
    if (!sources || !sources[0])
        return NoSource(kFile, __LINE__);
    VorlatFailed(&err, kFile, __LINE__, sources[0]->GetSize(width, height));
    return err;
}

IVorlatError* CVorlatFilterBase::GetFilteredColorSpace(const IVorlatDataSource** sources, int32_t,
                                                       int32_t* colorSpace)
{
    IVorlatError* err = nullptr;
    if (!sources || !sources[0])
        return NoSource(kFile, __LINE__);
    VorlatFailed(&err, kFile, __LINE__, sources[0]->GetColorSpace(colorSpace));
    return err;
}

IVorlatError* CVorlatFilterBase::GetFilteredResolution(const IVorlatDataSource** sources, int32_t,
                                                       double* resolution)
{
    IVorlatError* err = nullptr;
    if (!sources || !sources[0])
        return NoSource(kFile, __LINE__);
    VorlatFailed(&err, kFile, __LINE__, sources[0]->GetResolution(resolution));
    return err;
}

IVorlatError* CVorlatFilterBase::GetFilteredTransform(const IVorlatDataSource** sources, int32_t, bool* flip,
                                                      double* rotation)
{
    IVorlatError* err = nullptr;
    if (!sources || !sources[0])
        return NoSource(kFile, __LINE__);
    VorlatFailed(&err, kFile, __LINE__, sources[0]->GetTransform(flip, rotation));
    return err;
}

IVorlatError* CVorlatFilterBase::GetFilteredPalette(const IVorlatDataSource** sources, int32_t,
                                                    VorlatPalette* palette)
{
    IVorlatError* err = nullptr;
    if (!sources || !sources[0])
        return NoSource(kFile, __LINE__);
    VorlatFailed(&err, kFile, __LINE__, sources[0]->GetPalette(palette));
    return err;
}

// ---- The cache image ----------------------------------------------------------

IVorlatError* CVorlatFilterBase::DropOrInvalidate(IVorlatTile* tile, const RECT& covered, const RECT& whole)
{
    if (!SameRect(covered, whole)) {
        tile->InvalidateRect(covered);
        return nullptr;
    }
    // Someone still holds the buffer of a locked tile: it is made again when
    // next locked instead of going away under its holder.
    if (tile->IsLocked())
        tile->InvalidateRect(whole);
    else
        tile->Destroy();
    return nullptr;
}

IVorlatError* CVorlatFilterBase::CheckCache()
{
    IVorlatError* err = nullptr;
    if (!cacheDirty_)
        return nullptr;
    if (!cacheImage_ && VorlatFailed(&err, kFile, __LINE__, manager_->CreateImage(&cacheImage_, cacheUsage_)))
        return err;
    int32_t width = 0, height = 0, colorSpace = 0;
    double resolution = 0.0, rotation = 0.0;
    bool flip = false;
    VorlatPalette palette{};
    if (VorlatFailed(&err, kFile, __LINE__, GetFilteredSize(sources_, sourceCount_, &width, &height)) ||
        VorlatFailed(&err, kFile, __LINE__, GetFilteredColorSpace(sources_, sourceCount_, &colorSpace)) ||
        VorlatFailed(&err, kFile, __LINE__, GetFilteredResolution(sources_, sourceCount_, &resolution)) ||
        VorlatFailed(&err, kFile, __LINE__, GetFilteredTransform(sources_, sourceCount_, &flip, &rotation)) ||
        VorlatFailed(&err, kFile, __LINE__, GetFilteredPalette(sources_, sourceCount_, &palette)))
        return err;
    // A cache without a pixel layout would hand out tiles of another one.
    if (GetBitsPerPixel(colorSpace) == 0)
        return IVorlatError::Add(nullptr, kFile, __LINE__, kKolvexBadDestinationSpace);
    int32_t tileSize = 0;
    if (VorlatFailed(&err, kFile, __LINE__, cacheImage_->SetSize(width, height)) ||
        VorlatFailed(&err, kFile, __LINE__, cacheImage_->SetColorSpace(colorSpace)) ||
        VorlatFailed(&err, kFile, __LINE__, cacheImage_->SetResolution(resolution)) ||
        VorlatFailed(&err, kFile, __LINE__, cacheImage_->SetTransform(flip, rotation, false)) ||
        VorlatFailed(&err, kFile, __LINE__, cacheImage_->SetPalette(palette)) ||
        VorlatFailed(&err, kFile, __LINE__, cacheImage_->GetTileSize(&tileSize)))
        return err;
    if (tileSize > 0) {
        const int32_t rows = static_cast<int32_t>((static_cast<int64_t>(height) + tileSize - 1) / tileSize);
        const int32_t columns = static_cast<int32_t>((static_cast<int64_t>(width) + tileSize - 1) / tileSize);
        for (int32_t row = rows - 1; row >= 0; --row) {
            for (int32_t column = columns - 1; column >= 0; --column) {
                bool exists = false;
                if (VorlatFailed(&err, kFile, __LINE__, cacheImage_->TileExists(&exists, column, row)))
                    return err;
                if (!exists)
                    continue;
                IVorlatTile* tile = nullptr;
                if (VorlatFailed(&err, kFile, __LINE__, cacheImage_->GetTile(&tile, column, row)))
                    return err;
                RECT whole;
                tile->GetCoordinates(&whole);
                DropOrInvalidate(tile, whole, whole);
            }
        }
    }
    cacheDirty_ = false;
    return nullptr;
}

IVorlatError* CVorlatFilterBase::InvalidateCache(const RECT& rect)
{
    IVorlatError* err = nullptr;
    if (!cacheImage_)
        return nullptr;
    if (VorlatFailed(&err, kFile, __LINE__, CheckCache()))
        return err;
    return InvalidateImageRect(cacheImage_, rect);
}

IVorlatError* CVorlatFilterBase::InvalidateImageRect(IVorlatImage* image, const RECT& rect)
{
    IVorlatError* err = nullptr;
    // The grid is not clipped to the image; a rectangle beyond it would name tiles of no one.
    int32_t width = 0, height = 0;
    if (VorlatFailed(&err, kFile, __LINE__, image->GetSize(&width, &height)))
        return err;
    RECT clipped{std::max<int32_t>(rect.left, 0), std::max<int32_t>(rect.top, 0), std::min<int32_t>(rect.right, width),
                 std::min<int32_t>(rect.bottom, height)};
    if (clipped.right <= clipped.left || clipped.bottom <= clipped.top)
        return nullptr;
    IVorlatTileGrid* grid = nullptr;
    if (VorlatFailed(&err, kFile, __LINE__, image->MapRect(&grid, clipped)))
        return err;
    if (!grid)
        return nullptr;
    for (int32_t row = 0; row < grid->GetRows() && !err; ++row) {
        for (int32_t column = 0; column < grid->GetColumns() && !err; ++column) {
            bool exists = false;
            if (VorlatFailed(&err, kFile, __LINE__, grid->TileExists(&exists, column, row)) || !exists)
                continue;
            IVorlatTile* tile = nullptr;
            RECT used, whole;
            if (VorlatFailed(&err, kFile, __LINE__, grid->GetTile(&tile, column, row)) ||
                VorlatFailed(&err, kFile, __LINE__, grid->GetTileUsed(&used, column, row)) ||
                VorlatFailed(&err, kFile, __LINE__, grid->GetTileRect(&whole, column, row)))
                continue;
            DropOrInvalidate(tile, used, whole);
        }
    }
    grid->Destroy();
    return err;
}
