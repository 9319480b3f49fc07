#include <cmath>

#include "app/core/engine/image_open.h"
#include "app/core/engine/tests/engine_test_util.h"
#include "app/core/engine/white_balance.h"

using namespace engine_test;

TEST(WhiteBalance, ModesNameTheirColourTemperature)
{
    const struct {
        int32_t mode, kelvin;
    } cases[] = {{256, 3000}, {512, 5200}, {513, 8000}, {514, 6000}, {1280, 5400}, {4098, 4200},
                 {257, 0},    {0, 0},       {1024, 0},   {-1, 0}};
    for (const auto& c : cases)
        EXPECT_EQ(c.kelvin, GetWBModeKelvin(c.mode)) << c.mode;
}

TEST(WhiteBalance, TablesRunFromTheirFirstToTheirLastMeasuredRow)
{
    const WbTable main = GetMainWbTable();
    ASSERT_EQ(235, main.rows);
    const int16_t first[] = {2413, 1210, 2362, 1392, 4172, 1072, 3199};
    const int16_t second[] = {2420, 1208, 2358, 1389, 4142, 1077, 3193};
    const int16_t last[] = {9066, 2847, 1000, 2723, 1131, 3521, 1417};
    for (int c = 0; c < 7; ++c) {
        EXPECT_EQ(first[c], main.values[c]);
        EXPECT_EQ(second[c], main.values[7 + c]);
        EXPECT_EQ(last[c], main.values[234 * 7 + c]);
    }
    const WbTable daylight = GetDaylightWbTable();
    ASSERT_EQ(78, daylight.rows);
    EXPECT_EQ(4277, daylight.values[0]);
    EXPECT_EQ(1962, daylight.values[1]);
    EXPECT_EQ(1228, daylight.values[2]);
    EXPECT_EQ(4301, daylight.values[3]);
    EXPECT_EQ(7479, daylight.values[77 * 3]);
    EXPECT_EQ(2991, daylight.values[77 * 3 + 1]);
    EXPECT_EQ(1000, daylight.values[77 * 3 + 2]);
    for (const WbTable& table : {main, daylight}) {
        for (int32_t row = 1; row < table.rows; ++row)
            ASSERT_LT(table.values[(row - 1) * table.stride], table.values[row * table.stride]) << row;
    }
}

TEST(WhiteBalance, GainsInterpolateInReciprocalTemperature)
{
    const WbTable daylight = GetDaylightWbTable();
    const double t = (2420.0 / 2416) * (2416 - 2413) / (2420 - 2413);
    const double below = (2420.0 / 2000) * (2000 - 2413) / (2420 - 2413);
    const WbTable main = GetMainWbTable();
    const int16_t* lastTwo = main.values + 233 * 7;
    const double above = (9066.0 / 10000) * (10000 - lastTwo[0]) / (9066 - lastTwo[0]);
    const struct {
        const char* name;
        int32_t mode, kelvin;
        double red, blue;
    } cases[] = {
        {"mode 1280 at a key", 1280, 4301, daylight.values[4] * 0.001, daylight.values[5] * 0.001},
        {"pair 1 at the second key", 256, 2420, 1.208, 2.358},
        {"pair 2 at the second key", 1026, 2420, 1.389, 4.142},
        {"pair 3 at the second key", 4098, 2420, 1.077, 3.193},
        {"pair 3 of mode 770", 770, 2420, 1.077, 3.193},
        {"between the first keys", 512, 2416, (1210 + (1208 - 1210) * t) * 0.001, (2362 + (2358 - 2362) * t) * 0.001},
        {"below the second key", 514, 2000, (1210 + (1208 - 1210) * below) * 0.001,
         (2362 + (2358 - 2362) * below) * 0.001},
        {"above the last key", 513, 10000, (lastTwo[1] + (2847 - lastTwo[1]) * above) * 0.001,
         (lastTwo[2] + (1000 - lastTwo[2]) * above) * 0.001},
        {"the last key", 513, 9066, 2.847, 1.0},
        {"unknown mode", 600, 5000, 1.0, 1.0},
        {"no temperature", 256, 0, 1.0, 1.0},
        {"negative temperature", 1280, -4301, 1.0, 1.0},
    };
    for (const auto& c : cases) {
        double red = -1.0, blue = -1.0;
        GetWBModeGains(c.mode, c.kelvin, &red, &blue);
        EXPECT_DOUBLE_EQ(c.red, red) << c.name;
        EXPECT_DOUBLE_EQ(c.blue, blue) << c.name;
    }
}

TEST(WhiteBalance, SensitivityCodesCountBoostStepsFromTheModelsBase)
{
    const struct {
        const char* model;
        uint16_t first, second;
        int32_t code;
    } cases[] = {
        {"KORVA M4X", 0, 400, 400}, {"KORVA M4X", 1, 1600, -1}, {"KORVA M4X", 1, 3200, -2},
        {"korva m4x", 1, 3200, -2}, {"KORVA M4 ", 1, 3200, -1}, {"KORVA M4H", 1, 6400, -2},
        {"KORVA M4X", 1, 999, 0},   {"other", 1, 3200, -1},     {"KORVA M4H", 0, 65535, 65535},
    };
    for (const auto& c : cases) {
        Tags tags;
        tags.SetText(kTagModel, c.model);
        const uint16_t pair[2] = {c.first, c.second};
        tags.Set(kTagSensitivity, kTagTypeIsoPair, pair, sizeof pair);
        EXPECT_EQ(c.code, GetSensitivityCode(tags.tags)) << c.model << " " << c.first << " " << c.second;
    }
    Tags empty;
    EXPECT_EQ(0, GetSensitivityCode(empty.tags));
    EXPECT_EQ(0, GetSensitivityCode(nullptr));
}

TEST(WhiteBalance, NoiseLevelsByModelAndSensitivity)
{
    const struct {
        int32_t model, code;
        bool found;
        int32_t level;
    } cases[] = {
        {3, 800, true, 7},  {3, -1, true, 15},  {3, -2, true, 30}, {3, 125, true, 3},  {3, 1600, false, 0},
        {1, 1010, true, 6}, {2, 1600, true, 7}, {2, -2, true, 30}, {1, 125, false, 0}, {0, 800, false, 0},
    };
    for (const auto& c : cases) {
        int32_t level = 0;
        EXPECT_EQ(c.found, GetNoiseLevel(c.model, c.code, &level)) << c.model << " " << c.code;
        if (c.found) {
            EXPECT_EQ(c.level, level) << c.model << " " << c.code;
        }
    }
}

TEST(WhiteBalance, UsableMultipliers)
{
    EXPECT_EQ(2.5, UsableMultiplier(2.5));
    for (double bad : {0.0, -1.0, double(NAN), double(INFINITY), -double(INFINITY)})
        EXPECT_EQ(1.0, UsableMultiplier(bad)) << bad;
}
