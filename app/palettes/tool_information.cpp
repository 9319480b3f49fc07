#include "app/palettes/tool_information.h"

#include "app/palettes/base/palette_table.h"
#include "app/palettes/base/pending_body.h"
#include "clx/resources.h"

CToolInformation::CToolInformation()
    : CToolBase(PaletteInfoOf(PaletteId::Information).positionSettingId, 0,
                PaletteInfoOf(PaletteId::Information).helpId)
{
}

BOOL CToolInformation::Create(CWnd* parent)
{
    const PaletteInfo& info = PaletteInfoOf(PaletteId::Information);
    if (!CreatePalette(info.titleStringId, info.resizable, parent, kPaletteStyle))
        return FALSE;
    LayOutPendingBody(*this, info.resizable);
    return TRUE;
}

void CToolInformation::AddContextMenuItems(CMenu& menu)
{
    menu.AppendMenu(MF_STRING, kColorPreferencesCommand, clx::LoadStr(kColorPreferencesTextId));
}
