// Values typed with two decimals and kept in the settings as whole
// hundredths (the auto-contrast clip, a grid spacing in a length unit).
#pragma once

#include <cstdint>

namespace shell {

// Rounded to the nearest hundredth: a typed 2.01 is 200.99999... times 100
// in binary, and truncating it would keep 200. Values beyond the 32-bit
// range give its ends.
int32_t ToHundredths(double value);

}  // namespace shell
