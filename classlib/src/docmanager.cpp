#include "clx/docmanager.h"

#include <string>

#include "clx/app.h"
#include "clx/document.h"
#include "clx/frame.h"
#include "clx/resources.h"
#include "clx/view.h"

#include <commdlg.h>

IMPLEMENT_DYNAMIC(CDocManager, CObject)

CDocManager::~CDocManager() {
  for (CDocTemplate* tmpl : m_templateList) delete tmpl;
}

void CDocManager::AddDocTemplate(CDocTemplate* tmpl) {
  tmpl->LoadTemplate();
  m_templateList.push_back(tmpl);
}

CDocTemplate* CDocManager::GetNextDocTemplate(POSITION& pos) const {
  size_t index = clx::IndexOf(pos);
  if (index >= m_templateList.size()) {
    pos = nullptr;
    return nullptr;
  }
  pos = clx::PositionOf(index + 1, m_templateList.size());
  return m_templateList[index];
}

CDocument* CDocManager::OpenDocumentFile(const char* path) {
  if (m_templateList.empty() || !path || !*path) return nullptr;
  char full[MAX_PATH] = "";
  DWORD n = ::GetFullPathNameA(path, MAX_PATH, full, nullptr);
  CString name = n > 0 && n < MAX_PATH ? full : path;
  CDocTemplate* best = nullptr;
  CDocTemplate::Confidence bestConfidence = CDocTemplate::noAttempt;
  for (CDocTemplate* tmpl : m_templateList) {
    CDocument* open = nullptr;
    CDocTemplate::Confidence confidence = tmpl->MatchDocType(name, open);
    if (confidence == CDocTemplate::yesAlreadyOpen) {
      // Already open: its first view's frame comes to the front.
      POSITION pos = open->GetFirstViewPosition();
      if (CView* view = pos ? open->GetNextView(pos) : nullptr)
        if (CFrameWnd* frame = view->GetParentFrame()) frame->ActivateFrame();
      return open;
    }
    if (confidence > bestConfidence) {
      bestConfidence = confidence;
      best = tmpl;
    }
  }
  if (!best) best = m_templateList.front();
  return best->OpenDocumentFile(name);
}

void CDocManager::OnFileNew() {
  if (!m_templateList.empty()) m_templateList.front()->OpenDocumentFile(nullptr);
}

void CDocManager::OnFileOpen() {
  CString name;
  if (!DoPromptFileName(name, IDS_CLX_OPEN, OFN_HIDEREADONLY | OFN_FILEMUSTEXIST, TRUE, nullptr)) return;
  if (CWinApp* app = AfxGetApp()) app->OpenDocumentFile(name);
}

namespace {
void AppendFilter(std::string& filter, const char* name, const char* pattern) {
  filter += name;
  filter += '\0';
  filter += pattern;
  filter += '\0';
}
}  // namespace

BOOL CDocManager::DoPromptFileName(CString& fileName, UINT titleId, DWORD flags, BOOL openFileDialog,
                                   CDocTemplate* tmpl) {
  std::string filter;
  int filterIndex = 0, count = 0;
  for (CDocTemplate* t : m_templateList) {
    CString name, ext;
    if (!t->GetDocString(name, CDocTemplate::filterName) || !t->GetDocString(ext, CDocTemplate::filterExt)) continue;
    ++count;
    if (t == tmpl) filterIndex = count;
    AppendFilter(filter, name, "*" + ext);
  }
  AppendFilter(filter, clx::LoadStr(IDS_CLX_ALL_FILES), "*.*");
  filter += '\0';
  CString title = clx::LoadStr(titleId);
  char buffer[MAX_PATH * 4] = "";
  ::lstrcpynA(buffer, fileName, static_cast<int>(sizeof buffer));
  OPENFILENAMEA ofn{};
  ofn.lStructSize = sizeof ofn;
  CWnd* main = AfxGetMainWnd();
  ofn.hwndOwner = main ? main->m_hWnd : nullptr;
  ofn.lpstrFilter = filter.c_str();
  ofn.nFilterIndex = static_cast<DWORD>(filterIndex ? filterIndex : 1);
  ofn.lpstrFile = buffer;
  ofn.nMaxFile = sizeof buffer;
  ofn.lpstrTitle = title.IsEmpty() ? nullptr : static_cast<const char*>(title);
  ofn.Flags = flags | OFN_EXPLORER | OFN_ENABLESIZING;
  BOOL ok = openFileDialog ? ::GetOpenFileNameA(&ofn) : ::GetSaveFileNameA(&ofn);
  if (ok) fileName = buffer;
  return ok;
}

BOOL CDocManager::SaveAllModified() {
  for (CDocTemplate* tmpl : m_templateList)
    if (!tmpl->SaveAllModified()) return FALSE;
  return TRUE;
}

void CDocManager::CloseAllDocuments(BOOL endSession) {
  for (CDocTemplate* tmpl : m_templateList) tmpl->CloseAllDocuments(endSession);
}

int CDocManager::GetOpenDocumentCount() {
  int count = 0;
  for (CDocTemplate* tmpl : m_templateList)
    for (POSITION pos = tmpl->GetFirstDocPosition(); pos; tmpl->GetNextDoc(pos)) ++count;
  return count;
}

int clx::FileNameControlId(HWND dialog) { return ::GetDlgItem(dialog, 1148) ? 1148 : 1152; }
