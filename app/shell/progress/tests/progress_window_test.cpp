// The progress window on its own thread, driven only by WM_PROGRESS from
// other threads: shown and hidden by its commands, placed over the pane, and
// its bar drawn to the width rule.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

#include "app/shell/progress/progress_model.h"
#include "app/shell/progress/progress_protocol.h"
#include "app/shell/progress/progress_thread.h"
#include "clx/wnd.h"
#include "testing/gui_test.h"

namespace {

constexpr uint16_t kLoadingImage = 10016;  // "Loading image" in this program's string table
constexpr uint16_t kTiny = 10090;          // "ab"
constexpr RECT kPane{10, 5, 390, 27};
// Names the window for a copy of this program that sends to it from another process.
constexpr char kTargetVariable[] = "TESS_PROGRESS_TARGET";

class HostWindow : public CWnd {};

class ProgressWindowTest : public GuiTest {
protected:
  void SetUp() override {
    GuiTest::SetUp();
    ASSERT_TRUE(host.CreateEx(0, nullptr, "host", WS_POPUP | WS_VISIBLE, 0, 0, 420, 40, nullptr, nullptr));
    thread = shell::StartProgressThread(host.m_hWnd, nullptr);
    ASSERT_NE(thread, nullptr);
    progress = thread->GetProgressWindow();
  }
  void TearDown() override {
    shell::EndProgressThread(thread);
    EXPECT_FALSE(::IsWindow(progress));
    host.DestroyWindow();
    GuiTest::TearDown();
  }

  LRESULT Send(WPARAM command, LPARAM value) { return ::SendMessageA(progress, shell::kProgressMessage, command, value); }
  void Place() { Send(shell::kProgressPlace, reinterpret_cast<LPARAM>(&kPane)); }
  void Begin(uint16_t steps, uint16_t caption) { Send(shell::kProgressBegin, shell::MakeProgressBegin(steps, caption)); }
  bool Visible() const { return ::IsWindowVisible(progress) != FALSE; }
  CRect RectInHost() const {
    CRect r;
    ::GetWindowRect(progress, &r);
    ::MapWindowPoints(nullptr, host.m_hWnd, reinterpret_cast<POINT*>(&r), 2);
    return r;
  }
  static int CaptionWidth(const char* text) {
    HDC dc = ::CreateCompatibleDC(nullptr);
    HGDIOBJ old = ::SelectObject(dc, ::GetStockObject(DEFAULT_GUI_FONT));
    SIZE size{};
    ::GetTextExtentPoint32A(dc, text, static_cast<int>(std::string(text).size()), &size);
    ::SelectObject(dc, old);
    ::DeleteDC(dc);
    return size.cx;
  }

  HostWindow host;
  CProgressThread* thread = nullptr;
  HWND progress = nullptr;
};

TEST_F(ProgressWindowTest, IsAHiddenChildOfTheMainWindowOnItsOwnThread) {
  EXPECT_EQ(::GetParent(progress), host.m_hWnd);
  EXPECT_EQ(::GetWindowThreadProcessId(progress, nullptr), thread->m_nThreadID);
  EXPECT_NE(thread->m_nThreadID, ::GetCurrentThreadId());
  EXPECT_FALSE(Visible());
  EXPECT_EQ(::GetDlgCtrlID(progress), -1);
  EXPECT_TRUE(::GetWindowLongA(progress, GWL_EXSTYLE) & WS_EX_NOPARENTNOTIFY);
  char text[32] = {};
  ::GetWindowTextA(progress, text, sizeof text);
  EXPECT_STREQ(text, "Progress");
}

TEST_F(ProgressWindowTest, BeginShowsOverThePaneAndTheLastStepHides) {
  Place();
  EXPECT_FALSE(Visible()) << "placing alone shows nothing";
  Begin(3, kLoadingImage);
  ASSERT_TRUE(Visible());
  EXPECT_EQ(RectInHost(), CRect(11, 5, 11 + 380 - 21, 27));
  Send(shell::kProgressStep, 0);
  Send(shell::kProgressStep, 0);
  EXPECT_TRUE(Visible());
  Send(shell::kProgressStep, 0);
  EXPECT_FALSE(Visible());
  Begin(0, 0);
  EXPECT_FALSE(Visible()) << "a begin with no steps while idle changes nothing";
}

TEST_F(ProgressWindowTest, HiddenStatusBarHidesTheRunAndRefusesCommandsUntilPlacedAgain) {
  Place();
  Begin(2, kLoadingImage);
  ASSERT_TRUE(Visible());
  Send(shell::kProgressPlace, 0);
  EXPECT_FALSE(Visible());
  Send(shell::kProgressStep, 0);
  Send(shell::kProgressStep, 0);  // not counted: the run survives them
  Begin(5, kLoadingImage);        // refused too
  EXPECT_FALSE(Visible());
  Place();
  EXPECT_FALSE(Visible()) << "shown again by the next command, not by the pane";
  Send(shell::kProgressSetFraction, 0);
  EXPECT_TRUE(Visible());
  Send(shell::kProgressStep, 0);
  EXPECT_TRUE(Visible());
  Send(shell::kProgressStep, 0);
  EXPECT_FALSE(Visible()) << "the run still had its two steps";
}

TEST_F(ProgressWindowTest, PlainNumberCommandsWorkFromAnyThreadAndOthersAreIgnored) {
  Place();
  std::thread other([this] {
    Begin(2, kLoadingImage);
    Send(shell::kProgressSetFraction, 5000);
    Send(4, 0);           // unknown commands answer 0 and do nothing
    Send(0xFFFF, 0);
    Send(0x27270001, 0);  // only the low 16 bits name the command: a step
  });
  other.join();
  EXPECT_TRUE(Visible());
  // A pane pointer that is not ours (another process's) is refused, not read.
  EXPECT_EQ(Send(shell::kProgressPlace, 0x10), 0);
  EXPECT_TRUE(Visible());
  EXPECT_EQ(RectInHost().left, 11) << "the window stayed where it was";
  EXPECT_EQ(Send(shell::kProgressStep, 0), 0);
  EXPECT_FALSE(Visible()) << "the step with high bits counted as the first step";
}

// Runs this program again, only the sender below, with the window's handle.
DWORD RunSenderProcess(HWND target) {
  char exe[MAX_PATH] = {};
  ::GetModuleFileNameA(nullptr, exe, MAX_PATH);
  std::string command = std::string("\"") + exe + "\" --gtest_filter=ProgressSender.*";
  char value[32];
  std::snprintf(value, sizeof value, "%llx", static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(target)));
  // Its results must not replace this program's; its output goes nowhere.
  char results[MAX_PATH] = {};
  DWORD kept = ::GetEnvironmentVariableA("GTEST_OUTPUT", results, MAX_PATH);
  ::SetEnvironmentVariableA("GTEST_OUTPUT", nullptr);
  ::SetEnvironmentVariableA(kTargetVariable, value);
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  PROCESS_INFORMATION process{};
  BOOL started = ::CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                                  nullptr, &startup, &process);
  ::SetEnvironmentVariableA(kTargetVariable, nullptr);
  if (kept) ::SetEnvironmentVariableA("GTEST_OUTPUT", results);
  if (!started) return 1000;
  DWORD code = 1001;
  if (clx::WaitServicingSent(process.hProcess, 60000) == WAIT_OBJECT_0) ::GetExitCodeProcess(process.hProcess, &code);
  ::CloseHandle(process.hThread);
  ::CloseHandle(process.hProcess);
  return code;
}

// The sender half: runs only when started by the test above.
TEST(ProgressSender, SendsPlainNumberCommandsToTheNamedWindow) {
  const char* target = std::getenv(kTargetVariable);
  if (!target) GTEST_SKIP() << "started only by the cross-process test";
  auto window = reinterpret_cast<HWND>(static_cast<UINT_PTR>(std::strtoull(target, nullptr, 16)));
  ASSERT_TRUE(::IsWindow(window));
  ::SendMessageA(window, shell::kProgressMessage, shell::kProgressBegin, shell::MakeProgressBegin(2, kLoadingImage));
  ::SendMessageA(window, shell::kProgressMessage, shell::kProgressSetFraction, 9999);
  ::SendMessageA(window, shell::kProgressMessage, shell::kProgressStep, 0);
}

TEST_F(ProgressWindowTest, PlainNumberCommandsWorkFromAnotherProcess) {
  Place();
  ASSERT_EQ(RunSenderProcess(progress), 0u);
  ASSERT_TRUE(Visible()) << "begun with two steps, one done";
  Send(shell::kProgressSetFraction, 5000);
  Send(shell::kProgressStep, 0);
  EXPECT_FALSE(Visible()) << "the second step ended the run";
}

TEST_F(ProgressWindowTest, BarWidthFollowsTheCaptionAndDoneShareIsWholePercent) {
  struct Case {
    uint16_t caption;
    const char* text;
    int32_t fraction;
  } cases[] = {{kLoadingImage, "Loading image", 9999}, {kTiny, "ab", 10000}, {0, "", 12345}};
  Place();
  const COLORREF face = ::GetSysColor(COLOR_BTNFACE);
  const COLORREF highlight = ::GetSysColor(COLOR_BTNHIGHLIGHT);
  const COLORREF shadow = ::GetSysColor(COLOR_BTNSHADOW);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    Begin(1, c.caption);
    Send(shell::kProgressSetFraction, c.fraction);
    const int bar = shell::ProgressBarWidth(*c.text ? CaptionWidth(c.text) : 0);
    const int done = shell::ProgressDoneWidth(bar, 0, shell::ProgressStepShare(c.fraction), 1);
    clx::test::Image image = clx::test::CaptureWindow(progress);
    ASSERT_GT(image.width, bar + 4);
    const int y = image.height - 2;  // below the caption, above the bottom line
    EXPECT_EQ(image.PixelAt(done - 1, y), RGB(0, 0, 0));
    EXPECT_EQ(image.PixelAt(bar, y), highlight);
    EXPECT_EQ(image.PixelAt(bar + 1, y), face);
    EXPECT_EQ(image.PixelAt(bar + 3, y), shadow);
    EXPECT_EQ(image.PixelAt(bar + 3, image.height - 1), highlight) << "the shadow column stops a pixel short";
    EXPECT_EQ(image.PixelAt(bar + 10, 0), shadow);
    if (done < bar) {
      EXPECT_EQ(image.PixelAt(done, y), face);
    }
    Begin(0, 0);
  }
}

TEST_F(ProgressWindowTest, NinetyNinePointNineNineDrawsNinetyNinePercent) {
  Place();
  Begin(1, kTiny);  // a 100-pixel bar: one pixel a percent
  Send(shell::kProgressSetFraction, 9999);
  clx::test::Image image = clx::test::CaptureWindow(progress);
  const int y = image.height - 2;
  EXPECT_EQ(image.PixelAt(98, y), RGB(0, 0, 0));
  EXPECT_EQ(image.PixelAt(99, y), ::GetSysColor(COLOR_BTNFACE));
  Begin(0, 0);
}

TEST(ProgressThreadStart, ThreadWhoseWindowCannotBeMadeFailsStartUpInsteadOfHanging) {
  // A child window without a parent cannot be made: the thread ends unsignalled.
  EXPECT_EQ(shell::StartProgressThread(nullptr, nullptr), nullptr);
  shell::EndProgressThread(nullptr);
}

}  // namespace
