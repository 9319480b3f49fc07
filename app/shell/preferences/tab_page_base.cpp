#include "app/shell/preferences/tab_page_base.h"

#include <new>
#include <string_view>

#include "app/shell/controls/qz_combo_box.h"
#include "app/shell/controls/qz_edit.h"
#include "app/shell/dialogs/layout_metrics.h"
#include "app/shell/dialogs/ui_font.h"
#include "clx/app.h"
#include "clx/messages.h"
#include "clx/resources.h"

namespace {

// A standard template header and its empty menu, class and title words.
constexpr size_t kTemplateWords = 12;
constexpr DWORD kPageStyle = WS_CHILD | WS_DISABLED | WS_CLIPCHILDREN;  // 0x4A000000

}  // namespace

BOOL CTabPageBase::CreatePage(CWnd* parent)
{
    auto* memory = new (std::nothrow) DWORD[kTemplateWords / 2];
    if (!memory)
        return FALSE;
    auto* words = reinterpret_cast<WORD*>(memory);
    for (size_t i = 0; i < kTemplateWords; ++i)
        words[i] = 0;
    auto* header = reinterpret_cast<DLGTEMPLATE*>(memory);
    header->style = kPageStyle;
    header->cx = 50;
    header->cy = 50;
    const BOOL created = CreateIndirect(header, parent);
    delete[] memory;
    return created;
}

void CTabPageBase::ForwardToParent()
{
    const MSG* message = GetCurrentMessage();
    HWND parent = ::GetParent(m_hWnd);
    if (message && parent)
        ::PostMessageA(parent, message->message, message->wParam, message->lParam);
}

SIZE CTabPageBase::CachedLayoutSize(HDC dc, const std::function<SIZE(HDC)>& measure)
{
    if (m_layoutWidth == 0) {
        HDC own = nullptr;
        HGDIOBJ previous = nullptr;
        if (!dc) {
            own = ::GetDC(m_hWnd);
            previous = ::SelectObject(own, shell::GetUiFont());
            dc = own;
        }
        const SIZE size = measure(dc);
        if (own) {
            ::SelectObject(own, previous);
            ::ReleaseDC(m_hWnd, own);
        }
        m_layoutWidth = size.cx;
        m_layoutHeight = size.cy;
    }
    return SIZE{m_layoutWidth, m_layoutHeight};
}

HWND CTabPageBase::AddControl(const char* className, const char* text, DWORD style, int x, int y, int width,
                              int height, UINT id, DWORD exStyle)
{
    HWND control = ::CreateWindowExA(exStyle, className, text, style, x, y, width, height, m_hWnd,
                                     reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)), AfxGetInstanceHandle(),
                                     nullptr);
    UseUiFont(control);
    return control;
}

HWND CTabPageBase::AddControl(const char* className, UINT textId, DWORD style, int x, int y, int width, int height,
                              UINT id, DWORD exStyle)
{
    return AddControl(className, clx::LoadStr(textId), style, x, y, width, height, id, exStyle);
}

void CTabPageBase::UseUiFont(HWND control) const
{
    if (control)
        ::SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(shell::GetUiFont()), FALSE);
}

bool CTabPageBase::AddDropList(CQzComboBox& combo, int x, int y, int width, int lines, UINT id)
{
    // The closed list is as high as a field; its items fit the font.
    combo.m_itemHeight = shell::LayoutEditHeight() - 6;
    const int height = shell::LayoutEditHeight() + lines * combo.m_itemHeight + 2;
    if (!combo.Create(shell::kDropListStyle | CBS_OWNERDRAWFIXED | CBS_HASSTRINGS, CRect(x, y, x + width, y + height),
                      this, id))
        return false;
    UseUiFont(combo.m_hWnd);
    return true;
}

bool CTabPageBase::AddNumberField(CQzEdit& edit, int x, int y, int width, UINT id)
{
    if (!edit.Create(shell::kEditStyle, CRect(x, y, x + width, y + shell::LayoutEditHeight()), this, id))
        return false;
    UseUiFont(edit.m_hWnd);
    return true;
}

int CTabPageBase::TextWidth(HDC dc, const char* text)
{
    SIZE size{};
    const std::string_view view(text ? text : "");
    ::GetTextExtentPoint32A(dc, view.data(), static_cast<int>(view.size()), &size);
    return size.cx;
}

int CTabPageBase::TextWidth(HDC dc, UINT textId)
{
    return TextWidth(dc, clx::LoadStr(textId));
}

BEGIN_MESSAGE_MAP(CCameraTabPageBase, CTabPageBase)
    ON_MESSAGE(WM_HELP, OnHelp)
    ON_MESSAGE(WM_HELPHITTEST, OnHelpHitTest)
END_MESSAGE_MAP()

LRESULT CCameraTabPageBase::OnHelp(WPARAM, LPARAM info)
{
    const auto* help = reinterpret_cast<const HELPINFO*>(info);
    const UINT control = help ? static_cast<UINT>(help->iCtrlId) : 0;
    const DWORD_PTR topic =
        control ? shell::ControlHelpTopic(m_nIDHelp, control) : shell::DialogHelpTopic(m_nIDHelp);
    AfxGetApp()->WinHelp(topic, HELP_CONTEXT);
    return TRUE;
}

LRESULT CCameraTabPageBase::OnHelpHitTest(WPARAM, LPARAM point)
{
    if (m_nIDHelp == 0)
        return 0;
    const POINT at{static_cast<short>(LOWORD(point)), static_cast<short>(HIWORD(point))};
    HWND child = ::ChildWindowFromPointEx(m_hWnd, at, CWP_SKIPINVISIBLE);
    const int id = child && child != m_hWnd ? ::GetDlgCtrlID(child) : 0;
    if (id == 0 || id == 0xFFFF)
        return shell::DialogHelpTopic(m_nIDHelp);
    return shell::ControlHelpTopic(m_nIDHelp, static_cast<UINT>(id));
}
