#pragma once
// CMiniFrameWnd: a floating frame with a small (tool-window) caption, the
// base of the palettes. Made with `new`, it deletes itself after
// WM_NCDESTROY unless a derived class says otherwise (palettes do).
#include "clx/frame.h"

// Mini-frame style bits. They are the frame's own: taken out of the Win32
// style and kept in m_dwFrameStyle (MFS_THICKFRAME becomes WS_THICKFRAME).
#define MFS_SYNCACTIVE 0x00000100L   // looks active while its owner's family is active
#define MFS_4THICKFRAME 0x00000200L
#define MFS_THICKFRAME 0x00000400L
#define MFS_MOVEFRAME 0x00000800L

class CMiniFrameWnd : public CFrameWnd {
  DECLARE_DYNCREATE(CMiniFrameWnd)
public:
  CMiniFrameWnd() = default;

  // `className` null: the mini-frame class (double clicks, arrow cursor,
  // button-face background). `owner` owns a pop-up; `id` is used only for a
  // child window.
  BOOL Create(const char* className, const char* title, DWORD style, const RECT& rect, CWnd* owner = nullptr,
              UINT id = 0);
  BOOL CreateEx(DWORD exStyle, const char* className, const char* title, DWORD style, const RECT& rect,
                CWnd* owner = nullptr, UINT id = 0);
  BOOL PreCreateWindow(CREATESTRUCT& cs) override;
  bool SyncsFamilyActivation() const override { return (m_dwFrameStyle & MFS_SYNCACTIVE) != 0; }

  DWORD GetMiniFrameStyle() const {
    return m_dwFrameStyle & (MFS_SYNCACTIVE | MFS_4THICKFRAME | MFS_THICKFRAME | MFS_MOVEFRAME);
  }

protected:
  // A synchronised mini-frame keeps its active caption while activation
  // moves within its owner's family, and shows it only while enabled.
  bool m_bFamilyActive = false;

  BOOL OnNcActivate(BOOL active);
  void OnActivate(UINT state, CWindow other, BOOL minimized);
  DECLARE_MESSAGE_MAP()
};
