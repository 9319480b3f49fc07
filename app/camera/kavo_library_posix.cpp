#include "app/camera/kavo_library.h"

#include <dlfcn.h>

int32_t CKavoLibrary::Load(const char* path)
{
    if (handle_)
        return kKavoAlreadyLoaded;
    void* module = dlopen(path, RTLD_NOW | RTLD_LOCAL);
    if (!module)
        return kKavoLoadFailed;
    void* entry = dlsym(module, kKavoEntryPointName);
    if (!entry) {
        dlclose(module);
        return kKavoNoEntryPoint;
    }
    handle_ = module;
    entry_ = reinterpret_cast<KavoEntryPointProc>(entry);
    return kKavoOk;
}

void CKavoLibrary::Free()
{
    if (handle_)
        dlclose(handle_);
    handle_ = nullptr;
    entry_ = nullptr;
}

bool ReadCommonFilesDir(std::string*) { return false; }
