#include "app/shell/format/byte_size.h"

#include <charconv>
#include <cmath>
#include <cstdio>

namespace shell {

namespace {

ByteSizeNotation& Notation()
{
    static ByteSizeNotation notation;
    return notation;
}

// Truncation toward zero that saturates at the 32-bit ends (NaN gives 0),
// so that no count is out of range for the "%d" forms.
int Truncate(double value)
{
    if (!(value == value))
        return 0;
    if (value >= 2147483647.0)
        return 2147483647;
    if (value <= -2147483648.0)
        return -2147483647 - 1;
    return static_cast<int>(value);
}

}  // namespace

void SetByteSizeNotation(const ByteSizeNotation& notation)
{
    Notation() = notation;
}

const ByteSizeNotation& GetByteSizeNotation()
{
    return Notation();
}

void FormatByteSize(CQzString& out, double count, bool exact, bool longUnits, const ByteSizeNotation& notation)
{
    const std::string* units = longUnits ? notation.longUnits : notation.shortUnits;
    const char* decimal = notation.decimal.empty() ? "." : notation.decimal.c_str();
    char text[128];
    if (!(count >= 1024.0)) {
        std::snprintf(text, sizeof text, "%d %s", Truncate(count), units[0].c_str());
    } else {
        // Each unit holds counts that round below 1024 of it.
        double x;
        int unit;
        if (count < 1048575.5)
            x = count / 1024.0, unit = 1;
        else if (count < 1073741823.5)
            x = count / 1048576.0, unit = 2;
        else if (count < 1099511627775.5)
            x = count / 1073741824.0, unit = 3;
        else
            x = count / 1099511627776.0, unit = 4;
        const char* name = units[unit].c_str();
        if (x < 9.995)
            std::snprintf(text, sizeof text, "%d%s%02d%s", Truncate(x + 0.005), decimal, Truncate(x * 100 + 0.5) % 100, name);
        else if (x < 99.95)
            std::snprintf(text, sizeof text, "%d%s%d%s", Truncate(x + 0.05), decimal, Truncate(x * 10 + 0.5) % 10, name);
        else
            std::snprintf(text, sizeof text, "%d%s", Truncate(x + 0.5), name);
    }
    std::string result = text;

    if (exact) {
        result += " (";
        // Every integer digit of the count, exactly, beyond the 15 that a
        // general format keeps.
        char digits[400];
        const double whole = std::isfinite(count) ? std::trunc(count) : 0.0;
        const auto printed = std::to_chars(digits, digits + sizeof digits, whole, std::chars_format::fixed, 0);
        const std::string number(digits, printed.ptr);
        const size_t first = number[0] == '-' ? 1 : 0;
        const int32_t size = notation.grouping;
        for (size_t i = 0; i < number.size(); ++i) {
            result += number[i];
            const size_t toCome = number.size() - i - 1;
            if (i >= first && size > 0 && !notation.thousands.empty() && toCome > 0 &&
                toCome % static_cast<size_t>(size) == 0)
                result += notation.thousands;
        }
        result += ' ';
    }
    out = result.c_str();
}

void FormatByteSize(CQzString& out, double count, bool exact, bool longUnits)
{
    FormatByteSize(out, count, exact, longUnits, Notation());
}

}  // namespace shell
