// The image view's mouse tools (zoom, the crop frame's selection, grab
// scrolling), its cursors, the crop frame's outline with its marching ants,
// the colour read-out under the pointer, and the flip, rotate, select-all
// and grid commands.
#include <algorithm>
#include <cmath>

#include "app/core/docview/image_display_view.h"
#include "app/core/engine/develop_engine.h"
#include "app/core/engine/sample_color.h"
#include "app/core/record/image_record.h"
#include "app/core/view_model/mouse_tools.h"
#include "app/core/view_model/zoom.h"
#include "clx/document.h"
#include "clx/frame.h"
#include "clx/resources.h"
#include "filters/VorlatFilterTransform.h"

namespace {

// The setting "DropperSampleSize".
constexpr uint32_t kSettingDropperSampleSize = 1068;
bool KeyDown(int vk)
{
    return ::GetKeyState(vk) < 0;
}

int32_t Round(double v)
{
    return static_cast<int32_t>(std::lround(v));
}

qz::ViewRect ToUnits(const QzDblRect& r)
{
    return {Round(r.left), Round(r.top), Round(r.right), Round(r.bottom)};
}

qz::ViewRect CropUnits(const CImageRecord& record)
{
    return ToUnits(record.sizeRes.GetCropRect());
}

qz::ViewRect ImageUnits(const CImageRecord& record)
{
    return ToUnits(record.sizeRes.GetImageRect());
}

HCURSOR LoadViewCursor(const qz::CursorChoice& choice)
{
    LPCSTR id = MAKEINTRESOURCEA(32512);  // IDC_ARROW
    switch (choice.standard) {
    case qz::StandardCursor::None: {
        if (HCURSOR own = ::LoadCursorA(AfxGetResourceHandle(), MAKEINTRESOURCEA(choice.resource)))
            return own;
        break;
    }
    case qz::StandardCursor::SizeWestEast:
        id = MAKEINTRESOURCEA(32644);
        break;
    case qz::StandardCursor::SizeNorthSouth:
        id = MAKEINTRESOURCEA(32645);
        break;
    case qz::StandardCursor::SizeNorthWestSouthEast:
        id = MAKEINTRESOURCEA(32642);
        break;
    case qz::StandardCursor::SizeNorthEastSouthWest:
        id = MAKEINTRESOURCEA(32643);
        break;
    case qz::StandardCursor::ArrowHourglass:
        id = MAKEINTRESOURCEA(32650);
        break;
    default:
        break;
    }
    return ::LoadCursorA(nullptr, id);
}

// A 16-bit channel shown on the read-out's 0 to 255 scale.
int32_t ScaleWord(uint16_t v)
{
    return (int32_t{v} * 255 + 32767) / 65535;
}

// The three channels of a sample as the read-out shows them; -1 where the
// colour space has no such values.
void SampleValues(const VorlatPixel& pixel, int32_t* out)
{
    for (int32_t i = 0; i < 3; ++i) {
        if (pixel.colorSpace == 32)
            out[i] = pixel.bytes[i];
        else if (pixel.colorSpace == 33)
            out[i] = ScaleWord(pixel.words[i]);
        else
            out[i] = -1;
    }
}

}  // namespace

// ---- geometry

POINT CImageDisplayView::ClientToUnits(POINT client) const
{
    const CImageRecord* record = GetRecord();
    const double zoom = record ? record->displayScale : 1.0;
    const CPoint scroll = GetScrollPosition();
    return {qz::ViewToUnit(client.x + scroll.x, zoom), qz::ViewToUnit(client.y + scroll.y, zoom)};
}

// The outline of a rectangle of units in client coordinates: at least one
// pixel wide and high, hollow from 3 x 3 on.
HRGN CImageDisplayView::MakeOutlineRegion(const qz::ViewRect& units) const
{
    const CImageRecord* record = GetRecord();
    const double zoom = record ? record->displayScale : 1.0;
    const CPoint scroll = GetScrollPosition();
    RECT r = {qz::UnitToView(units.left, zoom) - scroll.x, qz::UnitToView(units.top, zoom) - scroll.y,
              qz::UnitToView(units.right, zoom) - scroll.x, qz::UnitToView(units.bottom, zoom) - scroll.y};
    r.right = std::max(r.right, r.left + 1);
    r.bottom = std::max(r.bottom, r.top + 1);
    HRGN outline = ::CreateRectRgnIndirect(&r);
    if (r.right - r.left >= 3 && r.bottom - r.top >= 3) {
        HRGN inner = ::CreateRectRgn(r.left + 1, r.top + 1, r.right - 1, r.bottom - 1);
        ::CombineRgn(outline, outline, inner, RGN_DIFF);
        ::DeleteObject(inner);
    }
    return outline;
}

int32_t CImageDisplayView::HitTestCropFrame(POINT client) const
{
    const CImageRecord* record = GetRecord();
    if (!record)
        return qz::kHitOutsideImage;
    const CPoint scroll = GetScrollPosition();
    return qz::HitTestCropFrame(client.x + scroll.x, client.y + scroll.y, CropUnits(*record), ImageUnits(*record),
                                record->displayScale);
}

// ---- the crop frame's outline

HBRUSH CImageDisplayView::CropBrush(CropBrushKind kind)
{
    static constexpr UINT kBitmaps[] = {250, 251, 286};
    CBrush& brush = cropBrushes_[kind];
    if (!brush.m_hObject) {
        CBitmap pattern;
        if (pattern.LoadBitmap(kBitmaps[kind]))
            brush.CreatePatternBrush(static_cast<HBITMAP>(pattern.m_hObject));
    }
    if (brush.m_hObject)
        return brush;
    // Without the program's bitmaps: XOR with white inverts, copying black shows.
    return static_cast<HBRUSH>(::GetStockObject(kind == kBrushAnimation ? BLACK_BRUSH : WHITE_BRUSH));
}

void CImageDisplayView::DrawOutline(HDC dc, const qz::ViewRect& units, CropBrushKind kind, const RECT* limit)
{
    HRGN outline = MakeOutlineRegion(units);
    if (limit) {
        HRGN within = ::CreateRectRgnIndirect(limit);
        ::CombineRgn(outline, outline, within, RGN_AND);
        ::DeleteObject(within);
    }
    const CPoint scroll = GetScrollPosition();
    const int saved = ::SaveDC(dc);
    ::SelectClipRgn(dc, outline);
    ::SetBrushOrgEx(dc, qz::CropBrushOriginX(antsPhase_, scroll.x), qz::CropBrushOriginY(scroll.y), nullptr);
    ::SelectObject(dc, CropBrush(kind));
    RECT box{};
    ::GetRgnBox(outline, &box);
    ::PatBlt(dc, box.left, box.top, box.right - box.left, box.bottom - box.top,
             kind == kBrushAnimation ? PATCOPY : PATINVERT);
    ::RestoreDC(dc, saved);
    ::DeleteObject(outline);
}

void CImageDisplayView::DrawOutlineNow(const qz::ViewRect& units, CropBrushKind kind)
{
    HDC dc = ::GetDC(m_hWnd);
    DrawOutline(dc, units, kind, nullptr);
    ::ReleaseDC(m_hWnd, dc);
}

// An outline drawn in XOR goes by drawing it again; one that the animation
// copied over the image can only be painted again.
void CImageDisplayView::EraseCropFrame()
{
    if (!frameShown_ || !m_hWnd)
        return;
    if (frameCopied_) {
        HRGN outline = MakeOutlineRegion(shownFrame_);
        ::InvalidateRgn(m_hWnd, outline, FALSE);
        ::DeleteObject(outline);
    } else {
        DrawOutlineNow(shownFrame_, kBrushPaint);
    }
    frameShown_ = false;
}

void CImageDisplayView::UpdateCropFrame(bool showWhole, bool zoomBand)
{
    if (!m_hWnd)
        return;
    EraseCropFrame();
    const CImageRecord* record = GetRecord();
    if (!record)
        return;
    const qz::ViewRect rect = zoomBand ? zoomBand_ : CropUnits(*record);
    // A size object that does not know the image yet has an empty crop.
    const bool empty = rect.right <= rect.left || rect.bottom <= rect.top;
    if (!zoomBand && (empty || (!showWhole && rect == ImageUnits(*record))))
        return;
    shownFrame_ = rect;
    frameShown_ = true;
    frameCopied_ = false;
    DrawOutlineNow(rect, kBrushPaint);
}

void CImageDisplayView::InvalidateCropFrame(const qz::ViewRect& units, bool makeCurrent)
{
    if (m_hWnd) {
        HRGN outline = MakeOutlineRegion(units);
        ::InvalidateRgn(m_hWnd, outline, FALSE);
        ::DeleteObject(outline);
    }
    if (makeCurrent) {
        // The paint draws it in XOR over the image it puts back.
        shownFrame_ = units;
        frameShown_ = true;
        frameCopied_ = false;
    }
}

void CImageDisplayView::DrawCropFrameInTile(CDC& dc, const RECT& drawn)
{
    if (frameShown_ && !::IsRectEmpty(&drawn))
        DrawOutline(dc.m_hDC, shownFrame_, kBrushPaint, &drawn);
}

void CImageDisplayView::AnimateCropFrame()
{
    if (!frameShown_ || !GetRecord() || needsPainting_ || ::GetUpdateRect(m_hWnd, nullptr, FALSE))
        return;
    if (dragging_) {
        // In XOR, so that the next move can take it away again.
        EraseCropFrame();
        antsPhase_ = (antsPhase_ + 1) % 8;
        frameShown_ = true;
        frameCopied_ = false;
        DrawOutlineNow(shownFrame_, kBrushDragging);
    } else {
        antsPhase_ = (antsPhase_ + 1) % 8;
        frameCopied_ = true;
        DrawOutlineNow(shownFrame_, kBrushAnimation);
    }
}

// ---- cursors

void CImageDisplayView::UpdateCursor(POINT client, bool ctrl, bool shift, bool alt)
{
    const CImageRecord* record = GetRecord();
    qz::CursorSituation s;
    s.viewActive = active_;
    s.hasRecord = record != nullptr;
    s.tool = dragging_ ? dragTool_ : qz::GetEffectiveTool(GetImageViewHost().GetCursorMode(), ctrl, shift, alt);
    s.ctrl = ctrl;
    s.hitCode = HitTestCropFrame(client);
    s.insideImage = s.hitCode != qz::kHitOutsideImage;
    s.zoomStep = record ? record->zoomStep : 0;
    s.dragging = dragging_;
    s.dragMode = dragMode_;
    s.paintPending = m_hWnd && ::GetUpdateRect(m_hWnd, nullptr, FALSE);
    rememberedTool_ = active_ ? s.tool : kNoTool;
    ::SetCursor(LoadViewCursor(qz::ChooseViewCursor(s)));
}

// The pointer's position and the keys' state; a key that is just changing
// is taken from its message.
void CImageDisplayView::RefreshCursor(UINT changedKey, bool down)
{
    POINT at{};
    if (!m_hWnd || !::GetCursorPos(&at))
        return;
    ::ScreenToClient(m_hWnd, &at);
    const CRect client = GetClientRect();
    if (!::PtInRect(&client, at))
        return;
    const auto state = [&](UINT vk) { return changedKey == vk ? down : KeyDown(static_cast<int>(vk)); };
    UpdateCursor(at, state(VK_CONTROL), state(VK_SHIFT), state(VK_MENU));
}

void CImageDisplayView::RefreshCursorAfterPaint()
{
    POINT at{};
    if (::GetCursorPos(&at) && ::WindowFromPoint(at) == m_hWnd)
        RefreshCursor();
}

BOOL CImageDisplayView::OnSetCursor(CWindow wnd, UINT hitTest, UINT message)
{
    if (wnd.m_hWnd == m_hWnd && hitTest == HTCLIENT) {
        RefreshCursor();
        return TRUE;
    }
    return CScrollView::OnSetCursor(wnd, hitTest, message);
}

void CImageDisplayView::OnKeyDown(UINT key, UINT repeat, UINT flags)
{
    if (key == VK_CONTROL || key == VK_SHIFT)
        RefreshCursor(key, true);
    CScrollView::OnKeyDown(key, repeat, flags);
}

void CImageDisplayView::OnKeyUp(UINT key, UINT repeat, UINT flags)
{
    if (key == VK_CONTROL || key == VK_SHIFT)
        RefreshCursor(key, false);
    CScrollView::OnKeyUp(key, repeat, flags);
}

void CImageDisplayView::OnSysKeyDown(UINT key, UINT repeat, UINT flags)
{
    if (key == VK_MENU)
        RefreshCursor(key, true);
    CScrollView::OnSysKeyDown(key, repeat, flags);
}

void CImageDisplayView::OnSysKeyUp(UINT key, UINT repeat, UINT flags)
{
    if (key == VK_MENU)
        RefreshCursor(key, false);
    CScrollView::OnSysKeyUp(key, repeat, flags);
}

// ---- the mouse

bool CImageDisplayView::IsActiveChild() const
{
    CFrameWnd* frame = GetParentFrame();
    if (!frame || !(frame->GetStyle() & WS_CHILD))
        return true;
    HWND mdiClient = ::GetParent(frame->m_hWnd);
    return reinterpret_cast<HWND>(::SendMessageA(mdiClient, WM_MDIGETACTIVE, 0, 0)) == frame->m_hWnd;
}

// The zoom step and scale are the record's from here; the image point
// (units) comes to the client centre.
void CImageDisplayView::ZoomAround(int32_t step, double scale, POINT units, bool fitDocument)
{
    CImageRecord* record = GetRecord();
    record->zoomStep = step;
    record->displayScale = scale;
    SetZoom(scale);
    RefreshCursor();
    if (fitDocument && ShouldFitToWindow()) {
        if (CDocument* doc = GetDocument())
            doc->UpdateAllViews(nullptr, 2);
    }
    CenterOn(CPoint(qz::UnitToView(units.x, scale), qz::UnitToView(units.y, scale)));
}

void CImageDisplayView::OnLButtonDown(UINT flags, CPoint point)
{
    CImageRecord* record = GetRecord();
    if (!record || !IsActiveChild())
        return;
    const bool ctrl = (flags & MK_CONTROL) != 0;
    const int32_t tool = qz::GetEffectiveTool(GetImageViewHost().GetCursorMode(), ctrl, (flags & MK_SHIFT) != 0,
                                              KeyDown(VK_MENU));
    // The click that brought the view forward only picks the tool.
    if (rememberedTool_ == kNoTool) {
        rememberedTool_ = tool;
        return;
    }
    const int32_t hit = HitTestCropFrame(point);
    dragTool_ = tool;
    zoomDrag_ = false;
    pressClient_ = point;
    pressUnits_ = ClientToUnits(point);
    switch (tool) {
    case qz::kToolZoom:
        if (hit == qz::kHitOutsideImage)
            break;
        if (!ctrl && qz::CanZoomIn(record->zoomStep)) {
            SetCapture();
            dragging_ = true;
            zoomDrag_ = true;
            bandKept_ = false;
            zoomBand_ = {};
        } else if (ctrl && qz::CanZoomOut(record->zoomStep)) {
            const int32_t step = qz::FindZoomStep(record->displayScale, false);
            ZoomAround(step, qz::GetZoomStepScale(step), pressUnits_, true);
        }
        break;
    case qz::kToolSelect:
        SetCapture();
        dragging_ = true;
        pressRect_ = CropUnits(*record);
        dragMode_ = qz::GetDragMode(hit);
        if (dragMode_ != qz::kDragMove)
            EraseCropFrame();
        record->sizeRes.RememberCrop();
        break;
    case qz::kToolGrab:
        if (hit == qz::kHitOutsideImage)
            break;
        SetCapture();
        dragging_ = true;
        pressScroll_ = GetScrollPosition();
        UpdateCursor(point, ctrl, (flags & MK_SHIFT) != 0, KeyDown(VK_MENU));
        break;
    default:
        break;
    }
}

// A line towards a pointer that left the client area, in each direction it left.
void CImageDisplayView::ScrollTowards(POINT point)
{
    CImageRecord* record = GetRecord();
    const CRect client = GetClientRect();
    const int32_t dx = point.x < client.left ? -m_lineDev.cx : point.x >= client.right ? m_lineDev.cx : 0;
    const int32_t dy = point.y < client.top ? -m_lineDev.cy : point.y >= client.bottom ? m_lineDev.cy : 0;
    if (dx == 0 && dy == 0)
        return;
    IImageViewHost& host = GetImageViewHost();
    host.SetSynchronousPainting(1);
    const CPoint scroll = GetScrollPosition();
    const CSize total = GetTotalSize();
    const CPoint to(qz::ClampScroll(scroll.x + dx, total.cx, client.Width()),
                    qz::ClampScroll(scroll.y + dy, total.cy, client.Height()));
    record->scrollX = to.x;
    record->scrollY = to.y;
    ScrollToPosition(to);
    host.RefreshNavigatorFrame();
}

void CImageDisplayView::DragTo(POINT point)
{
    CImageRecord* record = GetRecord();
    if (!record)
        return;
    IImageViewHost& host = GetImageViewHost();
    if (dragTool_ == qz::kToolGrab) {
        const CRect client = GetClientRect();
        const CSize total = GetTotalSize();
        const CPoint to(qz::ClampScroll(pressScroll_.x - (point.x - pressClient_.x), total.cx, client.Width()),
                        qz::ClampScroll(pressScroll_.y - (point.y - pressClient_.y), total.cy, client.Height()));
        record->scrollX = to.x;
        record->scrollY = to.y;
        host.SetSynchronousPainting(1);
        ScrollToPosition(to);
        host.RefreshNavigatorFrame();
        return;
    }
    ScrollTowards(point);
    const POINT units = ClientToUnits(point);
    const qz::ViewRect image = ImageUnits(*record);
    if (zoomDrag_) {
        const auto limitX = [&](int32_t v) { return std::clamp(v, image.left, image.right); };
        const auto limitY = [&](int32_t v) { return std::clamp(v, image.top, image.bottom); };
        zoomBand_ = {limitX(std::min(pressUnits_.x, units.x)), limitY(std::min(pressUnits_.y, units.y)),
                     limitX(std::max(pressUnits_.x, units.x)), limitY(std::max(pressUnits_.y, units.y))};
        UpdateCropFrame(false, true);
        return;
    }
    if (dragTool_ != qz::kToolSelect)
        return;
    const qz::ViewRect rect =
        qz::DragCropRect(dragMode_, pressRect_, pressUnits_.x, pressUnits_.y, units.x, units.y, image);
    record->sizeRes.PlaceCrop(rect.left, rect.top, rect.right, rect.bottom,
                              static_cast<uint32_t>(qz::GetCropEdgeCode(dragMode_)));
    UpdateCropFrame(false, false);
    const bool moving = dragMode_ == qz::kDragMove;
    if (!moving)
        host.RefreshSizeFields();
    if (moving || !host.IsSizePaletteOpen())
        UpdateAdjustments(kHintSizeRes);
}

void CImageDisplayView::OnMouseMove(UINT flags, CPoint point)
{
    const bool ctrl = (flags & MK_CONTROL) != 0, shift = (flags & MK_SHIFT) != 0;
    if (dragging_)
        DragTo(point);
    UpdateCursor(point, ctrl, shift, KeyDown(VK_MENU));
    SampleColorAt(point);
}

// Ends a drag however the capture went: a band too small to be one is a
// click; a crop frame too small to be one gives the whole image back.
void CImageDisplayView::EndDrag()
{
    if (!dragging_)
        return;
    dragging_ = false;
    CImageRecord* record = GetRecord();
    if (record && zoomDrag_) {
        const double zoom = record->displayScale;
        bandKept_ = zoomBand_ != qz::ViewRect{} &&
                    !qz::IsBandTooSmall(qz::UnitToView(zoomBand_.right, zoom) - qz::UnitToView(zoomBand_.left, zoom),
                                        qz::UnitToView(zoomBand_.bottom, zoom) - qz::UnitToView(zoomBand_.top, zoom));
    } else if (record && dragTool_ == qz::kToolSelect) {
        const qz::ViewRect crop = CropUnits(*record);
        const double zoom = record->displayScale;
        if (qz::IsBandTooSmall(qz::UnitToView(crop.right, zoom) - qz::UnitToView(crop.left, zoom),
                               qz::UnitToView(crop.bottom, zoom) - qz::UnitToView(crop.top, zoom)))
            record->sizeRes.SetCropRect(record->sizeRes.GetImageRect());
    }
    UpdateCropFrame(false, false);
    GetImageViewHost().RefreshSizeFields();
}

void CImageDisplayView::OnCaptureChanged(CWindow)
{
    EndDrag();
}

void CImageDisplayView::OnLButtonUp(UINT, CPoint point)
{
    // A drag whose capture was taken away has ended already.
    if (!dragging_) {
        zoomDrag_ = false;
        return;
    }
    if (::GetCapture() == m_hWnd)
        ::ReleaseCapture();
    EndDrag();
    CImageRecord* record = GetRecord();
    if (record && dragTool_ == qz::kToolZoom && zoomDrag_) {
        if (bandKept_) {
            const CRect client = GetClientRect();
            const qz::ZoomChoice choice = qz::ZoomForBand(zoomBand_.right - zoomBand_.left,
                                                          zoomBand_.bottom - zoomBand_.top, client.Width(),
                                                          client.Height());
            const POINT centre = {(zoomBand_.left + zoomBand_.right) / 2, (zoomBand_.top + zoomBand_.bottom) / 2};
            ZoomAround(choice.step, choice.scale, centre, false);
        } else {
            const int32_t step = qz::FindZoomStep(record->displayScale, true);
            ZoomAround(step, qz::GetZoomStepScale(step), ClientToUnits(point), true);
        }
    }
    zoomDrag_ = false;
    zoomBand_ = {};
}

void CImageDisplayView::OnLButtonDblClk(UINT flags, CPoint point)
{
    CImageRecord* record = GetRecord();
    const int32_t tool = qz::GetEffectiveTool(GetImageViewHost().GetCursorMode(), (flags & MK_CONTROL) != 0,
                                              (flags & MK_SHIFT) != 0, KeyDown(VK_MENU));
    if (tool != qz::kToolSelect) {
        OnLButtonDown(flags, point);
        return;
    }
    if (!record || !IsActiveChild())
        return;
    const CPoint scroll = GetScrollPosition();
    const CSize total = GetTotalSize();
    const int32_t x = point.x + scroll.x, y = point.y + scroll.y;
    if (x < 0 || y < 0 || x >= total.cx || y >= total.cy)
        return;
    IImageViewHost& host = GetImageViewHost();
    record->sizeRes.SetCropRect(record->sizeRes.GetImageRect());
    host.RefreshSizeFields();
    if (!host.IsSizePaletteOpen())
        UpdateAdjustments(kHintSizeRes);
    if (frameShown_)
        InvalidateCropFrame(shownFrame_, false);
    frameShown_ = false;
    RefreshCursor();
}

// ---- the colour under the pointer

void CImageDisplayView::SampleColorAt(POINT client)
{
    IImageViewHost& host = GetImageViewHost();
    CImageRecord* record = GetRecord();
    IVorlatFilterChain* chain = chain_->GetChain();
    if (!record || !chain || !chain_->IsChainReady() || HitTestCropFrame(client) == qz::kHitOutsideImage) {
        host.ClearInformation();
        return;
    }
    const CPoint scroll = GetScrollPosition();
    const int32_t side = qz::GetDropperSampleSide(host.GetIntSetting(kSettingDropperSampleSize, 0));
    const CDevelopParams params(*record);
    VorlatPixel color{};
    VorlatPixel curved{};
    int32_t curvesApplied = 0;
    if (!SampleImageColor(client.x + scroll.x, client.y + scroll.y, &color, side, chain, informationMode_, &params,
                          &curved, &curvesApplied)) {
        host.ClearInformation();
        return;
    }
    int32_t values[6];
    SampleValues(color, values);
    if (curvesApplied) {
        SampleValues(curved, values + 3);
    } else {
        std::fill(values + 3, values + 6, -1);
    }
    const POINT units = ClientToUnits(client);
    host.ShowInformation(units.x / 2, units.y / 2, values);
}

bool CImageDisplayView::SampleDevelopedColor(POINT client, int32_t stage, VorlatPixel* result)
{
    CImageRecord* record = GetRecord();
    IVorlatFilterChain* chain = chain_->GetChain();
    if (!record || !chain || !chain_->IsChainReady() || HitTestCropFrame(client) == qz::kHitOutsideImage)
        return false;
    const CPoint scroll = GetScrollPosition();
    const int32_t side = qz::GetDropperSampleSide(GetImageViewHost().GetIntSetting(kSettingDropperSampleSize, 0));
    const CDevelopParams params(*record);
    VorlatPixel color{};
    VorlatPixel curved{};
    int32_t curvesApplied = 0;
    if (!SampleImageColor(client.x + scroll.x, client.y + scroll.y, &color, side, chain, stage, &params, &curved,
                          &curvesApplied))
        return false;
    *result = color;
    return true;
}

// ---- commands

void CImageDisplayView::OnContextMenu(CWindow, CPoint point)
{
    HWND main = GetImageViewHost().GetMainWindow();
    HMENU bar = main ? ::GetMenu(main) : nullptr;
    if (!bar)
        return;
    // From the keyboard the menu comes up at the pointer all the same.
    if (point.x == -1 && point.y == -1)
        ::GetCursorPos(&point);
    for (int i = 0; i < ::GetMenuItemCount(bar); ++i) {
        HMENU sub = ::GetSubMenu(bar, i);
        if (sub && ::GetMenuItemID(sub, 0) == kCmdOpenInEditor) {
            ::TrackPopupMenu(sub, TPM_RIGHTBUTTON, point.x, point.y, 0, main, nullptr);
            return;
        }
    }
}

void CImageDisplayView::OnFlipRotate(UINT id)
{
    qz::TransformStep step{};
    if (!qz::GetTransformStep(id, &step))
        return;
    const auto turn = [&step](CImageRecord& record) {
        bool flip = record.flip != 0;
        double rotation = record.rotation;
        CVorlatFilterTransform::DoStateTransform(&flip, &rotation, step.flip, step.degrees, true);
        record.flip = flip ? 1 : 0;
        record.rotation = ((static_cast<int32_t>(std::lround(rotation)) % 360) + 360) % 360;
    };
    CImageRecord* record = GetRecord();
    if (!record) {
        // Several thumbnails of the camera image window.
        IImageViewHost& host = GetImageViewHost();
        for (int32_t i = 0; i < host.GetSelectedThumbnailCount(); ++i) {
            if (CImageRecord* item = host.GetSelectedThumbnailRecord(i)) {
                turn(*item);
                host.RefreshThumbnail(i);
            }
        }
        return;
    }
    turn(*record);
    UpdateAdjustments(kHintRotation);
    if (id == qz::kCmdFlipHorizontal && record->scrollX > 0) {
        const CRect client = GetClientRect();
        record->scrollX = qz::MirrorScrollX(record->scrollX, GetTotalSize().cx, client.Width());
        ScrollToPosition(CPoint(record->scrollX, GetScrollPosition().y));
    }
}

void CImageDisplayView::OnUpdateFlipRotate(CCmdUI* cmdUI)
{
    cmdUI->Enable(GetRecord() != nullptr || GetImageViewHost().GetSelectedThumbnailCount() > 1);
}

void CImageDisplayView::OnSelectEntireImage()
{
    CImageRecord* record = GetRecord();
    if (!record)
        return;
    record->sizeRes.SetCropRect(record->sizeRes.GetImageRect());
    GetImageViewHost().RefreshSizeFields();
    UpdateCropFrame(false, false);
}

void CImageDisplayView::OnToggleGrid()
{
    CImageRecord* record = GetRecord();
    if (!record)
        return;
    record->gridOn = record->gridOn ? 0 : 1;
    BuildPipeline(kHintGrid, 0.0);
}

void CImageDisplayView::OnUpdateToggleGrid(CCmdUI* cmdUI)
{
    const CImageRecord* record = GetRecord();
    cmdUI->Enable(record != nullptr);
    cmdUI->SetCheck(record && record->gridOn ? 1 : 0);
}
