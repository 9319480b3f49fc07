// The frame tests' application: a host for the main frame whose camera,
// idle work and progress window the tests set up, and a fixture that makes
// the frame as the application does, in a registry section of its own.
#pragma once

#include <string>
#include <vector>

#include "app/shell/frame/main_frame.h"
#include "app/shell/frame/main_frame_host.h"
#include "testing/gui_test.h"

namespace frametest {

class HostApp : public clx::test::TestApp, public IMainFrameHost {
public:
    bool camera = false;
    int cameraOpens = 0;  // HasKavoSource(true) calls without a camera
    std::string cameraName;
    long idleBudget = 0;  // passes that report more work
    long idleRuns = 0;
    UINT_PTR timerId = 0;
    UINT timerInterval = 0;
    int gridLinesCalls = 0;
    bool gridLines = false;
    HWND progress = nullptr;
    CWinThread* progressThread = nullptr;
    bool synchronousPainting = false;
    std::vector<bool> paintingMarks;  // every value the mark was set to
    std::vector<ULONG_PTR> handOvers;  // the id of every WM_COPYDATA passed on

    void Reset();

    const char* GetMainWindowClassName() const override { return "Tessaline1"; }
    bool HasKavoSource(bool open) override;
    bool GetCameraName(CQzString& name) override;
    bool DoIdleWork(long count, bool cameraOnly) override;
    UINT_PTR GetCameraTimerId() const override { return timerId; }
    UINT GetCameraTimerInterval() const override { return timerInterval; }
    void ForgetCameraTimer() override { timerId = 0; }
    bool SetSynchronousPainting(bool on) override;
    void SetDefaultGridLines(bool on) override;
    HWND GetProgressWindow() const override { return progress; }
    CWinThread* TakeProgressThread() override;
    void ReceiveHandOver(ULONG_PTR id, const void*, size_t) override { handOvers.push_back(id); }
};

HostApp& Host();

// The settings key of the tests: "Software\Korva\TessalineFrameTests\2.0".
constexpr const char* kTestsKey = "Software\\Korva\\TessalineFrameTests";

class FrameTest : public GuiTest {
protected:
    void SetUp() override;
    void TearDown() override;

    // Makes and shows the frame as the application does.
    void MakeFrame();
    // Destroys the frame without its close (no settings stored).
    void DestroyFrame();

    static void SetInt(uint32_t id, int32_t value);
    static int32_t GetInt(uint32_t id);
    // A stored window-position record by its value name; false when absent.
    static bool ReadPosition(const char* name, int32_t (&fields)[5]);

    CMainFrame* frame = nullptr;
};

}  // namespace frametest
