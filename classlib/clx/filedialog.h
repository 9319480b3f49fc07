#pragma once
// CFileDialog: the system's explorer-style open or save dialog, always with
// our hook. The object is attached to the hook's child dialog (the child
// template's dialog, or an empty one), so the template's controls have a
// message map; GetParent() is the system dialog itself. The system dialog's
// notifications arrive at the virtuals below.
#include <string>

#include "clx/dialog.h"

#include <commdlg.h>

class CFileDialog : public CDialog {
  DECLARE_DYNAMIC(CFileDialog)
public:
  // `filter`: "Description|*.ext|...||", every '|' becomes a NUL.
  explicit CFileDialog(BOOL openFileDialog, const char* defExt = nullptr, const char* fileName = nullptr,
                       DWORD flags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, const char* filter = nullptr,
                       CWnd* parent = nullptr);
  ~CFileDialog() override;

  // Filled by the constructor; the program may change any field before DoModal
  // (lpstrInitialDir, lpstrTitle, lpTemplateName, its own lpstrFile buffer ...).
  OPENFILENAMEA m_ofn;

  // IDOK with a name chosen, else IDCANCEL.
  INT_PTR DoModal() override;

  // The chosen file, after DoModal (while the dialog is up: the current choice).
  CString GetPathName() const;
  CString GetFileName() const;   // "name.ext"
  CString GetFileExt() const;    // "ext", no dot
  CString GetFileTitle() const;  // "name"
  // The folder the dialog shows while it is up; afterwards, the chosen file's folder.
  CString GetFolderPath() const;

  // ---- the system dialog, while it is up
  void SetControlText(int id, const char* text) const;
  void HideControl(int id) const;
  CString GetFilePath() const;  // the path the dialog would return now
  // The file-name control: 1148 (a combo box, as under Wine) where it exists, else 1152.
  int FileNameControlId() const;
  // Moves the dialog by submitting `pattern` ("C:\folder\*.icm") as if typed
  // into the file-name field and confirmed; the field's text is kept.
  void SubmitPattern(const char* pattern) const;

protected:
  BOOL m_bOpenFileDialog;

  // The notifications of the system dialog. OnFileNameOK answers true to
  // refuse the name (the dialog stays open); the layer stores the answer
  // for the system after the handler returns, so nothing sent meanwhile
  // overwrites it.
  virtual void OnInitDone() {}
  virtual bool OnFileNameOK() { return false; }
  virtual void OnFileNameChange() {}
  virtual void OnFolderChange() {}
  // m_ofn.nFilterIndex holds the new type (1-based).
  virtual void OnTypeChange() {}

  LRESULT WindowProc(UINT msg, WPARAM w, LPARAM l) override;

private:
  static UINT_PTR CALLBACK HookProc(HWND h, UINT msg, WPARAM w, LPARAM l);
  CString AskSystemDialog(UINT msg) const;

  std::string m_strFilter;
  std::string m_strDefExt;
  char m_szFileName[1024] = "";
};
