#include "app/shell/controls/list_layout.h"

#include <algorithm>

namespace shell {

namespace {

constexpr uint32_t kSbLineUp = 0, kSbLineDown = 1, kSbPageUp = 2, kSbPageDown = 3, kSbThumbPosition = 4,
                   kSbThumbTrack = 5, kSbTop = 6, kSbBottom = 7;
constexpr uint32_t kVkSpace = 0x20, kVkPrior = 0x21, kVkNext = 0x22, kVkEnd = 0x23, kVkHome = 0x24,
                   kVkLeft = 0x25, kVkUp = 0x26, kVkRight = 0x27, kVkDown = 0x28;

// The k = 2, 3, ... with k x lineSize below the extent.
int64_t LinesShortOfExtent(int64_t lineSize, int64_t extent)
{
    if (lineSize < 1 || extent <= 2 * lineSize)
        return 0;
    return (extent + lineSize - 1) / lineSize - 2;
}

}  // namespace

int32_t LastFirstLine(int32_t lineCount, int32_t lineSize, int32_t extent)
{
    if (lineCount <= 1)
        return 0;
    // The reductions stop one line short of k x lineSize reaching the extent.
    return static_cast<int32_t>(std::max<int64_t>(0, lineCount - 1 - LinesShortOfExtent(lineSize, extent)));
}

bool ScrollersNeeded(int32_t lineCount, int32_t lineSize, int32_t extent)
{
    return int64_t{lineCount} * lineSize >= extent;
}

int32_t PageLines(int32_t extent, int32_t lineSize)
{
    return lineSize < 1 ? 0 : extent / lineSize;
}

int32_t PageKeyLines(int32_t extent, int32_t lineSize)
{
    return static_cast<int32_t>(std::max<int64_t>(1, LinesShortOfExtent(lineSize, extent)));
}

ScrollState ApplyScrollCode(uint32_t code, int32_t trackPos, ScrollState now, int32_t minimum, int32_t maximum,
                            int32_t lastFirstLine, int32_t page)
{
    ScrollState next = now;
    switch (code) {
    case kSbLineUp:
        if (now.firstLine > 0)
            next.firstLine = next.position = now.firstLine - 1;
        break;
    case kSbLineDown:
        if (now.firstLine < lastFirstLine)
            next.firstLine = next.position = now.firstLine + 1;
        break;
    case kSbPageUp:
        next.position = std::max(now.position - page, minimum);
        next.firstLine = std::max(now.firstLine - page, 0);
        break;
    case kSbPageDown:
        next.position = std::min(now.position + page, maximum);
        next.firstLine = std::min(now.firstLine + page, lastFirstLine);
        break;
    case kSbThumbPosition:
    case kSbThumbTrack:
        next.firstLine = next.position = trackPos;
        break;
    case kSbTop:
        next.firstLine = 0;
        next.position = minimum;
        break;
    case kSbBottom:
        next.firstLine = lastFirstLine;
        next.position = maximum;
        break;
    default:
        break;
    }
    return next;
}

int32_t NavigationTarget(uint32_t key, int32_t index, int32_t count, int32_t firstLine, int32_t lineSize,
                         int32_t extent)
{
    if (count <= 0)
        return 0;
    const int64_t leading = int64_t{index - firstLine} * lineSize;
    int64_t target = index;
    switch (key) {
    case kVkLeft:
    case kVkUp:
        target = std::max(index - 1, 0);
        break;
    case kVkRight:
    case kVkDown:
        target = int64_t{index} + 1;
        break;
    case kVkHome:
        target = 0;
        break;
    case kVkEnd:
        target = count - 1;
        break;
    case kVkPrior:
        if (index == 0)
            break;
        if (index != firstLine)
            target = firstLine;
        else
            target = std::max<int64_t>(0, index - PageKeyLines(extent, lineSize));
        break;
    case kVkNext:
        if (index >= count - 1)
            break;
        if (leading + 2 * int64_t{lineSize} >= extent) {
            target = std::min<int64_t>(count - 1, int64_t{index} + PageKeyLines(extent, lineSize));
        } else {
            // Forward to the last line the view shows whole.
            while (target < count - 1 && leading + (target - index + 2) * lineSize < extent)
                ++target;
        }
        break;
    case kVkSpace:
    default:
        break;
    }
    return static_cast<int32_t>(std::clamp<int64_t>(target, 0, count - 1));
}

int32_t FirstLineShowing(int32_t index, int32_t firstLine, int32_t lastFirstLine, int32_t lineSize,
                         int32_t extent, bool partlyVisible)
{
    int32_t first = firstLine;
    if (index < first)
        return index;
    const int64_t cellStart = int64_t{index} * lineSize;
    const int64_t cellEnd = cellStart + lineSize;
    // Move a view-sized window one line at a time until it holds the cell.
    while (first < lastFirstLine) {
        const int64_t viewStart = int64_t{first} * lineSize;
        const int64_t viewEnd = viewStart + extent;
        const bool shown = partlyVisible ? (cellStart < viewEnd && cellEnd > viewStart)
                                         : (cellStart >= viewStart && cellEnd <= viewEnd);
        if (shown)
            break;
        ++first;
    }
    return first;
}

}  // namespace shell

