// How windows get attached to their objects: at creation through the CBT
// hook (own classes, in-memory dialogs, MDI children), by subclassing, and how
// they come apart again at WM_NCDESTROY.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "clx/wnd.h"
#include "testing/gui_test.h"

namespace {

// Records every message that reaches the object, in order.
class LoggingWnd : public CWnd {
public:
  std::vector<UINT> log;
  int postNcDestroys = 0;
  int createdChildren = 0;
  bool Saw(UINT msg) const { return std::find(log.begin(), log.end(), msg) != log.end(); }

  LRESULT WindowProc(UINT msg, WPARAM w, LPARAM l) override {
    log.push_back(msg);
    return CWnd::WindowProc(msg, w, l);
  }
  void PostNcDestroy() override { ++postNcDestroys; }
};

const char* PlainClass() {
  // Registered like the program's main class: DefWindowProcA as procedure.
  static const char* name = [] {
    WNDCLASSA wc{};
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = ::DefWindowProcA;
    wc.hInstance = ::GetModuleHandleA(nullptr);
    wc.lpszClassName = "ClxTestPlain";
    ::RegisterClassA(&wc);
    return "ClxTestPlain";
  }();
  return name;
}

TEST_F(GuiTest, WindowOfADefWindowProcClassGetsEveryMessageFromTheFirst) {
  LoggingWnd w;
  ASSERT_TRUE(w.CreateEx(0, PlainClass(), "plain", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr, nullptr));
  ASSERT_FALSE(w.log.empty());
  EXPECT_TRUE(w.log.front() == WM_GETMINMAXINFO || w.log.front() == WM_NCCREATE) << std::hex << w.log.front();
  EXPECT_TRUE(w.Saw(WM_NCCREATE));
  EXPECT_TRUE(w.Saw(WM_CREATE));
  EXPECT_EQ(CWnd::FromHandlePermanent(w.m_hWnd), &w);

  HWND h = w.m_hWnd;
  w.DestroyWindow();
  EXPECT_EQ(w.m_hWnd, nullptr);
  EXPECT_EQ(w.postNcDestroys, 1);
  EXPECT_EQ(CWnd::FromHandlePermanent(h), nullptr);
  EXPECT_EQ(w.log.back(), static_cast<UINT>(WM_NCDESTROY));
}

// The layer's windows made during another's WM_CREATE are attached to their
// own objects; a window made with the raw API is left alone.
class Parent : public LoggingWnd {
public:
  LoggingWnd child;
  HWND raw = nullptr;

protected:
  int OnCreate(CREATESTRUCT* cs) {
    if (CWnd::OnCreate(cs) == -1) return -1;
    raw = ::CreateWindowExA(0, "STATIC", "raw", WS_CHILD, 0, 0, 10, 10, m_hWnd, nullptr, nullptr, nullptr);
    return child.Create("STATIC", "child", WS_VISIBLE, CRect(0, 0, 20, 20), this, 7) ? 0 : -1;
  }
  DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(Parent, LoggingWnd)
  ON_WM_CREATE()
END_MESSAGE_MAP()

TEST_F(GuiTest, NestedCreationAttachesOnlyTheLayersOwnWindows) {
  Parent p;
  ASSERT_TRUE(p.CreateEx(0, nullptr, "parent", WS_POPUP, 0, 0, 50, 50, nullptr, nullptr));
  EXPECT_EQ(CWnd::FromHandlePermanent(p.m_hWnd), &p);
  EXPECT_EQ(CWnd::FromHandlePermanent(p.child.m_hWnd), &p.child);
  EXPECT_EQ(p.child.GetParent().m_hWnd, p.m_hWnd);
  EXPECT_TRUE(p.child.Saw(WM_NCCREATE));
  ASSERT_NE(p.raw, nullptr);
  EXPECT_EQ(CWnd::FromHandlePermanent(p.raw), nullptr);
  p.DestroyWindow();
  EXPECT_EQ(p.child.postNcDestroys, 1);
}

INT_PTR CALLBACK NoDialogProc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

// An in-memory template: header, no menu, default class, empty title, no controls.
std::vector<WORD> DialogTemplate(DWORD style) {
  std::vector<WORD> t(sizeof(DLGTEMPLATE) / sizeof(WORD) + 3, 0);
  auto* d = reinterpret_cast<DLGTEMPLATE*>(t.data());
  d->style = style;
  d->cx = 100;
  d->cy = 60;
  return t;
}

class DialogLike : public LoggingWnd {
public:
  HWND edit = nullptr;

protected:
  // Controls made in WM_CREATE, as for a template without DS_SETFONT.
  int OnCreate(CREATESTRUCT* cs) {
    if (CWnd::OnCreate(cs) == -1) return -1;
    edit = ::CreateWindowExA(0, "EDIT", "", WS_CHILD | WS_VISIBLE, 5, 5, 50, 20, m_hWnd,
                             reinterpret_cast<HMENU>(1007), nullptr, nullptr);
    return 0;
  }
  DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(DialogLike, LoggingWnd)
  ON_WM_CREATE()
END_MESSAGE_MAP()

TEST_F(GuiTest, DialogsFromInMemoryTemplatesAreAttachedBeforeWmCreate) {
  LoggingWnd host;
  ASSERT_TRUE(host.CreateEx(0, nullptr, "host", WS_POPUP, 0, 0, 300, 200, nullptr, nullptr));
  struct Case {
    DWORD style;
    bool child;
  } cases[] = {
      {0x80C00080, false},  // pop-up with caption, no DS_SETFONT
      {0x4A000000, true},   // a child page
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << std::hex << c.style);
    DialogLike dlg;
    std::vector<WORD> tmpl = DialogTemplate(c.style);
    HWND h;
    {
      clx::CreationScope scope(&dlg);
      h = ::CreateDialogIndirectParamA(::GetModuleHandleA(nullptr), reinterpret_cast<DLGTEMPLATE*>(tmpl.data()),
                                       c.child ? host.m_hWnd : nullptr, &NoDialogProc, 0);
      EXPECT_TRUE(scope.Consumed());
    }
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(dlg.m_hWnd, h);
    EXPECT_EQ(dlg.GetClassName(), "#32770");
    EXPECT_TRUE(dlg.Saw(WM_CREATE));
    EXPECT_EQ(dlg.GetDlgItem(1007).m_hWnd, dlg.edit);
    EXPECT_EQ(CWnd::FromHandlePermanent(dlg.edit), nullptr);
    dlg.DestroyWindow();
    EXPECT_EQ(dlg.postNcDestroys, 1);
  }
  host.DestroyWindow();
}

// An MDI child's default processing is DefMDIChildProc, as the MDI child class will do it.
class MdiChild : public LoggingWnd {
public:
  LRESULT DefWindowProc(UINT msg, WPARAM w, LPARAM l) override { return ::DefMDIChildProcA(m_hWnd, msg, w, l); }
};

TEST_F(GuiTest, MdiChildCreatedByTheClientIsAttached) {
  LoggingWnd frame;
  ASSERT_TRUE(frame.CreateEx(0, PlainClass(), "frame", WS_OVERLAPPEDWINDOW, 0, 0, 400, 300, nullptr, nullptr));
  CLIENTCREATESTRUCT ccs{nullptr, 0xFF00};
  HWND client = ::CreateWindowExA(0, "MDICLIENT", nullptr, WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, 400, 300,
                                  frame.m_hWnd, nullptr, ::GetModuleHandleA(nullptr), &ccs);
  ASSERT_NE(client, nullptr);
  MdiChild child;
  MDICREATESTRUCTA mcs{};
  mcs.szClass = PlainClass();
  mcs.szTitle = "child";
  mcs.hOwner = ::GetModuleHandleA(nullptr);
  mcs.x = mcs.y = mcs.cx = mcs.cy = CW_USEDEFAULT;
  HWND h;
  {
    clx::CreationScope scope(&child);
    h = reinterpret_cast<HWND>(::SendMessageA(client, WM_MDICREATE, 0, reinterpret_cast<LPARAM>(&mcs)));
  }
  ASSERT_NE(h, nullptr);
  EXPECT_EQ(child.m_hWnd, h);
  EXPECT_TRUE(child.Saw(WM_NCCREATE));
  EXPECT_TRUE(child.Saw(WM_CREATE));
  EXPECT_EQ(::GetParent(h), client);
  ::SendMessageA(client, WM_MDIDESTROY, reinterpret_cast<WPARAM>(h), 0);
  EXPECT_EQ(child.postNcDestroys, 1);
  frame.DestroyWindow();
}

TEST_F(GuiTest, SubclassingAnExistingWindowAndGivingItBack) {
  HWND edit = ::CreateWindowExA(0, "EDIT", "", WS_POPUP, 0, 0, 50, 20, nullptr, nullptr, nullptr, nullptr);
  auto original = ::GetWindowLongPtrA(edit, GWLP_WNDPROC);
  LoggingWnd w;
  ASSERT_TRUE(w.SubclassWindow(edit));
  EXPECT_FALSE(LoggingWnd().SubclassWindow(edit)) << "one object per window";
  ::SetWindowTextA(edit, "abc");
  EXPECT_TRUE(w.Saw(WM_SETTEXT));
  EXPECT_EQ(w.GetWindowText(), "abc") << "default processing reached the edit's own procedure";
  EXPECT_EQ(w.UnsubclassWindow(), edit);
  EXPECT_EQ(::GetWindowLongPtrA(edit, GWLP_WNDPROC), original);
  EXPECT_EQ(CWnd::FromHandlePermanent(edit), nullptr);
  ::DestroyWindow(edit);
  EXPECT_EQ(w.postNcDestroys, 0);
}

// Heap objects that delete themselves, as frames and views do.
class SelfDeleting : public CWnd {
public:
  static inline int deleted = 0;
  ~SelfDeleting() override { ++deleted; }
  int failCreate = 0;

protected:
  void PostNcDestroy() override { delete this; }
  int OnCreate(CREATESTRUCT*) { return failCreate ? -1 : 0; }
  DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(SelfDeleting, CWnd)
  ON_WM_CREATE()
END_MESSAGE_MAP()

TEST_F(GuiTest, ObjectsEndWithTheirWindowsAndFailedCreationCleansUp) {
  SelfDeleting::deleted = 0;
  auto* ok = new SelfDeleting;
  ASSERT_TRUE(ok->CreateEx(0, nullptr, "ok", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr));
  ::DestroyWindow(ok->m_hWnd);
  EXPECT_EQ(SelfDeleting::deleted, 1);

  auto* failing = new SelfDeleting;
  failing->failCreate = 1;
  EXPECT_FALSE(failing->CreateEx(0, nullptr, "fails", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr));
  EXPECT_EQ(SelfDeleting::deleted, 2) << "WM_CREATE refused: destroyed and deleted once";

  auto* noClass = new SelfDeleting;
  EXPECT_FALSE(noClass->CreateEx(0, "NoSuchClassHere", "x", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr));
  EXPECT_EQ(SelfDeleting::deleted, 3) << "never created: PostNcDestroy still ends it";

  HWND h;
  {
    LoggingWnd scoped;
    ASSERT_TRUE(scoped.CreateEx(0, nullptr, "scoped", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr));
    h = scoped.m_hWnd;
  }
  EXPECT_FALSE(::IsWindow(h)) << "an object held by value destroys its window";
}

}  // namespace
