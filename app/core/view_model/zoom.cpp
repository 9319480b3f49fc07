#include "app/core/view_model/zoom.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

namespace qz {

namespace {

// Steps 1 and 3 are the values the stored scales have always had, not 0.015 and 0.03.
constexpr double kZoomSteps[kZoomStepCount] = {
    0.01, 0.014999925000374998, 0.02, 0.03000030000300003, 0.04,   0.05,   0.0625, 1.0 / 12.0,
    0.125, 1.0 / 6.0,           0.25, 1.0 / 3.0,           0.5,    2.0 / 3.0, 1.0, 2.0,
    3.0,  4.0,                  5.0,  6.0,                 7.0,    8.0,    12.0,   16.0,
};

// The integer part, held within 32 bits; NaN gives 0.
int32_t TruncToInt32(double v)
{
    if (!(v == v)) {
        return 0;
    }
    if (v >= 2147483647.0) {
        return std::numeric_limits<int32_t>::max();
    }
    if (v <= -2147483648.0) {
        return std::numeric_limits<int32_t>::min();
    }
    return static_cast<int32_t>(v);
}

int32_t Mod(int32_t value, int32_t divisor)
{
    const int32_t r = value % divisor;
    return r < 0 ? r + divisor : r;
}

}  // namespace

double GetZoomStepScale(int32_t step)
{
    return kZoomSteps[std::clamp(step, 0, kZoomStepCount - 1)];
}

bool CanZoomIn(int32_t step)
{
    return step == kZoomStepNone || step < kZoomStepCount - 1;
}

bool CanZoomOut(int32_t step)
{
    return step == kZoomStepNone || step > 0;
}

int32_t FindZoomStep(double scale, bool zoomIn)
{
    for (int32_t i = 0; i < kZoomStepCount - 1; ++i) {
        if (scale == kZoomSteps[i]) {
            return zoomIn ? i + 1 : std::max(i - 1, 0);
        }
        if (scale < kZoomSteps[i + 1]) {
            return zoomIn ? i + 1 : i;
        }
    }
    return zoomIn ? kZoomStepCount - 1 : kZoomStepCount - 2;
}

ZoomChoice ZoomForBand(int32_t bandWidth, int32_t bandHeight, int32_t clientWidth, int32_t clientHeight)
{
    const double ratio = std::max(bandWidth * 0.5 / clientWidth, bandHeight * 0.5 / clientHeight);
    const double scale = 1.0 / ratio;
    if (scale > kZoomMax) {
        return {kZoomStepCount - 1, kZoomMax};
    }
    // Also a NaN from an empty client area.
    if (!(scale >= kZoomMin)) {
        return {0, kZoomMin};
    }
    return {kZoomStepNone, scale};
}

int32_t FitZoomStep(double outputScale, int32_t imageWidth, int32_t imageHeight, int32_t availableWidth,
                    int32_t availableHeight)
{
    int32_t step = kZoomStepCount - 1;
    for (int32_t i = 0; i < kZoomStepCount; ++i) {
        if (!(kZoomSteps[i] < outputScale)) {
            step = i;
            break;
        }
    }
    const auto fits = [&](int32_t i) {
        return imageWidth * kZoomSteps[i] <= availableWidth && imageHeight * kZoomSteps[i] <= availableHeight;
    };
    while (step > 0 && !fits(step)) {
        --step;
    }
    return step;
}

uint32_t ResolveViewUpdateHint(uint32_t hint, bool fitToWindowPreference)
{
    if (hint != 0) {
        return hint;
    }
    return fitToWindowPreference ? 3u : 1u;
}

bool IsBandTooSmall(int32_t viewWidth, int32_t viewHeight)
{
    return viewWidth < 3 || viewHeight < 3;
}

std::string FormatZoomCaption(double displayScale, double outputScale)
{
    if (!(outputScale > 0.0) || !(displayScale >= 0.0)) {
        return {};
    }
    // Hundredths of a percent, rounded half up.
    const double hundredths = std::floor(displayScale / outputScale * 10000.0 + 0.5);
    if (!std::isfinite(hundredths)) {
        return {};
    }
    const double percent = hundredths / 100.0;
    char text[64];
    if (std::fmod(hundredths, 100.0) == 0.0) {
        std::snprintf(text, sizeof text, " @ %.0f%%", percent);
    } else {
        std::snprintf(text, sizeof text, " @ %.2f%%", percent);
    }
    return text;
}

int32_t UnitToView(int32_t unit, double zoom)
{
    return TruncToInt32((unit * zoom + 1.0) * 0.5);
}

int32_t ViewToUnit(int32_t view, double zoom)
{
    return TruncToInt32(2.0 * view / zoom);
}

ViewRect GetVisibleRect(int32_t scrollX, int32_t scrollY, int32_t clientWidth, int32_t clientHeight,
                        int32_t totalWidth, int32_t totalHeight, double zoom)
{
    const int64_t left = std::clamp<int64_t>(scrollX, 0, totalWidth);
    const int64_t top = std::clamp<int64_t>(scrollY, 0, totalHeight);
    const int64_t right = std::clamp<int64_t>(int64_t{scrollX} + clientWidth, 0, totalWidth);
    const int64_t bottom = std::clamp<int64_t>(int64_t{scrollY} + clientHeight, 0, totalHeight);
    // Half-pixel units first, then halved towards zero.
    auto toImage = [zoom](int64_t v) { return TruncToInt32(2.0 * static_cast<double>(v) / zoom) / 2; };
    return {toImage(left), toImage(top), toImage(right), toImage(bottom)};
}

int32_t ClampScroll(int32_t position, int32_t total, int32_t client)
{
    const int64_t limit = std::max<int64_t>(int64_t{total} - client, 0);
    return static_cast<int32_t>(std::clamp<int64_t>(position, 0, limit));
}

int32_t CenterScroll(int32_t viewPosition, int32_t total, int32_t client)
{
    const int64_t wanted = int64_t{viewPosition} - client / 2;
    const int64_t limit = std::max<int64_t>(int64_t{total} - client, 0);
    return static_cast<int32_t>(std::clamp<int64_t>(wanted, 0, limit));
}

int32_t MirrorScrollX(int32_t scrollX, int32_t totalWidth, int32_t clientWidth)
{
    if (scrollX <= 0) {
        return scrollX;
    }
    const int64_t mirrored = int64_t{totalWidth} - scrollX - clientWidth;
    const int64_t limit = std::max<int64_t>(int64_t{totalWidth} - clientWidth, 0);
    return static_cast<int32_t>(std::clamp<int64_t>(mirrored, 0, limit));
}

ScrollSizes CompleteScrollSizes(ScrollSizes sizes)
{
    if (sizes.pageWidth == 0) {
        sizes.pageWidth = sizes.totalWidth / 10;
    }
    if (sizes.pageHeight == 0) {
        sizes.pageHeight = sizes.totalHeight / 10;
    }
    if (sizes.lineWidth == 0) {
        sizes.lineWidth = sizes.pageWidth / 10;
    }
    if (sizes.lineHeight == 0) {
        sizes.lineHeight = sizes.pageHeight / 10;
    }
    return sizes;
}

bool ConvertsScrollSizes(int32_t totalWidth, int32_t totalHeight)
{
    return totalWidth < 32768 && totalHeight < 32768;
}

int32_t PatternOrigin(int32_t scroll, int32_t patternSize)
{
    return patternSize > 0 ? Mod(scroll, patternSize) : 0;
}

int32_t CropBrushOriginX(int32_t phase, int32_t scrollX)
{
    return Mod(phase - Mod(scrollX, 8) + 7, 8);
}

int32_t CropBrushOriginY(int32_t scrollY)
{
    return 7 - Mod(scrollY, 8);
}

}  // namespace qz
