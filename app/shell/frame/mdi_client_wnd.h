// The MDI client area of the main frame, subclassed: the mouse over its
// empty part blanks the information palette's read-outs.
#pragma once

#include "clx/wnd.h"

class CMDIClientWnd : public CWnd {
protected:
    void OnMouseMove(UINT flags, CPoint point);
    DECLARE_MESSAGE_MAP()
};
