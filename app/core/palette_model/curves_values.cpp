#include "app/core/palette_model/curves_values.h"

#include <algorithm>
#include <cmath>

#include "app/core/curves/lut_group.h"
#include "app/core/procset/record_settings.h"

namespace curves {

namespace {

double Limit(double value, double low, double high)
{
    return value < low ? low : value > high ? high : value;
}

double& LevelOf(LutParameterSet& set, uint32_t field)
{
    switch (field) {
    case kFieldOutputWhite: return set.outputWhite;
    case kFieldOutputBlack: return set.outputBlack;
    case kFieldInputBlack: return set.inputBlack;
    default: return set.inputWhite;
    }
}

// The level within 0..1 and kLevelGap from its partner; a partner so close to
// the end that the gap cannot be kept leaves the end.
double KeepApart(const LutParameterSet& set, uint32_t field, double value)
{
    switch (field) {
    case kFieldInputBlack: value = std::min(value, set.inputWhite - kLevelGap); break;
    case kFieldInputWhite: value = std::max(value, set.inputBlack + kLevelGap); break;
    case kFieldOutputBlack: value = std::min(value, set.outputWhite - kLevelGap); break;
    case kFieldOutputWhite: value = std::max(value, set.outputBlack + kLevelGap); break;
    default: break;
    }
    return std::isnan(value) ? 0.0 : Limit(value, 0.0, 1.0);
}

bool IsLevelField(uint32_t field)
{
    return field == kFieldOutputWhite || field == kFieldOutputBlack || field == kFieldInputBlack ||
           field == kFieldInputWhite;
}

CQzLutChannel* ToneChannel(CQzLutGroup& group, int32_t index)
{
    CQzLutChannelBase* channel = group.GetChannel(index);
    return channel && !channel->IsHueChannel() ? static_cast<CQzLutChannel*>(channel) : nullptr;
}

// One level of a dropper, with its partner gap.
void SetDropperLevels(CQzLutChannel& channel, Dropper kind, double sample, double target)
{
    LutParameterSet& set = channel.EditWorkingSet();
    if (kind == Dropper::Black) {
        set.inputBlack = KeepApart(set, kFieldInputBlack, sample);
        set.outputBlack = KeepApart(set, kFieldOutputBlack, target);
    } else {
        set.inputWhite = KeepApart(set, kFieldInputWhite, sample);
        set.outputWhite = KeepApart(set, kFieldOutputWhite, target);
    }
}

}  // namespace

void UseGammaFieldRange()
{
    CQzLutChannel::SetGammaRange(kGammaMinimum, kGammaMaximum);
}

int32_t ShownLevel(double fraction, double neutral)
{
    if (std::isnan(fraction))
        fraction = neutral;
    return static_cast<int32_t>(std::lround(Limit(fraction, 0.0, 1.0) * 255.0));
}

double ShownGamma(double gamma)
{
    return std::isnan(gamma) ? 1.0 : Limit(gamma, kGammaMinimum, kGammaMaximum);
}

double TypedGamma(double number)
{
    if (!std::isfinite(number))
        return number;
    return std::trunc(number * 100.0 + std::copysign(1e-7, number)) / 100.0;
}

double FieldValue(const CQzLutChannel& channel, uint32_t field)
{
    const LutParameterSet& set = channel.GetWorkingSet();
    switch (field) {
    case kFieldOutputWhite: return set.outputWhite;
    case kFieldOutputBlack: return set.outputBlack;
    case kFieldInputBlack: return set.inputBlack;
    case kFieldGamma: return set.gamma;
    case kFieldInputWhite: return set.inputWhite;
    default: return 0.0;
    }
}

uint32_t FieldChangeBit(uint32_t field)
{
    switch (field) {
    case kFieldOutputWhite: return kLutOutputWhite;
    case kFieldOutputBlack: return kLutOutputBlack;
    case kFieldInputBlack: return kLutInputBlack;
    case kFieldGamma: return kLutGamma;
    case kFieldInputWhite: return kLutInputWhite;
    default: return 0;
    }
}

FieldEdit StoreTypedField(CQzLutChannel& channel, uint32_t field, double number)
{
    FieldEdit edit;
    const double before = FieldValue(channel, field);
    if (field == kFieldGamma) {
        edit.clamped = channel.SetGamma(TypedGamma(number)) != 0;
    } else if (IsLevelField(field)) {
        const double typed = number / 255.0;
        LutParameterSet& set = channel.EditWorkingSet();
        const double stored = KeepApart(set, field, Limit(typed, 0.0, 1.0));
        LevelOf(set, field) = stored;
        edit.clamped = stored != typed;
    } else {
        return edit;
    }
    edit.stored = true;
    edit.changed = FieldValue(channel, field) != before;
    return edit;
}

int32_t PointReadout(double value)
{
    if (!(value >= 0.0))
        return -1;
    return static_cast<int32_t>(std::lround(std::min(value, 1.0) * 65535.0) / 256);
}

bool SampleFractions(const VorlatPixel& sample, Rgb* out)
{
    if (sample.colorSpace == 32) {
        *out = {sample.bytes[0] / 255.0, sample.bytes[1] / 255.0, sample.bytes[2] / 255.0};
        return true;
    }
    if (sample.colorSpace == 33) {
        *out = {sample.words[0] / 65535.0, sample.words[1] / 65535.0, sample.words[2] / 65535.0};
        return true;
    }
    return false;
}

Rgb PackedColourFractions(uint32_t packed)
{
    return {(packed & 0xFF) / 255.0, ((packed >> 8) & 0xFF) / 255.0, ((packed >> 16) & 0xFF) / 255.0};
}

bool ApplyDropper(CQzLutGroup& group, Dropper kind, const Rgb& sample, const Rgb& target, bool oneChannel)
{
    if (kind == Dropper::Gray) {
        group.SetGrayPoint(sample.red, sample.green, sample.blue, 1.0, 1.0, 1.0);
        return true;
    }
    const double samples[3] = {sample.red, sample.green, sample.blue};
    const double targets[3] = {target.red, target.green, target.blue};
    if (oneChannel) {
        CQzLutChannel* channel = ToneChannel(group, -1);
        if (!channel)
            return false;
        const uint32_t id = channel->GetChannelId();
        if (id >= 1 && id <= 3)
            SetDropperLevels(*channel, kind, samples[id - 1], targets[id - 1]);
        else
            SetDropperLevels(*channel, kind, (samples[0] + samples[1] + samples[2]) / 3,
                             (targets[0] + targets[1] + targets[2]) / 3);
        return true;
    }
    bool any = false;
    for (uint32_t id = 1; id <= 3; ++id) {
        if (CQzLutChannel* channel = group.GetToneChannelById(id)) {
            SetDropperLevels(*channel, kind, samples[id - 1], targets[id - 1]);
            any = true;
        }
    }
    return any;
}

double AutoLevelsClip(int32_t setting)
{
    return setting * 0.0001;
}

bool ApplyAutoLevels(CQzLutGroup& group, double clip, bool oneChannel)
{
    CQzLutChannel* channel = oneChannel ? ToneChannel(group, -1) : group.GetToneChannelById(0);
    if (!channel)
        return false;
    channel->SetRange(clip, clip, !oneChannel);
    return true;
}

bool NormaliseGroupShape(CQzLutGroup& group, int32_t groupKind)
{
    const CQzLutChannelBase* first = group.GetChannel(0);
    if (!first || first->IsHueChannel() || first->GetChannelId() != 0)
        return false;
    if (group.GetChannelCount() == 4)
        return true;
    group.RemoveExtraChannels();
    if (groupKind == 1) {
        auto* master = static_cast<CQzLutChannel*>(group.GetChannel(0));
        master->SetColours(master->GetCurveColour(), {0, 0, 0}, {255, 255, 255});
        AddRecordCurveChannels(group);
        group.Reset(false);
    } else {
        AddRecordColourBalanceChannels(group);
    }
    return true;
}

}  // namespace curves
