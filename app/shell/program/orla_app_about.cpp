// The application's About box, splash screen and Preferences commands.
#include "app/camera/app/orla_kavo.h"
#include "app/shell/preferences/dlg_preferences.h"
#include "app/shell/program/about_box.h"
#include "app/shell/program/orla_app.h"
#include "app/shell/program/program_ids.h"
#include "app/shell/program/startup_win.h"

namespace {

constexpr UINT kSplashSeconds = 5;

}  // namespace

void COrlaApp::OnAppAbout()
{
    CDlgAbout about(m_pMainWnd);
    about.DoModal();
}

bool COrlaApp::ShowSplashScreen()
{
    auto* splash = new CDlgAbout(nullptr);
    if (splash->ShowSplash(kSplashSeconds))
        return true;
    delete splash;
    return false;
}

// 32930 opens the dialog at its default page, 32931 to 32936 at pages 0 to 5.
void COrlaApp::OnPreferences(UINT id)
{
    PreferencesHost host;
    host.profileFolder = shell::GetProfileFolder();
    host.setCameraKeepAwake = [this](uint16_t mode) {
        if (COrlaKavoSource* source = GetKavoSource(true))
            source->SetKeepAwake(mode);
    };
    CDlgPreferences dialog(m_pMainWnd, host);
    if (id >= ID_PREFERENCES_PAGE_FIRST && id <= ID_PREFERENCES_PAGE_LAST)
        dialog.SetStartPage(static_cast<int>(id - ID_PREFERENCES_PAGE_FIRST));
    if (dialog.DoModal() == IDOK)
        BroadcastPreferencesChanged();
}
