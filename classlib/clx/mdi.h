#pragma once
// The MDI frame (main window with an MDI client area) and its child frames.
// The frame routes commands to the active child first, switches the menu
// bar to the active child's shared menu and arranges the children.
#include "clx/frame.h"

class CMDIChildWnd;

class CMDIFrameWnd : public CFrameWnd {
  DECLARE_DYNCREATE(CMDIFrameWnd)
public:
  HWND m_hWndMDIClient = nullptr;

  // Active child; *maximized tells whether it is maximised.
  CMDIChildWnd* MDIGetActive(BOOL* maximized = nullptr) const;
  void MDIActivate(HWND child) const { ::SendMessageA(m_hWndMDIClient, WM_MDIACTIVATE, reinterpret_cast<WPARAM>(child), 0); }
  void MDICascade() const { ::SendMessageA(m_hWndMDIClient, WM_MDICASCADE, 0, 0); }
  void MDITile(int how = MDITILE_HORIZONTAL) const { ::SendMessageA(m_hWndMDIClient, WM_MDITILE, how, 0); }
  void MDIIconArrange() const { ::SendMessageA(m_hWndMDIClient, WM_MDIICONARRANGE, 0, 0); }
  void MDINext() const { ::SendMessageA(m_hWndMDIClient, WM_MDINEXT, 0, 0); }
  void MDIMaximize(HWND child) const { ::SendMessageA(m_hWndMDIClient, WM_MDIMAXIMIZE, reinterpret_cast<WPARAM>(child), 0); }
  void MDIRestore(HWND child) const { ::SendMessageA(m_hWndMDIClient, WM_MDIRESTORE, reinterpret_cast<WPARAM>(child), 0); }
  // Puts `menu` (and its window list pop-up) on the menu bar.
  HMENU MDISetMenu(HMENU menu, HMENU windowMenu);
  // The menu bar for `child` (its shared menu), or the frame's own when null.
  virtual void OnUpdateFrameMenu(CMDIChildWnd* child);
  // The pop-up of `menu` that holds the Cascade command: the window list goes there.
  static HMENU FindWindowMenu(HMENU menu);

  CFrameWnd* GetActiveFrame() override;
  void OnUpdateFrameTitle(BOOL addToTitle) override;
  HACCEL GetDefaultAccelerator() override;
  BOOL PreTranslateMessage(MSG* msg) override;
  BOOL OnCmdMsg(UINT id, int code, void* extra, AFX_CMDHANDLERINFO* handlerInfo) override;
  LRESULT DefWindowProc(UINT msg, WPARAM w, LPARAM l) override;
  BOOL PreCreateWindow(CREATESTRUCT& cs) override;

protected:
  BOOL OnCreateClient(CREATESTRUCT* cs, CCreateContext* context) override;
  bool OnMDIWindowCmd(UINT id);
  void OnUpdateMDIWindowCmd(CCmdUI* ui);
  LRESULT OnIdleUpdateCmdUI(WPARAM w, LPARAM l);
  DECLARE_MESSAGE_MAP()
};

class CMDIChildWnd : public CFrameWnd {
  DECLARE_DYNCREATE(CMDIChildWnd)
public:
  HMENU m_hMenuShared = nullptr;  // the document type's menu (owned by its template)

  // Made by the MDI client (WM_MDICREATE) in `parent`'s client area (the
  // main window when null); the context travels in MDICREATESTRUCT.lParam.
  BOOL LoadFrame(UINT id, DWORD style = WS_CHILD | WS_VISIBLE | WS_OVERLAPPEDWINDOW | FWS_ADDTOTITLE,
                 CWnd* parent = nullptr, CCreateContext* context = nullptr) override;
  BOOL CreateChild(const char* className, const char* title, DWORD style, const RECT& rect, CMDIFrameWnd* parent,
                   CCreateContext* context);
  CMDIFrameWnd* GetMDIFrame() const;
  void MDIDestroy() { DestroyWindow(); }
  void MDIActivate();
  void MDIMaximize();
  void MDIRestore();
  BOOL DestroyWindow() override;

  void ActivateFrame(int showCmd = -1) override;
  void OnUpdateFrameTitle(BOOL addToTitle) override;
  BOOL PreTranslateMessage(MSG*) override { return FALSE; }  // the MDI frame translates
  LRESULT DefWindowProc(UINT msg, WPARAM w, LPARAM l) override;
  BOOL PreCreateWindow(CREATESTRUCT& cs) override;

protected:
  // Has the MDI client list the children again by their current titles.
  void RefreshWindowMenu();
  CCreateContext* ContextFromCreate(CREATESTRUCT* cs) override;
  void OnMDIActivate(BOOL activate, CWindow activated, CWindow deactivated);
  LRESULT OnSetMessageString(WPARAM w, LPARAM l);
  DECLARE_MESSAGE_MAP()
};
