#pragma once

// The engine context behind a handle: both profiles (as a block or a path),
// the bit sizes, intent, proof mode, user curve slots, what is stale, and the
// built transform.

#include "QRV/QRV3.h"
#include "QRV/transform.h"

namespace qrv {

struct QZCMContext {
    CountedBuffer inputBlock;
    CountedBuffer outputBlock;
    CountedBuffer inputPath;  // characters with the terminating zero
    CountedBuffer outputPath;
    int32_t inputBits;
    int32_t outputBits;
    int32_t intent;
    int32_t proofMode;
    UserCurveSlot inputSlots[4];
    UserCurveSlot outputSlots[4];
    int32_t rebuild;      // profiles, intent or proof mode changed
    int32_t tablesStale;  // a bit size or a user curve changed
    QZCMTransform transform;
};

// The context of a handle, or null when the handle names none.
QZCMContext* ContextOf(QZCMHandle handle);

// Builds what is stale (QZCMBuildTransform): 0 or a result code.
int BuildStale(QZCMContext& context);

}  // namespace qrv
