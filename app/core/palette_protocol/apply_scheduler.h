// The palettes' apply protocol without windows: which palette applies how
// (hint, timer period and quiet time, raw-only rule), the deferred apply
// that waits until the user pauses, and the three target states of a
// hand-over. The palette window supplies the clock, the timer and the apply.
#pragma once

#include <cstdint>
#include <functional>

enum class PaletteKind { Curves, ColourBalance, UnsharpMask, SizeRes, WhiteBalance, AdvancedRaw, NoiseReduction };

// Which non-raw images a raw-only palette refuses, and what it does then.
enum class RawRule {
    AnyImage,        // not raw-only
    ResetToNeutral,  // White Balance, Advanced RAW: the record's settings reset and edited
    LeaveAlone,      // Noise Reduction: nothing edited; also takes kind 33
};

struct PaletteApplyRule {
    uint32_t updateHint;
    uint32_t periodMs;  // 0: every request applies at once
    uint32_t quietMs;
    RawRule raw;
};
const PaletteApplyRule& ApplyRuleOf(PaletteKind kind);

inline constexpr uint32_t kPaletteApplyTimerId = 1003;
inline constexpr int32_t kRawImageKind = 32;
inline constexpr int32_t kRawImageKindAlt = 33;

// Deferred apply: each deferred request restarts the quiet time; the timer
// ticks with the period and applies once the quiet time has passed.
class CApplyScheduler {
public:
    struct Hooks {
        std::function<uint32_t()> ticks;              // the tick count, ms
        std::function<bool(uint32_t period)> start;   // false: no timer could be started
        std::function<void()> stop;
        std::function<void()> apply;
    };
    CApplyScheduler(const PaletteApplyRule& rule, Hooks hooks) : rule_(rule), hooks_(std::move(hooks)) {}

    void Request(bool deferred);
    // A tick of timer 1003.
    void OnTimer();
    // Applies what is pending now: before the target changes and before the
    // window goes, so that a pending change reaches the image it was made on.
    void Flush();
    bool Pending() const { return timerRunning_; }

private:
    void ApplyNow();

    PaletteApplyRule rule_;
    Hooks hooks_;
    bool timerRunning_ = false;
    uint32_t lastChangeTicks_ = 0;
};

// ---- Target hand-over -------------------------------------------------------

enum class PaletteTargetState { Own, Single, Several };

struct PaletteTargetDecision {
    PaletteTargetState state = PaletteTargetState::Own;
    bool keepsRecord = false;      // targetRecord = the record
    bool editsRecord = false;      // edited = the record's member
    bool editsOwn = false;         // edited = ownSettings
    bool takesRecordFlag = false;  // global flag = the record's flag
    bool clearsFlag = false;       // global flag cleared (raw-only palette, non-raw image)
    bool resetsRecord = false;     // the record's settings reset to neutral
    bool checkEnabled = false;     // the apply check box
};
PaletteTargetDecision DecideTarget(PaletteKind kind, int32_t count, int32_t imageKind);

// Every control but the check box: only for one or no image, while the flag is on.
inline bool ControlsEnabled(const PaletteTargetDecision& decision, bool flagOn)
{
    return decision.checkEnabled && flagOn;
}
