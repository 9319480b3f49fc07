#pragma once

// The node routines that fill a transform's grid table: input side to its
// PCS, PCS to PCS, output side to device values.

#include "QRV/multi_lut.h"

namespace qrv {

struct LutBuildContext;
struct QZCMTransform;

// The user record handed to FillTable.
struct NodeRecord {
    QZCMTransform* transform;
    LutBuildContext* input;
    LutBuildContext* output;
};

void NodeLutToLut(void* user, const double* coords, double* outputs);
void NodeMatrixToLut(void* user, const double* coords, double* outputs);
void NodeGreyToLut(void* user, const double* coords, double* outputs);
void NodeLutToMatrix(void* user, const double* coords, double* outputs);
void NodeLutToGrey(void* user, const double* coords, double* outputs);

// The routine for a pair of side kinds, or null for the pairs without a
// lookup-table side.
LutNodeCallback NodeRoutineFor(int32_t inputKind, int32_t outputKind);

}  // namespace qrv
