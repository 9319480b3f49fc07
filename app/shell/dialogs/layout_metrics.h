// The units in which dialogs and pages lay out the controls they build in
// code: pixels derived from the user-interface font's height H, and the
// window styles of those controls. Pure arithmetic; the Win32 side
// (ui_font.h) feeds it the measured font.
#pragma once

#include <cstdint>

namespace shell {

// One-line field, check box and button height.
constexpr int32_t LayoutEditHeightFor(int32_t fontHeight) { return fontHeight + 4; }
// Added to the widest caption of check boxes and radio buttons (the box itself).
constexpr int32_t kLayoutCheckPadding = 24;
// Added to the widest entry of a drop-down list (arrow button and borders).
constexpr int32_t LayoutComboExtraWidthFor(int32_t fontHeight, int32_t scrollBarWidth)
{
    return 2 * fontHeight + scrollBarWidth + 8;
}
constexpr int32_t LayoutLineSpacingFor(int32_t fontHeight) { return 14 * fontHeight / 8; }
constexpr int32_t kLayoutMargin = 8;
// 20 for anything up to 21: no control is laid out smaller.
constexpr int32_t LayoutMinSize(int32_t value) { return value <= 21 ? 20 : value; }
constexpr int32_t LayoutGapLargeFor(int32_t fontHeight) { return 7 * fontHeight / 8; }
constexpr int32_t LayoutGapSmallFor(int32_t fontHeight) { return 3 * fontHeight / 8; }

// The process-wide layout minimum, constant-initialised so that it holds
// before any code of the program runs.
extern const int32_t g_layoutMinimum;

// Styles of controls made in code.
constexpr uint32_t kChildWindowStyle = 0x54000000;  // WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS
constexpr uint32_t kEditStyle = kChildWindowStyle | 0x30080;
constexpr uint32_t kCheckBoxStyle = kChildWindowStyle | 0x30003;
// No WS_GROUP: consecutive radio buttons form one group.
constexpr uint32_t kRadioButtonStyle = kChildWindowStyle | 0x10009;
constexpr uint32_t kLabelStyle = kChildWindowStyle | 0x2028C;
constexpr uint32_t kCenteredLabelStyle = kChildWindowStyle | 0x20281;
constexpr uint32_t kRightLabelStyle = kChildWindowStyle | 0x20282;
constexpr uint32_t kPushButtonStyle = kChildWindowStyle | 0x30000;
constexpr uint32_t kListBoxStyle = kChildWindowStyle | 0x230101;
constexpr uint32_t kDropListStyle = kChildWindowStyle | 0x230003;
// A push-button window whose low byte is 7 (BS_GROUPBOX).
constexpr uint32_t kGroupBoxStyle = (kPushButtonStyle & ~0xFFu) | 7;
constexpr uint32_t kSunken = 0x1000;  // SS_SUNKEN
constexpr uint32_t kPathDisplayStyle = kLabelStyle | kSunken;
constexpr uint32_t kOwnerDrawDisplayStyle = kChildWindowStyle | 0x100D;  // SS_OWNERDRAW | SS_SUNKEN
// A label whose text wraps at its width (no prefix processing).
constexpr uint32_t kWrappedLabelStyle = kChildWindowStyle | 0x20080;

// Context help: a dialog's topic, and a control's topic inside a dialog.
constexpr uint32_t DialogHelpTopic(uint32_t helpId) { return 0x20000000u + helpId; }
constexpr uint32_t ControlHelpTopic(uint32_t helpId, uint32_t controlId)
{
    return ((helpId + 0x3000u) << 16) + controlId;
}

}  // namespace shell
