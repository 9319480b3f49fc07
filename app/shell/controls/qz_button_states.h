// The four state pictures of a CQzButton made from a strip row: cells of
// w x h (mask left, picture right) become pictures of (w + 8) x (h + 8).
#pragma once

#include <windows.h>

namespace shell {

// normal, pressed, focus, disabled; false when a bitmap cannot be made.
bool MakeButtonStates(HBITMAP strip, int rowCount, int row, HBITMAP out[4]);
// A copy of `source` with the sunken bevel over its two outer rings.
HBITMAP MakeCheckedLook(HBITMAP source);

}  // namespace shell
