#pragma once
// The shell's folder browser, file-system folders only.
#include "clx/string.h"
#include "clx/win.h"

namespace clx {
// Shows the browser owned by `owner` with `title` above the tree, starting
// at `initialFolder` (none when null or empty). True when the user chose a
// file-system folder, whose path is then in `out`; `out` is untouched otherwise.
bool BrowseForFolder(HWND owner, const char* title, const char* initialFolder, CString& out);
}  // namespace clx
