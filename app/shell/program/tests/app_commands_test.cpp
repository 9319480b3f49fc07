// The application object while the program runs: the camera listener, the
// camera error messages, the About box, the splash screen of start-up and the
// Preferences dialog's commands. Each test runs a whole start-up and exit.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "app/camera/app/orla_kavo.h"
#include "app/shell/frame/frame_ids.h"
#include "app/shell/frame/main_frame.h"
#include "app/shell/preferences/dlg_preferences.h"
#include "app/shell/program/about_box.h"
#include "app/shell/program/camera_messages.h"
#include "app/shell/program/startup_win.h"
#include "app/shell/program/tests/program_fixture.h"
#include "app/shell/progress/progress_protocol.h"
#include "app/shell/settings/registry_store.h"
#include "app/shell/settings/settings.h"
#include "clx/dialog.h"
#include "testing/gui_test.h"

namespace fs = std::filesystem;
using namespace program_test;

namespace {

// After a handler of a test's own: every further box is a failure again.
void ExpectNoMoreBoxes()
{
    MessageBoxScript none{};
}

class AppCommandsTest : public ProgramTest {
protected:
    AppCommandsTest() : ProgramTest("commands_") {}
    // The simulated module in the place of the maker's, with a camera.
    void InstallCameraModule()
    {
        const fs::path inbox = scratch / "camera.inbox";
        std::ofstream(inbox) << "";
        ProgramTest::InstallCameraModule("inbox " + Absolute(inbox) + "\n");
    }
};

TEST_F(AppCommandsTest, ASecondCameraWhileOneIsCurrentIsIgnored)
{
    InstallCameraModule();
    Start({});
    CMainFrame* frame = CMainFrame::Get();
    ASSERT_NE(nullptr, frame);
    COrlaKavoSource* first = TestApp().GetKavoSource(false);
    ASSERT_NE(nullptr, first);
    const UINT interval = TestApp().GetCameraTimerInterval();

    COrlaKavoSource second;
    EXPECT_EQ(1u, TestApp().OnKavoChildAdded(kKavoLevelSource, &second));
    EXPECT_EQ(1u, TestApp().OnKavoChildAdded(kKavoLevelSource, &second));
    EXPECT_EQ(first, TestApp().GetKavoSource(false));
    EXPECT_EQ(kCameraConnected, frame->GetCameraState());
    EXPECT_EQ(interval, TestApp().GetCameraTimerInterval());
    Finish();
}

// A camera dialog as the camera control palette opens them: owned by the
// palette, with a Cancel button.
struct CameraDialog {
    static INT_PTR CALLBACK Proc(HWND dialog, UINT msg, WPARAM w, LPARAM)
    {
        if (msg == WM_COMMAND && LOWORD(w) == IDCANCEL) {
            ++cancelled;
            ::DestroyWindow(dialog);
            return TRUE;
        }
        return msg == WM_INITDIALOG;
    }
    static inline int cancelled = 0;
};

TEST_F(AppCommandsTest, ACameraThatGoesCancelsThePalettesDialogClosesThePaletteAndPollsAgain)
{
    InstallCameraModule();
    Start({});
    CMainFrame* frame = CMainFrame::Get();
    ASSERT_NE(nullptr, frame);
    COrlaKavoSource* source = TestApp().GetKavoSource(false);
    ASSERT_NE(nullptr, source);
    ASSERT_TRUE(frame->m_wndCameraControl.IsOpen());

    clx::DialogTemplate tmpl(WS_POPUP | WS_CAPTION | WS_VISIBLE | DS_SETFONT, 0, 10, 10, 120, 60, "Camera");
    tmpl.SetFont(8, "MS Shell Dlg");
    tmpl.AddControl("BUTTON", "Cancel", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 60, 40, 50, 14, IDCANCEL);
    CameraDialog::cancelled = 0;
    HWND dialog = ::CreateDialogIndirectParamA(::GetModuleHandleA(nullptr), tmpl.Get(),
                                               frame->m_wndCameraControl.m_hWnd, &CameraDialog::Proc, 0);
    ASSERT_NE(nullptr, dialog);
    PumpUntilIdle();

    // Another object than the current source changes nothing.
    COrlaKavoSource other;
    TestApp().OnKavoRemoved(kKavoLevelSource, &other);
    TestApp().OnKavoRemoved(kKavoLevelItem, source);
    EXPECT_EQ(source, TestApp().GetKavoSource(false));
    EXPECT_TRUE(frame->m_wndCameraControl.IsOpen());

    EXPECT_EQ(1u, TestApp().OnKavoRemoved(kKavoLevelSource, source));
    PumpUntilIdle();
    EXPECT_EQ(1, CameraDialog::cancelled);
    EXPECT_FALSE(::IsWindow(dialog));
    EXPECT_FALSE(frame->m_wndCameraControl.IsOpen());
    EXPECT_EQ(nullptr, TestApp().GetKavoSource(false));
    EXPECT_EQ(kCameraNone, frame->GetCameraState());
    EXPECT_EQ(1004u, TestApp().GetCameraTimerId());
    EXPECT_EQ(2000u, TestApp().GetCameraTimerInterval());
    Finish();
}

// What the progress window was sent, seen in its own thread's procedure.
struct ProgressSpy {
    static LRESULT CALLBACK Proc(HWND window, UINT msg, WPARAM w, LPARAM l)
    {
        if (msg == shell::kProgressMessage)
            seen.push_back({w, l});
        return ::CallWindowProcA(original, window, msg, w, l);
    }
    static inline WNDPROC original = nullptr;
    static inline std::vector<std::pair<WPARAM, LPARAM>> seen;
};

TEST_F(AppCommandsTest, TheProgressOfADataObjectMovesTheProgressBar)
{
    Start({kNoCameraModule, kNoCameraModule});
    HWND progress = TestApp().GetProgressWindow();
    ASSERT_NE(nullptr, progress);
    ProgressSpy::seen.clear();
    ProgressSpy::original = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrA(progress, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&ProgressSpy::Proc)));
    ASSERT_NE(nullptr, ProgressSpy::original);

    struct Case {
        uint32_t level, done, total;
    } cases[] = {{kKavoLevelData, 50, 99}, {kKavoLevelItem, 50, 99}, {kKavoLevelData, 0, 0xFFFFFFFFu},
                 {kKavoLevelSource, 1, 1}};
    for (const Case& c : cases)
        EXPECT_EQ(1u, TestApp().OnKavoProgress(c.level, nullptr, 0, 0, c.done, c.total));
    ::SetWindowLongPtrA(progress, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ProgressSpy::original));
    const std::vector<std::pair<WPARAM, LPARAM>> expected = {{shell::kProgressSetFraction, 5000},
                                                             {shell::kProgressSetFraction, 0}};
    EXPECT_EQ(expected, ProgressSpy::seen);
    Finish();
}

TEST_F(AppCommandsTest, CameraErrorsShowTheirMessagesWithTheExclamationMark)
{
    struct Shown {
        std::string text;
        UINT type;
    };
    std::vector<Shown> shown;
    clx::SetMessageBoxHandler([&](HWND, const char* text, const char*, UINT type) {
        shown.push_back({text, type});
        return IDOK;
    });
    const struct {
        int32_t code;
        const char* fragment;
    } cases[] = {
        {132, "problem with the CF card"},
        {134, "The camera was not found."},
        {147, "main battery is almost empty"},
        {148, "An error occurred while communicating with the camera."},
        {-241, "An error occurred while communicating with the camera."},
    };
    EXPECT_FALSE(shell::ShowCameraErrorMessage(0));
    EXPECT_TRUE(shown.empty());
    for (const auto& c : cases) {
        shown.clear();
        EXPECT_TRUE(shell::ShowCameraErrorMessage(c.code)) << c.code;
        ASSERT_EQ(1u, shown.size()) << c.code;
        EXPECT_NE(std::string::npos, shown[0].text.find(c.fragment)) << c.code << ": " << shown[0].text;
        EXPECT_EQ(static_cast<UINT>(MB_OK | MB_ICONEXCLAMATION), shown[0].type) << c.code;
    }
    ExpectNoMoreBoxes();
}

// The texts of the version lines, in their order.
std::vector<std::string> VersionLines(HWND box)
{
    std::vector<std::string> texts;
    for (HWND child = ::GetWindow(box, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        if (::GetDlgCtrlID(child) != 0xFFFF)
            continue;
        char text[128] = "";
        ::GetWindowTextA(child, text, sizeof text);
        texts.push_back(text);
    }
    return texts;
}

// Every version line's window is shown and has the text's colour in it.
bool ShowsVersionLines(HWND box)
{
    int lines = 0;
    for (HWND child = ::GetWindow(box, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        if (::GetDlgCtrlID(child) != 0xFFFF)
            continue;
        ++lines;
        if (!::IsWindowVisible(child))
            return false;
        const clx::test::Image shown = clx::test::CaptureWindow(child);
        bool ink = false;
        for (int y = 0; y < shown.height && !ink; ++y)
            for (int x = 0; x < shown.width && !ink; ++x)
                ink = shown.PixelAt(x, y) == ::GetSysColor(COLOR_WINDOWTEXT);
        if (!ink)
            return false;
    }
    return lines > 0;
}

void SetCtrlHeld(bool held)
{
    BYTE keys[256];
    ::GetKeyboardState(keys);
    keys[VK_CONTROL] = held ? 0x80 : 0;
    ::SetKeyboardState(keys);
}

TEST_F(AppCommandsTest, AboutShowsTheVersionOrWithCtrlEveryVersionAndClosesWithOK)
{
    Start({kNoCameraModule, kNoCameraModule});
    const struct {
        bool ctrl;
        std::vector<std::string> lines;
    } cases[] = {
        {false, {"Version:", "2.0.0"}},
        // No camera module is installed, and the libraries carry no version.
        {true,
         {"Application Version:", "2.0.0.0", "Module Version:", "?", "Imaging Version:", "?", "Filters Version:",
          "?"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.ctrl ? "with Ctrl" : "without Ctrl");
        std::vector<std::string> lines;
        bool okVisible = false;
        SetCtrlHeld(c.ctrl);
        ModalScript script([&](CDlgAbout& box) {
            lines = VersionLines(box.m_hWnd);
            okVisible = ::IsWindowVisible(box.GetDlgItem(IDOK)) != FALSE;
            if (c.ctrl) {
                // The box as it looks, kept for review.
                const fs::path artefacts = fs::path(TESS_SCRATCH_DIR) / ".." / "artefacts";
                fs::create_directories(artefacts);
                clx::test::CaptureWindow(box.m_hWnd, true).SaveBmp((artefacts / "about_box.bmp").string());
            }
            ClickButton(box.m_hWnd, IDOK);
        });
        TestApp().m_pMainWnd->SendMessage(WM_COMMAND, ID_APP_ABOUT, 0);
        SetCtrlHeld(false);
        PumpUntilIdle();
        EXPECT_EQ(1, script.runs);
        EXPECT_EQ(c.lines, lines);
        EXPECT_TRUE(okVisible);
    }
    EXPECT_EQ(nullptr, ::FindWindowA(nullptr, "About Tessaline"));
    Finish();
}

TEST_F(AppCommandsTest, TheSplashShowsDuringStartUpAndItsEndRunsTheDeferredStartUp)
{
    enum End { kTimer, kKey, kClick };
    for (End end : {kTimer, kKey, kClick}) {
        SCOPED_TRACE(end);
        TestApp().splash = true;
        // The box of the missing module comes while the splash shows; the
        // main window owns it, since the splash may go at any moment.
        std::vector<HWND> owners;
        clx::SetMessageBoxHandler([&](HWND owner, const char* text, const char*, UINT) {
            owners.push_back(owner);
            EXPECT_NE(nullptr, std::strstr(text, "could not be loaded")) << text;
            return IDOK;
        });
        ASSERT_TRUE(TestApp().InitInstance());
        PumpUntilIdle();
        ExpectNoMoreBoxes();
        CMainFrame* frame = CMainFrame::Get();
        ASSERT_NE(nullptr, frame);
        ASSERT_EQ(1u, owners.size());
        EXPECT_EQ(frame->m_hWnd, owners[0]);
        HWND splash = ::FindWindowA(nullptr, "TessalineSplash");
        ASSERT_NE(nullptr, splash);
        EXPECT_EQ(splash, CDlgAbout::GetSplashWindow());
        EXPECT_FALSE(CDlgAbout::IsSplashFinished());
        EXPECT_EQ(splash, ::GetCapture());
        EXPECT_FALSE(::IsWindowVisible(::GetDlgItem(splash, IDOK)));
        // The version line, as the About box shows it, drawn over the picture.
        const std::vector<std::string> version = {"Version:", "2.0.0"};
        EXPECT_EQ(version, VersionLines(splash));
        EXPECT_TRUE(ShowsVersionLines(splash));
        if (end == kTimer) {
            const fs::path artefacts = fs::path(TESS_SCRATCH_DIR) / ".." / "artefacts";
            fs::create_directories(artefacts);
            clx::test::CaptureWindow(splash, true).SaveBmp((artefacts / "splash.bmp").string());
        }
        // The full deferred start-up waits for the splash.
        EXPECT_FALSE(frame->m_wndCurves.IsOpen());
        {
            MessageBoxScript script{kNoCameraModule};
            if (end == kTimer)
                FireTimer(splash, 1005);
            else if (end == kKey)
                PressKey(splash, VK_SPACE);
            else
                Click(splash, POINT{20, 20});
            PumpUntilIdle();
        }
        EXPECT_FALSE(::IsWindow(splash));
        EXPECT_EQ(nullptr, CDlgAbout::GetSplashWindow());
        EXPECT_TRUE(CDlgAbout::IsSplashFinished());
        EXPECT_TRUE(frame->m_wndCurves.IsOpen());
        Finish();
        SetUp();
    }
}

// Counts the preferences broadcast per window: a child of the main window
// of its own class, and the palettes through their subclassed procedures.
struct PreferencesSpy {
    static LRESULT CALLBACK Proc(HWND window, UINT msg, WPARAM w, LPARAM l)
    {
        if (msg == 0x8002)
            ++counts[window];
        return ::DefWindowProcA(window, msg, w, l);
    }
    static LRESULT CALLBACK PaletteProc(HWND window, UINT msg, WPARAM w, LPARAM l)
    {
        if (msg == 0x8002)
            ++counts[window];
        return ::CallWindowProcA(previous[window], window, msg, w, l);
    }
    static inline std::map<HWND, int> counts;
    static inline std::map<HWND, WNDPROC> previous;
};

TEST_F(AppCommandsTest, PreferencesOpenAtTheCommandsPageAndOkReachesEveryWindowOnce)
{
    InstallCameraModule();
    Start({});
    CMainFrame* frame = CMainFrame::Get();
    ASSERT_NE(nullptr, frame);
    WNDCLASSA wc{};
    wc.lpfnWndProc = &PreferencesSpy::Proc;
    wc.hInstance = ::GetModuleHandleA(nullptr);
    wc.lpszClassName = "PreferencesSpy";
    ::RegisterClassA(&wc);
    HWND main = frame->m_hWnd;
    HWND spy = ::CreateWindowA("PreferencesSpy", "", WS_CHILD, 0, 0, 1, 1, main, nullptr, wc.hInstance, nullptr);
    ASSERT_NE(nullptr, spy);
    PreferencesSpy::counts.clear();
    std::vector<HWND> palettes;
    for (CWnd* palette : {static_cast<CWnd*>(&frame->m_wndCurves), static_cast<CWnd*>(&frame->m_wndColorAdjust),
                          static_cast<CWnd*>(&frame->m_wndWBAdjust)}) {
        if (!palette->m_hWnd)
            continue;
        palettes.push_back(palette->m_hWnd);
        PreferencesSpy::previous[palette->m_hWnd] = reinterpret_cast<WNDPROC>(::SetWindowLongPtrA(
            palette->m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&PreferencesSpy::PaletteProc)));
    }
    ASSERT_FALSE(palettes.empty());

    // Cancel broadcasts nothing; each command opens its own page.
    for (UINT id = 32930; id <= 32936; ++id) {
        ModalScript script([&](CDlgPreferences& d) {
            const int page = id == 32930 ? 0 : static_cast<int>(id - 32931);
            EXPECT_EQ(d.GetShownPage(), page) << id;
            for (int i = 0; i < CDlgPreferences::kPageCount; ++i)
                EXPECT_EQ(d.GetPage(i)->m_hWnd != nullptr, i == page) << id << " " << i;
            ClickButton(d.m_hWnd, IDCANCEL);
        });
        ::SendMessageA(main, WM_COMMAND, id, 0);
        PumpUntilIdle();
    }
    EXPECT_TRUE(PreferencesSpy::counts.empty());

    // The grid colour changed on its page and OK: stored, broadcast once to each.
    {
        ModalScript script([&](CDlgPreferences& d) {
            HWND colour = ::GetDlgItem(d.GetPage(4)->m_hWnd, CPrefPageGrid::kColourId);
            ::SendMessageA(colour, CB_SETCURSEL, 4, 0);  // "Red"
            ClickButton(d.m_hWnd, IDOK);
        });
        ::SendMessageA(main, WM_COMMAND, 32935, 0);
        PumpUntilIdle();
    }
    int32_t colour = 0;
    shell::GetIntSetting(1060, &colour);
    EXPECT_EQ(colour, 0xFF);
    EXPECT_EQ(PreferencesSpy::counts[spy], 1);
    for (HWND palette : palettes)
        EXPECT_EQ(PreferencesSpy::counts[palette], 1);

    // Opened again, the page shows it; the picture is kept for review.
    {
        ModalScript script([&](CDlgPreferences& d) {
            HWND list = ::GetDlgItem(d.GetPage(4)->m_hWnd, CPrefPageGrid::kColourId);
            EXPECT_EQ(::SendMessageA(list, CB_GETCURSEL, 0, 0), 4);
            PumpUntilIdle();
            const fs::path artefacts = fs::path(TESS_SCRATCH_DIR) / ".." / "artefacts";
            fs::create_directories(artefacts);
            clx::test::CaptureWindow(d.m_hWnd, true).SaveBmp((artefacts / "preferences_grid.bmp").string());
            ClickButton(d.m_hWnd, IDCANCEL);
        });
        ::SendMessageA(main, WM_COMMAND, 32935, 0);
        PumpUntilIdle();
    }

    // The General page hands its awake time to the camera: "Always" is mode 2.
    COrlaKavoSource* source = TestApp().GetKavoSource(false);
    ASSERT_NE(nullptr, source);
    {
        ModalScript script([&](CDlgPreferences& d) {
            HWND awake = ::GetDlgItem(d.GetPage(0)->m_hWnd, CPrefPageGeneral::kAwakeTimeId);
            ::SendMessageA(awake, CB_SETCURSEL, 1, 0);
            ClickButton(d.m_hWnd, IDOK);
        });
        ::SendMessageA(main, WM_COMMAND, 32931, 0);
        PumpUntilIdle();
    }
    EXPECT_EQ(source->GetKeepAwake(), 2);
    EXPECT_EQ(PreferencesSpy::counts[spy], 2);

    for (HWND palette : palettes)
        ::SetWindowLongPtrA(palette, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(PreferencesSpy::previous[palette]));
    ::DestroyWindow(spy);
    ::UnregisterClassA("PreferencesSpy", wc.hInstance);
    Finish();
}

}  // namespace
