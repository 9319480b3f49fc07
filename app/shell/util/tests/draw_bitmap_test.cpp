#include <gtest/gtest.h>

#include "app/shell/util/draw_bitmap.h"
#include "clx/gdi.h"

namespace {

// The test program's two-state button bitmap (see CMakeLists.txt).
constexpr uint32_t kButtonBitmap = 300;
constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kGreen = RGB(0, 255, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);

COLORREF Pixel(CBitmap& bitmap, int x, int y)
{
    const HDC dc = CreateCompatibleDC(nullptr);
    const HGDIOBJ old = SelectObject(dc, bitmap.GetSafeHandle());
    const COLORREF colour = GetPixel(dc, x, y);
    SelectObject(dc, old);
    DeleteDC(dc);
    return colour;
}

TEST(DrawBitmapResource, MasksThenPaintsTheChosenState)
{
    struct Case {
        int32_t state;
        int32_t width;
        int32_t height;
        COLORREF background;
        SIZE size;
        struct {
            int x;
            int y;
            COLORREF colour;
        } pixels[4];
    } cases[] = {
        {1, -1, -1, kBlue, {2, 2}, {{0, 0, kRed}, {1, 0, kBlue}, {0, 1, kBlue}, {1, 1, kBlue}}},
        {2, -1, -1, kBlue, {2, 2}, {{0, 0, kGreen}, {1, 0, kGreen}, {0, 1, kGreen}, {1, 1, kGreen}}},
        // A larger bitmap holds the cell in its middle.
        {1, 4, 4, kBlue, {4, 4}, {{1, 1, kRed}, {0, 0, kBlue}, {2, 1, kBlue}, {3, 3, kBlue}}},
        {2, 4, -1, kBlue, {4, 2}, {{0, 0, kBlue}, {1, 0, kGreen}, {2, 1, kGreen}, {3, 1, kBlue}}},
        {1, -1, -1, 0, {2, 2}, {{0, 0, kRed}, {1, 1, GetSysColor(COLOR_3DFACE)}, {0, 1, GetSysColor(COLOR_3DFACE)}, {0, 0, kRed}}},
    };
    for (const Case& c : cases) {
        CBitmap bitmap;
        SIZE size{};
        ASSERT_TRUE(shell::DrawBitmapResource(&bitmap, kButtonBitmap, 2, c.state, &size, c.background, c.width,
                                              c.height));
        EXPECT_EQ(size.cx, c.size.cx);
        EXPECT_EQ(size.cy, c.size.cy);
        for (const auto& p : c.pixels)
            EXPECT_EQ(Pixel(bitmap, p.x, p.y), p.colour) << "state " << c.state << " at " << p.x << "," << p.y;
    }
}

TEST(DrawBitmapResource, AHeldBitmapOnlyReportsItsCell)
{
    CBitmap bitmap;
    SIZE size{};
    ASSERT_TRUE(shell::DrawBitmapResource(&bitmap, kButtonBitmap, 2, 1, &size, kBlue, 6, 8));
    const HGDIOBJ held = bitmap.GetSafeHandle();
    EXPECT_TRUE(shell::DrawBitmapResource(&bitmap, 9999, 2, 2, &size, kBlue, -1, -1));
    EXPECT_EQ(size.cx, 6);
    EXPECT_EQ(size.cy, 4);
    EXPECT_EQ(bitmap.GetSafeHandle(), held);
}

TEST(DrawBitmapResource, RefusesWhatDescribesNoCell)
{
    struct Case {
        uint32_t id;
        int32_t states;
        int32_t state;
        int32_t width;
    } cases[] = {{9999, 2, 1, -1}, {kButtonBitmap, 2, 3, -1}, {kButtonBitmap, 2, 0, -1},
                 {kButtonBitmap, 0, 1, -1}, {kButtonBitmap, 5, 1, -1}, {kButtonBitmap, 2, 1, 0}};
    for (const Case& c : cases) {
        CBitmap bitmap;
        SIZE size{7, 7};
        EXPECT_FALSE(shell::DrawBitmapResource(&bitmap, c.id, c.states, c.state, &size, kBlue, c.width, -1))
            << c.id << " " << c.states << " " << c.state;
        EXPECT_EQ(bitmap.GetSafeHandle(), nullptr);
        EXPECT_EQ(size.cx, 7);
    }
    EXPECT_FALSE(shell::DrawBitmapResource(nullptr, kButtonBitmap, 2, 1, nullptr, kBlue, -1, -1));
}

}  // namespace
