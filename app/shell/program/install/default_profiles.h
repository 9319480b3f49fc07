// The colour profiles that an installation puts into the maker's profile
// folder (<Common Files>\Korva\Profiles\): the working RGB space of the
// first choice on the CMS page, a monitor and a CMYK profile, the
// lightness-chroma-hue profile, and the camera profiles that the develop
// engine looks up by name. Made by our own profile writer; without them the
// program starts with message 6146 and opens nothing.
#pragma once

#include <string>
#include <vector>

namespace shell {

// The names written into the folder, in writing order.
std::vector<std::string> DefaultProfileNames();

// Writes every profile that the folder (ending in a backslash) does not hold
// yet; files already there stay as they are. False when one could not be
// written.
bool WriteDefaultProfiles(const std::string& folder);

#ifdef _WIN32
// Points the RGB, CMYK and monitor profile settings at the folder's
// profiles, each only while it is empty (a choice made on the CMS page stays).
void SetDefaultProfileSettings(const std::string& folder);
#endif

}  // namespace shell
