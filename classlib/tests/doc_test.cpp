// Documents, views and templates: the open/new/close life cycle, window
// numbers, the recent-file list and its menu, File Open through the real
// dialog, dropped files, scroll views, and the whole MDI program drawn.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "clx/recentfiles.h"
#include "clx/scrollview.h"
#include "tests/frame_support.h"

#include <shlobj.h>  // DROPFILES

namespace {

using frametest::App;
using frametest::DocumentsScope;
using frametest::EventLog;
using frametest::LogChild;
using frametest::LogView;
using frametest::MainFrame;
using frametest::MainWindowScope;
using frametest::RouteLog;
using frametest::StubDoc;

MainFrame* NewMainFrame() {
  auto* main = new MainFrame;
  if (!main->LoadFrame(IDR_TEST_FRAME, WS_OVERLAPPEDWINDOW)) return nullptr;
  main->SetWindowPos(nullptr, 0, 0, 760, 560, SWP_NOZORDER | SWP_SHOWWINDOW);
  return main;
}

LogView* FirstView(CDocument* doc) {
  POSITION pos = doc->GetFirstViewPosition();
  return pos ? static_cast<LogView*>(doc->GetNextView(pos)) : nullptr;
}

CFrameWnd* FrameOf(CDocument* doc) {
  LogView* view = FirstView(doc);
  return view ? view->GetParentFrame() : nullptr;
}

// Ends the test's main frame: WM_CLOSE asks nothing when no document is modified.
void CloseMain(MainFrame* main) {
  main->SendMessage(WM_CLOSE);
  GuiTest::PumpUntilIdle();
  GuiTest::TakeQuit();
}

TEST_F(GuiTest, NewAndOpenPickTheTemplateAndAnOpenFileIsOnlyActivated) {
  DocumentsScope documents;
  MainFrame* main = NewMainFrame();
  ASSERT_NE(main, nullptr);
  MainWindowScope scope(main);

  main->SendMessage(WM_COMMAND, ID_FILE_NEW);
  main->SendMessage(WM_COMMAND, ID_FILE_NEW);
  ASSERT_TRUE(PumpUntilIdle());
  ASSERT_EQ(App().GetOpenDocumentCount(), 2);
  auto* second = static_cast<StubDoc*>(main->GetActiveDocument());
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(second->GetTitle(), "Picture2");  // document name + number
  EXPECT_EQ(second->GetDocTemplate(), documents.picture);
  EXPECT_EQ(FrameOf(second)->GetWindowText(), "Picture2");
  EXPECT_EQ(FirstView(second)->initialUpdates, 1);

  struct Case {
    const char* path;
    CDocTemplate* tmpl;
    const char* title;
  } cases[] = {
      {"c:\\notes\\a.note", documents.note, "a.note"},           // by extension
      {"C:\\NOTES\\A.NOTE", documents.note, "a.note"},           // already open: the same document
      {"c:\\notes\\b.txt", documents.picture, "b.txt"},          // nobody's: the first template
  };
  CDocument* first = nullptr;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    auto* doc = static_cast<StubDoc*>(App().OpenDocumentFile(c.path));
    ASSERT_NE(doc, nullptr);
    EXPECT_EQ(doc->GetDocTemplate(), c.tmpl);
    EXPECT_EQ(doc->GetTitle(), c.title);
    EXPECT_EQ(main->GetActiveDocument(), doc);
    if (!first) first = doc;
  }
  EXPECT_EQ(App().OpenDocumentFile("C:\\NOTES\\A.NOTE"), first);
  EXPECT_EQ(App().GetOpenDocumentCount(), 4);
  EXPECT_EQ(static_cast<StubDoc*>(first)->openedPath, "c:\\notes\\a.note");

  // A document that cannot be read leaves neither a document nor a frame behind.
  int live = StubDoc::live;
  StubDoc::opensToFail = 1;
  EXPECT_EQ(App().OpenDocumentFile("c:\\broken.pic"), nullptr);
  ASSERT_TRUE(PumpUntilIdle());
  EXPECT_EQ(StubDoc::live, live);
  EXPECT_EQ(App().GetOpenDocumentCount(), 4);

  // Views hear of changes, except the one that made them.
  LogView* view = FirstView(second);
  int updates = view->updates;
  second->UpdateAllViews(nullptr);
  second->UpdateAllViews(view);
  EXPECT_EQ(view->updates, updates + 1);

  // File Close on the active document.
  main->SendMessage(WM_COMMAND, ID_FILE_CLOSE);
  ASSERT_TRUE(PumpUntilIdle());
  EXPECT_EQ(App().GetOpenDocumentCount(), 3);
  CloseMain(main);
  EXPECT_EQ(StubDoc::live, 0);
}

TEST_F(GuiTest, ClosingTheMainFrameAsksTheActiveDocumentThenSavesAllThenClosesThenDestroys) {
  DocumentsScope documents;
  MainFrame* main = NewMainFrame();
  ASSERT_NE(main, nullptr);
  MainWindowScope scope(main);
  App().OpenDocumentFile("c:\\one.pic");
  CDocument* two = App().OpenDocumentFile("c:\\two.pic");
  ASSERT_NE(two, nullptr);
  two->SetModifiedFlag();
  HWND h = main->m_hWnd;
  EventLog().clear();
  {
    MessageBoxScript boxes{{"Save changes to c:\\two.pic?", IDCANCEL}};
    main->SendMessage(WM_CLOSE);
  }
  EXPECT_TRUE(::IsWindow(h));  // cancelled: nothing closed
  EXPECT_EQ(EventLog(), (std::vector<std::string>{"CanCloseFrame two.pic", "SaveModified one.pic", "SaveModified two.pic"}));
  EventLog().clear();
  {
    MessageBoxScript boxes{{"Save changes to c:\\two.pic?", IDNO}};
    main->SendMessage(WM_CLOSE);
  }
  ASSERT_TRUE(PumpUntilIdle());
  EXPECT_FALSE(::IsWindow(h));
  EXPECT_EQ(TakeQuit(), 0);
  EXPECT_EQ(EventLog(), (std::vector<std::string>{"CanCloseFrame two.pic", "SaveModified one.pic",
                                                  "SaveModified two.pic", "OnCloseDocument one.pic",
                                                  "OnCloseDocument two.pic", "main frame destroyed"}));
  EXPECT_EQ(StubDoc::live, 0);
}

TEST_F(GuiTest, ASecondFrameOnADocumentNumbersBothAndClosesWithoutAsking) {
  DocumentsScope documents;
  MainFrame* main = NewMainFrame();
  ASSERT_NE(main, nullptr);
  MainWindowScope scope(main);
  CDocument* doc = App().OpenDocumentFile("c:\\shared.pic");
  ASSERT_NE(doc, nullptr);
  CFrameWnd* first = FrameOf(doc);
  CFrameWnd* second = documents.picture->CreateNewFrame(doc, first);
  ASSERT_NE(second, nullptr);
  documents.picture->InitialUpdateFrame(second, doc);
  ASSERT_TRUE(PumpUntilIdle());
  EXPECT_EQ(first->GetWindowText(), "shared.pic:1");
  EXPECT_EQ(second->GetWindowText(), "shared.pic:2");
  EXPECT_TRUE(first->AddsToTitle());
  EXPECT_FALSE(first->GetStyle() & FWS_ADDTOTITLE);  // the frame's bit, never Win32's

  // A click into the other frame's view activates that frame and view.
  auto* firstView = static_cast<LogView*>(first->GetActiveView());
  ASSERT_NE(firstView, nullptr);
  ASSERT_EQ(main->MDIGetActive(), second);
  firstView->SendMessage(WM_MOUSEACTIVATE, reinterpret_cast<WPARAM>(main->m_hWnd), MAKELPARAM(HTCLIENT, WM_LBUTTONDOWN));
  ASSERT_TRUE(PumpUntilIdle());
  EXPECT_EQ(main->MDIGetActive(), first);
  EXPECT_EQ(main->GetActiveFrame()->GetActiveView(), firstView);

  doc->SetModifiedFlag();
  second->SendMessage(WM_CLOSE);  // the other frame still shows it: no question
  ASSERT_TRUE(PumpUntilIdle());
  EXPECT_EQ(first->GetWindowText(), "shared.pic");
  doc->SetTitle("renamed");
  EXPECT_EQ(first->GetWindowText(), "renamed");
  doc->SetModifiedFlag(FALSE);
  CloseMain(main);
}

// ---------------------------------------------------------------- recent files

TEST(RecentFileListTest, AddsToTheTopWithoutDuplicatesAndShortensForDisplay) {
  CRecentFileList list(0, "Recent File List", "File%d", 4, 30);
  for (const char* path : {"c:\\a.pic", "c:\\b.pic", "c:\\c.pic", "C:\\A.PIC"}) list.Add(path);
  EXPECT_EQ(list[0], "C:\\A.PIC");
  EXPECT_EQ(list[1], "c:\\c.pic");
  EXPECT_EQ(list[2], "c:\\b.pic");
  EXPECT_TRUE(list[3].IsEmpty());
  list.Add("c:\\d.pic");
  list.Add("c:\\e.pic");  // the oldest falls off
  EXPECT_EQ(list[3], "c:\\c.pic");
  list.Remove(1);
  EXPECT_EQ(list[1], "C:\\A.PIC");
  EXPECT_TRUE(list[3].IsEmpty());

  struct Case {
    const char* path;
    const char* shown;
  } cases[] = {
      {"C:\\a.pic", "C:\\a.pic"},
      {"C:\\Program Files\\Korva\\Pictures\\2026\\holiday.xqv", "C:\\...\\2026\\holiday.xqv"},
      {"\\\\server\\share\\alpha\\beta\\gamma\\name.pic", "\\\\server\\share\\...\\name.pic"},
      {"C:\\a-very-long-folder-name-here\\another-long-file-name.pic", "another-long-file-name.pic"},
  };
  for (const Case& c : cases) {
    CRecentFileList one(0, "s", "File%d", 1, 30);
    one.Add(c.path);
    CString shown;
    EXPECT_TRUE(one.GetDisplayName(shown, 0));
    EXPECT_EQ(shown, c.shown) << c.path;
  }
}

TEST_F(GuiTest, RecentFileListKeepsItsFilesInTheApplicationProfile) {
  CWinApp& app = App();
  app.SetRegistryKey("Tessaline Tests");
  {
    CRecentFileList written(0, "Recent File List", "File%d", 4);
    written.Add("c:\\first.pic");
    written.Add("c:\\second.note");
    written.WriteList();
  }
  EXPECT_EQ(app.GetProfileString("Recent File List", "File1"), "c:\\second.note");
  CRecentFileList read(0, "Recent File List", "File%d", 4);
  read.ReadList();
  EXPECT_EQ(read[0], "c:\\second.note");
  EXPECT_EQ(read[1], "c:\\first.pic");
  EXPECT_TRUE(read[2].IsEmpty());
  // A shorter list written over it leaves no stale entry behind.
  read.Remove(0);
  read.Remove(0);
  read.WriteList();
  EXPECT_EQ(app.GetProfileString("Recent File List", "File1", "none"), "none");
  app.WriteProfileString("Recent File List", nullptr, nullptr);
}

std::vector<std::string> MenuTexts(HMENU menu) {
  std::vector<std::string> texts;
  for (int i = 0, n = ::GetMenuItemCount(menu); i < n; ++i) {
    char text[128] = "";
    ::GetMenuStringA(menu, static_cast<UINT>(i), text, sizeof text, MF_BYPOSITION);
    texts.emplace_back(text);
  }
  return texts;
}

TEST_F(GuiTest, RecentFilesExpandInTheMenuAndAFileThatNoLongerOpensLeavesTheList) {
  DocumentsScope documents;
  MainFrame* main = NewMainFrame();
  ASSERT_NE(main, nullptr);
  MainWindowScope scope(main);
  HMENU file = ::GetSubMenu(main->GetMenu(), 0);
  const int placeholder = 8;  // position of "Recent File"
  auto openMenu = [&] { main->SendMessage(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(file), MAKELPARAM(0, FALSE)); };

  openMenu();  // empty list: the placeholder, greyed
  EXPECT_EQ(MenuTexts(file)[placeholder], "Recent File");
  EXPECT_TRUE(::GetMenuState(file, placeholder, MF_BYPOSITION) & MF_GRAYED);

  for (const char* path : {"c:\\one.pic", "c:\\two.note"}) {
    CDocument* doc = App().OpenDocumentFile(path);
    ASSERT_NE(doc, nullptr);
    doc->OnCloseDocument();
  }
  int count = ::GetMenuItemCount(file);
  openMenu();
  openMenu();  // opening it again replaces the items, it does not add to them
  std::vector<std::string> texts = MenuTexts(file);
  ASSERT_EQ(static_cast<int>(texts.size()), count + 1);
  EXPECT_EQ(texts[placeholder], "&1 c:\\two.note");
  EXPECT_EQ(texts[placeholder + 1], "&2 c:\\one.pic");
  EXPECT_EQ(texts[placeholder + 3], "E&xit");  // the items after it keep their order
  EXPECT_FALSE(::GetMenuState(file, placeholder + 1, MF_BYPOSITION) & MF_GRAYED);
  EXPECT_EQ(::GetMenuItemID(file, placeholder + 1), static_cast<UINT>(ID_FILE_MRU_FILE1 + 1));

  // Picking an entry opens it; one that fails is removed.
  main->SendMessage(WM_COMMAND, ID_FILE_MRU_FILE1 + 1);
  ASSERT_NE(main->GetActiveDocument(), nullptr);
  EXPECT_EQ(main->GetActiveDocument()->GetPathName(), "c:\\one.pic");
  EXPECT_EQ((*App().m_pRecentFileList)[0], "c:\\one.pic");  // opened: back on top
  StubDoc::opensToFail = 1;
  main->SendMessage(WM_COMMAND, ID_FILE_MRU_FILE1 + 1);
  EXPECT_EQ((*App().m_pRecentFileList)[0], "c:\\one.pic");
  EXPECT_TRUE((*App().m_pRecentFileList)[1].IsEmpty());
  openMenu();
  EXPECT_EQ(static_cast<int>(MenuTexts(file).size()), count);
  CloseMain(main);
}

// ---------------------------------------------------------------- File Open, dropped files

// Answers the next file dialog with `path` typed into its file-name box; any
// other dialog that comes up (an error box) is cancelled and fails the test.
class FileDialogScript {
public:
  explicit FileDialogScript(std::string path) : m_path(std::move(path)) {
    s_script = this;
    m_hook = ::SetWindowsHookExA(WH_CBT, &Proc, nullptr, ::GetCurrentThreadId());
    m_readHook = ::SetWindowsHookExA(WH_GETMESSAGE, &ReadTypes, nullptr, ::GetCurrentThreadId());
  }
  ~FileDialogScript() {
    ::UnhookWindowsHookEx(m_readHook);
    ::UnhookWindowsHookEx(m_hook);
    s_script = nullptr;
    EXPECT_EQ(answered, 1);
  }
  int answered = 0;
  std::vector<std::string> types;  // the dialog's file types, in order
  int typeShown = -1;              // the one it showed first

private:
  static LRESULT CALLBACK Proc(int code, WPARAM w, LPARAM l) {
    FileDialogScript* self = s_script;
    // The desktop may activate the dialog again: it is answered once.
    if (code == HCBT_ACTIVATE && self && CWindow(reinterpret_cast<HWND>(w)).GetClassName() == "#32770" &&
        reinterpret_cast<HWND>(w) != self->m_seen) {
      HWND dialog = reinterpret_cast<HWND>(w);
      self->m_seen = dialog;
      if (self->answered++ == 0 && ::GetDlgItem(dialog, clx::FileNameControlId(dialog))) {
        self->m_dialog = dialog;
        ::SetDlgItemTextA(dialog, clx::FileNameControlId(dialog), self->m_path.c_str());
        ::PostMessageA(dialog, WM_COMMAND, IDOK, 0);
      } else {
        ADD_FAILURE() << "unexpected dialog: " << CWindow(dialog).GetWindowText().str();
        ::PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
        if (HWND owner = ::GetWindow(dialog, GW_OWNER)) ::PostMessageA(owner, WM_COMMAND, IDCANCEL, 0);
      }
    }
    return ::CallNextHookEx(self ? self->m_hook : nullptr, code, w, l);
  }
  // The type list is read as the answer arrives: the dialog fills it after
  // it is first activated and empties it before it goes.
  static LRESULT CALLBACK ReadTypes(int code, WPARAM w, LPARAM l) {
    FileDialogScript* self = s_script;
    const auto* msg = reinterpret_cast<const MSG*>(l);
    if (code == HC_ACTION && self && self->m_dialog && msg->hwnd == self->m_dialog && msg->message == WM_COMMAND &&
        LOWORD(msg->wParam) == IDOK) {
      const int typeList = 1136;  // cmb1
      HWND dialog = self->m_dialog;
      for (int i = 0, n = static_cast<int>(::SendDlgItemMessageA(dialog, typeList, CB_GETCOUNT, 0, 0)); i < n; ++i) {
        char text[256] = "";
        if (::SendDlgItemMessageA(dialog, typeList, CB_GETLBTEXTLEN, static_cast<WPARAM>(i), 0) < 256)
          ::SendDlgItemMessageA(dialog, typeList, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
        self->types.emplace_back(text);
      }
      self->typeShown = static_cast<int>(::SendDlgItemMessageA(dialog, typeList, CB_GETCURSEL, 0, 0));
      self->m_dialog = nullptr;
    }
    return ::CallNextHookEx(self ? self->m_readHook : nullptr, code, w, l);
  }
  static inline FileDialogScript* s_script = nullptr;
  std::string m_path;
  HHOOK m_hook = nullptr;
  HHOOK m_readHook = nullptr;
  HWND m_dialog = nullptr;
  HWND m_seen = nullptr;
};

TEST_F(GuiTest, FileOpenTakesTheNameFromTheFileDialog) {
  DocumentsScope documents;
  MainFrame* main = NewMainFrame();
  ASSERT_NE(main, nullptr);
  MainWindowScope scope(main);
  char folder[MAX_PATH] = "";
  ::GetTempPathA(MAX_PATH, folder);
  std::string path = std::string(folder) + "clx_open_test.note";
  FILE* f = std::fopen(path.c_str(), "wb");
  ASSERT_NE(f, nullptr);
  std::fputs("note", f);
  std::fclose(f);
  {
    FileDialogScript dialog(path);
    main->SendMessage(WM_COMMAND, ID_FILE_OPEN);
    // Every template's type, then all files; the first is shown.
    EXPECT_EQ(dialog.types,
              (std::vector<std::string>{"Picture Files (*.pic)", "Note Files (*.note)", "All Files (*.*)"}));
    EXPECT_EQ(dialog.typeShown, 0);
  }
  ASSERT_TRUE(PumpUntilIdle());
  auto* doc = static_cast<StubDoc*>(main->GetActiveDocument());
  ASSERT_NE(doc, nullptr);
  EXPECT_EQ(CString(doc->openedPath.c_str()).CompareNoCase(path.c_str()), 0);
  EXPECT_EQ(doc->GetDocTemplate(), documents.note);
  std::remove(path.c_str());
  CloseMain(main);
}

TEST_F(GuiTest, SaveAsTakesTheNewNameFromTheFileDialog) {
  DocumentsScope documents;
  MainFrame* main = NewMainFrame();
  ASSERT_NE(main, nullptr);
  MainWindowScope scope(main);
  auto* doc = static_cast<StubDoc*>(documents.note->OpenDocumentFile(nullptr));  // a new note
  ASSERT_NE(doc, nullptr);
  doc->SetModifiedFlag();
  char folder[MAX_PATH] = "";
  ::GetTempPathA(MAX_PATH, folder);
  std::string path = std::string(folder) + "clx_saved.note";
  {
    FileDialogScript dialog(path);
    main->SendMessage(WM_COMMAND, ID_FILE_SAVE_AS);
    EXPECT_EQ(dialog.typeShown, 1);  // the document's own type
  }
  ASSERT_TRUE(PumpUntilIdle());
  EXPECT_EQ(doc->saves, 1);
  EXPECT_FALSE(doc->IsModified());
  EXPECT_EQ(doc->GetPathName().CompareNoCase(path.c_str()), 0);
  EXPECT_EQ(doc->GetTitle(), "clx_saved.note");
  EXPECT_EQ(FrameOf(doc)->GetWindowText(), "clx_saved.note");
  EXPECT_EQ((*App().m_pRecentFileList)[0].CompareNoCase(path.c_str()), 0);
  CloseMain(main);
}

// A shell drop as the shell builds it: DROPFILES, then the paths, each ended by a zero, then one more zero.
HDROP MakeDrop(const std::vector<std::string>& paths) {
  size_t bytes = sizeof(DROPFILES) + 1;
  for (const std::string& p : paths) bytes += p.size() + 1;
  HGLOBAL mem = ::GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, bytes);
  auto* drop = static_cast<DROPFILES*>(::GlobalLock(mem));
  drop->pFiles = sizeof(DROPFILES);
  char* out = reinterpret_cast<char*>(drop + 1);
  for (const std::string& p : paths) {
    std::memcpy(out, p.c_str(), p.size() + 1);
    out += p.size() + 1;
  }
  ::GlobalUnlock(mem);
  return static_cast<HDROP>(mem);
}

TEST_F(GuiTest, DroppedFilesOpenAsDocuments) {
  DocumentsScope documents;
  MainFrame* main = NewMainFrame();
  ASSERT_NE(main, nullptr);
  MainWindowScope scope(main);
  main->DragAcceptFiles();
  EXPECT_TRUE(main->GetExStyle() & WS_EX_ACCEPTFILES);
  main->PostMessage(WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop({"c:\\dropped.pic", "c:\\dropped.note"})));
  ASSERT_TRUE(PumpUntilIdle());
  ASSERT_EQ(App().GetOpenDocumentCount(), 2);
  auto* active = static_cast<StubDoc*>(main->GetActiveDocument());
  ASSERT_NE(active, nullptr);
  EXPECT_EQ(active->openedPath, "c:\\dropped.note");  // the last one opened is in front
  EXPECT_EQ((*App().m_pRecentFileList)[1], "c:\\dropped.pic");
  CloseMain(main);
}

// ---------------------------------------------------------------- scroll view

class WideView : public CScrollView {
  DECLARE_DYNCREATE(WideView)
public:
  void OnDraw(CDC*) override {}
  void OnInitialUpdate() override { SetScrollSizes(MM_TEXT, CSize(200000, 40)); }
  using CScrollView::m_lineDev;
  using CScrollView::m_pageDev;
};
IMPLEMENT_DYNCREATE(WideView, CScrollView)

TEST_F(GuiTest, ScrollViewPositionsGoBeyondSixteenBits) {
  auto* doc = new StubDoc;
  CCreateContext context;
  context.m_pNewViewClass = RUNTIME_CLASS(WideView);
  context.m_pCurrentDoc = doc;
  auto* frame = new CFrameWnd;
  ASSERT_TRUE(frame->LoadFrame(IDR_TEST_FRAME, WS_OVERLAPPEDWINDOW, nullptr, &context));
  frame->SetWindowPos(nullptr, 0, 0, 400, 300, SWP_NOZORDER);
  frame->InitialUpdateFrame(doc, TRUE);
  ASSERT_TRUE(PumpUntilIdle());
  auto* view = static_cast<WideView*>(frame->GetActiveView());
  ASSERT_NE(view, nullptr);
  EXPECT_EQ(view->GetTotalSize(), CSize(200000, 40));
  EXPECT_EQ(view->m_pageDev, CSize(20000, 4));  // a tenth of the total
  EXPECT_EQ(view->m_lineDev, CSize(2000, 0));   // a tenth of the page
  EXPECT_TRUE(view->GetStyle() & WS_HSCROLL);
  EXPECT_FALSE(view->GetStyle() & WS_VSCROLL);
  int width = view->GetClientRect().Width();
  const int end = 200000 - width;

  struct Case {
    UINT code;
    int expected;
  } cases[] = {
      {SB_BOTTOM, end},
      {SB_LINEUP, end - 2000},
      {SB_PAGEUP, end - 22000},
      {SB_THUMBTRACK, end - 22000},  // the message's 16-bit position is not taken
      {SB_PAGEDOWN, end - 2000},
      {SB_PAGEDOWN, end},  // clamped at the end
      {SB_TOP, 0},
      {SB_LINEUP, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.code);
    int16_t truncated = static_cast<int16_t>(c.expected);
    view->SendMessage(WM_HSCROLL, MAKEWPARAM(c.code, static_cast<WORD>(truncated)));
    EXPECT_EQ(view->GetScrollPosition(), CPoint(c.expected, 0));
    CClientDC dc(view->m_hWnd);
    view->OnPrepareDC(&dc);
    POINT origin;
    ::GetViewportOrgEx(dc, &origin);
    EXPECT_EQ(origin.x, -c.expected);
  }
  view->ScrollToPosition(CPoint(70000, 0));
  EXPECT_EQ(view->GetDeviceScrollPosition().x, 70000);
  // A window wider than the total needs no bar and starts at 0.
  view->SetScrollSizes(MM_TEXT, CSize(100, 20));
  EXPECT_FALSE(view->GetStyle() & WS_HSCROLL);
  EXPECT_EQ(view->GetScrollPosition(), CPoint(0, 0));
  frame->DestroyWindow();
  ASSERT_TRUE(PumpUntilIdle());
  EXPECT_EQ(StubDoc::live, 0);
}

// ---------------------------------------------------------------- the whole program

// Taken while the current folder is still the repo root: the file dialogs of
// the tests before move it.
const std::string kShotPath = [] {
  char full[MAX_PATH] = "";
  ::GetFullPathNameA(TESS_SCRATCH_DIR "/mdi_program.bmp", MAX_PATH, full, nullptr);
  return std::string(full);
}();

TEST_F(GuiTest, MdiProgramWithBarsTemplatesAndThreeDocumentsIsRoutedUpdatedAndDrawn) {
  DocumentsScope documents;
  MainFrame* main = NewMainFrame();
  ASSERT_NE(main, nullptr);
  MainWindowScope scope(main);
  const COLORREF colours[] = {RGB(200, 30, 30), RGB(30, 160, 60), RGB(40, 60, 200)};
  const char* paths[] = {"c:\\red.pic", "c:\\green.note", "c:\\blue.pic"};
  CDocument* docs[3] = {};
  for (int i = 0; i < 3; ++i) {
    docs[i] = App().OpenDocumentFile(paths[i]);
    ASSERT_NE(docs[i], nullptr);
    FirstView(docs[i])->colour = colours[i];
  }
  EXPECT_EQ(docs[0]->GetDocTemplate(), documents.picture);
  EXPECT_EQ(docs[1]->GetDocTemplate(), documents.note);
  main->SendMessage(WM_COMMAND, ID_WINDOW_TILE_HORZ);
  ASSERT_TRUE(PumpUntilIdle());

  // Routing: the active (last opened) document's view first, the application last.
  RouteLog().clear();
  main->SendMessage(WM_COMMAND, ID_TEST_ROUTED);
  EXPECT_EQ(RouteLog(), (std::vector<std::string>{"view", "document", "child", "frame", "application"}));

  // Menus: the picture menu is up; commands without a handler are greyed.
  HMENU bar = main->GetMenu();
  EXPECT_EQ(bar, documents.picture->m_hMenuShared);
  HMENU file = ::GetSubMenu(bar, 0);
  main->SendMessage(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(file), MAKELPARAM(0, FALSE));
  EXPECT_TRUE(::GetMenuState(file, ID_FILE_SAVE, MF_BYCOMMAND) & MF_GRAYED);  // not modified
  EXPECT_FALSE(::GetMenuState(file, ID_FILE_CLOSE, MF_BYCOMMAND) & MF_GRAYED);
  std::vector<std::string> texts = MenuTexts(file);
  ASSERT_GE(texts.size(), 5u);
  EXPECT_EQ(texts[2], "&1 c:\\blue.pic");
  EXPECT_EQ(texts[3], "&2 c:\\green.note");
  EXPECT_EQ(texts[4], "&3 c:\\red.pic");
  EXPECT_FALSE(main->tool.GetToolBarCtrl().IsButtonEnabled(ID_FILE_SAVE));
  EXPECT_TRUE(main->tool.GetToolBarCtrl().IsButtonEnabled(ID_FILE_OPEN));
  EXPECT_EQ(main->status.GetPaneText(main->status.CommandToIndex(0)), "");

  // The picture through the frame's own DC: caption, bars, and each child's view.
  clx::test::Image shot = clx::test::CaptureWindow(*main, true);
  // Kept in the build tree for people to look at.
  EXPECT_TRUE(shot.SaveBmp(kShotPath)) << kShotPath;
  CRect window = main->GetWindowRect();
  auto pixelAt = [&](HWND child, CPoint clientPoint) {
    CWindow(child).ClientToScreen(&clientPoint);
    return shot.PixelAt(clientPoint.x - window.left, clientPoint.y - window.top);
  };
  COLORREF face = ::GetSysColor(COLOR_BTNFACE);
  CRect toolItem;
  main->tool.GetItemRect(2, &toolItem);  // the separator: plain bar
  EXPECT_EQ(pixelAt(main->tool, toolItem.CenterPoint()), face);
  CRect message;
  main->status.GetItemRect(main->status.CommandToIndex(0), &message);
  EXPECT_EQ(pixelAt(main->status, message.CenterPoint()), face);
  for (int i = 0; i < 3; ++i) {
    LogView* view = FirstView(docs[i]);
    EXPECT_EQ(pixelAt(*view, view->GetClientRect().CenterPoint()), colours[i]) << paths[i];
  }
  CPoint caption(window.Width() / 2, ::GetSystemMetrics(SM_CYFRAME) + ::GetSystemMetrics(SM_CYCAPTION) / 2);
  EXPECT_NE(shot.PixelAt(caption.x, caption.y), face) << "caption drawn";
  CloseMain(main);
  EXPECT_EQ(StubDoc::live, 0);
}

}  // namespace
