// The checks that the batch dialog's Start runs before it stores anything:
// each refusal is a string-table message, tested in a fixed order. The file
// system is reached through a small seam so that the order and the messages
// can be tested without a disk.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace shell {

// Refusal messages of Start.
constexpr uint32_t kStartDeleteWithSameOutput = 9645;
constexpr uint32_t kStartSourceFolderInvalid = 9648;
constexpr uint32_t kStartCannotWrite = 9644;
constexpr uint32_t kStartShortNameTooLong = 9641;
constexpr uint32_t kStartShortNameCharacters = 9643;
constexpr uint32_t kStartNameCharacters = 9642;
constexpr uint32_t kStartSettingsFileInvalid = 9649;
// The two questions.
constexpr uint32_t kStartAskOverwrite = 9650;
constexpr uint32_t kStartAskDelete = 9646;

// What Start reads from the dialog and the "AutoSave" naming settings.
struct BatchStartChoices {
    bool sourceIsFolder = false;
    std::string sourceFolder;
    bool includeSubfolders = false;
    bool deleteSources = false;
    int32_t settingsMethod = 1;
    std::string settingsFile;
    bool useSourceFolder = false;
    bool useSourceFileName = false;
    std::string destinationFolder;
    int32_t fileType = 0;
    std::string prefix;
    std::string suffix;
    int32_t length = 3;
    bool hideDeleteWarning = false;
};

struct BatchStartFileSystem {
    bool (*folderExists)(const char* folder);
    bool (*fileExists)(const char* path);
    // A file can be made, written and deleted in the folder.
    bool (*canCreateFiles)(const char* folder);
    // The folder's volume takes names longer than 8.3.
    bool (*longFileNames)(const char* folder);
    // The image files a batch would take from the folder.
    std::vector<std::string> (*listSources)(const char* folder, bool subfolders);
};


// The longest path a stored folder or file may have: the run's record holds
// 260 characters with the terminator.
constexpr size_t kMaxStoredPath = 259;

struct BatchStartResult {
    // 0 when every refusal passed; else the message to show.
    uint32_t refusal = 0;
    // The %1 of the forbidden-character messages: each character and a blank.
    std::string argument;
    // Questions to ask, in order, before storing.
    bool askOverwrite = false;
    bool askDelete = false;
};

// Checks 1 to 7 of Start: the refusals in their order, then which questions
// apply. The questions are found only when no refusal stands.
BatchStartResult CheckBatchStart(const BatchStartChoices& choices, const BatchStartFileSystem& fs);

// The folder the outputs go to: the source folder with "Use source folder".
const std::string& BatchTargetFolder(const BatchStartChoices& choices);

// A source's output under its own name in `folder`: the text after the last
// "." of the name becomes the type's extension, unless the type is 0.
std::string SourceNamedTarget(const std::string& folder, const std::string& sourcePath, int32_t fileType);

// The characters a file name may not hold, on volumes with and without long names.
constexpr const char* kLongNameForbidden = "\\/:*?\"<>|";
constexpr const char* kShortNameForbidden = "\\/:,;*?\"<>|";

}  // namespace shell
