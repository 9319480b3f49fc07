// Loads a camera module as the program does and lists the capabilities of
// the module and of its first camera. Everything the module answers is
// checked before it is used.
//
//   kavo_probe [MODULE]   without MODULE, the installed module's path
#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "app/camera/kavo_library.h"

namespace {

// More than any camera offers; a larger count is taken as a broken answer.
constexpr uint32_t kMaxCapabilities = 65536;
constexpr uint32_t kMaxChildren = 65536;

struct Probe {
    KavoEntryPointProc entry;

    int32_t Call(KavoObjectRecord* object, uint32_t command, uint32_t param, uint32_t dataType, void* data)
    {
        int32_t result;
        do
            result = entry(object, command, param, dataType, data, nullptr, nullptr);
        while (result == kKavoRepeat);
        return result;
    }

    std::string Name(KavoObjectRecord* object)
    {
        char text[257] = {};
        return Call(object, kKavoGet, kKavoCapName, kKavoDataString, text) == kKavoOk ? text : "";
    }

    int32_t List(KavoObjectRecord* object, const std::string& title, std::vector<tagQzKAVOCapInfo>* out)
    {
        int32_t result;
        std::vector<tagQzKAVOCapInfo> caps;
        do {
            uint32_t count = 0;
            Call(object, kKavoCapabilityCount, 0, kKavoDataUint, &count);
            if (count > kMaxCapabilities) {
                std::printf("%s: capability count %" PRIu32 " refused\n", title.c_str(), count);
                return kKavoOutOfMemory;
            }
            caps.assign(count, tagQzKAVOCapInfo{});
            result = entry(object, kKavoCapabilityInfo, count, kKavoDataCapInfo, caps.data(), nullptr, nullptr);
        } while (result == kKavoRepeat);
        if (result != kKavoOk)
            return result;
        std::printf("%s \"%s\": %zu capabilities\n", title.c_str(), Name(object).c_str(), caps.size());
        for (const tagQzKAVOCapInfo& cap : caps) {
            const void* nul = std::memchr(cap.description, 0, sizeof(cap.description));
            const int length = nul ? static_cast<int>(static_cast<const char*>(nul) - cap.description) : 256;
            std::printf("  0x%04" PRIx32 " type %" PRIu32 " attributes 0x%" PRIx32 " operations 0x%" PRIx32 " %.*s\n",
                        cap.id, cap.type, cap.attributes, cap.operations, length, cap.description);
        }
        *out = caps;
        return kKavoOk;
    }

    // The ids of the object's children; empty when the answer is unusable.
    std::vector<uint32_t> Children(KavoObjectRecord* object)
    {
        KavoListRecord list = {};
        if (Call(object, kKavoGet, kKavoCapChildren, kKavoDataList, &list) != kKavoOk ||
            list.bytesPerElement != 4 || list.elementCount > kMaxChildren)
            return {};
        std::vector<uint32_t> ids(list.elementCount);
        list.data = ids.data();
        if (ids.empty() || Call(object, kKavoGetArray, kKavoCapChildren, kKavoDataList, &list) != kKavoOk)
            return {};
        return ids;
    }
};

bool Has(const std::vector<tagQzKAVOCapInfo>& caps, uint32_t id)
{
    for (const tagQzKAVOCapInfo& cap : caps)
        if (cap.id == id)
            return true;
    return false;
}

}  // namespace

int main(int argc, char** argv)
{
    std::string path;
    if (argc > 1) {
        path = argv[1];
    } else {
        std::string common;
        if (!ReadCommonFilesDir(&common)) {
            std::printf("no common-files folder\n");
            return 2;
        }
        path = JoinKavoModulePath(common, "Korva\\KavoMods", "M4_Mod.kv3");
    }
    CKavoLibrary library;
    const int32_t loaded = library.Load(path.c_str());
    if (loaded != kKavoOk) {
        std::printf("%s: result %" PRId32 "\n", path.c_str(), loaded);
        return 2;
    }
    Probe probe{library.EntryPoint()};
    KavoObjectRecord module = {};
    int32_t result = probe.Call(nullptr, kKavoOpen, 0, kKavoDataObject, &module);
    if (result != kKavoOk) {
        std::printf("open: result %" PRId32 "\n", result);
        return 3;
    }
    std::vector<tagQzKAVOCapInfo> caps;
    result = probe.List(&module, "module", &caps);
    if (result == kKavoOk && Has(caps, kKavoCapChildren)) {
        const std::vector<uint32_t> sources = probe.Children(&module);
        if (sources.empty())
            std::printf("no camera\n");
        for (uint32_t id : sources) {
            KavoObjectRecord source = {};
            const int32_t opened = probe.Call(&module, kKavoOpen, id, kKavoDataObject, &source);
            if (opened != kKavoOk) {
                std::printf("source %" PRIu32 ": open result %" PRId32 "\n", id, opened);
                continue;
            }
            std::vector<tagQzKAVOCapInfo> sourceCaps;
            const int32_t listed = probe.List(&source, "source " + std::to_string(id), &sourceCaps);
            if (listed != kKavoOk)
                std::printf("source %" PRIu32 ": result %" PRId32 "\n", id, listed);
            probe.Call(&source, kKavoClose, 0, kKavoDataNone, nullptr);
        }
    }
    probe.Call(&module, kKavoClose, 0, kKavoDataNone, nullptr);
    library.Free();
    if (result != kKavoOk) {
        std::printf("module: result %" PRId32 "\n", result);
        return 3;
    }
    return 0;
}
