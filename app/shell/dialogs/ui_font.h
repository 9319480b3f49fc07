// The user-interface font in which dialogs and pages draw the controls they
// build in code, with the layout metrics measured from it. The application
// hands its font over once at start-up; until then the system's GUI font
// stands in.
#pragma once

#include <windows.h>

#include <cstdint>

namespace shell {

// Measures `font` (height and average character width) and keeps it; the
// caller keeps owning the font. Null goes back to the system's GUI font.
void SetUiFont(HFONT font);
HFONT GetUiFont();
int32_t GetUiFontHeight();
int32_t GetUiCharWidth();

int32_t LayoutEditHeight();
int32_t LayoutComboExtraWidth();
int32_t LayoutLineSpacing();
int32_t LayoutGapLarge();
int32_t LayoutGapSmall();

}  // namespace shell
