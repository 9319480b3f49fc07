// The bitmap buttons on a host dialog: state pictures read back by pixel,
// check and radio behaviour, press and release messages, lent bitmaps.
#include <gtest/gtest.h>

#include "app/shell/controls/qz_bitmap_button.h"
#include "app/shell/controls/qz_button.h"
#include "app/shell/controls/qz_slider.h"
#include "app/shell/controls/tests/host_dialog.h"
#include "testing/gui_test.h"

namespace {

constexpr DWORD kChild = WS_CHILD | WS_VISIBLE | WS_TABSTOP;
const COLORREF kNavy = RGB(0, 0, 128);

COLORREF PixelOf(const CBitmap& bitmap, int x, int y)
{
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, bitmap);
    const COLORREF c = GetPixel(dc, x, y);
    SelectObject(dc, old);
    DeleteDC(dc);
    return c;
}

// The step strip: 9 x 13 cells, row 2 the pressed left arrow in navy whose
// point is at (2, 6) of its cell.
TEST_F(GuiTest, ButtonStatePicturesHaveFrameDottedFocusAndGreyedCopy)
{
    HostDialog host;
    ASSERT_TRUE(host.Make());
    CQzButton button;
    ASSERT_TRUE(button.Create(kChild | BS_PUSHBUTTON, CRect(10, 10, 40, 40), &host, 400));
    EXPECT_EQ(button.GetStyle() & 0xFF, static_cast<DWORD>(BS_OWNERDRAW));
    EXPECT_EQ(button.GetBitmapSize(), CSize(0, 0));
    ASSERT_TRUE(button.LoadBitmaps(kStepButtonsBitmap, 6, 2, 0, false));
    const CSize size = button.GetBitmapSize();
    ASSERT_EQ(size, CSize(17, 21));
    const int w = size.cx, h = size.cy;
    const COLORREF face = GetSysColor(COLOR_BTNFACE);
    const COLORREF black = RGB(0, 0, 0);

    struct Probe {
        const char* what;
        const CBitmap* bitmap;
        int x, y;
        COLORREF expected;
    } probes[] = {
        {"normal picture from row 2", &button.m_bitmap, 6, 10, kNavy},
        {"normal face", &button.m_bitmap, 5, 5, face},
        {"raised outer top-left", &button.m_bitmap, 0, 0, GetSysColor(COLOR_3DHILIGHT)},
        {"raised outer right", &button.m_bitmap, w - 1, 0, GetSysColor(COLOR_3DDKSHADOW)},
        {"raised outer bottom-left", &button.m_bitmap, 0, h - 1, GetSysColor(COLOR_3DHILIGHT)},
        {"raised outer bottom", &button.m_bitmap, w - 1, h - 1, GetSysColor(COLOR_3DDKSHADOW)},
        {"raised inner top-left", &button.m_bitmap, 1, 1, GetSysColor(COLOR_3DLIGHT)},
        {"raised inner bottom-right", &button.m_bitmap, w - 2, h - 2, GetSysColor(COLOR_BTNSHADOW)},
        {"focus dot top", &button.m_bitmapFocus, 4, 3, black},
        {"focus gap top", &button.m_bitmapFocus, 5, 3, face},
        {"focus dot left", &button.m_bitmapFocus, 3, 4, black},
        {"focus dot right, a row up", &button.m_bitmapFocus, w - 4, 3, black},
        {"focus gap right", &button.m_bitmapFocus, w - 4, 4, face},
        {"focus dot bottom", &button.m_bitmapFocus, 4, h - 4, black},
        {"disabled shape", &button.m_bitmapDisabled, 6, 10, GetSysColor(COLOR_BTNSHADOW)},
        {"disabled emboss", &button.m_bitmapDisabled, 10, 14, GetSysColor(COLOR_3DHILIGHT)},
        {"disabled frame kept", &button.m_bitmapDisabled, 0, 0, GetSysColor(COLOR_3DHILIGHT)},
        {"pressed sunken outer", &button.m_bitmapSel, 0, 0, GetSysColor(COLOR_3DDKSHADOW)},
        {"pressed sunken outer bottom", &button.m_bitmapSel, w - 1, h - 1, GetSysColor(COLOR_3DHILIGHT)},
        {"pressed picture one pixel on", &button.m_bitmapSel, 7, 11, kNavy},
        {"pressed dotted", &button.m_bitmapSel, 4, 3, black},
    };
    for (const Probe& p : probes)
        EXPECT_EQ(PixelOf(*p.bitmap, p.x, p.y), p.expected) << p.what;

    // Without force a second load keeps the pictures; with it they are redone.
    const HGDIOBJ before = button.m_bitmap.GetSafeHandle();
    EXPECT_TRUE(button.LoadBitmaps(kStepButtonsBitmap, 6, 1, 0, false));
    EXPECT_EQ(button.m_bitmap.GetSafeHandle(), before);
    EXPECT_TRUE(button.LoadBitmaps(kStepButtonsBitmap, 6, 1, 0, true));
    EXPECT_EQ(PixelOf(button.m_bitmap, 6, 10), black);
    EXPECT_FALSE(button.LoadBitmaps(9999, 6, 1, 0, true));
    host.DestroyWindow();
}

TEST_F(GuiTest, CheckBoxButtonTogglesAndRadioButtonStaysChecked)
{
    HostDialog host;
    ASSERT_TRUE(host.Make());
    CQzButton check, radio;
    ASSERT_TRUE(check.Create(kChild | BS_AUTOCHECKBOX, CRect(10, 10, 27, 31), &host, 401));
    ASSERT_TRUE(radio.Create(kChild | BS_RADIOBUTTON, CRect(40, 10, 57, 31), &host, 402));
    EXPECT_TRUE(check.IsCheckMode());
    EXPECT_TRUE(radio.IsRadioMode());
    ASSERT_TRUE(check.LoadBitmaps(kStepButtonsBitmap, 6, 1, 2, false));
    ASSERT_TRUE(radio.LoadBitmaps(kStepButtonsBitmap, 6, 1, 1, false));
    EXPECT_EQ(PixelOf(radio.m_checkedBitmap, 6, 10), kNavy);  // the next row

    const CPoint inside(8, 8);
    for (int expected : {1, 0, 1}) {
        Click(check.m_hWnd, inside);
        EXPECT_EQ(check.GetCheck(), expected);
        // Checked, it draws from the sunken checked set.
        const auto shot = clx::test::CaptureWindow(check.m_hWnd);
        const COLORREF corner = expected ? GetSysColor(COLOR_3DDKSHADOW) : GetSysColor(COLOR_3DHILIGHT);
        EXPECT_EQ(shot.PixelAt(0, 0), corner) << expected;
    }
    for (int i = 0; i < 2; ++i) {
        Click(radio.m_hWnd, inside);
        EXPECT_EQ(radio.GetCheck(), 1);
    }
    EXPECT_EQ(host.Commands(401, BN_CLICKED), 3);  // the parent hears the clicks as well
    radio.SetCheck(0);
    EXPECT_EQ(radio.GetCheck(), 0);
    host.DestroyWindow();
}

TEST_F(GuiTest, ButtonTellsItsParentOfPressAndReleaseOnceEach)
{
    HostDialog host;
    ASSERT_TRUE(host.Make());
    CQzButton button;
    ASSERT_TRUE(button.Create(kChild, CRect(10, 10, 27, 31), &host, 403));
    ASSERT_TRUE(button.LoadBitmaps(kStepButtonsBitmap, 6, 1, 0, false));
    CQzButton::SetStateMessages(kButtonPressMessage, kButtonReleaseMessage);
    for (BOOL state : {TRUE, TRUE, FALSE, FALSE})
        button.SendMessage(BM_SETSTATE, state);
    CQzButton::SetStateMessages(0, 0);
    button.SendMessage(BM_SETSTATE, TRUE);  // no messages set: nothing sent
    std::vector<UINT> order;
    for (const HostEvent& e : host.events)
        if (e.msg == kButtonPressMessage || e.msg == kButtonReleaseMessage) {
            order.push_back(e.msg);
            EXPECT_EQ(e.wParam, 403u);
            EXPECT_EQ(reinterpret_cast<HWND>(e.lParam), button.m_hWnd);
        }
    EXPECT_EQ(order, (std::vector<UINT>{kButtonPressMessage, kButtonReleaseMessage}));
    host.DestroyWindow();
}

TEST_F(GuiTest, LentBitmapsAreDrawnOnceAndOutliveTheButtons)
{
    CBitmap lent[8];
    {
        HostDialog host;
        ASSERT_TRUE(host.Make());
        CQzButton first, second;
        ASSERT_TRUE(first.Create(kChild, CRect(10, 10, 27, 31), &host, 404));
        ASSERT_TRUE(second.Create(kChild, CRect(40, 10, 57, 31), &host, 405));
        for (CQzButton* b : {&first, &second})
            b->SetSharedBitmaps(&lent[0], &lent[1], &lent[2], &lent[3], &lent[4], &lent[5], &lent[6], &lent[7]);
        ASSERT_TRUE(first.LoadBitmaps(kStepButtonsBitmap, 6, 1, 2, false));
        ASSERT_TRUE(second.LoadBitmaps(kStepButtonsBitmap, 6, 2, 2, false));
        EXPECT_EQ(second.m_bitmap.GetSafeHandle(), lent[0].GetSafeHandle());
        EXPECT_EQ(second.m_checkedBitmapDisabled.GetSafeHandle(), lent[7].GetSafeHandle());
        EXPECT_EQ(PixelOf(second.m_bitmap, 6, 10), RGB(0, 0, 0));  // row 1 of the first load stays

        CQzBitmapButton step;
        CBitmap stepLent[4];
        step.SetSharedBitmaps(&stepLent[0], &stepLent[1], &stepLent[2], &stepLent[3]);
        ASSERT_TRUE(step.LoadBitmaps(kStepButtonsBitmap, 6, 1, 2, 1, 3, -1, 20));
        EXPECT_EQ(step.GetBitmapSize(), CSize(9, 20));
        EXPECT_EQ(step.m_bitmapSel.GetSafeHandle(), stepLent[1].GetSafeHandle());
        EXPECT_FALSE(CQzBitmapButton().LoadBitmaps(9999, 6, 1, 2, 1, 3, -1, -1));
        host.DestroyWindow();
    }
    for (const CBitmap& b : lent) {
        BITMAP info{};
        EXPECT_TRUE(b.GetBitmap(&info));
    }
}

}  // namespace
