// The program's settings: each is named by a string-table id whose text is
// its registry value name, and belongs to a section (a subkey) with a type,
// a default and a clamp.
#pragma once

#include <cstdint>

namespace shell {

using SettingId = uint32_t;

// Sections: the string id and its subkey name.
constexpr uint32_t kSectionPreferences = 1040;
constexpr uint32_t kSectionGeneral = 1088;
constexpr uint32_t kSectionWindowPositions = 1120;
constexpr uint32_t kSectionAutoSave = 1152;
constexpr uint32_t kSectionSaveFinal = 1184;
constexpr uint32_t kSectionTimedExposure = 1200;
constexpr uint32_t kSectionCopySettings = 1216;
constexpr uint32_t kSectionMemory = 1232;

const char* SectionName(uint32_t section);

// Scopes of the registry store.
constexpr int32_t kScopeMachine = 0;
constexpr int32_t kScopeUser = 1;

enum class ClampKind : uint8_t {
    None,
    Unsigned,        // below low becomes low, above high becomes high (unsigned)
    PositiveOr,      // signed: 0 or negative becomes `replacement`
    SignedRangeOr,   // signed: outside low..high becomes `replacement`
};

struct IntSetting {
    SettingId id;
    uint32_t section;
    const char* name;
    int32_t defaultValue;
    ClampKind clamp;
    uint32_t low;
    uint32_t high;
    int32_t replacement;
};

// How a string setting's default is made; each is worked out at every call.
enum class StringDefault : uint8_t {
    Text,              // the text itself
    ProgramFolderPlus, // the program folder followed by the text
    TempFolder,        // the system's temporary folder, no trailing backslash
    Documents,         // the user's documents folder
};

struct StringSetting {
    SettingId id;
    uint32_t section;
    const char* name;
    StringDefault kind;
    uint32_t textId;   // string-table id of the default text; 0: `text` only
    const char* text;  // the text, also when the string table lacks it
};

// Null for ids that are not settings of that type.
const IntSetting* FindIntSetting(SettingId id);
const StringSetting* FindStringSetting(SettingId id);

// The value as stored: clamped after every read and before every write.
int32_t ClampSetting(const IntSetting& setting, int32_t value);

// The stored window positions (section "WindowPositions"); null for others.
const char* WindowPositionName(SettingId id);

// Every integer setting.
const IntSetting* IntSettingsBegin();
const IntSetting* IntSettingsEnd();

}  // namespace shell
