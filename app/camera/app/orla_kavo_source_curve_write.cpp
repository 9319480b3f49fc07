// Writing the camera's tone curve: the 64-byte block of capability 0x813f,
// then the 2048-entry table of capability 0x29 that the camera applies, made
// from the curve over the camera's base tone.
#include <vector>

#include "app/camera/app/orla_kavo.h"
#include "app/camera/curve/camera_curve_block.h"
#include "app/core/curves/lut_channel.h"
#include "app/core/curves/lut_group.h"
#include "app/core/curves/tone_table.h"
#include "app/core/engine/tone_tables.h"

namespace {

constexpr uint32_t kCapCurveBlock = 0x813f;
constexpr uint32_t kCapCurveTable = 0x29;
constexpr uint32_t kCurveTableEntries = 2048;
constexpr int32_t kBaseToneEntries = 4096;
// The stored tables of mode 1 are the camera's base tone.
constexpr int32_t kBaseToneMode = 1;
// The table the camera applies: the curve with its levels, gamma and map.
constexpr uint32_t kCameraTableFlags = 188;

KavoArrayRecord ByteArray(uint32_t count, void* data)
{
    KavoArrayRecord array = {};
    array.elementType = 2;
    array.elementCount = count;
    array.dimensions[0] = count;
    array.bytesPerElement = 1;
    array.bitsPerElement = 8;
    array.data = data;
    return array;
}

}  // namespace

int32_t COrlaKavoSource::WriteCameraCurve(CQzLutGroup* group)
{
    CQzLutChannel* master = group ? group->GetToneChannelById(0) : nullptr;
    if (!master)
        return kKavoValueNotOffered;
    uint8_t block[kCameraCurveBlockBytes];
    if (CameraCurveBlockFromChannel(*master, block) != 0)
        return kCameraCurveRefused;
    Enter();
    KavoArrayRecord array = ByteArray(kCameraCurveBlockBytes, block);
    int32_t result = CallModule(this, kKavoSet, kCapCurveBlock, kKavoDataArray, &array, nullptr, nullptr);
    if (result == kKavoOk) {
        // The curve over the camera's own base tone, as bytes.
        std::vector<uint16_t> base(kBaseToneEntries);
        BuildToneTable(kBaseToneMode, base.data(), static_cast<int32_t>(GetCameraKind()), GetCapability8156());
        CQzLutChannel channel(*master);
        channel.SetMapTable(base.data(), 2, kBaseToneEntries, 65536, false);
        std::vector<uint8_t> table(kCurveTableEntries);
        BuildTable(&channel, table.data(), 1, kCurveTableEntries, 256, 0.0, 1.0, kCameraTableFlags, 0.0);
        array = ByteArray(kCurveTableEntries, table.data());
        result = CallModule(this, kKavoSet, kCapCurveTable, kKavoDataArray, &array, nullptr, nullptr);
    }
    Leave();
    return result;
}
