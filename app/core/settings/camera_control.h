// A snapshot of a tethered camera's shooting settings, each field holding the
// camera's own value of one capability.
#pragma once

#include <cstdint>

#include "app/core/settings/camera_setting_source.h"
#include "app/core/settings/qz_state.h"

class CQzCameraControl : public IQzState {
public:
    // Camera capabilities of the fields.
    enum Capability : uint32_t {
        kImageType = 0x26,
        kFlashSyncMode = 0x35,
        kDataFormat = 0x810F,
        kCompression = 0x8110,
        kExposureMode = 0x8111,
        kShutterSpeed = 0x8112,
        kAperture = 0x8113,
        kFlexibleProgram = 0x8114,
        kExposureCompensation = 0x8115,
        kSensitivity = 0x8117,
        kWhiteBalance = 0x8118,
        kFocusAreaMode = 0x8121,
        kFocusArea = 0x8122,
        kContinuousShooting = 0x814D,
        kHighSensitivity = 0x814F,
        kImageSize = 0x8157,
        kRawCompression = 0x8158,
    };

    // Result codes.
    static constexpr int32_t kNoSource = -245;
    static constexpr int32_t kNotReady = -117;

    uint16_t imageType = 0;
    uint16_t flashSyncMode = 0;
    uint16_t dataFormat = 0;
    uint16_t compression = 0;
    uint16_t exposureMode = 0;
    uint16_t shutterSpeed = 0;
    uint16_t aperture = 0;
    uint16_t flexibleProgram = 0;
    uint16_t exposureCompensation = 0;
    uint16_t sensitivity = 0;
    uint16_t whiteBalance = 0;
    uint16_t focusAreaMode = 0;
    uint16_t focusArea = 0;
    uint8_t continuousShooting = 0;
    uint16_t imageSize = 0;
    uint8_t rawCompression = 0;
    uint16_t highSensitivity = 0;

    // Fills every field from the source; kNotReady when a setting that a
    // camera always has reads as 0.
    int32_t ReadFromCamera(IQzCameraSettingSource* source);
    // Writes the settings in the camera's order; every write is tried, the
    // answer is the code of the last one that failed.
    int32_t WriteToCamera(IQzCameraSettingSource* source) const;

    int32_t GetSize() const override { return GetData(nullptr, 0); }
    int32_t GetData(uint8_t* buffer, int32_t length) const override;
    // Fields are read in place: those a short blob lacks keep their values.
    int32_t SetData(const uint8_t* buffer, int32_t length) override;
};
