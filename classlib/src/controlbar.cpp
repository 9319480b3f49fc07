#include "clx/controlbar.h"

#include <algorithm>

#include "clx/frame.h"
#include "clx/messages.h"

IMPLEMENT_DYNAMIC(CControlBar, CWnd)

BEGIN_MESSAGE_MAP(CControlBar, CWnd)
  ON_MESSAGE(WM_SIZEPARENT, OnSizeParent)
  ON_MESSAGE(WM_IDLEUPDATECMDUI, OnIdleUpdateCmdUI)
END_MESSAGE_MAP()

BOOL CControlBar::CreateBar(DWORD exStyle, const char* className, DWORD style, DWORD classStyle, CWnd* parent,
                            UINT id) {
  static const bool controlsReady = [] {
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_BAR_CLASSES};
    return ::InitCommonControlsEx(&icc) != FALSE;
  }();
  (void)controlsReady;
  m_dwStyle = style & CBRS_ALL;
  DWORD windowStyle = (style & ~static_cast<DWORD>(CBRS_ALL)) | classStyle | WS_CHILD;
  if (!CreateEx(exStyle, className, nullptr, windowStyle, CRect(0, 0, 0, 0), parent, id)) return FALSE;
  if (CFrameWnd* frame = GetDockingFrame()) frame->RecalcLayout();
  return TRUE;
}

void CControlBar::SetBarStyle(DWORD style) { m_dwStyle = style & CBRS_ALL; }

CFrameWnd* CControlBar::GetDockingFrame() const { return GetParentFrame(); }

CSize CControlBar::CalcFixedLayout(BOOL stretch, BOOL horizontal) {
  CRect r = GetWindowRect();
  if (horizontal) return CSize(stretch ? 32767 : r.Width(), r.Height());
  return CSize(r.Width(), stretch ? 32767 : r.Height());
}

// Takes the bar's strip off its side of the room that is left.
LRESULT CControlBar::OnSizeParent(WPARAM, LPARAM l) {
  auto* p = reinterpret_cast<clx::SizeParentParams*>(l);
  DWORD side = m_dwStyle & CBRS_ALIGN_ANY;
  if (!(GetStyle() & WS_VISIBLE) || !side) return 0;
  RECT& room = p->rect;
  CSize size = CalcFixedLayout(p->bStretch, IsHorizontal());
  CRect place = room;
  if (side & CBRS_ALIGN_TOP) {
    place.bottom = std::min(room.bottom, room.top + size.cy);
    room.top = place.bottom;
    p->sizeTotal.cy += place.Height();
  } else if (side & CBRS_ALIGN_BOTTOM) {
    place.top = std::max(room.top, room.bottom - size.cy);
    room.bottom = place.top;
    p->sizeTotal.cy += place.Height();
  } else if (side & CBRS_ALIGN_LEFT) {
    place.right = std::min(room.right, room.left + size.cx);
    room.left = place.right;
    p->sizeTotal.cx += place.Width();
  } else {
    place.left = std::max(room.left, room.right - size.cx);
    room.right = place.left;
    p->sizeTotal.cx += place.Width();
  }
  clx::PlaceInLayout(p, m_hWnd, place);
  return 0;
}

LRESULT CControlBar::OnIdleUpdateCmdUI(WPARAM disableIfNoHandler, LPARAM) {
  if (GetStyle() & WS_VISIBLE)
    if (CFrameWnd* frame = GetDockingFrame()) OnUpdateCmdUI(frame, static_cast<BOOL>(disableIfNoHandler));
  return 0;
}
