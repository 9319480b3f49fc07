// White balance: two channel gains with the mode they came from.
#pragma once

#include <cstdint>

#include "app/core/settings/qz_state.h"

class CQzWBAdjustment : public IQzState {
public:
    // Red and blue multipliers in the scale of the camera's recorded gains; 0.0: not set.
    double gain1 = 0.0;
    double gain2 = 0.0;
    uint32_t mode = 1;                 // 1 gray point, 2 recorded value, 3 light source
    uint32_t lightSource = 0;          // the light source code of mode 3
    uint16_t colourTemperature = 0;    // kelvin, mode 3

    void Reset() { *this = CQzWBAdjustment(); }

    int32_t GetSize() const override { return GetData(nullptr, 0); }
    int32_t GetData(uint8_t* buffer, int32_t length) const override;
    // Version 0 (or a blob too short to hold one) is refused.
    int32_t SetData(const uint8_t* buffer, int32_t length) override;
};
