#include "app/core/engine/seams/lut_resources.h"

#include <cstring>

namespace {

// The same data as the Windows program's RC resources.
const uint16_t k299[kLutTableEntries] = {
#include "app/core/engine/tables/lut_299.inc"
};
const uint16_t k300[kLutTableEntries] = {
#include "app/core/engine/tables/lut_300.inc"
};
const uint16_t k301[kLutTableEntries] = {
#include "app/core/engine/tables/lut_301.inc"
};
const uint16_t k314[kLutTableEntries] = {
#include "app/core/engine/tables/lut_314.inc"
};
const uint16_t k315[kLutTableEntries] = {
#include "app/core/engine/tables/lut_315.inc"
};
const uint16_t k316[kLutTableEntries] = {
#include "app/core/engine/tables/lut_316.inc"
};
const uint16_t k317[kLutTableEntries] = {
#include "app/core/engine/tables/lut_317.inc"
};

class CEmbeddedLutResources : public ILutResources {
public:
    bool Load(int32_t id, uint16_t* out) const override
    {
        const uint16_t* table = nullptr;
        switch (id) {
        case 299: table = k299; break;
        case 300: table = k300; break;
        case 301: table = k301; break;
        case 314: table = k314; break;
        case 315: table = k315; break;
        case 316: table = k316; break;
        case 317: table = k317; break;
        default: return false;
        }
        std::memcpy(out, table, kLutTableBytes);
        return true;
    }
};

CEmbeddedLutResources gEmbeddedTables;
ILutResources* gResources = &gEmbeddedTables;

}  // namespace

ILutResources& GetLutResources() { return *gResources; }

void SetLutResources(ILutResources* resources) { gResources = resources ? resources : &gEmbeddedTables; }
