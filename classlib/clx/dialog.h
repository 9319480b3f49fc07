#pragma once
// CDialog: a dialog window (#32770) attached to its object from its first
// message. Templates come from the resources or from memory (the program
// builds most of its dialogs' controls in code, in WM_CREATE). A modal run
// disables the owner and pumps through the thread's own loop, so the
// PreTranslate walk, IsDialogMessage and idle work all happen as in the main
// loop. Modeless dialogs, also child pages (WS_CHILD templates), are made with
// Create/CreateIndirect. Dialogs never delete themselves.
#include <cstdint>
#include <vector>

#include "clx/wnd.h"

class CDialog : public CWnd {
  DECLARE_DYNAMIC(CDialog)
public:
  CDialog() = default;
  explicit CDialog(UINT templateId, CWnd* parent = nullptr);
  ~CDialog() override;

  // ---- modal: the template is the resource given to the constructor, or
  // one in memory that stays the caller's and must outlive DoModal.
  BOOL InitModalIndirect(const DLGTEMPLATE* tmpl, CWnd* parent = nullptr);
  // The end code; -1 when the dialog could not be made.
  virtual INT_PTR DoModal();
  // Modal: leaves the loop with `result`; modeless: ::EndDialog (hides it).
  void EndDialog(int result);

  // ---- modeless, also as a child page of another window (WS_CHILD template).
  BOOL Create(UINT templateId, CWnd* parent = nullptr);
  BOOL CreateIndirect(const DLGTEMPLATE* tmpl, CWnd* parent = nullptr);

  // WM_INITDIALOG; TRUE lets the system put the focus on the first tab stop.
  virtual BOOL OnInitDialog() { return TRUE; }
  // IDOK / IDCANCEL (Enter, Escape, the buttons, the close box).
  virtual void OnOK() { EndDialog(IDOK); }
  virtual void OnCancel() { EndDialog(IDCANCEL); }

  // Keys to the dialog or its controls go through IsDialogMessage. A child
  // page that is part of its host's tab order (WS_EX_CONTROLPARENT) leaves
  // them to the host dialog.
  BOOL PreTranslateMessage(MSG* msg) override;

  // ---- focus and controls
  void NextDlgCtrl() const { SendMessage(WM_NEXTDLGCTL, 0, FALSE); }
  void PrevDlgCtrl() const { SendMessage(WM_NEXTDLGCTL, 1, FALSE); }
  void GotoDlgCtrl(HWND control) const { SendMessage(WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(control), TRUE); }
  void SetDefID(UINT id) const { SendMessage(DM_SETDEFID, id); }
  DWORD GetDefID() const { return static_cast<DWORD>(SendMessage(DM_GETDEFID)); }
  void CheckRadioButton(int first, int last, int checked) const { ::CheckRadioButton(m_hWnd, first, last, checked); }
  // Dialog units to pixels in the dialog's font.
  void MapDialogRect(RECT* r) const { ::MapDialogRect(m_hWnd, r); }

  UINT m_nIDHelp = 0;  // help id of the dialog: its topic is HID_BASE_RESOURCE + id
  CWnd* m_pParentWnd = nullptr;

protected:
  UINT m_nIDTemplate = 0;
  const DLGTEMPLATE* m_lpDialogTemplate = nullptr;

  // The application's dialog colours (CWinApp::SetDialogBkColor) for the
  // dialog, its statics and buttons; otherwise the system's.
  HBRUSH OnCtlColor(CDC* dc, CWindow control, UINT type);
  LRESULT OnCommandHelp(WPARAM, LPARAM helpId);
  LRESULT OnHelpHitTest(WPARAM, LPARAM);
  DECLARE_MESSAGE_MAP()

private:
  static INT_PTR CALLBACK DialogProc(HWND h, UINT msg, WPARAM w, LPARAM l);
  HWND CreateFrom(const DLGTEMPLATE* tmpl, UINT templateId, HWND parent);

  bool m_bInDoModal = false;
  bool m_bEndedEarly = false;  // EndDialog before the modal loop started
  int m_nEarlyResult = -1;
};

namespace clx {

// The window that owns a modal dialog or box: the top-level window of
// `parent`; with no parent, the main window's last active pop-up (the
// dialog already on top of it, if any).
HWND GetSafeOwner(HWND parent);

// Builds a dialog template in memory: the standard (not extended) header,
// no menu, the default class, a title, optionally a font (DS_SETFONT), then
// controls. Items are aligned on DWORDs as the system requires.
class DialogTemplate {
public:
  DialogTemplate(DWORD style, DWORD exStyle, short x, short y, short cx, short cy, const char* title = "");
  // Adds DS_SETFONT and the font; call before adding controls.
  void SetFont(WORD points, const char* face);
  // `className`: "BUTTON", "EDIT", "STATIC", "LISTBOX", "SCROLLBAR",
  // "COMBOBOX" (the system's atoms) or any registered class name.
  void AddControl(const char* className, const char* text, DWORD style, short x, short y, short cx, short cy,
                  WORD id, DWORD exStyle = 0);
  const DLGTEMPLATE* Get() const { return reinterpret_cast<const DLGTEMPLATE*>(m_words.data()); }
  size_t SizeInBytes() const { return m_words.size() * sizeof(WORD); }

private:
  void AddString(const char* text);
  void AlignToDword();
  std::vector<WORD> m_words;
  size_t m_fontAt = 0;  // where the font goes (after the title)
};

}  // namespace clx
