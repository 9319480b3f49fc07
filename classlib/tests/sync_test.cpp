#include <gtest/gtest.h>

#include <atomic>
#include <string>

#include "clx/sync.h"
#include "clx/thread.h"
#include "clx/wnd.h"
#include "testing/gui_test.h"

namespace {

struct Shared {
  CSyncObject* object = nullptr;
  std::atomic<int> result{-1};
};

// Runs on a worker: tries the object without waiting.
UINT TryFromOtherThread(void* p) {
  auto* s = static_cast<Shared*>(p);
  s->result = s->object->Lock(0) ? 1 : 0;
  if (s->result == 1) s->object->Unlock();
  return 0;
}

int TryOnWorker(CSyncObject& object) {
  Shared s;
  s.object = &object;
  CWinThread* t = AfxBeginThread(&TryFromOtherThread, &s, THREAD_PRIORITY_NORMAL, 0, CREATE_SUSPENDED);
  t->m_bAutoDelete = false;
  t->ResumeThread();
  EXPECT_EQ(::WaitForSingleObject(t->m_hThread, 10000), WAIT_OBJECT_0);
  delete t;
  return s.result;
}

TEST(SyncTest, CriticalSectionIsReentrantAndExcludesOtherThreads) {
  CCriticalSection lock;
  ASSERT_TRUE(lock.Lock());
  ASSERT_TRUE(lock.Lock());  // same thread again
  EXPECT_EQ(TryOnWorker(lock), 0);
  lock.Unlock();
  EXPECT_EQ(TryOnWorker(lock), 0);  // still held once
  lock.Unlock();
  EXPECT_EQ(TryOnWorker(lock), 1);
}

TEST(SyncTest, SingleLockReleasesAtScopeEnd) {
  CCriticalSection lock;
  {
    CSingleLock hold(&lock, TRUE);
    EXPECT_TRUE(hold.IsLocked());
    EXPECT_EQ(TryOnWorker(lock), 0);
  }
  EXPECT_EQ(TryOnWorker(lock), 1);
  CSingleLock manual(&lock);
  EXPECT_FALSE(manual.IsLocked());
  EXPECT_TRUE(manual.Lock());
  EXPECT_TRUE(manual.Unlock());
  EXPECT_FALSE(manual.IsLocked());
}

TEST(SyncTest, EventsSemaphoresAndMutexes) {
  CEvent autoReset;
  EXPECT_FALSE(autoReset.Lock(0));
  autoReset.SetEvent();
  EXPECT_TRUE(autoReset.Lock(0));
  EXPECT_FALSE(autoReset.Lock(0));  // consumed

  CEvent manual(FALSE, TRUE);
  manual.SetEvent();
  EXPECT_TRUE(manual.Lock(0));
  EXPECT_TRUE(manual.Lock(0));
  manual.ResetEvent();
  EXPECT_FALSE(manual.Lock(0));

  CSemaphore two(2, 2);
  EXPECT_TRUE(two.Lock(0));
  EXPECT_TRUE(two.Lock(0));
  EXPECT_FALSE(two.Lock(0));
  LONG previous = -1;
  EXPECT_TRUE(two.Unlock(1, &previous));
  EXPECT_EQ(previous, 0);

  std::string name = "clx_test_mutex_" + std::to_string(::GetCurrentProcessId());
  CMutex first(TRUE, name.c_str());
  EXPECT_FALSE(first.m_bAlreadyExisted);
  CMutex second(FALSE, name.c_str());
  EXPECT_TRUE(second.m_bAlreadyExisted);
  EXPECT_EQ(TryOnWorker(second), 0);  // owned by this thread through `first`
  first.Unlock();
  EXPECT_EQ(TryOnWorker(second), 1);
}

TEST(SyncTest, NamedEventsAndSemaphoresAreSharedByName) {
  std::string prefix = "clx_test_" + std::to_string(::GetCurrentProcessId());
  CEvent event(FALSE, TRUE, (prefix + "_event").c_str());
  EXPECT_FALSE(event.m_bAlreadyExisted);
  CEvent sameEvent(FALSE, TRUE, (prefix + "_event").c_str());
  EXPECT_TRUE(sameEvent.m_bAlreadyExisted);
  CEvent otherEvent(FALSE, TRUE, (prefix + "_other").c_str());
  EXPECT_FALSE(otherEvent.m_bAlreadyExisted);
  sameEvent.SetEvent();
  EXPECT_TRUE(event.Lock(0));
  EXPECT_FALSE(otherEvent.Lock(0));
  event.ResetEvent();
  EXPECT_FALSE(sameEvent.Lock(0));

  CSemaphore semaphore(1, 2, (prefix + "_semaphore").c_str());
  EXPECT_FALSE(semaphore.m_bAlreadyExisted);
  CSemaphore sameSemaphore(0, 2, (prefix + "_semaphore").c_str());  // counts of an existing one are its own
  EXPECT_TRUE(sameSemaphore.m_bAlreadyExisted);
  EXPECT_TRUE(sameSemaphore.Lock(0));
  EXPECT_FALSE(semaphore.Lock(0));
  LONG previous = -1;
  EXPECT_TRUE(semaphore.Unlock(2, &previous));
  EXPECT_EQ(previous, 0);
  EXPECT_FALSE(sameSemaphore.Unlock(1, nullptr)) << "beyond the maximum of 2";
}

// A worker that sends to a window of the waiting thread: a plain wait would
// deadlock, the servicing wait runs the sent message.
struct SendTarget : CWnd {
  int received = 0;
  LRESULT OnPing(WPARAM, LPARAM) { ++received; return 42; }
  DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(SendTarget, CWnd)
  ON_MESSAGE(WM_APP + 1, OnPing)
END_MESSAGE_MAP()

UINT SendToWindow(void* p) {
  auto h = static_cast<HWND>(p);
  return static_cast<UINT>(::SendMessageA(h, WM_APP + 1, 0, 0));
}

TEST_F(GuiTest, WaitServicingSentRunsMessagesSentByTheAwaitedThread) {
  SendTarget target;
  ASSERT_TRUE(target.CreateEx(0, nullptr, "target", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr));
  CWinThread* t = AfxBeginThread(&SendToWindow, target.m_hWnd, THREAD_PRIORITY_NORMAL, 0, CREATE_SUSPENDED);
  t->m_bAutoDelete = false;
  t->ResumeThread();
  EXPECT_EQ(clx::WaitServicingSent(t->m_hThread, 20000), WAIT_OBJECT_0);
  DWORD code = 0;
  ::GetExitCodeThread(t->m_hThread, &code);
  EXPECT_EQ(code, 42u);
  EXPECT_EQ(target.received, 1);
  delete t;
  target.DestroyWindow();
}

}  // namespace
