// The help topic numbers of a palette: the palette itself, a control on it,
// or an item of a menu it tracked.
#pragma once

#include <cstdint>

// What a window without a control id reports.
inline constexpr uint32_t kPaletteNoControlId = 0xFFFF;

// The palette (control id 0) or one of its controls.
uint32_t PaletteHelpTopic(uint32_t helpId, uint32_t controlId);
uint32_t PaletteMenuHelpTopic(uint32_t commandId);

// Help mode's hit test: 0 without a help id; the palette's topic over the
// palette itself, over nothing, or over a child without an id; else the
// control's.
uint32_t PaletteHitTestTopic(uint32_t helpId, bool overChild, uint32_t childId);
