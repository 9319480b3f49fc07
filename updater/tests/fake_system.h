// A system for the update run's tests: every answer set by the test, every
// request recorded.
#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

#include "updater/update_ids.h"
#include "updater/update_system.h"

namespace fixwell::test {

class FakeSystem : public IUpdateSystem {
public:
    FakeSystem()
    {
        strings = {
            {IDS_CAPTION, "Information"},
            {IDS_NOT_COMPATIBLE, "This updater is not compatible with this operating system."},
            {IDS_NOT_ADMINISTRATOR, "You need administrator privileges to install or uninstall this "
                                    "software.\\nLog in as an administrator, or contact your computer's administrator."},
            {IDS_NOT_INSTALLED, "Tessaline has not been installed properly."},
            {IDS_LANGUAGE, "0409"},
            {IDS_OTHER_LANGUAGE, "A different language version of Tessaline is already installed."},
            {IDS_NEWER_INSTALLED, "A version newer than the one about to be installed is already installed."},
            {IDS_CONFIRM, "Update to Ver.2.0.3?"},
            {IDS_COMPLETED, "Update has been completed. Exiting updater."},
            {IDS_README, "Readme.wri"},
            {IDS_README2, "Readme2.wri"},
            {IDS_COPY_FAILED, "These files could not be installed:\n%s"},
        };
        version = OsVersion{5, 1, 2600, kPlatformNT, "Service Pack 2"};
        productFolder = "C:\\Tess";
        SetInstalledVersion("2, 0, 0, 3009");
    }

    void SetInstalledVersion(const std::string& fileVersion, uint16_t language = 0x0409)
    {
        versionInfo["C:\\Tess\\Tessaline.exe"] = FileVersionInfo{{{language, 0x04b0, fileVersion}}};
    }

    std::vector<WindowId> TopLevelWindows() override
    {
        std::vector<WindowId> ids;
        for (size_t i = 0; i < windowTitles.size(); ++i)
            ids.push_back(i + 1);
        return ids;
    }
    std::string WindowText(WindowId window) override { return windowTitles.at(window - 1); }
    void SendClose(WindowId window) override { closed.push_back(windowTitles.at(window - 1)); }

    std::optional<OsVersion> GetVersion() override
    {
        ++versionCalls;
        if (versionFailures > 0) {
            --versionFailures;
            return std::nullopt;
        }
        return version;
    }
    bool IsAdministrator() override { return administrator; }

    std::string LoadText(unsigned id) override { return strings.at(id); }
    int ShowMessageBox(const std::string& text, const std::string& caption, unsigned type) override
    {
        shown.push_back(text);
        captions.push_back(caption);
        return type == 4 ? answer : 1;
    }

    std::optional<std::string> InstalledProductFolder() override { return productFolder; }
    std::optional<FileVersionInfo> ReadVersionInfo(const std::string& path) override
    {
        auto it = versionInfo.find(path);
        if (it == versionInfo.end())
            return std::nullopt;
        return it->second;
    }

    std::vector<RegistryString> ReadMachineStrings(const std::string& key,
                                                   const std::vector<std::pair<std::string, size_t>>& values) override
    {
        std::vector<RegistryString> out;
        for (const auto& [name, bytes] : values) {
            RegistryString value;
            auto it = registry.find(key + "|" + name);
            if (it != registry.end()) {
                value.status = it->second.size() + 1 > bytes ? RegistryString::kTooLong : RegistryString::kOk;
                if (value.status == RegistryString::kOk)
                    value.text = it->second;
            }
            out.push_back(value);
        }
        return out;
    }

    bool AppendPath(std::string& path, const std::string& more) override
    {
        std::string joined = path;
        if (!joined.empty() && joined.back() != '\\')
            joined += '\\';
        joined += more;
        if (joined.size() >= 260)
            return false;
        path = joined;
        return true;
    }
    std::string CurrentFolder() override { return "D:\\New"; }
    std::string SystemFolder() override { return "C:\\WINNT\\system32"; }
    std::string WindowsFolder() override { return "C:\\WINDOWS"; }

    bool FileExists(const std::string& path) override { return files.count(path) != 0; }
    void SetArchiveAttribute(const std::string& path) override { archived.push_back(path); }
    void SetNormalAttribute(const std::string&) override {}
    void RemoveFile(const std::string& path) override { deleted.push_back(path); }
    CopyResult InstallFile(const std::string& source, const std::string& target) override
    {
        copies.push_back({source, target});
        auto it = copyResults.find(target);
        return it != copyResults.end() ? it->second : CopyResult{true, false, 0};
    }
    void PromptReboot() override { ++rebootPrompts; }
    bool StartProgram(const std::string& path) override
    {
        started.push_back(path);
        return true;
    }

    // Answers and state.
    std::vector<std::string> windowTitles;
    OsVersion version;
    int versionFailures = 0;
    bool administrator = true;
    std::map<unsigned, std::string> strings;
    int answer = 6;  // IDYES
    std::optional<std::string> productFolder;
    std::map<std::string, FileVersionInfo> versionInfo;
    std::map<std::string, std::string> registry;  // "key|value" -> text
    std::set<std::string> files;
    std::map<std::string, CopyResult> copyResults;  // by target path

    // Requests seen.
    std::vector<std::string> closed;
    int versionCalls = 0;
    std::vector<std::string> shown;
    std::vector<std::string> captions;
    std::vector<std::string> archived;
    std::vector<std::string> deleted;
    std::vector<std::pair<std::string, std::string>> copies;
    int rebootPrompts = 0;
    std::vector<std::string> started;
};

}  // namespace fixwell::test
