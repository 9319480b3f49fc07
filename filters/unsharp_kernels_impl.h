// The unsharp mask's pixel work: the processor features that pick the MMX
// path, the per-sample formula with its threshold and range weights, the
// local means of the plain and the MMX path, and the eight kernels, one
// per source layout.
#pragma once

#include <cstdint>

#include "filters/UnsharpMaskFilter.h"

namespace unsharp {

using Params = CUnsharpMaskFilter::CKernelParams;

// One set for the whole library, written by the first filter's processor test.
struct ProcessorFeatures {
    bool mmx;
    bool amd3dnow;
    bool sse;
    bool tested;
};
ProcessorFeatures& Features();
// CPUID: MMX, then SSE (only with MMX), then 3DNow!; runs once per process.
void TestProcessor();

// x lies in the arc (lo, hi] of the circle of 65536 hue steps.
bool InHueArc(int32_t x, int32_t lo, int32_t hi);
// The range weight of a 16-bit sample under the linear limits (inside the gate).
double LinearWeight(const Params& p, int32_t s);
// The range weight of a hue and chroma under the cyclic limits.
double GetHueWeight(const Params& p, int32_t hue, int32_t chroma);
// The sharpened 16-bit sample for a sample s (inside the gate), the mean of
// its neighbourhood and its range weight.
int32_t SharpenSample(const Params& p, int32_t s, double mean, double weight);

// The box mean of four adjacent columns. rows: the 2 reach + 1 buffer rows,
// each pointing at the first sample of the first column's neighbourhood; the
// samples of the next columns follow.
void MeansBox(const Params& p, const uint16_t* const* rows, double mean[4]);
// The sums of one weight row (n weights) against one buffer row, for count
// adjacent columns, with the arithmetic of the plain or the MMX path
// (p.mmxWeights); symmetric: the row reads the same both ways. scratch holds
// count + 2 reach + 8 entries. The SSE2 form of the MMX path reads samples and
// writes sums in whole groups of eight columns: samples holds count rounded up
// to eight + 2 reach entries and sums count rounded up to eight;
// RowSumsPortable is its plain-code twin.
void RowSums(const Params& p, const uint16_t* weights, bool symmetric, const uint16_t* samples, int32_t count,
             uint32_t* sums, uint32_t* scratch);
void RowSumsPortable(const Params& p, const uint16_t* weights, bool symmetric, const uint16_t* samples, int32_t count,
                     uint32_t* sums, uint32_t* scratch);
// The mean from the 64-bit total of a neighbourhood's row sums.
double MeanOfTotal(const Params& p, uint64_t total);
// Row stride of the weight table, in entries.
inline int32_t KernelStride(int32_t reach) { return ((2 * reach + 1 + 6) & ~3) + 4; }

using Kernel = IVorlatError* (*)(const Params&, IVorlatTile*, const RECT&, const IVorlatDataSource*);
IVorlatError* SharpenGrey8(const Params& p, IVorlatTile* tile, const RECT& rect, const IVorlatDataSource* source);
IVorlatError* SharpenGrey16(const Params& p, IVorlatTile* tile, const RECT& rect, const IVorlatDataSource* source);
IVorlatError* SharpenRGB24(const Params& p, IVorlatTile* tile, const RECT& rect, const IVorlatDataSource* source);
IVorlatError* SharpenRGB48(const Params& p, IVorlatTile* tile, const RECT& rect, const IVorlatDataSource* source);
IVorlatError* Sharpen4x8(const Params& p, IVorlatTile* tile, const RECT& rect, const IVorlatDataSource* source);
IVorlatError* SharpenFirstHue48(const Params& p, IVorlatTile* tile, const RECT& rect, const IVorlatDataSource* source);
IVorlatError* SharpenFirst48(const Params& p, IVorlatTile* tile, const RECT& rect, const IVorlatDataSource* source);
// The kernel for a colour space, or null.
Kernel KernelFor(int32_t colorSpace);

} // namespace unsharp
