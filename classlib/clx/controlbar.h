#pragma once
// CControlBar: a strip along one side of a frame (tool bar, status bar).
// It answers the frame's layout question (WM_SIZEPARENT) by taking its
// room on its side, and brings its items up to date at idle time. Bars are
// held by value in their frame; they are not deleted after WM_NCDESTROY.
#include "clx/resource.h"
#include "clx/wnd.h"

class CFrameWnd;

// Bar styles, kept in CControlBar::m_dwStyle (never in the Win32 style).
#define CBRS_ALIGN_LEFT 0x1000L
#define CBRS_ALIGN_TOP 0x2000L
#define CBRS_ALIGN_RIGHT 0x4000L
#define CBRS_ALIGN_BOTTOM 0x8000L
#define CBRS_ALIGN_ANY 0xF000L
#define CBRS_BORDER_LEFT 0x0100L
#define CBRS_BORDER_TOP 0x0200L
#define CBRS_BORDER_RIGHT 0x0400L
#define CBRS_BORDER_BOTTOM 0x0800L
#define CBRS_BORDER_ANY 0x0F00L
#define CBRS_TOOLTIPS 0x0010L
#define CBRS_FLYBY 0x0020L
#define CBRS_SIZE_DYNAMIC 0x0040L
#define CBRS_SIZE_FIXED 0x0080L
#define CBRS_NOALIGN 0x0000L
#define CBRS_LEFT (CBRS_ALIGN_LEFT | CBRS_BORDER_RIGHT)
#define CBRS_TOP (CBRS_ALIGN_TOP | CBRS_BORDER_BOTTOM)
#define CBRS_RIGHT (CBRS_ALIGN_RIGHT | CBRS_BORDER_LEFT)
#define CBRS_BOTTOM (CBRS_ALIGN_BOTTOM | CBRS_BORDER_TOP)
#define CBRS_ALL 0xFFFFL

class CControlBar : public CWnd {
  DECLARE_DYNAMIC(CControlBar)
public:
  DWORD m_dwStyle = 0;      // CBRS_ bits
  DWORD m_dwDockStyle = 0;  // sides the bar accepts (CBRS_ALIGN_ bits)

  virtual void SetBarStyle(DWORD style);
  DWORD GetBarStyle() const { return m_dwStyle; }
  void EnableDocking(DWORD style) { m_dwDockStyle = style & CBRS_ALIGN_ANY; }
  bool IsHorizontal() const { return (m_dwStyle & (CBRS_ALIGN_TOP | CBRS_ALIGN_BOTTOM)) != 0; }
  // The frame the bar reports to (its parent frame).
  CFrameWnd* GetDockingFrame() const;

  // The bar's size on its side: `stretch` fills the side's length.
  virtual CSize CalcFixedLayout(BOOL stretch, BOOL horizontal);
  // Brings the bar's items up to date from `target`'s handlers.
  virtual void OnUpdateCmdUI(CFrameWnd* target, BOOL disableIfNoHandler) = 0;

protected:
  // Creates the bar's window: the WS_ bits of `style` go to Win32, the
  // CBRS_ bits stay in m_dwStyle.
  BOOL CreateBar(DWORD exStyle, const char* className, DWORD style, DWORD classStyle, CWnd* parent, UINT id);

  LRESULT OnSizeParent(WPARAM, LPARAM l);
  LRESULT OnIdleUpdateCmdUI(WPARAM disableIfNoHandler, LPARAM);
  DECLARE_MESSAGE_MAP()
};
