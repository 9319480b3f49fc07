// The progress thread: a user-interface thread whose main window is the
// progress window, a hidden child of the main frame that sits over the
// status bar's PROGRESS pane and keeps painting while the main thread is busy.
// Everybody drives it with WM_PROGRESS (progress_protocol.h), sent.
#pragma once

#include <atomic>
#include <memory>

#include "clx/thread.h"

class CProgressWindow;

class CProgressThread : public CWinThread {
  DECLARE_DYNAMIC(CProgressThread)
public:
  // The window is made on the new thread as a child of `mainWnd`; its
  // caption and texts use `font` (null: the system's GUI font), which must
  // outlive the thread.
  CProgressThread(HWND mainWnd, HFONT font);
  ~CProgressThread() override;

  BOOL InitInstance() override;

  // The progress window; null until it is made (it is the thread's main
  // window, so the thread's loop ends when it goes).
  HWND GetProgressWindow() const { return m_hProgressWnd.load(); }

private:
  HWND m_hMainWnd;
  HFONT m_hFont;
  std::unique_ptr<CProgressWindow> m_window;
  std::atomic<HWND> m_hProgressWnd{nullptr};
};

namespace shell {

// Start-up: starts the progress thread and waits until its window exists,
// executing the messages other threads send to this one meanwhile (making a
// child of the main frame sends to the main thread). Null when the thread
// could not start or ended without making its window; start-up then fails.
// The caller owns the thread object (it does not delete itself).
CProgressThread* StartProgressThread(HWND mainWnd, HFONT font);

// End (the main frame's WM_DESTROY): closes the progress window, waits for
// the thread's end while executing sent messages, and deletes the object.
// Null does nothing.
void EndProgressThread(CWinThread* thread);

}  // namespace shell
