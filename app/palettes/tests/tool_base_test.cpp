#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/palettes/base/label_format.h"
#include "app/palettes/base/palette_table.h"
#include "app/palettes/base/tool_base.h"
#include "app/palettes/testing/palette_test_host.h"
#include "app/palettes/tool_camera_control.h"
#include "app/palettes/tool_curves.h"
#include "app/palettes/tool_information.h"
#include "testing/gui_test.h"

namespace {

using palettetest::CPaletteTestHost;

constexpr const char* kPositionsKey = "Software\\Korva\\TessalinePaletteTests\\2.0\\WindowPositions";

// A bare palette on the Curves position record, made as every palette is.
class CBarePalette : public CToolBase {
public:
    CBarePalette() : CToolBase(1123, 32821, 513) {}
    BOOL Create(CWnd* parent) override { return CreatePalette(9216, FALSE, parent, kPaletteStyle); }
};

void StorePosition(const char* name, const void* bytes, DWORD size)
{
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, ::RegCreateKeyExA(HKEY_CURRENT_USER, kPositionsKey, 0, nullptr, 0, KEY_ALL_ACCESS,
                                               nullptr, &key, nullptr));
    ::RegSetValueExA(key, name, 0, REG_BINARY, static_cast<const BYTE*>(bytes), size);
    ::RegCloseKey(key);
}

void DeletePosition(const char* name)
{
    HKEY key = nullptr;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, kPositionsKey, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS)
        return;
    ::RegDeleteValueA(key, name);
    ::RegCloseKey(key);
}

bool ReadPosition(const char* name, int32_t (&fields)[5])
{
    HKEY key = nullptr;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, kPositionsKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    DWORD type = 0;
    DWORD size = sizeof fields;
    const LONG result = ::RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(fields), &size);
    ::RegCloseKey(key);
    return result == ERROR_SUCCESS && type == REG_BINARY && size == sizeof fields;
}

RECT WorkArea()
{
    RECT work{};
    ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    return work;
}

class ToolBaseTest : public GuiTest {
protected:
    void SetUp() override
    {
        GuiTest::SetUp();
        host.Start();
    }
    void TearDown() override
    {
        host.Stop();
        GuiTest::TearDown();
    }
    CPaletteTestHost host;
};

TEST_F(ToolBaseTest, RestoresStoredPositionsIntoTheWorkAreaAndStoresThemOnDestroy)
{
    const RECT work = WorkArea();
    const int32_t workWidth = work.right - work.left;
    const int32_t workHeight = work.bottom - work.top;
    struct Case {
        const char* what;
        std::vector<int32_t> stored;  // empty: no value
        RECT expected;
    } cases[] = {
        {"missing", {}, {0, 0, 50, 50}},
        {"inside", {40, 30, 120, 80, 1}, {40, 30, 160, 110}},
        {"off the right and bottom", {work.right - 20, work.bottom - 10, 100, 60, 1},
         {work.right - 100, work.bottom - 60, work.right, work.bottom}},
        {"off the left and top", {work.left - 500, work.top - 400, 100, 60, 1},
         {work.left, work.top, work.left + 100, work.top + 60}},
        {"larger than the work area", {10, 10, workWidth + 300, workHeight + 200, 1},
         {work.left, work.top, work.right, work.bottom}},
        {"too short a record", {70, 80, 90}, {0, 0, 50, 50}},
        {"too long a record", {70, 80, 90, 100, 1, 7}, {0, 0, 50, 50}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        DeletePosition("Curves");
        if (!c.stored.empty())
            StorePosition("Curves", c.stored.data(), static_cast<DWORD>(c.stored.size() * sizeof(int32_t)));
        CBarePalette palette;
        ASSERT_TRUE(palette.Create(&host.Frame()));
        RECT rect{};
        ::GetWindowRect(palette.m_hWnd, &rect);
        EXPECT_EQ(c.expected.left, rect.left);
        EXPECT_EQ(c.expected.top, rect.top);
        EXPECT_EQ(c.expected.right, rect.right);
        EXPECT_EQ(c.expected.bottom, rect.bottom);
        EXPECT_TRUE(palette.IsWindowVisible()) << "a palette of fixed size is made visible";

        palette.SetWindowPos(nullptr, 61, 62, 133, 74, SWP_NOZORDER | SWP_NOACTIVATE);
        palette.DestroyWindow();
        int32_t fields[5] = {};
        ASSERT_TRUE(ReadPosition("Curves", fields));
        EXPECT_EQ(61, fields[0]);
        EXPECT_EQ(62, fields[1]);
        EXPECT_EQ(133, fields[2]);
        EXPECT_EQ(74, fields[3]);
    }
    DeletePosition("Curves");
}

TEST_F(ToolBaseTest, MaximizeMinimizeAndRestoreDoNothing)
{
    CBarePalette palette;
    ASSERT_TRUE(palette.Create(&host.Frame()));
    RECT before{};
    ::GetWindowRect(palette.m_hWnd, &before);
    HMENU system = ::GetSystemMenu(palette.m_hWnd, FALSE);
    ASSERT_NE(nullptr, system);
    for (UINT command : {SC_MAXIMIZE, SC_MINIMIZE, SC_RESTORE}) {
        EXPECT_TRUE(::GetMenuState(system, command, MF_BYCOMMAND) & MF_GRAYED) << command;
        palette.SendMessage(WM_SYSCOMMAND, command, 0);
        palette.SendMessage(WM_SYSCOMMAND, command | 2, 0);  // the low bits do not count
        PumpUntilIdle();
        EXPECT_FALSE(::IsZoomed(palette.m_hWnd)) << command;
        EXPECT_FALSE(::IsIconic(palette.m_hWnd)) << command;
        RECT after{};
        ::GetWindowRect(palette.m_hWnd, &after);
        EXPECT_TRUE(::EqualRect(&before, &after)) << command;
    }
    palette.DestroyWindow();
    DeletePosition("Curves");
}

std::vector<std::pair<UINT, std::string>> MenuItems(CMenu& menu)
{
    std::vector<std::pair<UINT, std::string>> items;
    for (int i = 0; i < menu.GetMenuItemCount(); ++i) {
        const UINT state = menu.GetMenuState(static_cast<UINT>(i), MF_BYPOSITION);
        if (state & MF_SEPARATOR)
            items.emplace_back(0, "-");
        else
            items.emplace_back(menu.GetMenuItemID(i),
                               static_cast<const char*>(menu.GetMenuString(static_cast<UINT>(i), MF_BYPOSITION)));
    }
    return items;
}

TEST_F(ToolBaseTest, RightClickMenuCopiesTheSettingsSubmenuAndAddsThePalettesItems)
{
    using Items = std::vector<std::pair<UINT, std::string>>;
    CToolCurves curves;
    CToolInformation information;
    CToolCameraControl camera;
    struct Case {
        CToolBase* palette;
        Items items;
    } cases[] = {
        {&curves,
         {{32821, "&Load..."}, {32822, "&Save..."}, {32845, "&Reset to Neutral"}, {0, "-"},
          {32934, "Advanced Color Preferences..."}}},
        {&information, {{32934, "Advanced Color Preferences..."}}},
        {&camera, {{32818, "&Load..."}, {32819, "&Save..."}}},
    };
    for (const Case& c : cases) {
        CMenu popup;
        ASSERT_TRUE(c.palette->BuildContextMenu(popup));
        EXPECT_EQ(c.items, MenuItems(popup));
    }

    // Without the main window's "&Settings" menu nothing is shown.
    ::SetMenu(host.Frame().m_hWnd, nullptr);
    CMenu popup;
    EXPECT_FALSE(curves.BuildContextMenu(popup));
    ::SetMenu(host.Frame().m_hWnd, host.Frame().m_hMenuDefault);
}

TEST_F(ToolBaseTest, ContextHelpNumbersOfThePaletteAndItsControls)
{
    CToolCurves curves;
    ASSERT_TRUE(curves.Create(&host.Frame()));
    HWND control = ::CreateWindowExA(0, "BUTTON", "x", WS_CHILD | WS_VISIBLE, 2, 2, 20, 20, curves.m_hWnd,
                                     reinterpret_cast<HMENU>(1005), nullptr, nullptr);
    ASSERT_NE(nullptr, control);

    HELPINFO info{};
    info.cbSize = sizeof info;
    info.iContextType = HELPINFO_WINDOW;
    info.iCtrlId = 1005;
    info.hItemHandle = control;
    EXPECT_EQ(TRUE, curves.SendMessage(WM_HELP, 0, reinterpret_cast<LPARAM>(&info)));
    info.iCtrlId = 0;
    info.hItemHandle = curves.m_hWnd;
    curves.SendMessage(WM_HELP, 0, reinterpret_cast<LPARAM>(&info));
    const std::vector<std::pair<DWORD_PTR, UINT>> expected = {{0x320103ED, HELP_CONTEXT},
                                                               {0x20000201, HELP_CONTEXT}};
    EXPECT_EQ(expected, host.Frame().help);

    EXPECT_EQ(0x320103ED, curves.SendMessage(WM_HELPHITTEST, 0, MAKELPARAM(10, 10)));
    RECT client{};
    ::GetClientRect(curves.m_hWnd, &client);
    EXPECT_EQ(0x20000201, curves.SendMessage(WM_HELPHITTEST, 0, MAKELPARAM(client.right - 2, client.bottom - 2)));
    EXPECT_EQ(TRUE, curves.SendMessage(WM_COMMANDHELP, 0, 0));
    curves.DestroyWindow();
    DeletePosition("Curves");
}

TEST_F(ToolBaseTest, ShiftGoesToTheWindowUnderTheCursorButNotToThePalette)
{
    CBarePalette palette;
    ASSERT_TRUE(palette.Create(&host.Frame()));
    palette.SetWindowPos(nullptr, 0, 0, 60, 60, SWP_NOZORDER | SWP_NOACTIVATE);
    PumpUntilIdle();
    RECT frame{};
    ::GetWindowRect(host.Frame().m_hWnd, &frame);
    const POINT overFrame{(frame.left + frame.right) / 2, (frame.top + frame.bottom) / 2};
    ASSERT_EQ(host.Frame().m_hWnd, ::GetAncestor(::WindowFromPoint(overFrame), GA_ROOT));
    const POINT overPalette{20, 30};
    ASSERT_EQ(palette.m_hWnd, ::WindowFromPoint(overPalette));

    // What was posted to the main window, taken from its queue.
    auto postedToFrame = [&](UINT message, WPARAM key) {
        int count = 0;
        MSG m{};
        while (::PeekMessageA(&m, host.Frame().m_hWnd, message, message, PM_REMOVE))
            count += m.wParam == key ? 1 : 0;
        return count;
    };
    MSG msg{palette.m_hWnd, WM_KEYDOWN, VK_SHIFT, 1, 0, overPalette};
    palette.PreTranslateMessage(&msg);
    EXPECT_EQ(0, postedToFrame(WM_KEYDOWN, VK_SHIFT)) << "over the palette itself";

    msg.pt = overFrame;
    palette.PreTranslateMessage(&msg);
    EXPECT_EQ(1, postedToFrame(WM_KEYDOWN, VK_SHIFT)) << "over the main window";

    // Alt+key: the main window's menu handling gets the key, and the focus.
    MSG alt{palette.m_hWnd, WM_SYSKEYDOWN, 'F', 0x20000001, 0, overPalette};
    EXPECT_TRUE(palette.PreTranslateMessage(&alt));
    EXPECT_EQ(1, postedToFrame(WM_SYSKEYDOWN, 'F'));
    palette.DestroyWindow();
    DeletePosition("Curves");
}

TEST_F(ToolBaseTest, HiddenLabelTakesNoPaintUntilShown)
{
    CBarePalette palette;
    ASSERT_TRUE(palette.Create(&host.Frame()));
    palette.SetWindowPos(nullptr, 0, 0, 200, 80, SWP_NOZORDER | SWP_NOACTIVATE);
    const RECT rect{4, 4, 150, 30};
    palette.AddLabelText(7, "WWWWWWWWWW", rect, kLabelNoPrefix);
    PumpUntilIdle();
    auto darkPixels = [&] {
        const clx::test::Image image = clx::test::CaptureWindow(palette.m_hWnd);
        int dark = 0;
        for (int y = rect.top; y < rect.bottom && y < image.height; ++y)
            for (int x = rect.left; x < rect.right && x < image.width; ++x)
                dark += (image.PixelAt(x, y) & 0xFF) < 0x40 ? 1 : 0;
        return dark;
    };
    EXPECT_EQ(0, darkPixels());
    palette.ShowLabel(7, true);
    EXPECT_TRUE(palette.GetLabelStyle(7) & kLabelVisible);
    PumpUntilIdle();
    EXPECT_GT(darkPixels(), 10);
    palette.DestroyWindow();
    DeletePosition("Curves");
}

}  // namespace
