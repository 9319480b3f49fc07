#include "app/core/engine/white_balance.h"

#include <array>
#include <cmath>

#include "app/core/engine/seams/engine_lock.h"
#include "app/core/engine/image_open.h"

namespace {

// The tables run in even steps of 1.3 mired. Their measured rows are the
// ones given below; rows between them follow the rule GetWBModeGains uses
// between keys, a straight line in reciprocal temperature.
constexpr int32_t kMainRows = 235;
constexpr int32_t kDaylightRows = 78;
constexpr double kMiredStep = 1.3;
constexpr double kMainFirstMired = 414.5;
constexpr double kDaylightFirstMired = 233.8;

struct Anchor {
    int32_t row;
    int16_t values[6];
};
constexpr Anchor kMainAnchors[] = {
    {0, {1210, 2362, 1392, 4172, 1072, 3199}},
    {1, {1208, 2358, 1389, 4142, 1077, 3193}},
    {234, {2847, 1000, 2723, 1131, 3521, 1417}},
};
constexpr Anchor kDaylightAnchors[] = {
    {0, {1962, 1228}},
    {77, {2991, 1000}},
};

template <size_t Rows, size_t Stride, size_t Anchors>
std::array<int16_t, Rows * Stride> MakeTable(double firstMired, const Anchor (&anchors)[Anchors])
{
    std::array<int16_t, Rows * Stride> table{};
    size_t span = 0;
    for (size_t row = 0; row < Rows; ++row) {
        while (span + 2 < Anchors && static_cast<size_t>(anchors[span + 1].row) <= row)
            ++span;
        const Anchor& lo = anchors[span];
        const Anchor& hi = anchors[span + 1];
        const double f = static_cast<double>(static_cast<int32_t>(row) - lo.row) / (hi.row - lo.row);
        int16_t* out = &table[row * Stride];
        out[0] = static_cast<int16_t>(std::lround(1e6 / (firstMired - kMiredStep * static_cast<double>(row))));
        for (size_t c = 1; c < Stride; ++c)
            out[c] = static_cast<int16_t>(std::lround(lo.values[c - 1] + (hi.values[c - 1] - lo.values[c - 1]) * f));
    }
    return table;
}

const std::array<int16_t, kMainRows * 7>& MainTable()
{
    static const auto table = MakeTable<kMainRows, 7>(kMainFirstMired, kMainAnchors);
    return table;
}

const std::array<int16_t, kDaylightRows * 3>& DaylightTable()
{
    static const auto table = MakeTable<kDaylightRows, 3>(kDaylightFirstMired, kDaylightAnchors);
    return table;
}

struct NoiseRow {
    int32_t code;
    int32_t level;
};
constexpr NoiseRow kNoiseM4[] = {{200, 3},  {250, 3},  {280, 4},  {320, 4},   {400, 4},   {500, 4},  {570, 6}, {630, 6},
                                 {800, 6},  {1010, 6}, {1130, 7}, {1270, 7},  {1600, 7},  {-1, 15},  {-2, 30}};
constexpr NoiseRow kNoiseM4X[] = {{125, 3}, {140, 4}, {160, 4}, {200, 4}, {250, 4}, {280, 6}, {320, 6},
                                  {400, 6}, {500, 6}, {570, 7}, {630, 7}, {800, 7}, {-1, 15}, {-2, 30}};

}  // namespace

WbTable GetMainWbTable() { return {MainTable().data(), kMainRows, 7}; }

WbTable GetDaylightWbTable() { return {DaylightTable().data(), kDaylightRows, 3}; }

int32_t GetWBModeKelvin(int32_t mode)
{
    switch (mode) {
    case 256: return 3000;
    case 512: return 5200;
    case 513: return 8000;
    case 514: return 6000;
    case 1280: return 5400;
    case 4098: return 4200;
    default: return 0;
    }
}

void GetWBModeGains(int32_t mode, int32_t k, double* red, double* blue)
{
    double r = 1.0, b = 1.0;
    WbTable table{};
    int32_t column = 0;
    if (mode == 1280) {
        table = GetDaylightWbTable();
        column = 1;
    } else if (mode >= 1024 && mode <= 1028) {
        table = GetMainWbTable();
        column = 3;
    } else if (mode == 256 || (mode >= 512 && mode <= 514)) {
        table = GetMainWbTable();
        column = 1;
    } else if ((mode >= 768 && mode <= 772) || mode == 4098) {
        table = GetMainWbTable();
        column = 5;
    }
    if (table.values && k > 0) {
        int32_t row = 1;
        while (row < table.rows - 1 && table.values[row * table.stride] < k)
            ++row;
        const int16_t* hi = table.values + row * table.stride;
        const int16_t* lo = hi - table.stride;
        const double t = (static_cast<double>(hi[0]) / k) * (k - lo[0]) / (hi[0] - lo[0]);
        r = (lo[column] + (hi[column] - lo[column]) * t) * 0.001;
        b = (lo[column + 1] + (hi[column + 1] - lo[column + 1]) * t) * 0.001;
    }
    if (red)
        *red = r;
    if (blue)
        *blue = b;
}

double UsableMultiplier(double value) { return std::isfinite(value) && value > 0.0 ? value : 1.0; }

int32_t GetSensitivityCode(const IVorlatTagControl* tags)
{
    CEngineLockHold hold;
    uint16_t pair[2] = {};
    if (!tags || !ReadTagBytes(tags, kTagSensitivity, kTagTypeIsoPair, sizeof pair, pair))
        return 0;
    if (pair[0] == 0)
        return pair[1];
    const int32_t base = GetCameraModelCode(tags) == 3 ? 800 : 1600;
    if (pair[1] == 2 * base)
        return -1;
    if (pair[1] == 4 * base)
        return -2;
    return 0;
}

bool GetNoiseLevel(int32_t model, int32_t sensitivity, int32_t* level)
{
    const NoiseRow* rows = nullptr;
    size_t count = 0;
    if (model == 1 || model == 2) {
        rows = kNoiseM4;
        count = std::size(kNoiseM4);
    } else if (model == 3) {
        rows = kNoiseM4X;
        count = std::size(kNoiseM4X);
    }
    for (size_t i = 0; i < count; ++i) {
        if (rows[i].code == sensitivity) {
            if (level)
                *level = rows[i].level;
            return true;
        }
    }
    return false;
}
