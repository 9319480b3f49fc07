// The MDI frame with its children: command routing, accelerators of the
// active child, menu switching, window commands and the close protocol.
#include <gtest/gtest.h>

#include "clx/menu.h"
#include "tests/frame_support.h"

namespace {

using frametest::LogChild;
using frametest::LogView;
using frametest::MainFrame;
using frametest::MainWindowScope;
using frametest::OpenStub;
using frametest::RouteLog;
using frametest::StubDoc;

MainFrame* NewMainFrame() {
  auto* main = new MainFrame;
  if (!main->LoadFrame(IDR_TEST_FRAME, WS_OVERLAPPEDWINDOW)) return nullptr;
  main->SetWindowPos(nullptr, 0, 0, 700, 500, SWP_NOZORDER | SWP_SHOWWINDOW);
  return main;
}

bool Enabled(CCmdTarget* target, UINT id) {
  clx::StateCmdUI state(id);
  state.DoUpdate(target, true);
  return state.m_bEnabled;
}

TEST_F(GuiTest, CommandsRouteThroughViewDocumentChildFrameAndApplication) {
  MainFrame* main = NewMainFrame();
  ASSERT_NE(main, nullptr);
  MainWindowScope scope(main);
  StubDoc* doc = OpenStub(main, "Routed");
  ASSERT_NE(doc, nullptr);
  ASSERT_TRUE(PumpUntilIdle());

  RouteLog().clear();
  main->SendMessage(WM_COMMAND, ID_TEST_ROUTED);
  EXPECT_EQ(RouteLog(), (std::vector<std::string>{"view", "document", "child", "frame", "application"}));

  // With no child, the frame and the application remain.
  LogChild* child = static_cast<LogChild*>(main->MDIGetActive());
  ASSERT_NE(child, nullptr);
  child->DestroyWindow();
  ASSERT_TRUE(PumpUntilIdle());
  EXPECT_EQ(StubDoc::live, 0);
  RouteLog().clear();
  main->SendMessage(WM_COMMAND, ID_TEST_ROUTED);
  EXPECT_EQ(RouteLog(), (std::vector<std::string>{"frame", "application"}));
  main->DestroyWindow();
  ASSERT_TRUE(PumpUntilIdle());
  EXPECT_EQ(TakeQuit(), 0);  // the main window going ends the loop
}

TEST_F(GuiTest, ActiveChildsAcceleratorsApplyAndADisabledCommandIsDropped) {
  MainFrame* main = NewMainFrame();
  ASSERT_NE(main, nullptr);
  MainWindowScope scope(main);
  StubDoc* doc = OpenStub(main, "Keys");
  ASSERT_NE(doc, nullptr);
  ASSERT_TRUE(PumpUntilIdle());
  EXPECT_FALSE(main->tool.GetToolBarCtrl().IsButtonEnabled(ID_FILE_SAVE));

  PressKey(*main, 'S', kCtrl);  // not modified: the update handler disables Save
  PressKey(*main, 'P', kCtrl);  // only in the picture child's own table
  EXPECT_EQ(doc->saves, 0);
  EXPECT_EQ(doc->pictureCommands, 1);

  doc->SetModifiedFlag();
  ASSERT_TRUE(PumpUntilIdle());
  EXPECT_TRUE(main->tool.GetToolBarCtrl().IsButtonEnabled(ID_FILE_SAVE));
  // Save has no file yet: the stub's save is reached through Save As.
  doc->SetPathName("c:\\keys.pic", FALSE);
  PressKey(*main, 'S', kCtrl);
  EXPECT_EQ(doc->saves, 1);
  main->DestroyWindow();
  TakeQuit();
}

TEST_F(GuiTest, ChildWindowKeysActOnlyOnKeysPressedInTheClientArea) {
  MainFrame* main = NewMainFrame();
  ASSERT_NE(main, nullptr);
  MainWindowScope scope(main);
  LogChild* child = nullptr;
  OpenStub(main, "Kept", nullptr, &child);
  ASSERT_NE(child, nullptr);
  CWnd palette;
  ASSERT_TRUE(palette.CreateEx(0, nullptr, "palette", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, main->m_hWnd, nullptr));
  ASSERT_TRUE(PumpUntilIdle());
  HWND h = child->m_hWnd;
  PressKey(palette, VK_F4, kCtrl);  // reaches the frame through the owner, but is not the client's
  EXPECT_TRUE(::IsWindow(h));
  PressKey(*child->GetActiveView(), VK_F4, kCtrl);
  ASSERT_TRUE(PumpUntilIdle());
  EXPECT_FALSE(::IsWindow(h));
  EXPECT_EQ(StubDoc::live, 0);
  palette.DestroyWindow();
  main->DestroyWindow();
  ASSERT_TRUE(PumpUntilIdle());
  TakeQuit();
}

TEST_F(GuiTest, MenuBarFollowsTheActiveChildsSharedMenu) {
  MainFrame* main = NewMainFrame();
  ASSERT_NE(main, nullptr);
  MainWindowScope scope(main);
  HMENU frameMenu = main->GetMenu();
  CMenu picture;
  ASSERT_TRUE(picture.LoadMenu(IDR_TEST_PICTURE));
  LogChild *a = nullptr, *b = nullptr;
  OpenStub(main, "A", picture, &a);
  ASSERT_TRUE(PumpUntilIdle());
  EXPECT_EQ(main->GetMenu(), picture.m_hMenu);
  OpenStub(main, "B", nullptr, &b);  // no menu of its own: the frame's
  ASSERT_TRUE(PumpUntilIdle());
  EXPECT_EQ(main->GetMenu(), frameMenu);
  a->MDIActivate();
  ASSERT_TRUE(PumpUntilIdle());
  EXPECT_EQ(main->GetMenu(), picture.m_hMenu);
  // The window list lives in the shared menu's Window pop-up.
  HMENU window = CMDIFrameWnd::FindWindowMenu(picture);
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(::GetMenuItemID(window, 0), static_cast<UINT>(ID_WINDOW_CASCADE));
  a->DestroyWindow();
  b->DestroyWindow();
  ASSERT_TRUE(PumpUntilIdle());
  EXPECT_EQ(main->GetMenu(), frameMenu);
  main->DestroyWindow();
  TakeQuit();
  EXPECT_TRUE(::IsMenu(picture));  // the shared menu outlives the frame that showed it
}

TEST_F(GuiTest, FrameTitleNamesTheActiveDocumentFromTheNextIdlePass) {
  auto* main = new MainFrame;
  ASSERT_TRUE(main->LoadFrame(IDR_TEST_FRAME, WS_OVERLAPPEDWINDOW | FWS_ADDTOTITLE));
  main->SetWindowPos(nullptr, 0, 0, 700, 500, SWP_NOZORDER | SWP_SHOWWINDOW);
  MainWindowScope scope(main);
  EXPECT_EQ(main->GetWindowText(), "Frame Test");
  EXPECT_FALSE(main->GetStyle() & FWS_ADDTOTITLE);
  LogChild *a = nullptr, *b = nullptr;
  StubDoc* alpha = OpenStub(main, "alpha", nullptr, &a);
  OpenStub(main, "beta", nullptr, &b);
  ASSERT_NE(b, nullptr);
  ASSERT_TRUE(PumpUntilIdle());
  EXPECT_EQ(main->GetWindowText(), "Frame Test - beta");
  EXPECT_EQ(a->GetWindowText(), "alpha");

  a->MDIActivate();
  EXPECT_EQ(main->GetWindowText(), "Frame Test - beta");  // not before the next idle pass
  ASSERT_TRUE(PumpUntilIdle());
  EXPECT_EQ(main->GetWindowText(), "Frame Test - alpha");
  alpha->SetTitle("renamed");  // a new document title shows at once
  EXPECT_EQ(a->GetWindowText(), "renamed");
  EXPECT_EQ(main->GetWindowText(), "Frame Test - renamed");

  a->DestroyWindow();
  b->DestroyWindow();
  ASSERT_TRUE(PumpUntilIdle());
  EXPECT_EQ(main->GetWindowText(), "Frame Test");
  EXPECT_EQ(StubDoc::live, 0);
  main->DestroyWindow();
  ASSERT_TRUE(PumpUntilIdle());
  TakeQuit();
}

class ScrollingMainFrame : public MainFrame {
public:
  BOOL PreCreateWindow(CREATESTRUCT& cs) override {
    cs.style |= WS_HSCROLL | WS_VSCROLL;
    return MainFrame::PreCreateWindow(cs);
  }
};

TEST_F(GuiTest, TheFramesScrollBarsGoToTheClientAreaAndAMaximisedChildIsReported) {
  auto* main = new ScrollingMainFrame;
  ASSERT_TRUE(main->LoadFrame(IDR_TEST_FRAME, WS_OVERLAPPEDWINDOW));
  main->SetWindowPos(nullptr, 0, 0, 600, 400, SWP_NOZORDER | SWP_SHOWWINDOW);
  MainWindowScope scope(main);
  EXPECT_FALSE(main->GetStyle() & (WS_HSCROLL | WS_VSCROLL));
  EXPECT_EQ(CWindow(main->m_hWndMDIClient).GetStyle() & (WS_HSCROLL | WS_VSCROLL),
            static_cast<DWORD>(WS_HSCROLL | WS_VSCROLL));
  EXPECT_EQ(CWindow(main->m_hWndMDIClient).GetDlgCtrlID(), AFX_IDW_PANE_FIRST);
  LogChild* child = nullptr;
  OpenStub(main, "Big", nullptr, &child);
  ASSERT_NE(child, nullptr);
  BOOL maximized = TRUE;
  EXPECT_EQ(main->MDIGetActive(&maximized), child);
  EXPECT_FALSE(maximized);
  child->MDIMaximize();
  ASSERT_TRUE(PumpUntilIdle());
  EXPECT_EQ(main->MDIGetActive(&maximized), child);
  EXPECT_TRUE(maximized);
  main->DestroyWindow();
  ASSERT_TRUE(PumpUntilIdle());
  TakeQuit();
}

TEST_F(GuiTest, WindowCommandsTileTheChildrenAndAreOffWithoutChildren) {
  MainFrame* main = NewMainFrame();
  ASSERT_NE(main, nullptr);
  MainWindowScope scope(main);
  EXPECT_FALSE(Enabled(main, ID_WINDOW_TILE_HORZ));
  LogChild* children[3] = {};
  for (LogChild*& child : children) OpenStub(main, "Tile", nullptr, &child);
  ASSERT_TRUE(PumpUntilIdle());
  EXPECT_TRUE(Enabled(main, ID_WINDOW_TILE_HORZ));
  main->SendMessage(WM_COMMAND, ID_WINDOW_TILE_HORZ);
  CRect client = CWindow(main->m_hWndMDIClient).GetClientRect();
  CRect rects[3];
  for (int i = 0; i < 3; ++i) {
    rects[i] = children[i]->GetWindowRect();
    CWindow(main->m_hWndMDIClient).ScreenToClient(&rects[i]);
    EXPECT_EQ(rects[i] & client, rects[i]) << "child " << i << " inside the client";
    EXPECT_EQ(rects[i].Width(), client.Width()) << "horizontal tiles span the width";
  }
  for (int i = 0; i < 3; ++i)
    for (int j = i + 1; j < 3; ++j) EXPECT_TRUE((rects[i] & rects[j]).IsRectEmpty()) << i << " and " << j;
  main->DestroyWindow();
  TakeQuit();
  EXPECT_EQ(StubDoc::live, 0);
}

TEST_F(GuiTest, ToolBarButtonsShowTheirPromptWhenHoveredAndTheirTipOnRequest) {
  MainFrame* main = NewMainFrame();
  ASSERT_NE(main, nullptr);
  MainWindowScope scope(main);
  ASSERT_TRUE(PumpUntilIdle());
  CRect save, open;
  main->tool.GetItemRect(main->tool.CommandToIndex(ID_FILE_SAVE), &save);
  main->tool.GetItemRect(main->tool.CommandToIndex(ID_FILE_OPEN), &open);
  int message = main->status.CommandToIndex(0);
  struct Case {
    CPoint at;
    UINT id;
    const char* prompt;
  } cases[] = {
      {save.CenterPoint(), ID_FILE_SAVE, "Save the active document"},  // disabled buttons explain themselves too
      {open.CenterPoint(), ID_FILE_OPEN, "Open an existing document"},
      {CPoint(main->tool.GetClientRect().right - 2, 2), IDS_CLX_READY, "Ready"},  // off the buttons
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.prompt);
    main->tool.PostMessage(WM_MOUSEMOVE, 0, MAKELPARAM(c.at.x, c.at.y));
    ASSERT_TRUE(PumpUntilIdle());
    EXPECT_EQ(main->status.GetPaneText(message), c.prompt);
    EXPECT_EQ(main->m_nIDLastMessage, c.id);
  }

  // The tip is the part of the command's string after the '\n'.
  NMTTDISPINFOA tip{};
  tip.hdr.hwndFrom = main->tool.GetToolBarCtrl().GetToolTips();
  tip.hdr.idFrom = ID_FILE_SAVE;
  tip.hdr.code = TTN_GETDISPINFOA;
  main->SendMessage(WM_NOTIFY, ID_FILE_SAVE, reinterpret_cast<LPARAM>(&tip));
  EXPECT_STREQ(tip.lpszText, "Save");
  main->DestroyWindow();
  ASSERT_TRUE(PumpUntilIdle());
  TakeQuit();
}

TEST_F(GuiTest, ClosingAChildAsksToSaveAndCancelKeepsIt) {
  MainFrame* main = NewMainFrame();
  ASSERT_NE(main, nullptr);
  MainWindowScope scope(main);
  LogChild* child = nullptr;
  StubDoc* doc = OpenStub(main, "Draft", nullptr, &child);
  ASSERT_NE(doc, nullptr);
  doc->SetModifiedFlag();
  HWND h = child->m_hWnd;
  {
    MessageBoxScript boxes{{"Save changes to Draft?", IDCANCEL}};
    child->SendMessage(WM_CLOSE);
  }
  EXPECT_TRUE(::IsWindow(h));
  EXPECT_EQ(StubDoc::live, 1);
  {
    MessageBoxScript boxes{{"Save changes to Draft?", IDNO}};
    child->SendMessage(WM_CLOSE);
  }
  ASSERT_TRUE(PumpUntilIdle());
  EXPECT_FALSE(::IsWindow(h));
  EXPECT_EQ(StubDoc::live, 0);

  // The main window closes without asking an unmodified document, and its going ends the loop.
  OpenStub(main, "Clean");
  main->SendMessage(WM_CLOSE);
  ASSERT_TRUE(PumpUntilIdle());
  EXPECT_EQ(TakeQuit(), 0);
  EXPECT_EQ(StubDoc::live, 0);
}

}  // namespace
