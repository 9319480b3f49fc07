// Dialogs: in-memory and resource templates, the modal loop, modeless
// dialogs, child pages and their keys, dialog colours and help ids.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "clx/controls.h"
#include "clx/dialog.h"
#include "clx/help.h"
#include "clx/messages.h"
#include "testing/gui_test.h"
#include "tests/dialog_ids.h"

namespace {

struct MainWindowScope {
  explicit MainWindowScope(CWnd* w) { AfxGetApp()->m_pMainWnd = w; }
  ~MainWindowScope() { AfxGetApp()->m_pMainWnd = nullptr; }
};

// The window that owns the dialogs; counts the modal loops' idle calls.
class Owner : public CWnd {
public:
  std::vector<HWND> idleFrom;  // lParam of each WM_ENTERIDLE(MSGF_DIALOGBOX)

protected:
  void OnEnterIdle(UINT why, CWindow from) {
    if (why == MSGF_DIALOGBOX) idleFrom.push_back(from);
  }
  DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(Owner, CWnd)
  ON_WM_ENTERIDLE()
END_MESSAGE_MAP()

// The header the program's dialogs use: pop-up, caption, modal frame, no controls.
constexpr DWORD kPopupDialog = 0x80C00080;
constexpr DWORD kChildPage = 0x4A000000;

// Controls made in WM_CREATE; the window then takes the client size they need.
class BuiltDialog : public CDialog {
  DECLARE_DYNAMIC(BuiltDialog)
public:
  CEdit edit;
  CButton ok;
  int failCreate = 0;
  int endInInit = 0;   // EndDialog from OnInitDialog with this code
  bool endOnKick = false;
  int endCode = 0;
  std::vector<std::string> order;
  CString textAtOk;

  BOOL OnInitDialog() override {
    order.push_back("init");
    if (endInInit) EndDialog(endInInit);
    return TRUE;
  }
  void OnOK() override {
    textAtOk = edit.GetWindowText();
    CDialog::OnOK();
  }

protected:
  int OnCreate(CREATESTRUCT*) {
    order.push_back("create");
    if (failCreate) return -1;
    if (!edit.Create(WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_BORDER, CRect(8, 8, 150, 30), this, 1000)) return -1;
    if (!ok.Create("OK", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, CRect(8, 60, 90, 84), this, IDOK))
      return -1;
    CRect window = GetWindowRect(), client = GetClientRect();
    int wantW = 200, wantH = 100;
    SetWindowPos(nullptr, 0, 0, window.Width() + wantW - client.Width(), window.Height() + wantH - client.Height(),
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    return 0;
  }
  LRESULT OnKickIdle(WPARAM, LPARAM count) {
    if (endOnKick && count == 0) EndDialog(endCode);
    return FALSE;
  }
  DECLARE_MESSAGE_MAP()
};
IMPLEMENT_DYNAMIC(BuiltDialog, CDialog)
BEGIN_MESSAGE_MAP(BuiltDialog, CDialog)
  ON_WM_CREATE()
  ON_MESSAGE(WM_KICKIDLE, OnKickIdle)
END_MESSAGE_MAP()

TEST_F(GuiTest, InMemoryDialogBuildsItsControlsInCreateResizesAndEndsWithEnter) {
  Owner owner;
  ASSERT_TRUE(owner.CreateEx(0, nullptr, "owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 400, 300, nullptr, nullptr));
  MainWindowScope main(&owner);
  clx::DialogTemplate tmpl(kPopupDialog, 0, 0, 0, 50, 50);
  EXPECT_EQ(tmpl.SizeInBytes(), 24u);
  BuiltDialog dlg;
  dlg.InitModalIndirect(tmpl.Get());
  bool ownerEnabled = true;
  ModalScript script([&](BuiltDialog& d) {
    ownerEnabled = owner.IsWindowEnabled() != FALSE;
    EXPECT_TRUE(d.IsWindowVisible());
    EXPECT_EQ(d.GetClientRect().Size(), CSize(200, 100));
    EXPECT_EQ(d.GetWindow(GW_OWNER).m_hWnd, owner.m_hWnd);
    d.edit.SetFocus();
    TypeText(d.edit, "42");
    PressKey(d.edit, VK_RETURN);
  });
  EXPECT_EQ(dlg.DoModal(), IDOK);
  EXPECT_FALSE(ownerEnabled) << "the owner is disabled while the dialog runs";
  EXPECT_TRUE(owner.IsWindowEnabled());
  EXPECT_EQ(dlg.order, (std::vector<std::string>{"create", "init"}));
  EXPECT_EQ(dlg.textAtOk, "42");
  EXPECT_EQ(dlg.m_hWnd, nullptr) << "the window is gone when DoModal returns";
  owner.DestroyWindow();
}

TEST_F(GuiTest, ModalLoopIdlesTheOwnerAndReturnsTheEndCode) {
  Owner owner;
  ASSERT_TRUE(owner.CreateEx(0, nullptr, "owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 400, 300, nullptr, nullptr));
  clx::DialogTemplate tmpl(kPopupDialog, 0, 0, 0, 50, 50);
  HWND dialogWindow = nullptr;
  BuiltDialog dlg;
  dlg.m_pParentWnd = &owner;
  dlg.InitModalIndirect(tmpl.Get());
  ModalScript script([&](BuiltDialog& d) {
    dialogWindow = d.m_hWnd;
    d.endOnKick = true;  // ends at the next idle moment, after the owner's WM_ENTERIDLE
    d.endCode = 42;
  });
  EXPECT_EQ(dlg.DoModal(), 42);
  ASSERT_FALSE(owner.idleFrom.empty());
  EXPECT_EQ(owner.idleFrom[0], dialogWindow);
  EXPECT_TRUE(owner.IsWindowEnabled());
  owner.DestroyWindow();
}

// Dialogs that end, or fail, before any loop runs: no modal loop may start
// (the fixture fails an unexpected one) and the owner is enabled again.
TEST_F(GuiTest, DialogsThatEndOrFailWhileBeingMadeRunNoLoop) {
  Owner owner;
  ASSERT_TRUE(owner.CreateEx(0, nullptr, "owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 400, 300, nullptr, nullptr));
  clx::DialogTemplate tmpl(kPopupDialog, 0, 0, 0, 50, 50);
  struct Case {
    const char* what;
    int failCreate, endInInit;
    bool withTemplate;
    INT_PTR expected;
  } cases[] = {
      {"ended in OnInitDialog", 0, 7, true, 7},
      {"WM_CREATE refused", 1, 0, true, -1},
      {"no template", 0, 0, false, -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    BuiltDialog dlg;
    dlg.m_pParentWnd = &owner;
    dlg.failCreate = c.failCreate;
    dlg.endInInit = c.endInInit;
    if (c.withTemplate) dlg.InitModalIndirect(tmpl.Get());
    EXPECT_EQ(dlg.DoModal(), c.expected);
    EXPECT_TRUE(owner.IsWindowEnabled());
    EXPECT_EQ(dlg.m_hWnd, nullptr);
  }
  owner.DestroyWindow();
}

// A resource dialog run modeless: its controls through the helpers, its
// keys through the thread's PreTranslate walk.
TEST_F(GuiTest, ModelessResourceDialogHelpersAndEscape) {
  Owner owner;
  ASSERT_TRUE(owner.CreateEx(0, nullptr, "owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 400, 300, nullptr, nullptr));
  CDialog dlg;
  ASSERT_TRUE(dlg.Create(IDD_TEST_FORM, &owner));
  dlg.ShowWindow(SW_SHOW);
  ASSERT_TRUE(PumpUntilIdle());

  dlg.SetDlgItemInt(IDC_TEST_NUMBER, static_cast<UINT>(-12));
  BOOL ok = FALSE;
  EXPECT_EQ(static_cast<int>(dlg.GetDlgItemInt(IDC_TEST_NUMBER, &ok)), -12);
  EXPECT_TRUE(ok);
  dlg.SetDlgItemText(IDC_TEST_NUMBER, "x1");
  dlg.GetDlgItemInt(IDC_TEST_NUMBER, &ok);
  EXPECT_FALSE(ok);
  dlg.CheckDlgButton(IDC_TEST_CHECK, BST_CHECKED);
  EXPECT_EQ(dlg.IsDlgButtonChecked(IDC_TEST_CHECK), static_cast<UINT>(BST_CHECKED));

  // Dialog units scale with the template's font: the edit is 60 units wide.
  CRect units(0, 0, 60, 12);
  dlg.MapDialogRect(&units);
  EXPECT_EQ(units.Width(), dlg.GetDlgItem(IDC_TEST_NUMBER).GetWindowRect().Width());

  ASSERT_NE(Activate(dlg), 0);
  dlg.GotoDlgCtrl(dlg.GetDlgItem(IDC_TEST_NUMBER));
  EXPECT_EQ(CWindow::GetFocus().m_hWnd, dlg.GetDlgItem(IDC_TEST_NUMBER).m_hWnd);
  dlg.NextDlgCtrl();
  EXPECT_EQ(CWindow::GetFocus().m_hWnd, dlg.GetDlgItem(IDC_TEST_CHECK).m_hWnd);
  dlg.PrevDlgCtrl();
  EXPECT_EQ(CWindow::GetFocus().m_hWnd, dlg.GetDlgItem(IDC_TEST_NUMBER).m_hWnd);

  PressKey(dlg.GetDlgItem(IDC_TEST_NUMBER), VK_ESCAPE);
  EXPECT_FALSE(dlg.IsWindowVisible()) << "Escape cancels: a modeless dialog is hidden";
  dlg.DestroyWindow();
  owner.DestroyWindow();
}

// ---------------------------------------------------------------- child pages

// A page as the program makes them: an in-memory child template, controls
// built in WM_CREATE, Enter and Escape posted on to the parent.
class Page : public CDialog {
  DECLARE_DYNAMIC(Page)
public:
  CEdit first, last;
  int forwarded = 0;

  BOOL CreatePage(CWnd* parent, bool controlParent) {
    clx::DialogTemplate tmpl(kChildPage, 0, 0, 0, 50, 50);
    if (!CreateIndirect(tmpl.Get(), parent)) return FALSE;
    if (controlParent) ModifyStyleEx(0, WS_EX_CONTROLPARENT);
    EnableWindow(TRUE);
    SetWindowPos(nullptr, 10, 10, 180, 60, SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    return TRUE;
  }
  void OnOK() override { ForwardToParent(); }
  void OnCancel() override { ForwardToParent(); }

protected:
  void ForwardToParent() {
    ++forwarded;
    const MSG* m = GetCurrentMessage();
    GetParent().PostMessage(m->message, m->wParam, m->lParam);
  }
  int OnCreate(CREATESTRUCT*) {
    DWORD style = WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_BORDER;
    return first.Create(style, CRect(4, 4, 80, 24), this, 1100) && last.Create(style, CRect(4, 30, 80, 50), this, 1101)
               ? 0
               : -1;
  }
  DECLARE_MESSAGE_MAP()
};
IMPLEMENT_DYNAMIC(Page, CDialog)
BEGIN_MESSAGE_MAP(Page, CDialog)
  ON_WM_CREATE()
END_MESSAGE_MAP()

class HostDialog : public CDialog {
  DECLARE_DYNAMIC(HostDialog)
public:
  Page page;
  CButton ok, cancel;
  bool controlParent = false;

protected:
  int OnCreate(CREATESTRUCT*) {
    SetWindowPos(nullptr, 0, 0, 260, 200, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    DWORD style = WS_CHILD | WS_VISIBLE | WS_TABSTOP;
    if (!page.CreatePage(this, controlParent)) return -1;
    return ok.Create("OK", style | BS_DEFPUSHBUTTON, CRect(10, 120, 80, 144), this, IDOK) &&
                   cancel.Create("Cancel", style, CRect(90, 120, 160, 144), this, IDCANCEL)
               ? 0
               : -1;
  }
  DECLARE_MESSAGE_MAP()
};
IMPLEMENT_DYNAMIC(HostDialog, CDialog)
BEGIN_MESSAGE_MAP(HostDialog, CDialog)
  ON_WM_CREATE()
END_MESSAGE_MAP()

TEST_F(GuiTest, EnterAndEscapeInAPageEndTheHostingDialog) {
  Owner owner;
  ASSERT_TRUE(owner.CreateEx(0, nullptr, "owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 400, 300, nullptr, nullptr));
  MainWindowScope main(&owner);
  clx::DialogTemplate tmpl(kPopupDialog, 0, 0, 0, 50, 50);
  struct Case {
    UINT key;
    bool controlParent;
    INT_PTR expected;
  } cases[] = {
      {VK_RETURN, false, IDOK}, {VK_ESCAPE, false, IDCANCEL}, {VK_RETURN, true, IDOK}, {VK_ESCAPE, true, IDCANCEL}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "key " << c.key << (c.controlParent ? ", control parent" : ""));
    HostDialog host;
    host.controlParent = c.controlParent;
    host.InitModalIndirect(tmpl.Get());
    ModalScript script([&](HostDialog& d) {
      d.SetForegroundWindow();
      d.page.last.SetFocus();
      PressKey(d.page.last, c.key);
    });
    EXPECT_EQ(host.DoModal(), c.expected);
    // Without a place in the host's tab order the page takes the key and forwards it.
    EXPECT_EQ(host.page.forwarded, c.controlParent ? 0 : 1);
  }
  owner.DestroyWindow();
}

TEST_F(GuiTest, TabLeavesAPageOnlyWhenItIsPartOfTheHostsTabOrder) {
  Owner owner;
  ASSERT_TRUE(owner.CreateEx(0, nullptr, "owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 400, 300, nullptr, nullptr));
  MainWindowScope main(&owner);
  clx::DialogTemplate tmpl(kPopupDialog, 0, 0, 0, 50, 50);
  for (bool controlParent : {false, true}) {
    SCOPED_TRACE(controlParent ? "control parent" : "plain page");
    HostDialog host;
    host.controlParent = controlParent;
    host.InitModalIndirect(tmpl.Get());
    HWND after = nullptr, expected = nullptr;
    ModalScript script([&](HostDialog& d) {
      EXPECT_NE(Activate(d), 0);  // not ASSERT: the dialog must still end
      d.page.last.SetFocus();
      PressKey(d.page.last, VK_TAB);
      after = CWindow::GetFocus();
      expected = controlParent ? d.ok.m_hWnd : d.page.first.m_hWnd;
      d.EndDialog(IDCANCEL);
    });
    host.DoModal();
    EXPECT_EQ(after, expected);
  }
  owner.DestroyWindow();
}

// ---------------------------------------------------------------- templates, colours, help

TEST_F(GuiTest, TemplateControlsKeepTheirClassTextAndIdAfterAFont) {
  Owner owner;
  ASSERT_TRUE(owner.CreateEx(0, nullptr, "owner", WS_POPUP | WS_VISIBLE, 0, 0, 400, 300, nullptr, nullptr));
  clx::DialogTemplate tmpl(WS_POPUP | WS_CAPTION, 0, 0, 0, 120, 60, "Oddity");  // the font leaves the first item unaligned
  tmpl.SetFont(8, "MS Sans Serif");
  tmpl.AddControl("BUTTON", "Go", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 4, 4, 40, 14, 11);
  tmpl.AddControl("EDIT", "a", WS_CHILD | WS_VISIBLE | WS_BORDER, 4, 24, 40, 12, 12);
  tmpl.AddControl(TRACKBAR_CLASSA, "", WS_CHILD | WS_VISIBLE, 50, 4, 60, 14, 13);
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_BAR_CLASSES};
  ::InitCommonControlsEx(&icc);
  CDialog dlg;
  ASSERT_TRUE(dlg.CreateIndirect(tmpl.Get(), &owner));
  EXPECT_EQ(dlg.GetWindowText(), "Oddity");
  struct Expect {
    int id;
    const char* cls;
    const char* text;
  } expected[] = {{11, "Button", "Go"}, {12, "Edit", "a"}, {13, TRACKBAR_CLASSA, ""}};
  for (const Expect& e : expected) {
    SCOPED_TRACE(e.id);
    CWindow control = dlg.GetDlgItem(e.id);
    ASSERT_TRUE(control.m_hWnd);
    EXPECT_EQ(control.GetClassName().CompareNoCase(e.cls), 0);
    EXPECT_EQ(control.GetWindowText(), e.text);
  }
  dlg.DestroyWindow();
  owner.DestroyWindow();
}

TEST_F(GuiTest, DialogsPaintInTheApplicationsDialogColour) {
  CWinApp* app = AfxGetApp();
  app->SetDialogBkColor(RGB(10, 120, 30), RGB(1, 2, 3));
  Owner owner;
  ASSERT_TRUE(owner.CreateEx(0, nullptr, "owner", WS_POPUP | WS_VISIBLE, 0, 0, 400, 300, nullptr, nullptr));
  clx::DialogTemplate tmpl(WS_POPUP | WS_VISIBLE, 0, 0, 0, 80, 40);
  CDialog dlg;
  ASSERT_TRUE(dlg.CreateIndirect(tmpl.Get(), &owner));
  ASSERT_TRUE(PumpUntilIdle());
  clx::test::Image shot = clx::test::CaptureWindow(dlg);
  ASSERT_GT(shot.width, 4);
  EXPECT_EQ(shot.PixelAt(shot.width / 2, shot.height / 2), RGB(10, 120, 30));
  dlg.DestroyWindow();
  owner.DestroyWindow();
  ::DeleteObject(app->m_hDlgBkBrush);
  app->m_hDlgBkBrush = nullptr;
  app->m_crDlgTextClr = CLR_INVALID;
}

DWORD_PTR g_helpAsked = 0;
bool RecordWinHelp(HWND, const char*, UINT, DWORD_PTR data) {
  g_helpAsked = data;
  return true;
}

TEST_F(GuiTest, DialogHelpIdAnswersHitTestsAndCommandHelp) {
  Owner owner;
  ASSERT_TRUE(owner.CreateEx(0, nullptr, "owner", WS_POPUP | WS_VISIBLE, 0, 0, 400, 300, nullptr, nullptr));
  clx::SetHelpHandlers(nullptr, &RecordWinHelp);
  clx::DialogTemplate tmpl(WS_POPUP, 0, 0, 0, 80, 40);
  struct Case {
    UINT helpId;
    LRESULT hitTest, handled;
    DWORD_PTR asked;
  } cases[] = {{0, 0, FALSE, 0}, {77, HID_BASE_RESOURCE + 77, TRUE, HID_BASE_RESOURCE + 77}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.helpId);
    g_helpAsked = 0;
    CDialog dlg;
    dlg.m_nIDHelp = c.helpId;
    ASSERT_TRUE(dlg.CreateIndirect(tmpl.Get(), &owner));
    EXPECT_EQ(dlg.SendMessage(WM_HELPHITTEST, 0, MAKELPARAM(5, 5)), c.hitTest);
    EXPECT_EQ(dlg.SendMessage(WM_COMMANDHELP, 0, 0), c.handled);
    EXPECT_EQ(g_helpAsked, c.asked);
    dlg.DestroyWindow();
  }
  clx::SetHelpHandlers(nullptr, nullptr);
  owner.DestroyWindow();
}

}  // namespace
