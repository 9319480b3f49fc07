#include "app/core/settings/exposure_adjustment.h"

#include "app/core/settings/blob_cursor.h"

using qz::BlobReader;
using qz::BlobWriter;

bool CQzExposureAdjustment::IsDefault() const
{
    return exposureCompensation == 0 && toneCompensation == 0 && colourMode == 0 && sharpening == 0 &&
           hueAdjustmentOn == 0 && hueLevel == 3;
}

int32_t CQzExposureAdjustment::GetData(uint8_t* buffer, int32_t length) const
{
    BlobWriter out(buffer, length);
    out.PutId(qz::kExposureAdjustmentId);
    out.Put<uint16_t>(3);
    const uint64_t lengthField = out.Position();
    out.Put<uint32_t>(0);
    out.Put(exposureCompensation);
    out.Put(static_cast<uint16_t>(toneCompensation));
    out.Put(static_cast<uint16_t>(colourMode));
    out.Put(hueAdjustmentOn);
    out.Put(hueLevel);
    out.Put(static_cast<uint16_t>(sharpening));
    out.FinishLength(lengthField);
    return out.Answer();
}

int32_t CQzExposureAdjustment::SetData(const uint8_t* buffer, int32_t length)
{
    if (!qz::StartsWith(buffer, length, qz::kExposureAdjustmentId))
        return 0;
    BlobReader in(buffer, length);
    in.Skip(16);
    uint16_t version = 0;
    in.Get(version);
    in.Skip(4);
    CQzExposureAdjustment read;
    if (version >= 1) {
        uint16_t tone = 0;
        in.Get(read.exposureCompensation);
        if (in.Get(tone))
            read.toneCompensation = tone;
    }
    if (version >= 2) {
        uint16_t mode = 0;
        if (in.Get(mode))
            read.colourMode = mode;
        in.Get(read.hueAdjustmentOn);
        in.Get(read.hueLevel);
    }
    if (version >= 3) {
        uint16_t sharp = 0;
        if (in.Get(sharp))
            read.sharpening = sharp;
    }
    *this = read;
    return static_cast<int32_t>(in.Position());
}
