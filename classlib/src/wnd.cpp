#include "clx/wnd.h"

#include <exception>

#include "clx/app.h"
#include "clx/help.h"
#include "clx/messages.h"
#include "clx/resource.h"
#include "thread_state.h"

IMPLEMENT_DYNAMIC(CWnd, CCmdTarget)

BEGIN_MESSAGE_MAP(CWnd, CCmdTarget)
  ON_WM_HELPINFO()
END_MESSAGE_MAP()

namespace {
clx::UnhandledExceptionHook g_unhandledHook = nullptr;
std::function<void(CWnd&)> g_modalHook;

// What a failed handler answers: creation fails rather than leaving a half-built window.
LRESULT FailureResult(UINT msg) {
  if (msg == WM_CREATE) return -1;
  return 0;
}
}  // namespace

// ---------------------------------------------------------------- exception barrier

void clx::SetUnhandledExceptionHook(UnhandledExceptionHook hook) { g_unhandledHook = hook; }

void clx::ReportUnhandled(const char* what) {
  std::string text = std::string("classlib: unhandled exception in a callback: ") + (what ? what : "?") + "\n";
  ::OutputDebugStringA(text.c_str());
  if (g_unhandledHook) g_unhandledHook(what ? what : "?");
}

void clx::SetModalHook(std::function<void(CWnd&)> hook) { g_modalHook = std::move(hook); }

// ---------------------------------------------------------------- creation hook

clx::CreationScope::CreationScope(CWnd* wnd) {
  ThreadState& ts = State();
  ts.pendingCreate.push_back(wnd);
  m_depth = ts.pendingCreate.size();
  if (!ts.cbtHook) ts.cbtHook = ::SetWindowsHookExA(WH_CBT, HookProc, nullptr, ::GetCurrentThreadId());
}

clx::CreationScope::~CreationScope() {
  ThreadState& ts = State();
  ts.pendingCreate.resize(m_depth - 1);
  if (ts.pendingCreate.empty() && ts.cbtHook) {
    ::UnhookWindowsHookEx(ts.cbtHook);
    ts.cbtHook = nullptr;
  }
}

bool clx::CreationScope::Consumed() const { return State().pendingCreate[m_depth - 1] == nullptr; }

// The first window created while a scope is armed belongs to the scope's
// object. Input-method windows the system makes on its own are skipped.
LRESULT CALLBACK clx::CreationScope::HookProc(int code, WPARAM w, LPARAM l) {
  ThreadState& ts = State();
  if (code == HCBT_CREATEWND && !ts.pendingCreate.empty() && ts.pendingCreate.back()) {
    HWND h = reinterpret_cast<HWND>(w);
    char cls[32] = "";
    ::GetClassNameA(h, cls, sizeof cls);
    if (::lstrcmpiA(cls, "IME") != 0 && ::lstrcmpiA(cls, "MSCTFIME UI") != 0) {
      CWnd* wnd = ts.pendingCreate.back();
      ts.pendingCreate.back() = nullptr;
      try {
        wnd->AttachSubclassed(h);
      } catch (const std::exception& e) {
        ReportUnhandled(e.what());
      } catch (...) {
        ReportUnhandled("unknown exception");
      }
    }
  }
  return ::CallNextHookEx(ts.cbtHook, code, w, l);
}

void CWnd::AttachSubclassed(HWND h) {
  clx::ThreadState& ts = clx::State();
  ts.windows[h] = this;
  ts.orphans.erase(h);
  m_hWnd = h;
  m_pfnSuper = reinterpret_cast<WNDPROC>(
      ::SetWindowLongPtrA(h, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&clx::WndProc)));
}

// ---------------------------------------------------------------- dispatch

LRESULT CALLBACK clx::WndProc(HWND h, UINT msg, WPARAM w, LPARAM l) {
  ThreadState& ts = State();
  auto it = ts.windows.find(h);
  if (it == ts.windows.end()) {
    // Unsubclassed while someone else's procedure sat on top of ours: pass through.
    auto orphan = ts.orphans.find(h);
    if (orphan == ts.orphans.end()) return ::DefWindowProcA(h, msg, w, l);
    WNDPROC super = orphan->second;
    if (msg == WM_NCDESTROY) ts.orphans.erase(orphan);
    return ::CallWindowProcA(super, h, msg, w, l);
  }
  CWnd* wnd = it->second;
  MSG saved = ts.currentMsg;
  ts.currentMsg = MSG{h, msg, w, l, 0, {0, 0}};
  LRESULT result = 0;
  try {
    result = wnd->WindowProc(msg, w, l);
  } catch (const std::exception& e) {
    ReportUnhandled(e.what());
    result = FailureResult(msg);
  } catch (...) {
    ReportUnhandled("unknown exception");
    result = FailureResult(msg);
  }
  ts.currentMsg = saved;
  if (msg == WM_NCDESTROY) wnd->FinishNcDestroy();
  return result;
}

void CWnd::FinishNcDestroy() {
  clx::ThreadState& ts = clx::State();
  HWND h = m_hWnd;
  if (reinterpret_cast<WNDPROC>(::GetWindowLongPtrA(h, GWLP_WNDPROC)) == &clx::WndProc && m_pfnSuper)
    ::SetWindowLongPtrA(h, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_pfnSuper));
  ts.windows.erase(h);
  m_hWnd = nullptr;
  m_pfnSuper = nullptr;
  if (m_bModal) EndModalLoop(-1);
  // The thread's main window going away ends the thread's loop.
  if (ts.thread && ts.thread->m_pMainWnd == this) {
    ts.thread->m_pMainWnd = nullptr;
    ::PostQuitMessage(0);
  }
  PostNcDestroy();
}

CWnd::~CWnd() {
  if (m_hWnd && FromHandlePermanent(m_hWnd) == this && !::DestroyWindow(m_hWnd)) UnsubclassWindow();
}

CWnd* CWnd::FromHandlePermanent(HWND h) {
  if (!h) return nullptr;
  auto& windows = clx::State().windows;
  auto it = windows.find(h);
  return it == windows.end() ? nullptr : it->second;
}

const MSG* CWnd::GetCurrentMessage() { return &clx::State().currentMsg; }

LRESULT CWnd::Default() {
  const MSG& m = clx::State().currentMsg;
  return DefWindowProc(m.message, m.wParam, m.lParam);
}

LRESULT CWnd::DefWindowProc(UINT msg, WPARAM w, LPARAM l) {
  return m_pfnSuper ? ::CallWindowProcA(m_pfnSuper, m_hWnd, msg, w, l) : ::DefWindowProcA(m_hWnd, msg, w, l);
}

LRESULT CWnd::WindowProc(UINT msg, WPARAM w, LPARAM l) {
  LRESULT result = 0;
  if (OnWndMsg(msg, w, l, &result)) return result;
  return DefWindowProc(msg, w, l);
}

bool CWnd::OnWndMsg(UINT msg, WPARAM w, LPARAM l, LRESULT* result) {
  switch (msg) {
    case WM_COMMAND:
      if (OnCommand(w, l)) { *result = 0; return true; }
      break;
    case WM_NOTIFY: {
      LRESULT r = 0;
      if (OnNotify(w, l, &r)) { *result = r; return true; }
      break;
    }
    case WM_DRAWITEM: case WM_MEASUREITEM: case WM_COMPAREITEM: case WM_DELETEITEM:
    case WM_CTLCOLORMSGBOX: case WM_CTLCOLOREDIT: case WM_CTLCOLORLISTBOX: case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG: case WM_CTLCOLORSCROLLBAR: case WM_CTLCOLORSTATIC:
    case WM_HSCROLL: case WM_VSCROLL:
      if (ReflectToChild(msg, w, l, result)) return true;
      break;
    case WM_SETCURSOR:
      // The hourglass of Begin/EndWaitCursor holds over every window of the program.
      if (CWinApp* app = AfxGetApp(); app && app->m_nWaitCursorCount > 0) {
        ::SetCursor(::LoadCursorA(nullptr, MAKEINTRESOURCEA(32514) /* IDC_WAIT */));
        *result = TRUE;
        return true;
      }
      break;
  }
  clx::MapCall c;
  c.kind = clx::MapKind::Message;
  c.msg = msg;
  c.wParam = w;
  c.lParam = l;
  if (!ProcessMap(c)) return false;
  *result = c.result;
  return true;
}

bool CWnd::ReflectToChild(UINT msg, WPARAM w, LPARAM l, LRESULT* result) {
  HWND child = nullptr;
  switch (msg) {
    case WM_DRAWITEM: {
      auto* di = reinterpret_cast<DRAWITEMSTRUCT*>(l);
      if (di->CtlType == ODT_MENU) return false;
      child = ::GetDlgItem(m_hWnd, static_cast<int>(di->CtlID));
      break;
    }
    case WM_MEASUREITEM: {
      // Sent while an owner-draw control is still being created; by then it is attached.
      auto* mi = reinterpret_cast<MEASUREITEMSTRUCT*>(l);
      if (mi->CtlType == ODT_MENU) return false;
      child = ::GetDlgItem(m_hWnd, static_cast<int>(mi->CtlID));
      break;
    }
    case WM_COMPAREITEM:
      child = ::GetDlgItem(m_hWnd, static_cast<int>(reinterpret_cast<COMPAREITEMSTRUCT*>(l)->CtlID));
      break;
    case WM_DELETEITEM:
      child = ::GetDlgItem(m_hWnd, static_cast<int>(reinterpret_cast<DELETEITEMSTRUCT*>(l)->CtlID));
      break;
    default:  // colour and scroll messages name the control in lParam
      child = reinterpret_cast<HWND>(l);
      break;
  }
  if (!child || child == m_hWnd) return false;
  CWnd* wnd = FromHandlePermanent(child);
  return wnd && wnd->OnChildNotify(msg, w, l, result);
}

BOOL CWnd::OnChildNotify(UINT msg, WPARAM w, LPARAM l, LRESULT* result) {
  clx::MapCall c;
  c.msg = msg;
  c.wParam = w;
  c.lParam = l;
  if (msg == WM_COMMAND) {
    c.kind = clx::MapKind::ReflectCommand;
    c.id = LOWORD(w);
    c.code = HIWORD(w);
  } else if (msg == WM_NOTIFY) {
    c.kind = clx::MapKind::ReflectNotify;
    c.nmhdr = reinterpret_cast<NMHDR*>(l);
    c.id = static_cast<UINT>(c.nmhdr->idFrom);
    c.code = static_cast<int>(c.nmhdr->code);
  } else {
    c.kind = clx::MapKind::ReflectMessage;
  }
  if (!ProcessMap(c)) return FALSE;
  if (result) *result = c.result;
  return TRUE;
}

BOOL CWnd::OnCommand(WPARAM w, LPARAM l) {
  UINT id = LOWORD(w);
  int code = HIWORD(w);
  HWND control = reinterpret_cast<HWND>(l);
  if (control) {
    CWnd* child = FromHandlePermanent(control);
    if (child && child != this && child->OnChildNotify(WM_COMMAND, w, l, nullptr)) return TRUE;
  } else {
    // A menu item or accelerator: a command that its update handler disables is dropped.
    clx::StateCmdUI state(id);
    OnCmdMsg(id, CN_UPDATE_COMMAND_UI, &state, nullptr);
    if (!state.m_bEnabled) return TRUE;
    code = CN_COMMAND;
  }
  return OnCmdMsg(id, code, nullptr, nullptr);
}

BOOL CWnd::OnNotify(WPARAM, LPARAM l, LRESULT* result) {
  auto* nm = reinterpret_cast<NMHDR*>(l);
  CWnd* child = FromHandlePermanent(nm->hwndFrom);
  if (child && child != this && child->OnChildNotify(WM_NOTIFY, nm->idFrom, l, result)) return TRUE;
  clx::NotifyInfo info{nm, result};
  return OnCmdMsg(static_cast<UINT>(nm->idFrom), CN_NOTIFY, &info, nullptr);
}

BOOL CWnd::PreTranslateMessage(MSG*) { return FALSE; }

void CWnd::PostNcDestroy() {}

// ---------------------------------------------------------------- creation

BOOL CWnd::PreCreateWindow(CREATESTRUCT& cs) {
  if (!cs.lpszClass)
    cs.lpszClass = AfxRegisterWndClass(CS_DBLCLKS, ::LoadCursorA(nullptr, MAKEINTRESOURCEA(32512) /* IDC_ARROW */),
                                       reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1));
  return TRUE;
}

BOOL CWnd::CreateEx(DWORD exStyle, const char* className, const char* windowName, DWORD style, int x, int y, int cx,
                    int cy, HWND parent, HMENU menuOrId, void* param) {
  CREATESTRUCTA cs{};
  cs.dwExStyle = exStyle;
  cs.lpszClass = className;
  cs.lpszName = windowName;
  cs.style = static_cast<LONG>(style);
  cs.x = x;
  cs.y = y;
  cs.cx = cx;
  cs.cy = cy;
  cs.hwndParent = parent;
  cs.hMenu = menuOrId;
  cs.hInstance = AfxGetInstanceHandle();
  cs.lpCreateParams = param;
  if (!PreCreateWindow(cs)) {
    PostNcDestroy();
    return FALSE;
  }
  HWND h;
  bool attached;
  {
    clx::CreationScope scope(this);
    h = ::CreateWindowExA(cs.dwExStyle, cs.lpszClass, cs.lpszName, static_cast<DWORD>(cs.style), cs.x, cs.y, cs.cx,
                          cs.cy, cs.hwndParent, cs.hMenu, cs.hInstance, cs.lpCreateParams);
    attached = scope.Consumed();
  }
  // A window that failed in WM_CREATE was attached and has already had its
  // PostNcDestroy; one that never existed gets it here.
  if (!attached) PostNcDestroy();
  return h != nullptr;
}

BOOL CWnd::CreateEx(DWORD exStyle, const char* className, const char* windowName, DWORD style, const RECT& rect,
                    CWnd* parent, UINT id, void* param) {
  return CreateEx(exStyle, className, windowName, style, rect.left, rect.top, rect.right - rect.left,
                  rect.bottom - rect.top, parent ? parent->m_hWnd : nullptr,
                  reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)), param);
}

BOOL CWnd::Create(const char* className, const char* windowName, DWORD style, const RECT& rect, CWnd* parent,
                  UINT id) {
  return CreateEx(0, className, windowName, style | WS_CHILD, rect, parent, id);
}

BOOL CWnd::SubclassWindow(HWND h) {
  if (m_hWnd || !::IsWindow(h) || FromHandlePermanent(h)) return FALSE;
  AttachSubclassed(h);
  return TRUE;
}

BOOL CWnd::SubclassDlgItem(UINT id, CWnd* parent) {
  HWND h = parent ? ::GetDlgItem(parent->m_hWnd, static_cast<int>(id)) : nullptr;
  return h ? SubclassWindow(h) : FALSE;
}

HWND CWnd::UnsubclassWindow() {
  HWND h = m_hWnd;
  if (!h) return nullptr;
  clx::ThreadState& ts = clx::State();
  if (reinterpret_cast<WNDPROC>(::GetWindowLongPtrA(h, GWLP_WNDPROC)) == &clx::WndProc)
    ::SetWindowLongPtrA(h, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_pfnSuper));
  else if (m_pfnSuper)
    ts.orphans[h] = m_pfnSuper;
  ts.windows.erase(h);
  m_hWnd = nullptr;
  m_pfnSuper = nullptr;
  return h;
}

BOOL CWnd::DestroyWindow() { return m_hWnd ? ::DestroyWindow(m_hWnd) : FALSE; }

// ---------------------------------------------------------------- modal loop

int CWnd::RunModalLoop() {
  clx::ThreadState& ts = clx::State();
  CWinThread* thread = ts.thread;
  m_bModal = true;
  ++ts.modalDepth;
  bool firstIdle = true;
  bool idle = true;
  LPARAM idleCount = 0;
  bool quit = false;
  while (m_bModal && !quit) {
    MSG peek;
    while (m_bModal && idle && !::PeekMessageA(&peek, nullptr, 0, 0, PM_NOREMOVE)) {
      if (firstIdle) {
        firstIdle = false;
        if (g_modalHook) g_modalHook(*this);
        continue;
      }
      if (HWND owner = ::GetParent(m_hWnd); owner && idleCount == 0)  // the owner, for a pop-up
        ::SendMessageA(owner, WM_ENTERIDLE, MSGF_DIALOGBOX, reinterpret_cast<LPARAM>(m_hWnd));
      if (!m_bModal || !::SendMessageA(m_hWnd, WM_KICKIDLE, MSGF_DIALOGBOX, idleCount++)) idle = false;
    }
    if (!m_bModal) break;
    MSG msg;
    if (!(thread ? thread->PumpMessage() : clx::PumpMessageNoThread(&msg))) {
      // Leave the loop and let the thread's own loop see the quit too.
      ::PostQuitMessage(static_cast<int>(thread ? thread->m_msgCur.wParam : msg.wParam));
      quit = true;
    } else if (thread ? thread->IsIdleMessage(&thread->m_msgCur) : true) {
      idle = true;
      idleCount = 0;
    }
  }
  --ts.modalDepth;
  m_bModal = false;
  return m_nModalResult;
}

void CWnd::EndModalLoop(int result) {
  m_nModalResult = result;
  if (m_bModal) {
    m_bModal = false;
    ::PostMessageA(m_hWnd, WM_NULL, 0, 0);  // wakes the loop if it waits
  }
}

// ---------------------------------------------------------------- frames, help

CFrameWnd* CWnd::GetParentFrame() const {
  for (HWND h = ::GetParent(m_hWnd); h; h = ::GetParent(h))
    if (CWnd* w = FromHandlePermanent(h); w && w->AsFrameWnd()) return w->AsFrameWnd();
  return nullptr;
}

CFrameWnd* CWnd::GetTopLevelFrame() const {
  CFrameWnd* top = nullptr;
  for (HWND h = m_hWnd; h; h = ::GetParent(h))
    if (CWnd* w = FromHandlePermanent(h); w && w->AsFrameWnd()) top = w->AsFrameWnd();
  return top;
}

BOOL CWnd::OnHelpInfo(HELPINFO*) {
  CWnd* main = AfxGetMainWnd();
  bool modifiers = (::GetKeyState(VK_SHIFT) | ::GetKeyState(VK_CONTROL) | ::GetKeyState(VK_MENU)) & 0x8000;
  if ((GetStyle() & WS_CHILD) || !main || !main->m_hWnd || modifiers) return static_cast<BOOL>(Default());
  main->SendMessage(WM_COMMAND, ID_HELP);
  return TRUE;
}

void CWnd::WinHelp(DWORD_PTR data, UINT cmd) {
  CWinApp* app = AfxGetApp();
  CWnd* main = AfxGetMainWnd();
  if (main && main != this) {
    main->WinHelp(data, cmd);
    return;
  }
  const char* file = app && app->m_pszHelpFilePath ? app->m_pszHelpFilePath : "";
  if (!clx::CallWinHelp(m_hWnd, file, cmd, data)) AfxMessageBox(IDS_CLX_HELP_FAILED);
}
