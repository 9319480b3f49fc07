#include "app/shell/util/file_names.h"

#include <cstring>

#if defined(_WIN32)
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#endif

namespace shell {

CQzString GetDefaultExtension(const char* filter)
{
    const char* start = filter ? std::strstr(filter, "|*.") : nullptr;
    if (!start)
        return CQzString("");
    start += 3;
    const char* end = std::strchr(start, '|');
    return end ? CQzString(start, static_cast<int32_t>(end - start)) : CQzString(start);
}

std::string VolumeRoot(const char* path)
{
    if (!path)
        return {};
    size_t length = 0;
    if (std::strlen(path) >= 2 && path[1] == ':' &&
        ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'))) {
        length = 2;
    } else if (path[0] == '\\' && path[1] == '\\') {
        // "\\server\share": up to the backslash after the share.
        const char* server = path + 2;
        const char* share = std::strchr(server, '\\');
        if (!share || share == server || share[1] == '\0' || share[1] == '\\')
            return {};
        const char* end = std::strchr(share + 1, '\\');
        length = end ? static_cast<size_t>(end - path) : std::strlen(path);
    } else {
        return {};
    }
    return std::string(path, length) + '\\';
}

#if defined(_WIN32)
bool SupportsLongFileNames(const char* path)
{
    const std::string root = VolumeRoot(path);
    DWORD longest = 0;
    DWORD flags = 0;
    return GetVolumeInformationA(root.empty() ? nullptr : root.c_str(), nullptr, 0, nullptr, &longest, &flags,
                                 nullptr, 0) &&
           longest >= 13;
}
#endif

}  // namespace shell
