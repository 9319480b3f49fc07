// A second user-interface thread: its own loop, windows reached only by
// messages, and the end of the thread when its main window goes.
#include <gtest/gtest.h>

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

}  // namespace
