#include "app/shell/settings/setting_table.h"

#include <cstdint>
#include <iterator>

#include "app/core/text/string_resource.h"

namespace shell {

namespace {

constexpr uint32_t kNoLimit = UINT32_MAX;

constexpr IntSetting Plain(SettingId id, uint32_t section, const char* name, int32_t value)
{
    return {id, section, name, value, ClampKind::None, 0, 0, 0};
}

constexpr IntSetting Flag(SettingId id, uint32_t section, const char* name, int32_t value)
{
    return {id, section, name, value, ClampKind::Unsigned, 0, 1, 0};
}

constexpr IntSetting Range(SettingId id, uint32_t section, const char* name, int32_t value, uint32_t low,
                           uint32_t high)
{
    return {id, section, name, value, ClampKind::Unsigned, low, high, 0};
}

constexpr uint32_t P = kSectionPreferences;
constexpr uint32_t G = kSectionGeneral;
constexpr uint32_t W = kSectionWindowPositions;
constexpr uint32_t A = kSectionAutoSave;
constexpr uint32_t S = kSectionSaveFinal;
constexpr uint32_t T = kSectionTimedExposure;
constexpr uint32_t C = kSectionCopySettings;
constexpr uint32_t M = kSectionMemory;

// In id order. Unsigned comparisons make a negative stored value very large.
constexpr IntSetting kIntSettings[] = {
    Flag(1041, P, "DisplaySettingsSection", 1),
    Flag(1042, P, "AutoOpenSettingsSection", 0),
    Flag(1043, P, "AutoRemoveThumbnail", 0),
    Flag(1044, P, "NextImageSettings", 0),
    Flag(1045, P, "OpenExternal", 0),
    Flag(1050, P, "ClearThumbnailsOnExit", 0),
    Flag(1052, P, "ConfirmDelete", 1),
    Range(1054, P, "AutoContrastClip", 50, 1, 999),
    Plain(1055, P, "BlackDropperValue", 0),
    Plain(1057, P, "WhiteDropperValue", 0xFFFFFF),
    Plain(1058, P, "NextThumbnailID", 1),
    Flag(1059, P, "ThumbnailLabel", 0),
    Plain(1060, P, "GridColor", 0),
    {1061, P, "GridSpacing", 100, ClampKind::PositiveOr, 0, 0, 100},
    Range(1062, P, "GridUnits", 1, 0, 5),
    {1063, P, "GridDivisions", 4, ClampKind::SignedRangeOr, 1, 100, 1},
    Flag(1066, P, "CameraAwakeTime", 0),
    Flag(1067, P, "CopyShootingData", 0),
    Range(1068, P, "DropperSampleSize", 0, 0, 2),
    Flag(1069, P, "AddToDatabase", 0),
    Range(1071, P, "DefaultFileSaveFormat", 1, 0, 6),
    Flag(1072, P, "ShowKelvin", 1),

    Range(1090, G, "LastOpenFormat", 1, 1, kNoLimit),
    Flag(1095, G, "AutoFitToWindow", 1),
    Range(1097, G, "CameraControlPage", 0, 0, 3),
    Range(1098, G, "UnsharpMaskShadowPoint", 55, 1, 253),
    Range(1099, G, "UnsharpMaskHighlightPoint", 200, 2, 254),
    Range(1101, G, "CursorMode", 0, 1, 3),
    Range(1102, G, "SizeResUnits", 1, 0, 5),
    Flag(1103, G, "SizeResResolutionUnits", 0),
    Plain(1104, G, "NextImageFileNumber", 1),
    Plain(1105, G, "ShootWarningDone", 0),
    Flag(1106, G, "FirstTimeInitialized", 0),
    Plain(1107, G, "LastThumbnail", 0),
    Plain(1108, G, "DeleteWarningDone", 0),
    Plain(1109, G, "PhotoshopWarningDone", 0),
    Flag(1110, G, "HideCameraCurvesWarning", 0),

    Flag(1130, W, "CameraImageVisible", 0),
    Flag(1131, W, "CurvesVisible", 1),
    Flag(1132, W, "UnsharpMaskVisible", 0),
    Flag(1133, W, "ColorAdjustmentVisible", 0),
    Flag(1134, W, "SizeResolutionVisible", 0),
    Flag(1135, W, "InfoVisible", 0),
    Flag(1136, W, "BirdsEyeVisible", 0),
    Flag(1137, W, "CameraControlVisible", 1),
    Flag(1138, W, "CameraImageThumbnailOpen", 0),
    Flag(1139, W, "CameraImageSettingsOpen", 0),
    Plain(1146, W, "NoiseReductionVisible", 0),
    Plain(1147, W, "ExposureAdjustVisible", 1),
    Plain(1148, W, "WBAdjustVisible", 1),
    Plain(1149, W, "ImageEnhancementsVisible", 1),

    Range(1156, A, "Length", 3, 2, 8),
    Plain(1157, A, "NextNumber", 1),
    Range(1158, A, "FileType", 0, 0, 6),
    Flag(1159, A, "UseCompression", 0),
    Range(1160, A, "Compression", 2, 0, 4),
    Plain(1161, A, "AddToDatabase", 0),
    Flag(1164, A, "BitDepth", 1),
    Flag(1165, A, "Source", 0),
    Flag(1166, A, "IncludeSubfolders", 0),
    Flag(1167, A, "ScanForNewFiles", 0),
    Flag(1168, A, "Delete", 0),
    Range(1169, A, "SettingsMethod", 1, 0, 2),
    Flag(1170, A, "IgnoreXQVSettings", 1),
    Flag(1171, A, "UseSourceFolder", 0),
    Flag(1172, A, "UseSourceFilename", 0),
    Flag(1173, A, "HideDeleteWarning", 0),

    Plain(1188, S, "Length", 3),
    Plain(1189, S, "NextNumber", 1),
    Flag(1190, S, "OpenExternal", 0),
    Range(1191, S, "FileType", 0, 0, 5),
    Range(1192, S, "Compression", 2, 0, 4),
    Plain(1193, S, "AddToDatabase", 0),
    Flag(1196, S, "BitDepth", 1),
    Flag(1197, S, "UseCompression", 0),

    Flag(1201, T, "Continuous", 0),
    Range(1202, T, "Shots", 2, 2, 9999),
    Range(1203, T, "Hours", 0, 0, 99),
    Range(1204, T, "Minutes", 0, 0, 59),
    Range(1205, T, "Seconds", 0, 0, 59),
    Flag(1206, T, "Autofocus", 1),
    Flag(1207, T, "AutoSave", 0),

    Flag(1217, C, "Curves", 1),
    Flag(1218, C, "ColorAdjustment", 1),
    Flag(1219, C, "UnsharpMask", 1),
    Flag(1220, C, "SizeResolution", 1),
    Flag(1221, C, "ExposureAdjustment", 1),
    Flag(1222, C, "WBAdjustment", 1),
    Flag(1223, C, "NoiseReduction", 1),

    Range(1233, M, "SavingPercent", 50, 10, 200),
    Range(1234, M, "DrawingPercent", 25, 10, 200),
    Plain(1235, M, "DrawingMinimum", 0),
    Plain(1236, M, "DrawingMaximum", 0),
    Plain(1237, M, "SavingMinimum", 0),
    Plain(1238, M, "SavingMaximum", 0),
};

constexpr StringSetting kStringSettings[] = {
    {1046, P, "ThumbnailFolder", StringDefault::ProgramFolderPlus, qz::StringId(8234), "Thumb"},
    {1047, P, "CMYKProfile", StringDefault::Text, 0, ""},
    {1048, P, "OpenExternalName", StringDefault::Text, 0, ""},
    {1049, P, "OpenExternalPath", StringDefault::Text, 0, ""},
    {1051, P, "TempFolder", StringDefault::TempFolder, 0, ""},
    {1053, P, "NextImageSettingsFile", StringDefault::ProgramFolderPlus, qz::StringId(16468), "Neutral.set"},
    {1064, P, "MonitorProfile", StringDefault::Text, 0, ""},
    {1065, P, "RGBProfile", StringDefault::Text, 0, ""},
    {1070, P, "DatabaseFile", StringDefault::Text, 0, ""},
    {1093, G, "LastOpenFolder", StringDefault::Documents, 0, ""},
    {1153, A, "DestinationPath", StringDefault::Documents, 0, ""},
    {1154, A, "Prefix", StringDefault::Text, qz::StringId(9740), "Img"},
    {1155, A, "Suffix", StringDefault::Text, 0, ""},
    {1162, A, "SourcePath", StringDefault::Documents, 0, ""},
    {1163, A, "SettingsFile", StringDefault::ProgramFolderPlus, 0, "Neutral.set"},
    {1185, S, "Path", StringDefault::Documents, 0, ""},
    {1186, S, "Prefix", StringDefault::Text, 0, "Img"},
    {1187, S, "Suffix", StringDefault::Text, 0, ""},
};

struct WindowPosition {
    SettingId id;
    const char* name;
};

constexpr WindowPosition kWindowPositions[] = {
    {1121, "Main"},           {1122, "CameraImage"},    {1123, "Curves"},
    {1124, "UnsharpMask"},    {1125, "ColorAdjustment"}, {1126, "SizeResolution"},
    {1127, "Info"},           {1128, "BirdsEye"},       {1129, "CameraControl"},
    {1141, "NoiseReduction"}, {1142, "ExposureAdjust"}, {1143, "WBAdjust"},
    {1144, "ImageEnhancements"},
};

}  // namespace

const char* SectionName(uint32_t section)
{
    switch (section) {
    case kSectionPreferences: return "Preferences";
    case kSectionGeneral: return "General";
    case kSectionWindowPositions: return "WindowPositions";
    case kSectionAutoSave: return "AutoSave";
    case kSectionSaveFinal: return "SaveFinal";
    case kSectionTimedExposure: return "TimedExposure";
    case kSectionCopySettings: return "CopySettings";
    case kSectionMemory: return "Memory";
    default: return nullptr;
    }
}

const IntSetting* FindIntSetting(SettingId id)
{
    for (const IntSetting& setting : kIntSettings)
        if (setting.id == id)
            return &setting;
    return nullptr;
}

const StringSetting* FindStringSetting(SettingId id)
{
    for (const StringSetting& setting : kStringSettings)
        if (setting.id == id)
            return &setting;
    return nullptr;
}

int32_t ClampSetting(const IntSetting& setting, int32_t value)
{
    switch (setting.clamp) {
    case ClampKind::Unsigned: {
        const uint32_t u = static_cast<uint32_t>(value);
        if (u < setting.low)
            return static_cast<int32_t>(setting.low);
        if (u > setting.high)
            return static_cast<int32_t>(setting.high);
        return value;
    }
    case ClampKind::PositiveOr:
        return value <= 0 ? setting.replacement : value;
    case ClampKind::SignedRangeOr:
        return value < static_cast<int32_t>(setting.low) || value > static_cast<int32_t>(setting.high)
                   ? setting.replacement
                   : value;
    case ClampKind::None:
        break;
    }
    return value;
}

const char* WindowPositionName(SettingId id)
{
    for (const WindowPosition& position : kWindowPositions)
        if (position.id == id)
            return position.name;
    return nullptr;
}

const IntSetting* IntSettingsBegin()
{
    return std::begin(kIntSettings);
}

const IntSetting* IntSettingsEnd()
{
    return std::end(kIntSettings);
}

}  // namespace shell
