#include "app/palettes/tool_exposure_adjust.h"

#include "app/core/record/image_record.h"
#include "app/palettes/base/pending_body.h"

CToolExposureAdjust::CToolExposureAdjust() : CAdjustmentPalette(PaletteId::ExposureAdjust, PaletteKind::AdvancedRaw, SettingsFileKind::Exposure, own_)
{
}

BOOL CToolExposureAdjust::Create(CWnd* parent)
{
    const PaletteInfo& info = PaletteInfoOf(PaletteId::ExposureAdjust);
    if (!CreatePalette(info.titleStringId, info.resizable, parent, kPaletteStyle))
        return FALSE;
    LayOutPendingBody(*this, info.resizable);
    return TRUE;
}

IQzState& CToolExposureAdjust::RecordMember(CImageRecord& record)
{
    return record.exposure;
}

void CToolExposureAdjust::CopySettings(IQzState& to, const IQzState& from)
{
    static_cast<CQzExposureAdjustment&>(to) = static_cast<const CQzExposureAdjustment&>(from);
}

void CToolExposureAdjust::ResetToNeutral(IQzState& settings)
{
    static_cast<CQzExposureAdjustment&>(settings).Reset();
}

void CToolExposureAdjust::ResetRefusedImage(IQzState& settings)
{
    static_cast<CQzExposureAdjustment&>(settings).Reset();
}
