// The Curves palette: the tone curves of the image (the record's Curves
// group). Its curve editor and channel list are not built yet; the palette
// takes its target, applies, and loads, saves and resets its settings.
#pragma once

#include "app/core/curves/lut_group.h"
#include "app/palettes/base/adjustment_palette.h"

class CToolCurves : public CAdjustmentPalette {
public:
    CToolCurves();
    BOOL Create(CWnd* parent) override;
    CQzLutGroup& GetSettings() { return static_cast<CQzLutGroup&>(GetSettingsObject()); }
    // Channel 0 RGB, 1 red, 2 green, 3 blue of the edited group; others are ignored.
    void SelectChannel(int channel);
    void AddContextMenuItems(CMenu& menu) override;

protected:
    IQzState& RecordMember(CImageRecord& record) override;
    void CopySettings(IQzState& to, const IQzState& from) override;
    void ResetToNeutral(IQzState& settings) override;
    bool IsNeutral(const IQzState& settings) const override;

private:
    CQzLutGroup own_;
};
