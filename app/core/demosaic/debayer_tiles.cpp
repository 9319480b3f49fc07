// Demosaic filter base: the row driver that runs a filter's kernel over a
// rectangle of the output, the output row writer with its resampling, and the
// two entry points over it (a tile of the filter's cache or of a process run,
// and a whole mosaic in memory).
#include <algorithm>
#include <cstring>
#include <new>

#include "app/core/demosaic/debayer_base.h"
#include "app/core/demosaic/demosaic_kernel_impl.h"

namespace {

constexpr int32_t kFile = kDeBayerModuleBase;

// Each filter's rings stay within this; wider rectangles go in strips.
constexpr size_t kRingBudget = 1 << 20;

// Vertical weights of the resampled rows cur - 1 .. cur + 2 by row phase
// (cubic interpolation at 0, 2/3 and 1/3), over 16384. Each set sums to 16384
// so that a flat area stays exact: of the four truncated weights, the one
// truncated furthest (-606.8) is rounded instead.
constexpr int32_t kRowWeights[3][4] = {{0, 16384, 0, 0}, {-607, 5461, 12743, -1213}, {-1213, 12743, 5461, -607}};
// Horizontal weights of two neighbouring pixels by column phase, over 4.
constexpr int32_t kColumnWeights[3][2] = {{3, 1}, {2, 2}, {1, 3}};

// The source column (less the margin) of an output column: 4 across for every 3 out.
int64_t ResampledColumn(int64_t x) { return 4 * x / 3; }

} // namespace

IVorlatError* CDeBayerBase::RenderStrip(demosaic::CMosaicRows& rows, int32_t x0, int32_t y0, int32_t width,
                                        int32_t height, unsigned char* out, int32_t outRowBytes, int32_t module)
{
    IVorlatError* err = nullptr;
    demosaic::CDemosaicKernel& kernel = Kernel();
    const bool rs = resample_;
    const int64_t base = rs ? ResampledColumn(x0) : x0;
    // Resampling reads one pixel beyond the last one it starts from.
    const int32_t colours = rs ? static_cast<int32_t>(ResampledColumn(static_cast<int64_t>(x0) + width - 1) - base + 2)
                               : width;
    const int32_t columns = kernel.Columns(colours);
    if (!kernel.Reserve(colours))
        return IVorlatError::Add(nullptr, module, __LINE__, kVorlatFromSystem, kVorlatErrAllocation);
    if (columns > rawCapacity_) {
        uint16_t* grown = new (std::nothrow) uint16_t[static_cast<size_t>(columns)];
        if (!grown)
            return IVorlatError::Add(nullptr, module, __LINE__, kVorlatFromSystem, kVorlatErrAllocation);
        delete[] rawRow_;
        rawRow_ = grown;
        rawCapacity_ = columns;
    }
    if (rs && 3 * colours > mixCapacity_) {
        int32_t* grown = new (std::nothrow) int32_t[3 * static_cast<size_t>(colours)];
        if (!grown)
            return IVorlatError::Add(nullptr, module, __LINE__, kVorlatFromSystem, kVorlatErrAllocation);
        delete[] mixRow_;
        mixRow_ = grown;
        mixCapacity_ = 3 * colours;
    }

    const int32_t reach = kernel.Reach();
    const int32_t firstColumn = static_cast<int32_t>(base) + kDeBayerMargin;
    const int32_t firstRow = static_cast<int32_t>(rs ? 2 * static_cast<int64_t>(y0) / 3 : y0) + kDeBayerMargin;
    const uint32_t* const tables[3] = {tables_[0], tables_[1], tables_[2]};
    kernel.Start(firstColumn, tables);

    // The rows above the first output row fill the rings before it is written;
    // resampling also needs one row above and two below the current one.
    int32_t current = firstRow;
    int32_t next = (rs ? current - 1 : current) - reach;
    for (int32_t k = 0; k < height; ++k) {
        const int32_t phase = static_cast<int32_t>((static_cast<int64_t>(y0) + k) % 3);
        // Two source rows give three output rows: no new row at phase 1.
        if (k > 0 && (!rs || phase != 1))
            ++current;
        const int32_t wanted = (rs ? current + 2 : current) + reach;
        for (; next <= wanted; ++next) {
            if (VorlatFailed(&err, module, __LINE__, rows.Read(next, firstColumn - reach, columns, rawRow_)))
                return err;
            kernel.Advance(next, rawRow_);
        }
        uint16_t* target = reinterpret_cast<uint16_t*>(out + static_cast<ptrdiff_t>(k) * outRowBytes);
        if (!rs) {
            std::memcpy(target, kernel.Colour(current), static_cast<size_t>(width) * 3 * sizeof(uint16_t));
            continue;
        }
        const int32_t* weights = kRowWeights[phase];
        const uint16_t* r0 = kernel.Colour(current - 1);
        const uint16_t* r1 = kernel.Colour(current);
        const uint16_t* r2 = kernel.Colour(current + 1);
        const uint16_t* r3 = kernel.Colour(current + 2);
        for (int32_t i = 0; i < 3 * colours; ++i)
            mixRow_[i] = weights[0] * r0[i] + weights[1] * r1[i] + weights[2] * r2[i] + weights[3] * r3[i];
        for (int32_t i = 0; i < width; ++i) {
            const int64_t x = static_cast<int64_t>(x0) + i;
            const int32_t* h = kColumnWeights[x % 3];
            const int32_t* a = mixRow_ + 3 * (ResampledColumn(x) - base);
            for (int32_t c = 0; c < 3; ++c) {
                const int64_t sum = (static_cast<int64_t>(h[0]) * a[c] + static_cast<int64_t>(h[1]) * a[3 + c]) / 65536;
                target[3 * i + c] = static_cast<uint16_t>(std::clamp<int64_t>(sum, 0, 65535));
            }
        }
    }
    return nullptr;
}

IVorlatError* CDeBayerBase::RenderRect(demosaic::CMosaicRows& rows, const RECT& rect, unsigned char* out,
                                       int32_t outRowBytes, int32_t module)
{
    IVorlatError* err = nullptr;
    demosaic::CDemosaicKernel& kernel = Kernel();
    // The sample row and the resampling sums count with the rings; a little
    // is kept back for the rings' alignment.
    const size_t perColumn = kernel.BytesPerColumn() + sizeof(uint16_t) + 3 * sizeof(int32_t);
    const int64_t fit = static_cast<int64_t>((kRingBudget - 256) / perColumn) - 2 * kernel.Reach();
    const int32_t strip = static_cast<int32_t>(std::max<int64_t>(1, resample_ ? (fit - 3) * 3 / 4 : fit));
    const int32_t right = rect.right;
    for (int32_t x = rect.left; x < right; x += std::min(strip, right - x)) {
        const int32_t width = std::min(strip, right - x);
        if (VorlatFailed(&err, module, __LINE__,
                         RenderStrip(rows, x, rect.top, width, rect.bottom - rect.top,
                                     out + static_cast<ptrdiff_t>(x - rect.left) * 6, outRowBytes, module)))
            return err;
    }
    return nullptr;
}

IVorlatError* CDeBayerBase::GenerateDemosaicTile(IVorlatTile* tile, CProcessInfo* info, int32_t module)
{
    IVorlatError* err = nullptr;
    RECT r, t;
    if (!tile->GetInvalidRect(&r))
        return nullptr;
    const IVorlatDataSource* source = ChosenSource(info);
    if (!source)
        return NoSource(module, __LINE__);
    int32_t space = 0, width = 0, height = 0, outWidth = 0, outHeight = 0;
    if (VorlatFailed(&err, module, __LINE__, source->GetColorSpace(&space)))
        return err;
    if (space != GetInputColorSpace())
        return IVorlatError::Add(nullptr, module, __LINE__, kKolvexBadSourceSpace);
    if (VorlatFailed(&err, module, __LINE__, source->GetSize(&width, &height)) ||
        VorlatFailed(&err, module, __LINE__, GetOutputSize(width, height, &outWidth, &outHeight)) ||
        VorlatFailed(&err, module, __LINE__, BuildChannelTables()))
        return err;

    void* data = nullptr;
    if (VorlatFailed(&err, module, __LINE__, tile->Lock(&data, nullptr)))
        return err;
    tile->GetCoordinates(&t);
    const int32_t rowBytes = tile->GetRowBytes();
    unsigned char* out = static_cast<unsigned char*>(data) + static_cast<ptrdiff_t>(r.top - t.top) * rowBytes +
                         static_cast<ptrdiff_t>(r.left - t.left) * 6;
    // Tile coordinates are those of the cropped output.
    const int32_t dx = CropValid() ? crop_.left : 0;
    const int32_t dy = CropValid() ? crop_.top : 0;
    const RECT wanted{r.left + dx, r.top + dy, r.right + dx, r.bottom + dy};
    demosaic::CTileRows rows(source);
    VorlatFailed(&err, module, __LINE__, RenderRect(rows, wanted, out, rowBytes, module));
    // The tiles the reader held go back whatever happened; their failures join the tile's own.
    VorlatFailed(&err, module, __LINE__, rows.Release());
    VorlatFailed(&err, module, __LINE__, tile->Unlock());
    if (!err)
        tile->Validate();
    return err;
}

IVorlatError* CDeBayerBase::DemosaicBuffer(const uint16_t* mosaic, int32_t width, int32_t height, int32_t stride,
                                           uint16_t* out, int32_t outRowBytes)
{
    IVorlatError* err = nullptr;
    int32_t outWidth = 0, outHeight = 0;
    if (VorlatFailed(&err, kFile, __LINE__, GetOutputSize(width, height, &outWidth, &outHeight)) ||
        VorlatFailed(&err, kFile, __LINE__, BuildChannelTables()))
        return err;
    // Rows that overlap would be read or written past their ends.
    if (!mosaic || !out || stride < width || outRowBytes / 6 < outWidth)
        return IVorlatError::Add(nullptr, kFile, __LINE__, kVorlatFromSystem, kVorlatErrArrayTooSmall);
    const int32_t dx = CropValid() ? crop_.left : 0;
    const int32_t dy = CropValid() ? crop_.top : 0;
    demosaic::CBufferRows rows(mosaic, width, height, stride);
    VorlatFailed(&err, kFile, __LINE__,
                 RenderRect(rows, RECT{dx, dy, dx + outWidth, dy + outHeight}, reinterpret_cast<unsigned char*>(out),
                            outRowBytes, kFile));
    return err;
}
