// The update tool's run, start to end, over the system seam.
#pragma once

#include <string>
#include <vector>

#include "updater/update_system.h"

namespace fixwell {

// Installed versions the update takes, and what it installs for them.
enum class UpdateMode { kFrom2000 = 0, kFrom2010 = 1, kOther = 2 };

// The monitor windows' title ends: the last n characters of a title, n the
// name's length; a shorter title never matches.
bool TitleEndsWith(const std::string& title, const std::string& name);
void CloseMonitors(IUpdateSystem& system);

// Empty when the system passes, else the message to show.
std::string SystemTestMessage(IUpdateSystem& system, bool& nt);
// "\n" and "\t" written as two characters become a line break and a tab.
std::string ExpandEscapes(const std::string& text);

// The language test: `wanted` is string 7, `installed` the "%04x" of the
// first translation's language.
bool LanguageMatches(const std::string& wanted, const std::string& installed);

// Case-insensitive string order, as the installed copies were compared.
int CompareNoCase(const std::string& a, const std::string& b);
// Null when the version is outside the window the update takes.
std::optional<UpdateMode> ModeForVersion(const std::string& fileVersion);

// The monitor to start again, by the browser's "Version".
std::string MonitorProgram(const RegistryString& version);

struct InstallOutcome {
    bool noRestartNeeded = true;
    std::vector<std::string> failed;  // target names of the files that could not be copied
};

class UpdateRun {
public:
    explicit UpdateRun(IUpdateSystem& system) : system_(system) {}

    // Every step; the monitor is started again whatever happened before.
    void Run();

    // The steps, for the tests.
    bool CheckAndConfirm();
    InstallOutcome Install();
    void StartMonitor();

    std::string installFolder;
    bool nt = false;
    UpdateMode mode = UpdateMode::kOther;

private:
    void Show(const std::string& text, unsigned type = 0);
    struct FileEntry;
    bool InstallOne(const FileEntry& file, bool tracked, InstallOutcome& outcome);
    bool TargetFolder(int kind, std::string& folder);

    IUpdateSystem& system_;
};

}  // namespace fixwell
