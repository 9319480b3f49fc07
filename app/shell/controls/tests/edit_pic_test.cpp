// The masked fields and the picture edit on a host dialog: fields from a
// picture, the text in and out, typing, moving between the fields, padding.
#include <gtest/gtest.h>

#include <string>

#include "app/shell/dialogs/ui_font.h"
#include "app/shell/controls/edit_pic.h"
#include "app/shell/controls/tests/host_dialog.h"
#include "testing/gui_test.h"

namespace {

constexpr UINT kPicId = 700;
constexpr const char* kDate = "%0%0/%0%0/%1%1%1%1";

// A host whose map handles the picture edit's change notification.
class PicHost : public HostDialog {
public:
    int changes = 0;

protected:
    void OnPicChange() { ++changes; }
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(PicHost, HostDialog)
    ON_EN_CHANGE(kPicId, OnPicChange)
END_MESSAGE_MAP()

struct Pic {
    PicHost host;
    CEditPic pic;
    CEdit other;
    bool Make(const char* picture)
    {
        return host.Make() && pic.Create(WS_CHILD | WS_VISIBLE | WS_TABSTOP, CRect(10, 10, 200, 34), &host, kPicId) &&
               other.Create(WS_CHILD | WS_VISIBLE | WS_TABSTOP, CRect(10, 50, 100, 70), &host, 701) &&
               pic.SetPicture(picture);
    }
    std::string Field(int i) const { return static_cast<const char*>(pic.GetField(i)->GetWindowText()); }
    std::string Text(bool separators) const
    {
        CString text;
        pic.GetText(text, separators);
        return static_cast<const char*>(text);
    }
};

int TextWidth(const char* text)
{
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, shell::GetUiFont());
    SIZE size{};
    GetTextExtentPoint32A(dc, text, static_cast<int>(strlen(text)), &size);
    SelectObject(dc, old);
    DeleteDC(dc);
    return size.cx;
}

TEST_F(GuiTest, PictureMakesFieldsSizedByTheirMasks)
{
    Pic p;
    ASSERT_TRUE(p.Make(kDate));
    ASSERT_EQ(p.pic.GetFieldCount(), 3);
    const char* masks[] = {"00", "00", "1111"};
    const char* widths[] = {"00", "00", "1111"};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(p.pic.GetField(i)->GetMask(), masks[i]);
        EXPECT_EQ(p.pic.GetFieldRect(i).Width(), TextWidth(widths[i]) + 2) << i;
        EXPECT_EQ(p.pic.GetField(i)->GetDlgCtrlID(), i + 1);
        EXPECT_EQ(p.pic.GetField(i)->GetLimitText(), strlen(masks[i]));
    }
    EXPECT_EQ(p.pic.GetFieldRect(0).left, 1);
    EXPECT_EQ(p.pic.GetLiteralRect(1).Width(), TextWidth("/"));
    EXPECT_EQ(p.pic.GetLiteralRect(3).Width(), 0);  // the empty trailing literal

    // A new picture replaces the fields; 'X' positions measure as 'W'.
    ASSERT_TRUE(p.pic.SetPicture("ID %X%!-%9%9"));
    ASSERT_EQ(p.pic.GetFieldCount(), 2);
    EXPECT_EQ(p.pic.GetFieldRect(0).Width(), TextWidth("WW") + 2);
    EXPECT_TRUE(p.pic.GetField(1)->GetStyle() & ES_RIGHT);  // all '9'
    EXPECT_FALSE(p.pic.GetField(0)->GetStyle() & ES_RIGHT);
    p.host.DestroyWindow();
}

TEST_F(GuiTest, PictureTextGoesInAndOutWithOrWithoutSeparators)
{
    Pic p;
    ASSERT_TRUE(p.Make(kDate));
    p.pic.SetWindowText("12/31/2002");
    EXPECT_EQ(p.Field(2), "2002");
    EXPECT_EQ(p.Text(true), "12/31/2002");
    EXPECT_EQ(p.Text(false), "12312002");
    char buffer[32] = {};
    EXPECT_EQ(p.pic.GetWindowText(buffer, sizeof buffer), 10);
    EXPECT_STREQ(buffer, "12/31/2002");
    EXPECT_EQ(p.pic.GetWindowText(buffer, 4), 3);  // cut to the buffer
    EXPECT_EQ(p.pic.GetWindowTextLength(), 10);
    p.pic.SetText("01021999", false, true);
    EXPECT_EQ(p.Text(true), "01/02/1999");
    EXPECT_GT(p.host.changes, 0);  // the fields' changes reach the host as the control's
    p.host.DestroyWindow();
}

TEST_F(GuiTest, TypingMovesBetweenFieldsAndPadsOnLeaving)
{
    Pic p;
    ASSERT_TRUE(p.Make(kDate));
    p.pic.SetFocus();
    EXPECT_EQ(FocusWindow(), p.pic.GetField(0)->m_hWnd);

    TypeText(p.pic.m_hWnd, "5a/");  // the letter beeps, the separator jumps
    EXPECT_EQ(FocusWindow(), p.pic.GetField(1)->m_hWnd);
    EXPECT_EQ(p.Field(0), "05");  // padded when it lost the focus

    TypeText(p.pic.m_hWnd, "317");  // a full field moves on
    EXPECT_EQ(p.Field(1), "31");
    EXPECT_EQ(FocusWindow(), p.pic.GetField(2)->m_hWnd);
    EXPECT_EQ(p.Field(2), "7");

    // Backspace at the start of a field deletes the last character before it.
    p.pic.GetField(2)->SetSel(0, 0);
    PressKey(p.pic.GetField(2)->m_hWnd, VK_BACK);
    EXPECT_EQ(FocusWindow(), p.pic.GetField(1)->m_hWnd);
    EXPECT_EQ(p.Field(1), "3");

    // Home and End reach the first and the last field; Left at 0 the previous one.
    PressKey(p.pic.GetField(1)->m_hWnd, VK_END);
    EXPECT_EQ(FocusWindow(), p.pic.GetField(2)->m_hWnd);
    PressKey(p.pic.GetField(2)->m_hWnd, VK_HOME);
    EXPECT_EQ(FocusWindow(), p.pic.GetField(0)->m_hWnd);
    p.pic.GetField(1)->SetFocus();
    p.pic.GetField(1)->SetSel(0, 0);
    PressKey(p.pic.GetField(1)->m_hWnd, VK_LEFT);
    EXPECT_EQ(FocusWindow(), p.pic.GetField(0)->m_hWnd);
    int start = 0, end = 0;
    p.pic.GetField(0)->GetSel(start, end);
    EXPECT_EQ(start, 1);  // mask length - 1
    PressKey(p.pic.GetField(0)->m_hWnd, VK_RIGHT, kCtrl);
    EXPECT_EQ(FocusWindow(), p.pic.GetField(1)->m_hWnd);
    p.host.DestroyWindow();
}

TEST_F(GuiTest, MaskedFieldAloneKeepsItsCleanedMask)
{
    HostDialog host;
    ASSERT_TRUE(host.Make());
    auto* part = new CEditPart(nullptr);  // deletes itself with its window
    part->SetMask("x!q9");
    EXPECT_EQ(part->GetMask(), "X!9");
    ASSERT_TRUE(part->Create(WS_CHILD | WS_VISIBLE, CRect(10, 10, 100, 30), &host, 800));
    EXPECT_EQ(part->GetLimitText(), 3u);
    part->SetFocus();
    TypeText(part->m_hWnd, "ab7x");
    EXPECT_EQ(part->GetWindowText(), "aB7");
    host.DestroyWindow();
}

TEST_F(GuiTest, DatePictureFollowsTheUserLocale)
{
    Pic p;
    ASSERT_TRUE(p.Make(""));
    EXPECT_EQ(p.pic.GetFieldCount(), 0);
    ASSERT_TRUE(p.pic.SetDatePicture());
    char order[4] = "";
    GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_IDATE, order, sizeof order);
    ASSERT_EQ(p.pic.GetFieldCount(), 3);
    EXPECT_EQ(p.pic.GetField(order[0] == '2' ? 0 : 2)->GetMask(), order[0] == '2' ? "9999" : "1111");
    p.pic.EnableWindow(FALSE);
    EXPECT_FALSE(p.pic.GetField(1)->IsWindowEnabled());
    p.host.DestroyWindow();
}

}  // namespace
