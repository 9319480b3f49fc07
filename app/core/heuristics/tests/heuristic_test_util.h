// Set-ups shared by the heuristic tests.
#pragma once

#include <memory>

#include "app/core/heuristics/locked_heuristics.h"

namespace heuristic_test {

inline constexpr QzMeasure kPpi(double value)
{
    return QzMeasure{value, 1};
}

// A source of width x height (the doubled frame) shown whole at 300 within 1
// to 600 pixels per inch, turned into the kind of `make`.
inline std::unique_ptr<CHeuristic> Made(double width, double height, int32_t (*make)(CHeuristic**))
{
    CHeuristic* h = new CHDevSetup(width, height, kPpi(300), kPpi(1), kPpi(600));
    make(&h);
    h->ClearFlags(0xFFF);
    return std::unique_ptr<CHeuristic>(h);
}

}  // namespace heuristic_test
