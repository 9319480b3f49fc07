// The palettes' settings-file dialogs and the messages of their readers and
// writers.
#pragma once

#include <cstdint>

#include "app/core/procset/palette_settings_file.h"
#include "clx/string.h"

class CWnd;

// The open dialog (existing files only) or the save dialog (asks before
// overwriting) of a filter string: no read-only box, the filter's first
// extension as default, no initial name, the program's folder. False when
// cancelled.
bool AskSettingsFilePath(CWnd* parent, bool open, uint32_t filterStringId, CString* path);

// One message box for a reader's or writer's message; nothing for id 0.
void ShowSettingsFileMessage(const SettingsFileMessage& message);
