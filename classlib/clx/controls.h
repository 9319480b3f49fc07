#pragma once
// The standard controls as attached windows: each is made with Create (style,
// rectangle, parent, id), or attached to a dialog's control with
// SubclassDlgItem, and wraps the control's own messages. Controls are members
// of their parent's object and never delete themselves. Owner-drawn buttons,
// list boxes and combo boxes draw and measure their items themselves: the
// parent's owner-draw messages arrive at the virtuals below (a map entry of
// the control, ON_WM_DRAWITEM_REFLECT and the like, is asked first).
#include "clx/gdi.h"
#include "clx/wnd.h"

// Owner-draw messages reflected to a control, dispatched to its virtuals.
class COwnerDrawCtrl : public CWnd {
public:
  using CWnd::Create;
  virtual void DrawItem(DRAWITEMSTRUCT*) {}
  virtual void MeasureItem(MEASUREITEMSTRUCT*) {}
  virtual int CompareItem(COMPAREITEMSTRUCT*) { return 0; }
  virtual void DeleteItem(DELETEITEMSTRUCT*) {}
  BOOL OnChildNotify(UINT msg, WPARAM w, LPARAM l, LRESULT* result) override;
};

class CStatic : public CWnd {
  DECLARE_DYNAMIC(CStatic)
public:
  using CWnd::Create;
  BOOL Create(const char* text, DWORD style, const RECT& rect, CWnd* parent, UINT id = 0xFFFF);
  // The previous image; the control does not own the bitmap.
  HBITMAP SetBitmap(HBITMAP bitmap) const {
    return reinterpret_cast<HBITMAP>(SendMessage(STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(bitmap)));
  }
  HBITMAP GetBitmap() const { return reinterpret_cast<HBITMAP>(SendMessage(STM_GETIMAGE, IMAGE_BITMAP)); }
  HICON SetIcon(HICON icon) const { return reinterpret_cast<HICON>(SendMessage(STM_SETICON, reinterpret_cast<WPARAM>(icon))); }
  HICON GetIcon() const { return reinterpret_cast<HICON>(SendMessage(STM_GETICON)); }
};

class CButton : public COwnerDrawCtrl {
  DECLARE_DYNAMIC(CButton)
public:
  using CWnd::Create;
  BOOL Create(const char* caption, DWORD style, const RECT& rect, CWnd* parent, UINT id);
  int GetCheck() const { return static_cast<int>(SendMessage(BM_GETCHECK)); }
  void SetCheck(int check) const { SendMessage(BM_SETCHECK, static_cast<WPARAM>(check)); }
  UINT GetState() const { return static_cast<UINT>(SendMessage(BM_GETSTATE)); }
  void SetState(BOOL highlight) const { SendMessage(BM_SETSTATE, highlight); }
  UINT GetButtonStyle() const { return GetStyle() & 0xFFFF; }
  void SetButtonStyle(UINT style, BOOL redraw = TRUE) const { SendMessage(BM_SETSTYLE, style, redraw); }
  // As a click of the user: BN_CLICKED to the parent (a radio button also checks itself).
  void Click() const { SendMessage(BM_CLICK); }
  HBITMAP SetBitmap(HBITMAP bitmap) const {
    return reinterpret_cast<HBITMAP>(SendMessage(BM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(bitmap)));
  }
  HICON SetIcon(HICON icon) const {
    return reinterpret_cast<HICON>(SendMessage(BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(icon)));
  }
};

// An owner-drawn button (BS_OWNERDRAW) showing one of up to four bitmaps
// by its state: pressed, focused, disabled, else up. The button owns them.
class CBitmapButton : public CButton {
  DECLARE_DYNAMIC(CBitmapButton)
public:
  // Resource ids; 0 for a state that shows the up picture. False when the up bitmap is missing.
  BOOL LoadBitmaps(UINT up, UINT down = 0, UINT focus = 0, UINT disabled = 0);
  // Sizes the button to its up bitmap, keeping its top-left corner.
  void SizeToContent() const;
  void DrawItem(DRAWITEMSTRUCT* di) override;
  // The bitmap drawn for a state (ODS_ bits).
  HBITMAP BitmapFor(UINT itemState) const;

  CBitmap m_bitmap;          // up
  CBitmap m_bitmapSel;       // pressed
  CBitmap m_bitmapFocus;     // focused
  CBitmap m_bitmapDisabled;  // disabled
};

class CEdit : public CWnd {
  DECLARE_DYNAMIC(CEdit)
public:
  using CWnd::Create;
  BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id);
  void SetLimitText(UINT max) const { SendMessage(EM_LIMITTEXT, max); }
  void LimitText(UINT max) const { SetLimitText(max); }
  UINT GetLimitText() const { return static_cast<UINT>(SendMessage(EM_GETLIMITTEXT)); }
  void GetSel(int& start, int& end) const;
  DWORD GetSel() const { return static_cast<DWORD>(SendMessage(EM_GETSEL)); }
  void SetSel(int start, int end, BOOL noScroll = FALSE) const;
  void ReplaceSel(const char* text, BOOL canUndo = FALSE) const {
    SendMessage(EM_REPLACESEL, canUndo, reinterpret_cast<LPARAM>(text));
  }
  BOOL Undo() const { return static_cast<BOOL>(SendMessage(EM_UNDO)); }
  BOOL CanUndo() const { return static_cast<BOOL>(SendMessage(EM_CANUNDO)); }
  void EmptyUndoBuffer() const { SendMessage(EM_EMPTYUNDOBUFFER); }
  void Cut() const { SendMessage(WM_CUT); }
  void Copy() const { SendMessage(WM_COPY); }
  void Paste() const { SendMessage(WM_PASTE); }
  void Clear() const { SendMessage(WM_CLEAR); }
  BOOL GetModify() const { return static_cast<BOOL>(SendMessage(EM_GETMODIFY)); }
  void SetModify(BOOL modified = TRUE) const { SendMessage(EM_SETMODIFY, modified); }
  BOOL SetReadOnly(BOOL readOnly = TRUE) const { return static_cast<BOOL>(SendMessage(EM_SETREADONLY, readOnly)); }
  int GetLineCount() const { return static_cast<int>(SendMessage(EM_GETLINECOUNT)); }
  void SetPasswordChar(char ch) const { SendMessage(EM_SETPASSWORDCHAR, static_cast<BYTE>(ch)); }
};

class CListBox : public COwnerDrawCtrl {
  DECLARE_DYNAMIC(CListBox)
public:
  using CWnd::Create;
  BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id);
  // Index of the new string, LB_ERR or LB_ERRSPACE.
  int AddString(const char* text) const { return Send(LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text)); }
  int InsertString(int index, const char* text) const {
    return Send(LB_INSERTSTRING, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text));
  }
  int DeleteString(int index) const { return Send(LB_DELETESTRING, static_cast<WPARAM>(index)); }
  void ResetContent() const { SendMessage(LB_RESETCONTENT); }
  int GetCount() const { return Send(LB_GETCOUNT); }
  int GetTextLen(int index) const { return Send(LB_GETTEXTLEN, static_cast<WPARAM>(index)); }
  // LB_ERR (and `out` empty) for an index outside the list.
  int GetText(int index, CString& out) const;
  CString GetText(int index) const { CString s; GetText(index, s); return s; }
  int SetItemData(int index, DWORD_PTR data) const { return Send(LB_SETITEMDATA, static_cast<WPARAM>(index), static_cast<LPARAM>(data)); }
  DWORD_PTR GetItemData(int index) const { return static_cast<DWORD_PTR>(SendMessage(LB_GETITEMDATA, static_cast<WPARAM>(index))); }
  int FindString(int startAfter, const char* text) const { return Send(LB_FINDSTRING, static_cast<WPARAM>(startAfter), reinterpret_cast<LPARAM>(text)); }
  int FindStringExact(int startAfter, const char* text) const { return Send(LB_FINDSTRINGEXACT, static_cast<WPARAM>(startAfter), reinterpret_cast<LPARAM>(text)); }
  int SelectString(int startAfter, const char* text) const { return Send(LB_SELECTSTRING, static_cast<WPARAM>(startAfter), reinterpret_cast<LPARAM>(text)); }
  // Single selection.
  int GetCurSel() const { return Send(LB_GETCURSEL); }
  int SetCurSel(int index) const { return Send(LB_SETCURSEL, static_cast<WPARAM>(index)); }
  // Multiple selection; index -1 selects or clears every item.
  int SetSel(int index, BOOL select = TRUE) const { return Send(LB_SETSEL, select, index); }
  int GetSel(int index) const { return Send(LB_GETSEL, static_cast<WPARAM>(index)); }
  int GetSelCount() const { return Send(LB_GETSELCOUNT); }
  // Fills up to `max` indices; the number filled, or LB_ERR for a single-selection list.
  int GetSelItems(int max, int* indices) const { return Send(LB_GETSELITEMS, static_cast<WPARAM>(max), reinterpret_cast<LPARAM>(indices)); }
  int GetTopIndex() const { return Send(LB_GETTOPINDEX); }
  int SetTopIndex(int index) const { return Send(LB_SETTOPINDEX, static_cast<WPARAM>(index)); }
  int GetItemHeight(int index) const { return Send(LB_GETITEMHEIGHT, static_cast<WPARAM>(index)); }
  int SetItemHeight(int index, UINT height) const { return Send(LB_SETITEMHEIGHT, static_cast<WPARAM>(index), MAKELPARAM(height, 0)); }
  int GetItemRect(int index, RECT* r) const { return Send(LB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(r)); }
  // Width in pixels the list can scroll horizontally (WS_HSCROLL).
  void SetHorizontalExtent(int extent) const { SendMessage(LB_SETHORIZONTALEXTENT, static_cast<WPARAM>(extent)); }
  int GetHorizontalExtent() const { return Send(LB_GETHORIZONTALEXTENT); }

private:
  int Send(UINT msg, WPARAM w = 0, LPARAM l = 0) const { return static_cast<int>(SendMessage(msg, w, l)); }
};

class CComboBox : public COwnerDrawCtrl {
  DECLARE_DYNAMIC(CComboBox)
public:
  using CWnd::Create;
  BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id);
  int AddString(const char* text) const { return Send(CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text)); }
  int InsertString(int index, const char* text) const {
    return Send(CB_INSERTSTRING, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text));
  }
  int DeleteString(int index) const { return Send(CB_DELETESTRING, static_cast<WPARAM>(index)); }
  void ResetContent() const { SendMessage(CB_RESETCONTENT); }
  int GetCount() const { return Send(CB_GETCOUNT); }
  int GetLBTextLen(int index) const { return Send(CB_GETLBTEXTLEN, static_cast<WPARAM>(index)); }
  // CB_ERR (and `out` empty) for an index outside the list.
  int GetLBText(int index, CString& out) const;
  CString GetLBText(int index) const { CString s; GetLBText(index, s); return s; }
  int SetItemData(int index, DWORD_PTR data) const { return Send(CB_SETITEMDATA, static_cast<WPARAM>(index), static_cast<LPARAM>(data)); }
  DWORD_PTR GetItemData(int index) const { return static_cast<DWORD_PTR>(SendMessage(CB_GETITEMDATA, static_cast<WPARAM>(index))); }
  int GetCurSel() const { return Send(CB_GETCURSEL); }
  int SetCurSel(int index) const { return Send(CB_SETCURSEL, static_cast<WPARAM>(index)); }
  int FindString(int startAfter, const char* text) const { return Send(CB_FINDSTRING, static_cast<WPARAM>(startAfter), reinterpret_cast<LPARAM>(text)); }
  int FindStringExact(int startAfter, const char* text) const { return Send(CB_FINDSTRINGEXACT, static_cast<WPARAM>(startAfter), reinterpret_cast<LPARAM>(text)); }
  int SelectString(int startAfter, const char* text) const { return Send(CB_SELECTSTRING, static_cast<WPARAM>(startAfter), reinterpret_cast<LPARAM>(text)); }
  void ShowDropDown(BOOL show = TRUE) const { SendMessage(CB_SHOWDROPDOWN, show); }
  BOOL GetDroppedState() const { return static_cast<BOOL>(SendMessage(CB_GETDROPPEDSTATE)); }
  int SetDroppedWidth(UINT width) const { return Send(CB_SETDROPPEDWIDTH, width); }
  int GetDroppedWidth() const { return Send(CB_GETDROPPEDWIDTH); }
  BOOL LimitText(int max) const { return static_cast<BOOL>(SendMessage(CB_LIMITTEXT, static_cast<WPARAM>(max))); }
  DWORD GetEditSel() const { return static_cast<DWORD>(SendMessage(CB_GETEDITSEL)); }
  BOOL SetEditSel(int start, int end) const { return static_cast<BOOL>(SendMessage(CB_SETEDITSEL, 0, MAKELPARAM(start, end))); }
  // Index -1: the selection field; else the list items.
  int GetItemHeight(int index) const { return Send(CB_GETITEMHEIGHT, static_cast<WPARAM>(index)); }
  int SetItemHeight(int index, UINT height) const { return Send(CB_SETITEMHEIGHT, static_cast<WPARAM>(index), height); }

private:
  int Send(UINT msg, WPARAM w = 0, LPARAM l = 0) const { return static_cast<int>(SendMessage(msg, w, l)); }
};

class CScrollBar : public CWnd {
  DECLARE_DYNAMIC(CScrollBar)
public:
  using CWnd::Create;
  using CWindow::GetScrollInfo;
  using CWindow::SetScrollInfo;
  using CWindow::ShowScrollBar;
  BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id);
  BOOL GetScrollInfo(SCROLLINFO* si, UINT mask = SIF_ALL) const { return CWindow::GetScrollInfo(SB_CTL, si, mask); }
  int SetScrollInfo(SCROLLINFO* si, BOOL redraw = TRUE) const { return CWindow::SetScrollInfo(SB_CTL, si, redraw); }
  int GetScrollPos() const { return ::GetScrollPos(m_hWnd, SB_CTL); }
  int SetScrollPos(int pos, BOOL redraw = TRUE) const { return ::SetScrollPos(m_hWnd, SB_CTL, pos, redraw); }
  void SetScrollRange(int lo, int hi, BOOL redraw = TRUE) const { ::SetScrollRange(m_hWnd, SB_CTL, lo, hi, redraw); }
  void GetScrollRange(int* lo, int* hi) const { ::GetScrollRange(m_hWnd, SB_CTL, lo, hi); }
  void ShowScrollBar(BOOL show = TRUE) const { ::ShowScrollBar(m_hWnd, SB_CTL, show); }
  BOOL EnableScrollBar(UINT arrows = ESB_ENABLE_BOTH) const { return ::EnableScrollBar(m_hWnd, SB_CTL, arrows); }
};

// The track bar common control.
class CSliderCtrl : public CWnd {
  DECLARE_DYNAMIC(CSliderCtrl)
public:
  using CWnd::Create;
  BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id);
  void SetRange(int lo, int hi, BOOL redraw = FALSE) const;
  void GetRange(int& lo, int& hi) const { lo = GetRangeMin(); hi = GetRangeMax(); }
  int GetRangeMin() const { return Send(TBM_GETRANGEMIN); }
  int GetRangeMax() const { return Send(TBM_GETRANGEMAX); }
  int GetPos() const { return Send(TBM_GETPOS); }
  void SetPos(int pos) const { SendMessage(TBM_SETPOS, TRUE, pos); }
  int GetLineSize() const { return Send(TBM_GETLINESIZE); }
  int SetLineSize(int size) const { return Send(TBM_SETLINESIZE, 0, size); }
  int GetPageSize() const { return Send(TBM_GETPAGESIZE); }
  int SetPageSize(int size) const { return Send(TBM_SETPAGESIZE, 0, size); }
  void SetTicFreq(int freq) const { SendMessage(TBM_SETTICFREQ, static_cast<WPARAM>(freq)); }
  BOOL SetTic(int pos) const { return static_cast<BOOL>(SendMessage(TBM_SETTIC, 0, pos)); }
  void ClearTics(BOOL redraw = FALSE) const { SendMessage(TBM_CLEARTICS, redraw); }
  // Counting the two end marks.
  int GetNumTics() const { return Send(TBM_GETNUMTICS); }
  void SetSelection(int lo, int hi) const;
  void ClearSel(BOOL redraw = FALSE) const { SendMessage(TBM_CLEARSEL, redraw); }

private:
  int Send(UINT msg, WPARAM w = 0, LPARAM l = 0) const { return static_cast<int>(SendMessage(msg, w, l)); }
};

// The tab common control. A page change arrives at the parent as
// WM_NOTIFY TCN_SELCHANGE (ON_NOTIFY(TCN_SELCHANGE, id, handler)).
class CTabCtrl : public CWnd {
  DECLARE_DYNAMIC(CTabCtrl)
public:
  using CWnd::Create;
  BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id);
  // The index of the new tab, or -1.
  int InsertItem(int index, const char* text) const;
  int InsertItem(int index, TCITEMA* item) const {
    return Send(TCM_INSERTITEMA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(item));
  }
  BOOL DeleteItem(int index) const { return static_cast<BOOL>(SendMessage(TCM_DELETEITEM, static_cast<WPARAM>(index))); }
  BOOL DeleteAllItems() const { return static_cast<BOOL>(SendMessage(TCM_DELETEALLITEMS)); }
  int GetItemCount() const { return Send(TCM_GETITEMCOUNT); }
  BOOL GetItem(int index, TCITEMA* item) const {
    return static_cast<BOOL>(SendMessage(TCM_GETITEMA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(item)));
  }
  CString GetItemText(int index) const;
  int GetCurSel() const { return Send(TCM_GETCURSEL); }
  // The previous selection; sends no TCN_SELCHANGE.
  int SetCurSel(int index) const { return Send(TCM_SETCURSEL, static_cast<WPARAM>(index)); }
  BOOL GetItemRect(int index, RECT* r) const {
    return static_cast<BOOL>(SendMessage(TCM_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(r)));
  }
  // `larger` FALSE: the window rectangle `r` becomes the display area; TRUE: the reverse.
  void AdjustRect(BOOL larger, RECT* r) const { SendMessage(TCM_ADJUSTRECT, larger, reinterpret_cast<LPARAM>(r)); }

private:
  int Send(UINT msg, WPARAM w = 0, LPARAM l = 0) const { return static_cast<int>(SendMessage(msg, w, l)); }
};
