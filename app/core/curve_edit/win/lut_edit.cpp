#include "app/core/curve_edit/win/lut_edit.h"

#include <algorithm>
#include <cmath>

#include "app/core/curve_edit/lut_edit_histogram.h"
#include "app/core/curves/hue_channel.h"
#include "app/core/curves/lut_group.h"
#include "clx/app.h"
#include "clx/resources.h"

BEGIN_MESSAGE_MAP(CQzLutEdit, CWnd)
    ON_WM_CREATE()
    ON_WM_DESTROY()
    ON_WM_PAINT()
    ON_WM_ERASEBKGND()
    ON_MESSAGE(WM_PRINTCLIENT, OnPrintClient)
    ON_WM_LBUTTONDOWN()
    ON_WM_MOUSEMOVE()
    ON_WM_LBUTTONUP()
    ON_WM_CAPTURECHANGED()
    ON_WM_NCHITTEST()
    ON_WM_SETCURSOR()
    ON_WM_KEYDOWN()
    ON_WM_CHAR()
    ON_WM_GETDLGCODE()
    ON_WM_SETFOCUS()
    ON_WM_KILLFOCUS()
    ON_WM_WINDOWPOSCHANGED()
END_MESSAGE_MAP()

namespace {

// One of the handle bitmaps as 32-bit pixels; empty when it cannot be loaded.
CQzLutEdit::Image LoadImagePixels(UINT id)
{
    CQzLutEdit::Image image;
    CBitmap bitmap;
    if (!bitmap.Attach(::LoadImageA(AfxGetResourceHandle(), MAKEINTRESOURCEA(id), IMAGE_BITMAP, 0, 0,
                                    LR_CREATEDIBSECTION)))
        return image;
    BITMAP info{};
    if (!bitmap.GetBitmap(&info) || info.bmWidth <= 0 || info.bmHeight <= 0)
        return image;
    BITMAPINFO header{};
    header.bmiHeader.biSize = sizeof header.bmiHeader;
    header.bmiHeader.biWidth = info.bmWidth;
    header.bmiHeader.biHeight = -info.bmHeight;  // top row first
    header.bmiHeader.biPlanes = 1;
    header.bmiHeader.biBitCount = 32;
    header.bmiHeader.biCompression = BI_RGB;
    std::vector<uint32_t> pixels(static_cast<size_t>(info.bmWidth) * static_cast<size_t>(info.bmHeight));
    HDC screen = ::GetDC(nullptr);
    const int rows = ::GetDIBits(screen, bitmap, 0, static_cast<UINT>(info.bmHeight), pixels.data(), &header,
                                 DIB_RGB_COLORS);
    ::ReleaseDC(nullptr, screen);
    if (rows != info.bmHeight)
        return image;
    for (uint32_t& p : pixels)
        p &= 0xFFFFFF;
    image.width = info.bmWidth;
    image.height = info.bmHeight;
    image.pixels = std::move(pixels);
    return image;
}

uint32_t PixelOf(COLORREF c)
{
    return (c & 0xFF) << 16 | (c & 0xFF00) | (c >> 16 & 0xFF);
}

uint32_t PixelOf(LutColour c)
{
    return (c.red & 0xFF) << 16 | (c.green & 0xFF) << 8 | (c.blue & 0xFF);
}

// Drawing into a 32-bit image; everything is clipped to the image.
class Canvas {
public:
    explicit Canvas(CQzLutEdit::Image& image) : image_(image) {}

    void Dot(int64_t x, int64_t y, uint32_t pixel)
    {
        if (x >= 0 && y >= 0 && x < image_.width && y < image_.height)
            image_.pixels[static_cast<size_t>(y) * image_.width + static_cast<size_t>(x)] = pixel;
    }
    void Fill(const LutRect& r, uint32_t pixel)
    {
        const int32_t left = std::max(r.left, 0), right = std::min(r.right, image_.width);
        const int32_t top = std::max(r.top, 0), bottom = std::min(r.bottom, image_.height);
        for (int32_t y = top; y < bottom; ++y)
            for (int32_t x = left; x < right; ++x)
                image_.pixels[static_cast<size_t>(y) * image_.width + x] = pixel;
    }
    // A one-pixel frame just outside `r`.
    void FrameOutside(const LutRect& r, uint32_t pixel)
    {
        for (int64_t x = r.left - 1; x <= r.right; ++x) {
            Dot(x, r.top - 1, pixel);
            Dot(x, r.bottom, pixel);
        }
        for (int64_t y = r.top; y < r.bottom; ++y) {
            Dot(r.left - 1, y, pixel);
            Dot(r.right, y, pixel);
        }
    }
    void DottedColumn(int32_t x, const LutRect& span, uint32_t pixel)
    {
        for (int32_t y = span.top; y < span.bottom; y += 2)
            Dot(x, y, pixel);
    }
    void DottedRow(int32_t y, const LutRect& span, uint32_t pixel)
    {
        for (int32_t x = span.left; x < span.right; x += 2)
            Dot(x, y, pixel);
    }
    // Cell `index` of a sprite sheet (cells across, or down), drawn where its
    // mask cell (cell 0) is black, with its top left at (x, y).
    void Sprite(const CQzLutEdit::Image& sheet, int32_t cells, bool across, int32_t index, int64_t x, int64_t y)
    {
        const int32_t w = across ? sheet.width / cells : sheet.width;
        const int32_t h = across ? sheet.height : sheet.height / cells;
        for (int32_t row = 0; row < h; ++row)
            for (int32_t col = 0; col < w; ++col) {
                const auto at = [&](int32_t cell) {
                    const int32_t sx = col + (across ? cell * w : 0), sy = row + (across ? 0 : cell * h);
                    return sheet.pixels[static_cast<size_t>(sy) * sheet.width + sx];
                };
                if (at(0) == 0)
                    Dot(x + col, y + row, at(index));
            }
    }

private:
    CQzLutEdit::Image& image_;
};

}  // namespace

CQzLutEdit::CQzLutEdit()
{
    const qz::LutEditMetrics& metrics = qz::GetLutEditMetrics();
    geometry_.handleHitRadius = metrics.handleHitRadius;
}

CQzLutEdit::~CQzLutEdit() = default;

BOOL CQzLutEdit::Create(DWORD style, const RECT& rect, CWnd* parent, UINT id)
{
    const char* windowClass =
        AfxRegisterWndClass(CS_DBLCLKS, ::LoadCursorA(nullptr, MAKEINTRESOURCEA(32512) /* IDC_ARROW */));
    return CreateEx(0, windowClass, "", style | WS_CHILD, rect, parent, id);
}

uint32_t CQzLutEdit::DragParts(uint32_t code)
{
    switch (code) {
    case kLutPoints:
        return 0x107;
    case kLutInputBlack:
        return 0x37;
    case kLutGamma:
        return 0x27;
    case kLutInputWhite:
        return 0x67;
    case kLutHueOffset:
        return 0x4087;
    case kLutHueWidth:
        return 0x101;
    case kLutHueRange:
        return 0x200;
    case kLutOutputBlack:
        return 0x407;
    case kLutOutputWhite:
        return 0x807;
    default:
        return 0;
    }
}

void CQzLutEdit::SetLutGroup(CQzLutGroup* group)
{
    group_ = group;
    Redraw(true);
}

void CQzLutEdit::Redraw(bool now)
{
    backgroundDirty_ = true;
    if (now && m_hWnd) {
        InvalidateRect(nullptr, FALSE);
        UpdateWindow();
    }
}

void CQzLutEdit::SetDisplayFlags(uint32_t flags)
{
    displayFlags_ = flags;
    Redraw(true);
}

void CQzLutEdit::SetLevelsShown(bool input, bool output)
{
    geometry_.inputLevelsShown = input;
    geometry_.outputLevelsShown = output;
    Redraw(true);
}

// ---------------------------------------------------------------- the viewer side of a drag

void CQzLutEdit::DragBegan(uint32_t code)
{
    dragCode_ = code;
    dragParts_ = DragParts(code);
    backgroundParts_ = 0x7FFF & ~dragParts_;
    backgroundDirty_ = true;
    RefreshBackground();
    if (m_hWnd && ::GetCapture() != m_hWnd)
        SetCapture();
}

void CQzLutEdit::DragStep(uint32_t code)
{
    if (container_)
        container_->OnChanging(*this, code);
    if (!m_hWnd)
        return;
    const LutEditStyle style = TakeStyle();
    RefreshBackground();
    frame_ = background_;
    Paint(frame_, dragParts_, style);
    CClientDC dc(m_hWnd);
    Present(frame_, dc);
}

void CQzLutEdit::DragEnded(uint32_t code)
{
    dragCode_ = 0;
    dragParts_ = 0;
    backgroundParts_ = 0x7FFF;
    Redraw(true);
    if (m_hWnd && ::GetCapture() == m_hWnd) {
        // The drag is ending already: the capture change must not end it again.
        const bool wasEnding = endingDrag_;
        endingDrag_ = true;
        ::ReleaseCapture();
        endingDrag_ = wasEnding;
    }
    if (container_)
        container_->OnChanged(*this, code);
}

// ---------------------------------------------------------------- messages

int CQzLutEdit::OnCreate(CREATESTRUCT* cs)
{
    if (CWnd::OnCreate(cs) == -1)
        return -1;
    inputHandles_ = LoadImagePixels(kLutInputHandleBitmap);
    outputHandles_ = LoadImagePixels(kLutOutputHandleBitmap);
    points_ = LoadImagePixels(kLutPointBitmap);
    // Each sheet must hold its cells whole: 4 down, 3 across, 3 across.
    if (inputHandles_.height < 4 || outputHandles_.width < 3 || points_.width < 3)
        return -1;
    LayOut();
    return 0;
}

void CQzLutEdit::OnDestroy()
{
    background_ = Image{};
    frame_ = Image{};
    CWnd::OnDestroy();
}

void CQzLutEdit::OnPaint()
{
    CPaintDC dc(m_hWnd);
    RefreshBackground();
    if (dragParts_) {
        frame_ = background_;
        Paint(frame_, dragParts_, TakeStyle());
        Present(frame_, dc);
    } else {
        Present(background_, dc);
    }
}

LRESULT CQzLutEdit::OnPrintClient(WPARAM dc, LPARAM)
{
    RefreshBackground();
    Image shown = background_;
    if (dragParts_)
        Paint(shown, dragParts_, TakeStyle());
    Present(shown, reinterpret_cast<HDC>(dc));
    return 0;
}

void CQzLutEdit::OnLButtonDown(UINT flags, CPoint point)
{
    if (!group_) {
        CWnd::OnLButtonDown(flags, point);
        return;
    }
    SetFocus();
    lastHit_ = group_->BeginDrag(*this, LutPoint{point.x, point.y});
    OnSetCursor(CWindow(m_hWnd), HTCLIENT, WM_LBUTTONDOWN);
}

void CQzLutEdit::OnMouseMove(UINT flags, CPoint point)
{
    if (!group_ || !(flags & MK_LBUTTON)) {
        CWnd::OnMouseMove(flags, point);
        return;
    }
    lastHit_ = group_->TrackMouse(*this, LutPoint{point.x, point.y});
    if (container_)
        container_->ShowValue(*this, lastHit_);
}

void CQzLutEdit::OnLButtonUp(UINT flags, CPoint point)
{
    if (::GetCapture() == m_hWnd) {
        // The capture change ends the drag.
        ::ReleaseCapture();
        return;
    }
    if (group_)
        group_->EndDrag(*this);
    else
        CWnd::OnLButtonUp(flags, point);
}

void CQzLutEdit::OnCaptureChanged(CWindow other)
{
    if (group_ && !endingDrag_) {
        endingDrag_ = true;
        group_->EndDrag(*this);
        endingDrag_ = false;
    }
    CWnd::OnCaptureChanged(other);
}

LRESULT CQzLutEdit::OnNcHitTest(CPoint screen)
{
    // Only a hit test: while a drag runs the group would take it as a step.
    if (group_ && !group_->IsDragging()) {
        POINT p = screen;
        ScreenToClient(&p);
        lastHit_ = group_->TrackMouse(*this, LutPoint{p.x, p.y});
    }
    return CWnd::OnNcHitTest(screen);
}

BOOL CQzLutEdit::OnSetCursor(CWindow wnd, UINT hitTest, UINT message)
{
    if (hitTest == HTCLIENT) {
        const bool swapped = TakeStyle().swapBlackWhite != 0;
        UINT id = 0;
        switch (lastHit_) {
        case kLutOnCurve:
            id = 213;
            break;
        case kLutOtherPoint:
        case kLutPoints:
            id = 214;
            break;
        case kLutInputBlack:
            id = swapped ? 216 : 211;
            break;
        case kLutGamma:
            id = 212;
            break;
        case kLutInputWhite:
            id = swapped ? 211 : 216;
            break;
        case kLutHueOffset:
            id = 319;
            break;
        case kLutOutputBlack:
            id = swapped ? 260 : 259;
            break;
        case kLutOutputWhite:
            id = swapped ? 259 : 260;
            break;
        default:
            break;
        }
        HCURSOR cursor = id ? ::LoadCursorA(AfxGetResourceHandle(), MAKEINTRESOURCEA(id)) : nullptr;
        ::SetCursor(cursor ? cursor : ::LoadCursorA(nullptr, MAKEINTRESOURCEA(32512) /* IDC_ARROW */));
        return TRUE;
    }
    return CWnd::OnSetCursor(wnd, hitTest, message);
}

void CQzLutEdit::OnKeyDown(UINT key, UINT repeat, UINT flags)
{
    if (!group_) {
        CWnd::OnKeyDown(key, repeat, flags);
        return;
    }
    uint32_t codes = 0;
    bool known = true;
    for (UINT i = 0; i < std::max(repeat, 1u) && known; ++i) {
        switch (key) {
        case VK_PRIOR:
            codes |= group_->NudgeOffsetUp(*this);
            break;
        case VK_NEXT:
            codes |= group_->NudgeOffsetDown(*this);
            break;
        case VK_LEFT:
            codes |= group_->NudgePointLeft(*this);
            break;
        case VK_UP:
            codes |= group_->NudgePointUp(*this);
            break;
        case VK_RIGHT:
            codes |= group_->NudgePointRight(*this);
            break;
        case VK_DOWN:
            codes |= group_->NudgePointDown(*this);
            break;
        case VK_INSERT:
            codes |= group_->InsertPoint();
            break;
        case VK_DELETE:
            codes |= group_->DeleteSelectedPoint();
            break;
        default:
            known = false;
            break;
        }
    }
    if (!known)
        CWnd::OnKeyDown(key, repeat, flags);
    ReportKeys(codes);
}

void CQzLutEdit::OnChar(UINT ch, UINT repeat, UINT flags)
{
    if (!group_) {
        CWnd::OnChar(ch, repeat, flags);
        return;
    }
    uint32_t codes = 0;
    bool known = true;
    for (UINT i = 0; i < std::max(repeat, 1u) && known; ++i) {
        switch (ch) {
        case '+':
            codes |= group_->SelectNextPoint();
            break;
        case '-':
            codes |= group_->SelectPreviousPoint();
            break;
        case ',':
            codes |= group_->NudgeBlackLeft(*this);
            break;
        case '.':
            codes |= group_->NudgeBlackRight(*this);
            break;
        case '<':
            codes |= group_->NudgeWhiteLeft(*this);
            break;
        case '>':
            codes |= group_->NudgeWhiteRight(*this);
            break;
        case '1':
        case '2':
        case '3':
            codes |= group_->SetVerticalRange(static_cast<int32_t>(ch - '0'));
            break;
        default:
            known = false;
            break;
        }
    }
    if (!known)
        CWnd::OnChar(ch, repeat, flags);
    ReportKeys(codes);
}

void CQzLutEdit::ReportKeys(uint32_t codes)
{
    if (!codes)
        return;
    Redraw(true);
    if (container_) {
        container_->ShowValue(*this, codes);
        container_->OnChanging(*this, codes);
        container_->OnChanged(*this, codes);
    }
}

UINT CQzLutEdit::OnGetDlgCode()
{
    return CWnd::OnGetDlgCode() | DLGC_WANTARROWS | DLGC_WANTCHARS;
}

void CQzLutEdit::OnSetFocus(CWindow old)
{
    CWnd::OnSetFocus(old);
    focused_ = true;
    Redraw(true);
}

void CQzLutEdit::OnKillFocus(CWindow next)
{
    CWnd::OnKillFocus(next);
    focused_ = false;
    Redraw(true);
}

void CQzLutEdit::OnWindowPosChanged(WINDOWPOS* pos)
{
    CWnd::OnWindowPosChanged(pos);
    LayOut();
}

// ---------------------------------------------------------------- layout and painting

void CQzLutEdit::LayOut()
{
    RECT client{};
    ::GetClientRect(m_hWnd, &client);
    layout_ = qz::LayOutLutEdit(client.right, client.bottom, qz::GetLutEditMetrics());
    geometry_.plot = layout_.plot;
    // The handles are caught over their row and the gradient above it.
    geometry_.inputStrip = LutRect{};
    geometry_.outputStrip = LutRect{};
    geometry_.huePlot = LutRect{};
    geometry_.offsetStrip = LutRect{};
    geometry_.widthStrip = LutRect{};
    geometry_.rangeBox = LutRect{};
    if (layout_.side) {
        const LutRect& handles = layout_.inputHandles;
        geometry_.inputStrip = {handles.left, layout_.gradient.top, handles.right, handles.bottom};
        geometry_.outputStrip = layout_.outputHandles;
        // A hue channel uses the same places: the plot, the output column for
        // the offset, the strip under the plot for the selected point's width,
        // and the corner between them for the range.
        geometry_.huePlot = layout_.plot;
        geometry_.offsetStrip = {layout_.outputHandles.left, layout_.plot.top, layout_.outputHandles.right,
                                 layout_.plot.bottom};
        geometry_.widthStrip = {layout_.plot.left, layout_.gradient.top, layout_.plot.right, handles.bottom};
        geometry_.rangeBox = {layout_.outputHandles.left, layout_.gradient.top, layout_.outputHandles.right,
                              handles.bottom};
        geometry_.offsetTolerance = geometry_.handleHitRadius / 2;
    }
    backgroundDirty_ = true;
}

LutEditStyle CQzLutEdit::TakeStyle()
{
    LutEditStyle style;
    if (container_)
        container_->GetStyle(*this, style);
    return style;
}

bool CQzLutEdit::RefreshBackground()
{
    RECT client{};
    if (m_hWnd)
        ::GetClientRect(m_hWnd, &client);
    if (!backgroundDirty_ && background_.width == client.right && background_.height == client.bottom)
        return false;
    background_.width = std::max<int32_t>(client.right, 0);
    background_.height = std::max<int32_t>(client.bottom, 0);
    background_.pixels.assign(static_cast<size_t>(background_.width) * static_cast<size_t>(background_.height), 0);
    Paint(background_, backgroundParts_, TakeStyle());
    backgroundDirty_ = false;
    return true;
}

void CQzLutEdit::Paint(Image& image, uint32_t parts, const LutEditStyle& style)
{
    if (image.pixels.empty())
        return;
    Canvas canvas(image);
    const LutRect& plot = layout_.plot;
    if (parts & 0x4000) {
        canvas.Fill(LutRect{0, 0, image.width, image.height}, PixelOf(style.windowBackground));
        if (layout_.side) {
            canvas.FrameOutside(plot, PixelOf(style.frame));
            canvas.FrameOutside(layout_.gradient, PixelOf(style.frame));
            canvas.Fill(plot, PixelOf(style.plotBackground));
        }
    }
    if (!layout_.side || !group_)
        return;
    CQzLutChannelBase* current = group_->GetChannel(-1);
    if (!current)
        return;
    if (current->IsHueChannel())
        PaintHue(image, parts, style);
    else
        PaintTone(image, parts, style);
}

void CQzLutEdit::PaintTone(Image& image, uint32_t parts, const LutEditStyle& style)
{
    Canvas canvas(image);
    const LutRect& plot = layout_.plot;
    const int32_t side = layout_.side;
    auto& channel = static_cast<CQzLutChannel&>(*group_->GetChannel(-1));
    const bool inputShown = geometry_.inputLevelsShown, outputShown = geometry_.outputLevelsShown;

    if (parts & 0x4000) {
        const uint32_t flags = 0x72 | (inputShown ? 0x04 : 0) | (outputShown ? 0x08 : 0);
        const std::vector<uint32_t>& counts = (displayFlags_ & kLutShowOutputHistogram)
                                                  ? channel.GetOutputHistogram(flags)
                                                  : channel.GetInputHistogram(flags);
        if (!counts.empty()) {
            const qz::LutHistogramColumns columns = qz::GroupLutHistogram(counts.data(), counts.size());
            const uint64_t scale = qz::LutHistogramScale(columns);
            const uint32_t pixel = PixelOf(style.histogram);
            for (int32_t k = 0; k < qz::kLutHistogramColumns; ++k) {
                const int32_t height = qz::LutHistogramBarHeight(columns[k], scale, side);
                if (!height)
                    continue;
                const int64_t left = plot.left + static_cast<int64_t>(k) * side / qz::kLutHistogramColumns;
                const int64_t right =
                    std::max(left + 1, plot.left + static_cast<int64_t>(k + 1) * side / qz::kLutHistogramColumns);
                canvas.Fill(LutRect{static_cast<int32_t>(left), plot.bottom - height, static_cast<int32_t>(right),
                                    plot.bottom},
                            pixel);
            }
        }
        // More divisions than pixels would only fill the plot with grid.
        const int32_t divisions = std::min(style.gridDivisions, side);
        for (int32_t k = 1; k < divisions; ++k) {
            const int32_t offset = static_cast<int32_t>(static_cast<int64_t>(k) * side / divisions);
            canvas.Fill(LutRect{plot.left + offset, plot.top, plot.left + offset + 1, plot.bottom},
                        PixelOf(style.grid));
            canvas.Fill(LutRect{plot.left, plot.top + offset, plot.right, plot.top + offset + 1}, PixelOf(style.grid));
        }
        if (displayFlags_ & kLutShowOtherCurves) {
            for (int32_t c = 0; c < group_->GetChannelCount(); ++c) {
                CQzLutChannelBase* other = group_->GetChannel(c);
                if (other == &channel || other->IsHueChannel())
                    continue;
                auto& tone = static_cast<CQzLutChannel&>(*other);
                const std::vector<uint32_t>& table = tone.GetDisplayTable(plot, inputShown, outputShown);
                const uint32_t pixel = PixelOf(tone.GetCurveColour());
                for (size_t x = 0; x < table.size(); ++x)
                    canvas.Dot(plot.left + static_cast<int64_t>(x),
                               plot.bottom - 1 - static_cast<int64_t>(std::min<uint32_t>(table[x], side - 1)), pixel);
            }
        }
    }

    const std::vector<uint32_t>& table = channel.GetDisplayTable(plot, inputShown, outputShown);
    if (parts & 0x01) {
        const uint32_t curve = PixelOf(channel.GetCurveColour());
        const LutColour dark = channel.GetDarkColour(), light = channel.GetLightColour();
        for (int32_t x = 0; x < side; ++x) {
            const uint32_t entry =
                table.size() == static_cast<size_t>(side) ? std::min<uint32_t>(table[x], side - 1) : x;
            canvas.Dot(plot.left + x, plot.bottom - 1 - static_cast<int64_t>(entry), curve);
            const double v = static_cast<double>(entry) / (side - 1);
            const auto mix = [v](uint32_t from, uint32_t to) {
                return static_cast<uint32_t>(from + (static_cast<double>(to) - from) * v + 0.5) & 0xFF;
            };
            const uint32_t tone = mix(dark.red, light.red) << 16 | mix(dark.green, light.green) << 8 |
                                  mix(dark.blue, light.blue);
            canvas.Fill(LutRect{plot.left + x, layout_.gradient.top, plot.left + x + 1, layout_.gradient.bottom}, tone);
        }
    }

    if (parts & 0x06) {
        std::vector<LutPoint> positions(static_cast<size_t>(channel.GetPointCount()));
        const int32_t count = channel.GetPointPositions(plot, positions.data(), channel.GetPointCount());
        const int32_t w = points_.width / 3, h = points_.height;
        for (int32_t i = 0; i < count; ++i) {
            const bool selected = focused_ && i == channel.GetSelectedPoint();
            canvas.Sprite(points_, 3, true, selected ? 2 : 1, positions[i].x - w / 2, positions[i].y - h / 2);
        }
    }

    const bool swapped = style.swapBlackWhite != 0;
    if (inputShown && (parts & 0x70)) {
        int32_t columns[3];
        channel.GetInputHandlePositions(plot, columns);
        const int32_t w = inputHandles_.width;
        const uint32_t guide = PixelOf(style.guide);
        // Image cells: 1 black, 2 middle, 3 white.
        const struct {
            uint32_t part;
            int32_t cell;
        } handles[3] = {{0x10, swapped ? 3 : 1}, {0x20, 2}, {0x40, swapped ? 1 : 3}};
        for (int k = 0; k < 3; ++k) {
            if (!(parts & handles[k].part))
                continue;
            if (k == 0 && columns[0] != plot.left)
                canvas.DottedColumn(columns[0], plot, guide);
            if (k == 2 && columns[2] != plot.right - 1)
                canvas.DottedColumn(columns[2], plot, guide);
            canvas.Sprite(inputHandles_, 4, false, handles[k].cell, columns[k] - w / 2, layout_.inputHandles.top);
        }
    }
    if (outputShown && (parts & 0xC00)) {
        int32_t rows[2];
        channel.GetOutputHandlePositions(plot, rows);
        const int32_t h = outputHandles_.height;
        const uint32_t guide = PixelOf(style.guide);
        if (parts & 0x400) {
            if (rows[0] != plot.bottom - 1)
                canvas.DottedRow(rows[0], plot, guide);
            canvas.Sprite(outputHandles_, 3, true, swapped ? 2 : 1, layout_.outputHandles.left, rows[0] - h / 2);
        }
        if (parts & 0x800) {
            if (rows[1] != plot.top)
                canvas.DottedRow(rows[1], plot, guide);
            canvas.Sprite(outputHandles_, 3, true, swapped ? 1 : 2, layout_.outputHandles.left, rows[1] - h / 2);
        }
    }
}

void CQzLutEdit::PaintHue(Image& image, uint32_t parts, const LutEditStyle& style)
{
    Canvas canvas(image);
    auto& channel = static_cast<CQzHueChannel&>(*group_->GetChannel(-1));
    const LutRect& plot = geometry_.huePlot;
    const int32_t half = plot.Height() / 2;
    const int32_t middle = (plot.top + 1 + plot.bottom) / 2;
    const double range = channel.GetVerticalRange();
    // Amounts are shown on a scale of range / 3 per half height.
    const auto rowOf = [&](double amount) {
        return static_cast<int64_t>(middle - 1 - std::lround(amount * 3 / range * half));
    };
    if (parts & 0x4000) {
        canvas.Fill(plot, PixelOf(style.huePlotBackground));
        canvas.Fill(LutRect{plot.left, middle - 1, plot.right, middle}, PixelOf(style.hueZeroLine));
    }
    if (parts & 0x80) {
        const int64_t row = rowOf(channel.GetOffset());
        canvas.DottedRow(static_cast<int32_t>(std::clamp<int64_t>(row, plot.top, plot.bottom - 1)), plot,
                         PixelOf(style.hueCurve));
    }
    const std::vector<HuePoint>& points = channel.GetPoints();
    if (parts & 0x06) {
        for (size_t i = 0; i < points.size(); ++i) {
            const int64_t x = plot.left + std::lround(points[i].position * (plot.Width() - 1));
            const int64_t y = rowOf(points[i].amount);
            const bool selected = focused_ && static_cast<int32_t>(i) == channel.GetSelectedPoint();
            for (int64_t dy = -2; dy <= 2; ++dy)
                for (int64_t dx = -2; dx <= 2; ++dx) {
                    const bool edge = dx == -2 || dx == 2 || dy == -2 || dy == 2;
                    canvas.Dot(x + dx, y + dy, PixelOf(edge || selected ? style.huePoint : style.huePointFill));
                }
        }
    }
    if ((parts & 0x100) && channel.GetSelectedPoint() >= 0 &&
        channel.GetSelectedPoint() < static_cast<int32_t>(points.size())) {
        const HuePoint& point = points[static_cast<size_t>(channel.GetSelectedPoint())];
        const int32_t x = plot.left + static_cast<int32_t>(std::lround(point.width * (plot.Width() - 1)));
        canvas.Fill(LutRect{plot.left, geometry_.widthStrip.top + 1, x + 1, geometry_.widthStrip.top + 2},
                    PixelOf(style.hueCurve));
    }
    if (parts & 0x200) {
        const LutRect& box = geometry_.rangeBox;
        canvas.Fill(box, PixelOf(style.huePlotBackground));
        // One mark per step of the range.
        for (int32_t k = 0; k < channel.GetVerticalRange(); ++k)
            canvas.Fill(LutRect{box.left + 1, box.bottom - 2 - 3 * k, box.right - 1, box.bottom - 1 - 3 * k},
                        PixelOf(style.huePoint));
    }
}

void CQzLutEdit::Present(const Image& image, HDC dc) const
{
    if (image.pixels.empty() || !dc)
        return;
    BITMAPINFO header{};
    header.bmiHeader.biSize = sizeof header.bmiHeader;
    header.bmiHeader.biWidth = image.width;
    header.bmiHeader.biHeight = -image.height;
    header.bmiHeader.biPlanes = 1;
    header.bmiHeader.biBitCount = 32;
    header.bmiHeader.biCompression = BI_RGB;
    ::SetDIBitsToDevice(dc, 0, 0, static_cast<DWORD>(image.width), static_cast<DWORD>(image.height), 0, 0, 0,
                        static_cast<UINT>(image.height), image.pixels.data(), &header, DIB_RGB_COLORS);
}
