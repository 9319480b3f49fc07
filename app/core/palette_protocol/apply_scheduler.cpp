#include "app/core/palette_protocol/apply_scheduler.h"

namespace {

constexpr PaletteApplyRule kRules[] = {
    {1, 100, 333, RawRule::AnyImage},         // Curves
    {2, 250, 500, RawRule::AnyImage},         // Color Balance
    {4, 250, 500, RawRule::AnyImage},         // Unsharp Mask
    {32, 0, 0, RawRule::AnyImage},            // Size/Resolution
    {256, 250, 500, RawRule::ResetToNeutral}, // White Balance
    {512, 250, 500, RawRule::ResetToNeutral}, // Advanced RAW
    {1024, 0, 0, RawRule::LeaveAlone},        // Noise Reduction
};

}  // namespace

const PaletteApplyRule& ApplyRuleOf(PaletteKind kind)
{
    return kRules[static_cast<int>(kind)];
}

void CApplyScheduler::Request(bool deferred)
{
    if (deferred && rule_.periodMs != 0) {
        lastChangeTicks_ = hooks_.ticks();
        if (timerRunning_)
            return;
        timerRunning_ = hooks_.start(rule_.periodMs);
        if (timerRunning_)
            return;
    }
    ApplyNow();
}

void CApplyScheduler::OnTimer()
{
    if (!timerRunning_)
        return;
    // Unsigned difference: right across the wrap of the tick count.
    const uint32_t quiet = hooks_.ticks() - lastChangeTicks_;
    if (quiet >= rule_.quietMs)
        ApplyNow();
}

void CApplyScheduler::Flush()
{
    if (timerRunning_)
        ApplyNow();
}

void CApplyScheduler::ApplyNow()
{
    if (timerRunning_) {
        hooks_.stop();
        timerRunning_ = false;
    }
    hooks_.apply();
}

PaletteTargetDecision DecideTarget(PaletteKind kind, int32_t count, int32_t imageKind)
{
    PaletteTargetDecision decision;
    decision.checkEnabled = count <= 1;
    if (count <= 0) {
        decision.editsOwn = true;
        return decision;
    }
    if (count > 1) {
        decision.state = PaletteTargetState::Several;
        return decision;
    }
    decision.state = PaletteTargetState::Single;
    const RawRule raw = ApplyRuleOf(kind).raw;
    const bool rawImage = imageKind == kRawImageKind || (raw == RawRule::LeaveAlone && imageKind == kRawImageKindAlt);
    if (raw != RawRule::AnyImage && !rawImage) {
        decision.clearsFlag = true;
        decision.resetsRecord = raw == RawRule::ResetToNeutral;
        decision.editsRecord = raw == RawRule::ResetToNeutral;
        return decision;
    }
    decision.keepsRecord = true;
    decision.editsRecord = true;
    decision.takesRecordFlag = kind != PaletteKind::SizeRes;
    return decision;
}
