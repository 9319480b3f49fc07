#include "app/core/curve_edit/lut_edit_layout.h"

#include <algorithm>

namespace qz {

const LutEditMetrics& GetLutEditMetrics()
{
    static const LutEditMetrics metrics;
    return metrics;
}

LutEditLayout LayOutLutEdit(int32_t clientWidth, int32_t clientHeight, const LutEditMetrics& m)
{
    LutEditLayout layout;
    // Half a handle reaches past the plot's ends; the handles' own row and
    // column sit a gap outside the plot and the gradient.
    layout.marginLeft = std::max({m.gap, m.inputHandleWidth / 2, m.gap + m.outputHandleWidth});
    layout.marginRight = std::max(m.inputHandleWidth / 2, m.gap);
    layout.marginTop = std::max(m.gap, m.outputHandleHeight / 2);
    layout.marginBottom =
        std::max(m.outputHandleHeight / 2, m.gap + m.gradientHeight + m.gap + m.inputHandleHeight);
    // 64-bit: a client size near the int32 limits must not wrap the subtraction.
    const int64_t spareWidth = static_cast<int64_t>(clientWidth) - layout.marginLeft - layout.marginRight;
    const int64_t spareHeight = static_cast<int64_t>(clientHeight) - layout.marginTop - layout.marginBottom;
    const int64_t side = std::min(spareWidth, spareHeight);
    if (side < 2)
        return layout;
    layout.side = static_cast<int32_t>(side);

    LutRect& plot = layout.plot;
    plot.left = static_cast<int32_t>((spareWidth - side) / 2 + layout.marginLeft);
    plot.top = static_cast<int32_t>((spareHeight - side) / 2 + layout.marginTop);
    plot.right = plot.left + layout.side;
    plot.bottom = plot.top + layout.side;

    layout.gradient = {plot.left, plot.bottom + m.gap, plot.right, plot.bottom + m.gap + m.gradientHeight};
    const int32_t halfInput = m.inputHandleWidth / 2;
    layout.inputHandles = {plot.left - halfInput, layout.gradient.bottom + m.gap, plot.right + halfInput,
                           layout.gradient.bottom + m.gap + m.inputHandleHeight};
    const int32_t halfOutput = m.outputHandleHeight / 2;
    layout.outputHandles = {plot.left - m.gap - m.outputHandleWidth, plot.top - halfOutput, plot.left - m.gap,
                            plot.bottom + halfOutput};
    return layout;
}

}  // namespace qz
