#include "app/shell/batch/batch_start_checks.h"

#include <cstring>

namespace shell {

namespace {

std::string WithBackslash(const std::string& folder)
{
    return !folder.empty() && folder.back() == '\\' ? folder : folder + '\\';
}

bool HasForbidden(const std::string& text, const std::string& forbidden)
{
    return text.find_first_of(forbidden) != std::string::npos;
}

// "\ / : * ? ..." as the messages list them: each character and a blank.
std::string ListCharacters(const char* characters)
{
    std::string list;
    for (const char* c = characters; *c; ++c) {
        list += *c;
        list += ' ';
    }
    return list;
}

// Check 4: the naming scheme on the target folder's volume, prefix first.
uint32_t CheckNaming(const BatchStartChoices& choices, bool longNames, std::string* argument)
{
    if (!longNames) {
        const int64_t total = static_cast<int64_t>(choices.prefix.size()) +
                              static_cast<int64_t>(choices.suffix.size()) + choices.length;
        if (total > 8)
            return kStartShortNameTooLong;
    }
    // A volume without long names takes no blanks either.
    const std::string forbidden = longNames ? kLongNameForbidden : std::string(kShortNameForbidden) + ' ';
    for (const std::string* part : {&choices.prefix, &choices.suffix}) {
        if (HasForbidden(*part, forbidden)) {
            *argument = ListCharacters(longNames ? kLongNameForbidden : kShortNameForbidden);
            return longNames ? kStartNameCharacters : kStartShortNameCharacters;
        }
    }
    return 0;
}

const char* TypeExtension(int32_t fileType)
{
    switch (fileType) {
    case 1: return "xqv";
    case 2: return "bmp";
    case 3:
    case 4: return "jpg";
    case 5:
    case 6: return "tif";
    default: return nullptr;
    }
}

}  // namespace

const std::string& BatchTargetFolder(const BatchStartChoices& choices)
{
    return choices.useSourceFolder ? choices.sourceFolder : choices.destinationFolder;
}

std::string SourceNamedTarget(const std::string& folder, const std::string& sourcePath, int32_t fileType)
{
    const size_t slash = sourcePath.find_last_of("\\:");
    std::string name = slash == std::string::npos ? sourcePath : sourcePath.substr(slash + 1);
    if (const char* extension = TypeExtension(fileType)) {
        const size_t dot = name.rfind('.');
        name = dot == std::string::npos ? name + '.' + extension : name.substr(0, dot + 1) + extension;
    }
    return WithBackslash(folder) + name;
}

BatchStartResult CheckBatchStart(const BatchStartChoices& choices, const BatchStartFileSystem& fs)
{
    BatchStartResult result;
    // 1. Every output would land on its own source, which is then deleted.
    if (choices.useSourceFolder && choices.useSourceFileName && choices.fileType == 0 && choices.deleteSources) {
        result.refusal = kStartDeleteWithSameOutput;
        return result;
    }
    // 2. A stored path too long for the run's record names no folder we could use.
    if (choices.sourceIsFolder &&
        (choices.sourceFolder.empty() || choices.sourceFolder.size() > kMaxStoredPath ||
         !fs.folderExists(choices.sourceFolder.c_str()))) {
        result.refusal = kStartSourceFolderInvalid;
        return result;
    }
    // 3. The write test.
    const std::string& target = BatchTargetFolder(choices);
    if (target.empty() || target.size() > kMaxStoredPath || !fs.canCreateFiles(target.c_str())) {
        result.refusal = kStartCannotWrite;
        return result;
    }
    // 4. Numbered names.
    if (!choices.useSourceFileName) {
        result.refusal = CheckNaming(choices, fs.longFileNames(target.c_str()), &result.argument);
        if (result.refusal)
            return result;
    }
    // 5. The settings file.
    if (choices.settingsMethod == 2 &&
        (choices.settingsFile.empty() || choices.settingsFile.size() > kMaxStoredPath ||
         !fs.fileExists(choices.settingsFile.c_str()))) {
        result.refusal = kStartSettingsFileInvalid;
        return result;
    }
    // 6. Source names that would replace existing files.
    if (choices.useSourceFileName && choices.sourceIsFolder) {
        for (const std::string& source : fs.listSources(choices.sourceFolder.c_str(), choices.includeSubfolders)) {
            if (fs.fileExists(SourceNamedTarget(target, source, choices.fileType).c_str())) {
                result.askOverwrite = true;
                break;
            }
        }
    }
    // 7. The delete warning.
    result.askDelete = choices.sourceIsFolder && choices.deleteSources && !choices.hideDeleteWarning;
    return result;
}

}  // namespace shell
