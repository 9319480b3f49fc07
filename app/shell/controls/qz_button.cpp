#include "app/shell/controls/qz_button.h"

#include "app/shell/controls/qz_button_states.h"

namespace {

UINT g_pressMessage = 0;
UINT g_releaseMessage = 0;

}  // namespace

BEGIN_MESSAGE_MAP(CQzButton, CBitmapButton)
    ON_MESSAGE(BM_SETCHECK, OnSetCheck)
    ON_MESSAGE(BM_GETCHECK, OnGetCheck)
    ON_MESSAGE(BM_SETSTATE, OnSetState)
    ON_CONTROL_REFLECT_EX(BN_CLICKED, OnClickedReflect)
END_MESSAGE_MAP()

CQzButton::~CQzButton()
{
    for (int i = 0; i < 8; ++i)
        if (m_lent[i] && Slot(i).GetSafeHandle() == m_lent[i]->GetSafeHandle())
            Slot(i).Detach();
}

CBitmap& CQzButton::Slot(int index)
{
    CBitmap* slots[] = {&m_bitmap,        &m_bitmapSel,        &m_bitmapFocus,        &m_bitmapDisabled,
                        &m_checkedBitmap, &m_checkedBitmapSel, &m_checkedBitmapFocus, &m_checkedBitmapDisabled};
    return *slots[index];
}

BOOL CQzButton::Create(DWORD style, const RECT& rect, CWnd* parent, UINT id)
{
    m_checkMode = (style & 3) != 0;
    m_radioMode = !m_checkMode && (style & 0xD) != 0;
    const DWORD ownerDrawn = (style & ~DWORD{0xFF}) | (style & 0xFB) | BS_OWNERDRAW;
    return CButton::Create("", ownerDrawn, rect, parent, id);
}

void CQzButton::SetStateMessages(UINT press, UINT release)
{
    g_pressMessage = press;
    g_releaseMessage = release;
}

void CQzButton::SetSharedBitmaps(CBitmap* normal, CBitmap* pressed, CBitmap* focus, CBitmap* disabled,
                                 CBitmap* checkedNormal, CBitmap* checkedPressed, CBitmap* checkedFocus,
                                 CBitmap* checkedDisabled)
{
    CBitmap* lent[] = {normal, pressed, focus, disabled, checkedNormal, checkedPressed, checkedFocus,
                       checkedDisabled};
    for (int i = 0; i < 8; ++i)
        m_lent[i] = lent[i];
}

void CQzButton::Assign(int index, HBITMAP made)
{
    CBitmap& slot = Slot(index);
    CBitmap* lent = m_lent[index];
    if (lent && slot.GetSafeHandle() == lent->GetSafeHandle())
        slot.Detach();
    else
        slot.DeleteObject();
    if (!lent) {
        slot.Attach(made);
        return;
    }
    // A lent bitmap is drawn once for every button that shares it.
    if (!lent->GetSafeHandle())
        lent->Attach(made);
    else
        DeleteObject(made);
    slot.Attach(lent->GetSafeHandle());
}

BOOL CQzButton::LoadBitmaps(UINT resourceId, int rowCount, int row, int checkedLook, bool force)
{
    if (m_bitmap.GetSafeHandle() && !force)
        return TRUE;
    CBitmap strip;
    if (!strip.LoadBitmap(resourceId))
        return FALSE;
    HBITMAP made[4];
    if (!shell::MakeButtonStates(strip, rowCount, row, made))
        return FALSE;
    for (int i = 0; i < 4; ++i)
        Assign(i, made[i]);
    if (checkedLook == 1) {
        if (shell::MakeButtonStates(strip, rowCount, row + 1, made))
            for (int i = 0; i < 4; ++i)
                Assign(4 + i, made[i]);
    } else if (checkedLook == 2 && (force || !m_checkedBitmap.GetSafeHandle())) {
        for (int i = 0; i < 4; ++i)
            Assign(4 + i, shell::MakeCheckedLook(Slot(i)));
    }
    return TRUE;
}

CSize CQzButton::GetBitmapSize() const
{
    BITMAP info{};
    if (!m_bitmap.GetSafeHandle() || !m_bitmap.GetBitmap(&info))
        return CSize(0, 0);
    return CSize(info.bmWidth, info.bmHeight);
}

void CQzButton::DrawItem(DRAWITEMSTRUCT* di)
{
    if ((!m_checkMode && !m_radioMode) || !m_checked) {
        CBitmapButton::DrawItem(di);
        return;
    }
    const CBitmap* chosen = &m_checkedBitmap;
    if ((di->itemState & ODS_SELECTED) && m_checkedBitmapSel.GetSafeHandle())
        chosen = &m_checkedBitmapSel;
    else if ((di->itemState & ODS_FOCUS) && m_checkedBitmapFocus.GetSafeHandle())
        chosen = &m_checkedBitmapFocus;
    else if ((di->itemState & ODS_DISABLED) && m_checkedBitmapDisabled.GetSafeHandle())
        chosen = &m_checkedBitmapDisabled;
    if (!chosen->GetSafeHandle())
        return;
    HDC memory = CreateCompatibleDC(di->hDC);
    HGDIOBJ old = SelectObject(memory, *chosen);
    const RECT& r = di->rcItem;
    BitBlt(di->hDC, r.left, r.top, r.right - r.left, r.bottom - r.top, memory, 0, 0, SRCCOPY);
    SelectObject(memory, old);
    DeleteDC(memory);
}

LRESULT CQzButton::OnSetCheck(WPARAM check, LPARAM)
{
    m_checked = check == 1;
    Invalidate(TRUE);
    return 0;
}

LRESULT CQzButton::OnGetCheck(WPARAM, LPARAM)
{
    return m_checked ? 1 : 0;
}

LRESULT CQzButton::OnSetState(WPARAM highlight, LPARAM)
{
    if (g_pressMessage && g_releaseMessage) {
        CWindow parent = GetParent();
        const WPARAM id = static_cast<WPARAM>(GetDlgCtrlID());
        if (highlight && !m_pressed) {
            m_pressed = true;
            parent.SendMessage(g_pressMessage, id, reinterpret_cast<LPARAM>(m_hWnd));
        } else if (!highlight && m_pressed) {
            m_pressed = false;
            parent.SendMessage(g_releaseMessage, id, reinterpret_cast<LPARAM>(m_hWnd));
        }
    }
    return Default();
}

bool CQzButton::OnClickedReflect()
{
    const bool before = m_checked;
    if (m_checkMode)
        m_checked = !m_checked;
    else if (m_radioMode)
        m_checked = true;
    if (m_checked != before)
        Invalidate(TRUE);
    return false;
}
