#pragma once
// GUI test support: a fixture that checks each test leaves nothing behind,
// deterministic pumping to idle, synthetic input, scripted answers for
// message boxes and modal loops, and reading a window's pixels back.
// Rules: no sleeps, every wait bounded, one virtual desktop per program.
#include <gtest/gtest.h>

#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <type_traits>
#include <vector>

#include "clx/app.h"
#include "clx/wnd.h"

namespace clx::test {

// The application object of every GUI test program: no main window.
class TestApp : public CWinApp {
public:
  TestApp();
};

enum Modifiers : unsigned { kNone = 0, kShift = 1, kCtrl = 2, kAlt = 4 };

// 32-bit pixels read back from a window (0x00RRGGBB per pixel, top row first).
struct Image {
  int width = 0;
  int height = 0;
  std::vector<uint32_t> pixels;
  COLORREF PixelAt(int x, int y) const;  // as a COLORREF, for comparing with GetSysColor
  bool SaveBmp(const std::string& path) const;  // 24-bit BMP
};

// Paints `hwnd` through its own DC (client area, or with `nonClient` the
// whole window, caption included) into a 32-bit DIB. Not the screen DC:
// with several desktops on one X screen it reads black.
Image CaptureWindow(HWND hwnd, bool nonClient = false);

// Answers the program's message boxes in order: each entry names a fragment
// of the expected text and the answer. A box that does not match, or one too
// many, fails the test and is answered IDCANCEL. Left-over entries fail too.
class MessageBoxScript {
public:
  struct Box {
    std::string fragment;
    int answer;
  };
  MessageBoxScript(std::initializer_list<Box> boxes);
  ~MessageBoxScript();
  // Real MessageBoxA windows instead of the seam: the box is answered when it
  // is activated (exercises the Win32 path; use once per suite).
  void UseRealBoxes();
  std::vector<std::string> shown;  // texts of the boxes seen
  std::vector<DWORD> styles;       // window styles of the real boxes, at activation

private:
  friend struct BoxHook;
  int Answer(const char* text);
  std::deque<Box> m_boxes;
  HHOOK m_hook = nullptr;
  HWND m_answered = nullptr;  // a box the desktop activates again is answered once
};

// Runs `fn` at the first idle moment of the next modal loop, with the modal
// window as the class the callable takes (CWnd&, or a class derived from it).
class ModalScript {
public:
  template <class F>
  explicit ModalScript(F fn) : ModalScript(Wrap(std::move(fn), &F::operator())) {}
  explicit ModalScript(std::function<void(CWnd&)> fn);
  ~ModalScript();
  int runs = 0;

private:
  template <class F, class W>
  static std::function<void(CWnd&)> Wrap(F fn, void (F::*)(W&) const) {
    return [fn](CWnd& w) { if (auto* t = Cast<W>(w)) fn(*t); };
  }
  template <class F, class W>
  static std::function<void(CWnd&)> Wrap(F fn, void (F::*)(W&)) {
    return [fn](CWnd& w) mutable { if (auto* t = Cast<W>(w)) fn(*t); };
  }
  template <class W>
  static W* Cast(CWnd& w) {
    auto* t = dynamic_cast<W*>(&w);
    if (!t) {
      ADD_FAILURE() << "modal window is a " << w.GetRuntimeClass()->m_lpszClassName;
      w.EndModalLoop(IDCANCEL);
    }
    return t;
  }
  std::function<void(CWnd&)> m_fn;
};

// Drives the next menu loop of this thread (pop-up, menu bar, system menu):
// when the loop first goes idle (WM_ENTERIDLE with MSGF_MENU to its owner) the
// keys are posted to the menu, e.g. {VK_DOWN, VK_RETURN} or {VK_ESCAPE}.
class MenuScript {
public:
  MenuScript(std::initializer_list<UINT> keys);
  ~MenuScript();
  int runs = 0;

private:
  static LRESULT CALLBACK Proc(int code, WPARAM w, LPARAM l);
  std::vector<UINT> m_keys;
  HHOOK m_hook = nullptr;
};

class GuiTest : public ::testing::Test {
public:
  static constexpr unsigned kShift = clx::test::kShift;
  static constexpr unsigned kCtrl = clx::test::kCtrl;
  static constexpr unsigned kAlt = clx::test::kAlt;

  // Dispatches messages and runs idle passes until the queue stays empty and
  // OnIdle asks for no more. False (and a test failure naming the last
  // messages) when a bound is exceeded.
  static bool PumpUntilIdle(int maxMessages = 5000, int maxIdlePasses = 1000);
  // Pumps until `pred()` holds; false (and a failure) after `maxMessages`.
  static bool PumpUntil(const std::function<bool()>& pred, int maxMessages = 5000);

  // The keyboard focus as the user sees it. A loaded desktop may take this
  // thread's activation away between two steps of a test, and GetFocus() is
  // then null although nothing in the program moved the focus: the window
  // that had the focus (or `within`'s top-level window, which gives back its
  // own saved focus) is activated again first, so that tests of keyboard
  // behaviour do not depend on the desktop's timing.
  static HWND FocusWindow(HWND within = nullptr);
  // Key press with modifiers held (Ctrl, Shift, Alt), posted to the focus
  // window (FocusWindow) when it lies inside `target`, else to `target`, and
  // pumped.
  static void PressKey(HWND target, UINT vk, unsigned mods = 0);
  static void TypeText(HWND target, const char* text);
  // F1 as the system reports it (WM_KEYF1): a posted VK_F1 key-down makes no WM_HELP.
  static void PressF1(HWND target);
  static void Click(HWND wnd, POINT client, bool doubleClick = false);
  static void Drag(HWND wnd, POINT from, POINT to, int steps = 4);
  static void FireTimer(HWND wnd, UINT_PTR id) { ::PostMessageA(wnd, WM_TIMER, id, 0); }
  static void ClickButton(HWND parent, int id);

  // For tests of focus and activation only: makes `h` the active window and
  // waits until it is; the number of tries it took, 0 when it never held.
  // Programs beside this one share the X display, and the virtual desktop
  // hands the foreground over by events of its own, which a loaded machine
  // may deliver late and undo a first try. Tests of anything else must not
  // need the activation.
  static int Activate(HWND h);

  // Exceptions that reached the layer's barrier since the last call.
  static std::vector<std::string> TakeUnhandled();
  // The exit code of a WM_QUIT seen while pumping, or -1.
  static int TakeQuit();

protected:
  void SetUp() override;
  void TearDown() override;
};

}  // namespace clx::test

using clx::test::GuiTest;
using clx::test::MessageBoxScript;
using clx::test::MenuScript;
using clx::test::ModalScript;
