// Exact decimal digits of a double, rounded as the C run time's _fcvt and
// _ecvt do: on the exact binary value, an exact half away from zero.
#pragma once

#include <cstdint>
#include <string>

namespace shell {

// |value| as digits with the decimal point `point` digits from the left
// (value = 0.digits x 10^point).
struct DecimalDigits {
    std::string digits;
    int32_t point = 0;
};

// Rounded to `decimals` digits behind the point (_fcvt). The digits hold the
// integer part (none when it is 0) followed by exactly `decimals` digits.
DecimalDigits RoundToDecimals(double value, int32_t decimals);

// Rounded to `count` significant digits, count >= 1 (_ecvt): exactly `count`
// digits, the first not 0 unless the value is 0 (all zeros, point 0).
DecimalDigits RoundToSignificant(double value, int32_t count);

}  // namespace shell
