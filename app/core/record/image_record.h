// The record of one image: its adjustment settings with their on/off flags
// (the settings half it shares with the clipboard and the settings files),
// its display state, the pipeline images that hold its pixels, its tag store,
// its shooting information and the few maker-note values taken at load.
#pragma once

#include <cstdint>

#include "app/core/procset/record_settings.h"
#include "app/core/shooting/shooting_info_table.h"

class CImageDisplayView;
class IVorlatImage;
class IVorlatTagControl;

// Light source codes derived from the camera's light source tag.
inline constexpr uint32_t kLightSourceDaylight = 0x100;
inline constexpr uint32_t kLightSourceTungsten = 0x200;
inline constexpr uint32_t kLightSourceFluorescent = 0x201;
inline constexpr uint32_t kLightSourceCloudy = 0x202;
inline constexpr uint32_t kLightSourceFlash = 0x500;
inline constexpr uint32_t kLightSourceAuto = 0x1000;
inline constexpr uint32_t kLightSourceCustom = 0x1001;
inline constexpr uint32_t kLightSourceShade = 0x1002;

class CImageRecord : public CQzRecordSettings {
public:
    CImageRecord() = default;
    CImageRecord(const CImageRecord&) = delete;
    CImageRecord& operator=(const CImageRecord&) = delete;
    // Releases the images, then destroys the tag store.
    ~CImageRecord();

    // Takes everything of the source: new references on its images and a
    // tag store of its own with the source's tags. The mark and the fitted
    // flag are cleared; the view stays this record's (the source's view does
    // not show the copy). False, and nothing changed, when no tag store
    // could be made.
    bool CopyFrom(const CImageRecord& source);

    // At the end of a load, from this record's own tag store: the shooting
    // information, the shot levels, the camera model code and the light
    // source code. A missing tag leaves its field as it was.
    void LoadFileInfo();

    // The light source code of a value of the camera's light source tag.
    static uint32_t LightSourceCode(uint32_t tagValue);

    // Written after the settings blob in a settings file; cleared by a copy.
    uint8_t mark = 0;
    // Carried by a copy; nothing here reads it.
    uint8_t spare = 0;

    // Each non-null image holds one engine reference (AddRefImageData) that
    // the record releases. The first is the document's image, the source of
    // the display chain.
    IVorlatImage* imageData = nullptr;
    IVorlatImage* secondData = nullptr;
    IVorlatImage* thirdData = nullptr;
    // Owned.
    IVorlatTagControl* tags = nullptr;

    // Index of the display scale among the zoom steps; -1 off the steps.
    int32_t zoomStep = 0;
    double displayScale = 1.0;
    // The view chose the scale by fitting the image to its window.
    uint8_t fitted = 0;
    // The view that shows this record; not owned.
    CImageDisplayView* view = nullptr;
    uint8_t gridOn = 0;
    int32_t scrollX = 0;
    int32_t scrollY = 0;
    CShootingInfoTable shooting;

    // Set by the loader: a raw file whose image is colour-filter-array data.
    uint8_t raw = 0;
    uint32_t lightSource = 0;
    // The camera's recorded red and blue multipliers.
    double level1 = 1.0;
    double level2 = 1.0;
    // 0 other, 1 to 3 the supported cameras.
    uint16_t cameraModel = 0;
};
