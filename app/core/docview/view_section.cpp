#include "app/core/docview/view_section.h"

#include <algorithm>
#include <cstdlib>

#include "app/core/docview/image_display_view.h"
#include "app/core/view_model/frame_layout.h"
#include "clx/app.h"
#include "clx/messages.h"
#include "clx/msgmap.h"

BEGIN_MESSAGE_MAP(CViewSection, CWnd)
    ON_WM_CREATE()
    ON_WM_PAINT()
    ON_WM_ERASEBKGND()
    ON_WM_LBUTTONDOWN()
    ON_WM_MOUSEMOVE()
    ON_WM_VSCROLL()
    ON_WM_HSCROLL()
    ON_WM_CONTEXTMENU()
    ON_WM_SIZE()
    ON_WM_DRAWITEM()
    ON_MESSAGE(WM_SIZEPARENT, OnSizeParent)
    ON_MESSAGE(WM_SETTEXT, OnSetText)
END_MESSAGE_MAP()

namespace {

// The buttons' ids and their faces up and pressed.
struct ButtonResource {
    UINT id;
    UINT up;
    UINT down;
};
constexpr ButtonResource kButtons[] = {
    {kSectionPreviousId, 132, 134},
    {kSectionNextId, 133, 135},
    {kSectionDeleteId, 156, 155},
};

}  // namespace

BOOL CViewSection::Create(bool withButtons, const char* caption, DWORD style, const RECT& rect, CWnd* parent,
                          UINT id)
{
    withButtons_ = withButtons;
    const char* cls = AfxRegisterWndClass(0, ::LoadCursorA(nullptr, MAKEINTRESOURCEA(32512) /* IDC_ARROW */));
    // Its scroll bar is a child that the bar's off-screen drawing must not cover.
    return CreateEx(0, cls, caption, style | WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, rect, parent, id);
}

int32_t CViewSection::LoadHeaderHeight()
{
    CBitmap header;
    if (!header.LoadBitmap(kSectionHeaderBitmapId))
        return 16;
    BITMAP info{};
    ::GetObjectA(header.m_hObject, sizeof info, &info);
    return info.bmHeight / 2;
}

int32_t CViewSection::CaptionBandHeight() const
{
    return std::max(1, headerHeight_ - kSeparatorLines);
}

int32_t CViewSection::CaptionCellHeight() const
{
    HDC screen = ::GetDC(nullptr);
    HGDIOBJ old = ::SelectObject(screen, font_.m_hObject ? font_.m_hObject : ::GetStockObject(DEFAULT_GUI_FONT));
    TEXTMETRICA metrics{};
    ::GetTextMetricsA(screen, &metrics);
    ::SelectObject(screen, old);
    ::ReleaseDC(nullptr, screen);
    return metrics.tmHeight;
}

int CViewSection::OnCreate(CREATESTRUCT* cs)
{
    if (CWnd::OnCreate(cs) == -1)
        return -1;
    // Two images one above the other: collapsed, then open.
    if (header_.LoadBitmap(kSectionHeaderBitmapId)) {
        BITMAP info{};
        ::GetObjectA(header_.m_hObject, sizeof info, &info);
        headerWidth_ = info.bmWidth;
        headerHeight_ = info.bmHeight / 2;
    }
    openHeight_ = cs->cy;

    LOGFONTA lf{};
    ::GetObjectA(::GetStockObject(DEFAULT_GUI_FONT), sizeof lf, &lf);
    lf.lfItalic = TRUE;
    lf.lfClipPrecision = 128;
    lf.lfPitchAndFamily = 0x22;
    // Two pixels smaller than the header, whichever sign the height has.
    const int32_t size = std::clamp(headerHeight_ - 2, 1, headerHeight_);
    lf.lfHeight = lf.lfHeight < 0 ? -size : size;
    font_.CreateFontIndirect(&lf);
    // A character height (negative) leaves the cell taller than asked: the
    // caption must fit above the separator, so a font whose measured cell
    // does not is made again with a cell height (positive) that fits.
    for (int32_t cell = CaptionBandHeight(); cell >= 1 && CaptionCellHeight() > CaptionBandHeight(); --cell) {
        font_.DeleteObject();
        lf.lfHeight = cell;
        font_.CreateFontIndirect(&lf);
    }

    if (withButtons_ && !CreateButtons())
        return -1;
    SetMode(mode_, true);
    return 0;
}

bool CViewSection::CreateButtons()
{
    for (int i = 0; i < kButtonCount; ++i) {
        SectionButton& button = buttons_[i];
        if (!button.up.LoadBitmap(kButtons[i].up) || !button.down.LoadBitmap(kButtons[i].down))
            return false;
        BITMAP face{};
        ::GetObjectA(button.up.m_hObject, sizeof face, &face);
        button.wnd = ::CreateWindowExA(0, "BUTTON", "", WS_CHILD | BS_OWNERDRAW, 0, 0, 19, 16, m_hWnd,
                                       reinterpret_cast<HMENU>(static_cast<INT_PTR>(kButtons[i].id)),
                                       ::GetModuleHandleA(nullptr), nullptr);
        if (!button.wnd)
            return false;
        ::SetWindowPos(button.wnd, nullptr, 0, 0, face.bmWidth, face.bmHeight,
                       SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    PlaceButtons(GetClientRect().Width());
    return true;
}

// Delete, Previous and Next from the bar's right end, centred in the header.
void CViewSection::PlaceButtons(int32_t width)
{
    if (!buttons_[kPrevious].wnd)
        return;
    RECT place{};
    ::GetWindowRect(buttons_[kPrevious].wnd, &place);
    const int32_t buttonWidth = place.right - place.left, buttonHeight = place.bottom - place.top;
    const qz::SectionButtonPlaces x = qz::PlaceSectionButtons(width, buttonWidth);
    const int32_t y = (headerHeight_ - buttonHeight) / 2;
    const int32_t xs[kButtonCount] = {x.previousX, x.nextX, x.deleteX};
    for (int i = 0; i < kButtonCount; ++i)
        ::SetWindowPos(buttons_[i].wnd, nullptr, xs[i], y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// The buttons stand in the header only while the bar is collapsed.
void CViewSection::ShowButtons()
{
    for (SectionButton& button : buttons_) {
        if (button.wnd)
            ::ShowWindow(button.wnd, mode_ == kOpen ? SW_HIDE : SW_SHOWNA);
    }
}

void CViewSection::OnSize(UINT, int cx, int)
{
    PlaceButtons(cx);
}

void CViewSection::OnDrawItem(int, DRAWITEMSTRUCT* item)
{
    for (SectionButton& button : buttons_) {
        if (item->hwndItem != button.wnd || !button.wnd)
            continue;
        const CBitmap& face = item->itemState & ODS_SELECTED ? button.down : button.up;
        HDC images = ::CreateCompatibleDC(item->hDC);
        HGDIOBJ old = ::SelectObject(images, face.m_hObject);
        ::BitBlt(item->hDC, item->rcItem.left, item->rcItem.top, item->rcItem.right - item->rcItem.left,
                 item->rcItem.bottom - item->rcItem.top, images, 0, 0, SRCCOPY);
        ::SelectObject(images, old);
        ::DeleteDC(images);
    }
}

RECT CViewSection::HeaderRect() const
{
    return {0, 0, headerWidth_, headerHeight_};
}

void CViewSection::SetMode(int32_t mode, bool notify)
{
    mode_ = mode;
    if (!m_hWnd)
        return;
    HWND parent = ::GetParent(m_hWnd);
    CRect room;
    if (parent)
        ::GetClientRect(parent, &room);
    ::SetWindowPos(m_hWnd, nullptr, 0, 0, room.Width(), GetModeHeight(), SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    if (parent)
        ::RedrawWindow(parent, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
    if (notify && owner_)
        owner_->OnSectionModeChanged(this, mode_);
    ShowButtons();
}

void CViewSection::OnLButtonDown(UINT, CPoint point)
{
    const RECT header = HeaderRect();
    if (::PtInRect(&header, point))
        SetMode(mode_ == kOpen ? kCollapsed : kOpen, true);
}

// Off the image, the information palette has no pixel to show.
void CViewSection::OnMouseMove(UINT, CPoint)
{
    GetImageViewHost().ClearInformation();
}

void CViewSection::OnVScroll(UINT code, UINT position, CWindow bar)
{
    if (owner_)
        owner_->OnSectionScroll(this, code, position, bar.m_hWnd);
}

void CViewSection::OnHScroll(UINT code, UINT position, CWindow bar)
{
    if (owner_)
        owner_->OnSectionScroll(this, code, position, bar.m_hWnd);
}

void CViewSection::OnContextMenu(CWindow window, CPoint point)
{
    if (owner_)
        owner_->OnSectionContextMenu(this, window.m_hWnd, point);
}

BOOL CViewSection::OnCommand(WPARAM w, LPARAM l)
{
    const UINT id = LOWORD(w);
    if (owner_ && withButtons_ && HIWORD(w) == BN_CLICKED) {
        switch (id) {
        case kSectionPreviousId: owner_->OnSectionPrevious(this); return TRUE;
        case kSectionNextId: owner_->OnSectionNext(this); return TRUE;
        case kSectionDeleteId: owner_->OnSectionDelete(this); return TRUE;
        default: break;
        }
    }
    if (owner_ && std::find(items_.begin(), items_.end(), id) != items_.end() &&
        owner_->OnSectionCommand(this, id, reinterpret_cast<HWND>(l)))
        return TRUE;
    return CWnd::OnCommand(w, l);
}

// The frame's layout: the bar takes its height at the top while it is shown.
LRESULT CViewSection::OnSizeParent(WPARAM, LPARAM l)
{
    auto* params = reinterpret_cast<clx::SizeParentParams*>(l);
    if (!(GetStyle() & WS_VISIBLE))
        return 0;
    const int32_t height = GetModeHeight();
    RECT place = params->rect;
    place.bottom = std::min<LONG>(place.top + height, params->rect.bottom);
    clx::PlaceInLayout(params, m_hWnd, place);
    params->rect.top = place.bottom;
    params->sizeTotal.cy += place.bottom - place.top;
    return 0;
}

LRESULT CViewSection::OnSetText(WPARAM, LPARAM)
{
    const LRESULT result = Default();
    Invalidate(FALSE);
    return result;
}

BOOL CViewSection::OnEraseBkgnd(CDC*)
{
    return TRUE;
}

void CViewSection::OnPaint()
{
    PAINTSTRUCT ps;
    HDC screen = ::BeginPaint(m_hWnd, &ps);
    const CRect client = GetClientRect();
    // Drawn off screen, so that the header never flickers.
    HDC dc = ::CreateCompatibleDC(screen);
    HBITMAP canvas = ::CreateCompatibleBitmap(screen, std::max<int>(1, client.Width()), std::max<int>(1, client.Height()));
    HGDIOBJ oldCanvas = ::SelectObject(dc, canvas);
    ::FillRect(dc, &client, ::GetSysColorBrush(COLOR_3DFACE));

    const RECT header = HeaderRect();
    if (owner_)
        owner_->DrawSection(this, dc, client, header);
    if (header_.m_hObject) {
        HDC images = ::CreateCompatibleDC(screen);
        HGDIOBJ old = ::SelectObject(images, header_.m_hObject);
        ::BitBlt(dc, 0, 0, headerWidth_, headerHeight_, images, 0, mode_ == kOpen ? headerHeight_ : 0, SRCCOPY);
        ::SelectObject(images, old);
        ::DeleteDC(images);
    }
    char text[128] = {};
    ::GetWindowTextA(m_hWnd, text, sizeof text);
    HGDIOBJ oldFont = ::SelectObject(dc, font_.m_hObject ? font_.m_hObject : ::GetStockObject(DEFAULT_GUI_FONT));
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, ::GetSysColor(COLOR_BTNTEXT));
    RECT textRect = {headerWidth_ + 4, 0, client.right, CaptionBandHeight()};
    ::DrawTextA(dc, text, -1, &textRect, DT_SINGLELINE | DT_VCENTER | DT_LEFT | DT_NOPREFIX);
    ::SelectObject(dc, oldFont);

    // The separator under the header: face, shadow, face.
    const int colours[] = {COLOR_3DFACE, COLOR_3DSHADOW, COLOR_3DFACE};
    for (int i = 0; i < kSeparatorLines; ++i) {
        const RECT line = {headerWidth_ + 4, headerHeight_ - kSeparatorLines + i, client.right,
                           headerHeight_ - kSeparatorLines + 1 + i};
        ::FillRect(dc, &line, ::GetSysColorBrush(colours[i]));
    }

    ::BitBlt(screen, 0, 0, client.Width(), client.Height(), dc, 0, 0, SRCCOPY);
    ::SelectObject(dc, oldCanvas);
    ::DeleteObject(canvas);
    ::DeleteDC(dc);
    ::EndPaint(m_hWnd, &ps);
}
