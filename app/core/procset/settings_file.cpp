#include "app/core/procset/settings_file.h"

#include <cerrno>
#include <cstdio>

#include "app/core/procset/record_settings.h"

std::vector<uint8_t> SettingsBlob(const IQzState& state)
{
    const int32_t size = state.GetSize();
    std::vector<uint8_t> blob(size > 0 ? static_cast<size_t>(size) : 0);
    if (!blob.empty())
        state.GetData(blob.data(), size);
    return blob;
}

SettingsFileWrite WriteSettingsFile(const char* path, const std::vector<uint8_t>& blob)
{
    std::FILE* file = std::fopen(path, "wb");
    if (!file)
        return errno == ENOSPC ? SettingsFileWrite::DiskFull : SettingsFileWrite::CannotCreate;
    errno = 0;
    bool written = std::fwrite(blob.data(), 1, blob.size(), file) == blob.size();
    written = std::fflush(file) == 0 && written;
    const int writeError = errno;
    written = std::fclose(file) == 0 && written;
    if (written)
        return SettingsFileWrite::Written;
    // A file cut short would read as a damaged one.
    std::remove(path);
    return writeError == ENOSPC || errno == ENOSPC ? SettingsFileWrite::DiskFull : SettingsFileWrite::CannotCreate;
}

SettingsFileWrite WriteSettingsFile(const char* path, const IQzState& state)
{
    return WriteSettingsFile(path, SettingsBlob(state));
}

void FillImageAdjustmentSet(CQzRecordSettings& settings, CQzImageProcSet& set)
{
    settings.FillProcSet(set);
    set.componentMask = kImageAdjustmentComponents;
    set.enableMask = kImageAdjustmentEnables;
}

std::vector<uint8_t> NeutralImageAdjustmentBlob()
{
    CQzRecordSettings neutral;
    CQzImageProcSet set;
    FillImageAdjustmentSet(neutral, set);
    return SettingsBlob(set);
}
