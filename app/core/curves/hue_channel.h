// The hue channel: points of (position, amount, width) on a circular hue
// axis, an offset, and the vertical range the editor shows. No table is built
// from it.
#pragma once

#include <cstdint>
#include <vector>

#include "app/core/curves/lut_channel_base.h"

struct HuePoint {
    double position = 0.0;  // along the hue axis, 0..1; 0 and 1 are the same hue
    double amount = 0.0;    // -1..1
    double width = 0.0;     // 0..0.5
};

class CQzHueChannel : public CQzLutChannelBase {
public:
    explicit CQzHueChannel(uint32_t channelId);
    CQzHueChannel(const CQzHueChannel& other);

    int32_t GetData(uint8_t* buffer, int32_t length) const override;
    int32_t SetData(const uint8_t* buffer, int32_t length) override;
    const qz::ClassId& GetClassId() const override { return qz::kHueChannelId; }

    bool IsHueChannel() const override { return true; }
    int32_t GetPointCount() const override { return static_cast<int32_t>(points_.size()); }
    uint32_t GetModifiedFlags(uint32_t mask) const override;
    // No points, offset 0, no selection; the range stays.
    void Reset(bool resetBrightness) override;

    uint32_t TrackMouse(CQzLutViewer& viewer, LutPoint mouse) override;
    uint32_t BeginDrag(CQzLutViewer& viewer, LutPoint mouse) override;
    // A click on the range box cycles the range 1, 2, 3, 1.
    void EndDrag(CQzLutViewer& viewer) override;

    uint32_t InsertPoint() override;
    uint32_t DeleteSelectedPoint() override;
    uint32_t SelectNextPoint() override;
    uint32_t SelectPreviousPoint() override;
    uint32_t NudgePointUp(CQzLutViewer& viewer) override;
    uint32_t NudgePointDown(CQzLutViewer& viewer) override;
    uint32_t NudgePointLeft(CQzLutViewer& viewer) override;
    uint32_t NudgePointRight(CQzLutViewer& viewer) override;
    // The level keys change the selected point's width.
    uint32_t NudgeBlackLeft(CQzLutViewer& viewer) override { return NudgeWidth(viewer, -1); }
    uint32_t NudgeBlackRight(CQzLutViewer& viewer) override { return NudgeWidth(viewer, 1); }
    uint32_t NudgeWhiteLeft(CQzLutViewer& viewer) override { return NudgeWidth(viewer, -1); }
    uint32_t NudgeWhiteRight(CQzLutViewer& viewer) override { return NudgeWidth(viewer, 1); }
    uint32_t NudgeOffsetUp(CQzLutViewer& viewer) override;
    uint32_t NudgeOffsetDown(CQzLutViewer& viewer) override;
    // 1..3; the editor's keys "1", "2" and "3".
    uint32_t SetVerticalRange(int32_t range) override;
    void Commit() override {}

    const std::vector<HuePoint>& GetPoints() const { return points_; }
    double GetOffset() const { return offset_; }
    int32_t GetVerticalRange() const { return range_; }
    int32_t GetHotPoint() const { return hotPoint_; }
    uint32_t GetDragMode() const { return dragMode_; }
    const HuePoint& GetEditedValue() const { return edited_; }
    bool IsDrawingDirty() const { return drawingDirty_; }
    void ClearDrawingDirty() { drawingDirty_ = false; }

private:
    struct Mouse;
    Mouse Measure(const LutViewerGeometry& geometry, LutPoint mouse) const;
    uint32_t HitTest(const LutViewerGeometry& geometry, LutPoint mouse);
    uint32_t DragStep(CQzLutViewer& viewer, LutPoint mouse);
    uint32_t NudgeWidth(CQzLutViewer& viewer, int direction);
    bool HasSelection() const { return selectedPoint_ >= 0 && selectedPoint_ < GetPointCount(); }
    void RemoveSelectedPoint();
    void NoteEdited(int32_t index);
    int32_t OffsetRow(const LutRect& strip) const;
    int32_t WidthRow(const LutRect& strip) const;

    std::vector<HuePoint> points_;
    double offset_ = 0.0;
    int32_t range_ = 1;
    bool drawingDirty_ = true;
    HuePoint edited_;
    int32_t hotPoint_ = -1;
    uint32_t dragMode_ = 0;
    // The point made by the press being dragged: its width follows its amount.
    bool newPointDrag_ = false;
    bool rangeClick_ = false;
};
