// Small numeric guards of the curve code: stored values reach it unchecked,
// so a NaN or an infinity must neither leave a value undefined nor reach an
// integer conversion.
#pragma once

#include <cmath>
#include <cstdint>

namespace qz {

// `value` limited to [low, high]; NaN counts as low.
inline double Limit(double value, double low, double high)
{
    if (!(value >= low))
        return low;
    return value > high ? high : value;
}

// A pixel offset truncated towards 0, kept within a range that no plot
// leaves; NaN gives 0.
inline int32_t TruncPixel(double value)
{
    constexpr double kReach = 1 << 28;
    if (std::isnan(value))
        return 0;
    return static_cast<int32_t>(Limit(value, -kReach, kReach));
}

// The rounding of pixel positions: add 0.5 and truncate.
inline int32_t RoundPixel(double value)
{
    return TruncPixel(value + 0.5);
}

}  // namespace qz
