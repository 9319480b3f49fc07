#include "app/shell/progress/progress_thread.h"

#include <memory>

#include "app/shell/progress/progress_window.h"
#include "clx/sync.h"

IMPLEMENT_DYNAMIC(CProgressThread, CWinThread)

namespace {
constexpr const char kCreatedEventName[] = "ProgressWindowCreated";
}

CProgressThread::CProgressThread(HWND mainWnd, HFONT font) : m_hMainWnd(mainWnd), m_hFont(font) {}

CProgressThread::~CProgressThread() = default;

BOOL CProgressThread::InitInstance() {
  auto window = std::make_unique<CProgressWindow>(m_hFont);
  if (!window->CreateProgress(m_hMainWnd)) return FALSE;
  m_window = std::move(window);
  m_pMainWnd = m_window.get();
  m_hProgressWnd = m_window->m_hWnd;
  CEvent created(FALSE, TRUE, kCreatedEventName);
  created.SetEvent();
  return TRUE;
}

CProgressThread* shell::StartProgressThread(HWND mainWnd, HFONT font) {
  CEvent created(FALSE, TRUE, kCreatedEventName);
  if (!created.m_hObject) return nullptr;
  auto thread = std::make_unique<CProgressThread>(mainWnd, font);
  thread->m_bAutoDelete = false;
  if (!thread->CreateThread()) return nullptr;

  // The event has a fixed name: a program starting beside this one in the
  // same session may signal it for its own window. Only this thread's own
  // window counts, and from then on its end is what is waited for.
  HANDLE both[] = {created.m_hObject, thread->m_hThread};
  bool foreignSignal = false;
  for (;;) {
    DWORD woke = foreignSignal ? clx::WaitServicingSent(thread->m_hThread, 10) : clx::WaitServicingSent(both, 2);
    if (thread->GetProgressWindow()) return thread.release();
    if (woke == WAIT_TIMEOUT) continue;
    if (woke == WAIT_OBJECT_0 && !foreignSignal) {
      foreignSignal = true;
      continue;
    }
    // The thread ended without making its window. A failed wait leaves a
    // thread that may still run: its object is then never deleted.
    if (woke == WAIT_FAILED) thread.release();
    return nullptr;
  }
}

void shell::EndProgressThread(CWinThread* thread) {
  if (!thread) return;
  if (auto* progress = dynamic_cast<CProgressThread*>(thread))
    if (HWND window = progress->GetProgressWindow(); ::IsWindow(window)) ::SendMessageA(window, WM_CLOSE, 0, 0);
  // Destroying a child of the main frame sends to this thread: keep serving.
  clx::WaitServicingSent(thread->m_hThread);
  delete thread;
}
