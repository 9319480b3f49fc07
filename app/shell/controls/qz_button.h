// CQzButton: an owner-drawn button whose state pictures (normal, pressed,
// focus, disabled) are made from one row of a bitmap strip: the row's mask
// and picture on the button face inside a raised frame, a dotted focus
// frame, a recoloured disabled copy and a sunken pressed one. It can act as
// a check box or radio button with a second set shown while checked, and
// tells its parent when it is pressed and released.
#pragma once

#include "clx/controls.h"

// The parent's messages for a press and a release (wParam the control id,
// lParam the button); the application sets them at start-up.
constexpr UINT kButtonPressMessage = 0x8003;
constexpr UINT kButtonReleaseMessage = 0x8004;

class CQzButton : public CBitmapButton {
public:
    CQzButton() = default;
    // Lent bitmaps are detached, never deleted.
    ~CQzButton() override;

    // Any button style becomes owner-drawn; check-box styles check, radio styles select.
    virtual BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id);
    static void SetStateMessages(UINT press, UINT release);
    // Base set first (normal, pressed, focus, disabled), then the checked set.
    void SetSharedBitmaps(CBitmap* normal, CBitmap* pressed, CBitmap* focus, CBitmap* disabled,
                          CBitmap* checkedNormal, CBitmap* checkedPressed, CBitmap* checkedFocus,
                          CBitmap* checkedDisabled);
    // Row `row` (from 1) of `rowCount`. checkedLook 1 takes the checked set
    // from the next row, 2 derives it with a sunken bevel, 0 has none. False
    // when the strip cannot be loaded.
    BOOL LoadBitmaps(UINT resourceId, int rowCount, int row, int checkedLook, bool force);
    CSize GetBitmapSize() const;

    void DrawItem(DRAWITEMSTRUCT* di) override;

    bool IsCheckMode() const { return m_checkMode; }
    bool IsRadioMode() const { return m_radioMode; }

    CBitmap m_checkedBitmap;
    CBitmap m_checkedBitmapSel;
    CBitmap m_checkedBitmapFocus;
    CBitmap m_checkedBitmapDisabled;

protected:
    LRESULT OnSetCheck(WPARAM check, LPARAM);
    LRESULT OnGetCheck(WPARAM, LPARAM);
    LRESULT OnSetState(WPARAM highlight, LPARAM);
    bool OnClickedReflect();
    DECLARE_MESSAGE_MAP()

private:
    CBitmap& Slot(int index);
    // Puts `made` into slot `index`: a lent bitmap keeps what it holds.
    void Assign(int index, HBITMAP made);

    bool m_checkMode = false;
    bool m_radioMode = false;
    bool m_checked = false;
    bool m_pressed = false;
    CBitmap* m_lent[8] = {};
};
