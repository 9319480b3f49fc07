#include "clx/statusbar.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "clx/frame.h"
#include "clx/resources.h"

IMPLEMENT_DYNAMIC(CStatusBar, CControlBar)

BEGIN_MESSAGE_MAP(CStatusBar, CControlBar)
  ON_WM_SIZE()
  ON_MESSAGE(WM_SETTEXT, OnSetText)
  ON_MESSAGE(WM_GETTEXT, OnGetText)
  ON_MESSAGE(WM_GETTEXTLENGTH, OnGetTextLength)
END_MESSAGE_MAP()

namespace {
constexpr int kPaneMargin = 6;  // a pane's edges and text inset, beyond its text
}

BOOL CStatusBar::Create(CWnd* parent, DWORD style, UINT id) {
  if (!CreateBar(0, STATUSCLASSNAMEA, style, 0, parent, id)) return FALSE;
  SetFont(static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT)), FALSE);
  // Let the control size itself once for its font, then keep it where the frame's layout puts it.
  SendMessage(WM_SIZE, SIZE_RESTORED, 0);
  m_nHeight = GetWindowRect().Height();
  ModifyStyle(0, CCS_NORESIZE | CCS_NOPARENTALIGN);
  if (CFrameWnd* frame = GetDockingFrame()) frame->RecalcLayout();
  return TRUE;
}

int CStatusBar::TextWidth(const char* text) const {
  HDC dc = ::GetDC(m_hWnd);
  HGDIOBJ old = ::SelectObject(dc, ::GetStockObject(DEFAULT_GUI_FONT));
  if (HFONT font = GetFont()) ::SelectObject(dc, font);
  SIZE size{};
  ::GetTextExtentPoint32A(dc, text, static_cast<int>(std::strlen(text)), &size);
  ::SelectObject(dc, old);
  ::ReleaseDC(m_hWnd, dc);
  return size.cx;
}

BOOL CStatusBar::SetIndicators(const UINT* ids, int count) {
  bool allFound = true;
  m_panes.assign(static_cast<size_t>(std::max(count, 0)), Pane{});
  for (int i = 0; i < count; ++i) {
    Pane& p = m_panes[static_cast<size_t>(i)];
    p.id = ids[i];
    if (p.id == 0) {
      p.style = SBPS_NOBORDERS | SBPS_STRETCH;  // the message pane takes the room that is left
      continue;
    }
    bool found = false;
    p.text = clx::LoadStr(p.id, &found);
    allFound = allFound && found;
    p.width = TextWidth(p.text);
  }
  UpdateAllPanes(true, true);
  return allFound;
}

int CStatusBar::CommandToIndex(UINT id) const {
  for (size_t i = 0; i < m_panes.size(); ++i)
    if (m_panes[i].id == id) return static_cast<int>(i);
  return -1;
}

void CStatusBar::UpdateAllPanes(bool edges, bool texts) {
  if (!m_hWnd) return;
  if (edges) {
    int borders[3] = {0, 0, 0};  // horizontal, vertical, between parts
    SendMessage(SB_GETBORDERS, 0, reinterpret_cast<LPARAM>(borders));
    int room = GetClientRect().Width() - borders[0];
    int stretching = 0;
    for (const Pane& p : m_panes) {
      room -= borders[2];
      if (p.style & SBPS_STRETCH)
        ++stretching;
      else
        room -= p.width + kPaneMargin;
    }
    std::vector<int> rights;
    int x = borders[0];
    for (const Pane& p : m_panes) {
      int width = p.style & SBPS_STRETCH ? std::max(0, room / std::max(stretching, 1)) : p.width + kPaneMargin;
      x += width;
      rights.push_back(x);
      x += borders[2];
    }
    if (!rights.empty()) SendMessage(SB_SETPARTS, rights.size(), reinterpret_cast<LPARAM>(rights.data()));
  }
  if (texts)
    for (size_t i = 0; i < m_panes.size(); ++i) ShowPane(static_cast<int>(i));
}

void CStatusBar::ShowPane(int index) {
  const Pane& p = m_panes[static_cast<size_t>(index)];
  WPARAM flags = static_cast<WPARAM>(index);
  if (p.style & SBPS_NOBORDERS) flags |= SBT_NOBORDERS;
  if (p.style & SBPS_POPOUT) flags |= SBT_POPOUT;
  if (p.style & SBPS_OWNERDRAW) {
    // The parent draws it (WM_DRAWITEM with the bar's id, itemID = the pane's index).
    SendMessage(SB_SETTEXTA, flags | SBT_OWNERDRAW, static_cast<LPARAM>(p.id));
    return;
  }
  const char* text = (p.style & SBPS_DISABLED) ? "" : static_cast<const char*>(p.text);
  SendMessage(SB_SETTEXTA, flags, reinterpret_cast<LPARAM>(text));
}

void CStatusBar::GetItemRect(int index, RECT* rect) const {
  if (!SendMessage(SB_GETRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(rect))) *rect = RECT{};
}

void CStatusBar::SetPaneInfo(int index, UINT id, UINT style, int width) {
  if (!Valid(index)) return;
  Pane& p = m_panes[static_cast<size_t>(index)];
  p.id = id;
  p.style = style;
  p.width = width;
  UpdateAllPanes(true, true);
}

void CStatusBar::GetPaneInfo(int index, UINT& id, UINT& style, int& width) const {
  if (!Valid(index)) {
    id = style = 0;
    width = 0;
    return;
  }
  const Pane& p = m_panes[static_cast<size_t>(index)];
  id = p.id;
  style = p.style;
  width = p.width;
}

void CStatusBar::SetPaneStyle(int index, UINT style) {
  if (!Valid(index) || m_panes[static_cast<size_t>(index)].style == style) return;
  bool edges = ((m_panes[static_cast<size_t>(index)].style ^ style) & SBPS_STRETCH) != 0;
  m_panes[static_cast<size_t>(index)].style = style;
  if (edges) UpdateAllPanes(true, false);
  ShowPane(index);
}

BOOL CStatusBar::SetPaneText(int index, const char* text, BOOL update) {
  if (!Valid(index)) return FALSE;
  Pane& p = m_panes[static_cast<size_t>(index)];
  CString value = text ? text : "";
  if (p.text == value) return TRUE;  // unchanged: no repaint at every idle pass
  p.text = value;
  if (update) ShowPane(index);
  return TRUE;
}

CSize CStatusBar::CalcFixedLayout(BOOL stretch, BOOL horizontal) {
  if (horizontal) return CSize(stretch ? 32767 : GetClientRect().Width(), m_nHeight);
  return CControlBar::CalcFixedLayout(stretch, horizontal);
}

void CStatusBar::OnUpdateCmdUI(CFrameWnd* target, BOOL disableIfNoHandler) {
  CStatusCmdUI ui;
  ui.m_other = m_hWnd;
  ui.m_nIndexMax = static_cast<UINT>(m_panes.size());
  for (ui.m_nIndex = 0; ui.m_nIndex < ui.m_nIndexMax; ++ui.m_nIndex) {
    ui.m_nID = m_panes[ui.m_nIndex].id;
    if (ui.m_nID == 0) continue;  // the message pane shows prompts
    ui.DoUpdate(target, disableIfNoHandler != FALSE);
  }
}

void CStatusBar::OnSize(UINT, int, int) {
  Default();
  UpdateAllPanes(true, false);
}

// The window text is the message pane's text.
LRESULT CStatusBar::OnSetText(WPARAM, LPARAM l) {
  int index = CommandToIndex(0);
  if (index < 0) return Default();
  SetPaneText(index, reinterpret_cast<const char*>(l));
  return TRUE;
}

LRESULT CStatusBar::OnGetText(WPARAM w, LPARAM l) {
  int index = CommandToIndex(0);
  if (index < 0) return Default();
  if (w == 0) return 0;
  ::lstrcpynA(reinterpret_cast<char*>(l), m_panes[static_cast<size_t>(index)].text, static_cast<int>(w));
  return ::lstrlenA(reinterpret_cast<char*>(l));
}

LRESULT CStatusBar::OnGetTextLength(WPARAM, LPARAM) {
  int index = CommandToIndex(0);
  return index < 0 ? Default() : m_panes[static_cast<size_t>(index)].text.GetLength();
}

// ---------------------------------------------------------------- command UI

namespace {
CStatusBar* BarOf(const CCmdUI& ui) { return dynamic_cast<CStatusBar*>(CWnd::FromHandlePermanent(ui.m_other)); }
}  // namespace

void CStatusCmdUI::Enable(BOOL on) {
  m_bEnableChanged = true;
  if (CStatusBar* bar = BarOf(*this)) {
    UINT style = bar->GetPaneStyle(static_cast<int>(m_nIndex));
    bar->SetPaneStyle(static_cast<int>(m_nIndex), on ? style & ~static_cast<UINT>(SBPS_DISABLED) : style | SBPS_DISABLED);
  }
}

void CStatusCmdUI::SetCheck(int check) {
  if (CStatusBar* bar = BarOf(*this)) {
    UINT style = bar->GetPaneStyle(static_cast<int>(m_nIndex));
    bar->SetPaneStyle(static_cast<int>(m_nIndex), check ? style | SBPS_POPOUT : style & ~static_cast<UINT>(SBPS_POPOUT));
  }
}

void CStatusCmdUI::SetText(const char* text) {
  if (CStatusBar* bar = BarOf(*this)) bar->SetPaneText(static_cast<int>(m_nIndex), text);
}
