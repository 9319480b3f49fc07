#include "port/slab_memory.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace {

bool AllZero(const uint8_t* p, size_t n) { return std::all_of(p, p + n, [](uint8_t b) { return b == 0; }); }

// Blocks come zeroed and writable to their last byte; blocks of a huge page or
// more start on one, so that the system can back them with huge pages.
TEST(SlabMemory, BlocksAreZeroedWritableAndAligned)
{
    const size_t sizes[] = {1, 4096, 5000, port::kSlabHugePage, 3 * port::kSlabHugePage + 12345};
    for (size_t bytes : sizes) {
        SCOPED_TRACE(bytes);
        uint8_t* block = static_cast<uint8_t*>(port::SlabAlloc(bytes));
        ASSERT_NE(block, nullptr);
        EXPECT_TRUE(AllZero(block, bytes));
        EXPECT_EQ(reinterpret_cast<uintptr_t>(block) % port::SlabPageSize(), 0u);
#if !defined(_WIN32)
        if (bytes >= port::kSlabHugePage) {
            EXPECT_EQ(reinterpret_cast<uintptr_t>(block) % port::kSlabHugePage, 0u);
        }
#endif
        std::memset(block, 0xC3, bytes);
        EXPECT_EQ(block[bytes - 1], 0xC3);
        port::SlabFree(block, bytes);
    }
    EXPECT_EQ(port::SlabAlloc(0), nullptr);
}

// Pages given back and taken again read as zeros; their neighbours keep theirs.
TEST(SlabMemory, DecommittedPagesComeBackAsZeros)
{
    const size_t page = port::SlabPageSize();
    const size_t bytes = 8 * page;
    uint8_t* block = static_cast<uint8_t*>(port::SlabAlloc(bytes));
    ASSERT_NE(block, nullptr);
    std::memset(block, 0x77, bytes);
    ASSERT_TRUE(port::SlabDecommit(block + 2 * page, 3 * page));
    ASSERT_TRUE(port::SlabCommit(block + 2 * page, 3 * page));
    EXPECT_TRUE(AllZero(block + 2 * page, 3 * page));
    EXPECT_EQ(block[2 * page - 1], 0x77);
    EXPECT_EQ(block[5 * page], 0x77);
    port::SlabFree(block, bytes);
}

} // namespace
