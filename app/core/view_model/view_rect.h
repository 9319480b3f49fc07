// A rectangle of the view helpers: half-open, left and top inclusive.
#pragma once

#include <cstdint>

namespace qz {

struct ViewRect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;

    friend bool operator==(const ViewRect&, const ViewRect&) = default;
};

}  // namespace qz
