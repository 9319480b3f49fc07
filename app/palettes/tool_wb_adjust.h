// The White Balance palette: the record's white-balance settings, for raw
// images only. Its controls are not built yet; the palette takes its target,
// applies, and loads, saves and resets its settings. The neutral white
// balance is the camera's recorded value (mode 2).
#pragma once

#include "app/core/settings/wb_adjustment.h"
#include "app/palettes/base/adjustment_palette.h"

class CToolWBAdjust : public CAdjustmentPalette {
public:
    CToolWBAdjust();
    BOOL Create(CWnd* parent) override;
    CQzWBAdjustment& GetSettings() { return static_cast<CQzWBAdjustment&>(GetSettingsObject()); }
    void AddContextMenuItems(CMenu& menu) override;

protected:
    IQzState& RecordMember(CImageRecord& record) override;
    void CopySettings(IQzState& to, const IQzState& from) override;
    void ResetToNeutral(IQzState& settings) override;
    void ResetSelected(IQzState& settings) override;
    void ResetRefusedImage(IQzState& settings) override;

private:
    CQzWBAdjustment own_;
};
