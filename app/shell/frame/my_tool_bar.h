// The main frame's tool bar: a press-and-hold button that shows the image
// without its adjustments, and double clicks on the zoom and grab cursor
// buttons.
#pragma once

#include "clx/toolbar.h"

class CMyToolBar : public CToolBar {
public:
    // The class library's load; then the three special buttons are found by
    // their commands (-1 when one is missing).
    BOOL LoadToolBar(UINT id);

    int m_nShowOriginalIndex = -1;
    int m_nZoomCursorIndex = -1;
    int m_nGrabCursorIndex = -1;

    // The command of the button under a client point, 0 for none.
    UINT CommandAt(CPoint client) const;

protected:
    void OnLButtonDown(UINT flags, CPoint point);
    void OnLButtonUp(UINT flags, CPoint point);
    void OnLButtonDblClk(UINT flags, CPoint point);
    LRESULT OnHelpHitTest(WPARAM, LPARAM lParam);
    DECLARE_MESSAGE_MAP()

private:
    // The Show Original button exists, holds the point and is enabled.
    bool OnEnabledShowOriginal(CPoint point) const;
};

// Tells the active view of the main frame's active MDI child to show the
// image with or without its adjustments. The image views implement it.
class IShowOriginalTarget {
public:
    virtual ~IShowOriginalTarget() = default;
    virtual void UpdateAdjustments(unsigned hints, bool showOriginal) = 0;
    // For the zoom-cursor double click: whether the view fits the image to
    // its window automatically.
    virtual bool IsAutoFit() const = 0;
};
