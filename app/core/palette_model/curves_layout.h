// Where the Curves palette's controls go for a client size, and how the
// window keeps its proportions while the user drags a border. Pixels.
#pragma once

#include <cstdint>

namespace curves {

struct Box {
    int32_t left = 0, top = 0, right = 0, bottom = 0;
    int32_t Width() const { return right - left; }
    int32_t Height() const { return bottom - top; }
};

// Sizes the window measures from its font and controls.
struct LayoutMetrics {
    int32_t margin = 4;
    int32_t checkWidth = 16, checkHeight = 16;
    int32_t listWidth = 120, listHeight = 22;  // the channel list's closed height
    int32_t editWidth = 40, editHeight = 22;
    int32_t labelWidth = 48, readoutWidth = 40, labelHeight = 16;
    int32_t buttonWidth = 24, buttonHeight = 24;
    int32_t gripSize = 16;
};

inline constexpr int32_t kButtonGap = 3;
// The buttons top to bottom: histogram mode, automatic levels, white, gray
// and black point droppers, reset channel, reset all.
inline constexpr uint32_t kButtonColumn[7] = {1008, 1009, 1012, 1011, 1010, 1013, 1067};

struct CurvesLayout {
    Box check, list, editor;
    Box outputWhite, outputBlack;
    Box inputBlack, gamma, inputWhite;
    Box inputLabel, inputReadout, outputLabel, outputReadout;
    Box buttons[7];  // in the order of kButtonColumn
    Box grip;
};

// The editor is a square: the smaller of the width and the height that the
// other controls leave, never below the room the button column needs.
CurvesLayout LayOutCurves(int32_t clientWidth, int32_t clientHeight, const LayoutMetrics& metrics);
// The client size whose editor has the given side.
void CurvesClientSize(int32_t editorSide, const LayoutMetrics& metrics, int32_t* width, int32_t* height);

// WM_SIZING: the window keeps the width-to-height ratio of its minimum size
// and stays within minimum and maximum. `edge` is the WMSZ_ code (1 left,
// 2 right, 3 top, 4 top-left, 5 top-right, 6 bottom, 7 bottom-left,
// 8 bottom-right); the side of the dragged edge moves.
void KeepAspectWhileSizing(int32_t edge, Box& window, int32_t minWidth, int32_t minHeight, int32_t maxWidth,
                           int32_t maxHeight);

inline constexpr int32_t kMaxWindowWidth = 500;
inline constexpr int32_t kMaxWindowHeight = 500;

}  // namespace curves
