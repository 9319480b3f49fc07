// The measures of the image frames' shooting-data pane and section bar
// that need no window: the pane's height and content width, where its
// scroll codes lead, and where the section bar puts its buttons.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class CShootingInfoTable;
class IQzTextMeasure;

namespace qz {

// Six UI lines, the horizontal scroll bar and a 26-pixel margin.
int32_t GetInfoPaneHeight(int32_t lineHeight, int32_t horizontalScrollBarHeight);

// The wider of the table (four columns, seven character widths and 5
// pixels) and the title line (its extent and 19 pixels).
int32_t GetInfoPaneContentWidth(const int32_t columnWidths[4], int32_t charWidth, int32_t titleExtent);

// The pane's scroll position after a horizontal scroll code (SB_LINELEFT
// 0 to SB_RIGHT 7; SB_ENDSCROLL and unknown codes keep it): lines of 10
// pixels, pages of the client width, limited to 0 and the scroll limit.
int32_t ScrollInfoPanePosition(int32_t code, int32_t position, int32_t trackPosition, int32_t page, int32_t limit);

// The help context of WM_COMMANDHELP: the tracked command + 0x10000000
// while a menu is tracked, else the last command + 0x20000000; 0 (no help)
// when that command is 0.
uint32_t GetCommandHelpContext(bool menuTracked, uint32_t trackedCommand, uint32_t lastCommand);

// The help context of WM_HELPHITTEST in a frame whose help id is
// `frameId`: the frame itself (controlId 0xFFFF, a window without an id)
// gives its window context, a child with an id that control inside the
// frame; 0 (no help) when the frame has no id.
uint32_t GetHitTestHelpContext(uint32_t frameId, uint32_t controlId);

// One text of the shooting-data pane, its left top corner in the pane's
// content (before scrolling).
struct InfoPaneText {
    std::string text;
    int32_t x;
    int32_t y;
};

struct InfoPaneLayout {
    int32_t columnWidths[4] = {};
    int32_t contentWidth = 0;
    // The title line, then the table's non-empty cells column by column.
    std::vector<InfoPaneText> texts;
};

// The pane's texts and measures: the title at (2, 2); the table below it
// after the title line and 3/8 of a line, rows a line apart, each column as
// wide as the widest text its cells can need and two characters from the
// next; at most four columns. A pane without a table holds the title alone.
InfoPaneLayout LayoutInfoPane(const CShootingInfoTable* table, const IQzTextMeasure& measure, const char* title,
                              int32_t lineHeight, int32_t charWidth);

struct SectionButtonPlaces {
    int32_t deleteX;
    int32_t previousX;
    int32_t nextX;
};

// The section bar's buttons sit 7, 5 and 3.75 button widths from its right end.
SectionButtonPlaces PlaceSectionButtons(int32_t barWidth, int32_t buttonWidth);

}  // namespace qz
