// The application object of the program's Windows tests.
#pragma once

#include <cstdlib>
#include <string>
#include <vector>

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
    // test asks for it.
    bool splash = false;

protected:
    std::vector<std::string> GetCommandLineWords() override { return words; }
    bool ShowSplashScreen() override { return splash && COrlaApp::ShowSplashScreen(); }
};

inline CTestOrlaApp& TestApp() { return *static_cast<CTestOrlaApp*>(AfxGetApp()); }
