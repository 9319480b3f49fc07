// The tenths of a second behind the seconds of a formatted time of day. The
// place of the seconds is found through a probe: the same time formatted
// with seconds that cannot be mistaken for the minute.
#pragma once

#include <cstdint>
#include <string>

namespace shell {

// Seconds of the probe: 59, or 58 when the minute is 59.
uint16_t TenthsProbeSeconds(uint16_t minute);

// Inserts "." and the tenths digit of `milliseconds` behind the seconds of
// `text`, which `probe` shows as TenthsProbeSeconds. Nothing changes when the
// probe does not show them. From 950 ms the digit stays 9: nothing carries
// into the seconds.
void InsertSecondTenths(std::string& text, const std::string& probe, uint16_t minute, uint16_t milliseconds);

}  // namespace shell
