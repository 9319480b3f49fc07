#pragma once

// One side of a transform while it is being built: what the input profile
// (device to PCS) or the output profile (PCS to device) contributes.

#include <cstdint>

#include "QRV/counted_buffer.h"
#include "QRV/multi_lut.h"

namespace qrv {

class ProfileReader;
struct Curve;

enum SideKind : int32_t { kSideGrey = 0, kSideLut = 1, kSideMatrix = 2 };

struct LutBuildContext {
    LutBuildContext();
    ~LutBuildContext();
    LutBuildContext(const LutBuildContext&) = delete;
    LutBuildContext& operator=(const LutBuildContext&) = delete;

    double illuminant[3] = {};
    double mediaWhite[3] = {};
    uint32_t fromSpace = 0;
    uint32_t toSpace = 0;
    int32_t kind = kSideMatrix;
    uint32_t inputChannels = 0;
    uint32_t outputChannels = 0;
    int32_t tableBits = 16;
    bool pcsTo = false;  // the to-space is 'XYZ ', 'Lab ' or 'Lch '
    double matrix[9] = {};
    // A lookup side's own curves; a curve side keeps its converted tone
    // curves here too: as input curves on the input side, as (inverted)
    // output curves on the output side.
    CountedBuffer inCurves[4];
    CountedBuffer outCurves[4];
    double inScales[2] = {1.0, 1.0};   // (input scale, output scale)
    double outScales[2] = {1.0, 1.0};
    CMultiLutInit table;
};

// Fills a side from a parsed profile for an intent: 0, 9, 10 or 2.
int LoadSide(LutBuildContext& side, ProfileReader& profile, int32_t intent, bool inputSide);

// Inverts a 3x3 matrix (row by row) in place; 9 when it counts as singular.
int InvertMatrix(double* m);

// Converts a tone curve into a side's 16-bit table: identity {0, 65535}, a
// gamma as one entry, a table as it is, or on the output side its inverse.
int ConvertToneCurve(const Curve& curve, bool outputSide, CountedBuffer& out);

}  // namespace qrv
