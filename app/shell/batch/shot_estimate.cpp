#include "app/shell/batch/shot_estimate.h"

namespace shell {

namespace {

constexpr uint64_t kLargePixels = 3008ull * 1960ull;
constexpr uint64_t kSmallPixels = 2000ull * 1312ull;
// Tags, thumbnail and the like that every written file carries.
constexpr uint64_t kFileOverhead = 60000;
// The JPEG levels' compression ratios, lowest quality first.
constexpr uint64_t kJpegRatios[5] = {32, 16, 12, 6, 4};

bool CameraCompresses(int32_t compression)
{
    return compression >= 1 && compression <= 3;
}

}  // namespace

uint64_t EstimateShotBytes(const ShotEstimateInput& in)
{
    const uint64_t pixels = in.cameraImageSize == 2 ? kLargePixels : kSmallPixels;
    double bytes = 0;
    if (!in.saveToDisk || in.settingsMethod == 0) {
        bytes = static_cast<double>(in.cameraEstimate);
    } else {
        int32_t type = in.fileType;
        if (type == 0)
            type = in.cameraDataFormat == 2 ? 1 : CameraCompresses(in.cameraCompression) ? 3 : 5;
        switch (type) {
        case 1:
            bytes = in.cameraDataFormat == 1 && CameraCompresses(in.cameraCompression)
                        ? static_cast<double>(pixels * 3)
                        : static_cast<double>(in.cameraEstimate);
            break;
        case 5:
            bytes = static_cast<double>(pixels * (in.bitDepth == 1 && in.cameraDataFormat != 1 ? 6 : 3));
            break;
        case 6: bytes = static_cast<double>(pixels * 4); break;
        default: bytes = static_cast<double>(pixels * 3); break;
        }
        bytes *= in.scaleFactor;
    }
    // By the record's own type, not the one type 0 stood for.
    const int32_t level = in.compression < 0 ? 0 : in.compression > 4 ? 4 : in.compression;
    switch (in.fileType) {
    case 1: bytes += kFileOverhead; break;
    case 3: bytes = bytes / static_cast<double>(kJpegRatios[level]) + kFileOverhead; break;
    case 4: bytes = bytes / static_cast<double>(kJpegRatios[level]) + static_cast<double>(in.rgbProfileBytes); break;
    case 5: bytes += kFileOverhead + static_cast<double>(in.rgbProfileBytes); break;
    case 6: bytes += kFileOverhead + static_cast<double>(in.cmykProfileBytes); break;
    default: break;
    }
    const uint64_t whole = bytes <= 0 ? 0 : bytes >= 1.8e19 ? UINT64_MAX : static_cast<uint64_t>(bytes);
    return whole == 0 ? 1 : whole;
}

ShotSpace TestShotSpace(uint64_t freeBytes, uint64_t shotBytes, int32_t shots, uint64_t* fitting)
{
    if (shotBytes == 0)
        shotBytes = 1;
    const uint64_t fit = freeBytes / shotBytes;
    if (fitting)
        *fitting = fit;
    const uint64_t wanted = shots < 1 ? 1 : static_cast<uint64_t>(shots);
    if (fit >= wanted)
        return kShotsFit;
    if (fit == 0)
        return kNoRoomForOne;
    return fit >= 2 ? kRoomForFewer : kRoomForOnlyOne;
}

}  // namespace shell
