// Texts measured in a window's or a device context's font.
#pragma once

#include <cstdint>

// Handle types without <windows.h> in this header.
struct HWND__;
struct HDC__;

namespace shell {

// Shows `path` in the control, its folders shortened to "...\" until it fits
// the client width less 4 pixels in the control's font.
void SetPathTextWithEllipsis(HWND__* control, const char* path);

// The widest line (split at line feeds) of the string-table texts of `ids`,
// a list ending with 0; missing strings are skipped. Null gives 0.
int32_t GetMaxStringWidth(HDC__* dc, const uint32_t* ids);

}  // namespace shell
