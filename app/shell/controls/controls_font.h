// The program's user-interface font as the controls see it: the application
// hands it over when it makes it; until then the system's GUI font stands in.
#pragma once

#include <windows.h>

namespace shell {

void SetControlsFont(HFONT font);
HFONT ControlsFont();

}  // namespace shell
