#include "app/palettes/base/tool_base.h"

#include "app/palettes/base/label_format.h"
#include "app/palettes/base/palette_help.h"
#include "app/palettes/base/palette_host.h"
#include "app/palettes/base/palette_table.h"
#include "app/shell/dialogs/ui_font.h"
#include "app/shell/settings/settings.h"
#include "clx/app.h"
#include "clx/messages.h"
#include "clx/resources.h"

IMPLEMENT_DYNCREATE(CToolBase, CMiniFrameWnd)

BEGIN_MESSAGE_MAP(CToolBase, CMiniFrameWnd)
    ON_WM_CREATE()
    ON_WM_DESTROY()
    ON_WM_PAINT()
    ON_WM_SYSCOMMAND()
    ON_WM_ACTIVATEAPP()
    ON_WM_CONTEXTMENU()
    ON_WM_HELPINFO()
    ON_MESSAGE(WM_HELPHITTEST, OnHelpHitTest)
    ON_MESSAGE(WM_COMMANDHELP, OnCommandHelp)
END_MESSAGE_MAP()

namespace {

HWND MainWindow()
{
    CWnd* main = AfxGetMainWnd();
    return main ? main->m_hWnd : nullptr;
}

// The "&Settings" menu of the menu bar: its first entry is a submenu whose
// first command is the camera control's Load.
HMENU FindSettingsMenu(HMENU bar)
{
    const int count = bar ? ::GetMenuItemCount(bar) : 0;
    for (int i = 0; i < count; ++i) {
        HMENU menu = ::GetSubMenu(bar, i);
        HMENU first = menu ? ::GetSubMenu(menu, 0) : nullptr;
        if (first && ::GetMenuItemID(first, 0) == kSettingsMenuFirstCommand)
            return menu;
    }
    return nullptr;
}

HMENU FindSubmenuStartingWith(HMENU menu, UINT command)
{
    const int count = ::GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        HMENU sub = ::GetSubMenu(menu, i);
        if (sub && ::GetMenuItemID(sub, 0) == command)
            return sub;
    }
    return nullptr;
}

}  // namespace

CToolBase::CToolBase(uint32_t positionSettingId_, uint32_t loadCommandId_, uint32_t helpId)
    : positionSettingId(positionSettingId_), loadCommandId(loadCommandId_)
{
    m_nIDHelp = helpId;
}

CToolBase::~CToolBase()
{
    ClearLabels();
    if (IsOpen())
        DestroyWindow();
}

BOOL CToolBase::CreatePalette(UINT titleStringId, BOOL resizable, CWnd* parent, DWORD style)
{
    const CString title = clx::LoadStr(titleStringId);
    shell::WindowPositionRecord position{0, 0, 50, 50, 0};
    if (positionSettingId != 0)
        shell::LoadWindowPosition(positionSettingId, &position, false);
    const RECT rect{position.left, position.top, position.left + position.width, position.top + position.height};
    if (resizable)
        style |= MFS_THICKFRAME;
    else
        style |= WS_VISIBLE;
    return CreateEx(0, nullptr, title, style, rect, parent, 0);
}

BOOL CToolBase::Create(CWnd* parent)
{
    return CreatePalette(0, FALSE, parent, kPaletteStyle);
}

void CToolBase::AddContextMenuItems(CMenu&) {}

void CToolBase::SaveSelectedImageSettings()
{
    IPaletteHost& host = GetPaletteHost();
    for (int n = 0; host.SaveSelectedImageSettings(n); ++n) {
    }
}

void CToolBase::SetTarget(int32_t, CImageRecord*) {}

// ---------------------------------------------------------------- labels

void CToolBase::ClearLabels()
{
    labelTexts.clear();
    labelRects.clear();
    labelStyles.clear();
}

void CToolBase::AddLabel(UINT stringId, const RECT& rect, DWORD style)
{
    AddLabelText(stringId, clx::LoadStr(stringId), rect, style);
}

void CToolBase::AddLabelText(UINT id, const char* text, const RECT& rect, DWORD style)
{
    labelTexts[id] = text ? text : "";
    labelRects[id] = rect;
    labelStyles[id] = style;
    if (IsOpen())
        InvalidateRect(&rect, TRUE);
}

void CToolBase::UpdateLabel(UINT id, const char* text, const RECT* rect, DWORD style)
{
    if (!HasLabel(id))
        return;
    if (text)
        labelTexts[id] = text;
    if (rect)
        labelRects[id] = *rect;
    if (style != 0)
        labelStyles[id] = style;
    if (IsOpen())
        InvalidateRect(&labelRects[id], TRUE);
}

void CToolBase::ShowLabel(UINT id, bool show)
{
    if (!HasLabel(id))
        return;
    if (show)
        labelStyles[id] |= kLabelVisible;
    else
        labelStyles[id] &= ~kLabelVisible;
    if (IsOpen())
        InvalidateRect(&labelRects[id], TRUE);
}

DWORD CToolBase::GetLabelStyle(UINT id) const
{
    const auto it = labelStyles.find(id);
    return it == labelStyles.end() ? 0 : it->second;
}

void CToolBase::OnPaint()
{
    if (!::GetUpdateRect(m_hWnd, nullptr, FALSE))
        return;
    CPaintDC dc(m_hWnd);
    if (dc.m_ps.fErase)
        ::FillRect(dc.m_hDC, &dc.m_ps.rcPaint, ::GetSysColorBrush(COLOR_BTNFACE));
    if (labelTexts.empty())
        return;
    HGDIOBJ oldFont = ::SelectObject(dc.m_hDC, shell::GetUiFont());
    const int oldMode = ::SetBkMode(dc.m_hDC, TRANSPARENT);
    const COLORREF oldColour = ::SetTextColor(dc.m_hDC, ::GetSysColor(COLOR_BTNTEXT));
    for (const auto& [id, text] : labelTexts) {
        RECT rect = labelRects[id];
        const uint32_t style = labelStyles[id];
        RECT meet;
        if (!(style & kLabelVisible) || !::IntersectRect(&meet, &rect, &dc.m_ps.rcPaint))
            continue;
        ::DrawTextA(dc.m_hDC, text, -1, &rect, LabelDrawFormat(style));
    }
    ::SetTextColor(dc.m_hDC, oldColour);
    ::SetBkMode(dc.m_hDC, oldMode);
    ::SelectObject(dc.m_hDC, oldFont);
}

// ---------------------------------------------------------------- window

int CToolBase::OnCreate(CREATESTRUCT* cs)
{
    ClearLabels();
    if (CMiniFrameWnd::OnCreate(cs) == -1)
        return -1;
    if (HMENU system = GetSystemMenu(FALSE)) {
        ::EnableMenuItem(system, SC_MAXIMIZE, MF_BYCOMMAND | MF_GRAYED);
        ::EnableMenuItem(system, SC_MINIMIZE, MF_BYCOMMAND | MF_GRAYED);
        ::EnableMenuItem(system, SC_RESTORE, MF_BYCOMMAND | MF_GRAYED);
    }
    return 0;
}

void CToolBase::OnDestroy()
{
    if (positionSettingId != 0)
        shell::SaveWindowPosition(positionSettingId, this);
    CMiniFrameWnd::OnDestroy();
}

void CToolBase::OnSysCommand(UINT command, LPARAM)
{
    switch (command & 0xFFF0) {
    case SC_MAXIMIZE:
    case SC_MINIMIZE:
    case SC_RESTORE: return;
    default: Default();
    }
}

void CToolBase::OnActivateApp(BOOL active, DWORD)
{
    Default();
    if (active)
        if (HWND main = MainWindow())
            ::PostMessageA(main, WM_ACTIVATE, WA_CLICKACTIVE, 0);
}

// ---------------------------------------------------------------- keys

BOOL CToolBase::PreTranslateMessage(MSG* msg)
{
    const HWND main = MainWindow();
    // The image view changes its cursor on Shift and Ctrl even while a
    // palette has the focus: the key goes to the window under the cursor.
    if ((msg->message == WM_KEYDOWN || msg->message == WM_KEYUP) &&
        (msg->wParam == VK_SHIFT || msg->wParam == VK_CONTROL)) {
        const HWND under = ::WindowFromPoint(msg->pt);
        if (under && under != m_hWnd && !::IsChild(m_hWnd, under))
            ::PostMessageA(under, msg->message, msg->wParam, msg->lParam);
    }
    // Alt and menu keys belong to the main window's menu bar.
    if (msg->message == WM_SYSKEYDOWN || msg->message == WM_SYSKEYUP || msg->message == WM_SYSCHAR) {
        if (main) {
            ::SetFocus(main);
            if (::PostMessageA(main, msg->message, msg->wParam, msg->lParam))
                return TRUE;
        }
    }
    if (main) {
        CWnd* frame = CWnd::FromHandlePermanent(main);
        CFrameWnd* mainFrame = frame ? frame->AsFrameWnd() : nullptr;
        HACCEL accelerators = mainFrame ? mainFrame->GetDefaultAccelerator() : nullptr;
        if (accelerators && ::TranslateAcceleratorA(main, accelerators, msg))
            return TRUE;
    }
    if (::IsDialogMessageA(m_hWnd, msg))
        return TRUE;
    return CMiniFrameWnd::PreTranslateMessage(msg);
}

// ---------------------------------------------------------------- right-click menu

bool CToolBase::BuildContextMenu(CMenu& popup)
{
    if (!popup.CreatePopupMenu())
        return false;
    if (loadCommandId != 0) {
        const HWND main = MainWindow();
        HMENU settings = FindSettingsMenu(main ? ::GetMenu(main) : nullptr);
        HMENU submenu = settings ? FindSubmenuStartingWith(settings, loadCommandId) : nullptr;
        if (!submenu)
            return false;
        CMenu source;
        source.Lend(submenu);
        const int count = source.GetMenuItemCount();
        for (int i = 0; i < count; ++i) {
            const CString text = source.GetMenuString(static_cast<UINT>(i), MF_BYPOSITION);
            popup.AppendMenu(MF_STRING, source.GetMenuItemID(i), text);
        }
    }
    AddContextMenuItems(popup);
    return popup.GetMenuItemCount() > 0;
}

void CToolBase::OnContextMenu(CWindow, CPoint point)
{
    const LRESULT hit = ::SendMessageA(m_hWnd, WM_NCHITTEST, 0, MAKELPARAM(point.x, point.y));
    if (hit != HTCLIENT) {
        Default();
        return;
    }
    CMenu popup;
    if (!BuildContextMenu(popup)) {
        if (loadCommandId == 0)
            Default();
        return;
    }
    // The main window owns the menu: the chosen command reaches the main
    // frame as the menu command does.
    popup.TrackPopupMenu(TPM_RIGHTBUTTON, point.x, point.y, MainWindow());
}

// ---------------------------------------------------------------- help

BOOL CToolBase::OnHelpInfo(HELPINFO* info)
{
    uint32_t topic = 0;
    if (info->iContextType == HELPINFO_WINDOW)
        topic = PaletteHelpTopic(m_nIDHelp, static_cast<uint32_t>(info->iCtrlId) & 0xFFFF);
    else if (info->iContextType == HELPINFO_MENUITEM)
        topic = PaletteMenuHelpTopic(m_nIDTracking);
    AfxGetApp()->WinHelp(topic, HELP_CONTEXT);
    return TRUE;
}

LRESULT CToolBase::OnHelpHitTest(WPARAM, LPARAM point)
{
    if (m_nIDHelp == 0)
        return 0;
    const POINT client{static_cast<short>(LOWORD(point)), static_cast<short>(HIWORD(point))};
    const HWND child = ::ChildWindowFromPointEx(m_hWnd, client, CWP_SKIPINVISIBLE);
    const bool overChild = child && child != m_hWnd;
    const uint32_t id = overChild ? static_cast<uint32_t>(::GetDlgCtrlID(child)) & 0xFFFF : 0;
    return static_cast<LRESULT>(PaletteHitTestTopic(m_nIDHelp, overChild, id));
}

LRESULT CToolBase::OnCommandHelp(WPARAM, LPARAM)
{
    return TRUE;
}
