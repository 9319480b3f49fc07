#include "app/core/external_editor/handoff_rules.h"

#include <cstring>

namespace qz {

bool IsEditorVersionSupported(const char* version)
{
    if (!version)
        return false;
    while (*version == ' ' || *version == '\t')
        ++version;
    if (*version < '0' || *version > '9')
        return false;
    // Only whether it reaches the minimum matters: stop counting once it does.
    long value = 0;
    for (; *version >= '0' && *version <= '9' && value < kEditorMinimumVersion; ++version)
        value = value * 10 + (*version - '0');
    return value >= kEditorMinimumVersion;
}

bool BuildEditorTransferPath(const char* folder, char* out, size_t capacity)
{
    if (!out || capacity == 0)
        return false;
    out[0] = '\0';
    if (!folder || !*folder)
        return false;
    const size_t folderLength = std::strlen(folder);
    const bool separated = folder[folderLength - 1] == '\\';
    const size_t nameLength = sizeof kEditorTransferName - 1;
    const size_t needed = folderLength + (separated ? 0 : 1) + nameLength + 1;
    if (needed > capacity)
        return false;
    std::memcpy(out, folder, folderLength);
    size_t at = folderLength;
    if (!separated)
        out[at++] = '\\';
    std::memcpy(out + at, kEditorTransferName, nameLength + 1);
    return true;
}

}  // namespace qz
