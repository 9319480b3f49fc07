#include "clx/window.h"

#include <algorithm>

void CWindow::GetWindowText(CString& out) const {
  int n = GetWindowTextLength();
  // The length can only shrink between the two calls; +1 for the terminating zero.
  int got = ::GetWindowTextA(m_hWnd, out.GetBufferSetLength(n + 1), n + 1);
  out.ReleaseBuffer(got);
}

CString CWindow::GetClassName() const {
  char buf[256];
  int n = ::GetClassNameA(m_hWnd, buf, sizeof buf);
  return CString(buf, n);
}

CWindow CWindow::GetTopLevelParent() const {
  HWND h = m_hWnd;
  while (h && (::GetWindowLongPtrA(h, GWL_STYLE) & WS_CHILD)) h = ::GetParent(h);
  return h;
}

static bool ModifyLong(HWND h, int index, DWORD remove, DWORD add, UINT swpFlags) {
  DWORD old = static_cast<DWORD>(::GetWindowLongPtrA(h, index));
  DWORD now = (old & ~remove) | add;
  if (now == old) return false;
  ::SetWindowLongPtrA(h, index, static_cast<LONG_PTR>(now));
  if (swpFlags)
    ::SetWindowPos(h, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | swpFlags);
  return true;
}

bool CWindow::ModifyStyle(DWORD remove, DWORD add, UINT swpFlags) const {
  return ModifyLong(m_hWnd, GWL_STYLE, remove, add, swpFlags);
}

bool CWindow::ModifyStyleEx(DWORD remove, DWORD add, UINT swpFlags) const {
  return ModifyLong(m_hWnd, GWL_EXSTYLE, remove, add, swpFlags);
}

void CWindow::ScreenToClient(RECT* r) const {
  ScreenToClient(reinterpret_cast<POINT*>(&r->left));
  ScreenToClient(reinterpret_cast<POINT*>(&r->right));
}

void CWindow::ClientToScreen(RECT* r) const {
  ClientToScreen(reinterpret_cast<POINT*>(&r->left));
  ClientToScreen(reinterpret_cast<POINT*>(&r->right));
}

void CWindow::MoveWindow(const RECT* r, BOOL repaint) const {
  MoveWindow(r->left, r->top, r->right - r->left, r->bottom - r->top, repaint);
}

void CWindow::CenterWindow(HWND alternate) const {
  HWND around = alternate;
  bool child = (GetStyle() & WS_CHILD) != 0;
  if (!around) around = child ? ::GetParent(m_hWnd) : ::GetWindow(m_hWnd, GW_OWNER);
  CRect area;
  if (child) {
    ::GetClientRect(::GetParent(m_hWnd), &area);
  } else {
    MONITORINFO mi{};
    mi.cbSize = sizeof mi;
    ::GetMonitorInfoA(::MonitorFromWindow(around ? around : m_hWnd, MONITOR_DEFAULTTONEAREST), &mi);
    area = mi.rcWork;
  }
  CRect target = area;
  if (around && !(::GetWindowLongPtrA(around, GWL_STYLE) & WS_MINIMIZE) && ::IsWindowVisible(around)) {
    ::GetWindowRect(around, &target);
    if (child) {
      CWindow parent(::GetParent(m_hWnd));
      parent.ScreenToClient(&target);
    }
  }
  CRect me = GetWindowRect();
  int x = target.CenterPoint().x - me.Width() / 2;
  int y = target.CenterPoint().y - me.Height() / 2;
  x = std::max<int>(area.left, std::min<int>(x, area.right - me.Width()));
  y = std::max<int>(area.top, std::min<int>(y, area.bottom - me.Height()));
  SetWindowPos(nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

BOOL CWindow::GetScrollInfo(int bar, SCROLLINFO* si, UINT mask) const {
  si->cbSize = sizeof(*si);
  si->fMask = mask;
  return ::GetScrollInfo(m_hWnd, bar, si);
}

int CWindow::SetScrollInfo(int bar, SCROLLINFO* si, BOOL redraw) const {
  si->cbSize = sizeof(*si);
  return ::SetScrollInfo(m_hWnd, bar, si, redraw);
}

void CWindow::SendMessageToDescendants(UINT msg, WPARAM w, LPARAM l, bool deep) const {
  for (HWND child = ::GetTopWindow(m_hWnd); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
    ::SendMessageA(child, msg, w, l);
    if (deep && ::GetTopWindow(child)) CWindow(child).SendMessageToDescendants(msg, w, l, deep);
  }
}
