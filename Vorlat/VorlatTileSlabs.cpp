#include "Vorlat/VorlatTileSlabs_impl.h"

#include <algorithm>
#include <new>

#include "port/slab_memory.h"

namespace {

// Buffers start on cache lines; buffers of a page or more start on pages, so
// that each one's memory can be given back on its own.
constexpr size_t kLineBytes = 64;

size_t RoundUp(size_t value, size_t unit) { return (value + unit - 1) / unit * unit; }

bool BaseBefore(const uint8_t* p, const uint8_t* base) { return p < base; }

} // namespace

CVorlatTileSlabs::CVorlatTileSlabs(int32_t tileBytes) : tileBytes_(static_cast<size_t>(tileBytes))
{
    const size_t page = port::SlabPageSize();
    stride_ = RoundUp(tileBytes_ + port::kSlabRedZone, tileBytes_ >= page ? page : kLineBytes);
    pageBuffers_ = stride_ % page == 0;
}

CVorlatTileSlabs::~CVorlatTileSlabs()
{
    for (const Slab& slab : slabs_)
        port::SlabFree(slab.base, slab.bytes);
}

size_t CVorlatTileSlabs::SlabOf(const uint8_t* buffer) const
{
    const auto after = std::upper_bound(slabs_.begin(), slabs_.end(), buffer,
                                        [](const uint8_t* p, const Slab& slab) { return BaseBefore(p, slab.base); });
    return static_cast<size_t>(after - slabs_.begin()) - 1;
}

bool CVorlatTileSlabs::NewSlab(int64_t limit)
{
    const int64_t most = static_cast<int64_t>(std::max<size_t>(1, kSlabBytes / stride_));
    const int32_t count = static_cast<int32_t>(std::clamp<int64_t>(limit - Capacity(), 1, most));
    const size_t bytes = static_cast<size_t>(count) * stride_;
    uint8_t* base = static_cast<uint8_t*>(port::SlabAlloc(bytes));
    if (!base)
        return false;
    try {
        // Room for every buffer, so that giving one back never allocates.
        spare_.reserve(static_cast<size_t>(capacity_ + count));
        zeroed_.reserve(static_cast<size_t>(capacity_ + count));
        resting_.reserve(static_cast<size_t>(capacity_ + count));
        const auto at = std::upper_bound(slabs_.begin(), slabs_.end(), base,
                                         [](const uint8_t* p, const Slab& s) { return BaseBefore(p, s.base); });
        slabs_.insert(at, Slab{base, bytes, count});
    } catch (const std::bad_alloc&) {
        port::SlabFree(base, bytes);
        return false;
    }
    capacity_ += count;
    // The lowest buffer on top, so that a slab fills from its start.
    for (int32_t i = count - 1; i >= 0; --i) {
        uint8_t* buffer = base + static_cast<size_t>(i) * stride_;
        port::SlabPoison(buffer, stride_);
        zeroed_.push_back(buffer);
    }
    return true;
}

uint8_t* CVorlatTileSlabs::Take(int64_t limit, bool* zeroed)
{
    // Buffers already written are taken first, so that memory is touched for
    // the first time only when none is left.
    if (spare_.empty() && zeroed_.empty() && !resting_.empty()) {
        // Pages given back earlier are taken again before a new slab; they come back as zeros.
        if (!port::SlabCommit(resting_.back(), stride_))
            return nullptr;
        zeroed_.push_back(resting_.back());
        resting_.pop_back();
    }
    if (spare_.empty() && zeroed_.empty() && !NewSlab(limit))
        return nullptr;
    std::vector<uint8_t*>& from = spare_.empty() ? zeroed_ : spare_;
    if (zeroed)
        *zeroed = &from == &zeroed_;
    uint8_t* buffer = from.back();
    from.pop_back();
    port::SlabUnpoison(buffer, tileBytes_);
    return buffer;
}

void CVorlatTileSlabs::Give(uint8_t* buffer)
{
    port::SlabPoison(buffer, tileBytes_);
    spare_.push_back(buffer);
}

void CVorlatTileSlabs::Trim(int64_t keep)
{
    if (Capacity() <= keep)
        return;
    try {
        ReleaseSpareSlabs(keep);
    } catch (const std::bad_alloc&) {
        // Nothing was given back; the spare buffers below still can be.
    }
    if (!pageBuffers_)
        return;
    for (std::vector<uint8_t*>* from : {&spare_, &zeroed_})
        while (Capacity() > keep && !from->empty()) {
            // Pages the system kept still hold old pixels: such a buffer
            // must not come back as zeros.
            if (!port::SlabDecommit(from->back(), stride_))
                return;
            resting_.push_back(from->back());
            from->pop_back();
        }
}

void CVorlatTileSlabs::ReleaseSpareSlabs(int64_t keep)
{
    std::vector<int32_t> spareIn(slabs_.size(), 0), restingIn(slabs_.size(), 0);
    for (const uint8_t* buffer : spare_)
        ++spareIn[SlabOf(buffer)];
    for (const uint8_t* buffer : zeroed_)
        ++spareIn[SlabOf(buffer)];
    for (const uint8_t* buffer : resting_)
        ++restingIn[SlabOf(buffer)];
    std::vector<bool> gone(slabs_.size(), false);
    int64_t committed = Capacity(), count = capacity_;
    for (size_t i = slabs_.size(); i-- > 0 && committed > keep;) {
        if (spareIn[i] + restingIn[i] != slabs_[i].count)
            continue;
        gone[i] = true;
        committed -= spareIn[i];
        count -= slabs_[i].count;
    }
    if (count == capacity_)
        return;
    capacity_ = count;
    auto inGone = [&](const uint8_t* b) { return gone[SlabOf(b)]; };
    spare_.erase(std::remove_if(spare_.begin(), spare_.end(), inGone), spare_.end());
    zeroed_.erase(std::remove_if(zeroed_.begin(), zeroed_.end(), inGone), zeroed_.end());
    resting_.erase(std::remove_if(resting_.begin(), resting_.end(), inGone), resting_.end());
    size_t kept = 0;
    for (size_t i = 0; i < slabs_.size(); ++i) {
        if (gone[i])
            port::SlabFree(slabs_[i].base, slabs_[i].bytes);
        else
            slabs_[kept++] = slabs_[i];
    }
    slabs_.resize(kept);
}
