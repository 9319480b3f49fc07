#include "app/shell/program/camera_messages.h"

#include "clx/app.h"

namespace shell {

bool ShowCameraErrorMessage(int32_t code)
{
    const uint32_t message = GetCameraErrorMessageId(code);
    if (!message)
        return false;
    // The application's box adds the exclamation mark to an OK box.
    AfxMessageBox(message, MB_OK);
    return true;
}

}  // namespace shell
