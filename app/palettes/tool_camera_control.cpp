#include "app/palettes/tool_camera_control.h"

#include "app/palettes/base/palette_table.h"
#include "app/palettes/base/pending_body.h"
#include "clx/app.h"

namespace {

void NotAvailable(const char* what)
{
    CString text(what);
    text += " is not available in this version.";
    AfxMessageBox(text, MB_OK);
}

}  // namespace

CToolCameraControl::CToolCameraControl()
    : CToolBase(PaletteInfoOf(PaletteId::CameraControl).positionSettingId,
                PaletteInfoOf(PaletteId::CameraControl).loadCommandId, PaletteInfoOf(PaletteId::CameraControl).helpId)
{
}

BOOL CToolCameraControl::Create(CWnd* parent)
{
    const PaletteInfo& info = PaletteInfoOf(PaletteId::CameraControl);
    if (!CreatePalette(info.titleStringId, info.resizable, parent, kPaletteStyle))
        return FALSE;
    LayOutPendingBody(*this, info.resizable);
    return TRUE;
}

void CToolCameraControl::LoadSettingsFile() { NotAvailable("Loading camera control settings"); }
void CToolCameraControl::SaveSettingsFile() { NotAvailable("Saving camera control settings"); }
void CToolCameraControl::Shoot() { NotAvailable("Shooting"); }
void CToolCameraControl::AutofocusAndShoot() { NotAvailable("Shooting"); }
