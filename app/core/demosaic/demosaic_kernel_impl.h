// What the demosaic filters' row kernels stand on: a source of mosaic rows
// (tiles of a pipeline source, or a buffer in memory), the row rings, and the
// kernel interface that the base's row driver calls.
#pragma once

#include <cstddef>
#include <cstdint>

#include "Vorlat/Vorlat.h"
#include "filters/SourceWindow.h"

namespace demosaic {

// A coordinate outside [0, size) moved by whole periods of 2 into the first
// or last two samples, so that the nearest edge sample of the same colour is
// repeated. size must be at least 2.
inline int32_t FoldMosaic(int32_t v, int32_t size)
{
    const int64_t at = v;
    if (at < 0)
        return static_cast<int32_t>(at + 2 * ((1 - at) / 2));
    if (at >= size)
        return static_cast<int32_t>(at - 2 * ((at - size + 2) / 2));
    return v;
}

// The colour of a mosaic position: green where x + y is odd, else red on
// odd rows and blue on even rows.
enum MosaicColour : int32_t { kRed = 0, kGreen = 1, kBlue = 2 };
inline int32_t ColourAt(int32_t x, int32_t y)
{
    if ((x + y) & 1)
        return kGreen;
    return (y & 1) ? kRed : kBlue;
}

class CMosaicRows {
public:
    virtual ~CMosaicRows() = default;
    // Samples [x, x + count) of row y, positions outside folded (FoldMosaic).
    virtual IVorlatError* Read(int32_t y, int32_t x, int32_t count, uint16_t* out) = 0;
};

// A mosaic in memory.
class CBufferRows : public CMosaicRows {
public:
    CBufferRows(const uint16_t* data, int32_t width, int32_t height, int32_t stride)
        : data_(data), width_(width), height_(height), stride_(stride)
    {
    }
    IVorlatError* Read(int32_t y, int32_t x, int32_t count, uint16_t* out) override;

private:
    const uint16_t* data_;
    int32_t width_, height_, stride_;
};

// The tiles of a pipeline source through a window of a few locked tiles.
class CTileRows : public CMosaicRows {
public:
    explicit CTileRows(const IVorlatDataSource* source);
    IVorlatError* Read(int32_t y, int32_t x, int32_t count, uint16_t* out) override;
    // Unlocks every tile still held; the unlock failures come back as a chain.
    IVorlatError* Release();

private:
    CSourceWindow window_;
};

// Rows of a stage's values, addressed by absolute source row; a ring of n
// rows keeps the last n rows written.
template <typename T>
struct Ring {
    T* data = nullptr;
    int32_t rows = 0;
    int32_t stride = 0;  // entries per row

    T* Row(int32_t y) const
    {
        int32_t i = y % rows;
        if (i < 0)
            i += rows;
        return data + static_cast<ptrdiff_t>(i) * stride;
    }
    size_t Entries() const { return static_cast<size_t>(rows) * static_cast<size_t>(stride); }
};

// One grow-only block carved into a kernel's rings, so that a tile allocates
// at most once and a row never.
class CRingBlock {
public:
    CRingBlock() = default;
    CRingBlock(const CRingBlock&) = delete;
    CRingBlock& operator=(const CRingBlock&) = delete;
    ~CRingBlock() { delete[] block_; }

    // Room for bytes; false when memory is short (the old block stays).
    bool Reserve(size_t bytes);
    // Zeroes the block and hands out rings in order, each 8-byte aligned.
    void Reset();
    template <typename T>
    void Carve(Ring<T>* ring, int32_t rows, int32_t stride)
    {
        ring->rows = rows;
        ring->stride = stride;
        ring->data = reinterpret_cast<T*>(block_ + used_);
        used_ += RoundUp(ring->Entries() * sizeof(T));
    }
    template <typename T>
    static size_t Bytes(int32_t rows, int32_t stride)
    {
        return RoundUp(static_cast<size_t>(rows) * static_cast<size_t>(stride) * sizeof(T));
    }

private:
    static size_t RoundUp(size_t bytes) { return (bytes + 7) & ~static_cast<size_t>(7); }

    unsigned char* block_ = nullptr;
    size_t capacity_ = 0;
    size_t used_ = 0;
};

// The row stages of one filter. Columns of every ring run from
// firstColumn - Reach() for Columns(n) entries; the colour rows hold n pixels
// of red, green, blue from firstColumn on.
class CDemosaicKernel {
public:
    virtual ~CDemosaicKernel() = default;
    // Rows and columns of mosaic around a colour pixel that it depends on.
    virtual int32_t Reach() const = 0;
    // Bytes of rings per column, for keeping a strip within the ring budget.
    virtual size_t BytesPerColumn() const = 0;
    int32_t Columns(int32_t colourColumns) const { return colourColumns + 2 * Reach(); }
    // Sizes the rings for n colour columns; false when memory is short.
    virtual bool Reserve(int32_t colourColumns) = 0;
    // Clears the rings for a strip starting at source column firstColumn,
    // whose samples go through tables (red, green, blue).
    virtual void Start(int32_t firstColumn, const uint32_t* const* tables) = 0;
    // Runs every stage for source row y, whose samples cover the ring columns.
    virtual void Advance(int32_t y, const uint16_t* samples) = 0;
    // Source row y's colour row, valid once row y + Reach() was advanced.
    virtual const uint16_t* Colour(int32_t y) const = 0;
};

// The coded value of a sample through its colour's table; samples above
// 12 bits go to the top entry rather than past the table.
inline int32_t Coded(const uint32_t* table, uint16_t sample)
{
    return static_cast<int32_t>(table[sample > 4095 ? 4095 : sample]);
}

// Clamps a coded value to 0..262143 and brings it to 16 bits.
inline uint16_t ToOutput(int32_t coded)
{
    if (coded < 1)
        return 0;
    if (coded > 262143)
        coded = 262143;
    return static_cast<uint16_t>(coded >> 2);
}

} // namespace demosaic
