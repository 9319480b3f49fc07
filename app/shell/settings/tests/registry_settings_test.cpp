// Runs in a Wine prefix made fresh for the run (fresh_prefix_run.sh), in a
// 1024x768 virtual desktop where Wine gives one.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "app/shell/batch/load_auto_save_settings.h"
#include "app/shell/batch/numbered_file_name.h"
#include "app/shell/program_folder.h"
#include "app/shell/settings/recent_file_list.h"
#include "app/shell/settings/registry_store.h"
#include "app/shell/settings/settings.h"

#include <windows.h>
#include <shlwapi.h>

namespace {

const char kVersionKey[] = "Software\\Korva\\Tessaline\\2.0";

std::string SectionKey(const char* section)
{
    return std::string(kVersionKey) + "\\" + section;
}

bool KeyExists(const std::string& path)
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

void WriteRaw(const char* section, const char* name, DWORD type, const void* data, DWORD size)
{
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, SectionKey(section).c_str(), 0, nullptr, 0, KEY_WRITE, nullptr,
                              &key, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(data), size), ERROR_SUCCESS);
    RegCloseKey(key);
}

void WriteRawInt(const char* section, const char* name, int32_t value)
{
    WriteRaw(section, name, REG_DWORD, &value, sizeof value);
}

// The value's type and bytes as stored.
std::vector<uint8_t> ReadRaw(const char* section, const char* name, DWORD* type)
{
    HKEY key = nullptr;
    std::vector<uint8_t> data(512);
    DWORD size = static_cast<DWORD>(data.size());
    *type = REG_NONE;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, SectionKey(section).c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return {};
    const LONG result = RegQueryValueExA(key, name, nullptr, type, data.data(), &size);
    RegCloseKey(key);
    data.resize(result == ERROR_SUCCESS ? size : 0);
    return data;
}

int32_t ReadRawInt(const char* section, const char* name)
{
    DWORD type = 0;
    const std::vector<uint8_t> data = ReadRaw(section, name, &type);
    EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD)) << name;
    int32_t value = 0;
    if (data.size() == 4)
        std::memcpy(&value, data.data(), 4);
    return value;
}

std::string TempFolder()
{
    char path[MAX_PATH + 1] = "";
    GetTempPathA(sizeof path, path);
    return path;
}

// `reg export` of the version key, as ASCII lines (the file is UTF-16).
std::vector<std::string> ExportedLines()
{
    const std::string file = TempFolder() + "shell_settings_export.reg";
    DeleteFileA(file.c_str());
    std::string command = "reg.exe export HKCU\\" + std::string(kVersionKey) + " \"" + file + "\" /y";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    std::vector<char> line(command.begin(), command.end());
    line.push_back('\0');
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
        ADD_FAILURE() << "reg.exe did not start";
        return {};
    }
    WaitForSingleObject(process.hProcess, 60000);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);

    std::ifstream in(file, std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    std::vector<std::string> lines(1);
    for (size_t i = 2; i + 1 < bytes.size(); i += 2) {
        const char c = bytes[i];
        if (c == '\n')
            lines.emplace_back();
        else if (c != '\r')
            lines.back() += c;
    }
    return lines;
}

// The lines of one section of the export.
std::vector<std::string> ExportedSection(const std::vector<std::string>& lines, const char* section)
{
    const std::string header = "[HKEY_CURRENT_USER\\" + SectionKey(section) + "]";
    std::vector<std::string> values;
    bool inside = false;
    for (const std::string& line : lines) {
        if (!line.empty() && line[0] == '[')
            inside = line == header;
        else if (inside && !line.empty())
            values.push_back(line);
    }
    return values;
}

bool Contains(const std::vector<std::string>& lines, const std::string& line)
{
    for (const std::string& l : lines)
        if (l == line)
            return true;
    return false;
}

class RegistrySettings : public ::testing::Test {
protected:
    void SetUp() override
    {
        SHDeleteKeyA(HKEY_CURRENT_USER, "Software\\Korva");
        shell::GetRegistryStore().SetNames("Korva", "Tessaline", "2.0");
    }
};

TEST_F(RegistrySettings, ClampsAfterReadingAndBeforeWriting)
{
    struct Case {
        shell::SettingId id;
        const char* section;
        const char* name;
        int32_t value;
        int32_t clamped;
    } cases[] = {
        {1101, "General", "CursorMode", 0, 1},
        {1101, "General", "CursorMode", 7, 3},
        {1054, "Preferences", "AutoContrastClip", -1, 999},
        {1061, "Preferences", "GridSpacing", -5, 100},
        {1234, "Memory", "DrawingPercent", 5, 10},
        {1234, "Memory", "DrawingPercent", 250, 200},
        {1189, "SaveFinal", "NextNumber", -7, -7},
    };
    for (const Case& c : cases) {
        // Written through the accessor: stored clamped.
        EXPECT_TRUE(shell::SetIntSetting(c.id, c.value));
        EXPECT_EQ(ReadRawInt(c.section, c.name), c.clamped) << c.name << " " << c.value;
        // Stored raw: read clamped.
        WriteRawInt(c.section, c.name, c.value);
        int32_t read = 12345;
        EXPECT_TRUE(shell::GetIntSetting(c.id, &read));
        EXPECT_EQ(read, c.clamped) << c.name << " " << c.value;
    }
}

TEST_F(RegistrySettings, EveryIntegerSettingIsADwordOfItsSection)
{
    for (const shell::IntSetting* s = shell::IntSettingsBegin(); s != shell::IntSettingsEnd(); ++s) {
        const char* section = shell::SectionName(s->section);
        int32_t value = 12345;
        EXPECT_TRUE(shell::GetIntSetting(s->id, &value)) << s->name;
        EXPECT_EQ(value, shell::ClampSetting(*s, s->defaultValue)) << section << "\\" << s->name;
        EXPECT_TRUE(shell::SetIntSetting(s->id, 2));
        EXPECT_EQ(ReadRawInt(section, s->name), shell::ClampSetting(*s, 2)) << section << "\\" << s->name;
    }
}

TEST_F(RegistrySettings, ReadingCreatesTheSectionAndGivesTheDefault)
{
    EXPECT_FALSE(KeyExists(SectionKey("TimedExposure")));
    int32_t shots = 0;
    EXPECT_TRUE(shell::GetIntSetting(1202, &shots));
    EXPECT_EQ(shots, 2);
    EXPECT_TRUE(KeyExists(SectionKey("TimedExposure")));
    int32_t cursor = 0;
    EXPECT_TRUE(shell::GetIntSetting(1101, &cursor));
    EXPECT_EQ(cursor, 1);  // the default 0, clamped
}

TEST_F(RegistrySettings, TextsThatAreNoSettingsFail)
{
    int32_t value = 77;
    EXPECT_FALSE(shell::GetIntSetting(1056, &value));
    EXPECT_EQ(value, 77);
    EXPECT_FALSE(shell::SetIntSetting(1056, 1));
    CQzString text("kept");
    EXPECT_FALSE(shell::GetStringSetting(1056, text));
    EXPECT_STREQ(text, "kept");
    EXPECT_FALSE(shell::SetStringSetting(1089, "x"));
    EXPECT_FALSE(shell::GetStringSetting(1041, text));  // an integer setting
    EXPECT_FALSE(shell::GetIntSetting(1046, &value));   // a string setting
    EXPECT_FALSE(KeyExists(SectionKey("Preferences")));
}

TEST_F(RegistrySettings, OddlyStoredValuesReadSafely)
{
    // A text stored without its terminator.
    const char bare[] = {'T', 'h', 'u', 'm', 'b', 's'};
    WriteRaw("Preferences", "ThumbnailFolder", REG_SZ, bare, sizeof bare);
    CQzString text;
    EXPECT_TRUE(shell::GetStringSetting(1046, text));
    EXPECT_STREQ(text, "Thumbs");
    // Bytes where a text is expected: read up to the first zero, or all of them.
    const std::string noZero(300, 'x');
    WriteRaw("Preferences", "CMYKProfile", REG_BINARY, noZero.data(), static_cast<DWORD>(noZero.size()));
    EXPECT_TRUE(shell::GetStringSetting(1047, text));
    EXPECT_EQ(std::string(text), noZero);
    const char zeroInside[] = {'a', 'b', 0, 'c'};
    WriteRaw("Preferences", "RGBProfile", REG_BINARY, zeroInside, sizeof zeroInside);
    EXPECT_TRUE(shell::GetStringSetting(1065, text));
    EXPECT_STREQ(text, "ab");
    // An empty value is an empty text, not the default.
    WriteRaw("AutoSave", "Prefix", REG_SZ, "", 0);
    EXPECT_TRUE(shell::GetStringSetting(1154, text));
    EXPECT_STREQ(text, "");
    // A text where an integer is expected: longer than 4 bytes gives the default.
    WriteRaw("Preferences", "GridDivisions", REG_SZ, "123456", 7);
    int32_t value = 0;
    EXPECT_TRUE(shell::GetIntSetting(1063, &value));
    EXPECT_EQ(value, 4);
}

TEST_F(RegistrySettings, StringDefaultsAreWorkedOut)
{
    std::string temp = TempFolder();
    temp.pop_back();
    struct Case {
        shell::SettingId id;
        std::string text;
    } cases[] = {
        {1154, "Img"},
        {1186, "Img"},
        {1155, ""},
        {1051, temp},
        {1046, shell::GetProgramFolder() + "Thumb"},
        {1163, shell::GetProgramFolder() + "Neutral.set"},
    };
    for (const Case& c : cases) {
        CQzString text("junk");
        EXPECT_TRUE(shell::GetStringSetting(c.id, text));
        EXPECT_EQ(std::string(text), c.text) << c.id;
    }
    EXPECT_TRUE(shell::SetStringSetting(1186, "Shot"));
    CQzString text;
    EXPECT_TRUE(shell::GetStringSetting(1186, text));
    EXPECT_STREQ(text, "Shot");
}

TEST_F(RegistrySettings, ScopesOtherThanMachineAndUserWriteNothing)
{
    const shell::CRegistryStore& store = shell::GetRegistryStore();
    EXPECT_EQ(store.GetInt(2, "General", "CursorMode", 42), 42);
    EXPECT_FALSE(store.SetInt(-1, "General", "CursorMode", 2));
    EXPECT_STREQ(store.GetString(2, "AutoSave", "Prefix", "Img"), "");
    EXPECT_FALSE(store.SetString(2, "AutoSave", "Prefix", "x"));
    EXPECT_FALSE(KeyExists(SectionKey("General")));
    EXPECT_TRUE(store.SetString(1, "AutoSave", "Prefix", "P"));
    EXPECT_STREQ(store.GetString(1, "AutoSave", "Prefix", "Img"), "P");
}

TEST_F(RegistrySettings, WindowPositionsComeBackInsideTheWorkArea)
{
    // 1024 wide in the virtual desktop that the run script asks for (the
    // 32-bit Wine root gives the whole X screen instead).
    ASSERT_NE(GetDesktopWindow(), nullptr);
    RECT area{};
    ASSERT_TRUE(SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0));
    ASSERT_LT(area.right, 3000);
    RecordProperty("WorkAreaWidth", static_cast<int>(area.right - area.left));

    uint8_t bytes[shell::kWindowPositionBytes];
    shell::PackWindowPosition({3000, 20, 300, 200, SW_SHOWNORMAL}, bytes);
    WriteRaw("WindowPositions", "Curves", REG_BINARY, bytes, sizeof bytes);
    shell::WindowPositionRecord record{1, 1, 1, 1, 9};
    EXPECT_TRUE(shell::LoadWindowPosition(1123, &record, false));
    EXPECT_EQ(record.left, area.right - 300);
    EXPECT_EQ(record.top, 20);
    EXPECT_EQ(record.width, 300);
    EXPECT_EQ(record.height, 200);
    EXPECT_EQ(record.showCommand, SW_SHOWNORMAL);

    // Only REG_BINARY counts; a missing value keeps the preset size.
    WriteRaw("WindowPositions", "Info", REG_SZ, "1,2,3,4", 8);
    EXPECT_FALSE(shell::LoadWindowPosition(1127, &record, false));
    record = {1, 1, 1, 1, 9};
    EXPECT_FALSE(shell::LoadWindowPosition(1128, &record, false));
    EXPECT_EQ(record.width, 50);
    EXPECT_EQ(record.height, 50);
    EXPECT_EQ(record.showCommand, 9);
    EXPECT_FALSE(shell::LoadWindowPosition(1128, nullptr, false));
    EXPECT_FALSE(shell::LoadWindowPosition(1130, &record, false));  // not a window position
}

TEST_F(RegistrySettings, SavedPlacementIsTwentyBytes)
{
    const HWND window = CreateWindowExA(0, "STATIC", "", WS_OVERLAPPEDWINDOW, 40, 30, 320, 240, nullptr, nullptr,
                                        GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(window, nullptr);
    shell::SaveWindowPosition(1121, window);
    shell::SaveWindowPosition(1122, static_cast<HWND>(nullptr));
    DestroyWindow(window);

    DWORD type = 0;
    const std::vector<uint8_t> data = ReadRaw("WindowPositions", "Main", &type);
    EXPECT_EQ(type, static_cast<DWORD>(REG_BINARY));
    ASSERT_EQ(data.size(), 20u);
    uint8_t bytes[shell::kWindowPositionBytes];
    std::memcpy(bytes, data.data(), 20);
    const shell::WindowPositionRecord record = shell::UnpackWindowPosition(bytes);
    EXPECT_EQ(record.left, 40);
    EXPECT_EQ(record.top, 30);
    EXPECT_EQ(record.width, 320);
    EXPECT_EQ(record.height, 240);
    EXPECT_EQ(record.showCommand, SW_SHOWNORMAL);
    EXPECT_TRUE(ReadRaw("WindowPositions", "CameraImage", &type).empty());
}

TEST_F(RegistrySettings, ExportShowsEachTypeInItsSection)
{
    shell::SetIntSetting(1101, 7);
    shell::SetIntSetting(1061, 25);
    shell::SetStringSetting(1154, "Shot");
    shell::SetStringSetting(1186, "Final");
    const HWND window = CreateWindowExA(0, "STATIC", "", WS_OVERLAPPEDWINDOW, 1, 2, 300, 200, nullptr, nullptr,
                                        GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(window, nullptr);
    shell::SaveWindowPosition(1121, window);
    DestroyWindow(window);

    const std::vector<std::string> lines = ExportedLines();
    EXPECT_TRUE(Contains(ExportedSection(lines, "General"), "\"CursorMode\"=dword:00000003"));
    EXPECT_TRUE(Contains(ExportedSection(lines, "Preferences"), "\"GridSpacing\"=dword:00000019"));
    EXPECT_TRUE(Contains(ExportedSection(lines, "AutoSave"), "\"Prefix\"=\"Shot\""));
    EXPECT_TRUE(Contains(ExportedSection(lines, "SaveFinal"), "\"Prefix\"=\"Final\""));
    EXPECT_TRUE(Contains(ExportedSection(lines, "WindowPositions"),
                         "\"Main\"=hex:01,00,00,00,02,00,00,00,2c,01,00,00,c8,00,00,00,01,00,00,00"));
    EXPECT_FALSE(Contains(ExportedSection(lines, "General"), "\"Prefix\"=\"Shot\""));
}

TEST_F(RegistrySettings, NumberedFileNameAdvancesTheStoredNumber)
{
    const std::string folder = TempFolder() + "shell_numbered";
    CreateDirectoryA(folder.c_str(), nullptr);
    const std::string taken = folder + "\\Img007.tif";
    std::ofstream(taken) << "x";
    shell::SetIntSetting(1157, 7);
    EXPECT_STREQ(shell::MakeNumberedFileName(shell::kNamingAutoSave, folder.c_str(), ".tif"),
                 (folder + "\\Img008.tif").c_str());
    int32_t next = 0;
    shell::GetIntSetting(1157, &next);
    EXPECT_EQ(next, 9);
    // SaveFinal keeps its own number; another kind gives "".
    EXPECT_STREQ(shell::MakeNumberedFileName(shell::kNamingSaveFinal, (folder + "\\").c_str(), ".jpg"),
                 (folder + "\\Img001.jpg").c_str());
    shell::GetIntSetting(1189, &next);
    EXPECT_EQ(next, 2);
    EXPECT_STREQ(shell::MakeNumberedFileName(2, folder.c_str(), ".jpg"), "");
    DeleteFileA(taken.c_str());
    RemoveDirectoryA(folder.c_str());
}

TEST_F(RegistrySettings, AutoSaveRecordLoadsFromItsSection)
{
    shell::SetIntSetting(1165, 0);
    shell::SetIntSetting(1169, 1);
    shell::SetIntSetting(1158, 3);
    shell::SetIntSetting(1160, 4);
    shell::SetIntSetting(1164, 1);
    // A path too long for its field takes the default, never a cut copy.
    shell::SetStringSetting(1153, ("C:\\" + std::string(300, 'd')).c_str());
    shell::SetStringSetting(1163, ("C:\\" + std::string(257, 's')).c_str());  // 260: one too many
    shell::SetStringSetting(1162, ("C:\\" + std::string(256, 'i')).c_str());  // 259 fits

    shell::AutoSaveSettings record;
    record.leading = 5;
    shell::LoadAutoSaveSettings(&record);
    EXPECT_EQ(record.leading, 0);
    EXPECT_EQ(record.source, 0);
    EXPECT_STREQ(record.sourceFolder, ("C:\\" + std::string(256, 'i')).c_str());
    EXPECT_EQ(record.settingsMethod, 1);
    CQzString documents;
    shell::GetStringSetting(1185, documents);  // absent: the documents folder
    EXPECT_STREQ(record.destinationFolder, documents);
    EXPECT_STREQ(record.settingsFile, (shell::GetProgramFolder() + "Neutral.set").c_str());
    EXPECT_EQ(record.fileType, 3);
    EXPECT_EQ(record.jpegListPosition, 4);
    EXPECT_EQ(record.GetJpegQuality(), 5);
    EXPECT_EQ(record.bitDepth, 1);
    EXPECT_EQ(record.addToCatalogue, 0);
}

TEST_F(RegistrySettings, RecentFilesKeepTheNamesOfEmptyEntries)
{
    // As the application makes it; this program's string table lacks both
    // texts, so the list falls back to the same names.
    shell::CRecentFileListReg list(0, shell::kRecentFileSectionId, shell::kRecentFileEntryFormatId,
                                   shell::kRecentFileCount, shell::kRecentFileDisplayLength);
    EXPECT_STREQ(list.EntryName(3), "File4");
    for (const char* path : {"C:\\d.bmp", "C:\\c.tif", "C:\\b.jpg", "C:\\a.xqv"})
        list.Add(path);
    list.WriteList();
    list.Remove(3);  // d.bmp
    list.Remove(1);  // b.jpg
    list.Add("C:\\e.xqv");
    list.WriteList();  // e.xqv, a.xqv, c.tif, ""

    shell::CRecentFileListReg read(0, shell::kRecentFileSectionId, shell::kRecentFileEntryFormatId,
                                   shell::kRecentFileCount, shell::kRecentFileDisplayLength);
    read.ReadList();
    const char* expected[] = {"C:\\e.xqv", "C:\\a.xqv", "C:\\c.tif", "C:\\d.bmp"};
    for (int i = 0; i < shell::kRecentFileCount; ++i)
        EXPECT_STREQ(read[i], expected[i]) << i;
    const std::string key = std::string(kVersionKey) + "\\Recent File List";
    EXPECT_TRUE(KeyExists(key));

    SHDeleteKeyA(HKEY_CURRENT_USER, key.c_str());
    read.ReadList();
    for (int i = 0; i < shell::kRecentFileCount; ++i)
        EXPECT_STREQ(read[i], "") << i;
}

}  // namespace
