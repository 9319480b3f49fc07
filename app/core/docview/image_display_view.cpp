#include "app/core/docview/image_display_view.h"

#include <algorithm>
#include <cmath>

#include "app/core/engine/image_open.h"
#include "app/core/engine/seams/engine_lock.h"
#include "app/core/record/image_record.h"
#include "app/core/view_model/mouse_tools.h"
#include "app/core/view_model/zoom.h"
#include "clx/app.h"
#include "clx/document.h"
#include "filters/VorlatFilterScale.h"

namespace {

CQuietViewHost quietHost;
IImageViewHost* currentHost = &quietHost;

bool HoldsValue(const IVorlatError* err, int32_t value)
{
    for (; err; err = err->Next()) {
        if (err->GetValue() == value)
            return true;
    }
    return false;
}

// Windows NT 4 and later take the tile's rows straight from its buffer.
bool DrawsWithSetDIBits()
{
    static const bool nt4 = [] {
        const DWORD version = ::GetVersion();
        return (version & 0x80000000u) == 0 && LOBYTE(LOWORD(version)) >= 4;
    }();
    return nt4;
}


}  // namespace

void SetImageViewHost(IImageViewHost* host)
{
    currentHost = host ? host : &quietHost;
}

IImageViewHost& GetImageViewHost()
{
    return *currentHost;
}

IMPLEMENT_DYNAMIC(CImageDisplayView, CScrollView)

BEGIN_MESSAGE_MAP(CImageDisplayView, CScrollView)
    ON_WM_PAINT()
    ON_WM_ERASEBKGND()
    ON_WM_SIZE()
    ON_WM_HSCROLL()
    ON_WM_VSCROLL()
    ON_WM_TIMER()
    ON_WM_DESTROY()
    ON_COMMAND(kCmdViewEntireImage, OnViewEntireImage)
    ON_COMMAND(kCmdFitWindowToImage, OnFitWindowToImage)
    ON_COMMAND(kCmdZoomIn, OnZoomIn)
    ON_COMMAND(kCmdZoomOut, OnZoomOut)
    ON_UPDATE_COMMAND_UI(kCmdZoomIn, OnUpdateZoomIn)
    ON_UPDATE_COMMAND_UI(kCmdZoomOut, OnUpdateZoomOut)
    ON_WM_LBUTTONDOWN()
    ON_WM_MOUSEMOVE()
    ON_WM_LBUTTONUP()
    ON_WM_LBUTTONDBLCLK()
    ON_WM_CAPTURECHANGED()
    ON_WM_SETCURSOR()
    ON_WM_KEYDOWN()
    ON_WM_KEYUP()
    ON_WM_SYSKEYDOWN()
    ON_WM_SYSKEYUP()
    ON_WM_CONTEXTMENU()
    ON_COMMAND_RANGE(qz::kCmdFlipHorizontal, qz::kCmdRotate90Ccw, OnFlipRotate)
    ON_UPDATE_COMMAND_UI_RANGE(qz::kCmdFlipHorizontal, qz::kCmdRotate90Ccw, OnUpdateFlipRotate)
    ON_COMMAND(qz::kCmdSelectEntireImage, OnSelectEntireImage)
    ON_COMMAND(kCmdToggleGridLines, OnToggleGrid)
    ON_UPDATE_COMMAND_UI(kCmdToggleGridLines, OnUpdateToggleGrid)
    ON_COMMAND(kCmdCopyImageAdjustments, OnCopyImageAdjustments)
    ON_COMMAND(kCmdCopyAllAdjustments, OnCopyAllAdjustments)
    ON_COMMAND(kCmdPaste, OnPaste)
    ON_UPDATE_COMMAND_UI(kCmdCopyImageAdjustments, OnUpdateCopyAdjustments)
    ON_UPDATE_COMMAND_UI(kCmdCopyAllAdjustments, OnUpdateCopyAdjustments)
    ON_UPDATE_COMMAND_UI(kCmdPaste, OnUpdatePaste)
    ON_MESSAGE(WM_DESTROYCLIPBOARD, OnDestroyClipboard)
    ON_COMMAND(kCmdOpenInEditor, OnOpenInEditor)
    ON_UPDATE_COMMAND_UI(kCmdOpenInEditor, OnUpdateOpenInEditor)
    ON_COMMAND(kCmdUseForCameraCurvesSample, OnUseForCameraCurvesSample)
    ON_UPDATE_COMMAND_UI(kCmdUseForCameraCurvesSample, OnUpdateUseForCameraCurvesSample)
END_MESSAGE_MAP()

CImageDisplayView::CImageDisplayView()
    : chain_(std::make_unique<CImageDisplayChain>(GetImageViewHost().GetDrawingManager(),
                                                  static_cast<IDisplayChainSink&>(*this)))
{
    CScrollView::SetScrollSizes(MM_TEXT, CSize(1, 1));
    if (background_.LoadBitmap(kBackgroundBitmapId)) {
        BITMAP info{};
        ::GetObjectA(background_.m_hObject, sizeof info, &info);
        backgroundSize_ = {info.bmWidth, info.bmHeight};
    }
}

CImageDisplayView::~CImageDisplayView()
{
    // The chain tells this view of its histogram as it goes.
    chain_.reset();
}

CImageRecord* CImageDisplayView::GetRecord() const
{
    return chain_->GetRecord();
}

void CImageDisplayView::SetRecord(CImageRecord* record)
{
    chain_->SetRecord(record);
}

void CImageDisplayView::BuildPipeline(uint32_t hints, double scale)
{
    chain_->BuildPipeline(hints, scale);
}

void CImageDisplayView::UpdateAdjustments(uint32_t hints, bool unadjusted, CImageRecord* item)
{
    chain_->UpdateAdjustments(hints, unadjusted, item);
}

bool CImageDisplayView::ShouldFitToWindow() const
{
    return GetImageViewHost().GetAutoFitToWindow();
}

std::string CImageDisplayView::FormatZoomCaption() const
{
    const CImageRecord* record = GetRecord();
    if (!record)
        return {};
    return qz::FormatZoomCaption(record->displayScale, record->sizeRes.GetScale());
}

RECT CImageDisplayView::GetVisibleRect() const
{
    const CImageRecord* record = GetRecord();
    const CRect client = GetClientRect();
    const CPoint scroll = GetScrollPosition();
    const CSize total = GetTotalSize();
    const qz::ViewRect r =
        qz::GetVisibleRect(scroll.x, scroll.y, client.Width(), client.Height(), total.cx, total.cy,
                           record ? record->displayScale : 1.0);
    return {r.left, r.top, r.right, r.bottom};
}

void CImageDisplayView::SetScrollSizes(int mapMode, SIZE total, const SIZE& page, const SIZE& line)
{
    const bool mapModeChanged = mapMode != m_nMapMode;
    CScrollView::SetScrollSizes(mapMode, total, page, line);
    if (m_hWnd && mapModeChanged)
        Invalidate(TRUE);
}

void CImageDisplayView::SetZoom(double scale)
{
    CImageRecord* record = GetRecord();
    if (!chain_->GetChain() || !record)
        return;
    if (CFrameWnd* frame = GetParentFrame())
        frame->OnUpdateFrameTitle(TRUE);
    CWaitCursor wait;
    if (record->raw)
        chain_->BuildPipeline(kHintDemosaic, scale);
    auto* reducing = static_cast<CVorlatFilterScale*>(chain_->GetMember(CImageDisplayChain::kReducingScale));
    auto* enlarging = static_cast<CVorlatFilterScale*>(chain_->GetMember(CImageDisplayChain::kEnlargingScale));
    IVorlatError* err = nullptr;
    const auto step = [&err](IVorlatError* result) {
        if (result && !err)
            err = result;
        else if (result)
            result->Destroy();
    };
    if (scale > 1.0) {
        step(reducing->Enable(false, true));
        step(enlarging->Enable(true, false));
        // Through a scale below 1 first, so that the last call always changes the size and notifies.
        step(enlarging->SetScale(0.98, false));
        step(enlarging->SetScale(scale, true));
    } else {
        step(reducing->Enable(true, true));
        step(enlarging->Enable(false, true));
        step(reducing->SetScale(scale, true));
        if (scale == 1.0)
            step(reducing->Enable(false, true));
    }
    if (err)
        err->Destroy();
    // The sharpening radii depend on the scale.
    UpdateAdjustments(0x8004);
    needsPainting_ = true;
}

void CImageDisplayView::CenterOn(POINT viewPoint)
{
    CImageRecord* record = GetRecord();
    const CRect client = GetClientRect();
    const CSize total = GetTotalSize();
    const CPoint to(qz::CenterScroll(viewPoint.x, total.cx, client.Width()),
                    qz::CenterScroll(viewPoint.y, total.cy, client.Height()));
    if (record) {
        record->scrollX = to.x;
        record->scrollY = to.y;
    }
    ScrollToPosition(to);
    GetImageViewHost().RefreshNavigatorFrame();
}

void CImageDisplayView::Zoom(bool zoomIn)
{
    CImageRecord* record = GetRecord();
    if (!record)
        return;
    const CRect client = GetClientRect();
    const CPoint scroll = GetScrollPosition();
    const double before = record->displayScale;
    // The image point under the centre, in half pixels of the developed image.
    const int32_t unitX = qz::ViewToUnit(scroll.x + client.Width() / 2, before);
    const int32_t unitY = qz::ViewToUnit(scroll.y + client.Height() / 2, before);

    const int32_t step = qz::FindZoomStep(before, zoomIn);
    record->zoomStep = step;
    record->displayScale = qz::GetZoomStepScale(step);
    SetZoom(record->displayScale);
    if (ShouldFitToWindow()) {
        if (CDocument* doc = GetDocument())
            doc->UpdateAllViews(nullptr, 2);
    }
    CenterOn(CPoint(qz::UnitToView(unitX, record->displayScale), qz::UnitToView(unitY, record->displayScale)));
}

void CImageDisplayView::OnZoomIn()
{
    Zoom(true);
}

void CImageDisplayView::OnZoomOut()
{
    Zoom(false);
}

void CImageDisplayView::OnUpdateZoomIn(CCmdUI* cmdUI)
{
    const CImageRecord* record = GetRecord();
    cmdUI->Enable(record && qz::CanZoomIn(record->zoomStep));
}

void CImageDisplayView::OnUpdateZoomOut(CCmdUI* cmdUI)
{
    const CImageRecord* record = GetRecord();
    cmdUI->Enable(record && qz::CanZoomOut(record->zoomStep));
}

void CImageDisplayView::OnViewEntireImage()
{
    if (CDocument* doc = GetDocument())
        doc->UpdateAllViews(nullptr, 3);
}

void CImageDisplayView::OnFitWindowToImage()
{
    if (CDocument* doc = GetDocument())
        doc->UpdateAllViews(nullptr, 2);
}

BOOL CImageDisplayView::PreCreateWindow(CREATESTRUCT& cs)
{
    if (!cs.lpszClass)
        cs.lpszClass = AfxRegisterWndClass(CS_DBLCLKS);
    return CScrollView::PreCreateWindow(cs);
}

void CImageDisplayView::OnInitialUpdate()
{
    {
        CWaitCursor wait;
        if (IVorlatFilterChain* chain = chain_->GetChain()) {
            UpdateAdjustments(kHintApplyAll);
            // The developed image at the display scale, turned: what the chain's end delivers.
            int32_t width = 0, height = 0;
            if (IVorlatError* err = chain->GetSize(&width, &height))
                err->Destroy();
            const CRect client = GetClientRect();
            SetScrollSizes(MM_TEXT, CSize(width, height), CSize(client.Width(), client.Height()), CSize(10, 10));
        }
    }
    firstUpdateDone_ = true;
    CScrollView::OnInitialUpdate();
}

void CImageDisplayView::ApplyHintScroll()
{
    if (const CImageRecord* record = GetRecord())
        ScrollToPosition(CPoint(record->scrollX, record->scrollY));
}

// Bits 1 and 8: the largest zoom step, from the output scale down, at which
// the turned, developed image fits the client area (bit 1 alone) or, with
// bit 2, fits with the frame's border into the room of the MDI client.
void CImageDisplayView::FitToClient(uint32_t hint)
{
    CImageRecord* record = GetRecord();
    if (!record || !chain_->GetChain())
        return;
    int32_t width = INT32_MAX, height = INT32_MAX;
    if (hint & 1) {
        const CRect client = GetClientRect();
        const DWORD style = GetStyle();
        // A bar that is shown now goes when the image fits.
        width = client.Width() + ((style & WS_VSCROLL) ? ::GetSystemMetrics(SM_CXVSCROLL) : 0);
        height = client.Height() + ((style & WS_HSCROLL) ? ::GetSystemMetrics(SM_CYHSCROLL) : 0);
        CFrameWnd* frame = GetParentFrame();
        HWND mdiClient = frame ? ::GetParent(frame->m_hWnd) : nullptr;
        if ((hint & 2) && frame && mdiClient && (frame->GetStyle() & WS_CHILD)) {
            // The frame's border: its window size for a 200 x 200 client, less the 200.
            RECT border = {0, 0, 200, 200};
            ::AdjustWindowRectEx(&border, frame->GetStyle(), FALSE, frame->GetExStyle());
            const CRect frameClient = frame->GetClientRect();
            RECT room{};
            ::GetClientRect(mdiClient, &room);
            // What the frame keeps around the view (the section bar) counts as border too.
            width = room.right - (border.right - border.left - 200) - (frameClient.Width() - client.Width());
            height = room.bottom - (border.bottom - border.top - 200) - (frameClient.Height() - client.Height());
        }
    }
    // An unknown size is 0 x 0, which fits at the first step tried.
    int32_t imageWidth = 0, imageHeight = 0;
    if (!GetDevelopedImageSize(record->imageData, &imageWidth, &imageHeight))
        imageWidth = imageHeight = 0;
    if (record->rotation % 180 != 0)
        std::swap(imageWidth, imageHeight);
    const int32_t step = qz::FitZoomStep(record->sizeRes.GetScale(), imageWidth, imageHeight, width, height);
    record->zoomStep = step;
    record->displayScale = qz::GetZoomStepScale(step);
    record->fitted = 1;
    SetZoom(record->displayScale);
}

// The MDI child frame takes the image's size plus what it keeps around the
// view, within the MDI client; the scroll bars come back where it is cut.
void CImageDisplayView::FitFrameToImage()
{
    CFrameWnd* frame = GetParentFrame();
    if (!frame || !GetRecord() || !(frame->GetStyle() & WS_CHILD))
        return;
    HWND mdiClient = ::GetParent(frame->m_hWnd);
    RECT room{};
    ::GetClientRect(mdiClient, &room);
    const CRect frameClient = frame->GetClientRect();
    const CRect viewClient = GetClientRect();
    const DWORD viewStyle = GetStyle();
    // The view's client plus its bars is the room the view takes in the frame.
    const int32_t viewWidth = viewClient.Width() + ((viewStyle & WS_VSCROLL) ? ::GetSystemMetrics(SM_CXVSCROLL) : 0);
    const int32_t viewHeight = viewClient.Height() + ((viewStyle & WS_HSCROLL) ? ::GetSystemMetrics(SM_CYHSCROLL) : 0);
    RECT outer = {0, 0, frameClient.Width() - viewWidth, frameClient.Height() - viewHeight};
    const CSize total = GetTotalSize();
    outer.right += total.cx;
    outer.bottom += total.cy;
    ::AdjustWindowRectEx(&outer, frame->GetStyle(), FALSE, frame->GetExStyle());
    int32_t width = outer.right - outer.left, height = outer.bottom - outer.top;
    // Cut to the room, with the bars the cut makes necessary.
    if (width > room.right) {
        width = room.right;
        height += ::GetSystemMetrics(SM_CYHSCROLL);
    }
    if (height > room.bottom) {
        height = room.bottom;
        width = std::min<int32_t>(width + ::GetSystemMetrics(SM_CXVSCROLL), room.right);
    }
    WINDOWPLACEMENT placement{};
    placement.length = sizeof placement;
    ::GetWindowPlacement(frame->m_hWnd, &placement);
    RECT at = placement.rcNormalPosition;
    if (!frame->IsZoomed()) {
        ::GetWindowRect(frame->m_hWnd, &at);
        ::MapWindowPoints(nullptr, mdiClient, reinterpret_cast<POINT*>(&at), 2);
    }
    // Moved back where it would stick out of the MDI client.
    const int32_t left = std::max<int32_t>(0, std::min<int32_t>(at.left, room.right - width));
    const int32_t top = std::max<int32_t>(0, std::min<int32_t>(at.top, room.bottom - height));
    if (frame->IsZoomed()) {
        placement.rcNormalPosition = {left, top, left + width, top + height};
        ::SetWindowPlacement(frame->m_hWnd, &placement);
    } else {
        ::SetWindowPos(frame->m_hWnd, nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

void CImageDisplayView::OnUpdate(CView*, LPARAM hintParam, CObject*)
{
    if (!firstUpdateDone_)
        return;
    uint32_t hint = static_cast<uint32_t>(hintParam);
    if (hint == 0)
        hint = ShouldFitToWindow() ? 3 : 1;
    if (hint & 4)
        ApplyHintScroll();
    if ((hint & 1) || (hint & 8))
        FitToClient(hint);
    if (hint & 2)
        FitFrameToImage();
    if (hint & 8) {
        CenterOn(CPoint(GetTotalSize().cx / 2, GetTotalSize().cy / 2));
    }
    GetImageViewHost().RefreshNavigatorFrame();
    UpdateAdjustments(kHintApplyAll);
    UpdateCropFrame(false, false);
}

void CImageDisplayView::OnActivateView(BOOL activate, CView* activateView, CView* deactiveView)
{
    if (activate) {
        SetTimer(kCropAnimationTimer, 100);
    } else {
        KillTimer(kCropAnimationTimer);
    }
    active_ = activate != FALSE;
    CScrollView::OnActivateView(activate, activateView, deactiveView);
}

void CImageDisplayView::OnPaint()
{
    IImageViewHost& host = GetImageViewHost();
    // Timers other than the animation are served before the paint.
    MSG waiting;
    if (::PeekMessageA(&waiting, nullptr, WM_TIMER, WM_TIMER, PM_REMOVE) && waiting.wParam != kCropAnimationTimer)
        ::DispatchMessageA(&waiting);
    host.DoIdleWork();
    if (host.IsPaintSuspended())
        return;
    host.RedrawMainWindowNow();

    CEngineLockHold hold;
    // No BeginPaint: only what is drawn becomes valid, the rest brings the next WM_PAINT.
    HDC dc = ::GetDC(m_hWnd);
    ::SetMapMode(dc, MM_TEXT);
    ::SetViewportOrgEx(dc, 0, 0, nullptr);
    HRGN update = ::CreateRectRgn(0, 0, 0, 0);
    int kind = ::GetUpdateRgn(m_hWnd, update, FALSE);
    const int32_t mark = host.GetSynchronousPainting();
    HCURSOR oldCursor = mark == 2 ? ::SetCursor(::LoadCursorA(nullptr, MAKEINTRESOURCEA(32514))) : nullptr;
    {
        clx::BorrowedDC borrowed(dc);
        while (kind != NULLREGION && kind != ERROR) {
            ::SelectClipRgn(dc, update);
            OnDraw(&borrowed);
            kind = ::GetUpdateRgn(m_hWnd, update, FALSE);
            if (host.GetSynchronousPainting() == 0)
                break;
        }
    }
    ::SelectClipRgn(dc, nullptr);
    ::ReleaseDC(m_hWnd, dc);
    ::DeleteObject(update);
    if (mark == 2)
        ::SetCursor(oldCursor);
    host.SetSynchronousPainting(0);
    if (kind == NULLREGION) {
        needsPainting_ = false;
        RefreshCursorAfterPaint();
    }
}

BOOL CImageDisplayView::OnEraseBkgnd(CDC*)
{
    // The paint loop draws every pixel.
    return TRUE;
}

void CImageDisplayView::OnDraw(CDC* dc)
{
    const CRect client = GetClientRect();
    const CSize total = GetTotalSize();
    const CPoint scroll = GetScrollPosition();
    HRGN update = ::CreateRectRgn(0, 0, 0, 0);
    ::GetUpdateRgn(m_hWnd, update, FALSE);

    DrawBackground(*dc, client, total, scroll, update);
    RECT drawn{};
    if (!chain_->GetChain() || !chain_->IsChainReady())
        ValidateRect(nullptr);
    else if (!DrawOneTile(*dc, client, total, scroll, update, &drawn))
        ValidateRect(nullptr);
    DrawCropFrameInTile(*dc, drawn);
    ::DeleteObject(update);
}

void CImageDisplayView::DrawBackground(CDC& dc, const RECT& client, SIZE total, POINT scroll, HRGN update)
{
    const RECT right = {total.cx, client.top, client.right, client.bottom};
    const RECT below = {client.left, total.cy, client.right, client.bottom};
    const bool wantRight = client.right > total.cx && ::RectInRegion(update, &right);
    const bool wantBelow = client.bottom > total.cy && ::RectInRegion(update, &below);
    if (!wantRight && !wantBelow)
        return;

    // The strips are filled straight on the window with the pattern as a
    // brush whose origin makes the pattern start at the scroll position's
    // remainder, so that it moves with the image. A client-sized copy tiled
    // first and then copied out made the first paint at fit the longest.
    HBRUSH pattern = nullptr;
    if (background_.m_hObject && backgroundSize_.cx > 0 && backgroundSize_.cy > 0)
        pattern = ::CreatePatternBrush(static_cast<HBITMAP>(background_.m_hObject));
    POINT oldOrigin{};
    if (pattern) {
        const int32_t originX = qz::PatternOrigin(scroll.x, backgroundSize_.cx);
        const int32_t originY = qz::PatternOrigin(scroll.y, backgroundSize_.cy);
        ::SetBrushOrgEx(dc, (backgroundSize_.cx - originX) % backgroundSize_.cx,
                        (backgroundSize_.cy - originY) % backgroundSize_.cy, &oldOrigin);
    }
    HBRUSH brush = pattern ? pattern : static_cast<HBRUSH>(::GetStockObject(GRAY_BRUSH));
    if (wantRight) {
        ::FillRect(dc, &right, brush);
        ValidateRect(&right);
    }
    if (wantBelow) {
        ::FillRect(dc, &below, brush);
        ValidateRect(&below);
    }
    if (pattern) {
        ::SetBrushOrgEx(dc, oldOrigin.x, oldOrigin.y, nullptr);
        ::DeleteObject(pattern);
    }
}

bool CImageDisplayView::DrawOneTile(CDC& dc, const RECT& client, SIZE total, POINT scroll, HRGN update, RECT* drawnAt)
{
    IVorlatFilterChain* chain = chain_->GetChain();
    const RECT visible = {scroll.x, scroll.y, std::min<LONG>(scroll.x + client.right - client.left, total.cx),
                          std::min<LONG>(scroll.y + client.bottom - client.top, total.cy)};
    IVorlatTileGrid* grid = nullptr;
    if (IVorlatError* err = chain->MapRect(&grid, visible)) {
        DrawFailed(err);
        return true;
    }
    if (!grid)
        return false;

    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;

    IVorlatError* err = nullptr;
    bool drawn = false;
    for (int32_t row = 0; row < grid->GetRows() && !drawn && !err; ++row) {
        for (int32_t column = 0; column < grid->GetColumns() && !drawn && !err; ++column) {
            RECT used{};
            if ((err = grid->GetTileUsed(&used, column, row)) != nullptr)
                break;
            RECT at = used;
            ::OffsetRect(&at, -scroll.x, -scroll.y);
            if (::IsRectEmpty(&at) || !::RectInRegion(update, &at))
                continue;
            void* pixels = nullptr;
            RECT tile{}, lockedUsed{};
            int32_t rowBytes = 0;
            if ((err = chain->LockTile(&pixels, &tile, &lockedUsed, &rowBytes, *grid, column, row, nullptr)) != nullptr)
                break;
            const int32_t width = used.right - used.left, height = used.bottom - used.top;
            const auto* bytes = static_cast<const uint8_t*>(pixels);
            info.bmiHeader.biWidth = rowBytes / 3;
            if (DrawsWithSetDIBits()) {
                // The header covers only the used rows, so nothing past the buffer is read.
                info.bmiHeader.biHeight = -height;
                const uint8_t* first = bytes + (used.left - tile.left) * 3 + static_cast<ptrdiff_t>(used.top - tile.top) * rowBytes;
                ::SetDIBitsToDevice(dc, at.left, at.top, width, height, 0, 0, 0, height, first, &info, DIB_RGB_COLORS);
            } else {
                info.bmiHeader.biHeight = -(tile.bottom - tile.top);
                ::StretchDIBits(dc, at.left, at.top, width, height, used.left - tile.left, tile.bottom - used.bottom,
                                width, height, bytes, &info, DIB_RGB_COLORS, SRCCOPY);
            }
            ValidateRect(&at);
            *drawnAt = at;
            err = chain->UnlockTile(*grid, column, row);
            drawn = true;
        }
    }
    grid->Destroy();
    if (err) {
        DrawFailed(err);
        return true;
    }
    return drawn;
}

void CImageDisplayView::DrawFailed(IVorlatError* err)
{
    ValidateRect(nullptr);
    if (HoldsValue(err, kVorlatErrPageFile)) {
        if (HWND main = GetImageViewHost().GetMainWindow())
            ::PostMessageA(main, kWmTempDiskFull, 0, 0);
    }
    err->Destroy();
}

void CImageDisplayView::OnSize(UINT type, int cx, int cy)
{
    CScrollView::OnSize(type, cx, cy);
    const CRect client = GetClientRect();
    SetScrollSizes(MM_TEXT, GetTotalSize(), CSize(client.Width(), client.Height()), CSize(10, 10));
    GetImageViewHost().RefreshNavigatorFrame();
}

void CImageDisplayView::OnHScroll(UINT code, UINT pos, CWindow bar)
{
    IImageViewHost& host = GetImageViewHost();
    host.RefreshNavigatorFrame();
    host.SetSynchronousPainting(1);
    // The base reads the 32-bit track position itself.
    CScrollView::OnHScroll(code, pos, bar);
}

void CImageDisplayView::OnVScroll(UINT code, UINT pos, CWindow bar)
{
    IImageViewHost& host = GetImageViewHost();
    host.RefreshNavigatorFrame();
    host.SetSynchronousPainting(1);
    CScrollView::OnVScroll(code, pos, bar);
}

void CImageDisplayView::OnTimer(UINT_PTR id)
{
    if (id == kCropAnimationTimer)
        AnimateCropFrame();
}

void CImageDisplayView::OnDestroy()
{
    CScrollView::OnDestroy();
    KillTimer(kCropAnimationTimer);
}

// What the chain tells the view. Its rectangles are in image (chain) pixels.
void CImageDisplayView::InvalidateRect(const RECT& rect, bool erase)
{
    if (!m_hWnd)
        return;
    RECT at = rect;
    const CPoint scroll = GetScrollPosition();
    ::OffsetRect(&at, -scroll.x, -scroll.y);
    ::InvalidateRect(m_hWnd, &at, erase);
}

void CImageDisplayView::InvalidateAll(bool erase)
{
    if (m_hWnd)
        ::InvalidateRect(m_hWnd, nullptr, erase);
}

void CImageDisplayView::SetScrollSizes(int32_t width, int32_t height)
{
    const CRect client = m_hWnd ? GetClientRect() : CRect();
    SetScrollSizes(MM_TEXT, CSize(width, height), CSize(client.Width(), client.Height()), CSize(10, 10));
}

void CImageDisplayView::ShowMessage(int32_t id)
{
    GetImageViewHost().ShowMessage(id);
}

void CImageDisplayView::ShowSharpeningWarning(bool show)
{
    GetImageViewHost().ShowSharpeningWarning(show);
}

void CImageDisplayView::HistogramChanged()
{
    GetImageViewHost().HistogramChanged();
}

void CImageDisplayView::RotationApplied()
{
    UpdateCropFrame(false, false);
    GetImageViewHost().RefreshSizeFields();
    GetImageViewHost().RefreshNavigatorFrame();
}

void CImageDisplayView::RefreshCaption()
{
    if (CFrameWnd* frame = GetParentFrame())
        frame->OnUpdateFrameTitle(TRUE);
}

void CImageDisplayView::ShowWaitCursor(bool show)
{
    ::SetCursor(::LoadCursorA(nullptr, show ? MAKEINTRESOURCEA(32514) : MAKEINTRESOURCEA(32512)));
}

void CImageDisplayView::AddIdleClient(CVorlatFilterHistogram* histogram)
{
    GetImageViewHost().AddIdleClient(histogram);
}

void CImageDisplayView::RemoveIdleClient(CVorlatFilterHistogram* histogram)
{
    GetImageViewHost().RemoveIdleClient(histogram);
}

void CImageDisplayView::UpdateAllViews()
{
    if (CDocument* doc = GetDocument())
        doc->UpdateAllViews(nullptr, 0);
}

DisplayGridSettings CImageDisplayView::GetGridSettings() const
{
    return GetImageViewHost().GetGridSettings();
}
