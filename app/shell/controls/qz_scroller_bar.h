// CQzScrollerBar: a scroll bar control serving as an outside scroller of
// scrollable objects; its scroll notifications go to every target, last
// added first.
#pragma once

#include <vector>

#include "app/shell/controls/qz_scroller.h"
#include "clx/controls.h"

class CQzScrollerBar : public CScrollBar, public IQzScroller {
    DECLARE_DYNAMIC(CQzScrollerBar)
public:
    CQzScrollerBar() = default;

    // The target is remembered (Attach) or forgotten (Detach).
    void Attach(IQzScrollable* target, int reserved) override;
    void Detach(IQzScrollable* target, int reserved) override;
    BOOL GetScrollInfo(SCROLLINFO* info, UINT mask) override;
    void SetScrollInfo(SCROLLINFO* info, BOOL redraw) override;
    void ShowScroller(BOOL show) override;

protected:
    void HScroll(UINT code, UINT pos);
    void VScroll(UINT code, UINT pos);
    DECLARE_MESSAGE_MAP()

private:
    std::vector<IQzScrollable*> m_targets;
};
