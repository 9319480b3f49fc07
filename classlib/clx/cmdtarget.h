#pragma once
// Command targets: objects with a message map that commands are routed
// through, and the command-UI objects that ask them for an item's state.
#include "clx/object.h"
#include "clx/string.h"
#include "clx/window.h"

class CCmdTarget;
class CCmdUI;

// OnCmdMsg codes besides the control notification codes (HIWORD of WM_COMMAND).
#define CN_COMMAND 0
#define CN_UPDATE_COMMAND_UI (-1)
#define CN_NOTIFY (-2)  // pExtra is a clx::NotifyInfo*

// Passed to OnCmdMsg to ask "is there a handler?" without running it.
struct AFX_CMDHANDLERINFO {
  CCmdTarget* pTarget = nullptr;  // the object whose map has the handler
};

namespace clx {

enum class MapKind {
  Message,         // a window message to this window
  Command,         // CN_COMMAND or a control notification code, routed
  CommandUI,       // CN_UPDATE_COMMAND_UI, routed
  Notify,          // WM_NOTIFY, routed
  ReflectCommand,  // a control's WM_COMMAND notification, offered to the control itself
  ReflectNotify,   // a control's WM_NOTIFY, offered to the control itself
  ReflectMessage,  // owner-draw, colour and scroll messages, offered to the control itself
};

// One call of a message map: what arrived and where the answer goes.
struct MapCall {
  MapKind kind = MapKind::Message;
  UINT msg = 0;
  WPARAM wParam = 0;
  LPARAM lParam = 0;
  UINT id = 0;    // command or control id
  int code = 0;   // notification code
  CCmdUI* cmdUI = nullptr;
  NMHDR* nmhdr = nullptr;
  bool probe = false;  // only ask whether a handler exists
  LRESULT result = 0;
};

struct NotifyInfo {
  NMHDR* nmhdr;
  LRESULT* result;
};

}  // namespace clx

class CCmdTarget : public CObject {
  DECLARE_DYNAMIC(CCmdTarget)
public:
  // This object's part of command routing; routing classes override it to
  // pass the command on (view → document, frame → view ...).
  virtual BOOL OnCmdMsg(UINT id, int code, void* extra, AFX_CMDHANDLERINFO* handlerInfo);
  // The message map: true when an entry took the call. Written by BEGIN/END_MESSAGE_MAP.
  virtual bool ProcessMap(clx::MapCall& c);

  // Hourglass around long operations (counted in the application).
  void BeginWaitCursor();
  void EndWaitCursor();
  void RestoreWaitCursor();
};

class CWaitCursor {
public:
  CWaitCursor();
  ~CWaitCursor();
  CWaitCursor(const CWaitCursor&) = delete;
  CWaitCursor& operator=(const CWaitCursor&) = delete;
  void Restore();
};

// State of one user-interface item (menu item, bar button, pane) while a
// target decides it. The base drives menu items; bars derive their own.
class CCmdUI {
public:
  UINT m_nID = 0;
  UINT m_nIndex = 0;       // position in the menu or bar
  UINT m_nIndexMax = 0;
  HMENU m_hMenu = nullptr;     // menu of the item, or null
  HMENU m_hSubMenu = nullptr;  // the item's own pop-up, when it opens one
  CWindow m_other;             // the bar, when the item is not a menu item
  bool m_bEnableChanged = false;
  bool m_bContinueRouting = false;

  virtual ~CCmdUI() = default;
  virtual void Enable(BOOL on = TRUE);
  virtual void SetCheck(int check = 1);  // 0 clear, 1 checked, 2 indeterminate
  virtual void SetRadio(BOOL on = TRUE);
  virtual void SetText(const char* text);
  void ContinueRouting() { m_bContinueRouting = true; }

  // Routes the update through `target`; with no update handler and
  // `disableIfNoHandler`, the item is disabled when no command handler exists.
  // True when an update handler took it.
  bool DoUpdate(CCmdTarget* target, bool disableIfNoHandler);
};

namespace clx {
// A command UI that only records what the handlers said (the command
// filter of WM_COMMAND and tests use it).
class StateCmdUI : public CCmdUI {
public:
  explicit StateCmdUI(UINT id) { m_nID = id; }
  bool m_bEnabled = true;
  int m_nCheck = 0;
  bool m_bRadio = false;
  CString m_text;
  bool m_bTextSet = false;

  void Enable(BOOL on = TRUE) override { m_bEnabled = on != FALSE; m_bEnableChanged = true; }
  void SetCheck(int check = 1) override { m_nCheck = check; }
  void SetRadio(BOOL on = TRUE) override { m_bRadio = on != FALSE; m_nCheck = on ? 1 : 0; }
  void SetText(const char* text) override { m_text = text; m_bTextSet = true; }
};
}  // namespace clx
