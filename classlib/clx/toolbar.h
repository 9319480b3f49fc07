#pragma once
// CToolBar: the common-controls tool bar as a control bar, loaded from our
// tool bar resource (type 241: WORDs version, button width, height, count,
// command ids with 0 for a separator) and bitmap of the same id.
#include "clx/cmdtarget.h"
#include "clx/controlbar.h"
#include "clx/gdi.h"

#define CLX_RT_TOOLBAR 241

// The tool bar control itself: button state by command id.
class CToolBarCtrl : public CWindow {
public:
  CToolBarCtrl(HWND h = nullptr) : CWindow(h) {}
  BOOL IsButtonEnabled(UINT id) const { return SendMessage(TB_ISBUTTONENABLED, id) != 0; }
  BOOL IsButtonChecked(UINT id) const { return SendMessage(TB_ISBUTTONCHECKED, id) != 0; }
  BOOL IsButtonPressed(UINT id) const { return SendMessage(TB_ISBUTTONPRESSED, id) != 0; }
  BOOL EnableButton(UINT id, BOOL enable = TRUE) const { return SendMessage(TB_ENABLEBUTTON, id, MAKELONG(enable, 0)) != 0; }
  BOOL CheckButton(UINT id, BOOL check = TRUE) const { return SendMessage(TB_CHECKBUTTON, id, MAKELONG(check, 0)) != 0; }
  int GetButtonCount() const { return static_cast<int>(SendMessage(TB_BUTTONCOUNT)); }
  BOOL GetButton(int index, TBBUTTON* button) const {
    return SendMessage(TB_GETBUTTON, index, reinterpret_cast<LPARAM>(button)) != 0;
  }
  HWND GetToolTips() const { return reinterpret_cast<HWND>(SendMessage(TB_GETTOOLTIPS)); }
};

class CToolBar : public CControlBar {
  DECLARE_DYNAMIC(CToolBar)
public:
  BOOL Create(CWnd* parent, DWORD style = WS_CHILD | WS_VISIBLE | CBRS_TOP, UINT id = AFX_IDW_TOOLBAR);
  BOOL LoadToolBar(UINT id);

  int CommandToIndex(UINT id) const { return static_cast<int>(SendMessage(TB_COMMANDTOINDEX, id)); }
  UINT GetItemID(int index) const;
  void GetItemRect(int index, RECT* rect) const;
  int GetCount() const { return GetToolBarCtrl().GetButtonCount(); }
  // TBSTYLE_ bits in the low byte, TBSTATE_ bits in the next.
  UINT GetButtonStyle(int index) const;
  void SetButtonStyle(int index, UINT style);
  CToolBarCtrl GetToolBarCtrl() const { return CToolBarCtrl(m_hWnd); }
  CSize GetButtonSize() const { return m_sizeButton; }
  // Also turns the tool tips on or off with CBRS_TOOLTIPS.
  void SetBarStyle(DWORD style) override;

  CSize CalcFixedLayout(BOOL stretch, BOOL horizontal) override;
  void OnUpdateCmdUI(CFrameWnd* target, BOOL disableIfNoHandler) override;
  LRESULT WindowProc(UINT msg, WPARAM w, LPARAM l) override;

protected:
  CBitmap m_bitmap;  // the control draws from it; kept as long as the bar
  CSize m_sizeImage{16, 15};
  CSize m_sizeButton{23, 22};
  UINT m_nFlyBy = 0;  // command shown as the fly-by prompt, 0 = none

  void UpdateFlyBy(CPoint client);
  void WrapButtons();
};

// A tool bar button's state while a handler decides it.
class CToolCmdUI : public CCmdUI {
public:
  void Enable(BOOL on = TRUE) override;
  void SetCheck(int check = 1) override;
  void SetRadio(BOOL on = TRUE) override { SetCheck(on ? 1 : 0); }
  void SetText(const char*) override {}
};
