// The check of a profile file chosen for the monitor or CMYK profile setting:
// an ICC header whose class and colour space fit the role, and a profile the
// colour engine can read. The answer is the message that refuses the file.
#pragma once

#include <cstdint>

namespace shell {

enum class ProfileKind : int32_t {
    kMonitor = 0,
    kCmyk = 1,
};

inline constexpr uint32_t kProfileNotIcc = 16436;        // "This file is not a valid ICC profile."
inline constexpr uint32_t kProfileNotCmyk = 16437;       // "...not suitable as a CMYK profile."
inline constexpr uint32_t kProfileNotMonitor = 16438;    // "...not suitable as a monitor profile."

// 0 when the file can be chosen; otherwise the string id of the message:
// one of the three above, or the colour engine's reason (its version, or
// damage) with the path as %1 and the version as %2.
uint32_t CheckProfileFile(const char* path, ProfileKind kind);

}  // namespace shell
