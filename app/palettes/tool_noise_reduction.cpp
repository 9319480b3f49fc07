#include "app/palettes/tool_noise_reduction.h"

#include "app/core/record/image_record.h"
#include "app/palettes/base/pending_body.h"

CToolNoiseReduction::CToolNoiseReduction() : CAdjustmentPalette(PaletteId::NoiseReduction, PaletteKind::NoiseReduction, SettingsFileKind::NoiseReduction, own_)
{
}

BOOL CToolNoiseReduction::Create(CWnd* parent)
{
    const PaletteInfo& info = PaletteInfoOf(PaletteId::NoiseReduction);
    if (!CreatePalette(info.titleStringId, info.resizable, parent, kPaletteStyle))
        return FALSE;
    LayOutPendingBody(*this, info.resizable);
    return TRUE;
}

IQzState& CToolNoiseReduction::RecordMember(CImageRecord& record)
{
    return record.noiseReduction;
}

void CToolNoiseReduction::CopySettings(IQzState& to, const IQzState& from)
{
    static_cast<CQzNoiseReduction&>(to) = static_cast<const CQzNoiseReduction&>(from);
}

void CToolNoiseReduction::ResetToNeutral(IQzState& settings)
{
    static_cast<CQzNoiseReduction&>(settings).Reset();
}

