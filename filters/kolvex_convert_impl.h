// Conversions of doubles to 32-bit coordinates for the geometric filters: the
// fraction dropped toward zero (or floored, or ceiled), with values beyond the
// 32-bit range held at its ends and NaN taken as 0, so that a degenerate size
// or factor gives a wrong coordinate rather than undefined behaviour.
#pragma once

#include <cmath>
#include <cstdint>

namespace kolvex_convert {

inline int32_t Saturate(double v)
{
    if (std::isnan(v))
        return 0;
    if (v >= 2147483647.0)
        return INT32_MAX;
    if (v <= -2147483648.0)
        return INT32_MIN;
    return static_cast<int32_t>(v);
}

inline int32_t Trunc(double v) { return Saturate(std::trunc(v)); }
inline int32_t Floor(double v) { return Saturate(std::floor(v)); }
inline int32_t Ceil(double v) { return Saturate(std::ceil(v)); }

inline int32_t Clamp64(int64_t v)
{
    return v > INT32_MAX ? INT32_MAX : (v < INT32_MIN ? INT32_MIN : static_cast<int32_t>(v));
}

} // namespace kolvex_convert
