// The programs' entry point (linked into the programs only; test programs
// have their own main).
#include <cstring>
#include <string>

#include "clx/app.h"
#include "clx/resource.h"
#include "clx/wnd.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR cmdLine, int cmdShow) {
  CWinApp* app = AfxGetApp();
  if (!app) return -1;
  app->m_hInstance = instance;
  app->m_lpCmdLine = cmdLine;
  app->m_nCmdShow = cmdShow;
  if (!app->m_pszAppName) {
    CString title = clx::LoadStr(IDS_CLX_APP_TITLE);
    app->m_pszAppName = _strdup(title);
  }
  // <folder>\<name>.exe gives the exe name and the default help file <folder>\<name>.hlp.
  char path[MAX_PATH] = "";
  ::GetModuleFileNameA(instance, path, MAX_PATH);
  std::string module = path;
  size_t slash = module.find_last_of("\\/"), dot = module.find_last_of('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) dot = module.size();
  size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
  if (!app->m_pszExeName) app->m_pszExeName = _strdup(module.substr(nameStart, dot - nameStart).c_str());
  if (!app->m_pszHelpFilePath) app->m_pszHelpFilePath = _strdup((module.substr(0, dot) + ".HLP").c_str());
  if (!app->InitApplication() || !app->InitInstance()) {
    if (app->m_pMainWnd) app->m_pMainWnd->DestroyWindow();
    return app->ExitInstance();
  }
  return app->Run();
}
