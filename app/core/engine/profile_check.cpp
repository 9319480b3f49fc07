#include "app/core/engine/profile_check.h"

#include <cstdio>
#include <vector>

#include "QRV/QRV3.h"
#include "app/core/engine/develop_engine.h"
#include "app/core/text/string_resource.h"

namespace {

bool ReadWhole(const char* path, std::vector<uint8_t>& bytes)
{
    std::FILE* file = path && *path ? std::fopen(path, "rb") : nullptr;
    if (!file)
        return false;
    bool ok = std::fseek(file, 0, SEEK_END) == 0;
    const long size = ok ? std::ftell(file) : -1;
    ok = ok && size >= 0 && std::fseek(file, 0, SEEK_SET) == 0;
    if (ok) {
        bytes.resize(static_cast<size_t>(size));
        ok = bytes.empty() || std::fread(bytes.data(), 1, bytes.size(), file) == bytes.size();
    }
    std::fclose(file);
    return ok;
}

}  // namespace

ProfileCheck CheckProfileBlock(const uint8_t* data, uint32_t bytes)
{
    ProfileCheck check;
    // The version counts only in what is an ICC header at all.
    if (bytes >= 128 && data[36] == 'a' && data[37] == 'c' && data[38] == 's' && data[39] == 'p')
        check.version = data[8];
    QZCMHandle handle = 0;
    if (QZCMCreate(&handle) != 0) {
        // Without a context nothing can be said against the profile.
        return check;
    }
    // One pixel of up to four channels each way; the build refuses any other count.
    uint8_t in[4] = {}, out[4] = {};
    int32_t result = bytes == 0 ? 9 : QZCMSetInputProfile(handle, data, bytes);
    if (result == 0)
        result = QZCMSetOutputProfile(handle, data, bytes);
    if (result == 0)
        result = QZCMProcessInterleavedData(handle, 1, 1, in, out, 0, 0);
    QZCMDestroy(handle);
    if (result == 2 || result == 0)
        return check;
    check.fault = check.version != 0 && check.version != 2 ? ProfileFault::kVersion : ProfileFault::kUnusable;
    return check;
}

ProfileCheck CheckProfileFile(const char* path)
{
    std::vector<uint8_t> bytes;
    if (!ReadWhole(path, bytes)) {
        ProfileCheck check;
        check.fault = ProfileFault::kUnreadable;
        return check;
    }
    return CheckProfileBlock(bytes.data(), static_cast<uint32_t>(bytes.size()));
}

uint32_t ProfileFaultMessage(const ProfileCheck& check)
{
    switch (check.fault) {
    case ProfileFault::kNone: return 0;
    case ProfileFault::kUnreadable: return kMessageProfileUnreadable;
    case ProfileFault::kVersion: return kMessageProfileVersion;
    case ProfileFault::kUnusable: return kMessageProfileUnusable;
    }
    return kMessageProfileUnusable;
}

std::string ProfileFaultText(const char* path, const ProfileCheck& check)
{
    const uint32_t id = ProfileFaultMessage(check);
    char pattern[512] = {};
    if (id == 0 || qz::LoadStringResource(nullptr, id, pattern, sizeof pattern) <= 0)
        return {};
    const std::string version = std::to_string(check.version);
    std::string text;
    for (const char* p = pattern; *p; ++p) {
        if (p[0] == '%' && p[1] == '1') {
            text += path ? path : "";
            ++p;
        } else if (p[0] == '%' && p[1] == '2') {
            text += version;
            ++p;
        } else {
            text += *p;
        }
    }
    return text;
}

int32_t FindUnusableEngineProfile(uint32_t mask, ProfileCheck* check)
{
    for (int32_t n = 0; n < 4; ++n) {
        if (!(mask & (1u << n)))
            continue;
        const ProfileCheck found = CheckProfileFile(GetColorProfilePath(n));
        if (found.fault != ProfileFault::kNone) {
            if (check)
                *check = found;
            return n;
        }
    }
    return -1;
}
