#include "app/core/engine/seams/debug_settings.h"

#include <windows.h>

CRegistryDebugSettings::CRegistryDebugSettings(const char* programKey)
    : key_(std::string(programKey ? programKey : "") + "\\Debug")
{
}

int32_t CRegistryDebugSettings::GetInt(const char* name, int32_t defaultValue) const
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, key_.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return defaultValue;
    DWORD type = 0, value = 0, size = sizeof value;
    const LONG status =
        RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size);
    RegCloseKey(key);
    if (status != ERROR_SUCCESS || type != REG_DWORD || size != sizeof value)
        return defaultValue;
    return static_cast<int32_t>(value);
}
