// What every benchmark program needs: failures printed, the process's memory
// as Linux reports it, and a scratch folder for page files and peer files.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "Vorlat/VorlatError.h"

namespace bench {

// True on success; a failure is printed and its chain destroyed.
inline bool Ok(IVorlatError* err, const char* what)
{
    if (!err)
        return true;
    std::printf("  %s failed: error %d\n", what, static_cast<int>(err->GetDeepestValue()));
    err->Destroy();
    return false;
}

// A value of /proc/self/status in kilobytes ("VmRSS", "VmHWM", "RssAnon"); -1 when absent.
inline int64_t StatusKb(const char* key)
{
    std::ifstream status("/proc/self/status");
    std::string line;
    const std::string prefix = std::string(key) + ":";
    while (std::getline(status, line))
        if (line.compare(0, prefix.size(), prefix) == 0)
            return std::atoll(line.c_str() + prefix.size());
    return -1;
}

// Starts the peak resident size again from the present one; false when the kernel refuses.
inline bool ResetPeak()
{
    std::ofstream clear("/proc/self/clear_refs");
    clear << "5";
    return static_cast<bool>(clear.flush());
}

// TESS_BENCH_SCRATCH (else the temporary folder), with `sub` below it, made if missing.
inline std::string Scratch(const char* sub = "")
{
    const char* folder = std::getenv("TESS_BENCH_SCRATCH");
    std::filesystem::path path = folder && *folder ? folder : std::filesystem::temp_directory_path();
    if (*sub)
        path /= sub;
    std::filesystem::create_directories(path);
    return path.string();
}

}  // namespace bench
