// The curve editor control: a child window that shows the current channel of
// a curve group (histogram, grid, the other channels' curves, the curve with
// its points, the input and output level handles) and hands mouse and keys to
// the group's editing operations. The window that holds it implements
// IQzLutContainer and hears of every change by its change code.
#pragma once

#include <cstdint>
#include <vector>

#include "app/core/curve_edit/lut_edit_layout.h"
#include "app/core/curves/lut_viewer.h"
#include "clx/gdi.h"
#include "clx/wnd.h"

class CQzLutGroup;
class CQzLutEdit;

// What the container may change of the editor's look: thirteen 32-bit values
// in this order (colours as COLORREF).
struct LutEditStyle {
    uint32_t windowBackground = RGB(192, 192, 192);
    uint32_t frame = RGB(0, 0, 0);
    uint32_t plotBackground = RGB(255, 255, 255);
    uint32_t grid = RGB(192, 192, 192);
    uint32_t histogram = RGB(128, 128, 128);
    uint32_t guide = RGB(0, 0, 0);             // dotted lines of the level handles
    uint32_t hueCurve = RGB(0, 0, 0);
    uint32_t huePlotBackground = RGB(255, 255, 255);
    uint32_t huePoint = RGB(0, 0, 0);
    uint32_t huePointFill = RGB(255, 255, 255);
    uint32_t hueZeroLine = RGB(128, 128, 128);
    int32_t gridDivisions = 4;
    int32_t swapBlackWhite = 0;  // exchanges the black and white handles' images and cursors
};
static_assert(sizeof(LutEditStyle) == 13 * 4);

class IQzLutContainer {
public:
    virtual void GetStyle(CQzLutEdit& editor, LutEditStyle& style) = 0;
    // Shows the x and y of the point or handle last touched, for the code.
    virtual void ShowValue(CQzLutEdit& editor, uint32_t code) = 0;
    // A value of the code's kind changed during a drag or by a key.
    virtual void OnChanging(CQzLutEdit& editor, uint32_t code) = 0;
    // The change is complete: the end of a drag, or after a key.
    virtual void OnChanged(CQzLutEdit& editor, uint32_t code) = 0;

protected:
    ~IQzLutContainer() = default;
};

// Display flags, set by the container.
inline constexpr uint32_t kLutShowOutputHistogram = 0x1;
inline constexpr uint32_t kLutShowOtherCurves = 0x2;

// Resources: the input handles (mask, black, middle, white stacked
// vertically), the output handles (mask, black, white side by side), the
// point markers (mask, point, selected point side by side).
inline constexpr UINT kLutInputHandleBitmap = 218;
inline constexpr UINT kLutOutputHandleBitmap = 223;
inline constexpr UINT kLutPointBitmap = 219;

class CQzLutEdit : public CWnd, public CQzLutViewer {
public:
    CQzLutEdit();
    ~CQzLutEdit() override;

    // A child window; false when the window or its handle bitmaps cannot be made.
    BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id);

    // Neither is owned; either may be null.
    void SetLutContainer(IQzLutContainer* container) { container_ = container; }
    void SetLutGroup(CQzLutGroup* group);
    CQzLutGroup* GetLutGroup() const { return group_; }
    // Marks the background out of date; with `now` the window is painted at once.
    void Redraw(bool now);

    void SetDisplayFlags(uint32_t flags);
    uint32_t GetDisplayFlags() const { return displayFlags_; }
    void SetLevelsShown(bool input, bool output);
    uint32_t GetLastHit() const { return lastHit_; }
    uint32_t GetDragCode() const { return dragCode_; }

    // The static layout table: margins, strips and handle sizes, the handle hit radius.
    static const qz::LutEditMetrics& GetMetrics() { return qz::GetLutEditMetrics(); }

    // CQzLutViewer
    const LutViewerGeometry& GetGeometry() const override { return geometry_; }
    void DragBegan(uint32_t code) override;
    void DragStep(uint32_t code) override;
    void DragEnded(uint32_t code) override;

    // The parts drawn while a drag of the code runs (0 for an unknown code).
    static uint32_t DragParts(uint32_t code);

    // 32-bit pixels, 0x00RRGGBB, top row first.
    struct Image {
        int32_t width = 0, height = 0;
        std::vector<uint32_t> pixels;
    };

private:
    struct Surface;

    int OnCreate(CREATESTRUCT* cs);
    void OnDestroy();
    void OnPaint();
    BOOL OnEraseBkgnd(CDC*) { return TRUE; }
    LRESULT OnPrintClient(WPARAM dc, LPARAM flags);
    void OnLButtonDown(UINT flags, CPoint point);
    void OnMouseMove(UINT flags, CPoint point);
    void OnLButtonUp(UINT flags, CPoint point);
    void OnCaptureChanged(CWindow other);
    LRESULT OnNcHitTest(CPoint screen);
    BOOL OnSetCursor(CWindow wnd, UINT hitTest, UINT message);
    void OnKeyDown(UINT key, UINT repeat, UINT flags);
    void OnChar(UINT ch, UINT repeat, UINT flags);
    UINT OnGetDlgCode();
    void OnSetFocus(CWindow old);
    void OnKillFocus(CWindow next);
    void OnWindowPosChanged(WINDOWPOS* pos);

    void LayOut();
    LutEditStyle TakeStyle();
    // Brings the cached background up to date for the client size.
    bool RefreshBackground();
    // Draws the parts into `image` (the current client size).
    void Paint(Image& image, uint32_t parts, const LutEditStyle& style);
    void PaintTone(Image& image, uint32_t parts, const LutEditStyle& style);
    void PaintHue(Image& image, uint32_t parts, const LutEditStyle& style);
    void Present(const Image& image, HDC dc) const;
    void ReportKeys(uint32_t codes);

    IQzLutContainer* container_ = nullptr;
    CQzLutGroup* group_ = nullptr;
    LutViewerGeometry geometry_;
    qz::LutEditLayout layout_;
    uint32_t dragCode_ = 0;
    uint32_t dragParts_ = 0;
    uint32_t backgroundParts_ = 0x7FFF;
    uint32_t lastHit_ = 0;
    uint32_t displayFlags_ = 0;
    bool endingDrag_ = false;
    bool focused_ = false;
    Image background_;
    bool backgroundDirty_ = true;
    Image frame_;  // what was last shown
    Image inputHandles_, outputHandles_, points_;

    DECLARE_MESSAGE_MAP()
};
