#pragma once
// CDocument: the data behind one or more views. It knows its title, path
// and modified state, its views and its template; it asks to save changes
// before it closes and closes its frames when it goes. Documents are made
// by their template with `new` and delete themselves when closed.
#include <vector>

#include "clx/msgmap.h"
#include "clx/position.h"

class CDocTemplate;
class CFrameWnd;
class CView;

class CDocument : public CCmdTarget {
  DECLARE_DYNAMIC(CDocument)
public:
  CDocument() = default;
  ~CDocument() override;
  CDocument(const CDocument&) = delete;
  CDocument& operator=(const CDocument&) = delete;

  const CString& GetTitle() const { return m_strTitle; }
  // The frames' titles follow.
  virtual void SetTitle(const char* title);
  const CString& GetPathName() const { return m_strPathName; }
  // Takes the full path; the title becomes its file name; the recent-file list gets it when `addToMRU`.
  virtual void SetPathName(const char* path, BOOL addToMRU = TRUE);
  CDocTemplate* GetDocTemplate() const { return m_pDocTemplate; }
  virtual BOOL IsModified() { return m_bModified; }
  virtual void SetModifiedFlag(BOOL modified = TRUE) { m_bModified = modified != FALSE; }

  // ---- views
  void AddView(CView* view);
  void RemoveView(CView* view);
  POSITION GetFirstViewPosition() const { return clx::PositionOf(0, m_viewList.size()); }
  CView* GetNextView(POSITION& pos) const;
  // OnUpdate of every view but `sender`.
  void UpdateAllViews(CView* sender, LPARAM hint = 0, CObject* hintObject = nullptr);
  // Numbers the frames showing this document (m_nWindow 1, 2, ... when
  // more than one) and brings their titles up to date.
  virtual void UpdateFrameCounts();
  // The last view gone closes the document (when it deletes itself).
  virtual void OnChangedViewList();

  // ---- life cycle
  virtual BOOL OnNewDocument();
  // The layer has no serialisation: the base cannot read or write, the program's documents override these.
  virtual BOOL OnOpenDocument(const char* path);
  virtual BOOL OnSaveDocument(const char* path);
  // Destroys the frames (and so the views), then deletes the document when m_bAutoDelete.
  virtual void OnCloseDocument();
  virtual void DeleteContents() {}
  virtual void PreCloseFrame(CFrameWnd*) {}
  // Asks "Save changes to ...?" when modified: Cancel gives false, Yes saves.
  virtual BOOL SaveModified();
  virtual BOOL DoFileSave();
  // Saves under `path`, or under a name the user picks when null; with
  // `replace` the document takes the new name.
  virtual BOOL DoSave(const char* path, BOOL replace = TRUE);
  // True when closing `frame` leaves the document open in another frame, else SaveModified.
  virtual BOOL CanCloseFrame(CFrameWnd* frame);

  BOOL OnCmdMsg(UINT id, int code, void* extra, AFX_CMDHANDLERINFO* handlerInfo) override;

  bool m_bAutoDelete = true;

protected:
  friend class CDocTemplate;
  CString m_strTitle;
  CString m_strPathName;
  CDocTemplate* m_pDocTemplate = nullptr;
  std::vector<CView*> m_viewList;
  bool m_bModified = false;

  void OnFileClose();
  void OnFileSave() { DoFileSave(); }
  void OnFileSaveAs() { DoSave(nullptr); }
  DECLARE_MESSAGE_MAP()
};
