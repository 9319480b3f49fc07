#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <set>
#include <vector>

#include "Vorlat/VorlatTileSlabs_impl.h"

namespace {

// Buffers are distinct, do not overlap, start on 64 bytes and come zeroed
// from the system, whatever the tile size; a buffer given back is taken again
// before new memory, and is then not said to hold zeros.
TEST(TileSlabs, BuffersAreAlignedZeroedAndApart)
{
    const int32_t sizes[] = {41, 1000, 1024, 16384, 65536, 100003};
    for (int32_t tileBytes : sizes) {
        SCOPED_TRACE(tileBytes);
        CVorlatTileSlabs slabs(tileBytes);
        std::vector<uint8_t*> taken;
        for (int i = 0; i < 40; ++i) {
            bool zeroed = false;
            uint8_t* buffer = slabs.Take(1000, &zeroed);
            ASSERT_NE(buffer, nullptr);
            EXPECT_TRUE(zeroed);
            EXPECT_EQ(reinterpret_cast<uintptr_t>(buffer) % 64, 0u);
            EXPECT_TRUE(std::all_of(buffer, buffer + tileBytes, [](uint8_t b) { return b == 0; }));
            std::fill(buffer, buffer + tileBytes, static_cast<uint8_t>(i + 1));
            taken.push_back(buffer);
        }
        slabs.Give(taken[5]);
        bool zeroed = true;
        EXPECT_EQ(slabs.Take(1000, &zeroed), taken[5]);
        EXPECT_FALSE(zeroed);
        std::sort(taken.begin(), taken.end());
        for (size_t i = 1; i < taken.size(); ++i)
            EXPECT_GE(taken[i] - taken[i - 1], tileBytes);
        EXPECT_EQ(slabs.Out(), 40);
        for (uint8_t* buffer : taken)
            slabs.Give(buffer);
        EXPECT_EQ(slabs.Out(), 0);
    }
}

// A new slab holds no more buffers than the limit leaves room for, and one
// when the limit is already reached; a given-back buffer is taken again
// before any new memory.
TEST(TileSlabs, SlabsCountAgainstTheLimitAndBuffersAreReused)
{
    CVorlatTileSlabs slabs(16384);
    uint8_t* first = slabs.Take(5);
    EXPECT_EQ(slabs.Capacity(), 5);
    std::vector<uint8_t*> rest;
    for (int i = 0; i < 4; ++i)
        rest.push_back(slabs.Take(5));
    EXPECT_EQ(slabs.Capacity(), 5);
    EXPECT_EQ(slabs.SlabCount(), 1u);
    uint8_t* beyond = slabs.Take(5);
    EXPECT_EQ(slabs.Capacity(), 6);
    EXPECT_EQ(slabs.SlabCount(), 2u);

    slabs.Give(first);
    EXPECT_EQ(slabs.Take(5), first);
    EXPECT_EQ(slabs.Capacity(), 6);

    // A large limit is cut to one slab's worth.
    CVorlatTileSlabs big(65536);
    big.Take(1 << 20);
    EXPECT_EQ(big.Capacity(), static_cast<int64_t>(CVorlatTileSlabs::kSlabBytes / big.Stride()));
    (void)beyond;
}

// Memory goes back whole slabs first, the highest first, and only as far as
// keep asks; then the pages of spare buffers, where a buffer is whole pages.
// A buffer whose pages went back is taken again before any new slab.
TEST(TileSlabs, TrimGivesBackSpareSlabsThenSparePages)
{
    const struct {
        int32_t tileBytes;
        int64_t afterAll;  // what the slabs hold after Trim(0), one buffer being out (1: whole pages went back)
    } cases[] = {{16384, 1}, {65536, 1}, {1000, 2}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.tileBytes);
        CVorlatTileSlabs slabs(c.tileBytes);
        std::vector<std::vector<uint8_t*>> bySlab(3);
        for (int s = 0; s < 3; ++s)
            for (int i = 0; i < 2; ++i)
                bySlab[static_cast<size_t>(s)].push_back(slabs.Take(2 * (s + 1)));
        ASSERT_EQ(slabs.SlabCount(), 3u);
        ASSERT_EQ(slabs.Capacity(), 6);

        // One buffer of the first slab stays out; the others come back.
        std::fill(bySlab[0][1], bySlab[0][1] + c.tileBytes, uint8_t{9});
        slabs.Give(bySlab[0][1]);
        for (int s = 1; s < 3; ++s)
            for (uint8_t* buffer : bySlab[static_cast<size_t>(s)])
                slabs.Give(buffer);
        slabs.Trim(6);
        EXPECT_EQ(slabs.Capacity(), 6);
        slabs.Trim(4);
        EXPECT_EQ(slabs.Capacity(), 4);
        EXPECT_EQ(slabs.SlabCount(), 2u);
        slabs.Trim(0);
        EXPECT_EQ(slabs.Capacity(), c.afterAll);
        EXPECT_EQ(slabs.SlabCount(), 1u);
        EXPECT_EQ(slabs.Out(), 1);

        // A buffer whose pages went back holds zeros again; one that stayed holds what it held.
        bool zeroed = false;
        uint8_t* again = slabs.Take(2, &zeroed);
        EXPECT_EQ(again, bySlab[0][1]);
        EXPECT_EQ(zeroed, c.afterAll == 1);
        EXPECT_TRUE(std::all_of(again, again + c.tileBytes, [&](uint8_t b) { return b == (zeroed ? 0 : 9); }));
        EXPECT_EQ(slabs.Capacity(), 2);
        EXPECT_EQ(slabs.SlabCount(), 1u);
        std::fill(again, again + c.tileBytes, uint8_t{7});
    }
}

#if defined(__SANITIZE_ADDRESS__)
// The sanitizer build still reports a write past a buffer and a touch of a
// buffer that was given back, as it did when each buffer was a heap block.
TEST(TileSlabsDeathTest, OverrunsAndUseAfterGiveAreReported)
{
    CVorlatTileSlabs slabs(16384);
    uint8_t* buffer = slabs.Take(4);
    buffer[16383] = 1;
    volatile uint8_t* past = buffer + 16384;
    EXPECT_DEATH(*past = 1, "");
    slabs.Give(buffer);
    volatile uint8_t* given = buffer;
    EXPECT_DEATH(*given = 1, "");
}
#endif

} // namespace
