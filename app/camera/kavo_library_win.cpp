#include "app/camera/kavo_library.h"

#include <windows.h>

int32_t CKavoLibrary::Load(const char* path)
{
    if (handle_)
        return kKavoAlreadyLoaded;
    HMODULE module = LoadLibraryA(path);
    if (!module) {
        const DWORD error = GetLastError();
        return error == ERROR_NOT_ENOUGH_MEMORY || error == ERROR_OUTOFMEMORY ? kKavoOutOfMemory : kKavoLoadFailed;
    }
    FARPROC entry = GetProcAddress(module, kKavoEntryPointName);
    if (!entry) {
        FreeLibrary(module);
        return kKavoNoEntryPoint;
    }
    handle_ = module;
    entry_ = reinterpret_cast<KavoEntryPointProc>(reinterpret_cast<void*>(entry));
    return kKavoOk;
}

void CKavoLibrary::Free()
{
    if (handle_)
        FreeLibrary(static_cast<HMODULE>(handle_));
    handle_ = nullptr;
    entry_ = nullptr;
}

bool ReadCommonFilesDir(std::string* out)
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion", 0, KEY_READ, &key) !=
        ERROR_SUCCESS)
        return false;
    char text[MAX_PATH] = {};
    DWORD size = sizeof(text) - 1;
    DWORD type = 0;
    const LONG status =
        RegQueryValueExA(key, "CommonFilesDir", nullptr, &type, reinterpret_cast<BYTE*>(text), &size);
    RegCloseKey(key);
    if (status != ERROR_SUCCESS || type != REG_SZ)
        return false;
    // The stored text need not end in a NUL.
    text[size < sizeof(text) ? size : sizeof(text) - 1] = '\0';
    *out = text;
    return true;
}
