#include "app/core/record/image_record.h"

#include <cstring>

#include "app/core/engine/develop_engine.h"
#include "app/core/engine/image_open.h"
#include "app/core/engine/seams/engine_lock.h"
#include "fileio/VorlatTagControl.h"

namespace {

void ReleaseIfHeld(IVorlatImage* image)
{
    if (image)
        ReleaseImageData(image);
}

// Takes the new reference before dropping the old, so that the same image in
// both records is never released to its end on the way.
void ShareImage(IVorlatImage*& slot, IVorlatImage* image)
{
    if (image)
        AddRefImageData(image);
    ReleaseIfHeld(slot);
    slot = image;
}

}  // namespace

CImageRecord::~CImageRecord()
{
    ReleaseIfHeld(imageData);
    ReleaseIfHeld(secondData);
    ReleaseIfHeld(thirdData);
    if (tags)
        tags->Destroy();
}

bool CImageRecord::CopyFrom(const CImageRecord& source)
{
    if (this == &source)
        return true;
    IVorlatTagControl* copiedTags = nullptr;
    if (source.tags) {
        if (DropChain(IVorlatTagControl::CreateTagControl(&copiedTags)))
            return false;
        if (DropChain(copiedTags->CopyFrom(source.tags))) {
            copiedTags->Destroy();
            return false;
        }
    }

    CQzRecordSettings::operator=(source);
    mark = 0;
    spare = source.spare;
    ShareImage(imageData, source.imageData);
    ShareImage(secondData, source.secondData);
    ShareImage(thirdData, source.thirdData);
    if (tags)
        tags->Destroy();
    tags = copiedTags;
    zoomStep = source.zoomStep;
    displayScale = source.displayScale;
    fitted = 0;
    gridOn = source.gridOn;
    scrollX = source.scrollX;
    scrollY = source.scrollY;
    shooting = source.shooting;
    raw = source.raw;
    lightSource = source.lightSource;
    level1 = source.level1;
    level2 = source.level2;
    cameraModel = source.cameraModel;
    return true;
}

uint32_t CImageRecord::LightSourceCode(uint32_t tagValue)
{
    switch (tagValue) {
    case 0: return kLightSourceAuto;
    case 1: return kLightSourceDaylight;
    case 2: return kLightSourceShade;
    case 3: return kLightSourceTungsten;
    case 4: return kLightSourceFlash;
    case 5: return kLightSourceFluorescent;
    case 6: return kLightSourceCloudy;
    case 7:
    case 23:
    case 39:
    case 55: return kLightSourceCustom;
    default: return 0;
    }
}

void CImageRecord::LoadFileInfo()
{
    if (!tags)
        return;
    shooting.Fill(tags);

    // The tag holds more than the two multipliers; read its first 32 bytes.
    double levels[4] = {};
    if (ReadTagBytes(tags, kTagShotMultipliers, kTagTypeDoubles, sizeof levels, levels)) {
        level1 = levels[0];
        level2 = levels[1];
    }

    {
        CEngineLockHold hold;
        cameraModel = static_cast<uint16_t>(GetCameraModelCode(tags));
    }

    int32_t light = 0;
    if (ReadTagLong(tags, kTagLightSource, &light))
        lightSource = LightSourceCode(static_cast<uint32_t>(light));
}
