#include "clx/thread.h"

#include <process.h>

#include <exception>

#include "clx/messages.h"
#include "clx/wnd.h"
#include "thread_state.h"

IMPLEMENT_DYNAMIC(CWinThread, CCmdTarget)

clx::ThreadState& clx::State() {
  thread_local ThreadState state;
  return state;
}

CWinThread* AfxGetThread() { return clx::State().thread; }

CWinThread::~CWinThread() {
  if (m_hThread) ::CloseHandle(m_hThread);
}

BOOL CWinThread::CreateThread(DWORD flags, UINT stackSize, SECURITY_ATTRIBUTES* security) {
  unsigned id = 0;
  // Always start suspended so the members are set before the thread reads them.
  auto h = _beginthreadex(security, stackSize, &ThreadEntry, this, CREATE_SUSPENDED, &id);
  if (!h) return FALSE;
  m_hThread = reinterpret_cast<HANDLE>(h);
  m_nThreadID = id;
  if (!(flags & CREATE_SUSPENDED)) ::ResumeThread(m_hThread);
  return TRUE;
}

unsigned __stdcall CWinThread::ThreadEntry(void* self) {
  auto* thread = static_cast<CWinThread*>(self);
  clx::State().thread = thread;
  int code = -1;
  try {
    if (thread->m_pfnThreadProc)
      code = static_cast<int>(thread->m_pfnThreadProc(thread->m_pThreadParams));
    else
      code = thread->InitInstance() ? thread->Run() : thread->ExitInstance();
  } catch (const std::exception& e) {
    clx::ReportUnhandled(e.what());
  } catch (...) {
    clx::ReportUnhandled("unknown exception");
  }
  clx::State().thread = nullptr;
  if (thread->m_bAutoDelete) delete thread;
  return static_cast<unsigned>(code);
}

CWinThread* AfxBeginThread(UINT (*proc)(void*), void* param, int priority, UINT stackSize, DWORD flags,
                           SECURITY_ATTRIBUTES* security) {
  auto* thread = new CWinThread(proc, param);
  if (!thread->CreateThread(flags | CREATE_SUSPENDED, stackSize, security)) {
    delete thread;
    return nullptr;
  }
  thread->SetThreadPriority(priority);
  if (!(flags & CREATE_SUSPENDED)) thread->ResumeThread();
  return thread;
}

CWinThread* AfxBeginThread(CRuntimeClass* threadClass, int priority, UINT stackSize, DWORD flags,
                           SECURITY_ATTRIBUTES* security) {
  CObject* object = threadClass->CreateObject();
  auto* thread = dynamic_cast<CWinThread*>(object);
  if (!thread) {
    delete object;
    return nullptr;
  }
  if (!thread->CreateThread(flags | CREATE_SUSPENDED, stackSize, security)) {
    delete thread;
    return nullptr;
  }
  thread->SetThreadPriority(priority);
  if (!(flags & CREATE_SUSPENDED)) thread->ResumeThread();
  return thread;
}

int CWinThread::Run() {
  bool idle = true;
  LONG idleCount = 0;
  for (;;) {
    MSG peek;
    while (idle && !::PeekMessageA(&peek, nullptr, 0, 0, PM_NOREMOVE))
      if (!OnIdle(idleCount++)) idle = false;
    do {
      if (!PumpMessage()) return ExitInstance();
      if (IsIdleMessage(&m_msgCur)) {
        idle = true;
        idleCount = 0;
      }
    } while (::PeekMessageA(&peek, nullptr, 0, 0, PM_NOREMOVE));
  }
}

int CWinThread::ExitInstance() { return static_cast<int>(m_msgCur.wParam); }

BOOL CWinThread::PumpMessage() {
  if (!::GetMessageA(&m_msgCur, nullptr, 0, 0)) return FALSE;
  if (m_msgCur.message == WM_KICKIDLE) return TRUE;
  if (!PreTranslateMessage(&m_msgCur)) {
    ::TranslateMessage(&m_msgCur);
    ::DispatchMessageA(&m_msgCur);
  }
  return TRUE;
}

BOOL clx::PumpMessageNoThread(MSG* msg) {
  if (!::GetMessageA(msg, nullptr, 0, 0)) return FALSE;
  if (msg->message == WM_KICKIDLE) return TRUE;
  bool taken = false;
  for (HWND h = msg->hwnd; h && !taken; h = ::GetParent(h))
    if (CWnd* w = CWnd::FromHandlePermanent(h)) taken = w->PreTranslateMessage(msg) != FALSE;
  if (!taken) {
    ::TranslateMessage(msg);
    ::DispatchMessageA(msg);
  }
  return TRUE;
}

// A mouse move that did not move, a paint and the caret blink do not start a
// new round of idle work.
BOOL CWinThread::IsIdleMessage(MSG* msg) {
  if (msg->message == WM_MOUSEMOVE || msg->message == WM_NCMOUSEMOVE) {
    if (msg->message == m_nMsgLast && msg->pt.x == m_ptCursorLast.x && msg->pt.y == m_ptCursorLast.y) return FALSE;
    m_ptCursorLast = msg->pt;
    m_nMsgLast = msg->message;
    return TRUE;
  }
  return msg->message != WM_PAINT && msg->message != 0x0118;
}

BOOL CWinThread::PreTranslateMessage(MSG* msg) {
  if (!msg->hwnd) return FALSE;
  CWnd* main = GetMainWnd();
  HWND mainHwnd = main ? main->m_hWnd : nullptr;
  bool reachedMain = false;
  // ::GetParent gives the owner of a pop-up, so an owned palette's controls
  // reach the palette and then the frame that owns it.
  for (HWND h = msg->hwnd; h; h = ::GetParent(h)) {
    if (CWnd* w = CWnd::FromHandlePermanent(h); w && w->PreTranslateMessage(msg)) return TRUE;
    if (h == mainHwnd) {
      reachedMain = true;
      break;
    }
  }
  if (main && mainHwnd && !reachedMain) return main->PreTranslateMessage(msg);
  return FALSE;
}

static void SendIdleUpdate(HWND h) {
  ::SendMessageA(h, WM_IDLEUPDATECMDUI, TRUE, 0);
  CWindow(h).SendMessageToDescendants(WM_IDLEUPDATECMDUI, TRUE, 0, true);
}

namespace {
struct OwnedFrames {
  HWND owner;
  std::vector<HWND> found;
};

// With no main window (a thread that only shows frames), every visible
// top-level frame of the thread counts.
BOOL CALLBACK CollectOwnedFrame(HWND h, LPARAM l) {
  auto* owned = reinterpret_cast<OwnedFrames*>(l);
  CWnd* w = CWnd::FromHandlePermanent(h);
  if (w && w->AsFrameWnd() && ::GetWindow(h, GW_OWNER) == owned->owner && ::IsWindowVisible(h))
    owned->found.push_back(h);
  return TRUE;
}
}  // namespace

// Pass 0 brings every command UI up to date; later passes have nothing to do.
BOOL CWinThread::OnIdle(LONG count) {
  if (count > 0) return FALSE;
  CWnd* main = GetMainWnd();
  HWND mainHwnd = main ? main->m_hWnd : nullptr;
  if (mainHwnd && !main->IsWindowVisible()) return TRUE;
  if (mainHwnd) SendIdleUpdate(mainHwnd);
  OwnedFrames owned{mainHwnd, {}};
  ::EnumThreadWindows(::GetCurrentThreadId(), &CollectOwnedFrame, reinterpret_cast<LPARAM>(&owned));
  for (HWND h : owned.found)
    if (::IsWindow(h)) SendIdleUpdate(h);
  return TRUE;
}

DWORD clx::WaitServicingSent(const HANDLE* handles, DWORD count, DWORD timeoutMs) {
  DWORD start = ::GetTickCount();
  for (;;) {
    DWORD left = INFINITE;
    if (timeoutMs != INFINITE) {
      DWORD spent = ::GetTickCount() - start;
      left = spent >= timeoutMs ? 0 : timeoutMs - spent;
    }
    DWORD r = ::MsgWaitForMultipleObjects(count, handles, FALSE, left, QS_SENDMESSAGE);
    if (r != WAIT_OBJECT_0 + count) return r;
    // A sent message is waiting: a PeekMessage with no match runs it.
    MSG msg;
    ::PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
  }
}
