// The stepped slider on a host dialog: geometry, silent SetPos, step clicks
// reported as the slider's own scroll notifications, focus and enabling.
#include <gtest/gtest.h>

#include "app/shell/controls/qz_slider.h"
#include "app/shell/controls/tests/host_dialog.h"
#include "testing/gui_test.h"

namespace {

constexpr DWORD kSlider = WS_CHILD | WS_VISIBLE | WS_TABSTOP | TBS_HORZ | TBS_NOTICKS;

TEST_F(GuiTest, SliderPutsTheTrackBetweenItsStepButtons)
{
    HostDialog host;
    ASSERT_TRUE(host.Make());
    CQzSlider slider;
    ASSERT_TRUE(slider.Create(kSlider, CRect(10, 10, 210, 34), &host, 300));
    const int w = slider.GetStepButtonWidth();
    ASSERT_GT(w, 0);
    EXPECT_EQ(slider.Track().GetClientRect().Width(), 200 - 2 * w);
    EXPECT_EQ(slider.Track().GetDlgCtrlID(), 300);
    EXPECT_EQ(slider.LeftButton().GetDlgCtrlID(), static_cast<int>(kStepLeftId));
    EXPECT_EQ(slider.RightButton().GetWindowText(), "Right");
    CRect right = slider.RightButton().GetWindowRect();
    slider.ScreenToClient(&right);
    EXPECT_EQ(right.right, 200);

    slider.SetWindowPos(nullptr, 0, 0, 300, 24, SWP_NOMOVE | SWP_NOZORDER);
    EXPECT_EQ(slider.Track().GetClientRect().Width(), 300 - 2 * w);
    right = slider.RightButton().GetWindowRect();
    slider.ScreenToClient(&right);
    EXPECT_EQ(right.left, 300 - w);

    // A second slider shares the first one's step pictures.
    CQzSlider second;
    ASSERT_TRUE(second.Create(kSlider, CRect(10, 40, 210, 64), &host, 301));
    EXPECT_EQ(second.LeftButton().m_bitmap.GetSafeHandle(), slider.LeftButton().m_bitmap.GetSafeHandle());
    host.DestroyWindow();
}

TEST_F(GuiTest, SliderSetPosIsSilentWhileAStepClickNotifies)
{
    HostDialog host;
    ASSERT_TRUE(host.Make());
    CQzSlider slider;
    ASSERT_TRUE(slider.Create(kSlider, CRect(10, 10, 210, 34), &host, 300));
    slider.SetRange(0, 10, true);
    slider.SetLineSize(2);
    for (int pos : {0, 10, 4}) {
        slider.SetPos(pos);
        PumpUntilIdle();
        EXPECT_EQ(slider.GetPos(), pos);
    }
    EXPECT_TRUE(host.Seen(WM_HSCROLL).empty());

    ClickButton(slider.m_hWnd, kStepRightId);
    EXPECT_EQ(slider.GetPos(), 6);
    const auto scrolls = host.Seen(WM_HSCROLL);
    ASSERT_FALSE(scrolls.empty());
    EXPECT_EQ(LOWORD(scrolls[0].wParam), TB_LINEDOWN);
    EXPECT_EQ(HIWORD(scrolls[0].wParam), 6);
    EXPECT_EQ(reinterpret_cast<HWND>(scrolls[0].lParam), slider.m_hWnd);
    EXPECT_EQ(FocusWindow(), slider.Track().m_hWnd);

    host.Forget();
    ClickButton(slider.m_hWnd, kStepLeftId);
    EXPECT_EQ(slider.GetPos(), 4);
    ASSERT_FALSE(host.Seen(WM_HSCROLL).empty());
    EXPECT_EQ(LOWORD(host.Seen(WM_HSCROLL)[0].wParam), TB_LINEUP);
    host.DestroyWindow();
}

TEST_F(GuiTest, SliderPassesFocusEnablingAndShowingToItsParts)
{
    HostDialog host;
    ASSERT_TRUE(host.Make());
    CQzSlider slider;
    ASSERT_TRUE(slider.Create(kSlider, CRect(10, 10, 210, 34), &host, 300));
    slider.SetFocus();
    EXPECT_EQ(FocusWindow(), slider.Track().m_hWnd);
    slider.EnableWindow(FALSE);
    EXPECT_FALSE(slider.Track().IsWindowEnabled());
    EXPECT_FALSE(slider.LeftButton().IsWindowEnabled());
    EXPECT_FALSE(slider.RightButton().IsWindowEnabled());
    slider.EnableWindow(TRUE);
    EXPECT_TRUE(slider.RightButton().IsWindowEnabled());
    slider.ShowWindow(SW_HIDE);
    EXPECT_FALSE(slider.Track().GetStyle() & WS_VISIBLE);
    slider.ShowWindow(SW_SHOW);
    EXPECT_TRUE(slider.LeftButton().GetStyle() & WS_VISIBLE);
    host.DestroyWindow();
}

}  // namespace
