#pragma once
// The layer's private window messages (the 0x0360-0x037F block winuser.h
// leaves to class libraries) and the help-id bases.
#include "clx/win.h"

#define WM_SIZEPARENT 0x0361        // lParam clx::SizeParentParams*
#define WM_SETMESSAGESTRING 0x0362  // wParam string id, or 0 and lParam the text
#define WM_IDLEUPDATECMDUI 0x0363   // wParam: disable commands that have no handler
#define WM_INITIALUPDATE 0x0364
#define WM_COMMANDHELP 0x0365       // lParam help id or 0; answer TRUE when handled
#define WM_HELPHITTEST 0x0366       // lParam client point; answer the help id
#define WM_EXITHELPMODE 0x0367
#define WM_KICKIDLE 0x036A          // wParam MSGF_DIALOGBOX, lParam idle count

// Help ids: commands, windows/resources, message-box prompts, non-client hit codes.
#define HID_BASE_COMMAND 0x10000000
#define HID_BASE_RESOURCE 0x20000000
#define HID_BASE_PROMPT 0x00030000
#define HID_BASE_NCAREAS 0x00040000

namespace clx {
struct SizeParentParams {
  HDWP hDWP;
  RECT rect;       // room still free
  SIZE sizeTotal;  // room taken so far
  BOOL bStretch;
};

// Moves `h` to `r` within a layout pass (deferred when the pass defers).
inline void PlaceInLayout(SizeParentParams* p, HWND h, const RECT& r) {
  const UINT flags = SWP_NOACTIVATE | SWP_NOZORDER;
  if (p->hDWP)
    p->hDWP = ::DeferWindowPos(p->hDWP, h, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top, flags);
  else
    ::SetWindowPos(h, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top, flags);
}
}  // namespace clx
