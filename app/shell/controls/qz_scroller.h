// The two sides of the list box's scrolling: something that can be scrolled
// (IQzScrollable) and something that shows and moves a scroll position
// (IQzScroller). A list talks to any number of scrollers; by default it is
// its own, on its window scroll bars.
#pragma once

#include <windows.h>

class IQzScroller;

class IQzScrollable {
public:
    virtual void OnHScroll(IQzScroller* from, UINT code, int pos) = 0;
    virtual void OnVScroll(IQzScroller* from, UINT code, int pos) = 0;
    virtual void AddScroller(IQzScroller* scroller, BOOL tell) = 0;
    virtual void RemoveScroller(IQzScroller* scroller, BOOL tell) = 0;

protected:
    ~IQzScrollable() = default;
};

class IQzScroller {
public:
    virtual void Attach(IQzScrollable* target, int reserved) = 0;
    virtual void Detach(IQzScrollable* target, int reserved) = 0;
    // Nonzero on success.
    virtual BOOL GetScrollInfo(SCROLLINFO* info, UINT mask) = 0;
    virtual void SetScrollInfo(SCROLLINFO* info, BOOL redraw) = 0;
    virtual void ShowScroller(BOOL show) = 0;

protected:
    ~IQzScroller() = default;
};
