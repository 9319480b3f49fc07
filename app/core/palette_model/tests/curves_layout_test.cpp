#include <gtest/gtest.h>

#include "app/core/palette_model/curves_layout.h"

using namespace curves;

namespace {

bool Inside(const Box& inner, const Box& outer)
{
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
}

TEST(CurvesLayout, EditorIsASquareWithTheControlsAroundIt)
{
    const LayoutMetrics metrics;
    for (int32_t side : {200, 260, 340}) {
        SCOPED_TRACE(side);
        int32_t width = 0, height = 0;
        CurvesClientSize(side, metrics, &width, &height);
        const CurvesLayout layout = LayOutCurves(width, height, metrics);
        EXPECT_EQ(layout.editor.Width(), side);
        EXPECT_EQ(layout.editor.Height(), side);
        const Box client{0, 0, width, height};
        for (const Box& box : {layout.check, layout.list, layout.outputWhite, layout.outputBlack, layout.inputBlack,
                               layout.gamma, layout.inputWhite, layout.inputLabel, layout.outputReadout})
            EXPECT_TRUE(Inside(box, client));
        // Output fields left of the editor; input fields under it at its left, centre and right.
        EXPECT_LE(layout.outputWhite.right, layout.editor.left);
        EXPECT_LT(layout.outputWhite.bottom, layout.outputBlack.top);
        EXPECT_EQ(layout.inputBlack.left, layout.editor.left);
        EXPECT_EQ(layout.inputWhite.right, layout.editor.right);
        EXPECT_EQ(layout.gamma.left + layout.gamma.Width() / 2, layout.editor.left + side / 2);
        EXPECT_GE(layout.inputBlack.top, layout.editor.bottom);
        EXPECT_GE(layout.inputLabel.top, layout.inputBlack.bottom);
        // The channel list centred above the editor.
        EXPECT_LE(layout.list.bottom, layout.editor.top);
        EXPECT_EQ(layout.list.left + metrics.listWidth / 2, layout.editor.left + side / 2);
        EXPECT_EQ(layout.grip.right, width);
        EXPECT_EQ(layout.grip.bottom, height);
    }
}

TEST(CurvesLayout, ButtonsFormAColumnRightOfTheEditorThreePixelsApart)
{
    const LayoutMetrics metrics;
    const CurvesLayout layout = LayOutCurves(400, 380, metrics);
    EXPECT_EQ(layout.buttons[0].top, layout.editor.top);
    for (int32_t i = 0; i < 7; ++i) {
        EXPECT_GE(layout.buttons[i].left, layout.editor.right);
        if (i > 0)
            EXPECT_EQ(layout.buttons[i].top, layout.buttons[i - 1].bottom + kButtonGap);
    }
    const uint32_t order[7] = {1008, 1009, 1012, 1011, 1010, 1013, 1067};
    for (int32_t i = 0; i < 7; ++i)
        EXPECT_EQ(kButtonColumn[i], order[i]);
}

TEST(CurvesLayout, TooSmallAClientStillHoldsTheButtonColumn)
{
    const LayoutMetrics metrics;
    const CurvesLayout layout = LayOutCurves(20, 20, metrics);
    EXPECT_GE(layout.editor.Height(), 7 * metrics.buttonHeight + 6 * kButtonGap);
    EXPECT_EQ(layout.editor.Width(), layout.editor.Height());
}

TEST(CurvesLayout, SizingKeepsTheRatioAndTheLimits)
{
    enum { kLeft = 1, kRight, kTop, kTopLeft, kTopRight, kBottom, kBottomLeft, kBottomRight };
    // Minimum 300 x 200 (ratio 1.5), maximum 500 x 500. The window starts at (100, 100).
    const struct {
        const char* name;
        int32_t edge;
        Box dragged;
        Box kept;
    } cases[] = {
        {"right sets the bottom", kRight, {100, 100, 460, 300}, {100, 100, 460, 340}},
        {"left sets the bottom", kLeft, {40, 100, 400, 300}, {40, 100, 400, 340}},
        {"bottom-right by width", kBottomRight, {100, 100, 430, 500}, {100, 100, 430, 320}},
        {"bottom-left by width", kBottomLeft, {70, 100, 400, 250}, {70, 100, 400, 320}},
        {"bottom sets the right", kBottom, {100, 100, 400, 340}, {100, 100, 460, 340}},
        {"top sets the right", kTop, {100, 60, 400, 300}, {100, 60, 460, 300}},
        {"top-right sets the top", kTopRight, {100, 50, 460, 300}, {100, 60, 460, 300}},
        {"top-left sets the left", kTopLeft, {0, 60, 400, 300}, {40, 60, 400, 300}},
        {"never beyond 500 wide", kRight, {100, 100, 900, 300}, {100, 100, 600, 433}},
        {"never beyond 500 high", kBottom, {100, 100, 400, 900}, {100, 100, 600, 433}},
        {"never below the minimum", kBottomRight, {100, 100, 150, 120}, {100, 100, 400, 300}},
        {"top edge below the minimum", kTop, {100, 280, 400, 300}, {100, 100, 400, 300}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Box window = c.dragged;
        KeepAspectWhileSizing(c.edge, window, 300, 200, kMaxWindowWidth, kMaxWindowHeight);
        EXPECT_EQ(window.left, c.kept.left);
        EXPECT_EQ(window.top, c.kept.top);
        EXPECT_EQ(window.right, c.kept.right);
        EXPECT_EQ(window.bottom, c.kept.bottom);
        EXPECT_LE(window.Width(), 500);
        EXPECT_LE(window.Height(), 500);
    }
}

}  // namespace
