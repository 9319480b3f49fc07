// Stand-ins for the floating palettes, with the interfaces that the main
// frame uses, until the palettes themselves arrive. Each is a mini-frame
// with the palette's title; "open" means its window exists. The operations
// the frame forwards (targets, settings files, shooting) are counted so
// that the routing can be seen; they do nothing else.
#pragma once

#include <cstdint>

#include "app/core/settings/exposure_adjustment.h"
#include "app/core/settings/noise_reduction.h"
#include "app/core/settings/usm.h"
#include "app/core/settings/wb_adjustment.h"
#include "app/shell/frame/palette_target.h"
#include "app/shell/settings/setting_table.h"
#include "clx/miniframe.h"

// What every stand-in counts.
struct PaletteCalls {
    int setTarget = 0;
    PaletteTargetKind lastKind = -1;
    CImageRecord* lastRecord = nullptr;
    int load = 0;
    int save = 0;
    int reset = 0;
    int refresh = 0;
    int shoot = 0;
    int autofocusShoot = 0;
    int selectChannel = 0;
    int lastChannel = -1;
};

class CToolBase : public CMiniFrameWnd {
public:
    // The title and the window-position record of the palette.
    CToolBase(const char* title, shell::SettingId positionId) : title_(title), positionId_(positionId) {}

    // Creates the palette's window owned by `frame`; true when it exists.
    virtual bool CreatePalette(CWnd* frame);
    bool IsOpen() const { return m_hWnd != nullptr && ::IsWindow(m_hWnd); }
    const char* GetTitle() const { return title_; }

    PaletteCalls calls;

protected:
    // Held by value in the main frame: never deleted after WM_NCDESTROY.
    void PostNcDestroy() override {}

private:
    const char* title_;
    shell::SettingId positionId_;
};

// A palette that edits a target's settings or its own copy.
class CToolTargeted : public CToolBase {
public:
    using CToolBase::CToolBase;
    // Kind 1: the record's settings; kind 0: the palette's own copy; 2 and
    // more: nothing.
    void SetTarget(PaletteTargetKind kind, CImageRecord* record);
    bool HasTarget() const { return hasTarget_; }
    void LoadSettingsFile() { ++calls.load; }
    void SaveSettingsFile() { ++calls.save; }
    void ResetSettings() { ++calls.reset; }

private:
    bool hasTarget_ = false;
};

class CToolCameraControl : public CToolBase {
public:
    CToolCameraControl();
    void Shoot() { ++calls.shoot; }
    void AutofocusAndShoot() { ++calls.autofocusShoot; }
    void LoadSettingsFile() { ++calls.load; }
    void SaveSettingsFile() { ++calls.save; }
};

class CToolUnsharpMask : public CToolTargeted {
public:
    CToolUnsharpMask();
    CQzUSMList& GetSettings() { return settings_; }

private:
    CQzUSMList settings_;
};

// The curves and colour balance stand-ins keep only whether any channel of
// their curve group differs from neutral.
class CToolCurves : public CToolTargeted {
public:
    CToolCurves();
    bool AnyChannelChanged() const { return changed_; }
    void SetChanged(bool changed) { changed_ = changed; }
    // Channel 0..3 (RGB, red, green, blue); other values are ignored.
    void SelectChannel(int channel);

private:
    bool changed_ = false;
};

class CToolColorAdjust : public CToolTargeted {
public:
    CToolColorAdjust();
    bool AnyChannelChanged() const { return changed_; }
    void SetChanged(bool changed) { changed_ = changed; }

private:
    bool changed_ = false;
};

class CToolSizeRes : public CToolTargeted {
public:
    CToolSizeRes();
};

class CToolBirdsEye : public CToolTargeted {
public:
    CToolBirdsEye();
};

class CToolInformation : public CToolBase {
public:
    CToolInformation();
    // Blanks every read-out.
    void ClearValues() { ++calls.refresh; }
};

class CToolImageEnhancements : public CToolTargeted {
public:
    CToolImageEnhancements();
};

// True unless exactly one image is selected and it is not a raw image; the
// stand-in keeps the answer as a flag.
class CToolExposureAdjust : public CToolTargeted {
public:
    CToolExposureAdjust();
    bool CanEdit() const { return canEdit_; }
    void SetCanEdit(bool canEdit) { canEdit_ = canEdit; }
    CQzExposureAdjustment& GetSettings() { return settings_; }

private:
    bool canEdit_ = true;
    CQzExposureAdjustment settings_;
};

class CToolWBAdjust : public CToolTargeted {
public:
    CToolWBAdjust();
    bool CanEdit() const { return canEdit_; }
    void SetCanEdit(bool canEdit) { canEdit_ = canEdit; }
    CQzWBAdjustment& GetSettings() { return settings_; }

private:
    bool canEdit_ = true;
    CQzWBAdjustment settings_;
};

class CToolNoiseReduction : public CToolTargeted {
public:
    CToolNoiseReduction();
    CQzNoiseReduction& GetSettings() { return settings_; }

private:
    CQzNoiseReduction settings_;
};
