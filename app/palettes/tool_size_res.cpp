#include "app/palettes/tool_size_res.h"

#include "app/core/record/image_record.h"
#include "app/palettes/base/pending_body.h"

CToolSizeRes::CToolSizeRes() : CAdjustmentPalette(PaletteId::SizeRes, PaletteKind::SizeRes, SettingsFileKind::SizeRes, own_)
{
}

BOOL CToolSizeRes::Create(CWnd* parent)
{
    const PaletteInfo& info = PaletteInfoOf(PaletteId::SizeRes);
    if (!CreatePalette(info.titleStringId, info.resizable, parent, kPaletteStyle))
        return FALSE;
    LayOutPendingBody(*this, info.resizable);
    return TRUE;
}

IQzState& CToolSizeRes::RecordMember(CImageRecord& record)
{
    return record.sizeRes;
}

void CToolSizeRes::CopySettings(IQzState& to, const IQzState& from)
{
    static_cast<CQzSizeRes&>(to) = static_cast<const CQzSizeRes&>(from);
}

void CToolSizeRes::ResetToNeutral(IQzState& settings)
{
    static_cast<CQzSizeRes&>(settings).Reset();
}

void CToolSizeRes::GetSourceSize(int32_t* width, int32_t* height) const
{
    // The settings were made for the target image's size.
    const CQzSizeRes& settings = static_cast<const CQzSizeRes&>(GetSettingsObject());
    *width = static_cast<int32_t>(settings.GetImageWidth());
    *height = static_cast<int32_t>(settings.GetImageHeight());
}
