// CDlgErrorLog ("Error Log"): the error log of the last unattended run and
// a line counting the images attempted and saved. With nothing in the log
// it closes at once.
#pragma once

#include "app/shell/dialogs/dlg_base.h"

class CDlgErrorLog : public CDlgBase {
public:
    explicit CDlgErrorLog(CWnd* parent);

    // Marks the counts as shown, then runs the dialog.
    INT_PTR DoModal() override;

    static constexpr UINT kListId = 1000;

protected:
    int OnCreate(CREATESTRUCT* cs);
    BOOL OnInitDialog() override;
    DECLARE_MESSAGE_MAP()
};
