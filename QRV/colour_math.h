#pragma once

// The floating-point colour operations the grid node routines are built
// from. Each works in place on the three doubles of a colour.

#include <cstdint>

namespace qrv {

struct LutBuildContext;

void EncodeXYZ16(double* c);
void DecodeXYZ16(double* c);
void EncodeLab16(double* c);
void DecodeLab16(double* c);
void EncodeLch16(double* c);
void DecodeLch16(double* c);

void XYZToLab(double* c, const double* white);
void LabToXYZ(double* c, const double* white);
void LabToLch(double* c);
void LchToLab(double* c);

// The tone axis of curve-based sides: denser in the dark tones.
double GreyAxis(double t);
// Its inverse, as the per-channel input tables apply it.
double GreyAxisInverse(double v);

// Evaluates one set (input or output curves) of a side's curves on each
// channel, values 0 .. 65535.
void ApplySideCurves(const LutBuildContext& side, double* values, bool outputSet);

void MatrixTimesColour(const double* m, double* c);
void ScaleColour(double* c, const double* factors);

}  // namespace qrv
