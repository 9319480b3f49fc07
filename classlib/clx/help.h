#pragma once
// Help engines: HTML Help, loaded on first use, and WinHelp (through
// CWnd::WinHelp). Tests replace both through SetHelpHandlers.
#include "clx/win.h"

namespace clx {
// Shows `topic` ("<dir>Tessaline.chm::/<page>>mainwin"); the help window or
// null (also when the engine or the file is missing).
HWND HtmlHelpDisplayTopic(HWND owner, const char* topic);

using HtmlHelpHandler = HWND (*)(HWND owner, const char* topic);
// Calls the system's help engine; false when it could not start.
using WinHelpHandler = bool (*)(HWND owner, const char* helpFile, UINT cmd, DWORD_PTR data);
// Null restores the system's engines.
void SetHelpHandlers(HtmlHelpHandler htmlHelp, WinHelpHandler winHelp);
bool CallWinHelp(HWND owner, const char* helpFile, UINT cmd, DWORD_PTR data);
}  // namespace clx
