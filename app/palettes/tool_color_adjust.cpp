#include "app/palettes/tool_color_adjust.h"

#include "app/core/procset/record_settings.h"
#include "app/core/record/image_record.h"
#include "app/palettes/base/pending_body.h"

CToolColorAdjust::CToolColorAdjust() : CAdjustmentPalette(PaletteId::ColorAdjust, PaletteKind::ColourBalance, SettingsFileKind::ColourBalance, own_)
{
    own_.SetKind(2);
    AddRecordColourBalanceChannels(own_);
}

BOOL CToolColorAdjust::Create(CWnd* parent)
{
    const PaletteInfo& info = PaletteInfoOf(PaletteId::ColorAdjust);
    if (!CreatePalette(info.titleStringId, info.resizable, parent, kPaletteStyle))
        return FALSE;
    LayOutPendingBody(*this, info.resizable);
    return TRUE;
}

IQzState& CToolColorAdjust::RecordMember(CImageRecord& record)
{
    return record.colourBalance;
}

void CToolColorAdjust::CopySettings(IQzState& to, const IQzState& from)
{
    static_cast<CQzLutGroup&>(to) = static_cast<const CQzLutGroup&>(from);
}

void CToolColorAdjust::ResetToNeutral(IQzState& settings)
{
    static_cast<CQzLutGroup&>(settings).Reset(true);
}

bool CToolColorAdjust::IsNeutral(const IQzState& settings) const
{
    return static_cast<const CQzLutGroup&>(settings).GetModifiedFlags(0xFFFFFFFF) == 0;
}
