// The messages of camera errors and of failed shots.
#pragma once

#include <cstdint>

namespace shell {

// The string id of the message for a camera error code; 0 for code 0.
uint32_t GetCameraErrorMessageId(int32_t code);
// Shows the message of a camera error code through the application's
// message box; false (nothing shown) for 0.
bool ShowCameraErrorMessage(int32_t code);
// The string id of the message for a shooting error code.
uint32_t GetShotErrorMessageId(int32_t code);

}  // namespace shell
