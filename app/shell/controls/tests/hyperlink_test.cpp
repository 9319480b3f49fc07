// The hyperlink on a host dialog: underline under the drawn text, the click
// message, the cursors and the wander that turns a click into nothing.
#include <gtest/gtest.h>

#include "app/shell/controls/hyperlink.h"
#include "app/shell/controls/tests/host_dialog.h"
#include "clx/resources.h"
#include "testing/gui_test.h"

namespace {

constexpr DWORD kLink = WS_CHILD | WS_VISIBLE;
const COLORREF kBlue = RGB(0, 0, 255);

struct LinkHost {
    HostDialog host;
    CHyperLink link;
    bool Make(DWORD align)
    {
        CHyperLink::SetDefaultColours(kBlue, GetSysColor(COLOR_BTNFACE));
        if (!host.Make() || !link.Create("Visit", kLink | align, CRect(10, 10, 210, 30), &host, 500))
            return false;
        link.SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), TRUE);
        return true;
    }
};

TEST_F(GuiTest, RightAlignedLinkIsUnderlinedUnderItsTextOnly)
{
    LinkHost h;
    ASSERT_TRUE(h.Make(SS_RIGHT));
    EXPECT_EQ(h.link.TextColour(), kBlue);
    const auto shot = clx::test::CaptureWindow(h.link.m_hWnd);
    const CRect r = h.link.LinkRect();
    EXPECT_EQ(r.right, 200);
    EXPECT_GT(r.left, 100);
    const int underline = r.bottom - 1;
    EXPECT_EQ(shot.PixelAt(r.left + 1, underline), kBlue);
    EXPECT_EQ(shot.PixelAt(r.right - 1, underline), kBlue);
    EXPECT_EQ(shot.PixelAt(2, underline), GetSysColor(COLOR_BTNFACE));
    h.host.DestroyWindow();
}

TEST_F(GuiTest, LinkClickPostsItsMessageUnlessThePointerWandered)
{
    LinkHost h;
    ASSERT_TRUE(h.Make(0));
    h.link.UpdateWindow();
    const CRect r = h.link.LinkRect();
    ASSERT_FALSE(r.IsRectEmpty());
    const CPoint in(r.left + 2, r.top + 2);
    const HCURSOR hand = clx::LoadAppCursor(kLinkHandCursor);
    const HCURSOR refused = clx::LoadAppCursor(kLinkRefusedCursor);
    ASSERT_NE(hand, nullptr);
    ASSERT_NE(refused, nullptr);

    // Not tracking: the hand over the text, the arrow beside it.
    h.link.SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(in.x, in.y));
    EXPECT_EQ(GetCursor(), hand);
    h.link.SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(199, in.y));
    EXPECT_EQ(GetCursor(), clx::LoadSystemCursor(IDC_ARROW));

    Click(h.link.m_hWnd, in);
    auto clicks = h.host.Seen(kHyperLinkClickMessage);
    ASSERT_EQ(clicks.size(), 1u);
    EXPECT_EQ(clicks[0].wParam, 500u);
    EXPECT_EQ(reinterpret_cast<HWND>(clicks[0].lParam), h.link.m_hWnd);

    struct Case {
        int wander;
        bool clicks;
    } cases[] = {{2, true}, {3, false}};
    for (const Case& c : cases) {
        h.host.Forget();
        h.link.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(in.x, in.y));
        h.link.SendMessage(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(in.x + c.wander, in.y));
        EXPECT_EQ(GetCursor(), c.clicks ? hand : refused) << c.wander;
        h.link.SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(in.x + c.wander, in.y));
        PumpUntilIdle();
        EXPECT_EQ(h.host.Seen(kHyperLinkClickMessage).size(), c.clicks ? 1u : 0u) << c.wander;
    }
    EXPECT_EQ(GetCapture(), nullptr);
    h.host.DestroyWindow();
}

}  // namespace
