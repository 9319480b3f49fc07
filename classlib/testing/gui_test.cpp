#include "testing/gui_test.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace clx::test {

namespace {
std::vector<std::string> g_unhandled;
int g_quitCode = -1;
MessageBoxScript* g_boxScript = nullptr;
ModalScript* g_modalScript = nullptr;

void RecordUnhandled(const char* what) { g_unhandled.emplace_back(what); }

std::string MessageName(UINT msg) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "0x%04X", msg);
  return buf;
}

// Input-method and COM helper windows that Wine makes on its own.
bool IsSystemWindow(HWND h) {
  char cls[64] = "";
  ::GetClassNameA(h, cls, sizeof cls);
  for (const char* name : {"IME", "MSCTFIME UI", "OleMainThreadWndClass", "OleMainThreadWndName"})
    if (::lstrcmpiA(cls, name) == 0) return true;
  return false;
}

BOOL CALLBACK CollectWindow(HWND h, LPARAM l) {
  if (!IsSystemWindow(h)) reinterpret_cast<std::vector<HWND>*>(l)->push_back(h);
  return TRUE;
}

std::vector<HWND> ThreadWindows() {
  std::vector<HWND> found;
  ::EnumThreadWindows(::GetCurrentThreadId(), &CollectWindow, reinterpret_cast<LPARAM>(&found));
  return found;
}
}  // namespace

TestApp::TestApp() : CWinApp("clx tests") { m_hInstance = ::GetModuleHandleA(nullptr); }

// ---------------------------------------------------------------- fixture

namespace {
HWND g_lastFocus = nullptr;  // the focus FocusWindow last saw
}

void GuiTest::SetUp() {
  g_unhandled.clear();
  g_lastFocus = nullptr;
  g_quitCode = -1;
  clx::SetUnhandledExceptionHook(&RecordUnhandled);
  // Without a script, a message box or a modal loop would wait for a user.
  clx::SetMessageBoxHandler([](HWND, const char* text, const char*, UINT) {
    ADD_FAILURE() << "unexpected message box: " << text;
    return IDCANCEL;
  });
  clx::SetModalHook([](CWnd& modal) {
    ADD_FAILURE() << "unexpected modal loop of a " << modal.GetRuntimeClass()->m_lpszClassName;
    modal.EndModalLoop(IDCANCEL);
  });
}

void GuiTest::TearDown() {
  PumpUntilIdle();
  std::vector<HWND> left = ThreadWindows();
  if (HasFailure()) {
    if (const char* dir = std::getenv("CLX_SHOT_DIR")) {
      const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
      int n = 0;
      for (HWND h : left) {
        std::string path = std::string(dir) + "\\" + info->test_suite_name() + "." + info->name() + "." +
                           std::to_string(n++) + ".bmp";
        CaptureWindow(h, true).SaveBmp(path);
      }
    }
  }
  for (HWND h : left) {
    ADD_FAILURE() << "window left behind: class " << CWindow(h).GetClassName().str() << ", text \""
                  << CWindow(h).GetWindowText().str() << "\"";
    ::DestroyWindow(h);
  }
  PumpUntilIdle();
  for (const std::string& what : g_unhandled) ADD_FAILURE() << "exception reached a window procedure: " << what;
  g_unhandled.clear();
  EXPECT_EQ(g_boxScript, nullptr) << "message box script still active";
  clx::SetMessageBoxHandler(nullptr);
  clx::SetModalHook(nullptr);
  clx::SetUnhandledExceptionHook(nullptr);
  if (CWinApp* app = AfxGetApp()) {
    EXPECT_EQ(app->m_pMainWnd, nullptr) << "the test left a main window set";
    app->m_pMainWnd = nullptr;
    EXPECT_EQ(app->m_nWaitCursorCount, 0);
    app->m_nWaitCursorCount = 0;
  }
}

std::vector<std::string> GuiTest::TakeUnhandled() {
  std::vector<std::string> out;
  out.swap(g_unhandled);
  return out;
}

int GuiTest::TakeQuit() {
  int code = g_quitCode;
  g_quitCode = -1;
  return code;
}

// ---------------------------------------------------------------- pumping

bool GuiTest::PumpUntilIdle(int maxMessages, int maxIdlePasses) {
  CWinThread* thread = AfxGetThread();
  int messages = 0, idlePasses = 0, wakeUps = 0;
  LONG idleCount = 0;
  bool idle = true;
  std::deque<UINT> last;
  auto fail = [&](const char* what) {
    std::string names;
    for (UINT m : last) {
      names += ' ';
      names += MessageName(m);
    }
    ADD_FAILURE() << "PumpUntilIdle: " << what << "; last messages:" << names;
    return false;
  };
  for (;;) {
    MSG peek;
    if (::PeekMessageA(&peek, nullptr, 0, 0, PM_NOREMOVE)) {
      if (++messages > maxMessages) return fail("too many messages");
      if (!thread->PumpMessage()) {
        g_quitCode = static_cast<int>(thread->m_msgCur.wParam);
        continue;
      }
      last.push_back(thread->m_msgCur.message);
      if (last.size() > 12) last.pop_front();
      if (thread->IsIdleMessage(&thread->m_msgCur)) {
        idle = true;
        idleCount = 0;
      }
      continue;
    }
    if (idle) {
      if (++idlePasses > maxIdlePasses) return fail("idle work never finished");
      if (!thread->OnIdle(idleCount++)) idle = false;
      continue;
    }
    // Lets Wine deliver what the server or X still holds for us; no sleeping.
    if (::MsgWaitForMultipleObjects(0, nullptr, FALSE, 0, QS_ALLINPUT) == WAIT_TIMEOUT) return true;
    if (++wakeUps > maxMessages) return fail("input kept arriving");
  }
}

bool GuiTest::PumpUntil(const std::function<bool()>& pred, int maxMessages) {
  CWinThread* thread = AfxGetThread();
  for (int n = 0; n < maxMessages; ++n) {
    if (pred()) return true;
    MSG peek;
    if (::PeekMessageA(&peek, nullptr, 0, 0, PM_NOREMOVE)) {
      if (!thread->PumpMessage()) g_quitCode = static_cast<int>(thread->m_msgCur.wParam);
    } else if (::MsgWaitForMultipleObjects(0, nullptr, FALSE, 0, QS_ALLINPUT) == WAIT_TIMEOUT) {
      // Nothing more will come by itself: one idle pass, then judge.
      thread->OnIdle(0);
      if (pred()) return true;
      if (!::PeekMessageA(&peek, nullptr, 0, 0, PM_NOREMOVE)) break;
    }
  }
  ADD_FAILURE() << "PumpUntil: the condition never held";
  return false;
}

// ---------------------------------------------------------------- input

HWND GuiTest::FocusWindow(HWND within) {
  HWND focus = ::GetFocus();
  if (!focus) {
    HWND had = g_lastFocus && ::IsWindow(g_lastFocus) && ::IsWindowVisible(g_lastFocus) ? g_lastFocus : nullptr;
    HWND top = ::GetAncestor(had ? had : within, GA_ROOT);
    if (top && ::IsWindowVisible(top)) {
      ::SetActiveWindow(top);
      PumpUntilIdle();
      focus = ::GetFocus();
      // A plain window takes the focus itself on activation; a dialog gives
      // back its own.
      if (had && had != top && (!focus || focus == top)) {
        ::SetFocus(had);
        PumpUntilIdle();
        focus = ::GetFocus();
      }
    }
  }
  g_lastFocus = focus;
  return focus;
}

void GuiTest::PressKey(HWND target, UINT vk, unsigned mods) {
  BYTE saved[256], state[256];
  ::GetKeyboardState(saved);
  std::memcpy(state, saved, sizeof state);
  auto hold = [&](unsigned flag, int key) { if (mods & flag) state[key] = state[key] | 0x80; };
  hold(kShift, VK_SHIFT);
  hold(kCtrl, VK_CONTROL);
  hold(kAlt, VK_MENU);
  HWND focus = FocusWindow(target);
  ::SetKeyboardState(state);
  HWND to = focus && (focus == target || ::IsChild(target, focus)) ? focus : target;
  UINT scan = ::MapVirtualKeyA(vk, 0 /* MAPVK_VK_TO_VSC */);
  LPARAM down = 1 | (static_cast<LPARAM>(scan) << 16) | ((mods & kAlt) ? (1L << 29) : 0);
  LPARAM up = down | (1L << 30) | (1L << 31);
  bool sys = (mods & kAlt) != 0;
  ::PostMessageA(to, sys ? WM_SYSKEYDOWN : WM_KEYDOWN, vk, down);
  ::PostMessageA(to, sys ? WM_SYSKEYUP : WM_KEYUP, vk, up);
  // The modifiers must still be down while the keys are translated.
  PumpUntilIdle();
  ::SetKeyboardState(saved);
}

void GuiTest::TypeText(HWND target, const char* text) {
  for (const char* p = text; *p; ++p) {
    SHORT code = ::VkKeyScanA(*p);
    if (code == -1) {
      ADD_FAILURE() << "no key types '" << *p << "'";
      continue;
    }
    unsigned mods = ((code & 0x100) ? kShift : 0) | ((code & 0x200) ? kCtrl : 0) | ((code & 0x400) ? kAlt : 0);
    PressKey(target, LOBYTE(code), mods);
  }
}

void GuiTest::PressF1(HWND target) {
  HWND focus = ::GetFocus();
  ::PostMessageA(focus && (focus == target || ::IsChild(target, focus)) ? focus : target, 0x004D /* WM_KEYF1 */, 0, 0);
  PumpUntilIdle();
}

void GuiTest::Click(HWND wnd, POINT p, bool doubleClick) {
  LPARAM at = MAKELPARAM(p.x, p.y);
  ::PostMessageA(wnd, WM_MOUSEMOVE, 0, at);
  ::PostMessageA(wnd, WM_LBUTTONDOWN, MK_LBUTTON, at);
  ::PostMessageA(wnd, WM_LBUTTONUP, 0, at);
  if (doubleClick) {
    ::PostMessageA(wnd, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
    ::PostMessageA(wnd, WM_LBUTTONUP, 0, at);
  }
  PumpUntilIdle();
}

void GuiTest::Drag(HWND wnd, POINT from, POINT to, int steps) {
  ::PostMessageA(wnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(from.x, from.y));
  for (int i = 1; i <= steps; ++i) {
    int x = from.x + (to.x - from.x) * i / steps, y = from.y + (to.y - from.y) * i / steps;
    ::PostMessageA(wnd, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(x, y));
  }
  ::PostMessageA(wnd, WM_LBUTTONUP, 0, MAKELPARAM(to.x, to.y));
  PumpUntilIdle();
}

int GuiTest::Activate(HWND h) {
  for (int attempt = 1; attempt <= 25; ++attempt) {
    ::SetForegroundWindow(h);
    ::SetActiveWindow(h);
    if (!PumpUntilIdle()) return 0;
    if (::GetActiveWindow() == h) return attempt;
    ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 200, QS_ALLINPUT);  // bounded: the desktop's late events
  }
  return 0;
}

void GuiTest::ClickButton(HWND parent, int id) {
  HWND button = ::GetDlgItem(parent, id);
  ::SendMessageA(parent, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(button));
}

// ---------------------------------------------------------------- message boxes

struct BoxHook {
  // Answers a real message box when it is activated: the text is read from
  // its static control and the answer posted as the button's command.
  static LRESULT CALLBACK Proc(int code, WPARAM w, LPARAM l) {
    MessageBoxScript* script = g_boxScript;
    if (code == HCBT_ACTIVATE && script) {
      HWND box = reinterpret_cast<HWND>(w);
      if (CWindow(box).GetClassName() == "#32770" && box != script->m_answered) {
        script->m_answered = box;
        script->styles.push_back(CWindow(box).GetStyle());
        CString text = CWindow(box).GetDlgItemText(0xFFFF);
        ::PostMessageA(box, WM_COMMAND, MAKEWPARAM(script->Answer(text), BN_CLICKED), 0);
      }
    }
    return ::CallNextHookEx(script ? script->m_hook : nullptr, code, w, l);
  }
};

MessageBoxScript::MessageBoxScript(std::initializer_list<Box> boxes) : m_boxes(boxes) {
  g_boxScript = this;
  clx::SetMessageBoxHandler([this](HWND, const char* text, const char*, UINT) { return Answer(text); });
}

void MessageBoxScript::UseRealBoxes() {
  clx::SetMessageBoxHandler(nullptr);
  m_hook = ::SetWindowsHookExA(WH_CBT, &BoxHook::Proc, nullptr, ::GetCurrentThreadId());
}

MessageBoxScript::~MessageBoxScript() {
  if (m_hook) ::UnhookWindowsHookEx(m_hook);
  for (const Box& b : m_boxes) ADD_FAILURE() << "expected message box never came: \"" << b.fragment << "\"";
  g_boxScript = nullptr;
  clx::SetMessageBoxHandler([](HWND, const char* text, const char*, UINT) {
    ADD_FAILURE() << "unexpected message box: " << text;
    return IDCANCEL;
  });
}

int MessageBoxScript::Answer(const char* text) {
  shown.emplace_back(text ? text : "");
  if (m_boxes.empty()) {
    ADD_FAILURE() << "unexpected message box: " << shown.back();
    return IDCANCEL;
  }
  Box box = m_boxes.front();
  m_boxes.pop_front();
  if (shown.back().find(box.fragment) == std::string::npos) {
    ADD_FAILURE() << "message box \"" << shown.back() << "\" does not contain \"" << box.fragment << "\"";
    return IDCANCEL;
  }
  return box.answer;
}

// ---------------------------------------------------------------- modal loops

ModalScript::ModalScript(std::function<void(CWnd&)> fn) : m_fn(std::move(fn)) {
  g_modalScript = this;
  clx::SetModalHook([this](CWnd& modal) {
    ++runs;
    auto fn = std::move(m_fn);
    // One script, one loop: a second modal loop is unexpected.
    clx::SetModalHook([](CWnd& w) {
      ADD_FAILURE() << "unexpected modal loop of a " << w.GetRuntimeClass()->m_lpszClassName;
      w.EndModalLoop(IDCANCEL);
    });
    fn(modal);
  });
}

ModalScript::~ModalScript() {
  EXPECT_EQ(runs, 1) << "the scripted modal loop never ran";
  g_modalScript = nullptr;
  clx::SetModalHook([](CWnd& w) {
    ADD_FAILURE() << "unexpected modal loop of a " << w.GetRuntimeClass()->m_lpszClassName;
    w.EndModalLoop(IDCANCEL);
  });
}

// ---------------------------------------------------------------- menu loops

namespace {
MenuScript* g_menuScript = nullptr;
}

MenuScript::MenuScript(std::initializer_list<UINT> keys) : m_keys(keys) {
  g_menuScript = this;
  // WM_ENTERIDLE is sent to the menu's owner: a call-window hook sees it
  // whatever window owns the menu.
  m_hook = ::SetWindowsHookExA(WH_CALLWNDPROC, &Proc, nullptr, ::GetCurrentThreadId());
}

MenuScript::~MenuScript() {
  ::UnhookWindowsHookEx(m_hook);
  g_menuScript = nullptr;
  EXPECT_EQ(runs, 1) << "the scripted menu loop never went idle";
}

LRESULT CALLBACK MenuScript::Proc(int code, WPARAM w, LPARAM l) {
  MenuScript* script = g_menuScript;
  const auto* call = reinterpret_cast<const CWPSTRUCT*>(l);
  if (code == HC_ACTION && script && script->runs == 0 && call->message == WM_ENTERIDLE &&
      call->wParam == MSGF_MENU) {
    ++script->runs;
    HWND menu = reinterpret_cast<HWND>(call->lParam);
    for (UINT vk : script->m_keys) {
      ::PostMessageA(menu, WM_KEYDOWN, vk, 1);
      ::PostMessageA(menu, WM_KEYUP, vk, 1 | (1L << 30) | (1L << 31));
    }
  }
  return ::CallNextHookEx(script ? script->m_hook : nullptr, code, w, l);
}

// ---------------------------------------------------------------- capture

COLORREF Image::PixelAt(int x, int y) const {
  uint32_t p = pixels[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)];
  return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
}

Image CaptureWindow(HWND hwnd, bool nonClient) {
  Image image;
  CRect r;
  if (nonClient) {
    ::GetWindowRect(hwnd, &r);
    r.OffsetRect(-r.left, -r.top);
  } else {
    ::GetClientRect(hwnd, &r);
  }
  image.width = r.Width();
  image.height = r.Height();
  if (image.width <= 0 || image.height <= 0) return image;
  ::UpdateWindow(hwnd);
  HDC source = nonClient ? ::GetWindowDC(hwnd) : ::GetDC(hwnd);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = image.width;
  info.bmiHeader.biHeight = -image.height;  // top row first
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP dib = ::CreateDIBSection(source, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HDC memory = ::CreateCompatibleDC(source);
  HGDIOBJ old = ::SelectObject(memory, dib);
  ::BitBlt(memory, 0, 0, image.width, image.height, source, 0, 0, SRCCOPY);
  ::GdiFlush();
  const auto* p = static_cast<const uint32_t*>(bits);
  image.pixels.assign(p, p + static_cast<size_t>(image.width) * static_cast<size_t>(image.height));
  for (uint32_t& px : image.pixels) px &= 0x00FFFFFF;
  ::SelectObject(memory, old);
  ::DeleteDC(memory);
  ::DeleteObject(dib);
  ::ReleaseDC(hwnd, source);
  return image;
}

bool Image::SaveBmp(const std::string& path) const {
  int stride = (width * 3 + 3) & ~3;
  BITMAPFILEHEADER file{};
  BITMAPINFOHEADER header{};
  header.biSize = sizeof header;
  header.biWidth = width;
  header.biHeight = height;
  header.biPlanes = 1;
  header.biBitCount = 24;
  header.biSizeImage = static_cast<DWORD>(stride * height);
  file.bfType = 0x4D42;
  file.bfOffBits = sizeof file + sizeof header;
  file.bfSize = file.bfOffBits + header.biSizeImage;
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  std::fwrite(&file, sizeof file, 1, f);
  std::fwrite(&header, sizeof header, 1, f);
  std::vector<unsigned char> row(static_cast<size_t>(stride));
  for (int y = height - 1; y >= 0; --y) {
    for (int x = 0; x < width; ++x) {
      uint32_t px = pixels[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)];
      row[static_cast<size_t>(x) * 3] = px & 0xFF;
      row[static_cast<size_t>(x) * 3 + 1] = (px >> 8) & 0xFF;
      row[static_cast<size_t>(x) * 3 + 2] = (px >> 16) & 0xFF;
    }
    std::fwrite(row.data(), row.size(), 1, f);
  }
  return std::fclose(f) == 0;
}

}  // namespace clx::test
