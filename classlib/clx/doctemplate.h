#pragma once
// Document templates: how a kind of document is made (document, frame and
// view classes) and described (string `id`: window title, document name,
// file-new name, filter name, filter extension, type id, type name, split
// at '\n'), with the shared menu and accelerators of its frames.
#include <vector>

#include "clx/msgmap.h"
#include "clx/position.h"

class CDocument;
class CFrameWnd;

class CDocTemplate : public CCmdTarget {
  DECLARE_DYNAMIC(CDocTemplate)
public:
  enum DocStringIndex { windowTitle, docName, fileNewName, filterName, filterExt, regFileTypeId, regFileTypeName };
  enum Confidence { noAttempt, maybeAttemptForeign, maybeAttemptNative, yesAttemptForeign, yesAttemptNative, yesAlreadyOpen };

  CDocTemplate(UINT id, CRuntimeClass* docClass, CRuntimeClass* frameClass, CRuntimeClass* viewClass);
  ~CDocTemplate() override;
  CDocTemplate(const CDocTemplate&) = delete;
  CDocTemplate& operator=(const CDocTemplate&) = delete;

  // Reads the strings, the shared menu and the accelerators (once).
  virtual void LoadTemplate();
  virtual BOOL GetDocString(CString& out, DocStringIndex index) const;

  virtual POSITION GetFirstDocPosition() const = 0;
  virtual CDocument* GetNextDoc(POSITION& pos) const = 0;
  virtual void AddDocument(CDocument* doc);
  virtual void RemoveDocument(CDocument* doc);

  // How well `path` suits this template; an open document of that path comes back in `match`.
  virtual Confidence MatchDocType(const char* path, CDocument*& match);
  virtual CDocument* CreateNewDocument();
  // A frame for `doc` with its view; `other` is a frame to copy (unused), null on failure.
  virtual CFrameWnd* CreateNewFrame(CDocument* doc, CFrameWnd* other);
  virtual void InitialUpdateFrame(CFrameWnd* frame, CDocument* doc, BOOL visible = TRUE);
  // A new document (path null) or one read from `path`; null on failure,
  // when the frame made for it is gone again.
  virtual CDocument* OpenDocumentFile(const char* path, BOOL visible = TRUE) = 0;
  virtual void SetDefaultTitle(CDocument* doc) = 0;
  virtual BOOL SaveAllModified();
  virtual void CloseAllDocuments(BOOL endSession);

  UINT GetResourceId() const { return m_nIDResource; }
  HMENU m_hMenuShared = nullptr;   // owned
  HACCEL m_hAccelTable = nullptr;

protected:
  UINT m_nIDResource;
  CRuntimeClass* m_pDocClass;
  CRuntimeClass* m_pFrameClass;
  CRuntimeClass* m_pViewClass;
  CString m_strDocStrings;
  bool m_bLoaded = false;
};

// Any number of documents, each in its own MDI child frame.
class CMultiDocTemplate : public CDocTemplate {
  DECLARE_DYNAMIC(CMultiDocTemplate)
public:
  CMultiDocTemplate(UINT id, CRuntimeClass* docClass, CRuntimeClass* frameClass, CRuntimeClass* viewClass)
      : CDocTemplate(id, docClass, frameClass, viewClass) {}
  ~CMultiDocTemplate() override;

  POSITION GetFirstDocPosition() const override { return clx::PositionOf(0, m_docList.size()); }
  CDocument* GetNextDoc(POSITION& pos) const override;
  void AddDocument(CDocument* doc) override;
  void RemoveDocument(CDocument* doc) override;
  CDocument* OpenDocumentFile(const char* path, BOOL visible = TRUE) override;
  void SetDefaultTitle(CDocument* doc) override;

protected:
  std::vector<CDocument*> m_docList;
  UINT m_nUntitledCount = 0;  // numbers the titles of new documents
};
