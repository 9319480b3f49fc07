// Rows of a raw colour-filter-array mosaic between the file's forms (packed
// 12-bit, 16-bit) and the pipeline's: one 16-bit sample per pixel holding a
// 12-bit value (0 to 4095), whatever the file stored.
#pragma once

#include <cstdint>

namespace quarnite {

// Packed 12-bit rows hold two samples in three bytes, a row rounded up to a
// whole pair; the padded form adds one byte behind every 15 (ten samples).
inline uint64_t PackedRowBytes(uint32_t width) { return 3ull * ((width + 1ull) / 2); }
inline uint64_t PaddedPackedRowBytes(uint32_t width) { return 16ull * ((width + 9ull) / 10); }

// Turns the packed bytes at the start of `row` into `width` samples in the
// same buffer (which holds 2 x width bytes), working from the row's end.
void UnpackMosaicRow(uint8_t* row, uint32_t width, bool padded);
// Samples of `bits` significant bits as the file stored them (big-endian when
// `swap`) to the mosaic's 12 bits, in place.
void ScaleMosaicRow(uint16_t* samples, uint32_t width, uint32_t bits, bool swap);
// `width` samples, each clamped to 4095, into packed bytes at the start of the
// same buffer; an odd width is padded with a 0 sample. Returns the packed size.
uint32_t PackMosaicRow(uint8_t* row, uint32_t width);
// Each output sample the mean of n file samples of its colour (column parity),
// in place: `width` samples become width / n.
void SubsampleMosaicRow(uint16_t* samples, uint32_t width, uint32_t n);

} // namespace quarnite
