// The Advanced RAW palette: the record's raw development settings, for raw
// images only. Its controls are not built yet; the palette takes its target,
// applies, and loads, saves and resets its settings.
#pragma once

#include "app/core/settings/exposure_adjustment.h"
#include "app/palettes/base/adjustment_palette.h"

class CToolExposureAdjust : public CAdjustmentPalette {
public:
    CToolExposureAdjust();
    BOOL Create(CWnd* parent) override;
    CQzExposureAdjustment& GetSettings() { return static_cast<CQzExposureAdjustment&>(GetSettingsObject()); }

protected:
    IQzState& RecordMember(CImageRecord& record) override;
    void CopySettings(IQzState& to, const IQzState& from) override;
    void ResetToNeutral(IQzState& settings) override;
    void ResetRefusedImage(IQzState& settings) override;

private:
    CQzExposureAdjustment own_;
};
