// The list box on a host dialog: layout and scrollers, selection with Shift
// and Ctrl, notifications, double-clicks, item capture, keys, and a layout
// that cannot be done.
#include <gtest/gtest.h>

#include <vector>

#include "app/shell/controls/qz_list_box.h"
#include "app/shell/controls/qz_scroller_bar.h"
#include "app/shell/controls/tests/host_dialog.h"
#include "testing/gui_test.h"

namespace {

constexpr UINT kListId = 600;

// An item that records what reaches it and answers as told.
class Item : public CQzListItem {
public:
    void Reserved0() override {}
    int Reserved1(int) override { return 1; }
    int Draw(CQzListBox*, CDC* dc, int reason) override
    {
        draws.push_back(reason);
        RECT r{0, 0, 30, 30};
        dc->FillSolidRect(&r, IsSelected() ? RGB(0, 0, 128) : RGB(200, 200, 200));
        return 0;
    }
    int OnLButtonDown(CQzListBox*, UINT, const RECT*, const POINT*, BOOL) override
    {
        ++downs;
        return downAnswer;
    }
    int OnLButtonUp(CQzListBox*, UINT, const RECT*, const POINT*) override
    {
        ++ups;
        return upAnswer;
    }
    int OnMouseMove(CQzListBox*, UINT, const RECT*, const POINT*) override
    {
        ++moves;
        return moveAnswer;
    }
    void CaptureLost() override { ++lost; }

    std::vector<int> draws;
    int downs = 0, ups = 0, moves = 0, lost = 0;
    int downAnswer = 0, upAnswer = 0, moveAnswer = 0;
};

// A list whose selection notifications can be switched off, as a subclass may.
class List : public CQzListBox {
public:
    void SetNotify(bool on) { m_flags = on ? (m_flags | kNotifySelection) : (m_flags & ~uint32_t{kNotifySelection}); }
};

struct ListHost {
    HostDialog host;
    List list;
    std::vector<Item*> items;

    bool Make(int count, int height = 350, int cell = 100)
    {
        if (!host.Make() ||
            !list.Create(WS_CHILD | WS_VISIBLE | WS_TABSTOP, CRect(0, 0, 200, height), &host, kListId,
                         GetSysColorBrush(COLOR_WINDOW)))
            return false;
        list.SetItemSize(150, cell);
        for (int i = 0; i < count; ++i) {
            items.push_back(new Item);
            list.AddItem(items.back(), FALSE);
        }
        list.Refresh();
        return true;
    }
    std::vector<int> Selected() const
    {
        std::vector<int> out(static_cast<size_t>(list.GetSelectedCount()));
        list.GetSelectedItems(static_cast<int>(out.size()), out.data());
        return out;
    }
    // A click on item `index` of the first page, with MK_ flags.
    void ClickItem(int index, UINT mods, bool doubleClick = false)
    {
        const LPARAM at = MAKELPARAM(20, (index - list.GetFirstLine()) * 100 + 10);
        list.SendMessage(doubleClick ? WM_LBUTTONDBLCLK : WM_LBUTTONDOWN, MK_LBUTTON | mods, at);
        list.SendMessage(WM_LBUTTONUP, mods, at);
    }
    int SelectionNotices() const { return host.Commands(kListId, CQzListBox::kSelectionChanged); }
};

TEST_F(GuiTest, ListLayoutLimitsTheFirstLineAndShowsScrollersFromAnExactFill)
{
    struct Case {
        int count, height, lastFirst;
        bool scrollers;
    } cases[] = {{10, 350, 7, true}, {10, 300, 8, true}, {3, 300, 1, true}, {2, 300, 0, false}, {0, 300, 0, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.count << " in " << c.height);
        ListHost h;
        ASSERT_TRUE(h.Make(c.count, c.height));
        EXPECT_EQ(h.list.GetLastFirstLine(), c.lastFirst);
        EXPECT_EQ(h.list.ScrollersShown(), c.scrollers);
        EXPECT_EQ((h.list.GetStyle() & WS_VSCROLL) != 0, c.scrollers);
        if (c.count) {
            EXPECT_EQ(h.list.ScrollToItem(c.count - 1), 0);
            EXPECT_EQ(h.list.GetFirstLine(), c.lastFirst);
        }
        EXPECT_EQ(h.list.ScrollToItem(c.count), 1);
        h.host.DestroyWindow();
    }
}

TEST_F(GuiTest, ListSelectsWithShiftAndCtrlAndNotifiesOncePerStep)
{
    ListHost h;
    ASSERT_TRUE(h.Make(6, 700));
    using V = std::vector<int>;

    h.ClickItem(1, 0);
    EXPECT_EQ(h.Selected(), V{1});
    EXPECT_EQ(h.SelectionNotices(), 1);
    EXPECT_EQ(h.host.Seen(WM_NOTIFY).size(), 1u);
    EXPECT_EQ(h.host.Seen(WM_NOTIFY)[0].notifyCode, 1u);

    // Shift: exactly the range from the anchor, which stays.
    h.ClickItem(4, MK_SHIFT);
    EXPECT_EQ(h.Selected(), (V{1, 2, 3, 4}));
    h.ClickItem(2, MK_SHIFT);
    EXPECT_EQ(h.Selected(), (V{1, 2}));
    EXPECT_EQ(h.list.GetAnchorItem(), 1);

    // Ctrl toggles and moves the anchor; Ctrl+Shift after a deselecting toggle
    // deselects the range, then selects the clicked item.
    h.ClickItem(5, MK_CONTROL);
    EXPECT_EQ(h.Selected(), (V{1, 2, 5}));
    h.ClickItem(5, MK_CONTROL);
    EXPECT_EQ(h.Selected(), (V{1, 2}));
    EXPECT_EQ(h.list.GetAnchorItem(), 5);
    h.ClickItem(1, MK_CONTROL | MK_SHIFT);
    EXPECT_EQ(h.Selected(), (V{1}));
    // After a selecting toggle the same click selects the range.
    h.ClickItem(3, MK_CONTROL);
    h.ClickItem(5, MK_CONTROL | MK_SHIFT);
    EXPECT_EQ(h.Selected(), (V{1, 3, 4, 5}));

    // Ctrl+arrow moves the focus only, with one notification.
    h.host.Forget();
    h.list.SetFocus();
    PressKey(h.list.m_hWnd, VK_DOWN, kCtrl);
    EXPECT_EQ(h.list.GetCurrentItem(), 5);  // already the last
    PressKey(h.list.m_hWnd, VK_UP, kCtrl);
    EXPECT_EQ(h.list.GetCurrentItem(), 4);
    EXPECT_EQ(h.Selected(), (V{1, 3, 4, 5}));
    EXPECT_EQ(h.SelectionNotices(), 1);

    // A double-click tells code 2 and leaves the selection.
    h.host.Forget();
    h.ClickItem(0, 0, true);
    EXPECT_EQ(h.host.Commands(kListId, CQzListBox::kDoubleClicked), 1);
    EXPECT_EQ(h.SelectionNotices(), 0);
    EXPECT_EQ(h.Selected(), (V{1, 3, 4, 5}));
    h.host.DestroyWindow();
}

TEST_F(GuiTest, ListKeysMoveTheFocusAndScrollItIntoView)
{
    ListHost h;
    ASSERT_TRUE(h.Make(10));
    h.list.SetFocus();
    PressKey(h.list.m_hWnd, VK_END);
    EXPECT_EQ(h.list.GetCurrentItem(), 9);
    EXPECT_EQ(h.list.GetFirstLine(), 7);
    EXPECT_EQ(h.Selected(), std::vector<int>{9});
    PressKey(h.list.m_hWnd, VK_PRIOR);
    EXPECT_EQ(h.list.GetCurrentItem(), 7);  // the first visible line
    PressKey(h.list.m_hWnd, VK_PRIOR);
    EXPECT_EQ(h.list.GetCurrentItem(), 5);
    EXPECT_EQ(h.list.GetFirstLine(), 5);
    PressKey(h.list.m_hWnd, VK_HOME);
    EXPECT_EQ(h.list.GetFirstLine(), 0);
    PressKey(h.list.m_hWnd, VK_NEXT);
    EXPECT_EQ(h.list.GetCurrentItem(), 2);
    PressKey(h.list.m_hWnd, VK_DOWN, kShift);
    EXPECT_EQ(h.Selected(), (std::vector<int>{2, 3}));  // anchored where Page Down went
    EXPECT_EQ(h.list.GetFirstLine(), 1);

    // The scroll bar moves the view; line and page codes stop at the ends.
    h.list.SendMessage(WM_VSCROLL, SB_BOTTOM);
    EXPECT_EQ(h.list.GetFirstLine(), 7);
    h.list.SendMessage(WM_VSCROLL, SB_LINEDOWN);
    EXPECT_EQ(h.list.GetFirstLine(), 7);
    h.list.SendMessage(WM_VSCROLL, SB_PAGEUP);
    EXPECT_EQ(h.list.GetFirstLine(), 4);
    EXPECT_EQ(::GetScrollPos(h.list.m_hWnd, SB_VERT), 4);
    h.host.DestroyWindow();
}

TEST_F(GuiTest, ListNotifiesForSelectedItemsAddedOrRemoved)
{
    ListHost h;
    ASSERT_TRUE(h.Make(3));
    h.list.SetNotify(false);
    auto* selected = new Item;
    selected->m_flags |= CQzListItem::kSelectedBit;
    h.list.AddItem(selected, TRUE);
    EXPECT_EQ(h.SelectionNotices(), 1);  // even with notifications off
    EXPECT_EQ(selected->m_owner, &h.list);
    h.list.SetNotify(true);

    h.list.SetCurrentItem(3, FALSE);
    EXPECT_EQ(h.list.RemoveItem(3, TRUE, TRUE), selected);
    EXPECT_EQ(selected->m_owner, nullptr);
    EXPECT_EQ(h.SelectionNotices(), 2);
    EXPECT_EQ(h.list.GetCurrentItem(), 2);  // brought back in range
    EXPECT_EQ(h.list.GetAnchorItem(), 2);
    EXPECT_EQ(h.list.RemoveItem(7, TRUE, TRUE), nullptr);
    EXPECT_EQ(h.list.FindItem(selected), -1);
    EXPECT_EQ(h.list.FindItem(h.items[1]), 1);
    delete selected;
    h.host.DestroyWindow();
}

TEST_F(GuiTest, ListItemAnsweringThreeKeepsTheMouseUntilItAnswersOtherwise)
{
    ListHost h;
    ASSERT_TRUE(h.Make(3));
    Item& item = *h.items[0];
    item.downAnswer = 3;
    item.moveAnswer = 2;
    item.upAnswer = 2;
    h.list.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 10));
    EXPECT_EQ(GetCapture(), h.list.m_hWnd);
    EXPECT_EQ(h.list.GetSelectedCount(), 0);  // handled by the item
    h.list.SendMessage(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(20, 250));  // over item 2
    EXPECT_EQ(item.moves, 1);
    EXPECT_EQ(h.items[2]->moves, 0);
    h.list.SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(20, 250));
    EXPECT_EQ(item.ups, 1);
    EXPECT_EQ(GetCapture(), h.list.m_hWnd);
    item.upAnswer = 1;
    h.list.SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(20, 250));
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_EQ(item.lost, 1);
    h.list.SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(20, 250));
    EXPECT_EQ(item.moves, 1);
    EXPECT_EQ(h.items[2]->moves, 1);
    h.host.DestroyWindow();
}

TEST_F(GuiTest, ListGivesUpWithoutACellSize)
{
    ListHost h;
    ASSERT_TRUE(h.Make(4));
    h.list.SetItemSize(0, 0);
    h.list.SetNoWrap(TRUE);
    EXPECT_EQ(h.list.HitTest(CPoint(5, 5)), -1);
    EXPECT_EQ(h.list.ScrollToItem(2), 1);
    h.list.SendMessage(WM_VSCROLL, SB_PAGEDOWN);
    h.list.SetFocus();
    PressKey(h.list.m_hWnd, VK_NEXT);
    h.list.Invalidate();
    PumpUntilIdle();
    EXPECT_EQ(h.list.GetFirstLine(), 0);
    h.host.DestroyWindow();
}

TEST_F(GuiTest, ListTakesAnOutsideScrollerBar)
{
    ListHost h;
    ASSERT_TRUE(h.Make(10));
    CQzScrollerBar bar;
    ASSERT_TRUE(bar.Create(WS_CHILD | WS_VISIBLE | SBS_VERT, CRect(250, 0, 266, 350), &h.host, 601));
    h.list.AddScroller(&bar, TRUE);
    h.list.Refresh();
    SCROLLINFO info{sizeof info, SIF_ALL};
    ASSERT_TRUE(bar.GetScrollInfo(&info, SIF_ALL));
    EXPECT_EQ(info.nMax, 7 + 3 - 1);
    EXPECT_EQ(info.nPage, 3u);
    // The bar's notifications scroll the list.
    h.host.SendMessage(WM_VSCROLL, SB_LINEDOWN, reinterpret_cast<LPARAM>(bar.m_hWnd));
    EXPECT_EQ(h.list.GetFirstLine(), 1);
    EXPECT_EQ(bar.GetScrollPos(), 1);
    h.list.RemoveScroller(&bar, TRUE);
    h.host.SendMessage(WM_VSCROLL, SB_LINEDOWN, reinterpret_cast<LPARAM>(bar.m_hWnd));
    EXPECT_EQ(h.list.GetFirstLine(), 1);
    h.host.DestroyWindow();
}

}  // namespace
