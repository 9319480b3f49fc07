// The numeric edit on a host dialog: typing filter, live check, the colours
// the parent's colour request gets, clamping on focus loss, clipboard keys.
#include <gtest/gtest.h>

#include "app/shell/controls/qz_edit.h"
#include "app/shell/controls/tests/host_dialog.h"
#include "testing/gui_test.h"

namespace {

constexpr DWORD kField = WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL;

struct EditHost {
    HostDialog host;
    CQzEdit field;
    CEdit other;  // takes the focus away

    bool Make()
    {
        return host.Make() && field.Create(kField, CRect(10, 10, 110, 32), &host, 100) &&
               other.Create(kField, CRect(10, 40, 110, 62), &host, 101);
    }
    void Type(const char* text)
    {
        field.SetFocus();
        GuiTest::TypeText(field.m_hWnd, text);
    }
    void Leave()
    {
        other.SetFocus();
        GuiTest::PumpUntilIdle();
    }
    // What the parent's colour request answers for the field.
    struct Colours {
        COLORREF text, back;
        HBRUSH brush;
    };
    Colours AskColours(UINT msg = WM_CTLCOLOREDIT)
    {
        HDC dc = CreateCompatibleDC(nullptr);
        const auto brush = reinterpret_cast<HBRUSH>(
            host.SendMessage(msg, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(field.m_hWnd)));
        Colours c{GetTextColor(dc), GetBkColor(dc), brush};
        DeleteDC(dc);
        return c;
    }
    void Close() { host.DestroyWindow(); }
};

HBRUSH BrushColourOf(HBRUSH brush, COLORREF* colour)
{
    LOGBRUSH lb{};
    GetObjectA(brush, sizeof lb, &lb);
    *colour = lb.lbColor;
    return brush;
}

TEST_F(GuiTest, NumericEditShowsAnOutOfRangeValueInRedAndClampsItOnLeaving)
{
    EditHost h;
    ASSERT_TRUE(h.Make());
    h.field.SetIntRange(0, 100, true);
    EXPECT_EQ(h.field.GetLimitText(), 3u);

    h.Type("150");
    EXPECT_EQ(h.field.GetWindowText(), "150");
    EXPECT_FALSE(h.field.IsValid());
    EditHost::Colours red = h.AskColours();
    EXPECT_EQ(red.text, RGB(255, 0, 0));
    EXPECT_EQ(red.back, GetSysColor(COLOR_WINDOW));
    COLORREF brushColour = 0;
    BrushColourOf(red.brush, &brushColour);
    EXPECT_EQ(brushColour, GetSysColor(COLOR_WINDOW));

    h.Leave();
    EXPECT_EQ(h.field.GetWindowText(), "100");
    EXPECT_TRUE(h.field.IsValid());
    EXPECT_EQ(h.AskColours().text, GetSysColor(COLOR_WINDOWTEXT));
    // The parent hears the notifications too.
    EXPECT_GE(h.host.Commands(100, EN_UPDATE), 3);
    EXPECT_EQ(h.host.Commands(100, EN_KILLFOCUS), 1);
    h.Close();
}

TEST_F(GuiTest, NumericEditFiltersTypingByItsMode)
{
    EditHost h;
    ASSERT_TRUE(h.Make());
    struct Case {
        int mode;  // 0 none, 1 integer, 2 real
        const char* typed;
        const char* shown;
    } cases[] = {
        {1, "1.5", "15"},   // the decimal separator is refused for integers
        {1, "-4a", "-4"},
        {2, "1.5", "1.5"},
        {2, "x2", "2"},
        {0, "ab.c", "ab.c"},  // no range: a plain edit
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        if (c.mode == 1)
            h.field.SetIntRange(-10, 10, true);
        else if (c.mode == 2)
            h.field.SetFloatRange(-10, 10, 2, true);
        else
            h.field.SetIntRange(5, 5, true);  // min == max clears the range
        EXPECT_EQ(static_cast<int>(h.field.GetRangeMode()), c.mode);
        h.field.SetWindowText("");
        h.Type(c.typed);
        EXPECT_EQ(h.field.GetWindowText(), c.shown);
    }
    h.Close();
}

TEST_F(GuiTest, NumericEditRewritesARealInTheProgramsFormat)
{
    EditHost h;
    ASSERT_TRUE(h.Make());
    h.field.SetFloatRange(-2, 2, 2, true);
    struct Case {
        const char* typed;
        const char* rewritten;
    } cases[] = {{"1.50", "+1.5"}, {"-7", "-2"}, {"0", "0"}, {"1.125", "+1.13"}};
    for (const Case& c : cases) {
        h.field.SetWindowText("");
        h.Type(c.typed);
        h.Leave();
        EXPECT_EQ(h.field.GetWindowText(), c.rewritten) << c.typed;
    }
    h.field.SetTrimZeros(false);
    h.field.SetWindowText("1");
    h.field.SetFocus();
    h.Leave();
    EXPECT_EQ(h.field.GetWindowText(), "+1.00");
    h.Close();
}

TEST_F(GuiTest, NumericEditPastesWithCtrlVPastTheFilterAndMarksLetters)
{
    EditHost h;
    ASSERT_TRUE(h.Make());
    h.field.SetIntRange(0, 100, true);
    ASSERT_TRUE(OpenClipboard(h.host.m_hWnd));
    EmptyClipboard();
    HGLOBAL text = GlobalAlloc(GMEM_MOVEABLE, 4);
    memcpy(GlobalLock(text), "abc", 4);
    GlobalUnlock(text);
    SetClipboardData(CF_TEXT, text);
    CloseClipboard();

    h.field.SetFocus();
    PressKey(h.field.m_hWnd, 'V', kCtrl);
    EXPECT_EQ(h.field.GetWindowText(), "abc");
    EXPECT_FALSE(h.field.IsValid());
    PressKey(h.field.m_hWnd, 'Z', kCtrl);
    EXPECT_EQ(h.field.GetWindowText(), "");
    h.Close();
}

TEST_F(GuiTest, DisabledNumericEditKeepsRedTextOnTheButtonFace)
{
    EditHost h;
    ASSERT_TRUE(h.Make());
    h.field.SetIntRange(0, 100, true);
    h.field.SetWindowText("500");
    EXPECT_FALSE(h.field.IsValid());
    h.field.EnableWindow(FALSE);
    for (UINT msg : {static_cast<UINT>(WM_CTLCOLOREDIT), static_cast<UINT>(WM_CTLCOLORSTATIC)}) {
        const EditHost::Colours c = h.AskColours(msg);
        EXPECT_EQ(c.text, RGB(255, 0, 0));
        EXPECT_EQ(c.back, GetSysColor(COLOR_BTNFACE));
        COLORREF brushColour = 0;
        BrushColourOf(c.brush, &brushColour);
        EXPECT_EQ(brushColour, GetSysColor(COLOR_BTNFACE));
    }
    h.field.SetValid(true);
    EXPECT_EQ(h.AskColours().text, GetSysColor(COLOR_GRAYTEXT));
    h.Close();
}

}  // namespace
