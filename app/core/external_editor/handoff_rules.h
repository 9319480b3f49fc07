// The two checks of the hand-off to the outside image editor that need no
// automation: which editor versions are driven, and where the transfer file goes.
#pragma once

#include <cstddef>

namespace qz {

// The transfer file's name in the temporary folder.
inline constexpr char kEditorTransferName[] = "PSXfer.tif";
// The oldest editor version the hand-off drives.
inline constexpr long kEditorMinimumVersion = 5;

// The version's leading integer (after blanks) is at least the minimum:
// "5.0", "10.0" and "14.0" pass, "4.0.1", "" and "CS" do not.
bool IsEditorVersionSupported(const char* version);

// folder + "\" (unless it ends with one) + the transfer name into `out`.
// False, with `out` empty, when the folder is empty or null or the path and
// its terminating zero would not fit in `capacity` bytes.
bool BuildEditorTransferPath(const char* folder, char* out, size_t capacity);

}  // namespace qz
