// The system's file dialog driven through CFileDialog's virtuals, in a
// folder of the test prefix; and the shell's folder browser.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "clx/filedialog.h"
#include "clx/folderbrowser.h"
#include "testing/gui_test.h"

namespace {

// A folder under the prefix's temporary folder with a few files, gone afterwards.
class ScratchFolder {
public:
  explicit ScratchFolder(const char* name) {
    char temp[MAX_PATH] = "";
    ::GetTempPathA(MAX_PATH, temp);
    char longTemp[MAX_PATH] = "";
    ::GetLongPathNameA(temp, longTemp, MAX_PATH);
    m_path = std::string(longTemp) + name;
    ::CreateDirectoryA(m_path.c_str(), nullptr);
  }
  ~ScratchFolder() {
    for (auto it = m_made.rbegin(); it != m_made.rend(); ++it)
      if (!::DeleteFileA(it->c_str())) ::RemoveDirectoryA(it->c_str());
    ::RemoveDirectoryA(m_path.c_str());
  }
  std::string Add(const std::string& relative, bool folder = false) {
    std::string full = m_path + "\\" + relative;
    if (folder) {
      ::CreateDirectoryA(full.c_str(), nullptr);
    } else if (FILE* f = std::fopen(full.c_str(), "wb")) {
      std::fputs("data", f);
      std::fclose(f);
    }
    m_made.push_back(full);
    return full;
  }
  const std::string& Path() const { return m_path; }

private:
  std::string m_path;
  std::vector<std::string> m_made;
};

// Each notification runs the next step of the script; a runaway script is
// cancelled rather than left waiting for a user.
class ScriptedFileDialog : public CFileDialog {
public:
  using CFileDialog::CFileDialog;
  std::function<void(ScriptedFileDialog&)> onInitDone, onFolderChange, onTypeChange;
  std::function<bool(ScriptedFileDialog&)> onFileNameOK;
  std::vector<std::string> events;

  CWindow System() const { return GetParent(); }
  void Confirm(const char* name) const {
    SetControlText(FileNameControlId(), name);
    System().PostMessage(WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
  }

protected:
  void Record(const char* what) {
    events.emplace_back(what);
    if (events.size() > 40) System().PostMessage(WM_COMMAND, IDCANCEL);
  }
  void OnInitDone() override {
    Record("init");
    if (onInitDone) onInitDone(*this);
  }
  void OnFolderChange() override {
    Record("folder");
    if (onFolderChange) onFolderChange(*this);
  }
  void OnTypeChange() override {
    Record("type");
    if (onTypeChange) onTypeChange(*this);
  }
  bool OnFileNameOK() override {
    Record("ok?");
    return onFileNameOK ? onFileNameOK(*this) : false;
  }
};

TEST_F(GuiTest, FileDialogScriptNameRefusalTypeChangeHiddenControlsAndPattern) {
  ScratchFolder folder("clx_file_dialog");
  folder.Add("a.icm");
  folder.Add("notes.txt");
  std::string sub = folder.Add("profiles", true);
  std::string wanted = folder.Add("profiles\\c.icm");

  ScriptedFileDialog dlg(TRUE, "icm", nullptr, OFN_FILEMUSTEXIST | OFN_HIDEREADONLY,
                         "ICC Profiles (*.icm)|*.icm|Text (*.txt)|*.txt||");
  dlg.m_ofn.lpstrInitialDir = folder.Path().c_str();
  int nameControl = 0;
  bool labelHidden = false;
  std::string folderAfterPattern, nameTextAfterPattern, pathAtFirstOk;
  int refusals = 0;
  DWORD typeInsideOk = 0;
  dlg.onInitDone = [&](ScriptedFileDialog& d) {
    nameControl = d.FileNameControlId();
    d.HideControl(1090);  // the file-name label
    labelHidden = !d.System().GetDlgItem(1090).IsWindowVisible();
    d.SetControlText(nameControl, "kept.icm");
    d.SubmitPattern((sub + "\\*.icm").c_str());
    folderAfterPattern = d.GetFolderPath().str();
    nameTextAfterPattern = d.System().GetDlgItemText(nameControl).str();
    d.Confirm("c.icm");
  };
  dlg.onFileNameOK = [&](ScriptedFileDialog& d) {
    if (refusals++ > 0) return false;
    pathAtFirstOk = d.GetFilePath().str();
    // A type change sent from inside the check: its own result must not replace the refusal.
    CWindow types = d.System().GetDlgItem(1136);
    types.SendMessage(CB_SETCURSEL, 1);
    d.System().SendMessage(WM_COMMAND, MAKEWPARAM(1136, CBN_SELENDOK), reinterpret_cast<LPARAM>(types.m_hWnd));
    typeInsideOk = d.m_ofn.nFilterIndex;
    d.Confirm("c.icm");
    return true;
  };
  ASSERT_EQ(dlg.DoModal(), IDOK);
  EXPECT_EQ(nameControl, 1148) << "Wine's explorer dialog names files in a combo box";
  EXPECT_TRUE(labelHidden);
  EXPECT_EQ(CString(folderAfterPattern.c_str()).CompareNoCase(sub.c_str()), 0);
  EXPECT_EQ(nameTextAfterPattern, "kept.icm") << "the pattern leaves the typed name as it was";
  EXPECT_EQ(refusals, 2) << "the refused name kept the dialog open";
  EXPECT_EQ(CString(pathAtFirstOk.c_str()).CompareNoCase(wanted.c_str()), 0);
  EXPECT_EQ(typeInsideOk, 2u) << testing::PrintToString(dlg.events);
  EXPECT_EQ(dlg.GetPathName().CompareNoCase(wanted.c_str()), 0);
  EXPECT_EQ(dlg.GetFileName(), "c.icm");
  EXPECT_EQ(dlg.GetFileExt(), "icm");
  EXPECT_EQ(dlg.GetFileTitle(), "c");
  EXPECT_EQ(dlg.GetFolderPath().CompareNoCase(sub.c_str()), 0);
  EXPECT_EQ(dlg.m_hWnd, nullptr);
  EXPECT_NE(std::find(dlg.events.begin(), dlg.events.end(), "folder"), dlg.events.end());
}

TEST_F(GuiTest, CancelledFileDialogReturnsCancel) {
  ScriptedFileDialog dlg(FALSE, nullptr, "c:\\untouched.tif", OFN_HIDEREADONLY, "TIFF|*.tif||");
  dlg.onInitDone = [](ScriptedFileDialog& d) { d.System().PostMessage(WM_COMMAND, IDCANCEL); };
  EXPECT_EQ(dlg.DoModal(), IDCANCEL);
  EXPECT_EQ(std::count(dlg.events.begin(), dlg.events.end(), "ok?"), 0);
}

// ---------------------------------------------------------------- folder browser

// Reads the browser's title line when it is activated and answers it once its
// modal loop first runs idle: the start folder is selected by then (answered
// at activation, a busy machine could see the answer before the selection).
class BrowserScript {
public:
  explicit BrowserScript(int answer) : m_answer(answer) {
    s_self = this;
    m_cbt = ::SetWindowsHookExA(WH_CBT, &Activated, nullptr, ::GetCurrentThreadId());
    m_sent = ::SetWindowsHookExA(WH_CALLWNDPROC, &Sent, nullptr, ::GetCurrentThreadId());
  }
  ~BrowserScript() {
    ::UnhookWindowsHookEx(m_sent);
    ::UnhookWindowsHookEx(m_cbt);
    s_self = nullptr;
  }
  int shown = 0;
  HWND owner = nullptr;
  std::vector<std::string> texts;

private:
  static BOOL CALLBACK CollectText(HWND h, LPARAM l) {
    auto* self = reinterpret_cast<BrowserScript*>(l);
    if (CWindow(h).GetClassName().CompareNoCase("Static") == 0) self->texts.push_back(CWindow(h).GetWindowText().str());
    return TRUE;
  }
  static LRESULT CALLBACK Activated(int code, WPARAM w, LPARAM l) {
    BrowserScript* self = s_self;
    HWND h = reinterpret_cast<HWND>(w);
    // A dialog counts once however often the desktop activates it again.
    if (code == HCBT_ACTIVATE && self && CWindow(h).GetClassName() == "#32770" && h != self->m_browser &&
        self->shown++ == 0) {
      self->m_browser = h;
      self->owner = ::GetWindow(h, GW_OWNER);
      ::EnumChildWindows(h, &CollectText, reinterpret_cast<LPARAM>(self));
    }
    return ::CallNextHookEx(self ? self->m_cbt : nullptr, code, w, l);
  }
  static LRESULT CALLBACK Sent(int code, WPARAM w, LPARAM l) {
    BrowserScript* self = s_self;
    const auto* sent = reinterpret_cast<const CWPSTRUCT*>(l);
    if (code == HC_ACTION && self && self->m_browser && !self->m_answered && sent->message == WM_ENTERIDLE &&
        sent->wParam == MSGF_DIALOGBOX && reinterpret_cast<HWND>(sent->lParam) == self->m_browser) {
      self->m_answered = true;
      ::PostMessageA(self->m_browser, WM_COMMAND, MAKEWPARAM(self->m_answer, BN_CLICKED), 0);
    }
    return ::CallNextHookEx(self ? self->m_sent : nullptr, code, w, l);
  }
  static inline BrowserScript* s_self = nullptr;
  int m_answer;
  HWND m_browser = nullptr;
  bool m_answered = false;
  HHOOK m_cbt = nullptr;
  HHOOK m_sent = nullptr;
};

TEST_F(GuiTest, FolderBrowserStartsAtTheGivenFolderAndReturnsIt) {
  ScratchFolder folder("clx_browse");
  std::string start = folder.Add("thumbnails", true);
  CWnd owner;
  ASSERT_TRUE(owner.CreateEx(0, nullptr, "owner", WS_POPUP | WS_VISIBLE, 0, 0, 300, 200, nullptr, nullptr));
  CString chosen = "unchanged";
  {
    BrowserScript script(IDOK);
    ASSERT_TRUE(clx::BrowseForFolder(owner, "Select a folder to hold thumbnail data:", start.c_str(), chosen));
    EXPECT_EQ(script.owner, owner.m_hWnd);
    EXPECT_NE(std::find(script.texts.begin(), script.texts.end(), "Select a folder to hold thumbnail data:"),
              script.texts.end());
  }
  EXPECT_EQ(chosen.CompareNoCase(start.c_str()), 0) << chosen.str() << " for " << start;
  {
    BrowserScript script(IDCANCEL);
    CString untouched = "unchanged";
    EXPECT_FALSE(clx::BrowseForFolder(owner, "Cancel me", start.c_str(), untouched));
    EXPECT_EQ(untouched, "unchanged");
    EXPECT_EQ(script.shown, 1);
  }
  owner.DestroyWindow();
}

}  // namespace
