// The typed accessors every part of the program uses for its settings.
// Nothing is cached: each read goes to the registry, each write straight
// through; registry failures give the defaults.
#pragma once

#include <cstdint>

#include "app/core/text/qz_string.h"
#include "app/shell/settings/setting_table.h"
#include "app/shell/settings/window_position.h"

// The window handle's type, without <windows.h> in this header.
struct HWND__;
class CWnd;

namespace shell {

// False for an id that is not an integer setting (the value is untouched).
bool GetIntSetting(SettingId id, int32_t* value);
bool SetIntSetting(SettingId id, int32_t value);
// False for an id that is not a string setting (the text is untouched).
bool GetStringSetting(SettingId id, CQzString& text);
bool SetStringSetting(SettingId id, const char* text);

// The default of a string setting, worked out now.
CQzString StringSettingDefault(const StringSetting& setting);

// True when a position was stored: it comes back moved and shrunk into the
// main window's client area (insideMainWindow) or the desktop's work area.
// The show command stays as the caller set it unless one was stored.
bool LoadWindowPosition(SettingId id, WindowPositionRecord* record, bool insideMainWindow);
// The window's restored rectangle and show command; a null window stores nothing.
void SaveWindowPosition(SettingId id, HWND__* window);
void SaveWindowPosition(SettingId id, CWnd* window);

}  // namespace shell
