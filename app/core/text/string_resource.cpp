#include "app/core/text/string_resource.h"

#include <algorithm>
#include <cstring>

#if defined(_WIN32)
#include <windows.h>
#endif

namespace qz {

#if defined(_WIN32)

int32_t LoadStringResource(void* module, uint32_t id, char* buffer, int32_t size)
{
    if (!buffer || size <= 0)
        return 0;
    HINSTANCE instance = module ? static_cast<HINSTANCE>(module) : GetModuleHandleA(nullptr);
    return LoadStringA(instance, id, buffer, size);
}

#else

namespace {
const std::map<uint32_t, std::string>* g_table = nullptr;
}

void SetStringTable(const std::map<uint32_t, std::string>* table)
{
    g_table = table;
}

int32_t LoadStringResource(void*, uint32_t id, char* buffer, int32_t size)
{
    if (!buffer || size <= 0)
        return 0;
    buffer[0] = '\0';
    if (!g_table)
        return 0;
    const auto entry = g_table->find(id);
    if (entry == g_table->end())
        return 0;
    const size_t count = std::min(entry->second.size(), static_cast<size_t>(size - 1));
    std::memcpy(buffer, entry->second.data(), count);
    buffer[count] = '\0';
    return static_cast<int32_t>(count);
}

#endif

}  // namespace qz
