#include "app/camera/curve/camera_curve_block.h"

#include <algorithm>
#include <cstring>

#include "app/core/curves/lut_channel.h"
#include "app/core/curves/lut_group.h"
#include "app/core/engine/seams/camera_curve.h"

namespace {

// A byte stands for byte / 255 in the group's 0 to 1 scale.
double Level(uint8_t byte)
{
    return byte / 255.0;
}

// The other way: × 255 + 0.5, truncated, kept within a byte.
uint8_t Byte(double fraction)
{
    const double scaled = fraction * 255.0 + 0.5;
    return static_cast<uint8_t>(std::clamp(scaled, 0.0, 255.0));
}

// The levels keep at least this much between low and high.
constexpr double kMinimumSpan = 0.01;

}  // namespace

int32_t CameraCurveBlockToLutGroup(CQzLutGroup* group, const uint8_t* block, uint32_t length)
{
    if (!group)
        return kCameraCurveRefused;
    group->Reset(true);
    CQzLutChannel* channel = group->GetToneChannelById(0);
    if (!channel || !block || length < kCameraCurveHeaderBytes || block[0] != 'I' || block[1] != '_')
        return kCameraCurveRefused;
    const uint32_t count = block[8];
    if (count < kCameraCurveMinPoints || count > kCameraCurveMaxPoints ||
        length < kCameraCurveHeaderBytes + 2 * count) {
        group->Reset(true);
        return kCameraCurveRefused;
    }
    for (uint32_t i = 0; i < count; ++i) {
        const uint8_t* point = block + kCameraCurveHeaderBytes + 2 * i;
        channel->AddPoint(Level(point[0]), Level(point[1]));
    }
    // Each level is limited by the one set before it, in this order.
    LutParameterSet& levels = channel->EditWorkingSet();
    levels.inputBlack = std::min(Level(block[2]), levels.inputWhite - kMinimumSpan);
    levels.inputWhite = std::max(Level(block[3]), levels.inputBlack + kMinimumSpan);
    levels.outputBlack = std::min(Level(block[4]), levels.outputWhite - kMinimumSpan);
    levels.outputWhite = std::max(Level(block[5]), levels.outputBlack + kMinimumSpan);
    const double gamma = block[6] + block[7] * 0.01;
    if (gamma < channel->GetGammaMinimum() || gamma > channel->GetGammaMaximum()) {
        group->Reset(true);
        return kCameraCurveRefused;
    }
    channel->SetGamma(gamma);
    return 0;
}

int32_t CameraCurveBlockFromChannel(const CQzLutChannel& channel, uint8_t block[kCameraCurveBlockBytes])
{
    std::memset(block, 0, kCameraCurveBlockBytes);
    const LutParameterSet& set = channel.GetWorkingSet();
    const uint32_t count = static_cast<uint32_t>(set.points.size());
    if (count > kCameraCurveMaxPoints)
        return kCameraCurveRefused;
    block[0] = 'I';
    block[1] = '_';
    block[2] = Byte(set.inputBlack);
    block[3] = Byte(set.inputWhite);
    block[4] = Byte(set.outputBlack);
    block[5] = Byte(set.outputWhite);
    const double gamma = std::clamp(set.gamma, 0.0, 255.0);
    const double whole = static_cast<double>(static_cast<uint32_t>(gamma));
    block[6] = static_cast<uint8_t>(whole);
    block[7] = static_cast<uint8_t>(std::min((gamma - whole) * 100.0 + 0.5, 255.0));
    block[8] = static_cast<uint8_t>(count);
    for (uint32_t i = 0; i < count; ++i) {
        block[kCameraCurveHeaderBytes + 2 * i] = Byte(set.points[i].x);
        block[kCameraCurveHeaderBytes + 2 * i + 1] = Byte(set.points[i].y);
    }
    return 0;
}

void InstallCameraCurveConverter()
{
    SetCameraCurveConverter(&CameraCurveBlockToLutGroup);
}
