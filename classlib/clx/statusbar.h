#pragma once
// CStatusBar: the common-controls status window as a control bar. Panes
// have an id (their text is that string), a style and a width; the pane
// with id 0 is the message pane, where prompts go, wherever it stands.
#include <vector>

#include "clx/cmdtarget.h"
#include "clx/controlbar.h"

// Pane styles.
#define SBPS_NORMAL 0x0000
#define SBPS_NOBORDERS 0x0100
#define SBPS_POPOUT 0x0200
#define SBPS_OWNERDRAW 0x1000
#define SBPS_DISABLED 0x04000000
#define SBPS_STRETCH 0x08000000

class CStatusBar : public CControlBar {
  DECLARE_DYNAMIC(CStatusBar)
public:
  BOOL Create(CWnd* parent, DWORD style = WS_CHILD | WS_VISIBLE | CBRS_BOTTOM, UINT id = AFX_IDW_STATUS_BAR);
  // One pane per id; its text is string `id` (id 0: the message pane, empty)
  // and its width that text's width.
  BOOL SetIndicators(const UINT* ids, int count);

  int CommandToIndex(UINT id) const;
  UINT GetItemID(int index) const { return Valid(index) ? m_panes[index].id : 0; }
  int GetCount() const { return static_cast<int>(m_panes.size()); }
  void GetItemRect(int index, RECT* rect) const;
  void SetPaneInfo(int index, UINT id, UINT style, int width);
  void GetPaneInfo(int index, UINT& id, UINT& style, int& width) const;
  UINT GetPaneStyle(int index) const { return Valid(index) ? m_panes[index].style : 0; }
  void SetPaneStyle(int index, UINT style);
  BOOL SetPaneText(int index, const char* text, BOOL update = TRUE);
  CString GetPaneText(int index) const { return Valid(index) ? m_panes[index].text : CString(); }

  CSize CalcFixedLayout(BOOL stretch, BOOL horizontal) override;
  void OnUpdateCmdUI(CFrameWnd* target, BOOL disableIfNoHandler) override;

protected:
  struct Pane {
    UINT id = 0;
    UINT style = SBPS_NORMAL;
    int width = 0;
    CString text;
  };
  std::vector<Pane> m_panes;
  int m_nHeight = 0;  // the control's own height for its font

  bool Valid(int index) const { return index >= 0 && index < static_cast<int>(m_panes.size()); }
  int TextWidth(const char* text) const;
  // Part edges from the widths (the stretching pane takes the rest) and every pane's text.
  void UpdateAllPanes(bool edges, bool texts);
  void ShowPane(int index);

  void OnSize(UINT type, int cx, int cy);
  LRESULT OnSetText(WPARAM, LPARAM l);
  LRESULT OnGetText(WPARAM w, LPARAM l);
  LRESULT OnGetTextLength(WPARAM, LPARAM);
  DECLARE_MESSAGE_MAP()
};

// A status pane's state: disabled hides the text; SetText changes it.
class CStatusCmdUI : public CCmdUI {
public:
  void Enable(BOOL on = TRUE) override;
  void SetCheck(int check = 1) override;
  void SetRadio(BOOL on = TRUE) override { SetCheck(on ? 1 : 0); }
  void SetText(const char* text) override;
};
