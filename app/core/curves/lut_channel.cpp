#include "app/core/curves/lut_channel.h"

#include <algorithm>
#include <cmath>
#include <new>

#include "app/core/curves/curve_math.h"
#include "app/core/curves/lut_group.h"
#include "app/core/curves/tone_table.h"
#include "app/core/settings/blob_cursor.h"

using qz::BlobReader;
using qz::BlobWriter;

namespace {

// The range that new channels take; the Curves palette narrows it.
double g_gammaMinimum = 0.05;
double g_gammaMaximum = 20.0;

constexpr uint8_t kVersionMarker = 0xFF;

void PutColour(BlobWriter& out, const LutColour& colour)
{
    out.Put(colour.red);
    out.Put(colour.green);
    out.Put(colour.blue);
}

void GetColour(BlobReader& in, LutColour& colour)
{
    in.Get(colour.red);
    in.Get(colour.green);
    in.Get(colour.blue);
}

}  // namespace

CQzLutChannel::CQzLutChannel(uint32_t channelId, LutColour curve, LutColour dark, LutColour light)
    : CQzLutChannelBase(channelId),
      curveColour_(curve),
      darkColour_(dark),
      lightColour_(light),
      gammaMinimum_(g_gammaMinimum),
      gammaMaximum_(g_gammaMaximum)
{
    Reset(true);
    Commit();
}

CQzLutChannel::CQzLutChannel(const CQzLutChannel& other)
    : CQzLutChannelBase(other),
      curveColour_(other.curveColour_),
      darkColour_(other.darkColour_),
      lightColour_(other.lightColour_),
      working_(other.working_),
      maxPoints_(other.maxPoints_),
      ownHistogram_(other.ownHistogram_),
      editedX_(other.editedX_),
      editedY_(other.editedY_),
      applied_(other.applied_),
      mapTable_(other.mapTable_),
      mapBefore_(other.mapBefore_),
      gammaMinimum_(other.gammaMinimum_),
      gammaMaximum_(other.gammaMaximum_)
{
}

void CQzLutChannel::SetGammaRange(double minimum, double maximum)
{
    g_gammaMinimum = minimum;
    g_gammaMaximum = maximum;
}

int32_t CQzLutChannel::GetData(uint8_t* buffer, int32_t length) const
{
    BlobWriter out(buffer, length);
    out.PutId(GetClassId());
    out.Put(channelId_);
    out.Put(kVersionMarker);
    out.Put<uint16_t>(3);
    PutColour(out, curveColour_);
    PutColour(out, darkColour_);
    PutColour(out, lightColour_);
    out.Put(working_.inputBlack);
    out.Put(working_.inputWhite);
    out.Put(working_.gamma);
    out.Put(working_.outputBlack);
    out.Put(working_.outputWhite);
    out.Put(static_cast<uint32_t>(working_.points.size()));
    for (const LutControlPoint& point : working_.points) {
        out.Put(point.x);
        out.Put(point.y);
    }
    out.Put(working_.brightness);
    return out.Answer();
}

int32_t CQzLutChannel::SetData(const uint8_t* buffer, int32_t length)
{
    if (!qz::StartsWith(buffer, length, GetClassId()))
        return 0;
    BlobReader in(buffer, length);
    in.Skip(16);
    uint32_t id = channelId_;
    in.Get(id);

    // Version 1 has no marker: its first colour starts at offset 20. A marker
    // with a version this reader does not know reads nothing more.
    int version = 1;
    if (in.Covers(1) && buffer[20] == kVersionMarker) {
        in.Skip(1);
        uint16_t stored = 0;
        const bool known = in.Get(stored);
        if (known && (stored == 2 || stored == 3))
            version = stored;
        else if (known && (stored < 2 || stored >= 200))
            in.Seek(20);
        else
            version = 0;
    }

    LutColour curve = curveColour_, dark = darkColour_, light = lightColour_;
    LutParameterSet set = working_;
    int32_t answer = 23;
    if (version != 0) {
        GetColour(in, curve);
        GetColour(in, dark);
        GetColour(in, light);
        in.Get(set.inputBlack);
        in.Get(set.inputWhite);
        in.Get(set.gamma);
        if (version == 3) {
            in.Get(set.outputBlack);
            in.Get(set.outputWhite);
        }
        uint32_t count = 0;
        if (in.Get(count)) {
            const int32_t points = static_cast<int32_t>(count);
            set.points.clear();
            if (points > 0) {
                // Points the blob does not hold are never taken on trust.
                if (!in.Covers(16 * static_cast<uint64_t>(points)))
                    return 0;
                const uint64_t pointsEnd = in.Position() + 16 * static_cast<uint64_t>(points);
                try {
                    set.points.resize(static_cast<size_t>(points));
                } catch (const std::bad_alloc&) {
                    set.points.clear();
                }
                for (LutControlPoint& point : set.points) {
                    in.Get(point.x);
                    in.Get(point.y);
                }
                in.Seek(pointsEnd);
            }
        } else {
            in.Skip(16 * set.points.size());
        }
        in.Get(set.brightness);
        answer = static_cast<int32_t>(in.Position());
    }

    channelId_ = id;
    selectedPoint_ = -1;
    if (version != 0) {
        curveColour_ = curve;
        darkColour_ = dark;
        lightColour_ = light;
        working_ = std::move(set);
    }
    working_.slopesDirty = true;
    hotPoint_ = -1;
    dragMode_ = 0;
    displayTable_.clear();
    editedX_ = editedY_ = 0.0;
    displayDirty_ = true;
    return answer;
}

uint32_t CQzLutChannel::GetModifiedFlags(uint32_t mask) const
{
    uint32_t flags = 0;
    const std::vector<LutControlPoint>& points = working_.points;
    const bool identity = points.size() == 2 && points[0].x == 0.0 && points[0].y == 0.0 && points[1].x == 1.0 &&
                          points[1].y == 1.0;
    if (!identity)
        flags |= kLutOnCurve | kLutOtherPoint;
    double masterBrightness = 0.0, contrast = 0.0;
    if (owner_) {
        if (const CQzLutChannel* master = owner_->GetToneChannelById(0))
            masterBrightness = master->working_.brightness;
        contrast = owner_->GetContrast();
    }
    if (working_.brightness != 0.0 || masterBrightness != 0.0 || contrast != 0.0)
        flags |= kLutOnCurve;
    if (working_.inputBlack != 0.0)
        flags |= kLutInputBlack;
    if (working_.gamma != 1.0)
        flags |= kLutGamma;
    if (working_.inputWhite != 1.0)
        flags |= kLutInputWhite;
    if (working_.outputBlack != 0.0)
        flags |= kLutOutputBlack;
    if (working_.outputWhite != 1.0)
        flags |= kLutOutputWhite;
    return flags & mask;
}

void CQzLutChannel::Reset(bool resetBrightness)
{
    working_.inputBlack = 0.0;
    SetGamma(1.0);
    working_.inputWhite = 1.0;
    working_.outputBlack = 0.0;
    working_.outputWhite = 1.0;
    working_.points.assign(2, LutControlPoint{});
    working_.points[1].x = working_.points[1].y = 1.0;
    working_.slopesDirty = false;
    if (resetBrightness)
        working_.brightness = 0.0;
    displayTable_.clear();
    displayDirty_ = true;
    selectedPoint_ = 0;
}

void CQzLutChannel::Commit()
{
    applied_ = working_;
    inverseTable_.clear();
}

bool CQzLutChannel::GetPoint(int32_t index, double* x, double* y) const
{
    if (index < 0 || index >= GetPointCount())
        return false;
    if (x)
        *x = working_.points[index].x;
    if (y)
        *y = working_.points[index].y;
    return true;
}

int32_t CQzLutChannel::AddPoint(double x, double y)
{
    std::vector<LutControlPoint>& points = working_.points;
    if (maxPoints_ >= 2 && GetPointCount() >= maxPoints_)
        return 0;
    double t = (x - working_.inputBlack) / (working_.inputWhite - working_.inputBlack);
    // Levels without a span: the point goes to the end on its side of the black level.
    if (!std::isfinite(t))
        t = x > working_.inputBlack ? 1.0 : 0.0;
    PointsChanged();
    int32_t index = 0;
    while (index < GetPointCount() && points[index].x < t)
        ++index;
    if (index < GetPointCount() && points[index].x == t) {
        points[index].y = y;
        return index;
    }
    LutControlPoint point;
    point.x = t;
    point.y = y;
    try {
        points.insert(points.begin() + index, point);
    } catch (const std::bad_alloc&) {
        return -1;
    }
    return index;
}

int32_t CQzLutChannel::SetGamma(double gamma)
{
    double stored = std::isnan(gamma) ? 1.0 : gamma;
    stored = stored < gammaMinimum_ ? gammaMinimum_ : stored > gammaMaximum_ ? gammaMaximum_ : stored;
    working_.gamma = stored;
    displayDirty_ = true;
    return stored != gamma ? 1 : 0;
}

void CQzLutChannel::SetGammaFromMidpoint(double t)
{
    // ln t / ln 0.5 puts 0.5 ^ gamma, the middle handle, at t.
    SetGamma(t > 0.0 ? std::log(t) / std::log(0.5) : 1.0);
}

bool CQzLutChannel::RangeHistogram(std::vector<uint32_t>& histogram) const
{
    if (!ownHistogram_.empty()) {
        histogram = ownHistogram_;
        return true;
    }
    if (channelId_ != 0 || !owner_)
        return false;
    // The master: the colour channels' histograms after their curves.
    histogram.clear();
    for (int32_t i = 0; i < owner_->GetChannelCount(); ++i) {
        const CQzLutChannelBase* base = owner_->GetChannel(i);
        if (base == this || base->IsHueChannel())
            continue;
        const auto* channel = static_cast<const CQzLutChannel*>(base);
        const std::vector<uint32_t>& counts =
            channel->outputHistogram_.empty() ? channel->ownHistogram_ : channel->outputHistogram_;
        if (counts.empty())
            continue;
        if (histogram.empty())
            histogram.assign(counts.size(), 0);
        else if (histogram.size() != counts.size())
            return false;
        for (size_t k = 0; k < counts.size(); ++k)
            histogram[k] += counts[k];
    }
    return !histogram.empty();
}

void CQzLutChannel::SetRange(double low, double high, bool allChannels)
{
    if (allChannels && channelId_ == 0 && owner_ && owner_->GetChannelCount() > 1) {
        for (int32_t i = 0; i < owner_->GetChannelCount(); ++i) {
            CQzLutChannelBase* channel = owner_->GetChannel(i);
            if (channel != this && !channel->IsHueChannel())
                static_cast<CQzLutChannel*>(channel)->SetRange(low, high, false);
        }
        return;
    }
    std::vector<uint32_t> histogram;
    if (!RangeHistogram(histogram) || histogram.size() < 2)
        return;
    const int32_t n = static_cast<int32_t>(histogram.size());
    uint64_t total = 0;
    for (uint32_t count : histogram)
        total += count;
    const double lowCut = std::trunc(static_cast<double>(total) * low);
    const double highCut = std::trunc(static_cast<double>(total) * high);

    int32_t black = 0;
    uint64_t sum = 0;
    for (; black < n - 2; ++black) {
        sum += histogram[black];
        if (static_cast<double>(sum) > lowCut)
            break;
    }
    int32_t white = n - 1;
    sum = 0;
    for (; white > black; --white) {
        sum += histogram[white];
        if (static_cast<double>(sum) > highCut)
            break;
    }
    working_.inputBlack = std::min(black / (n - 1.0), working_.inputWhite - 0.01);
    working_.inputWhite = std::max(white / (n - 1.0), working_.inputBlack + 0.01);
    displayDirty_ = true;
}

void CQzLutChannel::SetHistogram(const uint32_t* counts, int32_t count)
{
    if (!counts || count < 0)
        count = 0;
    if (static_cast<size_t>(count) != ownHistogram_.size()) {
        ownHistogram_.clear();
        inputHistogram_.clear();
        outputHistogram_.clear();
    }
    ownHistogram_.assign(counts, counts + count);
}

void CQzLutChannel::SetMapTable(const void* table, int32_t elementSize, int32_t count, int32_t maximum, bool before)
{
    mapTable_.clear();
    if (!table || count < 2)
        return;
    const double scale = maximum - 1.0;
    mapTable_.resize(static_cast<size_t>(count));
    for (int32_t i = 0; i < count; ++i) {
        const double entry = elementSize == 1 ? static_cast<const uint8_t*>(table)[i]
                                              : static_cast<const uint16_t*>(table)[i];
        mapTable_[i] = entry / scale;
    }
    mapBefore_ = before;
}

void CQzLutChannel::GetInputHandlePositions(const LutRect& plot, int32_t columns[3]) const
{
    const double span = plot.Width() - 1.0;
    const double black = working_.inputBlack, white = working_.inputWhite;
    columns[0] = plot.left + qz::RoundPixel(span * black);
    columns[1] = plot.left + qz::RoundPixel(span * (std::pow(0.5, working_.gamma) * (white - black) + black));
    columns[2] = plot.left + qz::RoundPixel(span * white);
}

void CQzLutChannel::GetOutputHandlePositions(const LutRect& plot, int32_t rows[2]) const
{
    const double span = plot.Height() - 1.0;
    rows[0] = plot.bottom - qz::RoundPixel(span * working_.outputBlack) - 1;
    rows[1] = plot.bottom - qz::RoundPixel(span * working_.outputWhite) - 1;
}

LutParameterSet& CQzLutChannel::EditWorkingSet()
{
    PointsChanged();
    return working_;
}

const LutParameterSet& CQzLutChannel::GetCurveSet(bool applied)
{
    LutParameterSet& set = applied ? applied_ : working_;
    UpdateSlopes(set);
    return set;
}

void CQzLutChannel::SetColours(LutColour curve, LutColour dark, LutColour light)
{
    curveColour_ = curve;
    darkColour_ = dark;
    lightColour_ = light;
}

void CQzLutChannel::GetEditedValue(double* x, double* y) const
{
    if (x)
        *x = editedX_;
    if (y)
        *y = editedY_;
}

void CQzLutChannel::PointsChanged()
{
    working_.slopesDirty = true;
    displayDirty_ = true;
}
