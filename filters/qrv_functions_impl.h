// The colour engine's functions as the shared colour engine calls them: a
// table that points at QRV3's own functions, so that tests can put a recording
// engine in their place.
#pragma once

#include "QRV/QRV3.h"

struct KolvexQrvFunctions {
    using Lut = QZCMResult (*)(QZCMHandle, int32_t inBits, int32_t outBits, int32_t channelMask,
                               const unsigned short*, const unsigned short*, const unsigned short*,
                               const unsigned short*);

    QZCMResult (*create)(QZCMHandle* handle);
    QZCMResult (*destroy)(QZCMHandle handle);
    QZCMResult (*setInputProfile)(QZCMHandle handle, const char* path);
    QZCMResult (*setOutputProfile)(QZCMHandle handle, const char* path);
    QZCMResult (*setInputBitSize)(QZCMHandle handle, int32_t bits);
    QZCMResult (*setOutputBitSize)(QZCMHandle handle, int32_t bits);
    QZCMResult (*setIntent)(QZCMHandle handle, int32_t intent);
    QZCMResult (*setProofMode)(QZCMHandle handle, int32_t mode);
    Lut setInputLut;
    Lut setOutputLut;
    Lut mergeInputLut;
    Lut mergeOutputLut;
    QZCMResult (*processInterleaved)(QZCMHandle handle, int32_t pixelsPerLine, int32_t lines, const void* in,
                                     void* out, int32_t inLineBytes, int32_t outLineBytes);
};

// The table in use; it starts with QRV3's functions.
KolvexQrvFunctions& KolvexQrv();
// QRV3's own functions, to put back after a test.
const KolvexQrvFunctions& KolvexQrvDefaults();
