#include "app/shell/settings/recent_file_list.h"

#include <string>

#include "app/core/text/string_resource.h"
#include "app/shell/settings/registry_store.h"
#include "app/shell/settings/setting_table.h"

namespace shell {

namespace {

// The table's text, whole, or the fallback.
CString TextOr(uint32_t id, const char* fallback)
{
    char text[256];
    const int32_t length = qz::LoadStringResource(nullptr, id, text, sizeof text);
    return length > 0 && length < static_cast<int32_t>(sizeof text) - 1 ? CString(text) : CString(fallback);
}

}  // namespace

CRecentFileListReg::CRecentFileListReg(UINT start, uint32_t sectionId, uint32_t entryFormatId, int size,
                                       int maxDisplayLength)
    : CRecentFileList(start, TextOr(sectionId, "Recent File List"), TextOr(entryFormatId, "File%d"), size,
                      maxDisplayLength)
{
}

// The format is a table text: its "%d" is replaced by hand, never handed to printf.
CString CRecentFileListReg::EntryName(int index) const
{
    std::string name = m_strEntryFormat.str();
    const size_t at = name.find("%d");
    if (at != std::string::npos)
        name.replace(at, 2, std::to_string(index + 1));
    return CString(name);
}

void CRecentFileListReg::ReadList()
{
    for (int i = 0; i < m_nSize; ++i)
        m_arrNames[static_cast<size_t>(i)] =
            static_cast<const char*>(GetRegistryStore().GetString(kScopeUser, m_strSectionName, EntryName(i), ""));
}

void CRecentFileListReg::WriteList()
{
    for (int i = 0; i < m_nSize; ++i) {
        const CString& entry = m_arrNames[static_cast<size_t>(i)];
        if (!entry.IsEmpty())
            GetRegistryStore().SetString(kScopeUser, m_strSectionName, EntryName(i), entry);
    }
}

}  // namespace shell
