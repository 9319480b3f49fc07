// What the palettes ask of the main frame: the selected thumbnails of the
// camera image window and their sidecars, the other palettes, the image
// kind of a record, the clock of the deferred apply and the folder of the
// file dialogs. The main frame implements it; tests give a fake.
#pragma once

#include <cstdint>
#include <string>

#include "app/core/palette_protocol/apply_scheduler.h"

class CAdjustmentPalette;
class CImageRecord;

class IPaletteHost {
public:
    virtual ~IPaletteHost() = default;
    // The record of the n-th (from 0) selected thumbnail; false when there
    // is none.
    virtual bool GetSelectedImageSettings(int n, CImageRecord** record) = 0;
    // Rewrites the settings sidecar of the n-th selected thumbnail; false
    // when there is none.
    virtual bool SaveSelectedImageSettings(int n) = 0;
    // The palette object of an adjustment, window or not; null when the
    // host has none.
    virtual CAdjustmentPalette* GetAdjustmentPalette(PaletteKind kind) = 0;
    // The apply flags changed: the Image Adjustments panel shows them again.
    virtual void RefreshImageAdjustments() = 0;
    // The file kind of the record's image (32 and 33 camera raw; 0 none).
    virtual int32_t GetImageKind(const CImageRecord& record) = 0;
    // Milliseconds, wrapping at 2^32.
    virtual uint32_t GetTickCount() = 0;
    // Where the settings file dialogs open, with a trailing backslash.
    virtual std::string GetProgramFolder() = 0;
};

// The host of the palettes, not owned; null puts back the quiet host (no
// selection, no other palettes, the system clock).
void SetPaletteHost(IPaletteHost* host);
IPaletteHost& GetPaletteHost();
