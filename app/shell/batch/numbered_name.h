// Numbered output file names: folder, prefix, the sequence number padded with
// zeros to a length, suffix and extension; the first name not yet taken.
#pragma once

#include <cstdint>
#include <string>

namespace shell {

struct NumberedNameParts {
    std::string prefix;
    std::string suffix;
    int32_t length = 3;
    int32_t next = 1;  // the number tried first; afterwards the one after the name given
};

// Whether a file or folder of that name exists.
bool PathExists(const char* path);

// The first free name from parts.next on; parts.next moves past it (after
// 99999999 the numbers start again at 0). A length whose padding no file
// system could hold gives "" and leaves the number alone.
std::string MakeNumberedName(NumberedNameParts& parts, const std::string& folder, const std::string& extension,
                             bool (*exists)(const char*) = PathExists);

}  // namespace shell
