// The spacing rules of control points under the keys and the mouse, shared by
// tone-curve and hue points: points stay 0.01 apart in x, and a point moved
// closer than that to a neighbour hops past it into the first gap wide enough
// (0.02) to hold it.
#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

#include "app/core/curves/curve_math.h"

namespace qz {

inline constexpr double kPointGap = 0.01;
inline constexpr double kInsertGap = 0.02;

// `Point` has a double member named by `x`.
template <class Point>
int32_t PlacePoint(std::vector<Point>& points, int32_t from, int32_t to, double x, double Point::*member)
{
    Point moved = points[from];
    moved.*member = x;
    points.erase(points.begin() + from);
    points.insert(points.begin() + to, moved);
    return to;
}

// Moves point `index` to the left towards `target`; answers its new index.
template <class Point>
int32_t MovePointLeft(std::vector<Point>& points, int32_t index, double target, double Point::*x)
{
    target = Limit(target, 0.0, 1.0);
    if (index == 0 || target - points[index - 1].*x >= kPointGap) {
        points[index].*x = target;
        return index;
    }
    for (int32_t k = index - 1; k >= 1; --k) {
        if (points[k].*x - points[k - 1].*x >= kInsertGap)
            return PlacePoint(points, index, k, points[k].*x - kPointGap, x);
    }
    if (points[0].*x >= kPointGap)
        return PlacePoint(points, index, 0, points[0].*x - kPointGap, x);
    points[index].*x = points[index - 1].*x + kPointGap;
    return index;
}

// The mirror of MovePointLeft.
template <class Point>
int32_t MovePointRight(std::vector<Point>& points, int32_t index, double target, double Point::*x)
{
    target = Limit(target, 0.0, 1.0);
    const int32_t last = static_cast<int32_t>(points.size()) - 1;
    if (index == last || points[index + 1].*x - target >= kPointGap) {
        points[index].*x = target;
        return index;
    }
    for (int32_t k = index + 1; k <= last - 1; ++k) {
        if (points[k + 1].*x - points[k].*x >= kInsertGap)
            return PlacePoint(points, index, k, points[k].*x + kPointGap, x);
    }
    if (points[last].*x <= 1.0 - kPointGap)
        return PlacePoint(points, index, last, points[last].*x + kPointGap, x);
    points[index].*x = points[index + 1].*x - kPointGap;
    return index;
}

// A drag: the point follows the mouse, hopping past a neighbour as the keys
// do, and stays 0.01 inside the neighbours it ends between.
template <class Point>
int32_t DragPointTo(std::vector<Point>& points, int32_t index, double target, double Point::*x)
{
    index = target < points[index].*x ? MovePointLeft(points, index, target, x)
                                      : MovePointRight(points, index, target, x);
    double value = points[index].*x;
    if (index + 1 < static_cast<int32_t>(points.size()))
        value = std::min(value, points[index + 1].*x - kPointGap);
    if (index > 0)
        value = std::max(value, points[index - 1].*x + kPointGap);
    points[index].*x = value;
    return index;
}

}  // namespace qz
