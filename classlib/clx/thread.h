#pragma once
// CWinThread: a thread with a message loop. The loop runs idle work while
// the queue is empty, and offers every message to PreTranslateMessage along
// the window's parent chain before it is translated and dispatched.
#include "clx/cmdtarget.h"

class CWnd;

class CWinThread : public CCmdTarget {
  DECLARE_DYNAMIC(CWinThread)
public:
  CWinThread() = default;
  // Worker thread: `proc(param)` is the whole thread.
  CWinThread(UINT (*proc)(void*), void* param) : m_pfnThreadProc(proc), m_pThreadParams(param) {}
  ~CWinThread() override;

  CWnd* m_pMainWnd = nullptr;  // destroying it ends the thread's loop
  HANDLE m_hThread = nullptr;
  DWORD m_nThreadID = 0;
  bool m_bAutoDelete = true;   // deleted by the thread itself when it ends
  MSG m_msgCur{};              // the message being pumped

  // Starts the thread (suspended with CREATE_SUSPENDED).
  BOOL CreateThread(DWORD flags = 0, UINT stackSize = 0, SECURITY_ATTRIBUTES* security = nullptr);
  DWORD ResumeThread() { return ::ResumeThread(m_hThread); }
  DWORD SuspendThread() { return ::SuspendThread(m_hThread); }
  BOOL SetThreadPriority(int priority) { return ::SetThreadPriority(m_hThread, priority); }
  int GetThreadPriority() const { return ::GetThreadPriority(m_hThread); }
  // To the thread's queue (no window): PreTranslateMessage sees it with a null hwnd.
  BOOL PostThreadMessage(UINT msg, WPARAM w, LPARAM l) { return ::PostThreadMessageA(m_nThreadID, msg, w, l); }

  virtual BOOL InitInstance() { return FALSE; }
  virtual int Run();
  virtual int ExitInstance();
  // `count` counts the passes since the last idle message; true asks for another pass.
  virtual BOOL OnIdle(LONG count);
  virtual BOOL IsIdleMessage(MSG* msg);
  // Walks from msg->hwnd up the parent/owner chain to the main window, then
  // the main window as a last chance. TRUE when someone took the message.
  virtual BOOL PreTranslateMessage(MSG* msg);
  // One message: false on WM_QUIT.
  virtual BOOL PumpMessage();
  virtual CWnd* GetMainWnd() { return m_pMainWnd; }

private:
  static unsigned __stdcall ThreadEntry(void* self);

  UINT (*m_pfnThreadProc)(void*) = nullptr;
  void* m_pThreadParams = nullptr;
  POINT m_ptCursorLast{-1, -1};
  UINT m_nMsgLast = 0;
};

CWinThread* AfxGetThread();
CWinThread* AfxBeginThread(UINT (*proc)(void*), void* param, int priority = THREAD_PRIORITY_NORMAL,
                           UINT stackSize = 0, DWORD flags = 0, SECURITY_ATTRIBUTES* security = nullptr);
CWinThread* AfxBeginThread(CRuntimeClass* threadClass, int priority = THREAD_PRIORITY_NORMAL, UINT stackSize = 0,
                           DWORD flags = 0, SECURITY_ATTRIBUTES* security = nullptr);

namespace clx {
// Waits for any of `handles` while still executing messages other threads
// send to this thread's windows, so no wait can deadlock against a
// SendMessage. Returns the WaitForMultipleObjects-style index or WAIT_TIMEOUT.
DWORD WaitServicingSent(const HANDLE* handles, DWORD count, DWORD timeoutMs = INFINITE);
inline DWORD WaitServicingSent(HANDLE h, DWORD timeoutMs = INFINITE) { return WaitServicingSent(&h, 1, timeoutMs); }

// The message pump of a thread that has no CWinThread object.
BOOL PumpMessageNoThread(MSG* msg);
}  // namespace clx
