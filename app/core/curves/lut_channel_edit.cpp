// Editing a tone-curve channel with the mouse and the keys.
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>

#include "app/core/curves/curve_math.h"
#include "app/core/curves/lut_channel.h"
#include "app/core/curves/point_spacing.h"

namespace {

// Pixels beyond the plot at which a dragged point is dropped from the curve.
constexpr double kDragOutPixels = 20.0;

}  // namespace

// The mouse in the plot's terms: u and v across the plot (measured on its
// width, which is also its height), un and vn after the levels; the last four
// limited to [0, 1].
struct CQzLutChannel::Mouse {
    bool valid = false;
    double rawU = 0.0, rawV = 0.0;
    double u = 0.0, v = 0.0, un = 0.0, vn = 0.0;
    double width = 0.0;
};

CQzLutChannel::Mouse CQzLutChannel::Measure(const LutViewerGeometry& geometry, LutPoint mouse) const
{
    Mouse m;
    const LutRect& plot = geometry.plot;
    m.width = plot.Width();
    if (plot.Width() < 2)
        return m;
    m.valid = true;
    const double span = plot.Width() - 1.0;
    m.rawU = (static_cast<double>(mouse.x) - plot.left) / span;
    m.rawV = (static_cast<double>(plot.bottom) - mouse.y - 1) / span;
    double un = m.rawU, vn = m.rawV;
    if (geometry.inputLevelsShown)
        un = (un - working_.inputBlack) / (working_.inputWhite - working_.inputBlack);
    if (geometry.outputLevelsShown)
        vn = (vn - working_.outputBlack) / (working_.outputWhite - working_.outputBlack);
    m.u = qz::Limit(m.rawU, 0.0, 1.0);
    m.v = qz::Limit(m.rawV, 0.0, 1.0);
    m.un = qz::Limit(un, 0.0, 1.0);
    m.vn = qz::Limit(vn, 0.0, 1.0);
    return m;
}

bool CQzLutChannel::HasSelection() const
{
    return selectedPoint_ >= 0 && selectedPoint_ < GetPointCount();
}

double CQzLutChannel::GammaTermAt(int32_t index) const
{
    const std::vector<LutControlPoint>& points = working_.points;
    const int32_t last = GetPointCount() - 1;
    if (index <= 0 || index >= last || working_.gamma == 1.0)
        return 0.0;
    const double s = (points[index].x - points[0].x) / (points[last].x - points[0].x);
    const double term = std::pow(s, 1.0 / working_.gamma) - s;
    // Ends on one x (a stored curve) or a gamma of 0 leave no term to correct for.
    return std::isfinite(term) ? term : 0.0;
}

void CQzLutChannel::NoteEditedPoint(int32_t index)
{
    if (index < 0 || index >= GetPointCount())
        return;
    const LutControlPoint& point = working_.points[index];
    editedX_ = point.x * (working_.inputWhite - working_.inputBlack) + working_.inputBlack;
    editedY_ = point.y * (working_.outputWhite - working_.outputBlack) + working_.outputBlack;
}

void CQzLutChannel::RemoveSelectedPoint()
{
    working_.points.erase(working_.points.begin() + selectedPoint_);
    selectedPoint_ = std::min(selectedPoint_, GetPointCount() - 1);
    PointsChanged();
}

uint32_t CQzLutChannel::HitTest(const LutViewerGeometry& geometry, LutPoint mouse)
{
    const Mouse m = Measure(geometry, mouse);
    if (!m.valid)
        return 0;
    uint32_t result = 0;
    if (geometry.plot.Contains(mouse.x, mouse.y)) {
        // The nearest point in x; on a tie the first.
        int32_t hot = -1;
        double nearest = std::numeric_limits<double>::infinity();
        for (int32_t i = 0; i < GetPointCount(); ++i) {
            const double distance = std::fabs(working_.points[i].x - m.un);
            if (distance < nearest) {
                nearest = distance;
                hot = i;
            }
        }
        hotPoint_ = hot;
        result = kLutOnCurve;
        const double tolerance = geometry.pointHitRadius / m.width;
        if (hot >= 0 && nearest <= tolerance) {
            result = hot == selectedPoint_ ? kLutPoints : kLutOtherPoint;
            if (std::fabs(working_.points[hot].y - m.vn) <= tolerance)
                NoteEditedPoint(hot);
        }
    }
    if (geometry.inputLevelsShown && geometry.inputStrip.Contains(mouse.x, mouse.y)) {
        int32_t columns[3];
        GetInputHandlePositions(geometry.plot, columns);
        const uint32_t codes[3] = {kLutInputBlack, kLutGamma, kLutInputWhite};
        // On equal distances the handle to the left wins unless the mouse is
        // right of the other handle.
        int32_t best = 0;
        int64_t bestDistance = std::llabs(static_cast<int64_t>(mouse.x) - columns[0]);
        for (int32_t k = 1; k < 3; ++k) {
            const int64_t distance = std::llabs(static_cast<int64_t>(mouse.x) - columns[k]);
            if (distance < bestDistance || (distance == bestDistance && mouse.x > columns[k])) {
                best = k;
                bestDistance = distance;
            }
        }
        result = bestDistance <= geometry.handleHitRadius ? codes[best] : 0;
    }
    if (geometry.outputLevelsShown && geometry.outputStrip.Contains(mouse.x, mouse.y)) {
        int32_t rows[2];
        GetOutputHandlePositions(geometry.plot, rows);
        const int64_t toBlack = std::llabs(static_cast<int64_t>(mouse.y) - rows[0]);
        const int64_t toWhite = std::llabs(static_cast<int64_t>(mouse.y) - rows[1]);
        const bool black = toBlack < toWhite || (toBlack == toWhite && rows[1] <= mouse.y);
        const int64_t distance = black ? toBlack : toWhite;
        result = distance <= geometry.handleHitRadius ? (black ? kLutOutputBlack : kLutOutputWhite) : 0;
    }
    return result;
}

uint32_t CQzLutChannel::DragStep(CQzLutViewer& viewer, LutPoint mouse)
{
    const Mouse m = Measure(viewer.GetGeometry(), mouse);
    if (!m.valid)
        return dragMode_;
    const double pixel = 1.0 / m.width;
    LutParameterSet& set = working_;
    switch (dragMode_) {
    case kLutPoints: {
        set.slopesDirty = true;
        const double out = kDragOutPixels * pixel;
        if (GetPointCount() > 2 && HasSelection() &&
            (m.rawU < -out || m.rawU > 1.0 + out || m.rawV < -out || m.rawV > 1.0 + out)) {
            RemoveSelectedPoint();
            viewer.DragEnded(kLutPoints);
            dragMode_ = 0;
            return 0;
        }
        if (HasSelection()) {
            selectedPoint_ = qz::DragPointTo(set.points, selectedPoint_, m.un, &LutControlPoint::x);
            // Where the displayed curve, with its gamma term, passes under the mouse.
            set.points[selectedPoint_].y = m.vn - GammaTermAt(selectedPoint_);
            NoteEditedPoint(selectedPoint_);
        }
        break;
    }
    case kLutInputBlack:
        set.inputBlack = std::min(m.u, set.inputWhite - 2 * pixel);
        break;
    case kLutInputWhite:
        set.inputWhite = std::max(m.u, set.inputBlack + 2 * pixel);
        break;
    case kLutGamma: {
        const double position = qz::Limit(m.u, set.inputBlack + pixel, set.inputWhite - pixel);
        SetGammaFromMidpoint((position - set.inputBlack) / (set.inputWhite - set.inputBlack));
        break;
    }
    case kLutOutputBlack:
        set.outputBlack = std::min(m.v, set.outputWhite - 2 * pixel);
        break;
    case kLutOutputWhite:
        set.outputWhite = std::max(m.v, set.outputBlack + 2 * pixel);
        break;
    default:
        break;
    }
    displayDirty_ = true;
    viewer.DragStep(dragMode_);
    return dragMode_;
}

uint32_t CQzLutChannel::TrackMouse(CQzLutViewer& viewer, LutPoint mouse)
{
    return dragMode_ ? DragStep(viewer, mouse) : HitTest(viewer.GetGeometry(), mouse);
}

uint32_t CQzLutChannel::BeginDrag(CQzLutViewer& viewer, LutPoint mouse)
{
    const uint32_t hit = HitTest(viewer.GetGeometry(), mouse);
    dragMode_ = hit;
    if (hit == kLutOnCurve) {
        dragMode_ = 0;
        if (maxPoints_ < 2 || GetPointCount() < maxPoints_) {
            const Mouse m = Measure(viewer.GetGeometry(), mouse);
            const double t = (m.u - working_.inputBlack) / (working_.inputWhite - working_.inputBlack);
            int32_t index = 0;
            if (hotPoint_ >= 0)
                index = working_.points[hotPoint_].x < t ? hotPoint_ + 1 : hotPoint_;
            LutControlPoint point;
            point.x = t;
            point.y = m.v;
            working_.points.insert(working_.points.begin() + index, point);
            selectedPoint_ = index;
            PointsChanged();
            dragMode_ = kLutPoints;
        }
    } else if (hit == kLutOtherPoint) {
        selectedPoint_ = hotPoint_;
        dragMode_ = kLutPoints;
    }
    if (dragMode_) {
        viewer.DragBegan(dragMode_);
        DragStep(viewer, mouse);
    }
    return dragMode_;
}

void CQzLutChannel::EndDrag(CQzLutViewer& viewer)
{
    if (!dragMode_)
        return;
    const uint32_t ended = dragMode_;
    dragMode_ = 0;
    viewer.DragEnded(ended);
}

uint32_t CQzLutChannel::InsertPoint()
{
    if (!HasSelection() || (maxPoints_ >= 2 && GetPointCount() >= maxPoints_))
        return 0;
    std::vector<LutControlPoint>& points = working_.points;
    const int32_t last = GetPointCount() - 1;
    // The neighbours to insert between, and where the new point goes. Beyond
    // the ends stand virtual points 0.01 outside the plot.
    struct Gap {
        double leftX, leftY, rightX, rightY;
        int32_t at;
    };
    auto below = [&]() -> Gap {
        for (int32_t k = selectedPoint_; k >= 1; --k)
            if (points[k].x - points[k - 1].x >= qz::kInsertGap)
                return {points[k - 1].x, points[k - 1].y, points[k].x, points[k].y, k};
        return {-qz::kPointGap, points[0].y, points[0].x, points[0].y, 0};
    };
    auto above = [&]() -> Gap {
        for (int32_t k = selectedPoint_; k <= last - 1; ++k)
            if (points[k + 1].x - points[k].x >= qz::kInsertGap)
                return {points[k].x, points[k].y, points[k + 1].x, points[k + 1].y, k + 1};
        return {points[last].x, points[last].y, 1.0 + qz::kPointGap, points[last].y, last + 1};
    };
    Gap gap = below();
    if (!(gap.rightX - gap.leftX >= qz::kInsertGap)) {
        gap = above();
        if (!(gap.rightX - gap.leftX >= qz::kInsertGap))
            return 0;
    }
    LutControlPoint point;
    point.x = (std::min(1.0, gap.rightX) + std::max(0.0, gap.leftX)) / 2;
    point.x = qz::Limit(point.x, gap.leftX + qz::kPointGap, gap.rightX - qz::kPointGap);
    point.y = (gap.leftY + gap.rightY) / 2;
    points.insert(points.begin() + gap.at, point);
    selectedPoint_ = gap.at;
    PointsChanged();
    NoteEditedPoint(gap.at);
    return kLutPoints;
}

uint32_t CQzLutChannel::DeleteSelectedPoint()
{
    if (GetPointCount() <= 2 || !HasSelection())
        return 0;
    RemoveSelectedPoint();
    return kLutPoints;
}

uint32_t CQzLutChannel::SelectNextPoint()
{
    selectedPoint_ = std::min(selectedPoint_ + 1, GetPointCount() - 1);
    NoteEditedPoint(selectedPoint_);
    return kLutPoints;
}

uint32_t CQzLutChannel::SelectPreviousPoint()
{
    selectedPoint_ = std::max(selectedPoint_ - 1, 0);
    NoteEditedPoint(selectedPoint_);
    return kLutPoints;
}

uint32_t CQzLutChannel::NudgePointUp(CQzLutViewer& viewer)
{
    if (!HasSelection())
        return 0;
    double& y = working_.points[selectedPoint_].y;
    y = qz::Limit(y + viewer.GetGeometry().toneVerticalStep, 0.0, 1.0);
    PointsChanged();
    NoteEditedPoint(selectedPoint_);
    return kLutPoints;
}

uint32_t CQzLutChannel::NudgePointDown(CQzLutViewer& viewer)
{
    if (!HasSelection())
        return 0;
    double& y = working_.points[selectedPoint_].y;
    y = qz::Limit(y - viewer.GetGeometry().toneVerticalStep, 0.0, 1.0);
    PointsChanged();
    NoteEditedPoint(selectedPoint_);
    return kLutPoints;
}

uint32_t CQzLutChannel::NudgePointLeft(CQzLutViewer& viewer)
{
    if (!HasSelection())
        return 0;
    const double target = working_.points[selectedPoint_].x - viewer.GetGeometry().toneHorizontalStep;
    selectedPoint_ = qz::MovePointLeft(working_.points, selectedPoint_, target, &LutControlPoint::x);
    PointsChanged();
    NoteEditedPoint(selectedPoint_);
    return kLutPoints;
}

uint32_t CQzLutChannel::NudgePointRight(CQzLutViewer& viewer)
{
    if (!HasSelection())
        return 0;
    const double target = working_.points[selectedPoint_].x + viewer.GetGeometry().toneHorizontalStep;
    selectedPoint_ = qz::MovePointRight(working_.points, selectedPoint_, target, &LutControlPoint::x);
    PointsChanged();
    NoteEditedPoint(selectedPoint_);
    return kLutPoints;
}

namespace {

// Two pixels of the plot, the least distance between the black and white levels.
double TwoPixels(const LutViewerGeometry& geometry)
{
    return geometry.plot.Width() > 0 ? 2.0 / geometry.plot.Width() : 0.0;
}

}  // namespace

uint32_t CQzLutChannel::NudgeBlackLeft(CQzLutViewer& viewer)
{
    const LutViewerGeometry& geometry = viewer.GetGeometry();
    working_.inputBlack = qz::Limit(working_.inputBlack - geometry.toneHorizontalStep, 0.0, 1.0 - TwoPixels(geometry));
    displayDirty_ = true;
    return kLutInputBlack;
}

uint32_t CQzLutChannel::NudgeBlackRight(CQzLutViewer& viewer)
{
    const LutViewerGeometry& geometry = viewer.GetGeometry();
    working_.inputBlack = qz::Limit(working_.inputBlack + geometry.toneHorizontalStep, 0.0, 1.0 - TwoPixels(geometry));
    displayDirty_ = true;
    return kLutInputBlack;
}

uint32_t CQzLutChannel::NudgeWhiteLeft(CQzLutViewer& viewer)
{
    const LutViewerGeometry& geometry = viewer.GetGeometry();
    working_.inputWhite = qz::Limit(working_.inputWhite - geometry.toneHorizontalStep, TwoPixels(geometry), 1.0);
    displayDirty_ = true;
    return kLutInputWhite;
}

uint32_t CQzLutChannel::NudgeWhiteRight(CQzLutViewer& viewer)
{
    const LutViewerGeometry& geometry = viewer.GetGeometry();
    working_.inputWhite = qz::Limit(working_.inputWhite + geometry.toneHorizontalStep, TwoPixels(geometry), 1.0);
    displayDirty_ = true;
    return kLutInputWhite;
}
