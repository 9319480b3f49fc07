// The dialogs built in code, under Wine and driven by messages: their
// controls (class, id, style, text), what each stores or shows, how they
// close, and the context help they ask the application for. Each dialog's
// picture is kept in the scratch folder for review.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/shell/dialogs/dlg_copy_settings.h"
#include "app/shell/dialogs/dlg_disk_status.h"
#include "app/shell/dialogs/dlg_error_log.h"
#include "app/shell/dialogs/dlg_optional_message_box.h"
#include "app/shell/dialogs/layout_metrics.h"
#include "app/shell/dialogs/tests/dialog_test_support.h"
#include "app/shell/dialogs/ui_font.h"
#include "app/shell/errorlog/error_log.h"
#include "app/shell/format/byte_size.h"
#include "app/shell/settings/settings.h"
#include "clx/frame.h"
#include "clx/messages.h"
#include "testing/gui_test.h"

namespace fs = std::filesystem;
using dialogtest::App;

namespace {

constexpr shell::SettingId kCopySettings[] = {1217, 1218, 1219, 1220, 1221, 1222};

std::string ClassOf(HWND window)
{
    char name[64] = {};
    ::GetClassNameA(window, name, sizeof name);
    return name;
}

std::string TextOf(HWND window)
{
    char text[4096] = {};
    ::GetWindowTextA(window, text, sizeof text);
    return text;
}

DWORD StyleOf(HWND window)
{
    return static_cast<DWORD>(::GetWindowLongA(window, GWL_STYLE));
}

struct Control {
    const char* className;
    int id;
    DWORD style;
    const char* text;
};

// Class, style and text of each control; push buttons may carry the default-button bit.
void ExpectControls(HWND dialog, std::initializer_list<Control> controls)
{
    for (const Control& c : controls) {
        SCOPED_TRACE(c.id);
        HWND control = ::GetDlgItem(dialog, c.id);
        ASSERT_NE(nullptr, control);
        EXPECT_STRCASEEQ(ClassOf(control).c_str(), c.className);
        DWORD style = StyleOf(control);
        // A list box shows its scroll bars only while they are needed.
        if (ClassOf(control) == "ListBox")
            style |= c.style & (WS_HSCROLL | WS_VSCROLL);
        if (c.style == shell::kPushButtonStyle) {
            EXPECT_EQ(style & ~static_cast<DWORD>(BS_DEFPUSHBUTTON), c.style);
        } else {
            EXPECT_EQ(style, c.style);
        }
        if (c.text) {
            EXPECT_EQ(TextOf(control), c.text);
        }
    }
}

// The dialog as it looks, for review.
void KeepPicture(HWND dialog, const char* name)
{
    const fs::path folder = fs::path(TESS_SCRATCH_DIR) / "dialogs";
    fs::create_directories(folder);
    clx::test::CaptureWindow(dialog, true).SaveBmp((folder / (std::string(name) + ".bmp")).string());
}

// Every control lies inside the client area.
void ExpectControlsInside(HWND dialog)
{
    RECT client{};
    ::GetClientRect(dialog, &client);
    for (HWND child = ::GetWindow(dialog, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        RECT r{};
        ::GetWindowRect(child, &r);
        ::MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
        EXPECT_GE(r.left, 0) << ::GetDlgCtrlID(child);
        EXPECT_GE(r.top, 0) << ::GetDlgCtrlID(child);
        EXPECT_LE(r.right, client.right) << ::GetDlgCtrlID(child);
        EXPECT_LE(r.bottom, client.bottom) << ::GetDlgCtrlID(child);
    }
}

class DialogsTest : public GuiTest {
protected:
    void SetUp() override
    {
        GuiTest::SetUp();
        shell::SetUiFont(nullptr);
        App().help.clear();
    }
};

// ---------------------------------------------------------------- copy settings

TEST_F(DialogsTest, CopySettingsOffersTheStoredGroupsAndStoresTheChoiceOnCopy)
{
    const int32_t stored[] = {1, 1, 0, 1, 1, 1};
    for (int i = 0; i < 6; ++i)
        shell::SetIntSetting(kCopySettings[i], stored[i]);

    CDlgCopySettings dialog(nullptr);
    {
        ModalScript script([&](CDlgCopySettings& dlg) {
            EXPECT_EQ(TextOf(dlg.m_hWnd), "Copy Image Adjustments");
            const DWORD check = shell::kCheckBoxStyle;
            ExpectControls(dlg.m_hWnd, {{"Button", 1222, check, "Curves"},
                                        {"Button", 1223, check, "Color Balance"},
                                        {"Button", 1224, check, "Unsharp Mask"},
                                        {"Button", 1225, check, "Size/Resolution"},
                                        {"Button", 1226, check, "Advanced RAW"},
                                        {"Button", 1227, check, "White Balance"},
                                        {"Button", IDOK, shell::kPushButtonStyle, "Copy"},
                                        {"Button", IDCANCEL, shell::kPushButtonStyle, "&Cancel"},
                                        {"Button", 9, shell::kPushButtonStyle, "&Help"}});
            ExpectControlsInside(dlg.m_hWnd);
            for (int i = 0; i < 6; ++i)
                EXPECT_EQ(::IsDlgButtonChecked(dlg.m_hWnd, 1222 + i), stored[i] ? BST_CHECKED : BST_UNCHECKED) << i;
            EXPECT_EQ(FocusWindow(dlg.m_hWnd), ::GetDlgItem(dlg.m_hWnd, IDOK));
            KeepPicture(dlg.m_hWnd, "copy_settings");

            // Curves and White Balance off, Unsharp Mask on.
            for (int id : {1222, 1227, 1224})
                ::SendMessageA(::GetDlgItem(dlg.m_hWnd, id), BM_CLICK, 0, 0);
            ClickButton(dlg.m_hWnd, IDOK);
        });
        EXPECT_EQ(dialog.DoModal(), IDOK);
    }
    const bool expected[] = {false, true, true, true, true, false};
    for (int i = 0; i < 6; ++i) {
        int32_t value = -1;
        shell::GetIntSetting(kCopySettings[i], &value);
        EXPECT_EQ(value, expected[i] ? 1 : 0) << kCopySettings[i];
    }
    EXPECT_FALSE(dialog.GetCopyCurves());
    EXPECT_TRUE(dialog.GetCopyColorAdjustment());
    EXPECT_TRUE(dialog.GetCopyUnsharpMask());
    EXPECT_TRUE(dialog.GetCopySizeResolution());
    EXPECT_TRUE(dialog.GetCopyExposureAdjustment());
    EXPECT_FALSE(dialog.GetCopyWBAdjustment());
}

TEST_F(DialogsTest, CopySettingsWithNothingTickedCannotCopyAndCancelStoresNothing)
{
    for (shell::SettingId id : kCopySettings)
        shell::SetIntSetting(id, 1);
    shell::SetIntSetting(1221, 0);

    CDlgCopySettings dialog(nullptr);
    {
        ModalScript script([&](CDlgCopySettings& dlg) {
            HWND copy = ::GetDlgItem(dlg.m_hWnd, IDOK);
            for (int id : {1222, 1223, 1224, 1225, 1227})
                ::SendMessageA(::GetDlgItem(dlg.m_hWnd, id), BM_CLICK, 0, 0);
            EXPECT_FALSE(::IsWindowEnabled(copy));
            // Enter with nothing ticked copies nothing and keeps the dialog.
            ::SendMessageA(dlg.m_hWnd, WM_COMMAND, IDOK, 0);
            EXPECT_TRUE(::IsWindow(dlg.m_hWnd));
            ::SendMessageA(::GetDlgItem(dlg.m_hWnd, 1226), BM_CLICK, 0, 0);
            EXPECT_TRUE(::IsWindowEnabled(copy));
            ClickButton(dlg.m_hWnd, IDCANCEL);
        });
        EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    }
    for (shell::SettingId id : kCopySettings) {
        int32_t value = -1;
        shell::GetIntSetting(id, &value);
        EXPECT_EQ(value, id == 1221 ? 0 : 1) << id;
    }
    EXPECT_TRUE(dialog.GetCopyCurves() && dialog.GetCopyColorAdjustment() && dialog.GetCopyUnsharpMask() &&
                dialog.GetCopySizeResolution() && dialog.GetCopyExposureAdjustment() && dialog.GetCopyWBAdjustment());
}

// ---------------------------------------------------------------- help

TEST_F(DialogsTest, HelpAsksForTheDialogsTopicOrTheFocusedControls)
{
    // F1 reaches the dialog through the main window's help command.
    auto* frame = new CFrameWnd;
    ASSERT_TRUE(frame->CreateEx(0, nullptr, "main", WS_OVERLAPPEDWINDOW, 0, 0, 300, 200, nullptr, nullptr));
    App().m_pMainWnd = frame;

    CDlgCopySettings dialog(frame);
    {
        ModalScript script([&](CDlgCopySettings& dlg) {
            EXPECT_EQ(dlg.SendMessage(WM_HELPHITTEST, 0, 0), 0x20000106);
            ::SetFocus(::GetDlgItem(dlg.m_hWnd, 1223));
            PressF1(dlg.m_hWnd);
            ::SetFocus(::GetDlgItem(dlg.m_hWnd, 9));
            PressF1(dlg.m_hWnd);
            ClickButton(dlg.m_hWnd, 9);
            // A topic given with the request is shown as it is.
            dlg.SendMessage(WM_COMMANDHELP, 0, 0x20000200);
            ClickButton(dlg.m_hWnd, IDCANCEL);
        });
        dialog.DoModal();
    }
    ASSERT_EQ(App().help.size(), 4u);
    const DWORD_PTR topics[] = {shell::ControlHelpTopic(262, 1223), 0x20000106, 0x20000106, 0x20000200};
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(App().help[i].topic, topics[i]) << i;
        EXPECT_EQ(App().help[i].command, static_cast<UINT>(HELP_CONTEXT)) << i;
    }

    // A dialog without a help id leaves F1 alone and answers no hit test.
    App().help.clear();
    CDlgDiskStatus status(frame);
    {
        ModalScript script([&](CDlgDiskStatus& dlg) {
            PressF1(dlg.m_hWnd);
            EXPECT_EQ(dlg.SendMessage(WM_HELPHITTEST, 0, 0), 0);
            ClickButton(dlg.m_hWnd, IDOK);
        });
        status.DoModal();
    }
    EXPECT_TRUE(App().help.empty());
    App().m_pMainWnd = nullptr;
    frame->DestroyWindow();
    PumpUntilIdle();
    TakeQuit();
}

// ---------------------------------------------------------------- disk status

TEST_F(DialogsTest, DiskStatusShowsEachVolumesFreeSpaceAndNotAvailableForAMissingOne)
{
    // Counted in 64 bits: more than 4 GB free is never shown wrapped.
    auto expectedText = [] {
        ULARGE_INTEGER available{}, total{}, free{};
        EXPECT_TRUE(::GetDiskFreeSpaceExA("C:\\", &available, &total, &free));
        CQzString text;
        shell::FormatByteSize(text, static_cast<double>(free.QuadPart), false, false);
        return std::string(text);
    };
    const std::string before = expectedText();

    CDlgDiskStatus dialog(nullptr);
    dialog.SetPaths("C:\\", "Q:\\");
    std::string shown;
    {
        ModalScript script([&](CDlgDiskStatus& dlg) {
            EXPECT_EQ(TextOf(dlg.m_hWnd), "Disk Status");
            ExpectControls(dlg.m_hWnd, {{"Button", IDOK, shell::kPushButtonStyle, "&OK"},
                                        {"Static", 1000, shell::kLabelStyle, nullptr},
                                        {"Static", 1001, shell::kLabelStyle, "Not Available"}});
            ExpectControlsInside(dlg.m_hWnd);
            shown = TextOf(::GetDlgItem(dlg.m_hWnd, 1000));
            std::vector<std::string> labels;
            for (HWND child = ::GetWindow(dlg.m_hWnd, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
                if (::GetDlgCtrlID(child) == 0xFFFF)
                    labels.push_back(TextOf(child));
            labels.resize(3);
            EXPECT_EQ(labels[0].rfind("The following shows the available space", 0), 0u) << labels[0];
            EXPECT_EQ(labels[1], "Folder for Camera Thumbnails:");
            EXPECT_EQ(labels[2], "Folder for Temporary Data:");
            // Wide enough for the explanation's minimum width and the margins.
            EXPECT_GE(dlg.GetClientRect().Width(), 250);
            KeepPicture(dlg.m_hWnd, "disk_status");
            ClickButton(dlg.m_hWnd, IDOK);
        });
        EXPECT_EQ(dialog.DoModal(), IDOK);
    }
    // Other programs may write meanwhile: the text of the moment before or after.
    const std::string after = expectedText();
    EXPECT_TRUE(shown == before || shown == after) << shown << " / " << before;
    EXPECT_NE(shown, "Not Available");
}

// ---------------------------------------------------------------- error log

class ErrorLogDialogTest : public DialogsTest {
protected:
    void SetUp() override
    {
        DialogsTest::SetUp();
        fs::create_directories(TESS_SCRATCH_DIR);
        path = (fs::absolute(TESS_SCRATCH_DIR) / "dialogs_ErrorLog.txt").string();
        fs::remove(path);
        shell::SetErrorLogPath(path);
        shell::ClearErrorLog();
    }
    void TearDown() override
    {
        shell::SetErrorLogPath("");
        fs::remove(path);
        DialogsTest::TearDown();
    }
    std::string path;
};

TEST_F(ErrorLogDialogTest, AMissingLogClosesTheDialogAtOnce)
{
    CDlgErrorLog dialog(nullptr);
    // No modal loop runs: a script would fail.
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_TRUE(shell::IsErrorSummaryShown());
}

TEST_F(ErrorLogDialogTest, ListsTheLogsLinesAndTheSummary)
{
    std::ofstream(path, std::ios::binary) << "1/15/2003 2:05:07 PM  Error writing C:\\a.tif.\r\n\r\n"
                                             "1/15/2003 2:05:09 PM  Disk full error -- image not saved.\r\n"
                                             "unfinished";
    shell::CountImageAttempted();
    shell::CountImageAttempted();
    shell::CountImageSaved();

    CDlgErrorLog dialog(nullptr);
    {
        ModalScript script([&](CDlgErrorLog& dlg) {
            EXPECT_EQ(TextOf(dlg.m_hWnd), "Error Log");
            ExpectControls(dlg.m_hWnd, {{"Button", IDOK, shell::kPushButtonStyle, "&OK"},
                                        {"ListBox", 1000,
                                         shell::kListBoxStyle | WS_HSCROLL | LBS_NOSEL, nullptr}});
            ExpectControlsInside(dlg.m_hWnd);
            HWND list = ::GetDlgItem(dlg.m_hWnd, 1000);
            std::vector<std::string> lines;
            const int count = static_cast<int>(::SendMessageA(list, LB_GETCOUNT, 0, 0));
            for (int i = 0; i < count; ++i) {
                char text[512] = {};
                ::SendMessageA(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text));
                lines.push_back(text);
            }
            EXPECT_EQ(lines, (std::vector<std::string>{"1/15/2003 2:05:07 PM  Error writing C:\\a.tif.", "",
                                                       "1/15/2003 2:05:09 PM  Disk full error -- image not saved.",
                                                       "2 images were attempted, 1 image was saved."}));
            EXPECT_GT(::SendMessageA(list, LB_GETHORIZONTALEXTENT, 0, 0), 0);
            RECT r{};
            ::GetWindowRect(list, &r);
            EXPECT_GE(r.right - r.left, 80 * shell::GetUiCharWidth());
            EXPECT_EQ(FocusWindow(dlg.m_hWnd), ::GetDlgItem(dlg.m_hWnd, IDOK));
            KeepPicture(dlg.m_hWnd, "error_log");
            ClickButton(dlg.m_hWnd, IDOK);
        });
        EXPECT_EQ(dialog.DoModal(), IDOK);
    }
    EXPECT_TRUE(shell::IsErrorSummaryShown());
}

// ---------------------------------------------------------------- optional message box

// The icon's pixels drawn on white.
std::vector<uint32_t> IconPixels(HICON icon)
{
    const int size = ::GetSystemMetrics(SM_CXICON);
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), size, -size, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HDC dc = ::CreateCompatibleDC(nullptr);
    HBITMAP bitmap = ::CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ previous = ::SelectObject(dc, bitmap);
    RECT all{0, 0, size, size};
    ::FillRect(dc, &all, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
    ::DrawIconEx(dc, 0, 0, icon, size, size, 0, nullptr, DI_NORMAL);
    ::GdiFlush();
    std::vector<uint32_t> pixels(static_cast<const uint32_t*>(bits), static_cast<const uint32_t*>(bits) + size * size);
    ::SelectObject(dc, previous);
    ::DeleteObject(bitmap);
    ::DeleteDC(dc);
    return pixels;
}

// The box's icon display shows the system's icon `expected`.
void ExpectIcon(HWND dialog, LPCSTR expected)
{
    HWND iconWindow = nullptr;
    for (HWND child = ::GetWindow(dialog, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
        if (ClassOf(child) == "Static" && (StyleOf(child) & SS_TYPEMASK) == SS_ICON)
            iconWindow = child;
    ASSERT_NE(nullptr, iconWindow);
    const auto icon = reinterpret_cast<HICON>(::SendMessageA(iconWindow, STM_GETICON, 0, 0));
    ASSERT_NE(nullptr, icon);
    EXPECT_EQ(IconPixels(icon), IconPixels(::LoadIconA(nullptr, expected)));
}

TEST_F(DialogsTest, OptionalMessageBoxStylesGiveTheirButtonsAndIcon)
{
    struct Case {
        int style;
        const char* first;
        const char* second;  // null: no second button
        LPCSTR icon;
    } cases[] = {
        {CDlgOptionalMessageBox::kOkCancel, "&OK", "&Cancel", IDI_EXCLAMATION},
        {CDlgOptionalMessageBox::kYesNo, "&Yes", "&No", IDI_QUESTION},
        {CDlgOptionalMessageBox::kOkOnly, "&OK", nullptr, IDI_EXCLAMATION},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.style);
        CDlgOptionalMessageBox box(nullptr);
        box.SetStrings(2002, 2001, 2003);
        box.SetStyle(c.style);
        ModalScript script([&](CDlgOptionalMessageBox& dlg) {
            EXPECT_EQ(TextOf(dlg.m_hWnd), "Batch");
            ExpectControls(dlg.m_hWnd, {{"Button", IDOK, shell::kPushButtonStyle, c.first},
                                        {"Button", 1242, shell::kCheckBoxStyle,
                                         "Hide this message until Tessaline is restarted"}});
            HWND second = ::GetDlgItem(dlg.m_hWnd, IDCANCEL);
            if (c.second) {
                ExpectControls(dlg.m_hWnd, {{"Button", IDCANCEL, shell::kPushButtonStyle, c.second}});
            } else {
                EXPECT_EQ(second, nullptr);
            }
            EXPECT_NE(0u, StyleOf(::GetDlgItem(dlg.m_hWnd, IDOK)) & BS_DEFPUSHBUTTON);
            EXPECT_EQ(FocusWindow(dlg.m_hWnd), ::GetDlgItem(dlg.m_hWnd, IDOK));
            ExpectControlsInside(dlg.m_hWnd);
            ExpectIcon(dlg.m_hWnd, c.icon);
            const std::string name = "optional_message_box_" + std::to_string(c.style);
            KeepPicture(dlg.m_hWnd, name.c_str());
            ClickButton(dlg.m_hWnd, IDOK);
        });
        EXPECT_EQ(box.DoModal(), IDOK);
    }
}

TEST_F(DialogsTest, OptionalMessageBoxClosedByItsCloseBoxAnswersTwoAndKeepsTheCheck)
{
    struct Case {
        int style;
        bool initial;
        int closeWith;  // a button id, or 0 for the close box
        int answer;
        bool checked;
    } cases[] = {
        {CDlgOptionalMessageBox::kOkOnly, false, 0, IDCANCEL, true},
        {CDlgOptionalMessageBox::kYesNo, true, 0, IDCANCEL, false},
        {CDlgOptionalMessageBox::kYesNo, false, IDCANCEL, IDCANCEL, true},
        {CDlgOptionalMessageBox::kOkCancel, false, IDOK, IDOK, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.style << " " << c.closeWith);
        CDlgOptionalMessageBox box(nullptr);
        box.SetStrings(2000, 2001, 0);
        box.SetStyle(c.style);
        box.SetDoNotShowAgain(c.initial);
        ModalScript script([&](CDlgOptionalMessageBox& dlg) {
            EXPECT_EQ(TextOf(dlg.m_hWnd), "Tessaline");
            EXPECT_EQ(::IsDlgButtonChecked(dlg.m_hWnd, 1242), c.initial ? BST_CHECKED : BST_UNCHECKED);
            ::SendMessageA(::GetDlgItem(dlg.m_hWnd, 1242), BM_CLICK, 0, 0);
            if (c.closeWith)
                ClickButton(dlg.m_hWnd, c.closeWith);
            else
                ::SendMessageA(dlg.m_hWnd, WM_SYSCOMMAND, SC_CLOSE, 0);
        });
        EXPECT_EQ(box.DoModal(), c.answer);
        EXPECT_EQ(box.IsDoNotShowAgainChecked(), c.checked);
    }
}

TEST_F(DialogsTest, OptionalMessageBoxWrapsALongMessageWithinTheWorkArea)
{
    RECT work{};
    ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    for (int position : {CDlgOptionalMessageBox::kAboveButtons, CDlgOptionalMessageBox::kBelowButtons}) {
        SCOPED_TRACE(position);
        CDlgOptionalMessageBox box(nullptr);
        box.SetStrings(2004, 2001, 0);
        box.SetStyle(CDlgOptionalMessageBox::kOkCancel);
        box.SetCheckBoxPosition(position);
        ModalScript script([&](CDlgOptionalMessageBox& dlg) {
            const CRect window = dlg.GetWindowRect();
            EXPECT_GE(window.left, work.left);
            EXPECT_GE(window.top, work.top);
            EXPECT_LE(window.right, work.right);
            EXPECT_LE(window.bottom, work.bottom);
            ExpectControlsInside(dlg.m_hWnd);
            // The message wraps at 0.625 of the work area's width, onto several lines.
            HWND label = nullptr;
            for (HWND child = ::GetWindow(dlg.m_hWnd, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
                if (TextOf(child).rfind("The disk used", 0) == 0)
                    label = child;
            EXPECT_NE(nullptr, label);
            RECT r{};
            ::GetWindowRect(label, &r);
            EXPECT_LE(r.right - r.left, (work.right - work.left) * 5 / 8);
            EXPECT_GT(r.bottom - r.top, 3 * shell::GetUiFontHeight());
            RECT check{}, ok{};
            ::GetWindowRect(::GetDlgItem(dlg.m_hWnd, 1242), &check);
            ::GetWindowRect(::GetDlgItem(dlg.m_hWnd, IDOK), &ok);
            if (position == CDlgOptionalMessageBox::kAboveButtons) {
                EXPECT_LE(check.bottom, ok.top);
            } else {
                EXPECT_GE(check.top, ok.bottom);
            }
            EXPECT_GE(check.top, r.bottom);
            if (position == CDlgOptionalMessageBox::kBelowButtons)
                KeepPicture(dlg.m_hWnd, "optional_message_box_long");
            ClickButton(dlg.m_hWnd, IDCANCEL);
        });
        EXPECT_EQ(box.DoModal(), IDCANCEL);
    }
}

}  // namespace
