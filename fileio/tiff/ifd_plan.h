// The entries an IFD writer is about to write, merged with the unknown tags
// of a store group in ascending tag order. Counting and writing walk the same
// list, so the entry count written first always matches the entries.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "fileio/quarnite_error.h"
#include "fileio/tiff/ifd_codec.h"

namespace quarnite {

class IfdPlan {
public:
    using Writer = std::function<IVorlatError*()>;

    // Entries are added in ascending tag order.
    void Add(uint32_t order, Writer writer) { entries_.push_back({order, std::move(writer)}); }

    // Adds the unknown tags of `group` (stored under their bare tag numbers)
    // whose numbers this IFD does not write itself.
    IVorlatError* MergeUnknown(IfdCodec& codec, uint32_t group);

    size_t Count() const { return entries_.size(); }
    IVorlatError* WriteAll() const;

private:
    struct Entry {
        uint32_t order;
        Writer write;
    };
    std::vector<Entry> entries_;
};

} // namespace quarnite
