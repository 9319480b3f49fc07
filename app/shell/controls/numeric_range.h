// The arithmetic of the numeric edit field: how many characters a range lets
// the user type, which characters pass the typing filter, whether a text is
// a number inside the range, and the text a value is rewritten to when the
// field is left.
#pragma once

#include <cstdint>

#include "app/core/text/qz_string.h"
#include "app/shell/format/number_text.h"

namespace shell {

enum class NumericMode : int32_t { None = 0, Integer = 1, Real = 2 };

struct NumericRange {
    NumericMode mode = NumericMode::None;
    int32_t intMin = 0;
    int32_t intMax = 0;
    double realMin = 0;
    double realMax = 0;
    int32_t decimals = 0;
    bool grouping = true;
    bool trimZeros = true;
};

// EM_LIMITTEXT of an integer range: L + 1, L counting the digits of the
// bounds (a negative bound one more for its sign). 64-bit, so INT32_MIN works.
int32_t IntegerTypingLimit(int32_t min, int32_t max);
// Of a real range: the same count over the bounds' integer parts, plus the
// decimals and 2.
int32_t RealTypingLimit(double min, double max, int32_t decimals);

// The typing filter: digits, signs, backspace and the separators' first
// characters; the decimal separator only in real mode. Everything passes
// without a range.
bool AcceptsTypedCharacter(const NumericRange& range, char ch, const NumberSeparators& notation);

// The live check while the user types: a number inside the range (in real
// mode made of nothing but digits, signs and separators).
bool IsValidNumberText(const NumericRange& range, const char* text, const NumberSeparators& notation);

// The text the field shows after it lost the focus: the parsed value clamped
// into the range, in the program's number format. False without a range.
bool RewriteNumberText(const NumericRange& range, const char* text, const NumberSeparators& notation,
                       CQzString& out);

}  // namespace shell
