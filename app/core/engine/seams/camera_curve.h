// The camera's own tone curve (maker-note tag 0x8008C, a 4160-byte block)
// turned into a curve group. The conversion belongs to camera control, which
// installs it; until then every block counts as unusable.
#pragma once

#include <cstdint>

class CQzLutGroup;

inline constexpr uint32_t kCameraCurveBytes = 4160;

// 0 on success, a negative code when the block cannot be used; length is the
// block's bytes, which the conversion never reads past.
using CameraCurveConverter = int32_t (*)(CQzLutGroup* group, const uint8_t* block, uint32_t length);

void SetCameraCurveConverter(CameraCurveConverter converter);
int32_t SetLutGroupFromCameraCurve(CQzLutGroup* group, const uint8_t* block, uint32_t length);
