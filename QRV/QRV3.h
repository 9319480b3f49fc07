#pragma once

// QRV3, the colour management engine: an engine handle takes an input and an
// output ICC profile, sample bit sizes, a rendering intent, a proof mode and
// optional user curves, and converts pixel data line by line. Nothing is
// computed by the setters; the first processing call after a change builds
// what is stale.

#include <cstdint>

#include "QRV/QrvExport.h"

// An index into the library's table of contexts, from 1; 0 is never valid.
typedef int32_t QZCMHandle;

// 0 success, 1 bad argument, 2 out of memory, 9 malformed or unsupported
// profile, 10 missing tag; a C run-time error number when a profile file
// cannot be opened, sized or read.
typedef int32_t QZCMResult;

// Rendering intents. Note the order: 2 is absolute colorimetric (the
// relative tables plus white scaling), 3 is saturation; 4 reads no lookup
// tags at all.
enum QZCMIntent : int32_t {
    QZCMIntentPerceptual = 0,
    QZCMIntentRelativeColorimetric = 1,
    QZCMIntentAbsoluteColorimetric = 2,
    QZCMIntentSaturation = 3,
    QZCMIntentCurvesAndMatrix = 4,
};

// The library's growable block. The elements begin at data rounded up to a
// multiple of alignment.
struct CountedBuffer {
    uint32_t length;    // elements
    uint32_t capacity;  // elements
    void* data;         // owned block, or null
    int32_t lockCount;
    uint32_t alignment;
};

QRV_API QZCMResult QZCMCreate(QZCMHandle* handle);
QRV_API QZCMResult QZCMDestroy(QZCMHandle handle);

QRV_API QZCMResult QZCMSetInputProfile(QZCMHandle handle, const char* path);
QRV_API QZCMResult QZCMSetInputProfile(QZCMHandle handle, const void* data, uint32_t bytes);
QRV_API QZCMResult QZCMSetOutputProfile(QZCMHandle handle, const char* path);
QRV_API QZCMResult QZCMSetOutputProfile(QZCMHandle handle, const void* data, uint32_t bytes);

QRV_API QZCMResult QZCMSetInputBitSize(QZCMHandle handle, int32_t bits);
QRV_API QZCMResult QZCMSetOutputBitSize(QZCMHandle handle, int32_t bits);
QRV_API QZCMResult QZCMSetIntent(QZCMHandle handle, int32_t intent);
QRV_API QZCMResult QZCMSetProofMode(QZCMHandle handle, int32_t mode);

// The table pointers are taken in order, one for each set bit of channelMask
// from bit 0 to bit 3; each table holds 2^inBits values below 2^outBits.
QRV_API QZCMResult QZCMSetInputLUT(QZCMHandle handle, int32_t inBits, int32_t outBits, int32_t channelMask,
                                   const unsigned short* t0, const unsigned short* t1,
                                   const unsigned short* t2, const unsigned short* t3);
QRV_API QZCMResult QZCMSetOutputLUT(QZCMHandle handle, int32_t inBits, int32_t outBits, int32_t channelMask,
                                    const unsigned short* t0, const unsigned short* t1,
                                    const unsigned short* t2, const unsigned short* t3);
QRV_API QZCMResult QZCMMergeInputLUT(QZCMHandle handle, int32_t inBits, int32_t outBits, int32_t channelMask,
                                     const unsigned short* t0, const unsigned short* t1,
                                     const unsigned short* t2, const unsigned short* t3);
QRV_API QZCMResult QZCMMergeOutputLUT(QZCMHandle handle, int32_t inBits, int32_t outBits, int32_t channelMask,
                                      const unsigned short* t0, const unsigned short* t1,
                                      const unsigned short* t2, const unsigned short* t3);

// A line stride of 0 means the packed size of one line; a plane stride of 0
// means pixelsPerLine samples.
QRV_API QZCMResult QZCMProcessInterleavedData(QZCMHandle handle, int32_t pixelsPerLine, int32_t lines,
                                              const void* in, void* out,
                                              int32_t inLineBytes, int32_t outLineBytes);
QRV_API QZCMResult QZCMProcessPlanarData(QZCMHandle handle, int32_t pixelsPerLine, int32_t lines,
                                         const void* in, void* out,
                                         int32_t inLineBytes, int32_t outLineBytes,
                                         int32_t inPlaneBytes, int32_t outPlaneBytes);
