// CQzListBox: an owner-drawn list of equally sized cells, one CQzListItem a
// cell, in one column (scrolled up and down) or one row (scrolled left and
// right). The list lays out, scrolls, keeps the focus item and a multiple
// selection with an anchor, and tells its parent of selection changes (code
// 1) and double-clicks (code 2) by WM_NOTIFY and then WM_COMMAND. It owns the
// items it holds. A cell size below 1 describes no layout: operations that
// need one give up as for a missing window.
#pragma once

#include <cstdint>
#include <vector>

#include "app/shell/controls/qz_list_item.h"
#include "app/shell/controls/qz_scroller.h"
#include "clx/wnd.h"

class CQzListBox : public CWnd, public IQzScrollable, public IQzScroller {
public:
    enum NotifyCode { kSelectionChanged = 1, kDoubleClicked = 2 };

    CQzListBox();
    ~CQzListBox() override;

    // ---- creation and configuration
    BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id, HBRUSH background);
    void SetHorizontal(BOOL refresh);
    void SetNoWrap(BOOL refresh);
    void SetItemSize(int width, int height);
    void GetItemSize(int* width, int* height) const;
    void Refresh();

    // ---- items
    void AddItem(CQzListItem* item, BOOL refresh);
    // The caller owns the removed item; null for an index outside the list.
    CQzListItem* RemoveItem(int index, BOOL refresh, BOOL notify);
    virtual void GetItem(int index, CQzListItem** out);
    int FindItem(CQzListItem* item) const;
    int GetItemCount() const { return static_cast<int>(m_items.size()); }
    int RedrawItem(int index, int reason);
    // 1 when the cell's top-left corner lies in the client area; 0 for an
    // item before the first visible one or past the end (out untouched).
    int GetItemRect(int index, RECT* out);
    // The item under a client point, or -1.
    int HitTest(POINT point);

    // ---- focus and selection: 1 for an invalid index, else 0
    virtual int SetItemSelected(int index, BOOL select);
    virtual int SelectRange(BOOL select, int first, int last);
    virtual int SelectByUser(int index, BOOL ctrl, BOOL shift, BOOL toggle);
    int SetCurrentItem(int index, BOOL partlyVisibleIsEnough);
    int GetCurrentItem() const { return m_current; }
    void SetAnchorItem(int index);
    int GetAnchorItem() const { return m_anchor; }
    int GetSelectedCount() const;
    int GetSelectedItems(int capacity, int* out) const;

    // ---- scrolling
    virtual void OnScroll(IQzScroller* from, UINT code, int pos);
    int ScrollToItem(int index);
    virtual void ShowScrollers(BOOL show);
    virtual void SetScrollersInfo(SCROLLINFO* info, BOOL redraw);
    virtual void ScrollScrollers(int deltaLines);
    virtual void OnPrePaint(CDC* dc);
    virtual void OnPostPaint(CDC* dc);
    int GetFirstLine() const { return m_firstLine; }
    int GetLastFirstLine() const { return m_lastFirstLine; }
    bool ScrollersShown() const { return (m_flags & kScrollersShown) != 0; }

    // ---- IQzScrollable
    void OnHScroll(IQzScroller* from, UINT code, int pos) override;
    void OnVScroll(IQzScroller* from, UINT code, int pos) override;
    void AddScroller(IQzScroller* scroller, BOOL tell) override;
    void RemoveScroller(IQzScroller* scroller, BOOL tell) override;

    // ---- IQzScroller: the window's own scroll bar along the axis
    void Attach(IQzScrollable* target, int reserved) override;
    void Detach(IQzScrollable* target, int reserved) override;
    BOOL GetScrollInfo(SCROLLINFO* info, UINT mask) override;
    void SetScrollInfo(SCROLLINFO* info, BOOL redraw) override;
    void ShowScroller(BOOL show) override;

protected:
    enum Flags : uint32_t {
        kHorizontal = 1,
        kWrapped = 2,
        kNotifySelection = 4,
        kScrollersShown = 8,
        kOwnBorder = 16,
    };

    int OnCreate(CREATESTRUCT* cs);
    void OnPaint();
    BOOL OnEraseBkgnd(CDC*) { return TRUE; }
    void OnSize(UINT type, int cx, int cy);
    void OnShowWindow(BOOL show, UINT status);
    void OnSetFocus(CWindow old);
    void OnKillFocus(CWindow next);
    void OnKeyDown(UINT key, UINT repeat, UINT flags);
    void OnLButtonDown(UINT flags, CPoint point);
    void OnLButtonDblClk(UINT flags, CPoint point);
    void OnLButtonUp(UINT flags, CPoint point);
    void OnMouseMove(UINT flags, CPoint point);
    void OnCaptureChanged(CWindow);
    void OnHScroll(UINT code, UINT pos, CWindow bar);
    void OnVScroll(UINT code, UINT pos, CWindow bar);
    UINT OnGetDlgCode();
    DECLARE_MESSAGE_MAP()

    std::vector<CQzListItem*> m_items;
    int m_firstLine = 0;
    int m_lastFirstLine = 0;
    int m_current = 0;
    uint32_t m_flags = kNotifySelection;
    int m_capturedItem = -1;
    int m_cellWidth = 0;
    int m_cellHeight = 0;
    int m_lineSize = 0;
    int m_lineCount = 0;
    uint32_t m_layoutDirty = 1;
    std::vector<unsigned> m_lineStarts;
    std::vector<IQzScroller*> m_scrollers;
    HBRUSH m_backgroundBrush = nullptr;
    bool m_hasBackground = false;
    int m_anchor = 0;
    uint32_t m_toggleMemory = 1;  // bit 0 the last Ctrl toggle's state, bit 1 Ctrl held last time

private:
    bool Layout();
    bool EnsureLayout();
    void ComputeLines(int extent);
    int Extent(const RECT& area) const;
    int ClientExtent() const;
    CRect CellOf(int index) const;
    void DrawEmpty(CDC& dc);
    void ScrollContent(int lines);
    void Notify(int code);
    void ButtonDown(UINT flags, CPoint point, BOOL doubleClick);
    bool ReleaseOwnCapture();
    int LimitCurrent() const;
    int Bar() const { return (m_flags & kHorizontal) ? SB_HORZ : SB_VERT; }

    bool m_inLayout = false;

    // Saves the notify bit and clears it while a selection operation works;
    // one notification at the end when it was set.
    class SelectionBatch {
    public:
        explicit SelectionBatch(CQzListBox& list);
        ~SelectionBatch();

    private:
        CQzListBox& list_;
        bool notify_;
    };
};
