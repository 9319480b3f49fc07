// The text of a byte count: "1023 Bytes", "1.50KB", "15.0MB", "500GB".
#pragma once

#include <cstdint>
#include <string>

#include "app/core/text/qz_string.h"

namespace shell {

// Process-wide words and notation of the byte-size texts; start-up fills
// them from the string table and the user locale.
struct ByteSizeNotation {
    // Bytes, kilobytes, megabytes, gigabytes, terabytes: short and long forms.
    std::string shortUnits[5] = {"Bytes", "KB", "MB", "GB", "TB"};
    std::string longUnits[5] = {"Bytes", "KBytes", "MBytes", "GBytes", "TBytes"};
    std::string decimal = ".";    // empty counts as a full stop
    std::string thousands = ",";  // empty: no grouping
    int32_t grouping = 3;         // digits per group; 0: no grouping
};

void SetByteSizeNotation(const ByteSizeNotation& notation);
const ByteSizeNotation& GetByteSizeNotation();
#if defined(_WIN32)
// The unit words from the string table (the defaults stand for missing
// ones) and the user locale's separators and grouping.
void LoadByteSizeNotation();
#endif

// With `exact`, " (" and the grouped integer count and a blank follow; the
// caller completes that text.
void FormatByteSize(CQzString& out, double count, bool exact, bool longUnits);
void FormatByteSize(CQzString& out, double count, bool exact, bool longUnits, const ByteSizeNotation& notation);

}  // namespace shell
