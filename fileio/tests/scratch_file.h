// Scratch file names private to one test process: CTest runs the test
// programs in parallel, and two tile managers must never share a page file.
#pragma once

#include <string>

#if defined(_WIN32)
#include <process.h>
#else
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

} // namespace fileio_test
