#include <gtest/gtest.h>

#include <string>

#include "app/shell/format/byte_size.h"
#include "app/shell/util/file_names.h"
#include "app/shell/util/text_measure.h"

#include <windows.h>

namespace {

std::string WindowText(HWND window)
{
    char text[512] = "";
    GetWindowTextA(window, text, sizeof text);
    return text;
}

int TextWidth(HWND window, const std::string& text)
{
    const HDC dc = GetDC(window);
    const HGDIOBJ font = reinterpret_cast<HGDIOBJ>(SendMessageA(window, WM_GETFONT, 0, 0));
    const HGDIOBJ old = font ? SelectObject(dc, font) : nullptr;
    SIZE size{};
    GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &size);
    if (old)
        SelectObject(dc, old);
    ReleaseDC(window, dc);
    return size.cx;
}

TEST(PathText, FitsTheControlLessFourPixels)
{
    const std::string path = "C:\\Pictures\\2003\\January\\Img0007.tif";
    const std::string file = "C:\\...\\Img0007.tif";
    const HWND probe = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 400, 20, nullptr, nullptr,
                                       GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(probe, nullptr);
    const int shortest = TextWidth(probe, file);
    const int whole = TextWidth(probe, path);
    DestroyWindow(probe);

    struct Case {
        int width;
        std::string shown;
    } cases[] = {{whole + 4, path}, {shortest + 4, file}, {10, file}};
    for (const Case& c : cases) {
        const HWND control = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, c.width, 20, nullptr, nullptr,
                                             GetModuleHandleA(nullptr), nullptr);
        ASSERT_NE(control, nullptr);
        shell::SetPathTextWithEllipsis(control, path.c_str());
        EXPECT_EQ(WindowText(control), c.shown) << c.width;
        DestroyWindow(control);
    }
}

TEST(MaxStringWidth, IsTheWidestLineOfTheList)
{
    const HDC dc = GetDC(nullptr);
    SIZE longer{};
    const std::string line = "much longer second line";
    GetTextExtentPoint32A(dc, line.c_str(), static_cast<int>(line.size()), &longer);
    const uint32_t ids[] = {16480, 16000, 9999, 0};  // 9999 is missing: skipped
    EXPECT_EQ(shell::GetMaxStringWidth(dc, ids), longer.cx);
    const uint32_t none[] = {0};
    EXPECT_EQ(shell::GetMaxStringWidth(dc, none), 0);
    EXPECT_EQ(shell::GetMaxStringWidth(nullptr, ids), 0);
    ReleaseDC(nullptr, dc);
}

TEST(ByteSizeNotation, TakesTheLocalesSeparators)
{
    const shell::ByteSizeNotation saved = shell::GetByteSizeNotation();
    shell::LoadByteSizeNotation();
    char decimal[8] = "";
    GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, decimal, sizeof decimal);
    EXPECT_EQ(shell::GetByteSizeNotation().decimal, decimal);
    EXPECT_GT(shell::GetByteSizeNotation().grouping, 0);
    EXPECT_EQ(shell::GetByteSizeNotation().shortUnits[1], "KB");  // not in this string table
    shell::SetByteSizeNotation(saved);
}

TEST(LongFileNames, AreTakenByTheSystemVolume)
{
    EXPECT_TRUE(shell::SupportsLongFileNames("C:\\Pictures\\a.tif"));
    EXPECT_FALSE(shell::SupportsLongFileNames("Q:\\no\\such\\volume"));
}

}  // namespace
