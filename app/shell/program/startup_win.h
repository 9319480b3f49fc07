// Windows helpers of start-up and unregistration.
#pragma once

#include <windows.h>

#include <string>

namespace shell {

// Each component of the path replaced by its long name as the file system
// reports it; a drive prefix and a "\\server\share\" part stay as written,
// components that are not found too, and so do the separators ("\" or "/").
// The path is not made absolute.
std::string ToLongPathName(const std::string& path);

// The path made absolute in this process (its current folder and drive),
// then in its long-name form; "" when the system cannot make it absolute.
std::string AbsoluteLongPath(const std::string& word);

// Deletes `subkey` of `root` with its subkeys: 0 or the first error. With
// `onlyIfEmpty` a key that holds subkeys or values stays (145).
LONG DeleteRegistryTree(HKEY root, const char* subkey, bool onlyIfEmpty);

// The shared "Common Files" folder, from the machine's registry; "" when
// it is not there as a string.
std::string GetCommonFilesFolder();

// <Common Files>\Korva\Profiles\ with the folder text of string 16439.
std::string GetProfileFolder();

// The top-level window of the running instance, or null.
HWND FindRunningInstance(const char* className);

}  // namespace shell
