// The memory budgets of the two tile managers.
#pragma once

#include <cstdint>

namespace shell {

// (physical / 100) x percent, the division first; then a non-zero minimum
// raises a budget at or below it and a non-zero maximum lowers one at or
// above it. Worked in 64 bits and held to what a manager takes (0x7FFFFFFF).
int32_t TileManagerBudget(uint64_t physicalBytes, uint32_t percent, uint32_t minimum, uint32_t maximum);

}  // namespace shell
