#include "app/camera/tests/module_files.h"
#include "app/camera/tests/picture_fixtures.h"
#include "app/camera/tests/sim_host.h"

#include <cstdlib>
#include <filesystem>

#include "app/camera/kavo_library.h"

#if defined(_WIN32)
#include <windows.h>
#endif

namespace {

using camera_test::CountLines;
using camera_test::SimHost;

using camera_test::BesideProgram;
using camera_test::SetScenarioFile;

TEST(KavoLibrary, LoadsTheModuleFileAndRefusesWhatItCannotUse)
{
    CKavoLibrary library;
    EXPECT_EQ(kKavoLoadFailed, library.Load(BesideProgram("Missing_Mod.kv3").c_str()));
    EXPECT_FALSE(library.IsLoaded());
    EXPECT_EQ(kKavoNoEntryPoint, library.Load(BesideProgram("NoEntry_Mod.kv3").c_str()));
    EXPECT_FALSE(library.IsLoaded());
    EXPECT_EQ(nullptr, library.EntryPoint());
    ASSERT_EQ(kKavoOk, library.Load(BesideProgram("M4_Mod.kv3").c_str()));
    EXPECT_NE(nullptr, library.EntryPoint());
    EXPECT_EQ(kKavoAlreadyLoaded, library.Load(BesideProgram("M4_Mod.kv3").c_str()));
    EXPECT_NE(nullptr, library.EntryPoint());
    library.Free();
    EXPECT_FALSE(library.IsLoaded());
    EXPECT_EQ(nullptr, library.EntryPoint());
}

TEST(KavoLibrary, TheModuleFileTakesAPictureAndDeliversItThroughTheCallbacks)
{
    const std::string picture = fileio_test::ScratchPageFile("camera_file_picture");
    const std::string inbox = fileio_test::ScratchPageFile("camera_file_inbox");
    const std::string trace = fileio_test::ScratchPageFile("camera_file_trace");
    const std::string scenario = fileio_test::ScratchPageFile("camera_file_scenario");
    ASSERT_TRUE(camera_test::WritePicture(kKavoFormatJpeg, picture));
    camera_test::WriteText(inbox, "");
    camera_test::WriteText(scenario, "profile M4X\nblock 700\ndelivery poll\npicture jpeg " + picture + "\ninbox " +
                                         inbox + "\ntrace " + trace + "\n");
    SetScenarioFile(scenario);

    CKavoLibrary library;
    ASSERT_EQ(kKavoOk, library.Load(BesideProgram("M4_Mod.kv3").c_str()));
    SimHost h(library.EntryPoint());
    ASSERT_EQ(0, h.OpenModule());
    h.Listen("module");
    ASSERT_EQ(std::vector<uint32_t>{1}, h.Children("module"));
    ASSERT_EQ(0, h.OpenChild("module", 1, "source"));
    EXPECT_EQ("M4X", h.GetString("source", kKavoCapName));
    h.Listen("source");

    camera_test::WriteText(inbox, "shutter\n");
    ASSERT_EQ(0, h.Call("source", kKavoPoll, 0, kKavoDataNone, nullptr));
    ASSERT_EQ(std::vector<std::string>{"source 0 1"}, h.events);
    ASSERT_EQ(0, h.OpenChild("source", 1, "item"));
    ASSERT_EQ(0, h.OpenChild("item", 1, "image"));
    h.Listen("image", true);
    ASSERT_EQ(0, h.Call("image", kKavoStart, kKavoCapDeliver, kKavoDataNone, nullptr, true));
    for (int polls = 0; polls < 1000 && h.completions.empty(); ++polls)
        ASSERT_EQ(0, h.Call("image", kKavoPoll, 0, kKavoDataNone, nullptr));
    ASSERT_EQ(1u, h.completions.size());
    EXPECT_EQ(0, h.completions[0].second);
    EXPECT_EQ(fileio_test::ReadFile(picture), h.picture);
    EXPECT_EQ(h.blocks.size(), h.progress.size());
    EXPECT_EQ(0, camera_test::LoadPicture(h.picture));

    for (const char* name : {"image", "item", "source", "module"}) {
        h.Listen(name, std::string(name) == "image", false);
        EXPECT_EQ(0, h.Close(name)) << name;
    }
    library.Free();
    const std::vector<std::string> lines = camera_test::ReadLines(trace);
    EXPECT_EQ(0u, CountLines(lines, {"VIOLATION"}));
    EXPECT_EQ(h.blocks.size(), CountLines(lines, {"callback data src1/item1/data1 format 1"}));
    EXPECT_EQ(1u, CountLines(lines, {"callback completion src1/item1/data1 start 0x14 0 -> 0"}));
    EXPECT_EQ(1u, CountLines(lines, {"call module close 0x0 0 - -> 0"}));
    SetScenarioFile("");
}

#if defined(_WIN32)
TEST(KavoLibrary, FindsTheModuleInstalledUnderTheCommonFilesFolder)
{
    std::string common;
    if (!ReadCommonFilesDir(&common)) {
        // Windows always has the value; a bare Wine prefix may lack it.
        HKEY key = nullptr;
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion", 0,
                                                 nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr));
        const char folder[] = "C:\\Program Files\\Common Files";
        EXPECT_EQ(ERROR_SUCCESS, RegSetValueExA(key, "CommonFilesDir", 0, REG_SZ, reinterpret_cast<const BYTE*>(folder),
                                                sizeof(folder)));
        RegCloseKey(key);
    }
    ASSERT_TRUE(ReadCommonFilesDir(&common));
    ASSERT_FALSE(common.empty());
    const std::string installed = JoinKavoModulePath(common, "Korva\\KavoMods", "M4_Mod.kv3");
    std::error_code error;
    std::filesystem::create_directories(std::filesystem::path(installed).parent_path(), error);
    ASSERT_FALSE(error) << installed;
    std::filesystem::copy_file(BesideProgram("M4_Mod.kv3"), installed,
                               std::filesystem::copy_options::overwrite_existing, error);
    ASSERT_FALSE(error) << installed;
    {
        CKavoLibrary library;
        EXPECT_EQ(kKavoOk, library.Load(installed.c_str()));
    }
    // The prefix is shared with other programs' tests, which start without a module.
    std::filesystem::remove(installed, error);
}
#else
TEST(KavoLibrary, NativelyThereIsNoCommonFilesFolder)
{
    std::string common = "unchanged";
    EXPECT_FALSE(ReadCommonFilesDir(&common));
    EXPECT_EQ("unchanged", common);
}
#endif

TEST(KavoModulePath, JoinsItsPartsWithOneBackslash)
{
    struct Case {
        const char* common;
        const char* expected;
    } cases[] = {
        {"C:\\Program Files\\Common Files", "C:\\Program Files\\Common Files\\Korva\\KavoMods\\M4_Mod.kv3"},
        {"C:\\Program Files\\Common Files\\", "C:\\Program Files\\Common Files\\Korva\\KavoMods\\M4_Mod.kv3"},
        {"", "Korva\\KavoMods\\M4_Mod.kv3"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.expected, JoinKavoModulePath(c.common, "Korva\\KavoMods", "M4_Mod.kv3")) << c.common;
    EXPECT_EQ("D:\\Mods\\M4_Mod.kv3", JoinKavoModulePath("D:", "Mods\\", "M4_Mod.kv3"));
}

}  // namespace
