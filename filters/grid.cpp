// The grid filter: the source copied as RGB, then the major lines outward from
// the centre and the minor lines between them.
#include <algorithm>
#include <cmath>

#include "filters/VorlatFilterGrid.h"
#include "filters/source_tiles_impl.h"

namespace {

constexpr int32_t kFile = VorlatFourCC("grid");
// Beyond this an interval names no drawable grid.
constexpr double kLargestInterval = 1e6;

struct Canvas {
    unsigned char* data;
    int32_t rowBytes;
    RECT tile;   // the tile's rectangle in image pixels
    RECT work;   // the invalid part
    unsigned char rgb[3];

    void Put(int64_t x, int64_t y) const
    {
        unsigned char* p = data + (y - tile.top) * rowBytes + (x - tile.left) * 3;
        p[0] = rgb[0];
        p[1] = rgb[1];
        p[2] = rgb[2];
    }
};

// The lines of one axis: positions along the axis (x for vertical lines) over
// `size` source pixels, drawn across the invalid part. `vertical` says which
// image axis the positions lie on.
void DrawLines(const Canvas& canvas, bool vertical, int32_t size, double spacing, int32_t minorParts)
{
    const int32_t lo = vertical ? canvas.work.left : canvas.work.top;
    const int32_t hi = vertical ? canvas.work.right : canvas.work.bottom;
    const int32_t acrossLo = vertical ? canvas.work.top : canvas.work.left;
    const int32_t acrossHi = vertical ? canvas.work.bottom : canvas.work.right;
    auto plot = [&](int64_t along, int64_t across) {
        if (vertical)
            canvas.Put(along, across);
        else
            canvas.Put(across, along);
    };
    const int64_t n = static_cast<int64_t>(size / spacing) | 1;
    const int64_t h = n / 2 + 1;
    for (int64_t i = 0; i <= n; ++i) {
        const int64_t k = i - h;
        const double major = std::trunc(static_cast<double>(k) * spacing) + size / 2;
        if (major >= lo && major < hi) {
            const int64_t at = static_cast<int64_t>(major);
            // The centre line is solid; the others leave out every fourth pixel.
            for (int32_t a = acrossLo; a < acrossHi; ++a) {
                if (k == 0 || a % 4 != 0)
                    plot(at, a);
            }
        }
        if (minorParts <= 1)
            continue;
        // Only the minor lines that can fall inside the invalid part are visited.
        const double first = std::floor((lo - major - 1) * minorParts / spacing) - 1;
        const double last = std::ceil((hi - major + 1) * minorParts / spacing) + 1;
        const int64_t jFrom = static_cast<int64_t>(std::max(1.0, first));
        const int64_t jTo = static_cast<int64_t>(std::min<double>(minorParts - 1, last));
        for (int64_t j = jFrom; j <= jTo; ++j) {
            const double offset = std::floor((std::trunc(static_cast<double>(j) * spacing) + minorParts / 2) / minorParts);
            const double minor = major + offset;
            if (minor < lo || minor >= hi)
                continue;
            const int64_t at = static_cast<int64_t>(minor);
            for (int32_t a = acrossLo; a < acrossHi; ++a) {
                if (a % 4 == 0)
                    plot(at, a);
            }
        }
    }
}

} // namespace

CVorlatFilterGrid::CVorlatFilterGrid(IVorlatManager* manager)
    : CVorlatFilterBase(manager, kVorlatUsageDiscardable), red_(0), green_(0), blue_(0), interval_(0.0), unit_(0),
      subdivisions_(0), assumedWidth_(0), assumedHeight_(0), assumedResolution_(0.0)
{
    IVorlatError* err = SetGridColor(0, 0, 0, true);
    if (err)
        err->Destroy();
    err = SetGridInterval(1.0, kInches, 3, true);
    if (err)
        err->Destroy();
    assumedWidth_ = 0;
    assumedHeight_ = 0;
    assumedResolution_ = 0.0;
}

int32_t CVorlatFilterGrid::GetFilterCode() const { return VorlatFourCC("grid"); }

const char* CVorlatFilterGrid::GetFilterDescription() const { return "Show Grid"; }

IVorlatError* CVorlatFilterGrid::SetGridColor(unsigned char red, unsigned char green, unsigned char blue, bool notify)
{
    if (red == red_ && green == green_ && blue == blue_)
        return nullptr;
    red_ = red;
    green_ = green;
    blue_ = blue;
    cacheDirty_ = true;
    return NotifyWholeSource(notify, kFile);
}

void CVorlatFilterGrid::GetGridColor(unsigned char* red, unsigned char* green, unsigned char* blue) const
{
    *red = red_;
    *green = green_;
    *blue = blue_;
}

IVorlatError* CVorlatFilterGrid::SetGridInterval(double interval, int32_t unit, int32_t subdivisions, bool notify)
{
    if (!std::isfinite(interval) || interval < 0.0 || interval > kLargestInterval)
        return IVorlatError::Add(nullptr, kFile, __LINE__, kVorlatFromSystem, kKolvexErrBadSetting);
    if (interval == interval_ && unit == unit_ && subdivisions == subdivisions_)
        return nullptr;
    interval_ = interval;
    unit_ = unit;
    subdivisions_ = subdivisions;
    cacheDirty_ = true;
    return NotifyWholeSource(notify, kFile);
}

void CVorlatFilterGrid::GetGridInterval(double* interval, int32_t* unit, int32_t* subdivisions) const
{
    *interval = interval_;
    *unit = unit_;
    *subdivisions = subdivisions_;
}

IVorlatError* CVorlatFilterGrid::SetAssumedImageSize(int32_t width, int32_t height, double resolution, bool notify)
{
    if (width < 0 || height < 0 || !std::isfinite(resolution) || resolution < 0.0)
        return IVorlatError::Add(nullptr, kFile, __LINE__, kVorlatFromSystem, kKolvexErrBadSetting);
    if (width == assumedWidth_ && height == assumedHeight_ && resolution == assumedResolution_)
        return nullptr;
    assumedWidth_ = width;
    assumedHeight_ = height;
    assumedResolution_ = resolution;
    cacheDirty_ = true;
    return NotifyWholeSource(notify, kFile);
}

void CVorlatFilterGrid::GetAssumedImageSize(int32_t* width, int32_t* height, double* resolution) const
{
    if (width)
        *width = assumedWidth_;
    if (height)
        *height = assumedHeight_;
    if (resolution)
        *resolution = assumedResolution_;
}

double CVorlatFilterGrid::GetGridIntervalInPixels(double resolution) const
{
    switch (unit_) {
    case kPixels: return interval_;
    case kInches: return interval_ * resolution;
    case kCentimetres: return interval_ * resolution / 2.54;
    case kMillimetres: return interval_ * resolution / 25.4;
    case kPicas: return interval_ * resolution / 6.0;
    case kPoints: return interval_ * resolution / 72.0;
    default: return interval_ * resolution;
    }
}

IVorlatError* CVorlatFilterGrid::GetFilteredColorSpace(const IVorlatDataSource**, int32_t, int32_t* colorSpace)
{
    *colorSpace = 32;
    return nullptr;
}

IVorlatError* CVorlatFilterGrid::FilterColorSpace(const IVorlatDataSource* source,
                                                  IVorlatDataDestination::ChangeColorSpace* change)
{
    IVorlatError* err = nullptr;
    if (!enabled_) {
        VorlatFailed(&err, kFile, __LINE__, CVorlatFilterBase::FilterColorSpace(source, change));
        return err;
    }
    // The output stays RGB: only its pixels changed.
    cacheDirty_ = true;
    return NotifyWholeSource(true, kFile);
}

IVorlatError* CVorlatFilterGrid::ProcessTile(IVorlatTile* tile, CProcessInfo* info)
{
    IVorlatError* err = nullptr;
    const IVorlatDataSource* source = ChosenSource(info);
    if (!source)
        return NoSource(kFile, __LINE__);
    RECT r, t;
    if (!tile->GetInvalidRect(&r))
        return nullptr;
    tile->GetCoordinates(&t);
    int32_t width = 0, height = 0, colorSpace = 0;
    if (VorlatFailed(&err, kFile, __LINE__, source->GetSize(&width, &height)) ||
        VorlatFailed(&err, kFile, __LINE__, source->GetColorSpace(&colorSpace)))
        return err;
    if (colorSpace != 2 && colorSpace != 3 && colorSpace != 32 && colorSpace != 33)
        return IVorlatError::Add(nullptr, kFile, __LINE__, kKolvexBadSourceSpace);
    const int32_t inBytes = GetBitsPerPixel(colorSpace) / 8;
    void* data = nullptr;
    if (VorlatFailed(&err, kFile, __LINE__, tile->Lock(&data, nullptr)))
        return err;
    Canvas canvas{static_cast<unsigned char*>(data), tile->GetRowBytes(), t, r, {red_, green_, blue_}};

    IVorlatTileGrid* grid = nullptr;
    VorlatFailed(&err, kFile, __LINE__, source->MapRect(&grid, r));
    source_tiles::ForEachCell(source, grid, &err, kFile, __LINE__, [&](const source_tiles::Cell& c) {
        const RECT& b = c.used;
        for (int32_t y = b.top; y < b.bottom; ++y) {
            const unsigned char* s = c.Row(y, inBytes);
            unsigned char* d = canvas.data + static_cast<intptr_t>(y - t.top) * canvas.rowBytes +
                               static_cast<intptr_t>(b.left - t.left) * 3;
            for (int32_t x = b.left; x < b.right; ++x, s += inBytes, d += 3) {
                switch (colorSpace) {
                case 2: d[0] = d[1] = d[2] = s[0]; break;
                case 3: d[0] = d[1] = d[2] = s[1]; break;  // high byte of a little-endian word
                case 32: d[0] = s[0]; d[1] = s[1]; d[2] = s[2]; break;
                default: d[0] = s[1]; d[1] = s[3]; d[2] = s[5]; break;
                }
            }
        }
    });
    if (grid)
        grid->Destroy();

    if (!err && assumedWidth_ > 0) {
        double spacing = GetGridIntervalInPixels(assumedResolution_) * width / assumedWidth_;
        if (std::isfinite(spacing) && spacing > 0.0) {
            // Lines closer than 5 pixels are thinned by powers of two.
            if (spacing < 5.0)
                spacing *= std::pow(2.0, std::ceil(std::log2(5.0 / spacing)));
            int64_t parts = std::max<int64_t>(1, static_cast<int64_t>(spacing / 10.0));
            parts = std::min<int64_t>(parts, subdivisions_);
            DrawLines(canvas, true, width, spacing, static_cast<int32_t>(parts));
            DrawLines(canvas, false, height, spacing, static_cast<int32_t>(parts));
        }
    }
    VorlatFailed(&err, kFile, __LINE__, tile->Unlock());
    if (!err)
        tile->Validate();
    return err;
}
