#include "app/core/view_model/mouse_tools.h"

#include <algorithm>

#include "app/core/view_model/zoom.h"

namespace qz {

namespace {

// How far outside and inside the outline an edge can be picked, in view pixels.
constexpr int32_t kEdgeReach = 5;

constexpr int32_t kCursorZoomLimit = 255;
constexpr int32_t kCursorZoomIn = 256;
constexpr int32_t kCursorZoomOut = 257;
constexpr int32_t kCursorNewFrame = 253;
constexpr int32_t kCursorMoveFrame = 254;
constexpr int32_t kCursorGrab = 252;
constexpr int32_t kCursorGrabbing = 258;

CursorChoice Resource(int32_t id)
{
    return {StandardCursor::None, id};
}

CursorChoice Standard(StandardCursor cursor)
{
    return {cursor, 0};
}

// The inner band of a frame side: 5 pixels in from each end, or the centre
// line when the side is shorter than twice that.
void InnerRange(int32_t low, int32_t high, int32_t* innerLow, int32_t* innerHigh)
{
    if (int64_t{high} - low >= 2 * kEdgeReach) {
        *innerLow = low + kEdgeReach;
        *innerHigh = high - kEdgeReach;
    } else {
        *innerLow = static_cast<int32_t>((int64_t{low} + high) / 2);
        *innerHigh = *innerLow + 1;
    }
}

CursorChoice SelectionCursor(int32_t mode)
{
    switch (mode) {
    case kDragNew:
        return Resource(kCursorNewFrame);
    case kDragMove:
        return Resource(kCursorMoveFrame);
    case kDragLeft:
    case kDragRight:
        return Standard(StandardCursor::SizeWestEast);
    case kDragTop:
    case kDragBottom:
        return Standard(StandardCursor::SizeNorthSouth);
    case kDragTopLeft:
    case kDragBottomRight:
        return Standard(StandardCursor::SizeNorthWestSouthEast);
    case kDragTopRight:
    case kDragBottomLeft:
        return Standard(StandardCursor::SizeNorthEastSouthWest);
    default:
        return Standard(StandardCursor::Arrow);
    }
}

CursorChoice ToolCursor(const CursorSituation& s)
{
    if (!s.viewActive || !s.hasRecord) {
        return Standard(StandardCursor::Arrow);
    }
    switch (s.tool) {
    case kToolZoom:
        if (!s.insideImage) {
            return Standard(StandardCursor::Arrow);
        }
        if (s.ctrl) {
            return Resource(CanZoomOut(s.zoomStep) ? kCursorZoomOut : kCursorZoomLimit);
        }
        return Resource(CanZoomIn(s.zoomStep) ? kCursorZoomIn : kCursorZoomLimit);
    case kToolSelect:
        if (s.dragging) {
            return SelectionCursor(s.dragMode);
        }
        // Edge sums that name no drag mode (both sides of a narrow frame) keep the arrow.
        switch (s.hitCode) {
        case 0:
        case kHitInside:
        case kHitLeft:
        case kHitTop:
        case kHitRight:
        case kHitBottom:
        case kHitLeft | kHitTop:
        case kHitTop | kHitRight:
        case kHitLeft | kHitBottom:
        case kHitRight | kHitBottom:
            return SelectionCursor(GetDragMode(s.hitCode));
        default:
            return Standard(StandardCursor::Arrow);
        }
    case kToolGrab:
        if (s.dragging) {
            return Resource(kCursorGrabbing);
        }
        return s.insideImage ? Resource(kCursorGrab) : Standard(StandardCursor::Arrow);
    case 4:
        return Resource(210);
    case 5:
        return Resource(218);
    case 6:
        return Resource(217);
    default:
        return Standard(StandardCursor::Arrow);
    }
}

}  // namespace

int32_t GetEffectiveTool(int32_t currentTool, bool ctrl, bool shift, bool alt)
{
    if (currentTool < kToolZoom || currentTool > kToolGrab) {
        return currentTool;
    }
    if (ctrl || shift) {
        return kToolZoom;
    }
    return alt ? kToolGrab : currentTool;
}

int32_t HitTestCropFrame(int32_t viewX, int32_t viewY, const ViewRect& crop, const ViewRect& image, double zoom)
{
    if (viewX < UnitToView(image.left, zoom) || viewX >= UnitToView(image.right, zoom) ||
        viewY < UnitToView(image.top, zoom) || viewY >= UnitToView(image.bottom, zoom)) {
        return kHitOutsideImage;
    }
    if (crop == image) {
        return 0;
    }
    const int64_t left = UnitToView(crop.left, zoom);
    const int64_t top = UnitToView(crop.top, zoom);
    const int64_t right = UnitToView(crop.right, zoom);
    const int64_t bottom = UnitToView(crop.bottom, zoom);
    const int64_t x = viewX;
    const int64_t y = viewY;
    if (x < left - kEdgeReach || x >= right + kEdgeReach || y < top - kEdgeReach || y >= bottom + kEdgeReach) {
        return 0;
    }
    int32_t innerLeft, innerRight, innerTop, innerBottom;
    InnerRange(static_cast<int32_t>(left), static_cast<int32_t>(right), &innerLeft, &innerRight);
    InnerRange(static_cast<int32_t>(top), static_cast<int32_t>(bottom), &innerTop, &innerBottom);
    if (x >= innerLeft && x < innerRight && y >= innerTop && y < innerBottom) {
        return kHitInside;
    }
    int32_t code = 0;
    if (x < left + kEdgeReach) {
        code |= kHitLeft;
    }
    if (y < top + kEdgeReach) {
        code |= kHitTop;
    }
    if (x >= right - kEdgeReach) {
        code |= kHitRight;
    }
    if (y >= bottom - kEdgeReach) {
        code |= kHitBottom;
    }
    return code;
}

int32_t GetDragMode(int32_t hitCode)
{
    switch (hitCode) {
    case kHitInside:
        return kDragMove;
    case kHitLeft:
        return kDragLeft;
    case kHitTop:
        return kDragTop;
    case kHitRight:
        return kDragRight;
    case kHitBottom:
        return kDragBottom;
    case kHitLeft | kHitTop:
        return kDragTopLeft;
    case kHitTop | kHitRight:
        return kDragTopRight;
    case kHitLeft | kHitBottom:
        return kDragBottomLeft;
    case kHitRight | kHitBottom:
        return kDragBottomRight;
    default:
        return kDragNew;
    }
}

int32_t GetCropEdgeCode(int32_t dragMode)
{
    switch (dragMode) {
    case kDragMove:
        return 3;
    case kDragLeft:
        return 5;
    case kDragTop:
        return 10;
    case kDragRight:
        return 1;
    case kDragBottom:
        return 2;
    case kDragTopLeft:
        return 12;
    case kDragTopRight:
        return 8;
    case kDragBottomLeft:
        return 4;
    default:
        // A new frame and the bottom-right corner both keep the top-left corner.
        return 0;
    }
}

ViewRect DragCropRect(int32_t dragMode, const ViewRect& pressRect, int32_t pressX, int32_t pressY,
                      int32_t pointerX, int32_t pointerY, const ViewRect& image)
{
    constexpr int32_t kMinEdge = 2;  // one image pixel
    ViewRect r = pressRect;
    switch (dragMode) {
    case kDragMove: {
        int64_t dx = int64_t{pointerX} - pressX;
        int64_t dy = int64_t{pointerY} - pressY;
        int64_t left = pressRect.left + dx, right = pressRect.right + dx;
        int64_t top = pressRect.top + dy, bottom = pressRect.bottom + dy;
        // Back inside; a frame wider than the image keeps its left edge on the image's.
        if (right > image.right) {
            left -= right - image.right;
            right = image.right;
        }
        if (left < image.left) {
            right += image.left - left;
            left = image.left;
        }
        if (bottom > image.bottom) {
            top -= bottom - image.bottom;
            bottom = image.bottom;
        }
        if (top < image.top) {
            bottom += image.top - top;
            top = image.top;
        }
        return {static_cast<int32_t>(left), static_cast<int32_t>(top), static_cast<int32_t>(right),
                static_cast<int32_t>(bottom)};
    }
    case kDragLeft:
    case kDragTopLeft:
    case kDragBottomLeft:
        r.left = static_cast<int32_t>(std::min<int64_t>(pointerX, int64_t{pressRect.right} - kMinEdge));
        break;
    case kDragRight:
    case kDragTopRight:
    case kDragBottomRight:
        r.right = static_cast<int32_t>(std::max<int64_t>(pointerX, int64_t{pressRect.left} + kMinEdge));
        break;
    case kDragTop:
    case kDragBottom:
        break;
    default: {
        auto limitX = [&](int32_t v) { return std::clamp(v, image.left, image.right); };
        auto limitY = [&](int32_t v) { return std::clamp(v, image.top, image.bottom); };
        return {limitX(std::min(pressX, pointerX)), limitY(std::min(pressY, pointerY)),
                limitX(std::max(pressX, pointerX)), limitY(std::max(pressY, pointerY))};
    }
    }
    switch (dragMode) {
    case kDragTop:
    case kDragTopLeft:
    case kDragTopRight:
        r.top = static_cast<int32_t>(std::min<int64_t>(pointerY, int64_t{pressRect.bottom} - kMinEdge));
        break;
    case kDragBottom:
    case kDragBottomLeft:
    case kDragBottomRight:
        r.bottom = static_cast<int32_t>(std::max<int64_t>(pointerY, int64_t{pressRect.top} + kMinEdge));
        break;
    default:
        break;
    }
    return r;
}

CursorChoice ChooseViewCursor(const CursorSituation& situation)
{
    if (!situation.dragging && situation.paintPending) {
        return Standard(StandardCursor::ArrowHourglass);
    }
    return ToolCursor(situation);
}

int32_t GetDropperSampleSide(int32_t dropperSampleSize)
{
    switch (dropperSampleSize) {
    case 1:
        return 3;
    case 2:
        return 5;
    default:
        return 1;
    }
}

bool GetTransformStep(uint32_t commandId, TransformStep* step)
{
    switch (commandId) {
    case kCmdFlipHorizontal:
        *step = {true, 0};
        return true;
    case kCmdFlipVertical:
        *step = {true, 180};
        return true;
    case kCmdRotate90Ccw:
        *step = {false, -90};
        return true;
    case kCmdRotate90Cw:
        *step = {false, 90};
        return true;
    case kCmdRotate180:
        *step = {false, 180};
        return true;
    default:
        return false;
    }
}

}  // namespace qz
