#include <gtest/gtest.h>

#include <cstdint>

#include "app/core/view_model/mouse_tools.h"

using namespace qz;

namespace {

TEST(ViewMouseTools, ModifiersOverrideTheChosenTool)
{
    struct Case {
        int32_t tool;
        bool ctrl, shift, alt;
        int32_t effective;
    };
    const Case cases[] = {
        {kToolSelect, false, false, true, kToolGrab},   // Alt with the selection tool grabs
        {kToolGrab, false, true, false, kToolZoom},     // Shift with the grab tool zooms
        {kToolGrab, true, false, false, kToolZoom},
        {kToolZoom, false, false, true, kToolGrab},
        {kToolSelect, true, false, true, kToolZoom},    // Ctrl before Alt
        {kToolSelect, false, false, false, kToolSelect},
        {4, true, true, true, 4},                       // sampling tools ignore the keys
        {0, true, false, false, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(GetEffectiveTool(c.tool, c.ctrl, c.shift, c.alt), c.effective)
            << c.tool << c.ctrl << c.shift << c.alt;
    }
}

TEST(ViewMouseTools, HitCodesAroundTheCropFrame)
{
    // A 1000 x 800 image at 100%; the frame covers view pixels 100..499 x 100..399.
    const ViewRect image{0, 0, 2000, 1600};
    const ViewRect crop{200, 200, 1000, 800};
    struct Case {
        int32_t x, y;
        int32_t hit;
    };
    const Case cases[] = {
        {503, 250, kHitRight},             // 4 pixels outside the right edge
        {505, 250, 0},                     // 6 pixels outside: a new frame
        {96, 250, kHitLeft},
        {94, 250, 0},
        {250, 96, kHitTop},
        {250, 404, kHitBottom},
        {250, 406, 0},
        {104, 250, kHitLeft},              // 4 pixels inside
        {105, 250, kHitInside},            // 5 pixels inside
        {300, 250, kHitInside},
        {98, 98, kHitLeft | kHitTop},
        {502, 98, kHitTop | kHitRight},
        {98, 402, kHitLeft | kHitBottom},
        {502, 402, kHitRight | kHitBottom},
        {1000, 10, kHitOutsideImage},
        {-1, 10, kHitOutsideImage},
        {10, 800, kHitOutsideImage},
        {10, 10, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(HitTestCropFrame(c.x, c.y, crop, image, 1.0), c.hit) << c.x << "," << c.y;
    }
    // At 50% the same frame covers view pixels 50..249 x 50..199.
    EXPECT_EQ(HitTestCropFrame(253, 120, crop, image, 0.5), kHitRight);
    EXPECT_EQ(HitTestCropFrame(255, 120, crop, image, 0.5), 0);
    // The whole image as frame offers no edges.
    EXPECT_EQ(HitTestCropFrame(2, 2, image, image, 1.0), 0);
    // A frame 6 pixels wide: its inside is the centre column.
    const ViewRect narrow{200, 200, 212, 800};
    EXPECT_EQ(HitTestCropFrame(103, 250, narrow, image, 1.0), kHitInside);
    EXPECT_EQ(HitTestCropFrame(101, 250, narrow, image, 1.0), kHitLeft | kHitRight);
}

TEST(ViewMouseTools, DragModesAndEdgeCodes)
{
    struct Case {
        int32_t hit;
        int32_t mode;
        int32_t edgeCode;
    };
    const Case cases[] = {
        {0, kDragNew, 0},
        {kHitOutsideImage, kDragNew, 0},
        {kHitInside, kDragMove, 3},
        {kHitLeft, kDragLeft, 5},
        {kHitTop, kDragTop, 10},
        {kHitRight, kDragRight, 1},
        {kHitBottom, kDragBottom, 2},
        {kHitLeft | kHitTop, kDragTopLeft, 12},
        {kHitTop | kHitRight, kDragTopRight, 8},
        {kHitLeft | kHitBottom, kDragBottomLeft, 4},
        {kHitRight | kHitBottom, kDragBottomRight, 0},
        {kHitLeft | kHitRight, kDragNew, 0},
        {7, kDragNew, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(GetDragMode(c.hit), c.mode) << c.hit;
        EXPECT_EQ(GetCropEdgeCode(GetDragMode(c.hit)), c.edgeCode) << c.hit;
    }
}

TEST(ViewMouseTools, DraggingKeepsTheFrameAtLeastTwoUnitsAndInsideTheImage)
{
    const ViewRect image{0, 0, 2000, 1600};
    const ViewRect press{200, 200, 1000, 800};
    struct Case {
        const char* what;
        int32_t mode;
        int32_t pressX, pressY, pointerX, pointerY;
        ViewRect expected;
    };
    const Case cases[] = {
        {"left past right", kDragLeft, 200, 500, 1500, 500, {998, 200, 1000, 800}},
        {"right past left", kDragRight, 1000, 500, 0, 900, {200, 200, 202, 800}},
        {"top past bottom", kDragTop, 500, 200, 700, 900, {200, 798, 1000, 800}},
        {"bottom up", kDragBottom, 500, 800, 0, 600, {200, 200, 1000, 600}},
        {"top-left out", kDragTopLeft, 200, 200, 100, 100, {100, 100, 1000, 800}},
        {"bottom-right past", kDragBottomRight, 1000, 800, 100, 100, {200, 200, 202, 202}},
        {"top-right", kDragTopRight, 1000, 200, 1200, 300, {200, 300, 1200, 800}},
        {"bottom-left", kDragBottomLeft, 200, 800, 300, 1000, {300, 200, 1000, 1000}},
        {"new, normalised and limited", kDragNew, 1500, 1200, -50, 1700, {0, 1200, 1500, 1600}},
        {"move right, pushed back", kDragMove, 500, 500, 2000, 500, {1200, 200, 2000, 800}},
        {"move up-left, pushed back", kDragMove, 500, 500, 0, 0, {0, 0, 800, 600}},
        {"move inside", kDragMove, 500, 500, 510, 490, {210, 190, 1010, 790}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(DragCropRect(c.mode, press, c.pressX, c.pressY, c.pointerX, c.pointerY, image), c.expected)
            << c.what;
    }
    // A frame wider than the image keeps the image's left edge.
    EXPECT_EQ(DragCropRect(kDragMove, {0, 0, 3000, 100}, 0, 0, 50, 0, image), (ViewRect{0, 0, 3000, 100}));
}

TEST(ViewMouseTools, CursorTable)
{
    CursorSituation base;
    base.viewActive = true;
    base.hasRecord = true;
    base.insideImage = true;
    base.zoomStep = 14;
    const CursorChoice arrow{StandardCursor::Arrow, 0};
    auto res = [](int32_t id) { return CursorChoice{StandardCursor::None, id}; };
    auto std_ = [](StandardCursor c) { return CursorChoice{c, 0}; };

    struct Case {
        const char* what;
        CursorSituation s;
        CursorChoice cursor;
    };
    auto with = [&](auto change) {
        CursorSituation s = base;
        change(s);
        return s;
    };
    const Case cases[] = {
        {"inactive", with([](CursorSituation& s) { s.viewActive = false; s.tool = kToolZoom; }), arrow},
        {"no record", with([](CursorSituation& s) { s.hasRecord = false; s.tool = kToolZoom; }), arrow},
        {"zoom in", with([](CursorSituation& s) { s.tool = kToolZoom; }), res(256)},
        {"zoom in, free step", with([](CursorSituation& s) { s.tool = kToolZoom; s.zoomStep = -1; }), res(256)},
        {"zoom in at the end", with([](CursorSituation& s) { s.tool = kToolZoom; s.zoomStep = 23; }), res(255)},
        {"zoom out", with([](CursorSituation& s) { s.tool = kToolZoom; s.ctrl = true; }), res(257)},
        {"zoom out at the end",
         with([](CursorSituation& s) { s.tool = kToolZoom; s.ctrl = true; s.zoomStep = 0; }), res(255)},
        {"zoom outside", with([](CursorSituation& s) { s.tool = kToolZoom; s.insideImage = false; }), arrow},
        {"new frame", with([](CursorSituation& s) { s.tool = kToolSelect; }), res(253)},
        {"move frame", with([](CursorSituation& s) { s.tool = kToolSelect; s.hitCode = kHitInside; }), res(254)},
        {"left edge", with([](CursorSituation& s) { s.tool = kToolSelect; s.hitCode = kHitLeft; }),
         std_(StandardCursor::SizeWestEast)},
        {"bottom edge", with([](CursorSituation& s) { s.tool = kToolSelect; s.hitCode = kHitBottom; }),
         std_(StandardCursor::SizeNorthSouth)},
        {"bottom-right", with([](CursorSituation& s) { s.tool = kToolSelect; s.hitCode = 12; }),
         std_(StandardCursor::SizeNorthWestSouthEast)},
        {"top-right", with([](CursorSituation& s) { s.tool = kToolSelect; s.hitCode = 6; }),
         std_(StandardCursor::SizeNorthEastSouthWest)},
        {"outside the image", with([](CursorSituation& s) { s.tool = kToolSelect; s.hitCode = kHitOutsideImage; }),
         arrow},
        {"both sides of a narrow frame", with([](CursorSituation& s) { s.tool = kToolSelect; s.hitCode = 5; }),
         arrow},
        {"dragging a new frame",
         with([](CursorSituation& s) { s.tool = kToolSelect; s.dragging = true; s.hitCode = kHitInside; }),
         res(253)},
        {"dragging the top",
         with([](CursorSituation& s) { s.tool = kToolSelect; s.dragging = true; s.dragMode = kDragTop; }),
         std_(StandardCursor::SizeNorthSouth)},
        {"dragging bottom-left",
         with([](CursorSituation& s) { s.tool = kToolSelect; s.dragging = true; s.dragMode = kDragBottomLeft; }),
         std_(StandardCursor::SizeNorthEastSouthWest)},
        {"grab", with([](CursorSituation& s) { s.tool = kToolGrab; }), res(252)},
        {"grab outside", with([](CursorSituation& s) { s.tool = kToolGrab; s.insideImage = false; }), arrow},
        {"grabbing", with([](CursorSituation& s) { s.tool = kToolGrab; s.dragging = true; }), res(258)},
        {"sampling 4", with([](CursorSituation& s) { s.tool = 4; }), res(210)},
        {"sampling 5", with([](CursorSituation& s) { s.tool = 5; }), res(218)},
        {"sampling 6", with([](CursorSituation& s) { s.tool = 6; }), res(217)},
        {"no tool", with([](CursorSituation& s) { s.tool = 0; }), arrow},
        {"paint pending", with([](CursorSituation& s) { s.tool = kToolGrab; s.paintPending = true; }),
         std_(StandardCursor::ArrowHourglass)},
        {"paint pending while dragging",
         with([](CursorSituation& s) { s.tool = kToolGrab; s.paintPending = true; s.dragging = true; }), res(258)},
    };
    for (const Case& c : cases) {
        const CursorChoice got = ChooseViewCursor(c.s);
        EXPECT_EQ(got, c.cursor) << c.what << ": " << static_cast<int>(got.standard) << " " << got.resource;
    }
}

TEST(ViewMouseTools, DropperSampleSides)
{
    EXPECT_EQ(GetDropperSampleSide(0), 1);
    EXPECT_EQ(GetDropperSampleSide(1), 3);
    EXPECT_EQ(GetDropperSampleSide(2), 5);
    EXPECT_EQ(GetDropperSampleSide(3), 1);
    EXPECT_EQ(GetDropperSampleSide(-1), 1);
}

TEST(ViewMouseTools, FlipAndRotateSteps)
{
    struct Case {
        uint32_t command;
        bool flip;
        int32_t degrees;
    };
    const Case cases[] = {
        {kCmdFlipHorizontal, true, 0},
        {kCmdFlipVertical, true, 180},
        {kCmdRotate90Ccw, false, -90},
        {kCmdRotate90Cw, false, 90},
        {kCmdRotate180, false, 180},
    };
    for (const Case& c : cases) {
        TransformStep step{};
        ASSERT_TRUE(GetTransformStep(c.command, &step)) << c.command;
        EXPECT_EQ(step.flip, c.flip) << c.command;
        EXPECT_EQ(step.degrees, c.degrees) << c.command;
    }
    TransformStep step{};
    EXPECT_FALSE(GetTransformStep(kCmdSelectEntireImage, &step));
}

}  // namespace
