#include <gtest/gtest.h>

#include "fileio/jpeg_error.h"
#include "fileio/jpeg_tables.h"
#include "fileio/tests/jpeg_test_util.h"

using namespace jpeg_test;
using namespace quarnite;

TEST(JpegDecoder, RangeLimitClampsAndWraps)
{
    EXPECT_EQ(RangeLimitTable[(-200 + 128) & 1023], 0);
    EXPECT_EQ(RangeLimitTable[(300 + 128) & 1023], 255);
    EXPECT_EQ(RangeLimitTable[(0 + 128) & 1023], 128);
}
