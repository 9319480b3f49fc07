// The control wrappers against the real controls: values round-trip,
// notifications reach the parent's map, owner-draw reaches the control.
#include <gtest/gtest.h>

#include <vector>

#include "clx/controls.h"
#include "testing/gui_test.h"
#include "tests/dialog_ids.h"

namespace {

// The parent of the controls; records what its map receives.
class Parent : public CWnd {
public:
  int clicks = 0;
  std::vector<int> tabChanges;  // the selection seen at each TCN_SELCHANGE
  CTabCtrl* tabs = nullptr;

  bool Make() { return CreateEx(0, nullptr, "parent", WS_POPUP | WS_VISIBLE, 0, 0, 500, 400, nullptr, nullptr); }

protected:
  void OnClicked() { ++clicks; }
  void OnTabChange(NMHDR*, LRESULT*) { tabChanges.push_back(tabs->GetCurSel()); }
  DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(Parent, CWnd)
  ON_BN_CLICKED(10, OnClicked)
  ON_NOTIFY(TCN_SELCHANGE, 20, OnTabChange)
END_MESSAGE_MAP()

constexpr DWORD kChild = WS_CHILD | WS_VISIBLE;

TEST_F(GuiTest, SliderRangeAndPositionRoundTrip) {
  Parent p;
  ASSERT_TRUE(p.Make());
  CSliderCtrl slider;
  ASSERT_TRUE(slider.Create(kChild | TBS_HORZ, CRect(0, 0, 200, 30), &p, 1));
  struct Case {
    int lo, hi, pos, expectedPos;
  } cases[] = {
      {0, 100, 40, 40},
      {-50, 50, -20, -20},
      {0, 100000, 70000, 70000},  // beyond the 16 bits of TBM_SETRANGE
      {0, 10, 25, 10},            // clamped to the range
      {5, 10, 0, 5},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.lo << ".." << c.hi << " at " << c.pos);
    slider.SetRange(c.lo, c.hi, TRUE);
    int lo = 0, hi = 0;
    slider.GetRange(lo, hi);
    EXPECT_EQ(lo, c.lo);
    EXPECT_EQ(hi, c.hi);
    slider.SetPos(c.pos);
    EXPECT_EQ(slider.GetPos(), c.expectedPos);
  }
  slider.SetLineSize(3);
  slider.SetPageSize(12);
  EXPECT_EQ(slider.GetLineSize(), 3);
  EXPECT_EQ(slider.GetPageSize(), 12);
  p.DestroyWindow();
}

TEST_F(GuiTest, TabControlAdjustsRectanglesBothWaysAndReportsPageChanges) {
  Parent p;
  ASSERT_TRUE(p.Make());
  CTabCtrl tabs;
  p.tabs = &tabs;
  ASSERT_TRUE(tabs.Create(kChild | WS_CLIPSIBLINGS | TCS_RAGGEDRIGHT, CRect(2, 1, 302, 201), &p, 20));
  int next = 0;
  for (const char* title : {"General", "File Locations", "Grid Lines"}) {
    EXPECT_EQ(tabs.InsertItem(next, title), next);
    ++next;
  }
  EXPECT_EQ(tabs.GetItemCount(), 3);
  EXPECT_EQ(tabs.GetItemText(1), "File Locations");

  CRect window = tabs.GetWindowRect();
  CRect display = window;
  tabs.AdjustRect(FALSE, &display);
  EXPECT_GT(display.top, window.top) << "the tabs take room at the top";
  EXPECT_TRUE(CRect().IntersectRect(&display, &window) && display.Width() < window.Width());
  CRect back = display;
  tabs.AdjustRect(TRUE, &back);
  EXPECT_EQ(back, window);

  EXPECT_EQ(tabs.SetCurSel(2), 0);
  EXPECT_EQ(tabs.GetCurSel(), 2);
  EXPECT_TRUE(p.tabChanges.empty()) << "setting the selection notifies nobody";
  CRect item;
  ASSERT_TRUE(tabs.GetItemRect(1, &item));
  Click(tabs, item.CenterPoint());
  EXPECT_EQ(p.tabChanges, (std::vector<int>{1}));
  p.DestroyWindow();
}

TEST_F(GuiTest, ListBoxKeepsItemDataAndMultipleSelections) {
  Parent p;
  ASSERT_TRUE(p.Make());
  CListBox multi, single;
  ASSERT_TRUE(multi.Create(kChild | LBS_EXTENDEDSEL | LBS_NOTIFY | WS_HSCROLL, CRect(0, 0, 150, 200), &p, 1));
  ASSERT_TRUE(single.Create(kChild | LBS_NOTIFY, CRect(160, 0, 300, 200), &p, 2));
  for (const char* text : {"alpha", "beta", "gamma", "delta"}) {
    int at = multi.AddString(text);
    multi.SetItemData(at, 0x8320u + static_cast<unsigned>(at));
    single.AddString(text);
  }
  EXPECT_EQ(multi.GetCount(), 4);
  EXPECT_EQ(multi.GetItemData(2), 0x8322u);
  EXPECT_EQ(multi.GetText(3), "delta");
  CString out = "stale";
  EXPECT_EQ(multi.GetText(9, out), LB_ERR);
  EXPECT_TRUE(out.IsEmpty());
  EXPECT_EQ(multi.FindStringExact(-1, "GAMMA"), 2);

  multi.SetSel(1);
  multi.SetSel(3);
  int selected[8] = {};
  ASSERT_EQ(multi.GetSelCount(), 2);
  ASSERT_EQ(multi.GetSelItems(8, selected), 2);
  EXPECT_EQ(selected[0], 1);
  EXPECT_EQ(selected[1], 3);
  multi.SetSel(-1, FALSE);
  EXPECT_EQ(multi.GetSelCount(), 0);
  EXPECT_EQ(single.GetSelItems(8, selected), LB_ERR) << "single selection has no list";
  single.SetCurSel(2);
  EXPECT_EQ(single.GetCurSel(), 2);

  multi.SetHorizontalExtent(640);
  EXPECT_EQ(multi.GetHorizontalExtent(), 640);
  EXPECT_EQ(multi.DeleteString(0), 3);
  EXPECT_EQ(multi.GetItemData(0), 0x8321u) << "data moves with its item";
  p.DestroyWindow();
}

// An owner-drawn combo box is measured while it is still being made: the
// control must already be attached then.
class MeasuredCombo : public CComboBox {
public:
  int measured = 0;
  int drawn = 0;
  void MeasureItem(MEASUREITEMSTRUCT* mi) override {
    ++measured;
    mi->itemHeight = 23;
  }
  void DrawItem(DRAWITEMSTRUCT*) override { ++drawn; }
};

TEST_F(GuiTest, OwnerDrawComboIsMeasuredDuringCreationAndDrawsItsItems) {
  Parent p;
  ASSERT_TRUE(p.Make());
  MeasuredCombo combo;
  ASSERT_TRUE(combo.Create(kChild | CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED | CBS_HASSTRINGS, CRect(0, 0, 150, 200),
                           &p, 3));
  EXPECT_GE(combo.measured, 1) << "WM_MEASUREITEM came before Create returned";
  EXPECT_EQ(combo.GetItemHeight(0), 23);
  combo.SetItemData(combo.AddString("Highest Compression Ratio"), 1);
  combo.SetItemData(combo.AddString("Good Quality"), 4);
  combo.SetCurSel(1);
  EXPECT_EQ(combo.GetItemData(combo.GetCurSel()), 4u);
  EXPECT_EQ(combo.GetLBText(0), "Highest Compression Ratio");
  combo.Invalidate();
  ASSERT_TRUE(PumpUntilIdle());
  EXPECT_GE(combo.drawn, 1);
  p.DestroyWindow();
}

TEST_F(GuiTest, ButtonsClickCheckAndChangeStyle) {
  Parent p;
  ASSERT_TRUE(p.Make());
  CButton push, check;
  ASSERT_TRUE(push.Create("Go", kChild | BS_PUSHBUTTON, CRect(0, 0, 80, 24), &p, 10));
  ASSERT_TRUE(check.Create("Use Compression", kChild | BS_AUTOCHECKBOX, CRect(0, 30, 150, 50), &p, 11));
  push.Click();
  ASSERT_TRUE(PumpUntilIdle());
  EXPECT_EQ(p.clicks, 1);
  check.Click();
  EXPECT_EQ(check.GetCheck(), BST_CHECKED);
  check.SetCheck(BST_UNCHECKED);
  EXPECT_EQ(check.GetCheck(), BST_UNCHECKED);
  push.SetButtonStyle(BS_DEFPUSHBUTTON);
  EXPECT_EQ(push.GetButtonStyle() & 0x0F, static_cast<UINT>(BS_DEFPUSHBUTTON));
  push.SetState(TRUE);
  EXPECT_TRUE(push.GetState() & BST_PUSHED);
  p.DestroyWindow();
}

TEST_F(GuiTest, BitmapButtonSizesToItsPictureAndDrawsByState) {
  Parent p;
  ASSERT_TRUE(p.Make());
  CBitmapButton button;
  ASSERT_TRUE(button.Create("", kChild | BS_OWNERDRAW, CRect(10, 10, 100, 100), &p, 12));
  ASSERT_TRUE(button.LoadBitmaps(IDB_TEST_BUTTON_UP, IDB_TEST_BUTTON_DOWN, IDB_TEST_BUTTON_FOCUS,
                                 IDB_TEST_BUTTON_DISABLED));
  button.SizeToContent();
  EXPECT_EQ(button.GetWindowRect().Size(), CSize(16, 12));
  EXPECT_EQ(button.GetWindowRect().TopLeft(), p.GetWindowRect().TopLeft() + CPoint(10, 10));
  auto centre = [&] {
    clx::test::Image shot = clx::test::CaptureWindow(button);
    return shot.PixelAt(shot.width / 2, shot.height / 2);
  };
  EXPECT_EQ(centre(), RGB(200, 0, 0)) << "up";
  button.SetState(TRUE);
  EXPECT_EQ(centre(), RGB(0, 160, 0)) << "pressed";
  button.SetState(FALSE);
  button.EnableWindow(FALSE);
  EXPECT_EQ(centre(), RGB(120, 120, 40)) << "disabled";
  // The state rule without a window: focus wins over disabled, pressed over both.
  EXPECT_EQ(button.BitmapFor(ODS_FOCUS | ODS_DISABLED), static_cast<HBITMAP>(button.m_bitmapFocus));
  EXPECT_EQ(button.BitmapFor(ODS_SELECTED | ODS_FOCUS), static_cast<HBITMAP>(button.m_bitmapSel));
  CBitmapButton upOnly;
  ASSERT_TRUE(upOnly.LoadBitmaps(IDB_TEST_BUTTON_UP));
  EXPECT_EQ(upOnly.BitmapFor(ODS_SELECTED | ODS_FOCUS | ODS_DISABLED), static_cast<HBITMAP>(upOnly.m_bitmap));
  EXPECT_FALSE(CBitmapButton().LoadBitmaps(4242)) << "a missing picture";
  p.DestroyWindow();
}

TEST_F(GuiTest, EditLimitsSelectsReplacesAndUndoes) {
  Parent p;
  ASSERT_TRUE(p.Make());
  CEdit edit;
  ASSERT_TRUE(edit.Create(kChild | WS_BORDER | ES_AUTOHSCROLL, CRect(0, 0, 200, 24), &p, 4));
  edit.SetLimitText(5);
  EXPECT_EQ(edit.GetLimitText(), 5u);
  edit.ReplaceSel("abcdefgh");
  EXPECT_EQ(edit.GetWindowText(), "abcde");
  edit.SetSel(1, 3);
  int start = -1, end = -1;
  edit.GetSel(start, end);
  EXPECT_EQ(start, 1);
  EXPECT_EQ(end, 3);
  edit.ReplaceSel("X", TRUE);
  EXPECT_EQ(edit.GetWindowText(), "aXde");
  EXPECT_TRUE(edit.CanUndo());
  edit.Undo();
  EXPECT_EQ(edit.GetWindowText(), "abcde");
  EXPECT_TRUE(edit.GetModify());
  edit.SetModify(FALSE);
  EXPECT_FALSE(edit.GetModify());
  p.DestroyWindow();
}

TEST_F(GuiTest, ScrollBarAndStaticKeepWhatTheyAreGiven) {
  Parent p;
  ASSERT_TRUE(p.Make());
  CScrollBar bar;
  ASSERT_TRUE(bar.Create(kChild | SBS_HORZ, CRect(0, 0, 200, 16), &p, 5));
  SCROLLINFO si{sizeof si, SIF_RANGE | SIF_PAGE | SIF_POS, 0, 100, 10, 95, 0};
  bar.SetScrollInfo(&si);
  SCROLLINFO got{};
  got.cbSize = sizeof got;
  ASSERT_TRUE(bar.GetScrollInfo(&got));
  EXPECT_EQ(got.nMax, 100);
  EXPECT_EQ(got.nPage, 10u);
  EXPECT_EQ(got.nPos, 91) << "the position stops where the page reaches the end";
  bar.SetScrollPos(20);
  EXPECT_EQ(bar.GetScrollPos(), 20);

  CStatic picture;
  ASSERT_TRUE(picture.Create("", kChild | SS_BITMAP, CRect(0, 30, 50, 60), &p));
  EXPECT_EQ(picture.GetDlgCtrlID(), 0xFFFF);
  CBitmap bitmap;
  ASSERT_TRUE(bitmap.LoadBitmap(IDB_TEST_BUTTON_UP));
  EXPECT_EQ(picture.SetBitmap(bitmap), nullptr);
  EXPECT_EQ(picture.GetBitmap(), static_cast<HBITMAP>(bitmap));
  picture.SetBitmap(nullptr);
  p.DestroyWindow();
}

}  // namespace
