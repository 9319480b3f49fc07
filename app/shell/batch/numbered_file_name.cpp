#include "app/shell/batch/numbered_file_name.h"

#include "app/shell/batch/numbered_name.h"
#include "app/shell/settings/settings.h"

namespace shell {

namespace {

struct NamingIds {
    SettingId prefix;
    SettingId suffix;
    SettingId length;
    SettingId next;
};

constexpr NamingIds kSaveFinalNaming{1186, 1187, 1188, 1189};
constexpr NamingIds kAutoSaveNaming{1154, 1155, 1156, 1157};

int32_t ReadInt(SettingId id)
{
    int32_t value = 0;
    GetIntSetting(id, &value);
    return value;
}

}  // namespace

CQzString MakeNumberedFileName(int32_t kind, const char* folder, const char* extension)
{
    if (kind != kNamingSaveFinal && kind != kNamingAutoSave)
        return CQzString("");
    const NamingIds& ids = kind == kNamingSaveFinal ? kSaveFinalNaming : kAutoSaveNaming;
    CQzString prefix;
    CQzString suffix;
    GetStringSetting(ids.prefix, prefix);
    GetStringSetting(ids.suffix, suffix);
    NumberedNameParts parts{static_cast<const char*>(prefix), static_cast<const char*>(suffix),
                            ReadInt(ids.length), ReadInt(ids.next)};
    const std::string name = MakeNumberedName(parts, folder ? folder : "", extension ? extension : "");
    if (!name.empty())
        SetIntSetting(ids.next, parts.next);
    return CQzString(name.c_str());
}

}  // namespace shell
