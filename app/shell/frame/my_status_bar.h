// The main frame's status bar: the CAM and DISK panes show the camera and
// free-disk states as pictures and answer clicks; the PROGRESS pane is
// covered by the progress window.
#pragma once

#include "clx/statusbar.h"

class CMyStatusBar : public CStatusBar {
public:
    // The pane under a point of the bar's client area: its id, or 0.
    UINT PaneAt(CPoint client) const;

protected:
    void OnLButtonDown(UINT flags, CPoint point);
    LRESULT OnHelpHitTest(WPARAM, LPARAM lParam);
    DECLARE_MESSAGE_MAP()

private:
    void ShowCameraStatus();
};
