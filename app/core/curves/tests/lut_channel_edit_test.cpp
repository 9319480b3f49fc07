#include <gtest/gtest.h>

#include <cmath>

#include "app/core/curves/lut_group.h"
#include "curve_test_util.h"

using namespace curve_test;

namespace {

struct Levels {
    double inputBlack = 0.0, inputWhite = 1.0, gamma = 1.0, outputBlack = 0.0, outputWhite = 1.0;
};

void SetLevels(CQzLutChannel& channel, const Levels& levels)
{
    LutParameterSet& set = channel.EditWorkingSet();
    set.inputBlack = levels.inputBlack;
    set.inputWhite = levels.inputWhite;
    set.gamma = levels.gamma;
    set.outputBlack = levels.outputBlack;
    set.outputWhite = levels.outputWhite;
}

TEST(LutChannelEdit, HandlePositions)
{
    struct Case {
        Levels levels;
        int32_t black, middle, white, outputBlack, outputWhite;
    } cases[] = {
        {{}, 7, 135, 263, 261, 5},
        {{0.25, 0.75, 2.0, 0.25, 0.75}, 71, 103, 199, 197, 69},
        // The middle handle at 0.5 ^ gamma between black and white.
        {{0.0, 1.0, 0.5, 0.0, 1.0}, 7, 7 + 181, 263, 261, 5},
    };
    RecordingViewer viewer;
    for (const Case& c : cases) {
        CQzLutChannel channel(0, {}, {}, {});
        SetLevels(channel, c.levels);
        int32_t columns[3], rows[2];
        channel.GetInputHandlePositions(viewer.geometry.plot, columns);
        channel.GetOutputHandlePositions(viewer.geometry.plot, rows);
        EXPECT_EQ(columns[0], c.black);
        EXPECT_EQ(columns[1], c.middle);
        EXPECT_EQ(columns[2], c.white);
        EXPECT_EQ(rows[0], c.outputBlack);
        EXPECT_EQ(rows[1], c.outputWhite);
    }
}

TEST(LutChannelEdit, HitCodesAndTheirTieRules)
{
    const int32_t handleRow = 270, outputColumn = 3;
    struct Case {
        const char* name;
        Levels levels;
        LutPoint mouse;
        uint32_t code;
    } cases[] = {
        {"on the selected point", {}, ToneMouse(0, 0), kLutPoints},
        {"on another point", {}, ToneMouse(1, 1), kLutOtherPoint},
        {"within the point radius in x, far in y", {}, ToneMouse(8.0 / 256, 0.5), kLutPoints},
        {"on the curve, off the points", {}, ToneMouse(0.5, 0.5), kLutOnCurve},
        {"outside everything", {}, {300, 300}, 0},
        {"black handle", {}, {7, handleRow}, kLutInputBlack},
        {"middle handle", {}, {130, handleRow}, kLutGamma},
        {"white handle", {}, {263, handleRow}, kLutInputWhite},
        {"beyond the handle radius", {}, {80, handleRow}, 0},
        // Black 71, middle 79, white 87.
        {"black and middle tie between them: black", {0.25, 0.3125}, {75, handleRow}, kLutInputBlack},
        {"middle and white tie between them: middle", {0.25, 0.3125}, {83, handleRow}, kLutGamma},
        // Gamma 30: black and middle both at 71.
        {"left of black and middle together: black", {0.25, 0.3125, 30}, {68, handleRow}, kLutInputBlack},
        {"right of black and middle together: middle", {0.25, 0.3125, 30}, {74, handleRow}, kLutGamma},
        // Gamma 0.05: middle and white both at 79, black 71.
        {"right of middle and white together: white", {0.25, 0.28125, 0.05}, {82, handleRow}, kLutInputWhite},
        {"left of middle and white together: middle", {0.25, 0.28125, 0.05}, {76, handleRow}, kLutGamma},
        {"output black handle", {}, {outputColumn, 255}, kLutOutputBlack},
        {"output white handle", {}, {outputColumn, 10}, kLutOutputWhite},
        // Output black row 133, white 125: white is above the mouse, black wins.
        {"output tie, white above: black", {0, 1, 1, 0.5, 0.53125}, {outputColumn, 129}, kLutOutputBlack},
        {"output tie, white below: white", {0, 1, 1, 0.53125, 0.5}, {outputColumn, 129}, kLutOutputWhite},
        {"output beyond the handle radius", {}, {outputColumn, 133}, 0},
    };
    for (const Case& c : cases) {
        RecordingViewer viewer;
        CQzLutChannel channel(0, {}, {}, {});
        SetLevels(channel, c.levels);
        EXPECT_EQ(channel.TrackMouse(viewer, c.mouse), c.code) << c.name;
    }
}

TEST(LutChannelEdit, HitTestMarksTheNearestPointAndItsValue)
{
    RecordingViewer viewer;
    CQzLutChannel channel(0, {}, {}, {});
    SetPoints(channel, {{0.0, 0.0}, {0.25, 0.5}, {0.5, 0.5}, {1.0, 1.0}});
    SetLevels(channel, {0.0, 1.0, 1.0, 0.0, 0.5});
    // Equally far from the points at 0.25 and 0.5: the first is hot.
    EXPECT_EQ(channel.TrackMouse(viewer, ToneMouse(0.375, 0.1)), kLutOnCurve);
    EXPECT_EQ(channel.GetHotPoint(), 1);
    // On the point at 0.5 with its y after the output levels: 0.25 on the plot.
    EXPECT_EQ(channel.TrackMouse(viewer, ToneMouse(0.5, 0.25)), kLutOtherPoint);
    double x = 0, y = 0;
    channel.GetEditedValue(&x, &y);
    EXPECT_EQ(x, 0.5);
    EXPECT_EQ(y, 0.25);
}

TEST(LutChannelEdit, AddPointReplacesAnEqualXAndRespectsTheMaximum)
{
    CQzLutChannel channel(0, {}, {}, {});
    SetLevels(channel, {0.25, 0.75});
    EXPECT_EQ(channel.AddPoint(0.5, 0.7), 1);
    // Plot x 0.5 lies at 0.5 after the levels: the same point.
    EXPECT_EQ(channel.AddPoint(0.5, 0.2), 1);
    ASSERT_EQ(channel.GetPointCount(), 3);
    double x = 0, y = 0;
    ASSERT_TRUE(channel.GetPoint(1, &x, &y));
    EXPECT_EQ(x, 0.5);
    EXPECT_EQ(y, 0.2);
    EXPECT_FALSE(channel.GetPoint(3, &x, &y));
    EXPECT_EQ(channel.AddPoint(0.125, 0.0), 0);
    EXPECT_EQ(channel.AddPoint(1.0, 0.0), 4);

    channel.SetMaxPoints(5);
    ASSERT_EQ(channel.GetPointCount(), 5);
    EXPECT_EQ(channel.AddPoint(0.6, 0.6), 0);
    EXPECT_EQ(channel.GetPointCount(), 5);
    // A click on the curve starts no drag.
    RecordingViewer viewer;
    SetLevels(channel, {});
    EXPECT_EQ(channel.BeginDrag(viewer, ToneMouse(0.625, 0.125)), 0u);
    EXPECT_TRUE(viewer.began.empty());
    EXPECT_EQ(channel.GetPointCount(), 5);
}

// Black and white levels on one x leave no span to place a point in: it
// lands on the end on its side of the black level instead of at NaN or infinity.
TEST(LutChannelEdit, AddPointWithoutALevelSpanTakesAnEnd)
{
    struct Case {
        double x;
        int32_t index;
        double pointX;
    } cases[] = {{0.7, 1, 1.0}, {0.3, 0, 0.0}, {0.5, 0, 0.0}};
    for (const Case& c : cases) {
        CQzLutChannel channel(0, {}, {}, {});
        SetLevels(channel, {0.5, 0.5});
        EXPECT_EQ(channel.AddPoint(c.x, 0.25), c.index) << c.x;
        ASSERT_EQ(channel.GetPointCount(), 2) << c.x;
        double x = -1, y = -1;
        channel.GetPoint(c.index, &x, &y);
        EXPECT_EQ(x, c.pointX) << c.x;
        EXPECT_EQ(y, 0.25) << c.x;
    }
}

TEST(LutChannelEdit, InsertPointFindsAGapOf002)
{
    struct Case {
        const char* name;
        std::vector<std::pair<double, double>> points;
        int32_t selected;
        uint32_t answer;
        int32_t index;
        double x, y;
    } cases[] = {
        {"default, from the first point", {{0, 0}, {1, 1}}, 0, kLutPoints, 1, 0.5, 0.5},
        {"below the first point", {{0.3, 0.2}, {1, 1}}, 0, kLutPoints, 0, 0.15, 0.2},
        {"kept 0.01 inside the neighbours", {{0.015, 0.4}, {1, 1}}, 0, kLutPoints, 0, 0.005, 0.4},
        {"crowded below: upward", {{0, 0}, {0.015, 0.1}, {1, 1}}, 1, kLutPoints, 2, 0.5075, 0.55},
        {"the first wide pair below", {{0, 0}, {0.99, 0.5}, {1, 1}}, 2, kLutPoints, 1, 0.495, 0.25},
        {"past the last point", {{0, 0}, {0.015, 1}}, 0, kLutPoints, 2, 0.5075, 1},
    };
    for (const Case& c : cases) {
        CQzLutChannel channel(0, {}, {}, {});
        SetPoints(channel, {});
        for (const auto& [x, y] : c.points)
            channel.EditWorkingSet().points.push_back({x, y});
        channel.EditWorkingSet();
        for (int32_t i = 0; i < c.selected; ++i)
            channel.SelectNextPoint();
        EXPECT_EQ(channel.InsertPoint(), c.answer) << c.name;
        EXPECT_EQ(channel.GetSelectedPoint(), c.index) << c.name;
        double x = 0, y = 0;
        ASSERT_TRUE(channel.GetPoint(c.index, &x, &y)) << c.name;
        EXPECT_NEAR(x, c.x, 1e-12) << c.name;
        EXPECT_NEAR(y, c.y, 1e-12) << c.name;
    }
}

TEST(LutChannelEdit, InsertPointGivesUpWithoutRoom)
{
    CQzLutChannel crowded(0, {}, {}, {});
    LutParameterSet& set = crowded.EditWorkingSet();
    set.points.clear();
    for (int i = 0; i <= 52; ++i)
        set.points.push_back({i * 0.019, 0.5});
    set.points.push_back({1.0, 1.0});
    for (int i = 0; i < 20; ++i)
        crowded.SelectNextPoint();
    EXPECT_EQ(crowded.InsertPoint(), 0u);
    EXPECT_EQ(crowded.GetPointCount(), 54);

    CQzLutChannel full(0, {}, {}, {});
    full.SetMaxPoints(2);
    EXPECT_EQ(full.InsertPoint(), 0u);
}

TEST(LutChannelEdit, NudgingAPointHopsPastANeighbourTooClose)
{
    struct Case {
        const char* name;
        std::vector<std::pair<double, double>> points;
        int32_t selected;
        bool right;
        std::vector<double> xs;
        int32_t index;
    } cases[] = {
        {"plain step", {{0, 0}, {0.5, 0.5}, {1, 1}}, 1, false, {0, 0.49609375, 1}, 1},
        {"into the gap below", {{0, 0}, {0.3, 0.2}, {0.305, 0.4}, {1, 1}}, 2, false, {0, 0.29, 0.3, 1}, 1},
        {"before the first point", {{0.02, 0}, {0.03, 0.1}, {0.035, 0.2}, {1, 1}}, 2, false, {0.01, 0.02, 0.03, 1},
         0},
        {"no room below: stays 0.01 off", {{0.005, 0}, {0.012, 0.1}, {0.02, 0.2}, {1, 1}}, 2, false,
         {0.005, 0.012, 0.022, 1}, 2},
        {"into the gap above", {{0, 0}, {0.695, 0.4}, {0.7, 0.6}, {1, 1}}, 1, true, {0, 0.7, 0.71, 1}, 2},
        {"the first point stops at 0", {{0.002, 0}, {1, 1}}, 0, false, {0, 1}, 0},
    };
    for (const Case& c : cases) {
        RecordingViewer viewer;
        CQzLutChannel channel(0, {}, {}, {});
        LutParameterSet& set = channel.EditWorkingSet();
        set.points.clear();
        for (const auto& [x, y] : c.points)
            set.points.push_back({x, y});
        for (int32_t i = 0; i < c.selected; ++i)
            channel.SelectNextPoint();
        EXPECT_EQ(c.right ? channel.NudgePointRight(viewer) : channel.NudgePointLeft(viewer), kLutPoints) << c.name;
        const std::vector<double> xs = PointXs(channel);
        ASSERT_EQ(xs.size(), c.xs.size()) << c.name;
        for (size_t k = 0; k < xs.size(); ++k)
            EXPECT_NEAR(xs[k], c.xs[k], 1e-12) << c.name << " point " << k;
        EXPECT_EQ(channel.GetSelectedPoint(), c.index) << c.name;
    }
}

TEST(LutChannelEdit, VerticalNudgesAndLevelNudgesStayInRange)
{
    RecordingViewer viewer;
    CQzLutChannel channel(0, {}, {}, {});
    channel.SelectNextPoint();
    EXPECT_EQ(channel.NudgePointUp(viewer), kLutPoints);
    EXPECT_EQ(channel.GetWorkingSet().points[1].y, 1.0);
    EXPECT_EQ(channel.NudgePointDown(viewer), kLutPoints);
    EXPECT_EQ(channel.GetWorkingSet().points[1].y, 1.0 - 1.0 / 256);

    EXPECT_EQ(channel.NudgeBlackLeft(viewer), kLutInputBlack);
    EXPECT_EQ(channel.GetWorkingSet().inputBlack, 0.0);
    EXPECT_EQ(channel.NudgeWhiteRight(viewer), kLutInputWhite);
    EXPECT_EQ(channel.GetWorkingSet().inputWhite, 1.0);
    channel.EditWorkingSet().inputBlack = 0.999;
    channel.NudgeBlackRight(viewer);
    EXPECT_EQ(channel.GetWorkingSet().inputBlack, 1.0 - 2.0 / 257);
    channel.EditWorkingSet().inputWhite = 0.001;
    channel.NudgeWhiteLeft(viewer);
    EXPECT_EQ(channel.GetWorkingSet().inputWhite, 2.0 / 257);
}

TEST(LutChannelEdit, DeleteKeepsTwoPointsAndMovesTheSelectionDown)
{
    CQzLutChannel channel(0, {}, {}, {});
    SetPoints(channel, {{0, 0}, {0.5, 0.6}, {1, 1}});
    channel.SelectNextPoint();
    channel.SelectNextPoint();
    EXPECT_EQ(channel.DeleteSelectedPoint(), kLutPoints);
    EXPECT_EQ(channel.GetSelectedPoint(), 1);
    EXPECT_EQ(channel.GetPointCount(), 2);
    EXPECT_EQ(channel.DeleteSelectedPoint(), 0u);
    EXPECT_EQ(channel.GetPointCount(), 2);
}

TEST(LutChannelEdit, DraggingAPointOutOfThePlotDeletesIt)
{
    // The bottom row is v = 0: 21 rows below it is past the 20-pixel margin, 19 is not.
    struct Case {
        int rowsBelow;
        std::vector<std::pair<double, double>> points;
        bool deleted;
    } cases[] = {
        {21, {{0, 0}, {0.5, 0.5}, {1, 1}}, true},
        {19, {{0, 0}, {0.5, 0.5}, {1, 1}}, false},
        {21, {{0, 0}, {1, 1}}, false},
    };
    for (const Case& c : cases) {
        RecordingViewer viewer;
        CQzLutChannel channel(0, {}, {}, {});
        SetPoints(channel, {});
        for (const auto& [x, y] : c.points)
            channel.EditWorkingSet().points.push_back({x, y});
        const int32_t last = static_cast<int32_t>(c.points.size()) - 1;
        const LutPoint on = ToneMouse(c.points[last].first, c.points[last].second);
        ASSERT_EQ(channel.BeginDrag(viewer, on), kLutPoints);
        EXPECT_EQ(viewer.began, std::vector<uint32_t>{kLutPoints});
        const uint32_t answer = channel.TrackMouse(viewer, {on.x, 261 + c.rowsBelow});
        EXPECT_EQ(channel.GetPointCount(), static_cast<int32_t>(c.points.size()) - (c.deleted ? 1 : 0));
        EXPECT_EQ(answer, c.deleted ? 0u : kLutPoints) << c.rowsBelow;
        EXPECT_EQ(viewer.ended, c.deleted ? std::vector<uint32_t>{kLutPoints} : std::vector<uint32_t>{});
        EXPECT_EQ(channel.GetDragMode(), c.deleted ? 0u : kLutPoints);
    }
}

TEST(LutChannelEdit, APressOnTheCurveAddsAPointAndDragsIt)
{
    RecordingViewer viewer;
    CQzLutChannel channel(0, {}, {}, {});
    EXPECT_EQ(channel.BeginDrag(viewer, ToneMouse(0.25, 0.5)), kLutPoints);
    ASSERT_EQ(channel.GetPointCount(), 3);
    EXPECT_EQ(channel.GetSelectedPoint(), 1);
    EXPECT_EQ(channel.GetWorkingSet().points[1].x, 0.25);
    EXPECT_EQ(channel.GetWorkingSet().points[1].y, 0.5);
    EXPECT_EQ(viewer.steps, std::vector<uint32_t>{kLutPoints});

    // Past its right neighbour: it hops over and is held 0.01 inside.
    channel.TrackMouse(viewer, ToneMouse(0.5, 0.5));
    channel.TrackMouse(viewer, ToneMouse(1.0, 0.75));
    const std::vector<double> xs = PointXs(channel);
    ASSERT_EQ(xs.size(), 3u);
    EXPECT_NEAR(xs[1], 0.99, 1e-12);
    EXPECT_EQ(channel.GetSelectedPoint(), 1);
    channel.EndDrag(viewer);
    EXPECT_EQ(viewer.ended, std::vector<uint32_t>{kLutPoints});
    EXPECT_EQ(channel.GetDragMode(), 0u);
    channel.EndDrag(viewer);
    EXPECT_EQ(viewer.ended.size(), 1u);
}

TEST(LutChannelEdit, DraggedPointLandsUnderTheMouseOnTheGammaCurve)
{
    RecordingViewer viewer;
    CQzLutChannel channel(0, {}, {}, {});
    SetLevels(channel, {0, 1, 2});
    SetPoints(channel, {{0, 0}, {0.25, 0.25}, {1, 1}});
    ASSERT_EQ(channel.BeginDrag(viewer, ToneMouse(0.25, 0.5)), kLutPoints);
    // s = 0.25: the displayed curve adds 0.25 ^ 0.5 - 0.25.
    EXPECT_DOUBLE_EQ(channel.GetWorkingSet().points[1].y, 0.5 - 0.25);
}

TEST(LutChannelEdit, DraggingTheLevelHandles)
{
    struct Case {
        const char* name;
        LutPoint press, move;
        uint32_t code;
        Levels expected;
    } cases[] = {
        {"black", {7, 270}, ToneMouse(0.25, 0), kLutInputBlack, {0.25, 1}},
        {"black held two pixels below white", {7, 270}, ToneMouse(1, 0), kLutInputBlack, {1 - 2.0 / 257, 1}},
        {"white held above black", {263, 270}, ToneMouse(0, 0), kLutInputWhite, {0, 2.0 / 257}},
        {"middle to a quarter: gamma 2", {135, 270}, ToneMouse(0.25, 0), kLutGamma, {0, 1, 2}},
        {"output black", {3, 261}, ToneMouse(0, 0.25), kLutOutputBlack, {0, 1, 1, 0.25, 1}},
        {"output white", {3, 5}, ToneMouse(0, 0.75), kLutOutputWhite, {0, 1, 1, 0, 0.75}},
    };
    for (const Case& c : cases) {
        RecordingViewer viewer;
        CQzLutChannel channel(0, {}, {}, {});
        EXPECT_EQ(channel.BeginDrag(viewer, c.press), c.code) << c.name;
        channel.TrackMouse(viewer, c.move);
        channel.EndDrag(viewer);
        const LutParameterSet& set = channel.GetWorkingSet();
        EXPECT_DOUBLE_EQ(set.inputBlack, c.expected.inputBlack) << c.name;
        EXPECT_DOUBLE_EQ(set.inputWhite, c.expected.inputWhite) << c.name;
        EXPECT_DOUBLE_EQ(set.gamma, c.expected.gamma) << c.name;
        EXPECT_DOUBLE_EQ(set.outputBlack, c.expected.outputBlack) << c.name;
        EXPECT_DOUBLE_EQ(set.outputWhite, c.expected.outputWhite) << c.name;
        EXPECT_EQ(viewer.began, std::vector<uint32_t>{c.code}) << c.name;
        EXPECT_EQ(viewer.steps, (std::vector<uint32_t>{c.code, c.code})) << c.name;
        EXPECT_EQ(viewer.ended, std::vector<uint32_t>{c.code}) << c.name;
        EXPECT_TRUE(channel.IsDisplayTableDirty()) << c.name;
    }
}

TEST(LutChannelEdit, GammaIsLimitedToTheClassRange)
{
    CQzLutChannel wide(0, {}, {}, {});
    EXPECT_EQ(wide.SetGamma(25), 1);
    EXPECT_EQ(wide.GetWorkingSet().gamma, 20.0);
    EXPECT_EQ(wide.SetGamma(0.01), 1);
    EXPECT_EQ(wide.GetWorkingSet().gamma, 0.05);
    EXPECT_EQ(wide.SetGamma(2.5), 0);
    EXPECT_EQ(wide.SetGamma(NAN), 1);
    EXPECT_EQ(wide.GetWorkingSet().gamma, 1.0);
    wide.SetGammaFromMidpoint(0.0);
    EXPECT_EQ(wide.GetWorkingSet().gamma, 1.0);

    // The Curves palette narrows the range for channels made afterwards.
    CQzLutChannel::SetGammaRange(0.05, 6.0);
    CQzLutChannel narrow(0, {}, {}, {});
    CQzLutChannel::SetGammaRange(0.05, 20.0);
    EXPECT_EQ(narrow.SetGamma(25), 1);
    EXPECT_EQ(narrow.GetWorkingSet().gamma, 6.0);
    EXPECT_EQ(wide.SetGamma(25), 1);
    EXPECT_EQ(wide.GetWorkingSet().gamma, 20.0);
}

TEST(LutChannelEdit, ModifiedFlags)
{
    CQzLutGroup group;
    CQzLutChannel* master = group.GetToneChannelById(0);
    CQzLutChannel* red = group.AddChannel(1, {255, 0, 0}, {}, {255, 0, 0});
    EXPECT_EQ(red->GetModifiedFlags(~0u), 0u);
    red->EditWorkingSet().inputWhite = 0.9;
    EXPECT_EQ(red->GetModifiedFlags(~0u), kLutInputWhite);
    EXPECT_EQ(red->GetModifiedFlags(kLutInputBlack), 0u);
    // The master's brightness and the group's contrast count for every channel.
    master->EditWorkingSet().brightness = 0.5;
    EXPECT_EQ(red->GetModifiedFlags(~0u), kLutInputWhite | kLutOnCurve);
    master->EditWorkingSet().brightness = 0.0;
    group.SetContrast(-1);
    EXPECT_EQ(red->GetModifiedFlags(kLutOnCurve | kLutOtherPoint), kLutOnCurve);
    red->AddPoint(0.5, 0.6);
    EXPECT_EQ(red->GetModifiedFlags(kLutOnCurve | kLutOtherPoint), kLutOnCurve | kLutOtherPoint);
    red->EditWorkingSet().outputBlack = 0.1;
    red->EditWorkingSet().outputWhite = 0.9;
    red->EditWorkingSet().gamma = 2;
    EXPECT_EQ(red->GetModifiedFlags(0xFF0), kLutGamma | kLutInputWhite | kLutOutputBlack | kLutOutputWhite);
}

TEST(LutChannelEdit, AutomaticLevelsFromTheHistogram)
{
    std::vector<uint32_t> counts(256, 0);
    counts[10] = 500;
    counts[100] = 1000;
    counts[200] = 500;
    CQzLutChannel channel(1, {}, {}, {});
    channel.SetHistogram(counts.data(), 256);
    channel.SetRange(0.01, 0.01, false);
    EXPECT_DOUBLE_EQ(channel.GetWorkingSet().inputBlack, 10.0 / 255);
    EXPECT_DOUBLE_EQ(channel.GetWorkingSet().inputWhite, 200.0 / 255);

    // A wider clip passes the thin ends.
    CQzLutChannel clipped(1, {}, {}, {});
    clipped.SetHistogram(counts.data(), 256);
    clipped.SetRange(0.3, 0.3, false);
    EXPECT_DOUBLE_EQ(clipped.GetWorkingSet().inputBlack, 100.0 / 255);
    EXPECT_DOUBLE_EQ(clipped.GetWorkingSet().inputWhite, 100.0 / 255 + 0.01);

    CQzLutChannel none(1, {}, {}, {});
    none.SetRange(0.01, 0.01, false);
    EXPECT_EQ(none.GetWorkingSet().inputBlack, 0.0);
}

TEST(LutChannelEdit, MasterLevelsFromTheColourChannels)
{
    CQzLutGroup group;
    CQzLutChannel* master = group.GetToneChannelById(0);
    std::vector<uint32_t> red(256, 0), green(256, 0);
    red[20] = 100;
    green[220] = 100;
    group.AddChannel(1, {}, {}, {})->SetHistogram(red.data(), 256);
    group.AddChannel(2, {}, {}, {})->SetHistogram(green.data(), 256);
    group.AddChannel(3, {}, {}, {});
    master->SetRange(0.01, 0.01, false);
    EXPECT_DOUBLE_EQ(master->GetWorkingSet().inputBlack, 20.0 / 255);
    EXPECT_DOUBLE_EQ(master->GetWorkingSet().inputWhite, 220.0 / 255);

    // All channels: each colour channel from its own histogram, the master untouched.
    master->EditWorkingSet().inputBlack = 0;
    master->EditWorkingSet().inputWhite = 1;
    master->SetRange(0.01, 0.01, true);
    EXPECT_EQ(master->GetWorkingSet().inputBlack, 0.0);
    EXPECT_DOUBLE_EQ(group.GetToneChannelById(1)->GetWorkingSet().inputBlack, 20.0 / 255);
    EXPECT_DOUBLE_EQ(group.GetToneChannelById(2)->GetWorkingSet().inputBlack, 220.0 / 255);
    EXPECT_EQ(group.GetToneChannelById(3)->GetWorkingSet().inputBlack, 0.0);
}

}  // namespace
