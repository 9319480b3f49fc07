// A window's stored position: its restored rectangle and show command, kept
// as a 20-byte REG_BINARY value of little-endian 32-bit integers.
#pragma once

#include <cstddef>
#include <cstdint>

namespace shell {

struct WindowPositionRecord {
    int32_t left;
    int32_t top;
    int32_t width;
    int32_t height;
    int32_t showCommand;
};

constexpr size_t kWindowPositionBytes = 20;
static_assert(sizeof(WindowPositionRecord) == kWindowPositionBytes);

void PackWindowPosition(const WindowPositionRecord& record, uint8_t (&bytes)[kWindowPositionBytes]);
WindowPositionRecord UnpackWindowPosition(const uint8_t (&bytes)[kWindowPositionBytes]);

struct WindowBounds {
    int32_t left;
    int32_t top;
    int32_t right;
    int32_t bottom;
};

// Moves the window inside the bounds, then shrinks what still sticks out;
// the left and top edges win over the right and bottom ones.
void FitWindowPosition(WindowPositionRecord& record, const WindowBounds& bounds);

}  // namespace shell
