// The storage watch: the disk-space check behind the DISK pane, the folder
// watch that asks for it, and the spacing of the temporary-disk-full warning.
#include <map>
#include <string>

#include "app/shell/dialogs/dlg_optional_message_box.h"
#include "app/shell/frame/frame_ids.h"
#include "app/shell/frame/tests/frame_test_support.h"
#include "app/shell/settings/settings.h"

using frametest::FrameTest;

namespace {

// Free bytes by volume root; a root that is not listed cannot be read.
std::map<std::string, double> g_free;

uint32_t g_ticks = 0;

uint32_t FakeTicks()
{
    return g_ticks;
}

bool FakeDiskFree(const char* root, double* bytes)
{
    const auto it = g_free.find(root);
    if (it == g_free.end())
        return false;
    *bytes = it->second;
    return true;
}

class StorageWatchTest : public FrameTest {
protected:
    void SetUp() override
    {
        FrameTest::SetUp();
        shell::GetStringSetting(1046, thumbnails_);
        shell::GetStringSetting(1051, temp_);
        shell::SetStringSetting(1046, "C:\\Thumbs\\");
        shell::SetStringSetting(1051, "D:\\Temp\\");
        CMainFrame::SetDiskFreeQuery(FakeDiskFree);
        CMainFrame::SetTickSource(FakeTicks);
    }
    void TearDown() override
    {
        DestroyFrame();
        CMainFrame::SetDiskFreeQuery(nullptr);
        CMainFrame::SetTickSource(nullptr);
        g_free.clear();
        shell::SetStringSetting(1046, thumbnails_);
        shell::SetStringSetting(1051, temp_);
        FrameTest::TearDown();
    }

private:
    CQzString thumbnails_;
    CQzString temp_;
};

}  // namespace

TEST_F(StorageWatchTest, DiskStateComesFromBothVolumesWithInclusiveThresholds)
{
    MakeFrame();
    struct Case {
        const char* name;
        double thumbnails;  // < 0: cannot be read
        double temp;
        int32_t state;
    };
    const Case cases[] = {
        {"both at 200 MiB", 209715200.0, 209715200.0, 2},
        {"thumbnails one byte short", 209715199.0, 209715200.0, 1},
        {"temp one byte under 100 MiB", 209715200.0, 104857599.0, 0},
        {"thumbnail volume unreadable counts as 100 MiB", -1.0, 5e11, 1},
        {"both plenty again", 5e11, 5e11, 2},
    };
    for (const Case& c : cases) {
        g_free.clear();
        if (c.thumbnails >= 0)
            g_free["C:\\"] = c.thumbnails;
        g_free["D:\\"] = c.temp;
        frame->SendMessage(WM_CHECK_DISK_SPACE, 0, 0);
        EXPECT_EQ(c.state, frame->GetDiskState()) << c.name;
    }
}

TEST_F(StorageWatchTest, FolderWatchAsksForACheckAtOnceAndRestartsWithThePreferences)
{
    // Real volumes under Wine: the watch's change notifications must open.
    shell::SetStringSetting(1046, "C:\\windows\\");
    shell::SetStringSetting(1051, "C:\\windows\\temp\\");
    g_free["C:\\"] = 1000.0;
    MakeFrame();
    EXPECT_EQ(2, frame->GetDiskState());
    frame->StartFolderWatch();
    ASSERT_TRUE(frame->IsFolderWatchRunning());
    const DWORD start = ::GetTickCount();
    while (frame->GetDiskState() != 0 && ::GetTickCount() - start < 10000) {
        PumpUntilIdle();
        ::Sleep(10);
    }
    EXPECT_EQ(0, frame->GetDiskState());

    frame->SendMessage(WM_PREFERENCES_CHANGED, 0, 0);
    EXPECT_TRUE(frame->IsFolderWatchRunning());
    frame->StopFolderWatch();
    EXPECT_FALSE(frame->IsFolderWatchRunning());
    // Stopping twice is harmless.
    frame->StopFolderWatch();
}

namespace {

// Answers every dialog box of this thread with OK as it is activated,
// counting them and keeping the text of the warning; with `hide` the box's
// check box is ticked first.
struct WarningBoxes {
    WarningBoxes() { hook = ::SetWindowsHookExA(WH_CBT, Proc, nullptr, ::GetCurrentThreadId()); }
    ~WarningBoxes() { ::UnhookWindowsHookEx(hook); }

    static LRESULT CALLBACK Proc(int code, WPARAM w, LPARAM l)
    {
        const auto box = reinterpret_cast<HWND>(w);
        char name[16] = {};
        if (code == HCBT_ACTIVATE && ::GetClassNameA(box, name, sizeof name) && std::string(name) == "#32770" &&
            box != answered) {
            answered = box;
            ++shown;
            for (HWND child = ::GetWindow(box, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
                char text[512] = {};
                ::GetWindowTextA(child, text, sizeof text);
                if (std::string(text).rfind("The disk used to store temporary data is full.", 0) == 0)
                    message = text;
            }
            unchecked = unchecked && ::IsDlgButtonChecked(box, CDlgOptionalMessageBox::kCheckBoxId) == BST_UNCHECKED;
            if (hide)
                ::CheckDlgButton(box, CDlgOptionalMessageBox::kCheckBoxId, BST_CHECKED);
            ::PostMessageA(box, WM_COMMAND, IDOK, 0);
        }
        return ::CallNextHookEx(nullptr, code, w, l);
    }

    HHOOK hook = nullptr;
    static inline HWND answered = nullptr;
    static inline int shown = 0;
    static inline bool hide = false;
    static inline bool unchecked = true;
    static inline std::string message;
};

}  // namespace

TEST_F(StorageWatchTest, TempDiskFullWarningsAreThirtySecondsApartAcrossATickWrap)
{
    MakeFrame();
    WarningBoxes boxes;
    // One post at each tick count; whether a warning shows.
    struct Step {
        uint32_t ticks;
        bool shown;
    };
    const Step steps[] = {
        {0xFFFF0000u, true},
        {0xFFFF0000u + 29999, false},  // two posts within 30 s: one warning
        {0xFFFF0000u + 30000, false},
        {0x00003000u, true},  // past the wrap, 0x13000 ms after the first
        {0x00003000u + 1000, false},
    };
    for (const Step& step : steps) {
        g_ticks = step.ticks;
        const int before = WarningBoxes::shown;
        frame->PostMessage(WM_TEMP_DISK_FULL, 0, 0);
        PumpUntilIdle();
        EXPECT_EQ(step.shown ? 1 : 0, WarningBoxes::shown - before) << std::hex << step.ticks;
    }
    EXPECT_TRUE(WarningBoxes::unchecked);
    EXPECT_NE(std::string::npos, WarningBoxes::message.find("go to the File Locations tab."))
        << WarningBoxes::message;

    // Ticking "Hide this message" silences it for the rest of the run.
    WarningBoxes::hide = true;
    for (int expected : {1, 0}) {
        g_ticks += 60000;
        const int before = WarningBoxes::shown;
        frame->PostMessage(WM_TEMP_DISK_FULL, 0, 0);
        PumpUntilIdle();
        EXPECT_EQ(expected, WarningBoxes::shown - before);
    }
}
