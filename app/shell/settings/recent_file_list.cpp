#include "app/shell/settings/recent_file_list.h"

#include <cstdio>

#include "app/shell/settings/registry_store.h"
#include "app/shell/settings/setting_table.h"

namespace shell {

namespace {

constexpr char kSection[] = "Recent File List";

void EntryName(int32_t index, char (&name)[16])
{
    std::snprintf(name, sizeof name, "File%d", static_cast<int>(index + 1));
}

}  // namespace

void ReadRecentFiles(CQzString (&entries)[kRecentFileCount])
{
    for (int32_t i = 0; i < kRecentFileCount; ++i) {
        char name[16];
        EntryName(i, name);
        entries[i] = GetRegistryStore().GetString(kScopeUser, kSection, name, "");
    }
}

void WriteRecentFiles(const CQzString (&entries)[kRecentFileCount])
{
    for (int32_t i = 0; i < kRecentFileCount; ++i) {
        if (entries[i].IsEmpty())
            continue;
        char name[16];
        EntryName(i, name);
        GetRegistryStore().SetString(kScopeUser, kSection, name, entries[i]);
    }
}

}  // namespace shell
