// Line and colour noise reduction levels: 0 none, 2 low, 3 high.
#pragma once

#include <cstdint>

#include "app/core/settings/qz_state.h"

class CQzNoiseReduction : public IQzState {
public:
    uint32_t lineNoiseReduction = 0;
    uint32_t colourNoiseReduction = 0;

    void Reset() { *this = CQzNoiseReduction(); }

    int32_t GetSize() const override { return GetData(nullptr, 0); }
    int32_t GetData(uint8_t* buffer, int32_t length) const override;
    // Only version 1 is read.
    int32_t SetData(const uint8_t* buffer, int32_t length) override;
};
