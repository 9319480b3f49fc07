#include "app/shell/preferences/hundredths.h"

#include <cmath>
#include <limits>

namespace shell {

int32_t ToHundredths(double value)
{
    const double scaled = std::round(value * 100.0);
    if (!(scaled > static_cast<double>(std::numeric_limits<int32_t>::min())))
        return std::numeric_limits<int32_t>::min();
    if (scaled >= static_cast<double>(std::numeric_limits<int32_t>::max()))
        return std::numeric_limits<int32_t>::max();
    return static_cast<int32_t>(scaled);
}

}  // namespace shell
