// The Unsharp Mask palette: the record's list of unsharp-mask entries. Its
// controls are not built yet; the palette takes its target, applies, and
// loads, saves and resets its settings.
#pragma once

#include "app/core/settings/usm.h"
#include "app/palettes/base/adjustment_palette.h"

class CToolUnsharpMask : public CAdjustmentPalette {
public:
    CToolUnsharpMask();
    BOOL Create(CWnd* parent) override;
    CQzUSMList& GetSettings() { return static_cast<CQzUSMList&>(GetSettingsObject()); }

protected:
    IQzState& RecordMember(CImageRecord& record) override;
    void CopySettings(IQzState& to, const IQzState& from) override;
    void ResetToNeutral(IQzState& settings) override;

private:
    CQzUSMList own_;
};
