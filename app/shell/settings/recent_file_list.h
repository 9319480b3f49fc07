// The recent-file list kept in the registry: "Recent File List" directly
// under the version key, values "File1" to "File4" in the user's hive. It
// replaces the class library's profile-based storage of the list.
#pragma once

#include <cstdint>

#include "clx/recentfiles.h"
#include "app/core/text/string_resource.h"

namespace shell {

// String-table ids of the list's section and of its entries' name format.
constexpr uint32_t kRecentFileSectionId = qz::StringId(1027);
constexpr uint32_t kRecentFileEntryFormatId = qz::StringId(1028);
constexpr int32_t kRecentFileCount = 4;
constexpr int32_t kRecentFileDisplayLength = 30;

class CRecentFileListReg : public CRecentFileList {
public:
    // The section and entry format are string-table ids; a missing text
    // stands as "Recent File List" and "File%d".
    CRecentFileListReg(UINT start, uint32_t sectionId, uint32_t entryFormatId, int size, int maxDisplayLength);

    // Each entry the stored text, or "" when absent.
    void ReadList() override;
    // Writes each non-empty entry; the names of empty ones are neither written nor deleted.
    void WriteList() override;

    // The value name of entry `index` (from 0): the format's "%d" is the index + 1.
    CString EntryName(int index) const;
};

}  // namespace shell
