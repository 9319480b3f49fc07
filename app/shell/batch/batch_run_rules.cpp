#include "app/shell/batch/batch_run_rules.h"

#include <cstdio>

namespace shell {

bool RunShouldEnd(int32_t mode, bool force, int32_t shotCount, int32_t failedShots, int32_t filesSaved)
{
    if (force)
        return true;
    if (mode == kBatchModeTimeLapse || mode == kBatchModeTimeLapseSaving) {
        if (shotCount < 1)
            return false;
        return static_cast<int64_t>(failedShots) + filesSaved >= shotCount;
    }
    return false;
}

int32_t SecondsToNextShot(int32_t interval, uint32_t elapsedMilliseconds)
{
    const int64_t left = static_cast<int64_t>(interval) - static_cast<int64_t>(elapsedMilliseconds / 1000);
    return left < 0 ? 0 : static_cast<int32_t>(left);
}

std::string FormatCountdown(int32_t seconds, const std::string& separator)
{
    if (seconds < 0)
        seconds = 0;
    char text[64];
    std::snprintf(text, sizeof text, "%02d%s%02d%s%02d", static_cast<int>(seconds / 3600), separator.c_str(),
                  static_cast<int>(seconds / 60 % 60), separator.c_str(), static_cast<int>(seconds % 60));
    return text;
}

std::string FormatCountOf(int32_t count, int32_t total, const std::string& pattern)
{
    const std::string number = std::to_string(count);
    if (total <= 0)
        return number;
    std::string text;
    for (size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] == '%' && i + 1 < pattern.size() && (pattern[i + 1] == '1' || pattern[i + 1] == '2')) {
            text += pattern[i + 1] == '1' ? number : std::to_string(total);
            ++i;
        } else {
            text += pattern[i];
        }
    }
    return text;
}

}  // namespace shell
