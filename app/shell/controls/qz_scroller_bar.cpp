#include "app/shell/controls/qz_scroller_bar.h"

#include <algorithm>

IMPLEMENT_DYNAMIC(CQzScrollerBar, CScrollBar)

BEGIN_MESSAGE_MAP(CQzScrollerBar, CScrollBar)
    ON_WM_HSCROLL_REFLECT()
    ON_WM_VSCROLL_REFLECT()
END_MESSAGE_MAP()

void CQzScrollerBar::Attach(IQzScrollable* target, int)
{
    m_targets.push_back(target);
}

void CQzScrollerBar::Detach(IQzScrollable* target, int)
{
    const auto last = std::find(m_targets.rbegin(), m_targets.rend(), target);
    if (last != m_targets.rend())
        m_targets.erase(std::next(last).base());
}

BOOL CQzScrollerBar::GetScrollInfo(SCROLLINFO* info, UINT mask)
{
    return CScrollBar::GetScrollInfo(info, mask);
}

void CQzScrollerBar::SetScrollInfo(SCROLLINFO* info, BOOL redraw)
{
    CScrollBar::SetScrollInfo(info, redraw);
}

void CQzScrollerBar::ShowScroller(BOOL show)
{
    ShowWindow(show ? SW_SHOW : SW_HIDE);
}

void CQzScrollerBar::HScroll(UINT code, UINT pos)
{
    const std::vector<IQzScrollable*> targets = m_targets;
    for (auto it = targets.rbegin(); it != targets.rend(); ++it)
        (*it)->OnHScroll(this, code, static_cast<int>(pos));
}

void CQzScrollerBar::VScroll(UINT code, UINT pos)
{
    const std::vector<IQzScrollable*> targets = m_targets;
    for (auto it = targets.rbegin(); it != targets.rend(); ++it)
        (*it)->OnVScroll(this, code, static_cast<int>(pos));
}
