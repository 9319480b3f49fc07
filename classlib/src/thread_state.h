#pragma once
// Everything the layer keeps per thread. Windows are always dispatched on
// the thread that made them, so their lookup needs no lock.
#include <unordered_map>
#include <vector>

#include "clx/win.h"

class CWinThread;
class CWnd;

namespace clx {

struct ThreadState {
  CWinThread* thread = nullptr;
  std::vector<CWnd*> pendingCreate;  // creation-hook stack; null once consumed
  HHOOK cbtHook = nullptr;
  std::unordered_map<HWND, CWnd*> windows;
  std::unordered_map<HWND, WNDPROC> orphans;  // unsubclassed under someone else's procedure
  MSG currentMsg{};  // the message being dispatched, for Default()
  int modalDepth = 0;
};

ThreadState& State();

}  // namespace clx
