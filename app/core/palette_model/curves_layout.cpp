#include "app/core/palette_model/curves_layout.h"

#include <algorithm>
#include <cmath>

namespace curves {

namespace {

Box At(int32_t left, int32_t top, int32_t width, int32_t height)
{
    return {left, top, left + width, top + height};
}

int32_t TopRowHeight(const LayoutMetrics& m)
{
    return std::max(m.checkHeight, m.listHeight);
}

int32_t ButtonColumnHeight(const LayoutMetrics& m)
{
    return 7 * m.buttonHeight + 6 * kButtonGap;
}

// What surrounds the editor across and down.
int32_t OtherWidth(const LayoutMetrics& m)
{
    return m.margin + m.editWidth + m.margin + m.margin + m.buttonWidth + m.margin;
}

int32_t OtherHeight(const LayoutMetrics& m)
{
    return m.margin + TopRowHeight(m) + m.margin + m.margin + m.editHeight + m.margin + m.labelHeight + m.margin;
}

// The curve editor's plot ends this far above the editor's bottom edge (its
// gradient strip and input handles lie below it).
constexpr int32_t kPlotBottomInset = 11;

}  // namespace

CurvesLayout LayOutCurves(int32_t clientWidth, int32_t clientHeight, const LayoutMetrics& m)
{
    CurvesLayout layout;
    const int32_t side = std::max(
        {std::min(clientWidth - OtherWidth(m), clientHeight - OtherHeight(m)), ButtonColumnHeight(m), 1});

    const int32_t editorLeft = m.margin + m.editWidth + m.margin;
    const int32_t editorTop = m.margin + TopRowHeight(m) + m.margin;
    layout.editor = At(editorLeft, editorTop, side, side);

    layout.check = At(m.margin, m.margin + (TopRowHeight(m) - m.checkHeight) / 2, m.checkWidth, m.checkHeight);
    const int32_t listLeft = std::max(editorLeft + (side - m.listWidth) / 2, layout.check.right + m.margin);
    layout.list = At(listLeft, m.margin, m.listWidth, m.listHeight);

    layout.outputWhite = At(m.margin, editorTop, m.editWidth, m.editHeight);
    layout.outputBlack = At(m.margin, std::max(editorTop + side - kPlotBottomInset - m.editHeight,
                                               layout.outputWhite.bottom + m.margin),
                            m.editWidth, m.editHeight);

    const int32_t fieldTop = layout.editor.bottom + m.margin;
    layout.inputBlack = At(editorLeft, fieldTop, m.editWidth, m.editHeight);
    layout.gamma = At(editorLeft + (side - m.editWidth) / 2, fieldTop, m.editWidth, m.editHeight);
    layout.inputWhite = At(layout.editor.right - m.editWidth, fieldTop, m.editWidth, m.editHeight);

    const int32_t labelTop = fieldTop + m.editHeight + m.margin;
    layout.inputLabel = At(editorLeft, labelTop, m.labelWidth, m.labelHeight);
    layout.inputReadout = At(layout.inputLabel.right, labelTop, m.readoutWidth, m.labelHeight);
    const int32_t outputLeft = std::max(editorLeft + side / 2, layout.inputReadout.right + m.margin);
    layout.outputLabel = At(outputLeft, labelTop, m.labelWidth, m.labelHeight);
    layout.outputReadout = At(layout.outputLabel.right, labelTop, m.readoutWidth, m.labelHeight);

    for (int32_t i = 0; i < 7; ++i)
        layout.buttons[i] = At(layout.editor.right + m.margin, editorTop + i * (m.buttonHeight + kButtonGap),
                               m.buttonWidth, m.buttonHeight);

    layout.grip = {clientWidth - m.gripSize, clientHeight - m.gripSize, clientWidth, clientHeight};
    return layout;
}

void CurvesClientSize(int32_t editorSide, const LayoutMetrics& m, int32_t* width, int32_t* height)
{
    const int32_t side = std::max(editorSide, ButtonColumnHeight(m));
    // The labels row may be wider than the editor.
    const int32_t labels = 2 * (m.labelWidth + m.readoutWidth) + m.margin;
    *width = OtherWidth(m) + std::max(side, labels);
    *height = OtherHeight(m) + side;
}

void KeepAspectWhileSizing(int32_t edge, Box& window, int32_t minWidth, int32_t minHeight, int32_t maxWidth,
                           int32_t maxHeight)
{
    if (minWidth <= 0 || minHeight <= 0)
        return;
    const double ratio = static_cast<double>(minWidth) / minHeight;
    // The limits of each side that the other side's limits allow too.
    const int32_t widthHigh = std::max(minWidth, std::min(maxWidth, static_cast<int32_t>(maxHeight * ratio)));
    const int32_t heightHigh = std::max(minHeight, std::min(maxHeight, static_cast<int32_t>(maxWidth / ratio)));

    enum { kLeft = 1, kRight, kTop, kTopLeft, kTopRight, kBottom, kBottomLeft, kBottomRight };
    const bool byWidth = edge == kLeft || edge == kRight || edge == kBottomLeft || edge == kBottomRight ||
                         edge == kTopRight;
    int32_t width, height;
    if (byWidth) {
        width = std::clamp(window.Width(), minWidth, widthHigh);
        height = std::clamp(static_cast<int32_t>(std::lround(width / ratio)), minHeight, heightHigh);
    } else {
        height = std::clamp(window.Height(), minHeight, heightHigh);
        width = std::clamp(static_cast<int32_t>(std::lround(height * ratio)), minWidth, widthHigh);
    }
    if (edge == kLeft || edge == kTopLeft || edge == kBottomLeft)
        window.left = window.right - width;
    else
        window.right = window.left + width;
    if (edge == kTop || edge == kTopLeft || edge == kTopRight)
        window.top = window.bottom - height;
    else
        window.bottom = window.top + height;
}

}  // namespace curves
