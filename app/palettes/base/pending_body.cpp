#include "app/palettes/base/pending_body.h"

#include <algorithm>

#include "app/palettes/base/label_format.h"
#include "app/palettes/base/tool_base.h"
#include "app/shell/dialogs/ui_font.h"

void LayOutPendingBody(CToolBase& palette, bool resizable)
{
    const int lineHeight = shell::GetUiFontHeight();
    const int charWidth = shell::GetUiCharWidth();
    const int width = charWidth * 48;
    const int height = lineHeight * 4;
    RECT frame{0, 0, width, height};
    ::AdjustWindowRectEx(&frame, static_cast<DWORD>(palette.GetStyle()), FALSE,
                         static_cast<DWORD>(palette.GetExStyle()));
    RECT now{};
    ::GetWindowRect(palette.m_hWnd, &now);
    int frameWidth = frame.right - frame.left;
    int frameHeight = frame.bottom - frame.top;
    if (resizable) {
        frameWidth = std::max<int>(frameWidth, now.right - now.left);
        frameHeight = std::max<int>(frameHeight, now.bottom - now.top);
    }
    palette.SetWindowPos(nullptr, 0, 0, frameWidth, frameHeight, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    RECT client{};
    ::GetClientRect(palette.m_hWnd, &client);
    palette.AddLabel(kPendingBodyTextId, client, kLabelVisible | kLabelCentre | kLabelVCentre | kLabelNoPrefix);
}
