// Whole files and peer-tool commands for the file library's tests.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace fileio_test {

// The file's bytes; empty when it cannot be read.
inline std::vector<uint8_t> ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Runs a command through the shell with its error output dropped; its exit status.
inline int QuietShell(const std::string& command) { return std::system((command + " 2>/dev/null").c_str()); }

}  // namespace fileio_test
