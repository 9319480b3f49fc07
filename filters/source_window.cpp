// The source window reader: a most-recently-used table of locked source tiles
// behind a pixel cursor.
#include <new>

#include "filters/SourceWindow.h"

namespace {

// The window's frames carry module 0: they belong to whichever filter reads.
constexpr int32_t kFile = 0;

bool Contains(const RECT& r, int32_t x, int32_t y) { return r.left <= x && x < r.right && r.top <= y && y < r.bottom; }

// Moves a coordinate outside [0, size) by whole periods into the first or the
// last `period` pixels, which keeps the phase of a repeating pattern; a period
// of 1 clamps to the edge pixel.
int32_t Fold(int32_t v, int32_t size, int32_t period, bool* folded)
{
    *folded = false;
    if (period == 0 || (0 <= v && v < size))
        return v;
    *folded = true;
    // In 64 bits: the distance to the image may pass 32 near the ends of the range.
    const int64_t at = v, p = period;
    if (at < 0)
        return static_cast<int32_t>(at + ((p - at - 1) / p) * p);
    return static_cast<int32_t>(at - ((p - size + at) / p) * p);
}

} // namespace

CSourceWindow::CSourceWindow(const IVorlatDataSource* src, int32_t cap, int32_t hPeriod, int32_t vPeriod)
    : source(src), held(nullptr), pixel(), left(0), up(0), right(0), down(0), capacity(cap < 1 ? 1 : cap),
      colorSpace(0), rowBytes(0), tileSize(0), ready(false), count(0), x(-1), y(-1), width(0), height(0),
      horizontalPeriod(hPeriod), verticalPeriod(vPeriod), xFolded(false), yFolded(false)
{
}

CSourceWindow::~CSourceWindow()
{
    IVorlatError* err = nullptr;
    for (int32_t i = 0; i < count; ++i)
        if (held[i].tile)
            VorlatFailed(&err, kFile, __LINE__, held[i].tile->Unlock());
    delete[] held;
    if (err)
        err->Destroy();
}

void CSourceWindow::PointAt(const Entry& entry, int32_t fx, int32_t fy)
{
    pixel = CVorlatFilterBase::CPixelPtr(entry.data, colorSpace, rowBytes);
    if (!entry.data)
        return;
    if (!xFolded) {
        left = fx - entry.area.left;
        right = entry.area.right - fx - 1;
    }
    if (!yFolded) {
        up = fy - entry.area.top;
        down = entry.area.bottom - fy - 1;
    }
    pixel.Move(fx - entry.area.left, fy - entry.area.top);
}

IVorlatError* CSourceWindow::Relocate(int32_t nx, int32_t ny)
{
    IVorlatError* err = nullptr;
    if (!ready) {
        if (!held) {
            held = new (std::nothrow) Entry[static_cast<size_t>(capacity)];
            if (!held)
                return IVorlatError::Add(nullptr, kFile, __LINE__, kVorlatFromSystem, kVorlatErrAllocation);
        }
        if (colorSpace == 0)
            VorlatFailed(&err, kFile, __LINE__, source->GetColorSpace(&colorSpace));
        if (!err && rowBytes == 0)
            VorlatFailed(&err, kFile, __LINE__, source->GetRowBytes(&rowBytes));
        if (!err && tileSize == 0)
            VorlatFailed(&err, kFile, __LINE__, source->GetTileSize(&tileSize));
        if (!err && width == 0)
            VorlatFailed(&err, kFile, __LINE__, source->GetWidth(&width));
        if (!err && height == 0)
            VorlatFailed(&err, kFile, __LINE__, source->GetHeight(&height));
        // A source without tiles has nothing to point at.
        if (!err && tileSize <= 0)
            IVorlatError::Add(&err, kFile, __LINE__, kVorlatFromSystem, kVorlatErrState);
    }

    const int32_t fx = Fold(nx, width, horizontalPeriod, &xFolded);
    const int32_t fy = Fold(ny, height, verticalPeriod, &yFolded);
    left = up = right = down = 0;
    if (err)
        return err;

    for (int32_t k = 0; k < count; ++k) {
        if (!held[k].tile || !Contains(held[k].area, fx, fy))
            continue;
        const Entry found = held[k];
        for (int32_t i = k; i > 0; --i)
            held[i] = held[i - 1];
        held[0] = found;
        ready = true;
        x = nx;
        y = ny;
        PointAt(held[0], fx, fy);
        return nullptr;
    }

    if (count == capacity) {
        Entry& last = held[count - 1];
        if (last.tile && VorlatFailed(&err, kFile, __LINE__, last.tile->Unlock()))
            return err;
        --count;
    }

    Entry entry{nullptr, nullptr, RECT{width, height, 0, 0}};
    if (0 <= fx && fx < width && 0 <= fy && fy < height) {
        const int32_t column = fx / tileSize, row = fy / tileSize;
        IVorlatTile* tile = nullptr;
        if (VorlatFailed(&err, kFile, __LINE__, source->GetTile(&tile, column, row)))
            return err;
        tile->GetCoordinates(&entry.area);
        void* data = nullptr;
        if (VorlatFailed(&err, kFile, __LINE__, source->LockTile(&data, column, row, nullptr)))
            return err;
        entry.tile = tile;
        entry.data = static_cast<unsigned char*>(data);
    }
    for (int32_t i = count; i > 0; --i)
        held[i] = held[i - 1];
    held[0] = entry;
    ++count;
    ready = true;
    x = nx;
    y = ny;
    PointAt(held[0], fx, fy);
    return nullptr;
}

IVorlatError* CSourceWindow::MoveTo(int32_t nx, int32_t ny)
{
    if (xFolded || yFolded || count == 0 || !held[0].tile || !Contains(held[0].area, nx, ny))
        return Relocate(nx, ny);
    const RECT& area = held[0].area;
    left = nx - area.left;
    right = area.right - nx - 1;
    up = ny - area.top;
    down = area.bottom - ny - 1;
    pixel.Move(nx - x, ny - y);
    x = nx;
    y = ny;
    return nullptr;
}
