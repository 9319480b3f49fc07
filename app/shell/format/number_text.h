// Number texts of edit fields and preference pages in the user's notation.
#pragma once

#include <cstdint>

#include "app/core/text/qz_string.h"

namespace shell {

// The user's number notation. Only the first character of each separator
// counts; an empty thousands separator means no grouping, an empty decimal
// separator a full stop.
struct NumberSeparators {
    char decimal[4] = ".";
    char thousands[4] = ",";
    int32_t leadingZero = 1;
    int32_t digits = 2;
};

// Decimals arguments of FormatNumber that stand for the locale's "iDigits".
constexpr int32_t kDecimalsLocale = INT32_MIN;              // iDigits decimals
constexpr int32_t kDecimalsLocaleNegated = INT32_MIN + 1;   // -iDigits (see FormatNumber)
constexpr int32_t kDecimalsSignificant13 = INT32_MIN + 2;   // 13 significant digits

enum NumberFormatFlags : uint32_t {
    kTrimZeros = 1,   // drop trailing zeros of the decimals, then a bare separator
    kGroup = 2,       // thousands separator every three integer digits
    kAlwaysSign = 4,  // "+" before every value that is not negative
    kPlusSign = 8,    // "+" before a value above 0 (judged before rounding)
};

// The user locale's notation, read from the "intl" profile section on the
// first call and kept for the life of the process.
void GetNumberSeparators(char* decimal, char* thousands, int32_t* leadingZero, int32_t* digits);
const NumberSeparators& UserNumberSeparators();

// `decimals` >= 0: that many decimals. A negative -k gives k decimals for a
// value beyond +-0.5, else k significant digits.
CQzString& FormatNumber(CQzString& out, double value, int32_t decimals, uint32_t flags,
                        const NumberSeparators& notation);
CQzString& FormatNumber(CQzString& out, double value, int32_t decimals, uint32_t flags);

// Reads a number from the start of `text` (no exponent form). `ok` (may be
// null) is 1 when at least one digit was read; otherwise the result is 0.
double ParseNumber(const char* text, int32_t* ok, bool decimalsAllowed, const NumberSeparators& notation);
double ParseNumber(const char* text, int32_t* ok, bool decimalsAllowed);

}  // namespace shell
