#include "app/shell/format/decimal_digits.h"

#include <charconv>
#include <cmath>

namespace shell {

namespace {

// A double has at most 1074 digits behind the point, so this many print it exactly.
constexpr int kExactFraction = 1080;

// |value| exactly: integer digits without leading zeros, then every fraction digit.
DecimalDigits Exact(double value)
{
    char text[340 + kExactFraction];
    const auto result =
        std::to_chars(text, text + sizeof text, std::fabs(value), std::chars_format::fixed, kExactFraction);
    std::string all(text, result.ptr);
    const size_t dot = all.find('.');
    std::string integer = all.substr(0, dot);
    std::string fraction = dot == std::string::npos ? std::string() : all.substr(dot + 1);
    if (integer == "0")
        integer.clear();
    DecimalDigits exact;
    exact.point = static_cast<int32_t>(integer.size());
    exact.digits = integer + fraction;
    return exact;
}

// Keeps the first `keep` digits of `number` (zeros added when it has fewer);
// the dropped tail rounds half away from zero. The tail is exact, so its
// first digit alone tells whether it reaches a half.
void RoundAt(DecimalDigits& number, size_t keep)
{
    std::string& d = number.digits;
    const bool up = d.size() > keep && d[keep] >= '5';
    d.resize(keep, '0');
    if (!up)
        return;
    size_t i = d.size();
    while (i > 0 && d[i - 1] == '9')
        d[--i] = '0';
    if (i == 0) {
        d.insert(d.begin(), '1');
        ++number.point;
    } else {
        ++d[i - 1];
    }
}

}  // namespace

DecimalDigits RoundToDecimals(double value, int32_t decimals)
{
    // The digits are the integer part (point of them) and then the fraction,
    // so the last kept digit is the `decimals`-th behind the point.
    DecimalDigits number = Exact(value);
    RoundAt(number, static_cast<size_t>(number.point) + static_cast<size_t>(decimals > 0 ? decimals : 0));
    return number;
}

DecimalDigits RoundToSignificant(double value, int32_t count)
{
    DecimalDigits number = Exact(value);
    const size_t first = number.digits.find_first_not_of('0');
    if (first == std::string::npos) {
        number.digits.assign(static_cast<size_t>(count), '0');
        number.point = 0;
        return number;
    }
    number.digits.erase(0, first);
    number.point -= static_cast<int32_t>(first);
    RoundAt(number, static_cast<size_t>(count));
    // A carry into a new first digit leaves one zero too many at the end.
    number.digits.resize(static_cast<size_t>(count));
    return number;
}

}  // namespace shell
