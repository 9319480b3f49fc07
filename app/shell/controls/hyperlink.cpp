#include "app/shell/controls/hyperlink.h"

#include <cstdlib>

#include "clx/app.h"
#include "clx/resources.h"

namespace {

COLORREF g_defaultText = RGB(0, 0, 255);
COLORREF g_defaultBack = RGB(255, 255, 255);

}  // namespace

BEGIN_MESSAGE_MAP(CHyperLink, CWnd)
    ON_WM_CREATE()
    ON_WM_PAINT()
    ON_WM_LBUTTONDOWN()
    ON_WM_MOUSEMOVE()
    ON_WM_LBUTTONUP()
    ON_WM_CAPTURECHANGED()
    ON_MESSAGE(WM_SETFONT, OnSetFont)
    ON_MESSAGE(WM_GETFONT, OnGetFont)
END_MESSAGE_MAP()

BOOL CHyperLink::Create(const char* text, DWORD style, const RECT& rect, CWnd* parent, UINT id)
{
    // No class cursor: the link sets its own while the mouse moves.
    const char* windowClass = AfxRegisterWndClass(0, nullptr, nullptr, nullptr);
    return CreateEx(0, windowClass, text, style, rect, parent, id);
}

void CHyperLink::SetColours(COLORREF text, COLORREF back)
{
    m_textColour = text;
    m_backColour = back;
    if (m_hWnd)
        Invalidate(FALSE);
}

void CHyperLink::SetDefaultColours(COLORREF text, COLORREF back)
{
    g_defaultText = text;
    g_defaultBack = back;
}

int CHyperLink::OnCreate(CREATESTRUCT*)
{
    m_textColour = g_defaultText;
    m_backColour = g_defaultBack;
    return static_cast<int>(Default());
}

LRESULT CHyperLink::OnSetFont(WPARAM font, LPARAM redraw)
{
    m_font = reinterpret_cast<HFONT>(font);
    if (LOWORD(redraw)) {
        Invalidate(TRUE);
        UpdateWindow();
    }
    return 0;
}

LRESULT CHyperLink::OnGetFont(WPARAM, LPARAM)
{
    return reinterpret_cast<LRESULT>(m_font);
}

void CHyperLink::OnPaint()
{
    CPaintDC dc(m_hWnd);
    if (dc.m_ps.fErase)
        dc.FillSolidRect(&dc.m_ps.rcPaint, m_backColour);
    const DWORD style = GetStyle();
    UINT format = DT_SINGLELINE | DT_VCENTER;
    const DWORD align = style & SS_TYPEMASK;
    if (align == SS_CENTER)
        format |= DT_CENTER;
    else if (align == SS_RIGHT)
        format |= DT_RIGHT;
    if (style & SS_NOPREFIX)
        format |= DT_NOPREFIX;
    HGDIOBJ oldFont = m_font ? SelectObject(dc, m_font) : nullptr;
    dc.SetTextColor(m_textColour);
    dc.SetBkMode(TRANSPARENT);
    const CString text = GetWindowText();
    const CRect client = GetClientRect();
    m_linkRect = client;
    dc.DrawText(text, &m_linkRect, format | DT_CALCRECT);
    CRect drawn = client;
    dc.DrawText(text, &drawn, format);
    // DT_CALCRECT measures from the top-left corner: move it where the text went.
    const int spareX = client.right - m_linkRect.right;
    const int spareY = client.bottom - m_linkRect.bottom;
    int dx = 0;
    if (align == SS_RIGHT)
        dx = spareX;
    else if (align == SS_CENTER)
        dx = spareX / 2;
    m_linkRect.OffsetRect(dx, spareY / 2);
    HPEN pen = CreatePen(PS_SOLID, 1, m_textColour);
    HGDIOBJ oldPen = SelectObject(dc, pen);
    dc.MoveTo(m_linkRect.left, m_linkRect.bottom - 1);
    dc.LineTo(m_linkRect.right, m_linkRect.bottom - 1);
    SelectObject(dc, oldPen);
    DeleteObject(pen);
    if (oldFont)
        SelectObject(dc, oldFont);
}

void CHyperLink::OnLButtonDown(UINT, CPoint point)
{
    if (m_linkRect.PtInRect(point)) {
        SetCapture();
        m_tracking = true;
        m_downPoint = point;
        m_stillAClick = true;
    }
    Default();
}

void CHyperLink::OnMouseMove(UINT, CPoint point)
{
    if (m_tracking) {
        if (std::abs(point.x - m_downPoint.x) > 2 || std::abs(point.y - m_downPoint.y) > 2)
            m_stillAClick = false;
        SetCursor(clx::LoadAppCursor(m_stillAClick ? kLinkHandCursor : kLinkRefusedCursor));
    } else {
        SetCursor(m_linkRect.PtInRect(point) ? clx::LoadAppCursor(kLinkHandCursor) : clx::LoadSystemCursor(IDC_ARROW));
    }
    Default();
}

void CHyperLink::OnLButtonUp(UINT, CPoint)
{
    if (m_tracking) {
        const bool click = m_stillAClick;
        ReleaseCapture();
        m_tracking = false;
        if (click)
            GetParent().PostMessage(kHyperLinkClickMessage, static_cast<WPARAM>(GetDlgCtrlID()),
                                    reinterpret_cast<LPARAM>(m_hWnd));
    }
    Default();
}

void CHyperLink::OnCaptureChanged(CWindow)
{
    m_tracking = false;
    Default();
}
