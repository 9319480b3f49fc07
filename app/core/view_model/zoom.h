// The arithmetic of the image view's zoom and scrolling: the zoom step table
// and its search, the zoom band, the caption, the visible rectangle, the
// scroll limits and sizes, and the conversions between view pixels and the
// half-pixel units of the developed image. The window code calls these.
#pragma once

#include <cstdint>
#include <string>

#include "app/core/view_model/view_rect.h"

namespace qz {

inline constexpr int32_t kZoomStepCount = 24;
inline constexpr int32_t kZoomStepNone = -1;  // a scale chosen by a band or a fit
inline constexpr double kZoomMin = 0.01;
inline constexpr double kZoomMax = 16.0;

// The display scales of the zoom steps 0 to 23.
double GetZoomStepScale(int32_t step);

// Zoom In and Zoom Out are offered while the step is free (-1) or not at its end.
bool CanZoomIn(int32_t step);
bool CanZoomOut(int32_t step);

// The step one zoom command goes to from the scale s (which need not be a step).
int32_t FindZoomStep(double scale, bool zoomIn);

struct ZoomChoice {
    int32_t step;
    double scale;
};

// The zoom that makes a band (half-pixel units) fill the client area; free
// (-1) within the limits, else the end step with its exact scale.
ZoomChoice ZoomForBand(int32_t bandWidth, int32_t bandHeight, int32_t clientWidth, int32_t clientHeight);

// The step a fit to the window starts from and ends at: from the smallest
// step not below the output scale (the last step when none reaches it), the
// step is lowered, not below 0, until the image (developed size, turned)
// at that step's scale fits the available width and height.
int32_t FitZoomStep(double outputScale, int32_t imageWidth, int32_t imageHeight, int32_t availableWidth,
                    int32_t availableHeight);

// A document update's hint bits: 0 stands for 3 (fit the frame and the
// zoom) with the fit-to-window preference on, else for 1 (fit the zoom).
uint32_t ResolveViewUpdateHint(uint32_t hint, bool fitToWindowPreference);

// A band smaller than 3 x 3 view pixels is dropped (a click, not a band).
bool IsBandTooSmall(int32_t viewWidth, int32_t viewHeight);

// The frame title's zoom text: " @ 50%", " @ 66.67%"; empty when the scales
// cannot give a percentage.
std::string FormatZoomCaption(double displayScale, double outputScale);

// Half-pixel units and view pixels at the display scale z.
int32_t UnitToView(int32_t unit, double zoom);
int32_t ViewToUnit(int32_t view, double zoom);

// The client area, moved by the scroll position and limited to the total
// size, in image pixels.
ViewRect GetVisibleRect(int32_t scrollX, int32_t scrollY, int32_t clientWidth, int32_t clientHeight,
                        int32_t totalWidth, int32_t totalHeight, double zoom);

// A scroll position limited to 0 and to total - client (0 when the client is larger).
int32_t ClampScroll(int32_t position, int32_t total, int32_t client);
// The scroll position that puts a view position at the client's centre.
int32_t CenterScroll(int32_t viewPosition, int32_t total, int32_t client);
// Flip Horizontal mirrors a scroll x above 0.
int32_t MirrorScrollX(int32_t scrollX, int32_t totalWidth, int32_t clientWidth);

struct ScrollSizes {
    int32_t totalWidth, totalHeight;
    int32_t pageWidth, pageHeight;
    int32_t lineWidth, lineHeight;
};

// A zero page dimension becomes a tenth of the total, a zero line dimension
// a tenth of the page.
ScrollSizes CompleteScrollSizes(ScrollSizes sizes);
// Totals of 32768 or more stay in logical units (the device conversion would overflow).
bool ConvertsScrollSizes(int32_t totalWidth, int32_t totalHeight);

// Where the background pattern starts so that it moves with the scroll position.
int32_t PatternOrigin(int32_t scroll, int32_t patternSize);
// The crop frame brush origin for the marching-ants phase (0 to 7).
int32_t CropBrushOriginX(int32_t phase, int32_t scrollX);
int32_t CropBrushOriginY(int32_t scrollY);

}  // namespace qz
