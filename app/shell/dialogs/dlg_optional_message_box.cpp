#include "app/shell/dialogs/dlg_optional_message_box.h"

#include <algorithm>

#include "app/shell/dialogs/layout_metrics.h"
#include "app/shell/dialogs/ui_font.h"
#include "clx/resources.h"

namespace {

constexpr UINT kAppTitle = 128;
constexpr uint32_t kOk = 16528;
constexpr uint32_t kCancel = 16529;
constexpr uint32_t kYes = 16531;
constexpr uint32_t kNo = 16533;
constexpr UINT kUnlabelled = 0xFFFF;

std::string LoadText(UINT id)
{
    return static_cast<const char*>(clx::LoadStr(id));
}

}  // namespace

BEGIN_MESSAGE_MAP(CDlgOptionalMessageBox, CDlgBase)
    ON_WM_CREATE()
    ON_WM_DESTROY()
END_MESSAGE_MAP()

CDlgOptionalMessageBox::CDlgOptionalMessageBox(CWnd* parent) : CDlgBase(parent) {}

void CDlgOptionalMessageBox::SetStrings(UINT messageId, UINT checkBoxTextId, UINT captionId)
{
    m_message = LoadText(messageId);
    m_checkBoxText = LoadText(checkBoxTextId);
    m_caption = LoadText(captionId ? captionId : kAppTitle);
}

// Icon and message side by side, the check box and the row of buttons under
// them (the check box last when it stands below the buttons).
int CDlgOptionalMessageBox::OnCreate(CREATESTRUCT* cs)
{
    if (CDlgBase::OnCreate(cs) == -1)
        return -1;
    const int margin = shell::LayoutGapLarge();
    const int gap = shell::LayoutGapSmall();
    const int rowHeight = shell::LayoutEditHeight();

    const int iconWidth = ::GetSystemMetrics(SM_CXICON);
    const int iconHeight = ::GetSystemMetrics(SM_CYICON);
    HICON system = ::LoadIconA(nullptr, m_style == kYesNo ? IDI_QUESTION : IDI_EXCLAMATION);
    m_icon = static_cast<HICON>(::CopyImage(system, IMAGE_ICON, iconWidth, iconHeight, 0));

    RECT work{};
    ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    const int workWidth = work.right - work.left;
    const int workHeight = work.bottom - work.top;
    const int wrapWidth = std::max(static_cast<int>(workWidth * 0.625) - 2 * margin, 1);
    SIZE text = MeasureText(m_message.c_str(), wrapWidth);
    // A word longer than the line is cut, never widening the box.
    text.cx = std::min(static_cast<int>(text.cx), wrapWidth);
    const SIZE check = MeasureText(m_checkBoxText.c_str());
    const int checkWidth = check.cx + shell::kLayoutCheckPadding;

    const uint32_t pair[] = {m_style == kYesNo ? kYes : kOk, m_style == kYesNo ? kNo : kCancel, 0};
    const uint32_t okAlone[] = {kOk, 0};
    const int buttonWidth =
        shell::LayoutMinSize(GetMaxStringWidth(m_style == kOkOnly ? okAlone : pair) + 2 * shell::kLayoutMargin);
    const int buttonCount = m_style == kOkOnly ? 1 : 2;
    const int buttonsWidth = buttonCount * buttonWidth + (buttonCount - 1) * gap;

    const int textX = margin + iconWidth + margin;
    const int width = std::max({textX + static_cast<int>(text.cx), textX + checkWidth, margin + buttonsWidth}) + margin;
    // The window never grows past the work area: a message taller than that is cut.
    const CRect windowRect = GetWindowRect();
    const CRect clientRect = GetClientRect();
    const int frameHeight = windowRect.Height() - clientRect.Height();
    const int fixedHeight = margin + gap + rowHeight + margin + rowHeight + margin;
    const int textHeight = std::min(static_cast<int>(text.cy), std::max(workHeight - frameHeight - fixedHeight, 0));
    const int contentHeight = std::max(textHeight, iconHeight);

    int y = margin;
    HWND icon = AddControl("STATIC", "", shell::kChildWindowStyle | SS_ICON, margin, y, iconWidth, iconHeight,
                           kUnlabelled);
    // Without a copy of its own the box shows the shared icon, which is never destroyed.
    ::SendMessageA(icon, STM_SETICON, reinterpret_cast<WPARAM>(m_icon ? m_icon : system), 0);
    AddControl("STATIC", m_message.c_str(), shell::kWrappedLabelStyle, textX, y, static_cast<int>(text.cx),
               textHeight, kUnlabelled);
    y += contentHeight + gap;

    int checkY = y;
    int buttonsY = y + rowHeight + margin;
    if (m_checkBoxPosition == kBelowButtons) {
        buttonsY = y + gap;
        checkY = buttonsY + rowHeight + margin;
    }
    AddControl("BUTTON", m_checkBoxText.c_str(), shell::kCheckBoxStyle, textX, checkY, checkWidth, rowHeight,
               kCheckBoxId);
    int x = (width - buttonsWidth) / 2;
    AddControl("BUTTON", m_style == kYesNo ? kYes : kOk, shell::kPushButtonStyle | BS_DEFPUSHBUTTON, x, buttonsY,
               buttonWidth, rowHeight, IDOK);
    if (m_style != kOkOnly) {
        x += buttonWidth + gap;
        AddControl("BUTTON", m_style == kYesNo ? kNo : kCancel, shell::kPushButtonStyle, x, buttonsY, buttonWidth,
                   rowHeight, IDCANCEL);
    }
    FitClientSize(width, std::max(checkY, buttonsY) + rowHeight + margin);

    // Kept inside the work area.
    const CRect placed = GetWindowRect();
    const int left = std::max(static_cast<int>(work.left), std::min(static_cast<int>(placed.left),
                                                                      static_cast<int>(work.right) - placed.Width()));
    const int top = std::max(static_cast<int>(work.top), std::min(static_cast<int>(placed.top),
                                                                    static_cast<int>(work.bottom) - placed.Height()));
    if (left != placed.left || top != placed.top)
        SetWindowPos(nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    SetWindowText(m_caption.c_str());
    return 0;
}

BOOL CDlgOptionalMessageBox::OnInitDialog()
{
    ::CheckDlgButton(m_hWnd, kCheckBoxId, m_checked ? BST_CHECKED : BST_UNCHECKED);
    GotoDlgCtrl(::GetDlgItem(m_hWnd, IDOK));
    return FALSE;
}

void CDlgOptionalMessageBox::Close(int result)
{
    m_checked = ::IsDlgButtonChecked(m_hWnd, kCheckBoxId) == BST_CHECKED;
    EndDialog(result);
}

void CDlgOptionalMessageBox::OnOK() { Close(IDOK); }
void CDlgOptionalMessageBox::OnCancel() { Close(IDCANCEL); }

void CDlgOptionalMessageBox::OnDestroy()
{
    Default();
    if (m_icon) {
        ::DestroyIcon(m_icon);
        m_icon = nullptr;
    }
}
