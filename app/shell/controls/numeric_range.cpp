#include "app/shell/controls/numeric_range.h"

#include <algorithm>
#include <cmath>

namespace shell {

namespace {

// floor(log10(m)) of a whole number m >= 1, exact where a double holds every
// integer; beyond that the logarithm itself is as good as the bound.
int32_t FloorLog10(double m)
{
    if (m < 1e15) {
        int32_t digits = 0;
        for (int64_t v = static_cast<int64_t>(m); v >= 10; v /= 10)
            ++digits;
        return digits;
    }
    return static_cast<int32_t>(std::floor(std::log10(m)));
}

// The digit count of both bounds' whole parts, a negative one counting its sign.
int32_t BoundDigits(double min, double max)
{
    int32_t length = 1;
    if (max >= 1)
        length = FloorLog10(max);
    else if (max <= -1)
        length = FloorLog10(-max) + 1;
    if (min <= -1)
        length = std::max(length, FloorLog10(-min) + 1);
    return length;
}

bool IsSeparator(char ch, const char* separator)
{
    return separator[0] != '\0' && ch == separator[0];
}

// Below the minimum gives the minimum, above the maximum the maximum (a
// reversed range is not reordered).
double Clamp(double value, double min, double max)
{
    if (value < min)
        value = min;
    if (value > max)
        value = max;
    return value;
}

uint32_t RewriteFlags(bool grouping, bool signedRange, bool trimZeros)
{
    return (grouping ? kGroup : 0u) | (signedRange ? kPlusSign : 0u) | (trimZeros ? kTrimZeros : 0u);
}

}  // namespace

int32_t IntegerTypingLimit(int32_t min, int32_t max)
{
    return BoundDigits(static_cast<double>(min), static_cast<double>(max)) + 1;
}

int32_t RealTypingLimit(double min, double max, int32_t decimals)
{
    const int64_t limit = int64_t{BoundDigits(std::trunc(min), std::trunc(max))} + decimals + 2;
    return static_cast<int32_t>(std::clamp<int64_t>(limit, 0, INT32_MAX));
}

bool AcceptsTypedCharacter(const NumericRange& range, char ch, const NumberSeparators& notation)
{
    if (range.mode == NumericMode::None)
        return true;
    if (range.mode == NumericMode::Integer && IsSeparator(ch, notation.decimal))
        return false;
    return (ch >= '0' && ch <= '9') || ch == '-' || ch == '+' || ch == '\b' || IsSeparator(ch, notation.thousands) ||
           IsSeparator(ch, notation.decimal);
}

bool IsValidNumberText(const NumericRange& range, const char* text, const NumberSeparators& notation)
{
    int32_t ok = 0;
    switch (range.mode) {
    case NumericMode::None:
        return true;
    case NumericMode::Integer: {
        const double value = ParseNumber(text, &ok, false, notation);
        return ok && value >= range.intMin && value <= range.intMax;
    }
    case NumericMode::Real: {
        const double value = ParseNumber(text, &ok, true, notation);
        if (!ok || value < range.realMin || value > range.realMax)
            return false;
        for (const char* p = text; *p; ++p) {
            const char ch = *p;
            if (!((ch >= '0' && ch <= '9') || ch == '+' || ch == '-' || IsSeparator(ch, notation.decimal) ||
                  IsSeparator(ch, notation.thousands)))
                return false;
        }
        return true;
    }
    }
    return true;
}

bool RewriteNumberText(const NumericRange& range, const char* text, const NumberSeparators& notation,
                       CQzString& out)
{
    if (range.mode == NumericMode::Integer) {
        const double value =
            Clamp(ParseNumber(text, nullptr, false, notation), range.intMin, range.intMax);
        FormatNumber(out, value, 0,
                     RewriteFlags(range.grouping, range.intMin < 0 && range.intMax > 0, false), notation);
        return true;
    }
    if (range.mode == NumericMode::Real) {
        const double value = Clamp(ParseNumber(text, nullptr, true, notation), range.realMin, range.realMax);
        FormatNumber(out, value, range.decimals,
                     RewriteFlags(range.grouping, range.realMin < 0 && range.realMax > 0, range.trimZeros),
                     notation);
        return true;
    }
    return false;
}

}  // namespace shell
