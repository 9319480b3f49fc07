// Every control on one window, kept as a picture for review (not compared).
#include <gtest/gtest.h>

#include <filesystem>

#include "app/shell/controls/edit_pic.h"
#include "app/shell/controls/hyperlink.h"
#include "app/shell/controls/qz_button.h"
#include "app/shell/controls/qz_combo_box.h"
#include "app/shell/controls/qz_edit.h"
#include "app/shell/controls/qz_list_box.h"
#include "app/shell/controls/qz_slider.h"
#include "app/shell/controls/tests/host_dialog.h"
#include "testing/gui_test.h"

namespace {

class Swatch : public CQzListItem {
public:
    explicit Swatch(COLORREF colour) : colour_(colour) {}
    void Reserved0() override {}
    int Reserved1(int) override { return 1; }
    int Draw(CQzListBox*, CDC* dc, int) override
    {
        RECT r{2, 2, 58, 38};
        dc->FillSolidRect(&r, colour_);
        if (IsSelected())
            dc->FrameRect(&r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
        return 0;
    }

private:
    COLORREF colour_;
};

TEST_F(GuiTest, GalleryShowsEveryControl)
{
    HostDialog host;
    ASSERT_TRUE(host.Make());
    constexpr DWORD kChild = WS_CHILD | WS_VISIBLE | WS_TABSTOP;
    const auto font = reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT));

    CQzEdit good, bad;
    ASSERT_TRUE(good.Create(kChild | ES_AUTOHSCROLL, CRect(8, 8, 88, 30), &host, 10));
    ASSERT_TRUE(bad.Create(kChild | ES_AUTOHSCROLL, CRect(96, 8, 176, 30), &host, 11));
    for (CQzEdit* e : {&good, &bad}) {
        e->SendMessage(WM_SETFONT, font);
        e->SetIntRange(0, 100, true);
    }
    good.SetWindowText("42");
    bad.SetWindowText("150");

    CQzComboBox combo;
    ASSERT_TRUE(combo.Create(kChild | WS_VSCROLL | CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED | CBS_HASSTRINGS,
                             CRect(184, 8, 312, 150), &host, 12));
    combo.SendMessage(WM_SETFONT, font);
    combo.AddItemWithLabel("Daylight", "5500 K", 1);
    combo.AddItemWithLabel("Shade", "7500 K", 2);
    combo.SelectByData(1);

    CQzSlider slider;
    ASSERT_TRUE(slider.Create(kChild | TBS_HORZ | TBS_NOTICKS, CRect(8, 40, 208, 64), &host, 13));
    slider.SetRange(0, 10, true);
    slider.SetPos(6);

    CQzButton check, plain;
    ASSERT_TRUE(check.Create(kChild | BS_AUTOCHECKBOX, CRect(216, 40, 233, 61), &host, 14));
    ASSERT_TRUE(plain.Create(kChild, CRect(240, 40, 257, 61), &host, 15));
    ASSERT_TRUE(check.LoadBitmaps(kStepButtonsBitmap, 6, 4, 2, false));
    ASSERT_TRUE(plain.LoadBitmaps(kStepButtonsBitmap, 6, 1, 0, false));
    check.SetCheck(1);

    CHyperLink::SetDefaultColours(RGB(0, 0, 255), GetSysColor(COLOR_BTNFACE));
    CHyperLink link;
    ASSERT_TRUE(link.Create("Visit the maker", kChild | SS_RIGHT, CRect(160, 70, 312, 90), &host, 16));
    link.SendMessage(WM_SETFONT, font, TRUE);

    CQzListBox list;
    ASSERT_TRUE(list.Create(kChild, CRect(8, 96, 312, 160), &host, 17, GetSysColorBrush(COLOR_WINDOW)));
    list.SetHorizontal(FALSE);
    list.SetItemSize(60, 40);
    const COLORREF colours[] = {RGB(200, 40, 40), RGB(40, 160, 40), RGB(40, 40, 200), RGB(220, 180, 0),
                                RGB(120, 0, 160), RGB(0, 160, 160), RGB(90, 90, 90)};
    for (COLORREF c : colours)
        list.AddItem(new Swatch(c), FALSE);
    list.Refresh();
    list.SelectRange(TRUE, 1, 2);

    CEditPic date;
    ASSERT_TRUE(date.Create(kChild, CRect(8, 168, 160, 192), &host, 18));
    ASSERT_TRUE(date.SetPicture("%0%0/%0%0/%1%1%1%1"));
    date.SetWindowText("12/31/2002");

    PumpUntilIdle();
    const std::filesystem::path artefacts = std::filesystem::path(TESS_SCRATCH_DIR) / ".." / "artefacts";
    std::filesystem::create_directories(artefacts);
    const auto shot = clx::test::CaptureWindow(host.m_hWnd, true);
    EXPECT_GT(shot.width, 300);
    EXPECT_TRUE(shot.SaveBmp((artefacts / "controls_gallery.bmp").string()));
    host.DestroyWindow();
}

}  // namespace
