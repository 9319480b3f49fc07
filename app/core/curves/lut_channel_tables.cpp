// The tables a tone-curve channel keeps for the curve editor: the display
// table, the inverse of the applied curve and the histograms before and after
// the curve.
#include <algorithm>
#include <cmath>

#include "app/core/curves/curve_math.h"
#include "app/core/curves/lut_group.h"
#include "app/core/curves/tone_table.h"

const std::vector<uint32_t>& CQzLutChannel::GetDisplayTable(const LutRect& plot, bool inputShown, bool outputShown)
{
    const int32_t width = plot.Width();
    if (width <= 0) {
        displayTable_.clear();
        return displayTable_;
    }
    if (displayDirty_ || width != displayWidth_ || inputShown != displayInputShown_ ||
        outputShown != displayOutputShown_) {
        displayTable_.assign(static_cast<size_t>(width), 0);
        const uint32_t flags =
            kLutPointCurve | kLutGammaTerm | (inputShown ? kLutInputLevels : 0) | (outputShown ? kLutOutputLevels : 0);
        BuildTable(this, displayTable_.data(), 4, width, width, 0.0, 1.0, flags, 0.0);
        displayWidth_ = width;
        displayInputShown_ = inputShown;
        displayOutputShown_ = outputShown;
        displayDirty_ = false;
    }
    return displayTable_;
}

int32_t CQzLutChannel::GetPointPositions(const LutRect& plot, LutPoint* out, int32_t maximum)
{
    const int32_t count = std::min(maximum, GetPointCount());
    if (!out || count <= 0)
        return 0;
    const LutParameterSet& set = working_;
    const double span = plot.Width() - 1.0;
    const double first = set.points.front().x, last = set.points.back().x;
    for (int32_t i = 0; i < count; ++i) {
        const LutControlPoint& point = set.points[i];
        double x = point.x;
        if (displayInputShown_)
            x = (set.inputWhite - set.inputBlack) * x + set.inputBlack;
        // The marker sits on the displayed curve, which carries the gamma term.
        const double s = (point.x - first) / (last - first);
        double y = qz::Limit(point.y + (std::pow(s, 1.0 / set.gamma) - s), 0.0, 1.0);
        if (displayOutputShown_)
            y = y * (set.outputWhite - set.outputBlack) + set.outputBlack;
        out[i].x = plot.left + qz::RoundPixel(span * x);
        out[i].y = plot.bottom - qz::RoundPixel(span * y) - 1;
    }
    return count;
}

const std::vector<double>& CQzLutChannel::BuildInverseTable(int32_t count, uint32_t flags)
{
    if (count <= 0) {
        inverseTable_.clear();
        return inverseTable_;
    }
    if (inverseTable_.size() == static_cast<size_t>(count) && inverseFlags_ == flags)
        return inverseTable_;
    std::vector<uint32_t> forward(static_cast<size_t>(count));
    BuildTable(this, forward.data(), 4, count, count, 0.0, 1.0,
               (flags & (kLutInputLevels | kLutOutputLevels | kLutPointCurve | kLutGammaTerm)) | kLutApplied |
                   kLutMasterCombine,
               0.0);
    std::vector<double>& inverse = inverseTable_;
    inverse.assign(static_cast<size_t>(count), -1.0);
    for (int32_t i = 0; i < count; ++i)
        inverse[std::min<uint32_t>(forward[i], count - 1)] = i;
    // Levels the curve never reaches take values between their neighbours.
    double before = 0.0;
    for (int32_t i = 0; i < count;) {
        if (inverse[i] != -1.0) {
            before = inverse[i++];
            continue;
        }
        int32_t end = i;
        while (end < count && inverse[end] == -1.0)
            ++end;
        const double after = end < count ? inverse[end] : before;
        const int32_t run = end - i;
        for (int32_t j = 1; j <= run; ++j)
            inverse[i + j - 1] = before + j * (after - before) / (run + 1);
        i = end;
    }
    inverseFlags_ = flags;
    return inverse;
}

const std::vector<uint32_t>& CQzLutChannel::GetInputHistogram(uint32_t flags)
{
    if (!ownHistogram_.empty()) {
        // The image was measured after the applied curves: take it back through them.
        const int32_t count = static_cast<int32_t>(ownHistogram_.size());
        const std::vector<double>& inverse = BuildInverseTable(count, flags);
        inputHistogram_.assign(ownHistogram_.size(), 0);
        for (int32_t i = 0; i < count; ++i) {
            const int32_t index = static_cast<int32_t>(qz::Limit(inverse[i], 0.0, count - 1.0));
            inputHistogram_[index] += ownHistogram_[i];
        }
        return inputHistogram_;
    }
    if (channelId_ == 0 && owner_) {
        // The master acts after the colour curves: their output histograms summed.
        std::vector<uint32_t> sum;
        for (int32_t c = 0; c < owner_->GetChannelCount(); ++c) {
            CQzLutChannelBase* base = owner_->GetChannel(c);
            if (base->IsHueChannel() || base->GetChannelId() == 0)
                continue;
            const std::vector<uint32_t>& counts = static_cast<CQzLutChannel*>(base)->GetOutputHistogram(flags);
            if (counts.empty())
                continue;
            if (counts.size() != sum.size())
                sum.assign(counts.size(), 0);
            for (size_t k = 0; k < counts.size(); ++k)
                sum[k] += counts[k];
        }
        inputHistogram_ = std::move(sum);
    }
    return inputHistogram_;
}

const std::vector<uint32_t>& CQzLutChannel::GetOutputHistogram(uint32_t flags)
{
    const std::vector<uint32_t>& input = GetInputHistogram(flags);
    if (input.empty()) {
        outputHistogram_.clear();
        return outputHistogram_;
    }
    const int32_t count = static_cast<int32_t>(input.size());
    std::vector<uint32_t> table(input.size());
    BuildTable(this, table.data(), 4, count, count, 0.0, 1.0, flags, 0.0);
    outputHistogram_.assign(input.size(), 0);
    for (int32_t i = 0; i < count; ++i)
        outputHistogram_[std::min<uint32_t>(table[i], count - 1)] += input[i];
    return outputHistogram_;
}
