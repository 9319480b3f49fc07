#pragma once
// Reading the resource module: strings of any length straight from the
// string table (LoadStringA would cut them at the caller's buffer).
#include "clx/string.h"

HINSTANCE AfxGetInstanceHandle();
HINSTANCE AfxGetResourceHandle();
void AfxSetResourceHandle(HINSTANCE module);

namespace clx {
// Entry `id` of the string table in the resource module, converted to the
// ANSI code page; empty (and *found false) when it does not exist.
CString LoadStr(UINT id, bool* found = nullptr);
// Cursor `id` of the resource module (shared: never destroyed), or null.
HCURSOR LoadAppCursor(UINT id);
// One of the system's cursors (IDC_ARROW and the like).
HCURSOR LoadSystemCursor(const char* idc);
}  // namespace clx
