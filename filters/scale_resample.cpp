// The scale filter's tile producer. Method 0 picks the nearest source pixel
// tile by tile; every other method resamples each axis on its own: source rows
// become buffer rows as wide as the part being made, and buffer rows combine
// into output rows.
#include <algorithm>
#include <cstring>
#include <memory>
#include <new>

#include "filters/VorlatFilterScale.h"
#include "filters/scale_resample_impl.h"

using namespace scale_resample;

namespace {

constexpr int32_t kFile = VorlatFourCC("scal");

// Sample depth and channel count of the layouts the filter resamples.
bool SampleLayout(int32_t colorSpace, bool* wide, int32_t* channels)
{
    const int32_t bits = IVorlatDataSource::GetBitsPerPixel(colorSpace);
    switch (colorSpace) {
    case 2:
    case 32:
    case 34:
    case 38:
        *wide = false;
        *channels = bits / 8;
        return true;
    case 3:
    case 33:
    case 35:
    case 36:
    case 37:
        *wide = true;
        *channels = bits / 16;
        return true;
    default:
        return false;
    }
}

// Tracks the nearest source index of output pixel x: u = ceil((x + 1/2) s/d) - 1,
// by the error term e = (2x + 1) s - 2 (u + 1) d.
// x must not decrease from call to call.
struct NearestAxis {
    int64_t s, d2;
    uint32_t byD2;
    int64_t u;

    NearestAxis(int32_t reducedS, int32_t reducedD, int32_t firstSource)
        : s(reducedS), d2(2 * static_cast<int64_t>(reducedD)), byD2(Reciprocal(d2)), u(firstSource - 1)
    {
    }

    int64_t At(int64_t x)
    {
        int64_t e = (2 * x + 1) * s - (u + 1) * d2;
        while (e > 0) {
            // ceil(e / d2) by the reciprocal; the upper bits may come out one high
            // for very large ratios, which the correction below takes back.
            const int64_t step = static_cast<int64_t>(DivideBy(static_cast<uint32_t>(e - 1), byD2)) + 1;
            u += step;
            e -= step * d2;
        }
        while (e <= -d2) {
            --u;
            e += d2;
        }
        return u;
    }
};

} // namespace

bool CVorlatFilterScale::ReserveBuffers(int32_t columns, int32_t rows)
{
    if (columns > weightCapacity_) {
        auto* table = new (std::nothrow) WeightRecord[static_cast<size_t>(columns)];
        if (!table)
            return false;
        delete[] weights_;
        weights_ = table;
        weightCapacity_ = columns;
    }
    const int64_t samples = 4 * static_cast<int64_t>(columns) * rows;
    if (samples > INT32_MAX)
        return false;
    if (samples > bufferCapacity_) {
        auto* buffer = new (std::nothrow) uint16_t[static_cast<size_t>(samples)];
        if (!buffer)
            return false;
        delete[] rowBuffer_;
        rowBuffer_ = buffer;
        bufferCapacity_ = static_cast<int32_t>(samples);
    }
    bufferWidth_ = columns;
    bufferRows_ = rows;
    std::memset(rowBuffer_, 0, static_cast<size_t>(samples) * sizeof(uint16_t));
    return true;
}

IVorlatError* CVorlatFilterScale::ProcessTile(IVorlatTile* tile, CProcessInfo* info)
{
    IVorlatError* err = nullptr;
    RECT rect, area;
    if (!tile->GetInvalidRect(&rect))
        return nullptr;
    tile->GetCoordinates(&area);
    const IVorlatDataSource* source = ChosenSource(info);
    if (!source)
        return NoSource(kFile, __LINE__);
    const IVorlatDataSource** sources = info && info->sources && info->sourceCount > 0 ? info->sources : sources_;
    const int32_t sourceCount = info && info->sources && info->sourceCount > 0 ? info->sourceCount : sourceCount_;

    int32_t sw = 0, sh = 0, fw = 0, fh = 0, colorSpace = 0;
    if (VorlatFailed(&err, kFile, __LINE__, source->GetSize(&sw, &sh)))
        return err;
    if (sw == 0 || sh == 0)
        return nullptr;
    if (VorlatFailed(&err, kFile, __LINE__, GetFilteredSize(sources, sourceCount, &fw, &fh)))
        return err;
    if (VorlatFailed(&err, kFile, __LINE__, source->GetColorSpace(&colorSpace)))
        return err;
    bool wide = false;
    int32_t channels = 0;
    if (!SampleLayout(colorSpace, &wide, &channels))
        return IVorlatError::Add(nullptr, kFile, __LINE__, kKolvexBadSourceSpace);
    if (fw <= 0 || fh <= 0)
        return nullptr;

    if (method_ == 0) {
        VorlatFailed(&err, kFile, __LINE__, ProcessNearest(tile, source, rect, colorSpace, sw, sh, fw, fh));
        return err;
    }

    int32_t hs = sw, hd = fw, vs = sh, vd = fh;
    ReduceRatio(&hs, &hd);
    ReduceRatio(&vs, &vd);
    const int32_t width = rect.right - rect.left;
    // The source rows that one output row reaches, one above and two below; in
    // 64 bits, as a source and a target near 2^31 would pass 32 when added.
    const int64_t rowSpan = (static_cast<int64_t>(vs) + vd - 1) / vd + 3;
    const int32_t rowCount = static_cast<int32_t>(std::min<int64_t>(rowSpan, INT32_MAX));
    if (rowSpan > INT32_MAX || !ReserveBuffers(width, rowCount))
        return IVorlatError::Add(nullptr, kFile, __LINE__, kVorlatFromSystem, kVorlatErrAllocation);
    std::unique_ptr<uint16_t*[]> rows(new (std::nothrow) uint16_t*[static_cast<size_t>(rowCount)]);
    if (!rows)
        return IVorlatError::Add(nullptr, kFile, __LINE__, kVorlatFromSystem, kVorlatErrAllocation);
    for (int32_t i = 0; i < rowCount; ++i)
        rows[i] = rowBuffer_ + 4 * static_cast<size_t>(width) * i;

    const bool linear = method_ == 1;
    Kernel hKernel = Kernel::Copy, vKernel = Kernel::Copy;
    int32_t startColumn = rect.left;
    if (sw < fw) {
        hKernel = linear ? Kernel::Linear : Kernel::Cubic;
        startColumn = linear ? SetupLinear(weights_, rect.left, rect.right, hs, hd)
                              : SetupCubic(weights_, rect.left, rect.right, hs, hd);
    } else if (sw > fw) {
        hKernel = Kernel::Area;
        startColumn = SetupArea(weights_, rect.left, rect.right, hs, hd);
    }
    int64_t acc, step, divisor;
    if (sh < fh) {
        vKernel = linear ? Kernel::Linear : Kernel::Cubic;
        acc = 2 * static_cast<int64_t>(vs) * rect.top + vs - vd;
        step = 2 * static_cast<int64_t>(vs);
        divisor = 2 * static_cast<int64_t>(vd);
    } else {
        vKernel = sh > fh ? Kernel::Area : Kernel::Copy;
        acc = static_cast<int64_t>(vs) * rect.top;
        step = vs;
        divisor = vd;
    }
    const AxisRatio horizontal = MakeAxis(hKernel, hs, hd, wide), vertical = MakeAxis(vKernel, vs, vd, wide);
    int64_t q = FloorDiv(acc, divisor);
    int64_t r = acc - q * divisor;

    // Edges repeat; the window holds the tiles of the rows one output row spans.
    const int64_t windowTiles = static_cast<int64_t>(vs) / vd + 2;
    CSourceWindow window(source, static_cast<int32_t>(std::min<int64_t>(windowTiles, INT32_MAX)), 1, 1);
    const auto readRow = [&](int64_t sourceRow, uint16_t* into) -> IVorlatError* {
        IVorlatError* rowErr = nullptr;
        if (VorlatFailed(&rowErr, kFile, __LINE__, window.MoveTo(startColumn, static_cast<int32_t>(sourceRow))))
            return rowErr;
        VorlatFailed(&rowErr, kFile, __LINE__,
                     HorizontalRow(hKernel, window, weights_, width, horizontal, channels, wide, into));
        return rowErr;
    };

    // Buffer row 1 holds source row q, row 0 the one above.
    int64_t nextRow = q - 1;
    for (int32_t i = 0; i < rowCount && !err; ++i)
        err = readRow(nextRow++, rows[i]);
    if (err)
        return err;
    int64_t bufferTop = q;

    void* data = nullptr;
    if (VorlatFailed(&err, kFile, __LINE__, tile->Lock(&data, nullptr)))
        return err;
    const int32_t rowBytes = tile->GetRowBytes();
    const int32_t pixelBytes = IVorlatDataSource::GetBitsPerPixel(colorSpace) / 8;
    unsigned char* out = static_cast<unsigned char*>(data) + static_cast<intptr_t>(rect.top - area.top) * rowBytes +
                         static_cast<intptr_t>(rect.left - area.left) * pixelBytes;
    for (int32_t y = rect.top; y < rect.bottom && !err; ++y) {
        while (bufferTop < q && !err) {
            uint16_t* recycled = rows[0];
            for (int32_t i = 1; i < rowCount; ++i)
                rows[i - 1] = rows[i];
            rows[rowCount - 1] = recycled;
            err = readRow(nextRow++, recycled);
            ++bufferTop;
        }
        if (err)
            break;
        acc += step;
        const int64_t qNext = FloorDiv(acc, divisor);
        const int64_t rNext = acc - qNext * divisor;
        const WeightRecord record = VerticalRecord(vKernel, r, rNext, vs, vd);
        VerticalRow(vKernel, rows.get(), record, vertical, channels, wide, out, width);
        out += rowBytes;
        r = rNext;
        q = qNext;
    }
    VorlatFailed(&err, kFile, __LINE__, tile->Unlock());
    if (!err)
        tile->Validate();
    return err;
}

IVorlatError* CVorlatFilterScale::ProcessNearest(IVorlatTile* tile, const IVorlatDataSource* source,
                                                 const RECT& rect, int32_t colorSpace, int32_t sw, int32_t sh,
                                                 int32_t fw, int32_t fh)
{
    IVorlatError* err = nullptr;
    int32_t hs = sw, hd = fw, vs = sh, vd = fh;
    ReduceRatio(&hs, &hd);
    ReduceRatio(&vs, &vd);

    // The source rectangle that the output rectangle reads.
    RECT from{static_cast<int32_t>(FloorDiv(static_cast<int64_t>(rect.left) * sw, fw)),
              static_cast<int32_t>(FloorDiv(static_cast<int64_t>(rect.top) * sh, fh)),
              static_cast<int32_t>(-FloorDiv(-static_cast<int64_t>(rect.right) * sw, fw)),
              static_cast<int32_t>(-FloorDiv(-static_cast<int64_t>(rect.bottom) * sh, fh))};
    if (from.right > sw)
        from.right = sw;
    if (from.bottom > sh)
        from.bottom = sh;

    RECT area;
    tile->GetCoordinates(&area);
    void* data = nullptr;
    if (VorlatFailed(&err, kFile, __LINE__, tile->Lock(&data, nullptr)))
        return err;
    const int32_t rowBytes = tile->GetRowBytes();
    const int32_t bits = IVorlatDataSource::GetBitsPerPixel(colorSpace), pixelBytes = bits / 8;
    unsigned char* const out = static_cast<unsigned char*>(data);

    IVorlatTileGrid* grid = nullptr;
    VorlatFailed(&err, kFile, __LINE__, source->MapRect(&grid, from));
    NearestAxis rowsAxis(vs, vd, from.top);
    int32_t y = rect.top;
    for (int32_t gy = 0; grid && gy < grid->GetRows() && !err; ++gy) {
        NearestAxis columnsAxis(hs, hd, from.left);
        int32_t x = rect.left, yEnd = y;
        for (int32_t gx = 0; gx < grid->GetColumns() && !err; ++gx) {
            void* cell = nullptr;
            RECT whole, used;
            int32_t cellRowBytes = 0;
            if (VorlatFailed(&err, kFile, __LINE__,
                             source->LockTile(&cell, &whole, &used, &cellRowBytes, *grid, gx, gy, nullptr)))
                break;
            // Output pixel x lies in this tile while x < floor(used right x d/s + 1/2).
            int64_t xEnd = (2 * static_cast<int64_t>(used.right) * hd + hs) / (2 * static_cast<int64_t>(hs));
            int64_t yStop = (2 * static_cast<int64_t>(used.bottom) * vd + vs) / (2 * static_cast<int64_t>(vs));
            xEnd = std::max<int64_t>(x, std::min<int64_t>(xEnd, rect.right));
            yStop = std::max<int64_t>(y, std::min<int64_t>(yStop, rect.bottom));
            yEnd = static_cast<int32_t>(yStop);

            const unsigned char* cellBytes = static_cast<const unsigned char*>(cell);
            NearestAxis blockRows = rowsAxis;
            int64_t previousRow = -1;
            unsigned char* previousOut = nullptr;
            for (int32_t oy = y; oy < yEnd; ++oy) {
                unsigned char* dst = out + static_cast<intptr_t>(oy - area.top) * rowBytes +
                                     static_cast<intptr_t>(x - area.left) * pixelBytes;
                const int64_t sourceRow = blockRows.At(oy);
                // Rows that repeat are copied from the first of their run.
                if (sourceRow == previousRow) {
                    std::memcpy(dst, previousOut, static_cast<size_t>((xEnd - x) * pixelBytes));
                    continue;
                }
                previousRow = sourceRow;
                previousOut = dst;
                const unsigned char* line = cellBytes + static_cast<intptr_t>(sourceRow - whole.top) * cellRowBytes;
                NearestAxis blockColumns = columnsAxis;
                for (int64_t ox = x; ox < xEnd; ++ox, dst += pixelBytes) {
                    const int64_t sourceColumn = blockColumns.At(ox);
                    CPixelPtr::CopyOne(dst, line + static_cast<intptr_t>(sourceColumn - whole.left) * pixelBytes, bits,
                                       pixelBytes);
                }
            }
            // The next tile of this row continues the column walk where this one ended.
            if (xEnd > x)
                columnsAxis.At(xEnd - 1);
            x = static_cast<int32_t>(xEnd);
            VorlatFailed(&err, kFile, __LINE__, source->UnlockTile(*grid, gx, gy));
        }
        if (yEnd > y)
            rowsAxis.At(yEnd - 1);
        y = yEnd;
    }
    if (grid)
        grid->Destroy();
    VorlatFailed(&err, kFile, __LINE__, tile->Unlock());
    if (!err)
        tile->Validate();
    return err;
}
