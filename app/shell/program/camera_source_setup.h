// The three settings start-up gives a camera source when it appears. The
// camera layer's source object does not offer them yet; they go to the
// module through its entry as the capabilities' own calls.
#pragma once

#include <cstdint>

class CKavoBase;

namespace shell {

constexpr int32_t kCameraBadArgument = -245;

// Capability 0x8146 set to the value (1 only).
int32_t SetSourceCapability8146(CKavoBase* source, uint32_t value);
// Capability 0x810C set to 1 or 2.
int32_t SetSourceCapability810C(CKavoBase* source, uint32_t value);
// 1: the camera may sleep after 15 minutes; 2: it stays awake (capability
// 0x8107 to 0 or 1). Any other value: -245 and no call.
int32_t SetSourceKeepAwake(CKavoBase* source, uint32_t value);

}  // namespace shell
