#include "clx/app.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>
#include <string>

#include "clx/docmanager.h"
#include "clx/frame.h"
#include "clx/messages.h"
#include "clx/recentfiles.h"
#include "clx/msgmap.h"
#include "clx/resource.h"
#include "clx/wnd.h"
#include "thread_state.h"

IMPLEMENT_DYNAMIC(CWinApp, CWinThread)

BEGIN_MESSAGE_MAP(CWinApp, CWinThread)
  ON_COMMAND(ID_HELP, OnHelp)
END_MESSAGE_MAP()

namespace {
CWinApp* g_app = nullptr;
clx::MessageBoxHandler g_messageBoxHandler;

char* Dup(const char* s) { return s ? _strdup(s) : nullptr; }
void Free(const char*& s) {
  std::free(const_cast<char*>(s));
  s = nullptr;
}
}  // namespace

CWinApp::CWinApp(const char* appName) {
  g_app = this;
  m_bAutoDelete = false;
  m_pszAppName = Dup(appName);
  clx::State().thread = this;  // constructed on the main thread, before WinMain
}

CWinApp::~CWinApp() {
  Free(m_pszAppName);
  Free(m_pszExeName);
  Free(m_pszHelpFilePath);
  Free(m_pszRegistryKey);
  Free(m_pszProfileName);
  if (m_hDlgBkBrush) ::DeleteObject(m_hDlgBkBrush);
  delete m_pDocManager;
  delete m_pRecentFileList;
  if (m_hDevMode) ::GlobalFree(m_hDevMode);
  if (m_hDevNames) ::GlobalFree(m_hDevNames);
  if (clx::State().thread == this) clx::State().thread = nullptr;
  if (g_app == this) g_app = nullptr;
  m_hThread = nullptr;  // the pseudo handle of the main thread is not ours to close
}

CWinApp* AfxGetApp() { return g_app; }

CWnd* AfxGetMainWnd() {
  CWinThread* thread = AfxGetThread();
  if (thread && thread->m_pMainWnd) return thread->m_pMainWnd;
  return g_app ? g_app->m_pMainWnd : nullptr;
}

void AfxPostQuitMessage(int code) { ::PostQuitMessage(code); }

int CWinApp::Run() {
  // Nothing to run a loop for: the program ends as it would on WM_QUIT.
  if (!m_pMainWnd && AfxGetThread() == this) AfxPostQuitMessage(0);
  return CWinThread::Run();
}

int CWinApp::ExitInstance() {
  if (m_pRecentFileList) m_pRecentFileList->WriteList();
  return static_cast<int>(m_msgCur.wParam);
}

BOOL CWinApp::OnIdle(LONG count) { return CWinThread::OnIdle(count); }

// ---------------------------------------------------------------- registry

void CWinApp::SetRegistryKey(const char* key) {
  Free(m_pszRegistryKey);
  m_pszRegistryKey = Dup(key);
  Free(m_pszProfileName);
  m_pszProfileName = Dup(m_pszAppName);
}

static HKEY OpenSection(const CWinApp& app, const char* section, bool create) {
  if (!app.m_pszRegistryKey || !app.m_pszProfileName) return nullptr;
  std::string path = std::string("Software\\") + app.m_pszRegistryKey + "\\" + app.m_pszProfileName + "\\" + section;
  HKEY key = nullptr;
  LONG r = create ? ::RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr,
                                      &key, nullptr)
                  : ::RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key);
  return r == ERROR_SUCCESS ? key : nullptr;
}

UINT CWinApp::GetProfileInt(const char* section, const char* entry, int defaultValue) {
  HKEY key = OpenSection(*this, section, false);
  if (!key) return static_cast<UINT>(defaultValue);
  DWORD value = 0, type = 0, size = sizeof value;
  LONG r = ::RegQueryValueExA(key, entry, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size);
  ::RegCloseKey(key);
  return r == ERROR_SUCCESS && type == REG_DWORD && size == sizeof value ? value : static_cast<UINT>(defaultValue);
}

CString CWinApp::GetProfileString(const char* section, const char* entry, const char* defaultValue) {
  HKEY key = OpenSection(*this, section, false);
  if (!key) return defaultValue;
  DWORD type = 0, size = 0;
  CString out = defaultValue;
  if (::RegQueryValueExA(key, entry, nullptr, &type, nullptr, &size) == ERROR_SUCCESS && type == REG_SZ) {
    CString value;
    char* buf = value.GetBufferSetLength(static_cast<int>(size) + 1);
    if (::RegQueryValueExA(key, entry, nullptr, &type, reinterpret_cast<BYTE*>(buf), &size) == ERROR_SUCCESS) {
      buf[size] = 0;  // the stored string need not be terminated
      value.ReleaseBuffer();
      out = value;
    }
  }
  ::RegCloseKey(key);
  return out;
}

BOOL CWinApp::WriteProfileInt(const char* section, const char* entry, int value) {
  HKEY key = OpenSection(*this, section, true);
  if (!key) return FALSE;
  DWORD v = static_cast<DWORD>(value);
  LONG r = ::RegSetValueExA(key, entry, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&v), sizeof v);
  ::RegCloseKey(key);
  return r == ERROR_SUCCESS;
}

BOOL CWinApp::WriteProfileString(const char* section, const char* entry, const char* value) {
  HKEY key = OpenSection(*this, section, true);
  if (!key) return FALSE;
  LONG r;
  if (!entry) {
    ::RegCloseKey(key);
    std::string path = std::string("Software\\") + m_pszRegistryKey + "\\" + m_pszProfileName;
    HKEY parent = nullptr;
    r = ::RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_WRITE, &parent);
    if (r == ERROR_SUCCESS) {
      r = ::RegDeleteKeyA(parent, section);
      ::RegCloseKey(parent);
    }
    return r == ERROR_SUCCESS;
  }
  if (!value)
    r = ::RegDeleteValueA(key, entry);
  else
    r = ::RegSetValueExA(key, entry, 0, REG_SZ, reinterpret_cast<const BYTE*>(value),
                         static_cast<DWORD>(std::strlen(value) + 1));
  ::RegCloseKey(key);
  return r == ERROR_SUCCESS;
}

void CWinApp::SetDialogBkColor(COLORREF background, COLORREF text) {
  if (m_hDlgBkBrush) ::DeleteObject(m_hDlgBkBrush);
  m_hDlgBkBrush = ::CreateSolidBrush(background);
  m_crDlgTextClr = text;
}

// ---------------------------------------------------------------- wait cursor

void CWinApp::DoWaitCursor(int step) {
  m_nWaitCursorCount = std::max(0, m_nWaitCursorCount + step);
  if (m_nWaitCursorCount > 0) {
    ::SetCursor(::LoadCursorA(nullptr, MAKEINTRESOURCEA(32514) /* IDC_WAIT */));
  } else {
    // The window under the cursor chooses it again on the next WM_SETCURSOR.
    POINT p;
    ::GetCursorPos(&p);
    ::SetCursorPos(p.x, p.y);
  }
}

void CCmdTarget::BeginWaitCursor() { if (CWinApp* a = AfxGetApp()) a->DoWaitCursor(1); }
void CCmdTarget::EndWaitCursor() { if (CWinApp* a = AfxGetApp()) a->DoWaitCursor(-1); }
void CCmdTarget::RestoreWaitCursor() { if (CWinApp* a = AfxGetApp()) a->DoWaitCursor(0); }

CWaitCursor::CWaitCursor() { if (CWinApp* a = AfxGetApp()) a->DoWaitCursor(1); }
CWaitCursor::~CWaitCursor() { if (CWinApp* a = AfxGetApp()) a->DoWaitCursor(-1); }
void CWaitCursor::Restore() { if (CWinApp* a = AfxGetApp()) a->DoWaitCursor(0); }

// ---------------------------------------------------------------- message boxes

void clx::SetMessageBoxHandler(MessageBoxHandler handler) { g_messageBoxHandler = std::move(handler); }

namespace {
// Wine's message box template carries DS_NOIDLEMSG, so its loop would send the
// owner no WM_ENTERIDLE; clearing the bit at activation gives the owner its
// idle work during message boxes as on Windows.
thread_local HHOOK t_boxHook = nullptr;

LRESULT CALLBACK MessageBoxCbt(int code, WPARAM w, LPARAM l) {
  if (code == HCBT_ACTIVATE) {
    HWND h = reinterpret_cast<HWND>(w);
    char cls[16] = "";
    ::GetClassNameA(h, cls, sizeof cls);
    if (std::strcmp(cls, "#32770") == 0) {
      LONG_PTR style = ::GetWindowLongPtrA(h, GWL_STYLE);
      if (style & DS_NOIDLEMSG) ::SetWindowLongPtrA(h, GWL_STYLE, style & ~static_cast<LONG_PTR>(DS_NOIDLEMSG));
    }
  }
  return ::CallNextHookEx(t_boxHook, code, w, l);
}
}  // namespace

int CWinApp::DoMessageBox(const char* prompt, UINT type, UINT helpId) {
  // Owner: the active window's top level when it is ours, else the main
  // window; then the pop-up last active over it (a dialog already up).
  HWND owner = ::GetActiveWindow();
  if (owner) owner = CWindow(owner).GetTopLevelParent();
  if (!owner || ::GetWindowThreadProcessId(owner, nullptr) != ::GetCurrentThreadId()) {
    CWnd* main = AfxGetMainWnd();
    owner = main ? main->m_hWnd : nullptr;
  }
  if (owner) owner = ::GetLastActivePopup(owner);
  CString caption = m_pszAppName ? m_pszAppName : "";
  DWORD savedContext = m_dwPromptContext;
  if (helpId) m_dwPromptContext = HID_BASE_PROMPT + helpId;
  // The main frame's modeless windows (palettes) are disabled for the box's
  // life, as during any modal dialog; a frame already disabled by a modal
  // loop keeps the state that loop gave it.
  CWnd* main = AfxGetMainWnd();
  CFrameWnd* frame = main && main->m_hWnd ? main->AsFrameWnd() : nullptr;
  bool modalState = frame && !(frame->GetStyle() & WS_CHILD) && frame->IsWindowEnabled();
  if (modalState) frame->BeginModalState();
  int answer;
  if (g_messageBoxHandler) {
    answer = g_messageBoxHandler(owner, prompt, caption, type);
  } else {
    HHOOK previous = t_boxHook;
    t_boxHook = ::SetWindowsHookExA(WH_CBT, &MessageBoxCbt, nullptr, ::GetCurrentThreadId());
    answer = ::MessageBoxA(owner, prompt, caption, type);
    ::UnhookWindowsHookEx(t_boxHook);
    t_boxHook = previous;
  }
  if (modalState && frame == AfxGetMainWnd()) frame->EndModalState();
  m_dwPromptContext = savedContext;
  return answer;
}

void CWinApp::OnHelp() {
  if (m_dwPromptContext) {
    WinHelp(m_dwPromptContext);
    return;
  }
  for (HWND start : {::GetCapture(), ::GetFocus()})
    for (HWND h = start; h; h = ::GetParent(h))
      if (::SendMessageA(h, WM_COMMANDHELP, 0, 0)) return;
  if (CWnd* main = AfxGetMainWnd()) main->SendMessage(WM_COMMAND, ID_DEFAULT_HELP);
}

void CWinApp::WinHelp(DWORD_PTR data, UINT cmd) {
  if (CWnd* main = AfxGetMainWnd()) main->WinHelp(data, cmd);
}

int AfxMessageBox(const char* text, UINT type, UINT helpId) {
  if (CWinApp* app = AfxGetApp()) return app->DoMessageBox(text, type, helpId);
  return ::MessageBoxA(nullptr, text, "", type);
}

int AfxMessageBox(UINT textId, UINT type, UINT helpId) {
  CString text = clx::LoadStr(textId);
  if (helpId == UINT(-1)) helpId = textId;
  return AfxMessageBox(text, type, helpId);
}

// ---------------------------------------------------------------- window classes

const char* AfxRegisterWndClass(UINT style, HCURSOR cursor, HBRUSH background, HICON icon) {
  static std::mutex lock;
  static std::map<std::string, std::string> registered;  // name → stable storage for the returned pointer
  std::lock_guard<std::mutex> hold(lock);
  char name[96];
  std::snprintf(name, sizeof name, "Clx:%p:%x:%p:%p:%p", static_cast<void*>(AfxGetInstanceHandle()), style,
                static_cast<void*>(cursor), static_cast<void*>(background), static_cast<void*>(icon));
  auto it = registered.find(name);
  if (it != registered.end()) return it->second.c_str();
  WNDCLASSA wc{};
  wc.style = style;
  wc.lpfnWndProc = ::DefWindowProcA;
  wc.hInstance = AfxGetInstanceHandle();
  wc.hCursor = cursor;
  wc.hbrBackground = background;
  wc.hIcon = icon;
  wc.lpszClassName = name;
  WNDCLASSA existing{};
  if (!::GetClassInfoA(wc.hInstance, name, &existing) && !::RegisterClassA(&wc)) return nullptr;
  return registered.emplace(name, name).first->second.c_str();
}
