// CQzSlider: a track bar between two bitmap step buttons. The track bar's
// scroll notifications reach the slider's parent as the slider's own
// (lParam the slider); SetPos moves the track bar without telling anyone.
#pragma once

#include "app/shell/controls/qz_bitmap_button.h"
#include "clx/controls.h"

constexpr UINT kStepLeftId = 1180;
constexpr UINT kStepRightId = 1181;
// The step buttons' strip: six rows of mask and picture (left normal,
// pressed, disabled; right normal, pressed, disabled).
constexpr UINT kStepButtonsBitmap = 271;

class CQzSlider : public CWnd {
public:
    CQzSlider() = default;

    virtual BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id);

    void SetLineSize(int n) const { m_track.SetLineSize(n); }
    void SetPageSize(int n) const { m_track.SetPageSize(n); }
    int GetRangeMax() const { return m_track.GetRangeMax(); }
    void GetRange(int& min, int& max) const { m_track.GetRange(min, max); }
    void SetRange(int min, int max, bool redraw) const { m_track.SetRange(min, max, redraw); }
    int GetPos() const { return m_track.GetPos(); }
    void ResetPos() const { m_track.SendMessage(TBM_SETPOS, FALSE, 0); }
    void SetTic(int pos) const { m_track.SetTic(pos); }
    void ClearTics(bool redraw) const { m_track.ClearTics(redraw); }
    void RedrawTrack() const { m_track.Invalidate(TRUE); }
    // Silent at every position, the ends included.
    void SetPos(int pos);
    int GetStepButtonWidth() const { return m_leftButton.GetBitmapSize().cx; }

    CSliderCtrl& Track() { return m_track; }
    CQzBitmapButton& LeftButton() { return m_leftButton; }
    CQzBitmapButton& RightButton() { return m_rightButton; }

protected:
    int OnCreate(CREATESTRUCT* cs);
    void OnSize(UINT type, int cx, int cy);
    void OnLeftStep();
    void OnRightStep();
    void OnHScroll(UINT code, UINT pos, CWindow bar);
    void OnVScroll(UINT code, UINT pos, CWindow bar);
    void OnSetFocus(CWindow old);
    void OnEnable(BOOL enable);
    void OnShowWindow(BOOL show, UINT status);
    DECLARE_MESSAGE_MAP()

private:
    bool LoadStepBitmaps(int height);
    void Step(UINT key);
    void SendKeyToTrack(UINT key) const;
    void Forward(UINT msg, UINT code, UINT pos);

    DWORD m_style = 0;
    UINT m_controlId = 0;
    CSliderCtrl m_track;
    CQzBitmapButton m_leftButton;
    CQzBitmapButton m_rightButton;
    bool m_notify = true;
};
