// The message loop: the PreTranslateMessage walk, idle passes, modal loops,
// message boxes and the exception barrier.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "clx/app.h"
#include "clx/messages.h"
#include "clx/resource.h"
#include "clx/wnd.h"
#include "testing/gui_test.h"
#include "tests/test_ids.h"

namespace {

std::vector<std::string> g_walk;

// Logs its place in the PreTranslate walk; optionally takes Ctrl+C itself.
class WalkWnd : public CWnd {
public:
  explicit WalkWnd(const char* name, bool takesCtrlC = false) : m_name(name), m_takesCtrlC(takesCtrlC) {}
  BOOL PreTranslateMessage(MSG* msg) override {
    if (msg->message != WM_KEYDOWN) return FALSE;
    g_walk.push_back(m_name);
    return m_takesCtrlC && msg->wParam == 'C' && (::GetKeyState(VK_CONTROL) & 0x8000);
  }

private:
  const char* m_name;
  bool m_takesCtrlC;
};

// The main window translates its accelerators, as a frame does.
class AccelFrame : public WalkWnd {
public:
  AccelFrame() : WalkWnd("frame") {
    m_accel = ::LoadAcceleratorsA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_TEST_ACCEL));
  }
  BOOL PreTranslateMessage(MSG* msg) override {
    WalkWnd::PreTranslateMessage(msg);
    return ::TranslateAcceleratorA(m_hWnd, m_accel, msg) != 0;
  }
  std::vector<UINT> commands;

protected:
  void OnOpen() { commands.push_back(ID_FILE_OPEN); }
  void OnCopy() { commands.push_back(ID_EDIT_COPY); }
  DECLARE_MESSAGE_MAP()

private:
  HACCEL m_accel;
};
BEGIN_MESSAGE_MAP(AccelFrame, WalkWnd)
  ON_COMMAND(ID_FILE_OPEN, OnOpen)
  ON_COMMAND(ID_EDIT_COPY, OnCopy)
END_MESSAGE_MAP()

// Sets the thread's main window for one test.
struct MainWindowScope {
  explicit MainWindowScope(CWnd* w) { AfxGetApp()->m_pMainWnd = w; }
  ~MainWindowScope() { AfxGetApp()->m_pMainWnd = nullptr; }
};

TEST_F(GuiTest, PreTranslateWalksFromTheControlUpToTheMainWindow) {
  AccelFrame frame;
  WalkWnd edit("edit", true), palette("palette"), button("button"), stray("stray");
  ASSERT_TRUE(frame.CreateEx(0, nullptr, "frame", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 300, 200, nullptr, nullptr));
  ASSERT_TRUE(edit.Create("EDIT", "", WS_VISIBLE, CRect(0, 0, 100, 20), &frame, 1));
  // An owned pop-up (a palette) is no descendant of the frame: ::GetParent gives its owner.
  ASSERT_TRUE(palette.CreateEx(0, nullptr, "palette", WS_POPUP | WS_VISIBLE, 0, 0, 100, 100, frame.m_hWnd, nullptr));
  ASSERT_TRUE(button.Create("BUTTON", "b", WS_VISIBLE, CRect(0, 0, 50, 20), &palette, 2));
  ASSERT_TRUE(stray.CreateEx(0, nullptr, "stray", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr));
  MainWindowScope main(&frame);

  struct Case {
    CWnd* target;
    UINT key;
    std::vector<std::string> walk;
    std::vector<UINT> commands;
  } cases[] = {
      {&edit, 'C', {"edit"}, {}},                                     // the control takes Ctrl+C first
      {&edit, 'O', {"edit", "frame"}, {ID_FILE_OPEN}},                 // then the frame's accelerators
      {&button, 'O', {"button", "palette", "frame"}, {ID_FILE_OPEN}},  // owned pop-up reaches its owner
      {&stray, 'O', {"stray", "frame"}, {ID_FILE_OPEN}},               // last chance: the main window
  };
  for (Case& c : cases) {
    SCOPED_TRACE(c.walk.front());
    g_walk.clear();
    frame.commands.clear();
    PressKey(c.target->m_hWnd, c.key, kCtrl);
    // Only the key-down walks; the frame's key-up has nothing to translate.
    EXPECT_EQ(g_walk, c.walk);
    EXPECT_EQ(frame.commands, c.commands);
  }
  stray.DestroyWindow();
  palette.DestroyWindow();
  frame.DestroyWindow();
}

// ---------------------------------------------------------------- idle

TEST(IdleMessageTest, PaintsCaretBlinksAndMovesThatDidNotMoveAreNotIdleMessages) {
  CWinThread thread;
  struct Case {
    UINT msg;
    POINT pt;
    bool idle;
  } cases[] = {
      {WM_USER, {0, 0}, true},
      {WM_PAINT, {0, 0}, false},
      {0x0118, {0, 0}, false},
      {WM_TIMER, {0, 0}, true},
      {WM_MOUSEMOVE, {5, 5}, true},
      {WM_MOUSEMOVE, {5, 5}, false},  // same point again
      {WM_NCMOUSEMOVE, {5, 5}, true},  // another kind of move
      {WM_MOUSEMOVE, {5, 5}, true},
      {WM_MOUSEMOVE, {6, 5}, true},
  };
  for (const Case& c : cases) {
    MSG m{};
    m.message = c.msg;
    m.pt = c.pt;
    EXPECT_EQ(thread.IsIdleMessage(&m) != FALSE, c.idle) << std::hex << c.msg << " at " << c.pt.x;
  }
}

// Runs the real loop on this thread. Idle passes are logged; the script
// posts what the next step needs from inside the loop.
class ScriptedThread : public CWinThread {
public:
  std::vector<std::string> log;
  int round = 0;

  BOOL OnIdle(LONG count) override {
    log.push_back("idle " + std::to_string(count));
    if (count < 2) return TRUE;
    ++round;
    if (round == 1) ::PostThreadMessageA(::GetCurrentThreadId(), WM_USER, 0, 0);  // re-arms idle
    if (round == 2) ::PostThreadMessageA(::GetCurrentThreadId(), 0x0118, 0, 0);   // does not
    return FALSE;
  }
  BOOL PreTranslateMessage(MSG* msg) override {
    log.push_back("msg " + std::to_string(msg->message));
    // After 0x0118 the queue is empty and idle is off: only a later message
    // wakes the loop. A thread timer is that message; it ends the run.
    if (msg->message == 0x0118) m_timer = ::SetTimer(nullptr, 0, 1, nullptr);
    if (msg->message == WM_TIMER) {
      ::KillTimer(nullptr, m_timer);
      ::PostQuitMessage(7);
    }
    return TRUE;
  }

private:
  UINT_PTR m_timer = 0;
};

TEST_F(GuiTest, IdlePassesCountUpAndOnlyIdleMessagesStartThemAgain) {
  ScriptedThread t;
  t.m_bAutoDelete = false;
  EXPECT_EQ(t.Run(), 7);
  std::vector<std::string> expected = {"idle 0", "idle 1", "idle 2", "msg 1024", "idle 0", "idle 1", "idle 2",
                                       "msg 280", "msg 275"};
  EXPECT_EQ(t.log, expected);
}

class UpdateCounter : public CWnd {
public:
  std::vector<WPARAM> updates;

protected:
  LRESULT OnIdleUpdate(WPARAM w, LPARAM) { updates.push_back(w); return 0; }
  DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(UpdateCounter, CWnd)
  ON_MESSAGE(WM_IDLEUPDATECMDUI, OnIdleUpdate)
END_MESSAGE_MAP()

TEST_F(GuiTest, FirstIdlePassUpdatesTheMainWindowAndItsDescendants) {
  UpdateCounter frame, child, grandChild;
  ASSERT_TRUE(frame.CreateEx(0, nullptr, "", WS_POPUP | WS_VISIBLE, 0, 0, 100, 100, nullptr, nullptr));
  ASSERT_TRUE(child.Create(nullptr, "", WS_VISIBLE, CRect(0, 0, 50, 50), &frame, 1));
  ASSERT_TRUE(grandChild.Create(nullptr, "", WS_VISIBLE, CRect(0, 0, 20, 20), &child, 2));
  MainWindowScope main(&frame);
  ASSERT_TRUE(PumpUntilIdle());
  EXPECT_EQ(frame.updates, std::vector<WPARAM>{TRUE});
  EXPECT_EQ(child.updates, std::vector<WPARAM>{TRUE});
  EXPECT_EQ(grandChild.updates, std::vector<WPARAM>{TRUE});
  EXPECT_FALSE(AfxGetApp()->OnIdle(1));
  EXPECT_EQ(frame.updates.size(), 1u) << "later passes have nothing to do";
  frame.ShowWindow(SW_HIDE);
  EXPECT_TRUE(AfxGetApp()->OnIdle(0));
  EXPECT_EQ(frame.updates.size(), 1u) << "a hidden main window is not updated";
  frame.DestroyWindow();
}

// ---------------------------------------------------------------- exception barrier

class Thrower : public CWnd {
public:
  bool failCreate = false;

protected:
  int OnCreate(CREATESTRUCT*) {
    if (failCreate) throw std::runtime_error("create failed");
    return 0;
  }
  LRESULT OnBoom(WPARAM, LPARAM) { throw std::runtime_error("boom"); }
  LRESULT OnOdd(WPARAM, LPARAM) { throw 42; }
  DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(Thrower, CWnd)
  ON_WM_CREATE()
  ON_MESSAGE(WM_APP + 1, OnBoom)
  ON_MESSAGE(WM_APP + 2, OnOdd)
END_MESSAGE_MAP()

TEST_F(GuiTest, ExceptionsStopAtTheWindowProcedure) {
  Thrower w;
  ASSERT_TRUE(w.CreateEx(0, nullptr, "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr));
  EXPECT_EQ(w.SendMessage(WM_APP + 1), 0);
  w.PostMessage(WM_APP + 2);
  ASSERT_TRUE(PumpUntilIdle());
  EXPECT_EQ(TakeUnhandled(), (std::vector<std::string>{"boom", "unknown exception"}));
  w.DestroyWindow();

  Thrower failing;
  failing.failCreate = true;
  EXPECT_FALSE(failing.CreateEx(0, nullptr, "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr))
      << "a handler that threw in WM_CREATE refuses the window";
  EXPECT_EQ(TakeUnhandled(), std::vector<std::string>{"create failed"});
}

// ---------------------------------------------------------------- modal loops

class Owner : public CWnd {
public:
  int enterIdle = 0;

protected:
  void OnEnterIdle(UINT why, CWindow) {
    if (why == MSGF_DIALOGBOX) ++enterIdle;
  }
  DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(Owner, CWnd)
  ON_WM_ENTERIDLE()
END_MESSAGE_MAP()

class ModalPopup : public CWnd {
public:
  std::vector<LPARAM> kicks;
  bool finishAfterIdle = false;

protected:
  // Three idle kicks; after the last one, the window ends itself.
  LRESULT OnKickIdle(WPARAM, LPARAM count) {
    kicks.push_back(count);
    if (count < 2) return TRUE;
    if (finishAfterIdle) PostMessage(WM_COMMAND, IDOK);
    return FALSE;
  }
  void OnFinish() { EndModalLoop(IDOK); }
  DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(ModalPopup, CWnd)
  ON_MESSAGE(WM_KICKIDLE, OnKickIdle)
  ON_COMMAND(IDOK, OnFinish)
END_MESSAGE_MAP()

TEST_F(GuiTest, ModalLoopRunsItsScriptAndIdlesTheOwnerAndTheModalWindow) {
  Owner owner;
  ModalPopup popup;
  ASSERT_TRUE(owner.CreateEx(0, nullptr, "owner", WS_POPUP | WS_VISIBLE, 0, 0, 100, 100, nullptr, nullptr));
  ASSERT_TRUE(popup.CreateEx(0, nullptr, "modal", WS_POPUP | WS_VISIBLE, 10, 10, 50, 50, owner.m_hWnd, nullptr));
  int kicksWhenScriptRan = -1;
  ModalScript script([&](ModalPopup& m) {
    kicksWhenScriptRan = static_cast<int>(m.kicks.size());
    m.finishAfterIdle = true;
  });
  EXPECT_EQ(popup.RunModalLoop(), IDOK);
  EXPECT_EQ(kicksWhenScriptRan, 0) << "the script runs at the first idle moment";
  EXPECT_EQ(popup.kicks, (std::vector<LPARAM>{0, 1, 2}));
  EXPECT_GE(owner.enterIdle, 1);
  EXPECT_FALSE(popup.IsInModalLoop());
  popup.DestroyWindow();
  owner.DestroyWindow();
}

// ---------------------------------------------------------------- message boxes

TEST_F(GuiTest, MessageBoxesAreAnsweredInScriptOrder) {
  MessageBoxScript boxes{{"cannot be created", IDOK}, {"Save changes", IDNO}};
  EXPECT_EQ(AfxMessageBox("The file cannot be created."), IDOK);
  EXPECT_EQ(AfxMessageBox(IDS_CLX_ASK_TO_SAVE, MB_YESNOCANCEL), IDNO);
  EXPECT_EQ(boxes.shown.back(), "Save changes to %1?");
}

TEST_F(GuiTest, PromptContextHoldsTheHelpIdWhileTheBoxIsUp) {
  DWORD during = 0;
  clx::SetMessageBoxHandler([&](HWND, const char*, const char* caption, UINT type) {
    during = AfxGetApp()->m_dwPromptContext;
    EXPECT_STREQ(caption, "clx tests");
    EXPECT_EQ(type & MB_ICONMASK, 0u) << "the layer adds no icon";
    return IDOK;
  });
  AfxMessageBox(IDS_TEST_QUOTE);
  EXPECT_EQ(during, static_cast<DWORD>(HID_BASE_PROMPT + IDS_TEST_QUOTE));
  EXPECT_EQ(AfxGetApp()->m_dwPromptContext, 0u);
}

TEST_F(GuiTest, RealMessageBoxIsAnsweredAndLetsItsOwnerIdle) {
  Owner owner;
  ASSERT_TRUE(owner.CreateEx(0, nullptr, "owner", WS_POPUP | WS_VISIBLE, 0, 0, 100, 100, nullptr, nullptr));
  MainWindowScope main(&owner);
  MessageBoxScript boxes{{"real box", IDNO}};
  boxes.UseRealBoxes();
  EXPECT_EQ(AfxMessageBox("A real box.", MB_YESNO), IDNO);
  ASSERT_EQ(boxes.styles.size(), 1u);
  EXPECT_EQ(boxes.styles[0] & DS_NOIDLEMSG, 0u) << "the box's loop would not idle its owner";
  owner.DestroyWindow();
}

}  // namespace
