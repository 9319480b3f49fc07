// File-name helpers of the save dialogs.
#pragma once

#include <string>

#include "app/core/text/qz_string.h"

namespace shell {

// The extension of a file-dialog filter's first pattern: the text after the
// first "|*." up to the next "|" ("" when there is none).
CQzString GetDefaultExtension(const char* filter);

// The root of the volume that holds `path`: the drive letter with its colon,
// or the server and share of a network path, with a trailing backslash; ""
// for a path that names neither.
std::string VolumeRoot(const char* path);

#if defined(_WIN32)
// Whether the volume of `path` takes name components of 13 characters or more.
bool SupportsLongFileNames(const char* path);
#endif

}  // namespace shell
