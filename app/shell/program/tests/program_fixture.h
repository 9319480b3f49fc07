// A whole start-up and exit of the application in this process, as the
// program's Windows tests run it: a scratch folder of the test program's own
// with the temporary folder in it, the default profiles and the neutral
// settings file where the installation leaves them, and no camera module
// unless a test installs the simulated one.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <string>
#include <system_error>

#include "app/shell/program/install/default_profiles.h"
#include "app/shell/program/install/neutral_settings.h"
#include "app/shell/program_folder.h"
#include "app/shell/program/startup_win.h"
#include "app/shell/program/tests/program_test_app.h"
#include "app/shell/settings/registry_store.h"
#include "app/shell/settings/settings.h"
#include "testing/gui_test.h"

namespace program_test {

namespace fs = std::filesystem;

constexpr shell::SettingId kTempFolder = 1051;
constexpr shell::SettingId kRGBProfile = 1065;
constexpr shell::SettingId kCMYKProfile = 1047;
constexpr shell::SettingId kMonitorProfile = 1064;

// The message a start-up here shows: no camera module is installed (once
// for the module, once for the camera poll).
inline const MessageBoxScript::Box kNoCameraModule{"could not be loaded", IDOK};

inline std::string Absolute(const fs::path& path)
{
    return fs::absolute(path).make_preferred().string();
}

class ProgramTest : public GuiTest {
protected:
    // name: the scratch folder's prefix, one per test program.
    explicit ProgramTest(const char* name) : name_(name) {}

    void SetUp() override
    {
        GuiTest::SetUp();
        shell::GetRegistryStore().SetNames("Korva", "Tessaline", "2.0");
        scratch = fs::absolute(fs::path(TESS_SCRATCH_DIR) / (name_ + std::to_string(GetCurrentProcessId())));
        fs::remove_all(scratch);
        fs::create_directories(scratch / "temp");
        shell::SetStringSetting(kTempFolder, Absolute(scratch / "temp").c_str());
        // The profiles as the installation leaves them.
        const std::string profiles = shell::GetProfileFolder();
        fs::create_directories(profiles);
        ASSERT_TRUE(shell::WriteDefaultProfiles(profiles));
        for (shell::SettingId id : {kRGBProfile, kCMYKProfile, kMonitorProfile})
            shell::SetStringSetting(id, "");
        shell::SetDefaultProfileSettings(profiles);
        ASSERT_TRUE(shell::WriteNeutralSettingsFile(shell::GetProgramFolder()));
        // Other programs' tests may have installed the simulated module in the
        // prefix this one was copied from: without one is the starting point.
        std::error_code ignored;
        fs::remove(ModulePath(), ignored);
        TestApp().words.clear();
        TestApp().splash = false;
    }
    void TearDown() override
    {
        std::error_code ignored;
        fs::remove(ModulePath(), ignored);
        fs::remove_all(scratch);
        GuiTest::TearDown();
    }

    static fs::path ModulePath()
    {
        return fs::path(shell::GetCommonFilesFolder()) / "Korva" / "KavoMods" / "M4_Mod.kv3";
    }
    // The simulated module in the place of the maker's, reading `scenario`.
    fs::path InstallCameraModule(const std::string& scenario)
    {
        char self[MAX_PATH] = {};
        GetModuleFileNameA(nullptr, self, MAX_PATH);
        fs::create_directories(ModulePath().parent_path());
        fs::copy_file(fs::path(self).parent_path() / "M4_Mod.kv3", ModulePath(), fs::copy_options::overwrite_existing);
        const fs::path file = scratch / "camera.scenario";
        std::ofstream(file) << scenario;
        _putenv_s("KAVO_SIM_SCENARIO", Absolute(file).c_str());
        return ModulePath();
    }

    // Start-up as the program runs it; the main window exists afterwards.
    void Start(std::initializer_list<MessageBoxScript::Box> boxes)
    {
        MessageBoxScript script(boxes);
        ASSERT_TRUE(TestApp().InitInstance());
        PumpUntilIdle();
        ASSERT_NE(nullptr, TestApp().m_pMainWnd);
    }
    // The main window closes (its own close, answering for the documents)
    // and the application exits.
    void Finish()
    {
        if (TestApp().m_pMainWnd)
            TestApp().m_pMainWnd->DestroyWindow();
        PumpUntilIdle();
        TakeQuit();
        TestApp().ExitInstance();
    }

    fs::path scratch;

private:
    std::string name_;
};

}  // namespace program_test
