#include "clx/frame.h"

#include <shellapi.h>

#include "clx/app.h"
#include "clx/controlbar.h"
#include "clx/document.h"
#include "clx/resources.h"
#include "clx/statusbar.h"
#include "clx/view.h"

IMPLEMENT_DYNCREATE(CFrameWnd, CWnd)

BEGIN_MESSAGE_MAP(CFrameWnd, CWnd)
  ON_WM_CREATE()
  ON_WM_DESTROY()
  ON_WM_CLOSE()
  ON_WM_SIZE()
  ON_WM_INITMENUPOPUP()
  ON_WM_MENUSELECT()
  ON_WM_ENABLE()
  ON_WM_ACTIVATE()
  ON_WM_DROPFILES()
  ON_WM_SETFOCUS()
  ON_MESSAGE(WM_SETMESSAGESTRING, OnSetMessageString)
  ON_MESSAGE(WM_IDLEUPDATECMDUI, OnIdleUpdateCmdUI)
  ON_MESSAGE(WM_COMMANDHELP, OnCommandHelp)
  ON_MESSAGE(WM_EXITHELPMODE, OnExitHelpMode)
  ON_COMMAND(ID_CONTEXT_HELP, OnContextHelp)
  ON_NOTIFY_EX_ALL(TTN_GETDISPINFOA, OnToolTipText)
  ON_COMMAND_EX(ID_VIEW_TOOLBAR, OnBarCheck)
  ON_COMMAND_EX(ID_VIEW_STATUS_BAR, OnBarCheck)
  ON_UPDATE_COMMAND_UI(ID_VIEW_TOOLBAR, OnUpdateControlBarMenu)
  ON_UPDATE_COMMAND_UI(ID_VIEW_STATUS_BAR, OnUpdateControlBarMenu)
END_MESSAGE_MAP()

CFrameWnd::~CFrameWnd() = default;

CString CFrameWnd::PromptOf(UINT id) {
  CString text = clx::LoadStr(id);
  int end = text.Find('\n');
  return end >= 0 ? text.Left(end) : text;
}

// ---------------------------------------------------------------- creation

BOOL CFrameWnd::LoadFrame(UINT id, DWORD style, CWnd* parent, CCreateContext* context) {
  m_nIDHelp = id;
  m_strTitle = PromptOf(id);
  HINSTANCE module = AfxGetResourceHandle();
  HMENU menu = ::FindResourceA(module, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(4) /* RT_MENU */)
                   ? ::LoadMenuA(module, MAKEINTRESOURCEA(id))
                   : nullptr;
  if (!m_hAccelTable && ::FindResourceA(module, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(9) /* RT_ACCELERATOR */))
    m_hAccelTable = ::LoadAcceleratorsA(module, MAKEINTRESOURCEA(id));
  m_hMenuDefault = menu;
  HWND h = nullptr;
  if (CreateEx(0, nullptr, m_strTitle, style, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
               parent ? parent->m_hWnd : nullptr, menu, context))
    h = m_hWnd;
  // A frame that failed has deleted itself; only the menu may be left over.
  if (!h) {
    if (menu && ::IsMenu(menu)) ::DestroyMenu(menu);
    return FALSE;
  }
  if (!context) SendMessageToDescendants(WM_INITIALUPDATE, 0, 0, true);
  return TRUE;
}

BOOL CFrameWnd::PreCreateWindow(CREATESTRUCT& cs) {
  if (!cs.lpszClass) {
    HICON icon = nullptr;
    HINSTANCE module = AfxGetResourceHandle();
    if (m_nIDHelp && ::FindResourceA(module, MAKEINTRESOURCEA(m_nIDHelp), MAKEINTRESOURCEA(14) /* RT_GROUP_ICON */))
      icon = ::LoadIconA(module, MAKEINTRESOURCEA(m_nIDHelp));
    cs.lpszClass = AfxRegisterWndClass(CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW,
                                       ::LoadCursorA(nullptr, MAKEINTRESOURCEA(32512) /* IDC_ARROW */),
                                       reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1), icon);
  }
  return TRUE;
}

LRESULT CFrameWnd::WindowProc(UINT msg, WPARAM w, LPARAM l) {
  if (msg == WM_CAPTURECHANGED && m_bHelpMode && reinterpret_cast<HWND>(l) != m_hWnd) m_bHelpMode = false;
  if (msg == WM_NCCREATE) {
    // The add-to-title bit is the frame's, not Win32's: keep it here, take it off the window.
    auto* cs = reinterpret_cast<CREATESTRUCT*>(l);
    if (cs->style & FWS_ADDTOTITLE) {
      m_dwFrameStyle |= FWS_ADDTOTITLE;
      cs->style &= ~FWS_ADDTOTITLE;
      ::SetWindowLongPtrA(m_hWnd, GWL_STYLE, ::GetWindowLongPtrA(m_hWnd, GWL_STYLE) & ~FWS_ADDTOTITLE);
    }
  }
  return CWnd::WindowProc(msg, w, l);
}

CCreateContext* CFrameWnd::ContextFromCreate(CREATESTRUCT* cs) {
  return static_cast<CCreateContext*>(cs->lpCreateParams);
}

int CFrameWnd::OnCreate(CREATESTRUCT* cs) {
  if (CWnd::OnCreate(cs) == -1) return -1;
  if (!OnCreateClient(cs, ContextFromCreate(cs))) return -1;
  RecalcLayout();
  return 0;
}

BOOL CFrameWnd::OnCreateClient(CREATESTRUCT*, CCreateContext* context) {
  if (context && context->m_pNewViewClass) return CreateView(context) != nullptr;
  return TRUE;
}

CWnd* CFrameWnd::CreateView(CCreateContext* context, UINT id) {
  CObject* object = context->m_pNewViewClass->CreateObject();
  auto* view = dynamic_cast<CWnd*>(object);
  if (!view) {
    delete object;
    return nullptr;
  }
  // A view that fails is deleted by its own PostNcDestroy.
  if (!view->CreateEx(WS_EX_CLIENTEDGE, nullptr, nullptr, WS_CHILD | WS_VISIBLE, CRect(0, 0, 0, 0), this, id, context))
    return nullptr;
  return view;
}

void CFrameWnd::InitialUpdateFrame(CDocument* doc, BOOL visible) {
  CView* view = m_pViewActive;
  if (!view) {
    view = dynamic_cast<CView*>(FromHandlePermanent(::GetDlgItem(m_hWnd, AFX_IDW_PANE_FIRST)));
    if (view) SetActiveView(view, FALSE);
  }
  SendMessageToDescendants(WM_INITIALUPDATE, 0, 0, true);
  if (visible) {
    ActivateFrame();
    if (view && m_pViewActive == view) view->OnActivateView(TRUE, view, view);
  }
  if (doc) doc->UpdateFrameCounts();
  OnUpdateFrameTitle(TRUE);
}

void CFrameWnd::ActivateFrame(int showCmd) {
  if (showCmd == -1) showCmd = IsIconic() ? SW_RESTORE : SW_SHOW;
  ShowWindow(showCmd);
  ::BringWindowToTop(m_hWnd);
}

void CFrameWnd::PostNcDestroy() { delete this; }

void CFrameWnd::OnDestroy() {
  // The window destroys the menu on its bar: make that the frame's own, never
  // a document type's shared menu.
  if (m_hMenuDefault && !(GetStyle() & WS_CHILD) && ::GetMenu(m_hWnd) != m_hMenuDefault)
    ::SetMenu(m_hWnd, m_hMenuDefault);
  EndModalState();
  m_pViewActive = nullptr;
  Default();
}

// ---------------------------------------------------------------- views and documents

void CFrameWnd::SetActiveView(CView* view, BOOL notify) {
  CView* old = m_pViewActive;
  if (view == old) return;
  m_pViewActive = view;
  if (notify && old) old->OnActivateView(FALSE, view, old);
  if (notify && view) view->OnActivateView(TRUE, view, old);
}

CDocument* CFrameWnd::GetActiveDocument() {
  CFrameWnd* frame = GetActiveFrame();
  CView* view = frame ? frame->GetActiveView() : nullptr;
  return view ? view->GetDocument() : nullptr;
}

// ---------------------------------------------------------------- title

void CFrameWnd::OnUpdateFrameTitle(BOOL addToTitle) {
  CDocument* doc = GetActiveDocument();
  UpdateFrameTitleForDocument(addToTitle && AddsToTitle() && doc ? doc->GetTitle().operator const char*() : nullptr);
}

void CFrameWnd::UpdateFrameTitleForDocument(const char* docName) {
  CString text;
  if (docName) {
    text = docName;
    if (m_nWindow > 0) {
      CString number;
      number.Format(":%d", m_nWindow);
      text += number;
    }
    if (!m_strTitle.IsEmpty()) text += " - " + m_strTitle;
  } else {
    text = m_strTitle;
  }
  if (GetWindowText() != text) SetWindowText(text);
}

// ---------------------------------------------------------------- layout

void CFrameWnd::RecalcLayout(BOOL) {
  if (m_bInRecalcLayout || !m_hWnd) return;
  m_bInRecalcLayout = true;
  clx::SizeParentParams params{};
  GetClientRect(&params.rect);
  params.bStretch = TRUE;
  HWND pane = ::GetDlgItem(m_hWnd, AFX_IDW_PANE_FIRST);
  int count = 0;
  for (HWND c = ::GetWindow(m_hWnd, GW_CHILD); c; c = ::GetWindow(c, GW_HWNDNEXT)) ++count;
  params.hDWP = ::BeginDeferWindowPos(count);
  // Bars take their room in creation order; the pane gets the rest.
  for (HWND c = ::GetWindow(m_hWnd, GW_CHILD); c; c = ::GetWindow(c, GW_HWNDNEXT))
    if (c != pane) ::SendMessageA(c, WM_SIZEPARENT, 0, reinterpret_cast<LPARAM>(&params));
  if (pane) clx::PlaceInLayout(&params, pane, params.rect);
  if (params.hDWP) ::EndDeferWindowPos(params.hDWP);
  m_bInRecalcLayout = false;
}

void CFrameWnd::OnSize(UINT type, int, int) {
  Default();
  if (type != SIZE_MINIMIZED) RecalcLayout();
}

CControlBar* CFrameWnd::GetControlBar(UINT id) const {
  return dynamic_cast<CControlBar*>(FromHandlePermanent(::GetDlgItem(m_hWnd, static_cast<int>(id))));
}

CWnd* CFrameWnd::GetMessageBar() const { return FromHandlePermanent(::GetDlgItem(m_hWnd, AFX_IDW_STATUS_BAR)); }

void CFrameWnd::DockControlBar(CControlBar* bar, DWORD side) {
  side &= CBRS_ALIGN_ANY;
  if (!side) {
    DWORD allowed = bar->m_dwDockStyle & m_dwDockStyle;
    for (DWORD s : {CBRS_ALIGN_TOP, CBRS_ALIGN_BOTTOM, CBRS_ALIGN_LEFT, CBRS_ALIGN_RIGHT})
      if (allowed & s) {
        side = s;
        break;
      }
    if (!side) side = CBRS_ALIGN_TOP;
  } else {
    // One side only: the first bit set, in the order above.
    for (DWORD s : {CBRS_ALIGN_TOP, CBRS_ALIGN_BOTTOM, CBRS_ALIGN_LEFT, CBRS_ALIGN_RIGHT})
      if (side & s) {
        side = s;
        break;
      }
  }
  bar->SetBarStyle((bar->GetBarStyle() & ~CBRS_ALIGN_ANY) | side);
  RecalcLayout();
}

void CFrameWnd::ShowControlBar(CControlBar* bar, BOOL show, BOOL) {
  bar->ShowWindow(show ? SW_SHOWNOACTIVATE : SW_HIDE);
  RecalcLayout();
}

bool CFrameWnd::OnBarCheck(UINT id) {
  CControlBar* bar = GetControlBar(id);
  if (!bar) return false;
  ShowControlBar(bar, !bar->IsWindowVisible());
  return true;
}

void CFrameWnd::OnUpdateControlBarMenu(CCmdUI* ui) {
  CControlBar* bar = GetControlBar(ui->m_nID);
  if (!bar) {
    ui->ContinueRouting();
    return;
  }
  ui->SetCheck(bar->IsWindowVisible() ? 1 : 0);
}

// ---------------------------------------------------------------- commands, menus, prompts

BOOL CFrameWnd::OnCmdMsg(UINT id, int code, void* extra, AFX_CMDHANDLERINFO* handlerInfo) {
  // The active view (and through it its document) first, then the frame;
  // a top-level frame then asks the application.
  if (m_pViewActive && m_pViewActive->OnCmdMsg(id, code, extra, handlerInfo)) return TRUE;
  if (CWnd::OnCmdMsg(id, code, extra, handlerInfo)) return TRUE;
  if (!(GetStyle() & WS_CHILD))
    if (CWinApp* app = AfxGetApp(); app && app->OnCmdMsg(id, code, extra, handlerInfo)) return TRUE;
  return FALSE;
}

BOOL CFrameWnd::PreTranslateMessage(MSG* msg) {
  // A frame disabled by a modal loop translates nothing.
  if (msg->message < WM_KEYFIRST || msg->message > WM_KEYLAST || !IsWindowEnabled()) return FALSE;
  HACCEL accel = GetDefaultAccelerator();
  return accel && ::TranslateAcceleratorA(m_hWnd, accel, msg);
}

void CFrameWnd::OnInitMenuPopup(HMENU popup, UINT, BOOL sysMenu) {
  Default();
  if (sysMenu) return;
  CCmdUI ui;
  ui.m_hMenu = popup;
  ui.m_nIndexMax = static_cast<UINT>(::GetMenuItemCount(popup));
  for (ui.m_nIndex = 0; ui.m_nIndex < ui.m_nIndexMax; ++ui.m_nIndex) {
    UINT id = ::GetMenuItemID(popup, static_cast<int>(ui.m_nIndex));
    if (id == 0) continue;  // separator
    bool autoDisable = m_bAutoMenuEnable;
    ui.m_hSubMenu = nullptr;
    if (id == static_cast<UINT>(-1)) {
      // A pop-up item follows its sub-menu's first command, never auto-disabled.
      HMENU sub = ::GetSubMenu(popup, static_cast<int>(ui.m_nIndex));
      id = sub ? ::GetMenuItemID(sub, 0) : 0;
      if (id == 0 || id == static_cast<UINT>(-1)) continue;
      ui.m_hSubMenu = sub;
      autoDisable = false;
    } else if (id >= 0xF000) {
      autoDisable = false;  // system commands and the MDI window list
    }
    ui.m_nID = id;
    ui.DoUpdate(this, autoDisable);
  }
}

void CFrameWnd::OnMenuSelect(UINT item, UINT flags, HMENU menu) {
  if (flags == 0xFFFF && !menu)
    m_nIDTracking = IDS_CLX_READY;  // the menu closed
  else if (flags & (MF_SEPARATOR | MF_POPUP))
    m_nIDTracking = 0;
  else if (item >= AFX_IDM_FIRST_MDICHILD)
    m_nIDTracking = IDS_CLX_MDI_CHILD;
  else
    m_nIDTracking = item;
  SendMessage(WM_SETMESSAGESTRING, m_nIDTracking, reinterpret_cast<LPARAM>(""));
  Default();
}

LRESULT CFrameWnd::OnSetMessageString(WPARAM id, LPARAM text) {
  UINT old = m_nIDLastMessage;
  CString prompt = id ? PromptOf(static_cast<UINT>(id)) : CString(reinterpret_cast<const char*>(text));
  if (auto* bar = dynamic_cast<CStatusBar*>(GetMessageBar())) bar->SetPaneText(bar->CommandToIndex(0), prompt);
  m_nIDLastMessage = static_cast<UINT>(id);
  return old;
}

bool CFrameWnd::OnToolTipText(UINT, NMHDR* nm, LRESULT* result) {
  auto* info = reinterpret_cast<NMTTDISPINFOA*>(nm);
  UINT id = static_cast<UINT>(nm->idFrom);
  if (info->uFlags & TTF_IDISHWND) id = static_cast<UINT>(::GetDlgCtrlID(reinterpret_cast<HWND>(nm->idFrom)));
  if (id == 0) return false;
  // The tip is the part of the command's string after its prompt.
  CString text = clx::LoadStr(id);
  int start = text.Find('\n');
  CString tip = start >= 0 ? text.Mid(start + 1) : CString();
  ::lstrcpynA(info->szText, tip, static_cast<int>(sizeof info->szText));
  info->lpszText = info->szText;
  *result = 0;
  return true;
}

LRESULT CFrameWnd::OnIdleUpdateCmdUI(WPARAM, LPARAM) {
  if (m_bTitlePending) {
    m_bTitlePending = false;
    OnUpdateFrameTitle(TRUE);
  }
  return 0;
}

void CFrameWnd::OnSetFocus(CWindow) {
  Default();  // an MDI child activates itself here
  if (m_pViewActive && m_pViewActive->m_hWnd) m_pViewActive->SetFocus();
}

// ---------------------------------------------------------------- modal state

namespace {
struct OwnedWindows {
  HWND owner;
  std::vector<HWND>* out;
};

BOOL CALLBACK CollectOwnedEnabled(HWND h, LPARAM l) {
  auto* owned = reinterpret_cast<OwnedWindows*>(l);
  if (h != owned->owner && ::GetWindow(h, GW_OWNER) == owned->owner && ::IsWindowEnabled(h) &&
      CWnd::FromHandlePermanent(h))
    owned->out->push_back(h);
  return TRUE;
}
}  // namespace

void CFrameWnd::BeginModalState() {
  std::vector<HWND> found;
  OwnedWindows owned{m_hWnd, &found};
  ::EnumThreadWindows(::GetCurrentThreadId(), &CollectOwnedEnabled, reinterpret_cast<LPARAM>(&owned));
  for (HWND h : found) {
    ::EnableWindow(h, FALSE);
    m_modalDisabled.push_back(h);
  }
}

void CFrameWnd::EndModalState() {
  std::vector<HWND> disabled;
  disabled.swap(m_modalDisabled);
  for (HWND h : disabled)
    if (::IsWindow(h)) ::EnableWindow(h, TRUE);
}

void CFrameWnd::OnEnable(BOOL enable) {
  Default();
  if (GetStyle() & WS_CHILD) return;
  if (enable)
    EndModalState();
  else
    BeginModalState();
}

// ---------------------------------------------------------------- help mode

DWORD CFrameWnd::HelpIdAt(POINT screen) {
  HWND hit = ::WindowFromPoint(screen);
  if (!hit || ::GetWindowThreadProcessId(hit, nullptr) != ::GetCurrentThreadId()) return 0;
  LRESULT area = ::SendMessageA(hit, WM_NCHITTEST, 0, MAKELPARAM(screen.x, screen.y));
  if (area != HTCLIENT) return area > 0 ? HID_BASE_NCAREAS + static_cast<DWORD>(area) : 0;
  for (HWND h = hit; h; h = ::GetParent(h)) {
    POINT client = screen;
    ::ScreenToClient(h, &client);
    if (LRESULT id = ::SendMessageA(h, WM_HELPHITTEST, 0, MAKELPARAM(client.x, client.y)))
      return static_cast<DWORD>(id);
  }
  return 0;
}

void CFrameWnd::OnContextHelp() {
  if (m_bHelpMode) return;
  HCURSOR helpCursor = ::LoadCursorA(nullptr, MAKEINTRESOURCEA(32651) /* IDC_HELP */);
  m_bHelpMode = true;
  SetCapture();
  ::SetCursor(helpCursor);
  DWORD helpId = 0;
  bool clicked = false;
  HWND self = m_hWnd;
  while (m_bHelpMode && !clicked) {
    MSG msg;
    if (!::GetMessageA(&msg, nullptr, 0, 0)) {
      ::PostQuitMessage(static_cast<int>(msg.wParam));
      break;
    }
    switch (msg.message) {
      case WM_LBUTTONDOWN:
      case WM_RBUTTONDOWN: {
        POINT at{static_cast<short>(LOWORD(msg.lParam)), static_cast<short>(HIWORD(msg.lParam))};
        ::ClientToScreen(msg.hwnd, &at);
        helpId = HelpIdAt(at);
        clicked = true;
        break;
      }
      case WM_NCLBUTTONDOWN:
      case WM_NCRBUTTONDOWN:
        helpId = HelpIdAt(POINT{static_cast<short>(LOWORD(msg.lParam)), static_cast<short>(HIWORD(msg.lParam))});
        clicked = true;
        break;
      case WM_KEYDOWN:
        if (msg.wParam == VK_ESCAPE) {
          m_bHelpMode = false;
          break;
        }
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
        break;
      case WM_CANCELMODE:
        m_bHelpMode = false;
        break;
      case WM_MOUSEMOVE:
      case WM_NCMOUSEMOVE:
      case WM_SETCURSOR:
        ::SetCursor(helpCursor);
        break;
      case WM_LBUTTONUP:
      case WM_RBUTTONUP:
      case WM_LBUTTONDBLCLK:
        break;  // the click that ends the mode is the button going down
      default:
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
        break;
    }
    if (!::IsWindow(self)) return;
  }
  ExitHelpMode();
  if (helpId)
    if (CWinApp* app = AfxGetApp()) app->WinHelp(helpId, HELP_CONTEXT);
}

void CFrameWnd::ExitHelpMode() {
  if (!m_bHelpMode && ::GetCapture() != m_hWnd) return;
  m_bHelpMode = false;
  if (::GetCapture() == m_hWnd) ::ReleaseCapture();
}

LRESULT CFrameWnd::OnExitHelpMode(WPARAM, LPARAM) {
  ExitHelpMode();
  return 0;
}

// A menu command picked in help mode asks for its help instead of running.
BOOL CFrameWnd::OnCommand(WPARAM w, LPARAM l) {
  if (m_bHelpMode && l == 0 && LOWORD(w) != ID_CONTEXT_HELP) {
    DWORD helpId = HID_BASE_COMMAND + LOWORD(w);
    ExitHelpMode();
    if (!SendMessage(WM_COMMANDHELP, 0, static_cast<LPARAM>(helpId)))
      if (CWinApp* app = AfxGetApp()) app->WinHelp(helpId, HELP_CONTEXT);
    return TRUE;
  }
  return CWnd::OnCommand(w, l);
}

// F1 asks here: the command of the menu item being tracked, if any.
LRESULT CFrameWnd::OnCommandHelp(WPARAM, LPARAM helpId) {
  if (helpId == 0 && m_nIDTracking != 0 && m_nIDTracking != IDS_CLX_READY)
    helpId = HID_BASE_COMMAND + static_cast<LPARAM>(m_nIDTracking);
  if (helpId == 0) return FALSE;
  if (CWinApp* app = AfxGetApp()) app->WinHelp(static_cast<DWORD_PTR>(helpId), HELP_CONTEXT);
  return TRUE;
}

// ---------------------------------------------------------------- activation of a frame family

namespace {
HWND FamilyRoot(HWND h) {
  for (HWND owner = ::GetWindow(h, GW_OWNER); owner; owner = ::GetWindow(h, GW_OWNER)) h = owner;
  return h;
}

bool IsFamilyFrame(HWND h, HWND root) {
  CWnd* w = CWnd::FromHandlePermanent(h);
  CFrameWnd* frame = w ? w->AsFrameWnd() : nullptr;
  return frame && frame->SyncsFamilyActivation() && !(::GetWindowLongPtrA(h, GWL_STYLE) & WS_CHILD) &&
         FamilyRoot(h) == root;
}

struct Family {
  HWND root;
  HWND self;
  std::vector<HWND> members;
};

BOOL CALLBACK CollectFamily(HWND h, LPARAM l) {
  auto* family = reinterpret_cast<Family*>(l);
  if (h != family->self && ::IsWindowVisible(h) && IsFamilyFrame(h, family->root)) family->members.push_back(h);
  return TRUE;
}
}  // namespace

void CFrameWnd::NotifyFloatingFamily(BOOL active) {
  Family family{FamilyRoot(m_hWnd), m_hWnd, {}};
  ::EnumThreadWindows(::GetCurrentThreadId(), &CollectFamily, reinterpret_cast<LPARAM>(&family));
  for (HWND h : family.members) ::SendMessageA(h, WM_NCACTIVATE, active, 0);
}

void CFrameWnd::OnActivate(UINT state, CWindow other, BOOL) {
  Default();
  if (GetStyle() & WS_CHILD) return;
  if (state != WA_INACTIVE) {
    NotifyFloatingFamily(TRUE);
  } else if (other.m_hWnd && IsFamilyFrame(other, FamilyRoot(m_hWnd))) {
    SendMessage(WM_NCACTIVATE, TRUE);  // activation stays in the family: keep looking active
  } else {
    NotifyFloatingFamily(FALSE);
  }
}

// ---------------------------------------------------------------- closing, dropped files

void CFrameWnd::OnClose() {
  CWinApp* app = AfxGetApp();
  HWND self = m_hWnd;
  CDocument* doc = GetActiveDocument();
  if (doc && !doc->CanCloseFrame(this)) return;
  if (app && app->m_pMainWnd == this) {
    if (!app->SaveAllModified()) return;
    app->CloseAllDocuments(FALSE);
    if (!::IsWindow(self)) return;  // the last document took this frame with it
    DestroyWindow();                // the main window going ends the loop
    return;
  }
  if (doc && doc->m_bAutoDelete) {
    // The document's last frame: closing it closes the document.
    bool otherFrame = false;
    for (POSITION pos = doc->GetFirstViewPosition(); pos;)
      if (doc->GetNextView(pos)->GetParentFrame() != this) otherFrame = true;
    if (!otherFrame) {
      doc->PreCloseFrame(this);
      doc->OnCloseDocument();
      return;
    }
  }
  DestroyWindow();
}

void CFrameWnd::OnDropFiles(HDROP drop) {
  ::SetActiveWindow(GetTopLevelParent());
  UINT count = ::DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0);
  CWinApp* app = AfxGetApp();
  for (UINT i = 0; i < count; ++i) {
    char path[MAX_PATH] = "";
    ::DragQueryFileA(drop, i, path, MAX_PATH);
    if (app) app->OpenDocumentFile(path);
  }
  ::DragFinish(drop);
}
