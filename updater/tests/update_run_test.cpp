#include "updater/update_run.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "updater/tests/fake_system.h"

namespace fixwell {
namespace {

using test::FakeSystem;

const char* const kBrowserKey = "SOFTWARE\\Korva\\Ombrel";
const char* const kCommonKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion";

std::vector<std::string> Targets(const FakeSystem& system)
{
    std::vector<std::string> targets;
    for (const auto& copy : system.copies)
        targets.push_back(copy.second);
    return targets;
}

TEST(UpdateSystemTest, AcceptsOnly98SE_MeAnd2000XPAsAdministrator)
{
    struct Case {
        uint32_t platform, major, minor, build;
        const char* servicePack;
        bool administrator;
        unsigned message;  // 0: passes
        bool nt;
    } cases[] = {
        {kPlatformWin9x, 4, 10, 0x040A08AE, " A ", false, 0, false},
        {kPlatformWin9x, 4, 10, 0x040A07CE, " B ", true, IDS_NOT_COMPATIBLE, false},
        {kPlatformWin9x, 4, 10, 0x040A07CE, "", true, IDS_NOT_COMPATIBLE, false},
        {kPlatformWin9x, 4, 90, 0x045A0BB8, "", false, 0, false},
        {kPlatformWin9x, 4, 0, 0x040003B6, " A ", true, IDS_NOT_COMPATIBLE, false},
        // The version counts as the build number's high bytes give it.
        {kPlatformWin9x, 4, 90, 0x00000BB8, "", true, IDS_NOT_COMPATIBLE, false},
        {kPlatformNT, 5, 0, 2195, "", true, 0, true},
        {kPlatformNT, 5, 1, 2600, "", true, 0, true},
        {kPlatformNT, 5, 0, 2195, "", false, IDS_NOT_ADMINISTRATOR, true},
        {kPlatformNT, 5, 1, 2600, "", false, IDS_NOT_ADMINISTRATOR, true},
        {kPlatformNT, 5, 2, 3790, "", true, IDS_NOT_COMPATIBLE, true},
        {kPlatformNT, 4, 0, 1381, "", true, IDS_NOT_COMPATIBLE, true},
        {kPlatformNT, 6, 0, 6000, "", true, IDS_NOT_COMPATIBLE, true},
        {0, 5, 1, 2600, "", true, IDS_NOT_COMPATIBLE, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.platform) + " " + std::to_string(c.major) + "." + std::to_string(c.minor) +
                     " admin " + std::to_string(c.administrator));
        FakeSystem system;
        system.version = OsVersion{c.major, c.minor, c.build, c.platform, c.servicePack};
        system.administrator = c.administrator;
        bool nt = !c.nt;
        const std::string message = SystemTestMessage(system, nt);
        if (c.message == 0) {
            EXPECT_EQ("", message);
        } else if (c.message == IDS_NOT_ADMINISTRATOR) {
            // Shown with real line breaks on 5.0 and 5.1 alike.
            EXPECT_EQ("You need administrator privileges to install or uninstall this software.\n"
                      "Log in as an administrator, or contact your computer's administrator.",
                      message);
        } else {
            EXPECT_EQ(system.strings[c.message], message);
        }
        if (c.platform != 0) {
            EXPECT_EQ(c.nt, nt);
        }
    }
}

TEST(UpdateSystemTest, AsksForTheVersionOnceMoreWhenTheFirstAnswerFails)
{
    FakeSystem once;
    once.versionFailures = 1;
    bool nt = false;
    EXPECT_EQ("", SystemTestMessage(once, nt));
    EXPECT_EQ(2, once.versionCalls);

    FakeSystem never;
    never.versionFailures = 2;
    EXPECT_EQ(never.strings[IDS_NOT_COMPATIBLE], SystemTestMessage(never, nt));
    EXPECT_EQ(2, never.versionCalls);
}

TEST(UpdateSystemTest, ReplacesTwoCharacterEscapesOnly)
{
    EXPECT_EQ("a\nb\tc\\x\\", ExpandEscapes("a\\nb\\tc\\x\\"));
}

TEST(UpdateLanguageTest, EnglishUpdateTakesEnglishAndOnlyJapaneseIsStrict)
{
    struct Case {
        const char* wanted;
        const char* installed;
        bool matches;
    } cases[] = {
        {"0409", "0409", true}, {"0409", "0411", false}, {"0409", "0407", false}, {"0411", "0411", true},
        {"0411", "0409", false}, {"0407", "0409", true}, {"0407", "0407", true},  {"040c", "040C", true},
        {"0407", "040c", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.matches, LanguageMatches(c.wanted, c.installed)) << c.wanted << " " << c.installed;
}

TEST(UpdateVersionTest, TakesVersionsStrictlyInsideTheWindowInStringOrder)
{
    struct Case {
        const char* version;
        std::optional<UpdateMode> mode;
    } cases[] = {
        {"2, 0, 0, 3009", UpdateMode::kFrom2000},
        {"2, 0, 1, 3000", UpdateMode::kFrom2010},
        {"2, 0, 2, 3000", UpdateMode::kOther},
        {"2, 0, 0, 3001", UpdateMode::kOther},
        {"2, 0, 0, 3000", std::nullopt},
        {"2, 0, 3, 3000", std::nullopt},
        {"2, 0, 3, 3001", std::nullopt},
        {"1, 9, 9, 9999", std::nullopt},
        // String order, as installed copies compared them.
        {"2, 0, 0, 999", UpdateMode::kOther},
        {"10, 0, 0, 0", std::nullopt},
        {"2, 0, 2, 3000 Beta", UpdateMode::kOther},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.mode, ModeForVersion(c.version)) << c.version;
}

TEST(UpdateVersionTest, RefusedVersionsShowTheirMessageAndInstallNothing)
{
    struct Case {
        const char* name;
        void (*arrange)(FakeSystem&);
        unsigned message;
    } cases[] = {
        {"newer", [](FakeSystem& s) { s.SetInstalledVersion("2, 0, 3, 3000"); }, IDS_NEWER_INSTALLED},
        {"Japanese", [](FakeSystem& s) { s.SetInstalledVersion("2, 0, 0, 3009", 0x0411); }, IDS_OTHER_LANGUAGE},
        {"no version block", [](FakeSystem& s) { s.versionInfo.clear(); }, IDS_NOT_INSTALLED},
        {"no translation", [](FakeSystem& s) { s.versionInfo["C:\\Tess\\Tessaline.exe"] = {}; }, IDS_NOT_INSTALLED},
        {"no folder", [](FakeSystem& s) { s.productFolder.reset(); }, IDS_NOT_INSTALLED},
        {"folder too long", [](FakeSystem& s) { s.productFolder = "C:\\" + std::string(258, 'x'); },
         IDS_NOT_INSTALLED},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakeSystem system;
        system.registry[std::string(kBrowserKey) + "|InstallDir"] = "C:\\Ombrel";
        c.arrange(system);
        UpdateRun(system).Run();
        ASSERT_EQ(1u, system.shown.size());
        EXPECT_EQ(system.strings[c.message], system.shown[0]);
        EXPECT_EQ("Information", system.captions[0]);
        EXPECT_TRUE(system.copies.empty());
        EXPECT_EQ(1u, system.started.size());
    }
}

TEST(UpdateVersionTest, TheLastListedTranslationsVersionCounts)
{
    FakeSystem system;
    system.versionInfo["C:\\Tess\\Tessaline.exe"] =
        FileVersionInfo{{{0x0409, 0x04b0, "2, 0, 3, 3000"}, {0x0409, 0x04e4, "2, 0, 1, 3000"}}};
    UpdateRun run(system);
    EXPECT_TRUE(run.CheckAndConfirm());
    EXPECT_EQ(UpdateMode::kFrom2010, run.mode);
}

TEST(UpdateInstallTest, InstallsTheFileTableByModeWithTargetsByKind)
{
    const std::vector<std::string> common = {
        "C:\\Tess\\Quarnite3.dll", "C:\\Tess\\CamCurve.bin", "C:\\Tess\\QRV3.dll",    "C:\\Tess\\Tessaline.chm",
        "C:\\Tess\\Tessaline.hlp", "C:\\Tess\\Neutral.set",  "C:\\Tess\\Kolvex.dll",  "C:\\Tess\\Vorlat2.dll",
        "C:\\Tess\\ReadA.wri",     "C:\\Tess\\ReadB.wri",    "C:\\Tess\\Tessaline.exe"};
    struct Case {
        const char* version;
        bool nt;
        std::vector<std::string> camera;
    } cases[] = {
        {"2, 0, 0, 3009", true,
         {"C:\\Common\\Korva\\KavoMods\\M4_Mod.kv3", "C:\\Common\\Korva\\KavoMods\\M4_Drv.dll",
          "C:\\WINNT\\system32\\Drivers\\KorvaDx.sys"}},
        {"2, 0, 1, 3000", false,
         {"C:\\Common\\Korva\\KavoMods\\M4_Mod.kv3", "C:\\Common\\Korva\\KavoMods\\M4_Drv.dll",
          "C:\\WINDOWS\\System32\\Drivers\\KorvaDx.sys"}},
        {"2, 0, 2, 3000", true, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.version);
        FakeSystem system;
        system.strings[IDS_README] = "ReadA.wri";
        system.strings[IDS_README2] = "ReadB.wri";
        system.registry[std::string(kCommonKey) + "|CommonFilesDir"] = "C:\\Common";
        system.SetInstalledVersion(c.version);
        if (!c.nt)
            system.version = OsVersion{4, 90, 0x045A0BB8, kPlatformWin9x, ""};
        UpdateRun(system).Run();

        std::vector<std::string> expected = common;
        expected.insert(expected.end(), c.camera.begin(), c.camera.end());
        expected.push_back("C:\\Common\\Korva\\Profiles\\QZLch2.icm");
        EXPECT_EQ(expected, Targets(system));
        EXPECT_EQ("D:\\New\\QUARNI~1.DLL", system.copies.front().first);
        EXPECT_EQ(std::vector<std::string>{"C:\\Tess"}, system.archived);
        EXPECT_EQ(std::vector<std::string>{"C:\\Tess\\Quarnite.dll"}, system.deleted);
        EXPECT_EQ((std::vector<std::string>{"Update to Ver.2.0.3?", "Update has been completed. Exiting updater."}),
                  system.shown);
        EXPECT_EQ(0, system.rebootPrompts);
    }
}

TEST(UpdateInstallTest, ExistingReadmeKeepsTheFixedNames)
{
    FakeSystem system;
    system.strings[IDS_README] = "ReadA.wri";
    system.files.insert("C:\\Tess\\Readme.wri");
    UpdateRun(system).Run();
    const std::vector<std::string> targets = Targets(system);
    EXPECT_EQ("C:\\Tess\\Readme.wri", targets[8]);
    EXPECT_EQ("C:\\Tess\\Readme2.wri", targets[9]);
}

TEST(UpdateInstallTest, RestartTrackingFollowsTheTrackedFiles)
{
    const CopyResult inUse{true, true, 0};
    struct Case {
        const char* name;
        std::vector<std::string> inUseTargets;
        bool restart;
    } cases[] = {
        {"nothing in use", {}, false},
        // Untracked files never ask for a restart.
        {"library in use", {"C:\\Tess\\Vorlat2.dll", "C:\\Common\\Korva\\Profiles\\QZLch2.icm"}, false},
        {"main program in use", {"C:\\Tess\\Tessaline.exe"}, true},
        {"driver in use", {"C:\\WINNT\\system32\\Drivers\\KorvaDx.sys"}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakeSystem system;
        system.registry[std::string(kCommonKey) + "|CommonFilesDir"] = "C:\\Common";
        for (const std::string& target : c.inUseTargets)
            system.copyResults[target] = inUse;
        UpdateRun(system).Run();
        // Every camera file is still copied after the main program asked for a restart.
        EXPECT_EQ(15u, system.copies.size());
        EXPECT_EQ(c.restart ? 1 : 0, system.rebootPrompts);
        EXPECT_EQ(c.restart ? 1u : 2u, system.shown.size());
    }
}

TEST(UpdateInstallTest, ACopyFailureIsReportedByNameInsteadOfCompletion)
{
    struct Case {
        const char* name;
        CopyResult result;
        std::string expected;
    } cases[] = {
        {"access denied", {false, false, 5}, "These files could not be installed:\nC:\\Tess\\Vorlat2.dll"},
        {"not newer", {false, false, 0}, "Update has been completed. Exiting updater."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakeSystem system;
        system.registry[std::string(kCommonKey) + "|CommonFilesDir"] = "C:\\Common";
        system.copyResults["C:\\Tess\\Vorlat2.dll"] = c.result;
        UpdateRun(system).Run();
        ASSERT_EQ(2u, system.shown.size());
        EXPECT_EQ(c.expected, system.shown[1]);
        EXPECT_EQ(0, system.rebootPrompts);
    }
}

TEST(UpdateInstallTest, CameraFilesWithoutTheCommonFilesFolderAreReportedAndPromptStays)
{
    FakeSystem system;  // no "CommonFilesDir"
    system.copyResults["C:\\Tess\\Tessaline.exe"] = CopyResult{true, true, 0};
    UpdateRun(system).Run();
    ASSERT_EQ(2u, system.shown.size());
    EXPECT_EQ("These files could not be installed:\nM4_Mod.kv3\nM4_Drv.dll\nQZLch2.icm", system.shown[1]);
    EXPECT_EQ(1, system.rebootPrompts);
}

TEST(UpdateRunTest, AnsweringNoInstallsNothingButStartsTheMonitor)
{
    FakeSystem system;
    system.answer = 7;  // IDNO
    system.registry[std::string(kBrowserKey) + "|InstallDir"] = "C:\\Ombrel";
    UpdateRun(system).Run();
    EXPECT_TRUE(system.copies.empty());
    EXPECT_TRUE(system.deleted.empty());
    EXPECT_EQ(std::vector<std::string>{"C:\\Ombrel\\OmbrelWatch.exe"}, system.started);
}

TEST(UpdateMonitorTest, ChoosesTheMonitorByVersionInStringOrder)
{
    struct Case {
        RegistryString version;
        const char* program;
    } cases[] = {
        {{RegistryString::kMissing, ""}, "OmbrelWatch.exe"},
        {{RegistryString::kTooLong, ""}, "OmbrelWatch.exe"},
        {{RegistryString::kOk, "4.5.0.0"}, "OmbrelWatch.exe"},
        {{RegistryString::kOk, "5.0.0.1000"}, "OmbrelMon.exe"},
        {{RegistryString::kOk, "5.0.0.999"}, "OmbrelMon.exe"},
        {{RegistryString::kOk, "5.0.0.0999"}, "OmbrelWatch.exe"},
        {{RegistryString::kOk, "6.0"}, "OmbrelMon.exe"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.program, MonitorProgram(c.version)) << c.version.text;
}

TEST(UpdateMonitorTest, StartsNothingWithoutAUsableFolder)
{
    struct Case {
        const char* name;
        std::optional<std::string> installDir;
        std::optional<std::string> version;
        std::vector<std::string> started;
    } cases[] = {
        {"no browser", std::nullopt, "5.0.0.1000", {}},
        {"folder too long", std::string(259, 'x'), std::nullopt, {}},
        {"join too long", "C:\\" + std::string(245, 'x'), std::nullopt, {}},
        {"version too long", "C:\\Ombrel", "5.0.0.1000" + std::string(20, ' '), {"C:\\Ombrel\\OmbrelWatch.exe"}},
        {"new browser", "C:\\Ombrel", "5.0.0.1000", {"C:\\Ombrel\\OmbrelMon.exe"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakeSystem system;
        if (c.installDir)
            system.registry[std::string(kBrowserKey) + "|InstallDir"] = *c.installDir;
        if (c.version)
            system.registry[std::string(kBrowserKey) + "|Version"] = *c.version;
        UpdateRun(system).StartMonitor();
        EXPECT_EQ(c.started, system.started);
    }
}

TEST(UpdateMonitorTest, ClosesEveryWindowWhoseTitleEndsInAMonitorName)
{
    struct Case {
        const char* title;
        const char* name;
        bool matches;
    } cases[] = {
        {"OmbrelMon", "OmbrelMon", true},   {"Korva OmbrelMon", "OmbrelMon", true},
        {"Mon", "OmbrelMon", false},        {"", "OmbrelMon", false},
        {"OmbrelMon - x", "OmbrelMon", false}, {"ombrelmon", "OmbrelMon", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.matches, TitleEndsWith(c.title, c.name)) << c.title;

    FakeSystem system;
    system.windowTitles = {"Explorer", "Korva OmbrelWatch", "Watch", "OmbrelMon", "OmbrelMon helper"};
    CloseMonitors(system);
    EXPECT_EQ((std::vector<std::string>{"Korva OmbrelWatch", "OmbrelMon"}), system.closed);
}

}  // namespace
}  // namespace fixwell
