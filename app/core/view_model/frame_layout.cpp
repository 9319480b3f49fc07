#include "app/core/view_model/frame_layout.h"

#include <algorithm>
#include <cstring>

#include "app/core/shooting/shooting_info_table.h"
#include "app/core/shooting/shooting_seams.h"

namespace qz {

int32_t GetInfoPaneHeight(int32_t lineHeight, int32_t horizontalScrollBarHeight)
{
    return 6 * lineHeight + horizontalScrollBarHeight + 26;
}

int32_t GetInfoPaneContentWidth(const int32_t columnWidths[4], int32_t charWidth, int32_t titleExtent)
{
    int64_t table = int64_t{7} * charWidth + 5;
    for (int i = 0; i < 4; ++i) {
        table += columnWidths[i];
    }
    const int64_t title = int64_t{titleExtent} + 19;
    return static_cast<int32_t>(std::clamp<int64_t>(std::max(table, title), INT32_MIN, INT32_MAX));
}

int32_t ScrollInfoPanePosition(int32_t code, int32_t position, int32_t trackPosition, int32_t page, int32_t limit)
{
    constexpr int32_t kLine = 10;
    int64_t next = position;
    switch (code) {
    case 0:  // line left
        next -= kLine;
        break;
    case 1:  // line right
        next += kLine;
        break;
    case 2:  // page left
        next -= page;
        break;
    case 3:  // page right
        next += page;
        break;
    case 4:  // thumb position
    case 5:  // thumb track
        next = trackPosition;
        break;
    case 6:  // left end
        next = 0;
        break;
    case 7:  // right end
        next = limit;
        break;
    default:
        return position;
    }
    return static_cast<int32_t>(std::clamp<int64_t>(next, 0, std::max(limit, 0)));
}

uint32_t GetCommandHelpContext(bool menuTracked, uint32_t trackedCommand, uint32_t lastCommand)
{
    const uint32_t command = menuTracked ? trackedCommand : lastCommand;
    if (command == 0) {
        return 0;
    }
    return command + (menuTracked ? 0x10000000u : 0x20000000u);
}

uint32_t GetHitTestHelpContext(uint32_t frameId, uint32_t controlId)
{
    if (frameId == 0) {
        return 0;
    }
    if (controlId == 0xFFFF) {
        return 0x20000000u + frameId;
    }
    return ((frameId + 0x3000u) << 16) + controlId;
}

InfoPaneLayout LayoutInfoPane(const CShootingInfoTable* table, const IQzTextMeasure& measure, const char* title,
                              int32_t lineHeight, int32_t charWidth)
{
    InfoPaneLayout layout;
    const char* heading = title ? title : "";
    layout.texts.push_back({heading, 2, 2});
    const int32_t columns = table ? std::min(table->GetColumnCount(), 4) : 0;
    const int32_t rows = table ? table->GetRowCount() : 0;
    for (int32_t column = 0; column < columns; ++column) {
        for (int32_t row = 0; row < rows; ++row) {
            layout.columnWidths[column] =
                std::max(layout.columnWidths[column], table->GetCellWidth(measure, row, column));
        }
    }
    // The table starts below the title line and 3/8 of a line (truncated).
    const int32_t top = 2 + lineHeight + lineHeight * 3 / 8;
    int32_t x = 2;
    for (int32_t column = 0; column < columns; ++column) {
        for (int32_t row = 0; row < rows; ++row) {
            const char* text = table->GetCellText(row, column);
            if (text && *text) {
                layout.texts.push_back({text, x, top + row * lineHeight});
            }
        }
        x += layout.columnWidths[column] + 2 * charWidth;
    }
    const int32_t titleExtent = measure.TextWidth(heading, static_cast<int32_t>(std::strlen(heading)));
    layout.contentWidth = GetInfoPaneContentWidth(layout.columnWidths, charWidth, titleExtent);
    return layout;
}

SectionButtonPlaces PlaceSectionButtons(int32_t barWidth, int32_t buttonWidth)
{
    return {barWidth - 7 * buttonWidth, barWidth - 5 * buttonWidth,
            barWidth - static_cast<int32_t>(3.75 * buttonWidth)};
}

}  // namespace qz
