#include "app/shell/util/text_measure.h"

#include <string>
#include <vector>

#include <windows.h>

#include "app/core/text/string_resource.h"
#include "app/shell/util/path_ellipsis.h"

namespace shell {

namespace {

int32_t TextWidth(HDC dc, const std::string& text)
{
    SIZE size{};
    GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &size);
    return size.cx;
}

// The whole entry, however long; "" when it is missing.
std::string LoadWhole(uint32_t id)
{
    for (int32_t size = 256;; size *= 2) {
        std::vector<char> buffer(static_cast<size_t>(size));
        const int32_t length = qz::LoadStringResource(nullptr, id, buffer.data(), size);
        if (length < size - 1)
            return length > 0 ? std::string(buffer.data(), static_cast<size_t>(length)) : std::string();
    }
}

}  // namespace

void SetPathTextWithEllipsis(HWND__* control, const char* path)
{
    if (!control)
        return;
    const std::string text = path ? path : "";
    RECT client{};
    GetClientRect(control, &client);
    const int32_t width = client.right - client.left - 4;
    const HDC dc = GetDC(control);
    if (!dc) {
        SetWindowTextA(control, text.c_str());
        return;
    }
    const HGDIOBJ font = reinterpret_cast<HGDIOBJ>(SendMessageA(control, WM_GETFONT, 0, 0));
    const HGDIOBJ old = font ? SelectObject(dc, font) : nullptr;
    const std::string shown = EllipsizePath(text, [&](const std::string& t) { return TextWidth(dc, t) <= width; });
    if (old)
        SelectObject(dc, old);
    ReleaseDC(control, dc);
    SetWindowTextA(control, shown.c_str());
}

int32_t GetMaxStringWidth(HDC__* dc, const uint32_t* ids)
{
    if (!dc || !ids)
        return 0;
    int32_t widest = 0;
    for (const uint32_t* id = ids; *id != 0; ++id) {
        const std::string text = LoadWhole(*id);
        size_t start = 0;
        while (start <= text.size()) {
            size_t end = text.find('\n', start);
            if (end == std::string::npos)
                end = text.size();
            const int32_t width = TextWidth(dc, text.substr(start, end - start));
            if (width > widest)
                widest = width;
            start = end + 1;
        }
    }
    return widest;
}

}  // namespace shell
