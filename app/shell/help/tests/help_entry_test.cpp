// The main frame's help entry under Wine, with HTML Help and WinHelp replaced
// by recorders: the address each request opens, the pop-ups, the quit
// request, help mode and the message when help cannot start.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/shell/help/help_entry.h"
#include "app/shell/help/help_topics.h"
#include "app/shell/program_folder.h"
#include "clx/app.h"
#include "clx/frame.h"
#include "clx/help.h"
#include "testing/gui_test.h"

namespace {

struct HtmlRequest {
  HWND owner;
  std::string topic;
};
struct PopupRequest {
  HWND owner;
  std::string file;
  UINT command;
  DWORD_PTR data;
};
std::vector<HtmlRequest> g_html;
std::vector<PopupRequest> g_popups;
bool g_helpStarts = true;

HWND RecordHtmlHelp(HWND owner, const char* topic) {
  g_html.push_back({owner, topic});
  return g_helpStarts ? ::GetDesktopWindow() : nullptr;
}

bool RecordWinHelp(HWND owner, const char* file, UINT command, DWORD_PTR data) {
  g_popups.push_back({owner, file, command, data});
  return g_helpStarts;
}

// Records the cancel-mode message that ends menus and drags.
class ModeWindow : public CWnd {
public:
  int cancels = 0;

protected:
  LRESULT WindowProc(UINT msg, WPARAM w, LPARAM l) override {
    if (msg == WM_CANCELMODE) ++cancels;
    return CWnd::WindowProc(msg, w, l);
  }
};

class HelpEntryTest : public GuiTest {
protected:
  void SetUp() override {
    GuiTest::SetUp();
    g_html.clear();
    g_popups.clear();
    g_helpStarts = true;
    clx::SetHelpHandlers(&RecordHtmlHelp, &RecordWinHelp);
    frame = new CFrameWnd;  // deletes itself when destroyed
    ASSERT_TRUE(frame->CreateEx(0, nullptr, "frame", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 300, 200, nullptr,
                                nullptr));
  }
  void TearDown() override {
    if (frame) frame->DestroyWindow();
    clx::SetHelpHandlers(nullptr, nullptr);
    GuiTest::TearDown();
  }
  static std::string Address(const char* topic) { return shell::HelpAddress(shell::GetProgramFolder(), topic); }

  CFrameWnd* frame = nullptr;
};

TEST_F(HelpEntryTest, ContextRequestOpensTheTopicAddressOwnedByTheDesktop) {
  struct Case {
    DWORD_PTR id;
    UINT command;
    const char* topic;
  } cases[] = {
      {shell::kHelpWindowBase + 513, HELP_CONTEXT, "curves.html"},
      {shell::ControlHelpId(513, 4242), HELP_CONTEXT, "curves.html"},  // unknown control
      {shell::ControlHelpId(516, 1194), HELP_CONTEXT, "sizeres.html#SizeUnits"},
      {shell::kHelpToolBase + 32885, HELP_CONTEXT, "toolbar.html#View_ImageAdjustment"},
      {0, HELP_FINDER, "index.html"},  // Help Topics
      {0x00040002, HELP_CONTEXT, "index.html"},
  };
  ASSERT_FALSE(shell::GetProgramFolder().empty());
  for (const Case& c : cases) {
    g_html.clear();
    shell::ShowHelp(*frame, c.id, c.command);
    ASSERT_EQ(g_html.size(), 1u) << c.topic;
    EXPECT_EQ(g_html[0].owner, ::GetDesktopWindow());
    EXPECT_EQ(g_html[0].topic, Address(c.topic));
  }
  EXPECT_TRUE(g_popups.empty());
}

TEST_F(HelpEntryTest, QuitOpensNothingAndSaysNothing) {
  MessageBoxScript none{};
  shell::ShowHelp(*frame, shell::kHelpWindowBase + 129, HELP_QUIT);
  EXPECT_TRUE(g_html.empty());
  EXPECT_TRUE(g_popups.empty());
  EXPECT_TRUE(none.shown.empty());
}

TEST_F(HelpEntryTest, ContextPopupGoesToWinHelpWithTheApplicationsHelpFile) {
  shell::ShowHelp(*frame, 0x00040007, HELP_CONTEXTPOPUP);
  ASSERT_EQ(g_popups.size(), 1u);
  EXPECT_EQ(g_popups[0].owner, frame->m_hWnd);
  EXPECT_EQ(g_popups[0].file, AfxGetApp()->m_pszHelpFilePath ? AfxGetApp()->m_pszHelpFilePath : "");
  EXPECT_EQ(g_popups[0].command, static_cast<UINT>(HELP_CONTEXTPOPUP));
  EXPECT_EQ(g_popups[0].data, 0x40000007u) << "a non-client id is moved before the pop-up too";
  EXPECT_TRUE(g_html.empty());
}

TEST_F(HelpEntryTest, HelpThatCannotStartSaysSoForEachRequest) {
  g_helpStarts = false;
  MessageBoxScript boxes{{"Unable to start help", IDOK}, {"Unable to start help", IDOK}};
  shell::ShowHelp(*frame, shell::kHelpWindowBase + 129, HELP_CONTEXT);
  shell::ShowHelp(*frame, shell::kHelpWindowBase + 129, HELP_CONTEXTPOPUP);
  EXPECT_EQ(boxes.shown.size(), 2u);
}

TEST_F(HelpEntryTest, RequestLeavesHelpModeAndCancelsModesOfTheFrameAndTheCapture) {
  ModeWindow child, holder;
  ASSERT_TRUE(child.CreateEx(0, nullptr, "child", WS_CHILD | WS_VISIBLE, 0, 0, 20, 20, frame->m_hWnd, nullptr));
  ASSERT_TRUE(holder.CreateEx(0, nullptr, "holder", WS_POPUP | WS_VISIBLE, 0, 0, 20, 20, nullptr, nullptr));
  frame->m_bHelpMode = true;
  holder.SetCapture();
  shell::ShowHelp(*frame, shell::kHelpWindowBase + 129, HELP_CONTEXT);
  EXPECT_FALSE(frame->m_bHelpMode);
  EXPECT_EQ(child.cancels, 1);
  EXPECT_GE(holder.cancels, 1);
  ASSERT_EQ(g_html.size(), 1u);
  EXPECT_EQ(g_html[0].topic, Address("image.html"));
  ::ReleaseCapture();
  holder.DestroyWindow();
}

}  // namespace
