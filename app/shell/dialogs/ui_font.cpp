#include "app/shell/dialogs/ui_font.h"

#include "app/shell/dialogs/layout_metrics.h"

namespace shell {

namespace {

struct UiFont {
    HFONT font = nullptr;
    int32_t height = 0;
    int32_t charWidth = 0;
    bool measured = false;
};

UiFont& Current()
{
    static UiFont current;
    return current;
}

void Measure(UiFont& ui, HFONT font)
{
    ui.font = font ? font : static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
    HDC dc = ::GetDC(nullptr);
    HGDIOBJ previous = ::SelectObject(dc, ui.font);
    TEXTMETRICA metrics{};
    if (!::GetTextMetricsA(dc, &metrics)) {
        // A 96-dpi system font's size, so that nothing is laid out at zero.
        metrics.tmHeight = 16;
        metrics.tmAveCharWidth = 7;
    }
    ::SelectObject(dc, previous);
    ::ReleaseDC(nullptr, dc);
    ui.height = metrics.tmHeight;
    ui.charWidth = metrics.tmAveCharWidth;
    ui.measured = true;
}

const UiFont& Measured()
{
    UiFont& ui = Current();
    if (!ui.measured)
        Measure(ui, nullptr);
    return ui;
}

}  // namespace

void SetUiFont(HFONT font)
{
    Measure(Current(), font);
}

HFONT GetUiFont() { return Measured().font; }
int32_t GetUiFontHeight() { return Measured().height; }
int32_t GetUiCharWidth() { return Measured().charWidth; }

int32_t LayoutEditHeight() { return LayoutEditHeightFor(GetUiFontHeight()); }
int32_t LayoutComboExtraWidth() { return LayoutComboExtraWidthFor(GetUiFontHeight(), ::GetSystemMetrics(SM_CXVSCROLL)); }
int32_t LayoutLineSpacing() { return LayoutLineSpacingFor(GetUiFontHeight()); }
int32_t LayoutGapLarge() { return LayoutGapLargeFor(GetUiFontHeight()); }
int32_t LayoutGapSmall() { return LayoutGapSmallFor(GetUiFontHeight()); }

}  // namespace shell
