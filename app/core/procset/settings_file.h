// Settings files: the bytes of one settings blob (an object's own, or a
// container's), written whole. The Image Adjustment file (".set") is one
// container with the six adjustments a palette can save, each with its on/off
// record (size and resolution has none); noise reduction is not part of it.
#pragma once

#include <cstdint>
#include <vector>

#include "app/core/procset/image_proc_set.h"

struct CQzRecordSettings;

inline constexpr uint32_t kImageAdjustmentComponents =
    kProcUsm | kProcCurves | kProcColourBalance | kProcSizeRes | kProcExposure | kProcWhiteBalance;
inline constexpr uint32_t kImageAdjustmentEnables =
    kProcUsm | kProcCurves | kProcColourBalance | kProcExposure | kProcWhiteBalance;

enum class SettingsFileWrite {
    Written,
    CannotCreate,  // message 16499
    DiskFull,      // message 16500
};

// The blob as GetSize measures and GetData fills it.
std::vector<uint8_t> SettingsBlob(const IQzState& state);

// Creates the file (one already there is replaced) and writes the blob; a
// file that could not be written whole is removed.
SettingsFileWrite WriteSettingsFile(const char* path, const std::vector<uint8_t>& blob);
SettingsFileWrite WriteSettingsFile(const char* path, const IQzState& state);

// Points the container at the settings' six adjustments and their flags, as
// an Image Adjustment file holds them.
void FillImageAdjustmentSet(CQzRecordSettings& settings, CQzImageProcSet& set);

// The adjustments of a new image, every one of them off: what an Image
// Adjustment file holds that changes nothing.
std::vector<uint8_t> NeutralImageAdjustmentBlob();
