#include "app/core/curves/hue_channel.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <new>

#include "app/core/curves/curve_math.h"
#include "app/core/curves/point_spacing.h"
#include "app/core/settings/blob_cursor.h"

using qz::BlobReader;
using qz::BlobWriter;

namespace {

constexpr uint8_t kVersionMarker = 0xFF;
constexpr double kDragOutPixels = 20.0;

}  // namespace

CQzHueChannel::CQzHueChannel(uint32_t channelId) : CQzLutChannelBase(channelId)
{
    Reset(true);
}

CQzHueChannel::CQzHueChannel(const CQzHueChannel& other)
    : CQzLutChannelBase(other), points_(other.points_), offset_(other.offset_), range_(other.range_),
      edited_(other.edited_)
{
}

int32_t CQzHueChannel::GetData(uint8_t* buffer, int32_t length) const
{
    BlobWriter out(buffer, length);
    out.PutId(GetClassId());
    out.Put(channelId_);
    out.Put(kVersionMarker);
    out.Put<uint16_t>(2);
    out.Put(static_cast<uint32_t>(points_.size()));
    for (const HuePoint& point : points_) {
        out.Put(point.position);
        out.Put(point.amount);
        out.Put(point.width);
    }
    out.Put(offset_);
    out.Put(static_cast<uint32_t>(range_));
    return out.Answer();
}

int32_t CQzHueChannel::SetData(const uint8_t* buffer, int32_t length)
{
    if (!qz::StartsWith(buffer, length, GetClassId()))
        return 0;
    BlobReader in(buffer, length);
    in.Skip(16);
    uint32_t id = channelId_;
    in.Get(id);

    // The version rules of the tone-curve channel: no marker is version 1, a
    // version this reader does not know reads nothing more.
    bool known = true;
    if (in.Covers(1) && buffer[20] == kVersionMarker) {
        in.Skip(1);
        uint16_t version = 0;
        const bool read = in.Get(version);
        if (read && (version < 2 || version >= 200))
            in.Seek(20);
        else if (!read || version != 2)
            known = false;
    }

    std::vector<HuePoint> points = points_;
    double offset = offset_;
    int32_t range = range_;
    int32_t answer = 23;
    if (known) {
        uint32_t count = 0;
        if (in.Get(count)) {
            const int32_t declared = static_cast<int32_t>(count);
            points.clear();
            if (declared > 0) {
                const uint64_t pointsEnd = in.Position() + 24 * static_cast<uint64_t>(declared);
                if (!in.Covers(24 * static_cast<uint64_t>(declared)))
                    return 0;
                try {
                    points.resize(static_cast<size_t>(declared));
                } catch (const std::bad_alloc&) {
                    points.clear();
                }
                for (HuePoint& point : points) {
                    in.Get(point.position);
                    in.Get(point.amount);
                    in.Get(point.width);
                }
                in.Seek(pointsEnd);
            }
        } else {
            in.Skip(24 * points.size());
        }
        in.Get(offset);
        uint32_t storedRange = 0;
        if (in.Get(storedRange))
            range = static_cast<int32_t>(std::clamp<uint32_t>(storedRange, 1, 3));
        answer = static_cast<int32_t>(in.Position());
    }

    channelId_ = id;
    selectedPoint_ = -1;
    points_ = std::move(points);
    offset_ = offset;
    range_ = range;
    hotPoint_ = -1;
    dragMode_ = 0;
    newPointDrag_ = false;
    edited_ = HuePoint{};
    drawingDirty_ = true;
    return answer;
}

uint32_t CQzHueChannel::GetModifiedFlags(uint32_t mask) const
{
    uint32_t flags = points_.empty() ? 0 : kLutOnCurve | kLutOtherPoint;
    if (offset_ != 0.0)
        flags |= kLutHueOffset;
    return flags & mask;
}

void CQzHueChannel::Reset(bool)
{
    points_.clear();
    offset_ = 0.0;
    selectedPoint_ = -1;
    drawingDirty_ = true;
}

void CQzHueChannel::NoteEdited(int32_t index)
{
    if (index >= 0 && index < GetPointCount())
        edited_ = points_[index];
}

void CQzHueChannel::RemoveSelectedPoint()
{
    points_.erase(points_.begin() + selectedPoint_);
    selectedPoint_ = std::min(selectedPoint_, GetPointCount() - 1);
    if (points_.empty()) {
        points_.shrink_to_fit();
        edited_ = HuePoint{};
    }
    drawingDirty_ = true;
}

uint32_t CQzHueChannel::InsertPoint()
{
    if (points_.empty()) {
        points_.push_back({0.5, 0.0, 0.5});
        selectedPoint_ = 0;
        drawingDirty_ = true;
        NoteEdited(0);
        return kLutPoints;
    }
    // Around the circle from the selected point to the left for two neighbours
    // 0.02 apart; the first point's left neighbour is the last one a turn back.
    const int32_t count = GetPointCount();
    const int32_t start = HasSelection() ? selectedPoint_ : 0;
    int32_t right = start;
    HuePoint left;
    for (;;) {
        left = points_[right == 0 ? count - 1 : right - 1];
        if (right == 0)
            left.position -= 1.0;
        if (points_[right].position - left.position >= qz::kInsertGap)
            break;
        right = right == 0 ? count - 1 : right - 1;
        if (right == start)
            return 0;
    }
    const HuePoint& other = points_[right];
    HuePoint point{(left.position + other.position) / 2, (left.amount + other.amount) / 2,
                   (left.width + other.width) / 2};
    int32_t index = right;
    if (point.position < 0.0) {
        point.position += 1.0;
        index = count;
    }
    points_.insert(points_.begin() + index, point);
    selectedPoint_ = index;
    drawingDirty_ = true;
    NoteEdited(index);
    return kLutPoints;
}

uint32_t CQzHueChannel::DeleteSelectedPoint()
{
    if (!HasSelection())
        return 0;
    RemoveSelectedPoint();
    return kLutPoints;
}

uint32_t CQzHueChannel::SelectNextPoint()
{
    selectedPoint_ = std::min(selectedPoint_ + 1, GetPointCount() - 1);
    NoteEdited(selectedPoint_);
    return kLutPoints;
}

uint32_t CQzHueChannel::SelectPreviousPoint()
{
    selectedPoint_ = std::max(selectedPoint_ - 1, 0);
    NoteEdited(selectedPoint_);
    return kLutPoints;
}

uint32_t CQzHueChannel::NudgePointUp(CQzLutViewer& viewer)
{
    if (!HasSelection())
        return 0;
    double& amount = points_[selectedPoint_].amount;
    amount = std::min(amount + viewer.GetGeometry().hueVerticalStep, 1.0);
    drawingDirty_ = true;
    NoteEdited(selectedPoint_);
    return kLutPoints;
}

uint32_t CQzHueChannel::NudgePointDown(CQzLutViewer& viewer)
{
    if (!HasSelection())
        return 0;
    double& amount = points_[selectedPoint_].amount;
    amount = std::max(amount - viewer.GetGeometry().hueVerticalStep, -1.0);
    drawingDirty_ = true;
    NoteEdited(selectedPoint_);
    return kLutPoints;
}

uint32_t CQzHueChannel::NudgePointLeft(CQzLutViewer& viewer)
{
    if (!HasSelection())
        return 0;
    const double target = points_[selectedPoint_].position - viewer.GetGeometry().hueHorizontalStep;
    selectedPoint_ = qz::MovePointLeft(points_, selectedPoint_, target, &HuePoint::position);
    drawingDirty_ = true;
    NoteEdited(selectedPoint_);
    return kLutPoints;
}

uint32_t CQzHueChannel::NudgePointRight(CQzLutViewer& viewer)
{
    if (!HasSelection())
        return 0;
    const double target = points_[selectedPoint_].position + viewer.GetGeometry().hueHorizontalStep;
    selectedPoint_ = qz::MovePointRight(points_, selectedPoint_, target, &HuePoint::position);
    drawingDirty_ = true;
    NoteEdited(selectedPoint_);
    return kLutPoints;
}

uint32_t CQzHueChannel::NudgeWidth(CQzLutViewer& viewer, int direction)
{
    if (!HasSelection())
        return 0;
    double& width = points_[selectedPoint_].width;
    width = qz::Limit(width + direction * viewer.GetGeometry().hueHorizontalStep, 0.0, 0.5);
    drawingDirty_ = true;
    NoteEdited(selectedPoint_);
    return kLutHueWidth;
}

uint32_t CQzHueChannel::NudgeOffsetUp(CQzLutViewer& viewer)
{
    offset_ = std::min(offset_ + viewer.GetGeometry().hueVerticalStep, 1.0);
    drawingDirty_ = true;
    return kLutHueOffset;
}

uint32_t CQzHueChannel::NudgeOffsetDown(CQzLutViewer& viewer)
{
    offset_ = std::max(offset_ - viewer.GetGeometry().hueVerticalStep, -1.0);
    drawingDirty_ = true;
    return kLutHueOffset;
}

uint32_t CQzHueChannel::SetVerticalRange(int32_t range)
{
    range_ = std::clamp(range, 1, 3);
    drawingDirty_ = true;
    return kLutHueRange;
}

// The mouse in the hue plot's terms: u across it, v from the middle row, 1 at
// the top; the limited values and the raw ones that tell a drag out.
struct CQzHueChannel::Mouse {
    bool valid = false;
    double rawU = 0.0, rawV = 0.0, u = 0.0, v = 0.0;
    double width = 0.0, halfHeight = 0.0;
};

CQzHueChannel::Mouse CQzHueChannel::Measure(const LutViewerGeometry& geometry, LutPoint mouse) const
{
    Mouse m;
    const LutRect& plot = geometry.huePlot;
    const int32_t halfHeight = plot.Height() / 2;
    if (plot.Width() <= 0 || halfHeight <= 0)
        return m;
    m.valid = true;
    m.width = plot.Width();
    m.halfHeight = halfHeight;
    const int32_t middle = (plot.top + 1 + plot.bottom) / 2;
    m.rawU = (static_cast<double>(mouse.x) - plot.left) / m.width;
    m.rawV = (static_cast<double>(middle) - mouse.y - 1) / halfHeight;
    m.u = qz::Limit(m.rawU, 0.0, 1.0);
    m.v = qz::Limit(m.rawV, -1.0, 1.0);
    return m;
}

int32_t CQzHueChannel::OffsetRow(const LutRect& strip) const
{
    const int32_t middle = (strip.top + strip.bottom + 1) / 2 - 1;
    const double value = (strip.Height() / 2) * offset_ * 3 / range_;
    return middle - (value < 0 ? -qz::RoundPixel(-value) : qz::RoundPixel(value));
}

int32_t CQzHueChannel::WidthRow(const LutRect& strip) const
{
    return strip.top + qz::TruncPixel((strip.Height() / 2) * 2 * points_[selectedPoint_].width);
}

uint32_t CQzHueChannel::HitTest(const LutViewerGeometry& geometry, LutPoint mouse)
{
    const Mouse m = Measure(geometry, mouse);
    if (!m.valid)
        return 0;
    if (geometry.huePlot.Contains(mouse.x, mouse.y)) {
        int32_t hot = -1;
        double nearest = std::numeric_limits<double>::infinity();
        for (int32_t i = 0; i < GetPointCount(); ++i) {
            const double distance = std::fabs(points_[i].position - m.u);
            if (distance < nearest) {
                nearest = distance;
                hot = i;
            }
        }
        hotPoint_ = hot;
        if (hot < 0 || nearest > geometry.pointHitRadius / m.width)
            return kLutOnCurve;
        if (std::fabs(points_[hot].amount - m.v) <= geometry.pointHitRadius / m.halfHeight)
            NoteEdited(hot);
        return hot == selectedPoint_ ? kLutPoints : kLutOtherPoint;
    }
    if (geometry.offsetStrip.Contains(mouse.x, mouse.y)) {
        const int64_t distance = std::llabs(static_cast<int64_t>(mouse.y) - OffsetRow(geometry.offsetStrip));
        return distance <= geometry.offsetTolerance ? kLutHueOffset : 0;
    }
    if (geometry.widthStrip.Contains(mouse.x, mouse.y) && HasSelection()) {
        const int64_t distance = std::llabs(static_cast<int64_t>(mouse.y) - WidthRow(geometry.widthStrip));
        return distance <= geometry.handleHitRadius ? kLutHueWidth : 0;
    }
    if (geometry.rangeBox.Contains(mouse.x, mouse.y))
        return kLutHueRange;
    return 0;
}

uint32_t CQzHueChannel::DragStep(CQzLutViewer& viewer, LutPoint mouse)
{
    const LutViewerGeometry& geometry = viewer.GetGeometry();
    const Mouse m = Measure(geometry, mouse);
    if (!m.valid)
        return dragMode_;
    switch (dragMode_) {
    case kLutPoints: {
        const double out = kDragOutPixels / m.width;
        if (HasSelection() && (m.rawU < -out || m.rawU > 1.0 + out || m.rawV < -1.0 - out || m.rawV > 1.0 + out)) {
            // Even the last point goes: a hue channel may be empty.
            RemoveSelectedPoint();
            newPointDrag_ = false;
            dragMode_ = 0;
            viewer.DragEnded(kLutPoints);
            return 0;
        }
        if (HasSelection()) {
            selectedPoint_ = qz::DragPointTo(points_, selectedPoint_, m.u, &HuePoint::position);
            HuePoint& point = points_[selectedPoint_];
            point.amount = m.v * range_ / 3;
            if (newPointDrag_)
                point.width = std::min(std::fabs(point.amount) / 2, 0.5);
            NoteEdited(selectedPoint_);
        }
        break;
    }
    case kLutHueOffset:
        offset_ = m.v * range_ / 3;
        break;
    case kLutHueWidth:
        if (HasSelection())
            points_[selectedPoint_].width = std::min(m.u, 0.5);
        break;
    case kLutHueRange:
        rangeClick_ = geometry.rangeBox.Contains(mouse.x, mouse.y);
        break;
    default:
        break;
    }
    drawingDirty_ = true;
    viewer.DragStep(dragMode_);
    return dragMode_;
}

uint32_t CQzHueChannel::TrackMouse(CQzLutViewer& viewer, LutPoint mouse)
{
    return dragMode_ ? DragStep(viewer, mouse) : HitTest(viewer.GetGeometry(), mouse);
}

uint32_t CQzHueChannel::BeginDrag(CQzLutViewer& viewer, LutPoint mouse)
{
    const uint32_t hit = HitTest(viewer.GetGeometry(), mouse);
    newPointDrag_ = false;
    dragMode_ = hit;
    if (hit == kLutOnCurve) {
        const Mouse m = Measure(viewer.GetGeometry(), mouse);
        const double amount = m.v * range_ / 3;
        const int32_t index = hotPoint_ < 0 || points_[hotPoint_].position < m.u ? hotPoint_ + 1 : hotPoint_;
        points_.insert(points_.begin() + index, HuePoint{m.u, amount, std::min(std::fabs(amount) / 2, 0.5)});
        selectedPoint_ = index;
        newPointDrag_ = true;
        dragMode_ = kLutPoints;
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

void CQzHueChannel::EndDrag(CQzLutViewer& viewer)
{
    if (!dragMode_)
        return;
    const uint32_t ended = dragMode_;
    dragMode_ = 0;
    newPointDrag_ = false;
    if (ended == kLutHueRange && rangeClick_) {
        range_ = range_ % 3 + 1;
        drawingDirty_ = true;
    }
    viewer.DragEnded(ended);
}
