#include "app/core/engine/seams/lut_resources.h"

#include <cstring>

#include <windows.h>

namespace {

// The tables are linked into the program itself (tables/lut_tables.rc).
class CModuleLutResources : public ILutResources {
public:
    bool Load(int32_t id, uint16_t* out) const override
    {
        HMODULE module = GetModuleHandleA(nullptr);
        HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(id), "LUT");
        if (!found || SizeofResource(module, found) < static_cast<DWORD>(kLutTableBytes))
            return false;
        HGLOBAL loaded = LoadResource(module, found);
        const void* data = loaded ? LockResource(loaded) : nullptr;
        if (!data)
            return false;
        std::memcpy(out, data, kLutTableBytes);
        return true;
    }
};

CModuleLutResources gModuleTables;
ILutResources* gResources = &gModuleTables;

}  // namespace

ILutResources& GetLutResources() { return *gResources; }

void SetLutResources(ILutResources* resources) { gResources = resources ? resources : &gModuleTables; }
