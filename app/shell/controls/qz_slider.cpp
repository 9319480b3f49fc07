#include "app/shell/controls/qz_slider.h"

#include "app/shell/controls/step_layout.h"

namespace {

// The step buttons' bitmaps of every slider: cut from the strip by the first
// one, reused by the others, kept for the life of the process.
CBitmap* SharedStepBitmaps()
{
    static CBitmap bitmaps[8];  // left normal, pressed, focus, disabled; then right
    return bitmaps;
}

constexpr DWORD kStepButtonStyle = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_GROUP | BS_NOTIFY | BS_OWNERDRAW;

CRect ToRect(const shell::StepRect& r)
{
    return CRect(r.left, r.top, r.right, r.bottom);
}

}  // namespace

BEGIN_MESSAGE_MAP(CQzSlider, CWnd)
    ON_WM_CREATE()
    ON_WM_SIZE()
    ON_BN_CLICKED(kStepLeftId, OnLeftStep)
    ON_BN_CLICKED(kStepRightId, OnRightStep)
    ON_WM_HSCROLL()
    ON_WM_VSCROLL()
    ON_WM_SETFOCUS()
    ON_WM_ENABLE()
    ON_WM_SHOWWINDOW()
END_MESSAGE_MAP()

BOOL CQzSlider::Create(DWORD style, const RECT& rect, CWnd* parent, UINT id)
{
    m_style = style;
    m_controlId = id;
    return CWnd::Create(nullptr, "QzSlider", style & 0xFFFF0000, rect, parent, id);
}

bool CQzSlider::LoadStepBitmaps(int height)
{
    CBitmap* shared = SharedStepBitmaps();
    m_leftButton.SetSharedBitmaps(&shared[0], &shared[1], &shared[2], &shared[3]);
    m_rightButton.SetSharedBitmaps(&shared[4], &shared[5], &shared[6], &shared[7]);
    return m_leftButton.LoadBitmaps(kStepButtonsBitmap, 6, 1, 2, 1, 3, -1, height) &&
           m_rightButton.LoadBitmaps(kStepButtonsBitmap, 6, 4, 5, 4, 6, -1, height);
}

int CQzSlider::OnCreate(CREATESTRUCT* cs)
{
    if (Default() == -1 || !LoadStepBitmaps(cs->cy))
        return -1;
    const CSize button = m_leftButton.GetBitmapSize();
    const shell::StepLayout layout =
        shell::LayOutStepSlider(cs->cx, cs->cy, GetClientRect().Height(), button.cx, button.cy);
    if (!m_leftButton.Create("Left", kStepButtonStyle, ToRect(layout.leftButton), this, kStepLeftId) ||
        !m_rightButton.Create("Right", kStepButtonStyle, ToRect(layout.rightButton), this, kStepRightId) ||
        !m_track.Create(m_style | WS_GROUP, ToRect(layout.track), this, m_controlId))
        return -1;
    return 0;
}

void CQzSlider::OnSize(UINT, int cx, int cy)
{
    Default();
    LoadStepBitmaps(cy);
    const CSize button = m_leftButton.GetBitmapSize();
    const shell::StepLayout layout = shell::LayOutStepSlider(cx, cy, cy, button.cx, button.cy);
    if (m_leftButton.m_hWnd)
        m_leftButton.SetWindowPos(nullptr, 0, 0, button.cx, button.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    if (m_rightButton.m_hWnd)
        m_rightButton.SetWindowPos(nullptr, layout.rightButton.left, layout.rightButton.top, button.cx, button.cy,
                                   SWP_NOZORDER | SWP_NOACTIVATE);
    if (m_track.m_hWnd)
        m_track.SetWindowPos(nullptr, 0, 0, layout.track.right - layout.track.left, cy,
                             SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CQzSlider::SendKeyToTrack(UINT key) const
{
    m_track.SendMessage(WM_KEYDOWN, key, 1);
    m_track.SendMessage(WM_KEYUP, key, 0xC0000001);
}

void CQzSlider::Step(UINT key)
{
    m_track.SetFocus();
    SendKeyToTrack(key);
}

void CQzSlider::OnLeftStep()
{
    Step(VK_LEFT);
}

void CQzSlider::OnRightStep()
{
    Step(VK_RIGHT);
}

void CQzSlider::SetPos(int pos)
{
    m_track.SendMessage(TBM_SETPOS, TRUE, pos);
    m_notify = false;
    int min = 0, max = 0;
    m_track.GetRange(min, max);
    // The key pairs at the ends go through the track bar's own key handling.
    if (pos == min)
        SendKeyToTrack(VK_LEFT);
    else if (pos == max)
        SendKeyToTrack(VK_RIGHT);
    m_notify = true;
}

void CQzSlider::Forward(UINT msg, UINT code, UINT pos)
{
    if (!m_notify)
        return;
    CWindow parent = GetParent();
    if (parent.m_hWnd)
        parent.SendMessage(msg, MAKEWPARAM(code, pos), reinterpret_cast<LPARAM>(m_hWnd));
}

void CQzSlider::OnHScroll(UINT code, UINT, CWindow bar)
{
    if (bar.m_hWnd == m_track.m_hWnd)
        Forward(WM_HSCROLL, code, static_cast<UINT>(m_track.GetPos()));
}

void CQzSlider::OnVScroll(UINT code, UINT, CWindow bar)
{
    if (bar.m_hWnd == m_track.m_hWnd)
        Forward(WM_VSCROLL, code, static_cast<UINT>(m_track.GetPos()));
}

void CQzSlider::OnSetFocus(CWindow)
{
    if (m_track.m_hWnd)
        m_track.SetFocus();
}

void CQzSlider::OnEnable(BOOL enable)
{
    Default();
    for (CWnd* part : {static_cast<CWnd*>(&m_leftButton), static_cast<CWnd*>(&m_rightButton),
                       static_cast<CWnd*>(&m_track)})
        if (part->m_hWnd)
            part->EnableWindow(enable);
}

void CQzSlider::OnShowWindow(BOOL show, UINT status)
{
    Default();
    // A parent being shown or hidden carries the children along by itself.
    if (status != 0)
        return;
    for (CWnd* part : {static_cast<CWnd*>(&m_leftButton), static_cast<CWnd*>(&m_rightButton),
                       static_cast<CWnd*>(&m_track)})
        if (part->m_hWnd)
            part->ShowWindow(show ? SW_SHOW : SW_HIDE);
}
