// The rules of the image view's mouse tools: the tool that the modifier keys
// make effective, the crop frame's hit codes and drag modes, how a drag moves
// the frame, the cursor of each situation and the flip and rotate steps. The
// crop frame is in half-pixel units of the developed, rotated image.
#pragma once

#include <cstdint>

#include "app/core/view_model/view_rect.h"

namespace qz {

// Tool codes; 4 to 6 are the palettes' sampling tools.
inline constexpr int32_t kToolZoom = 1;
inline constexpr int32_t kToolSelect = 2;
inline constexpr int32_t kToolGrab = 3;

int32_t GetEffectiveTool(int32_t currentTool, bool ctrl, bool shift, bool alt);

// Hit codes: edges add up, 0x10 inside the frame, 0x20 outside the image.
inline constexpr int32_t kHitLeft = 1;
inline constexpr int32_t kHitTop = 2;
inline constexpr int32_t kHitRight = 4;
inline constexpr int32_t kHitBottom = 8;
inline constexpr int32_t kHitInside = 0x10;
inline constexpr int32_t kHitOutsideImage = 0x20;

// A point in view pixels (client position plus scroll position) against the
// crop frame and the image, both in half-pixel units, at the display scale.
// The caller answers kHitOutsideImage itself when it has no record.
int32_t HitTestCropFrame(int32_t viewX, int32_t viewY, const ViewRect& crop, const ViewRect& image, double zoom);

// Drag modes of the selection tool.
enum CropDragMode : int32_t {
    kDragNew = 0,
    kDragMove = 1,
    kDragLeft = 2,
    kDragTop = 3,
    kDragRight = 4,
    kDragBottom = 5,
    kDragTopLeft = 6,
    kDragTopRight = 7,
    kDragBottomLeft = 8,
    kDragBottomRight = 9,
};

int32_t GetDragMode(int32_t hitCode);

// The code that tells the size object which edges moved.
int32_t GetCropEdgeCode(int32_t dragMode);

// The crop rectangle while dragging, from the rectangle and the pointer
// (both in units) noted at the press: a new frame is limited to the image,
// a moved one pushed back inside it, and a dragged edge stays at least 2
// units from the opposite one.
ViewRect DragCropRect(int32_t dragMode, const ViewRect& pressRect, int32_t pressX, int32_t pressY,
                      int32_t pointerX, int32_t pointerY, const ViewRect& image);

// What the cursor table needs to know about the view and the pointer.
struct CursorSituation {
    bool viewActive = false;
    bool hasRecord = false;
    int32_t tool = 0;  // the effective tool
    bool ctrl = false;
    bool insideImage = false;
    int32_t zoomStep = 0;
    bool dragging = false;
    int32_t dragMode = kDragNew;
    int32_t hitCode = 0;
    bool paintPending = false;
};

enum class StandardCursor : int32_t {
    None,  // the program's cursor resource
    Arrow,
    SizeWestEast,
    SizeNorthSouth,
    SizeNorthWestSouthEast,
    SizeNorthEastSouthWest,
    ArrowHourglass,
};

struct CursorChoice {
    StandardCursor standard = StandardCursor::Arrow;
    int32_t resource = 0;  // when standard is None

    friend bool operator==(const CursorChoice&, const CursorChoice&) = default;
};

CursorChoice ChooseViewCursor(const CursorSituation& situation);

// The side of the square the colour under the pointer is sampled from, by
// the setting "DropperSampleSize" (0 one pixel, 1 three, 2 five).
int32_t GetDropperSampleSide(int32_t dropperSampleSize);

// The step of the flip and rotate commands, combined with the record's
// mirrored flag and rotation by the transform filter.
struct TransformStep {
    bool flip;
    int32_t degrees;
};

// false for a command that is none of the five.
bool GetTransformStep(uint32_t commandId, TransformStep* step);

inline constexpr uint32_t kCmdSelectEntireImage = 32798;
inline constexpr uint32_t kCmdFlipHorizontal = 32799;
inline constexpr uint32_t kCmdFlipVertical = 32800;
inline constexpr uint32_t kCmdRotate180 = 32801;
inline constexpr uint32_t kCmdRotate90Cw = 32802;
inline constexpr uint32_t kCmdRotate90Ccw = 32803;

}  // namespace qz
