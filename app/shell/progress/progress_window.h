// The progress window: a bar with the run's caption over the status bar's
// PROGRESS pane, owned by the progress thread and driven only by WM_PROGRESS.
#pragma once

#include "app/shell/progress/progress_model.h"
#include "clx/wnd.h"

class CProgressWindow : public CWnd {
public:
  // `font` draws and measures the caption (null: the system's GUI font).
  explicit CProgressWindow(HFONT font);

  // A hidden child of `parent` at (0, 0, 10, 10), id -1, that tells its
  // parent nothing; made on the calling thread.
  BOOL CreateProgress(HWND parent);

protected:
  LRESULT OnProgress(WPARAM w, LPARAM l);
  void OnPaint();
  DECLARE_MESSAGE_MAP()

private:
  void Apply(shell::CProgressModel::Change change);
  void MoveOverPane();
  int32_t CaptionWidth();

  HFONT m_hFont;
  shell::CProgressModel m_model;
};
