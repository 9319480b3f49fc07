#include "app/shell/program/camera_messages.h"

#include "app/shell/program/program_ids.h"
#include "clx/app.h"

namespace shell {

namespace {

constexpr uint32_t kCameraNotFound = 16544;

}  // namespace

bool ShowCameraErrorMessage(int32_t code)
{
    if (code == 0)
        return false;
    const uint32_t message = code == 132   ? IDS_CAMERA_CARD
                             : code == 134 ? kCameraNotFound
                             : code == 147 ? IDS_CAMERA_BATTERY
                                           : IDS_CAMERA_ERROR;
    AfxMessageBox(message, MB_OK);
    return true;
}

uint32_t GetShotErrorMessageId(int32_t code)
{
    switch (code) {
    case 128: return IDS_SHOT_APERTURE;
    case 129: return IDS_SHOT_BUFFER_FULL;
    case 130: return IDS_SHOT_SPEEDLIGHT;
    case 131: return IDS_SHOT_CARD_FULL;
    case 134: return kCameraNotFound;
    case 135: return IDS_SHOT_BATTERY;
    case 136: return IDS_SHOT_BULB;
    case 137: return IDS_SHOT_FOCUS;
    case 147: return IDS_CAMERA_BATTERY;
    case 148: return IDS_SHOT_BUSY;
    default: return IDS_SHOT_FAILED;
    }
}

}  // namespace shell
