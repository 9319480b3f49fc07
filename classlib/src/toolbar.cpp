#include "clx/toolbar.h"

#include <vector>

#include "clx/frame.h"
#include "clx/messages.h"
#include "clx/resources.h"

IMPLEMENT_DYNAMIC(CToolBar, CControlBar)

BOOL CToolBar::Create(CWnd* parent, DWORD style, UINT id) {
  // The control always makes its tool tip window; CBRS_TOOLTIPS turns it on and off.
  if (!CreateBar(0, TOOLBARCLASSNAMEA, style,
                 CCS_NOPARENTALIGN | CCS_NORESIZE | CCS_NODIVIDER | TBSTYLE_TOOLTIPS, parent, id))
    return FALSE;
  SendMessage(TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON));
  SetBarStyle(m_dwStyle);
  return TRUE;
}

void CToolBar::SetBarStyle(DWORD style) {
  CControlBar::SetBarStyle(style);
  if (!m_hWnd) return;
  if (HWND tips = GetToolBarCtrl().GetToolTips()) ::SendMessageA(tips, TTM_ACTIVATE, (m_dwStyle & CBRS_TOOLTIPS) != 0, 0);
  WrapButtons();
}

// On the left or right side every button ends a row, so the buttons stand in a column.
void CToolBar::WrapButtons() {
  bool column = (m_dwStyle & (CBRS_ALIGN_LEFT | CBRS_ALIGN_RIGHT)) != 0;
  for (int i = 0, n = GetCount(); i < n; ++i) {
    TBBUTTON b{};
    if (!GetToolBarCtrl().GetButton(i, &b)) continue;
    BYTE state = column ? b.fsState | TBSTATE_WRAP : b.fsState & ~TBSTATE_WRAP;
    if (state == b.fsState) continue;
    TBBUTTONINFOA info{};
    info.cbSize = sizeof info;
    info.dwMask = TBIF_BYINDEX | TBIF_STATE;
    info.fsState = state;
    SendMessage(TB_SETBUTTONINFOA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&info));
  }
}

BOOL CToolBar::LoadToolBar(UINT id) {
  HINSTANCE module = AfxGetResourceHandle();
  HRSRC res = ::FindResourceA(module, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(CLX_RT_TOOLBAR));
  HGLOBAL mem = res ? ::LoadResource(module, res) : nullptr;
  const auto* words = mem ? static_cast<const WORD*>(::LockResource(mem)) : nullptr;
  DWORD bytes = res ? ::SizeofResource(module, res) : 0;
  // version, image width, image height, count, then the ids
  if (!words || bytes < 4 * sizeof(WORD) || words[0] != 1) return FALSE;
  int width = words[1], height = words[2], count = words[3];
  if (width <= 0 || height <= 0 || bytes < (4u + static_cast<DWORD>(count)) * sizeof(WORD)) return FALSE;
  if (!m_bitmap.LoadSysColorBitmap(id)) return FALSE;
  m_sizeImage = CSize(width, height);
  m_sizeButton = CSize(width + 7, height + 7);
  while (SendMessage(TB_BUTTONCOUNT) > 0) SendMessage(TB_DELETEBUTTON, 0);
  SendMessage(TB_SETBITMAPSIZE, 0, MAKELONG(width, height));
  SendMessage(TB_SETBUTTONSIZE, 0, MAKELONG(m_sizeButton.cx, m_sizeButton.cy));
  BITMAP bm{};
  m_bitmap.GetBitmap(&bm);
  TBADDBITMAP strip{nullptr, reinterpret_cast<UINT_PTR>(static_cast<HBITMAP>(m_bitmap))};
  SendMessage(TB_ADDBITMAP, static_cast<WPARAM>(bm.bmWidth / width), reinterpret_cast<LPARAM>(&strip));
  std::vector<TBBUTTON> buttons(static_cast<size_t>(count));
  int image = 0;
  for (int i = 0; i < count; ++i) {
    TBBUTTON& b = buttons[static_cast<size_t>(i)];
    UINT command = words[4 + i];
    if (command == 0) {
      b.fsStyle = TBSTYLE_SEP;
    } else {
      b.iBitmap = image++;
      b.idCommand = static_cast<int>(command);
      b.fsState = TBSTATE_ENABLED;
      b.fsStyle = TBSTYLE_BUTTON;
    }
  }
  if (!SendMessage(TB_ADDBUTTONSA, static_cast<WPARAM>(count), reinterpret_cast<LPARAM>(buttons.data()))) return FALSE;
  WrapButtons();
  if (CFrameWnd* frame = GetDockingFrame()) frame->RecalcLayout();
  return TRUE;
}

UINT CToolBar::GetItemID(int index) const {
  TBBUTTON b{};
  if (!GetToolBarCtrl().GetButton(index, &b) || (b.fsStyle & TBSTYLE_SEP)) return 0;
  return static_cast<UINT>(b.idCommand);
}

void CToolBar::GetItemRect(int index, RECT* rect) const {
  if (!SendMessage(TB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(rect))) *rect = RECT{};
}

UINT CToolBar::GetButtonStyle(int index) const {
  TBBUTTON b{};
  if (!GetToolBarCtrl().GetButton(index, &b)) return 0;
  return b.fsStyle | (static_cast<UINT>(b.fsState) << 8);
}

void CToolBar::SetButtonStyle(int index, UINT style) {
  TBBUTTONINFOA info{};
  info.cbSize = sizeof info;
  info.dwMask = TBIF_BYINDEX | TBIF_STYLE | TBIF_STATE;
  info.fsStyle = static_cast<BYTE>(style & 0xFF);
  info.fsState = static_cast<BYTE>((style >> 8) & 0xFF);
  SendMessage(TB_SETBUTTONINFOA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&info));
}

CSize CToolBar::CalcFixedLayout(BOOL stretch, BOOL horizontal) {
  int count = GetCount();
  if (count == 0) return horizontal ? CSize(stretch ? 32767 : 0, m_sizeButton.cy + 4)
                                    : CSize(m_sizeButton.cx + 4, stretch ? 32767 : 0);
  // The buttons' extent, with their own margin before them repeated after them.
  CRect first, all;
  GetItemRect(0, &first);
  for (int i = 0; i < count; ++i) {
    CRect item;
    GetItemRect(i, &item);
    all |= item;
  }
  CSize size(all.right + first.left, all.bottom + first.top);
  if (horizontal) return CSize(stretch ? 32767 : size.cx, size.cy);
  return CSize(size.cx, stretch ? 32767 : size.cy);
}

void CToolBar::OnUpdateCmdUI(CFrameWnd* target, BOOL disableIfNoHandler) {
  CToolCmdUI ui;
  ui.m_other = m_hWnd;
  ui.m_nIndexMax = static_cast<UINT>(GetCount());
  for (ui.m_nIndex = 0; ui.m_nIndex < ui.m_nIndexMax; ++ui.m_nIndex) {
    UINT id = GetItemID(static_cast<int>(ui.m_nIndex));
    if (id == 0) continue;
    ui.m_nID = id;
    ui.DoUpdate(target, disableIfNoHandler != FALSE);
  }
}

LRESULT CToolBar::WindowProc(UINT msg, WPARAM w, LPARAM l) {
  if (msg == WM_MOUSEMOVE && (m_dwStyle & CBRS_FLYBY)) UpdateFlyBy(CPoint(l));
  if (msg == WM_MOUSELEAVE && m_nFlyBy) {
    m_nFlyBy = 0;
    if (CFrameWnd* frame = GetDockingFrame()) frame->SendMessage(WM_SETMESSAGESTRING, IDS_CLX_READY);
  }
  return CControlBar::WindowProc(msg, w, l);
}

// The prompt of the button under the mouse goes to the status bar; leaving it brings "Ready" back.
void CToolBar::UpdateFlyBy(CPoint client) {
  int index = static_cast<int>(SendMessage(TB_HITTEST, 0, reinterpret_cast<LPARAM>(&client)));
  UINT id = index >= 0 ? GetItemID(index) : 0;
  if (id == m_nFlyBy) return;
  m_nFlyBy = id;
  if (id) {
    TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, m_hWnd, 0};
    ::TrackMouseEvent(&track);
  }
  if (CFrameWnd* frame = GetDockingFrame()) frame->SendMessage(WM_SETMESSAGESTRING, id ? id : IDS_CLX_READY);
}

// ---------------------------------------------------------------- command UI

void CToolCmdUI::Enable(BOOL on) {
  m_bEnableChanged = true;
  CToolBarCtrl bar(m_other);
  if ((bar.IsButtonEnabled(m_nID) != FALSE) != (on != FALSE)) bar.EnableButton(m_nID, on);
}

void CToolCmdUI::SetCheck(int check) {
  auto state = static_cast<UINT>(m_other.SendMessage(TB_GETSTATE, m_nID));
  UINT wanted = state & ~static_cast<UINT>(TBSTATE_CHECKED | TBSTATE_INDETERMINATE);
  if (check == 1) wanted |= TBSTATE_CHECKED;
  if (check == 2) wanted |= TBSTATE_INDETERMINATE;
  if (wanted != state) m_other.SendMessage(TB_SETSTATE, m_nID, MAKELONG(wanted, 0));
}
