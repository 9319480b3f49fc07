// What the curve tests share: a viewer laid out as the curve editor lays out
// a 257-pixel plot (so that mouse positions fall on exact binary fractions),
// which records the drag calls it gets.
#pragma once

#include <gtest/gtest.h>

#include <vector>

#include "app/core/curves/lut_group.h"

namespace curve_test {

class RecordingViewer : public CQzLutViewer {
public:
    RecordingViewer()
    {
        // Tone plot 257 x 257 at (7, 5): u = (x - 7) / 256, v = (261 - y) / 256.
        geometry.plot = {7, 5, 264, 262};
        geometry.inputStrip = {2, 267, 269, 273};
        geometry.outputStrip = {0, 0, 6, 267};
        // Hue plot 256 wide, 200 tall: u = (x - 7) / 256, v = (104 - y) / 100.
        geometry.huePlot = {7, 5, 263, 205};
        geometry.offsetStrip = {264, 5, 272, 205};
        geometry.widthStrip = {7, 206, 263, 226};
        geometry.rangeBox = {264, 206, 272, 226};
        geometry.offsetTolerance = 4;
    }
    const LutViewerGeometry& GetGeometry() const override { return geometry; }
    void DragBegan(uint32_t code) override { began.push_back(code); }
    void DragStep(uint32_t code) override { steps.push_back(code); }
    void DragEnded(uint32_t code) override { ended.push_back(code); }

    LutViewerGeometry geometry;
    std::vector<uint32_t> began, steps, ended;
};

// The mouse over tone-plot position (u, v).
inline LutPoint ToneMouse(double u, double v)
{
    return {static_cast<int32_t>(7 + u * 256), static_cast<int32_t>(261 - v * 256)};
}

inline void SetPoints(CQzLutChannel& channel, std::initializer_list<std::pair<double, double>> points)
{
    LutParameterSet& set = channel.EditWorkingSet();
    set.points.clear();
    for (const auto& [x, y] : points) {
        LutControlPoint point;
        point.x = x;
        point.y = y;
        set.points.push_back(point);
    }
}

inline std::vector<double> PointXs(const CQzLutChannel& channel)
{
    std::vector<double> xs;
    for (const LutControlPoint& point : channel.GetWorkingSet().points)
        xs.push_back(point.x);
    return xs;
}

}  // namespace curve_test
