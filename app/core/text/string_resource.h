// The seam through which CQzString::LoadString reaches the string table: the
// module's resources on Windows; natively, a table that the tests install.
#pragma once

#include <cstdint>
#include <map>
#include <string>

namespace qz {

// Names a string-table id written as a number. The program's string-table
// check collects every id the code writes this way (and every IDS_ name), so
// an id that is only a number elsewhere escapes it.
constexpr uint32_t StringId(uint32_t id) { return id; }

// Copies entry `id` of `module`'s string table (null: the program's own
// module) into `buffer` of `size` characters, cut to size - 1 and terminated
// as LoadStringA does; answers the number of characters copied, 0 when the
// entry is missing or empty.
int32_t LoadStringResource(void* module, uint32_t id, char* buffer, int32_t size);

#if !defined(_WIN32)
// The native build's string table; null removes it. Not owned.
void SetStringTable(const std::map<uint32_t, std::string>* table);
#endif

}  // namespace qz
