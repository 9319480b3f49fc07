// CWindow's wrappers, the wait cursor and the way help requests travel.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "clx/app.h"
#include "clx/help.h"
#include "clx/messages.h"
#include "clx/resource.h"
#include "clx/wnd.h"
#include "testing/gui_test.h"

namespace {

class Counter : public CWnd {
public:
  int hits = 0;
  std::vector<UINT> helpRequests;

protected:
  LRESULT OnPing(WPARAM, LPARAM) { return ++hits; }
  BOOL OnHelpInfo(HELPINFO* hi) {
    helpRequests.push_back(static_cast<UINT>(hi->iCtrlId));
    return TRUE;
  }
  DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(Counter, CWnd)
  ON_MESSAGE(WM_APP + 3, OnPing)
  ON_WM_HELPINFO()
END_MESSAGE_MAP()

TEST_F(GuiTest, MessagesReachDescendantsDeepOrOnlyChildren) {
  Counter top, a, a1, b;
  ASSERT_TRUE(top.CreateEx(0, nullptr, "", WS_POPUP, 0, 0, 200, 200, nullptr, nullptr));
  ASSERT_TRUE(a.Create(nullptr, "", 0, CRect(0, 0, 50, 50), &top, 1));
  ASSERT_TRUE(a1.Create(nullptr, "", 0, CRect(0, 0, 20, 20), &a, 2));
  ASSERT_TRUE(b.Create(nullptr, "", 0, CRect(60, 0, 90, 50), &top, 3));
  top.SendMessageToDescendants(WM_APP + 3, 0, 0, false);
  EXPECT_EQ(a.hits + b.hits, 2);
  EXPECT_EQ(a1.hits, 0);
  top.SendMessageToDescendants(WM_APP + 3);
  EXPECT_EQ(a1.hits, 1);
  EXPECT_EQ(top.hits, 0) << "the window itself is not a descendant";
  top.DestroyWindow();
}

TEST_F(GuiTest, StylesCentringAndTextThroughCWindow) {
  Counter parent, child;
  ASSERT_TRUE(parent.CreateEx(0, nullptr, "parent", WS_POPUP, 0, 0, 300, 200, nullptr, nullptr));
  ASSERT_TRUE(child.Create(nullptr, "child", 0, CRect(0, 0, 100, 50), &parent, 9));
  EXPECT_TRUE(child.ModifyStyle(0, WS_BORDER));
  EXPECT_FALSE(child.ModifyStyle(0, WS_BORDER)) << "no change reported as none";
  EXPECT_TRUE(child.GetStyle() & WS_BORDER);
  EXPECT_TRUE(child.ModifyStyleEx(0, WS_EX_CONTROLPARENT));
  EXPECT_TRUE(child.GetExStyle() & WS_EX_CONTROLPARENT);

  child.CenterWindow();
  CRect r = child.GetWindowRect();
  parent.ScreenToClient(&r);
  EXPECT_EQ(r, CRect(100, 75, 200, 125));

  CWindow item = parent.GetDlgItem(9);
  EXPECT_EQ(item.m_hWnd, child.m_hWnd);
  item.SetWindowText(std::string(300, 'x').c_str());
  EXPECT_EQ(child.GetWindowText().GetLength(), 300);
  EXPECT_EQ(child.GetTopLevelParent().m_hWnd, parent.m_hWnd);
  parent.DestroyWindow();
}

TEST_F(GuiTest, WaitCursorAnswersSetCursorWhileCounted) {
  Counter w;
  ASSERT_TRUE(w.CreateEx(0, nullptr, "", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, nullptr, nullptr));
  HCURSOR wait = ::LoadCursorA(nullptr, MAKEINTRESOURCEA(32514));
  auto setCursor = [&] { return w.SendMessage(WM_SETCURSOR, reinterpret_cast<WPARAM>(w.m_hWnd), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)); };
  {
    CWaitCursor outer;
    {
      CWaitCursor inner;
      EXPECT_EQ(AfxGetApp()->m_nWaitCursorCount, 2);
    }
    EXPECT_EQ(setCursor(), TRUE);
    EXPECT_EQ(::GetCursor(), wait);
  }
  EXPECT_EQ(AfxGetApp()->m_nWaitCursorCount, 0);
  ::SetCursor(nullptr);
  setCursor();
  EXPECT_NE(::GetCursor(), wait);
  w.DestroyWindow();
}

// ---------------------------------------------------------------- help

struct HelpCall {
  HWND owner;
  std::string file;
  UINT cmd;
  DWORD_PTR data;
};
std::vector<HelpCall> g_helpCalls;
bool g_helpWorks = true;

class HelpScope {
public:
  HelpScope() {
    g_helpCalls.clear();
    clx::SetHelpHandlers(
        [](HWND, const char* topic) -> HWND {
          g_helpCalls.push_back({nullptr, topic, 0, 0});
          return nullptr;
        },
        [](HWND owner, const char* file, UINT cmd, DWORD_PTR data) {
          g_helpCalls.push_back({owner, file, cmd, data});
          return g_helpWorks;
        });
    CWinApp* app = AfxGetApp();
    m_saved = app->m_pszHelpFilePath;
    app->m_pszHelpFilePath = "C:\\Program Files\\Tessaline\\Tessaline.hlp";
  }
  ~HelpScope() {
    clx::SetHelpHandlers(nullptr, nullptr);
    AfxGetApp()->m_pszHelpFilePath = m_saved;
  }

private:
  const char* m_saved;
};

TEST_F(GuiTest, HelpRequestsGoToTheMainWindowAndFailureIsReported) {
  Counter frame, child;
  ASSERT_TRUE(frame.CreateEx(0, nullptr, "", WS_POPUP, 0, 0, 50, 50, nullptr, nullptr));
  ASSERT_TRUE(child.Create(nullptr, "", 0, CRect(0, 0, 10, 10), &frame, 1));
  AfxGetApp()->m_pMainWnd = &frame;
  HelpScope help;
  child.WinHelp(0x20000 + 1, HELP_CONTEXT);
  ASSERT_EQ(g_helpCalls.size(), 1u);
  EXPECT_EQ(g_helpCalls[0].owner, frame.m_hWnd);
  EXPECT_EQ(g_helpCalls[0].file, "C:\\Program Files\\Tessaline\\Tessaline.hlp");
  EXPECT_EQ(g_helpCalls[0].cmd, static_cast<UINT>(HELP_CONTEXT));
  EXPECT_EQ(g_helpCalls[0].data, 0x20001u);

  g_helpWorks = false;
  {
    MessageBoxScript boxes{{"Unable to start help.", IDOK}};
    AfxGetApp()->WinHelp(5);
  }
  g_helpWorks = true;
  EXPECT_EQ(clx::HtmlHelpDisplayTopic(frame, "C:\\x\\Tessaline.chm::/a.htm>mainwin"), nullptr);
  EXPECT_EQ(g_helpCalls.back().file, "C:\\x\\Tessaline.chm::/a.htm>mainwin");
  AfxGetApp()->m_pMainWnd = nullptr;
  frame.DestroyWindow();
}

// The system's engine, loaded on first use: a help file that is not there
// opens nothing and answers null (the caller then reports that help failed).
TEST_F(GuiTest, HtmlHelpWithoutItsFileOpensNoWindow) {
  clx::SetHelpHandlers(nullptr, nullptr);
  for (const char* topic : {"C:\\no such folder\\Tessaline.chm::/index.html>mainwin",
                            "C:\\no such folder\\Tessaline.chm::/menu.html#File_Open>mainwin"})
    EXPECT_EQ(clx::HtmlHelpDisplayTopic(::GetDesktopWindow(), topic), nullptr) << topic;
}

TEST_F(GuiTest, F1ArrivesAsWmHelpForTheFocusedControl) {
  Counter w;
  ASSERT_TRUE(w.CreateEx(0, nullptr, "", WS_POPUP | WS_VISIBLE, 0, 0, 100, 50, nullptr, nullptr));
  HWND edit = ::CreateWindowExA(0, "EDIT", "", WS_CHILD | WS_VISIBLE, 0, 0, 90, 20, w, reinterpret_cast<HMENU>(77),
                                nullptr, nullptr);
  ASSERT_NE(Activate(w), 0);
  ::SetFocus(edit);
  PressF1(w);
  EXPECT_EQ(w.helpRequests, std::vector<UINT>{77}) << "the edit's WM_HELP climbs to its parent";
  w.DestroyWindow();
}

// A main window that routes commands on to the application, as frames do,
// and answers WM_COMMANDHELP when told to.
class HelpFrame : public CWnd {
public:
  std::vector<UINT> commands;
  bool answersCommandHelp = false;
  int commandHelps = 0;

  BOOL OnCmdMsg(UINT id, int code, void* extra, AFX_CMDHANDLERINFO* info) override {
    if (code == CN_COMMAND && !info) commands.push_back(id);
    return CWnd::OnCmdMsg(id, code, extra, info) || AfxGetApp()->OnCmdMsg(id, code, extra, info);
  }

protected:
  LRESULT OnCommandHelp(WPARAM, LPARAM) {
    ++commandHelps;
    return answersCommandHelp;
  }
  DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(HelpFrame, CWnd)
  ON_MESSAGE(WM_COMMANDHELP, OnCommandHelp)
END_MESSAGE_MAP()

TEST_F(GuiTest, F1AsksTheFocusChainForHelpThenFallsBackToDefaultHelp) {
  HelpFrame frame;
  ASSERT_TRUE(frame.CreateEx(0, nullptr, "", WS_POPUP | WS_VISIBLE, 0, 0, 200, 100, nullptr, nullptr));
  HWND edit = ::CreateWindowExA(0, "EDIT", "", WS_CHILD | WS_VISIBLE, 0, 0, 90, 20, frame, nullptr, nullptr, nullptr);
  AfxGetApp()->m_pMainWnd = &frame;
  HelpScope help;
  ASSERT_NE(Activate(frame), 0);
  ::SetFocus(edit);

  frame.answersCommandHelp = true;
  frame.SendMessage(WM_COMMAND, ID_HELP);  // the F1 accelerator
  EXPECT_EQ(frame.commandHelps, 1) << "the edit has no help; its parent answers";
  EXPECT_TRUE(g_helpCalls.empty());

  frame.answersCommandHelp = false;
  frame.commands.clear();
  frame.SendMessage(WM_COMMAND, ID_HELP);
  EXPECT_EQ(frame.commands, (std::vector<UINT>{ID_HELP, ID_DEFAULT_HELP}));

  // A message box on screen gives its prompt context instead.
  AfxGetApp()->m_dwPromptContext = HID_BASE_PROMPT + 123;
  frame.SendMessage(WM_COMMAND, ID_HELP);
  AfxGetApp()->m_dwPromptContext = 0;
  ASSERT_EQ(g_helpCalls.size(), 1u);
  EXPECT_EQ(g_helpCalls[0].data, static_cast<DWORD_PTR>(HID_BASE_PROMPT + 123));

  // WM_HELP of a top-level window without its own handler becomes ID_HELP to the main window.
  frame.commands.clear();
  ::SetFocus(nullptr);
  CWnd plain;
  ASSERT_TRUE(plain.CreateEx(0, nullptr, "", WS_POPUP, 0, 0, 10, 10, frame.m_hWnd, nullptr));
  HELPINFO hi{sizeof hi, HELPINFO_WINDOW, 0, plain.m_hWnd, 0, {0, 0}};
  EXPECT_EQ(plain.SendMessage(WM_HELP, 0, reinterpret_cast<LPARAM>(&hi)), TRUE);
  EXPECT_EQ(frame.commands, (std::vector<UINT>{ID_HELP, ID_DEFAULT_HELP}));
  plain.DestroyWindow();
  AfxGetApp()->m_pMainWnd = nullptr;
  frame.DestroyWindow();
}

}  // namespace
