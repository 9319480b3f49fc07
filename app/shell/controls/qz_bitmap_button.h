// CQzBitmapButton: a bitmap button whose four state pictures (normal,
// pressed, focus, disabled) are cut from a strip resource by the program's
// strip loader, and which may be lent bitmaps that several buttons share.
#pragma once

#include "clx/controls.h"

class CQzBitmapButton : public CBitmapButton {
public:
    CQzBitmapButton() = default;
    // Lent bitmaps are detached, never deleted, with the button.
    ~CQzBitmapButton() override;

    // The lender keeps ownership; null for a state that uses the button's own.
    void SetSharedBitmaps(CBitmap* normal, CBitmap* pressed, CBitmap* focus, CBitmap* disabled);
    // Rows of `rowCount` from 1, drawn at width x height (-1: the picture's
    // own). States whose bitmap exists are kept. False at the first failure.
    BOOL LoadBitmaps(UINT resourceId, int rowCount, int normalRow, int pressedRow, int focusRow, int disabledRow,
                     int width, int height);
    CSize GetBitmapSize() const;
    bool IsPressed() const { return m_pressed; }

protected:
    LRESULT OnSetState(WPARAM highlight, LPARAM);
    DECLARE_MESSAGE_MAP()

private:
    CBitmap& Own(int state);

    bool m_pressed = false;
    CBitmap* m_lent[4] = {};
};
