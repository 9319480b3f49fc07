// What the update tool asks of the operating system, one call a service, so
// that the run's decisions are the same natively (against a fake) and in
// the program (over Win32).
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace fixwell {

constexpr uint32_t kPlatformWin9x = 1;  // VER_PLATFORM_WIN32_WINDOWS
constexpr uint32_t kPlatformNT = 2;     // VER_PLATFORM_WIN32_NT

struct OsVersion {
    uint32_t major = 0;
    uint32_t minor = 0;
    uint32_t build = 0;
    uint32_t platform = 0;
    std::string servicePack;  // the service-pack text (szCSDVersion)
};

// One entry of a file's "\VarFileInfo\Translation", with the "FileVersion"
// string of its block when there is one.
struct Translation {
    uint16_t language = 0;
    uint16_t codePage = 0;
    std::optional<std::string> fileVersion;
};

struct FileVersionInfo {
    std::vector<Translation> translations;  // in the order listed
};

// A registry string: read into a buffer with one spare byte that is always
// terminated, so a value that fills the buffer is told from one that fits.
struct RegistryString {
    enum Status { kOk, kMissing, kTooLong };
    Status status = kMissing;
    std::string text;
};

struct CopyResult {
    bool copied = false;    // the call succeeded
    bool inUse = false;     // the target was in use: replaced at the next restart
    uint32_t error = 0;     // the system's error when the call failed; 0 = not newer, skipped
};

using WindowId = uintptr_t;

class IUpdateSystem {
public:
    virtual ~IUpdateSystem() = default;

    // Top-level windows in the desktop's order, their texts (up to 260
    // characters) and the close request (WM_SYSCOMMAND, SC_CLOSE).
    virtual std::vector<WindowId> TopLevelWindows() = 0;
    virtual std::string WindowText(WindowId window) = 0;
    virtual void SendClose(WindowId window) = 0;

    virtual std::optional<OsVersion> GetVersion() = 0;
    // The user is a member of the Administrators group (the access check).
    virtual bool IsAdministrator() = 0;

    virtual std::string LoadText(unsigned id) = 0;
    // MB_ codes in, ID codes out; the caption is string 1.
    virtual int ShowMessageBox(const std::string& text, const std::string& caption, unsigned type) = 0;

    // The folder in which the product is installed, when the system knows it.
    virtual std::optional<std::string> InstalledProductFolder() = 0;
    // Null when the file has no version information.
    virtual std::optional<FileVersionInfo> ReadVersionInfo(const std::string& path) = 0;

    // HKLM `key`, each value read while the key is open; `bytes` is the
    // longest value taken, its terminator included.
    virtual std::vector<RegistryString> ReadMachineStrings(const std::string& key,
                                                           const std::vector<std::pair<std::string, size_t>>& values) = 0;

    // PathAppendA: false when the result does not fit.
    virtual bool AppendPath(std::string& path, const std::string& more) = 0;
    virtual std::string CurrentFolder() = 0;
    virtual std::string SystemFolder() = 0;
    virtual std::string WindowsFolder() = 0;

    virtual bool FileExists(const std::string& path) = 0;
    virtual void SetArchiveAttribute(const std::string& path) = 0;
    virtual void SetNormalAttribute(const std::string& path) = 0;
    virtual void RemoveFile(const std::string& path) = 0;
    // SetupInstallFileExA with copy style 0x2040, no INF, no callback.
    virtual CopyResult InstallFile(const std::string& source, const std::string& target) = 0;
    virtual void PromptReboot() = 0;
    // CreateProcessA: no command line, no inherited handles, flags 0x30, shown normally.
    virtual bool StartProgram(const std::string& path) = 0;
};

}  // namespace fixwell
