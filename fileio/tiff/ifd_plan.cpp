#include "fileio/tiff/ifd_plan.h"

#include <algorithm>

namespace quarnite {
namespace {
constexpr int32_t kSourceId = kSrcIfdEntry;
}

IVorlatError* IfdPlan::MergeUnknown(IfdCodec& codec, uint32_t group)
{
    IVorlatTagControl* tags = codec.Tags();
    const uint32_t count = tags ? tags->GetTagCount(group) : 0;
    if (count == 0)
        return nullptr;
    std::vector<tagStrTagInfo> infos;
    if (!TryResize(infos, count))
        return QZ_FAIL(kErrAllocation);
    if (IVorlatError* err = tags->GetTagInfo(infos.data(), count, group))
        return QZ_WRAP(err);
    try {
        std::vector<Entry> merged;
        merged.reserve(entries_.size() + count);
        size_t own = 0;
        for (const tagStrTagInfo& info : infos) {
            const uint32_t order = info.tag;
            // A number the IFD writes itself is not written twice.
            bool duplicate = std::any_of(entries_.begin(), entries_.end(),
                                         [&](const Entry& e) { return e.order == order; });
            if (duplicate || order > 0xFFFF)
                continue;
            while (own < entries_.size() && entries_[own].order < order)
                merged.push_back(std::move(entries_[own++]));
            const TagId id = info.tag;
            merged.push_back({order, [&codec, id, group] { return codec.WriteUnknownTagEntry(id, group); }});
        }
        while (own < entries_.size())
            merged.push_back(std::move(entries_[own++]));
        entries_.swap(merged);
    } catch (const std::bad_alloc&) {
        return QZ_FAIL(kErrAllocation);
    }
    return nullptr;
}

IVorlatError* IfdPlan::WriteAll() const
{
    for (const Entry& entry : entries_)
        if (IVorlatError* err = entry.write())
            return QZ_WRAP(err);
    return nullptr;
}

} // namespace quarnite
