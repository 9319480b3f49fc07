// The program itself, started by the test: a second start hands its files
// to the running instance's window and ends without touching the registry,
// and "/Unregister" removes the program's keys.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include <shlwapi.h>

#include "app/shell/program/hand_over.h"
#include "clx/thread.h"
#include "testing/gui_test.h"

namespace fs = std::filesystem;

namespace {

std::string ProgramPath()
{
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    return (fs::path(path).parent_path() / "Tessaline.exe").string();
}

// Runs Tessaline.exe in `folder` with the words (each quoted) and waits for
// its end, executing what it sends to this thread's windows meanwhile.
DWORD RunProgram(const std::vector<std::string>& words, const fs::path& folder)
{
    std::string line = "\"" + ProgramPath() + "\"";
    for (const std::string& word : words)
        line += " \"" + word + "\"";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    std::vector<char> buffer(line.begin(), line.end());
    buffer.push_back('\0');
    const std::string current = folder.string();
    if (!CreateProcessA(nullptr, buffer.data(), nullptr, nullptr, FALSE, 0, nullptr, current.c_str(), &startup,
                        &process)) {
        ADD_FAILURE() << "Tessaline.exe did not start: " << GetLastError();
        return DWORD(-1);
    }
    CloseHandle(process.hThread);
    EXPECT_EQ(WAIT_OBJECT_0, clx::WaitServicingSent(process.hProcess, 120000));
    DWORD code = 0;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hProcess);
    return code;
}

// Every key and value below `path`, as text, to compare before and after.
void Dump(HKEY root, const std::string& path, std::map<std::string, std::string>& out)
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return;
    out[path] = "";
    char name[256];
    BYTE data[1024];
    for (DWORD i = 0;; ++i) {
        DWORD nameSize = sizeof name, dataSize = sizeof data, type = 0;
        if (RegEnumValueA(key, i, name, &nameSize, nullptr, &type, data, &dataSize) != ERROR_SUCCESS)
            break;
        out[path + "|" + name] = std::to_string(type) + ":" + std::string(reinterpret_cast<char*>(data), dataSize);
    }
    std::vector<std::string> children;
    for (DWORD i = 0;; ++i) {
        DWORD nameSize = sizeof name;
        if (RegEnumKeyExA(key, i, name, &nameSize, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        children.emplace_back(name);
    }
    RegCloseKey(key);
    for (const std::string& child : children)
        Dump(root, path + "\\" + child, out);
}

std::map<std::string, std::string> Snapshot()
{
    std::map<std::string, std::string> all;
    Dump(HKEY_CURRENT_USER, "Software\\Korva", all);
    Dump(HKEY_LOCAL_MACHINE, "Software\\Korva", all);
    Dump(HKEY_LOCAL_MACHINE, "Software\\FotoNation", all);
    return all;
}

void MakeKey(HKEY root, const char* path, const char* value = nullptr)
{
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(root, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr));
    if (value)
        RegSetValueExA(key, value, 0, REG_SZ, reinterpret_cast<const BYTE*>("1"), 2);
    RegCloseKey(key);
}

bool KeyExists(HKEY root, const char* path)
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, path, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

struct Received {
    WPARAM from;
    ULONG_PTR id;
    DWORD size;
    shell::HandOverRecord record;
};
std::vector<Received> g_received;

LRESULT CALLBACK SpyProc(HWND window, UINT message, WPARAM w, LPARAM l)
{
    if (message == WM_COPYDATA) {
        const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(l);
        Received r{w, data->dwData, data->cbData, {}};
        if (data->lpData)
            std::memcpy(&r.record, data->lpData, std::min<size_t>(data->cbData, sizeof r.record));
        g_received.push_back(r);
        return TRUE;
    }
    return DefWindowProcA(window, message, w, l);
}

class SecondStartTest : public GuiTest {
protected:
    void SetUp() override
    {
        GuiTest::SetUp();
        folder = fs::absolute(fs::path(TESS_SCRATCH_DIR) / ("second_start_" + std::to_string(GetCurrentProcessId())));
        fs::remove_all(folder);
        fs::create_directories(folder / "dir with blank");
        std::ofstream(folder / "dir with blank" / "f.jpg") << "x";
        std::ofstream(folder / "rel.jpg") << "x";
        // The program is started on this program's desktop, where the spy is.
        char self[MAX_PATH] = {};
        GetModuleFileNameA(nullptr, self, MAX_PATH);
        MakeKey(HKEY_CURRENT_USER, "Software\\Wine\\AppDefaults\\Tessaline.exe\\Explorer");
        HKEY key = nullptr;
        RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Wine\\AppDefaults\\Tessaline.exe\\Explorer", 0, KEY_WRITE, &key);
        const std::string desktop = fs::path(self).stem().string();
        RegSetValueExA(key, "Desktop", 0, REG_SZ, reinterpret_cast<const BYTE*>(desktop.c_str()),
                       static_cast<DWORD>(desktop.size() + 1));
        RegCloseKey(key);
    }
    void TearDown() override
    {
        fs::remove_all(folder);
        GuiTest::TearDown();
    }
    fs::path folder;
};

TEST_F(SecondStartTest, HandsEachFileOverAsAnAbsoluteLongPathAndChangesNothing)
{
    WNDCLASSA cls{};
    cls.lpfnWndProc = SpyProc;
    cls.hInstance = GetModuleHandleA(nullptr);
    cls.lpszClassName = "Tessaline1";
    ASSERT_TRUE(RegisterClassA(&cls));
    HWND spy = CreateWindowExA(0, cls.lpszClassName, "spy", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, nullptr,
                               cls.hInstance, nullptr);
    ASSERT_NE(nullptr, spy);
    // What the running instance would have made already.
    MakeKey(HKEY_CURRENT_USER, "Software\\Korva\\Tessaline\\2.0\\General");
    MakeKey(HKEY_CURRENT_USER, "Software\\Korva\\Tessaline\\2.0\\Recent File List");
    const auto before = Snapshot();

    struct Case {
        std::vector<std::string> words;
        uint32_t import, deleteSource;
    } cases[] = {
        {{"dir with blank/f.jpg", "rel.jpg"}, 0, 0},
        {{"/T", "rel.jpg", "/r", "dir with blank\\f.jpg"}, 1, 1},
        {{"/r", "rel.jpg"}, 0, 0},
        // Wildcards name no file: never the first one they match.
        {{"/T", "/r", "r?l.jpg", "dir with*\\f.jpg"}, 1, 1},
    };
    const std::string base = folder.string();
    for (const Case& c : cases) {
        g_received.clear();
        RunProgram(c.words, folder);
        std::vector<std::string> expected;
        for (const std::string& word : c.words)
            if (word[0] != '/')
                expected.push_back(word.find_first_of("*?") != std::string::npos ? base + "\\" + word
                                   : word == "rel.jpg"                             ? base + "\\rel.jpg"
                                                                                  : base + "\\dir with blank\\f.jpg");
        ASSERT_EQ(expected.size(), g_received.size()) << c.words[0];
        for (size_t i = 0; i < expected.size(); ++i) {
            const Received& r = g_received[i];
            EXPECT_EQ(0x800Bu, r.id);
            EXPECT_EQ(268u, r.size);
            EXPECT_EQ(reinterpret_cast<WPARAM>(GetDesktopWindow()), r.from);
            EXPECT_EQ(c.import, r.record.import);
            EXPECT_EQ(c.deleteSource, r.record.deleteSource);
            EXPECT_EQ(expected[i], r.record.path);
        }
    }

    // A path whose long form does not fit 259 characters is not handed
    // over, and nothing is cut to fit.
    g_received.clear();
    const std::string longName(259 - base.size(), 'n');
    RunProgram({longName + ".jpg", "rel.jpg"}, folder);
    ASSERT_EQ(1u, g_received.size());
    EXPECT_EQ(base + "\\rel.jpg", g_received[0].record.path);

    EXPECT_EQ(before, Snapshot());
    EXPECT_TRUE(fs::exists(folder / "rel.jpg"));
    DestroyWindow(spy);
    UnregisterClassA("Tessaline1", cls.hInstance);
}

TEST_F(SecondStartTest, UnregisterRemovesTheProgramsKeysAndKeepsParentsThatHoldMore)
{
    MakeKey(HKEY_CURRENT_USER, "Software\\Korva\\Tessaline\\2.0\\Preferences", "TempFolder");
    MakeKey(HKEY_CURRENT_USER, "Software\\Korva\\Tessaline\\2.0\\Recent File List", "File1");
    MakeKey(HKEY_CURRENT_USER, "Software\\Korva\\Ombrel\\Settings", "ActivateLevel");
    MakeKey(HKEY_LOCAL_MACHINE, "Software\\Korva\\Tessaline\\2.0\\Memory", "DrawingPercent");

    RunProgram({"/Unregister"}, folder);
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, "Software\\Korva\\Tessaline"));
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, "Software\\Korva\\Ombrel\\Settings"));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, "Software\\Korva"));

    // A parent that still holds a value of its own stays too.
    MakeKey(HKEY_CURRENT_USER, "Software\\Korva\\Tessaline\\2.0\\General");
    MakeKey(HKEY_CURRENT_USER, "Software\\Korva\\Tessaline", "Installed");
    RunProgram({"/unregserver"}, folder);
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, "Software\\Korva\\Tessaline\\2.0"));
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, "Software\\Korva\\Tessaline"));
    SHDeleteKeyA(HKEY_CURRENT_USER, "Software\\Korva");
}

}  // namespace
