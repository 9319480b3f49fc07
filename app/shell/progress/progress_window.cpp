#include "app/shell/progress/progress_window.h"

#include "app/shell/progress/progress_protocol.h"
#include "clx/app.h"
#include "clx/gdi.h"
#include "clx/resources.h"

BEGIN_MESSAGE_MAP(CProgressWindow, CWnd)
  ON_MESSAGE(shell::kProgressMessage, OnProgress)
  ON_WM_PAINT()
END_MESSAGE_MAP()

CProgressWindow::CProgressWindow(HFONT font)
    : m_hFont(font ? font : static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT))) {}

BOOL CProgressWindow::CreateProgress(HWND parent) {
  const char* windowClass = AfxRegisterWndClass(0);
  return windowClass && CreateEx(WS_EX_NOPARENTNOTIFY, windowClass, "Progress", WS_CHILD, 0, 0, 10, 10, parent,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(-1)));
}

namespace {

// The pane arrives as a pointer from whoever sent the message, which may be
// another process: copied through the memory manager so that an address that
// is not ours fails instead of faulting.
bool ReadPane(LPARAM l, shell::ProgressPane* pane) {
  RECT r{};
  SIZE_T read = 0;
  if (!::ReadProcessMemory(::GetCurrentProcess(), reinterpret_cast<const void*>(l), &r, sizeof r, &read) ||
      read != sizeof r)
    return false;
  *pane = {r.left, r.top, r.right, r.bottom};
  return true;
}

}  // namespace

LRESULT CProgressWindow::OnProgress(WPARAM w, LPARAM l) {
  const UINT command = LOWORD(w);
  if (command == shell::kProgressPlace) {
    shell::ProgressPane pane;
    if (l == 0) {
      m_model.Unplace();
      ShowWindow(SW_HIDE);
    } else if (ReadPane(l, &pane)) {
      m_model.Place(pane);
      if (m_model.IsShown()) MoveOverPane();
    }
    return 0;
  }
  if (command > shell::kProgressPlace || !m_model.Enabled()) return 0;

  switch (command) {
    case shell::kProgressBegin: {
      const UINT captionId = HIWORD(static_cast<DWORD>(l));
      CString caption = captionId ? clx::LoadStr(captionId) : CString();
      Apply(m_model.Begin(LOWORD(static_cast<DWORD>(l)), caption.str()));
      break;
    }
    case shell::kProgressStep:
      Apply(m_model.Step());
      break;
    case shell::kProgressSetFraction:
      Apply(m_model.SetFraction(static_cast<int32_t>(l)));
      break;
  }
  return 0;
}

void CProgressWindow::Apply(shell::CProgressModel::Change change) {
  if (change == shell::CProgressModel::Change::Show) {
    m_model.Shown(shell::ProgressBarWidth(CaptionWidth()));
    MoveOverPane();
  } else if (change == shell::CProgressModel::Change::Hide) {
    ShowWindow(SW_HIDE);
  }
  // Repainted now, not at the next WM_PAINT: the main thread that sent this
  // may keep the frame busy for a long time.
  CRect client;
  GetClientRect(&client);
  RECT bar{0, 0, m_model.BarWidth(), client.bottom};
  InvalidateRect(&bar, FALSE);
  UpdateWindow();
}

void CProgressWindow::MoveOverPane() {
  shell::ProgressPlacement at = shell::PlaceOverPane(m_model.Pane());
  SetWindowPos(HWND_TOP, at.x, at.y, at.width, at.height, SWP_SHOWWINDOW);
}

int32_t CProgressWindow::CaptionWidth() {
  const std::string& caption = m_model.Caption();
  if (caption.empty()) return 0;
  CClientDC dc(m_hWnd);
  HFONT old = dc.SelectObject(m_hFont);
  CSize extent = dc.GetTextExtent(caption.c_str(), static_cast<int>(caption.size()));
  dc.SelectObject(old);
  return extent.cx;
}

void CProgressWindow::OnPaint() {
  CPaintDC dc(m_hWnd);
  CRect client;
  GetClientRect(&client);
  CRect area;
  if (!area.IntersectRect(&dc.m_ps.rcPaint, &client)) return;
  const COLORREF face = ::GetSysColor(COLOR_BTNFACE);
  const COLORREF highlight = ::GetSysColor(COLOR_BTNHIGHLIGHT);
  const COLORREF shadow = ::GetSysColor(COLOR_BTNSHADOW);
  if (!m_model.Running()) {
    dc.FillSolidRect(&area, face);
    return;
  }

  const int width = client.Width();
  const int height = client.Height();
  CDC memory;
  CBitmap bitmap;
  if (!memory.CreateCompatibleDC(dc) || !bitmap.CreateCompatibleBitmap(dc, width, height)) return;
  HBITMAP oldBitmap = memory.SelectObject(static_cast<HBITMAP>(bitmap.m_hObject));
  HFONT oldFont = memory.SelectObject(m_hFont);
  memory.SetBkMode(TRANSPARENT);

  memory.FillSolidRect(0, 0, width, 1, shadow);
  memory.FillSolidRect(0, height - 1, width, 1, highlight);
  memory.FillSolidRect(0, 1, width, height - 2, face);
  const std::string& caption = m_model.Caption();
  const UINT format = DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_LEFT;
  CRect text(2, 0, width, height);
  memory.SetTextColor(RGB(0, 0, 0));
  memory.DrawText(caption.c_str(), static_cast<int>(caption.size()), &text, format);

  // The caption again in white over the done part, so it shows inverted there.
  const int done = m_model.DoneWidth();
  if (done > 0) {
    memory.FillSolidRect(0, 1, done, height - 2, RGB(0, 0, 0));
    memory.SaveDC();
    memory.IntersectClipRect(0, 1, done, height - 1);
    memory.SetTextColor(RGB(255, 255, 255));
    CRect inverted(2, 0, width, height);
    memory.DrawText(caption.c_str(), static_cast<int>(caption.size()), &inverted, format);
    memory.RestoreDC(-1);
  }

  const int bar = m_model.BarWidth();
  memory.FillSolidRect(bar, 0, 1, height, highlight);
  memory.FillSolidRect(bar + 1, 0, 2, height, face);
  memory.FillSolidRect(bar + 3, 0, 1, height - 1, shadow);

  dc.BitBlt(0, 0, width, height, memory, 0, 0, SRCCOPY);
  memory.SelectObject(oldFont);
  memory.SelectObject(oldBitmap);
}
