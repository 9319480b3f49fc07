#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <tuple>
#include <vector>

#include "app/core/shooting/shooting_info_table.h"
#include "app/core/view_model/frame_layout.h"
#include "app/core/view_model/open_dialog.h"

using namespace qz;

namespace {

TEST(FrameLayout, InfoPaneMeasures)
{
    EXPECT_EQ(GetInfoPaneHeight(16, 17), 6 * 16 + 17 + 26);
    const int32_t columns[4] = {100, 80, 60, 40};
    EXPECT_EQ(GetInfoPaneContentWidth(columns, 7, 200), 280 + 49 + 5);  // the table is wider
    EXPECT_EQ(GetInfoPaneContentWidth(columns, 7, 400), 419);           // the title is wider
    const int32_t empty[4] = {0, 0, 0, 0};
    EXPECT_EQ(GetInfoPaneContentWidth(empty, 7, 300), 319);  // a table without rows
}

TEST(FrameLayout, InfoPaneScrollCodes)
{
    struct Case {
        int32_t code, position, track;
        int32_t expected;
    };
    // Page 300, limit 500.
    const Case cases[] = {
        {0, 50, 0, 40},   {0, 5, 0, 0},      {1, 50, 0, 60},    {1, 500, 0, 500},  // line right at the limit
        {2, 350, 0, 50},  {2, 100, 0, 0},    {3, 100, 0, 400},  {3, 400, 0, 500},
        {4, 0, 321, 321}, {5, 0, 9999, 500}, {6, 321, 0, 0},    {7, 0, 0, 500},
        {8, 123, 0, 123}, {99, 123, 0, 123},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ScrollInfoPanePosition(c.code, c.position, c.track, 300, 500), c.expected)
            << c.code << " from " << c.position;
    }
    // Nothing to scroll.
    EXPECT_EQ(ScrollInfoPanePosition(1, 0, 0, 300, 0), 0);
    EXPECT_EQ(ScrollInfoPanePosition(7, 0, 0, 300, -20), 0);
}

TEST(FrameLayout, CommandHelpContexts)
{
    EXPECT_EQ(GetCommandHelpContext(true, 32787, 57603), 0x10000000u + 32787);
    EXPECT_EQ(GetCommandHelpContext(false, 32787, 57603), 0x20000000u + 57603);
    EXPECT_EQ(GetCommandHelpContext(true, 0, 57603), 0u);
    EXPECT_EQ(GetCommandHelpContext(false, 32787, 0), 0u);
}

TEST(FrameLayout, HitTestHelpContexts)
{
    EXPECT_EQ(GetHitTestHelpContext(129, 0xFFFF), 0x20000000u + 129);
    EXPECT_EQ(GetHitTestHelpContext(129, 1091), ((129u + 0x3000) << 16) + 1091);
    EXPECT_EQ(GetHitTestHelpContext(0, 1091), 0u);
    EXPECT_EQ(GetHitTestHelpContext(0, 0xFFFF), 0u);
}

TEST(FrameLayout, InfoPaneLaysTheTableOutColumnByColumnBelowTheTitle)
{
    const CQzFixedWidthMeasure measure(8);
    CShootingInfoTable table;
    table.AddField("KORVA M4X", 1001);                    // row 0, column 0
    table.AddField("Image Size: 160 x 120", 1005);        // row 5, column 0
    table.AddField("Lens: 24-85mm f/2.8-4", 1006);        // row 0, column 1
    table.AddField("White Balance: Preset 2 -2", 1015);   // row 0, column 3
    table.AddField("not in the grid", 1019);
    const InfoPaneLayout layout = LayoutInfoPane(&table, measure, "Title", 16, 7);

    int32_t widths[4] = {};
    for (int32_t column = 0; column < 4; ++column) {
        for (int32_t row = 0; row < 6; ++row)
            widths[column] = std::max(widths[column], table.GetCellWidth(measure, row, column));
        EXPECT_EQ(layout.columnWidths[column], widths[column]) << column;
    }
    // Below the title: 2 + one line + 3/8 of a line (6).
    const int32_t top = 2 + 16 + 6;
    const int32_t x1 = 2 + widths[0] + 14, x2 = x1 + widths[1] + 14, x3 = x2 + widths[2] + 14;
    const std::vector<std::tuple<std::string, int32_t, int32_t>> expected = {
        {"Title", 2, 2},
        {"KORVA M4X", 2, top},
        {"Image Size: 160 x 120", 2, top + 5 * 16},
        {"Lens: 24-85mm f/2.8-4", x1, top},
        {"White Balance: Preset 2 -2", x3, top},
    };
    ASSERT_EQ(layout.texts.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(layout.texts[i].text, std::get<0>(expected[i])) << i;
        EXPECT_EQ(layout.texts[i].x, std::get<1>(expected[i])) << i;
        EXPECT_EQ(layout.texts[i].y, std::get<2>(expected[i])) << i;
    }
    EXPECT_EQ(layout.contentWidth, GetInfoPaneContentWidth(widths, 7, 5 * 8));
}

TEST(FrameLayout, InfoPaneWithoutATableHoldsTheTitleAlone)
{
    const CQzFixedWidthMeasure measure(8);
    const std::string title = "These were the settings at the time this image was taken:";
    const InfoPaneLayout none = LayoutInfoPane(nullptr, measure, title.c_str(), 16, 7);
    ASSERT_EQ(none.texts.size(), 1u);
    EXPECT_EQ(none.texts[0].text, title);
    EXPECT_EQ(none.contentWidth, static_cast<int32_t>(title.size()) * 8 + 19);

    // A table that is not extended has no field in any cell.
    CShootingInfoTable narrow;
    narrow.AddField("KORVA M4X", 1001);
    narrow.SetExtended(false);
    EXPECT_EQ(LayoutInfoPane(&narrow, measure, title.c_str(), 16, 7).texts.size(), 1u);
}

TEST(FrameLayout, SectionButtonsFromTheRightEnd)
{
    const SectionButtonPlaces p = PlaceSectionButtons(400, 19);
    EXPECT_EQ(p.deleteX, 400 - 133);
    EXPECT_EQ(p.previousX, 400 - 95);
    EXPECT_EQ(p.nextX, 400 - 71);  // 3.75 x 19 = 71.25, truncated
}

TEST(OpenDialog, StartFolderAndResultSplit)
{
    EXPECT_EQ(GetOpenStartFolder("  C:\\Photos\\  ", "D:\\work"), "C:\\Photos\\");
    EXPECT_EQ(GetOpenStartFolder("", "D:\\work"), "D:\\work");
    EXPECT_EQ(GetOpenStartFolder("   ", "D:\\work"), "D:\\work");

    const auto isFolder = [](const std::string& path) { return path == "C:\\Photos" || path == "C:\\"; };
    struct Case {
        std::string result;
        uint32_t version;
        std::string folder;
        std::vector<std::string> names;
    };
    const Case cases[] = {
        // Three files selected: the folder, then the names.
        {std::string("C:\\Photos\0a.xqv\0b.jpg\0c.tif\0\0", 30), 4, "C:\\Photos\\", {"a.xqv", "b.jpg", "c.tif"}},
        {std::string("C:\\\0a.xqv\0\0", 11), 5, "C:\\", {"a.xqv"}},
        // One file: a full path.
        {std::string("C:\\Photos\\a.xqv\0\0", 17), 4, "C:\\Photos\\", {"a.xqv"}},
        {std::string("C:\\Photos\\a.xqv", 15), 4, "C:\\Photos\\", {"a.xqv"}},
        // The old form separates with blanks.
        {"C:\\Photos a.xqv b.jpg", 3, "C:\\Photos\\", {"a.xqv", "b.jpg"}},
        {"C:\\Photos\\a.xqv", 3, "C:\\Photos\\", {"a.xqv"}},
        {"a.xqv", 4, "", {"a.xqv"}},
        {"", 4, "", {}},
    };
    for (const Case& c : cases) {
        const OpenSelection s = SplitOpenResult(c.result, c.version, isFolder);
        EXPECT_EQ(s.folder, c.folder) << c.result;
        EXPECT_EQ(s.names, c.names) << c.result;
    }
}

}  // namespace
