#include "updater/win/fixwell_app.h"

#include "updater/update_run.h"
#include "updater/win/update_system_win.h"

BOOL CFixwellApp::InitInstance()
{
    Enable3dControls();
    fixwell::CUpdateSystemWin system(m_hInstance);
    fixwell::UpdateRun(system).Run();
    return FALSE;
}
