#include "clx/folderbrowser.h"

#include <objbase.h>
#include <shlobj.h>

namespace {
// The browser selects the starting folder once its tree exists.
int CALLBACK BrowseCallback(HWND h, UINT msg, LPARAM, LPARAM data) {
  const char* initial = reinterpret_cast<const char*>(data);
  if (msg == BFFM_INITIALIZED && initial && *initial)
    ::SendMessageA(h, BFFM_SETSELECTIONA, TRUE, reinterpret_cast<LPARAM>(initial));
  return 0;
}
}  // namespace

bool clx::BrowseForFolder(HWND owner, const char* title, const char* initialFolder, CString& out) {
  // The browser needs COM on this thread; a thread that has it already keeps its own.
  HRESULT com = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  char display[MAX_PATH] = "";
  BROWSEINFOA bi{};
  bi.hwndOwner = owner;
  bi.pszDisplayName = display;
  bi.lpszTitle = title;
  bi.ulFlags = BIF_RETURNONLYFSDIRS;
  bi.lpfn = &BrowseCallback;
  bi.lParam = reinterpret_cast<LPARAM>(initialFolder);
  LPITEMIDLIST chosen = ::SHBrowseForFolderA(&bi);
  bool ok = false;
  if (chosen) {
    char path[MAX_PATH] = "";
    if (::SHGetPathFromIDListA(chosen, path)) {
      out = path;
      ok = true;
    }
    ::CoTaskMemFree(chosen);
  }
  if (SUCCEEDED(com)) ::CoUninitialize();
  return ok;
}
