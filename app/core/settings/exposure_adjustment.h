// The advanced raw adjustment: exposure compensation, tone compensation,
// colour mode, sharpening and hue. 0 in the choice fields means "Unchanged":
// the camera's recorded setting stands.
#pragma once

#include <cstdint>

#include "app/core/settings/qz_state.h"

class CQzExposureAdjustment : public IQzState {
public:
    int16_t exposureCompensation = 0;  // hundredths of an EV
    uint32_t toneCompensation = 0;     // 1 normal, 2 less contrast, 3 more contrast, 4 custom curve
    uint32_t colourMode = 0;           // 1 mode I, 2 mode II, 3 M4 mode
    uint32_t sharpening = 0;           // 1 none, 2 low, 3 normal, 4 high
    uint8_t hueAdjustmentOn = 0;
    uint32_t hueLevel = 3;  // 0..6: a turn of level * 3 - 9 degrees

    void Reset() { *this = CQzExposureAdjustment(); }
    bool IsDefault() const;

    int32_t GetSize() const override { return GetData(nullptr, 0); }
    int32_t GetData(uint8_t* buffer, int32_t length) const override;
    // Version 0 (or a blob too short to hold one) puts every field back to its default.
    int32_t SetData(const uint8_t* buffer, int32_t length) override;
};
