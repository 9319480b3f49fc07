// Frames on their own: accelerators and the disabled-command rule, layout
// of bars and WM_SIZEPARENT children, menu command UI, status bar panes and
// prompts, and the modal state of owned windows.
#include <gtest/gtest.h>

#include "clx/frame.h"
#include "clx/help.h"
#include "clx/statusbar.h"
#include "clx/toolbar.h"
#include "testing/gui_test.h"
#include "tests/frame_support.h"

namespace {

class TestFrame : public CFrameWnd {
public:
  int opens = 0, saves = 0;
  bool docOpen = false;
  CToolBar bar;

protected:
  int OnCreate(CREATESTRUCT* cs) {
    if (CFrameWnd::OnCreate(cs) == -1) return -1;
    return bar.Create(this) && bar.LoadToolBar(IDR_TEST_FRAME) ? 0 : -1;
  }
  void OnFileOpen() {
    ++opens;
    docOpen = true;
  }
  void OnFileSave() { ++saves; }
  void OnUpdateFileSave(CCmdUI* ui) { ui->Enable(docOpen); }
  DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(TestFrame, CFrameWnd)
  ON_WM_CREATE()
  ON_COMMAND(ID_FILE_OPEN, OnFileOpen)
  ON_COMMAND(ID_FILE_SAVE, OnFileSave)
  ON_UPDATE_COMMAND_UI(ID_FILE_SAVE, OnUpdateFileSave)
END_MESSAGE_MAP()

TEST_F(GuiTest, DisabledCommandIsNotRunByItsAcceleratorAndToolbarFollowsIdleUpdate) {
  auto* f = new TestFrame;  // deletes itself after WM_NCDESTROY
  ASSERT_TRUE(f->LoadFrame(IDR_TEST_FRAME, WS_OVERLAPPEDWINDOW));
  f->ShowWindow(SW_SHOW);
  ASSERT_TRUE(PumpUntilIdle());  // idle pass 0 updates the bar
  EXPECT_FALSE(f->bar.GetToolBarCtrl().IsButtonEnabled(ID_FILE_SAVE));
  EXPECT_TRUE(f->bar.GetToolBarCtrl().IsButtonEnabled(ID_FILE_NEW));  // the application's handler counts
  EXPECT_TRUE(f->bar.GetToolBarCtrl().IsButtonEnabled(ID_FILE_OPEN));

  PressKey(*f, 'S', kCtrl);  // disabled: dropped
  PressKey(*f, 'O', kCtrl);
  ASSERT_TRUE(PumpUntilIdle());
  EXPECT_EQ(f->saves, 0);
  EXPECT_EQ(f->opens, 1);
  EXPECT_TRUE(f->bar.GetToolBarCtrl().IsButtonEnabled(ID_FILE_SAVE));

  PressKey(*f, 'S', kCtrl);
  EXPECT_EQ(f->saves, 1);
  EXPECT_EQ(f->GetWindowText(), "Frame Test");  // title from the string up to '\n'
  f->DestroyWindow();
}

// ---------------------------------------------------------------- layout

// A child that is no control bar but takes a strip on the left, as a section bar does.
class StripWnd : public CWnd {
protected:
  LRESULT OnSizeParent(WPARAM, LPARAM l) {
    auto* p = reinterpret_cast<clx::SizeParentParams*>(l);
    CRect r(p->rect.left, p->rect.top, p->rect.left + 30, p->rect.bottom);
    p->rect.left += 30;
    clx::PlaceInLayout(p, m_hWnd, r);
    return 0;
  }
  DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(StripWnd, CWnd)
  ON_MESSAGE(WM_SIZEPARENT, OnSizeParent)
END_MESSAGE_MAP()

class BarFrame : public CFrameWnd {
public:
  CToolBar tool;
  CStatusBar status;
  StripWnd strip;
  CWnd pane;

protected:
  int OnCreate(CREATESTRUCT* cs) {
    if (CFrameWnd::OnCreate(cs) == -1) return -1;
    static const UINT indicators[] = {ID_INDICATOR_TEST, 0};
    if (!tool.Create(this) || !tool.LoadToolBar(IDR_TEST_FRAME) || !status.Create(this) ||
        !status.SetIndicators(indicators, 2))
      return -1;
    if (!strip.Create(nullptr, nullptr, WS_VISIBLE, CRect(0, 0, 1, 1), this, 1234) ||
        !pane.Create(nullptr, nullptr, WS_VISIBLE, CRect(0, 0, 1, 1), this, AFX_IDW_PANE_FIRST))
      return -1;
    EnableDocking(CBRS_ALIGN_ANY);
    tool.EnableDocking(CBRS_ALIGN_ANY);
    DockControlBar(&tool);
    return 0;
  }
  DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(BarFrame, CFrameWnd)
  ON_WM_CREATE()
END_MESSAGE_MAP()

CRect ChildRect(const CWnd& parent, HWND child) {
  CRect r = CWindow(child).GetWindowRect();
  parent.ScreenToClient(&r);
  return r;
}

TEST_F(GuiTest, LayoutGivesBarsTheirSidesAndThePaneWhatIsLeft) {
  auto* f = new BarFrame;
  ASSERT_TRUE(f->LoadFrame(IDR_TEST_FRAME, WS_OVERLAPPEDWINDOW));
  f->SetWindowPos(nullptr, 0, 0, 500, 400, SWP_NOZORDER | SWP_SHOWWINDOW);
  ASSERT_TRUE(PumpUntilIdle());
  CRect client = f->GetClientRect();
  CRect tool = ChildRect(*f, f->tool), status = ChildRect(*f, f->status);
  CRect strip = ChildRect(*f, f->strip), pane = ChildRect(*f, f->pane);
  ASSERT_GT(tool.Height(), 15);
  ASSERT_GT(status.Height(), 10);
  EXPECT_EQ(tool, CRect(0, 0, client.right, tool.Height()));
  EXPECT_EQ(status, CRect(0, client.bottom - status.Height(), client.right, client.bottom));
  EXPECT_EQ(strip, CRect(0, tool.bottom, 30, status.top));
  EXPECT_EQ(pane, CRect(30, tool.bottom, client.right, status.top));

  // The View menu's toggle hides the tool bar, its check mark follows, the pane takes the room.
  clx::StateCmdUI check(ID_VIEW_TOOLBAR);
  f->OnCmdMsg(ID_VIEW_TOOLBAR, CN_UPDATE_COMMAND_UI, &check, nullptr);
  EXPECT_EQ(check.m_nCheck, 1);
  f->SendMessage(WM_COMMAND, ID_VIEW_TOOLBAR);
  EXPECT_FALSE(f->tool.IsWindowVisible());
  EXPECT_EQ(ChildRect(*f, f->pane).top, 0);
  f->OnCmdMsg(ID_VIEW_TOOLBAR, CN_UPDATE_COMMAND_UI, &check, nullptr);
  EXPECT_EQ(check.m_nCheck, 0);

  // Docked at the bottom, it sits below the status bar (it takes its room first).
  f->SendMessage(WM_COMMAND, ID_VIEW_TOOLBAR);
  f->DockControlBar(&f->tool, CBRS_ALIGN_BOTTOM);
  tool = ChildRect(*f, f->tool);
  EXPECT_EQ(tool.bottom, client.bottom);
  EXPECT_EQ(ChildRect(*f, f->status).bottom, tool.top);
  EXPECT_EQ(ChildRect(*f, f->pane).top, 0);

  // On the left its buttons stand in a column and the strip and pane move right.
  f->DockControlBar(&f->tool, CBRS_ALIGN_LEFT);
  tool = ChildRect(*f, f->tool);
  CRect firstButton, lastButton;
  f->tool.GetItemRect(0, &firstButton);
  f->tool.GetItemRect(f->tool.GetCount() - 1, &lastButton);
  EXPECT_EQ(tool.left, 0);
  EXPECT_LT(tool.Width(), 2 * firstButton.Width());
  EXPECT_GT(lastButton.top, firstButton.top);
  EXPECT_EQ(lastButton.left, firstButton.left);
  EXPECT_EQ(ChildRect(*f, f->strip).left, tool.right);
  EXPECT_EQ(ChildRect(*f, f->pane).left, tool.right + 30);
  f->DestroyWindow();
}

// ---------------------------------------------------------------- menus

class MenuFrame : public CFrameWnd {
public:
  bool docOpen = false;

protected:
  void OnFileOpen() {}
  void OnFileSave() {}
  void OnUpdateFileSave(CCmdUI* ui) { ui->Enable(docOpen); }
  void OnSettingsFirst() {}
  void OnUpdateSettingsFirst(CCmdUI* ui) { ui->Enable(FALSE); }
  DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(MenuFrame, CFrameWnd)
  ON_COMMAND(ID_FILE_OPEN, OnFileOpen)
  ON_COMMAND(ID_FILE_SAVE, OnFileSave)
  ON_UPDATE_COMMAND_UI(ID_FILE_SAVE, OnUpdateFileSave)
  ON_COMMAND(ID_TEST_SETTINGS_FIRST, OnSettingsFirst)
  ON_UPDATE_COMMAND_UI(ID_TEST_SETTINGS_FIRST, OnUpdateSettingsFirst)
END_MESSAGE_MAP()

bool Greyed(HMENU menu, UINT item, UINT by) { return (::GetMenuState(menu, item, by) & MF_GRAYED) != 0; }

TEST_F(GuiTest, MenuItemsWithoutHandlersAreGreyedAndPopupsFollowTheirFirstCommand) {
  auto* f = new MenuFrame;
  ASSERT_TRUE(f->LoadFrame(IDR_TEST_FRAME, WS_OVERLAPPEDWINDOW));
  HMENU file = ::GetSubMenu(f->GetMenu(), 0);
  const UINT settingsPos = 5, extrasPos = 6;
  struct Case {
    bool autoEnable;
    bool docOpen;
    bool newGreyed, openGreyed, saveGreyed, closeGreyed, settingsGreyed, extrasGreyed;
  } cases[] = {
      // Settings: its first command's update handler disables it, handler or not;
      // Extras: its first command has no handler at all, and pop-ups are never auto-disabled.
      // New has its handler in the application.
      {true, false, false, false, true, true, true, false},
      {true, true, false, false, false, true, true, false},
      {false, false, false, false, true, false, true, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "auto " << c.autoEnable << " doc " << c.docOpen);
    f->m_bAutoMenuEnable = c.autoEnable;
    f->docOpen = c.docOpen;
    for (UINT pos = 0; pos < 7; ++pos) ::EnableMenuItem(file, pos, MF_BYPOSITION | MF_ENABLED);
    f->SendMessage(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(file), MAKELPARAM(0, FALSE));
    EXPECT_EQ(Greyed(file, ID_FILE_NEW, MF_BYCOMMAND), c.newGreyed);
    EXPECT_EQ(Greyed(file, ID_FILE_OPEN, MF_BYCOMMAND), c.openGreyed);
    EXPECT_EQ(Greyed(file, ID_FILE_SAVE, MF_BYCOMMAND), c.saveGreyed);
    EXPECT_EQ(Greyed(file, ID_FILE_CLOSE, MF_BYCOMMAND), c.closeGreyed);
    EXPECT_EQ(Greyed(file, settingsPos, MF_BYPOSITION), c.settingsGreyed);
    EXPECT_EQ(Greyed(file, extrasPos, MF_BYPOSITION), c.extrasGreyed);
  }
  // The system menu is left alone.
  HMENU system = f->GetSystemMenu(FALSE);
  f->SendMessage(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(system), MAKELPARAM(0, TRUE));
  EXPECT_FALSE(Greyed(system, SC_CLOSE, MF_BYCOMMAND));
  f->DestroyWindow();
}

// ---------------------------------------------------------------- status bar

class StatusFrame : public CFrameWnd {
public:
  CStatusBar status;
  int drawn = 0;

protected:
  int OnCreate(CREATESTRUCT* cs) {
    if (CFrameWnd::OnCreate(cs) == -1) return -1;
    static const UINT indicators[] = {ID_INDICATOR_TEST, 0};
    if (!status.Create(this) || !status.SetIndicators(indicators, 2)) return -1;
    status.SetPaneInfo(0, ID_INDICATOR_TEST, SBPS_OWNERDRAW | SBPS_DISABLED, 24);
    return 0;
  }
  void OnDrawItem(int id, DRAWITEMSTRUCT* di) {
    if (id != AFX_IDW_STATUS_BAR) return;
    ++drawn;
    CBrush red(RGB(255, 0, 0));
    ::FillRect(di->hDC, &di->rcItem, red);
  }
  DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(StatusFrame, CFrameWnd)
  ON_WM_CREATE()
  ON_WM_DRAWITEM()
END_MESSAGE_MAP()

CString ControlPaneText(HWND bar, int index) {
  char text[256] = "";
  ::SendMessageA(bar, SB_GETTEXTA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text));
  return text;
}

TEST_F(GuiTest, OwnerDrawnPaneIsPaintedByTheFrameAndPromptsGoToTheMessagePane) {
  auto* f = new StatusFrame;
  ASSERT_TRUE(f->LoadFrame(IDR_TEST_FRAME, WS_OVERLAPPEDWINDOW));
  f->SetWindowPos(nullptr, 0, 0, 400, 300, SWP_NOZORDER | SWP_SHOWWINDOW);
  ASSERT_TRUE(PumpUntilIdle());
  EXPECT_EQ(f->status.GetPaneText(0), "CAM");

  CRect pane;
  f->status.GetItemRect(0, &pane);
  ASSERT_GT(pane.Width(), 10);
  clx::test::Image shot = clx::test::CaptureWindow(f->status);
  EXPECT_GT(f->drawn, 0);
  EXPECT_EQ(shot.PixelAt(pane.CenterPoint().x, pane.CenterPoint().y), RGB(255, 0, 0));
  // The stretching message pane reaches the bar's right end.
  CRect message;
  f->status.GetItemRect(1, &message);
  EXPECT_GE(message.right, f->status.GetClientRect().right - 4);

  HMENU menu = f->GetMenu();
  struct Case {
    UINT item, flags;
    HMENU menu;
    UINT tracking;
    const char* text;
  } cases[] = {
      {ID_FILE_SAVE, MF_STRING, menu, ID_FILE_SAVE, "Save the active document"},
      {0xFF03, MF_STRING, menu, IDS_CLX_MDI_CHILD, "Activate this window"},
      {0, MF_POPUP, menu, 0, ""},
      {0, 0xFFFF, nullptr, IDS_CLX_READY, "Ready"},  // the menu closed
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    f->SendMessage(WM_MENUSELECT, MAKEWPARAM(c.item, c.flags), reinterpret_cast<LPARAM>(c.menu));
    EXPECT_EQ(f->m_nIDTracking, c.tracking);
    EXPECT_EQ(f->m_nIDLastMessage, c.tracking);
    EXPECT_EQ(f->status.GetPaneText(1), c.text);
    EXPECT_EQ(ControlPaneText(f->status, 1), c.text);
  }
  // The bar's window text is the message pane.
  f->status.SetWindowText("Working");
  EXPECT_EQ(ControlPaneText(f->status, 1), "Working");
  EXPECT_EQ(f->status.GetWindowText(), "Working");
  f->DestroyWindow();
}

// ---------------------------------------------------------------- modal state

TEST_F(GuiTest, DisabledFrameDisablesItsAttachedOwnedWindowsAndRestoresOnlyThose) {
  auto* f = new CFrameWnd;
  ASSERT_TRUE(f->LoadFrame(IDR_TEST_FRAME, WS_OVERLAPPEDWINDOW));
  CWnd palette, closedPalette;
  ASSERT_TRUE(palette.CreateEx(0, nullptr, "palette", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, f->m_hWnd, nullptr));
  ASSERT_TRUE(closedPalette.CreateEx(0, nullptr, "off", WS_POPUP, 0, 0, 50, 50, f->m_hWnd, nullptr));
  closedPalette.EnableWindow(FALSE);
  // Not ours: a message box or a common dialog is never touched.
  HWND stranger = ::CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 10, 10, f->m_hWnd, nullptr, nullptr, nullptr);

  f->EnableWindow(FALSE);
  EXPECT_FALSE(palette.IsWindowEnabled());
  EXPECT_TRUE(::IsWindowEnabled(stranger));
  PressKey(*f, 'O', kCtrl);  // a disabled frame translates no accelerators
  f->EnableWindow(TRUE);
  EXPECT_TRUE(palette.IsWindowEnabled());
  EXPECT_FALSE(closedPalette.IsWindowEnabled());  // was off before, stays off
  EXPECT_TRUE(::IsWindowEnabled(stranger));

  ::DestroyWindow(stranger);
  palette.DestroyWindow();
  closedPalette.DestroyWindow();
  f->DestroyWindow();
}

// ---------------------------------------------------------------- activation

// Remembers the caption state it was last told to draw (captions are drawn
// only in a virtual desktop, so the state is read here rather than as pixels).
class CaptionFrame : public CFrameWnd {
public:
  BOOL drawnActive = FALSE;

protected:
  BOOL OnNcActivate(BOOL active) {
    drawnActive = active;
    return static_cast<BOOL>(Default());
  }
  DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(CaptionFrame, CFrameWnd)
  ON_WM_NCACTIVATE()
END_MESSAGE_MAP()

TEST_F(GuiTest, OwnedFramesAndTheirOwnerLookActiveTogether) {
  auto* main = new CaptionFrame;
  ASSERT_TRUE(main->LoadFrame(IDR_TEST_FRAME, WS_OVERLAPPEDWINDOW));
  main->SetWindowPos(nullptr, 0, 0, 400, 300, SWP_NOZORDER | SWP_SHOWWINDOW);
  auto* palette = new CaptionFrame;
  ASSERT_TRUE(palette->CreateEx(WS_EX_TOOLWINDOW, nullptr, "Palette", WS_POPUP | WS_CAPTION | WS_VISIBLE, 420, 20,
                                160, 100, main->m_hWnd, nullptr));
  auto* stranger = new CaptionFrame;
  ASSERT_TRUE(stranger->CreateEx(0, nullptr, "Stranger", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 500, 300, 200, 150,
                                 nullptr, nullptr));
  struct Case {
    CaptionFrame* activated;
    BOOL mainActive, paletteActive, strangerActive;
  } cases[] = {
      {stranger, FALSE, FALSE, TRUE},
      {main, TRUE, TRUE, FALSE},     // the palette follows its owner
      {palette, TRUE, TRUE, FALSE},  // the owner stays active while its palette is
      {stranger, FALSE, FALSE, TRUE},
      {palette, TRUE, TRUE, FALSE},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.activated->GetWindowText().str());
    // The captions are read only while the activation holds.
    ASSERT_NE(Activate(*c.activated), 0);
    EXPECT_EQ(main->drawnActive, c.mainActive);
    EXPECT_EQ(palette->drawnActive, c.paletteActive);
    EXPECT_EQ(stranger->drawnActive, c.strangerActive);
  }
  stranger->DestroyWindow();
  palette->DestroyWindow();
  main->DestroyWindow();
}

// ---------------------------------------------------------------- help mode

class HelpChild : public CWnd {
protected:
  LRESULT OnHelpHitTest(WPARAM, LPARAM) { return 0x20001234; }
  DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(HelpChild, CWnd)
  ON_MESSAGE(WM_HELPHITTEST, OnHelpHitTest)
END_MESSAGE_MAP()

std::vector<DWORD_PTR> g_helpShown;
bool RecordWinHelp(HWND, const char*, UINT cmd, DWORD_PTR data) {
  if (cmd == HELP_CONTEXT) g_helpShown.push_back(data);
  return true;
}

TEST_F(GuiTest, HelpModeShowsTheHelpOfWhatIsClickedNext) {
  auto* f = new CFrameWnd;
  ASSERT_TRUE(f->LoadFrame(IDR_TEST_FRAME, WS_OVERLAPPEDWINDOW));
  f->SetWindowPos(nullptr, 0, 0, 400, 300, SWP_NOZORDER | SWP_SHOWWINDOW);
  frametest::MainWindowScope scope(f);
  HelpChild child;
  ASSERT_TRUE(child.Create(nullptr, nullptr, WS_VISIBLE, CRect(10, 10, 110, 60), f, 7));
  clx::SetHelpHandlers(nullptr, &RecordWinHelp);
  ::SetForegroundWindow(*f);
  ASSERT_TRUE(PumpUntilIdle());
  // The menu bar, just above the client area: Wine draws it also where a
  // window manager draws the caption.
  CPoint menuBar(40, 0);
  f->ClientToScreen(&menuBar);
  menuBar.y -= ::GetSystemMetrics(SM_CYMENU) / 2;
  struct Case {
    const char* what;
    HWND to;
    UINT msg;
    WPARAM w;
    LPARAM l;
    std::vector<DWORD_PTR> shown;
  } cases[] = {
      {"child answers", child, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5), {0x20001234}},
      {"nobody answers", *f, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(200, 200), {}},
      {"menu bar", *f, WM_NCLBUTTONDOWN, HTMENU, MAKELPARAM(menuBar.x, menuBar.y), {HID_BASE_NCAREAS + HTMENU}},
      {"escape", *f, WM_KEYDOWN, VK_ESCAPE, 1, {}},
      {"menu command", *f, WM_COMMAND, ID_FILE_OPEN, 0, {HID_BASE_COMMAND + ID_FILE_OPEN}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    g_helpShown.clear();
    ::PostMessageA(c.to, c.msg, c.w, c.l);
    f->PostMessage(WM_CANCELMODE);  // ends the mode should the input not
    f->SendMessage(WM_COMMAND, ID_CONTEXT_HELP);
    ASSERT_TRUE(PumpUntilIdle());
    EXPECT_EQ(g_helpShown, c.shown);
    EXPECT_FALSE(f->m_bHelpMode);
    EXPECT_NE(::GetCapture(), f->m_hWnd);
  }
  clx::SetHelpHandlers(nullptr, nullptr);
  child.DestroyWindow();
  f->DestroyWindow();
  ASSERT_TRUE(PumpUntilIdle());
  TakeQuit();
}

}  // namespace
