#include "app/shell/dialogs/dlg_base.h"

#include <new>

#include "app/shell/dialogs/layout_metrics.h"
#include "app/shell/dialogs/ui_font.h"
#include "app/shell/util/text_measure.h"
#include "clx/app.h"
#include "clx/messages.h"
#include "clx/resources.h"

namespace {

// Header (18 bytes) and the words for no menu, the default class and an empty title.
constexpr size_t kTemplateWords = 12;
constexpr size_t kTemplateDwords = kTemplateWords / 2;

void FillTemplate(DWORD* memory)
{
    auto* words = reinterpret_cast<WORD*>(memory);
    for (size_t i = 0; i < kTemplateWords; ++i)
        words[i] = 0;
    auto* header = reinterpret_cast<DLGTEMPLATE*>(memory);
    header->style = WS_POPUP | WS_CAPTION | DS_MODALFRAME;
    header->dwExtendedStyle = 0;
    header->cdit = 0;
    header->x = 0;
    header->y = 0;
    header->cx = 50;
    header->cy = 50;
}

}  // namespace

BEGIN_MESSAGE_MAP(CDlgBase, CDialog)
    ON_WM_CREATE()
    ON_COMMAND(CDlgBase::kHelpButtonId, OnHelpButton)
    ON_MESSAGE(WM_COMMANDHELP, OnCommandHelp)
    ON_MESSAGE(WM_HELPHITTEST, OnHelpHitTest)
END_MESSAGE_MAP()

CDlgBase::CDlgBase(CWnd* parent)
    : m_pTemplate(new (std::nothrow) DWORD[kTemplateDwords]), m_pParent(parent)
{
}

CDlgBase::~CDlgBase()
{
    delete[] m_pTemplate;
}

INT_PTR CDlgBase::DoModal()
{
    if (!m_pTemplate)
        return IDCANCEL;
    FillTemplate(m_pTemplate);
    if (!InitModalIndirect(reinterpret_cast<const DLGTEMPLATE*>(m_pTemplate), m_pParent))
        return IDCANCEL;
    const INT_PTR result = CDialog::DoModal();
    return result == -1 ? IDCANCEL : result;
}

int CDlgBase::OnCreate(CREATESTRUCT*)
{
    if (Default() == -1)
        return -1;
    SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(shell::GetUiFont()), FALSE);
    return 0;
}

HWND CDlgBase::AddControl(const char* className, const char* text, DWORD style, int x, int y, int width,
                          int height, UINT id, DWORD exStyle)
{
    HWND control = ::CreateWindowExA(exStyle, className, text, style, x, y, width, height, m_hWnd,
                                     reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)), AfxGetInstanceHandle(),
                                     nullptr);
    if (control)
        ::SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(shell::GetUiFont()), FALSE);
    return control;
}

HWND CDlgBase::AddControl(const char* className, UINT textId, DWORD style, int x, int y, int width, int height,
                          UINT id, DWORD exStyle)
{
    return AddControl(className, clx::LoadStr(textId), style, x, y, width, height, id, exStyle);
}

int CDlgBase::GetMaxStringWidth(const uint32_t* ids) const
{
    HDC dc = ::GetDC(m_hWnd);
    HGDIOBJ previous = ::SelectObject(dc, shell::GetUiFont());
    const int width = shell::GetMaxStringWidth(dc, ids);
    ::SelectObject(dc, previous);
    ::ReleaseDC(m_hWnd, dc);
    return width;
}

SIZE CDlgBase::MeasureText(const char* text, int width) const
{
    HDC dc = ::GetDC(m_hWnd);
    HGDIOBJ previous = ::SelectObject(dc, shell::GetUiFont());
    RECT bounds{0, 0, width > 0 ? width : 0, 0};
    const UINT format = DT_CALCRECT | DT_NOPREFIX | (width > 0 ? DT_WORDBREAK : DT_SINGLELINE);
    ::DrawTextA(dc, text ? text : "", -1, &bounds, format);
    ::SelectObject(dc, previous);
    ::ReleaseDC(m_hWnd, dc);
    return SIZE{bounds.right - bounds.left, bounds.bottom - bounds.top};
}

void CDlgBase::FitClientSize(int width, int height)
{
    const CRect client = GetClientRect();
    const CRect window = GetWindowRect();
    SetWindowPos(nullptr, 0, 0, window.Width() + width - client.Width(), window.Height() + height - client.Height(),
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CDlgBase::OnHelpButton()
{
    AfxGetApp()->WinHelp(shell::DialogHelpTopic(m_nIDHelp), HELP_CONTEXT);
}

// F1: the request's own topic, else the focused control's, else the dialog's.
LRESULT CDlgBase::OnCommandHelp(WPARAM, LPARAM helpId)
{
    DWORD_PTR topic = static_cast<DWORD_PTR>(helpId);
    if (topic == 0) {
        if (m_nIDHelp == 0)
            return FALSE;
        topic = shell::DialogHelpTopic(m_nIDHelp);
        // The dialog's own child, also when the focus is inside it (a combo box's edit).
        HWND control = ::GetFocus();
        while (control && ::GetParent(control) != m_hWnd)
            control = ::GetParent(control);
        if (control) {
            const UINT id = static_cast<UINT>(::GetDlgCtrlID(control));
            if (id != kHelpButtonId && id != 0xFFFF)
                topic = shell::ControlHelpTopic(m_nIDHelp, id);
        }
    }
    AfxGetApp()->WinHelp(topic, HELP_CONTEXT);
    return TRUE;
}

LRESULT CDlgBase::OnHelpHitTest(WPARAM, LPARAM)
{
    return m_nIDHelp ? shell::DialogHelpTopic(m_nIDHelp) : 0;
}
