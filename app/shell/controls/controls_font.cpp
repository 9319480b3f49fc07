#include "app/shell/controls/controls_font.h"

namespace shell {

namespace {
HFONT g_font = nullptr;  // the application's; never deleted here
}

void SetControlsFont(HFONT font)
{
    g_font = font;
}

HFONT ControlsFont()
{
    return g_font ? g_font : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

}  // namespace shell
