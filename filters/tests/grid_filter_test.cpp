#include <algorithm>
#include <cmath>

#include "kolvex_test_util.h"

using namespace kolvex_test;

namespace {

class GridFilterTest : public ::testing::Test {
protected:
    void SetUp() override { manager = MakeManager(65536); }
    void TearDown() override { manager->Destroy(); }

    // Renders a grey source of the given size through the grid; returns the columns and
    // rows that carry grid colour on row 1 and column 1 (neither is a multiple of 4).
    void Render(int32_t width, int32_t height, double interval, int32_t unit, int32_t assumedWidth, double resolution,
                std::vector<int32_t>* columns, std::vector<int32_t>* rows = nullptr)
    {
        IVorlatImage* source = MakeImage(manager, 2, width, height, std::vector<uint8_t>(width * height, 200));
        CVorlatFilterGrid grid(manager);
        KOLVEX_OK(VorlatDataConnect(source, &grid));
        KOLVEX_OK(grid.SetGridColor(255, 0, 0, false));
        KOLVEX_OK(grid.SetGridInterval(interval, unit, 3, false));
        KOLVEX_OK(grid.SetAssumedImageSize(assumedWidth, height, resolution, false));
        image = ReadAll(&grid);
        stride = width * 3;
        for (int32_t x = 0; x < width; ++x)
            if (image[stride + x * 3 + 1] == 0)
                columns->push_back(x);
        for (int32_t y = 0; rows && y < height; ++y)
            if (image[y * stride + 3 + 1] == 0)
                rows->push_back(y);
        source->Destroy();
    }
    bool Red(int32_t x, int32_t y) const { return image[y * stride + x * 3] == 255 && image[y * stride + x * 3 + 1] == 0; }

    IVorlatManager* manager = nullptr;
    std::vector<uint8_t> image;
    int32_t stride = 0;
};

TEST_F(GridFilterTest, MajorLinesEveryIntervalFromTheCentreWithMinorThirds)
{
    std::vector<int32_t> columns;
    Render(1300, 9, 1.0, CVorlatFilterGrid::kInches, 1300, 300.0, &columns);
    // Centre 650: majors every 300 pixels outward; row 1 shows no minor line.
    EXPECT_EQ(columns, std::vector<int32_t>({50, 350, 650, 950, 1250}));
    // The centre line is solid; the others leave out rows that are multiples of 4, and
    // the minor lines 100 and 200 past each major lie only on those rows.
    EXPECT_TRUE(Red(650, 0));
    EXPECT_FALSE(Red(350, 8));
    EXPECT_TRUE(Red(350, 5));
    EXPECT_TRUE(Red(450, 8));
    EXPECT_FALSE(Red(450, 7));
}

TEST_F(GridFilterTest, SpacingFollowsTheSourceAgainstTheAssumedWidth)
{
    std::vector<int32_t> columns;
    Render(1300, 9, 1.0, CVorlatFilterGrid::kInches, 650, 300.0, &columns);
    EXPECT_EQ(columns, std::vector<int32_t>({50, 650, 1250}));
    EXPECT_TRUE(Red(850, 8));
}

TEST_F(GridFilterTest, NarrowSpacingIsDoubledAndMinorPartsFollowIt)
{
    struct Case {
        double pixels;
        int32_t spacing;
    } cases[] = {{3.0, 6}, {1.0, 8}, {15.0, 15}, {25.0, 25}};
    for (const Case& c : cases) {
        std::vector<int32_t> columns, rows;
        Render(121, 121, c.pixels, CVorlatFilterGrid::kPixels, 121, 72.0, &columns, &rows);
        // On row 1 only major lines show (minor lines keep to rows that are multiples of 4).
        ASSERT_GE(columns.size(), 2u) << c.pixels;
        EXPECT_EQ(columns[1] - columns[0], c.spacing) << c.pixels;
        EXPECT_NE(std::find(columns.begin(), columns.end(), 60), columns.end());
        // Row 4 (a multiple of 4, on no horizontal line) shows the minor lines: one
        // part at 15 draws none, two parts at 25 draw one halfway.
        if (c.pixels == 25.0) {
            EXPECT_TRUE(Red(60 + 13, 4));
        }
        for (int32_t x = 61; c.pixels == 15.0 && x < 75; ++x)
            EXPECT_FALSE(Red(x, 4)) << x;
    }
}

TEST_F(GridFilterTest, UnusableSettingsDrawNothingOrAreRefused)
{
    std::vector<int32_t> columns;
    Render(100, 9, 1.0, CVorlatFilterGrid::kInches, 0, 300.0, &columns);
    EXPECT_TRUE(columns.empty());
    CVorlatFilterGrid grid(manager);
    EXPECT_EQ(Deepest(grid.SetGridInterval(1e300, 0, 3, false)), kKolvexErrBadSetting);
    EXPECT_EQ(Deepest(grid.SetGridInterval(-1.0, 0, 3, false)), kKolvexErrBadSetting);
    EXPECT_EQ(Deepest(grid.SetAssumedImageSize(10, 10, std::nan(""), false)), kKolvexErrBadSetting);
    double interval = 0;
    int32_t unit = 0, parts = 0;
    grid.GetGridInterval(&interval, &unit, &parts);
    EXPECT_EQ(interval, 1.0);
    EXPECT_EQ(unit, CVorlatFilterGrid::kInches);
    EXPECT_EQ(parts, 3);
}

TEST_F(GridFilterTest, SixteenBitGreyBecomesGreyRGBAndOtherLayoutsFail)
{
    IVorlatImage* wide = MakeImage(manager, 3, 4, 1, {0x00, 0x80, 0xFF, 0x12, 0, 0, 0, 0});
    CVorlatFilterGrid grid(manager);
    KOLVEX_OK(VorlatDataConnect(wide, &grid));
    const std::vector<uint8_t> out = ReadAll(&grid);
    EXPECT_EQ(std::vector<uint8_t>(out.begin(), out.begin() + 6), std::vector<uint8_t>({0x80, 0x80, 0x80, 0x12, 0x12, 0x12}));
    IVorlatImage* cmyk = MakeImage(manager, 34, 4, 1, std::vector<uint8_t>(16, 1));
    CVorlatFilterGrid other(manager);
    KOLVEX_OK(VorlatDataConnect(cmyk, &other));
    void* data = nullptr;
    EXPECT_EQ(DeepestText(other.LockTile(&data, 0, 0, nullptr)), kKolvexBadSourceSpace);
    wide->Destroy();
    cmyk->Destroy();
}

TEST_F(GridFilterTest, EnabledGridTurnsALayoutChangeIntoADataChange)
{
    IVorlatImage* source = MakeImage(manager, 2, 10, 10, std::vector<uint8_t>(100, 1));
    CVorlatFilterGrid grid(manager);
    Recorder recorder;
    KOLVEX_OK(VorlatDataConnect(source, &grid));
    KOLVEX_OK(VorlatDataConnect(&grid, &recorder));
    KOLVEX_OK(grid.SetAssumedImageSize(0, 0, 0.0, true));
    EXPECT_TRUE(recorder.heard.empty());
    KOLVEX_OK(grid.SetAssumedImageSize(10, 10, 300.0, true));
    EXPECT_EQ(recorder.Codes(), std::vector<int32_t>({0}));
    KOLVEX_OK(source->SetColorSpace(3));
    EXPECT_EQ(recorder.Codes(), std::vector<int32_t>({0, 0}));
    KOLVEX_OK(grid.Enable(false, false));
    KOLVEX_OK(source->SetColorSpace(2));
    EXPECT_EQ(recorder.Codes(), std::vector<int32_t>({0, 0, 2}));
    source->Destroy();
}

} // namespace
