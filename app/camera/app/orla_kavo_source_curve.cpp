// Reading the camera's tone curve: the block of capability 0x813f into the
// group's master channel, and the camera kind it was made for.
#include <cstring>
#include <memory>
#include <new>
#include <vector>

#include "app/camera/app/orla_kavo.h"
#include "app/camera/caps/kavo_list_decode.h"
#include "app/camera/curve/camera_curve_block.h"
#include "app/core/curves/lut_channel.h"
#include "app/core/curves/lut_group.h"

namespace {

constexpr uint32_t kCapCurveBlock = 0x813f;

}  // namespace

uint32_t COrlaKavoSource::GetCameraKind()
{
    CQzString name;
    if (GetCap9String(&name) != kKavoOk)
        return 0;
    if (std::strcmp(name, "M4") == 0)
        return 1;
    if (std::strcmp(name, "M4H") == 0)
        return 2;
    if (std::strcmp(name, "M4X") == 0)
        return 3;
    return 0;
}

int32_t COrlaKavoSource::ReadCameraCurve(CQzLutGroup* group)
{
    if (!group)
        return kKavoValueNotOffered;
    Enter();
    std::vector<uint8_t> block;
    KavoArrayRecord array = {};
    if (CallModule(this, kKavoGet, kCapCurveBlock, kKavoDataArray, &array, nullptr, nullptr) == kKavoOk) {
        // The module's count and width: the buffer holds what it will write.
        size_t bytes = 0;
        if (KavoBlockBytes(array.elementCount, array.bytesPerElement, &bytes)) {
            try {
                block.assign(bytes, 0);
            } catch (const std::bad_alloc&) {
                block.clear();
            }
        }
        if (!block.empty()) {
            array.data = block.data();
            if (CallModule(this, kKavoGetArray, kCapCurveBlock, kKavoDataArray, &array, nullptr, nullptr) != kKavoOk)
                block.clear();
        }
    }
    const int32_t result =
        CameraCurveBlockToLutGroup(group, block.empty() ? nullptr : block.data(), static_cast<uint32_t>(block.size()));
    Leave();
    return result;
}
