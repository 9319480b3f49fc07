// The settings objects of an image record with their on/off flags, and the
// container filled from them: the half of CImageRecord that the clipboard,
// the settings files and the private settings tag work on.
#pragma once

#include <cstdint>

#include "app/core/curves/lut_group.h"
#include "app/core/heuristics/size_res.h"
#include "app/core/procset/image_proc_set.h"
#include "app/core/settings/exposure_adjustment.h"
#include "app/core/settings/noise_reduction.h"
#include "app/core/settings/usm.h"
#include "app/core/settings/wb_adjustment.h"
#include "app/core/text/qz_string.h"

struct CQzRecordSettings {
    // A new record's groups: tone curves with red, green and blue channels,
    // colour balance with three black channels; white balance from the camera.
    CQzRecordSettings();

    uint32_t usmOn = 0;
    CQzUSMList usm;
    uint32_t curvesOn = 0;
    CQzLutGroup curves;
    uint32_t colourBalanceOn = 0;
    CQzLutGroup colourBalance;
    CQzSizeRes sizeRes;
    uint8_t keepSize = 0;
    uint8_t flip = 0;
    int32_t rotation = 0;
    uint32_t exposureOn = 0;
    CQzExposureAdjustment exposure;
    uint32_t whiteBalanceOn = 0;
    CQzWBAdjustment whiteBalance;
    uint32_t noiseReductionOn = 0;
    CQzNoiseReduction noiseReduction;
    CQzString name;

    // Points the container at these objects and copies the flags.
    void FillProcSet(CQzImageProcSet& set);
    // Takes back the flags, the orientation and the name a read left in it.
    void TakeFromProcSet(const CQzImageProcSet& set);
};

// The colours of a new record's curve channels 1 to 3.
void AddRecordCurveChannels(CQzLutGroup& curves);
void AddRecordColourBalanceChannels(CQzLutGroup& colourBalance);
