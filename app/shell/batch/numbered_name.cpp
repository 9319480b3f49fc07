#include "app/shell/batch/numbered_name.h"

#include <cstdio>
#include <cstdlib>
#include <vector>

#if defined(_WIN32)
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#else
#include <sys/stat.h>
#endif

namespace shell {

namespace {

constexpr int32_t kLastNumber = 99999999;
// Widths past a path's length only make names that cannot be created.
constexpr int32_t kMaxWidth = 260;

}  // namespace

bool PathExists(const char* path)
{
#if defined(_WIN32)
    return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES;
#else
    struct stat info;
    return ::stat(path, &info) == 0;
#endif
}

std::string MakeNumberedName(NumberedNameParts& parts, const std::string& folder, const std::string& extension,
                             bool (*exists)(const char*))
{
    if (std::abs(static_cast<int64_t>(parts.length)) > kMaxWidth)
        return {};
    std::string base = folder;
    if (base.empty() || base.back() != '\\')
        base += '\\';
    char pattern[40];
    std::snprintf(pattern, sizeof pattern, "%%s%%s%%0%dd%%s%%s", static_cast<int>(parts.length));

    int32_t number = parts.next;
    // Every number once at most: a folder that holds them all gives "".
    for (int64_t tries = 0; tries <= kLastNumber + 1; ++tries) {
        const int size = std::snprintf(nullptr, 0, pattern, base.c_str(), parts.prefix.c_str(), number,
                                       parts.suffix.c_str(), extension.c_str());
        if (size < 0)
            return {};
        std::vector<char> name(static_cast<size_t>(size) + 1);
        std::snprintf(name.data(), name.size(), pattern, base.c_str(), parts.prefix.c_str(), number,
                      parts.suffix.c_str(), extension.c_str());
        number = number >= kLastNumber ? 0 : number + 1;
        if (!exists(name.data())) {
            parts.next = number;
            return name.data();
        }
    }
    return {};
}

}  // namespace shell
