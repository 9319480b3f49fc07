// The Color Balance palette: the record's second curve group. Its sliders are
// not built yet; the palette takes its target, applies, and loads, saves and
// resets its settings.
#pragma once

#include "app/core/curves/lut_group.h"
#include "app/palettes/base/adjustment_palette.h"

class CToolColorAdjust : public CAdjustmentPalette {
public:
    CToolColorAdjust();
    BOOL Create(CWnd* parent) override;
    CQzLutGroup& GetSettings() { return static_cast<CQzLutGroup&>(GetSettingsObject()); }

protected:
    IQzState& RecordMember(CImageRecord& record) override;
    void CopySettings(IQzState& to, const IQzState& from) override;
    void ResetToNeutral(IQzState& settings) override;
    bool IsNeutral(const IQzState& settings) const override;

private:
    CQzLutGroup own_;
};
