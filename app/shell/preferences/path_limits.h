// Paths the preference pages hand on must fit where the program keeps
// them: a path of more characters than a path may hold is refused with a
// message naming it, never cut (a cut folder may name a parent folder that
// a batch run then writes or deletes in).
#pragma once

#include <cstddef>
#include <string>

namespace shell {

inline constexpr size_t kMaxPathLength = 259;  // MAX_PATH less the terminating NUL

// True when `path` fits; otherwise message 8345 names it and the answer is false.
bool AcceptPathLength(const std::string& path);

}  // namespace shell
