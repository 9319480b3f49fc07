#include "app/core/settings/camera_control.h"

#include <initializer_list>

#include "app/core/settings/blob_cursor.h"

using qz::BlobReader;
using qz::BlobWriter;

int32_t CQzCameraControl::ReadFromCamera(IQzCameraSettingSource* source)
{
    if (!source)
        return kNoSource;
    auto get16 = [source](uint32_t capability) { return static_cast<uint16_t>(source->GetSetting(capability)); };
    auto get8 = [source](uint32_t capability) { return static_cast<uint8_t>(source->GetSetting(capability)); };
    imageType = get16(kImageType);
    flashSyncMode = get16(kFlashSyncMode);
    dataFormat = get16(kDataFormat);
    compression = get16(kCompression);
    exposureMode = get16(kExposureMode);
    shutterSpeed = get16(kShutterSpeed);
    aperture = get16(kAperture);
    flexibleProgram = get16(kFlexibleProgram);
    exposureCompensation = get16(kExposureCompensation);
    sensitivity = get16(kSensitivity);
    whiteBalance = get16(kWhiteBalance);
    focusAreaMode = get16(kFocusAreaMode);
    focusArea = get16(kFocusArea);
    continuousShooting = get8(kContinuousShooting);
    imageSize = get16(kImageSize);
    rawCompression = get8(kRawCompression);
    highSensitivity = get16(kHighSensitivity);
    if (!flashSyncMode || !dataFormat || !compression || !exposureMode || !whiteBalance || !focusAreaMode || !focusArea)
        return kNotReady;
    return 0;
}

int32_t CQzCameraControl::WriteToCamera(IQzCameraSettingSource* source) const
{
    if (!source)
        return kNoSource;
    int32_t result = 0;
    auto write = [&](uint32_t capability, uint32_t value) {
        if (const int32_t code = source->SetSetting(capability, value))
            result = code;
    };
    auto settable = [source](uint32_t capability) { return source->CanSetCapability(capability); };
    auto present = [source](uint32_t capability) {
        return source->HasCapability(capability) && source->CanSetCapability(capability);
    };
    if (settable(kFlashSyncMode))
        write(kFlashSyncMode, flashSyncMode);
    write(kExposureMode, exposureMode);
    write(kDataFormat, dataFormat);
    if (settable(kCompression))
        write(kCompression, compression);
    if (settable(kImageType))
        write(kImageType, imageType);
    if (settable(kShutterSpeed))
        write(kShutterSpeed, shutterSpeed);
    if (settable(kAperture))
        write(kAperture, aperture);
    if (settable(kFlexibleProgram))
        write(kFlexibleProgram, flexibleProgram);
    if (settable(kExposureCompensation))
        write(kExposureCompensation, exposureCompensation);
    if (settable(kHighSensitivity))
        write(kHighSensitivity, highSensitivity);
    // An extended sensitivity above 1 overrides the ordinary one.
    if (highSensitivity == 0 || highSensitivity == 1)
        write(kSensitivity, sensitivity);
    write(kWhiteBalance, whiteBalance);
    if (settable(kFocusAreaMode))
        write(kFocusAreaMode, focusAreaMode);
    if (settable(kFocusArea))
        write(kFocusArea, focusArea);
    if (settable(kContinuousShooting))
        write(kContinuousShooting, continuousShooting);
    if (present(kImageSize) && imageSize != 0)
        write(kImageSize, imageSize);
    if (present(kRawCompression))
        write(kRawCompression, rawCompression);
    return result;
}

int32_t CQzCameraControl::GetData(uint8_t* buffer, int32_t length) const
{
    BlobWriter out(buffer, length);
    out.PutId(qz::kCameraControlId);
    out.Put<uint16_t>(3);
    const uint64_t lengthField = out.Position();
    out.Put<uint32_t>(0);
    for (uint16_t value : {imageType, flashSyncMode, dataFormat, compression, exposureMode, shutterSpeed, aperture,
                           flexibleProgram, exposureCompensation, sensitivity, whiteBalance, focusAreaMode, focusArea})
        out.Put(value);
    out.Put(continuousShooting);
    out.Put(imageSize);
    out.Put(rawCompression);
    out.Put(highSensitivity);
    out.FinishLength(lengthField);
    return out.Answer();
}

int32_t CQzCameraControl::SetData(const uint8_t* buffer, int32_t length)
{
    if (!qz::StartsWith(buffer, length, qz::kCameraControlId))
        return 0;
    BlobReader in(buffer, length);
    in.Skip(16);
    uint16_t version = 0;
    in.Get(version);
    if (version == 0)
        return 0;
    if (version >= 2)
        in.Skip(4);
    for (uint16_t* field : {&imageType, &flashSyncMode, &dataFormat, &compression, &exposureMode, &shutterSpeed,
                            &aperture, &flexibleProgram, &exposureCompensation, &sensitivity, &whiteBalance,
                            &focusAreaMode, &focusArea})
        in.Get(*field);
    in.Get(continuousShooting);
    in.Get(imageSize);
    in.Get(rawCompression);
    if (version == 3)
        in.Get(highSensitivity);
    return static_cast<int32_t>(in.Position());
}
