// The arithmetic of the list box: one item a line along the scrolling axis,
// how far the first visible line may go, when the scrollers are needed, and
// where the scroll codes and the navigation keys take the view and the focus.
// A line size below 1 describes no layout: the callers give up before these.
#pragma once

#include <cstdint>

namespace shell {

// The largest first visible line: lineCount - 1 less one for every k = 2, 3,
// ... with k x lineSize short of the extent (never below 0).
int32_t LastFirstLine(int32_t lineCount, int32_t lineSize, int32_t extent);

// Lines exactly filling the extent count as needing the scrollers.
bool ScrollersNeeded(int32_t lineCount, int32_t lineSize, int32_t extent);

// Whole lines in the view.
int32_t PageLines(int32_t extent, int32_t lineSize);

// Lines a page key moves when the focus is at the view's edge: the k = 2, 3,
// ... with k x lineSize inside the extent, at least one so that a view of
// less than two lines still pages.
int32_t PageKeyLines(int32_t extent, int32_t lineSize);

// A scroll request (SB_ codes) applied to the first line and the scroller's
// position within minimum..maximum.
struct ScrollState {
    int32_t firstLine = 0;
    int32_t position = 0;
};
ScrollState ApplyScrollCode(uint32_t code, int32_t trackPos, ScrollState now, int32_t minimum, int32_t maximum,
                            int32_t lastFirstLine, int32_t page);

// The focus item a navigation key (VK_ codes: space, Page Up/Down, Home, End,
// arrows) moves to, within 0..count-1.
int32_t NavigationTarget(uint32_t key, int32_t index, int32_t count, int32_t firstLine, int32_t lineSize,
                         int32_t extent);

// The first visible line that shows `index` (wholly, or in part with
// partlyVisible) moving as little as possible from `firstLine`.
int32_t FirstLineShowing(int32_t index, int32_t firstLine, int32_t lastFirstLine, int32_t lineSize,
                         int32_t extent, bool partlyVisible);

}  // namespace shell
