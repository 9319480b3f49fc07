// What the camera-control settings need of a camera source: each setting's
// value in the numbering of the source's accessors, keyed by the camera
// capability that carries it, and whether the camera offers and lets the
// program set that capability. The camera layer implements it.
#pragma once

#include <cstdint>

class IQzCameraSettingSource {
public:
    virtual bool HasCapability(uint32_t capability) = 0;
    // The capability offers the set operation.
    virtual bool CanSetCapability(uint32_t capability) = 0;
    // The current value; 0 when it cannot be read.
    virtual uint32_t GetSetting(uint32_t capability) = 0;
    // 0, or the camera's negative result code.
    virtual int32_t SetSetting(uint32_t capability, uint32_t value) = 0;

protected:
    ~IQzCameraSettingSource() = default;
};
