#include "app/core/engine/develop_engine.h"
#include "app/core/record/image_record.h"

CDevelopParams::CDevelopParams(CImageRecord& record)
{
    usmOn = static_cast<int32_t>(record.usmOn);
    usmList = &record.usm;
    curves1On = static_cast<int32_t>(record.curvesOn);
    curves1 = &record.curves;
    curves2On = static_cast<int32_t>(record.colourBalanceOn);
    curves2 = &record.colourBalance;
    sizeRes = &record.sizeRes;
    exposureOn = static_cast<int32_t>(record.exposureOn);
    exposure = &record.exposure;
    wbOn = static_cast<int32_t>(record.whiteBalanceOn);
    wb = &record.whiteBalance;
    noiseOn = static_cast<int32_t>(record.noiseReductionOn);
    noise = &record.noiseReduction;
    flip = record.flip;
    rotation = record.rotation;
    source = record.imageData;
    second = record.secondData;
    raw = record.thirdData;
    tags = record.tags;
    cameraModel = static_cast<int16_t>(record.cameraModel);
    asShotRed = record.level1;
    asShotBlue = record.level2;
    // Carried for callers outside the engine, which never reads them.
    extra1 = static_cast<int32_t>(record.lightSource);
    extra2 = record.raw;
    sizeResApplied = 1;
    ReadDebugSwitches();
}
