// What a curve channel needs of the editor that shows it: the geometry that
// mouse positions are measured against, the key steps, and the three calls
// through which a drag is reported. The curve editor window implements it.
#pragma once

#include <cstdint>

// A pixel rectangle in the editor's client coordinates; right and bottom are exclusive.
struct LutRect {
    int32_t left = 0, top = 0, right = 0, bottom = 0;

    int32_t Width() const { return right - left; }
    int32_t Height() const { return bottom - top; }
    bool Contains(int32_t x, int32_t y) const { return x >= left && x < right && y >= top && y < bottom; }
};

struct LutPoint {
    int32_t x = 0, y = 0;
};

struct LutViewerGeometry {
    // Tone curves: the square plot and the rows of the input and output level handles.
    LutRect plot;
    LutRect inputStrip;
    LutRect outputStrip;
    bool inputLevelsShown = true;
    bool outputLevelsShown = true;
    int32_t pointHitRadius = 9;
    int32_t handleHitRadius = 11;
    double toneVerticalStep = 1.0 / 256;
    double toneHorizontalStep = 1.0 / 256;
    // Hue channels: the plot, the offset strip, the width strip of the selected
    // point and the box that cycles the vertical range.
    LutRect huePlot;
    LutRect offsetStrip;
    LutRect widthStrip;
    LutRect rangeBox;
    int32_t offsetTolerance = 0;  // pixels from the offset handle's row
    double hueVerticalStep = 1.0 / 180;
    double hueHorizontalStep = 1.0 / 360;
};

// Change codes: what an edit changed. They are also the hit codes of the
// editor's parts and the drag modes of a channel.
inline constexpr uint32_t kLutOnCurve = 0x1;     // hit only: on the curve, off any point
inline constexpr uint32_t kLutOtherPoint = 0x2;  // hit only: on a point that is not selected
inline constexpr uint32_t kLutPoints = 0x4;
inline constexpr uint32_t kLutInputBlack = 0x10;
inline constexpr uint32_t kLutGamma = 0x20;
inline constexpr uint32_t kLutInputWhite = 0x40;
inline constexpr uint32_t kLutHueOffset = 0x80;
inline constexpr uint32_t kLutHueWidth = 0x100;
inline constexpr uint32_t kLutHueRange = 0x200;
inline constexpr uint32_t kLutOutputBlack = 0x400;
inline constexpr uint32_t kLutOutputWhite = 0x800;

class CQzLutViewer {
public:
    virtual const LutViewerGeometry& GetGeometry() const = 0;
    virtual void DragBegan(uint32_t code) = 0;
    virtual void DragStep(uint32_t code) = 0;
    virtual void DragEnded(uint32_t code) = 0;

protected:
    ~CQzLutViewer() = default;
};
