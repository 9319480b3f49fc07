// CWinApp::DoMessageBox: owner, caption, prompt context and the main
// frame's modal state, through the test seam and once as a real box.
#include <gtest/gtest.h>

#include <string>

#include "clx/dialog.h"
#include "clx/frame.h"
#include "clx/messages.h"
#include "testing/gui_test.h"

namespace {

// A main frame with an attached, owned modeless window (a palette).
struct FrameWithPalette {
  CFrameWnd* frame = new CFrameWnd;  // deletes itself with its window
  CWnd palette;

  bool Make() {
    if (!frame->CreateEx(0, nullptr, "main", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 400, 300, nullptr, nullptr))
      return false;
    AfxGetApp()->m_pMainWnd = frame;
    frame->SetForegroundWindow();
    return palette.CreateEx(WS_EX_TOOLWINDOW, nullptr, "palette", WS_POPUP | WS_CAPTION, 420, 0, 100, 100,
                            frame->m_hWnd, nullptr) != FALSE;
  }
  ~FrameWithPalette() {
    palette.DestroyWindow();
    AfxGetApp()->m_pMainWnd = nullptr;
    if (::IsWindow(frame->m_hWnd)) ::DestroyWindow(frame->m_hWnd);
  }
};

struct Seen {
  HWND owner = nullptr;
  std::string caption;
  UINT type = 0;
  DWORD context = 0;
  BOOL paletteEnabled = TRUE;
};

TEST_F(GuiTest, MessageBoxIsOwnedTitledAndHoldsContextAndModalState) {
  FrameWithPalette main;
  ASSERT_TRUE(main.Make());
  ASSERT_TRUE(PumpUntilIdle());
  Seen seen;
  clx::SetMessageBoxHandler([&](HWND owner, const char*, const char* caption, UINT type) {
    seen = {owner, caption, type, AfxGetApp()->m_dwPromptContext, main.palette.IsWindowEnabled()};
    return IDNO;
  });
  EXPECT_EQ(AfxMessageBox("Delete the files?", MB_YESNO, 77), IDNO);
  EXPECT_EQ(seen.owner, main.frame->m_hWnd);
  EXPECT_EQ(seen.caption, "clx tests");
  EXPECT_EQ(seen.type, static_cast<UINT>(MB_YESNO)) << "no icon is added";
  EXPECT_EQ(seen.context, static_cast<DWORD>(HID_BASE_PROMPT + 77));
  EXPECT_FALSE(seen.paletteEnabled) << "modeless windows are disabled while the box is up";
  EXPECT_TRUE(main.palette.IsWindowEnabled());
  EXPECT_EQ(AfxGetApp()->m_dwPromptContext, 0u);
}

// A box from inside a modal dialog belongs to the dialog, and ending it does
// not end the modal state the dialog's loop holds.
TEST_F(GuiTest, MessageBoxDuringAModalDialogIsOwnedByTheDialog) {
  FrameWithPalette main;
  ASSERT_TRUE(main.Make());
  clx::DialogTemplate tmpl(0x80C00080, 0, 0, 0, 80, 40);
  CDialog dlg;
  dlg.InitModalIndirect(tmpl.Get());
  Seen seen;
  BOOL paletteAfterBox = TRUE;
  HWND dialogWindow = nullptr;
  ModalScript script([&](CDialog& d) {
    dialogWindow = d.m_hWnd;
    clx::SetMessageBoxHandler([&](HWND owner, const char*, const char*, UINT) {
      seen.owner = owner;
      seen.paletteEnabled = main.palette.IsWindowEnabled();
      return IDOK;
    });
    AfxMessageBox("Inside.");
    paletteAfterBox = main.palette.IsWindowEnabled();
    d.EndDialog(IDOK);
  });
  EXPECT_EQ(dlg.DoModal(), IDOK);
  EXPECT_EQ(seen.owner, dialogWindow);
  EXPECT_FALSE(seen.paletteEnabled);
  EXPECT_FALSE(paletteAfterBox) << "the dialog still runs: its modal state stays";
  EXPECT_TRUE(main.palette.IsWindowEnabled());
  EXPECT_TRUE(main.frame->IsWindowEnabled());
}

// The real MessageBoxA: answered at activation by a CBT hook.
class RealBoxAnswer {
public:
  explicit RealBoxAnswer(int answer) : m_answer(answer) {
    s_self = this;
    m_hook = ::SetWindowsHookExA(WH_CBT, &Proc, nullptr, ::GetCurrentThreadId());
  }
  ~RealBoxAnswer() {
    ::UnhookWindowsHookEx(m_hook);
    s_self = nullptr;
  }
  int shown = 0;
  HWND owner = nullptr;
  std::string caption, text;
  BOOL paletteEnabled = TRUE;
  CWnd* palette = nullptr;

private:
  static LRESULT CALLBACK Proc(int code, WPARAM w, LPARAM l) {
    RealBoxAnswer* self = s_self;
    HWND box = reinterpret_cast<HWND>(w);
    // A box counts once however often the desktop activates it again.
    if (code == HCBT_ACTIVATE && self && CWindow(box).GetClassName() == "#32770" && box != self->m_box &&
        self->shown++ == 0) {
      self->m_box = box;
      self->owner = ::GetWindow(box, GW_OWNER);
      self->caption = CWindow(box).GetWindowText().str();
      self->text = CWindow(box).GetDlgItemText(0xFFFF).str();
      self->paletteEnabled = self->palette ? self->palette->IsWindowEnabled() : TRUE;
      ::PostMessageA(box, WM_COMMAND, MAKEWPARAM(self->m_answer, BN_CLICKED), 0);
    }
    return ::CallNextHookEx(self ? self->m_hook : nullptr, code, w, l);
  }
  static inline RealBoxAnswer* s_self = nullptr;
  int m_answer;
  HWND m_box = nullptr;
  HHOOK m_hook = nullptr;
};

TEST_F(GuiTest, RealMessageBoxHasTheOwnerCaptionAndModalStateOfTheSeam) {
  FrameWithPalette main;
  ASSERT_TRUE(main.Make());
  ASSERT_TRUE(PumpUntilIdle());
  clx::SetMessageBoxHandler(nullptr);
  RealBoxAnswer answer(IDRETRY);
  answer.palette = &main.palette;
  EXPECT_EQ(AfxMessageBox("The disk is full.", MB_RETRYCANCEL), IDRETRY);
  EXPECT_EQ(answer.shown, 1);
  EXPECT_EQ(answer.owner, main.frame->m_hWnd);
  EXPECT_EQ(answer.caption, "clx tests");
  EXPECT_EQ(answer.text, "The disk is full.");
  EXPECT_FALSE(answer.paletteEnabled);
  EXPECT_TRUE(main.palette.IsWindowEnabled());
  EXPECT_TRUE(main.frame->IsWindowEnabled());
}

}  // namespace
