// CDlgOptionalMessageBox: a message box with a check box under its text
// ("Do not show this message again" and the like). The caller decides what
// the check means and stores it.
#pragma once

#include <string>

#include "app/shell/dialogs/dlg_base.h"

class CDlgOptionalMessageBox : public CDlgBase {
public:
    // Buttons and icon together.
    enum Style { kOkCancel = 0, kYesNo = 1, kOkOnly = 2 };
    // Where the check box stands.
    enum CheckBoxPosition { kAboveButtons = 0, kBelowButtons = 1 };
    static constexpr UINT kCheckBoxId = 1242;

    explicit CDlgOptionalMessageBox(CWnd* parent);

    // String ids; a caption id of 0 means the application's title.
    void SetStrings(UINT messageId, UINT checkBoxTextId, UINT captionId);
    void SetStyle(int style) { m_style = style; }
    void SetCheckBoxPosition(int position) { m_checkBoxPosition = position; }
    void SetDoNotShowAgain(bool checked) { m_checked = checked; }
    // The check box as it was when the box closed, by either button or the close box.
    bool IsDoNotShowAgainChecked() const { return m_checked; }

protected:
    int OnCreate(CREATESTRUCT* cs);
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;
    void OnDestroy();
    DECLARE_MESSAGE_MAP()

private:
    void Close(int result);

    std::string m_caption;
    std::string m_message;
    std::string m_checkBoxText;
    // Owned: a copy of the system's icon at the system's icon size.
    HICON m_icon = nullptr;
    bool m_checked = false;
    int m_checkBoxPosition = kAboveButtons;
    int m_style = kOkCancel;
};
