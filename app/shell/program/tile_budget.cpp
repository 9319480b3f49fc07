#include "app/shell/program/tile_budget.h"

namespace shell {

int32_t TileManagerBudget(uint64_t physicalBytes, uint32_t percent, uint32_t minimum, uint32_t maximum)
{
    uint64_t budget = physicalBytes / 100 * percent;
    if (minimum != 0 && budget <= minimum)
        budget = minimum;
    if (maximum != 0 && budget >= maximum)
        budget = maximum;
    constexpr uint64_t kLargest = 0x7FFFFFFF;
    return static_cast<int32_t>(budget < kLargest ? budget : kLargest);
}

}  // namespace shell
