// The batch record filled from the "AutoSave" settings.
#pragma once

#include "app/shell/batch/auto_save_settings.h"

namespace shell {

// A stored path that does not fit its field takes the setting's default (or
// "" when that does not fit either).
void LoadAutoSaveSettings(AutoSaveSettings* record);

}  // namespace shell
