#include "app/shell/format/number_text.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>

#include "app/shell/format/decimal_digits.h"

#if defined(_WIN32)
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#endif

namespace shell {

namespace {

// Beyond this many decimals a double has nothing left to show; the bound
// keeps an absurd request from building an absurd text.
constexpr int64_t kMaxDigits = 1100;

// Parsing stops before a digit that could overflow: a tenth of the largest double.
constexpr double kParseLimit = 1.7976931348623158e+307;

NumberSeparators ReadUserNotation()
{
    NumberSeparators notation;
#if defined(_WIN32)
    GetProfileStringA("intl", "sDecimal", ".", notation.decimal, sizeof notation.decimal);
    GetProfileStringA("intl", "sThousand", ",", notation.thousands, sizeof notation.thousands);
    notation.leadingZero = static_cast<int32_t>(GetProfileIntA("intl", "iLeadZero", 1));
    notation.digits = static_cast<int32_t>(GetProfileIntA("intl", "iDigits", 2));
#endif
    return notation;
}

char DecimalSeparator(const NumberSeparators& notation)
{
    return notation.decimal[0] ? notation.decimal[0] : '.';
}

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

}  // namespace

const NumberSeparators& UserNumberSeparators()
{
    static const NumberSeparators notation = ReadUserNotation();
    return notation;
}

void GetNumberSeparators(char* decimal, char* thousands, int32_t* leadingZero, int32_t* digits)
{
    const NumberSeparators& notation = UserNumberSeparators();
    if (decimal)
        std::memcpy(decimal, notation.decimal, sizeof notation.decimal);
    if (thousands)
        std::memcpy(thousands, notation.thousands, sizeof notation.thousands);
    if (leadingZero)
        *leadingZero = notation.leadingZero;
    if (digits)
        *digits = notation.digits;
}

CQzString& FormatNumber(CQzString& out, double value, int32_t decimals, uint32_t flags,
                        const NumberSeparators& notation)
{
    const char decimalSeparator = DecimalSeparator(notation);
    const char group = (flags & kGroup) ? notation.thousands[0] : '\0';
    // Infinities and NaN have no digits to show.
    if (!std::isfinite(value))
        value = 0;

    int64_t count = decimals;
    bool significant = false;
    if (decimals == kDecimalsLocale)
        count = notation.digits;
    else if (decimals == kDecimalsLocaleNegated)
        count = -static_cast<int64_t>(notation.digits);
    else if (decimals == kDecimalsSignificant13)
        count = 13, significant = true;
    if (count < 0) {
        // Near zero fixed decimals would show nothing: give significant digits.
        significant = !(value > 0.5 || value < -0.5);
        count = -count;
    }
    count = std::min(count, kMaxDigits);

    std::string text;
    if (value < 0)
        text += '-';
    else if ((flags & kAlwaysSign) || ((flags & kPlusSign) && value != 0))
        text += '+';

    std::string integer;
    std::string fraction;
    if (significant) {
        const DecimalDigits rounded = RoundToSignificant(value, static_cast<int32_t>(count));
        const int64_t point = rounded.point;
        const int64_t length = static_cast<int64_t>(rounded.digits.size());
        if (point > 0) {
            integer = rounded.digits.substr(0, static_cast<size_t>(std::min(point, length)));
            if (point > length)
                integer.append(static_cast<size_t>(point - length), '0');
        }
        const int64_t used = std::max<int64_t>(point, 0);
        if (length > used) {
            fraction.assign(static_cast<size_t>(std::max<int64_t>(-point, 0)), '0');
            fraction += rounded.digits.substr(static_cast<size_t>(used));
        }
    } else {
        const DecimalDigits rounded = RoundToDecimals(value, static_cast<int32_t>(count));
        integer = rounded.digits.substr(0, static_cast<size_t>(rounded.point));
        fraction = rounded.digits.substr(static_cast<size_t>(rounded.point));
    }

    if (integer.empty()) {
        if (notation.leadingZero != 0)
            text += '0';
    } else {
        for (size_t i = 0; i < integer.size(); ++i) {
            text += integer[i];
            const size_t toCome = integer.size() - i - 1;
            if (group && toCome > 0 && toCome % 3 == 0)
                text += group;
        }
    }
    if (!fraction.empty()) {
        text += decimalSeparator;
        text += fraction;
    }

    if ((flags & kTrimZeros) && text.find(decimalSeparator) != std::string::npos) {
        while (!text.empty() && text.back() == '0')
            text.pop_back();
        if (!text.empty() && text.back() == decimalSeparator)
            text.pop_back();
    }
    out = text.empty() ? "0" : text.c_str();
    return out;
}

CQzString& FormatNumber(CQzString& out, double value, int32_t decimals, uint32_t flags)
{
    return FormatNumber(out, value, decimals, flags, UserNumberSeparators());
}

double ParseNumber(const char* text, int32_t* ok, bool decimalsAllowed, const NumberSeparators& notation)
{
    if (ok)
        *ok = 0;
    if (!text)
        return 0;
    const char group = notation.thousands[0];
    const char decimalSeparator = DecimalSeparator(notation);

    const char* p = text;
    while (*p && std::strchr(" \t\n\v\f\r", *p))
        ++p;
    bool negative = false;
    if (*p == '-' || *p == '+')
        negative = *p++ == '-';

    double value = 0;
    bool any = false;
    while (IsDigit(*p)) {
        if (value > kParseLimit)
            return 0;
        value = value * 10 + (*p++ - '0');
        any = true;
        // One separator may follow any digit; a second in a row ends the number.
        if (group && *p == group)
            ++p;
    }
    if (decimalsAllowed && *p == decimalSeparator) {
        ++p;
        double weight = 0.1;
        while (IsDigit(*p)) {
            value += weight * (*p++ - '0');
            weight *= 0.1;
            any = true;
        }
    }
    if (!any)
        return 0;
    if (ok)
        *ok = 1;
    return negative ? -value : value;
}

double ParseNumber(const char* text, int32_t* ok, bool decimalsAllowed)
{
    return ParseNumber(text, ok, decimalsAllowed, UserNumberSeparators());
}

}  // namespace shell
