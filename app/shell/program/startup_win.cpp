#include "app/shell/program/startup_win.h"

#include <vector>

#include "app/core/text/string_resource.h"
#include "app/shell/program/program_ids.h"

namespace shell {

namespace {

void AddBackslash(std::string& path)
{
    if (!path.empty() && path.back() != '\\')
        path += '\\';
}

// The long name of the last component of `prefix` (a path without a
// trailing backslash), or the component as written when it is not found.
// A component with a wildcard stays as written: the search would answer with
// the first file it matches, a file nobody named (and a hand-over may carry
// the flag that deletes it).
std::string LongComponent(const std::string& prefix, const std::string& written)
{
    if (written.find_first_of("*?") != std::string::npos)
        return written;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(prefix.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return written;
    FindClose(search);
    if (found.cFileName[0])
        return found.cFileName;
    return found.cAlternateFileName[0] ? found.cAlternateFileName : written;
}

}  // namespace

std::string ToLongPathName(const std::string& path)
{
    // The system takes "/" as a separator too; a path written with it must
    // not be read as one long component (its long name would be another file's).
    constexpr const char* kSeparators = "\\/";
    const auto isSeparator = [](char c) { return c == '\\' || c == '/'; };
    std::string out;
    size_t at = 0;
    if (path.size() >= 2 && path[1] == ':') {
        out = path.substr(0, 2);
        at = 2;
    } else if (path.size() >= 2 && isSeparator(path[0]) && isSeparator(path[1])) {
        // "\\server\share\" stays as it is.
        size_t server = path.find_first_of(kSeparators, 2);
        size_t share = server == std::string::npos ? std::string::npos : path.find_first_of(kSeparators, server + 1);
        if (share == std::string::npos)
            return path;
        out = path.substr(0, share + 1);
        at = share + 1;
    }
    while (at < path.size()) {
        if (isSeparator(path[at])) {
            out += path[at];
            ++at;
            continue;
        }
        size_t end = path.find_first_of(kSeparators, at);
        if (end == std::string::npos)
            end = path.size();
        const std::string component = path.substr(at, end - at);
        const bool special = component == "." || component == "..";
        out += special ? component : LongComponent(out + component, component);
        at = end;
    }
    return out;
}

std::string AbsoluteLongPath(const std::string& word)
{
    const DWORD needed = GetFullPathNameA(word.c_str(), 0, nullptr, nullptr);
    if (needed == 0)
        return {};
    std::vector<char> full(needed + 1);
    const DWORD length = GetFullPathNameA(word.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
    if (length == 0 || length >= full.size())
        return {};
    return ToLongPathName(std::string(full.data(), length));
}

LONG DeleteRegistryTree(HKEY root, const char* subkey, bool onlyIfEmpty)
{
    HKEY key = nullptr;
    LONG result = RegOpenKeyExA(root, subkey, 0, KEY_READ, &key);
    if (result != ERROR_SUCCESS)
        return result;
    std::vector<std::string> children;
    char name[256];
    for (DWORD index = 0;; ++index) {
        DWORD length = sizeof name;
        const LONG listed = RegEnumKeyExA(key, index, name, &length, nullptr, nullptr, nullptr, nullptr);
        if (listed != ERROR_SUCCESS)
            break;
        children.emplace_back(name, length);
    }
    if (onlyIfEmpty) {
        DWORD values = 0;
        RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values, nullptr, nullptr,
                         nullptr, nullptr);
        if (!children.empty() || values != 0) {
            RegCloseKey(key);
            return ERROR_DIR_NOT_EMPTY;
        }
    }
    for (const std::string& child : children) {
        result = DeleteRegistryTree(key, child.c_str(), onlyIfEmpty);
        if (result != ERROR_SUCCESS)
            break;
    }
    RegCloseKey(key);
    if (result == ERROR_SUCCESS)
        result = RegDeleteKeyA(root, subkey);
    return result;
}

std::string GetCommonFilesFolder()
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion", 0, KEY_READ, &key) !=
        ERROR_SUCCESS)
        return {};
    char value[MAX_PATH + 1] = {};
    DWORD size = MAX_PATH;
    DWORD type = 0;
    const LONG result =
        RegQueryValueExA(key, "CommonFilesDir", nullptr, &type, reinterpret_cast<BYTE*>(value), &size);
    RegCloseKey(key);
    if (result != ERROR_SUCCESS || type != REG_SZ)
        return {};
    return std::string(value, strnlen(value, MAX_PATH));
}

std::string GetProfileFolder()
{
    std::string folder = GetCommonFilesFolder();
    AddBackslash(folder);
    char text[MAX_PATH] = {};
    qz::LoadStringResource(nullptr, IDS_PROFILE_FOLDER, text, sizeof text);
    folder += text;
    AddBackslash(folder);
    return folder;
}

HWND FindRunningInstance(const char* className)
{
    return FindWindowA(className, nullptr);
}

}  // namespace shell
