#pragma once
// CWinApp: the program's one application object (a global), the main
// thread's CWinThread. WinMain (classlib/src/winmain.cpp) drives it.
#include <functional>

#include "clx/resources.h"
#include "clx/msgmap.h"
#include "clx/position.h"
#include "clx/thread.h"

class CDocManager;
class CDocTemplate;
class CDocument;
class CRecentFileList;

class CWinApp : public CWinThread {
  DECLARE_DYNAMIC(CWinApp)
public:
  explicit CWinApp(const char* appName = nullptr);
  ~CWinApp() override;

  HINSTANCE m_hInstance = nullptr;
  char* m_lpCmdLine = nullptr;
  int m_nCmdShow = SW_SHOWNORMAL;
  // Strings the application owns (malloc'ed; the program may replace them with its own strdup copies).
  const char* m_pszAppName = nullptr;       // string 57344 unless given
  const char* m_pszExeName = nullptr;
  const char* m_pszHelpFilePath = nullptr;  // <module folder>\<exe name>.hlp unless changed
  const char* m_pszRegistryKey = nullptr;
  const char* m_pszProfileName = nullptr;
  DWORD m_dwPromptContext = 0;  // help context of the message box on screen
  int m_nWaitCursorCount = 0;

  // Called by WinMain; false ends the program.
  virtual BOOL InitApplication() { return TRUE; }
  int Run() override;
  int ExitInstance() override;
  BOOL OnIdle(LONG count) override;

  // Settings under HKCU\Software\<key>\<app name>\<section>.
  void SetRegistryKey(const char* key);
  UINT GetProfileInt(const char* section, const char* entry, int defaultValue);
  CString GetProfileString(const char* section, const char* entry, const char* defaultValue = nullptr);
  BOOL WriteProfileInt(const char* section, const char* entry, int value);
  BOOL WriteProfileString(const char* section, const char* entry, const char* value);

  // Dialog colours answered to WM_CTLCOLORDLG/STATIC/BTN of the layer's dialogs.
  void SetDialogBkColor(COLORREF background = RGB(192, 192, 192), COLORREF text = RGB(0, 0, 0));
  HBRUSH m_hDlgBkBrush = nullptr;
  COLORREF m_crDlgTextClr = CLR_INVALID;
  BOOL Enable3dControls() { return TRUE; }  // the look is the system's own

  // Every message box of the program goes through here: owned by the pop-up
  // last active over the active (else the main) window, titled with the
  // application's name, the prompt context (HID_BASE_PROMPT + help id) and
  // the main frame's modal state held while it is up. No icon is added.
  virtual int DoMessageBox(const char* prompt, UINT type, UINT helpId);
  virtual void WinHelp(DWORD_PTR data, UINT cmd = HELP_CONTEXT);
  void DoWaitCursor(int step);  // +1 begin, -1 end, 0 restore

  // ID_HELP (F1): the prompt context of a message box on screen; else
  // WM_COMMANDHELP up from the capture window, then up from the focus window,
  // until one answers TRUE; else ID_DEFAULT_HELP to the main window.
  void OnHelp();

  CWnd* GetMainWnd() override { return m_pMainWnd; }

  // ---- documents (the application owns the manager, its templates and the recent-file list)
  CDocManager* m_pDocManager = nullptr;
  CRecentFileList* m_pRecentFileList = nullptr;
  // Made on the first call unless the program installed its own manager first.
  virtual void AddDocTemplate(CDocTemplate* tmpl);
  POSITION GetFirstDocTemplatePosition() const;
  CDocTemplate* GetNextDocTemplate(POSITION& pos) const;
  // Opens `path` as a document (or activates it when already open); null on failure.
  virtual CDocument* OpenDocumentFile(const char* path);
  // Asks every modified document to save; false when the user cancels.
  virtual BOOL SaveAllModified();
  virtual void CloseAllDocuments(BOOL endSession);
  int GetOpenDocumentCount() const;
  // The recent-file list of `maxMRU` entries in the profile ("Recent File List", "File%d").
  void LoadStdProfileSettings(UINT maxMRU = 4);
  virtual void AddToRecentFileList(const char* path);
  // Files arrive by command line and WM_COPYDATA, never by DDE.
  void EnableShellOpen() {}
  void RegisterShellFileTypes(BOOL = FALSE) {}

  // Command handlers for the program's map: File New (first template), File
  // Open (the manager's prompt), Print Setup, Exit, and the recent files
  // (a file that no longer opens leaves the list).
  void OnFileNew();
  void OnFileOpen();
  void OnFilePrintSetup();
  void OnAppExit();
  bool OnOpenRecentFile(UINT id);
  void OnUpdateRecentFileMenu(CCmdUI* ui);
  HGLOBAL m_hDevMode = nullptr;   // the printer chosen in Print Setup
  HGLOBAL m_hDevNames = nullptr;

  DECLARE_MESSAGE_MAP()
};

CWinApp* AfxGetApp();
// The calling thread's main window, else the application's.
CWnd* AfxGetMainWnd();
void AfxPostQuitMessage(int code);
// Registers (once) a class with DefWindowProcA as its procedure and returns
// its name, which is derived from the arguments.
const char* AfxRegisterWndClass(UINT style, HCURSOR cursor = nullptr, HBRUSH background = nullptr,
                                HICON icon = nullptr);
int AfxMessageBox(const char* text, UINT type = MB_OK, UINT helpId = 0);
int AfxMessageBox(UINT textId, UINT type = MB_OK, UINT helpId = UINT(-1));

namespace clx {
// Test seam: replaces the MessageBoxA call of CWinApp::DoMessageBox.
using MessageBoxHandler = std::function<int(HWND owner, const char* text, const char* caption, UINT type)>;
void SetMessageBoxHandler(MessageBoxHandler handler);
}  // namespace clx
