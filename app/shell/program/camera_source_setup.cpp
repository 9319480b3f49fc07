#include "app/shell/program/camera_source_setup.h"

#include "app/camera/tree/kavo_base.h"

namespace shell {

int32_t SetSourceCapability8146(CKavoBase* source, uint32_t value)
{
    if (value != 1)
        return kCameraBadArgument;
    uint8_t flag = 1;
    return source->CallModule(source, kKavoSet, 0x8146, kKavoDataBool, &flag, nullptr, nullptr);
}

int32_t SetSourceCapability810C(CKavoBase* source, uint32_t value)
{
    if (value != 1 && value != 2)
        return kCameraBadArgument;
    return source->SetListValue(0x810C, value);
}

int32_t SetSourceKeepAwake(CKavoBase* source, uint32_t value)
{
    if (value != 1 && value != 2)
        return kCameraBadArgument;
    return source->SetListValue(0x8107, value - 1);
}

}  // namespace shell
