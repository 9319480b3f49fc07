#include "clx/controls.h"

IMPLEMENT_DYNAMIC(CStatic, CWnd)
IMPLEMENT_DYNAMIC(CButton, CWnd)
IMPLEMENT_DYNAMIC(CBitmapButton, CButton)
IMPLEMENT_DYNAMIC(CEdit, CWnd)
IMPLEMENT_DYNAMIC(CListBox, CWnd)
IMPLEMENT_DYNAMIC(CComboBox, CWnd)
IMPLEMENT_DYNAMIC(CScrollBar, CWnd)
IMPLEMENT_DYNAMIC(CSliderCtrl, CWnd)
IMPLEMENT_DYNAMIC(CTabCtrl, CWnd)

namespace {
// The common controls' classes are registered once per process before the first one is made.
void InitCommonControlClasses() {
  static const bool done = [] {
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_BAR_CLASSES | ICC_TAB_CLASSES | ICC_WIN95_CLASSES};
    return ::InitCommonControlsEx(&icc) != FALSE;
  }();
  (void)done;
}
}  // namespace

BOOL COwnerDrawCtrl::OnChildNotify(UINT msg, WPARAM w, LPARAM l, LRESULT* result) {
  if (CWnd::OnChildNotify(msg, w, l, result)) return TRUE;
  LRESULT r = TRUE;
  switch (msg) {
    case WM_DRAWITEM:
      DrawItem(reinterpret_cast<DRAWITEMSTRUCT*>(l));
      break;
    case WM_MEASUREITEM:
      MeasureItem(reinterpret_cast<MEASUREITEMSTRUCT*>(l));
      break;
    case WM_COMPAREITEM:
      r = CompareItem(reinterpret_cast<COMPAREITEMSTRUCT*>(l));
      break;
    case WM_DELETEITEM:
      DeleteItem(reinterpret_cast<DELETEITEMSTRUCT*>(l));
      break;
    default:
      return FALSE;
  }
  if (result) *result = r;
  return TRUE;
}

BOOL CStatic::Create(const char* text, DWORD style, const RECT& rect, CWnd* parent, UINT id) {
  return CWnd::Create("STATIC", text, style, rect, parent, id);
}

BOOL CButton::Create(const char* caption, DWORD style, const RECT& rect, CWnd* parent, UINT id) {
  return CWnd::Create("BUTTON", caption, style, rect, parent, id);
}

// ---------------------------------------------------------------- bitmap button

BOOL CBitmapButton::LoadBitmaps(UINT up, UINT down, UINT focus, UINT disabled) {
  m_bitmap.DeleteObject();
  m_bitmapSel.DeleteObject();
  m_bitmapFocus.DeleteObject();
  m_bitmapDisabled.DeleteObject();
  if (!m_bitmap.LoadBitmap(up)) return FALSE;
  bool ok = true;
  if (down) ok = m_bitmapSel.LoadBitmap(down) && ok;
  if (focus) ok = m_bitmapFocus.LoadBitmap(focus) && ok;
  if (disabled) ok = m_bitmapDisabled.LoadBitmap(disabled) && ok;
  return ok;
}

void CBitmapButton::SizeToContent() const {
  BITMAP bm{};
  if (!m_bitmap.GetSafeHandle() || !m_bitmap.GetBitmap(&bm)) return;
  SetWindowPos(nullptr, 0, 0, bm.bmWidth, bm.bmHeight, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

HBITMAP CBitmapButton::BitmapFor(UINT state) const {
  const CBitmap* chosen = &m_bitmap;
  if ((state & ODS_SELECTED) && m_bitmapSel.GetSafeHandle())
    chosen = &m_bitmapSel;
  else if ((state & ODS_FOCUS) && m_bitmapFocus.GetSafeHandle())
    chosen = &m_bitmapFocus;
  else if ((state & ODS_DISABLED) && m_bitmapDisabled.GetSafeHandle())
    chosen = &m_bitmapDisabled;
  return *chosen;
}

void CBitmapButton::DrawItem(DRAWITEMSTRUCT* di) {
  HBITMAP bitmap = BitmapFor(di->itemState);
  if (!bitmap) return;
  HDC memory = ::CreateCompatibleDC(di->hDC);
  if (!memory) return;
  HGDIOBJ old = ::SelectObject(memory, bitmap);
  const RECT& r = di->rcItem;
  ::BitBlt(di->hDC, r.left, r.top, r.right - r.left, r.bottom - r.top, memory, 0, 0, SRCCOPY);
  ::SelectObject(memory, old);
  ::DeleteDC(memory);
}

// ---------------------------------------------------------------- edit

BOOL CEdit::Create(DWORD style, const RECT& rect, CWnd* parent, UINT id) {
  return CWnd::Create("EDIT", "", style, rect, parent, id);
}

void CEdit::GetSel(int& start, int& end) const {
  DWORD s = 0, e = 0;
  SendMessage(EM_GETSEL, reinterpret_cast<WPARAM>(&s), reinterpret_cast<LPARAM>(&e));
  start = static_cast<int>(s);
  end = static_cast<int>(e);
}

void CEdit::SetSel(int start, int end, BOOL noScroll) const {
  SendMessage(EM_SETSEL, static_cast<WPARAM>(start), end);
  if (!noScroll) SendMessage(EM_SCROLLCARET);
}

// ---------------------------------------------------------------- lists

BOOL CListBox::Create(DWORD style, const RECT& rect, CWnd* parent, UINT id) {
  return CWnd::Create("LISTBOX", "", style, rect, parent, id);
}

int CListBox::GetText(int index, CString& out) const {
  out.Empty();
  int n = GetTextLen(index);
  if (n == LB_ERR) return LB_ERR;
  // The length of an item can only be asked, not limited: the buffer has room for it.
  int got = Send(LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(out.GetBufferSetLength(n + 1)));
  out.ReleaseBuffer(got == LB_ERR ? 0 : got);
  return got;
}

BOOL CComboBox::Create(DWORD style, const RECT& rect, CWnd* parent, UINT id) {
  return CWnd::Create("COMBOBOX", "", style, rect, parent, id);
}

int CComboBox::GetLBText(int index, CString& out) const {
  out.Empty();
  int n = GetLBTextLen(index);
  if (n == CB_ERR) return CB_ERR;
  int got = Send(CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(out.GetBufferSetLength(n + 1)));
  out.ReleaseBuffer(got == CB_ERR ? 0 : got);
  return got;
}

BOOL CScrollBar::Create(DWORD style, const RECT& rect, CWnd* parent, UINT id) {
  return CWnd::Create("SCROLLBAR", "", style, rect, parent, id);
}

// ---------------------------------------------------------------- common controls

BOOL CSliderCtrl::Create(DWORD style, const RECT& rect, CWnd* parent, UINT id) {
  InitCommonControlClasses();
  return CWnd::Create(TRACKBAR_CLASSA, "", style, rect, parent, id);
}

void CSliderCtrl::SetRange(int lo, int hi, BOOL redraw) const {
  // TBM_SETRANGE packs both ends into 16 bits each; these take any int.
  SendMessage(TBM_SETRANGEMIN, FALSE, lo);
  SendMessage(TBM_SETRANGEMAX, redraw, hi);
}

void CSliderCtrl::SetSelection(int lo, int hi) const {
  SendMessage(TBM_SETSELSTART, FALSE, lo);
  SendMessage(TBM_SETSELEND, TRUE, hi);
}

BOOL CTabCtrl::Create(DWORD style, const RECT& rect, CWnd* parent, UINT id) {
  InitCommonControlClasses();
  return CWnd::Create(WC_TABCONTROLA, "", style, rect, parent, id);
}

int CTabCtrl::InsertItem(int index, const char* text) const {
  TCITEMA item{};
  item.mask = TCIF_TEXT;
  item.pszText = const_cast<char*>(text);
  return InsertItem(index, &item);
}

CString CTabCtrl::GetItemText(int index) const {
  char buf[256] = "";
  TCITEMA item{};
  item.mask = TCIF_TEXT;
  item.pszText = buf;
  item.cchTextMax = sizeof buf;
  if (!GetItem(index, &item)) return CString();
  return CString(item.pszText);
}
