#include "app/shell/program/install/neutral_settings.h"

#include <cstdio>

#include "app/core/procset/settings_file.h"

namespace shell {

bool WriteNeutralSettingsFile(const std::string& folder)
{
    const std::string path = folder + kNeutralSettingsFile;
    // A file there may be the user's own settings under the default name.
    if (std::FILE* existing = std::fopen(path.c_str(), "rb")) {
        std::fclose(existing);
        return true;
    }
    return WriteSettingsFile(path.c_str(), NeutralImageAdjustmentBlob()) == SettingsFileWrite::Written;
}

}  // namespace shell
