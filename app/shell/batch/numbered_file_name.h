// The next free numbered output file name from the naming settings of the
// save dialog (kind 0, section "SaveFinal") or of batch runs (kind 1,
// section "AutoSave").
#pragma once

#include <cstdint>

#include "app/core/text/qz_string.h"

namespace shell {

constexpr int32_t kNamingSaveFinal = 0;
constexpr int32_t kNamingAutoSave = 1;

// Stores the number after the name given as the next number; another kind gives "".
CQzString MakeNumberedFileName(int32_t kind, const char* folder, const char* extension);

}  // namespace shell
