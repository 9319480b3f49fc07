#include "clx/recentfiles.h"

#include <cstring>

#include "clx/app.h"
#include "clx/resource.h"

CRecentFileList::CRecentFileList(UINT start, const char* section, const char* entryFormat, int size,
                                 int maxDisplayLength)
    : m_nStart(start),
      m_strSectionName(section),
      m_strEntryFormat(entryFormat),
      m_nSize(size < 0 ? 0 : size),
      m_nMaxDisplayLength(maxDisplayLength),
      m_arrNames(static_cast<size_t>(m_nSize)) {}

void CRecentFileList::Add(const char* path) {
  if (m_nSize == 0 || !path || !*path) return;
  // Move it up if it is there already, else drop the oldest.
  int found = m_nSize - 1;
  for (int i = 0; i < m_nSize; ++i)
    if (m_arrNames[static_cast<size_t>(i)].CompareNoCase(path) == 0) {
      found = i;
      break;
    }
  for (int i = found; i > 0; --i) m_arrNames[static_cast<size_t>(i)] = m_arrNames[static_cast<size_t>(i - 1)];
  m_arrNames[0] = path;
}

void CRecentFileList::Remove(int index) {
  if (index < 0 || index >= m_nSize) return;
  for (int i = index; i < m_nSize - 1; ++i) m_arrNames[static_cast<size_t>(i)] = m_arrNames[static_cast<size_t>(i + 1)];
  m_arrNames[static_cast<size_t>(m_nSize - 1)].Empty();
}

BOOL CRecentFileList::GetDisplayName(CString& out, int index, const char*, int, BOOL atLeastName) const {
  out.Empty();
  if (index < 0 || index >= m_nSize || m_arrNames[static_cast<size_t>(index)].IsEmpty()) return FALSE;
  const CString& path = m_arrNames[static_cast<size_t>(index)];
  if (path.GetLength() <= m_nMaxDisplayLength) {
    out = path;
    return TRUE;
  }
  // Root ("C:\" or "\\server\share\"), then folders, then the name.
  int rootEnd = 0;
  if (path.GetLength() > 2 && path[1] == ':' && path[2] == '\\') {
    rootEnd = 3;
  } else if (path.Left(2) == "\\\\") {
    int share = path.Find('\\', 2);
    int after = share >= 0 ? path.Find('\\', share + 1) : -1;
    rootEnd = after >= 0 ? after + 1 : 0;
  }
  int nameStart = path.ReverseFind('\\') + 1;
  CString root = path.Left(rootEnd), name = path.Mid(nameStart);
  // Drop whole folders from the front until it fits.
  for (int cut = path.Find('\\', rootEnd); cut >= 0 && cut < nameStart; cut = path.Find('\\', cut + 1)) {
    CString candidate = root + "...\\" + path.Mid(cut + 1);
    if (cut + 1 < nameStart && candidate.GetLength() <= m_nMaxDisplayLength) {
      out = candidate;
      return TRUE;
    }
  }
  CString shortest = root + "...\\" + name;
  if (rootEnd > 0 && shortest.GetLength() <= m_nMaxDisplayLength)
    out = shortest;
  else
    out = atLeastName ? name : CString();
  return TRUE;
}

void CRecentFileList::UpdateMenu(CCmdUI* ui) {
  int used = 0;
  while (used < m_nSize && !m_arrNames[static_cast<size_t>(used)].IsEmpty()) ++used;
  if (!ui->m_hMenu) {
    ui->Enable(used > 0);
    return;
  }
  if (ui->m_hSubMenu) {  // a pop-up whose first item is the list: only its state
    ui->Enable(used > 0);
    return;
  }
  HMENU menu = ui->m_hMenu;
  UINT first = ID_FILE_MRU_FILE1 + m_nStart;
  if (m_strOriginal.IsEmpty()) {
    char text[256] = "";
    ::GetMenuStringA(menu, ui->m_nID, text, sizeof text, MF_BYCOMMAND);
    m_strOriginal = text;
  }
  // Take out the placeholder or the last expansion, then put the files in its place.
  int removed = 0;
  for (int i = 0; i < m_nSize; ++i)
    while (::DeleteMenu(menu, first + static_cast<UINT>(i), MF_BYCOMMAND)) ++removed;
  ui->m_nIndexMax -= static_cast<UINT>(removed);
  if (used == 0) {
    ::InsertMenuA(menu, ui->m_nIndex, MF_BYPOSITION | MF_STRING | MF_GRAYED, first, m_strOriginal);
    ui->m_nIndexMax += 1;
    ui->m_bEnableChanged = true;
    return;
  }
  for (int i = 0; i < used; ++i) {
    CString shown;
    GetDisplayName(shown, i);
    shown.Replace("&", "&&");
    CString text;
    text.Format(i < 9 ? "&%d %s" : "%d %s", i + 1, static_cast<const char*>(shown));
    ::InsertMenuA(menu, ui->m_nIndex + static_cast<UINT>(i), MF_BYPOSITION | MF_STRING,
                  first + static_cast<UINT>(i), text);
  }
  ui->m_nIndexMax += static_cast<UINT>(used);
  ui->m_nIndex += static_cast<UINT>(used - 1);  // the loop goes on after the last file
  ui->m_bEnableChanged = true;
}

void CRecentFileList::ReadList() {
  CWinApp* app = AfxGetApp();
  if (!app) return;
  for (int i = 0; i < m_nSize; ++i) {
    CString entry;
    entry.Format(m_strEntryFormat, i + 1);
    m_arrNames[static_cast<size_t>(i)] = app->GetProfileString(m_strSectionName, entry);
  }
}

void CRecentFileList::WriteList() {
  CWinApp* app = AfxGetApp();
  if (!app) return;
  for (int i = 0; i < m_nSize; ++i) {
    CString entry;
    entry.Format(m_strEntryFormat, i + 1);
    const CString& name = m_arrNames[static_cast<size_t>(i)];
    app->WriteProfileString(m_strSectionName, entry, name.IsEmpty() ? nullptr : static_cast<const char*>(name));
  }
}
