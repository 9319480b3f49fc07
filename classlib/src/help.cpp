#include "clx/help.h"

#include <mutex>

namespace {
clx::HtmlHelpHandler g_htmlHelp = nullptr;
clx::WinHelpHandler g_winHelp = nullptr;

using HtmlHelpFn = HWND(WINAPI*)(HWND, LPCSTR, UINT, DWORD_PTR);
constexpr UINT kDisplayTopic = 0;  // HH_DISPLAY_TOPIC

// The engine is loaded once and kept for the life of the process.
HtmlHelpFn HtmlHelpEngine() {
  static std::once_flag once;
  static HtmlHelpFn fn = nullptr;
  std::call_once(once, [] {
    if (HMODULE module = ::LoadLibraryA("hhctrl.ocx"))
      fn = reinterpret_cast<HtmlHelpFn>(reinterpret_cast<void*>(::GetProcAddress(module, "HtmlHelpA")));
  });
  return fn;
}
}  // namespace

void clx::SetHelpHandlers(HtmlHelpHandler htmlHelp, WinHelpHandler winHelp) {
  g_htmlHelp = htmlHelp;
  g_winHelp = winHelp;
}

HWND clx::HtmlHelpDisplayTopic(HWND owner, const char* topic) {
  if (g_htmlHelp) return g_htmlHelp(owner, topic);
  HtmlHelpFn fn = HtmlHelpEngine();
  return fn ? fn(owner, topic, kDisplayTopic, 0) : nullptr;
}

bool clx::CallWinHelp(HWND owner, const char* helpFile, UINT cmd, DWORD_PTR data) {
  if (g_winHelp) return g_winHelp(owner, helpFile, cmd, data);
  return ::WinHelpA(owner, helpFile, cmd, data) != FALSE;
}
