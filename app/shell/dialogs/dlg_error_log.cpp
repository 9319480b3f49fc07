#include "app/shell/dialogs/dlg_error_log.h"

#include <algorithm>
#include <string>
#include <vector>

#include "app/shell/dialogs/layout_metrics.h"
#include "app/shell/dialogs/ui_font.h"
#include "app/shell/errorlog/error_log.h"
#include "clx/resources.h"

namespace {

constexpr UINT kCaption = 9984;
constexpr UINT kOk = 16528;

// A text of the string table, or the program's own where the table has none.
void LoadText(UINT id, std::string& text)
{
    bool found = false;
    const CString loaded = clx::LoadStr(id, &found);
    if (found)
        text = static_cast<const char*>(loaded);
}

shell::ErrorSummaryTexts SummaryTexts()
{
    shell::ErrorSummaryTexts texts;
    LoadText(9990, texts.attemptedOne);
    LoadText(9991, texts.attemptedMany);
    LoadText(9992, texts.savedOne);
    LoadText(9993, texts.savedMany);
    return texts;
}

}  // namespace

BEGIN_MESSAGE_MAP(CDlgErrorLog, CDlgBase)
    ON_WM_CREATE()
END_MESSAGE_MAP()

CDlgErrorLog::CDlgErrorLog(CWnd* parent) : CDlgBase(parent) {}

INT_PTR CDlgErrorLog::DoModal()
{
    shell::SetErrorSummaryShown();
    return CDlgBase::DoModal();
}

int CDlgErrorLog::OnCreate(CREATESTRUCT* cs)
{
    if (CDlgBase::OnCreate(cs) == -1)
        return -1;
    const int margin = shell::LayoutGapLarge();
    const int listWidth = 80 * shell::GetUiCharWidth();
    const int listHeight = 11 * shell::GetUiFontHeight();
    AddControl("LISTBOX", "", shell::kListBoxStyle | WS_HSCROLL | LBS_NOSEL, margin, margin, listWidth, listHeight,
               kListId, WS_EX_CLIENTEDGE);

    const int y = margin + listHeight + margin;
    const int rowHeight = shell::LayoutEditHeight();
    const uint32_t ok[] = {kOk, 0};
    const int buttonWidth = shell::LayoutMinSize(GetMaxStringWidth(ok) + 2 * shell::kLayoutMargin);
    AddControl("BUTTON", kOk, shell::kPushButtonStyle | BS_DEFPUSHBUTTON, margin + (listWidth - buttonWidth) / 2, y,
               buttonWidth, rowHeight, IDOK);

    FitClientSize(listWidth + 2 * margin, y + rowHeight + margin);
    SetWindowText(clx::LoadStr(kCaption));
    return 0;
}

BOOL CDlgErrorLog::OnInitDialog()
{
    HWND list = ::GetDlgItem(m_hWnd, kListId);
    const std::vector<std::string> lines = shell::ReadErrorLogLines(shell::GetErrorLogPath());
    if (lines.empty()) {
        EndDialog(IDOK);
        return FALSE;
    }
    int widest = 0;
    HDC dc = ::GetDC(m_hWnd);
    HGDIOBJ previous = ::SelectObject(dc, shell::GetUiFont());
    for (const std::string& line : lines) {
        ::SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
        SIZE extent{};
        ::GetTextExtentPoint32A(dc, line.c_str(), static_cast<int>(line.size()), &extent);
        widest = std::max(widest, static_cast<int>(extent.cx) + 4);
    }
    ::SelectObject(dc, previous);
    ::ReleaseDC(m_hWnd, dc);
    ::SendMessageA(list, LB_SETHORIZONTALEXTENT, static_cast<WPARAM>(widest), 0);
    const std::string summary =
        shell::ErrorSummaryLine(shell::GetImagesAttempted(), shell::GetImagesSaved(), SummaryTexts());
    ::SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(summary.c_str()));
    GotoDlgCtrl(::GetDlgItem(m_hWnd, IDOK));
    return FALSE;
}
