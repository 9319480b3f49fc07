// White balance lookups (camera mode to colour temperature, temperature to
// red and blue multipliers), the sensitivity code of a raw file and the
// noise level of the high-quality demosaic at that sensitivity.
#pragma once

#include <cstdint>

class IVorlatTagControl;

// 3000, 5200, 8000, 6000, 5400 or 4200 K for the camera's modes, else 0.
int32_t GetWBModeKelvin(int32_t mode);
// Red and blue multipliers of a mode at k kelvin, interpolated in reciprocal
// temperature between the table's rows (extrapolated beyond its ends). An
// unknown mode, or k not above 0, gives 1.0 and 1.0.
void GetWBModeGains(int32_t mode, int32_t k, double* red, double* blue);

// A multiplier as a divisor or factor may take it: one that is not above 0
// or not finite counts as 1.0.
double UsableMultiplier(double value);

// The sensitivity (ISO) of a raw file, or -1 / -2 for the first and second
// boost step above the camera's base; 0 for a null tag store or a missing tag.
int32_t GetSensitivityCode(const IVorlatTagControl* tags);
// The high-quality demosaic's noise level for a camera model code and
// sensitivity code; false when the table has no such entry.
bool GetNoiseLevel(int32_t model, int32_t sensitivity, int32_t* level);

// The table rows as stored: the main table's 235 rows of kelvin and three
// red/blue pairs, the mode-1280 table's 78 rows of kelvin and one pair, in
// thousandths.
struct WbTable {
    const int16_t* values;
    int32_t rows;
    int32_t stride;
};
WbTable GetMainWbTable();
WbTable GetDaylightWbTable();
