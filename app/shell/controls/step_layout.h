// Where the stepped slider puts its two step buttons and its track bar.
#pragma once

#include <cstdint>

namespace shell {

struct StepRect {
    int32_t left = 0, top = 0, right = 0, bottom = 0;
};

struct StepLayout {
    StepRect leftButton;
    StepRect rightButton;
    StepRect track;
};

// A slider of width x height (client height `clientHeight`) with step
// buttons of buttonWidth x buttonHeight, centred vertically at its ends; the
// track bar takes the width between them and the full height.
StepLayout LayOutStepSlider(int32_t width, int32_t height, int32_t clientHeight, int32_t buttonWidth,
                            int32_t buttonHeight);

}  // namespace shell
