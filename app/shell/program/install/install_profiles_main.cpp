// Installs the default colour profiles into this Wine prefix (or Windows
// installation) as the product's installer would: the files into the maker's
// profile folder, and the profile settings where they are still empty.
// scripts/run runs it before the program; it carries the program's
// resources for the folder's and the registry's names. Exit code 0 on success.
#include <cstdio>

#include <windows.h>

#include "app/core/text/string_resource.h"
#include "app/shell/program/install/default_profiles.h"
#include "app/shell/program/program_ids.h"
#include "app/shell/program/startup_win.h"
#include "app/shell/settings/registry_store.h"

namespace {

// The program's own strings, linked in with its resources.
std::string Text(uint32_t id)
{
    char text[MAX_PATH] = {};
    qz::LoadStringResource(nullptr, id, text, sizeof text);
    return text;
}

}  // namespace

int main()
{
    const std::string folder = shell::GetProfileFolder();
    if (shell::GetCommonFilesFolder().empty()) {
        std::fprintf(stderr, "install_profiles: no Common Files folder in the registry\n");
        return 1;
    }
    // Each folder of the path, from the drive down.
    for (size_t at = folder.find('\\', 3); at != std::string::npos; at = folder.find('\\', at + 1))
        CreateDirectoryA(folder.substr(0, at).c_str(), nullptr);
    if (!shell::WriteDefaultProfiles(folder)) {
        std::fprintf(stderr, "install_profiles: could not write the profiles into %s\n", folder.c_str());
        return 1;
    }
    shell::GetRegistryStore().SetNames(Text(IDS_REG_COMPANY).c_str(), Text(IDS_REG_APPLICATION).c_str(),
                                       Text(IDS_REG_VERSION).c_str());
    shell::SetDefaultProfileSettings(folder);
    std::printf("install_profiles: profiles in %s\n", folder.c_str());
    return 0;
}
