// The Noise Reduction palette: the record's noise-reduction levels, for raw
// images only. Its controls are not built yet; the palette takes its target,
// applies, and loads, saves and resets its settings.
#pragma once

#include "app/core/settings/noise_reduction.h"
#include "app/palettes/base/adjustment_palette.h"

class CToolNoiseReduction : public CAdjustmentPalette {
public:
    CToolNoiseReduction();
    BOOL Create(CWnd* parent) override;
    CQzNoiseReduction& GetSettings() { return static_cast<CQzNoiseReduction&>(GetSettingsObject()); }

protected:
    IQzState& RecordMember(CImageRecord& record) override;
    void CopySettings(IQzState& to, const IQzState& from) override;
    void ResetToNeutral(IQzState& settings) override;

private:
    CQzNoiseReduction own_;
};
