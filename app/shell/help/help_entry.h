// The main frame's help entry: every help request of the class library ends
// in CMainFrame::WinHelp, which hands it on here.
#pragma once

#include "clx/win.h"

class CFrameWnd;

namespace shell {

// Leaves the frame's context-help mode and cancels the modes of its windows;
// then a context pop-up (command 8) goes to WinHelp with the application's
// help file, a quit (command 2) does nothing more, and any other request
// opens its topic's address with HTML Help, owned by the desktop. When help
// cannot be started the class library's message says so.
void ShowHelp(CFrameWnd& frame, DWORD_PTR helpId, UINT command);

}  // namespace shell
