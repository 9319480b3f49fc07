#pragma once
// CWindow: a non-owning HWND value with the plain API around it. Windows that
// have no C++ object (a dialog's controls, another thread's windows) are
// handled through it; copying it copies the handle, nothing else.
#include "clx/geometry.h"
#include "clx/string.h"

class CWindow {
public:
  HWND m_hWnd = nullptr;

  CWindow(HWND h = nullptr) : m_hWnd(h) {}
  operator HWND() const { return m_hWnd; }
  HWND GetSafeHwnd() const { return m_hWnd; }

  // Text and identity.
  void SetWindowText(const char* text) const { ::SetWindowTextA(m_hWnd, text); }
  int GetWindowText(char* buf, int size) const { return ::GetWindowTextA(m_hWnd, buf, size); }
  void GetWindowText(CString& out) const;
  CString GetWindowText() const { CString s; GetWindowText(s); return s; }
  int GetWindowTextLength() const { return ::GetWindowTextLengthA(m_hWnd); }
  int GetDlgCtrlID() const { return ::GetDlgCtrlID(m_hWnd); }
  int SetDlgCtrlID(int id) const { return static_cast<int>(::SetWindowLongPtrA(m_hWnd, GWLP_ID, id)); }
  CString GetClassName() const;

  // Relatives.
  CWindow GetParent() const { return ::GetParent(m_hWnd); }
  CWindow GetOwner() const { return ::GetWindow(m_hWnd, GW_OWNER); }
  CWindow GetWindow(UINT cmd) const { return ::GetWindow(m_hWnd, cmd); }
  CWindow GetDlgItem(int id) const { return ::GetDlgItem(m_hWnd, id); }
  CWindow GetTopLevelParent() const;
  CWindow GetLastActivePopup() const { return ::GetLastActivePopup(m_hWnd); }
  CWindow ChildWindowFromPoint(POINT p) const { return ::ChildWindowFromPoint(m_hWnd, p); }
  CWindow ChildWindowFromPoint(POINT p, UINT flags) const { return ::ChildWindowFromPointEx(m_hWnd, p, flags); }
  bool IsChild(HWND h) const { return ::IsChild(m_hWnd, h) != FALSE; }

  // State.
  BOOL IsWindow() const { return ::IsWindow(m_hWnd); }
  BOOL IsWindowVisible() const { return ::IsWindowVisible(m_hWnd); }
  BOOL IsWindowEnabled() const { return ::IsWindowEnabled(m_hWnd); }
  BOOL IsIconic() const { return ::IsIconic(m_hWnd); }
  BOOL IsZoomed() const { return ::IsZoomed(m_hWnd); }
  BOOL ShowWindow(int cmd) const { return ::ShowWindow(m_hWnd, cmd); }
  BOOL EnableWindow(BOOL enable = TRUE) const { return ::EnableWindow(m_hWnd, enable); }
  DWORD GetStyle() const { return static_cast<DWORD>(::GetWindowLongPtrA(m_hWnd, GWL_STYLE)); }
  DWORD GetExStyle() const { return static_cast<DWORD>(::GetWindowLongPtrA(m_hWnd, GWL_EXSTYLE)); }
  // Both return false when nothing changed; `swpFlags` non-zero also applies the frame change.
  bool ModifyStyle(DWORD remove, DWORD add, UINT swpFlags = 0) const;
  bool ModifyStyleEx(DWORD remove, DWORD add, UINT swpFlags = 0) const;

  // Geometry.
  void GetWindowRect(RECT* r) const { ::GetWindowRect(m_hWnd, r); }
  void GetClientRect(RECT* r) const { ::GetClientRect(m_hWnd, r); }
  CRect GetWindowRect() const { CRect r; GetWindowRect(&r); return r; }
  CRect GetClientRect() const { CRect r; GetClientRect(&r); return r; }
  void ScreenToClient(POINT* p) const { ::ScreenToClient(m_hWnd, p); }
  void ClientToScreen(POINT* p) const { ::ClientToScreen(m_hWnd, p); }
  void ScreenToClient(RECT* r) const;
  void ClientToScreen(RECT* r) const;
  void MoveWindow(int x, int y, int w, int h, BOOL repaint = TRUE) const { ::MoveWindow(m_hWnd, x, y, w, h, repaint); }
  void MoveWindow(const RECT* r, BOOL repaint = TRUE) const;
  BOOL SetWindowPos(HWND after, int x, int y, int cx, int cy, UINT flags) const {
    return ::SetWindowPos(m_hWnd, after, x, y, cx, cy, flags);
  }
  BOOL GetWindowPlacement(WINDOWPLACEMENT* wp) const { wp->length = sizeof(*wp); return ::GetWindowPlacement(m_hWnd, wp); }
  BOOL SetWindowPlacement(const WINDOWPLACEMENT* wp) const { return ::SetWindowPlacement(m_hWnd, wp); }
  // Centres on `alternate` (else the owner or parent, else the work area), kept inside the work area.
  void CenterWindow(HWND alternate = nullptr) const;

  // Painting.
  void Invalidate(BOOL erase = TRUE) const { ::InvalidateRect(m_hWnd, nullptr, erase); }
  void InvalidateRect(const RECT* r, BOOL erase = TRUE) const { ::InvalidateRect(m_hWnd, r, erase); }
  void InvalidateRgn(HRGN rgn, BOOL erase = TRUE) const { ::InvalidateRgn(m_hWnd, rgn, erase); }
  void ValidateRect(const RECT* r) const { ::ValidateRect(m_hWnd, r); }
  void ValidateRgn(HRGN rgn) const { ::ValidateRgn(m_hWnd, rgn); }
  void UpdateWindow() const { ::UpdateWindow(m_hWnd); }
  BOOL RedrawWindow(const RECT* r = nullptr, HRGN rgn = nullptr,
                    UINT flags = RDW_INVALIDATE | RDW_UPDATENOW | RDW_ERASE) const {
    return ::RedrawWindow(m_hWnd, r, rgn, flags);
  }

  // Scrolling.
  BOOL GetScrollInfo(int bar, SCROLLINFO* si, UINT mask = SIF_ALL) const;
  int SetScrollInfo(int bar, SCROLLINFO* si, BOOL redraw = TRUE) const;
  int GetScrollPos(int bar) const { return ::GetScrollPos(m_hWnd, bar); }
  int SetScrollPos(int bar, int pos, BOOL redraw = TRUE) const { return ::SetScrollPos(m_hWnd, bar, pos, redraw); }
  void SetScrollRange(int bar, int lo, int hi, BOOL redraw = TRUE) const { ::SetScrollRange(m_hWnd, bar, lo, hi, redraw); }
  void ShowScrollBar(UINT bar, BOOL show = TRUE) const { ::ShowScrollBar(m_hWnd, static_cast<int>(bar), show); }
  void ScrollWindow(int dx, int dy, const RECT* r = nullptr, const RECT* clip = nullptr) const {
    ::ScrollWindow(m_hWnd, dx, dy, r, clip);
  }

  // Input and timers.
  UINT_PTR SetTimer(UINT_PTR id, UINT elapse, TIMERPROC fn = nullptr) const { return ::SetTimer(m_hWnd, id, elapse, fn); }
  BOOL KillTimer(UINT_PTR id) const { return ::KillTimer(m_hWnd, id); }
  CWindow SetCapture() const { return ::SetCapture(m_hWnd); }
  CWindow SetFocus() const { return ::SetFocus(m_hWnd); }
  BOOL SetForegroundWindow() const { return ::SetForegroundWindow(m_hWnd); }
  CWindow SetActiveWindow() const { return ::SetActiveWindow(m_hWnd); }
  static CWindow GetFocus() { return ::GetFocus(); }
  static CWindow GetCapture() { return ::GetCapture(); }
  static CWindow GetActiveWindow() { return ::GetActiveWindow(); }

  // Fonts, menus.
  void SetFont(HFONT font, BOOL redraw = TRUE) const { SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(font), redraw); }
  HFONT GetFont() const { return reinterpret_cast<HFONT>(SendMessage(WM_GETFONT)); }
  HMENU GetMenu() const { return ::GetMenu(m_hWnd); }
  BOOL SetMenu(HMENU menu) const { return ::SetMenu(m_hWnd, menu); }
  void DrawMenuBar() const { ::DrawMenuBar(m_hWnd); }
  // WM_DROPFILES from the shell (WS_EX_ACCEPTFILES).
  void DragAcceptFiles(BOOL accept = TRUE) const { ::DragAcceptFiles(m_hWnd, accept); }
  HMENU GetSystemMenu(BOOL revert) const { return ::GetSystemMenu(m_hWnd, revert); }

  // Messages.
  LRESULT SendMessage(UINT msg, WPARAM w = 0, LPARAM l = 0) const { return ::SendMessageA(m_hWnd, msg, w, l); }
  BOOL PostMessage(UINT msg, WPARAM w = 0, LPARAM l = 0) const { return ::PostMessageA(m_hWnd, msg, w, l); }
  LRESULT SendDlgItemMessage(int id, UINT msg, WPARAM w = 0, LPARAM l = 0) const {
    return ::SendDlgItemMessageA(m_hWnd, id, msg, w, l);
  }
  // Sends to every child (and with `deep` to their children, depth first).
  void SendMessageToDescendants(UINT msg, WPARAM w = 0, LPARAM l = 0, bool deep = true) const;

  // Dialog helpers.
  void SetDlgItemText(int id, const char* text) const { ::SetDlgItemTextA(m_hWnd, id, text); }
  CString GetDlgItemText(int id) const { return GetDlgItem(id).GetWindowText(); }
  void SetDlgItemInt(int id, UINT value, BOOL isSigned = TRUE) const { ::SetDlgItemInt(m_hWnd, id, value, isSigned); }
  UINT GetDlgItemInt(int id, BOOL* ok = nullptr, BOOL isSigned = TRUE) const {
    return ::GetDlgItemInt(m_hWnd, id, ok, isSigned);
  }
  void CheckDlgButton(int id, UINT check) const { ::CheckDlgButton(m_hWnd, id, check); }
  UINT IsDlgButtonChecked(int id) const { return ::IsDlgButtonChecked(m_hWnd, id); }

  BOOL DestroyWindow() const { return ::DestroyWindow(m_hWnd); }
};
