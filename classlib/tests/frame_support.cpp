#include "tests/frame_support.h"

#include <gtest/gtest.h>

#include "clx/recentfiles.h"

namespace frametest {

std::vector<std::string>& RouteLog() {
  static std::vector<std::string> log;
  return log;
}

std::vector<std::string>& EventLog() {
  static std::vector<std::string> log;
  return log;
}

BEGIN_MESSAGE_MAP(TestApplication, clx::test::TestApp)
  ON_COMMAND_EX(ID_TEST_ROUTED, OnRouted)
  ON_COMMAND(ID_FILE_NEW, OnFileNew)
  ON_COMMAND(ID_FILE_OPEN, OnFileOpen)
  ON_COMMAND_EX_RANGE(ID_FILE_MRU_FILE1, ID_FILE_MRU_LAST, OnOpenRecentFile)
  ON_UPDATE_COMMAND_UI(ID_FILE_MRU_FILE1, OnUpdateRecentFileMenu)
END_MESSAGE_MAP()

bool TestApplication::OnRouted(UINT) {
  RouteLog().push_back("application");
  return true;
}

TestApplication& App() { return *static_cast<TestApplication*>(AfxGetApp()); }

DocumentsScope::DocumentsScope() {
  picture = new CMultiDocTemplate(IDR_TEST_PICTURE, RUNTIME_CLASS(StubDoc), RUNTIME_CLASS(LogChild), RUNTIME_CLASS(LogView));
  note = new CMultiDocTemplate(IDR_TEST_NOTE, RUNTIME_CLASS(StubDoc), RUNTIME_CLASS(LogChild), RUNTIME_CLASS(LogView));
  App().AddDocTemplate(picture);
  App().AddDocTemplate(note);
  App().LoadStdProfileSettings(4);
}

DocumentsScope::~DocumentsScope() {
  CWinApp& app = App();
  delete app.m_pDocManager;
  app.m_pDocManager = nullptr;
  delete app.m_pRecentFileList;
  app.m_pRecentFileList = nullptr;
}

// ---------------------------------------------------------------- main frame

IMPLEMENT_DYNCREATE(MainFrame, CMDIFrameWnd)

BEGIN_MESSAGE_MAP(MainFrame, CMDIFrameWnd)
  ON_WM_CREATE()
  ON_WM_DESTROY()
  ON_COMMAND_EX(ID_TEST_ROUTED, OnRouted)
END_MESSAGE_MAP()

int MainFrame::OnCreate(CREATESTRUCT* cs) {
  if (CMDIFrameWnd::OnCreate(cs) == -1) return -1;
  static const UINT indicators[] = {ID_INDICATOR_TEST, 0};
  if (!tool.Create(this) || !tool.LoadToolBar(IDR_TEST_FRAME) || !status.Create(this) ||
      !status.SetIndicators(indicators, 2))
    return -1;
  tool.SetBarStyle(tool.GetBarStyle() | CBRS_TOOLTIPS | CBRS_FLYBY);
  EnableDocking(CBRS_ALIGN_ANY);
  tool.EnableDocking(CBRS_ALIGN_ANY);
  DockControlBar(&tool);
  return 0;
}

void MainFrame::OnDestroy() {
  EventLog().push_back("main frame destroyed");
  CMDIFrameWnd::OnDestroy();
}

bool MainFrame::OnRouted(UINT) {
  RouteLog().push_back("frame");
  return false;
}

// ---------------------------------------------------------------- document, view, child

IMPLEMENT_DYNCREATE(StubDoc, CDocument)

BEGIN_MESSAGE_MAP(StubDoc, CDocument)
  ON_COMMAND_EX(ID_TEST_ROUTED, OnRouted)
  ON_UPDATE_COMMAND_UI(ID_FILE_SAVE, OnUpdateFileSave)
  ON_COMMAND(ID_TEST_PICTURE_ONLY, OnPictureOnly)
END_MESSAGE_MAP()

int StubDoc::live = 0;
int StubDoc::opensToFail = 0;

StubDoc::StubDoc() { ++live; }
StubDoc::~StubDoc() { --live; }

BOOL StubDoc::OnOpenDocument(const char* path) {
  if (opensToFail > 0) {
    --opensToFail;
    return FALSE;
  }
  openedPath = path;
  return TRUE;
}

BOOL StubDoc::CanCloseFrame(CFrameWnd* frame) {
  EventLog().push_back("CanCloseFrame " + std::string(GetTitle()));
  return CDocument::CanCloseFrame(frame);
}

BOOL StubDoc::SaveModified() {
  EventLog().push_back("SaveModified " + std::string(GetTitle()));
  return CDocument::SaveModified();
}

void StubDoc::OnCloseDocument() {
  EventLog().push_back("OnCloseDocument " + std::string(GetTitle()));
  CDocument::OnCloseDocument();
}

BOOL StubDoc::OnSaveDocument(const char*) {
  ++saves;
  SetModifiedFlag(FALSE);
  return TRUE;
}

bool StubDoc::OnRouted(UINT) {
  RouteLog().push_back("document");
  return false;
}

IMPLEMENT_DYNCREATE(LogView, CView)

BEGIN_MESSAGE_MAP(LogView, CView)
  ON_COMMAND_EX(ID_TEST_ROUTED, OnRouted)
END_MESSAGE_MAP()

void LogView::OnDraw(CDC* dc) {
  CRect r = GetClientRect();
  dc->FillSolidRect(&r, colour);
}

void LogView::OnInitialUpdate() {
  ++initialUpdates;
  CView::OnInitialUpdate();
}

void LogView::OnUpdate(CView* sender, LPARAM hint, CObject* hintObject) {
  ++updates;
  CView::OnUpdate(sender, hint, hintObject);
}

bool LogView::OnRouted(UINT) {
  RouteLog().push_back("view");
  return false;
}

IMPLEMENT_DYNCREATE(LogChild, CMDIChildWnd)

BEGIN_MESSAGE_MAP(LogChild, CMDIChildWnd)
  ON_COMMAND_EX(ID_TEST_ROUTED, OnRouted)
END_MESSAGE_MAP()

bool LogChild::OnRouted(UINT) {
  RouteLog().push_back("child");
  return false;
}

StubDoc* OpenStub(MainFrame* main, const char* title, HMENU sharedMenu, LogChild** childOut) {
  auto* doc = new StubDoc;
  CCreateContext context;
  context.m_pNewViewClass = RUNTIME_CLASS(LogView);
  context.m_pCurrentDoc = doc;
  auto* child = new LogChild;
  child->m_hMenuShared = sharedMenu;
  if (!child->LoadFrame(IDR_TEST_PICTURE, WS_OVERLAPPEDWINDOW | FWS_ADDTOTITLE, main, &context)) {
    ADD_FAILURE() << "child frame not created";
    delete doc;
    return nullptr;
  }
  doc->SetTitle(title);
  child->InitialUpdateFrame(doc, TRUE);
  if (childOut) *childOut = child;
  return doc;
}

}  // namespace frametest
