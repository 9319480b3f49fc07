// Message maps: chaining to the base map, Default(), reflection to child
// controls, command routing and command UI.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "clx/menu.h"
#include "clx/wnd.h"
#include "testing/gui_test.h"

namespace {

constexpr UINT kPrivate = WM_APP + 5;

class Base : public CWnd {
public:
  std::vector<std::string> log;

protected:
  int OnCreate(CREATESTRUCT* cs) {
    log.push_back("Base::OnCreate");
    return CWnd::OnCreate(cs);
  }
  LRESULT OnPrivate(WPARAM w, LPARAM) {
    log.push_back("Base::OnPrivate");
    return static_cast<LRESULT>(w) * 2;
  }
  void OnSize(UINT, int, int) { log.push_back("Base::OnSize"); }
  DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(Base, CWnd)
  ON_WM_CREATE()
  ON_MESSAGE(kPrivate, OnPrivate)
  ON_WM_SIZE()
END_MESSAGE_MAP()

class Derived : public Base {
protected:
  int OnCreate(CREATESTRUCT* cs) {
    log.push_back("Derived::OnCreate");
    return Base::OnCreate(cs);
  }
  void OnSize(UINT, int cx, int) { log.push_back("Derived::OnSize " + std::to_string(cx)); }
  // Default() replays the message being handled, parameters included.
  LRESULT OnSetText(WPARAM, LPARAM l) {
    EXPECT_EQ(GetCurrentMessage()->message, static_cast<UINT>(WM_SETTEXT));
    LRESULT r = Default();
    log.push_back(std::string("Derived::OnSetText ") + reinterpret_cast<const char*>(l));
    return r;
  }
  DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(Derived, Base)
  ON_WM_CREATE()
  ON_WM_SIZE()
  ON_MESSAGE(WM_SETTEXT, OnSetText)
END_MESSAGE_MAP()

TEST_F(GuiTest, MapsChainToTheBaseAndDefaultReplaysTheMessage) {
  Derived w;
  ASSERT_TRUE(w.CreateEx(0, nullptr, "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr));
  ASSERT_GE(w.log.size(), 2u);
  EXPECT_EQ(w.log[0], "Derived::OnCreate");
  EXPECT_EQ(w.log[1], "Base::OnCreate");
  w.log.clear();

  EXPECT_EQ(w.SendMessage(kPrivate, 21), 42) << "handled by the base class's map";
  w.SendMessage(WM_SIZE, SIZE_RESTORED, MAKELPARAM(33, 44));
  w.SetWindowText("hello");
  EXPECT_EQ(w.log, (std::vector<std::string>{"Base::OnPrivate", "Derived::OnSize 33", "Derived::OnSetText hello"}));
  EXPECT_EQ(w.GetWindowText(), "hello");
  w.DestroyWindow();
}

// ---------------------------------------------------------------- reflection

constexpr int kEditId = 300;

class ReflectingEdit : public CWnd {
public:
  std::vector<std::string> log;
  HBRUSH brush = nullptr;  // answered to WM_CTLCOLOREDIT when set

protected:
  void OnChange() { log.push_back("change"); }
  bool OnUpdate() { log.push_back("update"); return false; }     // parent sees it too
  bool OnKillFocus() { log.push_back("killfocus"); return true; }  // parent does not
  void OnClick(NMHDR*, LRESULT* r) { log.push_back("click"); *r = 5; }
  bool OnDblClk(NMHDR*, LRESULT*) { log.push_back("dblclk"); return false; }
  HBRUSH CtlColor(CDC* dc, UINT) {
    log.push_back("ctlcolor");
    if (brush) dc->SetTextColor(RGB(255, 0, 0));
    return brush;
  }
  DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(ReflectingEdit, CWnd)
  ON_CONTROL_REFLECT(EN_CHANGE, OnChange)
  ON_CONTROL_REFLECT_EX(EN_UPDATE, OnUpdate)
  ON_CONTROL_REFLECT_EX(EN_KILLFOCUS, OnKillFocus)
  ON_NOTIFY_REFLECT(NM_CLICK, OnClick)
  ON_NOTIFY_REFLECT_EX(NM_DBLCLK, OnDblClk)
  ON_WM_CTLCOLOR_REFLECT()
END_MESSAGE_MAP()

class ReflectParent : public CWnd {
public:
  std::vector<std::string> log;
  ReflectingEdit edit;

protected:
  void OnEditChange() { log.push_back("change"); }
  void OnEditUpdate() { log.push_back("update"); }
  void OnEditKillFocus() { log.push_back("killfocus"); }
  void OnEditSetFocus() { log.push_back("setfocus"); }
  void OnEditClick(NMHDR*, LRESULT*) { log.push_back("click"); }
  void OnEditDblClk(NMHDR*, LRESULT* r) { log.push_back("dblclk"); *r = 9; }
  HBRUSH OnCtlColor(CDC*, CWindow, UINT) {
    log.push_back("ctlcolor");
    return static_cast<HBRUSH>(::GetStockObject(GRAY_BRUSH));
  }
  DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(ReflectParent, CWnd)
  ON_EN_CHANGE(kEditId, OnEditChange)
  ON_EN_UPDATE(kEditId, OnEditUpdate)
  ON_EN_KILLFOCUS(kEditId, OnEditKillFocus)
  ON_EN_SETFOCUS(kEditId, OnEditSetFocus)
  ON_NOTIFY(NM_CLICK, kEditId, OnEditClick)
  ON_NOTIFY(NM_DBLCLK, kEditId, OnEditDblClk)
  ON_WM_CTLCOLOR()
END_MESSAGE_MAP()

TEST_F(GuiTest, ControlsSeeTheirNotificationsFirstAndExFormsShareThem) {
  ReflectParent p;
  ASSERT_TRUE(p.CreateEx(0, nullptr, "", WS_POPUP, 0, 0, 200, 100, nullptr, nullptr));
  ASSERT_TRUE(p.edit.Create("EDIT", "", WS_VISIBLE, CRect(0, 0, 100, 20), &p, kEditId));
  struct Case {
    int code;
    bool child, parent;
  } cases[] = {
      {EN_CHANGE, true, false},     // plain reflection takes it
      {EN_UPDATE, true, true},      // _EX answered false
      {EN_KILLFOCUS, true, false},  // _EX answered true
      {EN_SETFOCUS, false, true},   // the control has no entry
  };
  for (const Case& c : cases) {
    p.log.clear();
    p.edit.log.clear();
    p.SendMessage(WM_COMMAND, MAKEWPARAM(kEditId, c.code), reinterpret_cast<LPARAM>(p.edit.m_hWnd));
    EXPECT_EQ(p.edit.log.size(), c.child ? 1u : 0u) << "code " << c.code;
    EXPECT_EQ(p.log.size(), c.parent ? 1u : 0u) << "code " << c.code;
  }

  NMHDR nm{p.edit.m_hWnd, kEditId, static_cast<UINT>(NM_CLICK)};
  p.log.clear();
  EXPECT_EQ(p.SendMessage(WM_NOTIFY, kEditId, reinterpret_cast<LPARAM>(&nm)), 5);
  EXPECT_TRUE(p.log.empty());
  nm.code = static_cast<UINT>(NM_DBLCLK);
  EXPECT_EQ(p.SendMessage(WM_NOTIFY, kEditId, reinterpret_cast<LPARAM>(&nm)), 9);
  EXPECT_EQ(p.log, std::vector<std::string>{"dblclk"});

  // A null brush from the control leaves the colour to the parent.
  CClientDC dc(p.edit.m_hWnd);
  p.log.clear();
  LRESULT brush = p.SendMessage(WM_CTLCOLOREDIT, reinterpret_cast<WPARAM>(dc.m_hDC),
                                reinterpret_cast<LPARAM>(p.edit.m_hWnd));
  EXPECT_EQ(reinterpret_cast<HBRUSH>(brush), ::GetStockObject(GRAY_BRUSH));
  EXPECT_EQ(p.log, std::vector<std::string>{"ctlcolor"});
  CBrush own(RGB(1, 2, 3));
  p.edit.brush = own;
  p.log.clear();
  brush = p.SendMessage(WM_CTLCOLOREDIT, reinterpret_cast<WPARAM>(dc.m_hDC), reinterpret_cast<LPARAM>(p.edit.m_hWnd));
  EXPECT_EQ(reinterpret_cast<HBRUSH>(brush), static_cast<HBRUSH>(own));
  EXPECT_TRUE(p.log.empty());
  EXPECT_EQ(dc.GetTextColor(), RGB(255, 0, 0));
  p.DestroyWindow();
}

// Owner-draw: the real WM_DRAWITEM of a button goes to the button's DrawItem.
class OwnerDrawButton : public CWnd {
public:
  int draws = 0;
  UINT lastId = 0;

protected:
  void DrawItem(DRAWITEMSTRUCT* di) {
    ++draws;
    lastId = di->CtlID;
    ::FillRect(di->hDC, &di->rcItem, static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH)));
  }
  DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(OwnerDrawButton, CWnd)
  ON_WM_DRAWITEM_REFLECT()
END_MESSAGE_MAP()

class DrawParent : public CWnd {
public:
  int parentDraws = 0;
  OwnerDrawButton button;

protected:
  void OnDrawItem(int, DRAWITEMSTRUCT*) { ++parentDraws; }
  DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(DrawParent, CWnd)
  ON_WM_DRAWITEM()
END_MESSAGE_MAP()

TEST_F(GuiTest, OwnerDrawIsReflectedToTheControl) {
  DrawParent p;
  ASSERT_TRUE(p.CreateEx(0, nullptr, "", WS_POPUP | WS_VISIBLE, 0, 0, 100, 60, nullptr, nullptr));
  ASSERT_TRUE(p.button.Create("BUTTON", "", WS_VISIBLE | BS_OWNERDRAW, CRect(5, 5, 45, 25), &p, 12));
  ASSERT_TRUE(PumpUntilIdle());
  p.button.RedrawWindow();
  EXPECT_GE(p.button.draws, 1);
  EXPECT_EQ(p.button.lastId, 12u);
  EXPECT_EQ(p.parentDraws, 0);
  clx::test::Image shot = clx::test::CaptureWindow(p.m_hWnd);
  EXPECT_EQ(shot.PixelAt(20, 15), RGB(0, 0, 0)) << "the control's drawing is on screen";
  p.DestroyWindow();
}

// ---------------------------------------------------------------- commands

class Doc : public CCmdTarget {
public:
  std::vector<UINT> ran;

protected:
  void OnShared() { ran.push_back(200); }
  void OnUpdateShared(CCmdUI* ui) { ui->SetCheck(1); }
  DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(Doc, CCmdTarget)
  ON_COMMAND(200, OnShared)
  ON_UPDATE_COMMAND_UI(200, OnUpdateShared)
END_MESSAGE_MAP()

// A window that routes to a document after itself, as views and frames do.
class RoutingWnd : public CWnd {
public:
  Doc doc;
  std::vector<UINT> ran;
  bool enable101 = false;

  BOOL OnCmdMsg(UINT id, int code, void* extra, AFX_CMDHANDLERINFO* info) override {
    return CWnd::OnCmdMsg(id, code, extra, info) || doc.OnCmdMsg(id, code, extra, info);
  }

protected:
  void On100() { ran.push_back(100); }
  void On101() { ran.push_back(101); }
  void OnUpdate101(CCmdUI* ui) { ui->Enable(enable101); }
  bool OnShared(UINT id) { ran.push_back(id); return false; }  // lets the document have it too
  void OnUpdateShared(CCmdUI* ui) { ui->ContinueRouting(); }
  void OnRange(UINT id) { ran.push_back(id); }
  DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(RoutingWnd, CWnd)
  ON_COMMAND(100, On100)
  ON_COMMAND(101, On101)
  ON_UPDATE_COMMAND_UI(101, OnUpdate101)
  ON_COMMAND_EX(200, OnShared)
  ON_UPDATE_COMMAND_UI(200, OnUpdateShared)
  ON_COMMAND_RANGE(300, 309, OnRange)
END_MESSAGE_MAP()

TEST_F(GuiTest, CommandUiUpdatesAndAutoDisablesItemsWithoutHandlers) {
  RoutingWnd w;
  ASSERT_TRUE(w.CreateEx(0, nullptr, "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr));
  struct Case {
    UINT id;
    bool autoDisable;
    bool enabled;
    bool enableTouched;
    int check;
  } cases[] = {
      {100, true, true, true, 0},    // a command handler, no update handler: enabled
      {101, true, false, true, 0},   // the update handler disables it
      {102, true, false, true, 0},   // no handler at all: auto-disabled
      {102, false, true, false, 0},  // ... unless auto-disable is off
      {200, true, true, false, 1},   // routed on to the document's update handler
      {305, true, true, true, 0},    // a range entry counts as a handler
  };
  for (const Case& c : cases) {
    clx::StateCmdUI ui(c.id);
    ui.DoUpdate(&w, c.autoDisable);
    EXPECT_EQ(ui.m_bEnabled, c.enabled) << c.id;
    EXPECT_EQ(ui.m_bEnableChanged, c.enableTouched) << c.id;
    EXPECT_EQ(ui.m_nCheck, c.check) << c.id;
  }
  w.DestroyWindow();
}

TEST_F(GuiTest, MenuCommandsAreDroppedWhileDisabledAndRoutedOtherwise) {
  RoutingWnd w;
  ASSERT_TRUE(w.CreateEx(0, nullptr, "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr));
  w.SendMessage(WM_COMMAND, MAKEWPARAM(101, 1), 0);  // accelerator, disabled
  w.SendMessage(WM_COMMAND, MAKEWPARAM(100, 0), 0);
  w.enable101 = true;
  w.SendMessage(WM_COMMAND, MAKEWPARAM(101, 0), 0);
  w.SendMessage(WM_COMMAND, MAKEWPARAM(200, 0), 0);
  w.SendMessage(WM_COMMAND, MAKEWPARAM(309, 0), 0);
  EXPECT_EQ(w.ran, (std::vector<UINT>{100, 101, 200, 309}));
  EXPECT_EQ(w.doc.ran, std::vector<UINT>{200}) << "ON_COMMAND_EX answering false passes the command on";
  w.DestroyWindow();
}

TEST_F(GuiTest, MenuItemCommandUiChangesTheMenu) {
  CMenu menu;
  ASSERT_TRUE(menu.CreatePopupMenu());
  menu.AppendMenu(MF_STRING, 100, "&First");
  menu.AppendMenu(MF_STRING, 101, "&Second");
  CCmdUI ui;
  ui.m_hMenu = menu;
  ui.m_nIndex = 1;
  ui.m_nID = 101;
  ui.Enable(FALSE);
  ui.SetCheck(1);
  EXPECT_TRUE(menu.GetMenuState(1, MF_BYPOSITION) & MF_GRAYED);
  EXPECT_TRUE(menu.GetMenuState(1, MF_BYPOSITION) & MF_CHECKED);
  ui.SetText("&Other");
  EXPECT_EQ(menu.GetMenuString(1, MF_BYPOSITION), "&Other");
  EXPECT_TRUE(menu.GetMenuState(1, MF_BYPOSITION) & MF_GRAYED) << "the text change keeps the state";
  EXPECT_EQ(menu.GetMenuItemID(1), 101u);
  EXPECT_FALSE(menu.GetMenuState(0, MF_BYPOSITION) & MF_GRAYED);
}

}  // namespace
