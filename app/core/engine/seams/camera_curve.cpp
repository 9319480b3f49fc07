#include "app/core/engine/seams/camera_curve.h"

namespace {

// Camera control answers -242 (general failure) until it provides its own.
int32_t NoConverter(CQzLutGroup*, const uint8_t*, uint32_t) { return -242; }

CameraCurveConverter gConverter = NoConverter;

}  // namespace

void SetCameraCurveConverter(CameraCurveConverter converter) { gConverter = converter ? converter : NoConverter; }

int32_t SetLutGroupFromCameraCurve(CQzLutGroup* group, const uint8_t* block, uint32_t length)
{
    if (!group)
        return -242;
    return gConverter(group, block, length);
}
