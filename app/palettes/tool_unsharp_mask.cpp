#include "app/palettes/tool_unsharp_mask.h"

#include "app/core/record/image_record.h"
#include "app/palettes/base/pending_body.h"

CToolUnsharpMask::CToolUnsharpMask() : CAdjustmentPalette(PaletteId::UnsharpMask, PaletteKind::UnsharpMask, SettingsFileKind::Usm, own_)
{
}

BOOL CToolUnsharpMask::Create(CWnd* parent)
{
    const PaletteInfo& info = PaletteInfoOf(PaletteId::UnsharpMask);
    if (!CreatePalette(info.titleStringId, info.resizable, parent, kPaletteStyle))
        return FALSE;
    LayOutPendingBody(*this, info.resizable);
    return TRUE;
}

IQzState& CToolUnsharpMask::RecordMember(CImageRecord& record)
{
    return record.usm;
}

void CToolUnsharpMask::CopySettings(IQzState& to, const IQzState& from)
{
    static_cast<CQzUSMList&>(to) = static_cast<const CQzUSMList&>(from);
}

void CToolUnsharpMask::ResetToNeutral(IQzState& settings)
{
    static_cast<CQzUSMList&>(settings) = CQzUSMList();
}

