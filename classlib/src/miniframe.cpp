#include "clx/miniframe.h"

#include "clx/app.h"

IMPLEMENT_DYNCREATE(CMiniFrameWnd, CFrameWnd)

BEGIN_MESSAGE_MAP(CMiniFrameWnd, CFrameWnd)
  ON_WM_NCACTIVATE()
  ON_WM_ACTIVATE()
END_MESSAGE_MAP()

namespace {
constexpr DWORD kMiniFrameStyles = MFS_SYNCACTIVE | MFS_4THICKFRAME | MFS_THICKFRAME | MFS_MOVEFRAME;

HWND RootOwner(HWND h) {
  for (HWND owner = ::GetWindow(h, GW_OWNER); owner; owner = ::GetWindow(h, GW_OWNER)) h = owner;
  return h;
}
}  // namespace

BOOL CMiniFrameWnd::Create(const char* className, const char* title, DWORD style, const RECT& rect, CWnd* owner,
                           UINT id) {
  return CreateEx(0, className, title, style, rect, owner, id);
}

BOOL CMiniFrameWnd::CreateEx(DWORD exStyle, const char* className, const char* title, DWORD style,
                             const RECT& rect, CWnd* owner, UINT id) {
  m_strTitle = title ? title : "";
  // A pop-up's menu argument is a menu handle, never an id.
  HMENU menuOrId = (style & WS_CHILD) ? reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)) : nullptr;
  return CWnd::CreateEx(exStyle, className, title, style, rect.left, rect.top, rect.right - rect.left,
                        rect.bottom - rect.top, owner ? owner->m_hWnd : nullptr, menuOrId);
}

BOOL CMiniFrameWnd::PreCreateWindow(CREATESTRUCT& cs) {
  DWORD style = static_cast<DWORD>(cs.style);
  m_dwFrameStyle |= style & kMiniFrameStyles;
  style &= ~kMiniFrameStyles;
  if (m_dwFrameStyle & MFS_THICKFRAME) style |= WS_THICKFRAME;
  cs.style = static_cast<LONG>(style);
  cs.dwExStyle |= WS_EX_TOOLWINDOW;
  if (!cs.lpszClass)
    cs.lpszClass = AfxRegisterWndClass(CS_DBLCLKS, ::LoadCursorA(nullptr, MAKEINTRESOURCEA(32512) /* IDC_ARROW */),
                                       reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
  return CFrameWnd::PreCreateWindow(cs);
}

// The system says "inactive" only to the window losing the activation (the
// active one); the frame family says it to the others. While the family is
// active, the first is overruled until WM_ACTIVATE tells where activation went.
BOOL CMiniFrameWnd::OnNcActivate(BOOL active) {
  if (!SyncsFamilyActivation()) return static_cast<BOOL>(Default());
  bool fromSystem = ::GetActiveWindow() == m_hWnd;
  if (active) {
    m_bFamilyActive = true;
  } else if (!fromSystem) {
    m_bFamilyActive = false;
  } else if (m_bFamilyActive && IsWindowEnabled()) {
    active = TRUE;
  }
  if (!IsWindowEnabled() && !fromSystem) active = FALSE;
  return static_cast<BOOL>(DefWindowProc(WM_NCACTIVATE, active, GetCurrentMessage()->lParam));
}

void CMiniFrameWnd::OnActivate(UINT state, CWindow other, BOOL minimized) {
  if (!SyncsFamilyActivation()) {
    Default();
    return;
  }
  bool wasFamilyActive = m_bFamilyActive;
  CFrameWnd::OnActivate(state, other, minimized);
  if (state != WA_INACTIVE) {
    m_bFamilyActive = true;
    return;
  }
  // Activation went outside the family: the frame told the others, and this
  // one, no longer overruled, draws inactive too.
  CWnd* to = other.m_hWnd ? CWnd::FromHandlePermanent(other) : nullptr;
  CFrameWnd* toFrame = to ? to->AsFrameWnd() : nullptr;
  bool staysInFamily = toFrame && toFrame->SyncsFamilyActivation() && !(toFrame->GetStyle() & WS_CHILD) &&
                       RootOwner(other) == RootOwner(m_hWnd);
  if (!staysInFamily && wasFamilyActive) {
    m_bFamilyActive = false;
    SendMessage(WM_NCACTIVATE, FALSE);
  }
}
