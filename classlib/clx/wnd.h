#pragma once
// CWnd: a C++ object attached to one window. Windows made through the layer
// are attached at creation (a thread-local CBT hook subclasses them before
// their first message); existing windows are attached by SubclassWindow.
// Messages go through WindowProc: reflection to child controls, command
// routing, then the message map, then the window's own procedure.
#include <functional>

#include "clx/cmdtarget.h"
#include "clx/dc.h"
#include "clx/msgmap.h"

class CFrameWnd;
class CWnd;

namespace clx {
LRESULT CALLBACK WndProc(HWND h, UINT msg, WPARAM w, LPARAM l);

// Arms the creation hook: the next window this thread creates is attached to
// `wnd` and subclassed. Nested scopes stack (a window made during another's
// WM_CREATE). Consumed() tells whether a window was attached.
class CreationScope {
public:
  explicit CreationScope(CWnd* wnd);
  ~CreationScope();
  CreationScope(const CreationScope&) = delete;
  CreationScope& operator=(const CreationScope&) = delete;
  bool Consumed() const;

private:
  static LRESULT CALLBACK HookProc(int code, WPARAM w, LPARAM l);
  size_t m_depth;
};

// Where an exception that reached a window, hook or thread procedure ends:
// reported here, never thrown through the system's frames.
using UnhandledExceptionHook = void (*)(const char* what);
void SetUnhandledExceptionHook(UnhandledExceptionHook hook);
void ReportUnhandled(const char* what);

// Test seam: called once at the first idle moment of every modal loop.
void SetModalHook(std::function<void(CWnd& modal)> hook);
}  // namespace clx

class CWnd : public CCmdTarget, public CWindow {
  DECLARE_DYNAMIC(CWnd)
public:
  CWnd() = default;
  // Destroys a window still attached (controls and dialogs held by value).
  ~CWnd() override;
  CWnd(const CWnd&) = delete;
  CWnd& operator=(const CWnd&) = delete;

  // ---- creation and attachment
  virtual BOOL PreCreateWindow(CREATESTRUCT& cs);
  BOOL CreateEx(DWORD exStyle, const char* className, const char* windowName, DWORD style, int x, int y, int cx,
                int cy, HWND parent, HMENU menuOrId, void* param = nullptr);
  BOOL CreateEx(DWORD exStyle, const char* className, const char* windowName, DWORD style, const RECT& rect,
                CWnd* parent, UINT id, void* param = nullptr);
  virtual BOOL Create(const char* className, const char* windowName, DWORD style, const RECT& rect, CWnd* parent,
                      UINT id);
  BOOL SubclassWindow(HWND h);
  BOOL SubclassDlgItem(UINT id, CWnd* parent);
  HWND UnsubclassWindow();
  virtual BOOL DestroyWindow();

  // The object attached to `h` on the calling thread, or null (never a temporary).
  static CWnd* FromHandlePermanent(HWND h);

  // ---- dispatch
  virtual LRESULT WindowProc(UINT msg, WPARAM w, LPARAM l);
  virtual LRESULT DefWindowProc(UINT msg, WPARAM w, LPARAM l);
  // Default processing of the message being dispatched.
  LRESULT Default();
  static const MSG* GetCurrentMessage();
  virtual BOOL OnCommand(WPARAM w, LPARAM l);
  virtual BOOL OnNotify(WPARAM w, LPARAM l, LRESULT* result);
  // A message from this control to its parent, offered here first (reflection).
  virtual BOOL OnChildNotify(UINT msg, WPARAM w, LPARAM l, LRESULT* result);
  virtual BOOL PreTranslateMessage(MSG* msg);
  virtual void PostNcDestroy();
  // Help for this window: the main window's WinHelp, which by default starts
  // WinHelp with the application's help file ("Unable to start help." on failure).
  virtual void WinHelp(DWORD_PTR data, UINT cmd = HELP_CONTEXT);

  // ---- modal loop of this window (dialogs, modal pop-ups)
  int RunModalLoop();
  void EndModalLoop(int result);
  bool ContinueModal() const { return m_bModal; }
  bool IsInModalLoop() const { return m_bModal; }

  // ---- frames
  virtual CFrameWnd* AsFrameWnd() { return nullptr; }
  CFrameWnd* GetParentFrame() const;
  CFrameWnd* GetTopLevelFrame() const;

protected:
  WNDPROC m_pfnSuper = nullptr;  // the procedure that was there before ours

  // Reflection, command routing and the message map; false leaves the
  // message to DefWindowProc.
  bool OnWndMsg(UINT msg, WPARAM w, LPARAM l, LRESULT* result);

  // Default handlers of the crackers: the window's own procedure.
  int OnCreate(CREATESTRUCT*) { return static_cast<int>(Default()); }
  void OnDestroy() { Default(); }
  void OnNcDestroy() { Default(); }
  void OnClose() { Default(); }
  void OnSize(UINT, int, int) { Default(); }
  void OnSizing(UINT, RECT*) { Default(); }
  void OnMove(int, int) { Default(); }
  void OnPaint() { Default(); }
  BOOL OnEraseBkgnd(CDC*) { return static_cast<BOOL>(Default()); }
  void OnTimer(UINT_PTR) { Default(); }
  void OnHScroll(UINT, UINT, CWindow) { Default(); }
  void OnVScroll(UINT, UINT, CWindow) { Default(); }
  BOOL OnSetCursor(CWindow, UINT, UINT) { return static_cast<BOOL>(Default()); }
  void OnContextMenu(CWindow, CPoint) { Default(); }
  // F1 in a top-level window (dialogs have no accelerators): ID_HELP to the
  // main window, as the accelerator would send it; children pass it up.
  BOOL OnHelpInfo(HELPINFO* info);
  HBRUSH OnCtlColor(CDC*, CWindow, UINT) { return reinterpret_cast<HBRUSH>(Default()); }
  void OnLButtonDown(UINT, CPoint) { Default(); }
  void OnLButtonUp(UINT, CPoint) { Default(); }
  void OnLButtonDblClk(UINT, CPoint) { Default(); }
  void OnRButtonDown(UINT, CPoint) { Default(); }
  void OnRButtonUp(UINT, CPoint) { Default(); }
  void OnRButtonDblClk(UINT, CPoint) { Default(); }
  void OnMouseMove(UINT, CPoint) { Default(); }
  BOOL OnMouseWheel(UINT, short, CPoint) { return static_cast<BOOL>(Default()); }
  void OnKeyDown(UINT, UINT, UINT) { Default(); }
  void OnKeyUp(UINT, UINT, UINT) { Default(); }
  void OnSysKeyDown(UINT, UINT, UINT) { Default(); }
  void OnSysKeyUp(UINT, UINT, UINT) { Default(); }
  void OnChar(UINT, UINT, UINT) { Default(); }
  void OnSysChar(UINT, UINT, UINT) { Default(); }
  void OnSetFocus(CWindow) { Default(); }
  void OnKillFocus(CWindow) { Default(); }
  void OnActivate(UINT, CWindow, BOOL) { Default(); }
  void OnActivateApp(BOOL, DWORD) { Default(); }
  BOOL OnNcActivate(BOOL) { return static_cast<BOOL>(Default()); }
  int OnMouseActivate(CWindow, UINT, UINT) { return static_cast<int>(Default()); }
  void OnInitMenuPopup(HMENU, UINT, BOOL) { Default(); }
  void OnMenuSelect(UINT, UINT, HMENU) { Default(); }
  void OnGetMinMaxInfo(MINMAXINFO*) { Default(); }
  void OnShowWindow(BOOL, UINT) { Default(); }
  void OnEnable(BOOL) { Default(); }
  void OnDrawItem(int, DRAWITEMSTRUCT*) { Default(); }
  void OnMeasureItem(int, MEASUREITEMSTRUCT*) { Default(); }
  void OnSysCommand(UINT, LPARAM) { Default(); }
  LRESULT OnNcHitTest(CPoint) { return Default(); }
  void OnNcLButtonDown(UINT, CPoint) { Default(); }
  void OnNcMouseMove(UINT, CPoint) { Default(); }
  void OnCaptureChanged(CWindow) { Default(); }
  void OnCancelMode() { Default(); }
  void OnDropFiles(HDROP) { Default(); }
  BOOL OnCopyData(CWindow, COPYDATASTRUCT*) { return static_cast<BOOL>(Default()); }
  void OnWindowPosChanging(WINDOWPOS*) { Default(); }
  void OnWindowPosChanged(WINDOWPOS*) { Default(); }
  UINT OnGetDlgCode() { return static_cast<UINT>(Default()); }
  void OnEnterIdle(UINT, CWindow) { Default(); }
  void OnSysColorChange() { Default(); }
  BOOL OnQueryEndSession() { return static_cast<BOOL>(Default()); }
  void OnEndSession(BOOL) { Default(); }
  void OnParentNotify(UINT, LPARAM) { Default(); }

  DECLARE_MESSAGE_MAP()

private:
  friend LRESULT CALLBACK clx::WndProc(HWND, UINT, WPARAM, LPARAM);
  friend class clx::CreationScope;

  void AttachSubclassed(HWND h);
  void FinishNcDestroy();
  // Owner-draw, colour and scroll messages of an attached child, offered to it.
  bool ReflectToChild(UINT msg, WPARAM w, LPARAM l, LRESULT* result);

  bool m_bModal = false;
  int m_nModalResult = -1;
};
