// The installation step as scripts/run runs it: install_profiles.exe puts the
// neutral settings file beside itself (the program folder of an installed
// copy) and leaves one that is there alone.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <windows.h>

#include "app/core/procset/palette_settings_file.h"
#include "app/shell/program/install/default_profiles.h"
#include "app/shell/program/startup_win.h"
#include "app/shell/program/tests/program_fixture.h"
#include "clx/thread.h"

namespace fs = std::filesystem;
using namespace program_test;

namespace {

fs::path TestFolder()
{
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    return fs::path(path).parent_path();
}

std::vector<uint8_t> ReadBytes(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Runs the installer from `folder` (a copy of it there, the libraries found
// on the path) and answers its exit code.
DWORD RunInstaller(const fs::path& folder)
{
    const fs::path program = folder / "install_profiles.exe";
    if (!fs::exists(program))
        fs::copy_file(TestFolder() / "install_profiles.exe", program);
    char path[32767] = {};
    GetEnvironmentVariableA("PATH", path, sizeof path);
    const std::string oldPath = path;
    SetEnvironmentVariableA("PATH", (Absolute(TestFolder()) + ";" + oldPath).c_str());
    std::string line = "\"" + Absolute(program) + "\"";
    std::vector<char> buffer(line.begin(), line.end());
    buffer.push_back('\0');
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    const BOOL started = CreateProcessA(nullptr, buffer.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                        Absolute(folder).c_str(), &startup, &process);
    SetEnvironmentVariableA("PATH", oldPath.c_str());
    if (!started) {
        ADD_FAILURE() << "install_profiles.exe did not start: " << GetLastError();
        return DWORD(-1);
    }
    CloseHandle(process.hThread);
    EXPECT_EQ(WAIT_OBJECT_0, clx::WaitServicingSent(process.hProcess, 120000));
    DWORD code = 0;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hProcess);
    return code;
}

class InstallTest : public ProgramTest {
protected:
    InstallTest() : ProgramTest("install_") {}
};

TEST_F(InstallTest, InstallationPutsTheNeutralSettingsFileBesideTheProgramAndKeepsOneThere)
{
    const fs::path folder = scratch / "Tessaline";
    fs::create_directories(folder);
    ASSERT_EQ(0u, RunInstaller(folder));
    const fs::path file = folder / "Neutral.set";
    ASSERT_TRUE(fs::exists(file));
    EXPECT_EQ(ReadBytes(file), NeutralImageAdjustmentBlob());
    for (const std::string& name : shell::DefaultProfileNames())
        EXPECT_TRUE(fs::exists(shell::GetProfileFolder() + name)) << name;

    // The user's own settings under the default name stay.
    std::ofstream(file, std::ios::binary | std::ios::trunc) << "mine";
    ASSERT_EQ(0u, RunInstaller(folder));
    const std::vector<uint8_t> kept = ReadBytes(file);
    EXPECT_EQ(std::string(kept.begin(), kept.end()), "mine");
}

}  // namespace
