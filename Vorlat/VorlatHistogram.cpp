#include "Vorlat/VorlatHistogram_impl.h"

#include <cstdint>
#include <cstring>
#include <new>

#include "Vorlat/VorlatConnection.h"
#include "Vorlat/VorlatDataSource.h"
#include "Vorlat/VorlatManager_impl.h"
#include "Vorlat/VorlatModules_impl.h"
#include "Vorlat/VorlatTileGrid.h"

namespace {

IVorlatError* Fail(int32_t line, int32_t value)
{
    return IVorlatError::Add(nullptr, kModuleHistogram, line, kVorlatFromSystem, value);
}

// Adds the levels of one channel of the used rectangle of a tile.
// step: bytes per pixel; offset: the channel's byte (or 16-bit word, high byte counted).
void CountRows(const uint8_t* first, int32_t rowBytes, int32_t width, int32_t height, int32_t colorSpace,
               int32_t channel, int32_t* counts)
{
    for (int32_t y = 0; y < height; ++y) {
        const uint8_t* p = first + static_cast<int64_t>(y) * rowBytes;
        switch (colorSpace) {
        case 2:
        case 19:
            for (int32_t x = 0; x < width; ++x)
                ++counts[p[x]];
            break;
        case 3:
        case 64:
        case 65:
        case 66:
            for (int32_t x = 0; x < width; ++x) {
                uint16_t v;
                std::memcpy(&v, p + 2 * x, 2);
                ++counts[v >> 8];
            }
            break;
        case 32:
        case 38:
        case 39:
        case 40:
            if (channel == 0) {
                for (int32_t x = 0; x < width; ++x, p += 3)
                    ++counts[(p[0] + p[1] + p[2]) / 3];
            } else if (channel <= 3) {
                p += channel - 1;
                for (int32_t x = 0; x < width; ++x, p += 3)
                    ++counts[*p];
            }
            break;
        case 33:
        case 35:
        case 36:
        case 37:
            for (int32_t x = 0; x < width; ++x, p += 6) {
                uint16_t w[3];
                std::memcpy(w, p, 6);
                if (channel == 0)
                    ++counts[(w[0] + w[1] + w[2]) / 768];
                else if (channel <= 3)
                    ++counts[w[channel - 1] >> 8];
            }
            break;
        case 34:
            if (channel == 0) {
                for (int32_t x = 0; x < width; ++x, p += 4)
                    ++counts[(p[0] + p[1] + p[2] + p[3]) / 4];
            } else {
                p += channel - 1;
                for (int32_t x = 0; x < width; ++x, p += 4)
                    ++counts[*p];
            }
            break;
        default:
            return;
        }
    }
}


} // namespace

CVorlatHistogram::CVorlatHistogram(CVorlatManager* manager) : manager_(manager) {}

CVorlatHistogram::~CVorlatHistogram() { DiscardHistogram(); }

void CVorlatHistogram::Destroy() { delete this; }

IVorlatManager* CVorlatHistogram::GetManager() const { return manager_; }

IVorlatError* CVorlatHistogram::VorlatAddedDataSource(const IVorlatDataSource*)
{
    IVorlatError* err = nullptr;
    int32_t count = 0;
    if (VorlatFailed(&err, kModuleHistogram, __LINE__, VorlatGetDataSourceCount(this, &count)))
        return err;
    try {
        sources_.resize(static_cast<size_t>(count));
    } catch (const std::bad_alloc&) {
        return Fail(__LINE__, kVorlatErrAllocation);
    }
    VorlatFailed(&err, kModuleHistogram, __LINE__, VorlatGetDataSources(this, sources_.data(), count));
    return err;
}

IVorlatError* CVorlatHistogram::VorlatRemovedDataSource(const IVorlatDataSource* source)
{
    return VorlatAddedDataSource(source);
}

IVorlatError* CVorlatHistogram::VorlatNotify(const IVorlatDataSource* source, int32_t code, void*)
{
    if (!sources_.empty() && source == sources_[0] && code >= kVorlatNotifyDataChanged &&
        code <= kVorlatNotifyUpdateAll)
        DiscardHistogram();
    return nullptr;
}

void CVorlatHistogram::DiscardHistogram()
{
    for (ChannelCache& cache : caches_) {
        delete[] cache.counts;
        cache.counts = nullptr;
        cache.rect = RECT{0, 0, 0, 0};
    }
}

IVorlatError* CVorlatHistogram::Count(const IVorlatDataSource* source, const RECT& rect, int32_t channel,
                                      int32_t* counts)
{
    IVorlatError* err = nullptr;
    IVorlatTileGrid* grid = nullptr;
    if (VorlatFailed(&err, kModuleHistogram, __LINE__, source->MapRect(&grid, rect)))
        return err;
    std::memset(counts, 0, 256 * sizeof(int32_t));
    if (!grid)
        return nullptr;
    const int32_t bytesPerPixel = IVorlatDataSource::GetBitsPerPixel(colorSpace_) / 8;
    for (int32_t row = 0; row < grid->GetRows() && !err; ++row) {
        for (int32_t column = 0; column < grid->GetColumns(); ++column) {
            void* pixels = nullptr;
            RECT tileRect, used;
            int32_t rowBytes = 0;
            if (VorlatFailed(&err, kModuleHistogram, __LINE__,
                             source->LockTile(&pixels, &tileRect, &used, &rowBytes, *grid, column, row, nullptr)))
                break;
            const uint8_t* first = static_cast<const uint8_t*>(pixels) +
                                   static_cast<int64_t>(used.top - tileRect.top) * rowBytes +
                                   static_cast<int64_t>(used.left - tileRect.left) * bytesPerPixel;
            CountRows(first, rowBytes, used.right - used.left, used.bottom - used.top, colorSpace_, channel, counts);
            if (VorlatFailed(&err, kModuleHistogram, __LINE__, source->UnlockTile(*grid, column, row)))
                break;
        }
    }
    grid->Destroy();
    return err;
}

IVorlatError* CVorlatHistogram::GetHistogram(const RECT& rect, int32_t channel, HistogramTag* counts)
{
    IVorlatError* err = nullptr;
    if (sources_.empty())
        return Fail(__LINE__, kVorlatErrNoSingleSource);
    const IVorlatDataSource* source = sources_[0];
    if (VorlatFailed(&err, kModuleHistogram, __LINE__, source->GetColorSpace(&colorSpace_)))
        return err;
    int32_t w = 0, h = 0;
    if (IVorlatError* error = source->GetWidth(&w))
        error->Destroy();
    if (IVorlatError* error = source->GetHeight(&h))
        error->Destroy();

    // The clamping below measures the rectangle in 32 bits.
    const auto fits = [](int64_t extent) { return INT32_MIN <= extent && extent <= INT32_MAX; };
    if (!fits(static_cast<int64_t>(rect.right) - rect.left) || !fits(static_cast<int64_t>(rect.bottom) - rect.top))
        return Fail(__LINE__, kVorlatErrState);
    RECT r = rect;
    if (w < r.right - r.left)
        r.right = r.left + w;
    if (h < r.bottom - r.top)
        r.bottom = r.top + h;
    r.left = r.left < 0 ? 0 : (r.left > w - 1 ? w - 1 : r.left);
    r.top = r.top < 0 ? 0 : (r.top > h - 1 ? h - 1 : r.top);
    r.right = r.right > w ? w : (r.right <= 0 ? 1 : r.right);
    r.bottom = r.bottom > h ? h : (r.bottom <= 0 ? 1 : r.bottom);
    if (r.left >= r.right)
        r.right = r.left + 1;
    if (r.top >= r.bottom)
        r.bottom = r.top + 1;

    if (channel < 0 || channel > 4 || !counts)
        return nullptr;
    // An empty source has nothing to count and no tiles to lock.
    if (w <= 0 || h <= 0) {
        std::memset(counts->count, 0, sizeof counts->count);
        return nullptr;
    }

    ChannelCache& cache = caches_[channel];
    if (cache.counts && cache.rect.left == r.left && cache.rect.top == r.top && cache.rect.right == r.right &&
        cache.rect.bottom == r.bottom) {
        std::memcpy(counts->count, cache.counts, sizeof counts->count);
        return nullptr;
    }
    if (VorlatFailed(&err, kModuleHistogram, __LINE__, Count(source, r, channel, counts->count)))
        return err;
    if (!cache.counts) {
        cache.counts = new (std::nothrow) int32_t[256];
        if (!cache.counts)
            return Fail(__LINE__, kVorlatErrAllocation);
    }
    std::memcpy(cache.counts, counts->count, sizeof counts->count);
    cache.rect = r;
    return nullptr;
}
