#include "app/shell/batch/load_auto_save_settings.h"

#include <cstring>

#include "app/shell/settings/settings.h"

namespace shell {

namespace {

int32_t ReadInt(SettingId id)
{
    int32_t value = 0;
    GetIntSetting(id, &value);
    return value;
}

// Never cut: a path that does not fit names another file or folder.
void ReadPath(SettingId id, char (&field)[kAutoSavePathSize])
{
    CQzString text;
    GetStringSetting(id, text);
    if (text.GetLength() >= kAutoSavePathSize) {
        const StringSetting* setting = FindStringSetting(id);
        text = setting ? StringSettingDefault(*setting) : CQzString();
    }
    if (text.GetLength() >= kAutoSavePathSize)
        text = "";
    std::memcpy(field, static_cast<const char*>(text), static_cast<size_t>(text.GetLength()) + 1);
}

}  // namespace

void LoadAutoSaveSettings(AutoSaveSettings* record)
{
    if (!record)
        return;
    record->leading = 0;
    record->source = ReadInt(1165);
    ReadPath(1162, record->sourceFolder);
    record->includeSubfolders = ReadInt(1166);
    record->scanForNewFiles = ReadInt(1167);
    record->deleteSourceFiles = ReadInt(1168);
    const int32_t method = ReadInt(1169);
    record->settingsMethod = method == 0 || method == 2 ? method : 1;
    ReadPath(1163, record->settingsFile);
    record->ignoreRawSettings = ReadInt(1170);
    record->useSourceFolder = ReadInt(1171);
    record->useSourceFileName = ReadInt(1172);
    ReadPath(1153, record->destinationFolder);
    record->fileType = ReadInt(1158);
    record->jpegListPosition = ReadInt(1160);
    record->bitDepth = ReadInt(1164) == 1 ? 1 : 0;
    record->addToCatalogue = ReadInt(1161);
}

}  // namespace shell
