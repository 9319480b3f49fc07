#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// Where a manager's tile buffers live: large slabs of system memory cut into
// buffers of tile bytes. A buffer given back stays in its slab for the next
// tile, so that while images come and go within the budget nothing returns to
// the system and no page is touched for the first time twice. The manager's
// free list and budget rules sit above this; the slabs only count buffers.
class CVorlatTileSlabs {
public:
    explicit CVorlatTileSlabs(int32_t tileBytes);
    ~CVorlatTileSlabs();
    CVorlatTileSlabs(const CVorlatTileSlabs&) = delete;
    CVorlatTileSlabs& operator=(const CVorlatTileSlabs&) = delete;

    // A buffer of tile bytes, null when the system has no memory. When no
    // spare buffer is left a new slab is made, holding no more buffers than
    // keeps the total within limit (but at least one), so that slabs count
    // against the manager's budget. *zeroed tells whether the buffer is known
    // to hold zeros: its memory came from the system and nobody wrote it since.
    uint8_t* Take(int64_t limit, bool* zeroed = nullptr);
    void Give(uint8_t* buffer);
    // Gives memory back to the system until the slabs hold no more than keep
    // buffers: first the slabs that have no buffer out, the highest first,
    // then the pages of spare buffers (the slab stays reserved for them).
    void Trim(int64_t keep);

    // Buffers whose memory the slabs hold: out, or spare and not given back.
    int64_t Capacity() const { return capacity_ - static_cast<int64_t>(resting_.size()); }
    int64_t Out() const { return capacity_ - static_cast<int64_t>(spare_.size() + zeroed_.size() + resting_.size()); }
    size_t SlabCount() const { return slabs_.size(); }
    // Bytes from one buffer to the next in a slab.
    size_t Stride() const { return stride_; }

    // The most buffers in one slab: 4 MB, two huge pages.
    static constexpr size_t kSlabBytes = size_t{4} << 20;

private:
    struct Slab {
        uint8_t* base;
        size_t bytes;
        int32_t count;
    };

    // The slab that holds buffer, by address.
    size_t SlabOf(const uint8_t* buffer) const;
    bool NewSlab(int64_t limit);
    void ReleaseSpareSlabs(int64_t keep);

    size_t tileBytes_;
    size_t stride_;
    // Whether a buffer is whole pages, so that its memory can go back alone.
    bool pageBuffers_;
    int64_t capacity_ = 0;          // buffers in all slabs
    std::vector<Slab> slabs_;       // in address order
    std::vector<uint8_t*> spare_;   // in no one's hands, the last given back on top
    std::vector<uint8_t*> zeroed_;  // in no one's hands and never written: zeros
    std::vector<uint8_t*> resting_; // spare, with their pages given back to the system
};
