// CHyperLink: a static text drawn underlined in a link colour. A click that
// stays within 2 pixels of where the button went down posts the link
// message to the parent (wParam the control id, lParam the link).
#pragma once

#include "clx/wnd.h"

constexpr UINT kHyperLinkClickMessage = 0x800E;
// The program's cursors: the pointing hand and the slashed circle.
constexpr UINT kLinkHandCursor = 261;
constexpr UINT kLinkRefusedCursor = 262;

class CHyperLink : public CWnd {
public:
    CHyperLink() = default;

    // SS_CENTER, SS_RIGHT and SS_NOPREFIX of the style place the text.
    virtual BOOL Create(const char* text, DWORD style, const RECT& rect, CWnd* parent, UINT id);
    void SetColours(COLORREF text, COLORREF back);
    // Taken by every link when its window is created.
    static void SetDefaultColours(COLORREF text, COLORREF back);

    const CRect& LinkRect() const { return m_linkRect; }
    COLORREF TextColour() const { return m_textColour; }

protected:
    int OnCreate(CREATESTRUCT* cs);
    void OnPaint();
    void OnLButtonDown(UINT flags, CPoint point);
    void OnMouseMove(UINT flags, CPoint point);
    void OnLButtonUp(UINT flags, CPoint point);
    void OnCaptureChanged(CWindow);
    LRESULT OnSetFont(WPARAM font, LPARAM redraw);
    LRESULT OnGetFont(WPARAM, LPARAM);
    DECLARE_MESSAGE_MAP()

private:
    HFONT m_font = nullptr;
    COLORREF m_textColour = 0;
    COLORREF m_backColour = 0;
    bool m_tracking = false;
    CPoint m_downPoint;
    bool m_stillAClick = false;
    CRect m_linkRect;
};
