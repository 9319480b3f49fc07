#include "app/core/document/common_image_frame.h"

#include "app/core/view_model/document_titles.h"
#include "clx/document.h"
#include "clx/view.h"

IMPLEMENT_DYNCREATE(CCommonImageFrame, CMDIChildWnd)

BEGIN_MESSAGE_MAP(CCommonImageFrame, CMDIChildWnd)
    ON_WM_SIZING()
    ON_WM_HELPINFO()
    ON_COMMAND(kCmdToggleShootingData, OnToggleShootingData)
    ON_UPDATE_COMMAND_UI(kCmdToggleShootingData, OnUpdateToggleShootingData)
    ON_MESSAGE(kWmResetViewSections, OnResetViewSections)
END_MESSAGE_MAP()

namespace {
bool frameSizing = false;
}  // namespace

bool CCommonImageFrame::IsFrameSizing()
{
    return frameSizing;
}

void CCommonImageFrame::SetFrameSizing(bool sizing)
{
    frameSizing = sizing;
}

void CCommonImageFrame::OnUpdateFrameTitle(BOOL addToTitle)
{
    CDocument* doc = GetActiveDocument();
    CView* view = GetActiveView();
    if (addToTitle && AddsToTitle() && doc && view) {
        const auto* source = dynamic_cast<const IFrameTitleText*>(view);
        const std::string title = qz::FormatFrameTitle(static_cast<const char*>(doc->GetTitle()), m_nWindow,
                                                       source ? source->GetFrameTitleText() : std::string(),
                                                       doc->IsModified() != FALSE);
        if (std::string(static_cast<const char*>(GetWindowText())) != title)
            SetWindowText(title.c_str());
    }
    if (CMDIFrameWnd* frame = GetMDIFrame())
        frame->OnUpdateFrameTitle(addToTitle);
}

void CCommonImageFrame::OnSizing(UINT, RECT*)
{
    frameSizing = true;
    Default();
}

BOOL CCommonImageFrame::OnHelpInfo(HELPINFO*)
{
    // Help comes through the main frame's F1 handling, not WM_HELP.
    return TRUE;
}

void CCommonImageFrame::OnToggleShootingData()
{
    SetSectionState(GetSectionState() == 0 ? 1 : 0);
}

void CCommonImageFrame::OnUpdateToggleShootingData(CCmdUI* cmdUI)
{
    cmdUI->Enable(HasInfoPane());
    cmdUI->SetCheck(GetSectionState() != 0);
}

LRESULT CCommonImageFrame::OnResetViewSections(WPARAM w, LPARAM)
{
    if (w & 1)
        SetSectionState(0);
    return 1;
}
