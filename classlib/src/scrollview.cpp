#include "clx/scrollview.h"

#include <algorithm>

IMPLEMENT_DYNAMIC(CScrollView, CView)

BEGIN_MESSAGE_MAP(CScrollView, CView)
  ON_WM_SIZE()
  ON_WM_HSCROLL()
  ON_WM_VSCROLL()
END_MESSAGE_MAP()

const SIZE CScrollView::sizeDefault = {0, 0};

namespace {
SCROLLINFO Info(UINT mask) {
  SCROLLINFO si{};
  si.cbSize = sizeof si;
  si.fMask = mask;
  return si;
}
}  // namespace

void CScrollView::SetScrollSizes(int mapMode, SIZE total, const SIZE& page, const SIZE& line) {
  m_nMapMode = mapMode;
  m_totalLog = total;
  m_totalDev = CSize(std::abs(total.cx), std::abs(total.cy));  // MM_TEXT: one unit, one pixel
  m_pageDev = page;
  m_lineDev = line;
  if (m_pageDev.cx == 0) m_pageDev.cx = m_totalDev.cx / 10;
  if (m_pageDev.cy == 0) m_pageDev.cy = m_totalDev.cy / 10;
  if (m_lineDev.cx == 0) m_lineDev.cx = m_pageDev.cx / 10;
  if (m_lineDev.cy == 0) m_lineDev.cy = m_pageDev.cy / 10;
  if (m_hWnd) UpdateBars();
}

CPoint CScrollView::GetDeviceScrollPosition() const {
  SCROLLINFO h = Info(SIF_POS), v = Info(SIF_POS);
  CPoint pos;
  if (::GetScrollInfo(m_hWnd, SB_HORZ, &h)) pos.x = h.nPos;
  if (::GetScrollInfo(m_hWnd, SB_VERT, &v)) pos.y = v.nPos;
  return pos;
}

void CScrollView::UpdateBars() {
  // The room the window would have without bars decides which bars it needs.
  CRect client = GetClientRect();
  DWORD style = GetStyle();
  int barWidth = ::GetSystemMetrics(SM_CXVSCROLL), barHeight = ::GetSystemMetrics(SM_CYHSCROLL);
  CSize room(client.Width() + (style & WS_VSCROLL ? barWidth : 0), client.Height() + (style & WS_HSCROLL ? barHeight : 0));
  bool needH = m_totalDev.cx > room.cx, needV = m_totalDev.cy > room.cy;
  if (needH && !needV) needV = m_totalDev.cy > room.cy - barHeight;
  if (needV && !needH) needH = m_totalDev.cx > room.cx - barWidth;
  CSize view(room.cx - (needV ? barWidth : 0), room.cy - (needH ? barHeight : 0));
  CPoint pos = GetDeviceScrollPosition();
  CPoint limit(std::max(0L, m_totalDev.cx - view.cx), std::max(0L, m_totalDev.cy - view.cy));
  pos.x = std::clamp(pos.x, 0L, needH ? limit.x : 0L);
  pos.y = std::clamp(pos.y, 0L, needV ? limit.y : 0L);
  CPoint old = GetDeviceScrollPosition();
  for (int bar : {SB_HORZ, SB_VERT}) {
    bool need = bar == SB_HORZ ? needH : needV;
    SCROLLINFO si = Info(SIF_RANGE | SIF_PAGE | SIF_POS);
    si.nMin = 0;
    si.nMax = need ? (bar == SB_HORZ ? m_totalDev.cx : m_totalDev.cy) - 1 : 0;
    si.nPage = need ? static_cast<UINT>(bar == SB_HORZ ? view.cx : view.cy) : 0;
    si.nPos = bar == SB_HORZ ? pos.x : pos.y;
    ::SetScrollInfo(m_hWnd, bar, &si, TRUE);
  }
  if (old != pos) ScrollWindow(old.x - pos.x, old.y - pos.y);
}

void CScrollView::ScrollToPosition(POINT pt) { ScrollToDevicePosition(pt); }

void CScrollView::ScrollToDevicePosition(POINT pt) {
  CPoint old = GetDeviceScrollPosition();
  SCROLLINFO h = Info(SIF_POS), v = Info(SIF_POS);
  h.nPos = pt.x;
  v.nPos = pt.y;
  ::SetScrollInfo(m_hWnd, SB_HORZ, &h, TRUE);  // the bar clamps to its range
  ::SetScrollInfo(m_hWnd, SB_VERT, &v, TRUE);
  CPoint now = GetDeviceScrollPosition();
  if (now != old) ScrollWindow(old.x - now.x, old.y - now.y);
}

int CScrollView::ScrollTarget(int bar, UINT code) const {
  SCROLLINFO si = Info(SIF_ALL);
  ::GetScrollInfo(m_hWnd, bar, &si);
  int line = bar == SB_HORZ ? m_lineDev.cx : m_lineDev.cy;
  int page = bar == SB_HORZ ? m_pageDev.cx : m_pageDev.cy;
  int limit = std::max(0, si.nMax - std::max(static_cast<int>(si.nPage), 1) + 1);
  int pos = si.nPos;
  switch (code) {
    case SB_LINEUP: pos -= line; break;
    case SB_LINEDOWN: pos += line; break;
    case SB_PAGEUP: pos -= page; break;
    case SB_PAGEDOWN: pos += page; break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: pos = si.nTrackPos; break;  // 32 bits, unlike the message's position
    case SB_TOP: pos = 0; break;
    case SB_BOTTOM: pos = limit; break;
    default: break;
  }
  return std::clamp(pos, 0, limit);
}

void CScrollView::OnHScroll(UINT code, UINT, CWindow bar) {
  if (bar.m_hWnd) return;  // a scroll bar control of the view's own
  ScrollToDevicePosition(CPoint(ScrollTarget(SB_HORZ, code), GetDeviceScrollPosition().y));
}

void CScrollView::OnVScroll(UINT code, UINT, CWindow bar) {
  if (bar.m_hWnd) return;
  ScrollToDevicePosition(CPoint(GetDeviceScrollPosition().x, ScrollTarget(SB_VERT, code)));
}

void CScrollView::OnSize(UINT type, int, int) {
  Default();
  if (type != SIZE_MINIMIZED) UpdateBars();
}

void CScrollView::OnPrepareDC(CDC* dc, CPrintInfo* info) {
  dc->SetMapMode(MM_TEXT);
  CPoint pos = GetDeviceScrollPosition();
  dc->SetViewportOrg(-pos.x, -pos.y);
  CView::OnPrepareDC(dc, info);
}
