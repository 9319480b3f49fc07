#include "app/shell/program_folder.h"

#include <vector>

#if defined(_WIN32)
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace shell {

namespace {

std::string FindProgramFolder()
{
    std::vector<char> path(4096);
#if defined(_WIN32)
    const DWORD length = GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0 || length >= path.size())
        return {};
    const char separator = '\\';
#else
    const ssize_t length = readlink("/proc/self/exe", path.data(), path.size());
    if (length <= 0 || static_cast<size_t>(length) >= path.size())
        return {};
    const char separator = '/';
#endif
    std::string file(path.data(), static_cast<size_t>(length));
    const size_t end = file.find_last_of(separator);
    return end == std::string::npos ? std::string() : file.substr(0, end + 1);
}

}  // namespace

const std::string& GetProgramFolder()
{
    static const std::string folder = FindProgramFolder();
    return folder;
}

}  // namespace shell
