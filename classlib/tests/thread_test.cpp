// A second user-interface thread: its own loop, windows reached only by
// messages, and the end of the thread when its main window goes.
#include <gtest/gtest.h>

#include <atomic>
#include <string>

#include "clx/sync.h"
#include "clx/thread.h"
#include "clx/wnd.h"
#include "testing/gui_test.h"

namespace {

class ThreadWindow : public CWnd {
public:
  DWORD ranOn = 0;

protected:
  LRESULT OnWhere(WPARAM, LPARAM) {
    ranOn = ::GetCurrentThreadId();
    return static_cast<LRESULT>(ranOn);
  }
  void PostNcDestroy() override { delete this; }
  DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(ThreadWindow, CWnd)
  ON_MESSAGE(WM_APP + 4, OnWhere)
END_MESSAGE_MAP()

class UiThread : public CWinThread {
  DECLARE_DYNCREATE(UiThread)
public:
  static inline CEvent* ready = nullptr;
  static inline HWND window = nullptr;
  static inline bool foundOwnWindow = false;

  BOOL InitInstance() override {
    auto* w = new ThreadWindow;
    if (!w->CreateEx(0, nullptr, "progress", WS_POPUP, 0, 0, 50, 20, nullptr, nullptr)) return FALSE;
    m_pMainWnd = w;
    window = w->m_hWnd;
    foundOwnWindow = CWnd::FromHandlePermanent(window) == w;
    ready->SetEvent();
    return TRUE;
  }
  int ExitInstance() override { return 17; }
};
IMPLEMENT_DYNCREATE(UiThread, CWinThread)

TEST_F(GuiTest, UiThreadOwnsItsWindowAndEndsWhenTheWindowCloses) {
  CEvent ready;
  UiThread::ready = &ready;
  CWinThread* t = AfxBeginThread(RUNTIME_CLASS(UiThread), THREAD_PRIORITY_NORMAL, 0, CREATE_SUSPENDED);
  ASSERT_NE(t, nullptr);
  t->m_bAutoDelete = false;
  t->ResumeThread();
  ASSERT_EQ(clx::WaitServicingSent(ready, 20000), WAIT_OBJECT_0);
  HWND w = UiThread::window;
  EXPECT_TRUE(UiThread::foundOwnWindow);
  EXPECT_EQ(CWnd::FromHandlePermanent(w), nullptr) << "another thread's window has no object here";
  EXPECT_EQ(static_cast<DWORD>(::SendMessageA(w, WM_APP + 4, 0, 0)), t->m_nThreadID);

  ::PostMessageA(w, WM_CLOSE, 0, 0);
  ASSERT_EQ(clx::WaitServicingSent(t->m_hThread, 20000), WAIT_OBJECT_0);
  DWORD code = 0;
  ::GetExitCodeThread(t->m_hThread, &code);
  EXPECT_EQ(code, 17u) << "destroying the main window ended the loop; ExitInstance gave the code";
  EXPECT_FALSE(::IsWindow(w));
  delete t;
}

// ---------------------------------------------------------------- a progress-window thread

// The shape of a progress window: a hidden child of a window of the main
// thread, owned by a thread of its own, reached only by sent messages, and
// closed from the main window's WM_DESTROY, which waits for its thread.
std::string ReadyEventName() { return "ClxTestProgressCreated" + std::to_string(::GetCurrentProcessId()); }

class ProgressThread : public CWinThread {
  DECLARE_DYNCREATE(ProgressThread)
public:
  static inline HWND host = nullptr;
  static inline HWND window = nullptr;
  static inline CEvent* threadMessageSeen = nullptr;
  static inline std::atomic<LPARAM> threadMessageValue{0};

  BOOL InitInstance() override {
    auto* w = new ThreadWindow;
    if (!w->CreateEx(WS_EX_NOPARENTNOTIFY, nullptr, "Progress", WS_CHILD, 0, 0, 10, 10, host,
                     reinterpret_cast<HMENU>(static_cast<INT_PTR>(-1))))
      return FALSE;
    m_pMainWnd = w;
    window = w->m_hWnd;
    CEvent ready(FALSE, TRUE, ReadyEventName().c_str());  // the one the starter made
    ready.SetEvent();
    return TRUE;
  }
  BOOL PreTranslateMessage(MSG* msg) override {
    if (!msg->hwnd && msg->message == WM_APP + 5) {
      threadMessageValue = msg->lParam;
      threadMessageSeen->SetEvent();
      return TRUE;
    }
    return CWinThread::PreTranslateMessage(msg);
  }
  int ExitInstance() override { return 23; }
};
IMPLEMENT_DYNCREATE(ProgressThread, CWinThread)

class HostFrame : public CWnd {
public:
  CWinThread* progress = nullptr;
  DWORD waited = WAIT_FAILED;

protected:
  void OnDestroy() {
    ::SendMessageA(ProgressThread::window, WM_CLOSE, 0, 0);
    waited = clx::WaitServicingSent(progress->m_hThread, 20000);
    Default();
  }
  DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(HostFrame, CWnd)
  ON_WM_DESTROY()
END_MESSAGE_MAP()

TEST_F(GuiTest, ProgressThreadStartsItsChildWindowAndEndsWhenTheHostCloses) {
  HostFrame host;
  ASSERT_TRUE(host.CreateEx(0, nullptr, "host", WS_POPUP | WS_VISIBLE, 0, 0, 200, 100, nullptr, nullptr));
  CEvent ready(FALSE, TRUE, ReadyEventName().c_str());
  ASSERT_FALSE(ready.m_bAlreadyExisted);
  CEvent seen;
  ProgressThread::host = host.m_hWnd;
  ProgressThread::threadMessageSeen = &seen;
  CWinThread* t = AfxBeginThread(RUNTIME_CLASS(ProgressThread), THREAD_PRIORITY_NORMAL, 0, CREATE_SUSPENDED);
  ASSERT_NE(t, nullptr);
  t->m_bAutoDelete = false;
  host.progress = t;
  t->ResumeThread();
  // Creating a child of this thread's window sends messages here: the wait serves them.
  ASSERT_EQ(clx::WaitServicingSent(ready, 20000), WAIT_OBJECT_0);
  HWND progress = ProgressThread::window;
  EXPECT_EQ(::GetParent(progress), host.m_hWnd);
  EXPECT_EQ(::GetWindowThreadProcessId(progress, nullptr), t->m_nThreadID);
  EXPECT_EQ(static_cast<DWORD>(::SendMessageA(progress, WM_APP + 4, 0, 0)), t->m_nThreadID);

  ASSERT_TRUE(t->PostThreadMessage(WM_APP + 5, 0, 77));
  ASSERT_EQ(clx::WaitServicingSent(seen, 20000), WAIT_OBJECT_0);
  EXPECT_EQ(ProgressThread::threadMessageValue, 77);

  host.DestroyWindow();
  EXPECT_EQ(host.waited, WAIT_OBJECT_0);
  DWORD code = 0;
  ::GetExitCodeThread(t->m_hThread, &code);
  EXPECT_EQ(code, 23u);
  EXPECT_FALSE(::IsWindow(progress));
  delete t;
}

TEST_F(GuiTest, ProgressThreadWhoseWindowCannotBeMadeEndsWithoutSignalling) {
  CEvent ready(FALSE, TRUE, ReadyEventName().c_str());
  ProgressThread::host = nullptr;  // a child window without a parent cannot be made
  CWinThread* t = AfxBeginThread(RUNTIME_CLASS(ProgressThread), THREAD_PRIORITY_NORMAL, 0, CREATE_SUSPENDED);
  ASSERT_NE(t, nullptr);
  t->m_bAutoDelete = false;
  t->ResumeThread();
  // The starter waits for either: the window made, or the thread gone.
  HANDLE either[] = {ready, t->m_hThread};
  EXPECT_EQ(clx::WaitServicingSent(either, 2, 20000), WAIT_OBJECT_0 + 1);
  DWORD code = 0;
  ::GetExitCodeThread(t->m_hThread, &code);
  EXPECT_EQ(code, 23u) << "InitInstance failed; ExitInstance gave the code";
  EXPECT_FALSE(ready.Lock(0));
  delete t;
}

// ---------------------------------------------------------------- worker threads

UINT Worker(void* p) { return static_cast<UINT>(reinterpret_cast<UINT_PTR>(p)) + 1; }

class CountedThread : public CWinThread {
  DECLARE_DYNCREATE(CountedThread)
public:
  static inline CEvent* destroyed = nullptr;
  ~CountedThread() override { destroyed->SetEvent(); }
  BOOL InitInstance() override { return FALSE; }  // ends at once
};
IMPLEMENT_DYNCREATE(CountedThread, CWinThread)

TEST(ThreadTest, WorkerWithAutoDeleteOffOutlivesItsThreadAndKeepsItsHandle) {
  CWinThread* t = AfxBeginThread(&Worker, reinterpret_cast<void*>(41), THREAD_PRIORITY_IDLE, 0, CREATE_SUSPENDED);
  ASSERT_NE(t, nullptr);
  EXPECT_EQ(t->GetThreadPriority(), THREAD_PRIORITY_IDLE);
  t->m_bAutoDelete = false;
  EXPECT_EQ(t->ResumeThread(), 1u);
  ASSERT_EQ(::WaitForSingleObject(t->m_hThread, 20000), WAIT_OBJECT_0);
  ASSERT_EQ(::WaitForSingleObject(t->m_hThread, 0), WAIT_OBJECT_0) << "the handle is still the thread's";
  DWORD code = 0;
  ASSERT_TRUE(::GetExitCodeThread(t->m_hThread, &code));
  EXPECT_EQ(code, 42u);
  delete t;

  // Left on, the object goes with its thread.
  CEvent destroyed;
  CountedThread::destroyed = &destroyed;
  CWinThread* counted = AfxBeginThread(RUNTIME_CLASS(CountedThread), THREAD_PRIORITY_NORMAL, 0, CREATE_SUSPENDED);
  ASSERT_NE(counted, nullptr);
  // The destructor signals before the thread has ended, and takes the
  // thread's handle with it: a copy lets the test wait for the thread, which
  // would otherwise still be ending while the program exits.
  HANDLE running = nullptr;
  ASSERT_TRUE(::DuplicateHandle(::GetCurrentProcess(), counted->m_hThread, ::GetCurrentProcess(), &running,
                                SYNCHRONIZE, FALSE, 0));
  counted->ResumeThread();
  EXPECT_TRUE(destroyed.Lock(20000));
  EXPECT_EQ(::WaitForSingleObject(running, 20000), WAIT_OBJECT_0);
  ::CloseHandle(running);
}

}  // namespace
