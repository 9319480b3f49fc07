#include "app/shell/controls/qz_edit.h"

namespace {

// Shared by every numeric field, made on first use, kept to the end.
HBRUSH SharedBrush(int sysColour)
{
    static CBrush window(GetSysColor(COLOR_WINDOW));
    static CBrush face(GetSysColor(COLOR_BTNFACE));
    return sysColour == COLOR_WINDOW ? static_cast<HBRUSH>(window) : static_cast<HBRUSH>(face);
}

}  // namespace

BEGIN_MESSAGE_MAP(CQzEdit, CEdit)
    ON_WM_CHAR()
    ON_WM_CTLCOLOR_REFLECT()
    ON_CONTROL_REFLECT_EX(EN_UPDATE, OnUpdateReflect)
    ON_CONTROL_REFLECT_EX(EN_KILLFOCUS, OnKillFocusReflect)
END_MESSAGE_MAP()

BOOL CQzEdit::Create(DWORD style, const RECT& rect, CWnd* parent, UINT id)
{
    return CreateEx(WS_EX_CLIENTEDGE | WS_EX_NOPARENTNOTIFY, "EDIT", "", style, rect, parent, id);
}

void CQzEdit::SetValid(bool valid)
{
    if (valid == m_valid)
        return;
    m_valid = valid;
    if (m_hWnd)
        InvalidateRect(nullptr, TRUE);
}

void CQzEdit::SetIntRange(int min, int max, bool grouping)
{
    m_range.grouping = grouping;
    if (min == max) {
        m_range.mode = shell::NumericMode::None;
        return;
    }
    m_range.mode = shell::NumericMode::Integer;
    m_range.intMin = min;
    m_range.intMax = max;
    if (m_hWnd)
        SetLimitText(static_cast<UINT>(shell::IntegerTypingLimit(min, max)));
}

void CQzEdit::GetIntRange(int* min, int* max) const
{
    if (m_range.mode != shell::NumericMode::Integer)
        return;
    if (min)
        *min = m_range.intMin;
    if (max)
        *max = m_range.intMax;
}

void CQzEdit::SetFloatRange(double min, double max, int decimals, bool grouping)
{
    m_range.grouping = grouping;
    if (min == max) {
        m_range.mode = shell::NumericMode::None;
        return;
    }
    m_range.mode = shell::NumericMode::Real;
    m_range.realMin = min;
    m_range.realMax = max;
    m_range.decimals = decimals;
    if (m_hWnd)
        SetLimitText(static_cast<UINT>(shell::RealTypingLimit(min, max, decimals)));
}

BOOL CQzEdit::PreTranslateMessage(MSG* msg)
{
    if (msg->message == WM_KEYDOWN && msg->hwnd == m_hWnd && GetKeyState(VK_CONTROL) < 0) {
        UINT command = 0;
        switch (msg->wParam) {
        case 'C':
            command = WM_COPY;
            break;
        case 'V':
            command = WM_PASTE;
            break;
        case 'X':
            command = WM_CUT;
            break;
        case 'Z':
            command = EM_UNDO;
            break;
        default:
            break;
        }
        if (command) {
            SendMessage(command);
            return TRUE;
        }
    }
    return CEdit::PreTranslateMessage(msg);
}

void CQzEdit::OnChar(UINT ch, UINT, UINT)
{
    if (!shell::AcceptsTypedCharacter(m_range, static_cast<char>(ch), shell::UserNumberSeparators())) {
        MessageBeep(0);
        return;
    }
    Default();
}

HBRUSH CQzEdit::CtlColor(CDC* dc, UINT)
{
    const bool enabled = IsWindowEnabled() != FALSE;
    dc->SetBkColor(GetSysColor(enabled ? COLOR_WINDOW : COLOR_BTNFACE));
    if (!m_valid)
        dc->SetTextColor(RGB(255, 0, 0));
    else
        dc->SetTextColor(GetSysColor(enabled ? COLOR_WINDOWTEXT : COLOR_GRAYTEXT));
    return SharedBrush(enabled ? COLOR_WINDOW : COLOR_BTNFACE);
}

bool CQzEdit::OnUpdateReflect()
{
    if (m_range.mode != shell::NumericMode::None)
        SetValid(shell::IsValidNumberText(m_range, CurrentText(), shell::UserNumberSeparators()));
    return false;
}

bool CQzEdit::OnKillFocusReflect()
{
    CQzString text;
    if (shell::RewriteNumberText(m_range, CurrentText(), shell::UserNumberSeparators(), text)) {
        SetWindowText(static_cast<const char*>(text));
        SetValid(true);
    }
    return false;
}

CString CQzEdit::CurrentText() const
{
    return GetWindowText();
}
