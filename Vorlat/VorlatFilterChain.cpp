#include "Vorlat/VorlatFilterChain_impl.h"

#include "Vorlat/VorlatConnection.h"
#include "Vorlat/VorlatManager_impl.h"
#include "Vorlat/VorlatModules_impl.h"

namespace {

IVorlatError* Fail(int32_t line, int32_t value)
{
    return IVorlatError::Add(nullptr, kModuleChain, line, kVorlatFromSystem, value);
}

} // namespace

CVorlatFilterChain::CVorlatFilterChain(CVorlatManager* manager)
    : manager_(manager), input_(new CVorlatTerminus(manager, true)), output_(new CVorlatTerminus(manager, false))
{
    if (IVorlatError* error = VorlatDataConnect(input_, output_))
        error->Destroy();
}

CVorlatFilterChain::~CVorlatFilterChain()
{
    for (size_t i = filters_.size(); i-- > 0;) {
        if (deleters_[i])
            deleters_[i](filters_[i]);
    }
    EndAllRuns();
    delete output_;
    delete input_;
    filters_.clear();
    deleters_.clear();
    manager_->ChainDestroyed();
}

void CVorlatFilterChain::Destroy() { delete this; }

// ---- Substitution: whoever links to the chain links to an end node ----------

IVorlatError* CVorlatFilterChain::VorlatAddDataDestinationCheck(IVorlatDataSource** substitute,
                                                                const IVorlatDataDestination*) const
{
    *substitute = output_;
    return nullptr;
}

IVorlatError* CVorlatFilterChain::VorlatAddDataSourceCheck(const IVorlatDataSource*,
                                                           IVorlatDataDestination** substitute) const
{
    *substitute = input_;
    return nullptr;
}

IVorlatError* CVorlatFilterChain::VorlatNotify(const IVorlatDataSource* source, int32_t code, void* param)
{
    IVorlatError* err = nullptr;
    VorlatFailed(&err, kModuleChain, __LINE__, input_->VorlatNotify(source, code, param));
    return err;
}

// ---- Queries: the output terminus answers -----------------------------------

#define CHAIN_FORWARD(call)                                          \
    {                                                                \
        IVorlatError* err = nullptr;                                 \
        VorlatFailed(&err, kModuleChain, __LINE__, output_->call);   \
        return err;                                                  \
    }

IVorlatError* CVorlatFilterChain::GetWidth(int32_t* width) const CHAIN_FORWARD(GetWidth(width))
IVorlatError* CVorlatFilterChain::GetHeight(int32_t* height) const CHAIN_FORWARD(GetHeight(height))
IVorlatError* CVorlatFilterChain::GetColorSpace(int32_t* colorSpace) const CHAIN_FORWARD(GetColorSpace(colorSpace))
IVorlatError* CVorlatFilterChain::GetResolution(double* resolution) const CHAIN_FORWARD(GetResolution(resolution))
IVorlatError* CVorlatFilterChain::GetFlip(bool* flip) const CHAIN_FORWARD(GetFlip(flip))
IVorlatError* CVorlatFilterChain::GetRotation(double* rotation) const CHAIN_FORWARD(GetRotation(rotation))
IVorlatError* CVorlatFilterChain::GetTileSize(int32_t* tileSize) const CHAIN_FORWARD(GetTileSize(tileSize))
IVorlatError* CVorlatFilterChain::GetPalette(VorlatPalette* palette) const CHAIN_FORWARD(GetPalette(palette))
IVorlatError* CVorlatFilterChain::TileExists(bool* exists, const IVorlatTileID& id) const
    CHAIN_FORWARD(TileExists(exists, id))
IVorlatError* CVorlatFilterChain::TileExists(bool* exists, int32_t column, int32_t row) const
    CHAIN_FORWARD(TileExists(exists, column, row))
IVorlatError* CVorlatFilterChain::GetTile(IVorlatTile** tile, const IVorlatTileID& id) const
    CHAIN_FORWARD(GetTile(tile, id))
IVorlatError* CVorlatFilterChain::GetTile(IVorlatTile** tile, int32_t column, int32_t row) const
    CHAIN_FORWARD(GetTile(tile, column, row))
IVorlatError* CVorlatFilterChain::LockTile(void** pixels, RECT* tileRect, RECT* usedRect, int32_t* rowBytes,
                                           const IVorlatTileGrid& grid, int32_t column, int32_t row,
                                           BITMAPINFOHEADER** header) const
    CHAIN_FORWARD(LockTile(pixels, tileRect, usedRect, rowBytes, grid, column, row, header))
IVorlatError* CVorlatFilterChain::LockTile(void** pixels, const IVorlatTileID& id, BITMAPINFOHEADER** header) const
    CHAIN_FORWARD(LockTile(pixels, id, header))
IVorlatError* CVorlatFilterChain::LockTile(void** pixels, int32_t column, int32_t row,
                                           BITMAPINFOHEADER** header) const
    CHAIN_FORWARD(LockTile(pixels, column, row, header))
IVorlatError* CVorlatFilterChain::UnlockTile(const IVorlatTileGrid& grid, int32_t column, int32_t row) const
    CHAIN_FORWARD(UnlockTile(grid, column, row))
IVorlatError* CVorlatFilterChain::UnlockTile(const IVorlatTileID& id) const CHAIN_FORWARD(UnlockTile(id))
IVorlatError* CVorlatFilterChain::UnlockTile(int32_t column, int32_t row) const
    CHAIN_FORWARD(UnlockTile(column, row))
IVorlatError* CVorlatFilterChain::MapRect(IVorlatTileGrid** grid, const RECT& rect) const
    CHAIN_FORWARD(MapRect(grid, rect))

#undef CHAIN_FORWARD

// ---- Filter -----------------------------------------------------------------

IVorlatError* CVorlatFilterChain::Enable(bool enable, bool notify)
{
    IVorlatError* err = nullptr;
    enabled_ = enable;
    if (notify)
        VorlatFailed(&err, kModuleChain, __LINE__, VorlatSendDataNotification(this, kVorlatNotifyUpdateAll, nullptr));
    return err;
}

bool CVorlatFilterChain::IsEnabled() const { return enabled_; }
IVorlatManager* CVorlatFilterChain::GetManager() const { return manager_; }
int32_t CVorlatFilterChain::GetFilterID() const { return input_->GetFilterID(); }
int32_t CVorlatFilterChain::GetFilterCode() const { return VorlatFourCC("fchn"); }
const char* CVorlatFilterChain::GetFilterDescription() const { return "Filter Chain"; }

// Every filter, enabled or not, maps in turn; forward first to last, back last to first.
template <typename Map>
IVorlatError* CVorlatFilterChain::MapThrough(Map map, bool forward) const
{
    IVorlatError* err = nullptr;
    const int32_t n = static_cast<int32_t>(filters_.size());
    for (int32_t i = 0; i < n; ++i) {
        const IVorlatFilter* filter = filters_[static_cast<size_t>(forward ? i : n - 1 - i)];
        if (VorlatFailed(&err, kModuleChain, __LINE__, map(filter)))
            return err;
    }
    return nullptr;
}

IVorlatError* CVorlatFilterChain::FilterPoint(double* x, double* y, const IVorlatDataSource** sources,
                                              int32_t count) const
{
    if (sources || count)
        return nullptr;
    return MapThrough([=](const IVorlatFilter* f) { return f->FilterPoint(x, y, nullptr, 0); }, true);
}

IVorlatError* CVorlatFilterChain::FilterPoint(int32_t* x, int32_t* y, const IVorlatDataSource** sources,
                                              int32_t count) const
{
    if (sources || count)
        return nullptr;
    return MapThrough([=](const IVorlatFilter* f) { return f->FilterPoint(x, y, nullptr, 0); }, true);
}

IVorlatError* CVorlatFilterChain::FilterRect(VorlatDblRect* rect, const IVorlatDataSource** sources,
                                             int32_t count) const
{
    if (sources || count)
        return nullptr;
    return MapThrough([=](const IVorlatFilter* f) { return f->FilterRect(rect, nullptr, 0); }, true);
}

IVorlatError* CVorlatFilterChain::FilterRect(RECT* rect, const IVorlatDataSource** sources, int32_t count) const
{
    if (sources || count)
        return nullptr;
    return MapThrough([=](const IVorlatFilter* f) { return f->FilterRect(rect, nullptr, 0); }, true);
}

IVorlatError* CVorlatFilterChain::DefilterPoint(double* x, double* y, const IVorlatDataSource** sources,
                                                int32_t count) const
{
    if (sources || count)
        return nullptr;
    return MapThrough([=](const IVorlatFilter* f) { return f->DefilterPoint(x, y, nullptr, 0); }, false);
}

IVorlatError* CVorlatFilterChain::DefilterPoint(int32_t* x, int32_t* y, const IVorlatDataSource** sources,
                                                int32_t count) const
{
    if (sources || count)
        return nullptr;
    return MapThrough([=](const IVorlatFilter* f) { return f->DefilterPoint(x, y, nullptr, 0); }, false);
}

IVorlatError* CVorlatFilterChain::DefilterRect(VorlatDblRect* rect, const IVorlatDataSource** sources,
                                               int32_t count) const
{
    if (sources || count)
        return nullptr;
    return MapThrough([=](const IVorlatFilter* f) { return f->DefilterRect(rect, nullptr, 0); }, false);
}

IVorlatError* CVorlatFilterChain::DefilterRect(RECT* rect, const IVorlatDataSource** sources, int32_t count) const
{
    if (sources || count)
        return nullptr;
    return MapThrough([=](const IVorlatFilter* f) { return f->DefilterRect(rect, nullptr, 0); }, false);
}

IVorlatError* CVorlatFilterChain::GenerateTile(IVorlatTile*, const IVorlatDataSource**, int32_t) { return nullptr; }

// ---- Chain ------------------------------------------------------------------

IVorlatError* CVorlatFilterChain::UseSource(IVorlatDataSource* source, IVorlatDataSource** previous)
{
    IVorlatError* err = nullptr;
    if (!source)
        return Fail(__LINE__, kVorlatErrState);
    const IVorlatDataSource* old = nullptr;
    int32_t count = 0;
    if (VorlatFailed(&err, kModuleChain, __LINE__, VorlatGetDataSourceCount(this, &count)))
        return err;
    if (count > 0) {
        if (VorlatFailed(&err, kModuleChain, __LINE__, VorlatGetDataSource(this, &old)) ||
            VorlatFailed(&err, kModuleChain, __LINE__,
                         VorlatDataDisconnect(const_cast<IVorlatDataSource*>(old), this)))
            return err;
    }
    if (VorlatFailed(&err, kModuleChain, __LINE__, VorlatDataConnect(source, this)))
        return err;
    if (previous)
        *previous = const_cast<IVorlatDataSource*>(old);
    return nullptr;
}

IVorlatDataSource* CVorlatFilterChain::SourceBefore(int32_t position)
{
    return position == 0 ? static_cast<IVorlatDataSource*>(input_) : filters_[static_cast<size_t>(position - 1)];
}

IVorlatDataDestination* CVorlatFilterChain::DestinationAfter(int32_t position)
{
    return position + 1 == static_cast<int32_t>(filters_.size())
               ? static_cast<IVorlatDataDestination*>(output_)
               : filters_[static_cast<size_t>(position + 1)];
}

IVorlatError* CVorlatFilterChain::Insert(IVorlatFilter* filter, Deleter deleter, int32_t position)
{
    IVorlatError* err = nullptr;
    const int32_t count = static_cast<int32_t>(filters_.size());
    if (position == -1)
        position = count;
    if (!filter || position < 0 || position > count)
        return Fail(__LINE__, kVorlatErrNoSuchId);
    IVorlatDataDestination* d =
        position == count ? static_cast<IVorlatDataDestination*>(output_) : filters_[static_cast<size_t>(position)];
    IVorlatDataSource* s = SourceBefore(position);

    if (VorlatFailed(&err, kModuleChain, __LINE__, VorlatDataDisconnect(s, d)) ||
        VorlatFailed(&err, kModuleChain, __LINE__, VorlatDataConnect(s, filter))) {
        VorlatFailed(&err, kModuleChain, __LINE__, VorlatDataConnect(s, d));
        return err;
    }
    if (VorlatFailed(&err, kModuleChain, __LINE__, VorlatDataConnect(filter, d))) {
        VorlatFailed(&err, kModuleChain, __LINE__, VorlatDataDisconnect(s, filter));
        VorlatFailed(&err, kModuleChain, __LINE__, VorlatDataConnect(s, d));
        return err;
    }
    filters_.insert(filters_.begin() + position, filter);
    deleters_.insert(deleters_.begin() + position, deleter);
    return nullptr;
}

IVorlatError* CVorlatFilterChain::AddFilter(IVorlatFilter* filter, int32_t position)
{
    return Insert(filter, nullptr, position);
}

IVorlatError* CVorlatFilterChain::AddFilterAutoDelete(IVorlatFilter* filter, Deleter deleter, int32_t position)
{
    return Insert(filter, deleter, position);
}

IVorlatError* CVorlatFilterChain::ExtractFilter(int32_t position, IVorlatFilter** filter)
{
    IVorlatError* err = nullptr;
    if (position < 0 || position >= static_cast<int32_t>(filters_.size()))
        return Fail(__LINE__, kVorlatErrNoSuchId);
    IVorlatFilter* f = filters_[static_cast<size_t>(position)];
    IVorlatDataSource* s = SourceBefore(position);
    IVorlatDataDestination* d = DestinationAfter(position);

    if (VorlatFailed(&err, kModuleChain, __LINE__, VorlatDataDisconnect(s, f)) ||
        VorlatFailed(&err, kModuleChain, __LINE__, VorlatDataDisconnect(f, d))) {
        VorlatFailed(&err, kModuleChain, __LINE__, VorlatDataConnect(s, f));
        return err;
    }
    if (VorlatFailed(&err, kModuleChain, __LINE__, VorlatDataConnect(s, d))) {
        VorlatFailed(&err, kModuleChain, __LINE__, VorlatDataConnect(f, d));
        VorlatFailed(&err, kModuleChain, __LINE__, VorlatDataConnect(s, f));
        return err;
    }
    filters_.erase(filters_.begin() + position);
    deleters_.erase(deleters_.begin() + position);
    if (filter)
        *filter = f;
    return nullptr;
}

IVorlatError* CVorlatFilterChain::RemoveFilter(int32_t position)
{
    IVorlatError* err = nullptr;
    if (position < 0 || position >= static_cast<int32_t>(filters_.size()))
        return Fail(__LINE__, kVorlatErrNoSuchId);
    const Deleter deleter = deleters_[static_cast<size_t>(position)];
    IVorlatFilter* filter = nullptr;
    if (VorlatFailed(&err, kModuleChain, __LINE__, ExtractFilter(position, &filter)))
        return err;
    if (deleter)
        deleter(filter);
    return nullptr;
}

int32_t CVorlatFilterChain::GetFilterCount() const { return static_cast<int32_t>(filters_.size()); }

IVorlatFilter* CVorlatFilterChain::GetFilter(int32_t position) const
{
    if (position < 0 || position >= static_cast<int32_t>(filters_.size()))
        return nullptr;
    return filters_[static_cast<size_t>(position)];
}

int32_t CVorlatFilterChain::FindFilterCode(int32_t code, int32_t start) const
{
    for (int32_t i = std::max(start, 0); i < static_cast<int32_t>(filters_.size()); ++i) {
        if (filters_[static_cast<size_t>(i)]->GetFilterCode() == code)
            return i;
    }
    return -1;
}

int32_t CVorlatFilterChain::FindFilter(const IVorlatFilter* filter) const
{
    for (size_t i = 0; i < filters_.size(); ++i) {
        if (filters_[i] == filter)
            return static_cast<int32_t>(i);
    }
    return -1;
}

int32_t CVorlatFilterChain::FindFilter(int32_t code, int32_t id) const
{
    for (size_t i = 0; i < filters_.size(); ++i) {
        if (filters_[i]->GetFilterCode() == code && filters_[i]->GetFilterID() == id)
            return static_cast<int32_t>(i);
    }
    return -1;
}

IVorlatDataSource* CVorlatFilterChain::GetSourceAt(int32_t position) { return GetFilter(position); }

IVorlatDataDestination* CVorlatFilterChain::GetDestinationAt(int32_t position) { return GetFilter(position); }

// from < to maps forward through from..to, from > to back through from..to.
#define CHAIN_CONVERT(forwardCall, backCall)                                                           \
    {                                                                                                  \
        IVorlatError* err = nullptr;                                                                   \
        const int32_t n = static_cast<int32_t>(filters_.size());                                       \
        if (from == to)                                                                                \
            return nullptr;                                                                            \
        if (from < 0 || to < 0 || from >= n || to >= n)                                                \
            return Fail(__LINE__, kVorlatErrNoSuchId);                                                 \
        const int32_t step = from < to ? 1 : -1;                                                       \
        for (int32_t i = from;; i += step) {                                                           \
            const IVorlatFilter* f = filters_[static_cast<size_t>(i)];                                 \
            if (VorlatFailed(&err, kModuleChain, __LINE__, step > 0 ? f->forwardCall : f->backCall))   \
                return err;                                                                            \
            if (i == to)                                                                               \
                return nullptr;                                                                        \
        }                                                                                              \
    }

IVorlatError* CVorlatFilterChain::ConvertPoint(double* x, double* y, int32_t from, int32_t to) const
    CHAIN_CONVERT(FilterPoint(x, y, nullptr, 0), DefilterPoint(x, y, nullptr, 0))
IVorlatError* CVorlatFilterChain::ConvertPoint(int32_t* x, int32_t* y, int32_t from, int32_t to) const
    CHAIN_CONVERT(FilterPoint(x, y, nullptr, 0), DefilterPoint(x, y, nullptr, 0))
IVorlatError* CVorlatFilterChain::ConvertRect(VorlatDblRect* rect, int32_t from, int32_t to) const
    CHAIN_CONVERT(FilterRect(rect, nullptr, 0), DefilterRect(rect, nullptr, 0))
IVorlatError* CVorlatFilterChain::ConvertRect(RECT* rect, int32_t from, int32_t to) const
    CHAIN_CONVERT(FilterRect(rect, nullptr, 0), DefilterRect(rect, nullptr, 0))

#undef CHAIN_CONVERT
