#include "app/shell/dialogs/transparent_text.h"

#include "clx/app.h"

namespace {

HFONT g_boldFont = nullptr;

}  // namespace

BEGIN_MESSAGE_MAP(CTransparentText, CWnd)
    ON_WM_PAINT()
    ON_WM_ERASEBKGND()
END_MESSAGE_MAP()

void CTransparentText::SetFont(HFONT font) { g_boldFont = font; }
HFONT CTransparentText::GetFont() { return g_boldFont; }

BOOL CTransparentText::Create(const char* text, DWORD style, const RECT& rect, CWnd* parent)
{
    // Transparent: the picture beneath is painted first.
    return CreateEx(WS_EX_TRANSPARENT, AfxRegisterWndClass(0), text, style | WS_CHILD | WS_VISIBLE, rect, parent,
                    0xFFFF);
}

void CTransparentText::OnPaint()
{
    PAINTSTRUCT ps;
    HDC dc = ::BeginPaint(m_hWnd, &ps);
    RECT client;
    ::GetClientRect(m_hWnd, &client);
    HGDIOBJ previous = g_boldFont ? ::SelectObject(dc, g_boldFont) : nullptr;
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, ::GetSysColor(COLOR_WINDOWTEXT));
    const DWORD align = GetStyle() & 0xF;
    const UINT format = DT_SINGLELINE | DT_NOPREFIX | DT_VCENTER |
                        (align == 1 ? DT_CENTER : align == 2 ? DT_RIGHT : DT_LEFT);
    const CString text = GetWindowText();
    ::DrawTextA(dc, text, -1, &client, format);
    if (previous)
        ::SelectObject(dc, previous);
    ::EndPaint(m_hWnd, &ps);
}
