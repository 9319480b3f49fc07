// WM_PROGRESS, the one message of the progress window: the command in the
// low 16 bits of wParam, its value in lParam; every command answers 0.
// Commands 0 to 2 carry plain numbers and may come from any thread; command 3
// carries a pointer and only the main frame sends it.
#pragma once

#include <cstdint>

namespace shell {

constexpr uint32_t kProgressMessage = 0x8016;  // WM_PROGRESS

enum ProgressCommand : uint32_t {
  kProgressBegin = 0,        // lParam: steps (low 16 bits), caption string id (high 16 bits)
  kProgressStep = 1,         // lParam: 0
  kProgressSetFraction = 2,  // lParam: share of the current step in ten-thousandths
  kProgressPlace = 3,        // lParam: the pane's RECT in the frame's client coordinates, or 0
};

// lParam of a begin: a run of `steps` (0 ends any run) captioned with string
// `captionId` (0: no caption).
constexpr uint32_t MakeProgressBegin(uint16_t steps, uint16_t captionId) {
  return static_cast<uint32_t>(steps) | (static_cast<uint32_t>(captionId) << 16);
}

// lParam of a set-fraction from a (done, total) pair of the engine or the
// camera: done x 10000 / (total + 1), truncated. Worked in double, so a total
// of 0xFFFFFFFF does not wrap to a division by zero; kept within 0..10000.
int32_t ProgressFractionParam(double done, double total);

}  // namespace shell
