#include "app/shell/help/help_entry.h"

#include "app/shell/help/help_topics.h"
#include "app/shell/program_folder.h"
#include "clx/app.h"
#include "clx/frame.h"
#include "clx/help.h"
#include "clx/resource.h"

namespace shell {

namespace {

void CancelModes(CWindow window) {
  if (!window.m_hWnd) return;
  window.SendMessage(WM_CANCELMODE);
  window.SendMessageToDescendants(WM_CANCELMODE);
}

}  // namespace

void ShowHelp(CFrameWnd& frame, DWORD_PTR helpId, UINT command) {
  CWaitCursor wait;
  if (frame.m_bHelpMode) frame.ExitHelpMode();
  // Menus, drags and captures end before the help window takes the screen.
  CancelModes(frame);
  CWindow top = frame.GetTopLevelParent();
  if (top.m_hWnd != frame.m_hWnd) CancelModes(top);
  if (HWND capture = ::GetCapture()) ::SendMessageA(capture, WM_CANCELMODE, 0, 0);

  const uint32_t id = NormalizeHelpId(static_cast<uint32_t>(helpId));
  if (command == kHelpQuit) return;

  bool started;
  if (command == kHelpContextPopup) {
    CWinApp* app = AfxGetApp();
    const char* helpFile = app && app->m_pszHelpFilePath ? app->m_pszHelpFilePath : "";
    started = clx::CallWinHelp(frame.m_hWnd, helpFile, command, id);
  } else {
    const std::string address = HelpAddress(GetProgramFolder(), HelpTopic(id, command));
    started = clx::HtmlHelpDisplayTopic(::GetDesktopWindow(), address.c_str()) != nullptr;
  }
  if (!started) AfxMessageBox(IDS_CLX_HELP_FAILED);
}

}  // namespace shell
