// The processing engine's tables of a curves group: red, green and blue, 4096
// 16-bit entries each, every channel with 20 control points, input and output
// levels and a gamma, combined with a master curve of its own points, levels
// and gamma. Each round marks the slopes dirty, as an edit does, so the spline
// solve is timed with the evaluation. Target: the three tables under 1 ms.
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "app/core/curves/lut_group.h"
#include "app/core/curves/tone_table.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int32_t kEntries = 4096;
constexpr int kPoints = 20;
constexpr int kRounds = 400;

// A wavy rising curve through `kPoints` points, different for each channel.
void Shape(CQzLutChannel& channel, int seed)
{
    LutParameterSet& set = channel.EditWorkingSet();
    set.points.clear();
    for (int i = 0; i < kPoints; ++i) {
        LutControlPoint point;
        point.x = i / (kPoints - 1.0);
        point.y = std::clamp(point.x + 0.04 * (((i * 7 + seed * 3) % 5) - 2) / 2.0, 0.0, 1.0);
        set.points.push_back(point);
    }
    set.inputBlack = 0.02 + 0.01 * seed;
    set.inputWhite = 0.97 - 0.01 * seed;
    set.outputBlack = 0.01;
    set.outputWhite = 0.99;
    set.gamma = 0.8 + 0.2 * seed;
}

}  // namespace

int main()
{
    CQzLutGroup group;
    Shape(*group.GetToneChannelById(0), 0);
    CQzLutChannel* colours[3];
    for (uint32_t id = 1; id <= 3; ++id) {
        colours[id - 1] = group.AddChannel(id, {}, {}, {});
        Shape(*colours[id - 1], static_cast<int>(id));
    }
    const uint32_t flags = kLutMasterCombine | kLutInputLevels | kLutOutputLevels | kLutPointCurve | kLutGammaTerm;
    std::vector<uint16_t> tables[3];
    for (std::vector<uint16_t>& table : tables)
        table.resize(kEntries);

    std::vector<double> times;
    uint64_t check = 0;
    for (int round = 0; round < kRounds; ++round) {
        for (uint32_t id = 0; id <= 3; ++id)
            group.GetToneChannelById(id)->EditWorkingSet();
        const Clock::time_point start = Clock::now();
        for (int c = 0; c < 3; ++c)
            BuildTable(colours[c], tables[c].data(), 2, kEntries, kEntries, 0.0, 1.0, flags, 0.0);
        times.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
        check += tables[0][kEntries / 3] + tables[1][kEntries / 2] + tables[2][kEntries - 7];
    }
    std::sort(times.begin(), times.end());
    const double median = times[times.size() / 2];
    std::printf("Tessaline tone tables: 3 x %d 16-bit entries, %d points, levels, gamma, master combine\n", kEntries,
                kPoints);
    std::printf("  %-34s %10s %10s %10s\n", "", "median ms", "best ms", "target");
    std::printf("  %-34s %10.3f %10.3f %10s  %s\n", "BuildTable, three colour channels", median, times.front(),
                "< 1 ms", median < 1.0 ? "met" : "MISSED");
    std::printf("  (checksum %llu)\n\n", static_cast<unsigned long long>(check));
    return 0;
}
