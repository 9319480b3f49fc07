// The palettes' settings file readers take any file: they end, refuse or
// succeed, and what they refuse leaves the target as it was.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "app/core/procset/palette_settings_file.h"
#include "app/core/procset/record_settings.h"

namespace {

std::vector<uint8_t> BlobOf(const IQzState& state)
{
    std::vector<uint8_t> blob(static_cast<size_t>(state.GetSize()));
    state.GetData(blob.data(), static_cast<int32_t>(blob.size()));
    return blob;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > 1 << 20)
        return 0;
    const char* path = "palette_file_fuzz.input";
    std::FILE* file = std::fopen(path, "wb");
    if (!file)
        return 0;
    std::fwrite(data, 1, size, file);
    std::fclose(file);

    CQzRecordSettings record;
    const std::vector<uint8_t> curvesBefore = BlobOf(record.curves);
    if (ReadSettingsFile(SettingsFileKind::Curves, path, record.curves).result != 0 &&
        BlobOf(record.curves) != curvesBefore)
        __builtin_trap();
    ReadSettingsFile(SettingsFileKind::ColourBalance, path, record.colourBalance);
    ReadSettingsFile(path, record.usm);
    ReadSettingsFile(path, record.sizeRes, 300, 200);
    ReadSettingsFile(path, record.exposure);
    ReadSettingsFile(path, record.whiteBalance);
    ReadSettingsFile(path, record.noiseReduction);

    const std::vector<uint8_t> before = ImageAdjustmentBlob(record);
    if (!LoadImageAdjustmentFile(path, record, 300, 200) && ImageAdjustmentBlob(record) != before)
        __builtin_trap();
    return 0;
}
