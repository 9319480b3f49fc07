// The container blob of one image's adjustments: records tagged by class ids,
// chosen by a component mask and an enable mask. It is the content of the
// private settings tag of image files and the body of settings files. The
// container does not own what it serialises.
#pragma once

#include <cstdint>

#include "app/core/settings/qz_state.h"
#include "app/core/text/qz_string.h"

class CQzUSMList;
class CQzLutGroup;
class CQzSizeRes;
class CQzExposureAdjustment;
class CQzWBAdjustment;
class CQzNoiseReduction;

// Bits of both masks: a component record in the component mask, its on/off
// record in the enable mask.
enum : uint32_t {
    kProcUsm = 0x1,
    kProcCurves = 0x2,
    kProcColourBalance = 0x4,
    kProcFlip = 0x8,
    kProcRotation = 0x10,
    kProcSizeRes = 0x20,
    kProcExposure = 0x40,
    kProcWhiteBalance = 0x80,
    kProcThirdCurves = 0x400,
    kProcName = 0x20000,
};

class CQzImageProcSet : public IQzState {
public:
    int32_t GetSize() const override { return GetData(nullptr, 0); }
    // Writes a version 2 container; answers the full size of every record
    // the masks select, whether it fitted or not.
    int32_t GetData(uint8_t* buffer, int32_t length) const override;
    // Loading needs the image size: SetDataMasked.
    int32_t SetData(const uint8_t*, int32_t) override { return 0; }
    // Reads versions 1 and 2 for an image of width x height pixels; answers
    // the bytes covered, 0 for another class id.
    virtual int32_t SetDataMasked(const uint8_t* buffer, int32_t length, int32_t width, int32_t height);

    uint32_t componentMask = 0;  // 0: all
    uint32_t enableMask = 0;     // 0: all
    // What the last call wrote or read.
    mutable uint32_t componentsDone = 0;
    mutable uint32_t enablesDone = 0;
    uint8_t usmOn = 0;
    CQzUSMList* usm = nullptr;
    uint8_t curvesOn = 0;
    CQzLutGroup* curves = nullptr;
    uint8_t colourBalanceOn = 0;
    CQzLutGroup* colourBalance = nullptr;
    uint8_t thirdCurvesOn = 0;  // read only
    CQzLutGroup* thirdCurves = nullptr;
    uint8_t flip = 0;
    int16_t rotation = 0;
    CQzSizeRes* sizeRes = nullptr;
    uint8_t exposureOn = 0;
    CQzExposureAdjustment* exposure = nullptr;
    CQzWBAdjustment* whiteBalance = nullptr;
    // Carried for the record, never serialised.
    CQzNoiseReduction* noiseReduction = nullptr;
    uint8_t whiteBalanceOn = 0;
    uint8_t noiseReductionOn = 0;
    CQzString name;
    // Factors for the relative gains of a version 1 blob (the camera's
    // recorded red and blue gains); 0.0: that gain is not taken.
    double legacyGainScale1 = 0.0;
    double legacyGainScale2 = 0.0;
    // Set by SetDataMasked when a curve group read had to be rebuilt.
    uint8_t curvesConverted = 0;

    // A record of this size or more would wrap its 16-bit counted size.
    static constexpr int64_t kMaxRecordSize = 65518;

private:
    bool Selected(uint32_t bit) const { return componentMask == 0 || (componentMask & bit); }
    bool Enabled(uint32_t bit) const { return enableMask == 0 || (enableMask & bit); }
    int32_t ReadVersion1(const uint8_t* buffer, int32_t length, int32_t width, int32_t height);
    int32_t ReadVersion2(const uint8_t* buffer, int32_t length, int32_t width, int32_t height);
    void ApplySizeRes(const uint8_t* blob, int32_t size, int32_t width, int32_t height);
};
