#include "fileio/meta/iptc_record.h"

#include <cstring>

#include "fileio/quarnite_error.h"

namespace quarnite {
namespace {
constexpr int32_t kSourceId = kSrcIptcRecord;
constexpr uint8_t kMarker = 0x1C;
} // namespace

std::vector<IptcRecord::Dataset> IptcRecord::Walk() const
{
    std::vector<Dataset> sets;
    const size_t size = block_.size();
    size_t pos = 0;
    while (pos + 5 <= size && block_[pos] == kMarker) {
        Dataset set{};
        set.start = pos;
        set.number = static_cast<uint16_t>(block_[pos + 1] << 8 | block_[pos + 2]);
        uint32_t field = static_cast<uint32_t>(block_[pos + 3] << 8 | block_[pos + 4]);
        size_t data = pos + 5;
        if (field & 0x8000) {
            size_t extra = field & 0x7FFF;
            if (extra < 1 || extra > 4 || data + extra > size)
                break;
            uint64_t length = 0;
            for (size_t i = 0; i < extra; ++i)
                length = length << 8 | block_[data + i];
            set.length = static_cast<size_t>(length);
            set.extended = true;
            data += extra;
            if (length > size - data)
                break;
        } else {
            set.length = field;
            if (set.length > size - data)
                break;
        }
        set.dataStart = data;
        try {
            sets.push_back(set);
        } catch (const std::bad_alloc&) {
            break;
        }
        pos = data + set.length;
    }
    return sets;
}

void IptcRecord::Parse()
{
    caption_.clear();
    keywords_.clear();
    try {
        for (const Dataset& set : Walk()) {
            if (set.length == 0)
                continue;
            const char* text = reinterpret_cast<const char*>(block_.data() + set.dataStart);
            if (set.number == kKeywords)
                keywords_.emplace_back(text, set.length);
            else if (set.number == kCaption)
                caption_.assign(text, set.length);
        }
    } catch (const std::bad_alloc&) {
        // What was read stays; the block itself is kept whole.
    }
}

IVorlatError* IptcRecord::SetBlock(const uint8_t* data, size_t size)
{
    std::vector<uint8_t> copy;
    if (!TryResize(copy, size))
        return QZ_FAIL(kErrAllocation);
    if (size)
        std::memcpy(copy.data(), data, size);
    block_.swap(copy);
    Parse();
    return nullptr;
}

const IptcRecord::Dataset* IptcRecord::Find(const std::vector<Dataset>& sets, uint16_t number, size_t k) const
{
    for (const Dataset& set : sets) {
        if (set.number != number || (number == kKeywords && set.length == 0))
            continue;
        if (k-- == 0)
            return &set;
    }
    return nullptr;
}

bool IptcRecord::Insert(uint16_t number, const char* data, size_t length)
{
    // New datasets go behind the last well-formed one, where a walk finds them.
    std::vector<Dataset> sets = Walk();
    size_t at = sets.empty() ? 0 : sets.back().dataStart + sets.back().length;
    uint8_t header[5] = {kMarker, static_cast<uint8_t>(number >> 8), static_cast<uint8_t>(number),
                         static_cast<uint8_t>(length >> 8), static_cast<uint8_t>(length)};
    try {
        block_.insert(block_.begin() + static_cast<ptrdiff_t>(at), header, header + 5);
        block_.insert(block_.begin() + static_cast<ptrdiff_t>(at + 5), data, data + length);
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

bool IptcRecord::Replace(const Dataset& set, const char* data, size_t length)
{
    if (set.extended)
        return false;
    std::vector<uint8_t> rebuilt;
    if (!TryResize(rebuilt, block_.size() - set.length + length))
        return false;
    uint8_t* out = rebuilt.data();
    std::memcpy(out, block_.data(), set.start + 3);
    out[set.start + 3] = static_cast<uint8_t>(length >> 8);
    out[set.start + 4] = static_cast<uint8_t>(length);
    if (length)
        std::memcpy(out + set.dataStart, data, length);
    size_t tail = block_.size() - set.dataStart - set.length;
    if (tail)
        std::memcpy(out + set.dataStart + length, block_.data() + set.dataStart + set.length, tail);
    block_.swap(rebuilt);
    return true;
}

bool IptcRecord::Remove(const Dataset& set)
{
    block_.erase(block_.begin() + static_cast<ptrdiff_t>(set.start),
                 block_.begin() + static_cast<ptrdiff_t>(set.dataStart + set.length));
    return true;
}

IVorlatError* IptcRecord::SetCaption(const char* text, size_t length)
{
    if (length > kMaxText)
        return QZ_FAIL(kErrBadArgument);
    std::vector<Dataset> sets = Walk();
    const Dataset* first = Find(sets, kCaption, 0);
    bool done = first ? Replace(*first, text, length) : false;
    if (!done)
        done = !first && Insert(kCaption, text, length);
    if (!done)
        return QZ_FAIL(kErrAllocation);
    // A later caption would win the next parse over the one just set.
    for (std::vector<Dataset> now = Walk(); const Dataset* extra = Find(now, kCaption, 1); now = Walk())
        Remove(*extra);
    Parse();
    return nullptr;
}

IVorlatError* IptcRecord::SetKeyword(uint32_t index, const char* text, size_t length)
{
    std::vector<Dataset> sets = Walk();
    if (!text) {
        if (index == 0xFFFFFFFFu || index >= keywords_.size())
            return QZ_FAIL(kErrBadArgument);
        const Dataset* set = Find(sets, kKeywords, index);
        if (!set || !Remove(*set))
            return QZ_FAIL(kErrAllocation);
        Parse();
        return nullptr;
    }
    if (length > kMaxText)
        return QZ_FAIL(kErrBadArgument);
    const Dataset* set = Find(sets, kKeywords, index);
    bool done = set && Replace(*set, text, length);
    if (!done && !Insert(kKeywords, text, length))
        return QZ_FAIL(kErrAllocation);
    Parse();
    return nullptr;
}

} // namespace quarnite
