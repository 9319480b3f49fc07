// The crop filter: coordinates move by the crop's origin; tiles are copied
// straight from the source tiles.
#include <algorithm>
#include <cstring>
#include <type_traits>

#include "filters/CropFilter.h"
#include "filters/kolvex_convert_impl.h"
#include "filters/source_tiles_impl.h"

namespace {

constexpr int32_t kFile = VorlatFourCC("Crop");

bool AllZero(const RECT& r) { return r.left == 0 && r.top == 0 && r.right == 0 && r.bottom == 0; }

using BitPtr = CVorlatFilterBase::CPixelBitPtr;

// Clears a block of pixels of any depth in a tile buffer.
void ClearBlock(unsigned char* data, int32_t rowBytes, int32_t colorSpace, int32_t x, int32_t y, int32_t width,
                int32_t height)
{
    static const unsigned char zeros[64] = {};
    for (int32_t row = 0; row < height; ++row) {
        BitPtr at(data, 0, colorSpace, rowBytes);
        at.Move(x, y + row);
        for (int32_t done = 0; done < width;) {
            const int32_t n = std::min<int32_t>(width - done, at.GetBitsPerPixel() >= 8
                                                                  ? static_cast<int32_t>(sizeof zeros) / at.GetBytesPerPixel()
                                                                  : 8 * static_cast<int32_t>(sizeof zeros) / at.GetBitsPerPixel());
            at.CopyPixelsFrom(zeros, n);
            at.MoveX(n);
            done += n;
        }
    }
}

// Moves a position by the crop's origin: into the output, or back into the
// source. A crop far outside the source moves whole-pixel positions past the
// 32-bit range: they stop at its ends.
template <bool kIntoOutput, typename T>
void Shift(T* x, T* y, const RECT& crop)
{
    if constexpr (std::is_floating_point_v<T>) {
        const T sign = kIntoOutput ? -1 : 1;
        *x += sign * crop.left;
        *y += sign * crop.top;
    } else {
        const int64_t sign = kIntoOutput ? -1 : 1;
        *x = kolvex_convert::Clamp64(*x + sign * crop.left);
        *y = kolvex_convert::Clamp64(*y + sign * crop.top);
    }
}

template <bool kIntoOutput, typename Rect>
void Shift(Rect* rect, const RECT& crop)
{
    Shift<kIntoOutput>(&rect->left, &rect->top, crop);
    Shift<kIntoOutput>(&rect->right, &rect->bottom, crop);
}

} // namespace

CCropFilter::CCropFilter(IVorlatManager* manager) : CVorlatFilterBase(manager, kVorlatUsageDiscardable), crop_{0, 0, 0, 0}
{
    // An all-zero crop is the whole source.
    passThrough_ = true;
}

int32_t CCropFilter::GetFilterCode() const { return VorlatFourCC("Crop"); }

const char* CCropFilter::GetFilterDescription() const { return "Crop Filter"; }

const RECT& CCropFilter::GetCrop() const { return crop_; }

IVorlatError* CCropFilter::SetCrop(const RECT& crop, bool notify)
{
    IVorlatError* err = nullptr;
    // The output's width and height are 32-bit.
    if (crop.right < crop.left || crop.bottom < crop.top ||
        static_cast<int64_t>(crop.right) - crop.left > INT32_MAX ||
        static_cast<int64_t>(crop.bottom) - crop.top > INT32_MAX)
        return IVorlatError::Add(nullptr, kFile, __LINE__, kVorlatFromSystem, kKolvexErrBadSetting);
    const bool whole = AllZero(crop);
    IVorlatDataDestination::ChangeSize change{crop_.right - crop_.left, crop_.bottom - crop_.top, 0, 0};
    crop_ = crop;
    cacheDirty_ = true;
    if (const IVorlatDataSource* source = FirstSource()) {
        int32_t width = 0, height = 0;
        if (VorlatFailed(&err, kFile, __LINE__, source->GetSize(&width, &height)))
            return err;
        if (whole) {
            crop_.right = width;
            crop_.bottom = height;
        }
        passThrough_ = crop_.left == 0 && crop_.top == 0 && crop_.right == width && crop_.bottom == height;
    } else {
        passThrough_ = whole;
    }
    if (notify && enabled_) {
        change.newWidth = crop_.right - crop_.left;
        change.newHeight = crop_.bottom - crop_.top;
        VorlatFailed(&err, kFile, __LINE__, VorlatSendDataNotification(this, kVorlatNotifySize, &change));
    }
    return err;
}

// ---- Mapping ------------------------------------------------------------------------

IVorlatError* CCropFilter::FilterPoint(double* x, double* y, const IVorlatDataSource**, int32_t) const
{
    if (Moves())
        Shift<true>(x, y, crop_);
    return nullptr;
}

IVorlatError* CCropFilter::FilterPoint(int32_t* x, int32_t* y, const IVorlatDataSource**, int32_t) const
{
    if (Moves())
        Shift<true>(x, y, crop_);
    return nullptr;
}

IVorlatError* CCropFilter::FilterRect(VorlatDblRect* rect, const IVorlatDataSource**, int32_t) const
{
    if (Moves())
        Shift<true>(rect, crop_);
    return nullptr;
}

IVorlatError* CCropFilter::FilterRect(RECT* rect, const IVorlatDataSource**, int32_t) const
{
    if (Moves())
        Shift<true>(rect, crop_);
    return nullptr;
}

IVorlatError* CCropFilter::DefilterPoint(double* x, double* y, const IVorlatDataSource**, int32_t) const
{
    if (Moves())
        Shift<false>(x, y, crop_);
    return nullptr;
}

IVorlatError* CCropFilter::DefilterPoint(int32_t* x, int32_t* y, const IVorlatDataSource**, int32_t) const
{
    if (Moves())
        Shift<false>(x, y, crop_);
    return nullptr;
}

IVorlatError* CCropFilter::DefilterRect(VorlatDblRect* rect, const IVorlatDataSource**, int32_t) const
{
    if (Moves())
        Shift<false>(rect, crop_);
    return nullptr;
}

IVorlatError* CCropFilter::DefilterRect(RECT* rect, const IVorlatDataSource**, int32_t) const
{
    if (Moves())
        Shift<false>(rect, crop_);
    return nullptr;
}

// ---- Geometry ------------------------------------------------------------------------

IVorlatError* CCropFilter::GetFilteredSize(const IVorlatDataSource** sources, int32_t count, int32_t* width,
                                           int32_t* height)
{
    IVorlatError* err = nullptr;
    const IVorlatDataSource* source = ChosenSource(sources, count);
    if (!source)
        return NoSource(kFile, __LINE__);
    if (VorlatFailed(&err, kFile, __LINE__, source->GetSize(width, height)))
        return err;
    if (Moves()) {
        *width = std::min<int32_t>(*width, crop_.right - crop_.left);
        *height = std::min<int32_t>(*height, crop_.bottom - crop_.top);
    }
    return nullptr;
}

IVorlatError* CCropFilter::FilterSize(const IVorlatDataSource* source, IVorlatDataDestination::ChangeSize* change)
{
    IVorlatError* err = nullptr;
    if (!Moves()) {
        VorlatFailed(&err, kFile, __LINE__, CVorlatFilterBase::FilterSize(source, change));
        return err;
    }
    // The crop keeps its size where it can and slides towards the origin before it shrinks.
    const int32_t cw = crop_.right - crop_.left;
    const int32_t ch = crop_.bottom - crop_.top;
    crop_.left = std::max<int32_t>(0, std::min<int32_t>(crop_.left, change->newWidth - cw));
    crop_.top = std::max<int32_t>(0, std::min<int32_t>(crop_.top, change->newHeight - ch));
    crop_.right = crop_.left + std::min<int32_t>(cw, change->newWidth);
    crop_.bottom = crop_.top + std::min<int32_t>(ch, change->newHeight);
    IVorlatDataDestination::ChangeSize mapped{cw, ch, crop_.right - crop_.left, crop_.bottom - crop_.top};
    cacheDirty_ = true;
    VorlatFailed(&err, kFile, __LINE__, VorlatSendDataNotification(this, kVorlatNotifySize, &mapped));
    return err;
}

// ---- Tiles ---------------------------------------------------------------------------

IVorlatError* CCropFilter::ProcessTile(IVorlatTile* tile, CProcessInfo* info)
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
    const int32_t bits = GetBitsPerPixel(colorSpace);
    if (bits == 0)
        return IVorlatError::Add(nullptr, kFile, __LINE__, kKolvexBadSourceSpace);
    void* data = nullptr;
    if (VorlatFailed(&err, kFile, __LINE__, tile->Lock(&data, nullptr)))
        return err;
    unsigned char* out = static_cast<unsigned char*>(data);
    const int32_t rowBytes = tile->GetRowBytes();

    // The part of the source that the invalid rectangle shows; what lies past
    // the source's edges is left black.
    const RECT wanted{r.left + crop_.left, r.top + crop_.top, r.right + crop_.left, r.bottom + crop_.top};
    const RECT s{std::max<int32_t>(wanted.left, 0), std::max<int32_t>(wanted.top, 0), std::min<int32_t>(wanted.right, width),
                 std::min<int32_t>(wanted.bottom, height)};
    if (s.left != wanted.left || s.top != wanted.top || s.right != wanted.right || s.bottom != wanted.bottom)
        ClearBlock(out, rowBytes, colorSpace, r.left - t.left, r.top - t.top, r.right - r.left, r.bottom - r.top);

    IVorlatTileGrid* grid = nullptr;
    if (s.right > s.left && s.bottom > s.top)
        VorlatFailed(&err, kFile, __LINE__, source->MapRect(&grid, s));
    source_tiles::ForEachCell(source, grid, &err, kFile, __LINE__, [&](const source_tiles::Cell& c) {
        const RECT& a = c.tile;
        const RECT& b = c.used;
        const int32_t spanX = b.right - b.left;
        const int32_t spanY = b.bottom - b.top;
        const int32_t dx = b.left - crop_.left - t.left;
        const int32_t dy = b.top - crop_.top - t.top;
        for (int32_t row = 0; row < spanY; ++row) {
            if (bits >= 8) {
                const int32_t bytes = bits / 8;
                std::memcpy(out + static_cast<intptr_t>(dy + row) * rowBytes + static_cast<intptr_t>(dx) * bytes,
                            c.Row(b.top + row, bytes), static_cast<size_t>(spanX) * bytes);
            } else {
                BitPtr src(c.data, 0, colorSpace, c.rowBytes);
                src.Move(b.left - a.left, b.top - a.top + row);
                BitPtr dst(out, 0, colorSpace, rowBytes);
                dst.Move(dx, dy + row);
                src.CopyPixelsTo(dst, spanX);
            }
        }
    });
    if (grid)
        grid->Destroy();
    VorlatFailed(&err, kFile, __LINE__, tile->Unlock());
    if (!err)
        tile->Validate();
    return err;
}
