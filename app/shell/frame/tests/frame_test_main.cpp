// main() of the frame tests: the host application, the main window class
// that the frame is made with, and the registry section of the tests.
#include <gtest/gtest.h>
#include <shlwapi.h>

#include "app/shell/settings/registry_store.h"
#include "app/shell/settings/settings.h"
#include "app/shell/frame/frame_ids.h"
#include "app/shell/frame/tests/frame_test_support.h"

namespace frametest {

namespace {
HostApp* g_host = nullptr;
}

HostApp& Host()
{
    return *g_host;
}

void HostApp::Reset()
{
    camera = false;
    cameraOpens = 0;
    cameraName.clear();
    idleBudget = 0;
    idleRuns = 0;
    timerId = 0;
    timerInterval = 0;
    gridLinesCalls = 0;
    gridLines = false;
    progress = nullptr;
    progressThread = nullptr;
    synchronousPainting = false;
    paintingMarks.clear();
    handOvers.clear();
}

bool HostApp::SetSynchronousPainting(bool on)
{
    const bool previous = synchronousPainting;
    synchronousPainting = on;
    paintingMarks.push_back(on);
    return previous;
}

CWinThread* HostApp::TakeProgressThread()
{
    CWinThread* thread = progressThread;
    progressThread = nullptr;
    progress = nullptr;
    return thread;
}

bool HostApp::HasKavoSource(bool open)
{
    if (open && !camera)
        ++cameraOpens;
    return camera;
}

bool HostApp::GetCameraName(CQzString& name)
{
    if (!camera || cameraName.empty())
        return false;
    name = CQzString(cameraName.c_str());
    return true;
}

bool HostApp::DoIdleWork(long, bool)
{
    ++idleRuns;
    return idleRuns < idleBudget;
}

void HostApp::SetDefaultGridLines(bool on)
{
    ++gridLinesCalls;
    gridLines = on;
}

void FrameTest::SetUp()
{
    GuiTest::SetUp();
    ::SHDeleteKeyA(HKEY_CURRENT_USER, kTestsKey);
    Host().Reset();
}

void FrameTest::TearDown()
{
    DestroyFrame();
    ::SHDeleteKeyA(HKEY_CURRENT_USER, kTestsKey);
    GuiTest::TearDown();
}

void FrameTest::MakeFrame()
{
    frame = new CMainFrame;
    ASSERT_TRUE(frame->LoadFrame(IDR_MAINFRAME, WS_OVERLAPPEDWINDOW | FWS_ADDTOTITLE));
    AfxGetApp()->m_pMainWnd = frame;
    frame->ShowWindow(SW_SHOWNORMAL);
    frame->UpdateWindow();
    PumpUntilIdle();
}

void FrameTest::DestroyFrame()
{
    if (frame && CMainFrame::Get() == frame && frame->m_hWnd)
        frame->DestroyWindow();
    frame = nullptr;
    PumpUntilIdle();
    TakeQuit();
    AfxGetApp()->m_pMainWnd = nullptr;
}

void FrameTest::SetInt(uint32_t id, int32_t value)
{
    ASSERT_TRUE(shell::SetIntSetting(id, value)) << id;
}

int32_t FrameTest::GetInt(uint32_t id)
{
    int32_t value = -1;
    EXPECT_TRUE(shell::GetIntSetting(id, &value)) << id;
    return value;
}

bool FrameTest::ReadPosition(const char* name, int32_t (&fields)[5])
{
    HKEY key = nullptr;
    const std::string path = std::string(kTestsKey) + "\\2.0\\WindowPositions";
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    DWORD type = 0;
    DWORD size = sizeof fields;
    const LONG result = ::RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(fields), &size);
    ::RegCloseKey(key);
    return result == ERROR_SUCCESS && type == REG_BINARY && size == sizeof fields;
}

}  // namespace frametest

int main(int argc, char** argv)
{
    frametest::HostApp app;
    frametest::g_host = &app;
    shell::GetRegistryStore().SetNames("Korva", "TessalineFrameTests", "2.0");
    // The main window class, registered as the application registers it.
    WNDCLASSA cls{};
    cls.style = CS_DBLCLKS;
    cls.lpfnWndProc = ::DefWindowProcA;
    cls.hInstance = ::GetModuleHandleA(nullptr);
    cls.hCursor = ::LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));
    cls.lpszClassName = "Tessaline1";
    if (!::RegisterClassA(&cls))
        return 2;
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
