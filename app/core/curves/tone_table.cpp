#include "app/core/curves/tone_table.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>
#include <vector>

#include "app/core/curves/curve_math.h"
#include "app/core/curves/lut_group.h"

namespace {

// y in [0, 1], NaN as 0: every value leaves a stage in range.
double Unit(double y)
{
    return qz::Limit(y, 0.0, 1.0);
}

// Linear interpolation in a map table at v * (entries - 1).
double MapAt(const std::vector<double>& map, double v)
{
    const double last = static_cast<double>(map.size() - 1);
    const double position = qz::Limit(v * last, 0.0, last);
    const size_t k = static_cast<size_t>(position);
    const double f = position - static_cast<double>(k);
    if (k + 1 < map.size() && f != 0.0)
        return (1.0 - f) * map[k] + f * map[k + 1];
    return map[k];
}

// Steps 2 to 6 of the evaluation over one parameter set: input levels, the
// curve between its ends with the gamma term, contrast and brightness, the
// limit to [0, 1], output levels.
class CurveStage {
public:
    CurveStage(const LutParameterSet& set, uint32_t flags, bool contrastApplies, double contrast)
        : set_(set),
          levelsIn_(flags & kLutInputLevels),
          levelsOut_(flags & kLutOutputLevels),
          curve_(flags & kLutPointCurve),
          gamma_((flags & kLutGammaTerm) && set.gamma != 1.0),
          contrastStage_(flags & kLutContrast),
          contrast_(contrastApplies ? contrast : 0.0)
    {
        const std::vector<LutControlPoint>& points = set.points;
        // Fewer than two points have no ends of their own.
        if (curve_ && points.size() >= 2) {
            count_ = static_cast<int32_t>(points.size());
            x0_ = points.front().x;
            y0_ = points.front().y;
            xl_ = points.back().x;
            yl_ = points.back().y;
        }
        contrastFactor_ = std::exp2(contrast_);
        brightnessPower_ = std::exp2(-set.brightness);
    }

    double Apply(double x)
    {
        double xn = x;
        if (levelsIn_) {
            const double span = set_.inputWhite - set_.inputBlack;
            // No span between the levels: a step at the black level.
            if (span == 0.0)
                xn = x > set_.inputBlack ? std::numeric_limits<double>::infinity()
                                         : -std::numeric_limits<double>::infinity();
            else
                xn = (x - set_.inputBlack) / span;
        }
        double y;
        if (xn <= x0_) {
            y = y0_;
        } else if (xn >= xl_) {
            y = yl_;
        } else {
            y = x;
            if (count_ == 2)
                y = y0_ + (xn - x0_) * (yl_ - y0_) / (xl_ - x0_);
            else if (count_ > 2)
                y = Spline(xn, y);
            if (gamma_) {
                const double r = (xn - x0_) / (xl_ - x0_);
                y += std::pow(r, 1.0 / set_.gamma) - r;
            }
        }
        if (contrastStage_) {
            if (contrast_ != 0.0) {
                const double low = 0.1 * y, high = 0.1 * y + 0.9;
                y = std::min(std::max((y - 0.5) * contrastFactor_ + 0.5, low), high);
            }
            if (set_.brightness != 0.0)
                y = std::pow(y, brightnessPower_);
        }
        y = Unit(y);
        if (levelsOut_)
            y = y * (set_.outputWhite - set_.outputBlack) + set_.outputBlack;
        return y;
    }

private:
    // The cubic Hermite segment with x_k < xn <= x_(k+1), searched forward from
    // the last one found; `fallback` when no segment holds xn (points out of order).
    double Spline(double xn, double fallback)
    {
        const LutControlPoint* p = set_.points.data();
        const int32_t segments = count_ - 1;
        int32_t k = segment_ < segments && p[segment_].x < xn ? segment_ : 0;
        for (int32_t tried = 0; tried < segments; ++tried, k = k + 1 < segments ? k + 1 : 0) {
            if (p[k].x < xn && xn <= p[k + 1].x) {
                segment_ = k;
                const double h = p[k + 1].x - p[k].x;
                const double t = (xn - p[k].x) / h, s = (p[k + 1].x - xn) / h;
                return s * s * (p[k].slope * t * h + (1 + 2 * t) * p[k].y) +
                       t * t * ((1 + 2 * s) * p[k + 1].y - p[k + 1].slope * s * h);
            }
        }
        return fallback;
    }

    const LutParameterSet& set_;
    bool levelsIn_, levelsOut_, curve_, gamma_, contrastStage_;
    double contrast_, contrastFactor_ = 1.0, brightnessPower_ = 1.0;
    int32_t count_ = 0;
    double x0_ = 0.0, y0_ = 0.0, xl_ = 1.0, yl_ = 1.0;
    int32_t segment_ = 0;
};

template <class T>
void StoreLevels(void* output, int32_t index, double y, double levels)
{
    // trunc((levels - 1) * y + 0.5), kept within the element's range.
    const double value = qz::Limit(std::trunc((levels - 1.0) * y + 0.5), 0.0, std::numeric_limits<T>::max());
    static_cast<T*>(output)[index] = static_cast<T>(value);
}

void Store(void* output, int32_t elementSize, int32_t index, double y, int32_t levels)
{
    switch (elementSize) {
    case 1:
        StoreLevels<uint8_t>(output, index, y, levels);
        break;
    case 2:
        StoreLevels<uint16_t>(output, index, y, levels);
        break;
    case 4:
        StoreLevels<uint32_t>(output, index, y, levels);
        break;
    case 8:
        static_cast<double*>(output)[index] = y;
        break;
    default:
        break;
    }
}

}  // namespace

void BuildTable(CQzLutChannel* channel, void* output, int32_t elementSize, int32_t count, int32_t levels,
                double xFrom, double xTo, uint32_t flags, double outputGamma)
{
    if (!output || count <= 0 || (elementSize != 1 && elementSize != 2 && elementSize != 4 && elementSize != 8))
        return;
    const double span = xTo - xFrom;
    const int32_t intervals = count > 1 ? count - 1 : 1;
    const bool applied = flags & kLutApplied;

    CQzLutGroup* group = channel ? channel->GetOwner() : nullptr;
    const double contrast = group ? (applied ? group->GetAppliedContrast() : group->GetContrast()) : 0.0;
    CQzLutChannel* master = nullptr;
    if (channel && group && (flags & kLutMasterCombine) && channel->GetChannelId() != 0)
        master = group->GetToneChannelById(0);

    // A missing channel is the identity: only the output stages apply.
    const uint32_t ownFlags = channel ? flags : 0;
    static const LutParameterSet kIdentity = [] {
        LutParameterSet set;
        set.points.resize(2);
        set.points[1].x = set.points[1].y = 1.0;
        return set;
    }();
    CurveStage stage(channel ? channel->GetCurveSet(applied) : kIdentity, ownFlags,
                     channel && channel->GetChannelId() == 0, contrast);
    std::optional<CurveStage> masterStage;
    if (master)
        masterStage.emplace(master->GetCurveSet(applied), flags, true, contrast);

    const std::vector<double> noMap;
    const std::vector<double>& map = channel && (flags & kLutMapTable) ? channel->GetMapTable() : noMap;
    const bool preMap = !map.empty() && channel->IsMapBefore();
    const bool postMap = !map.empty() && !channel->IsMapBefore();

    for (int32_t i = 0; i < count; ++i) {
        double x = xFrom + i * span / intervals;
        if (preMap)
            x = MapAt(map, x);
        double y = stage.Apply(x);
        if (masterStage)
            y = masterStage->Apply(y);
        if (postMap)
            y = MapAt(map, y);
        if (outputGamma > 0.0)
            y = std::pow(y, 1.0 / outputGamma);
        Store(output, elementSize, i, Unit(y), levels);
    }
}

void UpdateSlopes(LutParameterSet& set)
{
    if (!set.slopesDirty)
        return;
    set.slopesDirty = false;
    std::vector<LutControlPoint>& p = set.points;
    const size_t n = p.size();
    if (n <= 2)
        return;
    // Slope estimates from the chords, then the natural spline's tridiagonal
    // system in the points' working space: lower, upper and rhs per row.
    std::vector<double> d(n - 1), w(n);
    for (size_t i = 0; i + 1 < n; ++i)
        d[i] = (p[i + 1].y - p[i].y) / (p[i + 1].x - p[i].x);
    w[0] = d[0];
    for (size_t i = 1; i + 1 < n; ++i) {
        const double hl = p[i].x - p[i - 1].x, hr = p[i + 1].x - p[i].x;
        w[i] = (d[i] * hl + hr * d[i - 1]) / (hr + hl);
    }
    w[n - 1] = 2 * d[n - 2] - w[n - 2];
    w[0] = 2 * d[0] - w[1];

    p[0].lower = 0.0;
    p[0].upper = 0.5;
    p[0].rhs = 0.75 * (w[0] + w[1]);
    for (size_t i = 1; i + 1 < n; ++i) {
        const double across = 2 * (p[i + 1].x - p[i - 1].x);
        p[i].lower = (p[i + 1].x - p[i].x) / across;
        p[i].upper = (p[i].x - p[i - 1].x) / across;
        p[i].rhs = 1.5 * w[i];
    }
    p[n - 1].lower = 0.5;
    p[n - 1].upper = 0.0;
    p[n - 1].rhs = 0.75 * (w[n - 2] + w[n - 1]);

    for (size_t i = 1; i < n; ++i) {
        const double pivot = 1.0 - p[i].lower * p[i - 1].upper;
        p[i].upper /= pivot;
        p[i].rhs = (p[i].rhs - p[i].lower * p[i - 1].rhs) / pivot;
    }
    p[n - 1].slope = p[n - 1].rhs;
    for (size_t i = n - 1; i-- > 0;)
        p[i].slope = p[i].rhs - p[i].upper * p[i + 1].slope;
}

namespace {

double EntryAt(const void* table, int32_t elementSize, int32_t index)
{
    return elementSize == 1 ? static_cast<const uint8_t*>(table)[index] : static_cast<const uint16_t*>(table)[index];
}

// Linear interpolation at a position within the table; past the last entry
// the line through the last two goes on.
double Interpolate(const void* table, int32_t elementSize, int32_t count, double position)
{
    position = qz::Limit(position, 0.0, count - 1.0);
    const int32_t k = static_cast<int32_t>(position);
    const double f = position - k;
    const double here = EntryAt(table, elementSize, k);
    double next = here;
    if (k + 1 < count)
        next = EntryAt(table, elementSize, k + 1);
    else if (k >= 1)
        next = 2 * here - EntryAt(table, elementSize, k - 1);
    return (1.0 - f) * here + f * next;
}

}  // namespace

void ComposeLutTables(const void* a, int32_t sizeA, int32_t countA, int32_t levelsA, const void* b, int32_t sizeB,
                      int32_t countB, int32_t levelsB, void* out, int32_t sizeOut, int32_t countOut,
                      int32_t levelsOut)
{
    if (!a || !b || !out || countA <= 0 || countB <= 0 || countOut <= 0)
        return;
    const double outTop = qz::Limit(levelsOut - 1.0, 0.0, sizeOut == 1 ? 255.0 : 65535.0);
    for (int32_t i = 0; i < countOut; ++i) {
        const double p = countOut > 1 ? static_cast<double>(i) / (countOut - 1) * (countA - 1) : 0.0;
        const double valueA = Interpolate(a, sizeA, countA, p);
        const double q = valueA / (levelsA - 1.0) * (countB - 1);
        const double valueB = Interpolate(b, sizeB, countB, q);
        const double value = qz::Limit(std::floor(valueB / (levelsB - 1.0) * (levelsOut - 1.0)), 0.0, outTop);
        if (sizeOut == 1)
            static_cast<uint8_t*>(out)[i] = static_cast<uint8_t>(value);
        else
            static_cast<uint16_t*>(out)[i] = static_cast<uint16_t>(value);
    }
}
