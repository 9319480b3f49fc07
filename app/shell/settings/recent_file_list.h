// The recent-file list's storage: "Recent File List" under the version key,
// values "File1" to "File4" in the user's hive. The list class of the
// program reads and writes its entries through these.
#pragma once

#include <cstdint>

#include "app/core/text/qz_string.h"

namespace shell {

constexpr int32_t kRecentFileCount = 4;

// Each entry the stored text, or "" when absent.
void ReadRecentFiles(CQzString (&entries)[kRecentFileCount]);
// Writes each non-empty entry; the names of empty ones are neither written nor deleted.
void WriteRecentFiles(const CQzString (&entries)[kRecentFileCount]);

}  // namespace shell
