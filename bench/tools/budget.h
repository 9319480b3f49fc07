// The tile manager settings of the benchmark commands, also printed by the
// benchmark programs beside the memory they measure.
#pragma once

#include <cstdint>

namespace benchcmd {

// The memory target of a command is this budget plus 24 MB.
constexpr int32_t kBudgetBytes = 256 << 20;
constexpr int32_t kTargetSlackBytes = 24 << 20;
// The program's saving manager's tile size.
constexpr int32_t kTileBytes = 65536;

}  // namespace benchcmd
