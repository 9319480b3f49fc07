#include "app/shell/controls/qz_bitmap_button.h"

#include "app/shell/util/draw_bitmap.h"

BEGIN_MESSAGE_MAP(CQzBitmapButton, CBitmapButton)
    ON_MESSAGE(BM_SETSTATE, OnSetState)
END_MESSAGE_MAP()

CQzBitmapButton::~CQzBitmapButton()
{
    for (int state = 0; state < 4; ++state)
        if (m_lent[state] && Own(state).GetSafeHandle() == m_lent[state]->GetSafeHandle())
            Own(state).Detach();
}

CBitmap& CQzBitmapButton::Own(int state)
{
    CBitmap* own[] = {&m_bitmap, &m_bitmapSel, &m_bitmapFocus, &m_bitmapDisabled};
    return *own[state];
}

void CQzBitmapButton::SetSharedBitmaps(CBitmap* normal, CBitmap* pressed, CBitmap* focus, CBitmap* disabled)
{
    m_lent[0] = normal;
    m_lent[1] = pressed;
    m_lent[2] = focus;
    m_lent[3] = disabled;
}

BOOL CQzBitmapButton::LoadBitmaps(UINT resourceId, int rowCount, int normalRow, int pressedRow, int focusRow,
                                  int disabledRow, int width, int height)
{
    const int rows[] = {normalRow, pressedRow, focusRow, disabledRow};
    for (int state = 0; state < 4; ++state) {
        CBitmap& own = Own(state);
        if (own.GetSafeHandle())
            continue;
        SIZE size{};
        if (CBitmap* lent = m_lent[state]) {
            // Drawn once for every button that shares it.
            if (!lent->GetSafeHandle() &&
                !shell::DrawBitmapResource(lent, resourceId, rowCount, rows[state], &size, 0, width, height))
                return FALSE;
            own.Attach(lent->GetSafeHandle());
        } else if (!shell::DrawBitmapResource(&own, resourceId, rowCount, rows[state], &size, 0, width, height)) {
            return FALSE;
        }
    }
    return TRUE;
}

CSize CQzBitmapButton::GetBitmapSize() const
{
    BITMAP info{};
    if (!m_bitmap.GetSafeHandle() || !m_bitmap.GetBitmap(&info))
        return CSize(0, 0);
    return CSize(info.bmWidth, info.bmHeight);
}

LRESULT CQzBitmapButton::OnSetState(WPARAM highlight, LPARAM)
{
    m_pressed = highlight != 0;
    return Default();
}
