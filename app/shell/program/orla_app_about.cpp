// The application's About box, splash screen and Preferences commands.
#include "app/shell/frame/not_available.h"
#include "app/shell/program/about_box.h"
#include "app/shell/program/orla_app.h"

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

void COrlaApp::OnPreferences(UINT)
{
    // Until the dialog exists nothing is changed, so nothing is broadcast.
    ReportNotAvailable("The Preferences dialog");
}
