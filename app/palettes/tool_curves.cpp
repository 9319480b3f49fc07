#include "app/palettes/tool_curves.h"

#include "app/core/procset/record_settings.h"
#include "app/core/record/image_record.h"
#include "app/palettes/base/pending_body.h"
#include "clx/resources.h"

CToolCurves::CToolCurves()
    : CAdjustmentPalette(PaletteId::Curves, PaletteKind::Curves, SettingsFileKind::Curves, own_)
{
    AddRecordCurveChannels(own_);
}

BOOL CToolCurves::Create(CWnd* parent)
{
    const PaletteInfo& info = PaletteInfoOf(PaletteId::Curves);
    if (!CreatePalette(info.titleStringId, info.resizable, parent, kPaletteStyle))
        return FALSE;
    LayOutPendingBody(*this, info.resizable);
    ShowWindow(SW_SHOWNA);
    return TRUE;
}

void CToolCurves::SelectChannel(int channel)
{
    if (channel < 0 || channel > 3)
        return;
    if (const CQzLutChannelBase* target = GetSettings().GetChannel(channel))
        GetSettings().SelectChannel(target->GetChannelId());
}

void CToolCurves::AddContextMenuItems(CMenu& menu)
{
    menu.AppendMenu(MF_SEPARATOR);
    menu.AppendMenu(MF_STRING, kColorPreferencesCommand, clx::LoadStr(kColorPreferencesTextId));
}

IQzState& CToolCurves::RecordMember(CImageRecord& record)
{
    return record.curves;
}

void CToolCurves::CopySettings(IQzState& to, const IQzState& from)
{
    static_cast<CQzLutGroup&>(to) = static_cast<const CQzLutGroup&>(from);
}

void CToolCurves::ResetToNeutral(IQzState& settings)
{
    static_cast<CQzLutGroup&>(settings).Reset(true);
}

bool CToolCurves::IsNeutral(const IQzState& settings) const
{
    return static_cast<const CQzLutGroup&>(settings).GetModifiedFlags(0xFFFFFFFF) == 0;
}
