#include "app/shell/controls/tests/host_dialog.h"

bool HostDialog::Make()
{
    clx::DialogTemplate tmpl(WS_POPUP | WS_VISIBLE | WS_CAPTION, 0, 0, 0, 10, 10, "host");
    tmpl.SetFont(8, "MS Shell Dlg");
    if (!CreateIndirect(tmpl.Get(), nullptr))
        return false;
    CRect r(0, 0, 320, 240);
    ::AdjustWindowRectEx(&r, GetStyle(), FALSE, GetExStyle());
    SetWindowPos(nullptr, 0, 0, r.Width(), r.Height(), SWP_NOZORDER | SWP_NOMOVE);
    return true;
}

std::vector<HostEvent> HostDialog::Seen(UINT msg) const
{
    std::vector<HostEvent> seen;
    for (const HostEvent& e : events)
        if (e.msg == msg)
            seen.push_back(e);
    return seen;
}

int HostDialog::Commands(UINT id, UINT code) const
{
    int n = 0;
    for (const HostEvent& e : events)
        if (e.msg == WM_COMMAND && LOWORD(e.wParam) == id && HIWORD(e.wParam) == code)
            ++n;
    return n;
}

LRESULT HostDialog::WindowProc(UINT msg, WPARAM w, LPARAM l)
{
    if (msg == WM_COMMAND || msg == WM_NOTIFY || msg == WM_HSCROLL || msg == WM_VSCROLL || msg >= 0x8000) {
        HostEvent e{msg, w, l, 0};
        if (msg == WM_NOTIFY)
            e.notifyCode = reinterpret_cast<const NMHDR*>(l)->code;
        events.push_back(e);
    }
    return CDialog::WindowProc(msg, w, l);
}
