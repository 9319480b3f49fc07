// The test harness itself: input reaches the right window and is translated,
// pumping is bounded, scripts fail loudly, windows can be read back.
#include <gtest/gtest.h>
#include <gtest/gtest-spi.h>

#include <string>
#include <vector>

#include "clx/menu.h"
#include "clx/wnd.h"
#include "testing/gui_test.h"

namespace {

class KeyLog : public CWnd {
public:
  std::string chars;
  std::vector<CPoint> downs, moves;
  int dblClicks = 0;

protected:
  void OnChar(UINT ch, UINT, UINT) { chars += static_cast<char>(ch); }
  void OnLButtonDown(UINT, CPoint p) { downs.push_back(p); }
  void OnLButtonDblClk(UINT, CPoint) { ++dblClicks; }
  void OnMouseMove(UINT flags, CPoint p) {
    if (flags & MK_LBUTTON) moves.push_back(p);
  }
  DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(KeyLog, CWnd)
  ON_WM_CHAR()
  ON_WM_LBUTTONDOWN()
  ON_WM_LBUTTONDBLCLK()
  ON_WM_MOUSEMOVE()
END_MESSAGE_MAP()

TEST_F(GuiTest, KeysAreTranslatedWithTheModifiersHeld) {
  KeyLog w;
  ASSERT_TRUE(w.CreateEx(0, AfxRegisterWndClass(CS_DBLCLKS), "", WS_POPUP | WS_VISIBLE, 0, 0, 100, 50, nullptr, nullptr));
  PressKey(w, 'A');
  PressKey(w, 'A', kShift);
  TypeText(w, "1.5!");
  EXPECT_EQ(w.chars, "aA1.5!");
  EXPECT_EQ(::GetKeyState(VK_SHIFT) & 0x8000, 0) << "modifiers are released again";

  HWND edit = ::CreateWindowExA(0, "EDIT", "", WS_CHILD | WS_VISIBLE, 0, 0, 90, 20, w, nullptr, nullptr, nullptr);
  ASSERT_NE(Activate(w), 0);
  ::SetFocus(edit);
  TypeText(w, "2.25");
  EXPECT_EQ(CWindow(edit).GetWindowText(), "2.25") << "keys go to the focus window inside the target";
  w.DestroyWindow();
}

TEST_F(GuiTest, ClicksAndDragsArriveInClientCoordinates) {
  KeyLog w;
  ASSERT_TRUE(w.CreateEx(0, AfxRegisterWndClass(CS_DBLCLKS), "", WS_POPUP | WS_VISIBLE, 0, 0, 100, 50, nullptr, nullptr));
  Click(w, CPoint(10, 20), true);
  EXPECT_EQ(w.downs, std::vector<CPoint>{CPoint(10, 20)});
  EXPECT_EQ(w.dblClicks, 1);
  Drag(w, CPoint(0, 0), CPoint(40, 20), 2);
  EXPECT_EQ(w.moves, (std::vector<CPoint>{CPoint(20, 10), CPoint(40, 20)}));
  w.DestroyWindow();
}

// Re-posts a message to itself forever: pumping must give up, not hang.
class Storm : public CWnd {
public:
  bool on = true;

protected:
  LRESULT OnAgain(WPARAM, LPARAM) {
    if (on) PostMessage(WM_APP + 9);
    return 0;
  }
  DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(Storm, CWnd)
  ON_MESSAGE(WM_APP + 9, OnAgain)
END_MESSAGE_MAP()

TEST_F(GuiTest, PumpingGivesUpOnEndlessMessagesAndNamesThem) {
  Storm w;
  ASSERT_TRUE(w.CreateEx(0, nullptr, "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr));
  w.PostMessage(WM_APP + 9);
  bool result = true;
  EXPECT_NONFATAL_FAILURE(result = PumpUntilIdle(50), "0x8009");
  EXPECT_FALSE(result);
  w.on = false;
  EXPECT_TRUE(PumpUntilIdle());
  int seen = 0;
  w.PostMessage(WM_APP + 9);
  EXPECT_TRUE(PumpUntil([&] { return ++seen > 1 && !::GetQueueStatus(QS_POSTMESSAGE); }));
  w.DestroyWindow();
}

TEST_F(GuiTest, UnscriptedOrMismatchedMessageBoxesFailAndAreCancelled) {
  int answer = 0;
  EXPECT_NONFATAL_FAILURE(answer = AfxMessageBox("surprise"), "unexpected message box: surprise");
  EXPECT_EQ(answer, IDCANCEL);
  {
    MessageBoxScript boxes{{"expected", IDYES}};
    EXPECT_NONFATAL_FAILURE(answer = AfxMessageBox("something else"), "does not contain \"expected\"");
    EXPECT_EQ(answer, IDCANCEL);
  }
}

TEST_F(GuiTest, MenuLoopsAreDrivenByKeys) {
  CWnd owner;
  ASSERT_TRUE(owner.CreateEx(0, nullptr, "", WS_POPUP | WS_VISIBLE, 0, 0, 100, 100, nullptr, nullptr));
  owner.SetForegroundWindow();
  CMenu menu;
  menu.CreatePopupMenu();
  menu.AppendMenu(MF_STRING, 501, "&First");
  menu.AppendMenu(MF_STRING, 502, "&Second");
  menu.AppendMenu(MF_STRING, 503, "&Third");
  {
    MenuScript keys{VK_DOWN, VK_DOWN, VK_RETURN};
    EXPECT_EQ(menu.TrackPopupMenu(TPM_RETURNCMD | TPM_NONOTIFY, 10, 10, owner), 502);
  }
  {
    MenuScript keys{VK_ESCAPE};
    EXPECT_EQ(menu.TrackPopupMenu(TPM_RETURNCMD | TPM_NONOTIFY, 10, 10, owner), 0);
  }
  owner.DestroyWindow();
}

class Painted : public CWnd {
protected:
  void OnPaint() {
    CPaintDC dc(m_hWnd);
    CRect r = GetClientRect();
    dc.FillSolidRect(&r, RGB(0, 0, 200));
    dc.FillSolidRect(0, 0, 10, 10, RGB(250, 100, 0));
  }
  DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(Painted, CWnd)
  ON_WM_PAINT()
END_MESSAGE_MAP()

TEST_F(GuiTest, CaptureReadsTheWindowsOwnPainting) {
  Painted w;
  ASSERT_TRUE(w.CreateEx(0, nullptr, "captured", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 20, 20, 160, 120, nullptr, nullptr));
  ASSERT_TRUE(PumpUntilIdle());
  clx::test::Image client = clx::test::CaptureWindow(w);
  CRect cr = w.GetClientRect();
  ASSERT_EQ(client.width, cr.Width());
  EXPECT_EQ(client.PixelAt(0, 0), RGB(250, 100, 0));
  EXPECT_EQ(client.PixelAt(9, 9), RGB(250, 100, 0));
  EXPECT_EQ(client.PixelAt(10, 10), RGB(0, 0, 200));
  EXPECT_EQ(client.PixelAt(client.width - 1, client.height - 1), RGB(0, 0, 200));

  clx::test::Image whole = clx::test::CaptureWindow(w, true);
  EXPECT_EQ(whole.width, w.GetWindowRect().Width());
  // The client area sits inside the frame at its offset in window coordinates.
  CPoint origin(0, 0);
  w.ClientToScreen(&origin);
  CRect wr = w.GetWindowRect();
  EXPECT_EQ(whole.PixelAt(origin.x - wr.left + 12, origin.y - wr.top + 12), RGB(0, 0, 200));
  EXPECT_NE(whole.PixelAt(whole.width / 2, 2), RGB(0, 0, 200)) << "the frame is drawn too";

  char dir[MAX_PATH];
  ::GetTempPathA(MAX_PATH, dir);
  std::string path = std::string(dir) + "clx_capture_" + std::to_string(::GetCurrentProcessId()) + ".bmp";
  ASSERT_TRUE(client.SaveBmp(path));
  CBitmap back;
  back.Attach(::LoadImageA(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE));
  EXPECT_EQ(back.GetSize(), CSize(client.width, client.height));
  ::DeleteFileA(path.c_str());
  w.DestroyWindow();
}

}  // namespace
