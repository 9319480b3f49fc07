#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

#include "app/shell/util/memory_block.h"

namespace {

TEST(MemoryBlock, AllocatesCopiesOverlappingAndFrees)
{
    auto* block = static_cast<uint8_t*>(shell::AllocGlobalMemory(16));
    ASSERT_NE(block, nullptr);
    for (uint8_t i = 0; i < 16; ++i)
        block[i] = i;
    EXPECT_EQ(shell::CopyMemoryBlock(block + 2, block, 8), 1);
    const uint8_t shifted[] = {0, 1, 0, 1, 2, 3, 4, 5, 6, 7, 10};
    EXPECT_EQ(std::memcmp(block, shifted, sizeof shifted), 0);
    shell::ZeroMemoryBlock(block, 16);
    for (uint8_t i = 0; i < 16; ++i)
        EXPECT_EQ(block[i], 0);
    EXPECT_EQ(shell::FreeGlobalMemory(block), 1);
    EXPECT_EQ(shell::FreeGlobalMemory(nullptr), 1);
}

TEST(MemoryBlock, CopiesSizedValuesOfKnownSizesOnly)
{
    const uint64_t source = 0x1122334455667788ull;
    for (int32_t size : {0, 1, 2, 3, 4, 5, 8, 16, -1}) {
        uint64_t target = 0;
        shell::CopySizedValueEntry(&target, &source, size);
        const bool known = size == 1 || size == 2 || size == 4 || size == 8;
        uint64_t expected = 0;
        if (known)
            std::memcpy(&expected, &source, static_cast<size_t>(size));
        EXPECT_EQ(target, expected) << size;
    }
}

}  // namespace
