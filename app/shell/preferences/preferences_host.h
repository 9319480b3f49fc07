// What the preference pages need from the application, handed to the
// Preferences dialog by the command that opens it.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

struct PreferencesHost {
    // The maker's profile folder (Common Files, then the profile folder
    // text), ending with a backslash.
    std::string profileFolder;
    // Sets the keep-awake mode (1 for 15 minutes, 2 always) of the camera
    // source, opening the camera module first when no camera is known yet;
    // does nothing when no camera answers. May be empty.
    std::function<void(uint16_t mode)> setCameraKeepAwake;
};
