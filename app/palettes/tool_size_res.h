// The Size/Resolution palette: the record's size, resolution and crop. Its
// fields are not built yet; the palette takes its target, applies, and loads,
// saves and resets its settings.
#pragma once

#include "app/core/heuristics/size_res.h"
#include "app/palettes/base/adjustment_palette.h"

class CToolSizeRes : public CAdjustmentPalette {
public:
    CToolSizeRes();
    BOOL Create(CWnd* parent) override;
    CQzSizeRes& GetSettings() { return static_cast<CQzSizeRes&>(GetSettingsObject()); }

protected:
    IQzState& RecordMember(CImageRecord& record) override;
    void CopySettings(IQzState& to, const IQzState& from) override;
    void ResetToNeutral(IQzState& settings) override;
    void GetSourceSize(int32_t* width, int32_t* height) const override;

private:
    CQzSizeRes own_;
};
