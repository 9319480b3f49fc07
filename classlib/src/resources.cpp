#include "clx/resources.h"

#include "clx/app.h"

namespace {
HINSTANCE g_resourceModule = nullptr;
}

HINSTANCE AfxGetInstanceHandle() {
  CWinApp* app = AfxGetApp();
  return app && app->m_hInstance ? app->m_hInstance : ::GetModuleHandleA(nullptr);
}

HINSTANCE AfxGetResourceHandle() { return g_resourceModule ? g_resourceModule : AfxGetInstanceHandle(); }

void AfxSetResourceHandle(HINSTANCE module) { g_resourceModule = module; }

// A string table block holds 16 counted UTF-16 strings; block n has the ids 16(n-1) .. 16(n-1)+15.
CString clx::LoadStr(UINT id, bool* found) {
  if (found) *found = false;
  HINSTANCE module = AfxGetResourceHandle();
  HRSRC res = ::FindResourceA(module, MAKEINTRESOURCEA((id >> 4) + 1), MAKEINTRESOURCEA(6) /* RT_STRING */);
  if (!res) return {};
  HGLOBAL mem = ::LoadResource(module, res);
  const WCHAR* p = mem ? static_cast<const WCHAR*>(::LockResource(mem)) : nullptr;
  DWORD bytes = ::SizeofResource(module, res);
  if (!p) return {};
  const WCHAR* end = p + bytes / sizeof(WCHAR);
  for (UINT i = 0; i < (id & 15); ++i) {
    if (p >= end) return {};
    p += 1 + *p;
  }
  if (p >= end || *p == 0 || p + 1 + *p > end) return {};
  int length = *p;
  int ansiLength = ::WideCharToMultiByte(CP_ACP, 0, p + 1, length, nullptr, 0, nullptr, nullptr);
  CString out;
  ::WideCharToMultiByte(CP_ACP, 0, p + 1, length, out.GetBufferSetLength(ansiLength), ansiLength, nullptr, nullptr);
  if (found) *found = true;
  return out;
}

HCURSOR clx::LoadAppCursor(UINT id) {
  return ::LoadCursorA(AfxGetResourceHandle(), MAKEINTRESOURCEA(id));
}

HCURSOR clx::LoadSystemCursor(const char* idc) {
  return ::LoadCursorA(nullptr, idc);
}
