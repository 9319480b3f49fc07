#include "app/shell/program/camera_messages.h"

#include "app/shell/program/program_ids.h"
#include "app/core/text/string_resource.h"

namespace shell {

namespace {

// The frame's string: every camera page says it when there is no camera.
constexpr uint32_t kCameraNotFound = qz::StringId(16544);

}  // namespace

uint32_t GetCameraErrorMessageId(int32_t code)
{
    switch (code) {
    case 0: return 0;
    case 132: return IDS_CAMERA_CARD;
    case 134: return kCameraNotFound;
    case 147: return IDS_CAMERA_BATTERY;
    default: return IDS_CAMERA_ERROR;
    }
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
