#include "app/shell/controls/step_layout.h"

namespace shell {

StepLayout LayOutStepSlider(int32_t width, int32_t height, int32_t clientHeight, int32_t buttonWidth,
                            int32_t buttonHeight)
{
    const int32_t top = (clientHeight - buttonHeight) / 2;
    StepLayout layout;
    layout.leftButton = {0, top, buttonWidth, top + buttonHeight};
    layout.rightButton = {width - buttonWidth, top, width, top + buttonHeight};
    layout.track = {buttonWidth, 0, width - buttonWidth, height};
    return layout;
}

}  // namespace shell
