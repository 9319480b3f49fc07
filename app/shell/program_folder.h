// The folder of the program file, with a trailing separator.
#pragma once

#include <string>

namespace shell {

// Worked out on the first call and kept; "" when the platform cannot say
// (a path too long for it is not cut).
const std::string& GetProgramFolder();

}  // namespace shell
