// Where the tests find the simulated module files (built beside the test
// program) and how they name the scenario the module reads when it opens.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <string>

#if defined(_WIN32)
#include <windows.h>
#endif

namespace camera_test {

inline std::string BesideProgram(const std::string& name)
{
#if defined(_WIN32)
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    return (std::filesystem::path(path).parent_path() / name).string();
#else
    return (std::filesystem::read_symlink("/proc/self/exe").parent_path() / name).string();
#endif
}

inline void SetScenarioFile(const std::string& path)
{
#if defined(_WIN32)
    _putenv_s("KAVO_SIM_SCENARIO", path.c_str());
#else
    setenv("KAVO_SIM_SCENARIO", path.c_str(), 1);
#endif
}

}  // namespace camera_test
