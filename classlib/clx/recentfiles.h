#pragma once
// CRecentFileList: the most recently used files, newest first, shown in the
// File menu in place of the item ID_FILE_MRU_FILE1 + start.
#include <vector>

#include "clx/cmdtarget.h"

class CRecentFileList {
public:
  // `section` and `entryFormat` ("File%d") name where ReadList/WriteList keep the list.
  CRecentFileList(UINT start, const char* section, const char* entryFormat, int size, int maxDisplayLength = 30);
  virtual ~CRecentFileList() = default;

  // To the top; the same path in another case is the same file.
  virtual void Add(const char* path);
  virtual void Remove(int index);
  int GetSize() const { return m_nSize; }
  const CString& operator[](int index) const { return m_arrNames[static_cast<size_t>(index)]; }
  // The path, shortened to the display length by replacing the folders
  // after the root with "...". False for an empty entry.
  virtual BOOL GetDisplayName(CString& out, int index, const char* currentDir = nullptr, int currentDirLength = 0,
                              BOOL atLeastName = TRUE) const;
  // Expands the menu item into one item per file ("&1 path", ...), or the
  // original item greyed when the list is empty.
  virtual void UpdateMenu(CCmdUI* ui);
  virtual void ReadList();
  virtual void WriteList();

protected:
  UINT m_nStart;
  CString m_strSectionName;
  CString m_strEntryFormat;
  int m_nSize;
  int m_nMaxDisplayLength;
  std::vector<CString> m_arrNames;
  CString m_strOriginal;  // the menu item's text before it was expanded
};
