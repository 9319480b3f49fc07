// Installs the default colour profiles into this Wine prefix (or Windows
// installation) as the product's installer would: the files into the maker's
// profile folder, and the profile settings where they are still empty; and the
// neutral settings file into the program folder (this program's own, beside
// Tessaline.exe), unless one is there. Given
// a camera module file, it also puts that where the program loads the camera
// module from, unless a module is there already (as the camera's own
// installer would). scripts/run runs it before the program; it carries the
// program's resources for the folder's and the registry's names. Exit code 0
// on success.
#include <cstdio>

#include <windows.h>

#include "app/core/text/string_resource.h"
#include "app/camera/kavo_library.h"
#include "app/shell/program/install/default_profiles.h"
#include "app/shell/program/install/neutral_settings.h"
#include "app/shell/program/program_ids.h"
#include "app/shell/program/startup_win.h"
#include "app/shell/program_folder.h"
#include "app/shell/settings/registry_store.h"

namespace {

// The program's own strings, linked in with its resources.
std::string Text(uint32_t id)
{
    char text[MAX_PATH] = {};
    qz::LoadStringResource(nullptr, id, text, sizeof text);
    return text;
}

// Every folder of a path, from the drive down.
void CreateFolders(const std::string& path)
{
    for (size_t at = path.find('\\', 3); at != std::string::npos; at = path.find('\\', at + 1))
        CreateDirectoryA(path.substr(0, at).c_str(), nullptr);
}

}  // namespace

int main(int argc, char** argv)
{
    const std::string folder = shell::GetProfileFolder();
    if (shell::GetCommonFilesFolder().empty()) {
        std::fprintf(stderr, "install_profiles: no Common Files folder in the registry\n");
        return 1;
    }
    CreateFolders(folder);
    if (!shell::WriteDefaultProfiles(folder)) {
        std::fprintf(stderr, "install_profiles: could not write the profiles into %s\n", folder.c_str());
        return 1;
    }
    shell::GetRegistryStore().SetNames(Text(IDS_REG_COMPANY).c_str(), Text(IDS_REG_APPLICATION).c_str(),
                                       Text(IDS_REG_VERSION).c_str());
    shell::SetDefaultProfileSettings(folder);
    std::printf("install_profiles: profiles in %s\n", folder.c_str());
    const std::string& programFolder = shell::GetProgramFolder();
    if (programFolder.empty() || !shell::WriteNeutralSettingsFile(programFolder)) {
        std::fprintf(stderr, "install_profiles: could not write %s%s\n", programFolder.c_str(),
                     shell::kNeutralSettingsFile);
        return 1;
    }
    if (argc > 1) {
        const std::string module = JoinKavoModulePath(shell::GetCommonFilesFolder(), Text(IDS_KAVO_FOLDER),
                                                      Text(IDS_KAVO_MODULE_FILE));
        CreateFolders(module);
        // A module installed already stays.
        if (CopyFileA(argv[1], module.c_str(), TRUE))
            std::printf("install_profiles: camera module %s\n", module.c_str());
        else if (GetLastError() != ERROR_FILE_EXISTS) {
            std::fprintf(stderr, "install_profiles: could not copy %s to %s\n", argv[1], module.c_str());
            return 1;
        }
    }
    return 0;
}
