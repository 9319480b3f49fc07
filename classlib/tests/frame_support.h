#pragma once
// Shared pieces of the frame and document tests: an application that logs
// the commands reaching it, an MDI main frame with a tool bar and a status
// bar, and a document, view and child frame that log their part of routing.
#include <ostream>
#include <string>
#include <vector>

#include "clx/docmanager.h"
#include "clx/document.h"
#include "clx/mdi.h"
#include "clx/statusbar.h"
#include "clx/toolbar.h"
#include "clx/view.h"
#include "testing/gui_test.h"
#include "tests/frame_ids.h"

// Readable rectangles in failure messages.
inline void PrintTo(const CRect& r, std::ostream* os) {
  *os << "(" << r.left << "," << r.top << ")-(" << r.right << "," << r.bottom << ")";
}

namespace frametest {

// Who saw ID_TEST_ROUTED, in order.
std::vector<std::string>& RouteLog();
// Steps of closing and opening, in order.
std::vector<std::string>& EventLog();

class TestApplication : public clx::test::TestApp {
public:
  int fileNews = 0;

protected:
  bool OnRouted(UINT);
  DECLARE_MESSAGE_MAP()
};

TestApplication& App();

// Templates "Picture" (.pic) and "Note" (.note) and a recent-file list of
// four, for one test; the manager and the list go at the end.
struct DocumentsScope {
  DocumentsScope();
  ~DocumentsScope();
  CMultiDocTemplate* picture;
  CMultiDocTemplate* note;
};

// Makes `w` the application's main window for one test.
struct MainWindowScope {
  explicit MainWindowScope(CWnd* w) { AfxGetApp()->m_pMainWnd = w; }
  ~MainWindowScope() { AfxGetApp()->m_pMainWnd = nullptr; }
};

class MainFrame : public CMDIFrameWnd {
  DECLARE_DYNCREATE(MainFrame)
public:
  CToolBar tool;
  CStatusBar status;

protected:
  int OnCreate(CREATESTRUCT* cs);
  void OnDestroy();
  bool OnRouted(UINT);
  DECLARE_MESSAGE_MAP()
};

class StubDoc : public CDocument {
  DECLARE_DYNCREATE(StubDoc)
public:
  StubDoc();
  ~StubDoc() override;
  static int live;            // documents alive
  static int opensToFail;     // OnOpenDocument fails while above 0
  int saves = 0;
  int pictureCommands = 0;
  std::string openedPath;

  BOOL OnOpenDocument(const char* path) override;
  BOOL OnSaveDocument(const char* path) override;
  BOOL CanCloseFrame(CFrameWnd* frame) override;
  BOOL SaveModified() override;
  void OnCloseDocument() override;

protected:
  bool OnRouted(UINT);
  void OnUpdateFileSave(CCmdUI* ui) { ui->Enable(IsModified()); }
  void OnPictureOnly() { ++pictureCommands; }
  DECLARE_MESSAGE_MAP()
};

class LogView : public CView {
  DECLARE_DYNCREATE(LogView)
public:
  int initialUpdates = 0;
  int updates = 0;
  COLORREF colour = RGB(0, 0, 255);
  void OnDraw(CDC* dc) override;
  void OnInitialUpdate() override;
  void OnUpdate(CView* sender, LPARAM hint, CObject* hintObject) override;

protected:
  bool OnRouted(UINT);
  DECLARE_MESSAGE_MAP()
};

class LogChild : public CMDIChildWnd {
  DECLARE_DYNCREATE(LogChild)
protected:
  bool OnRouted(UINT);
  DECLARE_MESSAGE_MAP()
};

// A document in a new child frame of `main`, made by hand (no template).
StubDoc* OpenStub(MainFrame* main, const char* title, HMENU sharedMenu = nullptr, LogChild** child = nullptr);

}  // namespace frametest
