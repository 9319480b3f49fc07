#include "app/shell/dialogs/dlg_copy_settings.h"

#include <algorithm>

#include "app/shell/dialogs/layout_metrics.h"
#include "app/shell/dialogs/ui_font.h"
#include "app/shell/settings/settings.h"
#include "clx/resources.h"

namespace {

constexpr UINT kHelpId = 262;
constexpr UINT kCaption = 9744;
// Per group, in the order of the check boxes (ids 1222..1227): caption and setting.
constexpr uint32_t kGroupCaptions[CDlgCopySettings::kGroupCount] = {9745, 9746, 9747, 9748, 9751, 9752};
constexpr shell::SettingId kGroupSettings[CDlgCopySettings::kGroupCount] = {1217, 1218, 1219, 1220, 1221, 1222};
constexpr uint32_t kCopy = 16535;
constexpr uint32_t kCancel = 16529;
constexpr uint32_t kHelp = 16530;

}  // namespace

BEGIN_MESSAGE_MAP(CDlgCopySettings, CDlgBase)
    ON_WM_CREATE()
    ON_CONTROL_RANGE(BN_CLICKED, CDlgCopySettings::kFirstCheckBoxId,
                     CDlgCopySettings::kFirstCheckBoxId + CDlgCopySettings::kGroupCount - 1, OnCheckBox)
END_MESSAGE_MAP()

CDlgCopySettings::CDlgCopySettings(CWnd* parent) : CDlgBase(parent)
{
    m_nIDHelp = kHelpId;
}

// A column of check boxes, then the row of buttons.
int CDlgCopySettings::OnCreate(CREATESTRUCT* cs)
{
    if (CDlgBase::OnCreate(cs) == -1)
        return -1;
    const int margin = shell::LayoutGapLarge();
    const int rowHeight = shell::LayoutEditHeight();
    const int rowStep = shell::LayoutLineSpacing();
    const int gap = shell::LayoutGapSmall();

    const uint32_t captions[] = {kGroupCaptions[0], kGroupCaptions[1], kGroupCaptions[2], kGroupCaptions[3],
                                 kGroupCaptions[4], kGroupCaptions[5], 0};
    const int checkWidth = GetMaxStringWidth(captions) + shell::kLayoutCheckPadding;
    const uint32_t buttonCaptions[] = {kCopy, kCancel, kHelp, 0};
    const int buttonWidth = shell::LayoutMinSize(GetMaxStringWidth(buttonCaptions) + 2 * shell::kLayoutMargin);
    const int buttonsWidth = 3 * buttonWidth + 2 * gap;
    const int width = std::max(checkWidth, buttonsWidth);

    int y = margin;
    for (int i = 0; i < kGroupCount; ++i) {
        AddControl("BUTTON", kGroupCaptions[i], shell::kCheckBoxStyle, margin, y, checkWidth, rowHeight,
                   kFirstCheckBoxId + i);
        y += rowStep;
    }
    y += margin;
    int x = margin + width - buttonsWidth;
    AddControl("BUTTON", kCopy, shell::kPushButtonStyle | BS_DEFPUSHBUTTON, x, y, buttonWidth, rowHeight, IDOK);
    x += buttonWidth + gap;
    AddControl("BUTTON", kCancel, shell::kPushButtonStyle, x, y, buttonWidth, rowHeight, IDCANCEL);
    x += buttonWidth + gap;
    AddControl("BUTTON", kHelp, shell::kPushButtonStyle, x, y, buttonWidth, rowHeight, kHelpButtonId);

    FitClientSize(width + 2 * margin, y + rowHeight + margin);
    SetWindowText(clx::LoadStr(kCaption));
    return 0;
}

BOOL CDlgCopySettings::OnInitDialog()
{
    for (int i = 0; i < kGroupCount; ++i) {
        int32_t value = 1;
        shell::GetIntSetting(kGroupSettings[i], &value);
        ::CheckDlgButton(m_hWnd, kFirstCheckBoxId + i, value ? BST_CHECKED : BST_UNCHECKED);
    }
    ::EnableWindow(::GetDlgItem(m_hWnd, IDOK), CheckedCount() > 0);
    GotoDlgCtrl(::GetDlgItem(m_hWnd, IDOK));
    return FALSE;
}

int CDlgCopySettings::CheckedCount() const
{
    int count = 0;
    for (int i = 0; i < kGroupCount; ++i)
        count += ::IsDlgButtonChecked(m_hWnd, kFirstCheckBoxId + i) == BST_CHECKED;
    return count;
}

void CDlgCopySettings::OnCheckBox(UINT)
{
    ::EnableWindow(::GetDlgItem(m_hWnd, IDOK), CheckedCount() > 0);
}

void CDlgCopySettings::OnOK()
{
    // Enter reaches here even while "Copy" is disabled: copying nothing is not a choice.
    if (CheckedCount() == 0)
        return;
    for (int i = 0; i < kGroupCount; ++i) {
        m_flags[i] = ::IsDlgButtonChecked(m_hWnd, kFirstCheckBoxId + i) == BST_CHECKED;
        shell::SetIntSetting(kGroupSettings[i], m_flags[i] ? 1 : 0);
    }
    EndDialog(IDOK);
}
