// The body of a palette whose controls are not built yet: one line that says
// so, and a window size that shows it.
#pragma once

class CToolBase;

inline constexpr unsigned kPendingBodyTextId = 24601;

// After the palette's window is made; a resizable palette keeps a larger
// stored size.
void LayOutPendingBody(CToolBase& palette, bool resizable);
