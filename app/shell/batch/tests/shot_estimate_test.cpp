#include <gtest/gtest.h>

#include <string>

#include "app/shell/batch/shot_estimate.h"

namespace {

using shell::ShotEstimateInput;

constexpr uint64_t kSmall = 2000ull * 1312ull;
constexpr uint64_t kLarge = 3008ull * 1960ull;

TEST(ShotEstimate, FollowsTheOutputTypeAndCompression)
{
    struct Case {
        const char* what;
        bool save;
        int32_t method;
        int32_t type;
        int32_t compression;
        int32_t bitDepth;
        int32_t imageSize;
        int32_t dataFormat;
        int32_t cameraCompression;
        double scale;
        uint64_t bytes;
    } cases[] = {
        // Without saving the camera's estimate stands; type 0 adds nothing.
        {"no saving", false, 1, 0, 0, 0, 0, 0, 0, 1.0, 5000000},
        {"unmodified raw", true, 0, 1, 0, 0, 0, 0, 0, 1.0, 5000000 + 60000},
        {"BMP", true, 1, 2, 0, 0, 0, 0, 0, 1.0, kSmall * 3},
        {"BMP large, half size", true, 1, 2, 0, 0, 2, 0, 0, 0.5, kLarge * 3 / 2},
        {"Exif JPEG level 0", true, 1, 3, 0, 0, 0, 0, 0, 1.0, kSmall * 3 / 32 + 60000},
        {"JFIF JPEG level 4", true, 1, 4, 4, 0, 0, 0, 0, 1.0, kSmall * 3 / 4 + 3000},
        {"TIFF 16 bit", true, 1, 5, 0, 1, 0, 0, 0, 1.0, kSmall * 6 + 60000 + 3000},
        {"TIFF 16 bit from camera JPEG", true, 1, 5, 0, 1, 0, 1, 2, 1.0, kSmall * 3 + 60000 + 3000},
        {"TIFF CMYK", true, 2, 6, 0, 0, 0, 0, 0, 1.0, kSmall * 4 + 60000 + 7000},
        {"raw from a camera JPEG", true, 1, 1, 0, 0, 0, 1, 1, 1.0, kSmall * 3 + 60000},
        {"raw from camera raw", true, 1, 1, 0, 0, 0, 2, 0, 1.0, 5000000 + 60000},
        // Type 0 develops as the camera's kind yet adds nothing of its own.
        {"same type, camera raw", true, 1, 0, 0, 0, 0, 2, 0, 1.0, 5000000},
        {"same type, camera JPEG", true, 1, 0, 0, 0, 0, 1, 3, 1.0, kSmall * 3},
        {"same type, camera TIFF", true, 1, 0, 0, 1, 0, 0, 0, 1.0, kSmall * 6},
        {"nothing at all", false, 0, 0, 0, 0, 0, 0, 0, 1.0, 1},
    };
    for (const Case& c : cases) {
        ShotEstimateInput in;
        in.saveToDisk = c.save;
        in.settingsMethod = c.method;
        in.fileType = c.type;
        in.compression = c.compression;
        in.bitDepth = c.bitDepth;
        in.cameraImageSize = c.imageSize;
        in.cameraDataFormat = c.dataFormat;
        in.cameraCompression = c.cameraCompression;
        in.cameraEstimate = std::string(c.what) == "nothing at all" ? 0 : 5000000;
        in.scaleFactor = c.scale;
        in.rgbProfileBytes = 3000;
        in.cmykProfileBytes = 7000;
        EXPECT_EQ(shell::EstimateShotBytes(in), c.bytes) << c.what;
    }
}

TEST(ShotEstimate, SpaceIsCountedIn64Bits)
{
    struct Case {
        uint64_t freeBytes;
        uint64_t shot;
        int32_t shots;
        shell::ShotSpace verdict;
        uint64_t fitting;
    } cases[] = {
        {999, 1000, 1, shell::kNoRoomForOne, 0},
        {1000, 1000, 1, shell::kShotsFit, 1},
        {1999, 1000, 5, shell::kRoomForOnlyOne, 1},
        {2000, 1000, 5, shell::kRoomForFewer, 2},
        {5000, 1000, 5, shell::kShotsFit, 5},
        // Keep shooting until cancelled: one shot is what must fit.
        {1000, 1000, 0, shell::kShotsFit, 1},
        // 6 GB free and 3 GB of shots: a 32-bit count would see 2 GB.
        {6ull << 30, 1ull << 20, 3072, shell::kShotsFit, 6144},
        {(4ull << 30) + 4096, 4096, 9999, shell::kShotsFit, (1ull << 20) + 1},
    };
    for (const Case& c : cases) {
        uint64_t fitting = 0;
        EXPECT_EQ(shell::TestShotSpace(c.freeBytes, c.shot, c.shots, &fitting), c.verdict) << c.freeBytes;
        EXPECT_EQ(fitting, c.fitting) << c.freeBytes;
    }
}

}  // namespace
