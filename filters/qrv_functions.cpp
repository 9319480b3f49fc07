// The table of colour engine functions, filled with QRV3's own.
#include "filters/qrv_functions_impl.h"

const KolvexQrvFunctions& KolvexQrvDefaults()
{
    static const KolvexQrvFunctions defaults = {
        QZCMCreate,
        QZCMDestroy,
        static_cast<QZCMResult (*)(QZCMHandle, const char*)>(QZCMSetInputProfile),
        static_cast<QZCMResult (*)(QZCMHandle, const char*)>(QZCMSetOutputProfile),
        QZCMSetInputBitSize,
        QZCMSetOutputBitSize,
        QZCMSetIntent,
        QZCMSetProofMode,
        QZCMSetInputLUT,
        QZCMSetOutputLUT,
        QZCMMergeInputLUT,
        QZCMMergeOutputLUT,
        QZCMProcessInterleavedData,
    };
    return defaults;
}

KolvexQrvFunctions& KolvexQrv()
{
    static KolvexQrvFunctions functions = KolvexQrvDefaults();
    return functions;
}
