// The application's side of documents: the manager and its templates, the
// recent-file list and the file commands the program maps to them.
#include "clx/app.h"
#include "clx/docmanager.h"
#include "clx/recentfiles.h"
#include "clx/resource.h"
#include "clx/wnd.h"

#include <commdlg.h>

void CWinApp::AddDocTemplate(CDocTemplate* tmpl) {
  if (!m_pDocManager) m_pDocManager = new CDocManager;
  m_pDocManager->AddDocTemplate(tmpl);
}

POSITION CWinApp::GetFirstDocTemplatePosition() const {
  return m_pDocManager ? m_pDocManager->GetFirstDocTemplatePosition() : nullptr;
}

CDocTemplate* CWinApp::GetNextDocTemplate(POSITION& pos) const {
  return m_pDocManager ? m_pDocManager->GetNextDocTemplate(pos) : nullptr;
}

CDocument* CWinApp::OpenDocumentFile(const char* path) {
  return m_pDocManager ? m_pDocManager->OpenDocumentFile(path) : nullptr;
}

BOOL CWinApp::SaveAllModified() { return m_pDocManager ? m_pDocManager->SaveAllModified() : TRUE; }

void CWinApp::CloseAllDocuments(BOOL endSession) {
  if (m_pDocManager) m_pDocManager->CloseAllDocuments(endSession);
}

int CWinApp::GetOpenDocumentCount() const { return m_pDocManager ? m_pDocManager->GetOpenDocumentCount() : 0; }

void CWinApp::LoadStdProfileSettings(UINT maxMRU) {
  if (maxMRU == 0 || m_pRecentFileList) return;
  m_pRecentFileList = new CRecentFileList(0, "Recent File List", "File%d", static_cast<int>(maxMRU));
  m_pRecentFileList->ReadList();
}

void CWinApp::AddToRecentFileList(const char* path) {
  if (m_pRecentFileList) m_pRecentFileList->Add(path);
}

void CWinApp::OnFileNew() {
  if (m_pDocManager) m_pDocManager->OnFileNew();
}

void CWinApp::OnFileOpen() {
  if (m_pDocManager) m_pDocManager->OnFileOpen();
}

void CWinApp::OnAppExit() {
  if (m_pMainWnd) m_pMainWnd->SendMessage(WM_CLOSE);
}

void CWinApp::OnFilePrintSetup() {
  PRINTDLGA pd{};
  pd.lStructSize = sizeof pd;
  pd.hwndOwner = m_pMainWnd ? m_pMainWnd->m_hWnd : nullptr;
  pd.hDevMode = m_hDevMode;
  pd.hDevNames = m_hDevNames;
  pd.Flags = PD_PRINTSETUP;
  if (::PrintDlgA(&pd)) {
    m_hDevMode = pd.hDevMode;
    m_hDevNames = pd.hDevNames;
  } else if (::CommDlgExtendedError() == PDERR_NODEFAULTPRN) {
    AfxMessageBox(IDS_CLX_NO_PRINTERS);
  }
}

bool CWinApp::OnOpenRecentFile(UINT id) {
  if (!m_pRecentFileList) return false;
  int index = static_cast<int>(id) - ID_FILE_MRU_FILE1;
  if (index < 0 || index >= m_pRecentFileList->GetSize() || (*m_pRecentFileList)[index].IsEmpty()) return false;
  CString path = (*m_pRecentFileList)[index];
  if (!OpenDocumentFile(path)) m_pRecentFileList->Remove(index);
  return true;
}

void CWinApp::OnUpdateRecentFileMenu(CCmdUI* ui) {
  if (m_pRecentFileList)
    m_pRecentFileList->UpdateMenu(ui);
  else
    ui->Enable(FALSE);
}
