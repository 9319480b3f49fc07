#include "app/palettes/tool_birds_eye.h"

#include "app/palettes/base/palette_table.h"
#include "app/palettes/base/pending_body.h"

CToolBirdsEye::CToolBirdsEye()
    : CToolBase(PaletteInfoOf(PaletteId::BirdsEye).positionSettingId, 0, PaletteInfoOf(PaletteId::BirdsEye).helpId)
{
}

BOOL CToolBirdsEye::Create(CWnd* parent)
{
    const PaletteInfo& info = PaletteInfoOf(PaletteId::BirdsEye);
    if (!CreatePalette(info.titleStringId, info.resizable, parent, kPaletteStyle))
        return FALSE;
    LayOutPendingBody(*this, info.resizable);
    ShowWindow(SW_SHOWNA);
    return TRUE;
}

void CToolBirdsEye::SetTarget(int32_t count, CImageRecord* record)
{
    targetCount_ = count;
    targetRecord_ = count == 1 ? record : nullptr;
}
