#include "app/shell/util/draw_bitmap.h"

#include "clx/gdi.h"

namespace shell {

namespace {

// A memory context for the whole call, its first bitmap put back on the way out.
class MemoryDC {
public:
    MemoryDC(HDC screen, HGDIOBJ bitmap) : dc_(CreateCompatibleDC(screen))
    {
        if (dc_)
            old_ = SelectObject(dc_, bitmap);
    }
    MemoryDC(const MemoryDC&) = delete;
    MemoryDC& operator=(const MemoryDC&) = delete;
    ~MemoryDC()
    {
        if (dc_) {
            SelectObject(dc_, old_);
            DeleteDC(dc_);
        }
    }
    HDC Get() const { return dc_; }

private:
    HDC dc_;
    HGDIOBJ old_ = nullptr;
};

}  // namespace

bool DrawBitmapResource(CBitmap* bitmap, uint32_t resourceId, int32_t states, int32_t state, tagSIZE* size,
                        uint32_t background, int32_t width, int32_t height)
{
    if (!bitmap || states <= 0)
        return false;
    BITMAP info{};
    if (bitmap->GetSafeHandle()) {
        if (!bitmap->GetBitmap(&info))
            return false;
        if (size)
            *size = {info.bmWidth, info.bmHeight / states};
        return true;
    }
    if (state < 1 || state > states)
        return false;
    CBitmap source;
    if (!source.LoadBitmap(resourceId) || !source.GetBitmap(&info))
        return false;
    const int32_t cellWidth = info.bmWidth / 2;
    const int32_t cellHeight = info.bmHeight / states;
    const int32_t w = width == -1 ? cellWidth : width;
    const int32_t h = height == -1 ? cellHeight : height;
    if (cellWidth <= 0 || cellHeight <= 0 || w <= 0 || h <= 0)
        return false;

    const HDC screen = GetDC(nullptr);
    CBitmap target;
    const bool made = screen && target.CreateCompatibleBitmap(screen, w, h);
    if (made) {
        MemoryDC from(screen, source);
        MemoryDC to(screen, target);
        const HBRUSH brush = CreateSolidBrush(background ? background : GetSysColor(COLOR_3DFACE));
        const RECT all{0, 0, w, h};
        FillRect(to.Get(), &all, brush);
        DeleteObject(brush);
        const int32_t x = (w - cellWidth) / 2;
        const int32_t y = (h - cellHeight) / 2;
        const int32_t row = (state - 1) * cellHeight;
        BitBlt(to.Get(), x, y, cellWidth, cellHeight, from.Get(), 0, row, SRCAND);
        BitBlt(to.Get(), x, y, cellWidth, cellHeight, from.Get(), cellWidth, row, SRCPAINT);
    }
    if (screen)
        ReleaseDC(nullptr, screen);
    if (!made)
        return false;
    bitmap->Attach(target.Detach());
    if (size)
        *size = {w, h};
    return true;
}

}  // namespace shell
