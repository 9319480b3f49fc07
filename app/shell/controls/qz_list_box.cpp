#include "app/shell/controls/qz_list_box.h"

#include <algorithm>

#include "app/shell/controls/list_layout.h"
#include "clx/app.h"

BEGIN_MESSAGE_MAP(CQzListBox, CWnd)
    ON_WM_CREATE()
    ON_WM_PAINT()
    ON_WM_ERASEBKGND()
    ON_WM_SIZE()
    ON_WM_SHOWWINDOW()
    ON_WM_SETFOCUS()
    ON_WM_KILLFOCUS()
    ON_WM_KEYDOWN()
    ON_WM_LBUTTONDOWN()
    ON_WM_LBUTTONDBLCLK()
    ON_WM_LBUTTONUP()
    ON_WM_MOUSEMOVE()
    ON_WM_CAPTURECHANGED()
    ON_WM_HSCROLL()
    ON_WM_VSCROLL()
    ON_WM_GETDLGCODE()
END_MESSAGE_MAP()

CQzListBox::SelectionBatch::SelectionBatch(CQzListBox& list)
    : list_(list), notify_((list.m_flags & kNotifySelection) != 0)
{
    list_.m_flags &= ~uint32_t{kNotifySelection};
}

CQzListBox::SelectionBatch::~SelectionBatch()
{
    if (notify_) {
        list_.m_flags |= kNotifySelection;
        list_.Notify(kSelectionChanged);
    }
}

CQzListBox::CQzListBox()
{
    m_scrollers.push_back(this);
    OSVERSIONINFOA version{};
    version.dwOSVersionInfoSize = sizeof version;
    // Win32s draws no border of its own for the list.
    if (GetVersionExA(&version) && version.dwPlatformId == VER_PLATFORM_WIN32s)
        m_flags |= kOwnBorder;
}

CQzListBox::~CQzListBox()
{
    // The window goes first: its last messages may still reach the items.
    if (m_hWnd)
        DestroyWindow();
    for (auto it = m_items.rbegin(); it != m_items.rend(); ++it)
        (*it)->Destroy();
    m_items.clear();
    for (IQzScroller* scroller : m_scrollers)
        if (scroller != static_cast<IQzScroller*>(this))
            scroller->Detach(this, 0);
}

// ---------------------------------------------------------------- creation

BOOL CQzListBox::Create(DWORD style, const RECT& rect, CWnd* parent, UINT id, HBRUSH background)
{
    const char* windowClass = AfxRegisterWndClass(CS_DBLCLKS, LoadCursorA(nullptr, IDC_ARROW), background, nullptr);
    if (m_flags & kOwnBorder)
        style |= WS_BORDER;
    return CreateEx(0, windowClass, "", style, rect, parent, id);
}

int CQzListBox::OnCreate(CREATESTRUCT*)
{
    m_backgroundBrush = reinterpret_cast<HBRUSH>(GetClassLongPtrA(m_hWnd, GCLP_HBRBACKGROUND));
    m_hasBackground = m_backgroundBrush != nullptr;
    return static_cast<int>(Default());
}

void CQzListBox::SetHorizontal(BOOL refresh)
{
    m_flags |= kHorizontal;
    m_layoutDirty |= 1;
    if (refresh)
        Refresh();
}

void CQzListBox::SetNoWrap(BOOL refresh)
{
    m_flags &= ~uint32_t{kWrapped};
    m_layoutDirty |= 1;
    if (refresh)
        Refresh();
}

void CQzListBox::SetItemSize(int width, int height)
{
    m_cellWidth = width;
    m_cellHeight = height;
}

void CQzListBox::GetItemSize(int* width, int* height) const
{
    if (width && height) {
        *width = m_cellWidth;
        *height = m_cellHeight;
    }
}

void CQzListBox::Refresh()
{
    if ((m_layoutDirty & 1) && !Layout())
        return;
    InvalidateRect(nullptr, FALSE);
    UpdateWindow();
}

// ---------------------------------------------------------------- layout

int CQzListBox::Extent(const RECT& area) const
{
    return (m_flags & kHorizontal) ? area.right - area.left : area.bottom - area.top;
}

int CQzListBox::ClientExtent() const
{
    return Extent(GetClientRect());
}

void CQzListBox::ComputeLines(int extent)
{
    const int count = GetItemCount();
    m_lineStarts.resize(static_cast<size_t>(count) + 1);
    for (int i = 0; i <= count; ++i)
        m_lineStarts[static_cast<size_t>(i)] = static_cast<unsigned>(i);
    m_lineCount = count;
    m_lastFirstLine = shell::LastFirstLine(count, m_lineSize, extent);
    m_firstLine = std::min(m_firstLine, m_lastFirstLine);
}

bool CQzListBox::Layout()
{
    if (!m_hWnd || m_inLayout)
        return false;
    m_layoutDirty &= ~1u;
    m_lineSize = (m_flags & kHorizontal) ? m_cellWidth : m_cellHeight;
    if (m_cellWidth < 1 || m_cellHeight < 1) {
        m_layoutDirty |= 1;
        return false;
    }
    m_inLayout = true;
    CRect area = GetWindowRect();
    if (m_flags & kOwnBorder) {
        area.DeflateRect(GetSystemMetrics(SM_CXBORDER), GetSystemMetrics(SM_CYBORDER));
    } else {
        RECT calc = area;
        SendMessage(WM_NCCALCSIZE, FALSE, reinterpret_cast<LPARAM>(&calc));
        area = calc;
    }
    ComputeLines(Extent(area));
    if (m_items.empty()) {
        ShowScrollers(FALSE);
        m_flags &= ~uint32_t{kScrollersShown};
        m_inLayout = false;
        return true;
    }
    const bool needed = shell::ScrollersNeeded(m_lineCount, m_lineSize, Extent(area));
    if (needed) {
        if (!(m_flags & kScrollersShown))
            ShowScrollers(TRUE);
        ComputeLines(ClientExtent());
    } else if (m_flags & kScrollersShown) {
        ShowScrollers(FALSE);
    }
    m_firstLine = std::min(m_firstLine, m_lastFirstLine);
    if (needed) {
        const int page = shell::PageLines(ClientExtent(), m_lineSize);
        SCROLLINFO info{sizeof info, SIF_ALL, 0, m_lastFirstLine + page - 1, static_cast<UINT>(page), m_firstLine, 0};
        SetScrollersInfo(&info, TRUE);
    }
    if (needed)
        m_flags |= kScrollersShown;
    else
        m_flags &= ~uint32_t{kScrollersShown};
    m_inLayout = false;
    return true;
}

bool CQzListBox::EnsureLayout()
{
    if (!m_hWnd)
        return false;
    if (m_layoutDirty & 1)
        return Layout();
    return m_lineSize >= 1;
}

CRect CQzListBox::CellOf(int index) const
{
    const int offset = (index - m_firstLine) * m_lineSize;
    if (m_flags & kHorizontal)
        return CRect(offset, 0, offset + m_cellWidth, m_cellHeight);
    return CRect(0, offset, m_cellWidth, offset + m_cellHeight);
}

int CQzListBox::GetItemRect(int index, RECT* out)
{
    if (index < m_firstLine || index >= GetItemCount())
        return 0;
    if ((m_layoutDirty & 1) && !Layout()) {
        *out = {0, 0, m_cellWidth, m_cellHeight};
        return 1;
    }
    const CRect cell = CellOf(index);
    *out = cell;
    return GetClientRect().PtInRect(cell.TopLeft()) ? 1 : 0;
}

int CQzListBox::HitTest(POINT point)
{
    if (!EnsureLayout())
        return -1;
    const CRect client = GetClientRect();
    const int along = (m_flags & kHorizontal) ? point.x : point.y;
    if (along < 0)
        return -1;
    for (int i = m_firstLine + along / m_lineSize; i < GetItemCount(); ++i) {
        const CRect cell = CellOf(i);
        if (cell.left >= client.right || cell.top >= client.bottom)
            break;
        if (cell.PtInRect(point))
            return i;
    }
    return -1;
}

// ---------------------------------------------------------------- items

void CQzListBox::AddItem(CQzListItem* item, BOOL refresh)
{
    m_items.push_back(item);
    item->m_owner = this;
    m_layoutDirty |= 1;
    if (refresh)
        Refresh();
    // Told even while selection notifications are off.
    if (item->IsSelected())
        Notify(kSelectionChanged);
}

CQzListItem* CQzListBox::RemoveItem(int index, BOOL refresh, BOOL notify)
{
    if (index < 0 || index >= GetItemCount())
        return nullptr;
    CQzListItem* item = m_items[static_cast<size_t>(index)];
    item->m_owner = nullptr;
    m_items.erase(m_items.begin() + index);
    if (m_capturedItem == index)
        m_capturedItem = -1;
    else if (m_capturedItem > index)
        --m_capturedItem;
    m_layoutDirty |= 1;
    m_current = LimitCurrent();
    m_anchor = m_current;
    if (refresh)
        Refresh();
    if (notify && item->IsSelected())
        Notify(kSelectionChanged);
    return item;
}

void CQzListBox::GetItem(int index, CQzListItem** out)
{
    *out = m_items[static_cast<size_t>(index)];
}

int CQzListBox::FindItem(CQzListItem* item) const
{
    for (int i = GetItemCount() - 1; i >= 0; --i)
        if (m_items[static_cast<size_t>(i)] == item)
            return i;
    return -1;
}

int CQzListBox::LimitCurrent() const
{
    return m_items.empty() ? 0 : std::min(m_current, GetItemCount() - 1);
}

// ---------------------------------------------------------------- drawing

void CQzListBox::DrawEmpty(CDC& dc)
{
    CRect client = GetClientRect();
    if (m_hasBackground)
        dc.FillRect(&client, m_backgroundBrush);
    if (GetFocus().m_hWnd == m_hWnd) {
        client.DeflateRect(1, 1);
        dc.DrawFocusRect(&client);
    }
}

int CQzListBox::RedrawItem(int index, int reason)
{
    if (!m_hWnd)
        return 0;
    if (m_items.empty() && index == 0) {
        CClientDC dc(m_hWnd);
        DrawEmpty(dc);
        return 1;
    }
    if (index < 0 || index >= GetItemCount())
        return 0;
    if (index < m_firstLine)
        return 1;
    if (!EnsureLayout())
        return 0;
    const CRect cell = CellOf(index);
    CRect visible;
    const CRect client = GetClientRect();
    if (!visible.IntersectRect(&cell, &client))
        return 1;
    CClientDC dc(m_hWnd);
    dc.SetViewportOrg(cell.left, cell.top);
    return m_items[static_cast<size_t>(index)]->Draw(this, &dc, reason);
}

void CQzListBox::OnPaint()
{
    const bool laidOut = EnsureLayout();
    CPaintDC dc(m_hWnd);
    OnPrePaint(&dc);
    if (m_items.empty()) {
        DrawEmpty(dc);
        OnPostPaint(&dc);
        return;
    }
    const CRect client = GetClientRect();
    const CRect paint = dc.m_ps.rcPaint;
    for (int i = m_firstLine; laidOut && i < GetItemCount(); ++i) {
        const CRect cell = CellOf(i);
        CRect meet;
        if (!meet.IntersectRect(&cell, &paint))
            continue;
        if (!meet.IntersectRect(&cell, &client))
            break;
        dc.SetViewportOrg(cell.left, cell.top);
        m_items[static_cast<size_t>(i)]->Draw(this, &dc, CQzListItem::kFullPaint);
        dc.SetViewportOrg(0, 0);
        dc.ExcludeClipRect(&cell);
    }
    if (m_hasBackground)
        dc.FillRect(&client, m_backgroundBrush);
    OnPostPaint(&dc);
}

void CQzListBox::OnPrePaint(CDC*) {}

void CQzListBox::OnPostPaint(CDC*) {}

// ---------------------------------------------------------------- focus and selection

void CQzListBox::Notify(int code)
{
    CWindow parent = GetParent();
    if (!parent.m_hWnd)
        return;
    const UINT id = static_cast<UINT>(GetDlgCtrlID());
    NMHDR header{m_hWnd, id, static_cast<UINT>(code)};
    parent.SendMessage(WM_NOTIFY, id, reinterpret_cast<LPARAM>(&header));
    parent.SendMessage(WM_COMMAND, MAKEWPARAM(id, code), reinterpret_cast<LPARAM>(m_hWnd));
}

int CQzListBox::SetItemSelected(int index, BOOL select)
{
    if (index == -1)
        return SelectRange(select, 0, GetItemCount() - 1);
    if (index < -1 || index >= GetItemCount())
        return 1;
    SelectionBatch batch(*this);
    CQzListItem* item = m_items[static_cast<size_t>(index)];
    if (item->IsSelected() != (select != FALSE)) {
        item->m_flags ^= CQzListItem::kSelectedBit;
        RedrawItem(index, CQzListItem::kSelectionChanged);
    }
    return 0;
}

int CQzListBox::SelectRange(BOOL select, int first, int last)
{
    const int count = GetItemCount();
    if (first < 0 || first >= count || last < 0 || last >= count || first > last)
        return 1;
    SelectionBatch batch(*this);
    for (int i = first; i <= last; ++i)
        SetItemSelected(i, select);
    return 0;
}

int CQzListBox::SelectByUser(int index, BOOL ctrl, BOOL shift, BOOL toggle)
{
    SetCurrentItem(index, FALSE);
    const int lo = std::min(m_current, m_anchor);
    const int hi = std::max(m_current, m_anchor);
    const int count = GetItemCount();
    {
        SelectionBatch batch(*this);
        if (!shift && !ctrl) {
            SelectRange(FALSE, 0, count - 1);
            SetItemSelected(m_current, TRUE);
        } else if (ctrl && !shift) {
            if (toggle && m_current >= 0 && m_current < count) {
                const bool now = !m_items[static_cast<size_t>(m_current)]->IsSelected();
                SetItemSelected(m_current, now);
                m_toggleMemory = (m_toggleMemory & ~1u) | (now ? 1u : 0u);
            }
        } else if (shift && !ctrl) {
            if (lo > 0)
                SelectRange(FALSE, 0, lo - 1);
            SelectRange(TRUE, lo, hi);
            if (hi < count - 1)
                SelectRange(FALSE, hi + 1, count - 1);
        } else {
            // After a Ctrl toggle that deselected, Ctrl+Shift deselects the range.
            const bool deselect = (m_toggleMemory & 2) && !(m_toggleMemory & 1);
            SelectRange(deselect ? FALSE : TRUE, lo, hi);
            SetItemSelected(m_current, TRUE);
        }
    }
    if (!shift && index >= 0 && index < count)
        m_anchor = index;
    m_toggleMemory = (m_toggleMemory & ~2u) | (ctrl ? 2u : 0u);
    return 0;
}

void CQzListBox::ScrollContent(int lines)
{
    // lines > 0 moves the content back (the view forward).
    const int pixels = -lines * m_lineSize;
    if (m_flags & kHorizontal)
        ScrollWindow(pixels, 0);
    else
        ScrollWindow(0, pixels);
}

int CQzListBox::SetCurrentItem(int index, BOOL partlyVisibleIsEnough)
{
    if (index < 0 || index >= GetItemCount())
        return 1;
    if (!EnsureLayout()) {
        m_current = index;
        return 0;
    }
    if (index != m_current) {
        const int old = m_current;
        m_current = index;
        RedrawItem(old, CQzListItem::kFocusChanged);
        RedrawItem(index, CQzListItem::kFocusChanged);
    }
    const int newFirst = shell::FirstLineShowing(index, m_firstLine, m_lastFirstLine, m_lineSize, ClientExtent(),
                                                 partlyVisibleIsEnough != FALSE);
    if (newFirst != m_firstLine) {
        ScrollContent(newFirst - m_firstLine);
        ScrollScrollers(newFirst - m_firstLine);
        m_firstLine = newFirst;
    }
    return 0;
}

void CQzListBox::SetAnchorItem(int index)
{
    if (index >= 0 && index < GetItemCount())
        m_anchor = index;
}

int CQzListBox::GetSelectedCount() const
{
    return static_cast<int>(std::count_if(m_items.begin(), m_items.end(),
                                          [](const CQzListItem* item) { return item->IsSelected(); }));
}

int CQzListBox::GetSelectedItems(int capacity, int* out) const
{
    int n = 0;
    for (int i = 0; i < GetItemCount() && n < capacity; ++i)
        if (m_items[static_cast<size_t>(i)]->IsSelected())
            out[n++] = i;
    return 0;
}

// ---------------------------------------------------------------- scrolling

int CQzListBox::ScrollToItem(int index)
{
    if (index < 0 || index >= GetItemCount() || !EnsureLayout())
        return 1;
    const int target = std::min(index, m_lastFirstLine);
    if (target != m_firstLine) {
        ScrollContent(target - m_firstLine);
        ScrollScrollers(target - m_firstLine);
        m_firstLine = target;
    }
    return 0;
}

void CQzListBox::OnScroll(IQzScroller* from, UINT code, int pos)
{
    if (!EnsureLayout())
        return;
    SCROLLINFO info{sizeof info, SIF_ALL, 0, 0, 0, 0, 0};
    from->GetScrollInfo(&info, SIF_ALL);
    const int page = shell::PageLines(ClientExtent(), m_lineSize);
    const shell::ScrollState next = shell::ApplyScrollCode(code, pos, {m_firstLine, info.nPos}, info.nMin,
                                                           info.nMax, m_lastFirstLine, page);
    if (next.position != info.nPos) {
        ScrollContent(next.firstLine - m_firstLine);
        info.nPos = next.position;
    }
    m_firstLine = next.firstLine;
    from->SetScrollInfo(&info, TRUE);
}

void CQzListBox::ShowScrollers(BOOL show)
{
    if (show && !IsWindowVisible())
        return;
    for (auto it = m_scrollers.rbegin(); it != m_scrollers.rend(); ++it)
        (*it)->ShowScroller(show);
}

void CQzListBox::SetScrollersInfo(SCROLLINFO* info, BOOL redraw)
{
    for (auto it = m_scrollers.rbegin(); it != m_scrollers.rend(); ++it)
        (*it)->SetScrollInfo(info, redraw);
}

void CQzListBox::ScrollScrollers(int deltaLines)
{
    for (auto it = m_scrollers.rbegin(); it != m_scrollers.rend(); ++it) {
        SCROLLINFO info{sizeof info, SIF_ALL, 0, 0, 0, 0, 0};
        (*it)->GetScrollInfo(&info, SIF_ALL);
        info.nPos += deltaLines;
        (*it)->SetScrollInfo(&info, TRUE);
    }
}

void CQzListBox::OnHScroll(IQzScroller* from, UINT code, int pos)
{
    OnScroll(from, code, pos);
}

void CQzListBox::OnVScroll(IQzScroller* from, UINT code, int pos)
{
    OnScroll(from, code, pos);
}

void CQzListBox::OnHScroll(UINT code, UINT pos, CWindow)
{
    OnScroll(this, code, static_cast<short>(pos));
}

void CQzListBox::OnVScroll(UINT code, UINT pos, CWindow)
{
    OnScroll(this, code, static_cast<short>(pos));
}

void CQzListBox::AddScroller(IQzScroller* scroller, BOOL tell)
{
    if (m_scrollers.size() == 1 && m_scrollers[0] == static_cast<IQzScroller*>(this))
        m_scrollers.clear();
    m_scrollers.push_back(scroller);
    if (tell)
        scroller->Attach(this, 0);
    m_layoutDirty |= 1;
}

void CQzListBox::RemoveScroller(IQzScroller* scroller, BOOL tell)
{
    const auto last = std::find(m_scrollers.rbegin(), m_scrollers.rend(), scroller);
    if (last != m_scrollers.rend())
        m_scrollers.erase(std::next(last).base());
    if (tell)
        scroller->Detach(this, 0);
    if (m_scrollers.empty() && scroller != static_cast<IQzScroller*>(this))
        m_scrollers.push_back(this);
    m_layoutDirty |= 1;
}

void CQzListBox::Attach(IQzScrollable*, int) {}

void CQzListBox::Detach(IQzScrollable*, int) {}

BOOL CQzListBox::GetScrollInfo(SCROLLINFO* info, UINT mask)
{
    info->cbSize = sizeof *info;
    info->fMask = mask;
    if (::GetScrollInfo(m_hWnd, Bar(), info))
        return TRUE;
    int min = 0, max = 0;
    ::GetScrollRange(m_hWnd, Bar(), &min, &max);
    info->nMin = min;
    info->nMax = max;
    info->nPos = ::GetScrollPos(m_hWnd, Bar());
    info->nPage = 0;
    return TRUE;
}

void CQzListBox::SetScrollInfo(SCROLLINFO* info, BOOL redraw)
{
    ::SetScrollInfo(m_hWnd, Bar(), info, redraw);
}

void CQzListBox::ShowScroller(BOOL show)
{
    ::ShowScrollBar(m_hWnd, show ? Bar() : SB_BOTH, show);
}

// ---------------------------------------------------------------- window messages

void CQzListBox::OnSize(UINT, int, int)
{
    Default();
    InvalidateRect(nullptr, FALSE);
    if (m_inLayout)
        return;
    m_layoutDirty |= 1;
    Layout();
    m_current = LimitCurrent();
    SetCurrentItem(m_current, FALSE);
}

void CQzListBox::OnShowWindow(BOOL show, UINT)
{
    Default();
    for (IQzScroller* scroller : m_scrollers)
        scroller->ShowScroller(show && (m_flags & kScrollersShown));
}

void CQzListBox::OnSetFocus(CWindow)
{
    Default();
    m_current = LimitCurrent();
    RedrawItem(m_current, CQzListItem::kFocusChanged);
}

void CQzListBox::OnKillFocus(CWindow)
{
    Default();
    RedrawItem(m_current, CQzListItem::kFocusChanged);
}

UINT CQzListBox::OnGetDlgCode()
{
    return static_cast<UINT>(Default()) | DLGC_WANTARROWS;
}

bool CQzListBox::ReleaseOwnCapture()
{
    if (GetCapture().m_hWnd != m_hWnd)
        return false;
    ReleaseCapture();
    return true;
}

void CQzListBox::ButtonDown(UINT flags, CPoint point, BOOL doubleClick)
{
    SetFocus();
    ReleaseOwnCapture();
    const int hit = HitTest(point);
    if (hit < 0)
        return;
    RECT cell{};
    GetItemRect(hit, &cell);
    const int answer = m_items[static_cast<size_t>(hit)]->OnLButtonDown(this, flags, &cell, &point, doubleClick);
    if (answer & CQzListItem::kWantsCapture) {
        m_capturedItem = hit;
        SetCapture();
    }
    if (answer & CQzListItem::kHandled)
        return;
    Default();
    if (!doubleClick)
        SelectByUser(hit, (flags & MK_CONTROL) != 0, (flags & MK_SHIFT) != 0, TRUE);
    else if (m_flags & kNotifySelection)
        Notify(kDoubleClicked);
}

void CQzListBox::OnLButtonDown(UINT flags, CPoint point)
{
    ButtonDown(flags, point, FALSE);
}

void CQzListBox::OnLButtonDblClk(UINT flags, CPoint point)
{
    ButtonDown(flags, point, TRUE);
}

void CQzListBox::OnLButtonUp(UINT flags, CPoint point)
{
    if (m_capturedItem >= 0 && m_capturedItem < GetItemCount()) {
        RECT cell{};
        GetItemRect(m_capturedItem, &cell);
        const int answer = m_items[static_cast<size_t>(m_capturedItem)]->OnLButtonUp(this, flags, &cell, &point);
        if (!(answer & CQzListItem::kWantsCapture))
            ReleaseOwnCapture();
    }
    Default();
}

void CQzListBox::OnMouseMove(UINT flags, CPoint point)
{
    if (m_capturedItem >= 0 && m_capturedItem < GetItemCount()) {
        RECT cell{};
        GetItemRect(m_capturedItem, &cell);
        const int answer = m_items[static_cast<size_t>(m_capturedItem)]->OnMouseMove(this, flags, &cell, &point);
        if (answer & CQzListItem::kWantsCapture) {
            Default();
            return;
        }
    }
    ReleaseOwnCapture();
    const int hit = HitTest(point);
    if (hit >= 0) {
        RECT cell{};
        GetItemRect(hit, &cell);
        if (m_items[static_cast<size_t>(hit)]->OnMouseMove(this, flags, &cell, &point) & CQzListItem::kWantsCapture) {
            m_capturedItem = hit;
            SetCapture();
        }
    }
    Default();
}

void CQzListBox::OnCaptureChanged(CWindow)
{
    if (m_capturedItem >= 0 && m_capturedItem < GetItemCount())
        m_items[static_cast<size_t>(m_capturedItem)]->CaptureLost();
    m_capturedItem = -1;
    Default();
}

void CQzListBox::OnKeyDown(UINT key, UINT repeat, UINT flags)
{
    int answer = 0;
    bool offered = false;
    RECT cell{};
    if (m_capturedItem >= 0 && m_capturedItem < GetItemCount()) {
        GetItemRect(m_capturedItem, &cell);
        answer = m_items[static_cast<size_t>(m_capturedItem)]->OnKeyDown(this, key, repeat, flags, &cell);
        offered = true;
    }
    if (!offered || !(answer & CQzListItem::kWantsCapture)) {
        ReleaseOwnCapture();
        if (m_current >= 0 && m_current < GetItemCount()) {
            GetItemRect(m_current, &cell);
            answer = m_items[static_cast<size_t>(m_current)]->OnKeyDown(this, key, repeat, flags, &cell);
            if (answer & CQzListItem::kWantsCapture) {
                m_capturedItem = m_current;
                SetCapture();
            }
        }
    }
    if (answer & CQzListItem::kHandled)
        return;
    switch (key) {
    case VK_SPACE:
    case VK_PRIOR:
    case VK_NEXT:
    case VK_END:
    case VK_HOME:
    case VK_LEFT:
    case VK_UP:
    case VK_RIGHT:
    case VK_DOWN:
        break;
    default:
        Default();
        return;
    }
    if (EnsureLayout()) {
        for (UINT i = 0; i < repeat; ++i) {
            const int index = shell::NavigationTarget(key, m_current, GetItemCount(), m_firstLine, m_lineSize,
                                                      ClientExtent());
            if (key == VK_SPACE || index != m_current)
                SelectByUser(index, GetKeyState(VK_CONTROL) < 0, GetKeyState(VK_SHIFT) < 0, key == VK_SPACE);
        }
    }
    Default();
}
