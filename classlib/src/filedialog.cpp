#include "clx/filedialog.h"

#include <exception>

#include "clx/docmanager.h"
#include "clx/resources.h"

IMPLEMENT_DYNAMIC(CFileDialog, CDialog)

namespace {
// Text after the last folder separator.
const char* NamePart(const char* path) {
  const char* name = path;
  for (const char* p = path; *p; ++p)
    if (*p == '\\' || *p == '/' || *p == ':') name = p + 1;
  return name;
}
}  // namespace

CFileDialog::CFileDialog(BOOL openFileDialog, const char* defExt, const char* fileName, DWORD flags,
                         const char* filter, CWnd* parent)
    : m_ofn{}, m_bOpenFileDialog(openFileDialog) {
  m_pParentWnd = parent;
  if (fileName) ::lstrcpynA(m_szFileName, fileName, static_cast<int>(sizeof m_szFileName));
  if (defExt) m_strDefExt = defExt;
  if (filter) {
    m_strFilter = filter;
    for (char& c : m_strFilter)
      if (c == '|') c = '\0';
    // The list ends with two NULs whether or not the text ended in "||".
    m_strFilter.push_back('\0');
  }
  m_ofn.lStructSize = sizeof m_ofn;
  m_ofn.lpstrFile = m_szFileName;
  m_ofn.nMaxFile = sizeof m_szFileName;
  m_ofn.lpstrFilter = filter ? m_strFilter.c_str() : nullptr;
  m_ofn.nFilterIndex = 1;
  m_ofn.lpstrDefExt = defExt ? m_strDefExt.c_str() : nullptr;
  m_ofn.Flags = flags | OFN_EXPLORER | OFN_ENABLEHOOK;
}

CFileDialog::~CFileDialog() = default;

INT_PTR CFileDialog::DoModal() {
  m_ofn.Flags |= OFN_EXPLORER | OFN_ENABLEHOOK;
  m_ofn.lpfnHook = &HookProc;
  m_ofn.lCustData = reinterpret_cast<LPARAM>(this);
  if ((m_ofn.Flags & OFN_ENABLETEMPLATE) && !m_ofn.hInstance) m_ofn.hInstance = AfxGetResourceHandle();
  // The system dialog disables its owner itself; an owning frame then puts its palettes in the modal state.
  m_ofn.hwndOwner = clx::GetSafeOwner(m_pParentWnd ? m_pParentWnd->m_hWnd : nullptr);
  BOOL ok = m_bOpenFileDialog ? ::GetOpenFileNameA(&m_ofn) : ::GetSaveFileNameA(&m_ofn);
  // The hook dialog is gone with the system dialog; nothing may stay attached to a dead handle.
  if (m_hWnd) UnsubclassWindow();
  return ok ? IDOK : IDCANCEL;
}

UINT_PTR CALLBACK CFileDialog::HookProc(HWND h, UINT msg, WPARAM, LPARAM l) {
  if (msg != WM_INITDIALOG) return 0;
  auto* ofn = reinterpret_cast<OPENFILENAMEA*>(l);
  auto* self = ofn ? reinterpret_cast<CFileDialog*>(ofn->lCustData) : nullptr;
  if (!self) return TRUE;
  try {
    // From here on the hook dialog's messages reach our map first.
    if (self->SubclassWindow(h)) return self->OnInitDialog();
  } catch (const std::exception& e) {
    clx::ReportUnhandled(e.what());
  } catch (...) {
    clx::ReportUnhandled("unknown exception");
  }
  return TRUE;
}

LRESULT CFileDialog::WindowProc(UINT msg, WPARAM w, LPARAM l) {
  if (msg == WM_NOTIFY) {
    auto* notify = reinterpret_cast<OFNOTIFYA*>(l);
    LRESULT result = 0;
    bool handled = true;
    switch (notify->hdr.code) {
      case CDN_INITDONE:
        OnInitDone();
        break;
      case CDN_SELCHANGE:
        OnFileNameChange();
        break;
      case CDN_FOLDERCHANGE:
        OnFolderChange();
        break;
      case CDN_TYPECHANGE:
        if (notify->lpOFN) m_ofn.nFilterIndex = notify->lpOFN->nFilterIndex;
        OnTypeChange();
        break;
      case CDN_FILEOK:
        result = OnFileNameOK() ? 1 : 0;
        break;
      default:
        handled = false;
        break;
    }
    if (handled) {
      // Written last: a notification sent from inside the handler (a type
      // change) would have overwritten an answer stored before it.
      ::SetWindowLongPtrA(m_hWnd, DWLP_MSGRESULT, result);
      return result;
    }
  }
  return CDialog::WindowProc(msg, w, l);
}

// ---------------------------------------------------------------- the chosen file

CString CFileDialog::GetPathName() const {
  if (m_hWnd) return GetFilePath();
  return m_ofn.lpstrFile ? CString(m_ofn.lpstrFile) : CString();
}

CString CFileDialog::GetFileName() const {
  CString path = GetPathName();
  return CString(NamePart(path));
}

CString CFileDialog::GetFileExt() const {
  CString name = GetFileName();
  int dot = name.ReverseFind('.');
  return dot < 0 ? CString() : name.Mid(dot + 1);
}

CString CFileDialog::GetFileTitle() const {
  CString name = GetFileName();
  int dot = name.ReverseFind('.');
  return dot < 0 ? name : name.Left(dot);
}

CString CFileDialog::GetFolderPath() const {
  if (m_hWnd) return AskSystemDialog(CDM_GETFOLDERPATH);
  CString path = GetPathName();
  int cut = static_cast<int>(NamePart(path) - static_cast<const char*>(path));
  // "C:\" keeps its separator; "C:\dir\x" gives "C:\dir".
  if (cut > 1 && path[cut - 1] == '\\' && path[cut - 2] != ':') --cut;
  return path.Left(cut);
}

// ---------------------------------------------------------------- the system dialog

CString CFileDialog::AskSystemDialog(UINT msg) const {
  CWindow dialog = GetParent();
  if (!m_hWnd || !dialog.m_hWnd) return CString();
  LRESULT needed = dialog.SendMessage(msg, 0, 0);
  if (needed <= 0) return CString();
  CString out;
  char* buf = out.GetBufferSetLength(static_cast<int>(needed) + 1);
  LRESULT got = dialog.SendMessage(msg, static_cast<WPARAM>(needed + 1), reinterpret_cast<LPARAM>(buf));
  buf[needed] = '\0';
  out.ReleaseBuffer(got > 0 ? -1 : 0);
  return out;
}

CString CFileDialog::GetFilePath() const { return AskSystemDialog(CDM_GETFILEPATH); }

void CFileDialog::SetControlText(int id, const char* text) const {
  GetParent().SendMessage(CDM_SETCONTROLTEXT, static_cast<WPARAM>(id), reinterpret_cast<LPARAM>(text));
}

void CFileDialog::HideControl(int id) const { GetParent().SendMessage(CDM_HIDECONTROL, static_cast<WPARAM>(id)); }

int CFileDialog::FileNameControlId() const { return clx::FileNameControlId(GetParent()); }

void CFileDialog::SubmitPattern(const char* pattern) const {
  CWindow dialog = GetParent();
  int id = FileNameControlId();
  CString saved = dialog.GetDlgItemText(id);
  dialog.SetDlgItemText(id, pattern);
  dialog.SendMessage(WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(dialog.GetDlgItem(IDOK).m_hWnd));
  dialog.SetDlgItemText(id, saved);
}
