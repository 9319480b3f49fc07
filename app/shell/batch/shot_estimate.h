// How many bytes one time-lapse shot takes on disk, and whether the shots
// asked for fit into the free space of the target volume.
#pragma once

#include <cstdint>

namespace shell {

struct ShotEstimateInput {
    bool saveToDisk = false;      // a time lapse with batch saving
    int32_t settingsMethod = 0;   // of the batch settings
    int32_t fileType = 0;         // of the batch settings, 0..6
    int32_t compression = 0;      // JPEG list position 0..4
    int32_t bitDepth = 0;         // 1: 16 bits per channel
    int32_t cameraImageSize = 0;  // 2: the large size
    int32_t cameraDataFormat = 0; // 2: raw
    int32_t cameraCompression = 0;
    uint64_t cameraEstimate = 0;  // the camera's own bytes for one picture
    double scaleFactor = 1.0;     // of the size/resolution settings the run applies
    uint64_t rgbProfileBytes = 0;
    uint64_t cmykProfileBytes = 0;
};

// Never 0.
uint64_t EstimateShotBytes(const ShotEstimateInput& input);

enum ShotSpace : int32_t {
    kShotsFit = 0,
    kNoRoomForOne = 1,    // not even one shot
    kRoomForOnlyOne = 2,  // refused: exactly one fits
    kRoomForFewer = 3,    // ask: at least two fit, fewer than asked
};

// Counted in 64 bits: volumes with more than 4 GB free are never "full".
// *fitting is the number of shots that fit.
ShotSpace TestShotSpace(uint64_t freeBytes, uint64_t shotBytes, int32_t shots, uint64_t* fitting);

}  // namespace shell
