// The loaded camera module file and its entry point: LoadLibraryA and
// GetProcAddress on Windows, dlopen and dlsym natively (the simulated module
// built as a shared object).
#pragma once

#include <cstdint>
#include <string>

#include "app/camera/kavo_records.h"

class CKavoLibrary {
public:
    CKavoLibrary() = default;
    ~CKavoLibrary() { Free(); }
    CKavoLibrary(const CKavoLibrary&) = delete;
    CKavoLibrary& operator=(const CKavoLibrary&) = delete;

    // 0; -253 when a module is already loaded; -255 when the file cannot be
    // loaded (-252 when Windows reports a lack of memory, errors 8 and 14);
    // -254 when it has no entry point, after which the file is freed again.
    int32_t Load(const char* path);
    // Frees the file; the caller has closed the module's objects first.
    void Free();
    bool IsLoaded() const { return handle_ != nullptr; }
    KavoEntryPointProc EntryPoint() const { return entry_; }

private:
    void* handle_ = nullptr;
    KavoEntryPointProc entry_ = nullptr;
};

// The module's path: the common-files folder, the module folder and the file
// name, each joined with one backslash.
std::string JoinKavoModulePath(const std::string& commonFiles, const std::string& folder, const std::string& fileName);

// The common-files folder from the registry ("CommonFilesDir" of
// HKEY_LOCAL_MACHINE "Software\Microsoft\Windows\CurrentVersion"); false when
// it is not there. Natively there is no registry and the answer is false.
bool ReadCommonFilesDir(std::string* out);
