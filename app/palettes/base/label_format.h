// How a palette draws a windowless label: the DrawText format of its style
// word (a static control's style bits).
#pragma once

#include <cstdint>

inline constexpr uint32_t kLabelVisible = 0x10000000;
inline constexpr uint32_t kLabelCentre = 1;
inline constexpr uint32_t kLabelRight = 2;
inline constexpr uint32_t kLabelNoPrefix = 0x80;
inline constexpr uint32_t kLabelVCentre = 0x200;

// DT_SINGLELINE, DT_NOPREFIX for 0x80, DT_VCENTER for 0x200, DT_CENTER or
// DT_RIGHT only when the low five bits are exactly 1 or 2.
uint32_t LabelDrawFormat(uint32_t style);
