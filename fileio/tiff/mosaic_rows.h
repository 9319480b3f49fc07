// Rows of a raw colour-filter-array mosaic between the file's forms (packed
// 12-bit, 16-bit) and the pipeline's: one 16-bit sample per pixel holding a
// 12-bit value (0 to 4095), whatever the file stored.
#pragma once

#include <cstdint>

namespace quarnite {

// Packed 12-bit rows hold two samples in three bytes, a row rounded up to a
// whole pair (the rows of older raw files of odd width); the padded form adds one byte behind every 15 (ten samples).
inline uint64_t PackedRowBytes(uint32_t width) { return 3ull * ((width + 1ull) / 2); }
inline uint64_t PaddedPackedRowBytes(uint32_t width) { return 16ull * ((width + 9ull) / 10); }
// A raw file packs its samples as one run of 12-bit values, a row of odd width
// ending in the middle of a byte; only the last byte of the run is padded.
inline uint64_t PackedRunBytes(uint64_t samples) { return (3 * samples + 1) / 2; }
// The bytes a row of such a run touches, whether it starts on a byte or half-way in one.
inline uint64_t PackedRunRowBytes(uint32_t width) { return (3ull * width + 1) / 2; }

// Turns the packed bytes at the start of `row` into `width` samples in the
// same buffer (which holds 2 x width bytes), working from the row's end.
void UnpackMosaicRow(uint8_t* row, uint32_t width, bool padded);
// Samples of `bits` significant bits as the file stored them (big-endian when
// `swap`) to the mosaic's 12 bits, in place.
void ScaleMosaicRow(uint16_t* samples, uint32_t width, uint32_t bits, bool swap);
// `width` samples, each clamped to 4095, into packed bytes at the start of the
// same buffer; an odd width is padded with a 0 sample. Returns the packed size.
uint32_t PackMosaicRow(uint8_t* row, uint32_t width);
// Packs samples as one run over several calls: a sample left without a
// partner waits for the next call or for Finish.
class MosaicRunPacker {
public:
    // Appends the packed bytes of `count` samples (each clamped to 4095) at
    // `out`; returns how many were written.
    uint32_t Pack(const uint16_t* samples, uint32_t count, uint8_t* out);
    // The waiting sample with `next` as its partner (three bytes), or alone
    // (two bytes, the rest 0) when there is none; 0 bytes when none waits.
    uint32_t Finish(uint8_t* out, const uint16_t* next = nullptr);
    // The run's first sample is not packed here but kept (TakeFirst): it
    // ends the run that goes before this one.
    void HoldFirst() { holdFirst_ = true; }
    bool TakeFirst(uint16_t* sample) const
    {
        *sample = first_;
        return hasFirst_;
    }

private:
    uint16_t waiting_ = 0;
    bool hasWaiting_ = false;
    bool holdFirst_ = false;
    uint16_t first_ = 0;
    bool hasFirst_ = false;
};
// A row of a run that starts half-way in its first byte, moved a half byte
// forward so that it starts on one; `bytes` is what was read.
void AlignHalfByteRow(uint8_t* row, uint64_t bytes);
// Each output sample the mean of n file samples of its colour (column parity),
// in place: `width` samples become width / n.
void SubsampleMosaicRow(uint16_t* samples, uint32_t width, uint32_t n);

} // namespace quarnite
