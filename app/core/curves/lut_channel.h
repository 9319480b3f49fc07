// The tone-curve channel: input levels (black, gamma, white), a free curve
// through control points, output levels and a brightness exponent, with what
// the curve editor needs while the user edits it.
#pragma once

#include <cstdint>
#include <vector>

#include "app/core/curves/lut_channel_base.h"

struct LutColour {
    uint32_t red = 0, green = 0, blue = 0;
};

// x and y are what a blob stores; the rest is the spline solve's working space.
struct LutControlPoint {
    double x = 0.0, y = 0.0;
    double lower = 0.0, upper = 0.0, rhs = 0.0;
    double slope = 0.0;
};

// What the user edits and what is saved. Point x lies in the space after the
// input levels (0 on the black point, 1 on the white point), in ascending order.
struct LutParameterSet {
    double inputBlack = 0.0;
    double gamma = 1.0;
    double inputWhite = 1.0;
    double outputBlack = 0.0;
    double outputWhite = 1.0;
    std::vector<LutControlPoint> points;
    bool slopesDirty = false;
    // The curve's y becomes y ^ (2 ^ -brightness).
    double brightness = 0.0;
};

class CQzLutChannel : public CQzLutChannelBase {
public:
    CQzLutChannel(uint32_t channelId, LutColour curve, LutColour dark, LutColour light);
    // A deep copy without the derived histograms and tables, and without drag state.
    CQzLutChannel(const CQzLutChannel& other);

    int32_t GetData(uint8_t* buffer, int32_t length) const override;
    int32_t SetData(const uint8_t* buffer, int32_t length) override;
    const qz::ClassId& GetClassId() const override { return qz::kLutChannelId; }

    bool IsHueChannel() const override { return false; }
    int32_t GetPointCount() const override { return static_cast<int32_t>(working_.points.size()); }
    uint32_t GetModifiedFlags(uint32_t mask) const override;
    void Reset(bool resetBrightness) override;

    uint32_t TrackMouse(CQzLutViewer& viewer, LutPoint mouse) override;
    uint32_t BeginDrag(CQzLutViewer& viewer, LutPoint mouse) override;
    void EndDrag(CQzLutViewer& viewer) override;

    uint32_t InsertPoint() override;
    uint32_t DeleteSelectedPoint() override;
    uint32_t SelectNextPoint() override;
    uint32_t SelectPreviousPoint() override;
    uint32_t NudgePointUp(CQzLutViewer& viewer) override;
    uint32_t NudgePointDown(CQzLutViewer& viewer) override;
    uint32_t NudgePointLeft(CQzLutViewer& viewer) override;
    uint32_t NudgePointRight(CQzLutViewer& viewer) override;
    uint32_t NudgeBlackLeft(CQzLutViewer& viewer) override;
    uint32_t NudgeBlackRight(CQzLutViewer& viewer) override;
    uint32_t NudgeWhiteLeft(CQzLutViewer& viewer) override;
    uint32_t NudgeWhiteRight(CQzLutViewer& viewer) override;
    uint32_t NudgeOffsetUp(CQzLutViewer&) override { return 0; }
    uint32_t NudgeOffsetDown(CQzLutViewer&) override { return 0; }
    uint32_t SetVerticalRange(int32_t) override { return 0; }
    // The applied set becomes a copy of the working set.
    void Commit() override;

    // The working point's x and y; false (nothing written) for an index out of range.
    bool GetPoint(int32_t index, double* x, double* y) const;
    // Adds a control point at plot position (x, y); answers its index, 0 when
    // the maximum count is reached, -1 when memory runs out.
    int32_t AddPoint(double x, double y);
    // A maximum below 2 means no limit.
    void SetMaxPoints(int32_t maximum) { maxPoints_ = maximum; }

    // Stores g limited to the gamma range; answers 1 when it had to limit.
    int32_t SetGamma(double gamma);
    // The gamma that puts the middle handle at relative position t between black and white.
    void SetGammaFromMidpoint(double t);
    // Automatic input levels: `low` and `high` are the fractions of the
    // histogram clipped at either end.
    void SetRange(double low, double high, bool allChannels);
    // The histogram measured on the image; null or empty removes it.
    void SetHistogram(const uint32_t* counts, int32_t count);
    // A table applied before (or after) the curve: `count` entries of 1 or 2
    // bytes, each divided by maximum - 1; null or fewer than 2 entries clears it.
    void SetMapTable(const void* table, int32_t elementSize, int32_t count, int32_t maximum, bool before);

    // Columns of the black, middle and white input handles; rows of the output black and white handles.
    void GetInputHandlePositions(const LutRect& plot, int32_t columns[3]) const;
    void GetOutputHandlePositions(const LutRect& plot, int32_t rows[2]) const;

    // The class-wide gamma range that new channels take.
    static void SetGammaRange(double minimum, double maximum);
    double GetGammaMinimum() const { return gammaMinimum_; }
    double GetGammaMaximum() const { return gammaMaximum_; }

    const LutParameterSet& GetWorkingSet() const { return working_; }
    const LutParameterSet& GetAppliedSet() const { return applied_; }
    // For direct edits of the levels, points or brightness: marks the slopes
    // and the display table dirty.
    LutParameterSet& EditWorkingSet();
    // The set a table is built from, its slopes brought up to date.
    const LutParameterSet& GetCurveSet(bool applied);

    LutColour GetCurveColour() const { return curveColour_; }
    LutColour GetDarkColour() const { return darkColour_; }
    LutColour GetLightColour() const { return lightColour_; }
    void SetColours(LutColour curve, LutColour dark, LutColour light);

    const std::vector<uint32_t>& GetOwnHistogram() const { return ownHistogram_; }
    const std::vector<double>& GetMapTable() const { return mapTable_; }
    bool IsMapBefore() const { return mapBefore_; }
    int32_t GetMaxPoints() const { return maxPoints_; }
    int32_t GetHotPoint() const { return hotPoint_; }
    uint32_t GetDragMode() const { return dragMode_; }
    // The plot position of the point last moved or selected.
    void GetEditedValue(double* x, double* y) const;
    bool IsDisplayTableDirty() const { return displayDirty_; }

    // Tables (tone table computation).
    // The curve at the plot's width, for drawing; rebuilt when the width, a switch or the curve changed.
    const std::vector<uint32_t>& GetDisplayTable(const LutRect& plot, bool inputShown, bool outputShown);
    // Pixel positions of up to `maximum` control points; answers how many were written.
    int32_t GetPointPositions(const LutRect& plot, LutPoint* out, int32_t maximum);
    // The histograms before and after the curve; empty when there is none.
    const std::vector<uint32_t>& GetInputHistogram(uint32_t flags);
    const std::vector<uint32_t>& GetOutputHistogram(uint32_t flags);
    // The inverse of the applied curve combined with the master, n entries.
    const std::vector<double>& BuildInverseTable(int32_t count, uint32_t flags);

private:
    struct Mouse;
    Mouse Measure(const LutViewerGeometry& geometry, LutPoint mouse) const;
    uint32_t HitTest(const LutViewerGeometry& geometry, LutPoint mouse);
    uint32_t DragStep(CQzLutViewer& viewer, LutPoint mouse);
    bool HasSelection() const;
    void RemoveSelectedPoint();
    void PointsChanged();
    void NoteEditedPoint(int32_t index);
    double GammaTermAt(int32_t index) const;
    bool RangeHistogram(std::vector<uint32_t>& histogram) const;

    LutColour curveColour_, darkColour_, lightColour_;
    LutParameterSet working_;
    int32_t maxPoints_ = 0;
    std::vector<uint32_t> ownHistogram_, inputHistogram_, outputHistogram_;
    int32_t hotPoint_ = -1;
    uint32_t dragMode_ = 0;
    std::vector<uint32_t> displayTable_;
    int32_t displayWidth_ = 0;
    bool displayInputShown_ = false, displayOutputShown_ = false;
    bool displayDirty_ = true;
    double editedX_ = 0.0, editedY_ = 0.0;
    LutParameterSet applied_;
    std::vector<double> inverseTable_;
    uint32_t inverseFlags_ = 0;
    std::vector<double> mapTable_;
    bool mapBefore_ = false;
    double gammaMinimum_, gammaMaximum_;
};
