#include "app/shell/controls/edit_part.h"

#include "app/shell/controls/edit_mask.h"

BEGIN_MESSAGE_MAP(CEditPart, CEdit)
    ON_WM_CREATE()
    ON_WM_CHAR()
    ON_WM_KEYDOWN()
    ON_WM_KILLFOCUS()
    ON_WM_GETDLGCODE()
END_MESSAGE_MAP()

CEditPart::CEditPart(CEditPartUser* owner) : m_owner(owner) {}

BOOL CEditPart::PreCreateWindow(CREATESTRUCT& cs)
{
    if (shell::IsRightAlignedMask(m_mask))
        cs.style |= ES_RIGHT | ES_MULTILINE;
    return CEdit::PreCreateWindow(cs);
}

void CEditPart::SetMask(const char* mask)
{
    m_mask = shell::CleanMask(mask);
    if (m_hWnd)
        SetLimitText(static_cast<UINT>(m_mask.size()));
    else
        m_limitPending = true;
}

int CEditPart::OnCreate(CREATESTRUCT*)
{
    const int result = static_cast<int>(Default());
    if (result != -1 && m_limitPending) {
        SetLimitText(static_cast<UINT>(m_mask.size()));
        m_limitPending = false;
    }
    return result;
}

void CEditPart::PostNcDestroy()
{
    delete this;
}

UINT CEditPart::OnGetDlgCode()
{
    return static_cast<UINT>(Default()) | DLGC_WANTARROWS;
}

int CEditPart::CaretPosition() const
{
    int start = 0, end = 0;
    GetSel(start, end);
    return start;
}

void CEditPart::OnChar(UINT ch, UINT, UINT)
{
    if (m_owner && m_owner->OnFieldKey(this, static_cast<int>(ch)))
        return;
    const auto c = static_cast<unsigned char>(ch);
    if (c < 0x20 || c == 0x7F) {
        if (c == '\b' && CaretPosition() == 0 && m_owner && m_owner->MoveToPrevious(this, static_cast<int>(ch)))
            return;
        Default();
        return;
    }
    const size_t p = static_cast<size_t>(CaretPosition());
    if (p >= m_mask.size()) {
        MessageBeep(0);
        return;
    }
    const char stored = shell::MaskAccepts(m_mask[p], static_cast<char>(c));
    if (!stored) {
        MessageBeep(0);
        return;
    }
    const MSG* current = GetCurrentMessage();
    DefWindowProc(WM_CHAR, static_cast<unsigned char>(stored), current ? current->lParam : 1);
    if (static_cast<size_t>(CaretPosition()) == m_mask.size() && m_owner)
        m_owner->MoveToNext(this, static_cast<int>(ch));
}

void CEditPart::OnKeyDown(UINT key, UINT, UINT)
{
    switch (key) {
    case VK_PRIOR:
    case VK_NEXT:
    case VK_END:
    case VK_HOME:
    case VK_LEFT:
    case VK_UP:
    case VK_RIGHT:
    case VK_DOWN:
    case VK_INSERT:
    case VK_DELETE:
    case VK_TAB:
        break;
    default:
        Default();
        return;
    }
    if (m_owner) {
        const bool plain = GetKeyState(VK_SHIFT) >= 0 && GetKeyState(VK_CONTROL) >= 0;
        const int caret = CaretPosition();
        if (plain && (key == VK_LEFT || key == VK_UP) && caret == 0 &&
            m_owner->MoveToPrevious(this, static_cast<int>(key)))
            return;
        if (plain && (key == VK_RIGHT || key == VK_DOWN) && caret >= GetWindowTextLength() - 1 &&
            m_owner->MoveToNext(this, static_cast<int>(key)))
            return;
        if (m_owner->OnFieldKey(this, static_cast<int>(key)))
            return;
    }
    Default();
}

void CEditPart::OnKillFocus(CWindow)
{
    const std::string text = static_cast<const char*>(GetWindowText());
    SetWindowText(shell::PadZeroRun(text, m_mask).c_str());
    Default();
}
