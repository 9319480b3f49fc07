// The Image Adjustment file that an installation puts beside the program:
// "Neutral.set", the file the next-image and batch settings name until the
// user chooses another. Without it every start-up says that the settings
// file was not found.
#pragma once

#include <string>

namespace shell {

// The file's name in the program folder.
inline constexpr char kNeutralSettingsFile[] = "Neutral.set";

// Writes the neutral adjustments into the folder (ending in a separator)
// unless the file is there already; false when it could not be written.
bool WriteNeutralSettingsFile(const std::string& folder);

}  // namespace shell
