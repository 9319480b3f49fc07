#include "app/palettes/tool_wb_adjust.h"

#include "app/core/record/image_record.h"
#include "app/palettes/base/pending_body.h"
#include "clx/resources.h"

CToolWBAdjust::CToolWBAdjust() : CAdjustmentPalette(PaletteId::WBAdjust, PaletteKind::WhiteBalance, SettingsFileKind::WhiteBalance, own_)
{
}

BOOL CToolWBAdjust::Create(CWnd* parent)
{
    const PaletteInfo& info = PaletteInfoOf(PaletteId::WBAdjust);
    if (!CreatePalette(info.titleStringId, info.resizable, parent, kPaletteStyle))
        return FALSE;
    LayOutPendingBody(*this, info.resizable);
    return TRUE;
}

IQzState& CToolWBAdjust::RecordMember(CImageRecord& record)
{
    return record.whiteBalance;
}

void CToolWBAdjust::CopySettings(IQzState& to, const IQzState& from)
{
    static_cast<CQzWBAdjustment&>(to) = static_cast<const CQzWBAdjustment&>(from);
}

void CToolWBAdjust::ResetToNeutral(IQzState& settings)
{
    CQzWBAdjustment& wb = static_cast<CQzWBAdjustment&>(settings);
    wb.Reset();
    wb.mode = 2;
    wb.gain1 = 1.0;
    wb.gain2 = 1.0;
}

void CToolWBAdjust::ResetSelected(IQzState& settings)
{
    // A selected thumbnail keeps its multipliers.
    static_cast<CQzWBAdjustment&>(settings).mode = 2;
}

void CToolWBAdjust::ResetRefusedImage(IQzState& settings)
{
    ResetToNeutral(settings);
}

void CToolWBAdjust::AddContextMenuItems(CMenu& menu)
{
    menu.AppendMenu(MF_SEPARATOR);
    menu.AppendMenu(MF_STRING, kColorPreferencesCommand, clx::LoadStr(kColorPreferencesTextId));
}
