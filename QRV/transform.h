#pragma once

// The built transform of a context: per-channel input curves, a core (a grid
// table, a fixed-point 3x3 matrix or a pass-through), per-channel output
// curves, and the channel tables that fold in the user curves.

#include <cstdint>

#include "QRV/counted_buffer.h"

namespace qrv {

class CMultiLutWorkBase;

struct UserCurveSlot {
    CountedBuffer entries;
    int32_t inBits;
    int32_t outBits;
    int32_t mode;  // 0 set, 1 merge
};

struct QZCMTransform {
    int32_t intent;
    int32_t proofMode;
    uint8_t inputIsLut;
    uint8_t outputIsLut;
    uint8_t matrixCore;
    uint8_t passThrough;
    uint32_t inputIdentityMask;
    uint32_t outputIdentityMask;
    CountedBuffer inputCurves[4];
    CountedBuffer outputCurves[4];
    uint32_t inputSpace;
    uint32_t outputSpace;
    uint32_t inputChannels;
    uint32_t outputChannels;
    int32_t inputBits;
    int32_t outputBits;
    CountedBuffer inputTable;
    CMultiLutWorkBase* lut;
    CountedBuffer matrix;  // 3 rows of 4 signed 16-bit entries, 8192 = 1.0
    CountedBuffer outputTable;
    CountedBuffer scratch[2];
    // Which shared 'Lch ' tables this transform holds a count of.
    bool holdsSinCos;
    bool holdsAtan;
    // A grey side whose connection space is 'Lab ' or 'Lch ': its tone curve
    // gives L*, while the matrix core works in Y.
    bool inputGreyLightness;
    bool outputGreyLightness;
};

void InitTransform(QZCMTransform& t);
void ReleaseTransform(QZCMTransform& t);

// Builds the whole transform from two profile blocks; 0 or a result code.
int BuildTransform(QZCMTransform& t, const uint8_t* inBlock, uint32_t inBytes, const uint8_t* outBlock,
                   uint32_t outBytes, int32_t intent, int32_t proofMode, int32_t inBits, int32_t outBits,
                   const UserCurveSlot* inSlots, const UserCurveSlot* outSlots);

// Rebuilds the per-channel tables (QZCMBuildTables); 0 or 2.
int BuildTables(QZCMTransform& t, int32_t inBits, int32_t outBits, const UserCurveSlot* inSlots,
                const UserCurveSlot* outSlots);

// Converts lines of pixels through a current transform; 0 or 2.
struct PixelLayout {
    const uint8_t* in;
    uint8_t* out;
    int64_t inLineBytes, outLineBytes;
    int64_t inPlaneBytes, outPlaneBytes;  // planar only
    bool planar;
};
int ProcessPixels(QZCMTransform& t, int32_t pixels, int32_t lines, const PixelLayout& layout);

// The shared 'Lch ' tables.
const int16_t* SinCosTable();        // 65537 pairs {sin, cos} x 32768
const uint16_t* ChromaScaleTable();  // 65537 entries
const uint16_t* AtanTable();         // 8193 entries, a full turn is 65536
int AcquireSinCos();
void ReleaseSinCos();
int AcquireAtan();
void ReleaseAtan();
int32_t SinCosUsers();
int32_t AtanUsers();

// Kernels: the processor test sets the MMX flag at every build; tests may
// force either path.
enum class KernelChoice { Processor, Portable, Mmx };
void ForceKernels(KernelChoice choice);
bool UseMmx();

}  // namespace qrv
