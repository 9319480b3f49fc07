#include "app/shell/controls/qz_button_states.h"

#include <initializer_list>

namespace shell {

namespace {

// A memory context drawing into one bitmap, its first bitmap put back on the way out.
class Canvas {
public:
    explicit Canvas(HBITMAP bitmap) : dc_(CreateCompatibleDC(nullptr))
    {
        if (dc_)
            old_ = SelectObject(dc_, bitmap);
    }
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;
    ~Canvas()
    {
        if (dc_) {
            SelectObject(dc_, old_);
            DeleteDC(dc_);
        }
    }
    HDC dc() const { return dc_; }

private:
    HDC dc_;
    HGDIOBJ old_ = nullptr;
};

HBITMAP NewBitmap(int width, int height)
{
    HDC screen = GetDC(nullptr);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    ReleaseDC(nullptr, screen);
    return bitmap;
}

void Run(HDC dc, int x0, int y0, int x1, int y1, COLORREF colour)
{
    // Inclusive ends, one pixel wide or high.
    RECT r{x0, y0, x1 + 1, y1 + 1};
    SetBkColor(dc, colour);
    ExtTextOutA(dc, 0, 0, ETO_OPAQUE, &r, nullptr, 0, nullptr);
}

// One ring of a frame, `ring` pixels in from the edge, drawn as a line from
// the bottom-left up and across the top, then down the right and back along
// the bottom, each line short of its end point.
void Bevel(HDC dc, int w, int h, int ring, COLORREF topLeft, COLORREF bottomRight)
{
    const int l = ring, t = ring, r = w - 1 - ring, b = h - 1 - ring;
    Run(dc, l, t + 1, l, b, topLeft);
    Run(dc, l, t, r - 1, t, topLeft);
    Run(dc, r, t, r, b - 1, bottomRight);
    Run(dc, l + 1, b, r, b, bottomRight);
}

void Raised(HDC dc, int w, int h)
{
    Bevel(dc, w, h, 0, GetSysColor(COLOR_3DHILIGHT), GetSysColor(COLOR_3DDKSHADOW));
    Bevel(dc, w, h, 1, GetSysColor(COLOR_3DLIGHT), GetSysColor(COLOR_BTNSHADOW));
}

void Sunken(HDC dc, int w, int h)
{
    Bevel(dc, w, h, 0, GetSysColor(COLOR_3DDKSHADOW), GetSysColor(COLOR_3DHILIGHT));
    Bevel(dc, w, h, 1, GetSysColor(COLOR_BTNSHADOW), GetSysColor(COLOR_3DLIGHT));
}

void DottedFocus(HDC dc, int w, int h)
{
    for (int x = 4; x < w - 3; x += 2) {
        SetPixel(dc, x, 3, RGB(0, 0, 0));
        SetPixel(dc, x, h - 4, RGB(0, 0, 0));
    }
    for (int y = 4; y < h - 3; y += 2) {
        SetPixel(dc, 3, y, RGB(0, 0, 0));
        SetPixel(dc, w - 4, y - 1, RGB(0, 0, 0));
    }
}

// Mask with AND, then picture with OR, on the button face.
void Face(HDC dc, HDC strip, int w, int h, int cellW, int cellH, int sourceY, int at)
{
    Run(dc, 0, 0, w - 1, h - 1, GetSysColor(COLOR_BTNFACE));
    BitBlt(dc, at, at, cellW, cellH, strip, 0, sourceY, SRCAND);
    BitBlt(dc, at, at, cellW, cellH, strip, cellW, sourceY, SRCPAINT);
}

void Greyed(HDC dc, int w, int h)
{
    const COLORREF face = GetSysColor(COLOR_BTNFACE);
    const COLORREF light = GetSysColor(COLOR_3DLIGHT);
    const COLORREF shadow = GetSysColor(COLOR_BTNSHADOW);
    const COLORREF hilight = GetSysColor(COLOR_3DHILIGHT);
    for (int y = 4; y < h - 4; ++y)
        for (int x = 4; x < w - 4; ++x) {
            const COLORREF c = GetPixel(dc, x, y);
            if (c == RGB(255, 255, 255))
                SetPixel(dc, x, y, light);
            else if (c != face)
                SetPixel(dc, x, y, shadow);
        }
    // An embossed edge below and right of the shape.
    for (int y = 4; y < h - 4; ++y)
        for (int x = 4; x < w - 4; ++x)
            if (GetPixel(dc, x, y) == shadow && GetPixel(dc, x + 1, y + 1) == face)
                SetPixel(dc, x + 1, y + 1, hilight);
}

HBITMAP Copy(HBITMAP source, int w, int h)
{
    HBITMAP copy = NewBitmap(w, h);
    if (!copy)
        return nullptr;
    Canvas from(source);
    Canvas to(copy);
    BitBlt(to.dc(), 0, 0, w, h, from.dc(), 0, 0, SRCCOPY);
    return copy;
}

}  // namespace

bool MakeButtonStates(HBITMAP strip, int rowCount, int row, HBITMAP out[4])
{
    BITMAP info{};
    if (!strip || rowCount < 1 || row < 1 || row > rowCount || !GetObjectA(strip, sizeof info, &info))
        return false;
    const int cellW = info.bmWidth / 2;
    const int cellH = info.bmHeight / rowCount;
    if (cellW < 1 || cellH < 1)
        return false;
    const int w = cellW + 8, h = cellH + 8;
    const int sourceY = (row - 1) * cellH;
    for (int i = 0; i < 4; ++i)
        out[i] = nullptr;
    HBITMAP normal = NewBitmap(w, h);
    HBITMAP pressed = NewBitmap(w, h);
    if (!normal || !pressed) {
        DeleteObject(normal);
        DeleteObject(pressed);
        return false;
    }
    Canvas source(strip);
    {
        Canvas c(normal);
        Face(c.dc(), source.dc(), w, h, cellW, cellH, sourceY, 4);
        Raised(c.dc(), w, h);
    }
    {
        Canvas c(pressed);
        Face(c.dc(), source.dc(), w, h, cellW, cellH, sourceY, 5);
        Sunken(c.dc(), w, h);
        DottedFocus(c.dc(), w, h);
    }
    HBITMAP focus = Copy(normal, w, h);
    HBITMAP disabled = Copy(normal, w, h);
    if (!focus || !disabled) {
        for (HBITMAP b : {normal, pressed, focus, disabled})
            DeleteObject(b);
        return false;
    }
    {
        Canvas c(focus);
        DottedFocus(c.dc(), w, h);
    }
    {
        Canvas c(disabled);
        Greyed(c.dc(), w, h);
    }
    out[0] = normal;
    out[1] = pressed;
    out[2] = focus;
    out[3] = disabled;
    return true;
}

HBITMAP MakeCheckedLook(HBITMAP source)
{
    BITMAP info{};
    if (!source || !GetObjectA(source, sizeof info, &info))
        return nullptr;
    HBITMAP copy = Copy(source, info.bmWidth, info.bmHeight);
    if (copy) {
        Canvas c(copy);
        Sunken(c.dc(), info.bmWidth, info.bmHeight);
    }
    return copy;
}

}  // namespace shell
