#pragma once
// Message maps. A map is one virtual function per class: DECLARE_MESSAGE_MAP()
// declares it, BEGIN_MESSAGE_MAP(Class, Base) ... END_MESSAGE_MAP() defines it
// as a list of `if` entries that call the handlers by name and end in the
// base class's map. The compiler checks every handler's signature.
#include "clx/cmdtarget.h"

#define DECLARE_MESSAGE_MAP() \
protected:                    \
  bool ProcessMap(clx::MapCall& c) override;

#define BEGIN_MESSAGE_MAP(theClass, baseClass)    \
  bool theClass::ProcessMap(clx::MapCall& c) {    \
    using TheBaseClass = baseClass;

#define END_MESSAGE_MAP()           \
    return TheBaseClass::ProcessMap(c); \
  }

// ---- private and registered messages: LRESULT fn(WPARAM, LPARAM)
#define CLX_IF_MSG(m) if (c.kind == clx::MapKind::Message && c.msg == static_cast<UINT>(m))
#define ON_MESSAGE(m, fn) CLX_IF_MSG(m) { c.result = fn(c.wParam, c.lParam); return true; }
#define ON_REGISTERED_MESSAGE(var, fn) ON_MESSAGE(var, fn)

// ---- commands (menus, accelerators, buttons)
#define CLX_IF_COMMAND(idTest, codeValue) \
  if (c.kind == clx::MapKind::Command && c.code == (codeValue) && (idTest))
#define ON_COMMAND(nId, fn) \
  CLX_IF_COMMAND(c.id == static_cast<UINT>(nId), CN_COMMAND) { if (!c.probe) fn(); return true; }
#define ON_COMMAND_RANGE(idLo, idHi, fn) \
  CLX_IF_COMMAND(c.id >= static_cast<UINT>(idLo) && c.id <= static_cast<UINT>(idHi), CN_COMMAND) { if (!c.probe) fn(c.id); return true; }
// bool fn(UINT nId): false lets routing go on to the next target.
#define ON_COMMAND_EX(nId, fn) \
  CLX_IF_COMMAND(c.id == static_cast<UINT>(nId), CN_COMMAND) { if (c.probe || fn(c.id)) return true; }
#define ON_COMMAND_EX_RANGE(idLo, idHi, fn) \
  CLX_IF_COMMAND(c.id >= static_cast<UINT>(idLo) && c.id <= static_cast<UINT>(idHi), CN_COMMAND) { if (c.probe || fn(c.id)) return true; }

// void fn(CCmdUI*); a handler that calls ContinueRouting() passes the item on.
#define CLX_IF_UPDATE(idTest) if (c.kind == clx::MapKind::CommandUI && (idTest))
#define CLX_RUN_UPDATE(call)                    \
  {                                             \
    if (c.probe) return true;                   \
    c.cmdUI->m_bContinueRouting = false;        \
    call;                                       \
    if (!c.cmdUI->m_bContinueRouting) return true; \
  }
#define ON_UPDATE_COMMAND_UI(nId, fn) CLX_IF_UPDATE(c.id == static_cast<UINT>(nId)) CLX_RUN_UPDATE(fn(c.cmdUI))
#define ON_UPDATE_COMMAND_UI_RANGE(idLo, idHi, fn) \
  CLX_IF_UPDATE(c.id >= static_cast<UINT>(idLo) && c.id <= static_cast<UINT>(idHi)) CLX_RUN_UPDATE(fn(c.cmdUI))

// ---- control notifications to the parent: void fn()
#define ON_CONTROL(nCode, nId, fn) \
  CLX_IF_COMMAND(c.id == static_cast<UINT>(nId), static_cast<int>(nCode)) { if (!c.probe) fn(); return true; }
#define ON_CONTROL_RANGE(nCode, idLo, idHi, fn) \
  CLX_IF_COMMAND(c.id >= static_cast<UINT>(idLo) && c.id <= static_cast<UINT>(idHi), static_cast<int>(nCode)) { if (!c.probe) fn(c.id); return true; }
#define ON_BN_CLICKED(nId, fn) ON_CONTROL(BN_CLICKED, nId, fn)
#define ON_BN_DOUBLECLICKED(nId, fn) ON_CONTROL(BN_DOUBLECLICKED, nId, fn)
#define ON_EN_CHANGE(nId, fn) ON_CONTROL(EN_CHANGE, nId, fn)
#define ON_EN_UPDATE(nId, fn) ON_CONTROL(EN_UPDATE, nId, fn)
#define ON_EN_KILLFOCUS(nId, fn) ON_CONTROL(EN_KILLFOCUS, nId, fn)
#define ON_EN_SETFOCUS(nId, fn) ON_CONTROL(EN_SETFOCUS, nId, fn)
#define ON_CBN_SELCHANGE(nId, fn) ON_CONTROL(CBN_SELCHANGE, nId, fn)
#define ON_CBN_DROPDOWN(nId, fn) ON_CONTROL(CBN_DROPDOWN, nId, fn)
#define ON_CBN_CLOSEUP(nId, fn) ON_CONTROL(CBN_CLOSEUP, nId, fn)
#define ON_CBN_EDITCHANGE(nId, fn) ON_CONTROL(CBN_EDITCHANGE, nId, fn)
#define ON_LBN_SELCHANGE(nId, fn) ON_CONTROL(LBN_SELCHANGE, nId, fn)
#define ON_LBN_DBLCLK(nId, fn) ON_CONTROL(LBN_DBLCLK, nId, fn)

// ---- WM_NOTIFY to the parent: void fn(NMHDR*, LRESULT*)
#define CLX_IF_NOTIFY(nCode, idTest) \
  if (c.kind == clx::MapKind::Notify && c.code == static_cast<int>(nCode) && (idTest))
#define ON_NOTIFY(nCode, nId, fn) \
  CLX_IF_NOTIFY(nCode, c.id == static_cast<UINT>(nId)) { if (!c.probe) fn(c.nmhdr, &c.result); return true; }
#define ON_NOTIFY_RANGE(nCode, idLo, idHi, fn) \
  CLX_IF_NOTIFY(nCode, c.id >= static_cast<UINT>(idLo) && c.id <= static_cast<UINT>(idHi)) { if (!c.probe) fn(c.id, c.nmhdr, &c.result); return true; }
// bool fn(UINT nId, NMHDR*, LRESULT*): false lets routing go on.
#define ON_NOTIFY_EX_ALL(nCode, fn) \
  CLX_IF_NOTIFY(nCode, true) { if (c.probe || fn(c.id, c.nmhdr, &c.result)) return true; }
#define ON_NOTIFY_EX(nCode, nId, fn) \
  CLX_IF_NOTIFY(nCode, c.id == static_cast<UINT>(nId)) { if (c.probe || fn(c.id, c.nmhdr, &c.result)) return true; }
#define ON_NOTIFY_EX_RANGE(nCode, idLo, idHi, fn) \
  CLX_IF_NOTIFY(nCode, c.id >= static_cast<UINT>(idLo) && c.id <= static_cast<UINT>(idHi)) { if (c.probe || fn(c.id, c.nmhdr, &c.result)) return true; }

// ---- reflection: a control handles its own notifications before its parent.
// Plain forms take the notification away from the parent; _EX forms return
// bool, and false lets the parent see it as well.
#define ON_CONTROL_REFLECT(nCode, fn) \
  if (c.kind == clx::MapKind::ReflectCommand && c.code == static_cast<int>(nCode)) { fn(); return true; }
#define ON_CONTROL_REFLECT_EX(nCode, fn) \
  if (c.kind == clx::MapKind::ReflectCommand && c.code == static_cast<int>(nCode)) return fn();
#define ON_NOTIFY_REFLECT(nCode, fn) \
  if (c.kind == clx::MapKind::ReflectNotify && c.code == static_cast<int>(nCode)) { fn(c.nmhdr, &c.result); return true; }
#define ON_NOTIFY_REFLECT_EX(nCode, fn) \
  if (c.kind == clx::MapKind::ReflectNotify && c.code == static_cast<int>(nCode)) return fn(c.nmhdr, &c.result);
#define CLX_IF_REFLECTED(m) if (c.kind == clx::MapKind::ReflectMessage && c.msg == static_cast<UINT>(m))
// HBRUSH CtlColor(CDC*, UINT ctlType); a null brush leaves the message to the parent.
#define ON_WM_CTLCOLOR_REFLECT()                                                                     \
  if (c.kind == clx::MapKind::ReflectMessage && c.msg >= WM_CTLCOLORMSGBOX && c.msg <= WM_CTLCOLORSTATIC) { \
    clx::BorrowedDC dc(reinterpret_cast<HDC>(c.wParam));                                             \
    if (HBRUSH brush = CtlColor(&dc, c.msg - WM_CTLCOLORMSGBOX)) {                                   \
      c.result = reinterpret_cast<LRESULT>(brush);                                                   \
      return true;                                                                                   \
    }                                                                                                \
  }
#define ON_WM_DRAWITEM_REFLECT() \
  CLX_IF_REFLECTED(WM_DRAWITEM) { DrawItem(reinterpret_cast<DRAWITEMSTRUCT*>(c.lParam)); c.result = TRUE; return true; }
#define ON_WM_MEASUREITEM_REFLECT() \
  CLX_IF_REFLECTED(WM_MEASUREITEM) { MeasureItem(reinterpret_cast<MEASUREITEMSTRUCT*>(c.lParam)); c.result = TRUE; return true; }
#define ON_WM_COMPAREITEM_REFLECT() \
  CLX_IF_REFLECTED(WM_COMPAREITEM) { c.result = CompareItem(reinterpret_cast<COMPAREITEMSTRUCT*>(c.lParam)); return true; }
#define ON_WM_DELETEITEM_REFLECT() \
  CLX_IF_REFLECTED(WM_DELETEITEM) { DeleteItem(reinterpret_cast<DELETEITEMSTRUCT*>(c.lParam)); c.result = TRUE; return true; }
// void HScroll(UINT nCode, UINT pos) / VScroll
#define ON_WM_HSCROLL_REFLECT() \
  CLX_IF_REFLECTED(WM_HSCROLL) { HScroll(LOWORD(c.wParam), static_cast<short>(HIWORD(c.wParam))); return true; }
#define ON_WM_VSCROLL_REFLECT() \
  CLX_IF_REFLECTED(WM_VSCROLL) { VScroll(LOWORD(c.wParam), static_cast<short>(HIWORD(c.wParam))); return true; }

// ---- window message crackers, fixed handler names (CWnd has the defaults).
#define CLX_PT(c) CPoint(c.lParam)
#define CLX_HWND(x) CWindow(reinterpret_cast<HWND>(x))
#define ON_WM_CREATE() CLX_IF_MSG(WM_CREATE) { c.result = OnCreate(reinterpret_cast<CREATESTRUCT*>(c.lParam)); return true; }
#define ON_WM_DESTROY() CLX_IF_MSG(WM_DESTROY) { OnDestroy(); return true; }
#define ON_WM_NCDESTROY() CLX_IF_MSG(WM_NCDESTROY) { OnNcDestroy(); return true; }
#define ON_WM_CLOSE() CLX_IF_MSG(WM_CLOSE) { OnClose(); return true; }
#define ON_WM_SIZE() CLX_IF_MSG(WM_SIZE) { OnSize(static_cast<UINT>(c.wParam), static_cast<short>(LOWORD(c.lParam)), static_cast<short>(HIWORD(c.lParam))); return true; }
#define ON_WM_SIZING() CLX_IF_MSG(WM_SIZING) { OnSizing(static_cast<UINT>(c.wParam), reinterpret_cast<RECT*>(c.lParam)); c.result = TRUE; return true; }
#define ON_WM_MOVE() CLX_IF_MSG(WM_MOVE) { OnMove(static_cast<short>(LOWORD(c.lParam)), static_cast<short>(HIWORD(c.lParam))); return true; }
#define ON_WM_PAINT() CLX_IF_MSG(WM_PAINT) { OnPaint(); return true; }
#define ON_WM_ERASEBKGND() CLX_IF_MSG(WM_ERASEBKGND) { clx::BorrowedDC dc(reinterpret_cast<HDC>(c.wParam)); c.result = OnEraseBkgnd(&dc); return true; }
#define ON_WM_TIMER() CLX_IF_MSG(WM_TIMER) { OnTimer(static_cast<UINT_PTR>(c.wParam)); return true; }
#define ON_WM_HSCROLL() CLX_IF_MSG(WM_HSCROLL) { OnHScroll(LOWORD(c.wParam), static_cast<short>(HIWORD(c.wParam)), CLX_HWND(c.lParam)); return true; }
#define ON_WM_VSCROLL() CLX_IF_MSG(WM_VSCROLL) { OnVScroll(LOWORD(c.wParam), static_cast<short>(HIWORD(c.wParam)), CLX_HWND(c.lParam)); return true; }
#define ON_WM_SETCURSOR() CLX_IF_MSG(WM_SETCURSOR) { c.result = OnSetCursor(CLX_HWND(c.wParam), LOWORD(c.lParam), HIWORD(c.lParam)); return true; }
#define ON_WM_CONTEXTMENU() CLX_IF_MSG(WM_CONTEXTMENU) { OnContextMenu(CLX_HWND(c.wParam), CLX_PT(c)); return true; }
#define ON_WM_HELPINFO() CLX_IF_MSG(WM_HELP) { c.result = OnHelpInfo(reinterpret_cast<HELPINFO*>(c.lParam)); return true; }
#define ON_WM_CTLCOLOR()                                                                   \
  if (c.kind == clx::MapKind::Message && c.msg >= WM_CTLCOLORMSGBOX && c.msg <= WM_CTLCOLORSTATIC) { \
    clx::BorrowedDC dc(reinterpret_cast<HDC>(c.wParam));                                   \
    c.result = reinterpret_cast<LRESULT>(OnCtlColor(&dc, CLX_HWND(c.lParam), c.msg - WM_CTLCOLORMSGBOX)); \
    return true;                                                                           \
  }
#define CLX_MOUSE(m, fn) CLX_IF_MSG(m) { fn(static_cast<UINT>(c.wParam), CLX_PT(c)); return true; }
#define ON_WM_LBUTTONDOWN() CLX_MOUSE(WM_LBUTTONDOWN, OnLButtonDown)
#define ON_WM_LBUTTONUP() CLX_MOUSE(WM_LBUTTONUP, OnLButtonUp)
#define ON_WM_LBUTTONDBLCLK() CLX_MOUSE(WM_LBUTTONDBLCLK, OnLButtonDblClk)
#define ON_WM_RBUTTONDOWN() CLX_MOUSE(WM_RBUTTONDOWN, OnRButtonDown)
#define ON_WM_RBUTTONUP() CLX_MOUSE(WM_RBUTTONUP, OnRButtonUp)
#define ON_WM_RBUTTONDBLCLK() CLX_MOUSE(WM_RBUTTONDBLCLK, OnRButtonDblClk)
#define ON_WM_MOUSEMOVE() CLX_MOUSE(WM_MOUSEMOVE, OnMouseMove)
#define ON_WM_MOUSEWHEEL() CLX_IF_MSG(WM_MOUSEWHEEL) { c.result = OnMouseWheel(LOWORD(c.wParam), static_cast<short>(HIWORD(c.wParam)), CLX_PT(c)); return true; }
#define CLX_KEY(m, fn) CLX_IF_MSG(m) { fn(static_cast<UINT>(c.wParam), LOWORD(c.lParam), HIWORD(c.lParam)); return true; }
#define ON_WM_KEYDOWN() CLX_KEY(WM_KEYDOWN, OnKeyDown)
#define ON_WM_KEYUP() CLX_KEY(WM_KEYUP, OnKeyUp)
#define ON_WM_SYSKEYDOWN() CLX_KEY(WM_SYSKEYDOWN, OnSysKeyDown)
#define ON_WM_SYSKEYUP() CLX_KEY(WM_SYSKEYUP, OnSysKeyUp)
#define ON_WM_CHAR() CLX_KEY(WM_CHAR, OnChar)
#define ON_WM_SYSCHAR() CLX_KEY(WM_SYSCHAR, OnSysChar)
#define ON_WM_SETFOCUS() CLX_IF_MSG(WM_SETFOCUS) { OnSetFocus(CLX_HWND(c.wParam)); return true; }
#define ON_WM_KILLFOCUS() CLX_IF_MSG(WM_KILLFOCUS) { OnKillFocus(CLX_HWND(c.wParam)); return true; }
#define ON_WM_ACTIVATE() CLX_IF_MSG(WM_ACTIVATE) { OnActivate(LOWORD(c.wParam), CLX_HWND(c.lParam), HIWORD(c.wParam)); return true; }
#define ON_WM_ACTIVATEAPP() CLX_IF_MSG(WM_ACTIVATEAPP) { OnActivateApp(static_cast<BOOL>(c.wParam), static_cast<DWORD>(c.lParam)); return true; }
#define ON_WM_NCACTIVATE() CLX_IF_MSG(WM_NCACTIVATE) { c.result = OnNcActivate(static_cast<BOOL>(c.wParam)); return true; }
#define ON_WM_MOUSEACTIVATE() CLX_IF_MSG(WM_MOUSEACTIVATE) { c.result = OnMouseActivate(CLX_HWND(c.wParam), LOWORD(c.lParam), HIWORD(c.lParam)); return true; }
#define ON_WM_INITMENUPOPUP() CLX_IF_MSG(WM_INITMENUPOPUP) { OnInitMenuPopup(reinterpret_cast<HMENU>(c.wParam), LOWORD(c.lParam), HIWORD(c.lParam)); return true; }
#define ON_WM_MENUSELECT() CLX_IF_MSG(WM_MENUSELECT) { OnMenuSelect(LOWORD(c.wParam), HIWORD(c.wParam), reinterpret_cast<HMENU>(c.lParam)); return true; }
// void OnMDIActivate(BOOL activate, CWindow activated, CWindow deactivated)
#define ON_WM_MDIACTIVATE() CLX_IF_MSG(WM_MDIACTIVATE) { OnMDIActivate(c.lParam == reinterpret_cast<LPARAM>(m_hWnd), CLX_HWND(c.lParam), CLX_HWND(c.wParam)); return true; }
#define ON_WM_GETMINMAXINFO() CLX_IF_MSG(WM_GETMINMAXINFO) { OnGetMinMaxInfo(reinterpret_cast<MINMAXINFO*>(c.lParam)); return true; }
#define ON_WM_SHOWWINDOW() CLX_IF_MSG(WM_SHOWWINDOW) { OnShowWindow(static_cast<BOOL>(c.wParam), static_cast<UINT>(c.lParam)); return true; }
#define ON_WM_ENABLE() CLX_IF_MSG(WM_ENABLE) { OnEnable(static_cast<BOOL>(c.wParam)); return true; }
#define ON_WM_DRAWITEM() CLX_IF_MSG(WM_DRAWITEM) { OnDrawItem(static_cast<int>(c.wParam), reinterpret_cast<DRAWITEMSTRUCT*>(c.lParam)); c.result = TRUE; return true; }
#define ON_WM_MEASUREITEM() CLX_IF_MSG(WM_MEASUREITEM) { OnMeasureItem(static_cast<int>(c.wParam), reinterpret_cast<MEASUREITEMSTRUCT*>(c.lParam)); c.result = TRUE; return true; }
#define ON_WM_SYSCOMMAND() CLX_IF_MSG(WM_SYSCOMMAND) { OnSysCommand(static_cast<UINT>(c.wParam), c.lParam); return true; }
#define ON_WM_NCHITTEST() CLX_IF_MSG(WM_NCHITTEST) { c.result = OnNcHitTest(CLX_PT(c)); return true; }
#define ON_WM_NCLBUTTONDOWN() CLX_IF_MSG(WM_NCLBUTTONDOWN) { OnNcLButtonDown(static_cast<UINT>(c.wParam), CLX_PT(c)); return true; }
#define ON_WM_NCMOUSEMOVE() CLX_IF_MSG(WM_NCMOUSEMOVE) { OnNcMouseMove(static_cast<UINT>(c.wParam), CLX_PT(c)); return true; }
#define ON_WM_CAPTURECHANGED() CLX_IF_MSG(WM_CAPTURECHANGED) { OnCaptureChanged(CLX_HWND(c.lParam)); return true; }
#define ON_WM_CANCELMODE() CLX_IF_MSG(WM_CANCELMODE) { OnCancelMode(); return true; }
#define ON_WM_DROPFILES() CLX_IF_MSG(WM_DROPFILES) { OnDropFiles(reinterpret_cast<HDROP>(c.wParam)); return true; }
#define ON_WM_COPYDATA() CLX_IF_MSG(WM_COPYDATA) { c.result = OnCopyData(CLX_HWND(c.wParam), reinterpret_cast<COPYDATASTRUCT*>(c.lParam)); return true; }
#define ON_WM_WINDOWPOSCHANGING() CLX_IF_MSG(WM_WINDOWPOSCHANGING) { OnWindowPosChanging(reinterpret_cast<WINDOWPOS*>(c.lParam)); return true; }
#define ON_WM_WINDOWPOSCHANGED() CLX_IF_MSG(WM_WINDOWPOSCHANGED) { OnWindowPosChanged(reinterpret_cast<WINDOWPOS*>(c.lParam)); return true; }
#define ON_WM_GETDLGCODE() CLX_IF_MSG(WM_GETDLGCODE) { c.result = OnGetDlgCode(); return true; }
#define ON_WM_ENTERIDLE() CLX_IF_MSG(WM_ENTERIDLE) { OnEnterIdle(static_cast<UINT>(c.wParam), CLX_HWND(c.lParam)); return true; }
#define ON_WM_SYSCOLORCHANGE() CLX_IF_MSG(WM_SYSCOLORCHANGE) { OnSysColorChange(); return true; }
#define ON_WM_QUERYENDSESSION() CLX_IF_MSG(WM_QUERYENDSESSION) { c.result = OnQueryEndSession(); return true; }
#define ON_WM_ENDSESSION() CLX_IF_MSG(WM_ENDSESSION) { OnEndSession(static_cast<BOOL>(c.wParam)); return true; }
#define ON_WM_PARENTNOTIFY() CLX_IF_MSG(WM_PARENTNOTIFY) { OnParentNotify(LOWORD(c.wParam), c.lParam); return true; }
