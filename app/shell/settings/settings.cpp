#include "app/shell/settings/settings.h"

#include <string>

#include <windows.h>
#include <shlobj.h>

#include "app/core/text/string_resource.h"
#include "app/shell/program_folder.h"
#include "app/shell/settings/registry_store.h"
#include "clx/app.h"
#include "clx/wnd.h"

namespace shell {

namespace {

HWND MainWindow()
{
    CWnd* main = AfxGetMainWnd();
    return main ? main->GetSafeHwnd() : nullptr;
}

// The system's temporary folder without its trailing backslash; "" when the
// call fails or the folder does not fit its 260 characters.
std::string TempFolder()
{
    char path[MAX_PATH + 1] = "";
    const DWORD length = GetTempPathA(sizeof path, path);
    if (length == 0 || length > MAX_PATH)
        return {};
    std::string folder(path, length);
    if (!folder.empty() && folder.back() == '\\')
        folder.pop_back();
    return folder;
}

std::string DocumentsFolder()
{
    char path[MAX_PATH] = "";
    if (!SHGetSpecialFolderPathA(MainWindow(), path, CSIDL_PERSONAL, FALSE))
        return {};
    return path;
}

// The string-table text when the table has it whole, else the text itself.
std::string DefaultText(const StringSetting& setting)
{
    char loaded[256];
    const int32_t length =
        setting.textId != 0 ? qz::LoadStringResource(nullptr, setting.textId, loaded, sizeof loaded) : 0;
    if (length > 0 && length < static_cast<int32_t>(sizeof loaded) - 1)
        return loaded;
    return setting.text;
}

WindowBounds Bounds(bool insideMainWindow)
{
    RECT area{};
    const HWND main = insideMainWindow ? MainWindow() : nullptr;
    if (!(main && GetClientRect(main, &area)) && !SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0))
        area = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    return {area.left, area.top, area.right, area.bottom};
}

}  // namespace

bool GetIntSetting(SettingId id, int32_t* value)
{
    const IntSetting* setting = FindIntSetting(id);
    if (!setting || !value)
        return false;
    const int32_t stored =
        GetRegistryStore().GetInt(kScopeUser, SectionName(setting->section), setting->name, setting->defaultValue);
    *value = ClampSetting(*setting, stored);
    return true;
}

bool SetIntSetting(SettingId id, int32_t value)
{
    const IntSetting* setting = FindIntSetting(id);
    if (!setting)
        return false;
    GetRegistryStore().SetInt(kScopeUser, SectionName(setting->section), setting->name,
                              ClampSetting(*setting, value));
    return true;
}

CQzString StringSettingDefault(const StringSetting& setting)
{
    switch (setting.kind) {
    case StringDefault::ProgramFolderPlus:
        return CQzString((GetProgramFolder() + DefaultText(setting)).c_str());
    case StringDefault::TempFolder:
        return CQzString(TempFolder().c_str());
    case StringDefault::Documents:
        return CQzString(DocumentsFolder().c_str());
    case StringDefault::Text:
        break;
    }
    return CQzString(DefaultText(setting).c_str());
}

bool GetStringSetting(SettingId id, CQzString& text)
{
    const StringSetting* setting = FindStringSetting(id);
    if (!setting)
        return false;
    CQzString stored;
    if (GetRegistryStore().QueryString(kScopeUser, SectionName(setting->section), setting->name, stored))
        text = stored;
    else
        text = StringSettingDefault(*setting);
    return true;
}

bool SetStringSetting(SettingId id, const char* text)
{
    const StringSetting* setting = FindStringSetting(id);
    if (!setting)
        return false;
    GetRegistryStore().SetString(kScopeUser, SectionName(setting->section), setting->name, text);
    return true;
}

bool LoadWindowPosition(SettingId id, WindowPositionRecord* record, bool insideMainWindow)
{
    const char* name = WindowPositionName(id);
    if (!record || !name)
        return false;
    record->left = 0;
    record->top = 0;
    record->width = 50;
    record->height = 50;

    HKEY key = nullptr;
    if (!GetRegistryStore().OpenKey(HKEY_CURRENT_USER, SectionName(kSectionWindowPositions), &key))
        return false;
    // Only the whole 20-byte record counts: anything else keeps the preset.
    uint8_t bytes[kWindowPositionBytes];
    DWORD type = 0;
    DWORD size = sizeof bytes;
    const LONG result = RegQueryValueExA(key, name, nullptr, &type, bytes, &size);
    RegCloseKey(key);
    if (result != ERROR_SUCCESS || type != REG_BINARY || size != kWindowPositionBytes)
        return false;
    *record = UnpackWindowPosition(bytes);
    FitWindowPosition(*record, Bounds(insideMainWindow));
    return true;
}

void SaveWindowPosition(SettingId id, HWND window)
{
    const char* name = WindowPositionName(id);
    WINDOWPLACEMENT placement{};
    placement.length = sizeof placement;
    if (!window || !name || !GetWindowPlacement(window, &placement))
        return;
    const RECT& normal = placement.rcNormalPosition;
    const WindowPositionRecord record{normal.left, normal.top, normal.right - normal.left,
                                      normal.bottom - normal.top, static_cast<int32_t>(placement.showCmd)};
    uint8_t bytes[kWindowPositionBytes];
    PackWindowPosition(record, bytes);
    HKEY key = nullptr;
    if (!GetRegistryStore().OpenKey(HKEY_CURRENT_USER, SectionName(kSectionWindowPositions), &key))
        return;
    RegSetValueExA(key, name, 0, REG_BINARY, bytes, sizeof bytes);
    RegCloseKey(key);
}

void SaveWindowPosition(SettingId id, CWnd* window)
{
    SaveWindowPosition(id, window ? window->GetSafeHwnd() : nullptr);
}

}  // namespace shell
