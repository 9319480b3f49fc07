#include "app/core/camera_images/sidecar_file.h"

#include <climits>
#include <cstdio>

#include "app/core/procset/image_proc_set.h"
#include "app/core/procset/record_settings.h"

namespace camimg {

std::string SidecarPath(std::string_view imagePath)
{
    const size_t separator = imagePath.find_last_of("\\/:");
    const size_t nameStart = separator == std::string_view::npos ? 0 : separator + 1;
    const size_t dot = imagePath.rfind('.');
    std::string path(imagePath);
    if (dot == std::string_view::npos || dot < nameStart)
        return path + ".ipi";
    return path.substr(0, dot) + ".ipi";
}

std::vector<uint8_t> EncodeSidecar(CQzRecordSettings& settings, bool saved)
{
    CQzImageProcSet set;
    settings.FillProcSet(set);
    const int32_t size = set.GetSize();
    std::vector<uint8_t> bytes(static_cast<size_t>(size > 0 ? size : 0) + 2, 0);
    if (size > 0)
        set.GetData(bytes.data(), size);
    bytes.back() = saved ? 1 : 0;
    return bytes;
}

SidecarContents DecodeSidecar(const uint8_t* data, size_t size, CQzRecordSettings& settings, int32_t width,
                              int32_t height)
{
    SidecarContents contents;
    if (!data || size == 0 || size > static_cast<size_t>(INT32_MAX))
        return contents;
    CQzImageProcSet set;
    settings.FillProcSet(set);
    const int32_t covered = set.SetDataMasked(data, static_cast<int32_t>(size), width, height);
    if (covered <= 0 || static_cast<size_t>(covered) > size)
        return contents;
    settings.TakeFromProcSet(set);
    contents.blobLength = covered;
    const size_t flagAt = static_cast<size_t>(covered) + 1;
    contents.saved = flagAt < size && data[flagAt] != 0;
    return contents;
}

bool ReadSidecarFile(const char* path, std::vector<uint8_t>* bytes)
{
    bytes->clear();
    std::FILE* file = std::fopen(path, "rb");
    if (!file)
        return false;
    uint8_t buffer[4096];
    size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0)
        bytes->insert(bytes->end(), buffer, buffer + got);
    const bool failed = std::ferror(file) != 0;
    std::fclose(file);
    if (failed)
        bytes->clear();
    return !failed;
}

bool WriteSidecarFile(const char* path, const std::vector<uint8_t>& bytes)
{
    std::FILE* file = std::fopen(path, "wb");
    if (!file)
        return false;
    bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    if (std::fclose(file) != 0)
        written = false;
    return written;
}

}  // namespace camimg
