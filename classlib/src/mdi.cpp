#include "clx/mdi.h"

#include "clx/app.h"
#include "clx/document.h"
#include "clx/resources.h"
#include "clx/view.h"

IMPLEMENT_DYNCREATE(CMDIFrameWnd, CFrameWnd)
IMPLEMENT_DYNCREATE(CMDIChildWnd, CFrameWnd)

BEGIN_MESSAGE_MAP(CMDIFrameWnd, CFrameWnd)
  ON_MESSAGE(WM_IDLEUPDATECMDUI, OnIdleUpdateCmdUI)
  ON_COMMAND_EX_RANGE(ID_WINDOW_ARRANGE, ID_WINDOW_TILE_VERT, OnMDIWindowCmd)
  ON_UPDATE_COMMAND_UI_RANGE(ID_WINDOW_ARRANGE, ID_WINDOW_TILE_VERT, OnUpdateMDIWindowCmd)
END_MESSAGE_MAP()

BEGIN_MESSAGE_MAP(CMDIChildWnd, CFrameWnd)
  ON_WM_MDIACTIVATE()
  ON_MESSAGE(WM_SETMESSAGESTRING, OnSetMessageString)
END_MESSAGE_MAP()

// ---------------------------------------------------------------- MDI frame

BOOL CMDIFrameWnd::PreCreateWindow(CREATESTRUCT& cs) { return CFrameWnd::PreCreateWindow(cs); }

LRESULT CMDIFrameWnd::DefWindowProc(UINT msg, WPARAM w, LPARAM l) {
  return ::DefFrameProcA(m_hWnd, m_hWndMDIClient, msg, w, l);
}

HMENU CMDIFrameWnd::FindWindowMenu(HMENU menu) {
  if (!menu) return nullptr;
  for (int i = 0, n = ::GetMenuItemCount(menu); i < n; ++i)
    if (HMENU sub = ::GetSubMenu(menu, i))
      for (int j = 0, m = ::GetMenuItemCount(sub); j < m; ++j)
        if (::GetMenuItemID(sub, j) == ID_WINDOW_CASCADE) return sub;
  return nullptr;
}

BOOL CMDIFrameWnd::OnCreateClient(CREATESTRUCT* cs, CCreateContext*) {
  CLIENTCREATESTRUCT ccs{};
  ccs.hWindowMenu = FindWindowMenu(m_hMenuDefault ? m_hMenuDefault : ::GetMenu(m_hWnd));
  ccs.idFirstChild = AFX_IDM_FIRST_MDICHILD;
  // The frame's scroll bars belong to the client area.
  DWORD scroll = static_cast<DWORD>(cs->style) & (WS_HSCROLL | WS_VSCROLL);
  if (scroll) ModifyStyle(scroll, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
  // MDIS_ALLCHILDSTYLES: a child is made with the styles its frame asks for,
  // hidden among them, so that no empty window shows before its document
  // has loaded (InitialUpdateFrame shows it).
  m_hWndMDIClient = ::CreateWindowExA(WS_EX_CLIENTEDGE, "MDICLIENT", nullptr,
                                      WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS | MDIS_ALLCHILDSTYLES |
                                          scroll,
                                      0, 0, 0, 0,
                                      m_hWnd, reinterpret_cast<HMENU>(static_cast<UINT_PTR>(AFX_IDW_PANE_FIRST)),
                                      AfxGetInstanceHandle(), &ccs);
  return m_hWndMDIClient != nullptr;
}

CMDIChildWnd* CMDIFrameWnd::MDIGetActive(BOOL* maximized) const {
  if (maximized) *maximized = FALSE;
  if (!m_hWndMDIClient) return nullptr;
  HWND h = reinterpret_cast<HWND>(::SendMessageA(m_hWndMDIClient, WM_MDIGETACTIVE, 0, reinterpret_cast<LPARAM>(maximized)));
  return dynamic_cast<CMDIChildWnd*>(FromHandlePermanent(h));
}

CFrameWnd* CMDIFrameWnd::GetActiveFrame() {
  CMDIChildWnd* child = MDIGetActive();
  return child ? static_cast<CFrameWnd*>(child) : this;
}

void CMDIFrameWnd::OnUpdateFrameTitle(BOOL addToTitle) {
  CDocument* doc = GetActiveDocument();
  CString text = m_strTitle;
  if (addToTitle && AddsToTitle() && doc) text += " - " + doc->GetTitle();
  if (GetWindowText() != text) SetWindowText(text);
}

HACCEL CMDIFrameWnd::GetDefaultAccelerator() {
  CMDIChildWnd* child = MDIGetActive();
  HACCEL accel = child ? child->GetDefaultAccelerator() : nullptr;
  return accel ? accel : m_hAccelTable;
}

BOOL CMDIFrameWnd::PreTranslateMessage(MSG* msg) {
  // The children's keys (Ctrl+F4, Ctrl+F6) only for keys pressed inside the
  // client area: from a palette they would close or switch a document.
  if (msg->message >= WM_KEYFIRST && msg->message <= WM_KEYLAST && IsWindowEnabled() && m_hWndMDIClient &&
      (msg->hwnd == m_hWndMDIClient || ::IsChild(m_hWndMDIClient, msg->hwnd)) &&
      ::TranslateMDISysAccel(m_hWndMDIClient, msg))
    return TRUE;
  return CFrameWnd::PreTranslateMessage(msg);
}

BOOL CMDIFrameWnd::OnCmdMsg(UINT id, int code, void* extra, AFX_CMDHANDLERINFO* handlerInfo) {
  // The active child (its view, its document, itself) before the frame.
  if (CMDIChildWnd* child = MDIGetActive(); child && child->OnCmdMsg(id, code, extra, handlerInfo)) return TRUE;
  return CFrameWnd::OnCmdMsg(id, code, extra, handlerInfo);
}

HMENU CMDIFrameWnd::MDISetMenu(HMENU menu, HMENU windowMenu) {
  auto old = reinterpret_cast<HMENU>(::SendMessageA(m_hWndMDIClient, WM_MDISETMENU, reinterpret_cast<WPARAM>(menu),
                                                    reinterpret_cast<LPARAM>(windowMenu)));
  DrawMenuBar();
  return old;
}

void CMDIFrameWnd::OnUpdateFrameMenu(CMDIChildWnd* child) {
  HMENU menu = child && child->m_hMenuShared ? child->m_hMenuShared : m_hMenuDefault;
  if (menu && m_hWndMDIClient) MDISetMenu(menu, FindWindowMenu(menu));
}

LRESULT CMDIFrameWnd::OnIdleUpdateCmdUI(WPARAM w, LPARAM l) {
  // The menu bar follows the active child, also when the last child went without telling.
  CMDIChildWnd* child = MDIGetActive();
  HMENU wanted = child && child->m_hMenuShared ? child->m_hMenuShared : m_hMenuDefault;
  if (wanted && ::GetMenu(m_hWnd) != wanted) OnUpdateFrameMenu(child);
  return CFrameWnd::OnIdleUpdateCmdUI(w, l);
}

bool CMDIFrameWnd::OnMDIWindowCmd(UINT id) {
  switch (id) {
    case ID_WINDOW_ARRANGE: MDIIconArrange(); break;
    case ID_WINDOW_CASCADE: MDICascade(); break;
    case ID_WINDOW_TILE_HORZ: MDITile(MDITILE_HORIZONTAL); break;
    case ID_WINDOW_TILE_VERT: MDITile(MDITILE_VERTICAL); break;
    default: return false;
  }
  return true;
}

void CMDIFrameWnd::OnUpdateMDIWindowCmd(CCmdUI* ui) { ui->Enable(MDIGetActive() != nullptr); }

// ---------------------------------------------------------------- MDI child

BOOL CMDIChildWnd::PreCreateWindow(CREATESTRUCT& cs) { return CFrameWnd::PreCreateWindow(cs); }

LRESULT CMDIChildWnd::DefWindowProc(UINT msg, WPARAM w, LPARAM l) { return ::DefMDIChildProcA(m_hWnd, msg, w, l); }

CCreateContext* CMDIChildWnd::ContextFromCreate(CREATESTRUCT* cs) {
  auto* mcs = static_cast<MDICREATESTRUCTA*>(cs->lpCreateParams);
  return mcs ? reinterpret_cast<CCreateContext*>(mcs->lParam) : nullptr;
}

BOOL CMDIChildWnd::LoadFrame(UINT id, DWORD style, CWnd* parent, CCreateContext* context) {
  m_nIDHelp = id;
  m_strTitle = PromptOf(id);
  HINSTANCE module = AfxGetResourceHandle();
  if (!m_hAccelTable && ::FindResourceA(module, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(9) /* RT_ACCELERATOR */))
    m_hAccelTable = ::LoadAcceleratorsA(module, MAKEINTRESOURCEA(id));
  auto* frame = dynamic_cast<CMDIFrameWnd*>(parent ? parent : AfxGetMainWnd());
  if (!frame || !frame->m_hWndMDIClient) {
    PostNcDestroy();
    return FALSE;
  }
  CRect rect(CW_USEDEFAULT, CW_USEDEFAULT, 0, 0);
  if (!CreateChild(nullptr, m_strTitle, style, rect, frame, context)) return FALSE;
  if (!context) SendMessageToDescendants(WM_INITIALUPDATE, 0, 0, true);
  return TRUE;
}

BOOL CMDIChildWnd::CreateChild(const char* className, const char* title, DWORD style, const RECT& rect,
                               CMDIFrameWnd* parent, CCreateContext* context) {
  CREATESTRUCTA cs{};
  cs.lpszClass = className;
  cs.lpszName = title;
  cs.style = static_cast<LONG>(style | WS_CHILD | WS_CLIPSIBLINGS);
  cs.x = rect.left;
  cs.y = rect.top;
  cs.cx = rect.left == CW_USEDEFAULT ? CW_USEDEFAULT : rect.right - rect.left;
  cs.cy = rect.top == CW_USEDEFAULT ? CW_USEDEFAULT : rect.bottom - rect.top;
  cs.hwndParent = parent->m_hWndMDIClient;
  cs.hInstance = AfxGetInstanceHandle();
  cs.lpCreateParams = context;
  if (!PreCreateWindow(cs)) {
    PostNcDestroy();
    return FALSE;
  }
  MDICREATESTRUCTA mcs{};
  mcs.szClass = cs.lpszClass;
  mcs.szTitle = cs.lpszName;
  mcs.hOwner = cs.hInstance;
  mcs.x = cs.x;
  mcs.y = cs.y;
  mcs.cx = cs.cx;
  mcs.cy = cs.cy;
  mcs.style = static_cast<DWORD>(cs.style) & ~static_cast<DWORD>(WS_CHILD);
  mcs.lParam = reinterpret_cast<LPARAM>(cs.lpCreateParams);
  HWND h;
  bool attached;
  {
    clx::CreationScope scope(this);
    h = reinterpret_cast<HWND>(::SendMessageA(parent->m_hWndMDIClient, WM_MDICREATE, 0, reinterpret_cast<LPARAM>(&mcs)));
    attached = scope.Consumed();
  }
  if (!attached) PostNcDestroy();
  return h != nullptr;
}

CMDIFrameWnd* CMDIChildWnd::GetMDIFrame() const {
  HWND client = ::GetParent(m_hWnd);
  return client ? dynamic_cast<CMDIFrameWnd*>(FromHandlePermanent(::GetParent(client))) : nullptr;
}

void CMDIChildWnd::MDIActivate() {
  if (CMDIFrameWnd* frame = GetMDIFrame()) frame->MDIActivate(m_hWnd);
}

void CMDIChildWnd::MDIMaximize() {
  if (CMDIFrameWnd* frame = GetMDIFrame()) frame->MDIMaximize(m_hWnd);
}

void CMDIChildWnd::MDIRestore() {
  if (CMDIFrameWnd* frame = GetMDIFrame()) frame->MDIRestore(m_hWnd);
}

BOOL CMDIChildWnd::DestroyWindow() {
  if (!m_hWnd) return FALSE;
  // Through the client, so that it activates the next child and updates its window list.
  CMDIFrameWnd* frame = GetMDIFrame();
  if (frame && frame->m_hWndMDIClient) {
    ::SendMessageA(frame->m_hWndMDIClient, WM_MDIDESTROY, reinterpret_cast<WPARAM>(m_hWnd), 0);
    return TRUE;
  }
  return CWnd::DestroyWindow();
}

void CMDIChildWnd::ActivateFrame(int showCmd) {
  const bool wasVisible = IsWindowVisible() != FALSE;
  if (showCmd != -1)
    ShowWindow(showCmd);
  else if (!wasVisible)
    ShowWindow(SW_SHOWNORMAL);
  MDIActivate();
  if (!wasVisible) RefreshWindowMenu();
}

void CMDIChildWnd::RefreshWindowMenu() {
  CMDIFrameWnd* frame = GetMDIFrame();
  if (!frame || !frame->m_hWndMDIClient) return;
  ::SendMessageA(frame->m_hWndMDIClient, WM_MDIREFRESHMENU, 0, 0);
  ::DrawMenuBar(frame->m_hWnd);
}

void CMDIChildWnd::OnMDIActivate(BOOL activate, CWindow activated, CWindow) {
  Default();
  CMDIFrameWnd* frame = GetMDIFrame();
  if (activate) {
    if (frame) frame->OnUpdateFrameMenu(this);
    if (m_pViewActive) m_pViewActive->OnActivateView(TRUE, m_pViewActive, m_pViewActive);
  } else {
    if (m_pViewActive) m_pViewActive->OnActivateView(FALSE, m_pViewActive, m_pViewActive);
    if (frame && !activated.m_hWnd) frame->OnUpdateFrameMenu(nullptr);  // the last child went
  }
  if (frame) frame->DelayUpdateFrameTitle();
}

LRESULT CMDIChildWnd::OnSetMessageString(WPARAM w, LPARAM l) {
  CMDIFrameWnd* frame = GetMDIFrame();
  return frame ? frame->SendMessage(WM_SETMESSAGESTRING, w, l) : 0;
}

void CMDIChildWnd::OnUpdateFrameTitle(BOOL addToTitle) {
  CDocument* doc = GetActiveDocument();
  if (addToTitle && AddsToTitle() && doc) {
    CString text = doc->GetTitle();
    if (m_nWindow > 0) {
      CString number;
      number.Format(":%d", m_nWindow);
      text += number;
    }
    if (GetWindowText() != text) {
      SetWindowText(text);
      // The Window menu lists the children by their titles: the new one at once.
      RefreshWindowMenu();
    }
  }
  if (CMDIFrameWnd* frame = GetMDIFrame()) frame->OnUpdateFrameTitle(addToTitle);
}
