// Fixwell.exe itself over a fake installed product in this run's own prefix:
// two monitor windows that report their close, the product's files with
// version resources, the browser's key and a monitor program that reports
// its start. The test answers the tool's message boxes.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

fs::path BinFolder()
{
    char self[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    return fs::path(self).parent_path();
}

std::string Bytes(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteText(const fs::path& path, const std::string& text)
{
    std::ofstream(path, std::ios::binary) << text;
}

void SetString(HKEY root, const char* keyName, const char* value, const std::string& text)
{
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(root, keyName, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr));
    RegSetValueExA(key, value, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()), DWORD(text.size() + 1));
    RegCloseKey(key);
}

std::string MachineString(const char* keyName, const char* value)
{
    char text[MAX_PATH] = "";
    DWORD size = sizeof text - 1;
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, keyName, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return "";
    RegQueryValueExA(key, value, nullptr, nullptr, reinterpret_cast<BYTE*>(text), &size);
    RegCloseKey(key);
    return text;
}

// Starts `program` with `line` in `folder`; the process handle, or null.
HANDLE Start(const fs::path& program, const std::string& line, const fs::path& folder)
{
    std::string command = "\"" + program.string() + "\" " + line;
    std::vector<char> buffer(command.begin(), command.end());
    buffer.push_back('\0');
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(program.string().c_str(), buffer.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        folder.string().c_str(), &startup, &process))
        return nullptr;
    CloseHandle(process.hThread);
    return process.hProcess;
}

struct BoxSearch {
    DWORD process;
    HWND box;
};

BOOL CALLBACK FindBox(HWND window, LPARAM l)
{
    auto* search = reinterpret_cast<BoxSearch*>(l);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    char name[16] = "";
    GetClassNameA(window, name, sizeof name);
    if (owner == search->process && std::string(name) == "#32770" && IsWindowVisible(window)) {
        search->box = window;
        return FALSE;
    }
    return TRUE;
}

// Runs Fixwell.exe in `folder` to its end, answering Yes to the confirmation
// and OK to every other box; the texts of the boxes, in order.
std::vector<std::string> RunFixwell(const fs::path& folder)
{
    std::vector<std::string> shown;
    HANDLE process = Start(BinFolder() / "Fixwell.exe", "", folder);
    if (!process) {
        ADD_FAILURE() << "Fixwell.exe did not start: " << GetLastError();
        return shown;
    }
    HWND answered = nullptr;
    const DWORD id = GetProcessId(process);
    for (int waited = 0; WaitForSingleObject(process, 100) == WAIT_TIMEOUT; ++waited) {
        if (waited > 1200) {
            ADD_FAILURE() << "Fixwell.exe did not end";
            TerminateProcess(process, 1);
            break;
        }
        BoxSearch search{id, nullptr};
        EnumWindows(FindBox, reinterpret_cast<LPARAM>(&search));
        if (!search.box || search.box == answered)
            continue;
        char text[1024] = "";
        GetDlgItemTextA(search.box, 0xFFFF, text, sizeof text);
        shown.push_back(text);
        const bool confirm = GetDlgItem(search.box, IDYES) != nullptr;
        PostMessageA(search.box, WM_COMMAND, confirm ? IDYES : IDOK, 0);
        answered = search.box;
    }
    CloseHandle(process);
    return shown;
}

class FixwellRun : public ::testing::Test {
protected:
    void SetUp() override
    {
        scratch = fs::absolute(fs::path(TESS_SCRATCH_DIR) / ("fixwell" + std::to_string(GetCurrentProcessId())));
        fs::remove_all(scratch);
        for (const char* folder : {"new", "inst", "ombrel"})
            fs::create_directories(scratch / folder);
        common = fs::path(MachineString("SOFTWARE\\Microsoft\\Windows\\CurrentVersion", "CommonFilesDir")) / "Korva";
        fs::create_directories(common / "KavoMods");
        fs::create_directories(common / "Profiles");
        char system[MAX_PATH] = "";
        GetSystemDirectoryA(system, MAX_PATH);
        drivers = fs::path(system) / "Drivers";
        fs::create_directories(drivers);
        // The tool accepts Windows 2000 and XP only.
        SetString(HKEY_CURRENT_USER, "Software\\Wine\\AppDefaults\\Fixwell.exe", "Version",
                  sizeof(void*) == 8 ? "win2k" : "winxp");
    }
    void TearDown() override
    {
        for (HANDLE monitor : monitors) {
            if (WaitForSingleObject(monitor, 0) == WAIT_TIMEOUT)
                TerminateProcess(monitor, 1);
            CloseHandle(monitor);
        }
        std::error_code ignored;
        fs::remove_all(scratch, ignored);
        fs::remove_all(common, ignored);
        fs::remove(drivers / "KorvaDx.sys", ignored);
    }

    fs::path scratch;
    fs::path common;
    fs::path drivers;
    std::vector<HANDLE> monitors;
};

TEST_F(FixwellRun, UpdatesTheInstalledProductAndStartsTheMonitorAgain)
{
    const fs::path bin = BinFolder();
    const fs::path source = scratch / "new", inst = scratch / "inst", ombrel = scratch / "ombrel";
    for (const char* name : {"QUARNI~1.DLL", "CamCurve.bin", "QRV3.dll", "Tessaline.chm", "Tessaline.hlp",
                             "Neutral.set", "KOLVEX~1.DLL", "Readme.wri", "Readme2.wri", "M4_Mod.kv3", "M4_Drv.dll",
                             "KorvaDx.sys", "QZLch2.icm"})
        WriteText(source / name, std::string("new ") + name);
    fs::copy_file(bin / "fixwell_fake_new.exe", source / "Tessaline.exe");
    fs::copy_file(bin / "fixwell_fake_oldlib.exe", source / "Vorlat2.dll");

    fs::copy_file(bin / "fixwell_fake_installed.exe", inst / "Tessaline.exe");
    fs::copy_file(bin / "fixwell_fake_newlib.exe", inst / "Vorlat2.dll");
    WriteText(inst / "QRV3.dll", "old QRV3.dll");
    WriteText(inst / "Quarnite.dll", "old library");
    SetString(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Tessaline.exe", nullptr,
              (inst / "Tessaline.exe").string());

    fs::copy_file(bin / "fixwell_fake_ombrel.exe", ombrel / "OmbrelMon.exe");
    SetString(HKEY_LOCAL_MACHINE, "SOFTWARE\\Korva\\Ombrel", "InstallDir", ombrel.string());
    SetString(HKEY_LOCAL_MACHINE, "SOFTWARE\\Korva\\Ombrel", "Version", "5.0.0.1000");

    // Two monitors, and a window whose title only begins with a monitor's name.
    const struct {
        const char* title;
        const char* marker;
    } windows[] = {{"Korva OmbrelWatch", "watch.txt"}, {"OmbrelMon", "mon.txt"}, {"OmbrelMon Settings", "other.txt"}};
    for (const auto& window : windows) {
        HANDLE monitor = Start(bin / "fixwell_fake_ombrel.exe",
                               std::string("window \"") + window.title + "\" \"" + (scratch / window.marker).string() + "\"",
                               scratch);
        ASSERT_NE(nullptr, monitor);
        monitors.push_back(monitor);
        ASSERT_EQ(0u, WaitForInputIdle(monitor, 30000)) << window.title;
    }

    const std::vector<std::string> shown = RunFixwell(source);
    EXPECT_EQ((std::vector<std::string>{"Update to Ver.2.0.3?", "Update has been completed. Exiting updater."}), shown);

    EXPECT_TRUE(fs::exists(scratch / "watch.txt"));
    EXPECT_TRUE(fs::exists(scratch / "mon.txt"));
    EXPECT_FALSE(fs::exists(scratch / "other.txt"));

    EXPECT_TRUE(Bytes(source / "Tessaline.exe") == Bytes(inst / "Tessaline.exe"));
    EXPECT_EQ("new QRV3.dll", Bytes(inst / "QRV3.dll"));
    EXPECT_EQ("new QUARNI~1.DLL", Bytes(inst / "Quarnite3.dll"));
    EXPECT_EQ("new KOLVEX~1.DLL", Bytes(inst / "Kolvex.dll"));
    EXPECT_EQ("new Readme2.wri", Bytes(inst / "Readme2.wri"));
    // An older source is not copied over a newer target.
    EXPECT_TRUE(Bytes(bin / "fixwell_fake_newlib.exe") == Bytes(inst / "Vorlat2.dll"));
    EXPECT_FALSE(fs::exists(inst / "Quarnite.dll"));
    // The installed version takes the camera files.
    EXPECT_EQ("new M4_Mod.kv3", Bytes(common / "KavoMods" / "M4_Mod.kv3"));
    EXPECT_EQ("new KorvaDx.sys", Bytes(drivers / "KorvaDx.sys"));
    EXPECT_EQ("new QZLch2.icm", Bytes(common / "Profiles" / "QZLch2.icm"));

    // The monitor runs on its own; its start is seen by its marker.
    for (int waited = 0; !fs::exists(ombrel / "started.txt") && waited < 300; ++waited)
        Sleep(100);
    EXPECT_TRUE(fs::exists(ombrel / "started.txt"));
}

}  // namespace
