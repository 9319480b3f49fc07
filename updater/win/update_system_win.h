// The update tool's system seam over Win32, the Setup API and the
// security functions.
#pragma once

#include <windows.h>

#include "updater/update_system.h"

namespace fixwell {

class CUpdateSystemWin : public IUpdateSystem {
public:
    explicit CUpdateSystemWin(HINSTANCE instance) : m_instance(instance) {}

    std::vector<WindowId> TopLevelWindows() override;
    std::string WindowText(WindowId window) override;
    void SendClose(WindowId window) override;
    std::optional<OsVersion> GetVersion() override;
    bool IsAdministrator() override;
    std::string LoadText(unsigned id) override;
    int ShowMessageBox(const std::string& text, const std::string& caption, unsigned type) override;
    std::optional<std::string> InstalledProductFolder() override;
    std::optional<FileVersionInfo> ReadVersionInfo(const std::string& path) override;
    std::vector<RegistryString> ReadMachineStrings(const std::string& key,
                                                   const std::vector<std::pair<std::string, size_t>>& values) override;
    bool AppendPath(std::string& path, const std::string& more) override;
    std::string CurrentFolder() override;
    std::string SystemFolder() override;
    std::string WindowsFolder() override;
    bool FileExists(const std::string& path) override;
    void SetArchiveAttribute(const std::string& path) override;
    void SetNormalAttribute(const std::string& path) override;
    void RemoveFile(const std::string& path) override;
    CopyResult InstallFile(const std::string& source, const std::string& target) override;
    void PromptReboot() override;
    bool StartProgram(const std::string& path) override;

private:
    HINSTANCE m_instance;
};

}  // namespace fixwell
