#include "clx/dialog.h"

#include <exception>

#include "clx/app.h"
#include "clx/messages.h"
#include "clx/resources.h"

IMPLEMENT_DYNAMIC(CDialog, CWnd)

BEGIN_MESSAGE_MAP(CDialog, CWnd)
  ON_COMMAND(IDOK, OnOK)
  ON_COMMAND(IDCANCEL, OnCancel)
  ON_WM_CTLCOLOR()
  ON_MESSAGE(WM_COMMANDHELP, OnCommandHelp)
  ON_MESSAGE(WM_HELPHITTEST, OnHelpHitTest)
END_MESSAGE_MAP()

CDialog::CDialog(UINT templateId, CWnd* parent) : m_pParentWnd(parent), m_nIDTemplate(templateId) {}

CDialog::~CDialog() = default;

BOOL CDialog::InitModalIndirect(const DLGTEMPLATE* tmpl, CWnd* parent) {
  m_lpDialogTemplate = tmpl;
  m_nIDTemplate = 0;
  if (parent) m_pParentWnd = parent;
  return tmpl != nullptr;
}

// The system's dialog procedure calls this one only for what it leaves to
// the application; every other message reached our map through the
// subclassed window procedure already.
INT_PTR CALLBACK CDialog::DialogProc(HWND h, UINT msg, WPARAM, LPARAM) {
  if (msg != WM_INITDIALOG) return FALSE;
  auto* dlg = dynamic_cast<CDialog*>(CWnd::FromHandlePermanent(h));
  if (!dlg) return TRUE;
  try {
    return dlg->OnInitDialog();
  } catch (const std::exception& e) {
    clx::ReportUnhandled(e.what());
  } catch (...) {
    clx::ReportUnhandled("unknown exception");
  }
  return TRUE;
}

HWND CDialog::CreateFrom(const DLGTEMPLATE* tmpl, UINT templateId, HWND parent) {
  HWND h;
  bool attached;
  {
    clx::CreationScope scope(this);
    if (tmpl)
      h = ::CreateDialogIndirectParamA(AfxGetResourceHandle(), tmpl, parent, &DialogProc, 0);
    else
      h = ::CreateDialogParamA(AfxGetResourceHandle(), MAKEINTRESOURCEA(templateId), parent, &DialogProc, 0);
    attached = scope.Consumed();
  }
  // Never made (a bad template): PostNcDestroy as for any window that failed.
  if (!attached) PostNcDestroy();
  return h;
}

BOOL CDialog::Create(UINT templateId, CWnd* parent) {
  if (parent) m_pParentWnd = parent;
  m_nIDTemplate = templateId;
  return CreateFrom(nullptr, templateId, m_pParentWnd ? m_pParentWnd->m_hWnd : nullptr) != nullptr;
}

BOOL CDialog::CreateIndirect(const DLGTEMPLATE* tmpl, CWnd* parent) {
  if (parent) m_pParentWnd = parent;
  if (!tmpl) return FALSE;
  return CreateFrom(tmpl, 0, m_pParentWnd ? m_pParentWnd->m_hWnd : nullptr) != nullptr;
}

INT_PTR CDialog::DoModal() {
  if (!m_lpDialogTemplate && !m_nIDTemplate) return -1;
  HWND owner = clx::GetSafeOwner(m_pParentWnd ? m_pParentWnd->m_hWnd : nullptr);
  // Disabled before the dialog exists, so the frame's modal state never
  // counts the dialog among the windows it disables.
  bool ownerWasEnabled = owner && ::IsWindowEnabled(owner);
  if (ownerWasEnabled) ::EnableWindow(owner, FALSE);
  m_bInDoModal = true;
  m_bEndedEarly = false;
  int result = -1;
  if (CreateFrom(m_lpDialogTemplate, m_nIDTemplate, owner)) {
    if (m_bEndedEarly) {
      result = m_nEarlyResult;
    } else {
      ShowWindow(SW_SHOWNORMAL);
      result = RunModalLoop();
    }
  }
  m_bInDoModal = false;
  // The owner comes back before the dialog goes, so the activation returns to it.
  if (ownerWasEnabled) ::EnableWindow(owner, TRUE);
  if (m_hWnd) {
    if (owner && ::GetActiveWindow() == m_hWnd) ::SetActiveWindow(owner);
    ::SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0,
                   SWP_HIDEWINDOW | SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE | SWP_NOZORDER);
    DestroyWindow();
  }
  return result;
}

void CDialog::EndDialog(int result) {
  if (m_bInDoModal) {
    if (IsInModalLoop()) {
      EndModalLoop(result);
    } else {
      // Ended while it was being made (WM_CREATE, WM_INITDIALOG): no loop runs.
      m_bEndedEarly = true;
      m_nEarlyResult = result;
    }
    return;
  }
  if (m_hWnd) ::EndDialog(m_hWnd, result);
}

BOOL CDialog::PreTranslateMessage(MSG* msg) {
  if (msg->message < WM_KEYFIRST || msg->message > WM_KEYLAST || !m_hWnd) return FALSE;
  if (msg->hwnd != m_hWnd && !::IsChild(m_hWnd, msg->hwnd)) return FALSE;
  if ((GetStyle() & WS_CHILD) && (GetExStyle() & WS_EX_CONTROLPARENT)) {
    // The host dialog's own IsDialogMessage steps into and out of this page.
    for (HWND h = ::GetParent(m_hWnd); h; h = ::GetParent(h))
      if (dynamic_cast<CDialog*>(FromHandlePermanent(h))) return FALSE;
  }
  return ::IsDialogMessageA(m_hWnd, msg);
}

HBRUSH CDialog::OnCtlColor(CDC* dc, CWindow, UINT type) {
  CWinApp* app = AfxGetApp();
  if (app && app->m_hDlgBkBrush && (type == CTLCOLOR_DLG || type == CTLCOLOR_STATIC || type == CTLCOLOR_BTN)) {
    LOGBRUSH lb{};
    ::GetObjectA(app->m_hDlgBkBrush, sizeof lb, &lb);
    ::SetBkColor(dc->m_hDC, lb.lbColor);
    if (app->m_crDlgTextClr != CLR_INVALID) ::SetTextColor(dc->m_hDC, app->m_crDlgTextClr);
    return app->m_hDlgBkBrush;
  }
  return reinterpret_cast<HBRUSH>(Default());
}

// F1 reaches the dialog through WM_COMMANDHELP; a dialog with a help id shows its topic.
LRESULT CDialog::OnCommandHelp(WPARAM, LPARAM helpId) {
  if (helpId == 0) {
    if (m_nIDHelp == 0) return FALSE;
    helpId = HID_BASE_RESOURCE + m_nIDHelp;
  }
  WinHelp(static_cast<DWORD_PTR>(helpId));
  return TRUE;
}

LRESULT CDialog::OnHelpHitTest(WPARAM, LPARAM) { return m_nIDHelp ? HID_BASE_RESOURCE + m_nIDHelp : 0; }

// ---------------------------------------------------------------- owner

HWND clx::GetSafeOwner(HWND parent) {
  if (parent && ::IsWindow(parent)) return CWindow(parent).GetTopLevelParent();
  CWnd* main = AfxGetMainWnd();
  HWND top = main && main->m_hWnd ? main->m_hWnd : nullptr;
  if (!top) return nullptr;
  top = CWindow(top).GetTopLevelParent();
  HWND popup = ::GetLastActivePopup(top);
  return popup && ::IsWindowVisible(popup) ? popup : top;
}

// ---------------------------------------------------------------- templates

clx::DialogTemplate::DialogTemplate(DWORD style, DWORD exStyle, short x, short y, short cx, short cy,
                                    const char* title) {
  m_words.resize(sizeof(DLGTEMPLATE) / sizeof(WORD), 0);
  auto* d = reinterpret_cast<DLGTEMPLATE*>(m_words.data());
  d->style = style;
  d->dwExtendedStyle = exStyle;
  d->cdit = 0;
  d->x = x;
  d->y = y;
  d->cx = cx;
  d->cy = cy;
  m_words.push_back(0);  // no menu
  m_words.push_back(0);  // the dialog class
  AddString(title ? title : "");
  m_fontAt = m_words.size();
}

void clx::DialogTemplate::AddString(const char* text) {
  int n = ::MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
  size_t at = m_words.size();
  m_words.resize(at + static_cast<size_t>(n > 0 ? n : 1), 0);
  if (n > 0) ::MultiByteToWideChar(CP_ACP, 0, text, -1, reinterpret_cast<wchar_t*>(&m_words[at]), n);
}

void clx::DialogTemplate::AlignToDword() {
  if (m_words.size() % 2) m_words.push_back(0);
}

void clx::DialogTemplate::SetFont(WORD points, const char* face) {
  reinterpret_cast<DLGTEMPLATE*>(m_words.data())->style |= DS_SETFONT;
  std::vector<WORD> tail(m_words.begin() + static_cast<std::ptrdiff_t>(m_fontAt), m_words.end());
  m_words.resize(m_fontAt);
  m_words.push_back(points);
  AddString(face);
  m_words.insert(m_words.end(), tail.begin(), tail.end());
}

void clx::DialogTemplate::AddControl(const char* className, const char* text, DWORD style, short x, short y,
                                     short cx, short cy, WORD id, DWORD exStyle) {
  static const struct {
    const char* name;
    WORD atom;
  } kAtoms[] = {{"BUTTON", 0x80}, {"EDIT", 0x81}, {"STATIC", 0x82}, {"LISTBOX", 0x83}, {"SCROLLBAR", 0x84},
                {"COMBOBOX", 0x85}};
  AlignToDword();
  size_t at = m_words.size();
  m_words.resize(at + sizeof(DLGITEMTEMPLATE) / sizeof(WORD), 0);
  auto* item = reinterpret_cast<DLGITEMTEMPLATE*>(&m_words[at]);
  item->style = style;
  item->dwExtendedStyle = exStyle;
  item->x = x;
  item->y = y;
  item->cx = cx;
  item->cy = cy;
  item->id = id;
  WORD atom = 0;
  for (const auto& a : kAtoms)
    if (::lstrcmpiA(className, a.name) == 0) atom = a.atom;
  if (atom) {
    m_words.push_back(0xFFFF);
    m_words.push_back(atom);
  } else {
    AddString(className);
  }
  AddString(text ? text : "");
  m_words.push_back(0);  // no creation data
  ++reinterpret_cast<DLGTEMPLATE*>(m_words.data())->cdit;
}
