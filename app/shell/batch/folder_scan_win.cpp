#include "app/shell/batch/folder_scan.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include "app/shell/batch/auto_save_settings.h"
#include "app/shell/util/file_names.h"

namespace shell {

namespace {

std::string WithBackslash(const char* folder)
{
    std::string text = folder ? folder : "";
    if (text.empty() || text.back() != '\\')
        text += '\\';
    return text;
}

// The kinds in the order of the scan, each with its extension from the string table.
constexpr int32_t kScanKinds[] = {kSaveExifJpeg, kSaveTiffRgb, kSaveRaw};

template <class Visit>
void ForEachImage(const std::string& base, Visit visit)
{
    for (int32_t kind : kScanKinds) {
        char extension[16];
        if (!LoadFileTypeExtension(extension, sizeof extension, kind))
            continue;
        WIN32_FIND_DATAA found{};
        HANDLE find = ::FindFirstFileA((base + "*" + extension).c_str(), &found);
        if (find == INVALID_HANDLE_VALUE)
            continue;
        do {
            if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                visit(base + found.cFileName, found, kind);
        } while (::FindNextFileA(find, &found));
        ::FindClose(find);
    }
}

bool FolderExists(const char* folder)
{
    const DWORD attributes = ::GetFileAttributesA(folder);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool FileExists(const char* path)
{
    const DWORD attributes = ::GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::vector<std::string> ListSources(const char* folder, bool subfolders)
{
    FileList files;
    ScanImageFolder(folder, subfolders, files);
    std::vector<std::string> paths;
    for (const CFileNameAndTime& file : files)
        paths.emplace_back(static_cast<const char*>(file.GetPath()));
    return paths;
}

bool LongNames(const char* folder)
{
    return SupportsLongFileNames(folder);
}

}  // namespace

void ScanImageFolder(const char* folder, bool subfolders, FileList& files)
{
    const std::string base = WithBackslash(folder);
    if (subfolders) {
        WIN32_FIND_DATAA found{};
        HANDLE find = ::FindFirstFileA((base + "*.*").c_str(), &found);
        if (find != INVALID_HANDLE_VALUE) {
            do {
                const std::string name = found.cFileName;
                if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && name != "." && name != "..")
                    ScanImageFolder((base + name).c_str(), true, files);
            } while (::FindNextFileA(find, &found));
            ::FindClose(find);
        }
    }
    ForEachImage(base, [&](const std::string& path, const WIN32_FIND_DATAA& found, int32_t kind) {
        files.emplace_back(path.c_str(), found.ftLastWriteTime.dwLowDateTime, found.ftLastWriteTime.dwHighDateTime,
                           kind);
    });
}

std::vector<WatchedEntry> ScanWatchedFolder(const char* folder)
{
    std::vector<WatchedEntry> entries;
    ForEachImage(WithBackslash(folder), [&](const std::string& path, const WIN32_FIND_DATAA& found, int32_t kind) {
        WatchedEntry entry;
        entry.path = path;
        entry.timeLow = found.ftLastWriteTime.dwLowDateTime;
        entry.timeHigh = found.ftLastWriteTime.dwHighDateTime;
        entry.kind = kind;
        entry.size = (static_cast<uint64_t>(found.nFileSizeHigh) << 32) | found.nFileSizeLow;
        entry.hidden = (found.dwFileAttributes & FILE_ATTRIBUTE_HIDDEN) != 0;
        // A writer still holds it on any drive, local or not: it waits for a later scan.
        if (entry.size > 0 && !entry.hidden) {
            HANDLE file = ::CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                        FILE_ATTRIBUTE_NORMAL, nullptr);
            if (file == INVALID_HANDLE_VALUE)
                entry.inUse = true;
            else
                ::CloseHandle(file);
        }
        entries.push_back(entry);
    });
    return entries;
}

bool CanCreateFilesIn(const char* folder)
{
    char name[MAX_PATH + 16] = {};
    if (!folder || !::GetTempFileNameA(folder, "Wrt", 0, name))
        return false;
    bool written = false;
    HANDLE file = ::CreateFileA(name, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_TEMPORARY, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        DWORD done = 0;
        written = ::WriteFile(file, "X", 1, &done, nullptr) && done == 1;
        written = ::CloseHandle(file) && written;
    }
    // The name service made the file: it goes whatever happened since.
    const bool deleted = ::DeleteFileA(name) != 0;
    return written && deleted;
}

const BatchStartFileSystem& SystemStartFileSystem()
{
    static const BatchStartFileSystem fs{FolderExists, FileExists, CanCreateFilesIn, LongNames, ListSources};
    return fs;
}

}  // namespace shell
