// The palette target: what the active image window hands to the palettes by
// the main window's palette-target message (wParam the kind, lParam the
// record or null). Kinds: 0 no image, 1 one image (with its record), 2
// several selected thumbnails.
#pragma once

#include <cstdint>

using PaletteTargetKind = int32_t;

inline constexpr PaletteTargetKind kTargetNone = 0;
inline constexpr PaletteTargetKind kTargetOne = 1;
inline constexpr PaletteTargetKind kTargetSeveral = 2;

inline constexpr uint32_t kWmSetPaletteTarget = 0x8006;
