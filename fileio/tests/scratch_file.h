// Scratch file names and folders private to one test process: CTest runs the
// test programs in parallel, and two tile managers must never share a page file.
#pragma once

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#if defined(_WIN32)
#include <process.h>
#else
#include <csignal>
#include <sys/resource.h>
#include <unistd.h>
#endif

namespace fileio_test {

inline std::string ScratchPageFile(const std::string& stem)
{
#if defined(_WIN32)
    const long pid = _getpid();
#else
    const long pid = getpid();
#endif
    return std::string(TESS_SCRATCH_DIR) + "/" + stem + "_" + std::to_string(pid) + ".tmp";
}

// A new, empty folder private to this process, for tests that look at every
// file a save leaves behind.
inline std::string ScratchFolder(const std::string& stem)
{
    const std::string folder = ScratchPageFile(stem);
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
    std::filesystem::create_directories(folder);
    return folder;
}

// The names in a folder, sorted.
inline std::vector<std::string> FolderEntries(const std::string& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

#if !defined(_WIN32)
// A disk that is full past `bytes`: while this lives, every write that would
// make a file of the process longer fails (EFBIG), as on a full volume.
class DiskFullPast {
public:
    explicit DiskFullPast(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &saved_);
        handler_ = std::signal(SIGXFSZ, SIG_IGN);  // the error, not the signal that kills
        rlimit limit = saved_;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~DiskFullPast()
    {
        setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, handler_);
    }
    DiskFullPast(const DiskFullPast&) = delete;
    DiskFullPast& operator=(const DiskFullPast&) = delete;

private:
    rlimit saved_{};
    void (*handler_)(int) = nullptr;
};
#endif

} // namespace fileio_test
