// What the curve fuzz targets share: a viewer with the editor's geometry, the
// editing operations run over a channel, and the range checks of tables.
#pragma once

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "app/core/curves/lut_group.h"
#include "app/core/curves/tone_table.h"

namespace core_fuzz {

class Viewer : public CQzLutViewer {
public:
    Viewer()
    {
        geometry.plot = {7, 5, 263, 261};
        geometry.inputStrip = {2, 266, 268, 272};
        geometry.outputStrip = {0, 0, 6, 266};
        geometry.huePlot = {7, 5, 263, 200};
        geometry.offsetStrip = {264, 5, 272, 200};
        geometry.widthStrip = {7, 201, 263, 230};
        geometry.rangeBox = {264, 201, 272, 230};
        geometry.offsetTolerance = 4;
    }
    const LutViewerGeometry& GetGeometry() const override { return geometry; }
    void DragBegan(uint32_t) override {}
    void DragStep(uint32_t) override {}
    void DragEnded(uint32_t) override {}

    LutViewerGeometry geometry;
};

// Mouse positions and keys driven by the input's bytes.
inline void Edit(CQzLutChannelBase& channel, const uint8_t* data, size_t size)
{
    Viewer viewer;
    for (size_t i = 0; i + 2 < size && i < 96; i += 3) {
        const LutPoint mouse{static_cast<int32_t>(data[i]) * 2 - 100, static_cast<int32_t>(data[i + 1]) * 2 - 100};
        switch (data[i + 2] % 12) {
        case 0: channel.TrackMouse(viewer, mouse); break;
        case 1: channel.BeginDrag(viewer, mouse); break;
        case 2: channel.EndDrag(viewer); break;
        case 3: channel.InsertPoint(); break;
        case 4: channel.DeleteSelectedPoint(); break;
        case 5: channel.SelectNextPoint(); channel.NudgePointUp(viewer); break;
        case 6: channel.SelectPreviousPoint(); channel.NudgePointDown(viewer); break;
        case 7: channel.NudgePointLeft(viewer); channel.NudgeBlackLeft(viewer); break;
        case 8: channel.NudgePointRight(viewer); channel.NudgeWhiteRight(viewer); break;
        case 9: channel.NudgeOffsetUp(viewer); channel.NudgeBlackRight(viewer); break;
        case 10: channel.NudgeOffsetDown(viewer); channel.NudgeWhiteLeft(viewer); break;
        default: channel.SetVerticalRange(data[i] % 5); break;
        }
    }
    channel.EndDrag(viewer);
}

// Every table of every kind in range, whatever the channel holds (null: the identity).
inline void CheckTables(CQzLutChannel* channel)
{
    for (uint32_t flags : {0xBCu, 0x3Eu, 0x42u, 0x3Cu, 0xFFu, 0x01u}) {
        std::vector<uint16_t> words(4096);
        BuildTable(channel, words.data(), 2, 4096, 4096, 0.0, 1.0, flags, 1.0);
        for (uint16_t word : words)
            if (word > 4095)
                __builtin_trap();
        std::vector<uint8_t> bytes(256);
        BuildTable(channel, bytes.data(), 1, 256, 300, -0.5, 1.5, flags, 2.2);
        std::vector<double> values(257);
        BuildTable(channel, values.data(), 8, 257, 0, 1.0, 0.0, flags, 0.0);
        for (double value : values)
            if (!(value >= 0.0 && value <= 1.0))
                __builtin_trap();
    }
    if (!channel)
        return;
    std::vector<uint32_t> histogram(256);
    for (size_t i = 0; i < histogram.size(); ++i)
        histogram[i] = static_cast<uint32_t>(i * 7919u);
    channel->SetHistogram(histogram.data(), 256);
    channel->GetOutputHistogram(0x3C);
    channel->SetRange(0.01, 0.01, true);
    channel->GetDisplayTable({7, 5, 263, 261}, true, true);
    LutPoint points[64];
    channel->GetPointPositions({7, 5, 263, 261}, points, 64);
    int32_t columns[3], rows[2];
    channel->GetInputHandlePositions({7, 5, 263, 261}, columns);
    channel->GetOutputHandlePositions({7, 5, 263, 261}, rows);
}

}  // namespace core_fuzz
