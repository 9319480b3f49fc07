// The labelled combo box on a host dialog: item data, labels, selection by
// data, and where the labels are drawn.
#include <gtest/gtest.h>

#include "app/shell/controls/qz_combo_box.h"
#include "app/shell/controls/tests/host_dialog.h"
#include "testing/gui_test.h"

namespace {

constexpr DWORD kCombo =
    WS_CHILD | WS_VISIBLE | WS_VSCROLL | CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED | CBS_HASSTRINGS;

TEST_F(GuiTest, ComboBoxKeepsItemDataAndSelectsTheLaterMatch)
{
    HostDialog host;
    ASSERT_TRUE(host.Make());
    CQzComboBox combo;
    ASSERT_TRUE(combo.Create(kCombo, CRect(10, 10, 200, 200), &host, 200));
    EXPECT_EQ(combo.GetItemHeight(0), 16);

    EXPECT_EQ(combo.AddStringId(16001, -1), 0);
    EXPECT_EQ(combo.AddStringId(16002, 7), 1);
    EXPECT_EQ(combo.AddItem("First seven", 7), 2);
    EXPECT_EQ(combo.AddItemWithLabel("Zero", "0 K", 0), 3);
    EXPECT_EQ(combo.GetLBText(0), "Daylight");
    EXPECT_EQ(static_cast<int>(combo.GetItemData(0)), 16001);  // the string id itself

    EXPECT_EQ(combo.GetSelectedData(), 0);  // nothing selected
    EXPECT_EQ(combo.SelectByData(7), 1);
    EXPECT_EQ(combo.GetCurSel(), 2);  // the later of the two
    EXPECT_EQ(combo.GetSelectedData(), 7);
    EXPECT_EQ(combo.SelectByData(99), 0);
    EXPECT_EQ(combo.GetCurSel(), 2);
    EXPECT_EQ(combo.SelectByData(0), 1);
    EXPECT_EQ(combo.GetSelectedData(), 0);  // as with no selection

    combo.DeleteItem(3);
    EXPECT_EQ(combo.GetCount(), 3);
    combo.ResetContent();
    EXPECT_EQ(combo.GetCount(), 0);
    host.DestroyWindow();
}

// Pixels of the item's text colour right of `fromX`.
int TextPixelsRightOf(CQzComboBox& combo, UINT state, int fromX)
{
    constexpr int kW = 180, kH = 16;
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, kW, kH);
    ReleaseDC(nullptr, screen);
    HGDIOBJ old = SelectObject(dc, bitmap);
    SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
    DRAWITEMSTRUCT di{};
    di.CtlType = ODT_COMBOBOX;
    di.itemID = 0;
    di.itemAction = ODA_DRAWENTIRE;
    di.itemState = state;
    di.hwndItem = combo.m_hWnd;
    di.hDC = dc;
    di.rcItem = {0, 0, kW, kH};
    di.itemData = combo.GetItemData(0);
    combo.DrawItem(&di);
    int n = 0;
    for (int y = 0; y < kH; ++y)
        for (int x = fromX; x < kW; ++x)
            n += GetPixel(dc, x, y) == GetSysColor(COLOR_WINDOWTEXT);
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
    return n;
}

TEST_F(GuiTest, ComboBoxDrawsTheLabelOnlyInTheOpenList)
{
    HostDialog host;
    ASSERT_TRUE(host.Make());
    CQzComboBox combo;
    ASSERT_TRUE(combo.Create(kCombo, CRect(10, 10, 200, 200), &host, 200));
    combo.AddItemWithLabel("A", "5500 K", 3);
    EXPECT_GT(TextPixelsRightOf(combo, 0, 100), 0);
    EXPECT_EQ(TextPixelsRightOf(combo, ODS_COMBOBOXEDIT, 100), 0);
    // An item without a label draws nothing at the right.
    combo.ResetContent();
    combo.AddItem("A", 3);
    EXPECT_EQ(TextPixelsRightOf(combo, 0, 100), 0);
    host.DestroyWindow();
}

}  // namespace
