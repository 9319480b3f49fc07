#include <cstdio>
#include <thread>

#include "app/core/engine/pool/color_engine_pool.h"
#include "app/core/engine/seams/debug_settings.h"
#include "app/core/engine/develop_engine.h"
#include "app/core/engine/seams/engine_lock.h"
#include "app/core/engine/seams/progress_sink.h"
#include "app/core/engine/tests/engine_test_util.h"

using namespace engine_test;

namespace {

bool ImageAlive(IVorlatManager* manager, int32_t id)
{
    IVorlatImage* found = nullptr;
    return Deepest(manager->FindImage(id, &found)) == 0 && found;
}

}  // namespace

TEST_F(EngineFixture, ImageReferencesDestroyOnTheLastReleaseOnly)
{
    IVorlatImage* image = MakeImage(manager, 32, 4, 4);
    const int32_t id = image->GetID();
    EXPECT_EQ(0, ReleaseImageData(image));  // never added: left alone
    EXPECT_TRUE(ImageAlive(manager, id));

    AddRefImageData(image);
    AddRefImageData(image);
    EXPECT_EQ(2, GetImageDataRefCount(image));
    EXPECT_EQ(1, ReleaseImageData(image));
    EXPECT_TRUE(ImageAlive(manager, id));
    EXPECT_EQ(0, ReleaseImageData(image));
    EXPECT_FALSE(ImageAlive(manager, id));
    EXPECT_EQ(0, GetImageDataRefCount(image));
}

TEST(EngineState, ProfilePathsAreStoredEvenWhenAFileIsMissing)
{
    const std::string present = ScratchPath("profile") + ".icm";
    std::FILE* file = std::fopen(present.c_str(), "wb");
    ASSERT_TRUE(file);
    std::fclose(file);
    const std::string missing = ScratchPath("missing") + ".icm";

    EXPECT_EQ(1, SetColorProfilePaths(present.c_str(), present.c_str(), present.c_str(), present.c_str()));
    EXPECT_EQ(0, SetColorProfilePaths(present.c_str(), present.c_str(), missing.c_str(), present.c_str()));
    EXPECT_TRUE(AreColorProfilePathsSet());
    EXPECT_EQ(present, GetColorProfilePath(0));
    EXPECT_EQ(missing, GetColorProfilePath(2));
    EXPECT_EQ(present, GetColorProfilePath(3));
    EXPECT_STREQ("", GetColorProfilePath(4));

    // A path longer than the record is stored empty and counts as missing.
    const std::string tooLong(300, 'a');
    EXPECT_EQ(0, SetColorProfilePaths(present.c_str(), tooLong.c_str(), present.c_str(), present.c_str()));
    EXPECT_STREQ("", GetColorProfilePath(1));
    std::remove(present.c_str());
}

TEST(EngineState, EngineFolderEndsWithOneBackslash)
{
    struct Case {
        std::string given, stored;
    } cases[] = {
        {"C:\\Profiles", "C:\\Profiles\\"},
        {"C:\\Profiles\\", "C:\\Profiles\\"},
        {"", "\\"},
        {std::string(258, 'p'), std::string(258, 'p') + "\\"},
    };
    for (const Case& c : cases) {
        EXPECT_TRUE(SetEngineFolder(c.given.c_str()));
        EXPECT_EQ(c.stored, GetEngineFolder());
    }
    // One that would not fit 259 characters leaves the folder as it was.
    EXPECT_FALSE(SetEngineFolder(std::string(259, 'q').c_str()));
    EXPECT_EQ(cases[3].stored, GetEngineFolder());
    SetEngineFolder("");
}

TEST(EngineState, ThePoolStartsWithAToneTableNotBuiltYet)
{
    EXPECT_FALSE(IsEngineReady());
    CreateColorEnginePool();
    EXPECT_TRUE(IsEngineReady());
    ASSERT_NE(nullptr, GetDefaultToneTableStorage());
    EXPECT_EQ(65535, GetDefaultToneTableStorage()[0]);
    ASSERT_NE(nullptr, GetColorEnginePool());
    EXPECT_EQ(4, GetColorEnginePool()->GetParkedLimit());
    DestroyColorEnginePool();
    EXPECT_FALSE(IsEngineReady());
    EXPECT_EQ(nullptr, GetDefaultToneTableStorage());
}

TEST(EngineLock, NestsForItsHolderAndExcludesOtherThreads)
{
    CEngineLock& lock = GetEngineLock();
    lock.Enter();
    {
        CEngineLockHold again;  // the holder takes it once more
        bool otherGotIt = true;
        std::thread([&] {
            otherGotIt = GetEngineLock().TryEnter();
            if (otherGotIt)
                GetEngineLock().Leave();
        }).join();
        EXPECT_FALSE(otherGotIt);
    }
    lock.Leave();
    bool otherGotIt = false;
    std::thread([&] {
        otherGotIt = GetEngineLock().TryEnter();
        if (otherGotIt)
            GetEngineLock().Leave();
    }).join();
    EXPECT_TRUE(otherGotIt);
}

TEST(DevelopParams, DebugSwitchesComeFromTheDebugSection)
{
    struct Case {
        int32_t option3, option4, option6;
        int32_t option3Clear, option4Equals1, embedProfile;
    } cases[] = {
        {0, 0, 0, 1, 0, 1},
        {1, 1, 1, 0, 1, 0},
        {-1, 2, 7, 0, 0, 0},
    };
    for (const Case& c : cases) {
        CFixedDebugSettings debug;
        debug.Set("AppOption3", c.option3);
        debug.Set("AppOption4", c.option4);
        debug.Set("AppOption6", c.option6);
        SetEngineDebugSettings(&debug);
        CDevelopParams params;
        params.ReadDebugSwitches();
        EXPECT_EQ(c.option3Clear, params.option3Clear);
        EXPECT_EQ(c.option4Equals1, params.option4Equals1);
        EXPECT_EQ(c.embedProfile, params.embedProfile);
    }
    SetEngineDebugSettings(nullptr);
    CDevelopParams params;
    params.ReadDebugSwitches();
    EXPECT_EQ(1, params.option3Clear);
    EXPECT_EQ(0, params.option4Equals1);
    EXPECT_EQ(1, params.embedProfile);
}

TEST(EngineProgress, FractionsAreTenThousandthsOfTotalPlusOneWithinRange)
{
    // A total of 0x7FFFFFFF must not wrap when one is added, and -1 must not divide by zero.
    struct Case {
        int32_t done, total, fraction;
    } cases[] = {{0, 10, 0},       {1, 3, 2500},     {10, 10, 9090},
                 {12, 10, 10000},  {0, 0, 0},        {-1, 4, 0},
                 {3, -1, 0},       {2147483647, 2147483647, 9999}, {1073741823, 2147483647, 4999}};
    for (const Case& c : cases)
        EXPECT_EQ(c.fraction, ProgressFraction(c.done, c.total)) << c.done << "/" << c.total;
}

#ifdef _WIN32
#include <windows.h>

std::vector<std::pair<WPARAM, LPARAM>> progressSeen;

LRESULT CALLBACK RecordProgress(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == 0x8016) {
        progressSeen.emplace_back(wParam, lParam);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

TEST(EnginePlatform, ProgressIsSentToTheProgressWindow)
{
    WNDCLASSA cls{};
    cls.lpfnWndProc = &RecordProgress;
    cls.hInstance = GetModuleHandleA(nullptr);
    cls.lpszClassName = "EngineProgressSpy";
    RegisterClassA(&cls);
    HWND window = CreateWindowExA(0, cls.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    ASSERT_TRUE(window);
    progressSeen.clear();
    CProgressWindowSink sink(window);
    sink.SetFraction(2500);
    sink.Hide();
    // Sent, not posted: the bar has moved when the call returns.
    const std::vector<std::pair<WPARAM, LPARAM>> expected = {{2, 2500}, {1, 0}};
    EXPECT_EQ(expected, progressSeen);
    DestroyWindow(window);
}
#endif
