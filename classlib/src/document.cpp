#include "clx/document.h"

#include <algorithm>

#include "clx/app.h"
#include "clx/docmanager.h"
#include "clx/doctemplate.h"
#include "clx/frame.h"
#include "clx/resources.h"
#include "clx/view.h"

IMPLEMENT_DYNAMIC(CDocument, CCmdTarget)

BEGIN_MESSAGE_MAP(CDocument, CCmdTarget)
  ON_COMMAND(ID_FILE_CLOSE, OnFileClose)
  ON_COMMAND(ID_FILE_SAVE, OnFileSave)
  ON_COMMAND(ID_FILE_SAVE_AS, OnFileSaveAs)
END_MESSAGE_MAP()

CDocument::~CDocument() {
  for (CView* view : m_viewList) view->m_pDocument = nullptr;
  if (m_pDocTemplate) m_pDocTemplate->RemoveDocument(this);
}

void CDocument::SetTitle(const char* title) {
  m_strTitle = title;
  UpdateFrameCounts();
}

void CDocument::SetPathName(const char* path, BOOL addToMRU) {
  char full[MAX_PATH] = "";
  char* namePart = nullptr;
  DWORD n = ::GetFullPathNameA(path, MAX_PATH, full, &namePart);
  m_strPathName = n > 0 && n < MAX_PATH ? full : path;
  CString name = m_strPathName;
  int slash = std::max(name.ReverseFind('\\'), name.ReverseFind('/'));
  SetTitle(slash >= 0 ? name.Mid(slash + 1) : name);
  if (addToMRU)
    if (CWinApp* app = AfxGetApp()) app->AddToRecentFileList(m_strPathName);
}

// ---------------------------------------------------------------- views

void CDocument::AddView(CView* view) {
  if (std::find(m_viewList.begin(), m_viewList.end(), view) != m_viewList.end()) return;
  m_viewList.push_back(view);
  view->m_pDocument = this;
  OnChangedViewList();
}

void CDocument::RemoveView(CView* view) {
  auto it = std::find(m_viewList.begin(), m_viewList.end(), view);
  if (it == m_viewList.end()) return;
  m_viewList.erase(it);
  view->m_pDocument = nullptr;
  OnChangedViewList();
}

CView* CDocument::GetNextView(POSITION& pos) const {
  size_t index = clx::IndexOf(pos);
  if (index >= m_viewList.size()) {
    pos = nullptr;
    return nullptr;
  }
  pos = clx::PositionOf(index + 1, m_viewList.size());
  return m_viewList[index];
}

void CDocument::UpdateAllViews(CView* sender, LPARAM hint, CObject* hintObject) {
  std::vector<CView*> views = m_viewList;  // a view may go while it updates
  for (CView* view : views)
    if (view != sender && std::find(m_viewList.begin(), m_viewList.end(), view) != m_viewList.end())
      view->OnUpdate(sender, hint, hintObject);
}

void CDocument::OnChangedViewList() {
  if (m_viewList.empty() && m_bAutoDelete) {
    OnCloseDocument();
    return;
  }
  UpdateFrameCounts();
}

void CDocument::UpdateFrameCounts() {
  std::vector<CFrameWnd*> frames;
  for (CView* view : m_viewList)
    if (CFrameWnd* frame = view->m_hWnd ? view->GetParentFrame() : nullptr;
        frame && std::find(frames.begin(), frames.end(), frame) == frames.end())
      frames.push_back(frame);
  int number = frames.size() > 1 ? 1 : 0;
  for (CFrameWnd* frame : frames) {
    frame->m_nWindow = number ? number++ : 0;
    frame->OnUpdateFrameTitle(TRUE);
  }
}

// ---------------------------------------------------------------- life cycle

BOOL CDocument::OnNewDocument() {
  DeleteContents();
  m_strPathName.Empty();
  SetModifiedFlag(FALSE);
  return TRUE;
}

BOOL CDocument::OnOpenDocument(const char*) {
  DeleteContents();
  SetModifiedFlag(FALSE);
  return FALSE;
}

BOOL CDocument::OnSaveDocument(const char*) { return FALSE; }

void CDocument::OnCloseDocument() {
  // Frames first: their views leave the list as they go, and the document
  // must outlive that (it is deleted here, once).
  bool autoDelete = m_bAutoDelete;
  m_bAutoDelete = false;
  while (!m_viewList.empty()) {
    CView* view = m_viewList.front();
    CFrameWnd* frame = view->m_hWnd ? view->GetParentFrame() : nullptr;
    if (frame) {
      PreCloseFrame(frame);
      frame->DestroyWindow();
    }
    // A view without a frame, or one its frame did not take along, leaves by itself.
    if (!m_viewList.empty() && m_viewList.front() == view) {
      if (view->m_hWnd)
        view->DestroyWindow();
      else
        RemoveView(view);
    }
  }
  DeleteContents();
  m_bAutoDelete = autoDelete;
  if (autoDelete) delete this;
}

BOOL CDocument::CanCloseFrame(CFrameWnd* frame) {
  for (CView* view : m_viewList)
    if (view->m_hWnd && view->GetParentFrame() != frame) return TRUE;  // still shown elsewhere
  return SaveModified();
}

BOOL CDocument::SaveModified() {
  if (!IsModified()) return TRUE;
  CString name = m_strPathName.IsEmpty() ? m_strTitle : m_strPathName;
  if (name.IsEmpty()) name = clx::LoadStr(IDS_CLX_UNTITLED);
  CString prompt;
  AfxFormatString1(prompt, IDS_CLX_ASK_TO_SAVE, name);
  switch (AfxMessageBox(prompt, MB_YESNOCANCEL, IDS_CLX_ASK_TO_SAVE)) {
    case IDCANCEL: return FALSE;
    case IDYES: return DoFileSave();
    default: return TRUE;
  }
}

BOOL CDocument::DoFileSave() {
  DWORD attributes = m_strPathName.IsEmpty() ? INVALID_FILE_ATTRIBUTES : ::GetFileAttributesA(m_strPathName);
  // A read-only file is saved under a new name.
  if (m_strPathName.IsEmpty() ||
      (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)))
    return DoSave(nullptr);
  return DoSave(m_strPathName);
}

BOOL CDocument::DoSave(const char* path, BOOL replace) {
  CString name = path ? path : "";
  if (name.IsEmpty()) {
    // Ask for a name: the title plus the type's extension to start with.
    CWinApp* app = AfxGetApp();
    if (!app || !app->m_pDocManager) return FALSE;
    name = m_strPathName.IsEmpty() ? m_strTitle : m_strPathName;
    CString ext;
    if (m_strPathName.IsEmpty() && m_pDocTemplate && m_pDocTemplate->GetDocString(ext, CDocTemplate::filterExt) &&
        name.Find('.') < 0)
      name += ext;
    if (!app->m_pDocManager->DoPromptFileName(name, IDS_CLX_SAVE_AS, OFN_HIDEREADONLY | OFN_PATHMUSTEXIST |
                                                                         OFN_OVERWRITEPROMPT,
                                              FALSE, m_pDocTemplate))
      return FALSE;
  }
  if (!OnSaveDocument(name)) return FALSE;
  if (replace) SetPathName(name);
  return TRUE;
}

void CDocument::OnFileClose() {
  if (!SaveModified()) return;
  OnCloseDocument();
}

BOOL CDocument::OnCmdMsg(UINT id, int code, void* extra, AFX_CMDHANDLERINFO* handlerInfo) {
  if (CCmdTarget::OnCmdMsg(id, code, extra, handlerInfo)) return TRUE;
  return m_pDocTemplate && m_pDocTemplate->OnCmdMsg(id, code, extra, handlerInfo);
}
