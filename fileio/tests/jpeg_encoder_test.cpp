#include <gtest/gtest.h>

#include "fileio/jpeg_error.h"
#include "fileio/jpeg_tables.h"
#include "fileio/tests/jpeg_test_util.h"

using namespace jpeg_test;
using namespace quarnite;

TEST(JpegEncoder, MultiplierOfTheFirstLevelOneEntry)
{
    EXPECT_EQ(QuantMultiplier(18, 0, 0), 455u);
}

TEST(JpegEncoder, RoundTripsThroughOurDecoder)
{
    Pipeline pipeline;
    for (int level = 1; level <= 5; ++level)
        for (int channels : {1, 3}) {
            SCOPED_TRACE(testing::Message() << "level " << level << " channels " << channels);
            const Pixels source = MakePicture(45, 37, channels, 3, 0);
            int32_t error = -1;
            const std::vector<uint8_t> file = Encode(pipeline, source, level, &error);
            ASSERT_EQ(0, error);
            const Decoded back = Decode(pipeline, file);
            ASSERT_EQ(0, back.error);
            EXPECT_GE(Psnr(source, back.pixels), 30.0);
        }
}
