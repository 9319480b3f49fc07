// The stored tone tables: program resources of type "LUT", 4096 unsigned
// 16-bit values (8192 bytes) each.
#pragma once

#include <cstdint>

inline constexpr int32_t kLutTableEntries = 4096;
inline constexpr int32_t kLutTableBytes = kLutTableEntries * 2;

class ILutResources {
public:
    // Copies table `id` into out (4096 entries); false when the table cannot
    // be found, loaded or locked, or is shorter than a table.
    virtual bool Load(int32_t id, uint16_t* out) const = 0;

protected:
    ~ILutResources() = default;
};

// The platform's own tables: the program's RC resources on Windows, the
// same tables compiled in natively. SetLutResources replaces them (null
// puts them back).
ILutResources& GetLutResources();
void SetLutResources(ILutResources* resources);

// A program built without the tables: every load fails.
class CAbsentLutResources : public ILutResources {
public:
    bool Load(int32_t, uint16_t*) const override { return false; }
};
