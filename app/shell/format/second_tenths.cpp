#include "app/shell/format/second_tenths.h"

#include "app/shell/format/decimal_digits.h"

namespace shell {

uint16_t TenthsProbeSeconds(uint16_t minute)
{
    return minute == 59 ? 58 : 59;
}

void InsertSecondTenths(std::string& text, const std::string& probe, uint16_t minute, uint16_t milliseconds)
{
    const std::string marker = std::to_string(TenthsProbeSeconds(minute));
    const size_t p = probe.find(marker);
    if (p == std::string::npos)
        return;
    // Behind one or two digits of seconds.
    size_t at = p + 1;
    if (at < text.size() && text[at] >= '0' && text[at] <= '9')
        ++at;
    if (at > text.size())
        return;
    // The exact value of ms x 0.001 rounded to one decimal, a half upward:
    // 250 ms give 3, 950 ms (just below 0.95 in binary) 9.
    const DecimalDigits rounded = RoundToDecimals(milliseconds * 0.001, 1);
    const char tenth = rounded.point > 0 ? '9' : rounded.digits[0];
    text.insert(at, std::string{'.', tenth});
}

}  // namespace shell
