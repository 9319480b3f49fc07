#include "clx/folderbrowser.h"

#include <cstring>

#include <objbase.h>
#include <shlobj.h>

namespace {
struct Start {
  const char* folder;
  bool reached;
};

bool SamePath(const char* a, const char* b) {
  size_t na = std::strlen(a), nb = std::strlen(b);
  while (na > 3 && a[na - 1] == '\\') --na;
  while (nb > 3 && b[nb - 1] == '\\') --nb;
  return na == nb && ::CompareStringA(LOCALE_SYSTEM_DEFAULT, NORM_IGNORECASE, a, static_cast<int>(na), b,
                                      static_cast<int>(nb)) == CSTR_EQUAL;
}

// The browser selects the starting folder once its tree exists. The first
// browser of a process under 32-bit Wine was seen to ignore the first
// request, so it is asked once more when no selection of that folder followed.
int CALLBACK BrowseCallback(HWND h, UINT msg, LPARAM l, LPARAM data) {
  auto* start = reinterpret_cast<Start*>(data);
  if (!start->folder || !*start->folder) return 0;
  if (msg == BFFM_SELCHANGED) {
    char path[MAX_PATH] = "";
    if (l && ::SHGetPathFromIDListA(reinterpret_cast<LPCITEMIDLIST>(l), path) && SamePath(path, start->folder))
      start->reached = true;
  } else if (msg == BFFM_INITIALIZED) {
    for (int attempt = 0; attempt < 2 && !start->reached; ++attempt)
      ::SendMessageA(h, BFFM_SETSELECTIONA, TRUE, reinterpret_cast<LPARAM>(start->folder));
  }
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
  Start start{initialFolder, false};
  bi.lParam = reinterpret_cast<LPARAM>(&start);
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
