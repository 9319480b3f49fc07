#include "app/shell/prefs/profile_file_check.h"

#include <cstdio>
#include <cstring>

#include "app/core/engine/profile_check.h"

namespace shell {

uint32_t CheckProfileFile(const char* path, ProfileKind kind)
{
    uint8_t header[128] = {};
    std::FILE* file = path ? std::fopen(path, "rb") : nullptr;
    if (!file)
        return kProfileNotIcc;
    const size_t read = std::fread(header, 1, sizeof header, file);
    std::fclose(file);
    if (read < sizeof header || std::memcmp(header + 36, "acsp", 4) != 0)
        return kProfileNotIcc;
    const char* deviceClass = reinterpret_cast<const char*>(header + 12);
    const char* space = reinterpret_cast<const char*>(header + 16);
    if (kind == ProfileKind::kCmyk) {
        if ((std::memcmp(deviceClass, "prtr", 4) != 0 && std::memcmp(deviceClass, "spac", 4) != 0) ||
            std::memcmp(space, "CMYK", 4) != 0)
            return kProfileNotCmyk;
    } else if (std::memcmp(deviceClass, "mntr", 4) != 0 || std::memcmp(space, "RGB ", 4) != 0) {
        return kProfileNotMonitor;
    }
    // A header that fits is not enough: the colour engine must read the rest.
    return ProfileFaultMessage(::CheckProfileFile(path));
}

}  // namespace shell
