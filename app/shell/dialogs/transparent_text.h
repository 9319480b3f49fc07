// CTransparentText: one line of text drawn without a background, over a
// picture (the About box's version lines).
#pragma once

#include "clx/wnd.h"

class CTransparentText : public CWnd {
public:
    // A child (style | WS_CHILD | WS_VISIBLE) with id 0xFFFF; the low four
    // bits of the style align the text: 1 centred, 2 right, else left.
    BOOL Create(const char* text, DWORD style, const RECT& rect, CWnd* parent);

    // The bold font in which every such text is drawn; the About box sets it
    // while it is open (null: the system's font).
    static void SetFont(HFONT font);
    static HFONT GetFont();

protected:
    void OnPaint();
    BOOL OnEraseBkgnd(CDC*) { return TRUE; }
    DECLARE_MESSAGE_MAP()
};
