// The camera's user tone curve as the camera keeps it: a small byte block
// ('I', '_', four levels, gamma, the point count and the points), read into
// and written from the master channel of a curve group.
#pragma once

#include <cstdint>

class CQzLutChannel;
class CQzLutGroup;

constexpr uint32_t kCameraCurveBlockBytes = 64;
constexpr uint32_t kCameraCurveHeaderBytes = 9;
constexpr uint32_t kCameraCurveMinPoints = 2;
constexpr uint32_t kCameraCurveMaxPoints = 20;
// The result for a block that is not a camera tone curve.
constexpr int32_t kCameraCurveRefused = -125;

// The block (of length bytes, never read past) into the group's channel 0:
// 0, or -125 for a null, short or malformed block, which leaves the group
// reset.
int32_t CameraCurveBlockToLutGroup(CQzLutGroup* group, const uint8_t* block, uint32_t length);
// The master channel as a 64-byte block; -125 when it has more points than
// the block holds.
int32_t CameraCurveBlockFromChannel(const CQzLutChannel& channel, uint8_t block[kCameraCurveBlockBytes]);
// Makes the conversion the one the image pipeline uses for curves in images.
void InstallCameraCurveConverter();
