// The application object of the program's Windows tests.
#pragma once

#include <cstdlib>
#include <string>
#include <vector>

#include "app/shell/program/about_box.h"
#include "app/shell/program/orla_app.h"

class CTestOrlaApp : public COrlaApp {
public:
    CTestOrlaApp()
    {
        m_hInstance = ::GetModuleHandleA(nullptr);
        m_pszAppName = _strdup("Tessaline");
    }
    std::vector<std::string> words;
    // The splash screen waits for a timer of five seconds: shown only where a
    // test asks for it, which ends it itself (a loaded machine can take five
    // seconds to start the program, and the splash then ended on its own).
    bool splash = false;

protected:
    std::vector<std::string> GetCommandLineWords() override { return words; }
    bool ShowSplashScreen() override
    {
        if (!splash || !COrlaApp::ShowSplashScreen())
            return false;
        if (HWND shown = CDlgAbout::GetSplashWindow())
            ::SetTimer(shown, 1005, 3600 * 1000, nullptr);  // the same timer, rearmed
        return true;
    }
};

inline CTestOrlaApp& TestApp() { return *static_cast<CTestOrlaApp*>(AfxGetApp()); }
