#include "app/core/camera_images/image_list.h"

#include <cstdlib>

#include "port/port.h"

#if defined(_WIN32)
#include <share.h>
#endif

namespace camimg {

std::vector<std::string> SplitImageListLines(const char* data, size_t size)
{
    std::vector<std::string> lines;
    std::string line;
    for (size_t i = 0; i < size; ++i) {
        const char c = data[i];
        if (c == '\n') {
            if (!line.empty())
                lines.push_back(std::move(line));
            line.clear();
        } else if (c != '\r') {
            line.push_back(c);
        }
    }
    if (!line.empty())
        lines.push_back(std::move(line));
    return lines;
}

bool ParseImageListLine(const std::string& line, ImageListEntry* entry)
{
    const size_t tab = line.find('\t');
    if (tab == std::string::npos)
        return false;
    // strtol rather than atoi: the same digits, without atoi's overflow.
    const std::string number = line.substr(0, tab);
    entry->id = static_cast<int32_t>(std::strtol(number.c_str(), nullptr, 10));
    entry->path = line.substr(tab + 1);
    return true;
}

std::vector<ImageListEntry> ParseImageList(const char* data, size_t size)
{
    std::vector<ImageListEntry> entries;
    for (const std::string& line : SplitImageListLines(data, size)) {
        ImageListEntry entry;
        if (ParseImageListLine(line, &entry))
            entries.push_back(std::move(entry));
    }
    return entries;
}

std::string FormatImageListLine(const ImageListEntry& entry, bool appended)
{
    return std::to_string(entry.id) + "\t" + entry.path + (appended ? "\n" : "\r\n");
}

bool ReadImageListFile(const char* path, std::vector<ImageListEntry>* entries)
{
    entries->clear();
    std::FILE* file = std::fopen(path, "rb");
    if (!file)
        return false;
    std::string data;
    char buffer[4096];
    size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0)
        data.append(buffer, got);
    const bool failed = std::ferror(file) != 0;
    std::fclose(file);
    if (failed)
        return false;
    *entries = ParseImageList(data.data(), data.size());
    return true;
}

bool AppendImageListLine(const char* path, const ImageListEntry& entry)
{
#if defined(_WIN32)
    std::FILE* file = _fsopen(path, "ab", _SH_DENYWR);
#else
    std::FILE* file = std::fopen(path, "ab");
#endif
    if (!file)
        return false;
    const std::string line = FormatImageListLine(entry, true);
    bool written = std::fwrite(line.data(), 1, line.size(), file) == line.size();
    if (std::fclose(file) != 0)
        written = false;
    return written;
}

bool WriteImageListFile(const char* path, const std::vector<ImageListEntry>& entries, const ImageListWrite& write)
{
    port::ReplacingFile out;
    if (!out.Open(path))
        return false;
    for (const ImageListEntry& entry : entries) {
        const std::string line = FormatImageListLine(entry, false);
        const size_t items = write ? write(line.data(), 1, line.size(), out.File())
                                   : std::fwrite(line.data(), 1, line.size(), out.File());
        if (items != line.size())
            return false;  // the old list stays; the new file goes with `out`
    }
    return out.Commit();
}

}  // namespace camimg
