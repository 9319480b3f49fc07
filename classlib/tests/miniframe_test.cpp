// Mini-frames as palettes: their own style bits, the tool-window caption and
// class, captions that stay active together with the owner's, and the
// palette's state while a modal dialog runs.
#include <gtest/gtest.h>

#include <vector>

#include "clx/miniframe.h"
#include "testing/gui_test.h"

namespace {

// What a frame asked its default procedure to draw (captions are drawn by
// Wine only in a virtual desktop; the state passed down is what they show).
template <class Base>
class Recording : public Base {
public:
  std::vector<BOOL> drawn;  // since the test last cleared it
  BOOL Active() const { return m_active; }

  LRESULT DefWindowProc(UINT msg, WPARAM w, LPARAM l) override {
    if (msg == WM_NCACTIVATE) {
      m_active = w ? TRUE : FALSE;
      drawn.push_back(m_active);
    }
    return Base::DefWindowProc(msg, w, l);
  }

private:
  BOOL m_active = FALSE;
};
using MainFrame = Recording<CFrameWnd>;
using Palette = Recording<CMiniFrameWnd>;

constexpr DWORD kPaletteStyle = 0x82C80100;  // pop-up, clip children, caption, system menu, MFS_SYNCACTIVE

TEST_F(GuiTest, MiniFrameKeepsItsStyleBitsAndTakesAToolWindowClass) {
  auto* main = new CFrameWnd;
  ASSERT_TRUE(main->CreateEx(0, nullptr, "Main", WS_OVERLAPPEDWINDOW, 0, 0, 300, 200, nullptr, nullptr));
  struct Case {
    DWORD style;
    DWORD win32Style;
    DWORD kept;
  } cases[] = {
      {kPaletteStyle, WS_POPUP | WS_CLIPCHILDREN | WS_CAPTION | WS_SYSMENU, MFS_SYNCACTIVE},
      {kPaletteStyle | MFS_THICKFRAME, WS_POPUP | WS_CLIPCHILDREN | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME,
       MFS_SYNCACTIVE | MFS_THICKFRAME},
      {WS_POPUP | WS_CAPTION | MFS_4THICKFRAME | MFS_MOVEFRAME, WS_POPUP | WS_CAPTION, MFS_4THICKFRAME | MFS_MOVEFRAME},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.style);
    auto* palette = new CMiniFrameWnd;
    ASSERT_TRUE(palette->Create(nullptr, "Curves", c.style, CRect(10, 10, 170, 110), main));
    EXPECT_EQ(palette->GetStyle() & ~(WS_CLIPSIBLINGS | WS_VISIBLE), c.win32Style);
    EXPECT_EQ(palette->GetMiniFrameStyle(), c.kept);
    EXPECT_TRUE(::GetWindowLongPtrA(*palette, GWL_EXSTYLE) & WS_EX_TOOLWINDOW);
    EXPECT_EQ(::GetWindow(*palette, GW_OWNER), main->m_hWnd);
    EXPECT_EQ(palette->GetWindowText(), "Curves");
    EXPECT_EQ(::GetClassLongPtrA(*palette, GCL_STYLE), static_cast<ULONG_PTR>(CS_DBLCLKS));
    EXPECT_EQ(::GetClassLongPtrA(*palette, GCLP_HBRBACKGROUND), static_cast<ULONG_PTR>(COLOR_BTNFACE + 1));
    EXPECT_EQ(reinterpret_cast<HCURSOR>(::GetClassLongPtrA(*palette, GCLP_HCURSOR)),
              ::LoadCursorA(nullptr, MAKEINTRESOURCEA(32512)));
    palette->DestroyWindow();  // deletes itself
  }
  main->DestroyWindow();
}

TEST_F(GuiTest, SynchronisedPalettesAndTheirOwnerLookActiveTogether) {
  auto* main = new MainFrame;
  ASSERT_TRUE(main->CreateEx(0, nullptr, "Main", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 400, 300, nullptr, nullptr));
  auto* curves = new Palette;
  ASSERT_TRUE(curves->Create(nullptr, "Curves", kPaletteStyle | WS_VISIBLE, CRect(420, 10, 580, 110), main));
  auto* info = new Palette;
  ASSERT_TRUE(info->Create(nullptr, "Information", kPaletteStyle | WS_VISIBLE, CRect(420, 130, 580, 230), main));
  // Owned too, but not synchronised: it is no part of the family.
  auto* loupe = new Palette;
  ASSERT_TRUE(loupe->Create(nullptr, "Loupe", (kPaletteStyle & ~MFS_SYNCACTIVE) | WS_VISIBLE,
                            CRect(420, 250, 580, 350), main));
  auto* stranger = new MainFrame;
  ASSERT_TRUE(stranger->CreateEx(0, nullptr, "Stranger", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 500, 300, 200, 150,
                                 nullptr, nullptr));
  struct Case {
    CFrameWnd* activated;
    BOOL family;  // main and both synchronised palettes
  } cases[] = {
      {stranger, FALSE}, {main, TRUE}, {curves, TRUE},  {info, TRUE},     {main, TRUE},  {stranger, FALSE},
      {info, TRUE},      {loupe, FALSE}, {curves, TRUE}, {loupe, FALSE}, {main, TRUE}, {stranger, FALSE},
  };
  CFrameWnd* last = nullptr;
  for (const Case& c : cases) {
    for (auto* f : {main, stranger}) f->drawn.clear();
    for (auto* p : {curves, info, loupe}) p->drawn.clear();
    int tries = GuiTest::Activate(*c.activated);
    ASSERT_NE(tries, 0) << c.activated->GetWindowText().str();
    SCOPED_TRACE(c.activated->GetWindowText().str());
    EXPECT_EQ(main->Active(), c.family);
    EXPECT_EQ(curves->Active(), c.family);
    EXPECT_EQ(info->Active(), c.family);
    EXPECT_EQ(stranger->Active(), c.activated == stranger);
    EXPECT_EQ(loupe->Active(), c.activated == loupe);
    // Moving between palettes draws their captions inactive not even for a
    // moment (unless the desktop took the activation away meanwhile).
    if (c.family && tries == 1 && last && last != stranger && last != loupe) {
      for (auto* p : {curves, info})
        for (BOOL state : p->drawn) EXPECT_TRUE(state) << p->GetWindowText().str();
    }
    last = c.activated;
  }
  stranger->DestroyWindow();
  loupe->DestroyWindow();
  info->DestroyWindow();
  curves->DestroyWindow();
  main->DestroyWindow();
}

// A modal dialog of the system's (DialogBoxIndirect) owned by the main
// frame: what the palette looks like while it is up.
struct DuringDialog {
  HWND palette = nullptr;
  Palette* paletteObject = nullptr;
  MainFrame* main = nullptr;
  bool ran = false;
  BOOL paletteEnabled = TRUE;
  BOOL paletteActive = TRUE;
  BOOL mainActive = TRUE;
};

INT_PTR CALLBACK ModalDialogProc(HWND dlg, UINT msg, WPARAM, LPARAM l) {
  static DuringDialog* during = nullptr;
  if (msg == WM_INITDIALOG) {
    during = reinterpret_cast<DuringDialog*>(l);
    ::PostMessageA(dlg, WM_APP, 0, 0);  // looked at once the dialog runs
    return TRUE;
  }
  if (msg == WM_APP) {
    // Not whether the dialog is the active window: another program on the
    // same display may hold the activation, and what is looked at below
    // holds either way.
    during->ran = true;
    during->paletteEnabled = ::IsWindowEnabled(during->palette);
    during->paletteActive = during->paletteObject->Active();
    during->mainActive = during->main->Active();
    ::EndDialog(dlg, IDOK);
    return TRUE;
  }
  return FALSE;
}

TEST_F(GuiTest, PaletteIsDisabledAndDrawnInactiveWhileAModalDialogRuns) {
  auto* main = new MainFrame;
  ASSERT_TRUE(main->CreateEx(0, nullptr, "Main", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 400, 300, nullptr, nullptr));
  auto* palette = new Palette;
  ASSERT_TRUE(palette->Create(nullptr, "Curves", kPaletteStyle | WS_VISIBLE, CRect(420, 10, 580, 110), main));
  ASSERT_NE(GuiTest::Activate(*palette), 0);
  ASSERT_TRUE(main->Active());
  ASSERT_TRUE(palette->Active());

  // An empty dialog: header, then no menu, the default class and no title.
  struct {
    DLGTEMPLATE header;
    WORD menu = 0, windowClass = 0, title = 0;
  } dialog{{WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME, 0, 0, 20, 20, 120, 60}};
  DuringDialog during;
  during.palette = *palette;
  during.paletteObject = palette;
  during.main = main;
  INT_PTR result = ::DialogBoxIndirectParamA(::GetModuleHandleA(nullptr), &dialog.header, *main, &ModalDialogProc,
                                             reinterpret_cast<LPARAM>(&during));
  EXPECT_EQ(result, IDOK);
  ASSERT_TRUE(during.ran);
  EXPECT_FALSE(during.paletteEnabled);
  EXPECT_FALSE(during.paletteActive);
  EXPECT_FALSE(during.mainActive);

  ASSERT_TRUE(PumpUntilIdle());
  EXPECT_TRUE(palette->IsWindowEnabled()) << "enabled again with its owner";
  ASSERT_NE(GuiTest::Activate(*main), 0);
  EXPECT_TRUE(main->Active());
  EXPECT_TRUE(palette->Active());
  palette->DestroyWindow();
  main->DestroyWindow();
}

}  // namespace
