#pragma once
// CScrollView: a view larger than its window, scrolled with its scroll
// bars. MM_TEXT only: logical units are pixels. Positions are 32-bit (the
// thumb's track position is read with GetScrollInfo, not from WM_HSCROLL).
#include "clx/view.h"

class CScrollView : public CView {
  DECLARE_DYNAMIC(CScrollView)
public:
  static const SIZE sizeDefault;

  // Page and line sizes of 0 become a tenth of the total and of the page.
  virtual void SetScrollSizes(int mapMode, SIZE total, const SIZE& page = sizeDefault, const SIZE& line = sizeDefault);
  CPoint GetScrollPosition() const { return GetDeviceScrollPosition(); }
  CPoint GetDeviceScrollPosition() const;
  void ScrollToPosition(POINT pt);
  CSize GetTotalSize() const { return m_totalLog; }
  // Shows the bars the total needs in the window's size and keeps the position within range.
  void UpdateBars();

  void OnPrepareDC(CDC* dc, CPrintInfo* info = nullptr) override;

protected:
  int m_nMapMode = 0;
  CSize m_totalLog;
  CSize m_totalDev;
  CSize m_pageDev;
  CSize m_lineDev;

  void ScrollToDevicePosition(POINT pt);
  // The new position for scroll `code` on `bar`; `pos` unused (16 bits only).
  int ScrollTarget(int bar, UINT code) const;
  void OnSize(UINT type, int cx, int cy);
  void OnHScroll(UINT code, UINT pos, CWindow bar);
  void OnVScroll(UINT code, UINT pos, CWindow bar);
  DECLARE_MESSAGE_MAP()
};
