// The root of the camera object tree: owns the loaded module file and makes
// every call into its entry point.
#pragma once

#include "app/camera/kavo_library.h"
#include "app/camera/tree/kavo_base.h"

class CKavoModule : public CKavoBase {
public:
    CKavoModule() = default;
    ~CKavoModule() override;

    using CKavoBase::Open;
    // Loads the module file, looks up its entry point and opens the module
    // object: 0, -253, -252, -255, -254 or the open's result.
    virtual int32_t Open(const char* path);
    // The same with an entry point already in the process (the simulated
    // module linked into a test); nothing is loaded or freed.
    int32_t OpenWithEntryPoint(KavoEntryPointProc entry);
    int32_t Close() override;
    int32_t CallModule(CKavoBase* target, uint32_t command, uint32_t param, uint32_t dataType, void* data,
                       KavoCompletionProc completion, void* reference) override;
    uint32_t OnUserRequest(KavoUserRequest* request) override;
    CKavoBase* CreateChildObject(uint32_t id) override;

    // Capability 54 (0 when it cannot be read) and 58 (12288).
    uint32_t GetCap54Value();
    uint32_t GetCap58Value();

    uint32_t IsModuleOpen() const { return moduleOpen_; }
    const CQzString& GetPath() const { return path_; }

private:
    uint32_t moduleOpen_ = 0;
    CQzString path_;
    KavoEntryPointProc entry_ = nullptr;
    CKavoLibrary library_;
};
