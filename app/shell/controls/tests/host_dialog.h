// The plain modeless dialog the controls' tests put their controls on: it
// records what reaches it from its children.
#pragma once

#include <vector>

#include "clx/dialog.h"

struct HostEvent {
    UINT msg = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
    UINT notifyCode = 0;  // WM_NOTIFY's code
};

class HostDialog : public CDialog {
public:
    // A visible pop-up of 320 x 240 pixels of client area.
    bool Make();
    // The events of one message number, in order.
    std::vector<HostEvent> Seen(UINT msg) const;
    // WM_COMMAND notifications with this code from control `id`.
    int Commands(UINT id, UINT code) const;
    void Forget() { events.clear(); }

    std::vector<HostEvent> events;

protected:
    LRESULT WindowProc(UINT msg, WPARAM w, LPARAM l) override;
};
