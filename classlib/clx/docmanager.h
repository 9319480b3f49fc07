#pragma once
// CDocManager: the application's document templates and what spans them:
// opening a file with the template that suits it, File New and File Open,
// saving and closing every document. The application owns it.
#include <vector>

#include "clx/doctemplate.h"

class CDocManager : public CObject {
  DECLARE_DYNAMIC(CDocManager)
public:
  CDocManager() = default;
  ~CDocManager() override;  // deletes the templates
  CDocManager(const CDocManager&) = delete;
  CDocManager& operator=(const CDocManager&) = delete;

  virtual void AddDocTemplate(CDocTemplate* tmpl);
  POSITION GetFirstDocTemplatePosition() const { return clx::PositionOf(0, m_templateList.size()); }
  CDocTemplate* GetNextDocTemplate(POSITION& pos) const;

  // The full path, compared without case, activates an open document;
  // else the template that suits it best (the first one when none claims it) opens it.
  virtual CDocument* OpenDocumentFile(const char* path);
  virtual void OnFileNew();
  virtual void OnFileOpen();
  // The system's open or save dialog, filters from the templates plus "All Files (*.*)".
  virtual BOOL DoPromptFileName(CString& fileName, UINT titleId, DWORD flags, BOOL openFileDialog,
                                CDocTemplate* tmpl);
  virtual BOOL SaveAllModified();
  virtual void CloseAllDocuments(BOOL endSession);
  virtual int GetOpenDocumentCount();

protected:
  std::vector<CDocTemplate*> m_templateList;
};

namespace clx {
// The file-name control of an explorer-style file dialog: 1148 (combo box)
// where it exists, as under Wine, else 1152 (edit).
int FileNameControlId(HWND dialog);
}  // namespace clx
