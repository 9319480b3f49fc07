#include "app/shell/program/install/neutral_settings.h"

#include <cstdio>

#include "app/core/procset/palette_settings_file.h"

namespace shell {

bool WriteNeutralSettingsFile(const std::string& folder)
{
    const std::string path = folder + kNeutralSettingsFile;
    // A file there may be the user's own settings under the default name.
    if (std::FILE* existing = std::fopen(path.c_str(), "rb")) {
        std::fclose(existing);
        return true;
    }
    return WriteSettingsBlob(path.c_str(), NeutralImageAdjustmentBlob()).id == 0;
}

}  // namespace shell
