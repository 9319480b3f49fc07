// The store's id table: every id that AddTag accepts, with its value form.
#pragma once

#include <cstdint>

#include "fileio/VorlatTagControl.h"

namespace quarnite {

enum class TagClass : uint8_t { Bytes, Longs, Rationals, Profile, Iptc, Block };

struct TagTableEntry {
    TagId id;
    uint32_t type;
    TagClass kind;
};

// Null when the id is not in the table.
const TagTableEntry* FindTagTableEntry(TagId id);

} // namespace quarnite
