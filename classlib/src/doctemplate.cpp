#include "clx/doctemplate.h"

#include <algorithm>
#include <cstring>

#include "clx/app.h"
#include "clx/document.h"
#include "clx/mdi.h"
#include "clx/resources.h"
#include "clx/view.h"

IMPLEMENT_DYNAMIC(CDocTemplate, CCmdTarget)
IMPLEMENT_DYNAMIC(CMultiDocTemplate, CDocTemplate)

CDocTemplate::CDocTemplate(UINT id, CRuntimeClass* docClass, CRuntimeClass* frameClass, CRuntimeClass* viewClass)
    : m_nIDResource(id), m_pDocClass(docClass), m_pFrameClass(frameClass), m_pViewClass(viewClass) {}

CDocTemplate::~CDocTemplate() {
  if (m_hMenuShared) ::DestroyMenu(m_hMenuShared);
}

void CDocTemplate::LoadTemplate() {
  if (m_bLoaded) return;
  m_bLoaded = true;
  m_strDocStrings = clx::LoadStr(m_nIDResource);
  HINSTANCE module = AfxGetResourceHandle();
  if (::FindResourceA(module, MAKEINTRESOURCEA(m_nIDResource), MAKEINTRESOURCEA(4) /* RT_MENU */))
    m_hMenuShared = ::LoadMenuA(module, MAKEINTRESOURCEA(m_nIDResource));
  if (::FindResourceA(module, MAKEINTRESOURCEA(m_nIDResource), MAKEINTRESOURCEA(9) /* RT_ACCELERATOR */))
    m_hAccelTable = ::LoadAcceleratorsA(module, MAKEINTRESOURCEA(m_nIDResource));
}

BOOL CDocTemplate::GetDocString(CString& out, DocStringIndex index) const {
  out.Empty();
  const char* p = m_strDocStrings;
  for (int i = 0; i < static_cast<int>(index); ++i) {
    p = std::strchr(p, '\n');
    if (!p) return FALSE;
    ++p;
  }
  const char* end = std::strchr(p, '\n');
  out = end ? CString(p, static_cast<int>(end - p)) : CString(p);
  return !out.IsEmpty();
}

void CDocTemplate::AddDocument(CDocument* doc) { doc->m_pDocTemplate = this; }

void CDocTemplate::RemoveDocument(CDocument* doc) { doc->m_pDocTemplate = nullptr; }

CDocTemplate::Confidence CDocTemplate::MatchDocType(const char* path, CDocument*& match) {
  match = nullptr;
  for (POSITION pos = GetFirstDocPosition(); pos;) {
    CDocument* doc = GetNextDoc(pos);
    if (doc->GetPathName().CompareNoCase(path) == 0) {
      match = doc;
      return yesAlreadyOpen;
    }
  }
  CString ext;
  if (GetDocString(ext, filterExt)) {
    int length = static_cast<int>(std::strlen(path));
    if (length > ext.GetLength() && ext.CompareNoCase(path + length - ext.GetLength()) == 0) return yesAttemptNative;
  }
  return yesAttemptForeign;
}

CDocument* CDocTemplate::CreateNewDocument() {
  CObject* object = m_pDocClass ? m_pDocClass->CreateObject() : nullptr;
  auto* doc = dynamic_cast<CDocument*>(object);
  if (!doc) {
    delete object;
    return nullptr;
  }
  AddDocument(doc);
  return doc;
}

CFrameWnd* CDocTemplate::CreateNewFrame(CDocument* doc, CFrameWnd* other) {
  CCreateContext context;
  context.m_pCurrentFrame = other;
  context.m_pCurrentDoc = doc;
  context.m_pNewViewClass = m_pViewClass;
  context.m_pNewDocTemplate = this;
  CObject* object = m_pFrameClass ? m_pFrameClass->CreateObject() : nullptr;
  auto* frame = dynamic_cast<CFrameWnd*>(object);
  if (!frame) {
    delete object;
    return nullptr;
  }
  // The document type's menu and keys travel with its frames.
  if (auto* child = dynamic_cast<CMDIChildWnd*>(frame)) child->m_hMenuShared = m_hMenuShared;
  frame->m_hAccelTable = m_hAccelTable;
  // A frame that fails has deleted itself.
  if (!frame->LoadFrame(m_nIDResource, WS_OVERLAPPEDWINDOW | FWS_ADDTOTITLE, nullptr, &context)) return nullptr;
  return frame;
}

void CDocTemplate::InitialUpdateFrame(CFrameWnd* frame, CDocument* doc, BOOL visible) {
  frame->InitialUpdateFrame(doc, visible);
}

BOOL CDocTemplate::SaveAllModified() {
  for (POSITION pos = GetFirstDocPosition(); pos;)
    if (!GetNextDoc(pos)->SaveModified()) return FALSE;
  return TRUE;
}

void CDocTemplate::CloseAllDocuments(BOOL) {
  std::vector<CDocument*> docs;
  for (POSITION pos = GetFirstDocPosition(); pos;) docs.push_back(GetNextDoc(pos));
  for (CDocument* doc : docs) doc->OnCloseDocument();  // each leaves the list as it goes
}

// ---------------------------------------------------------------- multi-document template

CMultiDocTemplate::~CMultiDocTemplate() {
  for (CDocument* doc : m_docList) CDocTemplate::RemoveDocument(doc);
}

CDocument* CMultiDocTemplate::GetNextDoc(POSITION& pos) const {
  size_t index = clx::IndexOf(pos);
  if (index >= m_docList.size()) {
    pos = nullptr;
    return nullptr;
  }
  pos = clx::PositionOf(index + 1, m_docList.size());
  return m_docList[index];
}

void CMultiDocTemplate::AddDocument(CDocument* doc) {
  CDocTemplate::AddDocument(doc);
  m_docList.push_back(doc);
}

void CMultiDocTemplate::RemoveDocument(CDocument* doc) {
  CDocTemplate::RemoveDocument(doc);
  m_docList.erase(std::remove(m_docList.begin(), m_docList.end(), doc), m_docList.end());
}

void CMultiDocTemplate::SetDefaultTitle(CDocument* doc) {
  CString name;
  if (!GetDocString(name, docName)) name = clx::LoadStr(IDS_CLX_UNTITLED);
  CString title;
  title.Format("%s%u", static_cast<const char*>(name), m_nUntitledCount + 1);
  doc->SetTitle(title);
}

CDocument* CMultiDocTemplate::OpenDocumentFile(const char* path, BOOL visible) {
  LoadTemplate();
  CDocument* doc = CreateNewDocument();
  if (!doc) return nullptr;
  // The frame is the document's until it is shown: closing it on failure takes the document along.
  bool autoDelete = doc->m_bAutoDelete;
  doc->m_bAutoDelete = false;
  CFrameWnd* frame = CreateNewFrame(doc, nullptr);
  doc->m_bAutoDelete = autoDelete;
  if (!frame) {
    delete doc;
    return nullptr;
  }
  if (!path) {
    SetDefaultTitle(doc);
    if (!doc->OnNewDocument()) {
      frame->DestroyWindow();
      return nullptr;
    }
    ++m_nUntitledCount;
  } else {
    bool opened;
    {
      CWaitCursor wait;
      opened = doc->OnOpenDocument(path) != FALSE;
    }
    if (!opened) {
      frame->DestroyWindow();
      return nullptr;
    }
    doc->SetPathName(path);
  }
  InitialUpdateFrame(frame, doc, visible);
  return doc;
}
