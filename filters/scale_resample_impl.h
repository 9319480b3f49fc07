// The integer arithmetic of the scale filter's resampling: reduced ratios,
// fixed-point reciprocals, the per-column and per-row weight records, and the
// horizontal and vertical kernels over the row buffer.
#pragma once

#include <cstdint>

#include "filters/SourceWindow.h"

namespace scale_resample {

// Removes the common factors of s and d by trial division (2, 3, 5, 7, 9, ...),
// trying while the divisor is at most s and stopping once it exceeds d.
void ReduceRatio(int32_t* s, int32_t* d);

// ceil(2^32 / d) computed in double precision and kept as a 32-bit integer.
uint32_t Reciprocal(int64_t d);

// n / d as the upper 32 bits of n times the reciprocal of d: truncates, and is
// the division of the linear and area kernels wherever their sums fit 32 bits.
inline uint32_t DivideBy(uint32_t n, uint32_t reciprocal)
{
    return static_cast<uint32_t>((static_cast<uint64_t>(n) * reciprocal) >> 32);
}

// floor(a / b) for b > 0, also for negative a.
inline int64_t FloorDiv(int64_t a, int64_t b)
{
    const int64_t q = a / b;
    return (a % b != 0 && a < 0) ? q - 1 : q;
}

// One output column's (or row's) weights as the kernels read them:
//   area:   w[0] first weight, w[1] last weight, w[2] whole count
//   linear: w[0] left weight, w[1] right weight, advance
//   cubic:  w[0..3] the four weights (signed 16-bit values), advance
// 32 bits each: an area weight reaches d and a linear one 2d, past 16 bits for
// reduced ratios above 32767.
struct WeightRecord {
    uint32_t w[4];
    uint8_t advance;
};

enum class Kernel { Copy, Area, Linear, Cubic };

// Cubic convolution weights with a = -0.5 for the fraction t, scaled by 16384.
void CubicWeights(double t, int16_t w[4]);

// Area records for a reduced ratio s/d over the 1/d grid that starts at a;
// the records of output columns [left, right), returns the first source column.
int32_t SetupArea(WeightRecord* table, int32_t left, int32_t right, int32_t s, int32_t d);
int32_t SetupLinear(WeightRecord* table, int32_t left, int32_t right, int32_t s, int32_t d);
int32_t SetupCubic(WeightRecord* table, int32_t left, int32_t right, int32_t s, int32_t d);

// The vertical record of one output row from the accumulator's remainders r
// (this row) and rNext (the next row).
WeightRecord VerticalRecord(Kernel kernel, int64_t r, int64_t rNext, int32_t s, int32_t d);

// The divisors of one axis, s (area) and 2d (linear), and their reciprocals.
// wideSums: the kernel's divisor times the largest sample passes 32 bits, so
// its sums are kept in 64 bits and divided exactly; below that the 32-bit sums
// and the reciprocal division hold.
struct AxisRatio {
    int32_t s;
    int32_t d;
    uint32_t byS;
    uint32_t by2D;
    bool wideSums;
};
AxisRatio MakeAxis(Kernel kernel, int32_t s, int32_t d, bool wideSamples);

// Reads one source row through the window, which stands on the row's start
// column, into `row` (four 16-bit samples per pixel; 8-bit samples widened).
IVorlatError* HorizontalRow(Kernel kernel, CSourceWindow& window, const WeightRecord* table, int32_t count,
                            const AxisRatio& axis, int32_t channels, bool wide, uint16_t* row);

// Combines buffer rows into one output row. rows[1] is the row the record is
// based on; rows[0] the one above.
void VerticalRow(Kernel kernel, const uint16_t* const* rows, const WeightRecord& record, const AxisRatio& axis,
                 int32_t channels, bool wide, unsigned char* out, int32_t count);

} // namespace scale_resample
