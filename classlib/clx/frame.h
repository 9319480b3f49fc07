#pragma once
// CFrameWnd: a top-level window that hosts a view or client window and its
// control bars, owns a menu and an accelerator table, routes commands to
// its active view before itself, keeps menus and bars up to date and shows
// prompts in the status bar. Frames are made with `new` and delete
// themselves after WM_NCDESTROY.
#include <vector>

#include "clx/menu.h"
#include "clx/messages.h"
#include "clx/resource.h"
#include "clx/wnd.h"

class CControlBar;
class CDocTemplate;
class CDocument;
class CView;

// The frame keeps this style bit for itself (it is never given to Win32):
// the document's name goes into the frame's title.
#define FWS_ADDTOTITLE 0x00008000L

// What a frame being made for a document is made of.
struct CCreateContext {
  CRuntimeClass* m_pNewViewClass = nullptr;  // view made in the frame's client area
  CDocument* m_pCurrentDoc = nullptr;
  CDocTemplate* m_pNewDocTemplate = nullptr;
  CView* m_pLastView = nullptr;
  CFrameWnd* m_pCurrentFrame = nullptr;
};

class CFrameWnd : public CWnd {
  DECLARE_DYNCREATE(CFrameWnd)
public:
  CFrameWnd() = default;
  ~CFrameWnd() override;

  // Title (string `id` up to its '\n'), menu, accelerators and icon `id`.
  virtual BOOL LoadFrame(UINT id, DWORD style = WS_OVERLAPPEDWINDOW | FWS_ADDTOTITLE, CWnd* parent = nullptr,
                         CCreateContext* context = nullptr);
  BOOL PreCreateWindow(CREATESTRUCT& cs) override;
  CFrameWnd* AsFrameWnd() override { return this; }

  // ---- views and documents
  CView* GetActiveView() const { return m_pViewActive; }
  // Tells the old and the new view (OnActivateView) when `notify`.
  void SetActiveView(CView* view, BOOL notify = TRUE);
  virtual CDocument* GetActiveDocument();
  // The frame whose view is active: this one; an MDI frame answers its active child.
  virtual CFrameWnd* GetActiveFrame() { return this; }
  // Makes view `id` of the context's view class in the client area.
  CWnd* CreateView(CCreateContext* context, UINT id = AFX_IDW_PANE_FIRST);
  // After a document's frame is made: views get WM_INITIALUPDATE; shown when `visible`.
  virtual void InitialUpdateFrame(CDocument* doc, BOOL visible);
  virtual void ActivateFrame(int showCmd = -1);

  // ---- title
  virtual void OnUpdateFrameTitle(BOOL addToTitle);
  // The title is brought up to date at the next idle moment.
  void DelayUpdateFrameTitle() { m_bTitlePending = true; }
  bool AddsToTitle() const { return (m_dwFrameStyle & FWS_ADDTOTITLE) != 0; }
  void SetTitle(const char* title) { m_strTitle = title; }
  CString GetTitle() const { return m_strTitle; }

  // ---- layout and control bars
  // Child windows take their room in turn (WM_SIZEPARENT), the pane
  // AFX_IDW_PANE_FIRST gets what is left.
  virtual void RecalcLayout(BOOL notify = TRUE);
  void EnableDocking(DWORD dockStyle) { m_dwDockStyle = dockStyle; }
  // Places the bar on one side, for good: `side` is one CBRS_ALIGN_ bit, or
  // 0 for the first side (top, bottom, left, right) that both allow.
  void DockControlBar(CControlBar* bar, DWORD side = 0);
  void ShowControlBar(CControlBar* bar, BOOL show, BOOL delay = FALSE);
  CControlBar* GetControlBar(UINT id) const;
  // The bar that shows prompts: the status bar.
  CWnd* GetMessageBar() const;

  // ---- menus, accelerators, prompts
  HMENU m_hMenuDefault = nullptr;  // loaded by LoadFrame, destroyed with the frame
  HACCEL m_hAccelTable = nullptr;  // loaded by LoadFrame (a document frame: its template's)
  bool m_bAutoMenuEnable = true;   // menu commands without a handler are greyed
  UINT m_nIDHelp = 0;
  UINT m_nIDTracking = 0;          // prompt id of the menu item under the cursor
  UINT m_nIDLastMessage = 0;       // prompt id last shown in the status bar
  int m_nWindow = 0;               // window number on its document (":%d"), 0 = only one
  virtual HACCEL GetDefaultAccelerator() { return m_hAccelTable; }
  BOOL PreTranslateMessage(MSG* msg) override;
  BOOL OnCmdMsg(UINT id, int code, void* extra, AFX_CMDHANDLERINFO* handlerInfo) override;
  LRESULT WindowProc(UINT msg, WPARAM w, LPARAM l) override;

  // Shift+F1 help mode: the cursor becomes the help cursor until a click,
  // whose help id (WM_HELPHITTEST up from the window under it, or the
  // non-client area's id) goes to WinHelp; Esc or losing the capture leaves.
  bool m_bHelpMode = false;
  void OnContextHelp();
  void ExitHelpMode();
  // The help id of what lies under `screen`: WM_HELPHITTEST to the window
  // there and its parents until one answers, HID_BASE_NCAREAS + hit code
  // on a non-client area; 0 for none.
  static DWORD HelpIdAt(POINT screen);

  // Modal state: a top-level frame disabled by a modal loop disables the
  // attached windows it owns (palettes) and enables them again with itself.
  void BeginModalState();
  void EndModalState();
  // A top-level frame and the attached frames it owns (palettes) look
  // active together: one of them active keeps the others' captions active.
  void NotifyFloatingFamily(BOOL active);
  // Whether this frame, owned by another, takes part in that family's
  // activation (a mini-frame only with MFS_SYNCACTIVE).
  virtual bool SyncsFamilyActivation() const { return true; }

  DWORD m_dwFrameStyle = 0;  // FWS_ bits taken out of the Win32 style

protected:
  CView* m_pViewActive = nullptr;
  CString m_strTitle;
  DWORD m_dwDockStyle = 0;
  bool m_bTitlePending = false;
  bool m_bInRecalcLayout = false;
  std::vector<HWND> m_modalDisabled;

  virtual BOOL OnCreateClient(CREATESTRUCT* cs, CCreateContext* context);
  // The context given at creation (an MDI child finds it inside MDICREATESTRUCT).
  virtual CCreateContext* ContextFromCreate(CREATESTRUCT* cs);
  void UpdateFrameTitleForDocument(const char* docName);
  void PostNcDestroy() override;
  // Prompt text of string `id`: the part before '\n'.
  static CString PromptOf(UINT id);

  int OnCreate(CREATESTRUCT* cs);
  void OnDestroy();
  void OnClose();
  void OnSize(UINT type, int cx, int cy);
  void OnInitMenuPopup(HMENU popup, UINT index, BOOL sysMenu);
  void OnMenuSelect(UINT item, UINT flags, HMENU menu);
  void OnEnable(BOOL enable);
  void OnActivate(UINT state, CWindow other, BOOL minimized);
  void OnDropFiles(HDROP drop);
  void OnSetFocus(CWindow old);
  LRESULT OnSetMessageString(WPARAM id, LPARAM text);
  LRESULT OnIdleUpdateCmdUI(WPARAM, LPARAM);
  LRESULT OnCommandHelp(WPARAM, LPARAM helpId);
  LRESULT OnExitHelpMode(WPARAM, LPARAM);
  BOOL OnCommand(WPARAM w, LPARAM l) override;
  bool OnToolTipText(UINT id, NMHDR* nm, LRESULT* result);
  bool OnBarCheck(UINT id);
  void OnUpdateControlBarMenu(CCmdUI* ui);
  DECLARE_MESSAGE_MAP()
};
