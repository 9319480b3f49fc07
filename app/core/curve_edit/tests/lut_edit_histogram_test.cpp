#include "app/core/curve_edit/lut_edit_histogram.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <numeric>
#include <vector>

namespace {

TEST(LutEditHistogram, GroupsAnyLengthIntoTheColumnsWithoutLosingCounts)
{
    struct Case {
        size_t entries;
        bool everyColumnFilled;
    } cases[] = {{300, true}, {256, true}, {4096, true}, {100, true}, {1, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.entries);
        std::vector<uint32_t> counts(c.entries);
        std::iota(counts.begin(), counts.end(), 1u);
        const qz::LutHistogramColumns columns = qz::GroupLutHistogram(counts.data(), counts.size());
        uint64_t total = 0;
        for (uint64_t column : columns) {
            EXPECT_EQ(column != 0, c.everyColumnFilled);
            total += column;
        }
        if (c.entries >= 256) {
            EXPECT_EQ(total, std::accumulate(counts.begin(), counts.end(), uint64_t{0})) << "summed, none lost";
        }
    }
    // Fewer entries are spread: each column shows the entry under it.
    const uint32_t two[2] = {7, 9};
    const qz::LutHistogramColumns spread = qz::GroupLutHistogram(two, 2);
    EXPECT_EQ(spread[0], 7u);
    EXPECT_EQ(spread[127], 7u);
    EXPECT_EQ(spread[128], 9u);
    EXPECT_EQ(spread[255], 9u);
    EXPECT_EQ(qz::GroupLutHistogram(nullptr, 5)[0], 0u);
}

TEST(LutEditHistogram, ASpikeIsCutToFourTimesTheMeanOfTheFilledColumns)
{
    qz::LutHistogramColumns columns{};
    for (int k = 0; k < 128; ++k)
        columns[k] = 10;
    columns[200] = 1000000;  // mean of 129 filled columns: (1280 + 1000000) / 129 = 7761.8
    const uint64_t scale = qz::LutHistogramScale(columns);
    EXPECT_EQ(scale, 31047u);
    EXPECT_EQ(qz::LutHistogramBarHeight(columns[200], scale, 256), 256) << "the spike fills the plot";
    EXPECT_EQ(qz::LutHistogramBarHeight(columns[0], scale, 256), 1) << "10 * 256 / 31047 rounded up";

    qz::LutHistogramColumns even{};
    even.fill(50);
    EXPECT_EQ(qz::LutHistogramScale(even), 50u) << "no spike: the largest column";
    EXPECT_EQ(qz::LutHistogramScale(qz::LutHistogramColumns{}), 1u) << "empty: at least 1";
}

TEST(LutEditHistogram, BarHeightsAreExactFor64BitCounts)
{
    struct Case {
        uint64_t count, scale;
        int32_t height, expected;
    } cases[] = {
        {0, 10, 100, 0},
        {1, 3, 100, 34},  // 33.3 rounded up
        {3, 3, 100, 100},
        {5, 3, 100, 100},  // above the scale: at most the plot's height
        {uint64_t{1} << 40, uint64_t{1} << 41, 1001, 501},
        {(uint64_t{1} << 63) - 1, uint64_t{1} << 63, 0x7FFFFFFF, 0x7FFFFFFF},
        {uint64_t{1} << 62, uint64_t{1} << 63, 0x7FFFFFFF, 0x40000000},
        {7, 10, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.count << " / " << c.scale << " * " << c.height);
        EXPECT_EQ(qz::LutHistogramBarHeight(c.count, c.scale, c.height), c.expected);
    }
}

}  // namespace
