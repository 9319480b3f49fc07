#include "updater/update_run.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

#include "updater/update_ids.h"

namespace fixwell {

namespace {

constexpr unsigned kYesNo = 4;  // MB_YESNO
constexpr int kYes = 6;         // IDYES

const char* const kMonitorNames[] = {"OmbrelWatch", "OmbrelMon"};
const char* const kMainProgram = "Tessaline.exe";
const char* const kBrowserKey = "SOFTWARE\\Korva\\Ombrel";
constexpr size_t kInstallDirBytes = 259;
constexpr size_t kBrowserVersionBytes = 28;
constexpr size_t kMaxFolder = 260;

}  // namespace

bool TitleEndsWith(const std::string& title, const std::string& name)
{
    if (title.size() < name.size())
        return false;
    return title.compare(title.size() - name.size(), name.size(), name) == 0;
}

void CloseMonitors(IUpdateSystem& system)
{
    // Collected first: a monitor that closes while the walk goes on would
    // otherwise end the walk before the next one is seen.
    std::vector<WindowId> monitors;
    for (WindowId window : system.TopLevelWindows()) {
        const std::string title = system.WindowText(window);
        for (const char* name : kMonitorNames) {
            if (TitleEndsWith(title, name)) {
                monitors.push_back(window);
                break;
            }
        }
    }
    for (WindowId window : monitors)
        system.SendClose(window);
}

std::string ExpandEscapes(const std::string& text)
{
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size() && (text[i + 1] == 'n' || text[i + 1] == 't')) {
            out += text[i + 1] == 'n' ? '\n' : '\t';
            ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

std::string SystemTestMessage(IUpdateSystem& system, bool& nt)
{
    std::optional<OsVersion> version = system.GetVersion();
    if (!version)
        version = system.GetVersion();
    if (!version)
        return system.LoadText(IDS_NOT_COMPATIBLE);
    if (version->platform == kPlatformWin9x) {
        nt = false;
        // The 9x systems give their version again in the build number's high bytes.
        const uint32_t major = (version->build >> 24) & 0xFF;
        const uint32_t minor = (version->build >> 16) & 0xFF;
        const std::string& pack = version->servicePack;
        if (major == 4 && ((minor == 10 && pack.size() >= 2 && pack[1] == 'A') || minor == 90))
            return "";
        return system.LoadText(IDS_NOT_COMPATIBLE);
    }
    if (version->platform == kPlatformNT) {
        nt = true;
        if (version->major == 5 && (version->minor == 0 || version->minor == 1)) {
            if (system.IsAdministrator())
                return "";
            return ExpandEscapes(system.LoadText(IDS_NOT_ADMINISTRATOR));
        }
    }
    return system.LoadText(IDS_NOT_COMPATIBLE);
}

int CompareNoCase(const std::string& a, const std::string& b)
{
    const size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        const int ca = std::tolower(static_cast<unsigned char>(a[i]));
        const int cb = std::tolower(static_cast<unsigned char>(b[i]));
        if (ca != cb)
            return ca < cb ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

bool LanguageMatches(const std::string& wanted, const std::string& installed)
{
    if (CompareNoCase(installed, wanted) == 0)
        return true;
    return CompareNoCase(wanted, "0411") != 0 && CompareNoCase(installed, "0409") == 0;
}

std::optional<UpdateMode> ModeForVersion(const std::string& fileVersion)
{
    // String order, not number order: the installed copies were compared so.
    if (CompareNoCase(fileVersion, "2, 0, 0, 3000") <= 0 || CompareNoCase(fileVersion, "2, 0, 3, 3000") >= 0)
        return std::nullopt;
    if (CompareNoCase(fileVersion, "2, 0, 0, 3009") == 0)
        return UpdateMode::kFrom2000;
    if (CompareNoCase(fileVersion, "2, 0, 1, 3000") == 0)
        return UpdateMode::kFrom2010;
    return UpdateMode::kOther;
}

std::string MonitorProgram(const RegistryString& version)
{
    const std::string text = version.status == RegistryString::kOk ? version.text : std::string();
    return CompareNoCase(text, "5.0.0.1000") < 0 ? "OmbrelWatch.exe" : "OmbrelMon.exe";
}

void UpdateRun::Show(const std::string& text, unsigned type)
{
    system_.ShowMessageBox(text, system_.LoadText(IDS_CAPTION), type);
}

bool UpdateRun::CheckAndConfirm()
{
    const std::string systemMessage = SystemTestMessage(system_, nt);
    if (!systemMessage.empty()) {
        Show(systemMessage);
        return false;
    }

    const std::optional<std::string> folder = system_.InstalledProductFolder();
    std::string program = folder ? *folder : std::string();
    if (!folder || folder->empty() || folder->size() > kMaxFolder || !system_.AppendPath(program, kMainProgram)) {
        Show(system_.LoadText(IDS_NOT_INSTALLED));
        return false;
    }
    installFolder = *folder;
    const std::optional<FileVersionInfo> info = system_.ReadVersionInfo(program);

    // Without version information or a translation the language cannot be
    // told; the version test below reports the program as not installed.
    if (info && !info->translations.empty()) {
        char language[8];
        std::snprintf(language, sizeof language, "%04x", static_cast<unsigned>(info->translations.front().language));
        if (!LanguageMatches(system_.LoadText(IDS_LANGUAGE), language)) {
            Show(system_.LoadText(IDS_OTHER_LANGUAGE));
            return false;
        }
    }

    std::optional<std::string> fileVersion;
    if (info) {
        for (const Translation& translation : info->translations)
            if (translation.fileVersion)
                fileVersion = translation.fileVersion;
    }
    if (!fileVersion) {
        Show(system_.LoadText(IDS_NOT_INSTALLED));
        return false;
    }
    const std::optional<UpdateMode> accepted = ModeForVersion(*fileVersion);
    if (!accepted) {
        Show(system_.LoadText(IDS_NEWER_INSTALLED));
        return false;
    }
    mode = *accepted;

    return system_.ShowMessageBox(system_.LoadText(IDS_CONFIRM), system_.LoadText(IDS_CAPTION), kYesNo) == kYes;
}

struct UpdateRun::FileEntry {
    std::string source;
    std::string target;
    int kind;  // 0 install folder, 1 camera modules, 2 drivers, 3 profiles
};

bool UpdateRun::TargetFolder(int kind, std::string& folder)
{
    switch (kind) {
    case 0:
        folder = installFolder;
        return true;
    case 1:
    case 3: {
        const std::vector<RegistryString> common =
            system_.ReadMachineStrings("SOFTWARE\\Microsoft\\Windows\\CurrentVersion", {{"CommonFilesDir", kMaxFolder}});
        if (common.empty() || common[0].status != RegistryString::kOk)
            return false;
        folder = common[0].text;
        return system_.AppendPath(folder, "Korva") && system_.AppendPath(folder, kind == 1 ? "KavoMods" : "Profiles");
    }
    default:
        if (nt) {
            folder = system_.SystemFolder();
            return system_.AppendPath(folder, "Drivers");
        }
        folder = system_.WindowsFolder();
        return system_.AppendPath(folder, "System32") && system_.AppendPath(folder, "Drivers");
    }
}

// True when no restart is needed for this file.
bool UpdateRun::InstallOne(const FileEntry& file, bool tracked, InstallOutcome& outcome)
{
    std::string source = system_.CurrentFolder();
    std::string target;
    if (!system_.AppendPath(source, file.source) || !TargetFolder(file.kind, target) ||
        !system_.AppendPath(target, file.target)) {
        outcome.failed.push_back(file.target);
        return true;
    }
    system_.SetNormalAttribute(target);
    const CopyResult result = system_.InstallFile(source, target);
    // Not copied with no error: the target is as new, skipped on purpose.
    if (!result.copied && result.error != 0)
        outcome.failed.push_back(target);
    return !(tracked && result.copied && result.inUse);
}

InstallOutcome UpdateRun::Install()
{
    InstallOutcome outcome;
    system_.SetArchiveAttribute(installFolder);

    std::string readme1 = system_.LoadText(IDS_README), readme2 = system_.LoadText(IDS_README2);
    std::string existing = installFolder;
    if (system_.AppendPath(existing, "Readme.wri") && system_.FileExists(existing)) {
        readme1 = "Readme.wri";
        readme2 = "Readme2.wri";
    }

    const FileEntry before[] = {
        {"QUARNI~1.DLL", "Quarnite3.dll", 0}, {"CamCurve.bin", "CamCurve.bin", 0},
        {"QRV3.dll", "QRV3.dll", 0},          {"Tessaline.chm", "Tessaline.chm", 0},
        {"Tessaline.hlp", "Tessaline.hlp", 0}, {"Neutral.set", "Neutral.set", 0},
        {"KOLVEX~1.DLL", "Kolvex.dll", 0},    {"Vorlat2.dll", "Vorlat2.dll", 0},
        {"Readme.wri", readme1, 0},           {"Readme2.wri", readme2, 0},
    };
    for (const FileEntry& file : before)
        InstallOne(file, false, outcome);

    bool noRestart = InstallOne({kMainProgram, kMainProgram, 0}, true, outcome);
    if (mode != UpdateMode::kOther) {
        const FileEntry camera[] = {
            {"M4_Mod.kv3", "M4_Mod.kv3", 1}, {"M4_Drv.dll", "M4_Drv.dll", 1}, {"KorvaDx.sys", "KorvaDx.sys", 2}};
        // Once one file waits for a restart the rest need not be watched.
        for (const FileEntry& file : camera) {
            if (noRestart)
                noRestart = InstallOne(file, true, outcome);
            else
                InstallOne(file, false, outcome);
        }
    }
    InstallOne({"QZLch2.icm", "QZLch2.icm", 3}, false, outcome);

    std::string old = installFolder;
    if (system_.AppendPath(old, "Quarnite.dll"))
        system_.RemoveFile(old);
    outcome.noRestartNeeded = noRestart;
    return outcome;
}

void UpdateRun::StartMonitor()
{
    const std::vector<RegistryString> values =
        system_.ReadMachineStrings(kBrowserKey, {{"InstallDir", kInstallDirBytes}, {"Version", kBrowserVersionBytes}});
    if (values.size() != 2 || values[0].status != RegistryString::kOk)
        return;
    std::string program = values[0].text;
    if (!system_.AppendPath(program, MonitorProgram(values[1])))
        return;
    system_.StartProgram(program);
}

void UpdateRun::Run()
{
    CloseMonitors(system_);
    if (CheckAndConfirm()) {
        const InstallOutcome outcome = Install();
        if (!outcome.failed.empty()) {
            std::string names;
            for (const std::string& name : outcome.failed)
                names += (names.empty() ? "" : "\n") + name;
            std::string text = system_.LoadText(IDS_COPY_FAILED);
            const size_t at = text.find("%s");
            if (at != std::string::npos)
                text.replace(at, 2, names);
            Show(text);
        } else if (outcome.noRestartNeeded) {
            Show(system_.LoadText(IDS_COMPLETED));
        }
        if (!outcome.noRestartNeeded)
            system_.PromptReboot();
    }
    StartMonitor();
}

}  // namespace fixwell
