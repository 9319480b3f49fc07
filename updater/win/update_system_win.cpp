#include "updater/win/update_system_win.h"

#include <setupapi.h>
#include <shlwapi.h>

#include <cstdio>
#include <cstring>

namespace fixwell {

namespace {

// A monitor that does not answer must not hold the update up.
constexpr UINT kCloseTimeoutMs = 5000;

// The program's folder, as the product's installer registers the program.
const char* const kAppPathKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Tessaline.exe";

std::string FolderText(UINT (WINAPI *get)(LPSTR, UINT))
{
    char folder[MAX_PATH] = "";
    const UINT length = get(folder, MAX_PATH);
    return length > 0 && length < MAX_PATH ? std::string(folder, length) : std::string();
}

// Answers as a call without a callback does: a target that is as new or
// newer is kept, without a prompt. Wine calls the callback without testing
// for one, so the tool always passes this one.
UINT CALLBACK KeepNewerTargets(PVOID, UINT notification, UINT_PTR, UINT_PTR)
{
    return notification == SPFILENOTIFY_TARGETNEWER || notification == SPFILENOTIFY_TARGETEXISTS ? FALSE : TRUE;
}

}  // namespace

std::vector<WindowId> CUpdateSystemWin::TopLevelWindows()
{
    std::vector<WindowId> windows;
    for (HWND window = GetWindow(GetDesktopWindow(), GW_CHILD); window; window = GetWindow(window, GW_HWNDNEXT))
        windows.push_back(reinterpret_cast<WindowId>(window));
    return windows;
}

std::string CUpdateSystemWin::WindowText(WindowId window)
{
    char text[MAX_PATH + 1] = "";
    const int length = GetWindowTextA(reinterpret_cast<HWND>(window), text, sizeof text);
    return std::string(text, length > 0 ? length : 0);
}

void CUpdateSystemWin::SendClose(WindowId window)
{
    DWORD_PTR result = 0;
    SendMessageTimeoutA(reinterpret_cast<HWND>(window), WM_SYSCOMMAND, SC_CLOSE, 0, SMTO_ABORTIFHUNG, kCloseTimeoutMs,
                        &result);
}

std::optional<OsVersion> CUpdateSystemWin::GetVersion()
{
    OSVERSIONINFOA info{};
    info.dwOSVersionInfoSize = sizeof info;
    if (!GetVersionExA(&info))
        return std::nullopt;
    info.szCSDVersion[sizeof info.szCSDVersion - 1] = '\0';
    return OsVersion{info.dwMajorVersion, info.dwMinorVersion, info.dwBuildNumber, info.dwPlatformId,
                     info.szCSDVersion};
}

bool CUpdateSystemWin::IsAdministrator()
{
    if (!ImpersonateSelf(SecurityImpersonation))
        return false;
    // Everything below reverts and frees on every path.
    bool administrator = false;
    HANDLE token = nullptr;
    PSID admins = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    PACL acl = nullptr;
    SID_IDENTIFIER_AUTHORITY ntAuthority = SECURITY_NT_AUTHORITY;

    bool haveToken = OpenThreadToken(GetCurrentThread(), TOKEN_QUERY, FALSE, &token);
    if (!haveToken && GetLastError() == ERROR_NO_TOKEN)
        haveToken = OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token);
    if (haveToken && AllocateAndInitializeSid(&ntAuthority, 2, SECURITY_BUILTIN_DOMAIN_RID,
                                              DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0, 0, &admins)) {
        descriptor = LocalAlloc(LPTR, SECURITY_DESCRIPTOR_MIN_LENGTH);
        const DWORD aclSize = sizeof(ACL) + sizeof(ACCESS_ALLOWED_ACE) + GetLengthSid(admins) - sizeof(DWORD);
        acl = static_cast<PACL>(LocalAlloc(LPTR, aclSize));
        if (descriptor && acl && InitializeSecurityDescriptor(descriptor, SECURITY_DESCRIPTOR_REVISION) &&
            InitializeAcl(acl, aclSize, ACL_REVISION2) && AddAccessAllowedAce(acl, ACL_REVISION2, 3, admins) &&
            SetSecurityDescriptorDacl(descriptor, TRUE, acl, FALSE) &&
            SetSecurityDescriptorGroup(descriptor, admins, FALSE) &&
            SetSecurityDescriptorOwner(descriptor, admins, FALSE) && IsValidSecurityDescriptor(descriptor)) {
            GENERIC_MAPPING mapping{1, 2, 0, 3};
            PRIVILEGE_SET privileges{};
            DWORD privilegesSize = sizeof privileges;
            DWORD granted = 0;
            BOOL status = FALSE;
            if (AccessCheck(descriptor, token, 1, &mapping, &privileges, &privilegesSize, &granted, &status))
                administrator = status != FALSE;
            else
                std::printf("AccessCheck() failed with error %lu\n", GetLastError());
        }
    }
    if (acl)
        LocalFree(acl);
    if (descriptor)
        LocalFree(descriptor);
    if (admins)
        FreeSid(admins);
    if (token)
        CloseHandle(token);
    RevertToSelf();
    return administrator;
}

std::string CUpdateSystemWin::LoadText(unsigned id)
{
    char text[1024] = "";
    const int length = LoadStringA(m_instance, id, text, sizeof text);
    return std::string(text, length > 0 ? length : 0);
}

int CUpdateSystemWin::ShowMessageBox(const std::string& text, const std::string& caption, unsigned type)
{
    return MessageBoxA(nullptr, text.c_str(), caption.c_str(), type);
}

std::optional<std::string> CUpdateSystemWin::InstalledProductFolder()
{
    const std::vector<RegistryString> program = ReadMachineStrings(kAppPathKey, {{"", MAX_PATH}});
    if (program[0].status != RegistryString::kOk)
        return std::nullopt;
    const size_t slash = program[0].text.find_last_of('\\');
    if (slash == std::string::npos)
        return std::nullopt;
    return program[0].text.substr(0, slash);
}

std::optional<FileVersionInfo> CUpdateSystemWin::ReadVersionInfo(const std::string& path)
{
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeA(path.c_str(), &ignored);
    if (size == 0)
        return std::nullopt;
    std::vector<char> block(size);
    if (!GetFileVersionInfoA(path.c_str(), 0, size, block.data()))
        return std::nullopt;
    FileVersionInfo info;
    void* entries = nullptr;
    UINT entriesSize = 0;
    if (VerQueryValueA(block.data(), "\\VarFileInfo\\Translation", &entries, &entriesSize) && entries) {
        const auto* words = static_cast<const WORD*>(entries);
        for (UINT i = 0; i + 1 < entriesSize / sizeof(WORD); i += 2) {
            Translation translation{words[i], words[i + 1], std::nullopt};
            char name[64];
            std::snprintf(name, sizeof name, "\\StringFileInfo\\%04x%04x\\FileVersion", words[i], words[i + 1]);
            void* text = nullptr;
            UINT length = 0;
            if (VerQueryValueA(block.data(), name, &text, &length) && text)
                translation.fileVersion = std::string(static_cast<const char*>(text),
                                                      strnlen(static_cast<const char*>(text), length));
            info.translations.push_back(translation);
        }
    }
    return info;
}

std::vector<RegistryString> CUpdateSystemWin::ReadMachineStrings(
    const std::string& keyName, const std::vector<std::pair<std::string, size_t>>& values)
{
    std::vector<RegistryString> out(values.size());
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, keyName.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return out;
    for (size_t i = 0; i < values.size(); ++i) {
        const size_t bytes = values[i].second;
        // One spare byte, always terminated: a value that fills it is too long.
        std::vector<char> buffer(bytes + 1, '\0');
        DWORD size = static_cast<DWORD>(bytes + 1);
        DWORD type = 0;
        const LONG status = RegQueryValueExA(key, values[i].first.empty() ? nullptr : values[i].first.c_str(),
                                             nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()), &size);
        buffer[bytes] = '\0';
        if (status == ERROR_MORE_DATA) {
            out[i].status = RegistryString::kTooLong;
        } else if (status == ERROR_SUCCESS && (type == REG_SZ || type == REG_EXPAND_SZ)) {
            const std::string text(buffer.data());
            out[i].status = text.size() + 1 > bytes ? RegistryString::kTooLong : RegistryString::kOk;
            if (out[i].status == RegistryString::kOk)
                out[i].text = text;
        }
    }
    RegCloseKey(key);
    return out;
}

bool CUpdateSystemWin::AppendPath(std::string& path, const std::string& more)
{
    if (path.size() >= MAX_PATH)
        return false;
    char buffer[MAX_PATH] = "";
    std::memcpy(buffer, path.c_str(), path.size() + 1);
    if (!PathAppendA(buffer, more.c_str()))
        return false;
    path = buffer;
    return true;
}

std::string CUpdateSystemWin::CurrentFolder()
{
    char folder[MAX_PATH] = "";
    const DWORD length = GetCurrentDirectoryA(MAX_PATH, folder);
    return length > 0 && length < MAX_PATH ? std::string(folder, length) : std::string();
}

std::string CUpdateSystemWin::SystemFolder()
{
    return FolderText(GetSystemDirectoryA);
}

std::string CUpdateSystemWin::WindowsFolder()
{
    return FolderText(GetWindowsDirectoryA);
}

bool CUpdateSystemWin::FileExists(const std::string& path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

void CUpdateSystemWin::SetArchiveAttribute(const std::string& path)
{
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_ARCHIVE);
}

void CUpdateSystemWin::SetNormalAttribute(const std::string& path)
{
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
}

void CUpdateSystemWin::RemoveFile(const std::string& path)
{
    DeleteFileA(path.c_str());
}

CopyResult CUpdateSystemWin::InstallFile(const std::string& source, const std::string& target)
{
    BOOL inUse = FALSE;
    const BOOL copied = SetupInstallFileExA(nullptr, nullptr, source.c_str(), nullptr, target.c_str(),
                                            SP_COPY_FORCE_NEWER | SP_COPY_SOURCE_ABSOLUTE, KeepNewerTargets, nullptr,
                                            &inUse);
    CopyResult result;
    result.copied = copied != FALSE;
    result.inUse = inUse != FALSE;
    result.error = copied ? 0 : GetLastError();
    return result;
}

void CUpdateSystemWin::PromptReboot()
{
    SetupPromptReboot(nullptr, nullptr, FALSE);
}

bool CUpdateSystemWin::StartProgram(const std::string& path)
{
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(path.c_str(), nullptr, nullptr, nullptr, FALSE, CREATE_NEW_CONSOLE | NORMAL_PRIORITY_CLASS,
                        nullptr, nullptr, &startup, &process))
        return false;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return true;
}

}  // namespace fixwell
