// The small rules of a running batch or time lapse: when the run ends, how
// long until the next shot, and the texts of the countdown and the count.
#pragma once

#include <cstdint>
#include <string>

namespace shell {

// The run's kinds.
enum BatchMode : int32_t {
    kBatchModeBatch = 0,
    kBatchModeTimeLapse = 1,
    kBatchModeTimeLapseSaving = 2,
};

// A time lapse ends once every shot of a limited count failed or gave a
// saved file; a batch (and any run when forced) ends only when told.
bool RunShouldEnd(int32_t mode, bool force, int32_t shotCount, int32_t failedShots, int32_t filesSaved);

// Whole seconds left of the interval since the last shot started, never below 0.
int32_t SecondsToNextShot(int32_t interval, uint32_t elapsedMilliseconds);

// Hours, minutes and seconds, two digits each, joined by the locale's
// time separator: "00:01:05".
std::string FormatCountdown(int32_t seconds, const std::string& separator);

// "%1 of %2" with a known total (the pattern from the string table), else the count alone.
std::string FormatCountOf(int32_t count, int32_t total, const std::string& pattern);

}  // namespace shell
