// The application object in this process: start-up with its tile managers,
// colour profiles and main frame, the messages of an engine that could not
// start, the palettes' Tab key, and exit. Each test runs a whole start-up
// and exit in a Wine prefix made for this program's run.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "app/core/shooting/shooting_seams.h"
#include "app/shell/format/date_time.h"
#include "app/shell/frame/main_frame.h"
#include "app/shell/frame/frame_ids.h"
#include "app/shell/program/camera_check.h"
#include "app/shell/program/install/default_profiles.h"
#include "app/shell/program/startup_win.h"
#include "app/shell/program/tests/program_fixture.h"
#include "app/shell/settings/registry_store.h"
#include "app/shell/settings/settings.h"
#include "testing/gui_test.h"

namespace fs = std::filesystem;
using namespace program_test;

namespace {

class OrlaAppTest : public ProgramTest {
protected:
    OrlaAppTest() : ProgramTest("program_") {}
};

TEST_F(OrlaAppTest, StartsTheMainWindowWithPageFilesThatGoAtExit)
{
    Start({kNoCameraModule, kNoCameraModule});
    HWND main = ::FindWindowA("Tessaline1", nullptr);
    ASSERT_NE(nullptr, main);
    EXPECT_EQ(TestApp().m_pMainWnd->m_hWnd, main);
    EXPECT_EQ(0u, TestApp().GetStartupError());
    EXPECT_TRUE(fs::exists(scratch / "temp" / "Tessali1.tmp"));
    EXPECT_TRUE(fs::exists(scratch / "temp" / "Tessali2.tmp"));
    EXPECT_NE(nullptr, TestApp().GetDrawingManager());
    EXPECT_NE(nullptr, TestApp().GetSavingManager());
    EXPECT_NE(nullptr, TestApp().GetProgressWindow());

    Finish();
    EXPECT_EQ(nullptr, ::FindWindowA("Tessaline1", nullptr));
    EXPECT_FALSE(fs::exists(scratch / "temp" / "Tessali1.tmp"));
    EXPECT_FALSE(fs::exists(scratch / "temp" / "Tessali2.tmp"));
}

TEST_F(OrlaAppTest, AnEngineThatCouldNotStartRefusesEveryOpenWithItsMessage)
{
    struct Case {
        const char* name;
        shell::SettingId setting;
        const char* fragment;
        UINT error;
    } cases[] = {
        {"temporary folder", kTempFolder, "invalid \"Temporary Data\" folder", 6145},
        {"RGB profile", kRGBProfile, "check the CMS Profiles", 6146},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        shell::SetStringSetting(c.setting, Absolute(scratch / "missing" / "nothing").c_str());
        Start({{c.fragment, IDOK}, kNoCameraModule, kNoCameraModule});
        EXPECT_EQ(c.error, TestApp().GetStartupError());
        {
            MessageBoxScript again{{c.fragment, IDOK}, {c.fragment, IDOK}};
            EXPECT_EQ(nullptr, TestApp().OpenDocumentFile(Absolute(scratch / "image.jpg").c_str()));
            TestApp().m_pMainWnd->SendMessage(WM_COMMAND, ID_FILE_NEW, 0);
            PumpUntilIdle();
        }
        EXPECT_EQ(0, TestApp().GetOpenDocumentCount());
        Finish();
        SetUp();
    }
}

TEST_F(OrlaAppTest, TheShootingDataShowsItsDateAndTimeInTheUsersLocaleWhileTheProgramRuns)
{
    const QzShootingTime shot = {1998, 11, 3, 14, 24, 0, 500};
    const shell::QzDateTime record = {1998, 11, 3, 14, 24, 0, 500};
    CQzString localeDate, localeTime;
    shell::FormatDate(localeDate, false, &record);
    shell::FormatTimeSeconds(localeTime, false, &record);
    // This prefix's locale writes the date otherwise than the built-in form.
    ASSERT_STRNE("1998/12/03", localeDate);

    Start({kNoCameraModule, kNoCameraModule});
    CQzString date, time;
    GetShootingDateTimeText().FormatDate(date, shot);
    GetShootingDateTimeText().FormatTimeSeconds(time, shot);
    EXPECT_STREQ(localeDate, date);
    EXPECT_STREQ(localeTime, time);
    Finish();
    GetShootingDateTimeText().FormatDate(date, shot);
    EXPECT_STREQ("1998/12/03", date);
}

TEST_F(OrlaAppTest, TabHidesTheOpenPalettesAndTheNextTabShowsThemAgain)
{
    Start({kNoCameraModule, kNoCameraModule});
    CMainFrame* frame = CMainFrame::Get();
    ASSERT_NE(nullptr, frame);
    ASSERT_TRUE(frame->m_wndCurves.IsOpen());
    EXPECT_FALSE(frame->m_wndUnsharpMask.IsOpen());
    PressKey(frame->m_hWnd, VK_TAB);
    EXPECT_FALSE(frame->m_wndCurves.IsOpen());
    PressKey(frame->m_hWnd, VK_TAB);
    EXPECT_TRUE(frame->m_wndCurves.IsOpen());
    EXPECT_FALSE(frame->m_wndUnsharpMask.IsOpen());

    // Ctrl with the key left of "1" picks the master channel of the curves;
    // with Shift it does not.
    frame->m_wndCurves.calls = {};
    PressKey(frame->m_hWnd, 192, kCtrl | kShift);
    EXPECT_EQ(0, frame->m_wndCurves.calls.selectChannel);
    PressKey(frame->m_hWnd, 192, kCtrl);
    EXPECT_EQ(1, frame->m_wndCurves.calls.selectChannel);
    EXPECT_EQ(0, frame->m_wndCurves.calls.lastChannel);
    Finish();
}

TEST_F(OrlaAppTest, TheFitAndCursorChoicesAreStoredAtExit)
{
    constexpr shell::SettingId kAutoFitToWindow = 1095;
    constexpr shell::SettingId kCursorMode = 1101;
    shell::SetIntSetting(kAutoFitToWindow, 1);
    shell::SetIntSetting(kCursorMode, 1);
    Start({kNoCameraModule, kNoCameraModule});
    EXPECT_TRUE(TestApp().GetAutoFitToWindow());
    EXPECT_EQ(1, TestApp().GetCursorMode());
    TestApp().m_pMainWnd->SendMessage(WM_COMMAND, ID_VIEW_AUTO_FIT, 0);
    TestApp().m_pMainWnd->SendMessage(WM_COMMAND, ID_VIEW_GRAB_CURSOR, 0);
    EXPECT_FALSE(TestApp().GetAutoFitToWindow());
    EXPECT_EQ(3, TestApp().GetCursorMode());
    Finish();
    int32_t value = -1;
    EXPECT_TRUE(shell::GetIntSetting(kAutoFitToWindow, &value));
    EXPECT_EQ(0, value);
    EXPECT_TRUE(shell::GetIntSetting(kCursorMode, &value));
    EXPECT_EQ(3, value);
}

TEST_F(OrlaAppTest, ACameraOfTheInstalledModuleIsConnectedAtStartUp)
{
    const fs::path installed = InstallCameraModule("");
    Start({});
    CMainFrame* frame = CMainFrame::Get();
    ASSERT_NE(nullptr, frame);
    EXPECT_NE(nullptr, TestApp().GetKavoSource(false));
    EXPECT_EQ(kCameraConnected, frame->GetCameraState());
    EXPECT_TRUE(frame->m_wndCameraControl.IsOpen());
    Finish();
    fs::remove(installed);
}

TEST_F(OrlaAppTest, TheCameraModulesQuestionsAreAskedInTheApplicationsMessageBox)
{
    // The module speaks up while it opens at start-up.
    const fs::path installed = InstallCameraModule("request 0 1 module open * : The card is almost full\n");
    {
        MessageBoxScript script{{"The card is almost full", IDOK}};
        ASSERT_TRUE(TestApp().InitInstance());
        PumpUntilIdle();
        EXPECT_EQ(1u, script.shown.size());
    }
    EXPECT_NE(nullptr, TestApp().GetKavoSource(false));
    Finish();
    fs::remove(installed);
}

TEST_F(OrlaAppTest, ACameraThatComesAndGoesIsFollowedByTheCameraStateThePaletteAndThePoll)
{
    const fs::path inbox = scratch / "camera.inbox";
    std::ofstream(inbox) << "";
    const fs::path installed =
        InstallCameraModule("absent\npoll-interval 500\ninbox " + Absolute(inbox) + "\n");
    Start({});
    CMainFrame* frame = CMainFrame::Get();
    ASSERT_NE(nullptr, frame);
    EXPECT_EQ(nullptr, TestApp().GetKavoSource(false));
    EXPECT_EQ(kCameraNone, frame->GetCameraState());
    EXPECT_EQ(1004u, TestApp().GetCameraTimerId());
    EXPECT_EQ(2000u, TestApp().GetCameraTimerInterval());

    // The module is asked at once when a camera check is requested.
    auto act = [&](const char* action) {
        std::ofstream(inbox) << action << "\n";
        shell::SetCameraCheckPending(true);
        FireTimer(frame->m_hWnd, 1004);
        PumpUntilIdle();
    };
    act("reconnect");
    ASSERT_NE(nullptr, TestApp().GetKavoSource(false));
    EXPECT_EQ(kCameraConnected, frame->GetCameraState());
    EXPECT_EQ(500u, TestApp().GetCameraTimerInterval());
    frame->SendMessage(WM_COMMAND, ID_VIEW_CAMERA_CONTROL, 0);
    PumpUntilIdle();
    ASSERT_TRUE(frame->m_wndCameraControl.IsOpen());

    act("disconnect");
    EXPECT_EQ(nullptr, TestApp().GetKavoSource(false));
    EXPECT_EQ(kCameraNone, frame->GetCameraState());
    EXPECT_FALSE(frame->m_wndCameraControl.IsOpen());
    EXPECT_EQ(1004u, TestApp().GetCameraTimerId());
    EXPECT_EQ(2000u, TestApp().GetCameraTimerInterval());
    Finish();
    fs::remove(installed);
}

TEST_F(OrlaAppTest, MessageBoxesGetTheExclamationMarkAndHoldTheCameraBack)
{
    struct Seen {
        UINT type;
        bool modal;
    };
    std::vector<Seen> seen;
    clx::SetMessageBoxHandler([&](HWND, const char*, const char*, UINT type) {
        seen.push_back({type, TestApp().IsModal()});
        return IDOK;
    });
    const UINT types[] = {MB_OK, MB_OKCANCEL, MB_YESNOCANCEL, MB_YESNO, MB_OK | MB_ICONSTOP, MB_RETRYCANCEL,
                          MB_YESNO | MB_ICONQUESTION};
    const UINT shown[] = {MB_OK | MB_ICONEXCLAMATION,       MB_OKCANCEL | MB_ICONEXCLAMATION,
                          MB_YESNOCANCEL | MB_ICONEXCLAMATION, MB_YESNO | MB_ICONEXCLAMATION,
                          MB_OK | MB_ICONSTOP,              MB_RETRYCANCEL,
                          MB_YESNO | MB_ICONQUESTION};
    for (UINT type : types)
        TestApp().DoMessageBox("text", type, 0);
    ASSERT_EQ(std::size(shown), seen.size());
    for (size_t i = 0; i < seen.size(); ++i) {
        EXPECT_EQ(shown[i], seen[i].type) << i;
        EXPECT_TRUE(seen[i].modal) << i;
    }
    EXPECT_FALSE(TestApp().IsModal());
    // A modal state set by others stays set after the box.
    TestApp().SetModal(true);
    TestApp().DoMessageBox("text", MB_OK, 0);
    EXPECT_TRUE(TestApp().IsModal());
    TestApp().SetModal(false);
}

}  // namespace
