// What the simulated module's files share beyond its class.
#pragma once

#include <cinttypes>
#include <cstdio>
#include <string>

#include "app/camera/simulated/sim_module.h"

namespace kavosim {

// More elements than any simulated capability holds; larger sets are refused.
constexpr uint32_t kMaxElements = 1u << 20;

inline const char* ObjectKind(const SimNode* node)
{
    switch (node->type) {
    case kSimModuleObject:
        return "module";
    case kSimSourceObject:
        return "source";
    case kSimItemObject:
        return "item";
    default:
        return node->id == 8 ? "thumbnail" : "image";
    }
}

inline bool Matches(const ScenarioCall& call, const SimNode* node, uint32_t command, uint32_t param)
{
    if (call.object != "any" && (!node || call.object != ObjectKind(node)))
        return false;
    return (call.command == kAnyCommand || call.command == command) &&
           (call.capability == kAnyCapability || call.capability == param);
}

// The data type a capability type is read and written with.
inline uint32_t DataTypeOf(uint32_t capType)
{
    if (capType >= kKavoCapBool && capType <= kKavoCapDateTime)
        return capType + 3;
    switch (capType) {
    case kKavoCapGroup:
    case kSimCapArray:
        return kKavoDataArray;
    case kKavoCapList:
        return kKavoDataList;
    case kKavoCapRange:
        return kKavoDataRange;
    default:
        return kKavoDataNone;
    }
}

inline std::string ReadWholeFile(const std::string& path, bool* ok)
{
    std::string bytes;
    *ok = false;
    FILE* file = std::fopen(path.c_str(), "rb");
    if (!file)
        return bytes;
    char buffer[8192];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof(buffer), file)) > 0)
        bytes.append(buffer, n);
    *ok = !std::ferror(file);
    std::fclose(file);
    return bytes;
}

// The file's length in bytes; 0 when it cannot be read.
inline uint32_t FileSize(const std::string& path)
{
    FILE* file = path.empty() ? nullptr : std::fopen(path.c_str(), "rb");
    if (!file)
        return 0;
    long size = std::fseek(file, 0, SEEK_END) == 0 ? std::ftell(file) : 0;
    std::fclose(file);
    return size > 0 ? static_cast<uint32_t>(size) : 0;
}

inline std::string Hex(uint32_t value)
{
    char text[16];
    std::snprintf(text, sizeof(text), "0x%" PRIx32, value);
    return text;
}

inline const char* FormatName(uint32_t format)
{
    switch (format) {
    case kKavoFormatJpeg:
        return "JPEG";
    case kKavoFormatTiff:
        return "TIFF";
    case kKavoFormatRaw:
        return "Raw";
    default:
        return "Data";
    }
}

}  // namespace kavosim
